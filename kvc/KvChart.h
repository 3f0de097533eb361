// The chart: an axis image that plots a collection of line series, scales its axes to
// the data and draws a legend over everything.
#pragma once
#include <functional>
#include <memory>
#include "kvc/KvAxisImage.h"
#include "kvc/KvChartLegend.h"
#include "kvc/KvChartLineSeries.h"

namespace KVC {

// Called while autoscaling with the axis and its new range, which the handler may change.
using TKvCorrectAxisRangeEvent = std::function<void(TKvChartAxis* Axis, double& AxisMin, double& AxisMax)>;

class TKvChart : public TKvAxisImage {
public:
    explicit TKvChart(TComponent* Owner);
    ~TKvChart() override;

    TKvChartLineSeries* LineSeries() const { return FLineSeries.get(); }
    TKvChartLegend* Legend() const { return FLegend.get(); }

    TKvCorrectAxisRangeEvent OnCorrectAxisRange;

protected:
    void DrawGraphic(TBitmap* Bitmap) override;
    void DoAutoScale() override;
    void AfterPrepareDisplayedBitmap(TBitmap* Bitmap) override;

private:
    std::unique_ptr<TKvChartLineSeries> FLineSeries;
    std::unique_ptr<TKvChartLegend> FLegend;
    std::unique_ptr<TBitmap> FSeriesBitmap;
    double FLastScaleX = 1;
};

}  // namespace KVC
