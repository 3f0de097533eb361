// The instrument's calibration set: its twenty units, and section "CalibrateParam" of a
// settings file on disk through a load, a store and the save at exit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include "TestSupport.h"
#include "platform/ui/Application.h"
#include "zel/core/Calibrateparam.h"

namespace {

// Every key a fresh section holds after a run, in order, with its text.
const char* const FreshSection =
    "[CalibrateParam]\n"
    "ballance.shMin=0\nballance.shMax=65535\nballance.hwMin=0\nballance.hwMax=65535\n"
    "barrier1.vintStep=1\nbarrier1.gear=1\nbarrier1.hwMin=0\nbarrier1.hwMax=2147483647\nbarrier1.zeroHw=0\n"
    "barrier2.vintStep=1\nbarrier2.gear=1\nbarrier2.hwMin=0\nbarrier2.hwMax=2147483647\nbarrier2.zeroHw=0\n"
    "dipper.vintStep=1\ndipper.gear=1\ndipper.hwMin=0\ndipper.hwMax=2147483647\ndipper.zeroHw=0\n"
    "tempAir.shMin=0\ntempAir.shMax=65535\ntempAir.hwMin=0\ntempAir.hwMax=65535\n"
    "tempWater.shMin=0\ntempWater.shMax=65535\ntempWater.hwMin=0\ntempWater.hwMax=65535\n"
    "dipperRotator.ring0.ringPos=0\n"
    "dipperRotator.gear=1\ndipperRotator.hwMin=0\ndipperRotator.hwMax=2147483647\ndipperRotator.zeroHw=0\n"
    "rotationSpeed.shMin=0\nrotationSpeed.shMax=65535\nrotationSpeed.hwMin=0\nrotationSpeed.hwMax=65535\n"
    "doser.syringeDiameter=15.4\ndoser.vintStep=1\ndoser.gear=1\ndoser.hwMin=0\ndoser.hwMax=2147483647\n"
    "doser.zeroHw=0\n"
    "doser2.syringeDiameter=15.4\ndoser2.vintStep=1\ndoser2.gear=1\ndoser2.hwMin=0\ndoser2.hwMax=2147483647\n"
    "doser2.zeroHw=0\n"
    "doserBallance.shMin=0\ndoserBallance.shMax=65535\ndoserBallance.hwMin=0\ndoserBallance.hwMax=65535\n"
    "tape.spindleDiameter=25\ntape.gear=1\ntape.hwMin=0\ntape.hwMax=2147483647\ntape.zeroHw=0\n"
    "rotatingBarrier.gear=1\nrotatingBarrier.hwMin=0\nrotatingBarrier.hwMax=2147483647\nrotatingBarrier.zeroHw=0\n"
    "ADCPlate.k=1\n"
    "doserADCPlate.k=1\n"
    "surface.length=1\nsurface.squareMin=0\nsurface.squareMax=100\n"
    "diskDipper.gear=1\ndiskDipper.hwMin=0\ndiskDipper.hwMax=2147483647\ndiskDipper.zeroHw=0\n"
    "cylDipper.gear=1\ncylDipper.hwMin=0\ncylDipper.hwMax=2147483647\ncylDipper.zeroHw=0\n"
    "perilstaticPump.flowCoeff=1\nperilstaticPump.gear=1\nperilstaticPump.hwMin=0\n"
    "perilstaticPump.hwMax=2147483647\nperilstaticPump.zeroHw=0\n";

// A calibration set bound to a settings file, as the main window sets it up.
std::unique_ptr<TCalibrateParam> LoadedFrom(const std::string& File)
{
    auto param = std::make_unique<TCalibrateParam>();
    param->fileName = File;
    param->LoadFromFile();
    return param;
}

}  // namespace

TEST(CalibrateParam, HoldsTheTwentyUnitsInOrder)
{
    TCalibrateParam param;
    EXPECT_EQ(param.Section(), "CalibrateParam");
    std::vector<std::string> names;
    for (ICalibrateUnit* unit : param.Units()) names.push_back(unit->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"ballance",      "barrier1",        "barrier2",  "dipper",
                                               "tempAir",       "tempWater",       "revolver",  "dipperRotator",
                                               "rotationSpeed", "doser",           "doser2",    "doserBallance",
                                               "tape",          "rotatingBarrier", "ADCPlate",  "doserADCPlate",
                                               "surface",       "diskDipper",      "cylDipper", "perilstaticPump"}));
    EXPECT_EQ(param.Units()[0], &param.ballance);
    EXPECT_EQ(param.Units()[16], &param.surface);
    // the surface works through the set's own barriers
    param.barrier1.SetZeroHw(123);
    EXPECT_EQ(param.surface.AreaToPosition(param.surface.GetSquareMax()), 123);
}

TEST(CalibrateParam, FreshFileHoldsExactlyTheWrittenKeysAfterExit)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    {
        auto param = LoadedFrom(file);
        EXPECT_EQ(param->InputFlowMinInterval, 100);
        EXPECT_EQ(param->InputFlowInterval, 300);
        EXPECT_EQ(param->FBSensetivityK, 1);
        EXPECT_TRUE(param->BadKeys().empty());
        EXPECT_FALSE(FileExists(file));  // loading writes nothing
    }
    EXPECT_EQ(ReadFileText(file), FreshSection);
}

TEST(CalibrateParam, StoreWritesAtOnceAndExitSavesOnlyOnce)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    auto param = LoadedFrom(file);
    param->ballance.SetShMax(72.8);
    param->SaveToFile();
    EXPECT_EQ(TIniFile(file).ReadString("CalibrateParam", "ballance.shMax", ""), "72.8");
    param->dipperRotator.SetRingPos(0, 4321);
    param->SaveAtExit();
    EXPECT_EQ(TIniFile(file).ReadString("CalibrateParam", "dipperRotator.ring0.ringPos", ""), "4321");
    // once saved at exit, the destructor leaves the file to whoever comes next
    TIniFile(file).WriteString("CalibrateParam", "dipperRotator.ring0.ringPos", "1");
    param.reset();
    EXPECT_EQ(TIniFile(file).ReadString("CalibrateParam", "dipperRotator.ring0.ringPos", ""), "1");
}

TEST(CalibrateParam, NeverLoadedWritesNothingAtExit)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file, "[CalibrateParam]\nballance.shMax=72.8\n");
    {
        TCalibrateParam param;
        param.fileName = file;  // set up, but the run ended before the calibration was read
    }
    EXPECT_EQ(ReadFileText(file), "[CalibrateParam]\nballance.shMax=72.8\n");
}

TEST(CalibrateParam, ReadsStoredValuesWithPointOrCommaAndTheExtraKeys)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file,
                  "[Common]\r\nDeviceType=ZEL\r\n"
                  "[CalibrateParam]\r\n"
                  "ballance.shMin=12,5\r\nballance.shMax=72.8\r\nballance.hwMin=100\r\nballance.hwMax=3000\r\n"
                  "barrier1.zeroHw=1000\r\nbarrier1.vintStep=2\r\n"
                  "revolver.countRings=2\r\nrevolver.ring1.countCells=12\r\nrevolver.ring2.countCells=8\r\n"
                  "dipperRotator.countRings=1\r\ndipperRotator.ring1.ringPos=5000\r\n"
                  "surface.squareMax=600\r\nsurface.length=10\r\n"
                  "InputFlowMinInterval=50\r\nInputFlowInterval=250\r\nFBSensetivityK=2,5\r\n");
    auto param = LoadedFrom(file);
    EXPECT_DOUBLE_EQ(param->ballance.GetShMin(), 12.5);
    EXPECT_DOUBLE_EQ(param->ballance.GetK(), (72.8 - 12.5) / 2900);
    EXPECT_EQ(param->barrier1.ShToHw(1), 1200);
    EXPECT_EQ(param->revolver.GetTotalCells(), 20);
    EXPECT_EQ(param->dipperRotator.GetRingPos(1), 5000);
    EXPECT_EQ(param->surface.AreaToPosition(500), 1000 + 50 * 200);
    EXPECT_EQ(param->InputFlowMinInterval, 50);
    EXPECT_EQ(param->InputFlowInterval, 250);
    EXPECT_EQ(param->FBSensetivityK, 2.5);
    EXPECT_TRUE(param->BadKeys().empty());
    param.reset();
    // the three extra keys are read only; the stored texts of the units come back the same
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("CalibrateParam", "FBSensetivityK", ""), "2,5");
    EXPECT_EQ(ini.ReadString("CalibrateParam", "ballance.shMin", ""), "12.5");
    EXPECT_EQ(ini.ReadString("CalibrateParam", "ballance.hwMax", ""), "3000");
    EXPECT_EQ(ini.ReadString("CalibrateParam", "revolver.countRings", ""), "2");
    EXPECT_EQ(ini.ReadString("CalibrateParam", "dipperRotator.ring1.ringPos", ""), "5000");
    EXPECT_EQ(ini.ReadString("Common", "DeviceType", ""), "ZEL");
}

TEST(CalibrateParam, OneBadKeyKeepsEveryOtherUnitThroughLoadAndExitSave)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    WriteFileText(file,
                  "[CalibrateParam]\n"
                  "ballance.shMax=72.8\nballance.hwMin=100\nballance.hwMax=3000\n"
                  "barrier1.hwMax=88000\nbarrier1.zeroHw=1500\n"
                  "barrier2.vintStep=1..5\n"  // the bad key
                  "barrier2.hwMax=87000\nbarrier2.zeroHw=1400\n"
                  "dipper.zeroHw=-20\n"
                  "doser.syringeDiameter=11.2\n"
                  "ADCPlate.k=0.004\n"
                  "surface.squareMax=600\n"
                  "perilstaticPump.flowCoeff=0.35\n"
                  "InputFlowInterval=x\n");
    {
        auto param = LoadedFrom(file);
        EXPECT_EQ(param->BadKeys(),
                  (std::vector<std::string>{"CalibrateParam/barrier2.vintStep", "CalibrateParam/InputFlowInterval"}));
        EXPECT_EQ(param->barrier2.GetVintStep(), 1);
        EXPECT_EQ(param->barrier2.GetHwMax(), 87000);
        EXPECT_EQ(param->barrier2.GetZeroHw(), 1400);
        EXPECT_EQ(param->dipper.GetZeroHw(), -20);
        EXPECT_EQ(param->doser.GetSyringeDiameter(), 11.2);
        EXPECT_EQ(param->ADCPlate.GetK(), 0.004);
        EXPECT_EQ(param->surface.GetSquareMax(), 600);
        EXPECT_EQ(param->perilstaticPump.GetFlowCoeff(), 0.35);
        EXPECT_EQ(param->InputFlowInterval, 300);
    }
    TIniFile ini(file);
    const struct {
        const char* key;
        const char* text;
    } kept[] = {
        {"ballance.shMax", "72.8"},  {"ballance.hwMin", "100"},    {"ballance.hwMax", "3000"},
        {"barrier1.hwMax", "88000"}, {"barrier1.zeroHw", "1500"},  {"barrier2.hwMax", "87000"},
        {"barrier2.zeroHw", "1400"}, {"dipper.zeroHw", "-20"},     {"doser.syringeDiameter", "11.2"},
        {"ADCPlate.k", "0.004"},     {"surface.squareMax", "600"}, {"perilstaticPump.flowCoeff", "0.35"},
        {"InputFlowInterval", "x"},
    };
    for (const auto& k : kept) EXPECT_EQ(ini.ReadString("CalibrateParam", k.key, ""), k.text) << k.key;
    EXPECT_EQ(ini.ReadString("CalibrateParam", "barrier2.vintStep", ""), "1");
}

TEST(CalibrateParam, SavesBesideTheProgramsOwnSettingsObject)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TIniFile program(file);  // held open for the whole run, as the program's IniFile is
    program.WriteString("Common", "DeviceType", "LBL");
    auto param = LoadedFrom(file);
    program.WriteInteger("FMain", "Left", 10);
    param->tape.SetZeroHw(5);
    param->SaveToFile();
    program.WriteInteger("FMain", "Top", 20);
    param.reset();
    EXPECT_EQ(program.ReadString("Common", "DeviceType", ""), "LBL");
    EXPECT_EQ(program.ReadInteger("FMain", "Left", 0), 10);
    EXPECT_EQ(program.ReadInteger("FMain", "Top", 0), 20);
    EXPECT_EQ(program.ReadString("CalibrateParam", "tape.zeroHw", ""), "5");
    EXPECT_EQ(program.ReadSections(), (std::vector<std::string>{"Common", "FMain", "CalibrateParam"}));
}

// The global set is destroyed with the program's statics, after the platform; it must
// not write from there. (Its save runs while the application object goes.)
TEST(CalibrateParamDeathTest, GlobalWritesNothingAtStaticDestruction)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from the start, so the file is one both see: in the
    // working folder, not in a fresh temporary folder.
    const std::string file = "Calibrateparam_exit_test.ini";
    std::remove(file.c_str());
    EXPECT_EXIT(
        {
            CalibrateParam.fileName = file;
            CalibrateParam.LoadFromFile();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(FileExists(file));
    std::remove(file.c_str());
}

TEST(CalibrateParamDeathTest, GlobalSavesWhileTheApplicationObjectGoes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string file = "Calibrateparam_shutdown_test.ini";
    std::remove(file.c_str());
    EXPECT_EXIT(
        {
            CalibrateParam.fileName = file;
            CalibrateParam.LoadFromFile();
            CalibrateParam.barrier1.SetZeroHw(77);
            // The program's end: the application object goes (the child never returns to
            // the test main, which would destroy it again), then the statics.
            Application->~TApplication();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(TIniFile(file).ReadString("CalibrateParam", "barrier1.zeroHw", ""), "77");
    EXPECT_EQ(TIniFile(file).ReadSection("CalibrateParam").size(), 79u);
    std::remove(file.c_str());
}
