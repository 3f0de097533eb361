#include "platform/ui/Graphics.h"
#include "platform/ui/GraphicsQt.h"
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QTextLayout>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

// ---------------------------------------------------------------------------------------
// Geometry

void InflateRect(TRect& Rect, int Dx, int Dy)
{
    Rect.Left -= Dx;
    Rect.Top -= Dy;
    Rect.Right += Dx;
    Rect.Bottom += Dy;
}

void OffsetRect(TRect& Rect, int Dx, int Dy)
{
    Rect.Left += Dx;
    Rect.Right += Dx;
    Rect.Top += Dy;
    Rect.Bottom += Dy;
}

bool IntersectRect(TRect& Result, const TRect& A, const TRect& B)
{
    Result = TRect{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                   std::min(A.Bottom, B.Bottom)};
    if (Result.IsEmpty()) {
        Result = TRect{};
        return false;
    }
    return true;
}

bool PtInRect(const TRect& Rect, const TPoint& P)
{
    return P.x >= Rect.Left && P.x < Rect.Right && P.y >= Rect.Top && P.y < Rect.Bottom;
}

// ---------------------------------------------------------------------------------------
// Colours

namespace {
// One fixed scheme for the system colours, indexed by the system colour number.
constexpr TColor SystemColors[] = {RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219),
                                   RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
                                   RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(180, 180, 180), RGB(244, 247, 252),
                                   RGB(171, 171, 171), RGB(51, 153, 255),  RGB(255, 255, 255), RGB(240, 240, 240),
                                   RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(67, 78, 84),
                                   RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
                                   RGB(255, 255, 225), RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234),
                                   RGB(215, 228, 242), RGB(51, 153, 255),  RGB(240, 240, 240)};
}  // namespace

TColor ColorToRGB(TColor Color)
{
    if ((Color & clSystemColor) == clSystemColor) {
        const unsigned index = unsigned(Color) & 0xFFu;
        return index < std::size(SystemColors) ? SystemColors[index] : clBlack;
    }
    if (Color == clNone || Color == clDefault) return clBlack;
    return Color & 0x00FFFFFF;
}

QColor ToQColor(TColor Color)
{
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQRgb(unsigned Rgb) { return RGB(qRed(Rgb), qGreen(Rgb), qBlue(Rgb)); }

// ---------------------------------------------------------------------------------------
// Pen, brush, font

void TGraphicsObject::Changed()
{
    if (OnChange) OnChange(this);
}

#define ZEL_SET_FIELD(Field, Value) \
    do {                            \
        if (Field == Value) return; \
        Field = Value;              \
        Changed();                  \
    } while (false)

void TPen::SetColor(TColor Value) { ZEL_SET_FIELD(FColor, Value); }
void TPen::SetWidth(int Value) { ZEL_SET_FIELD(FWidth, Value); }
void TPen::SetStyle(TPenStyle Value) { ZEL_SET_FIELD(FStyle, Value); }
void TPen::SetMode(TPenMode Value) { ZEL_SET_FIELD(FMode, Value); }
void TPen::Assign(const TPen& Source)
{
    FColor = Source.FColor;
    FWidth = Source.FWidth;
    FStyle = Source.FStyle;
    FMode = Source.FMode;
    Changed();
}

void TBrush::SetColor(TColor Value) { ZEL_SET_FIELD(FColor, Value); }
void TBrush::SetStyle(TBrushStyle Value) { ZEL_SET_FIELD(FStyle, Value); }
void TBrush::Assign(const TBrush& Source)
{
    FColor = Source.FColor;
    FStyle = Source.FStyle;
    Changed();
}

namespace {
// Multiplies and divides with rounding to the nearest integer, halves away from zero.
int MulDiv(int Number, int Numerator, int Denominator)
{
    const long long product = static_cast<long long>(Number) * Numerator;
    const long long half = Denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / Denominator : (product - half) / Denominator);
}
}  // namespace

TFont::TFont() : FName("DejaVu Sans"), FHeight(-MulDiv(8, ScreenPixelsPerInch, 72)) {}

void TFont::SetName(const std::string& Value) { ZEL_SET_FIELD(FName, Value); }
int TFont::GetSize() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch); }
void TFont::SetSize(int Points) { SetHeight(-MulDiv(Points, ScreenPixelsPerInch, 72)); }
void TFont::SetHeight(int Value) { ZEL_SET_FIELD(FHeight, Value); }
void TFont::SetColor(TColor Value) { ZEL_SET_FIELD(FColor, Value); }
void TFont::SetStyle(TFontStyles Value) { ZEL_SET_FIELD(FStyle, Value); }
void TFont::SetEscapement(int TenthsOfDegree) { ZEL_SET_FIELD(FEscapement, TenthsOfDegree); }
void TFont::SetOrientation(int TenthsOfDegree) { ZEL_SET_FIELD(FOrientation, TenthsOfDegree); }
void TFont::Assign(const TFont& Source)
{
    FName = Source.FName;
    FHeight = Source.FHeight;
    FColor = Source.FColor;
    FStyle = Source.FStyle;
    FEscapement = Source.FEscapement;
    FOrientation = Source.FOrientation;
    Changed();
}

#undef ZEL_SET_FIELD

QFont ToQFont(const TFont& Font)
{
    QFont f(QString::fromStdString(Font.GetName()));
    f.setBold(Font.GetStyle().Contains(fsBold));
    f.setItalic(Font.GetStyle().Contains(fsItalic));
    f.setUnderline(Font.GetStyle().Contains(fsUnderline));
    f.setStrikeOut(Font.GetStyle().Contains(fsStrikeOut));
    int height = Font.GetHeight();
    if (height == 0) height = -MulDiv(8, ScreenPixelsPerInch, 72);
    if (height < 0) {
        f.setPixelSize(-height);
    } else {
        // A positive height asks for the whole cell (ascent + descent).
        f.setPixelSize(height);
        const int cell = QFontMetrics(f).height();
        if (cell > 0) f.setPixelSize(std::max(1, static_cast<int>(std::lround(double(height) * height / cell))));
    }
    return f;
}

// ---------------------------------------------------------------------------------------
// Canvas

namespace {
bool IsIndexed(const QImage& Image)
{
    return Image.format() == QImage::Format_Mono || Image.format() == QImage::Format_MonoLSB ||
           Image.format() == QImage::Format_Indexed8;
}

Qt::PenStyle ToQtPenStyle(TPenStyle Style)
{
    switch (Style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle Style)
{
    switch (Style) {
    case bsClear:
        return Qt::NoBrush;
    case bsHorizontal:
        return Qt::HorPattern;
    case bsVertical:
        return Qt::VerPattern;
    case bsFDiagonal:
        return Qt::FDiagPattern;
    case bsBDiagonal:
        return Qt::BDiagPattern;
    case bsCross:
        return Qt::CrossPattern;
    case bsDiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

TRect Normalized(int X1, int Y1, int X2, int Y2)
{
    return TRect{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}
}  // namespace

// A painter for one drawing call: the attached painter (state saved and restored) or a
// painter opened on the surface. Indexed bitmaps cannot be painted directly, so they are
// drawn through a 32-bit copy that is mapped back to the colour table afterwards.
struct TCanvas::TPainterScope {
    explicit TPainterScope(const TCanvas& Canvas) : FCanvas(Canvas)
    {
        if (Canvas.FBitmapOwner) Canvas.FBitmapOwner->UseDrawingLayout();
        if (Canvas.FAttached) {
            P = Canvas.FAttached;
            P->save();
        } else if (Canvas.FImage) {
            if (Canvas.FImage->isNull()) return;
            if (IsIndexed(*Canvas.FImage)) {
                FIndexedCopy = Canvas.FImage->convertToFormat(QImage::Format_RGB32);
                FOwn.emplace(&*FIndexedCopy);
            } else if (Canvas.FDrawingDepth > 0) {
                // Inside a drawing pass: the pass's painter, this call's state saved.
                auto& shared = const_cast<TCanvas&>(Canvas).FPassPainter;
                if (!shared) {
                    shared = std::make_unique<QPainter>(Canvas.FImage);
                    shared->setRenderHint(QPainter::Antialiasing, false);
                    shared->setRenderHint(QPainter::SmoothPixmapTransform, false);
                }
                P = shared.get();
                P->save();
                FShared = true;
            } else {
                FOwn.emplace(Canvas.FImage);
            }
            if (!P) P = &*FOwn;
        } else if (Canvas.FDevice) {
            FOwn.emplace(Canvas.FDevice);
            P = &*FOwn;
        }
        if (!P) return;
        P->setRenderHint(QPainter::Antialiasing, false);
        P->setRenderHint(QPainter::SmoothPixmapTransform, false);
        if (Canvas.FHasClip) P->setClipRect(ToQRect(Canvas.FClip));
    }
    ~TPainterScope()
    {
        if (!P) return;
        if (FCanvas.FAttached) {
            P->restore();
            return;
        }
        if (FShared) P->restore();
        FOwn.reset();
        if (FIndexedCopy) {
            QImage& target = *FCanvas.FImage;
            target = FIndexedCopy->convertToFormat(target.format(), target.colorTable(),
                                                   Qt::ThresholdDither | Qt::AvoidDither);
        }
        FCanvas.Changed();
    }
    TPainterScope(const TPainterScope&) = delete;
    TPainterScope& operator=(const TPainterScope&) = delete;

    // Pen of the canvas; a 1-pixel pen leaves out the end pixel of a line (flat cap).
    void UsePen()
    {
        const TPen& pen = *FCanvas.FPen;
        ApplyMode(pen.GetMode(), pen.GetColor());
        if (pen.GetMode() == pmNop) {
            P->setPen(Qt::NoPen);
            return;
        }
        P->setPen(PenForStyle(pen));
    }
    void UseBrush()
    {
        const TBrush& brush = *FCanvas.FBrush;
        P->setBrush(QBrush(ToQColor(brush.GetColor()), ToQtBrushStyle(brush.GetStyle())));
    }
    void ApplyMode(TPenMode Mode, TColor)
    {
        switch (Mode) {
        case pmXor:
            P->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case pmNotXor:
            P->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
            break;
        case pmNot:
            P->setCompositionMode(QPainter::RasterOp_NotDestination);
            break;
        case pmNotCopy:
            P->setCompositionMode(QPainter::RasterOp_NotSource);
            break;
        default:
            P->setCompositionMode(QPainter::CompositionMode_SourceOver);
            break;
        }
    }
    // A line without its end pixel. One-pixel pens are rasterised here, the same in
    // every direction, with the platform's dash patterns; wider pens go to the painter.
    void Line(int X1, int Y1, int X2, int Y2)
    {
        if (X1 == X2 && Y1 == Y2) return;
        const TPen& pen = *FCanvas.FPen;
        if (pen.GetStyle() == psClear || pen.GetMode() == pmNop) return;
        if (pen.GetWidth() > 1) {
            P->drawLine(X1, Y1, X2, Y2);
            return;
        }
        if (QImage* rows = FCanvas.LineRows()) {
            FCanvas.WriteLine(*rows, X1, Y1, X2, Y2);
            return;
        }
        const std::vector<int>& pattern = DashPattern(pen.GetStyle());
        int patternLength = 0;
        for (int part : pattern) patternLength += part;
        QPolygon points;
        const int dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
        const int sx = X1 < X2 ? 1 : -1, sy = Y1 < Y2 ? 1 : -1;
        int err = dx - dy, x = X1, y = Y1;
        for (int n = 0; x != X2 || y != Y2; ++n) {
            if (pattern.empty() || PatternOn(pattern, n % patternLength)) points << QPoint(x, y);
            const int e2 = 2 * err;
            if (e2 > -dy) err -= dy, x += sx;
            if (e2 < dx) err += dx, y += sy;
        }
        QPen dots = P->pen();
        dots.setStyle(Qt::SolidLine);
        dots.setWidth(0);
        dots.setCapStyle(Qt::SquareCap);
        P->setPen(dots);
        P->drawPoints(points);
        P->setPen(PenForStyle(pen));
    }
    static const std::vector<int>& DashPattern(TPenStyle Style)
    {
        static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
        switch (Style) {
        case psDash:
            return dash;
        case psDot:
            return dot;
        case psDashDot:
            return dashDot;
        case psDashDotDot:
            return dashDotDot;
        default:
            return none;
        }
    }
    static bool PatternOn(const std::vector<int>& Pattern, int Position)
    {
        for (size_t i = 0; i < Pattern.size(); ++i) {
            if (Position < Pattern[i]) return i % 2 == 0;
            Position -= Pattern[i];
        }
        return false;
    }
    QPen PenForStyle(const TPen& Pen) const
    {
        QPen qpen(ModeColor(Pen.GetMode(), Pen.GetColor()));
        qpen.setStyle(ToQtPenStyle(Pen.GetStyle()));
        qpen.setWidth(Pen.GetWidth() <= 1 ? 0 : Pen.GetWidth());
        qpen.setCapStyle(Pen.GetWidth() <= 1 ? Qt::FlatCap : Qt::RoundCap);
        qpen.setJoinStyle(Qt::MiterJoin);
        return qpen;
    }
    static QColor ModeColor(TPenMode Mode, TColor Color)
    {
        if (Mode == pmBlack) return QColor(0, 0, 0);
        if (Mode == pmWhite) return QColor(255, 255, 255);
        return ToQColor(Color);
    }

    QPainter* P = nullptr;

private:
    const TCanvas& FCanvas;
    std::optional<QImage> FIndexedCopy;
    std::optional<QPainter> FOwn;
    bool FShared = false;
};

TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>())
{
}

TCanvas::~TCanvas() = default;

void TCanvas::SetPaintDevice(QPaintDevice* Device) { FDevice = Device; }

void TCanvas::AttachPainter(QPainter* Painter) { FAttached = Painter; }

void TCanvas::DetachPainter() { FAttached = nullptr; }

void TCanvas::SetImage(QImage* Image, TBitmap* Owner)
{
    FImage = Image;
    FBitmapOwner = Owner;
}

void TCanvas::BeginDrawing() { ++FDrawingDepth; }

void TCanvas::EndDrawing()
{
    if (FDrawingDepth == 0) return;
    if (--FDrawingDepth == 0) EndPainter();
}

void TCanvas::EndPainter() { FPassPainter.reset(); }

void TCanvas::Changed() const
{
    if (FBitmapOwner && FBitmapOwner->OnChange) FBitmapOwner->OnChange(FBitmapOwner);
}

QImage* TCanvas::Rows32() const
{
    if (FAttached || !FImage || !FBitmapOwner) return nullptr;
    FBitmapOwner->UseDrawingLayout();
    return FImage->format() == QImage::Format_RGB32 && !FImage->isNull() ? FImage : nullptr;
}

QImage* TCanvas::LineRows() const
{
    if (FPen->GetWidth() > 1 || FPen->GetMode() != pmCopy || FPen->GetStyle() == psClear) return nullptr;
    return Rows32();
}

// The one-pixel line rule (Bresenham steps, end pixel left out, the pen's dash pattern
// counted from the start of each line) written straight into 32-bit rows within a box.
// The surface, clip, colour and pattern are worked out once for all the lines of a call.
class TCanvas::TRowLines {
public:
    TRowLines(const TCanvas& Canvas, QImage& Rows)
        : FBits(Rows.bits()),
          FStride(Rows.bytesPerLine()),
          FBox{0, 0, Rows.width(), Rows.height()},
          FPattern(TPainterScope::DashPattern(Canvas.FPen->GetStyle()))
    {
        if (Canvas.FHasClip && !IntersectRect(FBox, FBox, Canvas.FClip)) FBox = TRect{};
        for (int part : FPattern) FPatternLength += part;
        const TColor rgb = ColorToRGB(Canvas.FPen->GetColor());
        FPixel = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    }

    void Line(int X1, int Y1, int X2, int Y2) const
    {
        if ((X1 == X2 && Y1 == Y2) || FBox.IsEmpty()) return;
        if (std::max(X1, X2) < FBox.Left || std::min(X1, X2) >= FBox.Right || std::max(Y1, Y2) < FBox.Top ||
            std::min(Y1, Y2) >= FBox.Bottom)
            return;
        if (!FPattern.empty()) {
            Dashed(X1, Y1, X2, Y2);
            return;
        }
        // Straight lines are spans: the pixels from the start up to, not including, the end.
        if (X1 == X2) {
            const int top = std::max(Y1 < Y2 ? Y1 : Y2 + 1, FBox.Top);
            const int bottom = std::min(Y1 < Y2 ? Y2 : Y1 + 1, FBox.Bottom);
            for (int y = top; y < bottom; ++y) Row(y)[X1] = FPixel;
            return;
        }
        if (Y1 == Y2) {
            const int left = std::max(X1 < X2 ? X1 : X2 + 1, FBox.Left);
            const int right = std::min(X1 < X2 ? X2 : X1 + 1, FBox.Right);
            if (left < right) std::fill(Row(Y1) + left, Row(Y1) + right, FPixel);
            return;
        }
        // Every pixel of a line lies between its ends: with both ends inside nothing is checked.
        if (Inside(X1, Y1) && Inside(X2, Y2))
            Steps(X1, Y1, X2, Y2, [this](int X, int Y) { Row(Y)[X] = FPixel; });
        else
            Steps(X1, Y1, X2, Y2, [this](int X, int Y) {
                if (Inside(X, Y)) Row(Y)[X] = FPixel;
            });
    }

private:
    QRgb* Row(int Y) const { return reinterpret_cast<QRgb*>(FBits + Y * FStride); }
    bool Inside(int X, int Y) const { return X >= FBox.Left && X < FBox.Right && Y >= FBox.Top && Y < FBox.Bottom; }
    template <class TPut>
    static void Steps(int X1, int Y1, int X2, int Y2, TPut Put)
    {
        const int dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
        const int sx = X1 < X2 ? 1 : -1, sy = Y1 < Y2 ? 1 : -1;
        int err = dx - dy, x = X1, y = Y1;
        while (x != X2 || y != Y2) {
            Put(x, y);
            const int e2 = 2 * err;
            if (e2 > -dy) err -= dy, x += sx;
            if (e2 < dx) err += dx, y += sy;
        }
    }
    void Dashed(int X1, int Y1, int X2, int Y2) const
    {
        int n = 0;
        Steps(X1, Y1, X2, Y2, [&](int X, int Y) {
            if (Inside(X, Y) && TPainterScope::PatternOn(FPattern, n % FPatternLength)) Row(Y)[X] = FPixel;
            ++n;
        });
    }

    uchar* FBits;
    qsizetype FStride;
    TRect FBox;
    const std::vector<int>& FPattern;
    int FPatternLength = 0;
    QRgb FPixel = 0;
};

void TCanvas::WriteLine(QImage& Rows, int X1, int Y1, int X2, int Y2) const
{
    TRowLines(*this, Rows).Line(X1, Y1, X2, Y2);
}

TSize TCanvas::SurfaceSize() const
{
    if (FImage) return TSize{FImage->width(), FImage->height()};
    if (FAttached && FAttached->device()) return TSize{FAttached->device()->width(), FAttached->device()->height()};
    if (FDevice) return TSize{FDevice->width(), FDevice->height()};
    return TSize{};
}

void TCanvas::MoveTo(int X, int Y) { FPenPos = TPoint{X, Y}; }

void TCanvas::LineTo(int X, int Y)
{
    if (QImage* rows = LineRows()) {
        WriteLine(*rows, FPenPos.x, FPenPos.y, X, Y);
        Changed();
    } else {
        TPainterScope scope(*this);
        if (scope.P) {
            scope.UsePen();
            scope.Line(FPenPos.x, FPenPos.y, X, Y);
        }
    }
    FPenPos = TPoint{X, Y};
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    if (QImage* rows = LineRows()) {
        const TRowLines lines(*this, *rows);
        for (size_t i = 1; i < Points.size(); ++i)
            lines.Line(Points[i - 1].x, Points[i - 1].y, Points[i].x, Points[i].y);
        Changed();
        return;
    }
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.UsePen();
    // Segment by segment, so that each pixel is drawn once (raster modes such as XOR
    // depend on it) and the last point is left out like a line's end.
    for (size_t i = 1; i < Points.size(); ++i) scope.Line(Points[i - 1].x, Points[i - 1].y, Points[i].x, Points[i].y);
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    TPainterScope scope(*this);
    if (!scope.P || Points.empty()) return;
    scope.UsePen();
    scope.UseBrush();
    QPolygon polygon;
    for (const TPoint& p : Points) polygon << QPoint(p.x, p.y);
    scope.P->drawPolygon(polygon);
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    const TRect r = Normalized(X1, Y1, X2, Y2);
    if (r.IsEmpty()) return;
    TPainterScope scope(*this);
    if (!scope.P) return;
    const bool penVisible = FPen->GetStyle() != psClear && FPen->GetMode() != pmNop;
    if (FBrush->GetStyle() != bsClear) {
        // Without a pen the filled area is one pixel smaller, as the outline would be.
        TRect fill = penVisible ? TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}
                                : TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
        if (!fill.IsEmpty()) {
            scope.P->fillRect(ToQRect(fill), QBrush(ToQColor(FBrush->GetColor()), ToQtBrushStyle(FBrush->GetStyle())));
        }
    }
    if (!penVisible) return;
    scope.UsePen();
    scope.P->setBrush(Qt::NoBrush);
    if (FPen->GetWidth() <= 1) {
        // Each edge pixel once: top and bottom rows whole, the side columns between them.
        const int right = r.Right - 1, bottom = r.Bottom - 1;
        scope.Line(r.Left, r.Top, right + 1, r.Top);
        if (bottom > r.Top) scope.Line(r.Left, bottom, right + 1, bottom);
        if (bottom - 1 > r.Top) {
            scope.Line(r.Left, r.Top + 1, r.Left, bottom);
            if (right > r.Left) scope.Line(right, r.Top + 1, right, bottom);
        }
    } else {
        scope.P->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    }
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    const TRect r = Normalized(X1, Y1, X2, Y2);
    if (r.IsEmpty()) return;
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.UsePen();
    scope.UseBrush();
    scope.P->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

void TCanvas::FillRect(const TRect& R)
{
    if (R.IsEmpty() || FBrush->GetStyle() == bsClear) return;
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.P->fillRect(ToQRect(R), QBrush(ToQColor(FBrush->GetColor()), ToQtBrushStyle(FBrush->GetStyle())));
}

void TCanvas::FrameRect(const TRect& R)
{
    if (R.IsEmpty()) return;
    TPainterScope scope(*this);
    if (!scope.P) return;
    const QColor color = ToQColor(FBrush->GetColor());
    scope.P->fillRect(QRect(R.Left, R.Top, R.Width(), 1), color);
    scope.P->fillRect(QRect(R.Left, R.Bottom - 1, R.Width(), 1), color);
    scope.P->fillRect(QRect(R.Left, R.Top, 1, R.Height()), color);
    scope.P->fillRect(QRect(R.Right - 1, R.Top, 1, R.Height()), color);
}

TColor TCanvas::GetPixel(int X, int Y) const
{
    if (!FImage || !FImage->valid(X, Y)) return -1;
    if (FHasClip && !PtInRect(FClip, TPoint{X, Y})) return -1;
    return FromQRgb(FImage->pixel(X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color)
{
    if (FImage && !FImage->valid(X, Y)) return;
    if (FImage && !IsIndexed(*FImage) && !FHasClip) {
        FImage->setPixelColor(X, Y, ToQColor(Color));
        if (FBitmapOwner && FBitmapOwner->OnChange) FBitmapOwner->OnChange(FBitmapOwner);
        return;
    }
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.P->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
}

// The window system's font for one canvas font, with the texts measured and laid out in
// it: charts measure and draw the same labels several times a paint and again each
// paint, and every measure or drawing of a plain string shapes the text anew.
struct TCanvas::TQtFont {
    explicit TQtFont(const TFont& F)
        : Name(F.GetName()), Height(F.GetHeight()), Style(F.GetStyle().Bits), Font(ToQFont(F)), Metrics(Font)
    {
    }
    std::string Name;
    int Height;
    unsigned Style;
    QFont Font;
    QFontMetrics Metrics;

    // Placing one label asks for its size several times in a row.
    int Width(const std::string& Text) const
    {
        if (FLastWidth < 0 || Text != FLastText) {
            FLastWidth = Width(QString::fromStdString(Text));
            FLastText = Text;
        }
        return FLastWidth;
    }

    int Width(const QString& Text) const
    {
        if (const auto known = FWidths.constFind(Text); known != FWidths.constEnd()) return *known;
        // Bounded: a canvas that draws ever new texts (a clock, a counter) keeps only the recent ones.
        if (FWidths.size() >= MaxTexts) FWidths.clear();
        const int width = Metrics.horizontalAdvance(Text);
        FWidths.insert(Text, width);
        return width;
    }

    // One line of text with its cell's top-left corner at the painter's origin.
    void Draw(QPainter& P, const QString& Text, const QColor& TextColor, const std::optional<QColor>& Background,
              int UnderlineIndex = -1) const
    {
        if (Background) P.fillRect(QRect(0, 0, Width(Text), Metrics.height()), *Background);
        P.setFont(Font);
        P.setPen(TextColor);
        // The glyphs laid out once draw the pixels the painter's own text drawing draws;
        // its underline and strike-out lines are the painter's alone.
        if (Font.underline() || Font.strikeOut()) {
            P.drawText(0, Metrics.ascent(), Text);
        } else {
            const TLaidOut& text = LaidOut(Text);
            for (const QGlyphRun& run : text.Runs) P.drawGlyphRun(QPointF(0, Metrics.ascent() - text.Baseline), run);
        }
        if (UnderlineIndex >= 0 && UnderlineIndex < Text.size()) {
            const int x0 = Width(Text.left(UnderlineIndex));
            const int x1 = Width(Text.left(UnderlineIndex + 1));
            P.fillRect(QRect(x0, Metrics.ascent() + 1, std::max(1, x1 - x0), 1), TextColor);
        }
    }

    // Whether the pixels Draw writes for Text, with the cell's top-left corner at X, Y of
    // a painter that only moves by whole pixels, all lie inside Area: a clip to Area then
    // cuts nothing. The glyphs' own pixels may reach past the cell, so they are found
    // once per text by drawing it on a scratch picture.
    bool DrawsWithin(const QString& Text, int X, int Y, const QRect& Area, QPainter::RenderHints Hints) const
    {
        if (Font.underline() || Font.strikeOut() || Hints != ScratchHints()) return false;
        const QRect cell(X, Y, Width(Text), Metrics.height());
        if (!Area.contains(cell)) return false;
        if (!LaidOut(Text).InkKnown) {
            const QRect ink = FindInk(Text);
            const TLaidOut& text = LaidOut(Text);
            text.Ink = ink;
            text.InkKnown = true;
        }
        const QRect& ink = LaidOut(Text).Ink;
        return ink.isEmpty() || Area.contains(ink.translated(X, Y));
    }
    // The hints of the painters the canvas opens, which the scratch picture is drawn with.
    static QPainter::RenderHints ScratchHints()
    {
        static const QPainter::RenderHints hints = [] {
            QImage image(1, 1, QImage::Format_RGB32);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            return painter.renderHints();
        }();
        return hints;
    }

private:
    static constexpr qsizetype MaxTexts = 512;
    struct TLaidOut {
        QList<QGlyphRun> Runs;
        qreal Baseline = 0;
        mutable QRect Ink;
        mutable bool InkKnown = false;
    };
    // The pixels the glyphs change, relative to the cell's corner: drawn dark on light and
    // light on dark, so that the faintest coverage shows in one of them. Glyphs that reach
    // the scratch picture's edge give a rectangle no area contains.
    QRect FindInk(const QString& Text) const
    {
        const int margin = std::max(8, 2 * Metrics.height());
        QImage scratch(Width(Text) + 2 * margin, Metrics.height() + 2 * margin, QImage::Format_RGB32);
        QRect ink;
        for (const auto& [back, fore] : {std::pair{Qt::white, Qt::black}, std::pair{Qt::black, Qt::white}}) {
            const QRgb untouched = QColor(back).rgb();
            scratch.fill(back);
            {
                QPainter painter(&scratch);
                painter.setRenderHints(ScratchHints(), true);
                painter.setRenderHints(~ScratchHints(), false);
                painter.translate(margin, margin);
                Draw(painter, Text, QColor(fore), std::nullopt);
            }
            for (int y = 0; y < scratch.height(); ++y) {
                const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
                for (int x = 0; x < scratch.width(); ++x)
                    if (row[x] != untouched) ink |= QRect(x, y, 1, 1);
            }
        }
        if (ink.isEmpty()) return ink;
        if (ink.left() == 0 || ink.top() == 0 || ink.right() == scratch.width() - 1 ||
            ink.bottom() == scratch.height() - 1)
            return QRect(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21);
        return ink.translated(-margin, -margin);
    }
    const TLaidOut& LaidOut(const QString& Text) const
    {
        if (const auto known = FLaidOut.constFind(Text); known != FLaidOut.constEnd()) return *known;
        if (FLaidOut.size() >= MaxTexts) FLaidOut.clear();
        QTextLayout layout(Text, Font);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        TLaidOut laidOut;
        if (line.isValid()) {
            laidOut.Runs = layout.glyphRuns();
            laidOut.Baseline = line.ascent();
        }
        return *FLaidOut.insert(Text, laidOut);
    }

    mutable QHash<QString, int> FWidths;
    mutable std::string FLastText;
    mutable int FLastWidth = -1;
    mutable QHash<QString, TLaidOut> FLaidOut;
};

const TCanvas::TQtFont& TCanvas::QtFont() const
{
    const TFont& f = *FFont;
    auto same = [&f](const std::unique_ptr<TQtFont>& Q) {
        return Q->Height == f.GetHeight() && Q->Style == f.GetStyle().Bits && Q->Name == f.GetName();
    };
    // The few fonts a picture alternates between (titles, labels, legend) are kept, the
    // latest first.
    auto it = std::find_if(FQtFonts.begin(), FQtFonts.end(), same);
    if (it == FQtFonts.end()) {
        if (FQtFonts.size() >= 4) FQtFonts.pop_back();
        FQtFonts.insert(FQtFonts.begin(), std::make_unique<TQtFont>(f));
    } else if (it != FQtFonts.begin()) {
        std::rotate(FQtFonts.begin(), it, it + 1);
    }
    return *FQtFonts.front();
}

TSize TCanvas::TextExtent(const std::string& Text) const
{
    const TQtFont& font = QtFont();
    return TSize{font.Width(Text), font.Metrics.height()};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text)
{
    {
        TPainterScope scope(*this);
        if (scope.P) {
            scope.P->translate(X, Y);
            // Escapement turns counter-clockwise; on a y-down surface that is a negative angle.
            if (FFont->GetEscapement() != 0) scope.P->rotate(-FFont->GetEscapement() / 10.0);
            std::optional<QColor> background;
            if (FBrush->GetStyle() != bsClear) background = ToQColor(FBrush->GetColor());
            QtFont().Draw(*scope.P, QString::fromStdString(Text), ToQColor(FFont->GetColor()), background);
        }
    }
    FPenPos = TPoint{X + TextWidth(Text), Y};
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text)
{
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.P->setClipRect(ToQRect(R), FHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
    if (FBrush->GetStyle() != bsClear) scope.P->fillRect(ToQRect(R), ToQColor(FBrush->GetColor()));
    scope.P->translate(X, Y);
    if (FFont->GetEscapement() != 0) scope.P->rotate(-FFont->GetEscapement() / 10.0);
    QtFont().Draw(*scope.P, QString::fromStdString(Text), ToQColor(FFont->GetColor()), std::nullopt);
}

namespace {
struct TTextLine {
    QString Text;
    int Underline = -1;
};

// "&" marks the next character as the accelerator (underlined); "&&" is a plain "&".
TTextLine StripPrefix(const QString& Text)
{
    TTextLine line;
    for (int i = 0; i < Text.size(); ++i) {
        if (Text[i] == QLatin1Char('&') && i + 1 < Text.size()) {
            ++i;
            if (Text[i] != QLatin1Char('&')) line.Underline = line.Text.size();
        } else if (Text[i] == QLatin1Char('&')) {
            continue;
        }
        line.Text += Text[i];
    }
    return line;
}

QString ExpandTabs(const QString& Text, const QFontMetrics& Metrics)
{
    const int stop = std::max(1, 8 * Metrics.averageCharWidth());
    QString out;
    for (QChar c : Text) {
        if (c != QLatin1Char('\t')) {
            out += c;
            continue;
        }
        const int width = Metrics.horizontalAdvance(out);
        const int target = (width / stop + 1) * stop;
        do out += QLatin1Char(' ');
        while (Metrics.horizontalAdvance(out) < target);
    }
    return out;
}

std::vector<QString> WrapWords(const QString& Line, const QFontMetrics& Metrics, int Width)
{
    std::vector<QString> lines;
    QString current;
    for (const QString& word : Line.split(QLatin1Char(' '))) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && Metrics.horizontalAdvance(candidate) > Width) {
            lines.push_back(current);
            current = word;
        } else {
            current = candidate;
        }
    }
    lines.push_back(current);
    return lines;
}
}  // namespace

int TCanvas::DrawText(const std::string& Text, TRect& R, unsigned Format)
{
    // The font stays the same for the whole call (and its entry in place).
    const TQtFont& font = QtFont();
    const QFontMetrics& metrics = font.Metrics;
    const int lineHeight = metrics.height();

    QString source = QString::fromStdString(Text);
    std::vector<QString> rawLines;
    if (Format & DT_SINGLELINE) {
        source.remove(QLatin1Char('\r'));
        source.replace(QLatin1Char('\n'), QLatin1Char(' '));
        rawLines.push_back(source);
    } else {
        source.remove(QLatin1Char('\r'));
        for (const QString& l : source.split(QLatin1Char('\n'))) rawLines.push_back(l);
    }

    std::vector<TTextLine> lines;
    // Labels drawn a paint at a time rarely hold a tab or an accelerator: such lines are
    // taken as they are.
    for (QString raw : rawLines) {
        if ((Format & DT_EXPANDTABS) && raw.contains(QLatin1Char('\t'))) raw = ExpandTabs(raw, metrics);
        if ((Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE)) {
            for (const QString& piece : WrapWords(raw, metrics, R.Width()))
                lines.push_back((Format & DT_NOPREFIX) ? TTextLine{piece, -1} : StripPrefix(piece));
        } else if ((Format & DT_NOPREFIX) || !raw.contains(QLatin1Char('&'))) {
            lines.push_back(TTextLine{std::move(raw), -1});
        } else {
            lines.push_back(StripPrefix(raw));
        }
    }

    int widest = 0;
    for (const TTextLine& l : lines) widest = std::max(widest, font.Width(l.Text));
    const int total = lineHeight * static_cast<int>(lines.size());

    if (Format & DT_CALCRECT) {
        R.Right = R.Left + widest;
        R.Bottom = R.Top + total;
        return total;
    }

    int top = R.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            top = R.Top + (R.Height() - lineHeight) / 2;
        else if (Format & DT_BOTTOM)
            top = R.Bottom - lineHeight;
    }

    TPainterScope scope(*this);
    if (scope.P) {
        std::optional<QColor> background;
        if (FBrush->GetStyle() != bsClear) background = ToQColor(FBrush->GetColor());
        std::vector<QPoint> corners;
        corners.reserve(lines.size());
        int y = top;
        for (const TTextLine& l : lines) {
            const int width = font.Width(l.Text);
            int x = R.Left;
            if (Format & DT_CENTER)
                x = R.Left + (R.Width() - width) / 2;
            else if (Format & DT_RIGHT)
                x = R.Right - width;
            corners.emplace_back(x, y);
            y += lineHeight;
        }
        const QTransform transform = scope.P->worldTransform();
        if (!(Format & DT_NOCLIP)) {
            // A clip costs the painter a table of the whole surface's rows per text: it is
            // set only when it cuts something.
            const bool wholePixels = transform.type() <= QTransform::TxTranslate &&
                                     transform.dx() == std::trunc(transform.dx()) &&
                                     transform.dy() == std::trunc(transform.dy());
            bool within = wholePixels;
            for (size_t i = 0; within && i < lines.size(); ++i)
                within = lines[i].Underline < 0 && font.DrawsWithin(lines[i].Text, corners[i].x(), corners[i].y(),
                                                                    ToQRect(R), scope.P->renderHints());
            if (!within) scope.P->setClipRect(ToQRect(R), FHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
        }
        const QColor color = ToQColor(FFont->GetColor());
        for (size_t i = 0; i < lines.size(); ++i) {
            scope.P->translate(corners[i].x(), corners[i].y());
            font.Draw(*scope.P, lines[i].Text, color, background, lines[i].Underline);
            scope.P->setWorldTransform(transform);
        }
    }
    if ((Format & DT_SINGLELINE) && (Format & (DT_VCENTER | DT_BOTTOM))) return top - R.Top + total;
    return total;
}

TRect TCanvas::GetClipRect() const
{
    const TSize size = SurfaceSize();
    const TRect whole{0, 0, size.cx, size.cy};
    if (!FHasClip) return whole;
    TRect result;
    IntersectRect(result, whole, FClip);
    return result;
}

void TCanvas::SetClipRect(const TRect& R)
{
    FHasClip = true;
    FClip = R;
}

void TCanvas::IntersectClipRect(const TRect& R)
{
    if (!FHasClip) {
        SetClipRect(R);
        return;
    }
    TRect result;
    IntersectRect(result, FClip, R);
    FClip = result;
}

void TCanvas::ResetClip()
{
    FHasClip = false;
    FClip = TRect{};
}

namespace {
std::optional<QPainter::CompositionMode> RopMode(std::uint32_t Rop)
{
    switch (Rop) {
    case SRCCOPY:
        return QPainter::CompositionMode_Source;
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY:
        return QPainter::RasterOp_NotSource;
    default:
        return std::nullopt;
    }
}
}  // namespace

namespace {
// A plain copy between two 32-bit pictures, row by row; pixels outside the source read
// as black.
void CopyRows(QImage& To, const TRect& Area, int X, int Y, const QImage& From, int SX, int SY)
{
    constexpr QRgb black = 0xFF000000u;
    const int fromLeft = std::clamp(X - SX, Area.Left, Area.Right);
    const int fromRight = std::clamp(X - SX + From.width(), fromLeft, Area.Right);
    for (int y = Area.Top; y < Area.Bottom; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(To.scanLine(y));
        const int sy = SY + (y - Y);
        if (sy < 0 || sy >= From.height()) {
            std::fill(out + Area.Left, out + Area.Right, black);
            continue;
        }
        const QRgb* in = reinterpret_cast<const QRgb*>(From.constScanLine(sy));
        std::fill(out + Area.Left, out + fromLeft, black);
        std::copy(in + (fromLeft + SX - X), in + (fromRight + SX - X), out + fromLeft);
        std::fill(out + fromRight, out + Area.Right, black);
    }
}
}  // namespace

bool BitBlt(TCanvas* Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY, std::uint32_t Rop)
{
    if (!Dest || W <= 0 || H <= 0) return false;
    // Between two bitmaps a plain copy moves the rows themselves.
    if (Rop == SRCCOPY && Source && Source->FImage != Dest->FImage) {
        QImage* to = Dest->Rows32();
        const QImage* from = to ? Source->Rows32() : nullptr;
        if (from) {
            TRect area{0, 0, to->width(), to->height()};
            if ((!Dest->FHasClip || IntersectRect(area, area, Dest->FClip)) &&
                IntersectRect(area, area, TRect{X, Y, X + W, Y + H}))
                CopyRows(*to, area, X, Y, *from, SX, SY);
            Dest->Changed();
            return true;
        }
    }
    TCanvas::TPainterScope scope(*Dest);
    if (!scope.P) return false;
    const QRect target(X, Y, W, H);
    switch (Rop) {
    case BLACKNESS:
        scope.P->fillRect(target, QColor(0, 0, 0));
        return true;
    case WHITENESS:
        scope.P->fillRect(target, QColor(255, 255, 255));
        return true;
    case DSTINVERT:
        scope.P->setCompositionMode(QPainter::RasterOp_NotDestination);
        scope.P->fillRect(target, QColor(0, 0, 0));
        return true;
    default:
        break;
    }
    const std::optional<QPainter::CompositionMode> mode = RopMode(Rop);
    if (!mode || !Source || !Source->FImage || Source->FImage->isNull()) return false;
    // Pixels outside the source read as black, as on the platform.
    QImage block(W, H, QImage::Format_RGB32);
    block.fill(Qt::black);
    {
        QPainter copy(&block);
        copy.setCompositionMode(QPainter::CompositionMode_Source);
        copy.drawImage(QPoint(0, 0), *Source->FImage, QRect(SX, SY, W, H));
    }
    scope.P->setCompositionMode(*mode);
    scope.P->drawImage(QPoint(X, Y), block);
    return true;
}

void TCanvas::CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect)
{
    if (!Source.FImage || Source.FImage->isNull() || Dest.IsEmpty() || SourceRect.IsEmpty()) return;
    if (Dest.Width() == SourceRect.Width() && Dest.Height() == SourceRect.Height()) {
        BitBlt(this, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), &Source, SourceRect.Left, SourceRect.Top,
               SRCCOPY);
        return;
    }
    TPainterScope scope(*this);
    if (!scope.P) return;
    scope.P->setCompositionMode(QPainter::CompositionMode_Source);
    scope.P->drawImage(ToQRect(Dest), Source.FImage->convertToFormat(QImage::Format_RGB32), ToQRect(SourceRect));
}

void TCanvas::Draw(int X, int Y, const TBitmap& Bitmap)
{
    if (Bitmap.Empty()) return;
    BitBlt(this, X, Y, Bitmap.GetWidth(), Bitmap.GetHeight(), Bitmap.Canvas(), 0, 0, SRCCOPY);
}

void TCanvas::StretchDraw(const TRect& Dest, const TBitmap& Bitmap)
{
    if (Bitmap.Empty()) return;
    CopyRect(Dest, *Bitmap.Canvas(), TRect{0, 0, Bitmap.GetWidth(), Bitmap.GetHeight()});
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    if (!Canvas) return;
    const TColor saved = Canvas->Pen()->GetColor();
    const int savedWidth = Canvas->Pen()->GetWidth();
    Canvas->Pen()->SetWidth(1);
    --Rect.Bottom;
    --Rect.Right;
    for (int i = 0; i < Width; ++i) {
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Polyline({{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}});
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline({{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}});
        InflateRect(Rect, -1, -1);
    }
    ++Rect.Bottom;
    ++Rect.Right;
    Canvas->Pen()->SetColor(saved);
    Canvas->Pen()->SetWidth(savedWidth);
}
