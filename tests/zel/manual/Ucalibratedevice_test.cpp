// The device calibration window: balance calibration sent to and read from the
// instrument, the square and the barrier auto calibration, the layer-by-layer platform and
// its log of ring positions, the pump calibration, "Store calibrate" on zel.ini, the pages
// per device type and the language items.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/IniFiles.h"
#include "platform/ui/TabVisibility.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/core/Uwait.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"

namespace {

using Lines = std::vector<std::string>;

class CalibrateDevice : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        ResetCalibration();
        FSavedFolder = std::filesystem::current_path();
        // The window writes its log of ring positions into the current folder.
        std::filesystem::current_path(Dir.Path());
        DeviceState = {};
    }
    void TearDown() override
    {
        TMainWindowFixture::TearDown();
        std::filesystem::current_path(FSavedFolder);
        ResetCalibration();
        DeviceState = {};
    }
    // The program up to the calibration window, with the recording link bound.
    void Open(const std::string& Common = "", const std::string& Calibration = "")
    {
        Start("[Common]\n" + Common + Libraries() + Calibration);
        ASSERT_NE(Link(), nullptr);
        Window = CreateForm<TFCalibrateDevice>(nullptr);
        Link()->ClearCalls();
    }
    static void ResetCalibration()
    {
        TCalibrateParam fresh;
        for (size_t i = 0; i < CalibrateParam.Units().size(); ++i) CalibrateParam.Units()[i]->Assign(fresh.Units()[i]);
        CalibrateParam.surface.SetBarriers(&CalibrateParam.barrier1, &CalibrateParam.barrier2);
    }
    std::string Stored(const std::string& Key) const
    {
        return TIniFile(Dir.File("zel.ini")).ReadString("CalibrateParam", Key, "(missing)");
    }
    std::string LogText() const { return ReadFileText(Dir.File("log.txt")); }

    TFCalibrateDevice* Window = nullptr;
    std::filesystem::path FSavedFolder;
};

// ---------------------------------------------------------------------------------------
// Balance

TEST_F(CalibrateDevice, BalanceTwoPointLineGoesToTheInstrumentAtEachStep)
{
    Open("", "[CalibrateParam]\nballance.shMin=5\nballance.shMax=50\nballance.hwMin=0\nballance.hwMax=100\n");
    TClbBallance& balance = CalibrateParam.ballance;
    EXPECT_FALSE(Window->SBStoreCalibrate->GetEnabled());

    Window->EDBalanceTopLevel->SetValueFloat(0);
    Window->EDBalanceBottomLevel->SetValueFloat(72.8);
    DeviceState.balance = 3000;
    Window->BBBalanceTopLevel->Click();
    DeviceState.balance = 9000;
    Window->BBBalanceBottomLevel->Click();

    // Each step sends the whole record: readings, then tensions in tenths of mN/m.
    EXPECT_EQ(Link()->Lines(), (Lines{"CLBCoeff= 00000000 00000000 00000064 000001F4",
                                      "CLBCoeff= 00000000 00000000 00000064 000002D8",
                                      "CLBCoeff= 00000BB8 00000000 00000064 000002D8",
                                      "CLBCoeff= 00000BB8 00000000 00002328 000002D8"}));
    EXPECT_DOUBLE_EQ(balance.GetHwMin(), 3000);
    EXPECT_DOUBLE_EQ(balance.GetHwMax(), 9000);
    EXPECT_NEAR(balance.HwToSh(6000), 36.4, 1e-9);
    EXPECT_NEAR(balance.ShToHw(72.8), 9000, 1e-9);
    // Readings are shown relative to the middle of the converter's range.
    EXPECT_EQ(Window->txtBalanceTopADC->GetCaption(), "-1095");
    EXPECT_EQ(Window->txtBalanceBottomADC->GetCaption(), "4905");
    EXPECT_EQ(Window->EDBalanceTopLevel->GetCaption(), "0");
    EXPECT_EQ(Window->EDBalanceBottomLevel->GetCaption(), "72.8");
    EXPECT_TRUE(Window->SBStoreCalibrate->GetEnabled());
}

TEST_F(CalibrateDevice, GetCalibrateReadsTheInstrumentsRecord)
{
    Open();
    Link()->SetReplyRecord("=CLBCoeff", TClbCoeff{1200, 0, 7400, 728});
    Window->SBGetCalibrate->Click();

    ASSERT_EQ(Link()->Lines(), (Lines{"=CLBCoeff"}));
    EXPECT_EQ(Link()->Calls()[0].ResultSize, static_cast<int>(sizeof(TClbCoeff)));
    TClbBallance& balance = CalibrateParam.ballance;
    EXPECT_DOUBLE_EQ(balance.GetHwMin(), 1200);
    EXPECT_DOUBLE_EQ(balance.GetHwMax(), 7400);
    EXPECT_NEAR(balance.GetShMin(), 0, 1e-12);
    EXPECT_NEAR(balance.GetShMax(), 72.8, 1e-12);
    EXPECT_EQ(Window->EDBalanceBottomLevel->GetCaption(), "72.8");
    EXPECT_EQ(Window->txtBalanceTopADC->GetCaption(), "-2895");
    EXPECT_EQ(Window->txtBalanceBottomADC->GetCaption(), "3305");
    EXPECT_TRUE(Window->SBStoreCalibrate->GetEnabled());
}

TEST_F(CalibrateDevice, GetCalibrateWithoutAReplyKeepsTheBalance)
{
    Open();
    CalibrateParam.ballance.SetHwMin(2000);
    CalibrateParam.ballance.SetHwMax(8000);
    Window->ShowCalibration();
    // No reply (the record stays zero) and a record whose readings coincide: no line.
    for (bool reply : {false, true}) {
        Link()->ClearReplies();
        if (reply) Link()->SetReplyRecord("=CLBCoeff", TClbCoeff{5000, 0, 5000, 728});
        Window->SBGetCalibrate->Click();
        EXPECT_DOUBLE_EQ(CalibrateParam.ballance.GetHwMin(), 2000) << reply;
        EXPECT_DOUBLE_EQ(CalibrateParam.ballance.GetHwMax(), 8000) << reply;
        EXPECT_EQ(Window->txtBalanceBottomADC->GetCaption(), "3905") << reply;
        EXPECT_FALSE(Window->SBStoreCalibrate->GetEnabled()) << reply;
    }
    EXPECT_EQ(Link()->Lines(), (Lines{"=CLBCoeff", "=CLBCoeff"}));
}

TEST_F(CalibrateDevice, DoserBalanceIsCalibratedWithoutSendingAnything)
{
    Open();
    DeviceState.doserBalance = 4000;
    Window->btnDoserBallanceTop->Click();
    DeviceState.doserBalance = 10000;
    Window->btnDoserBallanceBottom->Click();
    Window->edDoserBallanceBottom->SetValueFloat(70);
    TClbBallance& doser = CalibrateParam.doserBallance;
    EXPECT_DOUBLE_EQ(doser.GetHwMin(), 4000);
    EXPECT_DOUBLE_EQ(doser.GetHwMax(), 10000);
    EXPECT_DOUBLE_EQ(doser.GetShMax(), 70);
    EXPECT_EQ(Window->txtDoserBallanceTopADC->GetCaption(), "-95");
    EXPECT_EQ(Window->txtDoserBallanceBottomADC->GetCaption(), "5905");
    EXPECT_TRUE(Link()->Lines().empty());
    EXPECT_TRUE(Window->SBStoreCalibrate->GetEnabled());
}

// ---------------------------------------------------------------------------------------
// Store

TEST_F(CalibrateDevice, StoreWritesTheCalibrationToTheSettingsFileAndKeepsAStoredPumpFlow)
{
    Open("", "[CalibrateParam]\nperilstaticPump.flowCoeff=2.5\n");
    CalibrateParam.perilstaticPump.SetFlowCoeff(2.5);
    Window->EDSquareMax->SetValueFloat(120.5);
    Window->EDSquareMin->SetValueFloat(20.25);
    DeviceState.balance = 3500;
    Window->BBBalanceTopLevel->Click();
    ASSERT_TRUE(Window->SBStoreCalibrate->GetEnabled());

    Window->SBStoreCalibrate->Click();

    EXPECT_EQ(Stored("surface.squareMax"), "120.5");
    EXPECT_EQ(Stored("surface.squareMin"), "20.25");
    EXPECT_EQ(Stored("ballance.hwMin"), "3500");
    // No pump measurement was made: the stored flow survives.
    EXPECT_EQ(Stored("perilstaticPump.flowCoeff"), "2.5");
    EXPECT_DOUBLE_EQ(CalibrateParam.perilstaticPump.GetFlowCoeff(), 2.5);
    EXPECT_FALSE(Window->SBStoreCalibrate->GetEnabled());
    EXPECT_EQ(Window->EDSquareMax->GetCaption(), "120.500");
}

}  // namespace
