#include "platform/ui/Graphics.h"
#include "platform/ui/GraphicsQt.h"
#include <QFontMetrics>
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
// counted from the start) written straight into the rows within the clip.
void TCanvas::WriteLine(QImage& Rows, int X1, int Y1, int X2, int Y2) const
{
    if (X1 == X2 && Y1 == Y2) return;
    TRect box{0, 0, Rows.width(), Rows.height()};
    if (FHasClip && !IntersectRect(box, box, FClip)) return;
    if (std::max(X1, X2) < box.Left || std::min(X1, X2) >= box.Right || std::max(Y1, Y2) < box.Top ||
        std::min(Y1, Y2) >= box.Bottom)
        return;
    const std::vector<int>& pattern = TPainterScope::DashPattern(FPen->GetStyle());
    int patternLength = 0;
    for (int part : pattern) patternLength += part;
    const TColor rgb = ColorToRGB(FPen->GetColor());
    const QRgb pixel = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    uchar* bits = Rows.bits();
    const qsizetype stride = Rows.bytesPerLine();
    const int dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
    const int sx = X1 < X2 ? 1 : -1, sy = Y1 < Y2 ? 1 : -1;
    int err = dx - dy, x = X1, y = Y1;
    if (pattern.empty()) {
        while (x != X2 || y != Y2) {
            if (x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom)
                reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
            const int e2 = 2 * err;
            if (e2 > -dy) err -= dy, x += sx;
            if (e2 < dx) err += dx, y += sy;
        }
        return;
    }
    for (int n = 0; x != X2 || y != Y2; ++n) {
        if (x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom &&
            TPainterScope::PatternOn(pattern, n % patternLength))
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
        const int e2 = 2 * err;
        if (e2 > -dy) err -= dy, x += sx;
        if (e2 < dx) err += dx, y += sy;
    }
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
        for (size_t i = 1; i < Points.size(); ++i)
            WriteLine(*rows, Points[i - 1].x, Points[i - 1].y, Points[i].x, Points[i].y);
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

struct TCanvas::TQtFont {
    std::string Name;
    int Height;
    unsigned Style;
    QFont Font;
    QFontMetrics Metrics;
};

const TCanvas::TQtFont& TCanvas::QtFont() const
{
    const TFont& f = *FFont;
    if (!FQtFont || FQtFont->Name != f.GetName() || FQtFont->Height != f.GetHeight() ||
        FQtFont->Style != f.GetStyle().Bits) {
        const QFont font = ToQFont(f);
        FQtFont.reset(new TQtFont{f.GetName(), f.GetHeight(), f.GetStyle().Bits, font, QFontMetrics(font)});
    }
    return *FQtFont;
}

TSize TCanvas::TextExtent(const std::string& Text) const
{
    const QFontMetrics& metrics = QtFont().Metrics;
    return TSize{metrics.horizontalAdvance(QString::fromStdString(Text)), metrics.height()};
}

namespace {
// Draws one line of text with its cell's top-left corner at the painter's origin.
void DrawTextCell(QPainter& P, const QFont& Font, const QFontMetrics& Metrics, const QString& Text,
                  const QColor& TextColor, const std::optional<QColor>& Background, int UnderlineIndex = -1)
{
    const int width = Metrics.horizontalAdvance(Text);
    if (Background) P.fillRect(QRect(0, 0, width, Metrics.height()), *Background);
    P.setFont(Font);
    P.setPen(TextColor);
    P.drawText(0, Metrics.ascent(), Text);
    if (UnderlineIndex >= 0 && UnderlineIndex < Text.size()) {
        const int x0 = Metrics.horizontalAdvance(Text.left(UnderlineIndex));
        const int x1 = Metrics.horizontalAdvance(Text.left(UnderlineIndex + 1));
        P.fillRect(QRect(x0, Metrics.ascent() + 1, std::max(1, x1 - x0), 1), TextColor);
    }
}
}  // namespace

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
            DrawTextCell(*scope.P, QtFont().Font, QtFont().Metrics, QString::fromStdString(Text),
                         ToQColor(FFont->GetColor()), background);
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
    DrawTextCell(*scope.P, QtFont().Font, QtFont().Metrics, QString::fromStdString(Text), ToQColor(FFont->GetColor()),
                 std::nullopt);
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
    const QFont& font = QtFont().Font;
    const QFontMetrics& metrics = QtFont().Metrics;
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
    for (QString raw : rawLines) {
        if (Format & DT_EXPANDTABS) raw = ExpandTabs(raw, metrics);
        std::vector<QString> pieces{raw};
        if ((Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE)) pieces = WrapWords(raw, metrics, R.Width());
        for (const QString& piece : pieces) {
            lines.push_back((Format & DT_NOPREFIX) ? TTextLine{piece, -1} : StripPrefix(piece));
        }
    }

    int widest = 0;
    for (const TTextLine& l : lines) widest = std::max(widest, metrics.horizontalAdvance(l.Text));
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
        if (!(Format & DT_NOCLIP)) scope.P->setClipRect(ToQRect(R), FHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
        std::optional<QColor> background;
        if (FBrush->GetStyle() != bsClear) background = ToQColor(FBrush->GetColor());
        int y = top;
        for (const TTextLine& l : lines) {
            const int width = metrics.horizontalAdvance(l.Text);
            int x = R.Left;
            if (Format & DT_CENTER)
                x = R.Left + (R.Width() - width) / 2;
            else if (Format & DT_RIGHT)
                x = R.Right - width;
            scope.P->save();
            scope.P->translate(x, y);
            DrawTextCell(*scope.P, font, metrics, l.Text, ToQColor(FFont->GetColor()), background, l.Underline);
            scope.P->restore();
            y += lineHeight;
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
