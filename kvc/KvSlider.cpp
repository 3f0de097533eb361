#include "kvc/KvSlider.h"
#include "kvc/KvStore.h"

#include <cmath>

#include "kvc/KvServiceFuncs.h"

namespace KVC {

namespace {
constexpr TColor DefaultColors[7] = {RGB(160, 150, 131), clBtnFace,          clWhite,           RGB(160, 150, 131),
                                     RGB(128, 128, 128), RGB(160, 150, 131), RGB(247, 222, 156)};

}  // namespace

TKvSlider::TKvSlider(TComponent* Owner) : TCustomControl(Owner)
{
    for (int i = 0; i < 7; ++i) FColors[i] = DefaultColors[i];
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 45);
}

void TKvSlider::SetMin(int Value)
{
    if (Store(FMin, Value)) Invalidate();
}

void TKvSlider::SetMax(int Value)
{
    if (Store(FMax, Value)) Invalidate();
}

void TKvSlider::SetFrequency(int Value)
{
    if (Store(FFrequency, Value)) Invalidate();
}

void TKvSlider::SetTickMarks(TTickMark Value)
{
    if (Store(FTickMarks, Value)) Invalidate();
}

void TKvSlider::SetCaptionAlignment(TAlignment Value)
{
    if (Store(FCaptionAlignment, Value)) Invalidate();
}

void TKvSlider::SetBandWidth(int Value)
{
    if (Store(FBandWidth, Value)) Invalidate();
}

void TKvSlider::SetSliderWidth(int Value)
{
    if (Store(FSliderWidth, Value)) Invalidate();
}

void TKvSlider::SetSliderHeight(int Value)
{
    if (Store(FSliderHeight, Value)) Invalidate();
}

void TKvSlider::SetTickLength(int Value)
{
    if (Store(FTickLength, Value)) Invalidate();
}

void TKvSlider::SetShortBand(bool Value)
{
    if (Store(FShortBand, Value)) Invalidate();
}

TColor TKvSlider::GetSliderColor(int Index) const { return Index >= 0 && Index < 7 ? FColors[Index] : clNone; }

void TKvSlider::SetSliderColor(int Index, TColor Value)
{
    if (Index < 0 || Index >= 7) return;
    if (Store(FColors[Index], Value)) Invalidate();
}

void TKvSlider::SetOrientation(TTrackBarOrientation Value)
{
    if (!Store(FOrientation, Value)) return;
    if (Loading())
        Invalidate();
    else
        SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
}

void TKvSlider::SetInternalPos(int Value)
{
    if (Value == FPos) return;
    FPos = Value;
    if (FPos < FMin) FPos = FMin;
    if (FPos > FMax) FPos = FMax;
    Invalidate();
    if (OnChanging) OnChanging(this);
}

void TKvSlider::SetPos(int Value)
{
    SetInternalPos(Value);
    Changed();
}

void TKvSlider::Changed()
{
    if (OnChanged) OnChanged(this);
}

// ---------------------------------------------------------------------------------------
// Geometry of the last paint

bool TKvSlider::ValueAt(int X, int Y, int& Value) const
{
    double value = 0;
    if (!SliderValueAt(FBandRect, FOrientation == trHorizontal, FMin, FMax, X, Y, value)) return false;
    Value = static_cast<int>(std::trunc(value));
    return true;
}

bool TKvSlider::OverBandOrThumb(int X, int Y) const
{
    return PtInRect(FBandRect, Point(X, Y)) || PtInRect(FThumbRect, Point(X, Y));
}

// ---------------------------------------------------------------------------------------
// Mouse, wheel, keys, focus

void TKvSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (PtInRect(FThumbRect, Point(X, Y))) {
        FDragging = true;
        FSavedPos = FPos;
        SetFocus();
        return;
    }
    if (!PtInRect(FBandRect, Point(X, Y))) return;
    int value = 0;
    if (!ValueAt(X, Y, value)) return;
    SetPos(value > FPos ? FPos + PageSize : FPos - PageSize);
    SetFocus();
}

void TKvSlider::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    const bool over = OverBandOrThumb(X, Y);
    if (over && !FHover) {
        FHover = true;
        if (AutoFocus)
            SetFocus();
        else
            Invalidate();
    } else if (!over && FHover) {
        FHover = false;
        Invalidate();
    }
    int value = 0;
    if (FDragging && ValueAt(X, Y, value)) SetInternalPos(value);
}

void TKvSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    // Only the end of a drag completes a change here: a click on the band has reported
    // its step already.
    const bool wasDragging = FDragging;
    FDragging = false;
    if (wasDragging && FPos != FSavedPos) Changed();
}

bool TKvSlider::DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y)
{
    if (!TCustomControl::DoMouseWheel(Shift, WheelDelta, X, Y)) {
        if (WheelDelta < 0)
            DoMouseWheelDown();
        else if (WheelDelta > 0)
            DoMouseWheelUp();
    }
    return true;
}

void TKvSlider::DoMouseWheelDown() { SetPos(FPos - LineSize); }
void TKvSlider::DoMouseWheelUp() { SetPos(FPos + LineSize); }

void TKvSlider::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_PRIOR:
        SetPos(FPos + PageSize);
        break;
    case VK_NEXT:
        SetPos(FPos - PageSize);
        break;
    case VK_END:
        SetPos(FMax);
        break;
    case VK_HOME:
        SetPos(FMin);
        break;
    case VK_LEFT:
    case VK_DOWN:
        SetPos(FPos - LineSize);
        break;
    case VK_UP:
    case VK_RIGHT:
        SetPos(FPos + LineSize);
        break;
    default:
        break;
    }
}

void TKvSlider::WndProc(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (GetEnabled()) {
            FFocused = Message.Msg == WM_SETFOCUS;
            Invalidate();
        }
        break;
    case CM_MOUSELEAVE:
        FHover = false;
        Invalidate();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Paint

void TKvSlider::Paint()
{
    const int width = ClientWidth(), height = ClientHeight();
    TCanvas* canvas = FBuffer.Begin(width, height);
    const bool horizontal = FOrientation == trHorizontal;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, width, height));
    canvas->Font()->Assign(*Font());
    const int r = FSliderHeight / 2;
    TRect work = Rect(0, 0, width, height);

    int offset = FSliderWidth > FBandWidth ? (FSliderWidth - FBandWidth) / 2 : 0;
    const std::string& caption = GetCaption();
    if (!caption.empty()) {
        if (FShortBand) {
            if (horizontal) {
                work.Left += r;
                work.Right -= r;
            } else {
                work.Top += r;
                work.Bottom -= r;
            }
        }
        TPoint origin;
        canvas->Brush()->SetStyle(bsClear);
        if (horizontal)
            DrawTitleText(canvas, work, origin, 0, caption, FCaptionAlignment, tlTop);
        else
            DrawTitleText(canvas, work, origin, 90, caption, taLeftJustify, VerticalTextLayout(FCaptionAlignment));
        canvas->Brush()->SetStyle(bsSolid);
        offset += canvas->TextHeight("0") + (horizontal ? origin.y : origin.x) + 3;
    }
    if (FTickMarks != tmBottomRight) offset += FTickLength + 4;

    const TRect track =
        horizontal ? Rect(r, offset, width - r, offset + FBandWidth) : Rect(offset, r, offset + FBandWidth, height - r);
    FBandRect = SliderBandRect(track, horizontal, FShortBand, width, height);
    const bool active = (FHover || FFocused) && GetEnabled();
    canvas->Pen()->SetColor(FColors[0]);
    canvas->Brush()->SetColor(active ? FColors[2] : FColors[1]);
    canvas->Rectangle(FBandRect);

    const double q = FMax == FMin ? 0.0 : static_cast<double>(FPos - FMin) / (static_cast<double>(FMax) - FMin);
    int at = 0;
    FThumbRect = SliderThumbRect(track, horizontal, q, FSliderWidth, FSliderHeight, at);
    DrawSliderThumb(canvas, FThumbRect, horizontal, at, FColors[5], FColors[4], FColors[6]);
    if (FMax > FMin && FFrequency > 0)
        DrawSliderTicks(canvas, track, horizontal, static_cast<double>(FMax) - FMin, FFrequency, FTickLength,
                        FTickMarks == tmBottomRight || FTickMarks == tmBoth,
                        FTickMarks == tmTopLeft || FTickMarks == tmBoth, FColors[3]);
    FBuffer.CopyTo(Canvas());
}

// ---------------------------------------------------------------------------------------
// Shared geometry

TRect SliderThumbRect(const TRect& Track, bool Horizontal, double Q, int SliderWidth, int SliderHeight, int& At)
{
    const int r = SliderHeight / 2;
    const int s = SliderWidth / 2;
    if (Horizontal) {
        At = static_cast<int>(std::trunc(Track.Width() * Q + Track.Left));
        const int c = Track.Height() / 2 + Track.Top;
        return Rect(At - r, c - s, At + r + 1, c + s);
    }
    At = static_cast<int>(std::trunc(Track.Bottom - Track.Height() * Q));
    const int c = Track.Width() / 2 + Track.Left;
    return Rect(c - s, At - r, c + s, At + r + 1);
}

void DrawSliderThumb(TCanvas* Canvas, const TRect& Thumb, bool Horizontal, int At, TColor Border, TColor Fill,
                     TColor Directive)
{
    Canvas->Pen()->SetColor(Border);
    Canvas->Brush()->SetColor(Fill);
    Canvas->Rectangle(Thumb);
    Canvas->Pen()->SetColor(Directive);
    if (Horizontal) {
        Canvas->MoveTo(At, Thumb.Top + 1);
        Canvas->LineTo(At, Thumb.Bottom - 1);
    } else {
        Canvas->MoveTo(Thumb.Left + 1, At);
        Canvas->LineTo(Thumb.Right - 1, At);
    }
}

TRect SliderBandRect(const TRect& Track, bool Horizontal, bool Short, int ClientWidth, int ClientHeight)
{
    TRect band = Track;
    if (Short) return band;
    if (Horizontal) {
        band.Left = 0;
        band.Right = ClientWidth;
    } else {
        band.Top = 0;
        band.Bottom = ClientHeight;
    }
    return band;
}

void DrawSliderTicks(TCanvas* Canvas, const TRect& Track, bool Horizontal, double Range, double Frequency,
                     int TickLength, bool Far, bool Near, TColor Color)
{
    const int length = Horizontal ? Track.Width() : Track.Height();
    if (Range == 0 || Frequency == 0 || length == 0 || TickLength == 0) return;
    const double step = (length - 1) * Frequency / Range;
    if (!(step > 0)) return;
    // Below one pixel apart the ticks fill every pixel anyway; a wider step keeps a huge
    // range from taking forever.
    const double pixelStep = std::max(1.0, step);
    Canvas->Pen()->SetColor(Color);
    if (Horizontal) {
        for (double x = Track.Left; x <= Track.Right; x += pixelStep) {
            const int at = static_cast<int>(x);
            if (Far) {
                Canvas->MoveTo(at, Track.Bottom + 2);
                Canvas->LineTo(at, Track.Bottom + 2 + TickLength);
            }
            if (Near) {
                Canvas->MoveTo(at, Track.Top - 2);
                Canvas->LineTo(at, Track.Top - 2 - TickLength);
            }
        }
    } else {
        for (double y = Track.Bottom; y >= Track.Top; y -= pixelStep) {
            const int at = static_cast<int>(y);
            if (Far) {
                Canvas->MoveTo(Track.Right + 2, at);
                Canvas->LineTo(Track.Right + 2 + TickLength, at);
            }
            if (Near) {
                Canvas->MoveTo(Track.Left - 2, at);
                Canvas->LineTo(Track.Left - 2 - TickLength, at);
            }
        }
    }
}

bool SliderValueAt(const TRect& Band, bool Horizontal, double Min, double Max, int X, int Y, double& Value)
{
    const int length = Horizontal ? Band.Width() : Band.Height();
    if (length == 0) return false;
    const double offset = Horizontal ? X - Band.Left : Band.Bottom - Y;
    Value = offset * (Max - Min) / length + Min;
    return true;
}

}  // namespace KVC
