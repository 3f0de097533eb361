#include "kvc/KvSlider.h"

#include <cmath>

#include "kvc/KvServiceFuncs.h"

namespace KVC {

namespace {
constexpr TColor DefaultColors[7] = {RGB(160, 150, 131), clBtnFace, clWhite, RGB(160, 150, 131),
                                     RGB(128, 128, 128), RGB(160, 150, 131), RGB(247, 222, 156)};

// The caption of a vertical slider reads bottom to top: its alignment becomes a layout.
TTextLayout VerticalLayout(TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify: return tlTop;
    case taCenter: return tlCenter;
    default: return tlBottom;
    }
}

template <class T>
bool Store(T& Field, const T& Value)
{
    if (Field == Value) return false;
    Field = Value;
    return true;
}
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
    if (Loading()) Invalidate();
    else SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
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
    const double range = static_cast<double>(FMax) - FMin;
    if (FOrientation == trHorizontal) {
        const int length = FBandRect.Width();
        if (length == 0) return false;
        Value = static_cast<int>(std::trunc((X - FBandRect.Left) * range / length + FMin));
    } else {
        const int length = FBandRect.Height();
        if (length == 0) return false;
        Value = static_cast<int>(std::trunc((FBandRect.Bottom - Y) * range / length + FMin));
    }
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
        if (AutoFocus) SetFocus();
        else Invalidate();
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
        if (WheelDelta < 0) DoMouseWheelDown();
        else if (WheelDelta > 0) DoMouseWheelUp();
    }
    return true;
}

void TKvSlider::DoMouseWheelDown() { SetPos(FPos - LineSize); }
void TKvSlider::DoMouseWheelUp() { SetPos(FPos + LineSize); }

void TKvSlider::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_PRIOR: SetPos(FPos + PageSize); break;
    case VK_NEXT: SetPos(FPos - PageSize); break;
    case VK_END: SetPos(FMax); break;
    case VK_HOME: SetPos(FMin); break;
    case VK_LEFT:
    case VK_DOWN: SetPos(FPos - LineSize); break;
    case VK_UP:
    case VK_RIGHT: SetPos(FPos + LineSize); break;
    default: break;
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
    const int w = FSliderWidth / 2;
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
        if (horizontal) DrawTitleText(canvas, work, origin, 0, caption, FCaptionAlignment, tlTop);
        else DrawTitleText(canvas, work, origin, 90, caption, taLeftJustify, VerticalLayout(FCaptionAlignment));
        canvas->Brush()->SetStyle(bsSolid);
        offset += canvas->TextHeight("0") + (horizontal ? origin.y : origin.x) + 3;
    }
    if (FTickMarks != tmBottomRight) offset += FTickLength + 4;

    const TRect track = horizontal ? Rect(r, offset, width - r, offset + FBandWidth)
                                   : Rect(offset, r, offset + FBandWidth, height - r);
    FBandRect = track;
    if (!FShortBand) {
        if (horizontal) {
            FBandRect.Left = 0;
            FBandRect.Right = width;
        } else {
            FBandRect.Top = 0;
            FBandRect.Bottom = height;
        }
    }
    const bool active = (FHover || FFocused) && GetEnabled();
    canvas->Pen()->SetColor(FColors[0]);
    canvas->Brush()->SetColor(active ? FColors[2] : FColors[1]);
    canvas->Rectangle(FBandRect);

    const double q = FMax == FMin ? 0.0 : static_cast<double>(FPos - FMin) / (static_cast<double>(FMax) - FMin);
    canvas->Pen()->SetColor(FColors[5]);
    canvas->Brush()->SetColor(FColors[4]);
    if (horizontal) {
        const int x = static_cast<int>(std::trunc(track.Width() * q + track.Left));
        const int c = track.Height() / 2 + track.Top;
        FThumbRect = Rect(x - r, c - w, x + r + 1, c + w);
        canvas->Rectangle(FThumbRect);
        canvas->Pen()->SetColor(FColors[6]);
        canvas->MoveTo(x, FThumbRect.Top + 1);
        canvas->LineTo(x, FThumbRect.Bottom - 1);
    } else {
        const int y = static_cast<int>(std::trunc(track.Bottom - track.Height() * q));
        const int c = track.Width() / 2 + track.Left;
        FThumbRect = Rect(c - w, y - r, c + w, y + r + 1);
        canvas->Rectangle(FThumbRect);
        canvas->Pen()->SetColor(FColors[6]);
        canvas->MoveTo(FThumbRect.Left + 1, y);
        canvas->LineTo(FThumbRect.Right - 1, y);
    }
    DrawTicks(canvas, track);
    FBuffer.CopyTo(Canvas());
}

void TKvSlider::DrawTicks(TCanvas* Canvas, const TRect& Track) const
{
    const bool horizontal = FOrientation == trHorizontal;
    const int length = horizontal ? Track.Width() : Track.Height();
    if (FMax <= FMin || FFrequency <= 0 || length < 2 || FTickLength == 0) return;
    // Below one pixel apart the ticks fill every pixel anyway; a wider step keeps a huge
    // range from taking forever.
    const double step = std::max(1.0, (length - 1) * static_cast<double>(FFrequency) / (static_cast<double>(FMax) - FMin));
    const bool far = FTickMarks == tmBottomRight || FTickMarks == tmBoth;
    const bool near = FTickMarks == tmTopLeft || FTickMarks == tmBoth;
    Canvas->Pen()->SetColor(FColors[3]);
    if (horizontal) {
        for (double x = Track.Left; x <= Track.Right; x += step) {
            const int at = static_cast<int>(x);
            if (far) {
                Canvas->MoveTo(at, Track.Bottom + 2);
                Canvas->LineTo(at, Track.Bottom + 2 + FTickLength);
            }
            if (near) {
                Canvas->MoveTo(at, Track.Top - 2);
                Canvas->LineTo(at, Track.Top - 2 - FTickLength);
            }
        }
    } else {
        for (double y = Track.Bottom; y >= Track.Top; y -= step) {
            const int at = static_cast<int>(y);
            if (far) {
                Canvas->MoveTo(Track.Right + 2, at);
                Canvas->LineTo(Track.Right + 2 + FTickLength, at);
            }
            if (near) {
                Canvas->MoveTo(Track.Left - 2, at);
                Canvas->LineTo(Track.Left - 2 - FTickLength, at);
            }
        }
    }
}

}  // namespace KVC
