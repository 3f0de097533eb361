// Drawing objects of the window framework: colours, pen, brush, font, the canvas that
// draws with the platform's pixel rules, and device-independent bitmaps saved as .bmp.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/base/Types.h"

class QPainter;
class QPaintDevice;
class QImage;

// ---------------------------------------------------------------------------------------
// Geometry
struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Left and top are inside the rectangle, right and bottom are outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int X, int Y) { return TPoint{X, Y}; }
inline TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect{Left, Top, Right, Bottom}; }
inline TRect Bounds(int Left, int Top, int Width, int Height) { return TRect{Left, Top, Left + Width, Top + Height}; }
void InflateRect(TRect& Rect, int Dx, int Dy);
void OffsetRect(TRect& Rect, int Dx, int Dy);
// Common part of the two rectangles; false (and an empty result) when they do not meet.
bool IntersectRect(TRect& Result, const TRect& A, const TRect& B);
bool PtInRect(const TRect& Rect, const TPoint& P);

// ---------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR. System colours carry 0xFF in the top byte and the system colour
// index in the low byte; settings files store both kinds as plain integers.
using TColor = std::int32_t;

inline constexpr TColor RGB(int Red, int Green, int Blue)
{
    return TColor((Red & 0xFF) | ((Green & 0xFF) << 8) | ((Blue & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor C) { return C & 0xFF; }
inline constexpr int GetGValue(TColor C) { return (C >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor C) { return (C >> 16) & 0xFF; }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080, clNavy = 0x800000,
                 clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                 clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                 clWhite = 0xFFFFFF, clLtGray = 0xC0C0C0, clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0,
                 clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1, clActiveCaption = clSystemColor | 2,
                 clInactiveCaption = clSystemColor | 3, clMenu = clSystemColor | 4, clWindow = clSystemColor | 5,
                 clWindowFrame = clSystemColor | 6, clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8,
                 clCaptionText = clSystemColor | 9, clActiveBorder = clSystemColor | 10,
                 clInactiveBorder = clSystemColor | 11, clAppWorkSpace = clSystemColor | 12,
                 clHighlight = clSystemColor | 13, clHighlightText = clSystemColor | 14, clBtnFace = clSystemColor | 15,
                 clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17, clBtnText = clSystemColor | 18,
                 clInactiveCaptionText = clSystemColor | 19, clBtnHighlight = clSystemColor | 20,
                 cl3DDkShadow = clSystemColor | 21, cl3DLight = clSystemColor | 22, clInfoText = clSystemColor | 23,
                 clInfoBk = clSystemColor | 24, clHotLight = clSystemColor | 26,
                 clGradientActiveCaption = clSystemColor | 27, clGradientInactiveCaption = clSystemColor | 28,
                 clMenuHighlight = clSystemColor | 29, clMenuBar = clSystemColor | 30;

// The 0x00BBGGRR value a colour draws with: system colours resolve to one fixed scheme,
// so pictures and tests do not depend on the desktop theme. clNone and clDefault give black.
TColor ColorToRGB(TColor Color);

// ---------------------------------------------------------------------------------------
// Text placement enumerations shared by labels and the drawing functions.
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TTextLayout { tlTop = 0, tlCenter = 1, tlBottom = 2 };

// ---------------------------------------------------------------------------------------
// Pen, brush and font. Each setter compares, stores and then calls OnChange.
class TGraphicsObject : public TObject {
public:
    TNotifyEvent OnChange;

protected:
    void Changed();
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
public:
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetWidth() const { return FWidth; }
    // Kept as given; lines of width 1 or less are drawn one pixel wide.
    void SetWidth(int Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode Value);
    void Assign(const TPen& Source);  // copies the values and reports one change
private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    void Assign(const TBrush& Source);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

enum TFontStyle { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of font styles: TFontStyles() << fsBold << fsItalic.
struct TFontStyles {
    unsigned Bits = 0;
    TFontStyles& operator<<(TFontStyle S)
    {
        Bits |= 1u << S;
        return *this;
    }
    TFontStyles& operator>>(TFontStyle S)
    {
        Bits &= ~(1u << S);
        return *this;
    }
    bool Contains(TFontStyle S) const { return (Bits >> S) & 1u; }
    friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

// Logical pixels per inch of the screen: font sizes in points convert with it.
constexpr int ScreenPixelsPerInch = 96;

class TFont : public TGraphicsObject {
public:
    TFont();
    const std::string& GetName() const { return FName; }
    void SetName(const std::string& Value);
    // Size in points; Height in pixels, negative for the character height without the
    // internal leading (the platform's convention), positive for the whole cell.
    int GetSize() const;
    void SetSize(int Points);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    // Direction of the text baseline in tenths of a degree, counter-clockwise.
    int GetEscapement() const { return FEscapement; }
    void SetEscapement(int TenthsOfDegree);
    int GetOrientation() const { return FOrientation; }
    void SetOrientation(int TenthsOfDegree);
    void Assign(const TFont& Source);

private:
    std::string FName;
    int FHeight;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    int FEscapement = 0;
    int FOrientation = 0;
};

// ---------------------------------------------------------------------------------------
// Formatted text drawing flags.
constexpr unsigned DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                   DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800;

// Block transfer operations.
constexpr std::uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                        NOTSRCCOPY = 0x00330008, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

class TBitmap;

// Draws on a bitmap, or on a widget during its paint (platform code attaches a painter).
// Pixel rules: a line leaves out its end pixel; Rectangle and Ellipse cover
// [x1, x2) x [y1, y2); FillRect covers [left, right) x [top, bottom); FrameRect draws one
// pixel in the brush colour; TextOut with a solid brush fills the text cell.
class TCanvas : public TObject {
public:
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }

    TPoint GetPenPos() const { return FPenPos; }
    void SetPenPos(TPoint P) { FPenPos = P; }
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const std::vector<TPoint>& Points);
    void Polygon(const std::vector<TPoint>& Points);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);

    TColor GetPixel(int X, int Y) const;  // -1 outside the surface
    void SetPixel(int X, int Y, TColor Color);

    // Text: the top-left corner of the text cell at (X, Y); a rotated font turns the cell
    // about that corner. Afterwards the pen position is at the end of the text.
    void TextOut(int X, int Y, const std::string& Text);
    void TextRect(const TRect& R, int X, int Y, const std::string& Text);
    TSize TextExtent(const std::string& Text) const;
    int TextWidth(const std::string& Text) const { return TextExtent(Text).cx; }
    int TextHeight(const std::string& Text) const { return TextExtent(Text).cy; }
    // Formatted text drawing with DT_* flags; returns the height of the text drawn.
    // With DT_CALCRECT nothing is drawn and R receives the text's bounds.
    int DrawText(const std::string& Text, TRect& R, unsigned Format);

    // Clipping: drawing is limited to the clip rectangle while one is set.
    TRect GetClipRect() const;
    bool HasClipRect() const { return FHasClip; }
    void SetClipRect(const TRect& R);
    void IntersectClipRect(const TRect& R);
    void ResetClip();

    // Block copies. Draw puts the whole bitmap with its top-left corner at (X, Y).
    void CopyRect(const TRect& Dest, const TCanvas& Source, const TRect& SourceRect);
    void Draw(int X, int Y, const TBitmap& Bitmap);
    void StretchDraw(const TRect& Dest, const TBitmap& Bitmap);

    // Size of the surface drawn on (0 x 0 without one).
    TSize SurfaceSize() const;

    // A drawing pass: between BeginDrawing and the matching EndDrawing the drawing calls
    // on a bitmap share one painter instead of opening one each. Passes nest; the bitmap's
    // own changes of size, format or rows end the shared painter, the next call opens it again.
    void BeginDrawing();
    void EndDrawing();

    // Platform use: the surface to draw on. A paint device gets a painter per drawing
    // call; an attached painter (a widget's paint) is used as it is.
    void SetPaintDevice(QPaintDevice* Device);
    void AttachPainter(QPainter* Painter);
    void DetachPainter();
    // Platform use: the image of a bitmap canvas (null otherwise).
    QImage* Image() const { return FImage; }

private:
    friend class TBitmap;
    friend bool BitBlt(TCanvas*, int, int, int, int, const TCanvas*, int, int, std::uint32_t);
    struct TPainterScope;
    struct TQtFont;
    class TRowLines;
    void SetImage(QImage* Image, TBitmap* Owner);
    // The window system's font and its measures for the canvas's font, made again only
    // when the font's name, height or style changed.
    const TQtFont& QtFont() const;
    void EndPainter();
    // The 32-bit rows of the bitmap drawn on (null for other surfaces and formats).
    QImage* Rows32() const;
    // The same when one-pixel lines of the pen can be written into them directly; null
    // when they need the painter.
    QImage* LineRows() const;
    void WriteLine(QImage& Rows, int X1, int Y1, int X2, int Y2) const;
    void Changed() const;

    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    TPoint FPenPos;
    bool FHasClip = false;
    TRect FClip;
    QPaintDevice* FDevice = nullptr;
    QPainter* FAttached = nullptr;
    QImage* FImage = nullptr;
    TBitmap* FBitmapOwner = nullptr;
    int FDrawingDepth = 0;
    std::unique_ptr<QPainter> FPassPainter;
    mutable std::vector<std::unique_ptr<TQtFont>> FQtFonts;
};

// One drawing pass over a canvas for the life of the object.
class TDrawingPass {
public:
    explicit TDrawingPass(TCanvas* Canvas) : FCanvas(Canvas)
    {
        if (FCanvas) FCanvas->BeginDrawing();
    }
    ~TDrawingPass()
    {
        if (FCanvas) FCanvas->EndDrawing();
    }
    TDrawingPass(const TDrawingPass&) = delete;
    TDrawingPass& operator=(const TDrawingPass&) = delete;

private:
    TCanvas* FCanvas;
};

// Copies a W x H block from Source at (SX, SY) to Dest at (X, Y) with a raster operation.
bool BitBlt(TCanvas* Dest, int X, int Y, int W, int H, const TCanvas* Source, int SX, int SY, std::uint32_t Rop);

// A raised or sunk frame: top and left in TopColor, right and bottom in BottomColor, Width
// pixels deep; Rect shrinks by Width on each side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---------------------------------------------------------------------------------------
// Device-independent bitmap. Pixels keep the platform's layout: 24-bit pixels are blue,
// green, red; every row is padded to 32 bits; in memory (GetBits) and in the .bmp file the
// bottom row comes first. 1-bit and 8-bit bitmaps carry a colour table.
// A 24-bit bitmap is drawn on in 32-bit rows (the painter's fast path) and shows its
// 24-bit rows to ScanLine, GetBits, SetBits and the file; it changes between the two
// layouts when the other one is asked for, so a row pointer holds until the next drawing.
enum TPixelFormat { pfDevice, pf1bit, pf8bit, pf24bit, pf32bit };

class TBitmap : public TObject {
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int GetWidth() const;
    int GetHeight() const;
    void SetWidth(int Value);
    void SetHeight(int Value);
    // Keeps the picture at the top left; new area is white.
    void SetSize(int Width, int Height);
    bool Empty() const { return GetWidth() == 0 || GetHeight() == 0; }

    // pfDevice (the default) stores 32-bit pixels. Changing the format converts the picture.
    TPixelFormat GetPixelFormat() const { return FFormat; }
    void SetPixelFormat(TPixelFormat Value);
    int BitsPerPixel() const;
    int BytesPerLine() const;  // width * bits per pixel rounded up to 32 bits, in bytes

    // Colour table of 1-bit and 8-bit bitmaps (empty for the others).
    std::vector<TColor> GetColorTable() const;
    void SetColorTable(const std::vector<TColor>& Colors);

    TCanvas* Canvas() const { return FCanvas.get(); }

    // Row Row of the picture counted from the top (row 0 is the top row).
    std::uint8_t* ScanLine(int Row);
    const std::uint8_t* ScanLine(int Row) const;
    // All pixel rows in memory order (bottom row first), each BytesPerLine long.
    std::vector<std::uint8_t> GetBits() const;
    // Writes rows in memory order; false when the size does not match.
    bool SetBits(const std::vector<std::uint8_t>& Bits);

    void Assign(const TBitmap& Source);

    // Windows bitmap file. An empty bitmap is written as a header-only file of size 0 x 0
    // that loads back as an empty bitmap. Errors raise std::runtime_error with a message.
    void SaveToFile(const std::string& FileName) const;
    std::vector<std::uint8_t> SaveToBytes() const;
    void LoadFromFile(const std::string& FileName);
    void LoadFromBytes(const std::vector<std::uint8_t>& Bytes);

    TNotifyEvent OnChange;

    // Platform use.
    QImage& Image() { return *FImage; }
    const QImage& Image() const { return *FImage; }

private:
    friend class TCanvas;
    void Recreate(int Width, int Height, TPixelFormat Format);
    void Changed();
    // The 32-bit rows to draw on, or the rows in the bitmap's own layout.
    void UseDrawingLayout() const;
    void UsePackedLayout() const;
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FFormat = pfDevice;
    std::unique_ptr<QImage> FImage;
    std::unique_ptr<TCanvas> FCanvas;
    mutable bool FPacked = false;  // a 24-bit bitmap's rows are in their 24-bit layout
};
