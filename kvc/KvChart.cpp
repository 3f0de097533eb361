#include "kvc/KvChart.h"

#include <algorithm>

namespace KVC {

namespace {
constexpr double NoExtent = 1.7e308;

struct TExtent {
    double Min = NoExtent;
    double Max = -NoExtent;
    void Widen(double Low, double High)
    {
        Min = std::min(Min, Low);
        Max = std::max(Max, High);
    }
    bool Found() const { return Max > -NoExtent && Min < NoExtent; }
};
}  // namespace

TKvChart::TKvChart(TComponent* Owner)
    : TKvAxisImage(Owner),
      FLineSeries(std::make_unique<TKvChartLineSeries>(this)),
      FLegend(std::make_unique<TKvChartLegend>(this)),
      FSeriesBitmap(std::make_unique<TBitmap>())
{
    SetBounds(GetLeft(), GetTop(), 400, 250);
    FSeriesBitmap->SetPixelFormat(pf24bit);
    FLineSeries->OnChange = [this](TObject* Sender) { Change(Sender); };
    FLegend->OnChange = [this](TObject* Sender) { Change(Sender); };
    SetDefaultAutoRefresh(true);
}

TKvChart::~TKvChart()
{
    FLineSeries->OnChange = nullptr;
    FLegend->OnChange = nullptr;
}

void TKvChart::DoAutoScale()
{
    TKvChartAxis* left = LeftAxis();
    TKvChartAxis* right = RightAxis();
    TKvChartAxis* bottom = BottomAxis();
    if (!left->GetAutoScale() && !right->GetAutoScale() && !bottom->GetAutoScale()) return;
    if (FLineSeries->Count() == 0) return;
    TExtent x, yLeft, yRight;
    for (int i = 0; i < FLineSeries->Count(); ++i) {
        TKvLineSeries& series = *FLineSeries->GetItem(i);
        TDPoint min, max;
        if (!series.SearchMinMax(min, max)) continue;
        x.Widen(min.x, max.x);
        (series.UseRightAxis ? yRight : yLeft).Widen(min.y, max.y);
    }
    for (TExtent* y : {&yLeft, &yRight})
        if (y->Found() && y->Min == y->Max) y->Widen(y->Min - 1, y->Max + 1);
    const std::pair<TKvChartAxis*, TExtent*> axes[] = {{left, &yLeft}, {right, &yRight}, {bottom, &x}};
    for (const auto& [axis, extent] : axes) {
        if (!axis->GetAutoScale() || !extent->Found()) continue;
        double min = extent->Min, max = extent->Max;
        if (OnCorrectAxisRange) OnCorrectAxisRange(axis, min, max);
        axis->SetScaledRange(min, max);
    }
}

void TKvChart::DrawGraphic(TBitmap* Bitmap)
{
    const TRect g = GraphRect();
    const double range = BottomAxis()->GetMax() - BottomAxis()->GetMin();
    FLastScaleX = range > 0 ? g.Width() / range : 1;
    if (FLineSeries->Count() == 0 || g.Width() <= 0 || g.Height() <= 0) return;
    // The series are drawn on a copy of the graph area, so no line crosses the axes.
    FSeriesBitmap->SetSize(g.Width(), g.Height());
    TCanvas* canvas = FSeriesBitmap->Canvas();
    TDrawingPass pass(canvas);
    BitBlt(canvas, 0, 0, g.Width(), g.Height(), Bitmap->Canvas(), g.Left, g.Top, SRCCOPY);
    FLineSeries->DoPaint(canvas, Rect(0, 0, g.Width(), g.Height()));
    BitBlt(Bitmap->Canvas(), g.Left, g.Top, g.Width(), g.Height(), canvas, 0, 0, SRCCOPY);
}

void TKvChart::AfterPrepareDisplayedBitmap(TBitmap* Bitmap) { FLegend->Draw(Bitmap->Canvas()); }

}  // namespace KVC
