#include "kvc/KvChartLineSeries.h"
#include "kvc/KvStore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include "kvc/KvChart.h"

namespace KVC {

namespace {
constexpr double NoExtent = 1.7e308;

// Segments are cut to this box around the drawing rectangle before they become pixels:
// what lies outside is never seen, and far-away values would overflow the pixel type.
constexpr double ClipMargin = 1024;

struct TDoublePoint {
    double x, y;
};

// Cuts the segment A-B to Box (Liang-Barsky); false when nothing of it lies inside.
bool ClipSegment(TDoublePoint& A, TDoublePoint& B, double Left, double Top, double Right, double Bottom)
{
    // A point without a finite value has no place on the picture: its segments are left out.
    if (!std::isfinite(A.x) || !std::isfinite(A.y) || !std::isfinite(B.x) || !std::isfinite(B.y)) return false;
    double t0 = 0, t1 = 1;
    const double dx = B.x - A.x, dy = B.y - A.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {A.x - Left, Right - A.x, A.y - Top, Bottom - A.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const TDoublePoint a = A;
    if (t1 < 1) B = TDoublePoint{a.x + t1 * dx, a.y + t1 * dy};
    if (t0 > 0) A = TDoublePoint{a.x + t0 * dx, a.y + t0 * dy};
    return true;
}

// The pixels of one polyline run. A solid one-pixel line in copy mode draws the union of
// its segments' pixels, so consecutive points within one pixel column reduce to the
// column's first, lowest, highest and last: the vertical segments between them cover the
// same pixels, and the line on to the next column starts at the same last point. Only
// the run's last column needs care, as a line leaves out its end pixel: that pixel shows
// when the column passed it before its last point, and the order of the lowest and
// highest is chosen so that it shows exactly then. Other pens (dashes restarting at every
// point, raster modes drawing a pixel twice, wide pens) get every point.
struct TColumn {
    static constexpr int None = std::numeric_limits<int>::min();
    int X = None;
    int First = 0, Low = 0, High = 0, Last = 0;
    // What the column covered before its last point.
    int LowBefore = 0, HighBefore = 0;
};

void AppendPixel(std::vector<TPoint>& Run, TPoint Offset, int X, int Y)
{
    const TPoint p{Offset.x + X, Offset.y + Y};
    if (Run.empty() || Run.back() != p) Run.push_back(p);
}

// Out of line, so that the column being gathered stays in registers.
[[gnu::noinline]] void AppendColumn(std::vector<TPoint>& Run, TPoint Offset, TColumn C, bool EndOfRun)
{
    if (C.X == TColumn::None) return;
    AppendPixel(Run, Offset, C.X, C.First);
    const bool endShows = C.LowBefore <= C.Last && C.Last <= C.HighBefore;
    if (EndOfRun && C.Last == C.High && C.Low != C.High) {
        if (endShows) AppendPixel(Run, Offset, C.X, C.High);
        AppendPixel(Run, Offset, C.X, C.Low);
    } else if (EndOfRun && C.Last == C.Low && C.Low != C.High) {
        if (endShows) AppendPixel(Run, Offset, C.X, C.Low);
        AppendPixel(Run, Offset, C.X, C.High);
    } else {
        AppendPixel(Run, Offset, C.X, C.Low);
        AppendPixel(Run, Offset, C.X, C.High);
    }
    AppendPixel(Run, Offset, C.X, C.Last);
}
}  // namespace

// The mapping of the last paint: value to pixel, as doubles before truncation, counted
// from the drawing rectangle's top-left corner; the pixel is that corner plus the
// truncated value, so that a picture drawn in place equals one drawn at the origin and
// copied there.
struct TKvLineSeries::TMapping {
    double XMin, YMin, Kx, Ky, Width, Height;
    TPoint Offset;
    TDoublePoint operator()(const TDPoint& P) const { return {(P.x - XMin) * Kx, Height - (P.y - YMin) * Ky}; }
    double BoxLeft() const { return -ClipMargin; }
    double BoxTop() const { return -ClipMargin; }
    double BoxRight() const { return Width + ClipMargin; }
    double BoxBottom() const { return Height + ClipMargin; }
    bool Inside(const TDoublePoint& P) const
    {
        return P.x >= BoxLeft() && P.x <= BoxRight() && P.y >= BoxTop() && P.y <= BoxBottom();
    }
    TPoint Pixel(const TDoublePoint& P) const
    {
        return TPoint{Offset.x + static_cast<int>(P.x), Offset.y + static_cast<int>(P.y)};
    }
};

// ---- Series -----------------------------------------------------------------------------
TKvLineSeries::TKvLineSeries(TKvChartLineSeries* Collection)
    : FCollection(Collection),
      FPen(std::make_unique<TPen>()),
      FShapePen(std::make_unique<TPen>()),
      FShapeBrush(std::make_unique<TBrush>())
{
    FPen->SetColor(clRed);
    FShapeBrush->SetColor(FPen->GetColor());
    FName = "LineSeries" + std::to_string(FCollection ? FCollection->Count() + 1 : 1);
    FPen->OnChange = [this](TObject* Sender) { Change(Sender); };
    FShapePen->OnChange = [this](TObject* Sender) { Change(Sender); };
    FShapeBrush->OnChange = [this](TObject* Sender) { Change(Sender); };
}

TKvLineSeries::~TKvLineSeries() = default;

int TKvLineSeries::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

TKvLineSeries* TKvLineSeries::CreateCopy(const TKvLineSeries& Source)
{
    if (!Source.FCollection) return nullptr;
    TKvLineSeries* copy = Source.FCollection->Add();
    copy->Assign(&Source);
    return copy;
}

void TKvLineSeries::Assign(const TPersistent* Source)
{
    const auto* series = dynamic_cast<const TKvLineSeries*>(Source);
    if (!series) AssignError("TKvLineSeries");
    if (series == this) return;
    TKvChart* chart = FCollection ? FCollection->Chart() : nullptr;
    if (chart) chart->BeginUpdate();
    FAutoUpdate = series->FAutoUpdate;
    FTypePoints = series->FTypePoints;
    FTypeDependence = series->FTypeDependence;
    FShapeSize = series->FShapeSize;
    FShapeBrush->Assign(*series->FShapeBrush);
    FShapePen->Assign(*series->FShapePen);
    FPen->Assign(*series->FPen);
    if (chart) chart->EndUpdate();
}

void TKvLineSeries::Change(TObject* Sender)
{
    FPointsChanged = true;
    if (FAutoUpdate && FCollection) FCollection->Change(Sender);
}

void TKvLineSeries::PointsChanged()
{
    ++FPointsVersion;
    Change(this);
}

// ---- Points -----------------------------------------------------------------------------
void TKvLineSeries::AddXY(double X, double Y)
{
    // A live graph adds a point per tick: known extents are widened, not searched again.
    const bool extentsKnown = !FPointsChanged;
    // Without a finite x the list can no longer be searched by halving.
    if (!std::isfinite(X)) FSorted = false;
    if (FTypeDependence == tdPoints) {
        if (!FPoints.empty() && X < FPoints.back().x) FSorted = false;
        FPoints.push_back(TDPoint{X, Y});
    } else {
        int at = static_cast<int>(FPoints.size());
        if (!GetUpperBound(TDPoint{X, Y}, at)) at = static_cast<int>(FPoints.size());
        FPoints.insert(FPoints.begin() + at, TDPoint{X, Y});
        if (FSorted && ((at > 0 && FPoints[at - 1].x > X) || (at + 1 < GetCount() && FPoints[at + 1].x < X)))
            FSorted = false;
    }
    if (extentsKnown) {
        FMin = TDPoint{std::min(FMin.x, X), std::min(FMin.y, Y)};
        FMax = TDPoint{std::max(FMax.x, X), std::max(FMax.y, Y)};
    }
    ++FPointsVersion;
    FPointsChanged = !extentsKnown;
    if (FAutoUpdate && FCollection) FCollection->Change(this);
}

void TKvLineSeries::Clear()
{
    // A series refilled at every update keeps its room; one that held a whole long run
    // (a day's rows for one view) gives it back, so the next short fill does not keep it.
    constexpr std::size_t KeptPoints = std::size_t(1) << 16;
    FPoints.clear();
    if (FPoints.capacity() > KeptPoints) std::vector<TDPoint>().swap(FPoints);
    FRun.clear();
    if (FRun.capacity() > KeptPoints) std::vector<TPoint>().swap(FRun);
    FSorted = true;
    PointsChanged();
}

void TKvLineSeries::GetData(int Index, TDPoint& Point) const
{
    if (Index < 0 || Index >= GetCount()) throw std::out_of_range("Series index out of range");
    Point = FPoints[static_cast<size_t>(Index)];
}

bool TKvLineSeries::Delete(const TDPoint& Point)
{
    int at = 0;
    const bool found = Find(Point, at);
    if (found) FPoints.erase(FPoints.begin() + at);
    PointsChanged();
    return found;
}

bool TKvLineSeries::Delete(int Index)
{
    const bool inside = Index >= 0 && Index < GetCount();
    if (inside) FPoints.erase(FPoints.begin() + Index);
    PointsChanged();
    return inside;
}

void TKvLineSeries::Delete(int Index, int Count)
{
    const int from = std::clamp(Index, 0, GetCount());
    const int to = std::clamp(Index + std::max(Count, 0), from, GetCount());
    FPoints.erase(FPoints.begin() + from, FPoints.begin() + to);
    PointsChanged();
}

bool TKvLineSeries::Find(const TDPoint& Point, int& Position) const
{
    for (size_t i = 0; i < FPoints.size(); ++i)
        if (FPoints[i].x == Point.x && FPoints[i].y == Point.y) {
            Position = static_cast<int>(i);
            return true;
        }
    return false;
}

// In x order the nearest points are found by halving; otherwise by one pass.
int TKvLineSeries::LowerBoundIndex(double X) const
{
    if (FSorted) {
        auto it =
            std::upper_bound(FPoints.begin(), FPoints.end(), X, [](double V, const TDPoint& P) { return V < P.x; });
        if (it == FPoints.begin()) return -1;
        const double x = std::prev(it)->x;
        return static_cast<int>(
            std::lower_bound(FPoints.begin(), it, x, [](const TDPoint& P, double V) { return P.x < V; }) -
            FPoints.begin());
    }
    int best = -1;
    double distance = NoExtent;
    for (size_t i = 0; i < FPoints.size(); ++i) {
        const double d = X - FPoints[i].x;
        if (d >= 0 && d < distance) distance = d, best = static_cast<int>(i);
    }
    return best;
}

int TKvLineSeries::UpperBoundIndex(double X) const
{
    if (FSorted) {
        auto it =
            std::lower_bound(FPoints.begin(), FPoints.end(), X, [](const TDPoint& P, double V) { return P.x < V; });
        return it == FPoints.end() ? -1 : static_cast<int>(it - FPoints.begin());
    }
    int best = -1;
    double distance = NoExtent;
    for (size_t i = 0; i < FPoints.size(); ++i) {
        const double d = FPoints[i].x - X;
        if (d >= 0 && d < distance) distance = d, best = static_cast<int>(i);
    }
    return best;
}

bool TKvLineSeries::GetLowerBound(const TDPoint& Point, int& Position) const
{
    const int at = LowerBoundIndex(Point.x);
    if (at < 0) return false;
    Position = at;
    return true;
}

bool TKvLineSeries::GetLowerBound(const TDPoint& Point, TDPoint& Result) const
{
    int at = 0;
    if (!GetLowerBound(Point, at)) return false;
    Result = FPoints[static_cast<size_t>(at)];
    return true;
}

bool TKvLineSeries::GetUpperBound(const TDPoint& Point, int& Position) const
{
    const int at = UpperBoundIndex(Point.x);
    if (at < 0) return false;
    Position = at;
    return true;
}

bool TKvLineSeries::GetUpperBound(const TDPoint& Point, TDPoint& Result) const
{
    int at = 0;
    if (!GetUpperBound(Point, at)) return false;
    Result = FPoints[static_cast<size_t>(at)];
    return true;
}

bool TKvLineSeries::SearchMinMax(TDPoint& Min, TDPoint& Max)
{
    if (FPoints.empty()) return false;
    if (FPointsChanged) {
        FMin = TDPoint{NoExtent, NoExtent};
        FMax = TDPoint{-NoExtent, -NoExtent};
        for (const TDPoint& p : FPoints) {
            FMin.x = std::min(FMin.x, p.x);
            FMin.y = std::min(FMin.y, p.y);
            FMax.x = std::max(FMax.x, p.x);
            FMax.y = std::max(FMax.y, p.y);
        }
        FPointsChanged = false;
    }
    Min = FMin;
    Max = FMax;
    return true;
}

double TKvLineSeries::X2Y(double X)
{
    if (FPoints.empty()) return 0;
    if (FUseSplines && FCurve.size() > 2) {
        size_t i = 0;
        while (i < FCurve.size() && !(FCurve[i].x > X)) ++i;
        if (i == 0) return FCurve[0].y;
        if (i == FCurve.size()) return FCurve.back().y;
        const TDPoint& a = FCurve[i - 1];
        const TDPoint& b = FCurve[i];
        const double t = b.x == a.x ? 1 : (X - a.x) / (b.x - a.x);
        return a.y + t * (b.y - a.y);
    }
    const int lower = LowerBoundIndex(X);
    if (lower < 0) return FPoints.front().y;
    int next;
    if (FTypeDependence == tdPoints)
        next = UpperBoundIndex(X);
    else
        next = lower + 1 < GetCount() ? lower + 1 : -1;
    const TDPoint& a = FPoints[static_cast<size_t>(lower)];
    if (next < 0) return a.y;
    const TDPoint& b = FPoints[static_cast<size_t>(next)];
    const double t = b.x == a.x ? 0 : (X - a.x) / (b.x - a.x);
    return a.y + t * (b.y - a.y);
}

TDPoint TKvLineSeries::GetSplinePoint(int Index) const
{
    if (Index < 0 || Index >= GetSplineCount()) return TDPoint{};
    return FCurve[static_cast<size_t>(Index)];
}

TDPoint TKvLineSeries::GetSplinePoint(double T) const
{
    const int n = GetCount();
    const int k = FSplineOrder;
    TDPoint result;
    if (k < 1 || n < k) return result;
    // The knots the drawn curve uses, so that this point lies on it.
    std::vector<float> knots(static_cast<size_t>(n + k));
    buildKnots(k, n - 1, knots.data());
    const int j0 = std::max(0, static_cast<int>(std::trunc(T)));
    const int j1 = std::min(n, static_cast<int>(std::trunc(T)) + k);
    const float t = static_cast<float>(std::trunc(T * 1000) * 0.001);
    for (int j = j0; j < j1; ++j) {
        const float b = bSpline(j, k, t, knots.data());
        result.x += FPoints[static_cast<size_t>(j)].x * b;
        result.y += FPoints[static_cast<size_t>(j)].y * b;
    }
    return result;
}

// ---- Look -------------------------------------------------------------------------------
void TKvLineSeries::SetAutoUpdate(bool Value)
{
    if (Store(FAutoUpdate, Value) && Value) Change(this);
}
void TKvLineSeries::SetTypePoints(TKvTypePoints Value)
{
    if (Store(FTypePoints, Value)) Change(this);
}
void TKvLineSeries::SetName(const std::string& Value)
{
    if (Store(FName, Value)) Change(this);
}
void TKvLineSeries::SetTypeDependence(TKvTypeDependence Value) { FTypeDependence = Value; }
void TKvLineSeries::SetShapeSize(int Value)
{
    Value = std::max(Value, 0);
    if (Store(FShapeSize, Value)) Change(this);
}
void TKvLineSeries::SetSplineStep(double Value)
{
    if (!(Value > 0)) Value = 0.1;
    if (Store(FSplineStep, Value)) Change(this);
}
void TKvLineSeries::SetUseSplines(bool Value)
{
    if (Store(FUseSplines, Value)) Change(this);
}
void TKvLineSeries::SetSplineOrder(int Value)
{
    Value = std::max(Value, 2);
    if (Store(FSplineOrder, Value)) Change(this);
}
void TKvLineSeries::SetJoinPoints(bool Value)
{
    if (Store(FJoinPoints, Value)) Change(this);
}

// ---- Drawing ----------------------------------------------------------------------------
void TKvLineSeries::Paint(TCanvas* Canvas, const TRect& Rect)
{
    FRect = Rect;
    if (FPoints.empty() || !FCollection || !FCollection->Chart()) return;
    TKvChart& chart = *FCollection->Chart();
    const TKvChartAxis& xAxis = *chart.BottomAxis();
    const TKvChartAxis& yAxis = UseRightAxis ? *chart.RightAxis() : *chart.LeftAxis();
    TMapping map;
    map.XMin = xAxis.GetMin();
    map.YMin = yAxis.GetMin();
    const double xRange = xAxis.GetMax() - map.XMin;
    const double yRange = yAxis.GetMax() - map.YMin;
    map.Kx = xRange > 0 ? Rect.Width() / xRange : 1;
    map.Ky = yRange > 0 ? Rect.Height() / yRange : 1;
    map.Width = Rect.Width();
    map.Height = Rect.Height();
    map.Offset = TPoint{Rect.Left, Rect.Top};
    if (FUseSplines) {
        BuildCurve();
        if (!FCurve.empty()) DrawPath(Canvas, map, FCurve, FCurveSorted);
        return;
    }
    DrawPath(Canvas, map, FPoints, FSorted);
}

void TKvLineSeries::BuildCurve()
{
    if (FCurveVersion == FPointsVersion && FCurveOrder == FSplineOrder && FCurveStep == FSplineStep) return;
    const int n = GetCount();
    const float step = static_cast<float>(FSplineStep);
    const int m = GetCountBSplinePoints(n, FSplineOrder, step);
    FCurve.clear();
    if (m > 0) {
        std::vector<float> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            x[i] = static_cast<float>(FPoints[i].x);
            y[i] = static_cast<float>(FPoints[i].y);
        }
        std::vector<float> outX(static_cast<size_t>(m)), outY(static_cast<size_t>(m));
        const int made = BuildBSplineCurve2d(n, FSplineOrder, step, x.data(), y.data(), outX.data(), outY.data());
        FCurve.resize(static_cast<size_t>(std::max(made, 0)));
        for (size_t i = 0; i < FCurve.size(); ++i) FCurve[i] = TDPoint{outX[i], outY[i]};
    }
    FCurveSorted =
        std::is_sorted(FCurve.begin(), FCurve.end(), [](const TDPoint& A, const TDPoint& B) { return A.x < B.x; });
    FCurveVersion = FPointsVersion;
    FCurveOrder = FSplineOrder;
    FCurveStep = FSplineStep;
}

void TKvLineSeries::DrawPath(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, bool Sorted)
{
    int first = 0, last = static_cast<int>(Path.size()) - 1;
    const bool shapes = FTypePoints != tpNone && FShapeSize > 0;
    // In x order only the points within the x range, and one beyond each end, can show;
    // shapes and the point event reach a little further.
    if (Sorted && !OnDrawPoint) {
        const double reach = shapes ? (FShapeSize + 2) / Map.Kx : 0;
        const double from = Map.XMin - reach;
        const double to = Map.XMin + Map.Width / Map.Kx + reach;
        auto lo = std::lower_bound(Path.begin(), Path.end(), from, [](const TDPoint& P, double V) { return P.x < V; });
        auto hi = std::upper_bound(Path.begin(), Path.end(), to, [](double V, const TDPoint& P) { return V < P.x; });
        first = std::max(0, static_cast<int>(lo - Path.begin()) - 1);
        last = std::min(last, static_cast<int>(hi - Path.begin()));
    }
    Canvas->Pen()->Assign(*FPen);
    if (shapes || OnDrawPoint)
        DrawPointByPoint(Canvas, Map, Path, first, last);
    else if (FJoinPoints)
        DrawPolyline(Canvas, Map, Path, first, last);
}

// Lines only: cut to the box, gathered into runs, each drawn in one call. The points are
// turned into pixels a block at a time in one simple pass that marks those outside the
// box; the runs are then gathered from the pixels, and only the segments that leave or
// enter the box are cut, from the values.
void TKvLineSeries::DrawPolyline(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, int First,
                                 int Last)
{
    // The mapping in locals: the loops run once a point, and the buffers they write to
    // could otherwise alias the mapping for the compiler.
    const double xMin = Map.XMin, yMin = Map.YMin, kx = Map.Kx, ky = Map.Ky, height = Map.Height;
    const double boxLeft = Map.BoxLeft(), boxTop = Map.BoxTop(), boxRight = Map.BoxRight(), boxBottom = Map.BoxBottom();
    auto map = [&](const TDPoint& P) { return TDoublePoint{(P.x - xMin) * kx, height - (P.y - yMin) * ky}; };
    constexpr int Outside = TColumn::None;

    std::vector<TPoint>& run = FRun;
    run.clear();
    const bool collapse = FPen->GetStyle() == psSolid && FPen->GetWidth() <= 1 && FPen->GetMode() == pmCopy;
    const TPoint offset = Map.Offset;
    // The open column in plain locals, so that they stay in registers.
    int x = TColumn::None, first = 0, low = 0, high = 0, last = 0, lowBefore = 0, highBefore = 0;
    auto closeColumn = [&](bool EndOfRun) {
        AppendColumn(run, offset, TColumn{x, first, low, high, last, lowBefore, highBefore}, EndOfRun);
        x = TColumn::None;
    };
    auto add = [&](int X, int Y) {
        if (!collapse) {
            AppendPixel(run, offset, X, Y);
            return;
        }
        if (X == x) {
            // A point on the last one draws nothing and leaves what came before as it was.
            const bool moved = Y != last;
            lowBefore = moved ? low : lowBefore;
            highBefore = moved ? high : highBefore;
            low = std::min(low, Y);
            high = std::max(high, Y);
            last = Y;
            return;
        }
        closeColumn(false);
        x = X;
        first = low = high = last = Y;
        lowBefore = std::numeric_limits<int>::max();
        highBefore = std::numeric_limits<int>::min();
    };
    auto addDouble = [&](const TDoublePoint& P) { add(static_cast<int>(P.x), static_cast<int>(P.y)); };
    auto flush = [&] {
        closeColumn(true);
        if (run.size() > 1) Canvas->Polyline(run);
        run.clear();
    };

    constexpr int Block = 512;
    TPoint pixels[Block];
    bool previousInside = false;
    for (int from = First; from <= Last; from += Block) {
        const int count = std::min(Block, Last - from + 1);
        const TDPoint* points = Path.data() + from;
        for (int j = 0; j < count; ++j) {
            const TDoublePoint p = map(points[j]);
            // A value without a finite place fails every comparison: outside. Without
            // branches, so that the loop runs on several points at once.
            const bool inside = (p.x >= boxLeft) & (p.x <= boxRight) & (p.y >= boxTop) & (p.y <= boxBottom);
            const int px = static_cast<int>(inside ? p.x : 0.0), py = static_cast<int>(inside ? p.y : 0.0);
            pixels[j] = TPoint{inside ? px : Outside, py};
        }
        int j = 0;
        if (from == First) {
            previousInside = pixels[0].x != Outside;
            if (previousInside) add(pixels[0].x, pixels[0].y);
            j = 1;
        }
        for (; j < count; ++j) {
            // Along points inside the box nothing is cut.
            if (previousInside) {
                while (j < count && pixels[j].x != Outside) {
                    add(pixels[j].x, pixels[j].y);
                    ++j;
                }
                if (j == count) break;
            }
            const TPoint pixel = pixels[j];
            const bool currentInside = pixel.x != Outside;
            TDoublePoint a = map(points[j - 1]), b = map(points[j]);
            if (ClipSegment(a, b, boxLeft, boxTop, boxRight, boxBottom)) {
                if (!previousInside) {
                    flush();
                    addDouble(a);
                }
                addDouble(b);
            } else if (currentInside) {
                // After a point without a value the line starts again here.
                flush();
                add(pixel.x, pixel.y);
            }
            if (!currentInside) flush();
            previousInside = currentInside;
        }
    }
    flush();
}

// With point shapes or the point event every point is visited in order, as the shapes
// lie over the lines drawn before them.
void TKvLineSeries::DrawPointByPoint(TCanvas* Canvas, const TMapping& Map, const std::vector<TDPoint>& Path, int First,
                                     int Last)
{
    const bool shapes = FTypePoints != tpNone && FShapeSize > 0;
    TDoublePoint previous = Map(Path[static_cast<size_t>(First)]);
    for (int i = First; i <= Last; ++i) {
        const TDoublePoint current = Map(Path[static_cast<size_t>(i)]);
        const bool inside = Map.Inside(current);
        auto saturate = [](double V) { return std::isnan(V) ? 0 : static_cast<int>(std::clamp(V, -1e9, 1e9)); };
        const TPoint pixel = inside ? Map.Pixel(current)
                                    : TPoint{Map.Offset.x + saturate(current.x), Map.Offset.y + saturate(current.y)};
        if (FJoinPoints) {
            TDoublePoint a = previous, b = current;
            if (ClipSegment(a, b, Map.BoxLeft(), Map.BoxTop(), Map.BoxRight(), Map.BoxBottom())) {
                Canvas->MoveTo(Map.Pixel(a).x, Map.Pixel(a).y);
                Canvas->LineTo(Map.Pixel(b).x, Map.Pixel(b).y);
            }
        }
        if (shapes && inside) {
            Canvas->Pen()->Assign(*FShapePen);
            Canvas->Brush()->Assign(*FShapeBrush);
            DrawShapePoint(Canvas, pixel.x, pixel.y);
            Canvas->Pen()->Assign(*FPen);
        }
        if (OnDrawPoint) {
            OnDrawPoint(this, Canvas, FRect, i, Path[static_cast<size_t>(i)], pixel);
            Canvas->Pen()->Assign(*FPen);
        }
        previous = current;
    }
}

void DrawPointShape(TCanvas* Canvas, TKvTypePoints Type, int Size, int X, int Y)
{
    const int s = Size;
    int x1 = X - s / 2, y1 = Y - s / 2;
    int x2 = static_cast<int>(X + s / 2.0 + 0.5), y2 = static_cast<int>(Y + s / 2.0 + 0.5);
    auto line = [Canvas](int Ax, int Ay, int Bx, int By) {
        Canvas->MoveTo(Ax, Ay);
        Canvas->LineTo(Bx, By);
    };
    auto diagonalCross = [&] {
        int a = x1, b = y1;
        if (s % 2 == 0) ++a, ++b;
        line(a, b, x2, y2);
        line(a, y2, x2, b);
    };
    auto cross = [&] {
        line(X, y1, X, y2);
        line(x1, Y, x2, Y);
    };
    switch (Type) {
    case tpNone:
        break;
    case tpSquare:
        Canvas->Rectangle(x1, y1, x2, y2);
        break;
    case tpCircle:
        Canvas->Ellipse(x1, y1, x2, y2);
        break;
    case tpTriangle:
        Canvas->Polygon({{X, y1}, {x1, y2}, {x2, y2}});
        break;
    case tpDownTriangle:
        Canvas->Polygon({{X, y2}, {x1, y1}, {x2, y1}});
        break;
    case tpCross:
        cross();
        break;
    case tpDiagonalCross:
        diagonalCross();
        break;
    case tpStar:
        diagonalCross();
        cross();
        break;
    case tpDiamond:
        if (s % 2 != 0) --x2, --y2;
        Canvas->Polygon({{X, y1}, {x2, Y}, {X, y2}, {x1, Y}});
        break;
    }
}

void TKvLineSeries::DrawShapePoint(TCanvas* Canvas, int X, int Y)
{
    DrawPointShape(Canvas, FTypePoints, FShapeSize, X, Y);
}

// ---- Collection -------------------------------------------------------------------------
TKvChartLineSeries::TKvChartLineSeries(TKvChart* Chart) : FChart(Chart) {}

TKvChartLineSeries::~TKvChartLineSeries() = default;

TKvLineSeries* TKvChartLineSeries::Add()
{
    FItems.push_back(std::make_unique<TKvLineSeries>(this));
    return FItems.back().get();
}

TKvLineSeries* TKvChartLineSeries::GetItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)].get();
}

void TKvChartLineSeries::SetItem(int Index, const TKvLineSeries* Series) { GetItem(Index)->Assign(Series); }

void TKvChartLineSeries::Delete(int Index)
{
    GetItem(Index);
    FItems.erase(FItems.begin() + Index);
    Change(nullptr);
}

void TKvChartLineSeries::Clear()
{
    FItems.clear();
    Change(nullptr);
}

int TKvChartLineSeries::IndexOf(const TKvLineSeries* Series) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == Series) return static_cast<int>(i);
    return -1;
}

void TKvChartLineSeries::Change(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

void TKvChartLineSeries::DoPaint(TCanvas* Canvas, const TRect& Rect)
{
    for (int i = Count() - 1; i >= 0; --i) FItems[static_cast<size_t>(i)]->Paint(Canvas, Rect);
}

}  // namespace KVC
