// The device calibration window: balance calibration sent to and read from the
// instrument, the square and the barrier auto calibration, the layer-by-layer platform and
// its log of ring positions, the pump calibration, "Store calibrate" on zel.ini, the pages
// per device type and the language items.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/IniFiles.h"
#include "platform/ui/TabVisibility.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/core/Uwait.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"

namespace {

using Lines = std::vector<std::string>;

class CalibrateDevice : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        ResetCalibration();
        FSavedFolder = std::filesystem::current_path();
        // The log of ring positions goes to the program folder, wherever the program was
        // started from.
        std::filesystem::current_path(Elsewhere.Path());
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
    // The global calibration back to a fresh one's values: written by a fresh set and read
    // back, since copying leaves the motor family's values as they are.
    void ResetCalibration()
    {
        const std::string file = Dir.File("fresh.ini");
        {
            TCalibrateParam fresh;
            fresh.Save(file);
        }
        CalibrateParam.Load(file);
        // The fresh set keeps no ring positions beyond its own: clear the table by loading.
        WriteFileText(file,
                      "[R]\ndipperRotator.countRings=2\ndipperRotator.ring0.ringPos=0\n"
                      "dipperRotator.ring1.ringPos=0\ndipperRotator.ring2.ringPos=0\n");
        TIniFile rings(file);
        CalibrateParam.dipperRotator.Load(&rings, "R", nullptr);
        rings.WriteString("R", "dipperRotator.countRings", "0");
        CalibrateParam.dipperRotator.Load(&rings, "R", nullptr);
    }
    std::string Stored(const std::string& Key) const
    {
        return TIniFile(Dir.File("zel.ini")).ReadString("CalibrateParam", Key, "(missing)");
    }
    std::string LogText() const { return ReadFileText(Dir.File("log.txt")); }

    TFCalibrateDevice* Window = nullptr;
    TTempDir Elsewhere;
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
    EXPECT_EQ(
        Link()->Lines(),
        (Lines{"CLBCoeff= 00000000 00000000 00000064 000001F4", "CLBCoeff= 00000000 00000000 00000064 000002D8",
               "CLBCoeff= 00000BB8 00000000 00000064 000002D8", "CLBCoeff= 00000BB8 00000000 00002328 000002D8"}));
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

// ---------------------------------------------------------------------------------------
// Barrier auto calibration

class CalibrateDeviceWithManual : public CalibrateDevice {
protected:
    void OpenWithManual()
    {
        Open();
        Manual = CreateForm<TFManualCtrl>(nullptr);
        Manual->SetBarrier1Speed(0x123);
        Manual->SetBarrier2Speed(0x456);
        Link()->ClearCalls();
    }
    // The speed codes sent in Lines for "<Word> ", as numbers.
    static std::vector<unsigned> Codes(const Lines& Sent, const std::string& Word)
    {
        std::vector<unsigned> codes;
        for (const std::string& line : Sent)
            if (line.rfind(Word + " ", 0) == 0) codes.push_back(std::stoul(line.substr(Word.size() + 1), nullptr, 16));
        return codes;
    }
    static Lines Without(const Lines& Sent, const std::string& Prefix)
    {
        Lines rest;
        for (const std::string& line : Sent)
            if (line.rfind(Prefix, 0) != 0) rest.push_back(line);
        return rest;
    }
    TFManualCtrl* Manual = nullptr;
};

TEST_F(CalibrateDeviceWithManual, AutoCalibrationOpensClosesAndTakesTheBarrierLimits)
{
    OpenWithManual();
    CalibrateParam.barrier1.SetHwMin(500);
    CalibrateParam.barrier2.SetHwMin(700);
    Window->btnBarAutoCalibrate->Click();
    ASSERT_NE(Window->WaitBox, nullptr);
    EXPECT_EQ(Window->WaitBox, FWait);
    EXPECT_TRUE(FWait->GetVisible());
    EXPECT_EQ(Window->AutoCalState, 1);
    // Full speed on both barriers, through the manual window, then the trough opens.
    const Lines opening = Link()->Lines();
    ASSERT_EQ(opening.size(), 4u);
    const std::vector<unsigned> speed1 = Codes(opening, "Barrier1Speed=");
    const std::vector<unsigned> speed2 = Codes(opening, "Barrier2Speed=");
    ASSERT_EQ(speed1.size(), 1u);
    ASSERT_EQ(speed2.size(), 1u);
    EXPECT_EQ(Manual->Barrier1SpeedCode, speed1[0]);
    EXPECT_NEAR(CalibrateParam.barrier1.CodeToSpeed(speed1[0]), CalibrateParam.barrier1.GetMaxSpeed(),
                CalibrateParam.barrier1.GetMaxSpeed() * 0.01);
    EXPECT_NEAR(CalibrateParam.barrier2.CodeToSpeed(speed2[0]), CalibrateParam.barrier2.GetMaxSpeed(),
                CalibrateParam.barrier2.GetMaxSpeed() * 0.01);
    EXPECT_EQ(Without(Without(opening, "Barrier1Speed="), "Barrier2Speed="),
              (Lines{"Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000"}));

    // A second press while the wait box is open does nothing.
    Link()->ClearCalls();
    Window->btnBarAutoCalibrate->Click();
    EXPECT_TRUE(Link()->Lines().empty());

    Window->OnDrivesStopped();
    EXPECT_EQ(Window->AutoCalState, 2);
    EXPECT_EQ(Link()->Lines(), (Lines{"Barrier1MoveLeft 00000000", "Barrier2MoveRight 00000000"}));

    Link()->ClearCalls();
    DeviceState.barrier1Pos = 41000;
    DeviceState.barrier2Pos = 40500;
    Window->OnDrivesStopped();
    EXPECT_EQ(Link()->Lines(), (Lines{"Barrier1Speed= 00000123", "Barrier2Speed= 00000456",
                                      "Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000"}));
    EXPECT_EQ(Window->AutoCalState, 0);
    EXPECT_EQ(Window->WaitBox, nullptr);
    EXPECT_EQ(FWait, nullptr);
    EXPECT_DOUBLE_EQ(CalibrateParam.barrier1.GetHwMin(), 0);
    EXPECT_DOUBLE_EQ(CalibrateParam.barrier1.GetHwMax(), 41000);
    EXPECT_DOUBLE_EQ(CalibrateParam.barrier2.GetHwMin(), 0);
    EXPECT_DOUBLE_EQ(CalibrateParam.barrier2.GetHwMax(), 40500);
    EXPECT_EQ(Window->txtSquareMaxSteps->GetCaption(), "0");
    EXPECT_EQ(Window->txtSquareMinSteps->GetCaption(), "81500");
    EXPECT_TRUE(Window->SBStoreCalibrate->GetEnabled());

    // Idle, a drives-stopped notice changes nothing.
    Link()->ClearCalls();
    Window->OnDrivesStopped();
    EXPECT_TRUE(Link()->Lines().empty());
}

TEST_F(CalibrateDeviceWithManual, ClosingTheWaitBoxCancelsTheAutoCalibration)
{
    OpenWithManual();
    Window->btnBarAutoCalibrate->Click();
    Window->OnDrivesStopped();
    Link()->ClearCalls();
    ASSERT_NE(FWait, nullptr);
    FWait->btnCancel->Click();
    EXPECT_EQ(Link()->Lines(),
              (Lines{"Barrier1Speed= 00000123", "Barrier2Speed= 00000456", "Barrier1Stop", "Barrier2Stop"}));
    EXPECT_EQ(Window->AutoCalState, 0);
    EXPECT_EQ(Window->WaitBox, nullptr);
    // The next press starts anew.
    Link()->ClearCalls();
    Window->btnBarAutoCalibrate->Click();
    EXPECT_EQ(Link()->Lines().size(), 4u);
    EXPECT_EQ(Window->AutoCalState, 1);
}

TEST_F(CalibrateDevice, DrivesStoppedNoticesOfTheLinkStepTheAutoCalibration)
{
    Open();
    Window->btnBarAutoCalibrate->Click();
    Link()->ClearCalls();
    Link()->SendNotify(hlnDrivesStopped, 0);
    EXPECT_EQ(Window->AutoCalState, 2);
    DeviceState.barrier1Pos = 41000;
    DeviceState.barrier2Pos = 40500;
    Link()->SendNotify(hlnDrivesStopped, 0);
    EXPECT_EQ(Window->AutoCalState, 0);
    EXPECT_EQ(Link()->Lines(), (Lines{"Barrier1MoveLeft 00000000", "Barrier2MoveRight 00000000",
                                      "Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000"}));
    EXPECT_EQ(Window->txtSquareMinSteps->GetCaption(), "81500");
}

TEST_F(CalibrateDevice, AnOpenWaitBoxGoesWithTheWindow)
{
    Open();
    Window->btnBarAutoCalibrate->Click();
    ASSERT_NE(FWait, nullptr);
    FreeForm(Window);
    Window = nullptr;
    EXPECT_EQ(FWait, nullptr);
    EXPECT_EQ(FCalibrateDevice, nullptr);
}

TEST_F(CalibrateDeviceWithManual, WithoutTheManualWindowTheBarriersStillRun)
{
    Open();
    Window->btnBarAutoCalibrate->Click();
    EXPECT_EQ(Link()->Lines(), (Lines{"Barrier1MoveRight 00000000", "Barrier2MoveLeft 00000000"}));
}

// ---------------------------------------------------------------------------------------
// Layer-by-layer platforms, dipper levels and the log of ring positions

TEST_F(CalibrateDeviceWithManual, DipperLevelsAndMovesGoThroughTheManualWindow)
{
    OpenWithManual();
    DeviceState.dipperPos = 1500;
    Window->btnDipperLevelRotation->Click();
    EXPECT_EQ(Manual->LblDipperUpLimit, 1500);
    EXPECT_EQ(Link()->Lines(), (Lines{"LblDipTopLevel= 000005DC"}));
    DeviceState.dipperPos = 800;
    Window->btnDipperLevelLiquid->Click();
    EXPECT_EQ(CalibrateParam.dipper.GetZeroHw(), 800);
    Window->RefreshIndicators();
    EXPECT_EQ(Window->txtDipperLevelLiquid->GetCaption(), "800");
    EXPECT_EQ(Window->txtDipperLevelRotation->GetCaption(), "1500");

    Link()->ClearCalls();
    Window->btnDipperMoveUp->Click();
    EXPECT_TRUE(Manual->SBDipperMoveUp->GetDown());
    EXPECT_TRUE(Window->btnDipperMoveUp->GetDown());
    Window->btnDipperMoveDown->Click();
    Window->btnStop2->Click();
    EXPECT_EQ(Link()->Lines(), (Lines{"DipperMoveUp 00000000", "DipperMoveDown 00000000", "DipperStop"}));
    EXPECT_FALSE(Window->btnDipperMoveUp->GetDown());
    EXPECT_FALSE(Window->btnDipperMoveDown->GetDown());
}

TEST_F(CalibrateDevice, PlatformButtonsSendTheirCommands)
{
    Open();
    Window->btnInitRevolver->Click();
    Window->btnInitDipperRotator->Click();
    Window->edCell->SetValue(7);
    Window->btnCellGo->Click();
    Window->edCell->SetValue(40);  // the field holds 0 to 12
    Window->btnCellGo->Click();
    EXPECT_EQ(Link()->Lines(),
              (Lines{"InitRevolver", "InitDipperRotator", "MoveDipperToCell 7", "MoveDipperToCell 12"}));
}

TEST_F(CalibrateDevice, RingButtonsStoreThePositionAndLogIt)
{
    Open("", "[CalibrateParam]\ndipperRotator.countRings=2\n");
    CalibrateParam.dipperRotator.Load(IniFile, "CalibrateParam", nullptr);
    ASSERT_EQ(CalibrateParam.dipperRotator.GetCountRings(), 2);
    ASSERT_EQ(LogText(), "");

    DeviceState.dipperRotatorPos = 0x1A2B;
    Window->btnDipperRotatorPosRing1->Click();
    EXPECT_EQ(CalibrateParam.dipperRotator.GetRingPos(1), 0x1A2B);
    EXPECT_EQ(Window->txtRingPos1->GetCaption(), std::to_string(0x1A2B));
    EXPECT_EQ(LogText(),
              "\n\nset ring 1 pos: 1A2B"
              "\nget ring 0 pos: 0\nget ring 1 pos: 1A2B\nget ring 2 pos: 0");
    EXPECT_FALSE(FileExists(Elsewhere.File("log.txt")));

    DeviceState.dipperRotatorPos = 0xFF;
    Window->btnDipperRotatorPosRing2->Click();
    DeviceState.dipperRotatorPos = 0x10;
    Window->btnDipperRotatorPosLB->Click();
    const std::string log = LogText();
    EXPECT_NE(log.find("\n\nset ring 2 pos: FF\nget ring 0 pos: 0\nget ring 1 pos: 1A2B\nget ring 2 pos: FF"),
              std::string::npos);
    EXPECT_NE(log.find("\n\nset ring 0 pos: 10\nget ring 0 pos: 10\nget ring 1 pos: 1A2B\nget ring 2 pos: FF"),
              std::string::npos);
    EXPECT_EQ(CalibrateParam.dipperRotator.GetRingPos(0), 0x10);
    EXPECT_EQ(CalibrateParam.dipperRotator.GetRingPos(2), 0xFF);
}

TEST_F(CalibrateDevice, RefreshShowsTheReadingsAndLogsThreeRingLines)
{
    Open();
    DeviceState.balance = 4000;
    DeviceState.barrier1Pos = 12345;
    DeviceState.doserBalance = 5095;
    DeviceState.revolverPos = 777;
    DeviceState.dipperRotatorPos = 333;
    Window->RefreshIndicators();
    EXPECT_EQ(Window->txtSensorADC->GetCaption(), "-95");
    EXPECT_EQ(Window->txtDriveStep->GetCaption(), "12345");
    EXPECT_EQ(Window->txtDoserSensorADC->GetCaption(), "1000");
    EXPECT_EQ(Window->txtVesselSteps->GetCaption(), "777");
    EXPECT_EQ(Window->txtDipperRotatorSteps->GetCaption(), "333");
    EXPECT_EQ(Window->txtPumpCurrentRevs->GetCaption(), "0.0");
    Window->RefreshIndicators();
    EXPECT_EQ(LogText(),
              "\nget ring 0 pos: 0\nget ring 1 pos: 0\nget ring 2 pos: 0"
              "\nget ring 0 pos: 0\nget ring 1 pos: 0\nget ring 2 pos: 0");
}

TEST_F(CalibrateDevice, RotationButtonsPressTheLayerByLayerWindowsButtonsOnly)
{
    Open();
    // Without the layer-by-layer window the buttons do nothing.
    Window->btnVesselCW->Click();
    auto* manual2 = CreateForm<TFManualCtrl2>(nullptr);
    Link()->ClearCalls();
    const struct {
        TSpeedButton* mine;
        TSpeedButton* theirs;
    } cases[] = {
        {Window->btnVesselCW, manual2->btnRotateRevolverClockwise},
        {Window->btnVesselCCW, manual2->btnRotateRevolverAntiClockwise},
        {Window->btnDipperCW, manual2->btnRotateDipperClockwise},
        {Window->btnDipperCCW, manual2->btnRotateDipperAntiClockwise},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(c.theirs->GetDown()) << c.theirs->Name;
        c.mine->Click();
        EXPECT_TRUE(c.theirs->GetDown()) << c.theirs->Name;
    }
    EXPECT_TRUE(Link()->Lines().empty());
}

// ---------------------------------------------------------------------------------------
// Pump calibration

TEST_F(CalibrateDevice, RevolutionsRunMeasuresTheVolumePerRevolution)
{
    Open();
    ASSERT_EQ(Window->edPerilstaticPumpSpeed->GetMinValue(), CalibrateParam.perilstaticPump.GetMinRevPerMin());
    ASSERT_EQ(Window->edPerilstaticPumpSpeed->GetMaxValue(), CalibrateParam.perilstaticPump.GetMaxRevPerMin());
    Window->cbbPerilstaticPumpCalibrationType->SetItemIndex(0);
    Window->edPerilstaticPumpRevs->SetValue(10);
    Window->edPerilstaticPumpSpeed->SetValue(60);
    Window->btnPerilstaticPumpStartStop->Click();
    ASSERT_TRUE(Window->PumpCalRunning);
    ASSERT_NE(FWait, nullptr);
    const Lines sent = Link()->Lines();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], "PeristalticPumpReset");
    EXPECT_EQ(sent[1].rfind("PeristalticPumpSpeed= ", 0), 0u) << sent[1];
    EXPECT_NEAR(CalibrateParam.perilstaticPump.CodeToMotorRevPerMin(std::stoul(sent[1].substr(22), nullptr, 16)), 60,
                0.6);
    EXPECT_EQ(sent[2], "PeristalticPumpReset");
    EXPECT_EQ(sent[3], "PeristalticPumpMoveCW 00000FA0");  // 4000 steps
    EXPECT_FALSE(Window->SBStoreCalibrate->GetEnabled());

    // The instrument ends the run by itself.
    Link()->ClearCalls();
    DeviceState.pumpPos = 4000;
    Window->OnDrivesStopped();
    EXPECT_FALSE(Window->PumpCalRunning);
    EXPECT_EQ(FWait, nullptr);
    EXPECT_EQ(Link()->Lines(), (Lines{"PeristalticPumpStop"}));

    Window->edPerilstaticPumpVolume->SetValue(25);
    EXPECT_DOUBLE_EQ(Window->PumpVolumePerRev, 2.5);
    EXPECT_EQ(Window->txtPumpVolumePerRev->GetCaption(), "Volume per rev: 2.500 ml/rev");
    EXPECT_EQ(Window->txtPumpMinSpeed->GetCaption(), "Min speed: 1.500 ml/min");
    EXPECT_EQ(Window->txtPumpMaxSpeed->GetCaption(), "Max speed: 300.000 ml/min");
    EXPECT_TRUE(Window->SBStoreCalibrate->GetEnabled());

    auto* pumpWindow = CreateForm<TFPumpCtrl>(nullptr);
    const double slowest = CalibrateParam.perilstaticPump.GetMinSpeed();
    Window->SBStoreCalibrate->Click();
    EXPECT_DOUBLE_EQ(CalibrateParam.perilstaticPump.GetFlowCoeff(), 2.5);
    EXPECT_EQ(Stored("perilstaticPump.flowCoeff"), "2.5");
    // The pump window's speed range follows the new flow per revolution.
    EXPECT_NEAR(pumpWindow->edPumpSpeed->Min, 1.5, 1e-9);
    EXPECT_NEAR(pumpWindow->edPumpSpeed->Max, 300, 1e-9);
    EXPECT_NE(pumpWindow->edPumpSpeed->Min, slowest);
}

TEST_F(CalibrateDevice, AVolumeWithoutPumpTravelClearsTheResult)
{
    Open();
    DeviceState.pumpPos = 4000;
    Window->edPerilstaticPumpVolume->SetValue(25);
    ASSERT_TRUE(Window->SBStoreCalibrate->GetEnabled());
    DeviceState.pumpPos = 0;
    Window->edPerilstaticPumpVolume->SetValue(30);
    EXPECT_EQ(Window->PumpVolumePerRev, 0);
    for (TLabel* line : {Window->txtPumpVolumePerRev, Window->txtPumpMinSpeed, Window->txtPumpMaxSpeed})
        EXPECT_EQ(line->GetCaption(), "") << line->Name;
    EXPECT_FALSE(Window->SBStoreCalibrate->GetEnabled());
}

TEST_F(CalibrateDevice, TimeRunEndsByItsTimerAndManualRunByStartStop)
{
    Open();
    Window->cbbPerilstaticPumpDirection->SetItemIndex(1);
    Window->cbbPerilstaticPumpCalibrationType->SetItemIndex(1);
    Window->cbbPerilstaticPumpCalibrationTypeChange(Window->cbbPerilstaticPumpCalibrationType);
    EXPECT_FALSE(Window->edPerilstaticPumpRevs->GetEnabled());
    EXPECT_TRUE(Window->edPerilstaticPumpDuration->GetEnabled());
    Window->edPerilstaticPumpDuration->SetValue(2.5);
    Window->btnPerilstaticPumpStartStop->Click();
    EXPECT_EQ(Link()->Lines().back(), "PeristalticPumpMoveCCW 00000000");
    EXPECT_EQ(Window->GetPumpDirection(), 1);
    EXPECT_TRUE(Window->tmrPeristalticPump->GetEnabled());
    EXPECT_EQ(Window->tmrPeristalticPump->GetInterval(), 2500u);
    Link()->ClearCalls();
    Window->tmrPeristalticPumpTimer(nullptr);
    EXPECT_FALSE(Window->PumpCalRunning);
    EXPECT_FALSE(Window->tmrPeristalticPump->GetEnabled());
    EXPECT_EQ(Link()->Lines(), (Lines{"PeristalticPumpStop"}));

    Window->cbbPerilstaticPumpCalibrationType->SetItemIndex(2);
    Window->cbbPerilstaticPumpCalibrationTypeChange(Window->cbbPerilstaticPumpCalibrationType);
    EXPECT_FALSE(Window->edPerilstaticPumpRevs->GetEnabled());
    EXPECT_FALSE(Window->edPerilstaticPumpDuration->GetEnabled());
    Window->btnPerilstaticPumpStartStop->Click();
    EXPECT_FALSE(Window->tmrPeristalticPump->GetEnabled());
    Link()->ClearCalls();
    Window->btnPerilstaticPumpStartStop->Click();
    EXPECT_EQ(Link()->Lines(), (Lines{"DriveAllStop", "PeristalticPumpStop"}));
    EXPECT_FALSE(Window->PumpCalRunning);
}

TEST_F(CalibrateDevice, ClosingTheWaitBoxDuringAPumpRunStopsThePumpOnly)
{
    Open();
    Window->cbbPerilstaticPumpCalibrationType->SetItemIndex(2);
    Window->btnPerilstaticPumpStartStop->Click();
    ASSERT_NE(FWait, nullptr);
    Link()->ClearCalls();
    FWait->btnCancel->Click();
    EXPECT_EQ(Link()->Lines(), (Lines{"PeristalticPumpStop"}));
    EXPECT_FALSE(Window->PumpCalRunning);
    EXPECT_EQ(Window->WaitBox, nullptr);
}

// ---------------------------------------------------------------------------------------
// Pages per device type and language

TEST_F(CalibrateDevice, PagesFollowTheDeviceType)
{
    const struct {
        const char* type;
        bool lb, lbl, doser, pump, lbButton;
    } cases[] = {
        {"DeviceType=ZEL\n", true, false, false, false, true},
        {"DeviceType=LBL\n", false, true, true, true, false},
        {"", true, true, true, true, true},
    };
    for (const auto& c : cases) {
        Open(c.type);
        EXPECT_EQ(GetTabVisible(Window->tsLB), c.lb) << c.type;
        EXPECT_EQ(GetTabVisible(Window->tsLBL), c.lbl) << c.type;
        EXPECT_EQ(GetTabVisible(Window->tsDoser), c.doser) << c.type;
        EXPECT_EQ(GetTabVisible(Window->tsPump), c.pump) << c.type;
        EXPECT_EQ(Window->btnDipperRotatorPosLB->GetEnabled(), c.lbButton) << c.type;
        DestroyForms();
        DoneCommon();
        HlProvider.Link = nullptr;
    }
}

TEST_F(CalibrateDevice, LanguageItemsReplaceTheirCaptions)
{
    ForceDirectories(Dir.File("Language"));
    // Numbered items run without a gap; an empty one leaves its caption.
    std::vector<std::string> items(58);
    items[0] = "Geraet kalibrieren";
    items[2] = "Sensor";
    items[7] = "mN/m*";
    items[15] = "Speichern";
    items[31] = "Seite LB";
    items[38] = "Rechts";
    items[47] = "Umdrehungen";
    items[48] = "Zeit";
    items[49] = "Hand";
    items[50] = "U";
    items[56] = "l";
    items[57] = "Umdr.";
    std::string text = "[CalibrateDevice]\n";
    for (size_t i = 0; i < items.size(); ++i) text += std::to_string(i) + "=" + items[i] + "\n";
    WriteFileText(Dir.File("Language/english.lng"), text);
    Open();
    EXPECT_EQ(Window->GetCaption(), "Geraet kalibrieren");
    EXPECT_EQ(Window->GBCurrentStatus->GetCaption(), "Current status");
    EXPECT_EQ(Window->lblSensorADC->GetCaption(), "Sensor");
    EXPECT_EQ(Window->lblBalanceTopUnit->GetCaption(), "mN/m*");
    EXPECT_EQ(Window->lblBalanceBottomUnit->GetCaption(), "mN/m*");
    EXPECT_EQ(Window->SBStoreCalibrate->GetCaption(), "Speichern");
    EXPECT_EQ(Window->tsLB->GetCaption(), "Seite LB");
    EXPECT_EQ(Window->btnVesselCW->GetCaption(), "Rechts");
    EXPECT_EQ(Window->btnDipperCW->GetCaption(), "Rechts");
    EXPECT_EQ(Window->cbbPerilstaticPumpCalibrationType->Items()[1], "Zeit");
    EXPECT_EQ(Window->cbbPerilstaticPumpCalibrationType->GetItemIndex(), 0);
    EXPECT_EQ(Window->cbbPerilstaticPumpVolumeUnit->Items()[2], "l");
    EXPECT_EQ(Window->cbbPerilstaticPumpVolumeUnit->GetItemIndex(), 1);
    EXPECT_EQ(Window->lblPumpCurrentRevs->GetCaption(), "Umdr.");
    EXPECT_EQ(Window->lblPumpRevs->GetCaption(), "U");
    // Not translated.
    EXPECT_EQ(Window->tsDoser->GetCaption(), "Doser");
    EXPECT_EQ(Window->GBDoserBallance->GetCaption(), "Doser ballance");
}

}  // namespace
