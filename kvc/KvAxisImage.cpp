#include "kvc/KvAxisImage.h"
#include "kvc/KvStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include "platform/base/FloatFormat.h"

namespace KVC {

namespace {

// Label measuring gives up beyond these: a step too fine to reach a whole number of
// decimals, or more labels than any picture can show.
constexpr int MaxLabelPrecision = 18;
constexpr int MaxLabelSteps = 10000;

std::string LabelText(double Value, int Precision, int MaxPrecision)
{
    if (MaxPrecision >= 0 && Precision > MaxPrecision && Precision > 0 && std::fabs(Value) < 1)
        return FloatToStrF(Value, ffExponent, std::min(Precision, 18), 0);
    if (Precision > 0) return FloatToStrF(Value, ffFixed, 10, Precision);
    const double whole = std::trunc(Value);
    if (!(std::fabs(whole) < 9.2e18)) return FloatToStrF(Value, ffGeneral, 15, 0);
    return std::to_string(static_cast<long long>(whole));
}

// Space an axis takes beside the frame: label indent and widest (tallest) label when
// its labels show, tick length when its ticks point outward.
int AxisExtent(const TKvChartAxis& Axis, int LabelSize)
{
    int extent = 0;
    if (Axis.Labels()->GetVisible()) extent += Axis.Labels()->GetIndent() + LabelSize;
    if (Axis.Ticks()->GetVisible() && Axis.Ticks()->GetType() == cttOuter) extent += Axis.Ticks()->GetLength();
    return extent;
}

// Labels never overlap: when they crowd a short axis, only every n-th one is written (the
// ticks and grid lines of the others stay), n the smallest that leaves each written label
// Gap pixels clear of the next. Extent is a label's size along the axis.
template <typename TPosition>
size_t LabelStride(const std::vector<TKvAxisImage::TKvChartLabelsInfo>& Labels, TPosition Position, bool Vertical,
                   int Gap)
{
    auto extent = [&](size_t i) { return Vertical ? Labels[i].Height : Labels[i].Width; };
    for (size_t n = 1; n < Labels.size(); ++n) {
        bool clear = true;
        for (size_t i = 0; clear && i + n < Labels.size(); i += n)
            clear = std::fabs(Position(Labels[i + n].Value) - Position(Labels[i].Value)) >=
                    (extent(i) + extent(i + n)) / 2.0 + Gap;
        if (clear) return n;
    }
    return std::max<size_t>(Labels.size(), 1);
}

struct TCanvasToolsSaver {
    explicit TCanvasToolsSaver(TCanvas* Canvas) : FCanvas(Canvas)
    {
        FPen.Assign(*Canvas->Pen());
        FBrush.Assign(*Canvas->Brush());
    }
    ~TCanvasToolsSaver()
    {
        FCanvas->Pen()->Assign(FPen);
        FCanvas->Brush()->Assign(FBrush);
    }
    TCanvas* FCanvas;
    TPen FPen;
    TBrush FBrush;
};
}  // namespace

// ---- Zoom settings ----------------------------------------------------------------------
TKvAxisImageZoom::TKvAxisImageZoom(TKvAxisImage* Owner) : FOwner(Owner), FPen(std::make_unique<TPen>()) {}

void TKvAxisImageZoom::Assign(const TPersistent* Source)
{
    if (Source == this) return;
    const auto* zoom = dynamic_cast<const TKvAxisImageZoom*>(Source);
    if (!zoom) AssignError("TKvAxisImageZoom");
    ZoomEnabled = zoom->ZoomEnabled;
    MoveEnabled = zoom->MoveEnabled;
    ZoomShiftState = zoom->ZoomShiftState;
    MoveShiftState = zoom->MoveShiftState;
    FPen->Assign(*zoom->FPen);
}

void TKvAxisImageZoom::ZoomRect(const TRect& Rect)
{
    if (Rect.Right == Rect.Left || Rect.Bottom == Rect.Top) return;
    TKvAxisImage& image = *FOwner;
    if (Rect.Left > Rect.Right && Rect.Top > Rect.Bottom) {
        // Dragged up and to the left: back to the ranges the caller set.
        image.BottomAxis()->RestoreUserRange();
        image.LeftAxis()->RestoreUserRange();
        image.RightAxis()->RestoreUserRange();
    } else {
        const TPoint p1{std::min(Rect.Left, Rect.Right), std::min(Rect.Top, Rect.Bottom)};
        const TPoint p2{std::max(Rect.Left, Rect.Right), std::max(Rect.Top, Rect.Bottom)};
        TDPoint l1, l2, r1, r2;
        image.GraphPointToValue(p1, l1, true);
        image.GraphPointToValue(p2, l2, true);
        image.GraphPointToValue(p1, r1, false);
        image.GraphPointToValue(p2, r2, false);
        image.BottomAxis()->SetRange(l1.x, l2.x);
        if (image.LeftAxis()->GetVisible()) image.LeftAxis()->SetRange(l2.y, l1.y);
        if (image.RightAxis()->GetVisible()) image.RightAxis()->SetRange(r2.y, r1.y);
    }
    image.Display();
    if (image.OnZoom) image.OnZoom(this);
}

void TKvAxisImageZoom::Draw(TBitmap* Bitmap)
{
    TCanvas* canvas = Bitmap->Canvas();
    canvas->Pen()->Assign(*FPen);
    if (FOwner->OnDrawZoomRect) {
        FOwner->OnDrawZoomRect(canvas, TRect{StartPoint.x, StartPoint.y, EndPoint.x, EndPoint.y});
        return;
    }
    canvas->Polyline({StartPoint, {StartPoint.x, EndPoint.y}, EndPoint, {EndPoint.x, StartPoint.y}, StartPoint});
}

// ---- Axis image -------------------------------------------------------------------------
TKvAxisImage::TKvAxisImage(TComponent* Owner)
    : TKvBufferedImage(Owner),
      FBrush(std::make_unique<TBrush>()),
      FBorderPen(std::make_unique<TPen>()),
      FLeftAxis(std::make_unique<TKvChartAxis>()),
      FBottomAxis(std::make_unique<TKvChartAxis>()),
      FTopAxis(std::make_unique<TKvChartAxis>()),
      FRightAxis(std::make_unique<TKvChartAxis>()),
      FTitle(std::make_unique<TKvChartTitle>()),
      FZoom(std::make_unique<TKvAxisImageZoom>(this)),
      FSelectors(std::make_unique<TKvGraphSelectors>(this))
{
    SetBounds(GetLeft(), GetTop(), 400, 250);
    FDesignFrame = false;
    FBrush->OnChange = [this](TObject* Sender) { Change(Sender); };
    FBorderPen->OnChange = [this](TObject* Sender) { Change(Sender); };
    for (TKvChartAxis* axis : {FLeftAxis.get(), FBottomAxis.get(), FTopAxis.get(), FRightAxis.get()}) {
        axis->Ticks()->Pen()->SetColor(clGray);
        axis->GridPen()->SetColor(clGray);
        axis->GridPen()->SetStyle(psDot);
        axis->OnChange = [this](TObject* Sender) { Change(Sender); };
    }
    FLeftAxis->Title()->SetAngle(90);
    FRightAxis->Title()->SetAngle(90);
    FTitle->Font()->SetStyle(TFontStyles() << fsBold);
    FTitle->Font()->SetColor(clBlue);
    FTitle->OnChange = [this](TObject* Sender) { Change(Sender); };
    FSelectors->OnChange = [this](TObject* Sender) { Change(Sender); };
}

TKvAxisImage::~TKvAxisImage()
{
    if (FGraphicBitmap) FGraphicBitmap->OnChange = nullptr;
    FSelectors->OnChange = nullptr;
}

void TKvAxisImage::SetBrush(const TBrush* Value)
{
    if (!Value || Value == FBrush.get()) return;
    FBrush->Assign(*Value);
}

void TKvAxisImage::SetBorderPen(const TPen* Value)
{
    if (!Value || Value == FBorderPen.get()) return;
    FBorderPen->Assign(*Value);
}

void TKvAxisImage::SetBackgroundColor(TColor Value)
{
    if (Store(FBackgroundColor, Value)) Change(this);
}

void TKvAxisImage::SetBevelOuter(TBevelCut Value)
{
    if (Store(FBevelOuter, Value)) Change(this);
}

void TKvAxisImage::SetBevelInner(TBevelCut Value)
{
    if (Store(FBevelInner, Value)) Change(this);
}

void TKvAxisImage::SetBevelWidth(int Value)
{
    if (Store(FBevelWidth, Value)) Change(this);
}

void TKvAxisImage::SetMargin(int Index, int Value)
{
    if (Store(FMargins[Index], Value)) Change(this);
}

void TKvAxisImage::SetDrawGridAfterData(bool Value)
{
    if (Store(FDrawGridAfterData, Value)) Change(this);
}

void TKvAxisImage::SetGraphicBitmap(TBitmap* Value)
{
    if (!Value || Value == FGraphicBitmap) return;
    if (FGraphicBitmap) FGraphicBitmap->OnChange = nullptr;
    FGraphicBitmap = Value;
    FGraphicBitmap->OnChange = [this](TObject* Sender) { Change(Sender); };
    Change(this);
}

void TKvAxisImage::SetGraphicTransparentColor(TColor Value)
{
    if (Store(FGraphicTransparentColor, Value)) Change(this);
}

void TKvAxisImage::Loaded()
{
    TKvBufferedImage::Loaded();
    FSavedCursor = GetControlCursor(this);
    BufferBitmap()->SetSize(GetWidth(), GetHeight());
}

void TKvAxisImage::Resize()
{
    TKvBufferedImage::Resize();
    BufferBitmap()->SetSize(GetWidth(), GetHeight());
}

// ---- Value mapping ----------------------------------------------------------------------
bool TKvAxisImage::ValueToGraphPoint(const TDPoint& Value, TPoint& Point, bool LeftAxis)
{
    const TKvChartAxis& y = LeftAxis ? *FLeftAxis : *FRightAxis;
    const TRect& g = FGraphRect;
    const double xRange = FBottomAxis->GetMax() - FBottomAxis->GetMin();
    const double yRange = y.GetMax() - y.GetMin();
    FScaleX = xRange > 0 ? g.Width() / xRange : 1;
    FScaleY = yRange > 0 ? g.Height() / yRange : 1;
    const double px = g.Left + (Value.x - FBottomAxis->GetMin()) * FScaleX;
    const double py = g.Bottom - (Value.y - y.GetMin()) * FScaleY;
    // Far outside values saturate instead of overflowing the pixel type.
    Point.x = std::isnan(px) ? 0 : static_cast<int>(std::clamp(px, -1e9, 1e9));
    Point.y = std::isnan(py) ? 0 : static_cast<int>(std::clamp(py, -1e9, 1e9));
    return Point.x >= g.Left && Point.x <= g.Right && Point.y >= g.Top && Point.y <= g.Bottom;
}

bool TKvAxisImage::GraphPointToValue(const TPoint& Point, TDPoint& Value, bool LeftAxis)
{
    const TKvChartAxis& y = LeftAxis ? *FLeftAxis : *FRightAxis;
    const TRect& g = FGraphRect;
    const double xRange = FBottomAxis->GetMax() - FBottomAxis->GetMin();
    const double yRange = y.GetMax() - y.GetMin();
    FScaleX = xRange > 0 ? g.Width() / xRange : 1;
    FScaleY = yRange > 0 ? g.Height() / yRange : 1;
    Value.x = (Point.x - g.Left) / FScaleX + FBottomAxis->GetMin();
    Value.y = (g.Bottom - Point.y) / FScaleY + y.GetMin();
    auto within = [](double V, double A, double B) { return V >= std::min(A, B) && V <= std::max(A, B); };
    return within(Value.x, FBottomAxis->GetMin(), FBottomAxis->GetMax()) && within(Value.y, y.GetMin(), y.GetMax());
}

int TKvAxisImage::CalcPrecision(double Value, int MaxPrecision)
{
    if (Value == std::trunc(Value)) return 0;
    double scaled = Value;
    for (int i = 1; i <= MaxPrecision; ++i) {
        scaled = Value * std::pow(10.0, i);
        if (scaled == std::trunc(scaled)) return i;
    }
    return MaxPrecision;
}

// ---- Paint pipeline ---------------------------------------------------------------------
void TKvAxisImage::PrepareDisplayedBitmap(TBitmap* Bitmap)
{
    if (GetBackDrawMode() == bdmSimple) SetBackDrawMode(bdmTiled);
    TKvBufferedImage::PrepareDisplayedBitmap(Bitmap);
    FWorkRect = Rect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight());
    DoAutoScale();
    TCanvas* canvas = Bitmap->Canvas();
    DrawBevels(canvas);
    DrawTitles(canvas);
    DrawAxis(Bitmap);
    if (!FDrawGridAfterData) DrawGraphic(Bitmap);
    FSelectors->DoPaint(canvas);
    AfterPrepareDisplayedBitmap(Bitmap);
    if (FZoom->Zooming) FZoom->Draw(Bitmap);
}

void TKvAxisImage::DrawBevels(TCanvas* Canvas)
{
    bool drawn = false;
    for (TBevelCut bevel : {FBevelOuter, FBevelInner}) {
        if (bevel == bvNone) continue;
        const bool lowered = bevel == bvLowered;
        Frame3D(Canvas, FWorkRect, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow,
                FBevelWidth);
        drawn = true;
    }
    if (drawn) InflateRect(FWorkRect, -FBevelWidth, -FBevelWidth);
    FWorkRect.Left += FMargins[0];
    FWorkRect.Top += FMargins[1];
    FWorkRect.Right -= FMargins[2];
    FWorkRect.Bottom -= FMargins[3];
}

void TKvAxisImage::DrawTitles(TCanvas* Canvas)
{
    struct TPlacedTitle {
        const TKvChartTitle* Title;
        TSize Size;
    };
    auto measure = [Canvas](const TKvChartTitle& Title, bool Shown) {
        TSize size;
        if (Shown && Title.GetVisible() && !Title.GetText().empty()) {
            Canvas->Font()->Assign(*Title.Font());
            CalcTextSize(Canvas, size, Title.GetAngle(), Title.GetText());
        }
        return TPlacedTitle{&Title, size};
    };
    const TPlacedTitle chart = measure(*FTitle, true);
    const TPlacedTitle top = measure(*FTopAxis->Title(), FTopAxis->GetVisible());
    const TPlacedTitle left = measure(*FLeftAxis->Title(), FLeftAxis->GetVisible());
    const TPlacedTitle bottom = measure(*FBottomAxis->Title(), FBottomAxis->GetVisible());
    const TPlacedTitle right = measure(*FRightAxis->Title(), FRightAxis->GetVisible());
    const TRect& w = FWorkRect;
    const int lw = left.Size.cx, rw = right.Size.cx, th = chart.Size.cy, toph = top.Size.cy, bh = bottom.Size.cy;
    const TRect chartRect{w.Left + lw, w.Top, w.Right - rw, w.Top + th};
    const TRect topRect{w.Left + lw, w.Top + th, w.Right - rw, w.Top + th + toph};
    const TRect leftRect{w.Left, w.Top + th + toph, w.Left + lw, w.Bottom - bh};
    const TRect bottomRect{w.Left + lw, w.Bottom - bh, w.Right - rw, w.Bottom};
    const TRect rightRect{w.Right - rw, w.Top + th + toph, w.Right, w.Bottom - bh};

    Canvas->Brush()->SetStyle(bsClear);
    FTitlesOutsideWork = true;
    auto draw = [this, Canvas](const TPlacedTitle& Placed, const TRect& R, bool Side) {
        if (Placed.Size.cx == 0 && Placed.Size.cy == 0) return false;
        const TKvChartTitle& t = *Placed.Title;
        // Level text is clipped to its strip; turned text is not, and only a side title
        // turned by a right angle stays within its strip's columns. A negative indent
        // lets the work area overlap the strip.
        if ((t.GetAngle() != 0 && !(Side && t.GetAngle() % 90 == 0)) || t.GetIndent() < 0) FTitlesOutsideWork = false;
        Canvas->Font()->Assign(*t.Font());
        TPoint pos;
        DrawTitleText(Canvas, R, pos, t.GetAngle(), t.GetText(), t.GetAlignment(), t.GetLayout());
        return true;
    };
    if (draw(chart, chartRect, false)) FWorkRect.Top += th + chart.Title->GetIndent();
    if (draw(top, topRect, false)) FWorkRect.Top += toph + top.Title->GetIndent();
    if (draw(left, leftRect, true)) FWorkRect.Left += lw + left.Title->GetIndent();
    if (draw(bottom, bottomRect, false)) FWorkRect.Bottom -= bh + bottom.Title->GetIndent();
    if (draw(right, rightRect, true)) FWorkRect.Right -= rw + right.Title->GetIndent();
    Canvas->Brush()->SetStyle(bsSolid);
}

std::vector<TKvAxisImage::TKvChartLabelsInfo> TKvAxisImage::MeasureLabels(TCanvas* Canvas, const TKvChartAxis& Axis,
                                                                          bool Vertical) const
{
    std::vector<TKvChartLabelsInfo> labels;
    Canvas->Font()->Assign(*Axis.Labels()->Font());
    const double min = Axis.GetMin(), max = Axis.GetMax();
    if ((Axis.GetFrequency() == 0 && Axis.GetCountLabels() == 0) || max == min) return labels;
    if (!std::isfinite(min) || !std::isfinite(max)) return labels;
    double f;
    if (Axis.GetCountLabels() > 1)
        f = std::fabs(max - min) / (Axis.GetCountLabels() - 1);
    else if (Axis.GetCountLabels() == 1)
        f = 2 * std::fabs(max - min);  // one label: the first one
    else if (Axis.GetCountPixelsBetweenLabels() > 0) {
        const int span = Vertical ? FWorkRect.Height() : FWorkRect.Width();
        if (span <= 0) return labels;
        f = Axis.GetCountPixelsBetweenLabels() * std::fabs(max - min) / span;
    } else {
        f = std::fabs(Axis.GetFrequency());
    }
    int p = Axis.Labels()->GetPrecision();
    double step = 0;
    for (;;) {
        if (p > MaxLabelPrecision) return labels;
        const double n = std::trunc(f * std::pow(10.0, p));
        step = n / std::pow(10.0, p);
        if (n != 0) break;
        if (p >= 0 && Axis.GetCountPixelsCanBeMore()) {
            step = std::pow(10.0, p);
            break;
        }
        ++p;
    }
    // One pass: with a non-zero step a second pass would find the same labels, so the
    // labels found are kept even when fewer than two fit.
    const double first =
        Axis.Labels()->GetRoundFirstLabel() ? std::ceil(std::pow(10.0, p) * min) / std::pow(10.0, p) : min;
    const double d = max >= min ? 1 : -1;
    // Each value is counted from the first, and the ends allow a rounding error far below
    // one step, so that a label that falls on an end (0.3 after 0.1 and 0.2) is kept.
    const double slack = step * 1e-9;
    for (int i = 0; i < MaxLabelSteps; ++i) {
        const double v = first + d * step * i;
        if (!(d * min - slack <= d * v && d * v <= d * max + slack)) break;
        std::string text = LabelText(v, p, Axis.MaxPrecision);
        if (labels.empty() || labels.back().Text != text) {
            TSize size;
            CalcTextSize(Canvas, size, Axis.Labels()->GetAngle(), text);
            labels.push_back(TKvChartLabelsInfo{v, std::move(text), size.cx, size.cy});
        }
        if (first + d * step * (i + 1) == v) break;  // the step no longer moves the value
    }
    return labels;
}

void TKvAxisImage::DrawAxis(TBitmap* Bitmap)
{
    TCanvas* canvas = Bitmap->Canvas();
    struct TMeasured {
        std::vector<TKvChartLabelsInfo> Labels;
        int Widest = 0;
        int Tallest = 0;
    };
    auto measure = [&](const TKvChartAxis& Axis, bool Vertical) {
        TMeasured m;
        if (!Axis.GetVisible()) return m;
        m.Labels = MeasureLabels(canvas, Axis, Vertical);
        for (const TKvChartLabelsInfo& l : m.Labels) {
            m.Widest = std::max(m.Widest, l.Width);
            m.Tallest = std::max(m.Tallest, l.Height);
        }
        return m;
    };
    const TMeasured left = measure(*FLeftAxis, true);
    const TMeasured right = measure(*FRightAxis, true);
    const TMeasured top = measure(*FTopAxis, false);
    const TMeasured bottom = measure(*FBottomAxis, false);

    const TRect& w = FWorkRect;
    TRect f = w;
    if (FLeftAxis->GetVisible()) f.Left += AxisExtent(*FLeftAxis, left.Widest);
    if (FRightAxis->GetVisible()) f.Right -= AxisExtent(*FRightAxis, right.Widest);
    if (FTopAxis->GetVisible()) f.Top += AxisExtent(*FTopAxis, top.Tallest);
    if (FBottomAxis->GetVisible()) f.Bottom -= AxisExtent(*FBottomAxis, bottom.Tallest);

    const int pw = FBorderPen->GetWidth();
    FGraphRect = TRect{f.Left + (pw + 1) / 2, f.Top + (pw + 1) / 2, f.Right - pw, f.Bottom - pw};
    FillFrame(Bitmap, f);

    DrawAxisScale(canvas, *FLeftAxis, left.Labels, w.Left, w.Left + left.Widest, f.Left, asLeft);
    DrawAxisScale(canvas, *FRightAxis, right.Labels, w.Right - right.Widest, w.Right, FGraphRect.Right, asRight);
    DrawAxisScale(canvas, *FBottomAxis, bottom.Labels, w.Bottom - bottom.Tallest, w.Bottom, FGraphRect.Bottom,
                  asBottom);
    DrawAxisScale(canvas, *FTopAxis, top.Labels, w.Top, w.Top + top.Tallest, f.Top, asTop);

    auto framePen = [&](const TKvChartAxis& Axis) {
        const bool own = Axis.GetVisible() && Axis.GetAxisVisible();
        canvas->Pen()->Assign(own ? *Axis.AxisPen() : *FBorderPen);
        return own;
    };
    framePen(*FLeftAxis);
    canvas->MoveTo(f.Left, f.Top);
    canvas->LineTo(f.Left, f.Bottom - pw);
    framePen(*FRightAxis);
    canvas->MoveTo(f.Right - 1, f.Top);
    canvas->LineTo(f.Right - 1, f.Bottom - pw);
    if (framePen(*FBottomAxis) && FBottomAxis->AxisPen()->GetWidth() > pw)
        FGraphRect.Bottom -= FBottomAxis->AxisPen()->GetWidth() - pw;
    canvas->MoveTo(f.Left, f.Bottom - 1);
    canvas->LineTo(f.Right - pw, f.Bottom - 1);
    framePen(*FTopAxis);
    canvas->MoveTo(f.Left, f.Top);
    canvas->LineTo(f.Right - pw, f.Top);
}

void TKvAxisImage::FillFrame(TBitmap* Bitmap, const TRect& Frame)
{
    TCanvas* canvas = Bitmap->Canvas();
    TCanvasToolsSaver saver(canvas);
    canvas->Pen()->Assign(*FBorderPen);
    if (Background()->Empty()) {
        canvas->Brush()->Assign(*FBrush);
        // The picture was filled with the control's colour, and nothing drawn since
        // reaches inside the frame: a solid brush of that colour would only write the
        // same pixels again, so the frame gets its outline alone.
        if (FTitlesOutsideWork && FBrush->GetStyle() == bsSolid &&
            ColorToRGB(FBrush->GetColor()) == ColorToRGB(GetColor()))
            canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(Frame);
    }
    if (OnBeforeDrawGraphic) OnBeforeDrawGraphic(canvas, Frame);
    if (FDrawGridAfterData) DrawGraphic(Bitmap);
}

void TKvAxisImage::DrawAxisScale(TCanvas* Canvas, const TKvChartAxis& Axis,
                                 const std::vector<TKvChartLabelsInfo>& Labels, int A, int B, int Base,
                                 TKvAxisSide Side)
{
    if (!Axis.GetVisible()) return;
    const TRect& g = FGraphRect;
    // The four sides differ only in which screen coordinate runs along the axis, which way
    // its values grow (up on the left and right, rightwards on the top and bottom) and on
    // which side of the frame the outside lies.
    const bool vertical = Side == asLeft || Side == asRight;
    const int outward = Side == asRight || Side == asBottom ? 1 : -1;
    const double direction = vertical ? -1 : 1;
    auto line = [&](int From, int To, int Along) {
        if (vertical) {
            Canvas->MoveTo(From, Along);
            Canvas->LineTo(To, Along);
        } else {
            Canvas->MoveTo(Along, From);
            Canvas->LineTo(Along, To);
        }
    };
    Canvas->Font()->Assign(*Axis.Labels()->Font());
    Canvas->Brush()->SetColor(GetColor());
    Canvas->Brush()->SetStyle(bsClear);
    const double range = Axis.GetMax() - Axis.GetMin();
    // A horizontal scale spans one pixel less than the graph's width: its ends fall on the
    // first and last columns inside the graph area.
    const int length = vertical ? g.Height() : g.Width();
    const double k = range == 0 ? 1 : (vertical ? length : length - 1) / range;
    const double s = Axis.GetFrequency() < 0 ? -1 : 1;
    const double base = vertical ? (s > 0 ? g.Bottom : g.Top) : (s > 0 ? g.Left : g.Right - 1);
    // Values of a vertical scale sit one pixel higher than their distance from the bottom
    // edge, so that the lowest value lies on the last row inside the frame.
    const double lift = vertical ? 1 : 0;
    const TKvChartTicks& ticks = *Axis.Ticks();
    const int t = ticks.GetType() == cttOuter ? outward : -outward;
    if (ticks.GetType() == cttOuter) Base += t * (FBorderPen->GetWidth() / 2);
    const int m = ticks.GetMinorTickCount();
    auto tick = [&](double Pos, int Length) {
        line(Base + Length * t, Base, static_cast<int>(base + direction * Pos));
    };
    auto posOf = [&](double Value) { return (Value - Axis.GetMin()) * k * s; };
    // Vertical labels stand on each other's shoulders (one pixel apart is enough to
    // read them); horizontal ones need a wider gap between words.
    const size_t stride = LabelStride(Labels, posOf, vertical, vertical ? 1 : 4);
    double previous = 0;
    for (size_t i = 0; i < Labels.size(); ++i) {
        const TKvChartLabelsInfo& label = Labels[i];
        const double pos = posOf(label.Value) + lift;
        const double along = base + direction * pos;
        const int at = static_cast<int>(along);
        if (Axis.Labels()->GetVisible() && i % stride == 0) {
            TPoint origin;
            // Labels are centred on their value and pushed against the frame.
            if (vertical)
                DrawTitleText(Canvas, TRect{A, int(along - label.Height / 2.0), B, int(along + label.Height / 2.0)},
                              origin, Axis.Labels()->GetAngle(), label.Text,
                              Side == asLeft ? taRightJustify : taLeftJustify, tlCenter);
            else
                DrawTitleText(Canvas, TRect{int(along - label.Width / 2.0), A, int(along + label.Width / 2.0), B},
                              origin, Axis.Labels()->GetAngle(), label.Text, taCenter,
                              Side == asBottom ? tlTop : tlBottom);
        }
        if (Axis.GetGridVisible()) {
            Canvas->Pen()->Assign(*Axis.GridPen());
            if (vertical)
                line(g.Left, g.Right, at);
            else
                line(g.Top, g.Bottom, at);
        }
        if (ticks.GetVisible()) {
            Canvas->Pen()->Assign(*ticks.Pen());
            tick(pos, ticks.GetLength());
            if (i > 0 && m > 0)
                for (int j = 0; j <= m; ++j)
                    tick(previous + j * (pos - previous) / (m + 1), ticks.GetMinotTickLength());
        }
        previous = pos;
    }
    if (ticks.GetVisible() && m > 0 && !Labels.empty()) {
        const double last = previous;
        const double spacing =
            Labels.size() > 1 ? (last - (posOf(Labels[Labels.size() - 2].Value) + lift)) / (m + 1) : 10;
        Canvas->Pen()->Assign(*ticks.Pen());
        for (int j = 0; j <= m; ++j) {
            const double pos = last + j * spacing;
            if (std::fabs(pos) > length) break;
            tick(pos, ticks.GetMinotTickLength());
        }
    }
}

void TKvAxisImage::DrawGraphic(TBitmap* Bitmap)
{
    if (!FGraphicBitmap || FGraphicBitmap->Empty() || Bitmap->Empty() || FGraphRect.IsEmpty()) return;
    if (OnPrepareGraphicBitmap) {
        // Drawing on the graphic bitmap here is part of this paint, not a new change.
        FGraphicBitmap->OnChange = nullptr;
        OnPrepareGraphicBitmap(this);
        FGraphicBitmap->OnChange = [this](TObject* Sender) { Change(Sender); };
    }
    TBitmap source;
    source.Assign(*FGraphicBitmap);
    source.SetPixelFormat(pf24bit);
    const TRect g = FGraphRect;
    const int sw = source.GetWidth(), sh = source.GetHeight();
    const TColor clear = ColorToRGB(FGraphicTransparentColor);
    for (int y = std::max(g.Top, 0); y < std::min(g.Bottom, Bitmap->GetHeight()); ++y) {
        const std::uint8_t* from = source.ScanLine(static_cast<int>(std::int64_t(y - g.Top) * sh / g.Height()));
        std::uint8_t* to = Bitmap->ScanLine(y);
        for (int x = std::max(g.Left, 0); x < std::min(g.Right, Bitmap->GetWidth()); ++x) {
            const std::uint8_t* px = from + 3 * (std::int64_t(x - g.Left) * sw / g.Width());
            if (RGB(px[2], px[1], px[0]) == clear) continue;
            std::copy(px, px + 3, to + 3 * x);
        }
    }
}

// ---- Mouse ------------------------------------------------------------------------------
void TKvAxisImage::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TKvBufferedImage::MouseDown(Button, Shift, X, Y);
    if (!PtInRect(FGraphRect, Point(X, Y))) return;
    TKvAxisImageZoom& zoom = *FZoom;
    if (zoom.ZoomEnabled && Shift == zoom.ZoomShiftState) {
        zoom.StartPoint = zoom.EndPoint = Point(X, Y);
        zoom.Zooming = true;
        Display();
    } else if (zoom.MoveEnabled && Shift == zoom.MoveShiftState) {
        zoom.StartPoint = zoom.EndPoint = Point(X, Y);
        zoom.Moving = true;
    } else {
        FDraggedSelector = FSelectors->IsMouseOver(X, Y);
    }
}

void TKvAxisImage::HoverSelectors(int X, int Y)
{
    const int over = FSelectors->IsMouseOver(X, Y);
    if (over >= 0 && !FOverSelector) {
        FOverSelector = true;
        SetControlCursor(this, FSelectors->GetItem(over)->Cursor);
    } else if (over < 0 && FOverSelector) {
        FOverSelector = false;
        SetControlCursor(this, FSavedCursor);
    }
}

void TKvAxisImage::DragSelector(int X, int Y)
{
    if (FDraggedSelector < 0 || FDraggedSelector >= FSelectors->Count()) return;
    TKvGraphSelector* selector = FSelectors->GetItem(FDraggedSelector);
    TDPoint value;
    GraphPointToValue(Point(X, Y), value, selector->LeftAxis);
    selector->SetPos(selector->GetOrientation() == gsoVertical ? value.x : value.y);
    Display();
    if (OnSelectorChanging) OnSelectorChanging(this, FDraggedSelector);
}

void TKvAxisImage::MouseMove(TShiftState Shift, int X, int Y)
{
    TKvBufferedImage::MouseMove(Shift, X, Y);
    TKvAxisImageZoom& zoom = *FZoom;
    if (zoom.Zooming) {
        zoom.EndPoint = Point(X, Y);
        Display();
    } else if (zoom.Moving) {
        zoom.EndPoint = Point(X, Y);
        const int dx = zoom.EndPoint.x - zoom.StartPoint.x;
        const int dy = zoom.EndPoint.y - zoom.StartPoint.y;
        const TRect& g = FGraphRect;
        if ((dx != 0 || dy != 0) && g.Width() != 0 && g.Height() != 0) {
            const double shiftX = (FBottomAxis->GetMax() - FBottomAxis->GetMin()) * dx / g.Width();
            FBottomAxis->SetRange(FBottomAxis->GetMin() - shiftX, FBottomAxis->GetMax() - shiftX);
            for (TKvChartAxis* axis : {FLeftAxis.get(), FRightAxis.get()}) {
                const double shiftY = (axis->GetMax() - axis->GetMin()) * dy / g.Height();
                axis->SetRange(axis->GetMin() + shiftY, axis->GetMax() + shiftY);
            }
            zoom.StartPoint = Point(X, Y);
            Display();
            if (OnMoving) OnMoving(this);
        }
    } else {
        HoverSelectors(X, Y);
        DragSelector(X, Y);
    }
}

void TKvAxisImage::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TKvBufferedImage::MouseUp(Button, Shift, X, Y);
    TKvAxisImageZoom& zoom = *FZoom;
    if (zoom.Zooming) {
        zoom.Zooming = false;
        const TRect band{zoom.StartPoint.x, zoom.StartPoint.y, zoom.EndPoint.x, zoom.EndPoint.y};
        // A band without area applies nothing; the picture only loses the band.
        if (band.Left == band.Right || band.Top == band.Bottom) Display();
        zoom.ZoomRect(band);
    } else if (zoom.Moving) {
        zoom.Moving = false;
        if (OnMoved) OnMoved(this);
    }
    const int dragged = FDraggedSelector;
    FDraggedSelector = -1;
    if (dragged >= 0 && OnSelectorChanged) OnSelectorChanged(this, dragged);
}

}  // namespace KVC
