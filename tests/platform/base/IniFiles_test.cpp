#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/base/IniFiles.h"

TEST(IniFile, TwoObjectsOnOneFileSeeEachOthersWritesAtOnce)
{
    TTempDir dir;
    TIniFile program(dir.File("zel.ini"));
    TIniFile link(dir.File("zel.ini"));
    program.WriteString("PortSettings", "Port", "/dev/pts/7");
    EXPECT_EQ(link.ReadString("PortSettings", "Port", "COM1"), "/dev/pts/7");
    link.WriteInteger("PortSettings", "NumRepeatCommand", 6);
    EXPECT_EQ(program.ReadInteger("PortSettings", "NumRepeatCommand", 4), 6);
    // The file on disk already holds both, before either object goes.
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[PortSettings]\nPort=/dev/pts/7\nNumRepeatCommand=6\n");
}

TEST(IniFile, SectionAndKeyNamesAreCaseInsensitive)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[Common]\r\nDeviceType=LBL\r\n[settings]\r\nUpdateStatusInterval=250\r\n");
    TIniFile ini(dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("COMMON", "devicetype", ""), "LBL");
    EXPECT_EQ(ini.ReadInteger("Settings", "UPDATESTATUSINTERVAL", 500), 250);
    ini.WriteString("common", "DEVICETYPE", "ZEL");
    // The existing key is replaced in place, keeping its spelling and the file's CR LF.
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")),
              "[Common]\r\nDeviceType=ZEL\r\n[settings]\r\nUpdateStatusInterval=250\r\n");
}

TEST(IniFile, NewKeysAreAppendedToTheirSectionInWriteOrder)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[A]\nx=1\n\n[B]\ny=2\n");
    TIniFile ini(dir.File("zel.ini"));
    ini.WriteString("A", "z", "3");
    ini.WriteString("A", "w", "4");
    ini.WriteString("C", "v", "5");
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[A]\nx=1\nz=3\nw=4\n\n[B]\ny=2\n[C]\nv=5\n");
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"x", "z", "w"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(IniFile, ValuesComeBackExactlyAsStored)
{
    TTempDir dir;
    TIniFile ini(dir.File("zel.ini"));
    ini.WriteString("S", "Quoted", "\"a; b\"");
    ini.WriteString("S", "Equals", "x=y");
    EXPECT_EQ(ini.ReadString("S", "Quoted", ""), "\"a; b\"");
    EXPECT_EQ(ini.ReadString("S", "Equals", ""), "x=y");
    EXPECT_EQ(ini.ReadString("S", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nowhere", "Missing", "dflt"), "dflt");
}

TEST(IniFile, FloatsReadWithEitherSeparatorAndWriteWithAPoint)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[F]\ncomma=12,5\npoint=12.5\nneg=-0,25\n");
    TIniFile ini(dir.File("zel.ini"));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "comma", 0), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "point", 0), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("F", "neg", 0), -0.25);
    const struct {
        double value;
        const char* text;
    } cases[] = {{2147483647.0, "2147483647"}, {0.1, "0.1"}, {-1.5e-7, "-1.5e-07"}, {1.0 / 3.0, "0.333333333333333"}};
    for (const auto& c : cases) {
        ini.WriteFloat("F", "v", c.value);
        EXPECT_EQ(ini.ReadString("F", "v", ""), c.text);
    }
    ini.WriteFloat("F", "max", 2147483647.0);
    EXPECT_EQ(ini.ReadFloat("F", "max", 0), 2147483647.0);
}

TEST(IniFile, AValueThatDoesNotParseIsAMissingKeyForThatKeyAlone)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[Cal]\na=1.5\nb=abc\nc=2.5\nd=12x\ne=$1F\nf=99999999999\ng=1\nh=nan\n");
    TIniFile ini(dir.File("zel.ini"));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Cal", "a", -1), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Cal", "b", -1), -1);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Cal", "c", -1), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Cal", "h", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Cal", "d", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Cal", "e", 7), 31);
    EXPECT_EQ(ini.ReadInteger("Cal", "f", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Cal", "g", false));
    EXPECT_TRUE(ini.ReadBool("Cal", "b", true));
    EXPECT_FALSE(ini.ReadBool("Cal", "b", false));
}

TEST(IniFile, EraseSectionAndDeleteKeyLeaveTheRestAlone)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[A]\nx=1\ny=2\n[B]\nz=3\n[C]\nw=4\n");
    TIniFile ini(dir.File("zel.ini"));
    ini.DeleteKey("A", "X");
    ini.EraseSection("b");
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[A]\ny=2\n[C]\nw=4\n");
    EXPECT_FALSE(ini.SectionExists("B"));
    EXPECT_TRUE(ini.ValueExists("c", "W"));
    EXPECT_EQ(ini.ReadSectionValues("A"), std::vector<std::string>{"y=2"});
}

TEST(IniFile, AMissingFileGivesDefaultsAndTheFirstWriteCreatesIt)
{
    TTempDir dir;
    TIniFile ini(dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadInteger("Settings", "ADCDataAccuracy", 3), 3);
    EXPECT_FALSE(FileExists(dir.File("zel.ini")));
    ini.WriteBool("Common", "Simulate", true);
    EXPECT_EQ(ReadFileText(dir.File("zel.ini")), "[Common]\nSimulate=1\n");
}

TEST(IniFile, IntegerTextsWithTwoSignsOrOutsideTheRangeAreMissing)
{
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"--9223372036854775808", std::nullopt},
        {"-9223372036854775808", std::nullopt},
        {"+-5", std::nullopt},
        {"-+5", std::nullopt},
        {"-$-5", std::nullopt},
        {"-2147483648", INT32_MIN},
        {"-2147483649", std::nullopt},
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT32_MIN},
        {"$100000000", std::nullopt},
        {"-$10", -16},
        {"+7", 7},
        {"18446744073709551616", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text), c.value) << c.text;
}

TEST(IniFile, NumbersOutsideTheirRangeReadAsTheDefault)
{
    TTempDir dir;
    WriteFileText(dir.File("zel.ini"), "[Settings]\nlow=-1\nhigh=9\nedge=3\nbad=x\n");
    TIniFile ini(dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadIntegerInRange("Settings", "low", 3, 0, 3), 3);
    EXPECT_EQ(ini.ReadIntegerInRange("Settings", "high", 3, 0, 3), 3);
    EXPECT_EQ(ini.ReadIntegerInRange("Settings", "edge", 1, 0, 3), 3);
    EXPECT_EQ(ini.ReadIntegerInRange("Settings", "bad", 2, 0, 3), 2);
    EXPECT_EQ(ini.ReadIntegerInRange("Settings", "missing", 2, 0, 3), 2);
}

TEST(IniFile, AFileThatCannotBeReadIsNeverWrittenOverAndToldOnce)
{
    // A folder in the file's place, and (where permissions hold) a file nobody may read.
    TTempDir dir;
    std::vector<std::string> files;
    ASSERT_EQ(mkdir(dir.File("folder.ini").c_str(), 0755), 0);
    files.push_back(dir.File("folder.ini"));
    if (geteuid() != 0) {
        WriteFileText(dir.File("locked.ini"), "[Common]\nDeviceType=LBL\nOther=keep\n");
        ASSERT_EQ(chmod(dir.File("locked.ini").c_str(), 0200), 0);
        files.push_back(dir.File("locked.ini"));
    }
    for (const std::string& file : files) {
        TDialogRecorder boxes;
        TIniFile ini(file);
        EXPECT_EQ(ini.ReadString("Common", "DeviceType", "ZEL"), "ZEL") << file;
        ini.WriteString("Common", "DeviceType", "COMBINED");
        ini.WriteInteger("Settings", "ADCDataAccuracy", 2);
        // The program goes on with what it wrote, in memory.
        EXPECT_EQ(ini.ReadString("Common", "DeviceType", ""), "COMBINED") << file;
        EXPECT_EQ(TIniFile(file).ReadInteger("Settings", "ADCDataAccuracy", 3), 2) << file;
        ASSERT_EQ(boxes.Requests.size(), 1u) << file;
        EXPECT_EQ(boxes.Requests[0].Text.rfind("Unable to read " + file, 0), 0u) << boxes.Requests[0].Text;
    }
    struct stat info {};
    ASSERT_EQ(stat(dir.File("folder.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    if (geteuid() != 0) {
        chmod(dir.File("locked.ini").c_str(), 0600);
        EXPECT_EQ(ReadFileText(dir.File("locked.ini")), "[Common]\nDeviceType=LBL\nOther=keep\n");
    }
}

namespace {
void SetModified(const std::string& FileName, time_t Seconds)
{
    const timespec times[2] = {{Seconds, 0}, {Seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, FileName.c_str(), times, 0), 0);
}
}  // namespace

// Reads are served from the file as last parsed; every way another program changes the
// file must still be seen by the next read, also when the size stays the same.
TEST(IniFile, ReadsSeeEveryChangeMadeToTheFileByAnotherProgram)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file, "[PortSettings]\nPort=/dev/pts/1\n");
    SetModified(file, 1'000'000'000);  // old enough that its parse is kept
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", ""), "/dev/pts/1");
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", ""), "/dev/pts/1");

    // Rewritten in place with the same size: a new time.
    WriteFileText(file, "[PortSettings]\nPort=/dev/pts/2\n");
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", ""), "/dev/pts/2");

    // Replaced by another file of the same size, with the old time set on it.
    SetModified(file, 1'000'000'000);
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", ""), "/dev/pts/2");
    const std::string other = dir.File("other.ini");
    WriteFileText(other, "[PortSettings]\nPort=/dev/pts/3\n");
    SetModified(other, 1'000'000'000);
    ASSERT_EQ(::rename(other.c_str(), file.c_str()), 0);
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", ""), "/dev/pts/3");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"PortSettings"});

    // Removed: defaults again; written by this program: its own text back.
    ASSERT_EQ(::unlink(file.c_str()), 0);
    EXPECT_EQ(ini.ReadString("PortSettings", "Port", "COM1"), "COM1");
    ini.WriteString("PortSettings", "Port", "/dev/pts/4");
    EXPECT_EQ(TIniFile(file).ReadString("PortSettings", "Port", ""), "/dev/pts/4");
    EXPECT_EQ(ReadFileText(file), "[PortSettings]\nPort=/dev/pts/4\n");
}
