// What every accessory recording window shares, on the roll and disk windows: a run fed
// with its notices through the main window's routing (table and columns, time from the
// tick count across a wrap, status lines and lamps, throttled rows-added, the saved set
// with its parameter text, nothing in the register), the finish without a run, the
// readings, and the rules that keep speed entries on device speeds and the syringe
// diameter's change.
#include "zel/accessories/Uaccessorywindow.h"

#include <algorithm>
#include <cmath>

#include "AccessoryTestSupport.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Urolldepositionctrl.h"

namespace {

class AccessoryRun : public TAccessoryFixture {
protected:
    void Open()
    {
        StartAccessories();
        Roll = CreateForm<TFRollDepositionCtrl>(nullptr);
        Link()->ClearCalls();
    }
    // A roll point at a balance reading (0.01 mN/m per count below 80), a doser balance
    // reading (below 40), a rotating barrier at Revolutions and a status word.
    void RollPoint(std::uint32_t Balance, std::uint32_t DoserBalance, double Revolutions, std::uint32_t Status)
    {
        TRollPoint point{};
        point.balance = Balance;
        point.doserBalance = DoserBalance;
        point.rotBarrierPos =
            static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.rotatingBarrier.ShToHw(Revolutions)));
        point.status = Status;
        Point(hlnRollPoint, point);
    }
    TFRollDepositionCtrl* Roll = nullptr;
};

TEST(AccessoryTable, ColumnsAndAxesOfBothKindsOfRunTable)
{
    struct Case {
        bool Rotbar;
        std::vector<std::vector<std::string>> Columns;
    };
    const Case cases[] = {
        {false,
         {{"Time (t)", "t", "s"},
          {"Dipper pressure (Dip-P)", "Dip-P", "mN/m"},
          {"Doser pressure (Dos-P)", "Dos-P", "mN/m"}}},
        {true,
         {{"Time (t)", "t", "s"},
          {"Dipper pressure (Dip-P)", "Dip-P", "mN/m"},
          {"Doser pressure (Dos-P)", "Dos-P", "mN/m"},
          {"Rotbar position (Rotbar-P)", "Rotbar-P", "rev"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rotbar);
        TSXDataSet set;
        auto table = CreateAccessoryTable(&set, "Run", c.Rotbar);
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->GetNumColumns(), static_cast<int>(c.Columns.size()));
        EXPECT_EQ(table->GetDefAxisIdx(0), 0);
        EXPECT_EQ(table->GetDefAxisIdx(1), 1);
        for (size_t i = 0; i < c.Columns.size(); ++i) {
            const TSXColumnInfo* info = table->GetColumnInfo(static_cast<int>(i));
            EXPECT_EQ(info->Flags, 0);
            EXPECT_EQ(ReadFixedText(info->Name), c.Columns[i][0]);
            EXPECT_EQ(ReadFixedText(info->ShortName), c.Columns[i][1]);
            EXPECT_EQ(ReadFixedText(info->Unit), c.Columns[i][2]);
        }
    }
}

TEST_F(AccessoryRun, PointsBecomeRowsTimedByTheTickAcrossAWrapWithStatusLinesLampsAndASavedSet)
{
    Open();
    AppSettings.UpdateReceivedDataInterval = 500;
    Roll->edPressure->SetValue(25);
    Roll->btnGo->Click();
    ISXDataSet* set = Roll->DataSet;
    ASSERT_NE(set, nullptr);
    const std::string fileName = set->GetFileName();
    TFGraph* graph = Roll->Graph;
    ASSERT_NE(graph, nullptr);
    TRowsAddedRecorder graphRows(graph);
    TRowsAddedRecorder registerRows(ExpSetup);

    // The tick counter is 200 ms short of its wrap at the first point.
    Tick = 0xFFFFFF38;
    Main->UpdateResponseTick();
    Notify(hlnRollStarted);
    ASSERT_NE(Roll->Table, nullptr);
    EXPECT_EQ(std::string(Roll->Table->GetTableName()), "RollDeposition");
    EXPECT_EQ(graph->Table, Roll->Table->Field);
    EXPECT_EQ(Roll->StatusLines->Lines(), (std::vector<std::string>{"Roll deposition", "", "", ""}));

    struct Step {
        DWORD After;  // ms since the previous point
        std::uint32_t Balance, DoserBalance;
        double Revolutions;
        std::uint32_t Status;
        const char* TimeLine;
        bool RotbarLamp;
    };
    // 01:02:03.5 after the first point in the last row.
    const Step steps[] = {
        {0, 2800, 1000, 0.5, 2, "Time: 00:00:00", true},
        {100, 2900, 1100, 1.0, 0, "Time: 00:00:00", false},
        {300, 3000, 1200, 1.5, 7, "Time: 00:00:00", true},
        {200, 3100, 1300, 2.0, 5, "Time: 00:00:00", false},
        {3723500 - 600, 3200, 1400, 2.5, 3, "Time: 01:02:03", true},
    };
    const double seconds[] = {0, 0.1, 0.4, 0.6, 3723.5};
    for (const Step& s : steps) {
        Advance(s.After);
        RollPoint(s.Balance, s.DoserBalance, s.Revolutions, s.Status);
        EXPECT_EQ((*Roll->StatusLines)[2], s.TimeLine);
        EXPECT_EQ((*Roll->StatusLines)[3], "Status: " + std::to_string(s.Status));
        EXPECT_EQ(Roll->shpRotbarIndicator->GetVisible(), s.RotbarLamp) << s.Status;
    }
    // The main window has the lines (its status timer may have dropped the empty ones).
    std::vector<std::string> shownLines = Main->ProcessNames->Lines();
    shownLines.erase(std::remove(shownLines.begin(), shownLines.end(), ""), shownLines.end());
    EXPECT_EQ(shownLines, (std::vector<std::string>{"Roll deposition", "Time: 01:02:03", "Status: 3"}));
    // The first point is announced at once, the next ones when 500 ms have passed since.
    Application->ProcessMessages();
    ASSERT_EQ(graphRows.Entries.size(), 3u);
    EXPECT_EQ(graphRows.Entries[0].Last, 0u);
    EXPECT_EQ(graphRows.Entries[1].Last, 3u);
    EXPECT_EQ(graphRows.Entries[2].Last, 4u);
    EXPECT_TRUE(registerRows.Entries.empty());

    Notify(hlnRollFinished);
    EXPECT_EQ(Roll->Table, nullptr);
    EXPECT_EQ(Roll->DataSet, nullptr);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Roll->btnGo->GetVisible());
    EXPECT_TRUE(Roll->edSpeed->GetEnabled());
    EXPECT_FALSE(Roll->shpRotbarIndicator->GetVisible());
    EXPECT_EQ(Roll->StatusLines->Lines(), (std::vector<std::string>{"Roll deposition", "Completed!", "", "Status: 3"}));
    Application->ProcessMessages();
    EXPECT_EQ(Shown(), std::vector<std::string>{"Process completed!"});
    // The accessory sets stay out of the register.
    EXPECT_EQ(ExpSetup->ExpTable.Count(), 0);

    ISXDataSet* loaded = LoadDataSet(fileName);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(TableNames(loaded), std::vector<std::string>{"RollDeposition"});
    TPTableData table(loaded->FindField(ZelTableCategory, "RollDeposition"));
    ASSERT_TRUE(table.Valid);
    ASSERT_EQ(table.GetNumRows(), 5);
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        EXPECT_NEAR(table.GetData(0, r), seconds[r], 1e-3);
        EXPECT_NEAR(table.GetData(1, r), 80 - 0.01 * steps[r].Balance, 1e-4);
        EXPECT_NEAR(table.GetData(2, r), 40 - 0.01 * steps[r].DoserBalance, 1e-4);
        EXPECT_NEAR(table.GetData(3, r), steps[r].Revolutions, 1e-3);
    }
    TSXPropertyStr info(loaded, PropExperimentInfoStr);
    EXPECT_NE(info.AsString().find("Roll deposition parameters\r\nDirection: CW\r\n"), std::string::npos);
    EXPECT_NE(info.AsString().find("Pressure (mN/m): " + Roll->edPressure->GetText() + "\r\n"), std::string::npos);
    UseDataSetManager.Release(loaded);
}

TEST_F(AccessoryRun, NoticesOutsideTheWindowsRunChangeNothingAndAFinishWithoutARunGoesIdle)
{
    Open();
    // A started notice while no roll run is current, and points of another process.
    Notify(hlnRollStarted);
    EXPECT_EQ(Roll->Table, nullptr);
    Roll->btnGo->Click();
    Main->SetProcess(pkDiskDeposition);
    Notify(hlnRollStarted);
    EXPECT_EQ(Roll->Table, nullptr);
    Main->SetProcess(pkRollDeposition);
    Notify(hlnRollStarted);
    ASSERT_NE(Roll->Table, nullptr);
    Main->SetProcess(pkTapeDeposition);
    RollPoint(100, 100, 0, 2);
    EXPECT_EQ(Roll->Table->GetNumRows(), 0);
    EXPECT_FALSE(Roll->shpRotbarIndicator->GetVisible());

    // A finished notice of a window without a run still ends whatever runs.
    TProcessFixture::TearDown();
    StartAccessories();
    auto* disk = CreateForm<TFDiskDepositionCtrl>(nullptr);
    Main->SetProcess(pkTapeDeposition);
    EXPECT_FALSE(disk->btnGo->GetEnabled());
    Notify(hlnDiskFinished);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(disk->btnGo->GetVisible());
    EXPECT_TRUE(disk->btnGo->GetEnabled());
    EXPECT_TRUE(disk->edDoserSpeed->GetEnabled());
    Application->ProcessMessages();
    // (The first program's end closed its help viewers.)
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown().back(), "Process completed!");
}

TEST_F(AccessoryRun, AStartAfterAStoppedRunClosesItsTableAndSavesItsSetFirst)
{
    Open();
    Roll->btnGo->Click();
    ISXDataSet* first = Roll->DataSet;
    const std::string firstFile = first->GetFileName();
    Notify(hlnRollStarted);
    RollPoint(2800, 1000, 1, 2);
    Roll->btnStop->Click();  // no finished notice follows
    EXPECT_EQ(Roll->DataSet, first);
    EXPECT_FALSE(FileExists(firstFile));
    Advance(2000);
    Roll->btnGo->Click();
    EXPECT_NE(Roll->DataSet, first);
    EXPECT_EQ(Roll->Table, nullptr);
    ISXDataSet* loaded = LoadDataSet(firstFile);
    ASSERT_NE(loaded, nullptr);
    TPTableData table(loaded->FindField(ZelTableCategory, "RollDeposition"));
    ASSERT_TRUE(table.Valid);
    EXPECT_EQ(table.GetNumRows(), 1);
    UseDataSetManager.Release(loaded);
}

TEST_F(AccessoryRun, ALostLinkEndsTheRunAsFailedWithItsSetSavedStartOfferedAndLampsOut)
{
    Open();
    Roll->btnGo->Click();
    const std::string fileName = Roll->DataSet->GetFileName();
    Notify(hlnRollStarted);
    RollPoint(2800, 1000, 1, 3);
    ASSERT_TRUE(Roll->shpRotbarIndicator->GetVisible());
    LoseLink();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Roll->DataSet, nullptr);
    EXPECT_TRUE(Roll->btnGo->GetVisible());
    EXPECT_FALSE(Roll->shpRotbarIndicator->GetVisible());
    EXPECT_EQ((*Roll->StatusLines)[1], "Failed!");
    EXPECT_EQ(Shown(), LostLinkTexts());
    EXPECT_EQ(RowsIn(fileName, "RollDeposition"), 1);
}

TEST_F(AccessoryRun, ReadingsShowTheLastDeviceStateWhetherOrNotARunGoesOn)
{
    Open();
    DeviceState.balance = 2850;
    DeviceState.doserBalance = 1005;
    DeviceState.rotBarrierPos = static_cast<std::uint32_t>(DoubleToInt32(CalibrateParam.rotatingBarrier.ShToHw(1.25)));
    Roll->RefreshIndicators();
    EXPECT_EQ(Roll->txtDipperSensor->GetCaption(), FloatToStrF(51.5, ffFixed, 10, AppSettings.ADCDataAccuracy));
    EXPECT_EQ(Roll->txtDoserSensor->GetCaption(), FloatToStrF(29.95, ffFixed, 10, AppSettings.ADCDataAccuracy));
    auto* position = dynamic_cast<TLabel*>(Roll->FindComponent("txtRotbarCurPos"));
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->GetCaption(), FloatToStrF(1.25, ffFixed, 10, 3));
    // The main window refreshes the visible window on its device-state reports.
    Roll->Show();
    DeviceState.balance = 3000;
    Advance(AppSettings.UpdateStatusInterval + 1);
    Main->OnLinkNotify(hlnDeviceState, reinterpret_cast<LPARAM>(&DeviceState));
    EXPECT_EQ(Roll->txtDipperSensor->GetCaption(), FloatToStrF(50, ffFixed, 10, AppSettings.ADCDataAccuracy));
}

// ---- Speed entries on device speeds ----

class SpeedRules : public TAccessoryFixture {
protected:
    void SetUp() override
    {
        TAccessoryFixture::SetUp();
        StartAccessories();
        Edit = CreateForm<TFRollDepositionCtrl>(nullptr)->edSpeed;
        Edit->SetMinValue(Unit().GetMinSpeed());
        Edit->SetMaxValue(Unit().GetMaxSpeed());
    }
    static TMotor& Unit() { return CalibrateParam.rotatingBarrier; }
    // A speed of a code, as the entry shows it (5 decimals). The calibration's speed to
    // code conversion may land on the next code, so the codes around are tried.
    static bool IsDeviceSpeed(double Speed)
    {
        const double code = std::round(Unit().SpeedToCode(Speed));
        for (double c : {code - 1, code, code + 1})
            if (std::fabs(Unit().CodeToSpeed(c) - Speed) < 1e-5) return true;
        return false;
    }
    // The width of two codes around a speed: how far a speed may move to reach a code.
    static double TwoCodes(double Speed)
    {
        const double code = std::round(Unit().SpeedToCode(Speed));
        return std::fabs(Unit().CodeToSpeed(code + 1) - Unit().CodeToSpeed(code - 1));
    }
    static double Distance(double A, double B) { return std::fabs(A - B); }
    TRxSpinEdit* Edit = nullptr;
};

TEST_F(SpeedRules, LeavingAnEntryPutsATypedSpeedOnTheNearestDeviceSpeedInRange)
{
    const double low = Unit().GetMinSpeed(), high = Unit().GetMaxSpeed();
    const double between = (Unit().CodeToSpeed(std::floor(Unit().SpeedToCode(low * 5))) +
                            Unit().CodeToSpeed(std::floor(Unit().SpeedToCode(low * 5)) + 1)) /
                           2.0 * 1.0001;
    for (double typed : {between, low * 3.3, high * 0.7}) {
        SCOPED_TRACE(typed);
        Edit->SetValue(typed);
        const double shown = Edit->GetValue();
        KeepOnDeviceSpeed(Edit, Unit());
        EXPECT_TRUE(IsDeviceSpeed(Edit->GetValue()));
        EXPECT_LE(Distance(Edit->GetValue(), shown), TwoCodes(shown));
        // A device speed stays as it is.
        const double kept = Edit->GetValue();
        KeepOnDeviceSpeed(Edit, Unit());
        EXPECT_LE(Distance(Edit->GetValue(), kept), TwoCodes(kept));
    }
    // Beyond the range: the range's end.
    Edit->SetMaxValue(high * 10);
    Edit->SetValue(high * 5);
    KeepOnDeviceSpeed(Edit, Unit());
    EXPECT_LE(Edit->GetValue(), high + 1e-5);
}

TEST_F(SpeedRules, SpinButtonsOfTheFirstFormReturnToTheDeviceSpeedNearestTheValueBeforeThePress)
{
    Edit->Increment = 0.00001;
    for (bool up : {true, false}) {
        SCOPED_TRACE(up);
        const double before = Unit().GetMinSpeed() * 7.3;
        Edit->SetValue(before);
        const double shown = Edit->GetValue();
        Edit->OnTopClick = [&](TObject*) { StepToNearestDeviceSpeed(Edit, Unit(), true); };
        Edit->OnBottomClick = [&](TObject*) { StepToNearestDeviceSpeed(Edit, Unit(), false); };
        up ? Edit->UpClick() : Edit->DownClick();
        EXPECT_TRUE(IsDeviceSpeed(Edit->GetValue()));
        // Back near the value before the press, not one increment away from it.
        EXPECT_LE(Distance(Edit->GetValue(), shown), TwoCodes(shown));
    }
    // At the ends of the range the code stays within the unit's codes.
    Edit->SetValue(Unit().GetMaxSpeed());
    Edit->UpClick();
    EXPECT_LE(Edit->GetValue(), Unit().GetMaxSpeed() + 1e-5);
    Edit->SetValue(Unit().GetMinSpeed());
    Edit->DownClick();
    EXPECT_GE(Edit->GetValue(), Unit().GetMinSpeed() - 1e-5);
}

TEST_F(SpeedRules, SpinButtonsOfTheSecondFormMoveOnPastTheStepToADeviceSpeed)
{
    Edit->Increment = (Unit().GetMaxSpeed() - Unit().GetMinSpeed()) * 0.001;
    Edit->OnTopClick = [&](TObject*) { StepPastDeviceSpeed(Edit, Unit(), true); };
    Edit->OnBottomClick = [&](TObject*) { StepPastDeviceSpeed(Edit, Unit(), false); };
    const double start = Unit().GetMinSpeed() + 100 * Edit->Increment;
    Edit->SetValue(start);
    Edit->UpClick();
    EXPECT_TRUE(IsDeviceSpeed(Edit->GetValue()));
    EXPECT_NEAR(Edit->GetValue(), start + 2 * Edit->Increment, Edit->Increment);
    Edit->SetValue(start);
    Edit->DownClick();
    EXPECT_TRUE(IsDeviceSpeed(Edit->GetValue()));
    EXPECT_NEAR(Edit->GetValue(), start - 2 * Edit->Increment, Edit->Increment);
    // Held at the unit's codes.
    Edit->SetValue(Unit().GetMaxSpeed());
    Edit->UpClick();
    EXPECT_NEAR(Edit->GetValue(), Unit().CodeToSpeed(Unit().GetMaxSpeedCode()), 1e-5);
}

TEST_F(SpeedRules, ASpeedOfNothingIsCodeNothing)
{
    EXPECT_EQ(NearestSpeedCode(Unit(), 0), 0);
    EXPECT_EQ(NearestSpeedCode(CalibrateParam.doser, 0), 0);
    EXPECT_EQ(NearestSpeedCode(Unit(), std::nan("")), 0);
}

TEST_F(SpeedRules, ANewSyringeDiameterKeepsTheDosersCodeAndScalesWhatIsShown)
{
    auto* disk = CreateForm<TFDiskDepositionCtrl>(nullptr);
    TDoser& doser = CalibrateParam.doser;
    doser.SetSyringeDiameter(15.4);
    disk->edSyringeDiameter->SetValue(15.4);
    disk->edDoserSpeed->SetMinValue(doser.GetMinSpeed());
    disk->edDoserSpeed->SetMaxValue(doser.GetMaxSpeed());
    disk->edDoserSpeed->SetValue(doser.CodeToSpeed(std::round(doser.SpeedToCode(doser.GetMinSpeed() * 20))));
    const double before = disk->edDoserSpeed->GetValue();
    const double code = NearestSpeedCode(doser, before);
    const double oldMax = disk->edDoserSpeed->GetMaxValue();

    // The same diameter changes nothing.
    disk->edSyringeDiameterExit(disk->edSyringeDiameter);
    EXPECT_DOUBLE_EQ(disk->edDoserSpeed->GetValue(), before);

    disk->edSyringeDiameter->SetValue(30.8);
    disk->edSyringeDiameterExit(disk->edSyringeDiameter);
    EXPECT_DOUBLE_EQ(doser.GetSyringeDiameter(), 30.8);
    EXPECT_EQ(NearestSpeedCode(doser, disk->edDoserSpeed->GetValue()), code);
    EXPECT_NEAR(disk->edDoserSpeed->GetValue() / before, 4, 0.01);
    EXPECT_NEAR(disk->edDoserSpeed->GetMaxValue() / oldMax, 4, 0.01);
    // Another window's show takes the shared diameter.
    disk->edSyringeDiameter->SetValue(1);
    disk->Show();
    EXPECT_DOUBLE_EQ(disk->edSyringeDiameter->GetValue(), 30.8);
}

}  // namespace
