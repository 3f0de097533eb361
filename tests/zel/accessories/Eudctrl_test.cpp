// The EUD window on real widgets beside the real main window: the eleven START lines and
// the start word (never the cycles), the data set and empty graph of a run, START given
// back only by another window's end of the process (any Stop ends it), the settings with either decimal
// separator, the shared placement section pulled back on screen, the language and the
// device types it serves.
#include "zel/accessories/Eudctrl.h"

#include <algorithm>

#include "AccessoryTestSupport.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Uisothermcontrol.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

class Eud : public TAccessoryFixture {
protected:
    void Open(const std::vector<std::string>& Section = {}, const std::string& MoreIni = "")
    {
        StartAccessories(MoreIni);
        WriteSection("EudControl", Section);
        Window = CreateForm<TFEudCtrl>(nullptr);
        Link()->ClearCalls();
    }
    void TearDown() override
    {
        TCalibrateParam& c = CalibrateParam;
        c.doser.SetZeroHw(FZeros[0]);
        c.barrier1.SetZeroHw(FZeros[1]);
        c.tape.SetZeroHw(FZeros[2]);
        TAccessoryFixture::TearDown();
    }
    TFEudCtrl* Window = nullptr;
    const int FZeros[3] = {CalibrateParam.doser.GetZeroHw(), CalibrateParam.barrier1.GetZeroHw(),
                           CalibrateParam.tape.GetZeroHw()};
};

TEST_F(Eud, StartSendsTheElevenSettersAndTheStartWordButNeverTheCycles)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    // Zeros off step 0, so that a distance sent where a position is due would show.
    c.doser.SetZeroHw(500);
    c.barrier1.SetZeroHw(1000);
    c.tape.SetZeroHw(300);
    Window->edNumCycles->SetValue(7);
    Window->edPrePressure->SetValue(20);
    Window->edOperatingPressure->SetValue(30.25);
    Window->chkUsingDoser->SetChecked(false);
    Window->edDoserSpeed->SetValue((c.doser.GetMinSpeed() + c.doser.GetMaxSpeed()) / 2);
    Window->edDoserLimit->SetValue(12.5);
    Window->edBarrierStartPos->SetValue((c.barrier1.GetShMin() + c.barrier1.GetShMax()) / 3);
    Window->edBarrierSpeed->SetValue(c.barrier1.GetMaxSpeed() / 2);
    Window->edBarrierLimit->SetValue((c.barrier1.GetShMin() + c.barrier1.GetShMax()) / 2);
    Window->cbbTapeDirection->SetItemIndex(1);
    Window->edTapeSpeed->SetValue(c.tape.GetMaxSpeed() / 4);
    Window->edTapeLimit->SetValue(42.25);
    TProcessKind kindAtStartWord = pkIsotherm;
    Link()->OnSendCommand = [&](const std::string& Line, void*, int) {
        if (Line == "StartEUD") kindAtStartWord = Main->ProcessKind;
    };
    Window->btnGo->Click();
    Link()->OnSendCommand = nullptr;

    const auto counts = [](double Value) { return Hex8(DoubleToInt32(Value)); };
    // Balance: 80 mN/m less 0.01 per count. The limits are absolute positions.
    const std::vector<std::string> expected = {
        "EudPrePressure= 00001770",
        "EudOperatingPressure= 0000136F",
        "EudUseDoser= 00000000",
        "EudDoserSpeed= " + counts(c.doser.SpeedToCode(Window->edDoserSpeed->GetValue())),
        "EudDoserLimit= " + counts(c.doser.ShToHw(12.5)),
        "EudBarrierStartPosition= " + counts(c.barrier1.ShToHw(Window->edBarrierStartPos->GetValue())),
        "EudBarrierSpeed= " + counts(c.barrier1.SpeedToCode(Window->edBarrierSpeed->GetValue())),
        "EudBarrierLimit= " + counts(c.barrier1.ShToHw(Window->edBarrierLimit->GetValue())),
        "EudTapeDir= 00000001",
        "EudTapeSpeed= " + counts(c.tape.SpeedToCode(Window->edTapeSpeed->GetValue())),
        "EudTapeLimit= " + counts(c.tape.ShToHw(42.25)),
        "StartEUD",
    };
    EXPECT_EQ(StartLines("EudPrePressure="), expected);
    EXPECT_NE(expected[3], "EudDoserSpeed= 00000000");
    EXPECT_NE(c.doser.ShToHw(12.5), c.doser.ShToHwDelta(12.5));
    EXPECT_NE(c.tape.ShToHw(42.25), c.tape.ShToHwDelta(42.25));
    EXPECT_EQ(kindAtStartWord, pkNone);
    EXPECT_EQ(Main->ProcessKind, pkEUD);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    EXPECT_FALSE(Window->btnGo->GetEnabled());
    // A data set with the experiment record and an empty graph.
    ASSERT_NE(Window->DataSet, nullptr);
    EXPECT_TRUE(TableNames(Window->DataSet).empty());
    EXPECT_FALSE(std::string(Window->DataSet->GetFileName()).empty());
    ASSERT_NE(Window->Graph, nullptr);
    EXPECT_EQ(Window->Graph->GraphProp.TitleText, "EUD of DPPC");
    EXPECT_EQ(Window->Graph->Table, nullptr);
    EXPECT_EQ(Window->StatusLines->Lines(), (std::vector<std::string>{"EUD", "", "", ""}));
}

TEST_F(Eud, StartComesBackOnlyWhenAnotherWindowEndsTheProcess)
{
    Open();
    auto* tdar = CreateForm<TFTDARCtrl>(nullptr);
    Window->btnGo->Click();
    ISXDataSet* first = Window->DataSet;
    ASSERT_EQ(Main->ProcessKind, pkEUD);
    // The instrument's notices of other processes leave the EUD run alone.
    Notify(hlnTdarStarted);
    EXPECT_EQ(Main->ProcessKind, pkEUD);
    EXPECT_FALSE(Window->btnGo->GetVisible());

    // Another window's Stop ends the process for the program and gives START back.
    Link()->ClearCalls();
    tdar->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Window->btnGo->GetEnabled());
    EXPECT_EQ(Window->DataSet, first);

    // The next START lets go of the previous run's set; a finished notice elsewhere
    // gives START back too.
    Window->btnGo->Click();
    EXPECT_NE(Window->DataSet, nullptr);
    EXPECT_NE(Window->DataSet, first);
    UseDataSetManager.Collect();
    EXPECT_FALSE(UseDataSetManager.IsKnown(first));
    EXPECT_TRUE(UseDataSetManager.IsKnown(Window->DataSet));
    Notify(hlnTdarFinished);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());
}

TEST_F(Eud, EveryTroughWindowsStopEndsTheRunAndLeavesThePanelNamingNoProcess)
{
    Open();
    auto* isotherm = CreateForm<TFIsothermCtrl>(nullptr);
    auto* deposition = CreateForm<TFDepositionCtrl>(nullptr);
    auto* script = CreateForm<TFScriptCtrl>(nullptr);
    auto* dipping = CreateForm<TFDippingCtrl>(nullptr);
    const auto panel = [&] {
        Main->UpdateResponseTick();
        Main->UpdateProcessTimerTimer(nullptr);
        return Main->StatusBar->Panels(5)->GetText();
    };
    struct TCase {
        const char* Name;
        TControl* Stop;
        std::vector<std::string> Lines;
    };
    const TCase cases[] = {
        {"isotherm", isotherm->BBStop, {"ProcessStop"}},
        {"deposition", deposition->BBStop, {"ProcessStop"}},
        // The script's abort stops the instrument's process; its Stop also stops the drives
        // and frees the instrument's keys.
        {"script", script->BBStop, {"DriveAllStop", "KeyboardBlock= 00000000"}},
        {"dipping", dipping->BBStop, {"DriveAllStop", "KeyboardBlock= 00000000"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Window->btnGo->Click();
        ASSERT_EQ(Main->ProcessKind, pkEUD);
        EXPECT_EQ(panel(), "Process: EUD; ");
        // Every START gives way to Stop while the EUD process runs.
        ASSERT_FALSE(isotherm->BBGo->GetVisible());
        ASSERT_FALSE(deposition->BBGo->GetVisible());
        ASSERT_FALSE(script->BBGo->GetVisible());
        ASSERT_FALSE(dipping->BBGo->GetVisible());
        Link()->ClearCalls();
        c.Stop->Click();
        EXPECT_EQ(Link()->Lines(), c.Lines);
        EXPECT_EQ(Main->ProcessKind, pkNone);
        EXPECT_TRUE(Window->btnGo->GetVisible());
        EXPECT_TRUE(Window->btnGo->GetEnabled());
        EXPECT_TRUE(isotherm->BBGo->GetVisible());
        EXPECT_TRUE(deposition->BBGo->GetVisible());
        EXPECT_TRUE(script->BBGo->GetVisible());
        EXPECT_TRUE(dipping->BBGo->GetVisible());
        EXPECT_EQ(panel(), "Process: None");
        Application->ProcessMessages();
    }
}

TEST_F(Eud, SettingsComeBackWithEitherSeparatorWithinTheCalibratedRanges)
{
    Open({"NumCycles=12", "PrePressure=12,5", "OperatingPressure=oops", "UsingDoser=0", "TapeDirection=1",
          "TapeLimit=250", "DoserLimit=3.75", "Docked=0"});
    EXPECT_EQ(Window->edNumCycles->AsInteger(), 12);
    EXPECT_DOUBLE_EQ(Window->edPrePressure->GetValue(), 12.5);
    EXPECT_DOUBLE_EQ(Window->edOperatingPressure->GetValue(), 0);
    EXPECT_FALSE(Window->chkUsingDoser->GetChecked());
    EXPECT_EQ(Window->cbbTapeDirection->GetItemIndex(), 1);
    EXPECT_DOUBLE_EQ(Window->edTapeLimit->GetValue(), 100);
    EXPECT_DOUBLE_EQ(Window->edDoserLimit->GetValue(), 3.75);
    TCalibrateParam& c = CalibrateParam;
    EXPECT_NEAR(Window->edPrePressure->GetMaxValue(), c.ballance.GetShMax(), 1e-9);
    EXPECT_NEAR(Window->edBarrierSpeed->GetMaxValue(), c.barrier1.GetMaxSpeed(), 1e-9);
    EXPECT_NEAR(Window->edTapeSpeed->GetMinValue(), c.tape.GetMinSpeed(), 1e-9);
    EXPECT_TRUE(Window->Floating());

    Window->edNumCycles->SetValue(999);
    Window->chkUsingDoser->SetChecked(true);
    Window->edOperatingPressure->SetValue(33.25);
    FreeForm(Window);
    const struct {
        const char* Key;
        const char* Value;
    } stored[] = {{"NumCycles", "999"},    {"UsingDoser", "1"},    {"OperatingPressure", "33.25"},
                  {"PrePressure", "12.5"}, {"TapeDirection", "1"}, {"Docked", "0"}};
    for (const auto& s : stored) EXPECT_EQ(IniFile->ReadString("EudControl", s.Key, ""), s.Value) << s.Key;
    Window = CreateForm<TFEudCtrl>(nullptr);
    EXPECT_EQ(Window->edNumCycles->AsInteger(), 999);
    EXPECT_DOUBLE_EQ(Window->edOperatingPressure->GetValue(), 33.25);
}

TEST_F(Eud, PositionIsKeptInTheDepositionSectionAndPulledBackOnScreen)
{
    const int width = Screen->Width(), height = Screen->Height();
    Open({"Docked=0"}, "[DepositionControl]\nNormPos=5000,7000,5270,7450\n");
    EXPECT_EQ(Window->FormPlacement->IniSection, "DepositionControl");
    Window->Show();
    EXPECT_LE(Window->GetLeft(), width - 20);
    EXPECT_LE(Window->GetTop(), height - 20);
    EXPECT_GT(Window->GetLeft(), width / 2);
}

TEST_F(Eud, CaptionsFromTheLanguageFileAndHiddenForTheLayerByLayerDevice)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  "[EudControl]\n0=EUD-Fenster\n1=Allgemein\n2=Zyklen\n3=Druck\n4=Vordruck\n5=\n6=Dosierer\n"
                  "7=Dosierer benutzen\n8=a\n9=b\n10=Barriere\n11=c\n12=d\n13=e\n14=Band\n15=Richtung\n16=f\n"
                  "17=g\n18=LOS\n");
    Open();
    EXPECT_EQ(Window->GetCaption(), "EUD-Fenster");
    EXPECT_EQ(Window->lblNumCycles->GetCaption(), "Zyklen");
    EXPECT_EQ(Window->lblOperatingPressure->GetCaption(), "Operating Pressure");  // empty item
    EXPECT_EQ(Window->chkUsingDoser->GetCaption(), "Dosierer benutzen");
    EXPECT_EQ(Window->grpTape->GetCaption(), "Band");
    EXPECT_EQ(Window->lblTapeDirection->GetCaption(), "Richtung");
    EXPECT_EQ(Window->btnGo->GetCaption(), "LOS");
    TProcessFixture::TearDown();

    Open({}, "DeviceType=LBL\n");
    EXPECT_FALSE(Window->GetVisible());
    EXPECT_FALSE(Main->actViewEUD->GetVisible());
    EXPECT_TRUE(Window->Floating());
}

}  // namespace
