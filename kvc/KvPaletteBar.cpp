#include "kvc/KvPaletteBar.h"
#include "kvc/KvStore.h"

namespace KVC {

TKvPaletteBar::TKvPaletteBar(TComponent* Owner) : TKvAxisImage(Owner)
{
    FOrientation = pboVertical;
    for (TKvChartAxis* axis : {LeftAxis(), TopAxis(), RightAxis(), BottomAxis()}) axis->SetGridVisible(false);
    SetBounds(GetLeft(), GetTop(), 70, 200);
}

TKvPaletteBar::~TKvPaletteBar() = default;

void TKvPaletteBar::SetOrientation(TKvPaletteBarOrientation Value)
{
    if (Store(FOrientation, Value)) Display();
}

void TKvPaletteBar::DrawGraphic(TBitmap* Bitmap)
{
    if (!OnGetBarColor) return;
    const TRect graph = GraphRect();
    const bool vertical = FOrientation == pboVertical;
    const int n = vertical ? graph.Height() : graph.Width();
    TCanvas* canvas = Bitmap->Canvas();
    // One pixel per line: a wider pen left by the frame would smear lines into each other.
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
    std::uint8_t red = 0, green = 0, blue = 0;
    for (int i = 0; i < n; ++i) {
        // A scale one pixel long shows the colour of its start.
        OnGetBarColor(this, n > 1 ? double(i) / (n - 1) : 0.0, red, green, blue);
        canvas->Pen()->SetColor(RGB(red, green, blue));
        if (vertical) {
            canvas->MoveTo(graph.Left, graph.Bottom - 1 - i);
            canvas->LineTo(graph.Right, graph.Bottom - 1 - i);
        } else {
            canvas->MoveTo(graph.Left + i, graph.Top);
            canvas->LineTo(graph.Left + i, graph.Bottom);
        }
    }
}

}  // namespace KVC
