#include "zel/trough/Udepposinfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui/ControlBuilder.h"
#include "kvc/KvServiceFuncs.h"
#include "platform/base/FloatFormat.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"

TFDepPosInfo* FDepPosInfo = nullptr;

namespace {

constexpr int ViewWidth = 26, ViewHeight = 207;

KVC::TKvBufferedImage* MakeView(TFDepPosInfo* Owner, const char* Name, int Left)
{
    auto* view = new KVC::TKvBufferedImage(Owner);
    view->Name = Name;
    view->SetBounds(Left, 0, ViewWidth, ViewHeight);
    view->SetEraseBackground(true);
    view->Background()->SetPixelFormat(pf24bit);
    view->Background()->SetSize(ViewWidth, ViewHeight);
    view->SetParent(Owner);
    return view;
}

// Truncated toward zero, as the bars' whole-number captions and split heights need.
int Whole(double Value) { return DoubleToInt32(Value); }

std::string Printf(const char* Format, int A, int B = 0, int C = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, Format, A, B, C);
    return text;
}

// One bar: the part below the split in the lower colour, the part above it in the upper
// colour, a black frame, and the caption turned upright twice, so that its background
// matches the bar on both sides of the split.
void DrawBar(TControl* View, TCanvas* Canvas, const TDepBar& Bar)
{
    const TSize size = Canvas->SurfaceSize();
    const int w = size.cx, h = size.cy;
    const int split = std::clamp(Bar.Split, 0, h);
    Canvas->Pen()->SetColor(Bar.Lower);
    Canvas->Brush()->SetColor(Bar.Lower);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Rectangle(0, split, w, h);
    Canvas->Pen()->SetColor(Bar.Upper);
    Canvas->Brush()->SetColor(Bar.Upper);
    Canvas->Rectangle(0, 0, w, split);
    const TRect client = View->ClientRect();
    Canvas->Brush()->SetColor(clBlack);
    Canvas->FrameRect(client);

    Canvas->Font()->SetName("Tahoma");
    Canvas->Font()->SetColor(clWhite);
    Canvas->Font()->SetStyle(TFontStyles() << fsBold);
    TPoint origin{};
    Canvas->Brush()->SetColor(Bar.Lower);
    KVC::DrawTitleText(Canvas, client, origin, 90, Bar.Caption, taCenter, tlCenter);
    Canvas->SetClipRect(Rect(0, 0, w, split));
    Canvas->Brush()->SetColor(Bar.Upper);
    KVC::DrawTitleText(Canvas, client, origin, 90, Bar.Caption, taCenter, tlCenter);
    Canvas->ResetClip();
}

}  // namespace

TFDepPosInfo::TFDepPosInfo(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::DepPosInfo)
{
    SetUpForm(this, "FDepPosInfo", "", fsStayOnTop, bsToolWindow);
    Position = poDefault;
    FormPlacement->IniFileName = SettingsFileName;
    imgDipPos = MakeView(this, "imgDipPos", 0);
    imgStepPos = MakeView(this, "imgStepPos", ViewWidth);
    imgWorkArea = MakeView(this, "imgWorkArea", 2 * ViewWidth);
    imgDipPos->OnDrawBuffer = [this](TObject* Sender, TCanvas* Canvas) { imgDipPosDrawBuffer(Sender, Canvas); };
    imgStepPos->OnDrawBuffer = [this](TObject* Sender, TCanvas* Canvas) { imgStepPosDrawBuffer(Sender, Canvas); };
    imgWorkArea->OnDrawBuffer = [this](TObject* Sender, TCanvas* Canvas) { imgWorkAreaDrawBuffer(Sender, Canvas); };
    SetBounds(0, 0, 3 * ViewWidth, ViewHeight);
}

TFDepPosInfo::~TFDepPosInfo()
{
    if (FDepPosInfo == this) FDepPosInfo = nullptr;
}

void TFDepPosInfo::SetDipPos(int Which, int Value)
{
    switch (Which) {
    case 0:
        DipUpPos = Value;
        break;
    case 1:
        DipDownPos = Value;
        break;
    case 2:
        DipPos = Value;
        break;
    default:
        break;
    }
    imgDipPos->Display();
}

void TFDepPosInfo::SetLayerStep(int Which, int Value)
{
    if (Which == 0) {
        LayerCount = Value;
        LayerDone = 0;
    } else if (Which == 1) {
        LayerDone = Value;
    }
    imgStepPos->Display();
}

void TFDepPosInfo::SetWorkArea(double Area)
{
    WorkArea = Area;
    imgWorkArea->Display();
}

// Equal levels, no strokes and an empty area range leave f at 0 and the whole bar in its
// lower colour: no division is made.
TDepBar TFDepPosInfo::DipBar() const
{
    TDepBar bar;
    bar.Lower = clRed;
    bar.Upper = clBlue;
    // The part of the way from the upper level to the lower one, whichever way the raw
    // steps run between them: beyond the upper level it is negative, beyond the lower one
    // above 1. Differences are taken wide, so no pair of 32-bit positions overflows.
    const double span = static_cast<double>(DipDownPos) - DipUpPos;
    if (span != 0) {
        bar.Fraction = (static_cast<double>(DipPos) - DipUpPos) / span;
        bar.Split = Whole(ViewHeight * bar.Fraction);
    }
    bar.Caption = "Dip: " + FloatToStrF(bar.Fraction * 100, ffFixed, 12, 1) + "%";
    return bar;
}

TDepBar TFDepPosInfo::StepBar() const
{
    TDepBar bar;
    bar.Lower = clPurple;
    bar.Upper = clGray;
    if (LayerCount != 0) {
        bar.Fraction = static_cast<double>(LayerDone) / LayerCount;
        bar.Split = Whole(ViewHeight * (1 - bar.Fraction));
    }
    bar.Caption = Printf("Layer: %d%% (%d of %d)", Whole(bar.Fraction * 100), LayerDone + 1, LayerCount);
    return bar;
}

TDepBar TFDepPosInfo::WorkAreaBar() const
{
    TDepBar bar;
    bar.Lower = clGreen;
    bar.Upper = clGray;
    const int reserve = WarningDeltaSquareSource ? WarningDeltaSquareSource() : 0;
    const double lo = CalibrateParam.surface.GetSquareMin() + reserve;
    const double hi = CalibrateParam.surface.GetSquareMax();
    if (lo != hi) {
        bar.Fraction = std::max(0.0, (WorkArea - lo) / std::fabs(hi - lo));
        bar.Split = Whole((1 - bar.Fraction) * ViewHeight);
    }
    bar.Caption = Printf("Work area: %d%%", Whole(bar.Fraction * 100));
    return bar;
}

void TFDepPosInfo::imgDipPosDrawBuffer(TObject*, TCanvas* Canvas) { DrawBar(imgDipPos, Canvas, DipBar()); }
void TFDepPosInfo::imgStepPosDrawBuffer(TObject*, TCanvas* Canvas) { DrawBar(imgStepPos, Canvas, StepBar()); }
void TFDepPosInfo::imgWorkAreaDrawBuffer(TObject*, TCanvas* Canvas) { DrawBar(imgWorkArea, Canvas, WorkAreaBar()); }
