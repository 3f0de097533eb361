// The dipping window: its script as a table of programs and their exact lines, worked by
// hand in hundredths of a millimetre; the limits check; the method rule; the settings
// round trip; and the hand-over to the script window.
#include "zel/trough/Udippingcontrol.h"

#include <cmath>
#include <cstdlib>

#include "ProcessTestSupport.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

using TLines = std::vector<std::string>;

TDippingProgram Program(double Upper, double Lower, double Position)
{
    TDippingProgram p;
    p.NumCycles = 1;
    p.PlateArea = 100;
    p.UpperLimit = Upper;
    p.LowerLimit = Lower;
    p.SpeedUp = 5;
    p.SpeedDown = 2.5;
    p.WaitWhenUp = 7;
    p.WaitWhenDown = 3;
    p.DipperPosition = Position;
    return p;
}

// The body of one cycle over a constant stroke of Height.
TLines Cycle(const char* Height)
{
    return {"info Move down", "DipperSpeed= 2.50", std::string("DipperMoveDown ") + Height, "Pause 3", "NewLayer",
            "info Move up",   "DipperSpeed= 5.00", std::string("DipperMoveUp ") + Height,   "Pause 7", "NewLayer"};
}

TLines Join(std::initializer_list<TLines> Parts)
{
    TLines all;
    for (const TLines& part : Parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(DippingScript, ProgramsBecomeTheirLines)
{
    const TLines head = {"PlateArea= 100.00"};
    const TLines zero = {"RecordOn", "DipperZero", "DipperHeight= 20.00"};
    struct Case {
        const char* Name;
        TDippingProgram Program;
        TLines Lines;
    };
    TDippingProgram threeCycles = Program(10, 30, 10);
    threeCycles.NumCycles = 3;
    TDippingProgram stepwise = Program(10, 30, 10);
    stepwise.Stepwise = true;
    stepwise.Step = 3;
    stepwise.Delay = 5;
    TDippingProgram evenSteps = stepwise;
    evenSteps.Step = 4;
    TDippingProgram longStep = stepwise;
    longStep.Step = 25;
    TDippingProgram stepwiseDown = stepwise;
    stepwiseDown.DipperPosition = 14.5;
    const Case cases[] = {
        {"in place, one cycle", Program(10, 30, 10), Join({head, zero, Cycle("20.00")})},
        {"three cycles", threeCycles, Join({head, zero, {"repeat 3"}, Cycle("20.00"), {"endrepeat"}})},
        {"positioning down first", Program(10, 30, 12.25),
         Join({head,
               {"info Positioning...", "RecordOff", "DipperSpeed= 2.50", "DipperMoveDown 2.25", "Pause 3"},
               zero,
               Cycle("20.00")})},
        {"positioning up first", Program(10, 30, 4),
         Join({head,
               {"info Positioning...", "RecordOff", "DipperSpeed= 5.00", "DipperMoveUp 6.00", "Pause 7"},
               zero,
               Cycle("20.00")})},
        // Below a hundredth the dipper already stands at the limit: no move of 0.00.
        {"a thousandth off", Program(10, 30, 9.999), Join({head, zero, Cycle("20.00")})},
        {"lower limit above the upper", Program(30, 10, 30), Join({head, zero, Cycle("20.00")})},
        {"stepwise with remainder", stepwise,
         Join({head,
               zero,
               {"info Move down", "DipperSpeed= 2.50", "DipperMoveDown 2.00", "repeat 6", "Delay 5",
                "DipperMoveDown 3.00", "endrepeat", "Pause 3", "NewLayer", "info Move up", "DipperSpeed= 5.00",
                "DipperMoveUp 2.00", "repeat 6", "Delay 5", "DipperMoveUp 3.00", "endrepeat", "Pause 7", "NewLayer"}})},
        {"stepwise without remainder", evenSteps,
         Join({head,
               zero,
               {"info Move down", "DipperSpeed= 2.50", "repeat 5", "Delay 5", "DipperMoveDown 4.00", "endrepeat",
                "Pause 3", "NewLayer", "info Move up", "DipperSpeed= 5.00", "repeat 5", "Delay 5", "DipperMoveUp 4.00",
                "endrepeat", "Pause 7", "NewLayer"}})},
        {"step longer than the stroke", longStep,
         Join({head,
               zero,
               {"info Move down", "DipperSpeed= 2.50", "DipperMoveDown 20.00", "Pause 3", "NewLayer", "info Move up",
                "DipperSpeed= 5.00", "DipperMoveUp 20.00", "Pause 7", "NewLayer"}})},
        {"stepwise positioning", stepwiseDown,
         Join({head,
               {"info Positioning...", "RecordOff", "DipperSpeed= 2.50", "DipperMoveDown 1.50", "repeat 1", "Delay 5",
                "DipperMoveDown 3.00", "endrepeat", "Pause 3"},
               zero,
               {"info Move down", "DipperSpeed= 2.50", "DipperMoveDown 2.00", "repeat 6", "Delay 5",
                "DipperMoveDown 3.00", "endrepeat", "Pause 3", "NewLayer", "info Move up", "DipperSpeed= 5.00",
                "DipperMoveUp 2.00", "repeat 6", "Delay 5", "DipperMoveUp 3.00", "endrepeat", "Pause 7", "NewLayer"}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(MakeDippingScript(c.Program), c.Lines);
    }
}

class DippingWindow : public TProcessFixture {
protected:
    void SetUp() override { StartProgram("DeviceType=ZEL\n"); }
};

TEST_F(DippingWindow, EqualLimitsAreRefusedAndAStartHandsTheScriptOver)
{
    auto* script = CreateForm<TFScriptCtrl>(nullptr);
    auto* window = CreateForm<TFDippingCtrl>(nullptr);
    window->SEUpperLimit->SetValue(10);
    window->SELowerLimit->SetValue(10);
    window->BBGo->Click();
    ASSERT_EQ(Shown(), std::vector<std::string>{"Error: Lower limit equal Upper limit!"});
    EXPECT_EQ(script->Memo->GetLines().Count(), 0);

    window->SELowerLimit->SetValue(30);
    // The script engine starts and ends every script at once.
    Link()->OnRunScript = [this](const TScriptStrings&) {
        Link()->PostNotify(hlnScriptStarted, 0);
        Link()->PostNotify(hlnScriptFinished, 0);
    };
    Link()->ClearCalls();
    window->BBGo->Click();
    EXPECT_EQ(script->Memo->GetLines().Lines(), MakeDippingScript(window->Program()));
    // The script window's START ran: it predicted the changed text.
    ASSERT_FALSE(Link()->Calls().empty());
    EXPECT_EQ(Link()->Calls().front().Operation, TLinkOperation::AbortScript);
    EXPECT_EQ(Link()->Lines().at(1), "ExecuteCommand= 0");
    EXPECT_EQ(Main->ProcessKind, pkScript);
    EXPECT_FALSE(window->BBGo->GetVisible());
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 10000));
    EXPECT_TRUE(window->BBGo->GetVisible());
}

TEST_F(DippingWindow, MethodRuleAndSettingsRoundTrip)
{
    auto* window = CreateForm<TFDippingCtrl>(nullptr);
    EXPECT_FALSE(window->SEStep->GetEnabled());
    EXPECT_FALSE(window->SEDelay->GetEnabled());
    window->CBDippingMethod->SetItemIndex(1);
    window->CBDippingMethodClick(nullptr);
    EXPECT_TRUE(window->SEStep->GetEnabled());
    EXPECT_TRUE(window->SEDelay->GetEnabled());
    window->SENumCycles->SetValue(4);
    window->SEPlateArea->SetValue(250);
    window->SEUpperLimit->SetValue(12.5);
    window->SELowerLimit->SetValue(-3.5);
    window->SEWaitWhenDown->SetValue(9);
    window->SEDelay->SetValue(6);
    FreeForm(window);
    EXPECT_EQ(IniFile->ReadString("DippingControl", "DippingMethod", ""), "1");
    EXPECT_EQ(IniFile->ReadString("DippingControl", "UpperLimit", ""), "12.5");

    // A stored text with a comma reads as well.
    IniFile->WriteString("DippingControl", "LowerLimit", "-4,5");
    auto* again = CreateForm<TFDippingCtrl>(nullptr);
    EXPECT_EQ(again->SENumCycles->AsInteger(), 4);
    EXPECT_EQ(again->SEPlateArea->AsInteger(), 250);
    EXPECT_DOUBLE_EQ(again->SEUpperLimit->GetValue(), 12.5);
    EXPECT_DOUBLE_EQ(again->SELowerLimit->GetValue(), -4.5);
    EXPECT_EQ(again->SEWaitWhenDown->AsInteger(), 9);
    EXPECT_EQ(again->SEDelay->AsInteger(), 6);
    EXPECT_EQ(again->CBDippingMethod->GetItemIndex(), 1);
    EXPECT_TRUE(again->SEStep->GetEnabled());
}

// A stored value outside its field reads as the field's default, and whatever the file
// holds, START writes only pauses, delays, cycles and speeds its fields allow.
TEST_F(DippingWindow, StoredValuesOutsideTheirFieldsNeverReachTheScript)
{
    auto* script = CreateForm<TFScriptCtrl>(nullptr);
    Link()->OnRunScript = [this](const TScriptStrings&) {
        Link()->PostNotify(hlnScriptStarted, 0);
        Link()->PostNotify(hlnScriptFinished, 0);
    };
    TLinearMotion& dipper = CalibrateParam.dipper;
    struct Case {
        const char* Key;
        const char* Stored;
        double Value;  // what the field then holds
        TRxSpinEdit* TFDippingCtrl::*Field;
    };
    const Case cases[] = {
        {"Delay", "7", 7, &TFDippingCtrl::SEDelay},
        {"Delay", "-5", 0, &TFDippingCtrl::SEDelay},
        {"Delay", "2147483647", 0, &TFDippingCtrl::SEDelay},
        {"Delay", "100001", 0, &TFDippingCtrl::SEDelay},
        {"NumCycles", "0", 1, &TFDippingCtrl::SENumCycles},
        {"NumCycles", "1001", 1, &TFDippingCtrl::SENumCycles},
        {"WaitWhenDown", "-1", 0, &TFDippingCtrl::SEWaitWhenDown},
        {"WaitWhenUp", "100000", 100000, &TFDippingCtrl::SEWaitWhenUp},
        {"SpeedDown", "1e300", dipper.GetMinSpeed(), &TFDippingCtrl::SESpeedDown},
        {"SpeedUp", "-2", dipper.GetMinSpeed(), &TFDippingCtrl::SESpeedUp},
        {"SpeedUp", "0,9", 0.9, &TFDippingCtrl::SESpeedUp},
        {"Step", "-3", 0.1, &TFDippingCtrl::SEStep},
        {"UpperLimit", "-1e17", 0, &TFDippingCtrl::SEUpperLimit},
    };
    const auto number = [](const std::string& Line) { return std::strtod(Line.c_str() + Line.find(' '), nullptr); };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + "=" + c.Stored);
        IniFile->EraseSection("DippingControl");
        IniFile->WriteString("DippingControl", "DippingMethod", "1");
        IniFile->WriteString("DippingControl", "LowerLimit", "3");
        IniFile->WriteString("DippingControl", c.Key, c.Stored);
        auto* window = CreateForm<TFDippingCtrl>(nullptr);
        EXPECT_DOUBLE_EQ((window->*c.Field)->GetValue(), c.Value);
        window->BBGo->Click();
        const std::vector<std::string> lines = script->Memo->GetLines().Lines();
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines) {
            const std::string word = line.substr(0, line.find(' '));
            if (word == "Delay" || word == "Pause") {
                EXPECT_GE(number(line), 0) << line;
                EXPECT_LE(number(line), 100000) << line;
            } else if (word == "repeat") {
                EXPECT_GE(number(line), 1) << line;
            } else if (word == "DipperSpeed=") {
                EXPECT_GE(number(line), std::round(dipper.GetMinSpeed() * 100) / 100) << line;
                EXPECT_LE(number(line), std::round(dipper.GetMaxSpeed() * 100) / 100) << line;
            } else if (word == "DipperMoveDown" || word == "DipperMoveUp") {
                EXPECT_GT(number(line), 0) << line;
                EXPECT_LE(number(line), 3) << line;  // the stroke between 0 and 3 mm
            }
        }
        ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Main->ProcessKind == pkNone; }, 10000));
        FreeForm(window);
    }
}

TEST_F(DippingWindow, SpeedsAreLabelledPerMinute)
{
    auto* window = CreateForm<TFDippingCtrl>(nullptr);
    EXPECT_EQ(window->lblSpeedUp->GetCaption(), "Speed Up (mm/min)");
    EXPECT_EQ(window->lblSpeedDown->GetCaption(), "Speed Down (mm/min)");
}

}  // namespace
