// The film preparation window on real widgets beside the real main window: the nine START
// lines through the unit of the chosen pump, the area as a barrier position within four
// fifths of the trough, notices that change nothing, the guarded Stop, the pump ranges
// after a change of pump and after "Store calibrate", the settings restored without
// clamping a peristaltic set-up into the doser's ranges, the language with its list
// entries and the device types it serves.
#include "zel/accessories/Ufilmpreparation.h"

#include "AccessoryTestSupport.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/manual/Ucalibratedevice.h"

namespace {

class Film : public TAccessoryFixture {
protected:
    void SetUp() override
    {
        TAccessoryFixture::SetUp();
        TCalibrateParam& c = CalibrateParam;
        FSquare = {c.surface.GetSquareMin(), c.surface.GetSquareMax()};
        FFlow = c.perilstaticPump.GetFlowCoeff();
    }
    void TearDown() override
    {
        TAccessoryFixture::TearDown();
        TCalibrateParam& c = CalibrateParam;
        c.surface.SetSquareMin(FSquare.first);
        c.surface.SetSquareMax(FSquare.second);
        c.perilstaticPump.SetFlowCoeff(FFlow);
    }
    // The trough spans 20 to 120 cm²; the peristaltic pump moves 25 ml a revolution, so
    // its ranges lie far above the doser's.
    void Prepare(const std::string& MoreIni = "")
    {
        StartAccessories(MoreIni);
        TCalibrateParam& c = CalibrateParam;
        c.surface.SetSquareMin(20);
        c.surface.SetSquareMax(120);
        c.perilstaticPump.SetFlowCoeff(25);
    }
    void Create(const std::vector<std::string>& Section = {})
    {
        WriteSection("FilmPreparationControl", Section);
        Window = CreateForm<TFFilmPreparation>(nullptr);
        Link()->ClearCalls();
    }
    void Open(const std::vector<std::string>& Section = {}, const std::string& MoreIni = "")
    {
        Prepare(MoreIni);
        Create(Section);
    }
    TFFilmPreparation* Window = nullptr;
    std::pair<double, double> FSquare;
    double FFlow = 1;
};

TEST_F(Film, StartSendsTheNineSettersThroughTheChosenPumpThenTheStartWord)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        Open();
        TCalibrateParam& c = CalibrateParam;
        TMotor& pump = type == 0 ? static_cast<TMotor&>(c.doser) : c.perilstaticPump;
        TMotor& other = type == 0 ? static_cast<TMotor&>(c.perilstaticPump) : c.doser;
        Window->cbbPumpType->SetItemIndex(type);
        Window->cbbPumpType->OnChange(Window->cbbPumpType);
        Window->edSquare->SetValue(45);
        Window->edPressure->SetValue(20);
        Window->edOpenningBarrierSpeed->SetValue(c.barrier1.GetMaxSpeed() / 2);
        Window->edClosingBarrierSpeed->SetValue(c.barrier2.GetMaxSpeed() / 4);
        Window->edPause->SetValue(12);
        Window->edInjectorVolume->SetValue(0.25);
        Window->edInjectorStep->SetValue(0.125);
        const double rate = (pump.GetMinSpeed() + pump.GetMaxSpeed()) / 2;
        Window->edRate->SetValue(rate);
        Window->btnGo->Click();

        const auto counts = [](double Value) { return Hex8(DoubleToInt32(Value)); };
        const std::vector<std::string> expected = {
            "FpArea= " + counts(c.surface.AreaToPosition(45)),
            "FpPressure= 00001770",
            "FpOpenningBarrierSpeed= " + counts(c.barrier1.SpeedToCode(Window->edOpenningBarrierSpeed->GetValue())),
            "FpClosingBarrierSpeed= " + counts(c.barrier2.SpeedToCode(Window->edClosingBarrierSpeed->GetValue())),
            "FpPumpType= " + Hex8(type),
            "FpDelay= 0000000C",
            "FpInjectionVolume= " + counts(pump.ShToHw(0.25)),
            "FpInjectionVolumeStep= " + counts(pump.ShToHwDelta(0.125)),
            "FpPumpSpeed= " + counts(pump.SpeedToCode(Window->edRate->GetValue())),
            "StartFilmPreparation",
        };
        EXPECT_EQ(StartLines("FpArea="), expected);
        // The area goes out as a barrier position, and the pump's own unit counts.
        EXPECT_NE(expected[0], "FpArea= " + Hex8(45));
        EXPECT_NE(counts(pump.ShToHw(0.25)), counts(other.ShToHw(0.25)));
        EXPECT_EQ(Main->ProcessKind, pkFilmPreparation);
        EXPECT_FALSE(Window->btnGo->GetVisible());
        // No data set, graph or status lines.
        EXPECT_TRUE(GraphManager.Graphs().empty());
        TProcessFixture::TearDown();
    }
}

TEST_F(Film, AreaIsHeldWithinFourFifthsOfTheTroughSpan)
{
    Open();
    EXPECT_DOUBLE_EQ(Window->edSquare->GetMinValue(), 20);
    EXPECT_DOUBLE_EQ(Window->edSquare->GetMaxValue(), 100);
    Window->edSquare->SetValue(150);
    EXPECT_EQ(Window->edSquare->AsInteger(), 100);
    Window->edSquare->SetValue(5);
    EXPECT_EQ(Window->edSquare->AsInteger(), 20);
}

TEST_F(Film, NoticesChangeNothingAndStopActsOnlyWhileAProcessRuns)
{
    Open();
    Window->btnStopClick(nullptr);
    EXPECT_TRUE(Link()->Lines().empty());

    Window->btnGo->Click();
    Link()->ClearCalls();
    Notify(hlnFilmPrepStarted);
    Point(hlnFilmPrepPoint, TFilmPrepPoint{1, 2, 3, 4, 5, 6, 7});
    Notify(hlnFilmPrepFinished);
    Application->ProcessMessages();
    EXPECT_EQ(Main->ProcessKind, pkFilmPreparation);
    EXPECT_FALSE(Window->btnGo->GetVisible());
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_TRUE(Link()->Lines().empty());

    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());

    // Another window's run hides START here too, and Stop ends it.
    auto* tdar = CreateForm<TFTDARCtrl>(nullptr);
    tdar->btnGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkTDAR);
    Link()->ClearCalls();
    Window->btnStop->Click();
    EXPECT_EQ(Link()->Lines(), std::vector<std::string>{"ProcessStop"});
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(tdar->btnGo->GetVisible());
}

TEST_F(Film, ALostLineEndsTheProcessAsFailed)
{
    Open();
    Window->btnGo->Click();
    ASSERT_EQ(Main->ProcessKind, pkFilmPreparation);
    LoseLink();
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Window->btnGo->GetVisible());
    EXPECT_EQ(Shown(), LostLinkTexts());
}

TEST_F(Film, PumpRangesFollowThePumpTypeAndTheStoredPumpCalibration)
{
    Open();
    TCalibrateParam& c = CalibrateParam;
    const auto expectRanges = [&](TMotor& Unit) {
        for (TRxSpinEdit* edit : {Window->edInjectorVolume, Window->edInjectorStep}) {
            EXPECT_DOUBLE_EQ(edit->GetMinValue(), 0.001) << edit->Name;
            EXPECT_DOUBLE_EQ(edit->GetMaxValue(), Unit.GetShMax()) << edit->Name;
        }
        EXPECT_DOUBLE_EQ(Window->edRate->GetMinValue(), Unit.GetMinSpeed());
        EXPECT_DOUBLE_EQ(Window->edRate->GetMaxValue(), Unit.GetMaxSpeed());
    };
    ASSERT_NE(c.doser.GetMaxSpeed(), c.perilstaticPump.GetMaxSpeed());
    expectRanges(c.doser);
    Window->cbbPumpType->SetItemIndex(1);
    Window->cbbPumpType->OnChange(Window->cbbPumpType);
    expectRanges(c.perilstaticPump);
    Window->cbbPumpType->SetItemIndex(0);
    Window->cbbPumpType->OnChange(Window->cbbPumpType);
    expectRanges(c.doser);

    // A pump calibration stored in the calibration window moves the ranges.
    Window->cbbPumpType->SetItemIndex(1);
    Window->cbbPumpType->OnChange(Window->cbbPumpType);
    const double before = Window->edRate->GetMaxValue();
    auto* calibration = CreateForm<TFCalibrateDevice>(nullptr);
    // A calibration step changed the pump's flow and enabled "Store calibrate".
    c.perilstaticPump.SetFlowCoeff(50);
    calibration->SBStoreCalibrate->SetEnabled(true);
    calibration->SBStoreCalibrate->Click();
    ASSERT_NE(c.perilstaticPump.GetMaxSpeed(), before);
    expectRanges(c.perilstaticPump);
}

TEST_F(Film, APeristalticSetUpComesBackWithItsDecimalsUnclamped)
{
    Prepare();
    TCalibrateParam& c = CalibrateParam;
    const double rate = c.perilstaticPump.GetMaxSpeed() * 0.9;
    ASSERT_GT(rate, c.doser.GetMaxSpeed());
    char rateText[32];
    std::snprintf(rateText, sizeof rateText, "%.3f", rate);
    Create({"PumpType=1", "InjectorVolume=0,25", "InjectorStep=2.125", std::string("Rate=") + rateText, "Square=55",
            "Pause=30", "Pressure=oops", "Docked=0"});
    EXPECT_EQ(Window->cbbPumpType->GetItemIndex(), 1);
    EXPECT_DOUBLE_EQ(Window->edInjectorVolume->GetValue(), 0.25);
    EXPECT_DOUBLE_EQ(Window->edInjectorStep->GetValue(), 2.125);
    EXPECT_NEAR(Window->edRate->GetValue(), rate, 0.001);
    EXPECT_EQ(Window->edSquare->AsInteger(), 55);
    EXPECT_EQ(Window->edPause->AsInteger(), 30);
    EXPECT_DOUBLE_EQ(Window->edPressure->GetValue(), 0);
    EXPECT_TRUE(Window->Floating());

    Window->edInjectorVolume->SetValue(0.375);
    Window->edPause->SetValue(45);
    FreeForm(Window);
    const struct {
        const char* Key;
        const char* Value;
    } stored[] = {{"PumpType", "1"},         {"InjectorVolume", "0.375"},
                  {"InjectorStep", "2.125"}, {"Square", "55"},
                  {"Pause", "45"},           {"Docked", "0"}};
    for (const auto& s : stored) EXPECT_EQ(IniFile->ReadString("FilmPreparationControl", s.Key, ""), s.Value) << s.Key;
    Window = CreateForm<TFFilmPreparation>(nullptr);
    EXPECT_DOUBLE_EQ(Window->edInjectorVolume->GetValue(), 0.375);
}

TEST_F(Film, CaptionsAndListEntriesFromTheLanguageFileAndHiddenForTheLayerByLayerDevice)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"),
                  "[FilmPreparationControl]\n0=Filmherstellung\n1=Allgemein\n2=Fläche\n3=\n4=Barrieren\n5=a\n6=b\n"
                  "7=Pumpe\n8=Dosierer\n9=Schlauchpumpe\n10=c\n11=d\n12=Pause\n13=Rate\n14=LOS\n15=Halt\n");
    Open({"PumpType=1"});
    EXPECT_EQ(Window->GetCaption(), "Filmherstellung");
    EXPECT_EQ(Window->lblSquare->GetCaption(), "Fläche");
    EXPECT_EQ(Window->lblPressure->GetCaption(), "Pressure, mN/m");  // empty item
    EXPECT_EQ(Window->grpPump->GetCaption(), "Pumpe");
    EXPECT_EQ(Window->cbbPumpType->Items().Lines(), (std::vector<std::string>{"Dosierer", "Schlauchpumpe"}));
    EXPECT_EQ(Window->cbbPumpType->GetItemIndex(), 1);
    EXPECT_EQ(Window->lblPause->GetCaption(), "Pause");
    EXPECT_EQ(Window->btnGo->GetCaption(), "LOS");
    EXPECT_EQ(Window->btnStop->GetCaption(), "Halt");
    TProcessFixture::TearDown();

    Open({}, "DeviceType=LBL\n");
    EXPECT_FALSE(Window->GetVisible());
    EXPECT_FALSE(Main->actViewFilmPreparation->GetVisible());
    EXPECT_TRUE(Window->Floating());
}

}  // namespace
