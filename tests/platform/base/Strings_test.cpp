#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"

namespace {

int FilesIn(const std::string& Folder)
{
    int count = 0;
    DIR* dir = opendir(Folder.c_str());
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    closedir(dir);
    return count;
}

// Limits how large a file this process may write, as a full disk would, while it lives.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FPreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FSaved;
        limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FPreviousHandler);
    }

private:
    rlimit FSaved{};
    void (*FPreviousHandler)(int) = nullptr;
};

}  // namespace

TEST(WriteFileAtomically, ReplacesTheFileWhole)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "old");
    std::string error;
    EXPECT_TRUE(WriteFileAtomically(dir.File("zel.ini"), "new contents", &error)) << error;
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "new contents");
    EXPECT_EQ(FilesIn(dir.Path()), 1);
}

TEST(WriteFileAtomically, AWriteCutShortKeepsThePreviousFileAndSaysSo)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[Common]\nDeviceType=ZEL\n");
    std::string error;
    bool written = true;
    {
        TFileSizeLimit limit(64);
        written = WriteFileAtomically(dir.File("zel.ini"), std::string(4096, 'x'), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("zel.ini"), std::string::npos) << error;
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[Common]\nDeviceType=ZEL\n");
    EXPECT_EQ(FilesIn(dir.Path()), 1) << "no temporary file is left behind";
}

TEST(WriteFileAtomically, AFolderThatDoesNotExistFailsWithAReason)
{
    TTempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/zel.ini"), "x", &error));
    EXPECT_FALSE(error.empty());
}

TEST(WriteFileAtomically, ASettingsFileThatCannotBeWrittenIsToldOnceAndKeepsItsKeys)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[Common]\nDeviceType=ZEL\n");
    TIniFile ini(dir.File("zel.ini"));
    TDialogRecorder boxes;
    {
        TFileSizeLimit limit(16);
        ini.WriteString("Common", "HLFileName", "hwzel.so");
        ini.WriteString("Common", "FilerDllFileName", "zelfiler.so");
    }
    ASSERT_EQ(boxes.Requests.size(), 1u);
    EXPECT_EQ(boxes.Requests[0].Text.rfind("Unable to write to " + dir.File("zel.ini"), 0), 0u)
        << boxes.Requests[0].Text;
    EXPECT_EQ(boxes.Requests[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(ini.ReadString("Common", "DeviceType", ""), "ZEL");
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[Common]\nDeviceType=ZEL\n");
}

TEST(WriteFileAtomically, AWriteOverTheFileSizeLimitFailsInsteadOfEndingTheProgram)
{
    // The program's own handling of the size-limit signal, as its application object
    // sets it up; the write runs in a child so that a fault ends the child alone.
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file, "[Common]\nDeviceType=ZEL\n");
    const std::string big(1 << 20, 'x');
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool written = WriteFileAtomically(file, big, &error);
        _exit(!written && error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    EXPECT_EQ(ReadFileText(file), "[Common]\nDeviceType=ZEL\n");
    EXPECT_EQ(FilesIn(dir.Path()), 1) << "no temporary file is left behind";
}

TEST(TemporaryFiles, ThoseLeftByAnInterruptedWriteAreRemovedAndNothingElse)
{
    TTempDir dir;
    const std::string stale = TemporaryFileTemplate(dir.File("zel.ini"));
    std::string first = stale, second = TemporaryFileTemplate(dir.File("zel20061231.mps"));
    close(mkstemp(first.data()));
    close(mkstemp(second.data()));
    // Files of the operator that merely look alike stay.
    const std::vector<std::string> kept = {"zel.ini", "zel.ini.123456", "notes.zeltmp-", "a.zeltmp-1234567",
                                           "a.zeltmp-12345"};
    for (const std::string& name : kept) WriteFileText(dir.File(name), "keep");
    ASSERT_EQ(mkdir(dir.File("b.zeltmp-abcdef").c_str(), 0755), 0);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.Path()), 2);
    EXPECT_FALSE(FileExists(first));
    EXPECT_FALSE(FileExists(second));
    for (const std::string& name : kept) EXPECT_TRUE(FileExists(dir.File(name))) << name;
    EXPECT_EQ(FilesIn(dir.Path()), static_cast<int>(kept.size()) + 1);
}

// Two programs write into one folder, each through its temporary file; one is killed
// mid-write. Removing stale temporary files takes only the killed one's: the other goes
// on and its file takes the target's place whole.
TEST(TemporaryFiles, AWriterAtWorkKeepsItsFileAndOneKilledMidWriteLeavesNone)
{
    TTempDir dir;
    struct TWriter {
        pid_t Pid;
        int Go;  // a byte written here lets the writer finish
    };
    auto start = [&](const std::string& Name) {
        int ready[2], go[2];
        if (pipe(ready) != 0 || pipe(go) != 0) return TWriter{-1, -1};
        const pid_t pid = fork();
        if (pid == 0) {
            TReplacementFile file(dir.File(Name));
            const std::string first = "first half of " + Name + "\n", second = "second half\n";
            bool ok = file.Handle() >= 0 &&
                      write(file.Handle(), first.data(), first.size()) == static_cast<ssize_t>(first.size());
            char byte = ok ? 'r' : 'x';
            ok = write(ready[1], &byte, 1) == 1 && ok && read(go[0], &byte, 1) == 1;
            std::string step;
            int code = 0;
            ok = ok && write(file.Handle(), second.data(), second.size()) == static_cast<ssize_t>(second.size()) &&
                 file.Replace(step, code);
            _exit(ok ? 0 : 1);
        }
        close(ready[1]);
        close(go[0]);
        char byte = 0;
        const bool ready_ = read(ready[0], &byte, 1) == 1 && byte == 'r';
        close(ready[0]);
        EXPECT_TRUE(ready_) << Name;
        return TWriter{pid, go[1]};
    };
    const TWriter working = start("run1.mps");
    const TWriter killed = start("run2.mps");
    ASSERT_GT(working.Pid, 0);
    ASSERT_GT(killed.Pid, 0);
    EXPECT_EQ(FilesIn(dir.Path()), 2);
    // Nothing is taken while both are at work.
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.Path()), 0);

    kill(killed.Pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(killed.Pid, &status, 0), killed.Pid);
    close(killed.Go);
    EXPECT_EQ(FilesIn(dir.Path()), 2);
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.Path()), 1);
    EXPECT_EQ(FilesIn(dir.Path()), 1);

    const char go = 'g';
    ASSERT_EQ(write(working.Go, &go, 1), 1);
    close(working.Go);
    ASSERT_EQ(waitpid(working.Pid, &status, 0), working.Pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFileText(dir.File("run1.mps")), "first half of run1.mps\nsecond half\n");
    EXPECT_FALSE(FileExists(dir.File("run2.mps")));
    EXPECT_EQ(FilesIn(dir.Path()), 1);
}
