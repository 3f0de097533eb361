// The disk design in both of its configurations (disk and cylinder membrane): the exact
// START lines, the notices each one takes, its table and texts, the doser group's mode,
// spin buttons and limits from the manual window (its injector preset included), the
// lock by any run and Stop that ends another window's run, and the settings.
#include "zel/accessories/Udiskdepositiondesign.h"

#include <algorithm>
#include <cmath>

#include "AccessoryTestSupport.h"
#include "zel/accessories/Ucylindermembranedepositionctrl.h"
#include "zel/accessories/Udiskdepositionctrl.h"

namespace {

struct TConfiguration {
    const char* Name;
    TProcessKind Kind;
    const char* Prefix;
    const char* StartWord;
    THlNotifyCode Started, Point, Finished;
    const char* TableName;
    const char* StatusName;
    const char* GraphTitle;
    const char* Heading;
    const char* Section;
    const char* GroupName;
};

const TConfiguration Configurations[] = {
    {"disk", pkDiskDeposition, "Dd", "StartDiskDeposition", hlnDiskStarted, hlnDiskPoint, hlnDiskFinished,
     "DiskDeposition", "Disk deposition", "Disk deposition", "Disk deposition parameters", "DiskDepositionCtrl",
     "grpRollDepositionParams"},
    {"cylinder", pkCylinderMembraneDeposition, "Cd", "StartCylDeposition", hlnCylStarted, hlnCylPoint, hlnCylFinished,
     "CylinderMembraneDeposition", "CylinderMembrane deposition", "Cylinder membrane deposition",
     "Cylinder membrane deposition parameters", "CylinderMembraneDepositionCtrl",
     "grpCylinderMembraneDepositionParams"},
};

class DiskDesign : public TAccessoryFixture {
protected:
    TDiskDepositionDesign* Open(const TConfiguration& C, const std::vector<std::string>& Section = {})
    {
        StartAccessories();
        WriteSection(C.Section, Section);
        TDiskDepositionDesign* window = nullptr;
        if (C.Kind == pkDiskDeposition)
            window = CreateForm<TFDiskDepositionCtrl>(nullptr);
        else
            window = CreateForm<TFCylinderMembraneDepositionCtrl>(nullptr);
        Link()->ClearCalls();
        return window;
    }
    void Close() { TProcessFixture::TearDown(); }
    // A point of the configuration's process.
    void DiskPoint(const TConfiguration& C, std::uint32_t Balance, std::uint32_t DoserBalance, std::uint32_t Status)
    {
        TDiskPoint point{0, DoserBalance, Balance, Status};
        Notify(C.Point, reinterpret_cast<LPARAM>(&point));  // the two records have one layout
    }
};

TEST_F(DiskDesign, StartSendsTheElevenLinesOfItsConfigurationAndRecordsItsOwnNotices)
{
    for (const TConfiguration& C : Configurations) {
        SCOPED_TRACE(C.Name);
        TDiskDepositionDesign* w = Open(C);
        TCalibrateParam& c = CalibrateParam;
        EXPECT_NE(w->FindComponent(C.GroupName), nullptr);
        w->edPressure->SetValue(30);
        w->edRangePressure->SetMaxValue(30);
        w->edRangePressure->SetValue(5);
        w->cbbDoserMode->SetItemIndex(1);
        w->edDoserSpeed->SetValue(c.doser.GetMinSpeed() * 10);
        w->edDoserPressureStart->SetValue(10);  // 30 mN/m of tension on the doser balance
        w->edDoserPressureStop->SetValue(20);
        w->btnGo->Click();
        const std::string p = C.Prefix;
        const std::vector<std::string> expected = {
            p + "Direction= 00000000",
            p + "Speed= " + Hex8(DoubleToInt32(c.rotatingBarrier.SpeedToCode(w->edSpeed->GetValue()))),
            p + "Pressure= 00001388",
            p + "RangePressure= 000001F4",
            p + "FeedbackSpeed= " + Hex8(DoubleToInt32(c.barrier1.SpeedToCode(w->edSpeedFeedback->GetValue()))),
            p + "ApproachSpeed= " + Hex8(DoubleToInt32(c.barrier1.SpeedToCode(w->edSpeedApproach->GetValue()))),
            p + "DoserMode= 00000001",
            p + "DoserSpeed= " + Hex8(DoubleToInt32(c.doser.SpeedToCode(w->edDoserSpeed->GetValue()))),
            p + "DoserPresStart= 00000BB8",
            p + "DoserPresStop= 000007D0",
            C.StartWord,
        };
        EXPECT_EQ(StartLines(p + "Direction="), expected);
        EXPECT_EQ(Main->ProcessKind, C.Kind);
        EXPECT_EQ(w->Graph->GraphProp.TitleText, std::string(C.GraphTitle) + " of DPPC");
        EXPECT_EQ((*w->StatusLines)[0], C.StatusName);
        for (TControl* locked : std::initializer_list<TControl*>{w->cbbDoserMode, w->edDoserSpeed,
                                                                 w->edDoserPressureStart, w->edSyringeDiameter})
            EXPECT_FALSE(locked->GetEnabled()) << locked->Name;
        EXPECT_TRUE(w->edSpeedFeedback->GetEnabled());

        const std::string fileName = w->DataSet->GetFileName();
        Notify(C.Started);
        ASSERT_NE(w->Table, nullptr);
        EXPECT_EQ(w->Table->GetNumColumns(), 3);
        DiskPoint(C, 2800, 1000, 2);
        EXPECT_TRUE(w->shpRotbarIndicator->GetVisible());
        EXPECT_FALSE(w->grpRotbar->GetVisible());
        EXPECT_FALSE(w->shpDoserIndicator->GetVisible());
        Notify(C.Finished);
        EXPECT_EQ(Main->ProcessKind, pkNone);
        EXPECT_TRUE(w->edDoserSpeed->GetEnabled());
        // After a run the doser pressures are free whatever the mode, until it changes.
        EXPECT_TRUE(w->edDoserPressureStart->GetEnabled());

        ISXDataSet* loaded = LoadDataSet(fileName);
        ASSERT_NE(loaded, nullptr);
        TPTableData table(loaded->FindField(ZelTableCategory, C.TableName));
        ASSERT_TRUE(table.Valid);
        ASSERT_EQ(table.GetNumRows(), 1);
        EXPECT_NEAR(table.GetData(1, 0), 52, 1e-4);
        EXPECT_NEAR(table.GetData(2, 0), 30, 1e-4);
        TSXPropertyStr info(loaded, PropExperimentInfoStr);
        EXPECT_NE(info.AsString().find(std::string(C.Heading) + "\r\nDirection: CW\r\n"), std::string::npos);
        EXPECT_NE(info.AsString().find(
                      "\r\nDoser.Mode: Automatic\r\nDoser.Speed (ml/min): " + w->edDoserSpeed->GetText() + "\r\n"),
                  std::string::npos);
        UseDataSetManager.Release(loaded);
        Close();
    }
}

TEST_F(DiskDesign, EachConfigurationTakesOnlyItsOwnProcessAndLiveSpeeds)
{
    Open(Configurations[0]);
    auto* disk = FDiskDepositionCtrl;
    auto* cylinder = CreateForm<TFCylinderMembraneDepositionCtrl>(nullptr);
    cylinder->btnGo->Click();
    Notify(hlnDiskStarted);
    EXPECT_EQ(disk->Table, nullptr);
    Notify(hlnCylStarted);
    ASSERT_NE(cylinder->Table, nullptr);
    Link()->ClearCalls();
    disk->edSpeedFeedback->UpClick();
    cylinder->edSpeedApproach->UpClick();
    const std::vector<std::string> lines = Link()->Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("CdApproachSpeed= ", 0), 0u);
}

TEST_F(DiskDesign, AnyRunLocksTheWindowAndItsStopThenEndsThatRun)
{
    TDiskDepositionDesign* w = Open(Configurations[0]);
    w->btnStop->Click();  // idle: START enabled, nothing happens
    EXPECT_TRUE(Link()->Lines().empty());
    Main->SetProcess(pkRollDeposition);
    EXPECT_FALSE(w->btnGo->GetVisible());
    EXPECT_FALSE(w->edSpeed->GetEnabled());
    w->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_EQ(Main->ProcessNames->Lines(), std::vector<std::string>{"cancelled"});
    EXPECT_TRUE(w->edSpeed->GetEnabled());
}

TEST_F(DiskDesign, DoserModeSpinButtonsAndTheManualWindowsLimits)
{
    TDiskDepositionDesign* w = Open(Configurations[1], {"Doser.Mode=1"});
    EXPECT_TRUE(w->edDoserPressureStart->GetEnabled());
    w->cbbDoserMode->SetItemIndex(0);
    w->cbbDoserModeChange(w->cbbDoserMode);
    EXPECT_FALSE(w->edDoserPressureStart->GetEnabled());
    EXPECT_FALSE(w->edDoserPressureStop->GetEnabled());

    // A press leaves the doser speed on a speed of a code, inside the code range.
    TDoser& doser = CalibrateParam.doser;
    w->edDoserSpeed->SetValue(doser.GetMinSpeed() * 5.55);
    w->edDoserSpeed->UpClick();
    // (The conversion back to a code may land on the next code, so the codes around count.)
    const double code = std::round(doser.SpeedToCode(w->edDoserSpeed->GetValue()));
    double nearest = 1;
    for (double c : {code - 1, code, code + 1})
        nearest = std::min(nearest, std::fabs(doser.CodeToSpeed(c) - w->edDoserSpeed->GetValue()));
    EXPECT_LT(nearest, 1e-5);
    w->edDoserSpeed->SetValue(w->edDoserSpeed->GetMinValue());
    w->edDoserSpeed->DownClick();
    EXPECT_GE(w->edDoserSpeed->GetValue(), w->edDoserSpeed->GetMinValue() - 1e-5);

    // The manual window's doser range, its injector preset included, becomes the range.
    auto* manual = CreateForm<TFManualCtrl2>(nullptr);
    manual->edtInjectorDiameter->SetValueFloat(CalibrateParam.doser.GetSyringeDiameter() * 2);
    manual->edtInjectorVolume->SetValueFloat(5);
    manual->SetInjector(manual->edDoserMoveLen, manual->cbbInjectorUnits, manual->edtInjectorVolume,
                        manual->edtInjectorDiameter);
    EXPECT_DOUBLE_EQ(w->edDoserSpeed->GetMinValue(), manual->edDoserSpeed->Min);
    EXPECT_DOUBLE_EQ(w->edDoserSpeed->GetMaxValue(), manual->edDoserSpeed->Max);
    EXPECT_NEAR(w->edDoserSpeed->GetMaxValue(), doser.GetMaxSpeed(), 1e-9);
    FreeForm(manual);
}

TEST_F(DiskDesign, SettingsComeBackAndTheTroughDeviceHidesBothConfigurations)
{
    for (const TConfiguration& C : Configurations) {
        SCOPED_TRACE(C.Name);
        TDiskDepositionDesign* w = Open(C, {"Doser.Speed=x", "Doser.Mode=5", "Direction=1", "Pressure=22,5"});
        EXPECT_EQ(w->cbbDoserMode->GetItemIndex(), 0);
        EXPECT_EQ(w->cbbDirection->GetItemIndex(), 1);
        EXPECT_DOUBLE_EQ(w->edPressure->GetValue(), 22.5);
        EXPECT_NEAR(w->edDoserSpeed->GetValue(), CalibrateParam.doser.GetMinSpeed(), 1e-5);
        w->cbbDoserMode->SetItemIndex(1);
        w->edDoserPressureStop->SetValue(12.5);
        FreeForm(w);
        EXPECT_EQ(IniFile->ReadInteger(C.Section, "Doser.Mode", -1), 1);
        EXPECT_EQ(IniFile->ReadString(C.Section, "Doser.PressureStop", ""), "12.5");
        Close();

        StartAccessories("DeviceType=ZEL\n");
        auto* hidden = C.Kind == pkDiskDeposition
                           ? static_cast<TToolWindow*>(CreateForm<TFDiskDepositionCtrl>(nullptr))
                           : static_cast<TToolWindow*>(CreateForm<TFCylinderMembraneDepositionCtrl>(nullptr));
        EXPECT_FALSE(hidden->GetVisible());
        EXPECT_TRUE(hidden->Floating());
        EXPECT_FALSE(
            Main->ViewAction(C.Kind == pkDiskDeposition ? TToolWindowKind::Disk : TToolWindowKind::CylinderMembrane)
                ->GetVisible());
        Close();
    }
}

}  // namespace
