#include "kvc/KvServiceFuncs.h"
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>
#include "platform/base/FloatFormat.h"
#include "platform/ui/KeyState.h"

namespace KVC {

namespace {
constexpr double DegToRad = std::numbers::pi / 180.0;

// sin and cos of whole degrees, with values within rounding of 0, 1 or -1 snapped to
// them: floor(cos 270 deg * w) must be 0, not -1.
double Snap(double Value)
{
    const double nearest = std::round(Value);
    return std::fabs(Value - nearest) < 1e-9 ? nearest : Value;
}
double SinDeg(double Degrees) { return Snap(std::sin(Degrees * DegToRad)); }
double CosDeg(double Degrees) { return Snap(std::cos(Degrees * DegToRad)); }
int Floor(double Value) { return static_cast<int>(std::floor(Value)); }
}  // namespace

// ---- Text ------------------------------------------------------------------------------

void CalcTextSize(TCanvas* Canvas, TSize& Size, int Angle, const std::string& Text)
{
    if (!Canvas) return;
    const TSize extent = Canvas->TextExtent(Text);
    const double s = SinDeg(Angle), c = CosDeg(Angle);
    Size.cx = std::abs(Floor(c * extent.cx)) + std::abs(Floor(s * extent.cy));
    Size.cy = std::abs(Floor(s * extent.cx)) + std::abs(Floor(c * extent.cy));
}

void CalcTextPos(TCanvas* Canvas, const TRect& Rect, TPoint& Pos, int Angle, const std::string& Text,
                 TAlignment Alignment, TTextLayout Layout)
{
    if (!Canvas) return;
    const int w = Canvas->TextWidth(Text);
    const int h = Canvas->TextHeight(Text);
    int dx = 0, dy = 0;
    if (Angle <= 90) {
        dy = Floor(SinDeg(Angle) * w);
    } else if (Angle <= 180) {
        dx = Floor(-CosDeg(Angle) * w);
        dy = Floor(CosDeg(180 - Angle) * h + SinDeg(Angle) * w);
    } else if (Angle <= 270) {
        dx = Floor(SinDeg(Angle - 180) * h - CosDeg(Angle) * w);
        dy = Floor(SinDeg(270 - Angle) * h);
    } else {
        dx = Floor(SinDeg(360 - Angle) * h);
    }
    Pos = TPoint{Rect.Left + dx, Rect.Top + dy};

    TSize turned;
    CalcTextSize(Canvas, turned, Angle, Text);
    if (Alignment == taCenter)
        Pos.x += (Rect.Width() - turned.cx) / 2;
    else if (Alignment == taRightJustify)
        Pos.x += Rect.Width() - turned.cx;
    if (Layout == tlCenter)
        Pos.y += (Rect.Height() - turned.cy) / 2;
    else if (Layout == tlBottom)
        Pos.y += Rect.Height() - turned.cy;
}

void DrawAngleText(TCanvas* Canvas, const TPoint& Pos, int Angle, const std::string& Text)
{
    if (!Canvas) return;
    TFont previous;
    previous.Assign(*Canvas->Font());
    TFont turned;
    turned.Assign(previous);
    turned.SetEscapement(Angle * 10);
    Canvas->Font()->Assign(turned);
    Canvas->TextOut(Pos.x, Pos.y, Text);
    Canvas->Font()->Assign(previous);
}

TTextLayout VerticalTextLayout(TAlignment Alignment)
{
    switch (Alignment) {
    case taRightJustify:
        return tlTop;
    case taCenter:
        return tlCenter;
    default:
        return tlBottom;
    }
}

void DrawTitleText(TCanvas* Canvas, TRect Rect, TPoint& Pos, int Angle, const std::string& Text, TAlignment Alignment,
                   TTextLayout Layout)
{
    if (!Canvas) return;
    static constexpr unsigned Horizontal[] = {DT_LEFT, DT_RIGHT, DT_CENTER};  // by TAlignment
    static constexpr unsigned Vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};   // by TTextLayout
    const unsigned format = DT_SINGLELINE | DT_EXPANDTABS | Horizontal[std::clamp<int>(Alignment, 0, 2)] |
                            Vertical[std::clamp<int>(Layout, 0, 2)];
    CalcTextPos(Canvas, Rect, Pos, Angle, Text, Alignment, Layout);
    if (Angle != 0) {
        DrawAngleText(Canvas, Pos, Angle, Text);
    } else {
        Canvas->DrawText(Text, Rect, format);
    }
}

// ---- B-spline ---------------------------------------------------------------------------

void buildKnots(int k, int n, float* Knots)
{
    if (!Knots || n < k - 1) return;
    for (int i = 0; i <= n + k; ++i) {
        if (i < k)
            Knots[i] = 0;
        else if (i <= n)
            Knots[i] = static_cast<float>(i - k + 1);
        else
            Knots[i] = static_cast<float>(n - k + 2);
    }
}

float bSpline(int i, int k, float t, const float* Knots)
{
    if (k == 1) {
        if ((Knots[i] < t && t <= Knots[i + 1]) || (t == 0 && Knots[i] == 0)) return 1;
        return 0;
    }
    float value = 0;
    const float left = Knots[i + k - 1] - Knots[i];
    if (left != 0) value += (t - Knots[i]) / left * bSpline(i, k - 1, t, Knots);
    const float right = Knots[i + k] - Knots[i + 1];
    if (right != 0) value += (Knots[i + k] - t) / right * bSpline(i + 1, k - 1, t, Knots);
    return value;
}

int GetCountBSplinePoints(int n, int k, float Step)
{
    if (n <= 0 || k <= 0 || k > n || !(Step > 0)) return 0;
    return static_cast<int>(std::trunc(static_cast<double>(n - k + 1) / Step + 1.5));
}

namespace {
// The parameter of point Index: Index times Step, never past the last knot, so that
// rounding cannot carry the last point beyond the curve (where every basis function is 0
// and the point would fall to the origin).
double Parameter(int Index, float Step, double Last) { return std::min(static_cast<double>(Index) * Step, Last); }

struct TPair {
    const float* In;
    float* Out;
    bool Complete() const { return In && Out; }
};
}  // namespace

int BuildBSplineCurve2d(int n, int k, float Step, const float* X, const float* Y, float* OutX, float* OutY)
{
    const TPair pairs[] = {{X, OutX}, {Y, OutY}};
    if (n <= 0 || k <= 0 || k > n || !(Step > 0) || !(pairs[0].Complete() || pairs[1].Complete())) return 0;
    std::vector<float> knots(static_cast<size_t>(n + k));
    buildKnots(k, n - 1, knots.data());
    const double last = n - k + 1;
    const int count = GetCountBSplinePoints(n, k, Step);
    for (int i = 0; i < count; ++i) {
        const double t = Parameter(i, Step, last);
        const int j0 = static_cast<int>(std::trunc(t));
        const int j1 = std::min(n, j0 + k);
        // The parameter is cut to three decimals, as the curve's knots are whole numbers.
        const float cut = static_cast<float>(std::trunc(t * 1000) * 0.001);
        for (const TPair& p : pairs) {
            if (p.Complete()) p.Out[i] = 0;
        }
        for (int j = j0; j < j1; ++j) {
            const float b = bSpline(j, k, cut, knots.data());
            for (const TPair& p : pairs) {
                if (p.Complete()) p.Out[i] += p.In[j] * b;
            }
        }
    }
    return count;
}

int GetCountBSplineSurfacePoints(int nu, int k, float StepU)
{
    if (nu <= 0 || k <= 0 || k > nu || !(StepU > 0)) return 0;
    const double last = nu - k + 1;
    // A step that divides the range up to float rounding still reaches the last knot.
    return static_cast<int>(std::floor(last / StepU + 1e-4)) + 1;
}

int BuildBSplineCurve3d(int nu, int nv, int k, float StepU, float V, const float* X, const float* Y, const float* Z,
                        float* OutX, float* OutY, float* OutZ)
{
    const TPair pairs[] = {{X, OutX}, {Y, OutY}, {Z, OutZ}};
    if (k <= 0 || nu <= 0 || nv <= 0 || k > nu || k > nv || !(StepU > 0)) return 0;
    if (!(pairs[0].Complete() || pairs[1].Complete() || pairs[2].Complete())) return 0;
    std::vector<float> knotsU(static_cast<size_t>(nu + k)), knotsV(static_cast<size_t>(nv + k));
    buildKnots(k, nu - 1, knotsU.data());
    buildKnots(k, nv - 1, knotsV.data());
    const double lastU = nu - k + 1;
    const int count = GetCountBSplineSurfacePoints(nu, k, StepU);
    // Rows and columns outside the control net are never read, also for V below 0.
    const int v0 = std::max(0, static_cast<int>(std::trunc(V)));
    const int v1 = std::min(nv, static_cast<int>(std::trunc(V)) + k);
    for (int i = 0; i < count; ++i) {
        const float u = static_cast<float>(Parameter(i, StepU, lastU));
        const int u0 = std::max(0, static_cast<int>(std::trunc(u)));
        const int u1 = std::min(nu, static_cast<int>(std::trunc(u)) + k);
        for (const TPair& p : pairs) {
            if (p.Complete()) p.Out[i] = 0;
        }
        for (int jv = v0; jv < v1; ++jv) {
            const float bv = bSpline(jv, k, V, knotsV.data());
            if (bv == 0) continue;
            for (int ju = u0; ju < u1; ++ju) {
                const float b = bSpline(ju, k, u, knotsU.data()) * bv;
                for (const TPair& p : pairs) {
                    if (p.Complete()) p.Out[i] += p.In[jv * nu + ju] * b;
                }
            }
        }
    }
    return count;
}

// ---- Bitmaps and colours ----------------------------------------------------------------

bool DoBilinearInterpolation(TBitmap* Source, TBitmap* Target, double ScaleX, double ScaleY, double OffsetX,
                             double OffsetY)
{
    if (!Source || !Target || ScaleX == 0 || ScaleY == 0) return false;
    if (Source->Empty() || Target->Empty()) return false;
    const int bits = Source->BitsPerPixel();
    if (bits % 8 != 0) return false;
    Target->SetPixelFormat(Source->GetPixelFormat());

    const int b = bits / 8;
    const int sw = Source->GetWidth(), sh = Source->GetHeight();
    const int tw = Target->GetWidth(), th = Target->GetHeight();
    const size_t sourceStride = static_cast<size_t>(Source->BytesPerLine());
    const size_t targetStride = static_cast<size_t>(Target->BytesPerLine());
    const std::vector<std::uint8_t> source = Source->GetBits();
    std::vector<std::uint8_t> target(targetStride * static_cast<size_t>(th), 0);
    auto S = [&](int Row, int Column, int Byte) -> double {
        return source[static_cast<size_t>(Row) * sourceStride + static_cast<size_t>(Column * b + Byte)];
    };
    for (int i = 0; i < th; ++i) {
        const double y = (i + OffsetY * (ScaleY - 1)) / ScaleY;
        const int y0 = std::clamp(static_cast<int>(std::floor(y)), 0, sh - 1);
        const int y1 = y0 + 1;
        const int upper = y1 < sh ? y1 : y0;
        for (int j = 0; j < tw; ++j) {
            const double x = (j + OffsetX * (ScaleX - 1)) / ScaleX;
            const int x0 = std::clamp(static_cast<int>(std::floor(x)), 0, sw - 1);
            const int x1 = x0 + 1;
            const int right = x1 < sw ? x1 : x0;
            for (int c = 0; c < b; ++c) {
                const double value = (y1 - y) * (x1 - x) * S(y0, x0, c) + (x - x0) * (y1 - y) * S(y0, right, c) +
                                     (y - y0) * (x1 - x) * S(upper, x0, c) + (y - y0) * (x - x0) * S(upper, right, c);
                // Offsets that reach past the picture extrapolate; the byte saturates.
                target[static_cast<size_t>(i) * targetStride + static_cast<size_t>(j * b + c)] =
                    static_cast<std::uint8_t>(std::clamp(std::trunc(value), 0.0, 255.0));
            }
        }
    }
    Target->SetBits(target);
    return true;
}

bool ChangeBitmapPixelColor(TBitmap* Bitmap, TColor OldColor, TColor NewColor, const TRect* Rect)
{
    if (!Bitmap) return false;
    const TRect whole{0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()};
    const TRect wanted = Rect ? *Rect : whole;
    if (wanted.Width() == 0 || wanted.Height() == 0) return false;
    const int bits = Bitmap->BitsPerPixel();
    if (bits < 24 || bits % 8 != 0) return false;
    TRect area;
    // Pixels outside the bitmap are neither read nor written.
    if (!IntersectRect(area, wanted, whole)) return true;
    const std::uint32_t oldValue = static_cast<std::uint32_t>(ColorToRGB(OldColor));
    const std::uint32_t newValue = static_cast<std::uint32_t>(ColorToRGB(NewColor));
    // Bytes blue, green, red read first byte highest give the colour constant's value.
    const std::uint8_t newBytes[3] = {std::uint8_t(newValue >> 16), std::uint8_t(newValue >> 8),
                                      std::uint8_t(newValue)};
    const int b = bits / 8;
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint8_t* row = Bitmap->ScanLine(y);
        for (int x = area.Left; x < area.Right; ++x) {
            std::uint8_t* pixel = row + x * b;
            const std::uint32_t value = (std::uint32_t(pixel[0]) << 16) | (std::uint32_t(pixel[1]) << 8) | pixel[2];
            if (value == oldValue) std::copy(newBytes, newBytes + 3, pixel);
        }
    }
    if (Bitmap->OnChange) Bitmap->OnChange(Bitmap);
    return true;
}

namespace {
// Truncates toward zero and keeps the low eight bits, without undefined conversions.
std::uint8_t LowByte(double Value)
{
    const double t = std::trunc(Value);
    if (!(std::fabs(t) < 9.0e18)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::int64_t>(t) & 0xFF);
}
}  // namespace

void ScaleEachByte(std::uint8_t* Bytes, int Count, double Factor)
{
    if (!Bytes) return;
    for (int i = 0; i < Count; ++i) Bytes[i] = LowByte(Bytes[i] * Factor);
}

std::uint32_t InterpolationColorBytes(std::uint32_t Color1, std::uint32_t Color2, double T)
{
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double b1 = (Color1 >> shift) & 0xFF, b2 = (Color2 >> shift) & 0xFF;
        result |= std::uint32_t(LowByte((b2 - b1) * T + b1)) << shift;
    }
    return result;
}

namespace {
TColor StripeColor(int Counter, TColor Color1, TColor Color2) { return Counter % 2 == 0 ? Color1 : Color2; }

bool NotPassed(double P, double Step, double End) { return Step >= 0 ? P <= End : P >= End; }

void LineToPoint(TCanvas* Canvas, double X, double Y)
{
    Canvas->LineTo(static_cast<int>(std::trunc(X)), static_cast<int>(std::trunc(Y)));
}
}  // namespace

void DrawStripyLine(TCanvas* Canvas, float X1, float Y1, float X2, float Y2, int PenWidth, int StripLength,
                    TColor Color1, TColor Color2)
{
    if (!Canvas || PenWidth <= 0 || StripLength <= 0) return;
    TPen saved;
    saved.Assign(*Canvas->Pen());
    const double length = std::hypot(double(X2) - X1, double(Y2) - Y1);
    if (length <= 0) return;
    const double sx = (double(X2) - X1) * StripLength / length, sy = (double(Y2) - Y1) * StripLength / length;
    Canvas->Pen()->SetWidth(PenWidth);
    Canvas->MoveTo(static_cast<int>(std::trunc(X1)), static_cast<int>(std::trunc(Y1)));
    double px = X1, py = Y1;
    int counter = 0;
    while (NotPassed(px, sx, X2) && NotPassed(py, sy, Y2)) {
        Canvas->Pen()->SetColor(StripeColor(counter, Color1, Color2));
        LineToPoint(Canvas, px, py);
        px += sx;
        py += sy;
        ++counter;
    }
    Canvas->Pen()->SetColor(StripeColor(counter, Color1, Color2));
    LineToPoint(Canvas, X2, Y2);
    Canvas->Pen()->Assign(saved);
}

void DrawStripyCurve(TCanvas* Canvas, int Count, const TDPoint* Points, int PenWidth, int StripLength, TColor Color1,
                     TColor Color2)
{
    if (!Canvas || !Points || PenWidth <= 0 || StripLength <= 0 || Count <= 0) return;
    TPen saved;
    saved.Assign(*Canvas->Pen());
    Canvas->Pen()->SetWidth(PenWidth);
    Canvas->MoveTo(static_cast<int>(std::trunc(Points[0].x)), static_cast<int>(std::trunc(Points[0].y)));
    int counter = 0;
    double remainder = 0;  // what the last stripe of the previous segment still lacks
    for (int m = 1; m < Count; ++m) {
        const TDPoint a = Points[m - 1], b = Points[m];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length <= 0) continue;
        const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
        const double sx = ux * StripLength, sy = uy * StripLength;
        double px = a.x, py = a.y;
        if (remainder > 0) {
            // The unfinished stripe goes on into this segment in its own colour.
            px += ux * remainder;
            py += uy * remainder;
            LineToPoint(Canvas, px, py);
            px += sx;
            py += sy;
            ++counter;
        }
        while (NotPassed(px, sx, b.x) && NotPassed(py, sy, b.y)) {
            Canvas->Pen()->SetColor(StripeColor(counter, Color1, Color2));
            LineToPoint(Canvas, px, py);
            px += sx;
            py += sy;
            ++counter;
        }
        px -= sx;
        py -= sy;
        Canvas->Pen()->SetColor(StripeColor(counter, Color1, Color2));
        LineToPoint(Canvas, b.x, b.y);
        const double left = std::hypot(b.x - px, b.y - py);
        remainder = left > 0 ? StripLength - left : 0;
    }
    Canvas->Pen()->Assign(saved);
}

// ---- Physical units ---------------------------------------------------------------------

namespace {
constexpr char Prefixes[] = {'n', 'u', 'm', '\0', 'K', 'M', 'G'};
constexpr int NoPrefix = 3;
const std::string Degree = "\xC2\xB0";  // the degree sign, never scaled

int PrefixIndex(char C)
{
    for (int i = 0; i < 7; ++i) {
        if (i != NoPrefix && Prefixes[i] == C) return i;
    }
    return NoPrefix;
}

void Reprefix(std::string& Unit, int From, int To)
{
    if (From != NoPrefix) Unit.erase(0, 1);
    if (To != NoPrefix) Unit.insert(Unit.begin(), Prefixes[To]);
}
}  // namespace

double ConvertPhisicalValue(std::string& Unit, char NewPrefix, std::uint8_t Mode)
{
    if (Unit.empty() || Mode < 1 || Mode > 3 || Unit == Degree) return 1;
    const int from = PrefixIndex(Unit[0]);
    const int to = PrefixIndex(NewPrefix);
    Reprefix(Unit, from, to);
    return std::pow(1000.0, from - to);
}

double ConvertPhisicalValue(double& Value, std::string& Unit, std::uint8_t Mode)
{
    if (Unit.empty() || Unit[0] == '(' || Unit[0] == '[' || Mode < 1 || Mode > 3 || Value == 0 || Unit == Degree)
        return 1;
    const double step = std::pow(1000.0, Mode);
    const int from = PrefixIndex(Unit[0]);
    int index = from;
    const double start = Value;
    while (std::fabs(Value) < 1 || std::fabs(Value) > step) {
        if (std::fabs(Value) > step) {
            if (index >= 6) break;
            Value /= step;
            ++index;
        }
        if (std::fabs(Value) < 1) {
            if (index <= 0) break;
            Value *= step;
            --index;
        }
    }
    Reprefix(Unit, from, index);
    return Value / start;
}

double ConvertPhisicalValueBack(std::string& Unit, double Value)
{
    // Zero and non-finite values have no order of magnitude: they keep their unit.
    if (Unit.empty() || Unit == Degree || Value == 0 || !std::isfinite(Value)) return Value;
    const int from = PrefixIndex(Unit[0]);
    const double wanted = std::trunc(std::log10(std::fabs(Value)) / 3 + from + 0.5);
    const int to = static_cast<int>(std::clamp(wanted, 0.0, 6.0));
    Reprefix(Unit, from, to);
    return Value * std::pow(1000.0, from - to);
}

double SelectRange(double& Min, double& Max, std::string& Unit)
{
    double larger = std::max(std::fabs(Min), std::fabs(Max));
    const double factor = ConvertPhisicalValue(larger, Unit, 1);
    Min *= factor;
    Max *= factor;
    return factor;
}

double CorrectAxisData(double& Min, double& Max, const std::string& Unit, std::string& NewUnit)
{
    NewUnit = Unit;
    return SelectRange(Min, Max, NewUnit);
}

// ---- Other ------------------------------------------------------------------------------

TShiftState GetCurShiftState(const TMessage& Message)
{
    struct TKeyShift {
        int Key;
        TShiftState Shift;
    };
    static constexpr TKeyShift Keys[] = {{0x12, ssAlt}, {0x10, ssShift}, {0x11, ssCtrl}};
    TShiftState state = 0;
    for (const TKeyShift& k : Keys) {
        if (GetKeyState(k.Key) < 0) state |= k.Shift;
    }
    TMouseButtonMessage mouse{};
    if (DecodeMouseButtonMessage(Message.Msg, mouse)) {
        static constexpr TShiftState Buttons[] = {ssLeft, ssRight, ssMiddle};
        state |= Buttons[mouse.Button];
        if (mouse.Double) state |= ssDouble;
    }
    return state;
}

}  // namespace KVC
