// Line series of a chart: points as (x, y) doubles, kept in x order or in the order added,
// drawn as a polyline, point shapes or a B-spline curve, and the chart's collection of them.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "kvc/KvServiceFuncs.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Persistent.h"

namespace KVC {

class TKvChart;
class TKvChartLineSeries;
class TKvLineSeries;

enum TKvTypePoints {
    tpNone = 0,
    tpSquare = 1,
    tpCircle = 2,
    tpTriangle = 3,
    tpDownTriangle = 4,
    tpCross = 5,
    tpDiagonalCross = 6,
    tpStar = 7,
    tpDiamond = 8
};
// Draws the shape of a point centred on (X, Y), Size pixels across, with the canvas's pen
// and brush; the series draws its points with it, the graph dialog its pictures of them.
void DrawPointShape(TCanvas* Canvas, TKvTypePoints Type, int Size, int X, int Y);

// tdLinear keeps the points in x order, tdPoints in the order added.
enum TKvTypeDependence { tdLinear = 0, tdPoints = 1 };

using TKvDrawPointEvent = std::function<void(TKvLineSeries* Sender, TCanvas* Canvas, const TRect& Rect, int Index,
                                             const TDPoint& Value, const TPoint& Pixel)>;

class TKvLineSeries : public TPersistent {
public:
    explicit TKvLineSeries(TKvChartLineSeries* Collection);
    ~TKvLineSeries() override;
    // Copies the look (not the points or the name) inside one update of the chart.
    void Assign(const TPersistent* Source) override;
    std::string GetDisplayName() const { return FName; }
    int Index() const;
    // A new series in Source's collection, with its own name, looking like Source.
    static TKvLineSeries* CreateCopy(const TKvLineSeries& Source);

    // ---- Points
    void AddXY(double X, double Y);
    void Clear();
    int GetCount() const { return static_cast<int>(FPoints.size()); }
    // Raises std::out_of_range "Series index out of range" for an index outside the points.
    void GetData(int Index, TDPoint& Point) const;
    const std::vector<TDPoint>& Points() const { return FPoints; }
    bool Delete(const TDPoint& Point);
    bool Delete(int Index);
    // Removes Count points from Index (clipped to the points).
    void Delete(int Index, int Count);
    bool Find(const TDPoint& Point, int& Position) const;
    // Nearest point with x at most (lower) or at least (upper) Point.x; the first such
    // point when several share that x.
    bool GetLowerBound(const TDPoint& Point, TDPoint& Result) const;
    bool GetLowerBound(const TDPoint& Point, int& Position) const;
    bool GetUpperBound(const TDPoint& Point, TDPoint& Result) const;
    bool GetUpperBound(const TDPoint& Point, int& Position) const;
    // Smallest and largest x and y; false for an empty series.
    bool SearchMinMax(TDPoint& Min, TDPoint& Max);
    // y at X, interpolated between points (or curve points when the curve is drawn).
    double X2Y(double X);
    // Curve point of the last curve drawing (0, 0 outside), and the curve at parameter T.
    TDPoint GetSplinePoint(int Index) const;
    TDPoint GetSplinePoint(double T) const;
    int GetSplineCount() const { return static_cast<int>(FCurve.size()); }

    // ---- Look
    bool GetAutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool Value);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen& Value) { FPen->Assign(Value); }
    TKvTypePoints GetTypePoints() const { return FTypePoints; }
    void SetTypePoints(TKvTypePoints Value);
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& Value);
    TKvTypeDependence GetTypeDependence() const { return FTypeDependence; }
    // Stored without a change report and without sorting the points again.
    void SetTypeDependence(TKvTypeDependence Value);
    TPen* ShapePen() const { return FShapePen.get(); }
    void SetShapePen(const TPen& Value) { FShapePen->Assign(Value); }
    TBrush* ShapeBrush() const { return FShapeBrush.get(); }
    void SetShapeBrush(const TBrush& Value) { FShapeBrush->Assign(Value); }
    int GetShapeSize() const { return FShapeSize; }
    void SetShapeSize(int Value);
    double GetSplineStep() const { return FSplineStep; }
    void SetSplineStep(double Value);
    bool GetUseSplines() const { return FUseSplines; }
    void SetUseSplines(bool Value);
    int GetSplineOrder() const { return FSplineOrder; }
    void SetSplineOrder(int Value);
    bool UseRightAxis = false;
    bool GetJoinPoints() const { return FJoinPoints; }
    void SetJoinPoints(bool Value);

    TKvDrawPointEvent OnDrawPoint;

    virtual void Change(TObject* Sender);
    // Draws the series into Rect of Canvas by the chart's axes.
    virtual void Paint(TCanvas* Canvas, const TRect& Rect);
    virtual void DrawShapePoint(TCanvas* Canvas, int X, int Y);

private:
    struct TMapping;
    void PointsChanged();
    int LowerBoundIndex(double X) const;
    int UpperBoundIndex(double X) const;
    void BuildCurve();
    void DrawPath(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, bool Sorted);
    void DrawPolyline(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, int First, int Last);
    void DrawPointByPoint(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, int First, int Last);

    TKvChartLineSeries* FCollection;
    std::vector<TDPoint> FPoints;
    bool FSorted = true;  // x never decreases along the list
    std::vector<TDPoint> FCurve;
    bool FCurveSorted = true;
    // What the curve was built from, so an unchanged series is not smoothed again.
    std::uint64_t FPointsVersion = 0;
    std::uint64_t FCurveVersion = ~std::uint64_t(0);
    int FCurveOrder = 0;
    double FCurveStep = 0;
    bool FPointsChanged = true;
    TDPoint FMin, FMax;
    TRect FRect;
    std::vector<TPoint> FRun;  // the polyline run being drawn, kept between paints

    bool FAutoUpdate = true;
    std::unique_ptr<TPen> FPen;
    TKvTypePoints FTypePoints = tpNone;
    std::string FName;
    TKvTypeDependence FTypeDependence = tdLinear;
    std::unique_ptr<TPen> FShapePen;
    std::unique_ptr<TBrush> FShapeBrush;
    int FShapeSize = 5;
    double FSplineStep = 0.1;
    bool FUseSplines = false;
    int FSplineOrder = 0;
    bool FJoinPoints = true;
};

class TKvChartLineSeries final {
public:
    explicit TKvChartLineSeries(TKvChart* Chart);
    ~TKvChartLineSeries();
    TKvChartLineSeries(const TKvChartLineSeries&) = delete;
    TKvChartLineSeries& operator=(const TKvChartLineSeries&) = delete;

    // A new series named "LineSeries" and its position counted from 1; nothing repaints.
    TKvLineSeries* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises std::out_of_range for an index outside the collection.
    TKvLineSeries* GetItem(int Index) const;
    // Copies Series into the one at Index.
    void SetItem(int Index, const TKvLineSeries* Series);
    void Delete(int Index);
    void Clear();
    int IndexOf(const TKvLineSeries* Series) const;
    TKvChart* Chart() const { return FChart; }

    // Passes a change on to the chart.
    virtual void Change(TObject* Sender);
    // Paints the series from the last to the first, so that the first lies on top.
    virtual void DoPaint(TCanvas* Canvas, const TRect& Rect);

    TNotifyEvent OnChange;

private:
    TKvChart* FChart;
    std::vector<std::unique_ptr<TKvLineSeries>> FItems;
};

}  // namespace KVC
