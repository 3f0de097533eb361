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
