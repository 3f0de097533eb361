// One side's axis of a chart: range, label rule, title, ticks, labels, grid and frame pen.
// Besides the current range it keeps the user range (the range last set through SetMin
// and SetMax or by autoscaling), to which a zoom reset returns.
#pragma once
#include <memory>
#include "kvc/KvChartClasses.h"

namespace KVC {

class TKvChartAxis : public TPersistent {
public:
    TKvChartAxis();
    void Assign(const TPersistent* Source) override;

    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    double GetMin() const { return FMin; }
    double GetMax() const { return FMax; }
    // Set the current and the user value.
    void SetMin(double Value);
    void SetMax(double Value);
    double GetFrequency() const { return FFrequency; }
    void SetFrequency(double Value);
    TKvChartTitle* Title() const { return FTitle.get(); }
    TKvChartTicks* Ticks() const { return FTicks.get(); }
    TKvChartLabels* Labels() const { return FLabels.get(); }
    void SetTitle(const TKvChartTitle& Value);
    void SetTicks(const TKvChartTicks& Value);
    void SetLabels(const TKvChartLabels& Value);
    bool GetGridVisible() const { return FGridVisible; }
    void SetGridVisible(bool Value);
    TPen* GridPen() const { return FGridPen.get(); }
    void SetGridPen(const TPen& Value) { FGridPen->Assign(Value); }
    bool GetAxisVisible() const { return FAxisVisible; }
    void SetAxisVisible(bool Value);
    TPen* AxisPen() const { return FAxisPen.get(); }
    void SetAxisPen(const TPen& Value) { FAxisPen->Assign(Value); }
    bool GetAutoScale() const { return FAutoScale; }
    // Only switching it on reports a change.
    void SetAutoScale(bool Value);
    int GetCountLabels() const { return FCountLabels; }
    void SetCountLabels(int Value);
    int GetCountPixelsBetweenLabels() const { return FCountPixelsBetweenLabels; }
    void SetCountPixelsBetweenLabels(int Value);
    bool GetCountPixelsCanBeMore() const { return FCountPixelsCanBeMore; }
    void SetCountPixelsCanBeMore(bool Value);
    int MaxPrecision = 5;

    double GetUserMin() const { return FUserMin; }
    double GetUserMax() const { return FUserMax; }
    // Zooming and panning: the current range alone, without a change report.
    void SetRange(double Min, double Max)
    {
        FMin = Min;
        FMax = Max;
    }
    // Autoscaling: current and user range, without a change report.
    void SetScaledRange(double Min, double Max)
    {
        FMin = FUserMin = Min;
        FMax = FUserMax = Max;
    }
    // Back to the user range (zoom reset).
    void RestoreUserRange() { SetRange(FUserMin, FUserMax); }

    TNotifyEvent OnChange;

private:
    void Changed();
    bool FVisible = false;
    double FMin = 0;
    double FMax = 100;
    double FUserMin = 0;
    double FUserMax = 100;
    double FFrequency = 10;
    std::unique_ptr<TKvChartTitle> FTitle;
    std::unique_ptr<TKvChartTicks> FTicks;
    std::unique_ptr<TKvChartLabels> FLabels;
    bool FGridVisible = false;
    std::unique_ptr<TPen> FGridPen;
    bool FAxisVisible = false;
    std::unique_ptr<TPen> FAxisPen;
    bool FAutoScale = false;
    int FCountLabels = 0;
    int FCountPixelsBetweenLabels = 0;
    bool FCountPixelsCanBeMore = false;
};

}  // namespace KVC
