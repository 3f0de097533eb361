#include "kvc/KvChartLegend.h"

#include <algorithm>
#include "kvc/KvChart.h"

namespace KVC {

TKvChartLegend::TKvChartLegend(TKvChart* Chart) : FChart(Chart), FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) { Changed(); };
}

void TKvChartLegend::Changed()
{
    if (OnChange) OnChange(this);
}

void TKvChartLegend::SetFont(const TFont& Value)
{
    FFont->Assign(Value);
    Changed();
}

void TKvChartLegend::SetColor(TColor Value) { Update(FColor, Value); }

void TKvChartLegend::SetPosition(TKvChartLegendPosition Value) { Update(FPosition, Value); }

void TKvChartLegend::SetVisible(bool Value) { Update(FVisible, Value); }

void TKvChartLegend::SetLineBoxWidth(int Index, int Value) { Update(FLineBox[Index == 0 ? 0 : 1], Value); }

void TKvChartLegend::Draw(TCanvas* Canvas)
{
    FBox = TRect{};
    if (!FVisible || !FChart || FChart->LineSeries()->Count() == 0) return;
    TKvChartLineSeries& series = *FChart->LineSeries();
    TFont savedFont;
    savedFont.Assign(*Canvas->Font());
    Canvas->Font()->Assign(*FFont);
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FColor);

    int widest = 0, rows = 0;
    for (int i = 0; i < series.Count(); ++i) {
        widest = std::max(widest, Canvas->TextWidth(series.GetItem(i)->GetName()));
        if (series.GetItem(i)->GetCount() > 0) ++rows;
    }
    const int h = Canvas->TextHeight("0");
    const int width = FLineBox[0] + widest + 15;
    const int height = (h + 5) * rows + 5;
    const bool right = FPosition == clpRightTop || FPosition == clpRightBottom;
    const bool bottom = FPosition == clpLeftBottom || FPosition == clpRightBottom;
    const int left = right ? FChart->GetWidth() - width : 0;
    const int top = bottom ? FChart->GetHeight() - height : 0;
    FBox = Bounds(left, top, width, height);
    Canvas->Rectangle(FBox);

    int k = 0;
    for (int i = 0; i < series.Count(); ++i) {
        const TKvLineSeries& s = *series.GetItem(i);
        if (s.GetCount() == 0) continue;
        const int x = left + 5;
        const int y = top + 5 + k * (h + 5);
        const int sampleTop = y + h / 2 - FLineBox[1] / 2;
        Canvas->Brush()->SetColor(s.Pen()->GetColor());
        Canvas->FillRect(Bounds(x, sampleTop, FLineBox[0], FLineBox[1]));
        Canvas->Brush()->SetColor(FColor);
        Canvas->TextOut(x + FLineBox[0] + 5, y, s.GetName());
        ++k;
    }
    Canvas->Font()->Assign(savedFont);
}

}  // namespace KVC
