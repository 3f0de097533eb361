#include "kvc/KvGroupBox.h"
#include "kvc/KvStore.h"

#include "kvc/KvServiceFuncs.h"

namespace KVC {

namespace {
constexpr int Margin = 3;
}  // namespace

TKvGroupBox::TKvGroupBox(TComponent* Owner)
    : TCustomControl(Owner),
      FBorderPen(std::make_unique<TPen>()),
      FCaptionPen(std::make_unique<TPen>()),
      FCaptionFont(std::make_unique<TFont>())
{
    FBorderPen->SetColor(RGB(160, 150, 131));
    FCaptionPen->SetColor(RGB(160, 150, 131));
    FCaptionFont->SetColor(clWhite);
    FBorderPen->OnChange = [this](TObject*) { Changed(); };
    FCaptionPen->OnChange = [this](TObject*) { Changed(); };
    FCaptionFont->OnChange = [this](TObject*) { Changed(); };
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 105);
}

void TKvGroupBox::Changed() { Invalidate(); }

void TKvGroupBox::SetCaptionAlignment(TAlignment Value)
{
    if (Store(FCaptionAlignment, Value)) Changed();
}

void TKvGroupBox::SetCaptionPosition(TKvCaptionPosition Value)
{
    if (!Store(FCaptionPosition, Value)) return;
    AlignControls();
    Changed();
}

void TKvGroupBox::SetCaptionWidth(TKvCaptionWidth Value)
{
    if (!Store(FCaptionWidth, Value)) return;
    AlignControls();
    Changed();
}

void TKvGroupBox::SetButtonPosition(TKvButtonPosition Value)
{
    if (Store(FButtonPosition, Value)) Changed();
}

void TKvGroupBox::SetCaptionColor(TColor Value)
{
    if (Store(FCaptionColor, Value)) Changed();
}

void TKvGroupBox::SetCaptionFixedWidth(int Value)
{
    if (Store(FCaptionFixedWidth, Value)) Changed();
}

void TKvGroupBox::SetCaptionSize(int Value)
{
    if (!Store(FCaptionSize, Value)) return;
    AlignControls();
    Changed();
}

void TKvGroupBox::SetBorderPen(const TPen* Value)
{
    if (Value) FBorderPen->Assign(*Value);
}

void TKvGroupBox::SetCaptionPen(const TPen* Value)
{
    if (!Value) return;
    FCaptionPen->Assign(*Value);
    AlignControls();
}

void TKvGroupBox::SetCaptionFont(const TFont& Value) { FCaptionFont->Assign(Value); }

void TKvGroupBox::SetExpanded(bool Value)
{
    if (Value == FExpanded) return;
    if (!Value) {
        FSavedBounds = BoundsRect();
        const int s = FCaptionSize;
        TRect b = FSavedBounds;
        switch (FCaptionPosition) {
        case cpTop:
            b.Bottom = b.Top + s;
            break;
        case cpLeft:
            b.Right = b.Left + s;
            break;
        case cpBottom:
            b.Top = b.Bottom - s;
            break;
        case cpRight:
            b.Left = b.Right - s;
            break;
        default:
            break;
        }
        SetBounds(b.Left, b.Top, b.Width(), b.Height());
    } else {
        SetBounds(FSavedBounds.Left, FSavedBounds.Top, FSavedBounds.Width(), FSavedBounds.Height());
    }
    FExpanded = Value;
    Changed();
}

TRect TKvGroupBox::AlignArea() const
{
    TRect r = TCustomControl::AlignArea();
    if (FCaptionWidth == cwLine) {
        switch (FCaptionPosition) {
        case cpTop:
            r.Top += FCaptionSize;
            break;
        case cpLeft:
            r.Left += FCaptionSize;
            break;
        case cpRight:
            r.Right -= FCaptionSize;
            break;
        case cpBottom:
            r.Bottom -= FCaptionSize;
            break;
        default:
            break;
        }
    }
    const int inset = FCaptionPen->GetWidth();
    const bool noBorder = FBorderPen->GetWidth() == 0;
    const bool captionAcross = FCaptionPosition == cpLeft || FCaptionPosition == cpRight;
    const bool captionAlong = FCaptionPosition == cpTop || FCaptionPosition == cpBottom;
    const int dx = noBorder && !captionAcross ? 0 : inset;
    const int dy = noBorder && !captionAlong ? 0 : inset;
    InflateRect(r, -dx, -dy);
    return r;
}

void TKvGroupBox::Resize()
{
    TCustomControl::Resize();
    Changed();
}

void TKvGroupBox::TextChanged()
{
    Changed();
    AlignControls();
}

void TKvGroupBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FButtonPosition != bpNone && PtInRect(FButtonRect, Point(X, Y))) SetExpanded(!FExpanded);
}

// ---------------------------------------------------------------------------------------
// Paint

void TKvGroupBox::Paint()
{
    const int w = ClientWidth(), h = ClientHeight(), s = FCaptionSize;
    TCanvas* canvas = FBuffer.Begin(w, h);
    canvas->Font()->Assign(*FCaptionFont);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, w, h));
    canvas->Pen()->Assign(*FBorderPen);
    if (FExpanded) canvas->Rectangle(Rect(0, 0, w, h));

    FButtonRect = Rect(0, 0, s - 4, s - 4);
    FBandRect = TRect{};
    switch (FCaptionPosition) {
    case cpTop:
        DrawBand(canvas, Rect(0, 0, w, s), Rect(Margin, 0, w - Margin, s), Point(0, 0), false);
        break;
    case cpBottom:
        DrawBand(canvas, Rect(0, h - s, w, h), Rect(Margin, h - s, w - Margin, h), Point(0, h - s), false);
        break;
    case cpLeft:
        DrawBand(canvas, Rect(0, 0, s, h), Rect(0, Margin, s, h - Margin), Point(0, 0), true);
        break;
    case cpRight:
        DrawBand(canvas, Rect(w - s, 0, w, h), Rect(w - s, Margin, w, h - Margin), Point(w - s, 0), true);
        break;
    default:
        break;
    }
    if (FButtonPosition != bpNone)
        DrawButton(canvas);
    else
        FButtonRect = TRect{};
    FBuffer.CopyTo(Canvas());
}

void TKvGroupBox::DrawBand(TCanvas* Canvas, TRect Band, TRect Text, TPoint ButtonOrigin, bool Vertical)
{
    // A vertical caption reads bottom to top: its start is the band's bottom edge, its
    // end the top edge, and "left" alignment and the left button stand at the bottom.
    // Low and High are the screen edges along the band, Start and End the reading ones.
    auto low = [&](TRect& R) -> int& { return Vertical ? R.Top : R.Left; };
    auto high = [&](TRect& R) -> int& { return Vertical ? R.Bottom : R.Right; };
    auto start = [&](TRect& R) -> int& { return Vertical ? R.Bottom : R.Left; };
    auto end = [&](TRect& R) -> int& { return Vertical ? R.Top : R.Right; };
    const int d = Vertical ? -1 : 1;  // the reading direction in screen coordinates
    const int b = Vertical ? FButtonRect.Height() : FButtonRect.Width(), f = FCaptionFixedWidth;
    if (FButtonPosition == bpLeft) start(Text) += d * (b + Margin);
    if (FButtonPosition == bpRight) end(Text) -= d * (b + Margin);
    const std::string& caption = GetCaption();
    const int t = Canvas->TextWidth(caption);
    if (FCaptionWidth == cwAutosize) {
        switch (FCaptionAlignment) {
        case taLeftJustify:
            end(Band) = start(Text) + d * (t + Margin);
            break;
        case taRightJustify:
            start(Band) = end(Text) - d * (Margin + t);
            break;
        case taCenter:
            low(Band) = (low(Text) + high(Text)) / 2 - t / 2 - Margin;
            high(Band) = low(Band) + t + 2 * Margin;
            break;
        }
    } else if (FCaptionWidth == cwFixed) {
        switch (FCaptionAlignment) {
        case taLeftJustify:
            end(Band) = start(Band) + d * f;
            break;
        case taRightJustify:
            // The sides differ here: a vertical band is measured from the caption's end
            // (inside the margin and the button), a horizontal one from the band's end.
            start(Band) = (Vertical ? end(Text) : end(Band)) - d * f;
            break;
        case taCenter:
            // And here: a vertical band centres on half the caption's length below the
            // band's top, a horizontal one on the middle of the band.
            low(Band) = (Vertical ? low(Band) + Text.Height() / 2 : (low(Band) + high(Band)) / 2) - f / 2;
            high(Band) = low(Band) + f;
            break;
        }
    }
    FBandRect = Band;
    Canvas->Pen()->Assign(*FCaptionPen);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FCaptionColor);
    Canvas->Rectangle(Band);
    Canvas->Brush()->SetStyle(bsClear);
    TPoint origin;
    if (Vertical)
        DrawTitleText(Canvas, Text, origin, 90, caption, taCenter, VerticalTextLayout(FCaptionAlignment));
    else
        DrawTitleText(Canvas, Text, origin, 0, caption, FCaptionAlignment, tlCenter);
    // The button keeps two pixels off the band's outer edge and a margin off its end.
    const int length = Vertical ? ClientHeight() : ClientWidth();
    const int along = (FButtonPosition == bpLeft) != Vertical ? Margin : length - Margin - b;
    if (Vertical)
        OffsetRect(FButtonRect, ButtonOrigin.x + 2, ButtonOrigin.y + along);
    else
        OffsetRect(FButtonRect, ButtonOrigin.x + along, ButtonOrigin.y + 2);
}

void TKvGroupBox::DrawButton(TCanvas* Canvas)
{
    const TRect& b = FButtonRect;
    const TColor ink = FCaptionFont->GetColor();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(ink);
    Canvas->FrameRect(b);
    Canvas->Pen()->SetColor(ink);
    Canvas->Pen()->SetWidth(1);
    const int midX = (b.Left + b.Right) / 2, midY = (b.Top + b.Bottom) / 2;
    Canvas->MoveTo(b.Left + 2, midY);
    Canvas->LineTo(b.Right - 2, midY);
    if (!FExpanded) {
        Canvas->MoveTo(midX, b.Top + 2);
        Canvas->LineTo(midX, b.Bottom - 2);
    }
}

}  // namespace KVC
