#include "kvc/KvGaugeBar.h"

#include <algorithm>
#include <cmath>
#include "kvc/KvEdit.h"

TKvGaugeBar::TKvGaugeBar(TComponent* Owner) : KVC::TKvBufferedImage(Owner)
{
    SetBounds(GetLeft(), GetTop(), 20, GetHeight());
}

TKvGaugeBar::~TKvGaugeBar() = default;

// The setters store and repaint without comparing: setting a value again repaints the
// bar, which callers use to refresh it.
void TKvGaugeBar::SetOrientation(TKvGaugeBarOrientation Value)
{
    FOrientation = Value;
    Display();
}

void TKvGaugeBar::SetColorBack(int Index, TColor Value)
{
    if (Index < 0 || Index >= 5) return;
    FColors[Index] = Value;
    Display();
}

void TKvGaugeBar::SetZero(int Index, double Value)
{
    if (Index < 0 || Index >= 4) return;
    FValues[Index] = Value;
    Display();
}

void TKvGaugeBar::SetGaugeMargin(int Index, int Value)
{
    if (Index < 0 || Index >= 2) return;
    FSizes[Index] = Value;
    Display();
}

void TKvGaugeBar::Resize()
{
    KVC::TKvBufferedImage::Resize();
    if (BufferBitmap()) BufferBitmap()->SetSize(GetWidth(), GetHeight());
}

void TKvGaugeBar::PrepareDisplayedBitmap(TBitmap* Bitmap)
{
    if (GetBackDrawMode() == KVC::bdmSimple) SetBackDrawMode(KVC::bdmTiled);
    KVC::TKvBufferedImage::PrepareDisplayedBitmap(Bitmap);
    const int W = Bitmap->GetWidth(), H = Bitmap->GetHeight();
    if (W == 0 || H == 0) return;
    const int b = GetBorderWidth(), m = GetGaugeMargin();
    const double zero = GetZero(), min = GetMin(), max = GetMax(), pos = GetPos();
    TCanvas* canvas = Bitmap->Canvas();

    const TRect frame{b - 1, b - 1, W, H};
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(b);
    canvas->Pen()->SetColor(GetColorBorder());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColorBack());
    canvas->Rectangle(frame);

    const bool vertical = FOrientation == gboVertical;
    const int extent = (vertical ? H : W) - b;
    // Without an extent or a range the scale has no value: the frame stays empty.
    if (extent > 0 && max != min) {
        const double s = (max - min) / extent;
        // Positions far outside the picture are drawn as if at its edge (off-picture
        // parts are clipped anyway), so no value can overflow a pixel coordinate.
        const double limit = 2.0 * (W + H) + 2;
        auto at = [&](double Value) {
            const double offset = (Value - min) / s;
            return std::clamp(vertical ? extent - offset : b + offset, -limit, limit);
        };
        const double z = at(zero), p = at(pos);
        if (!std::isnan(z) && !std::isnan(p)) {
            const int low = KVC::TypedTruncToInt(std::min(z, p)), high = KVC::TypedTruncToInt(std::max(z, p));
            const TRect bar = vertical ? TRect{b + m, low, W - b - m, high} : TRect{low, b + m, high, H - b - m};
            const TColor color = (vertical ? p < z : p > z) ? GetColorBar() : GetColorDown();
            canvas->Pen()->SetWidth(1);
            canvas->Pen()->SetColor(color);
            canvas->Brush()->SetColor(color);
            canvas->Rectangle(bar);
            if (zero != min && zero != max) {
                canvas->Pen()->SetColor(GetColorZero());
                canvas->Brush()->SetColor(GetColorZero());
                const int before = KVC::TypedTruncToInt(z - 1), after = KVC::TypedTruncToInt(z + 1);
                canvas->Rectangle(vertical ? TRect{b, before, W - b, after} : TRect{before, b, after, H - b});
            }
        }
    }

    canvas->Pen()->SetWidth(b);
    canvas->Brush()->SetColor(GetColorBorder());
    canvas->FrameRect(frame);
}
