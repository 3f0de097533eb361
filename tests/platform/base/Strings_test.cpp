#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>

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
