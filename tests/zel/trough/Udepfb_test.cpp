// The deposition feedback window with the recording link: the exact lines sent at creation,
// on slider release and at deposition START, the two limit sliders keeping their order,
// the dipper level buttons reading the device state, the values kept in zel.ini through
// the window's own settings file, the device-type layout and the translated captions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "kvc/KvMultiLang.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/RxSpin.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Startup.h"
#include "zel/core/Instrument.h"
#include "zel/core/ProgramFixture.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepositioncontrol.h"

namespace {

using Lines = std::vector<std::string>;

std::string Fixed(double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 15, Decimals); }

TCalibrateParam& Clb() { return CalibrateParam; }

// The speed range both barriers can run, from the calibration as it stands.
double MinBoth() { return std::max(Clb().barrier1.GetMinSpeed(), Clb().barrier2.GetMinSpeed()); }
double MaxBoth() { return std::min(Clb().barrier1.GetMaxSpeed(), Clb().barrier2.GetMaxSpeed()); }
// The closing speed of a limit slider at a position of 0..1000 (0 at the top: fastest).
double LimitAt(int Position) { return 2 * MinBoth() + 2 * (MaxBoth() - MinBoth()) * (1000 - Position) / 1000.0; }
// The instrument gets one barrier's speed code of a closing speed.
std::int32_t LimitCodeOf(double ClosingSpeed) { return DoubleToInt32(Clb().barrier1.SpeedToCode(ClosingSpeed * 0.5)); }
std::int32_t CodeOf(double Speed) { return DoubleToInt32(Clb().barrier1.SpeedToCode(Speed)); }

// A stand-in for the deposition window: only the two limit fields the level buttons write.
class TDepFBTest : public TToolWindowFixture<TFDepFB> {
protected:
    void Start(const std::string& Ini) override
    {
        TToolWindowFixture::Start(Ini);
        FDepFB = Window;
    }
    void SetUp() override
    {
        TToolWindowFixture::SetUp();
        // The calibration is one object for the whole run: keep it as it was.
        for (TMotor* unit : Units()) unit->Save(&Snapshot, "Saved");
        SavedZero = CalibrateParam.dipper.GetZeroHw();
    }
    void TearDown() override
    {
        TToolWindowFixture::TearDown();
        for (TMotor* unit : Units()) unit->Load(&Snapshot, "Saved", nullptr);
        CalibrateParam.dipper.SetZeroHw(SavedZero);
        CalibrateParam.FBSensetivityK = 1.0;
        AppSettings = TAppSettings{};
        DeviceType = dtCombined;
    }
    static std::vector<TMotor*> Units() { return {&Clb().barrier1, &Clb().barrier2, &Clb().dipper}; }
    // Gives barrier 2 other speeds (revolutions per second of its motor).
    void SetBarrier2Speeds(double Min, double Max)
    {
        TIniFile ini(Dir.File("barrier2.ini"));
        ini.WriteFloat("B", "barrier2.minSpeed", Min);
        ini.WriteFloat("B", "barrier2.maxSpeed", Max);
        Clb().barrier2.Load(&ini, "B", nullptr);
    }
    void Release()
    {
        FreeForm(Window);
        Window = nullptr;
    }

    TIniFile Snapshot{Dir.File("snapshot.ini")};
    int SavedZero = 0;
};

TEST_F(TDepFBTest, WithoutSettingsStartSendsFiveValuesAndShowsTheFastestLimits)
{
    Start("");
    ASSERT_NE(Clb().barrier1.GetMaxSpeed(), Clb().barrier1.GetMinSpeed());
    const std::int32_t fastest = LimitCodeOf(2 * MaxBoth());
    EXPECT_EQ(Sent(), (Lines{"FBSensetivity= 00000000", Valued("FBLimitDown=", fastest), Valued("FBLimitUp=", fastest),
                             "DipTopLevel= 00000000", "DipBottomLevel= 00000000"}));
    EXPECT_TRUE(Window->GetVisible());
    EXPECT_EQ(Window->GetCaption(), "Deposition feedback");
    EXPECT_EQ(Window->TBSensetivityFB->GetPosition(), 100);
    EXPECT_EQ(Window->STSens->GetCaption(), "0.000");
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(2 * MaxBoth(), 2));
    EXPECT_EQ(Window->STLimitDown->GetCaption(), Fixed(2 * MaxBoth(), 2));
    EXPECT_EQ(Window->STPCoeff->GetCaption(), Fixed(Clb().barrier1.GetMaxSpeed(), 1));
    EXPECT_EQ(Window->STDipUpLevel->GetCaption(), Fixed(Clb().dipper.HwToSh(0), 1));
    EXPECT_EQ(Window->DipperUpLimit, 0);
    EXPECT_EQ(Window->DipperDownLimit, 0);
    // The P coefficient bar spans twice the common top speed in tenths.
    const int pmax = static_cast<int>(MaxBoth() * 2 * 10);
    EXPECT_EQ(Window->TBPCoeff->GetMax(), pmax);
    EXPECT_EQ(Window->TBPCoeff->GetFrequency(), pmax / 10);
    const int line = static_cast<int>(1000 * 0.01 / (2 * (MaxBoth() - MinBoth())));
    EXPECT_EQ(Window->TBLimitUp->GetLineSize(), line);
    EXPECT_EQ(Window->TBLimitDown->GetPageSize(), static_cast<int>(1000 * 0.1 / (2 * (MaxBoth() - MinBoth()))));

    // The window writes its section through its own settings file, also when the
    // program's settings file is already closed.
    DoneCommon();
    Release();
    // The section also holds the window's placement; the values follow in their order.
    TIniFile ini(Dir.File("zel.ini"));
    const std::vector<std::string> values = {"SensetivityFB", "LimitUp",        "LimitDown",
                                             "DeposUpLimit",  "DeposDownLimit", "PCoeff"};
    std::vector<std::string> written;
    for (const std::string& key : ini.ReadSection("DepositionFB"))
        if (std::find(values.begin(), values.end(), key) != values.end()) written.push_back(key);
    EXPECT_EQ(written, values);
    for (const std::string& key : values) EXPECT_EQ(ini.ReadString("DepositionFB", key, ""), "0") << key;
    EXPECT_EQ(ini.ReadString("DepositionFB", "NormPos", ""), "0,0,217,310");
}

TEST_F(TDepFBTest, StoredSettingsAreSentAtStartAndWrittenBackAtTheEnd)
{
    Start(
        "[DepositionFB]\nSensetivityFB=30\nLimitUp=200\nLimitDown=700\nDeposUpLimit=16000\nDeposDownLimit=-200\nPCoeff="
        "5\n");
    EXPECT_EQ(Sent(), (Lines{"FBSensetivity= 0000001E", Valued("FBLimitDown=", LimitCodeOf(LimitAt(700))),
                             Valued("FBLimitUp=", LimitCodeOf(LimitAt(200))), "DipTopLevel= 00003E80",
                             "DipBottomLevel= FFFFFF38"}));
    EXPECT_EQ(Window->TBSensetivityFB->GetPosition(), 70);
    EXPECT_EQ(Window->TBLimitUp->GetPosition(), 200);
    EXPECT_EQ(Window->TBLimitDown->GetPosition(), 700);
    EXPECT_EQ(Window->TBPCoeff->GetPosition(), 5);
    EXPECT_EQ(Window->STSens->GetCaption(), "30.000");
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(LimitAt(200), 2));
    EXPECT_EQ(Window->STLimitDown->GetCaption(), Fixed(LimitAt(700), 2));
    const int pmax = Window->TBPCoeff->GetMax();
    EXPECT_EQ(Window->STPCoeff->GetCaption(), Fixed(Clb().barrier1.GetMaxSpeed() * (pmax - 5) / pmax, 1));
    EXPECT_EQ(Window->DipperUpLimit, 16000);
    EXPECT_EQ(Window->DipperDownLimit, -200);
    EXPECT_EQ(Window->STDipDownLevel->GetCaption(), Fixed(Clb().dipper.HwToSh(-200), 1));

    Window->TBSensetivityFB->SetPosition(90);
    Window->TBLimitDown->SetPosition(900);
    Window->TBLimitUp->SetPosition(10);
    Window->TBPCoeff->SetPosition(7);
    Window->SetDipperUpLimit(1234);
    Window->SetDipperDownLimit(-5);
    Release();
    TIniFile ini(Dir.File("zel.ini"));
    const std::pair<const char*, const char*> expected[] = {{"SensetivityFB", "10"},  {"LimitUp", "10"},
                                                            {"LimitDown", "900"},     {"DeposUpLimit", "1234"},
                                                            {"DeposDownLimit", "-5"}, {"PCoeff", "7"}};
    for (const auto& [key, value] : expected) EXPECT_EQ(ini.ReadString("DepositionFB", key, ""), value) << key;

    // The next start reads them back and sends them again.
    Link().ClearCalls();
    DoneCommon();
    Start("");
    EXPECT_EQ(Sent(), (Lines{"FBSensetivity= 0000000A", Valued("FBLimitDown=", LimitCodeOf(LimitAt(900))),
                             Valued("FBLimitUp=", LimitCodeOf(LimitAt(10))), "DipTopLevel= 000004D2",
                             "DipBottomLevel= FFFFFFFB"}));
}

TEST_F(TDepFBTest, BrokenOrOutOfRangeSettingsFallBackWithoutLosingTheOthers)
{
    Start("[DepositionFB]\nSensetivityFB=abc\nLimitUp=5000\nLimitDown=-3\nDeposUpLimit=1.5\nDeposDownLimit=77\n");
    // A value that is no integer is the default; positions are held inside the sliders.
    EXPECT_EQ(Window->TBSensetivityFB->GetPosition(), 100);
    EXPECT_EQ(Window->TBLimitDown->GetPosition(), 0);
    EXPECT_EQ(Window->TBLimitUp->GetPosition(), 0);
    EXPECT_EQ(Window->DipperUpLimit, 0);
    EXPECT_EQ(Window->DipperDownLimit, 77);
}

TEST_F(TDepFBTest, SlidersShowWhileMovingAndSendOnRelease)
{
    CalibrateParam.FBSensetivityK = 2.5;
    AppSettings.ADCDataAccuracy = 2;
    Start("[DepositionFB]\nSensetivityFB=40\nLimitDown=1000\nLimitUp=600\nPCoeff=3\n");
    Sent();
    // Sensitivity: the top of the bar is 100; the text is scaled, the instrument gets the
    // bare value.
    WidgetInput::Key(Window->TBSensetivityFB, QEvent::KeyPress, Qt::Key_Home);
    EXPECT_EQ(Window->TBSensetivityFB->GetPosition(), 0);
    EXPECT_EQ(Window->STSens->GetCaption(), "250.00");
    EXPECT_TRUE(Sent().empty());
    WidgetInput::Key(Window->TBSensetivityFB, QEvent::KeyRelease, Qt::Key_Home);
    EXPECT_EQ(Sent(), Lines{"FBSensetivity= 00000064"});

    // Upper limit to the top: the fastest closing speed, half of it per barrier.
    WidgetInput::Key(Window->TBLimitUp, QEvent::KeyPress, Qt::Key_Home);
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(2 * MaxBoth(), 2));
    EXPECT_TRUE(Sent().empty());
    WidgetInput::Key(Window->TBLimitUp, QEvent::KeyRelease, Qt::Key_Home);
    EXPECT_EQ(Sent(), Lines{Valued("FBLimitUp=", LimitCodeOf(2 * MaxBoth()))});

    // Lower limit to the bottom: the slowest closing speed.
    WidgetInput::PressKey(Window->TBLimitDown, Qt::Key_Home);
    Sent();
    WidgetInput::PressKey(Window->TBLimitDown, Qt::Key_End);
    EXPECT_EQ(Window->STLimitDown->GetCaption(), Fixed(2 * MinBoth(), 2));
    EXPECT_EQ(Sent(), Lines{Valued("FBLimitDown=", LimitCodeOf(2 * MinBoth()))});

    // P coefficient: the first barrier's top speed at the top of the bar, then its text.
    WidgetInput::PressKey(Window->TBPCoeff, Qt::Key_Home);
    EXPECT_EQ(Sent(), Lines{Valued("FBPCoeff=", CodeOf(Clb().barrier1.GetMaxSpeed()))});
    EXPECT_EQ(Window->STPCoeff->GetCaption(), Fixed(Clb().barrier1.GetMaxSpeed(), 1));
    // A position in between: the value is the part of the bar below the thumb.
    Window->TBPCoeff->SetPosition(Window->TBPCoeff->GetMax() / 4);
    Window->TBPCoeffChanged(Window->TBPCoeff);
    const double quarter = Clb().barrier1.GetMaxSpeed() *
                           (Window->TBPCoeff->GetMax() - Window->TBPCoeff->GetMax() / 4) / Window->TBPCoeff->GetMax();
    EXPECT_EQ(Sent(), Lines{Valued("FBPCoeff=", CodeOf(quarter))});
    EXPECT_EQ(Window->STPCoeff->GetCaption(), Fixed(quarter, 1));
}

TEST_F(TDepFBTest, UpperLimitStaysAboveTheLowerOne)
{
    Start("[DepositionFB]\nLimitDown=500\nLimitUp=100\n");
    Sent();
    struct Case {
        const char* Bar;  // the slider moved by code
        int To;
        int Up, Down;  // positions afterwards
    };
    const Case cases[] = {
        {"up", 600, 499, 500},                           // onto or past the lower one: one above it
        {"up", 500, 499, 500},   {"up", 300, 300, 500},  // free
        {"down", 200, 300, 301},                         // the lower one cannot pass the upper one either
        {"down", 300, 300, 301}, {"down", 800, 300, 800},
        {"up", 0, 0, 800},       {"down", 0, 0, 1},  // only both at the top would be equal
    };
    for (const Case& c : cases) {
        KVC::TKvTrackBar* bar = std::string(c.Bar) == "up" ? Window->TBLimitUp : Window->TBLimitDown;
        bar->SetPosition(c.To);
        EXPECT_EQ(Window->TBLimitUp->GetPosition(), c.Up) << c.Bar << " to " << c.To;
        EXPECT_EQ(Window->TBLimitDown->GetPosition(), c.Down) << c.Bar << " to " << c.To;
        EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(LimitAt(c.Up), 2)) << c.Bar << " to " << c.To;
        EXPECT_EQ(Window->STLimitDown->GetCaption(), Fixed(LimitAt(c.Down), 2)) << c.Bar << " to " << c.To;
    }
    // Moving by code sends nothing; an operator's move that is put back where it began
    // sends nothing on release either.
    EXPECT_TRUE(Sent().empty());
    WidgetInput::PressKey(Window->TBLimitUp, Qt::Key_End);
    EXPECT_EQ(Window->TBLimitUp->GetPosition(), 0);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TDepFBTest, DepositionStartSendsAllFourWithTheCommonTopSpeedForTheCoefficient)
{
    Start("[DepositionFB]\nSensetivityFB=12\nLimitDown=400\nLimitUp=250\n");
    // Barrier 2 slower than barrier 1: the common range ends at barrier 2's top speed.
    SetBarrier2Speeds(0.02, 1.5);
    ASSERT_LT(Clb().barrier2.GetMaxSpeed(), Clb().barrier1.GetMaxSpeed());
    Window->TBPCoeff->SetPosition(Window->TBPCoeff->GetMax() / 2);
    Sent();
    Window->SendFeedbackParameters();
    const int pmax = Window->TBPCoeff->GetMax();
    const double coefficient = MaxBoth() * (pmax - pmax / 2) / pmax;
    EXPECT_EQ(Sent(),
              (Lines{"FBSensetivity= 0000000C", Valued("FBLimitUp=", LimitCodeOf(LimitAt(250))),
                     Valued("FBLimitDown=", LimitCodeOf(LimitAt(400))), Valued("FBPCoeff=", CodeOf(coefficient))}));
    EXPECT_EQ(Window->STPCoeff->GetCaption(), Fixed(coefficient, 2));
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(LimitAt(250), 2));
    // The operator's release uses barrier 1's own top speed.
    Window->TBPCoeffChanged(Window->TBPCoeff);
    EXPECT_EQ(Sent(), Lines{Valued("FBPCoeff=", CodeOf(Clb().barrier1.GetMaxSpeed() * (pmax - pmax / 2) / pmax))});
}

TEST_F(TDepFBTest, EmptyBarrierSpeedRangeGivesNoKeyStepsAndStillSends)
{
    // Barrier 2 runs one speed only, inside barrier 1's range: the common range is empty.
    SetBarrier2Speeds(1, 1);
    Start("");
    ASSERT_EQ(MaxBoth(), MinBoth());
    EXPECT_EQ(Window->TBLimitUp->GetLineSize(), 0);
    EXPECT_EQ(Window->TBLimitDown->GetPageSize(), 0);
    const std::int32_t code = LimitCodeOf(2 * MaxBoth());
    EXPECT_EQ(Sent(), (Lines{"FBSensetivity= 00000000", Valued("FBLimitDown=", code), Valued("FBLimitUp=", code),
                             "DipTopLevel= 00000000", "DipBottomLevel= 00000000"}));
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(2 * MaxBoth(), 2));
}

TEST_F(TDepFBTest, BarriersThatCannotMoveGiveZeroValuesNotBrokenNumbers)
{
    // Barrier 2 has no speed at all: the coefficient bar has no length.
    SetBarrier2Speeds(0, 0);
    Start("");
    EXPECT_EQ(Window->TBPCoeff->GetMax(), 0);
    EXPECT_EQ(Window->TBLimitUp->GetLineSize(), 0);
    EXPECT_EQ(Window->STPCoeff->GetCaption(), "0.0");
    Sent();
    Window->SendFeedbackParameters();
    const Lines lines = Sent();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "FBPCoeff= 00000000");
    EXPECT_EQ(Window->STPCoeff->GetCaption(), "0.00");
    EXPECT_EQ(Window->STLimitUp->GetCaption(), Fixed(LimitAt(0), 2));
}

TEST_F(TDepFBTest, LevelButtonsTakeTheDipperPositionAndZeroMovesOnlyTheMillimetres)
{
    Start("[DepositionFB]\nDeposUpLimit=100\nDeposDownLimit=900\n");
    auto* deposition = CreateForm<TFDepositionCtrl>(nullptr);
    Sent();
    DeviceState.dipperPos = 16000;
    Window->BDipUp->Click();
    EXPECT_EQ(Sent(), Lines{"DipTopLevel= 00003E80"});
    EXPECT_EQ(Window->DipperUpLimit, 16000);
    EXPECT_EQ(Window->STDipUpLevel->GetCaption(), Fixed(Clb().dipper.HwToSh(16000), 1));
    EXPECT_NEAR(deposition->SEUpperLimit->GetValue(), Clb().dipper.HwToSh(16000), 0.051);

    DeviceState.dipperPos = static_cast<std::uint32_t>(-300);
    Window->BDipDown->Click();
    EXPECT_EQ(Sent(), Lines{"DipBottomLevel= FFFFFED4"});
    EXPECT_EQ(Window->DipperDownLimit, -300);
    EXPECT_NEAR(deposition->SELowerLimit->GetValue(), Clb().dipper.HwToSh(-300), 0.051);

    // Zero: this position reads 0 mm from now on; the raw levels stay, nothing is sent.
    DeviceState.dipperPos = 4000;
    const std::string upBefore = Window->STDipUpLevel->GetCaption();
    Window->BDipZero->Click();
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Clb().dipper.GetZeroHw(), 4000);
    EXPECT_EQ(Clb().dipper.HwToSh(4000), 0.0);
    EXPECT_EQ(Window->DipperUpLimit, 16000);
    EXPECT_EQ(Window->DipperDownLimit, -300);
    EXPECT_NE(Window->STDipUpLevel->GetCaption(), upBefore);
    EXPECT_EQ(Window->STDipUpLevel->GetCaption(), Fixed(Clb().dipper.HwToSh(16000), 1));
    EXPECT_EQ(Window->STDipDownLevel->GetCaption(), Fixed(Clb().dipper.HwToSh(-300), 1));
    EXPECT_NEAR(deposition->SEUpperLimit->GetValue(), Clb().dipper.HwToSh(16000), 0.051);
    EXPECT_NEAR(deposition->SELowerLimit->GetValue(), Clb().dipper.HwToSh(-300), 0.051);
}

TEST_F(TDepFBTest, WithoutDepositionWindowOrLinkTheValuesStillChange)
{
    Start("");
    HlProvider.Link = nullptr;
    DeviceState.dipperPos = 2500;
    Window->BDipUp->Click();
    Window->BDipZero->Click();
    Window->SendFeedbackParameters();
    EXPECT_EQ(Window->DipperUpLimit, 2500);
    EXPECT_EQ(Window->STDipUpLevel->GetCaption(), Fixed(0, 1));
    HlProvider.Link = Library.Link;
    EXPECT_EQ(Link().Lines().size(), 5u);  // only the creation's lines
}

TEST_F(TDepFBTest, LayerByLayerDeviceMakesAnOrdinaryWindowThatStartUpHides)
{
    Start("[Common]\nDeviceType=LBL\n");
    EXPECT_EQ(Window->GetFormStyle(), fsNormal);
    EXPECT_EQ(Sent().size(), 5u);  // the values still reach the instrument
    HideWindowsOfDeviceType();
    EXPECT_FALSE(Window->GetVisible());

    TearDown();
    Start("[Common]\nDeviceType=ZEL\n");
    EXPECT_EQ(Window->GetFormStyle(), fsMDIChild);
    HideWindowsOfDeviceType();
    EXPECT_TRUE(Window->GetVisible());
}

TEST_F(TDepFBTest, CaptionsFromTheLanguageSection)
{
    UseLanguage(
        "[DepositionFB]\n0=Rueckkopplung\n1=Regelung\n2=Empfindlichkeit\n3=Hoechste\n4=\n"
        "5=Beschichtung\n6=Oben\n7=Unten\n8=P-Faktor\n9=Null\n");
    Start("");
    EXPECT_EQ(Window->GetCaption(), "Rueckkopplung");
    EXPECT_EQ(Window->GBFeedBack->GetCaption(), "Regelung");
    EXPECT_EQ(Window->RLSensetivity->GetCaption(), "Empfindlichkeit");
    EXPECT_EQ(Window->RLLimitSpeedUp->GetCaption(), "Hoechste");
    EXPECT_EQ(Window->RLLimitSpeedDown->GetCaption(), "Min barriers speed (mm/min)");  // empty item
    EXPECT_EQ(Window->GBDeposition->GetCaption(), "Beschichtung");
    EXPECT_EQ(Window->BDipUp->GetCaption(), "Oben");
    EXPECT_EQ(Window->BDipDown->GetCaption(), "Unten");
    EXPECT_EQ(Window->RLPCoeff->GetCaption(), "P-Faktor");
    EXPECT_EQ(Window->BDipZero->GetCaption(), "Zero");  // never translated

    // A language change translates again.
    WriteFileText(Language->LangFileName, "[DepositionFB]\n0=Feedback 2\n");
    Window->ApplyLanguage();
    EXPECT_EQ(Window->GetCaption(), "Feedback 2");
}

}  // namespace
