#include "zel/trough/Udepfb.h"
#include "platform/ui/ControlBuilder.h"

#include <algorithm>

#include "platform/base/FloatFormat.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/RxSpin.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Windowroles.h"

TFDepFB* FDepFB = nullptr;

namespace {

constexpr int ClientW = 217, ClientH = 310;
constexpr int ColumnWidth = 50, SliderTop = 36, SliderHeight = 180;

KVC::TKvRotateLabel* VerticalCaption(TComponent* Owner, TWinControl* Parent, const char* Name, const char* Caption,
                                     int Left)
{
    auto* label = MakeControl<KVC::TKvRotateLabel>(Owner, Parent, Name, Caption, Left, SliderTop, 18, SliderHeight);
    label->SetAutoSize(false);
    label->SetEscapement(90);
    label->SetColor(clBtnFace);
    label->SetAlignment(taCenter);
    label->SetLayout(tlCenter);
    label->Font()->SetName("Tahoma");
    return label;
}

KVC::TKvTrackBar* VerticalSlider(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Max, int Ticks)
{
    auto* bar = new KVC::TKvTrackBar(Owner);
    bar->Name = Name;
    bar->SetOrientation(trVertical);
    bar->SetBounds(Left, SliderTop, 30, SliderHeight);
    bar->SetParent(Parent);
    bar->SetMin(0);
    bar->SetMax(Max);
    bar->SetFrequency(Ticks);
    return bar;
}

// The slider's distance from its bottom end as a part of its length: the top of a
// vertical slider (position 0) stands for the largest value.
double Fraction(const KVC::TKvTrackBar* Bar)
{
    return DivideOr(Bar->GetMax() - Bar->GetPosition(), Bar->GetMax() - Bar->GetMin(), 0);
}

std::string Fixed(double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 15, Decimals); }

// A speed limit goes to the instrument as the code of one barrier's speed: the limits are
// closing speeds of both barriers together.
int LimitCode(double ClosingSpeed) { return DoubleToInt32(CalibrateParam.barrier1.SpeedToCode(ClosingSpeed * 0.5)); }

int SpeedCode(double Speed) { return DoubleToInt32(CalibrateParam.barrier1.SpeedToCode(Speed)); }

// The deposition window's limit fields, when that window exists.
IDipperLimitsWindow* DepositionWindow() { return FindRole<IDipperLimitsWindow>(TToolWindowKind::Deposition); }

double DipperMm(int Steps) { return CalibrateParam.dipper.HwToSh(Steps); }

}  // namespace

TFDepFB::TFDepFB(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::DepositionFB)
{
    Name = "FDepFB";
    SetCaption("Deposition feedback");
    SetBorderStyle(bsSingle);
    SetBounds(0, 0, ClientW, ClientH);

    GBFeedBack = MakeControl<TGroupBox>(this, this, "GBFeedBack", " Feedback ", 4, 4, ClientW - 8, 226);
    struct TColumn {
        KVC::TKvRotateLabel** Caption;
        const char* CaptionName;
        const char* CaptionText;
        TLabel** Text;
        const char* TextName;
        KVC::TKvTrackBar** Bar;
        const char* BarName;
        int Max;
        int Ticks;
    };
    const TColumn columns[] = {
        {&RLSensetivity, "RLSensetivity", "Sensitivity, mN/m", &STSens, "STSens", &TBSensetivityFB, "TBSensetivityFB",
         100, 10},
        {&RLPCoeff, "RLPCoeff", "P coeff (mm/min / mN/m)", &STPCoeff, "STPCoeff", &TBPCoeff, "TBPCoeff", 100, 10},
        {&RLLimitSpeedUp, "RLLimitSpeedUp", "Max barriers speed (mm/min)", &STLimitUp, "STLimitUp", &TBLimitUp,
         "TBLimitUp", 1000, 50},
        {&RLLimitSpeedDown, "RLLimitSpeedDown", "Min barriers speed (mm/min)", &STLimitDown, "STLimitDown",
         &TBLimitDown, "TBLimitDown", 1000, 50},
    };
    int left = 4;
    for (const TColumn& c : columns) {
        *c.Text = MakeControl<TLabel>(this, GBFeedBack, c.TextName, "0000", left, 18, ColumnWidth - 2, 14);
        *c.Caption = VerticalCaption(this, GBFeedBack, c.CaptionName, c.CaptionText, left);
        *c.Bar = VerticalSlider(this, GBFeedBack, c.BarName, left + 18, c.Max, c.Ticks);
        left += ColumnWidth;
    }

    GBDeposition = MakeControl<TGroupBox>(this, this, "GBDeposition", "Deposition", 4, 234, ClientW - 8, ClientH - 238);
    BDipZero = MakeControl<TButton>(this, GBDeposition, "BDipZero", "Zero", 8, 18, 60, 25);
    BDipUp = MakeControl<TButton>(this, GBDeposition, "BDipUp", "Up", 72, 18, 60, 25);
    BDipDown = MakeControl<TButton>(this, GBDeposition, "BDipDown", "Down", 136, 18, 60, 25);
    STDipUpLevel = MakeControl<TLabel>(this, GBDeposition, "STDipUpLevel", "", 72, 48, 60, 14);
    STDipDownLevel = MakeControl<TLabel>(this, GBDeposition, "STDipDownLevel", "", 136, 48, 60, 14);

    TBSensetivityFB->OnChange = [this](TObject* Sender) { TBSensetivityFBChange(Sender); };
    TBSensetivityFB->OnChanged = [this](TObject* Sender) { TBSensetivityFBChanged(Sender); };
    TBLimitUp->OnChange = [this](TObject* Sender) { TBLimitUpChange(Sender); };
    TBLimitUp->OnChanged = [this](TObject* Sender) { TBLimitUpChanged(Sender); };
    TBLimitDown->OnChange = [this](TObject* Sender) { TBLimitDownChange(Sender); };
    TBLimitDown->OnChanged = [this](TObject* Sender) { TBLimitDownChanged(Sender); };
    TBPCoeff->OnChange = [this](TObject* Sender) { TBPCoeffChange(Sender); };
    TBPCoeff->OnChanged = [this](TObject* Sender) { TBPCoeffChanged(Sender); };
    BDipZero->OnClick = [this](TObject* Sender) { BDipZeroClick(Sender); };
    BDipUp->OnClick = [this](TObject* Sender) { BDipUpClick(Sender); };
    BDipDown->OnClick = [this](TObject* Sender) { BDipDownClick(Sender); };

    // A child of the main window's area, except for the layer-by-layer device, where it
    // is a window of its own (and kept hidden).
    if (DeviceType != dtLbl) SetFormStyle(fsMDIChild);
    // The window shows itself once the pattern's creation has restored its placement.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        Show();
    };
}

TFDepFB::~TFDepFB()
{
    if (FDepFB == this) FDepFB = nullptr;
}

// ---------------------------------------------------------------------------------------
// Creation, settings and language

void TFDepFB::PrepareWindow()
{
    // The key steps aim at 0.01 and 0.1 mm/min of the shown limit; an empty speed range
    // gives no step, since every position then shows the same speed.
    const double range = 2 * (GetMaxBarriersSpeed() - GetMinBarriersSpeed());
    for (KVC::TKvTrackBar* bar : {TBLimitUp, TBLimitDown}) {
        const double span = bar->GetMax() - bar->GetMin();
        bar->SetLineSize(range > 0 ? std::max(0, DoubleToInt32(span * 0.01 / range)) : 0);
        bar->SetPageSize(range > 0 ? std::max(0, DoubleToInt32(span * 0.1 / range)) : 0);
    }
    const int max = std::max(0, DoubleToInt32(GetMaxBarriersSpeed() * 2 * 10));
    TBPCoeff->SetMax(max);
    TBPCoeff->SetFrequency(max / 10);
}

void TFDepFB::LoadSettings()
{
    if (SettingsFileName.empty()) return;
    const TIniFile ini(SettingsFileName);
    const char* section = Pattern().SettingsSection;
    TBSensetivityFB->SetPosition(TBSensetivityFB->GetMax() - ini.ReadInteger(section, "SensetivityFB", 0));
    TBSensetivityFBChanged(TBSensetivityFB);
    TBLimitDown->SetPosition(ini.ReadInteger(section, "LimitDown", 0));
    TBLimitDownChanged(TBLimitDown);
    TBLimitUp->SetPosition(ini.ReadInteger(section, "LimitUp", 0));
    TBLimitUpChanged(TBLimitUp);
    SetDipperUpLimit(ini.ReadInteger(section, "DeposUpLimit", 0));
    SetDipperDownLimit(ini.ReadInteger(section, "DeposDownLimit", 0));
    // The P coefficient is only shown here; it reaches the instrument at START.
    TBPCoeff->SetPosition(ini.ReadInteger(section, "PCoeff", 0));
    TBPCoeffChange(TBPCoeff);
}

void TFDepFB::SaveSettings()
{
    if (SettingsFileName.empty()) return;
    TIniFile ini(SettingsFileName);
    const char* section = Pattern().SettingsSection;
    ini.WriteInteger(section, "SensetivityFB", Sensitivity());
    ini.WriteInteger(section, "LimitUp", TBLimitUp->GetPosition());
    ini.WriteInteger(section, "LimitDown", TBLimitDown->GetPosition());
    ini.WriteInteger(section, "DeposUpLimit", DipperUpLimit);
    ini.WriteInteger(section, "DeposDownLimit", DipperDownLimit);
    ini.WriteInteger(section, "PCoeff", TBPCoeff->GetPosition());
}

std::vector<TCaptionTarget> TFDepFB::CaptionTargets()
{
    return {CaptionOf(this),           CaptionOf(GBFeedBack),       CaptionOf(RLSensetivity),
            CaptionOf(RLLimitSpeedUp), CaptionOf(RLLimitSpeedDown), CaptionOf(GBDeposition),
            CaptionOf(BDipUp),         CaptionOf(BDipDown),         CaptionOf(RLPCoeff)};
}

// ---------------------------------------------------------------------------------------
// Speeds and values

double TFDepFB::GetMinBarriersSpeed()
{
    return std::max(CalibrateParam.barrier1.GetMinSpeed(), CalibrateParam.barrier2.GetMinSpeed());
}

double TFDepFB::GetMaxBarriersSpeed()
{
    return std::min(CalibrateParam.barrier1.GetMaxSpeed(), CalibrateParam.barrier2.GetMaxSpeed());
}

int TFDepFB::Sensitivity() const { return TBSensetivityFB->GetMax() - TBSensetivityFB->GetPosition(); }

double TFDepFB::LimitSpeed(const KVC::TKvTrackBar* Bar)
{
    const double min = GetMinBarriersSpeed();
    return 2 * min + 2 * (GetMaxBarriersSpeed() - min) * Fraction(Bar);
}

int TFDepFB::ShowLimit(KVC::TKvTrackBar* Bar, TLabel* Text)
{
    const double speed = LimitSpeed(Bar);
    Text->SetCaption(Fixed(speed, 2));
    return LimitCode(speed);
}

void TFDepFB::ShowSensitivity()
{
    STSens->SetCaption(Fixed(Sensitivity() * CalibrateParam.FBSensetivityK, AppSettings.ADCDataAccuracy));
}

void TFDepFB::SendFeedbackParameters()
{
    HlProvider.SetFBSensetivity(Sensitivity());
    HlProvider.SetFBLimitUp(ShowLimit(TBLimitUp, STLimitUp));
    HlProvider.SetFBLimitDown(ShowLimit(TBLimitDown, STLimitDown));
    const double coefficient = GetMaxBarriersSpeed() * Fraction(TBPCoeff);
    STPCoeff->SetCaption(Fixed(coefficient, 2));
    HlProvider.SetFBPCoeff(SpeedCode(coefficient));
}

// ---------------------------------------------------------------------------------------
// Sliders

void TFDepFB::TBSensetivityFBChange(TObject*) { ShowSensitivity(); }

void TFDepFB::TBSensetivityFBChanged(TObject*)
{
    ShowSensitivity();
    // The instrument takes the bare slider value.
    HlProvider.SetFBSensetivity(Sensitivity());
}

// The upper limit stays above the lower one: a slider moved onto or past the other is put
// back one position beside it (which runs its change again with the corrected position).
void TFDepFB::TBLimitUpChange(TObject*)
{
    if (TBLimitUp->GetPosition() >= TBLimitDown->GetPosition()) {
        TBLimitUp->SetPosition(TBLimitDown->GetPosition() - 1);
        return;
    }
    STLimitUp->SetCaption(Fixed(LimitSpeed(TBLimitUp), 2));
}

void TFDepFB::TBLimitUpChanged(TObject*) { HlProvider.SetFBLimitUp(ShowLimit(TBLimitUp, STLimitUp)); }

void TFDepFB::TBLimitDownChange(TObject*)
{
    if (TBLimitUp->GetPosition() >= TBLimitDown->GetPosition()) {
        TBLimitDown->SetPosition(TBLimitUp->GetPosition() + 1);
        return;
    }
    STLimitDown->SetCaption(Fixed(LimitSpeed(TBLimitDown), 2));
}

void TFDepFB::TBLimitDownChanged(TObject*) { HlProvider.SetFBLimitDown(ShowLimit(TBLimitDown, STLimitDown)); }

void TFDepFB::TBPCoeffChange(TObject*)
{
    STPCoeff->SetCaption(Fixed(CalibrateParam.barrier1.GetMaxSpeed() * Fraction(TBPCoeff), 1));
}

void TFDepFB::TBPCoeffChanged(TObject* Sender)
{
    HlProvider.SetFBPCoeff(SpeedCode(CalibrateParam.barrier1.GetMaxSpeed() * Fraction(TBPCoeff)));
    TBPCoeffChange(Sender);
}

// ---------------------------------------------------------------------------------------
// Dipper levels

void TFDepFB::SetDipperUpLimit(int Steps)
{
    DipperUpLimit = Steps;
    HlProvider.SetDipTopLevel(Steps);
    STDipUpLevel->SetCaption(Fixed(DipperMm(Steps), 1));
}

void TFDepFB::SetDipperDownLimit(int Steps)
{
    DipperDownLimit = Steps;
    HlProvider.SetDipBottomLevel(Steps);
    STDipDownLevel->SetCaption(Fixed(DipperMm(Steps), 1));
}

void TFDepFB::ShowLevels()
{
    STDipUpLevel->SetCaption(Fixed(DipperMm(DipperUpLimit), 1));
    STDipDownLevel->SetCaption(Fixed(DipperMm(DipperDownLimit), 1));
    if (auto* deposition = DepositionWindow()) {
        deposition->SetDipperUpLimit(DipperMm(DipperUpLimit));
        deposition->SetDipperDownLimit(DipperMm(DipperDownLimit));
    }
}

void TFDepFB::BDipUpClick(TObject*)
{
    const int position = static_cast<int>(DeviceState.dipperPos);
    if (auto* deposition = DepositionWindow()) deposition->SetDipperUpLimit(DipperMm(position));
    SetDipperUpLimit(position);
}

void TFDepFB::BDipDownClick(TObject*)
{
    const int position = static_cast<int>(DeviceState.dipperPos);
    if (auto* deposition = DepositionWindow()) deposition->SetDipperDownLimit(DipperMm(position));
    SetDipperDownLimit(position);
}

void TFDepFB::BDipZeroClick(TObject*)
{
    // The levels stay in steps: only their millimetre readings move with the new zero, and
    // the instrument, which works in steps, is told nothing.
    CalibrateParam.dipper.SetZeroHw(static_cast<int>(DeviceState.dipperPos));
    ShowLevels();
}
