#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/kvcls/kvcls.h"

TEST(CustomDLL, LoadsAModuleByBareNameFromTheProgramFolder)
{
    TCustomDLL dll;
    dll.SetFileName("kvclstestmodule.so");
    ASSERT_TRUE(dll.GetLoaded()) << dll.LoadError();
    EXPECT_EQ(dll.FileName, "kvclstestmodule.so");
    using TAnswer = int (*)();
    auto answer = reinterpret_cast<TAnswer>(GetProcAddress(dll.Handle, "_TestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 4711);
    EXPECT_EQ(GetProcAddress(dll.Handle, "_NoSuchExport"), nullptr);
}

TEST(CustomDLL, ReportsAMissingModuleAndAnEmptyName)
{
    TCustomDLL dll;
    dll.SetFileName("no-such-module.so");
    EXPECT_FALSE(dll.GetLoaded());
    EXPECT_EQ(dll.Handle, nullptr);
    EXPECT_EQ(dll.FileName, "no-such-module.so");
    EXPECT_FALSE(dll.LoadError().empty());
    dll.SetFileName("");
    EXPECT_FALSE(dll.GetLoaded());
    EXPECT_TRUE(dll.LoadError().empty());
}

TEST(FolderFiles, ListsTheFilesThatMatchTheMask)
{
    TTempDir dir;
    WriteFileText(dir.File("russian.lng"), "");
    WriteFileText(dir.File("english.LNG"), "");
    WriteFileText(dir.File("notes.txt"), "");
    TFolderFiles files;
    files.Folder = dir.Path();
    files.Mask = "*.lng";
    files.Scan("");
    EXPECT_EQ(files.Files, (std::vector<std::string>{dir.File("english.LNG"), dir.File("russian.lng")}));
    files.Folder = dir.File("missing");
    files.Scan("");
    EXPECT_TRUE(files.Files.empty());
}

TEST(ConvertString2Float, AcceptsEitherSeparatorAndRejectsNonNumbers)
{
    const struct {
        const char* text;
        double value;
    } good[] = {{"12.5", 12.5}, {"12,5", 12.5}, {" -3 ", -3}, {"1e3", 1000}, {"+0,5", 0.5}};
    for (const auto& c : good) EXPECT_DOUBLE_EQ(ConvertString2Float(c.text), c.value) << c.text;
    for (const char* bad : {"", "abc", "1.2.3", "12x", "nan", "1,5,5"})
        EXPECT_THROW(ConvertString2Float(bad), EConvertError) << bad;
}

TEST(ResGuard, ScopeLockExcludesOtherThreads)
{
    TResGuard guard;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            TResGuard::TGuard lock(guard);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

ZEL_VERSION_TAG("2.3.4.5");

TEST(ProgramVersion, ReadsTheVersionEmbeddedInAProgramFile)
{
    EXPECT_EQ(GetProgramVersion(GetProgramFolder() + "t_platform_kvcls_kvcls_test"), "2.3.4.5");
    TTempDir dir;
    WriteFileText(dir.File("plain"), "no version here");
    EXPECT_EQ(GetProgramVersion(dir.File("plain")), "");
    EXPECT_EQ(GetProgramVersion(dir.File("missing")), "");
}
