// The legend box of a chart: one row per series that holds points, with a colour sample
// and the series name, in a corner of the chart.
#pragma once
#include <memory>
#include "platform/ui/Graphics.h"

namespace KVC {

class TKvChart;

enum TKvChartLegendPosition { clpLeftTop = 0, clpRightTop = 1, clpLeftBottom = 2, clpRightBottom = 3 };

class TKvChartLegend : public TObject {
public:
    explicit TKvChartLegend(TKvChart* Chart);

    TFont* Font() const { return FFont.get(); }
    TColor GetColor() const { return FColor; }
    TKvChartLegendPosition GetPosition() const { return FPosition; }
    bool GetVisible() const { return FVisible; }
    int GetLineBoxWidth() const { return FLineBox[0]; }
    int GetLineBoxHeight() const { return FLineBox[1]; }
    // Each stores and reports a change, also when the value is the same.
    void SetFont(const TFont& Value);
    void SetColor(TColor Value);
    void SetPosition(TKvChartLegendPosition Value);
    void SetVisible(bool Value);
    // Index 0 the sample's width, 1 its height.
    void SetLineBoxWidth(int Index, int Value);

    // Draws the box; nothing when invisible or without series.
    void Draw(TCanvas* Canvas);
    // The box of the last drawing.
    TRect BoxRect() const { return FBox; }

    TNotifyEvent OnChange;

private:
    void Changed();
    // Every setting reports a change, also when it keeps its value.
    template <class T>
    void Update(T& Field, const T& Value)
    {
        Field = Value;
        Changed();
    }
    TKvChart* FChart;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWhite;
    TKvChartLegendPosition FPosition = clpRightTop;
    bool FVisible = false;
    int FLineBox[2] = {10, 1};
    TRect FBox;
};

}  // namespace KVC
