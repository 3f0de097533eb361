#include "platform/gl/Wgl.h"
#include "platform/gl/WglInternal.h"

#include "platform/gl/Renderer.h"
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cfenv>
#include <cstring>
#include <new>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/GraphicsQt.h"

// ---------------------------------------------------------------------------------------
// Objects behind the handles.

struct TGLBitmapObject {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    std::vector<std::uint8_t> Pixels;
    HDC SelectedInto = nullptr;
};

struct TGLDeviceContext {
    bool IsWindow = false;
    TControl* Window = nullptr;
    HBITMAP Bitmap = nullptr;  // memory context: the selected bitmap
    int Width = 0;             // window context: size of the buffers
    int Height = 0;
    std::vector<std::uint8_t> Front;  // window context
    std::vector<std::uint8_t> Back;   // window context, double-buffered formats
    int PixelFormat = 0;
};

struct TGLRenderingContext {
    OSMesaContext Mesa = nullptr;
    int PixelFormat = 0;
    bool WindowFormat = false;
    HDC CurrentDc = nullptr;  // the device context it is current on, if any
};

namespace {

constexpr int BytesPerPixel = 4;

thread_local DWORD LastError = ERROR_SUCCESS;
thread_local HGLRC CurrentContext = nullptr;
thread_local HDC CurrentDc = nullptr;

bool Fail(DWORD Error)
{
    LastError = Error;
    return false;
}

// The formats offered: all RGBA with 8 bits a channel, a 24-bit depth buffer and an 8-bit
// stencil buffer, rendered by the generic (software) implementation.
struct TFormat {
    DWORD Flags;
};
constexpr TFormat Formats[] = {
    {PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_GENERIC_FORMAT},
    {PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI | PFD_GENERIC_FORMAT},
    {PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL | PFD_SUPPORT_GDI | PFD_GENERIC_FORMAT},
};
constexpr int FormatCount = static_cast<int>(sizeof(Formats) / sizeof(Formats[0]));

void Describe(int Format, PIXELFORMATDESCRIPTOR& D)
{
    D = PIXELFORMATDESCRIPTOR{};
    D.dwFlags = Formats[Format - 1].Flags;
    D.iPixelType = PFD_TYPE_RGBA;
    D.cColorBits = 32;
    D.cRedBits = 8;
    D.cRedShift = 16;
    D.cGreenBits = 8;
    D.cGreenShift = 8;
    D.cBlueBits = 8;
    D.cBlueShift = 0;
    D.cAlphaBits = 8;
    D.cAlphaShift = 24;
    D.cDepthBits = 24;
    D.cStencilBits = 8;
}

bool IsWindowFormat(int Format) { return (Formats[Format - 1].Flags & PFD_DRAW_TO_WINDOW) != 0; }
bool IsDoubleBuffered(int Format) { return (Formats[Format - 1].Flags & PFD_DOUBLEBUFFER) != 0; }

// Brings a window context's buffers to the window's client size (at least one pixel).
void FitWindowBuffers(HDC Dc)
{
    const int w = std::max(1, Dc->Window->ClientWidth());
    const int h = std::max(1, Dc->Window->ClientHeight());
    if (w == Dc->Width && h == Dc->Height && !Dc->Front.empty()) return;
    Dc->Width = w;
    Dc->Height = h;
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * BytesPerPixel;
    Dc->Front.assign(bytes, 0);
    if (Dc->PixelFormat != 0 && IsDoubleBuffered(Dc->PixelFormat))
        Dc->Back.assign(bytes, 0);
    else
        Dc->Back.clear();
}

// The memory the renderer draws into on this device context.
bool RenderTarget(HDC Dc, std::uint8_t*& Bits, int& Width, int& Height)
{
    if (Dc->IsWindow) {
        FitWindowBuffers(Dc);
        auto& target = IsDoubleBuffered(Dc->PixelFormat) ? Dc->Back : Dc->Front;
        Bits = target.data();
        Width = Dc->Width;
        Height = Dc->Height;
        return true;
    }
    if (!Dc->Bitmap || Dc->Bitmap->BitCount != 32 || Dc->Bitmap->Width <= 0 || Dc->Bitmap->Height <= 0)
        return Fail(ERROR_INVALID_PIXEL_FORMAT);
    Bits = Dc->Bitmap->Pixels.data();
    Width = Dc->Bitmap->Width;
    Height = Dc->Bitmap->Height;
    return true;
}

OSMesaContext NewMesaContext(int Format, OSMesaContext Share)
{
    const TRenderer* renderer = LoadedRenderer();
    if (!renderer) return nullptr;
    PIXELFORMATDESCRIPTOR d;
    Describe(Format, d);
    TRendererCall call;
    return renderer->CreateContextExt(OSMESA_BGRA, d.cDepthBits, d.cStencilBits, 0, Share);
}

bool SamePicture(const TGLPicture& P) { return P.Bits && P.Width > 0 && P.Height > 0; }

}  // namespace

DWORD GetLastError() { return LastError; }
void SetLastError(DWORD Error) { LastError = Error; }

// ---------------------------------------------------------------------------------------
// Device contexts and bitmaps

HDC CreateCompatibleDC(HDC) { return new (std::nothrow) TGLDeviceContext{}; }

bool DeleteDC(HDC Dc)
{
    if (!Dc || Dc->IsWindow) return Fail(ERROR_INVALID_HANDLE);
    if (CurrentDc == Dc) wglMakeCurrent(nullptr, nullptr);
    if (Dc->Bitmap) Dc->Bitmap->SelectedInto = nullptr;
    delete Dc;
    return true;
}

HDC GetDC(TControl* Window)
{
    if (!Window) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto* dc = new TGLDeviceContext{};
    dc->IsWindow = true;
    dc->Window = Window;
    return dc;
}

int ReleaseDC(TControl* Window, HDC Dc)
{
    if (!Dc || !Dc->IsWindow || Dc->Window != Window) return Fail(ERROR_INVALID_HANDLE);
    if (CurrentDc == Dc) wglMakeCurrent(nullptr, nullptr);
    delete Dc;
    return 1;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFOHEADER* Header, UINT, void** Bits)
{
    if (Bits) *Bits = nullptr;
    if (!Header || Header->biSize != 40 || Header->biWidth <= 0 || Header->biHeight <= 0 || Header->biPlanes != 1 ||
        Header->biCompression != BI_RGB || Header->biBitCount != 32) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const auto bytes =
        static_cast<std::uint64_t>(Header->biWidth) * static_cast<std::uint64_t>(Header->biHeight) * BytesPerPixel;
    if (bytes > (std::uint64_t(1) << 31)) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* bitmap = new TGLBitmapObject{};
    bitmap->Width = Header->biWidth;
    bitmap->Height = Header->biHeight;
    bitmap->BitCount = Header->biBitCount;
    bitmap->Pixels.assign(static_cast<size_t>(bytes), 0);
    if (Bits) *Bits = bitmap->Pixels.data();
    return bitmap;
}

HBITMAP SelectObject(HDC Dc, HBITMAP Bitmap)
{
    if (!Dc || Dc->IsWindow) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (Bitmap && Bitmap->SelectedInto && Bitmap->SelectedInto != Dc) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HBITMAP previous = Dc->Bitmap;
    if (previous) previous->SelectedInto = nullptr;
    Dc->Bitmap = Bitmap;
    if (Bitmap) Bitmap->SelectedInto = Dc;
    // The renderer may still point at the old memory: it must not draw there any more.
    if (CurrentDc == Dc) wglMakeCurrent(nullptr, nullptr);
    return previous;
}

bool DeleteObject(HBITMAP Bitmap)
{
    if (!Bitmap || Bitmap->SelectedInto) return Fail(ERROR_INVALID_HANDLE);
    delete Bitmap;
    return true;
}

bool GetDCPicture(HDC Dc, TGLPicture& Picture)
{
    Picture = TGLPicture{};
    if (!Dc) return Fail(ERROR_INVALID_HANDLE);
    if (Dc->IsWindow) {
        FitWindowBuffers(Dc);
        Picture = TGLPicture{Dc->Width, Dc->Height, Dc->Front.data()};
    } else if (Dc->Bitmap) {
        Picture = TGLPicture{Dc->Bitmap->Width, Dc->Bitmap->Height, Dc->Bitmap->Pixels.data()};
    }
    return SamePicture(Picture) || Fail(ERROR_INVALID_HANDLE);
}

namespace {
// Clips a block copy to both pictures; false when nothing is left.
bool ClipBlock(int& X, int& Y, int& W, int& H, int& SX, int& SY, int DestW, int DestH, int SrcW, int SrcH)
{
    if (SX < 0) {
        X -= SX;
        W += SX;
        SX = 0;
    }
    if (SY < 0) {
        Y -= SY;
        H += SY;
        SY = 0;
    }
    if (X < 0) {
        SX -= X;
        W += X;
        X = 0;
    }
    if (Y < 0) {
        SY -= Y;
        H += Y;
        Y = 0;
    }
    W = std::min({W, DestW - X, SrcW - SX});
    H = std::min({H, DestH - Y, SrcH - SY});
    return W > 0 && H > 0;
}

// Row Row (counted from the top) of a bottom-up picture.
const std::uint8_t* TopDownRow(const TGLPicture& P, int Row)
{
    return P.Bits + static_cast<size_t>(P.Height - 1 - Row) * static_cast<size_t>(P.Width) * BytesPerPixel;
}
}  // namespace

bool BitBlt(HDC Dest, int X, int Y, int W, int H, HDC Source, int SX, int SY, std::uint32_t Rop)
{
    TGLPicture dest, src;
    if (Rop != SRCCOPY) return Fail(ERROR_INVALID_PARAMETER);
    if (!GetDCPicture(Dest, dest) || !GetDCPicture(Source, src)) return false;
    if (!ClipBlock(X, Y, W, H, SX, SY, dest.Width, dest.Height, src.Width, src.Height)) return true;
    std::vector<std::uint8_t> rows(static_cast<size_t>(W) * static_cast<size_t>(H) * BytesPerPixel);
    for (int r = 0; r < H; ++r)
        std::memcpy(rows.data() + static_cast<size_t>(r) * W * BytesPerPixel,
                    TopDownRow(src, SY + r) + static_cast<size_t>(SX) * BytesPerPixel,
                    static_cast<size_t>(W) * BytesPerPixel);
    for (int r = 0; r < H; ++r)
        std::memcpy(const_cast<std::uint8_t*>(TopDownRow(dest, Y + r)) + static_cast<size_t>(X) * BytesPerPixel,
                    rows.data() + static_cast<size_t>(r) * W * BytesPerPixel, static_cast<size_t>(W) * BytesPerPixel);
    return true;
}

namespace {
// The picture as an image (top row first, opaque).
QImage PictureImage(const TGLPicture& P)
{
    QImage image(P.Width, P.Height, QImage::Format_RGB32);
    for (int r = 0; r < P.Height; ++r) {
        auto* line = image.scanLine(r);
        std::memcpy(line, TopDownRow(P, r), static_cast<size_t>(P.Width) * BytesPerPixel);
        for (int x = 0; x < P.Width; ++x) line[x * BytesPerPixel + 3] = 0xFF;
    }
    return image;
}
}  // namespace

bool BitBltToCanvas(TCanvas* Dest, int X, int Y, int W, int H, HDC Source, int SX, int SY)
{
    TGLPicture src;
    if (!Dest) return Fail(ERROR_INVALID_PARAMETER);
    if (!GetDCPicture(Source, src)) return false;
    const TSize surface = Dest->SurfaceSize();
    if (!ClipBlock(X, Y, W, H, SX, SY, surface.cx, surface.cy, src.Width, src.Height)) return true;
    TBitmap block;
    block.SetPixelFormat(pf32bit);
    block.SetSize(W, H);
    const QImage image = PictureImage(src).copy(SX, SY, W, H);
    for (int r = 0; r < H; ++r)
        std::memcpy(block.ScanLine(r), image.constScanLine(r), static_cast<size_t>(W) * BytesPerPixel);
    return ::BitBlt(Dest, X, Y, W, H, block.Canvas(), 0, 0, SRCCOPY);
}

bool CopyDCPictureToBitmap(HDC Source, TBitmap* Bitmap)
{
    TGLPicture src;
    if (!Bitmap) return Fail(ERROR_INVALID_PARAMETER);
    if (!GetDCPicture(Source, src)) return false;
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(src.Width, src.Height);
    for (int r = 0; r < src.Height; ++r) {
        auto* line = Bitmap->ScanLine(r);
        std::memcpy(line, TopDownRow(src, r), static_cast<size_t>(src.Width) * BytesPerPixel);
        for (int x = 0; x < src.Width; ++x) line[x * BytesPerPixel + 3] = 0xFF;
    }
    if (Bitmap->OnChange) Bitmap->OnChange(Bitmap);
    return true;
}

// ---------------------------------------------------------------------------------------
// Pixel formats

int ChoosePixelFormat(HDC Dc, const PIXELFORMATDESCRIPTOR* Wanted)
{
    if (!Dc || !Wanted) {
        Fail(Dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return 0;
    }
    if (Wanted->nSize != sizeof(PIXELFORMATDESCRIPTOR) || Wanted->nVersion != 1) {
        Fail(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The closest format: drawn where this device context draws (a window or a bitmap),
    // with the buffering asked for when a window format offers it. Every format is RGBA,
    // which is the closest there is to a colour-index request.
    const bool window = Dc->IsWindow;
    int best = 0;
    for (int f = 1; f <= FormatCount; ++f) {
        if (IsWindowFormat(f) != window) continue;
        const bool wantsDouble = (Wanted->dwFlags & PFD_DOUBLEBUFFER) != 0;
        if (best == 0 || (IsDoubleBuffered(f) == wantsDouble && IsDoubleBuffered(best) != wantsDouble)) best = f;
    }
    if (best == 0) Fail(ERROR_INVALID_PIXEL_FORMAT);
    return best;
}

bool SetPixelFormat(HDC Dc, int Format, const PIXELFORMATDESCRIPTOR*)
{
    if (!Dc) return Fail(ERROR_INVALID_HANDLE);
    if (Format < 1 || Format > FormatCount || IsWindowFormat(Format) != Dc->IsWindow)
        return Fail(ERROR_INVALID_PIXEL_FORMAT);
    // A window keeps the format it was given first.
    if (Dc->IsWindow && Dc->PixelFormat != 0 && Dc->PixelFormat != Format) return Fail(ERROR_INVALID_PIXEL_FORMAT);
    if (!Dc->IsWindow && (!Dc->Bitmap || Dc->Bitmap->BitCount != 32)) return Fail(ERROR_INVALID_PIXEL_FORMAT);
    Dc->PixelFormat = Format;
    if (Dc->IsWindow) {
        Dc->Front.clear();
        FitWindowBuffers(Dc);
    }
    return true;
}

int GetPixelFormat(HDC Dc) { return Dc ? Dc->PixelFormat : 0; }

int DescribePixelFormat(HDC Dc, int Format, UINT Size, PIXELFORMATDESCRIPTOR* Descriptor)
{
    if (!Dc) {
        Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (Descriptor) {
        if (Format < 1 || Format > FormatCount || Size < sizeof(PIXELFORMATDESCRIPTOR)) {
            Fail(ERROR_INVALID_PARAMETER);
            return 0;
        }
        Describe(Format, *Descriptor);
    }
    return FormatCount;
}

// ---------------------------------------------------------------------------------------
// Rendering contexts

HGLRC wglCreateContext(HDC Dc)
{
    if (!Dc) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (Dc->PixelFormat == 0) {
        Fail(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    // The first context loads the renderer.
    if (!GlNamesReachTheLayer() || !LoadRenderer()) {
        Fail(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    OSMesaContext mesa = NewMesaContext(Dc->PixelFormat, nullptr);
    if (!mesa) {
        Fail(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    return new TGLRenderingContext{mesa, Dc->PixelFormat, Dc->IsWindow, nullptr};
}

bool wglDeleteContext(HGLRC Context)
{
    if (!Context) return Fail(ERROR_INVALID_HANDLE);
    // A context current on another thread cannot go.
    if (Context->CurrentDc && CurrentContext != Context) return Fail(ERROR_BUSY);
    if (CurrentContext == Context) wglMakeCurrent(nullptr, nullptr);
    LoadedRenderer()->DestroyContext(Context->Mesa);
    delete Context;
    return true;
}

bool wglMakeCurrent(HDC Dc, HGLRC Context)
{
    if (!Context) {
        if (CurrentContext) {
            glFinish();
            CurrentContext->CurrentDc = nullptr;
        }
        TRendererCall call;
        if (const TRenderer* renderer = LoadedRenderer()) renderer->MakeCurrent(nullptr, nullptr, 0, 0, 0);
        CurrentContext = nullptr;
        CurrentDc = nullptr;
        return true;
    }
    if (!Dc) return Fail(ERROR_INVALID_HANDLE);
    if (Context->CurrentDc && CurrentContext != Context) return Fail(ERROR_BUSY);
    if (Dc->PixelFormat != Context->PixelFormat) return Fail(ERROR_INVALID_PIXEL_FORMAT);
    std::uint8_t* bits = nullptr;
    int width = 0, height = 0;
    if (!RenderTarget(Dc, bits, width, height)) return false;
    if (CurrentContext && CurrentContext != Context) {
        glFinish();
        CurrentContext->CurrentDc = nullptr;
    }
    TRendererCall call;
    if (!LoadedRenderer()->MakeCurrent(Context->Mesa, bits, GL_UNSIGNED_BYTE, width, height)) {
        CurrentContext = nullptr;
        CurrentDc = nullptr;
        return Fail(ERROR_INVALID_PIXEL_FORMAT);
    }
    Context->CurrentDc = Dc;
    CurrentContext = Context;
    CurrentDc = Dc;
    return true;
}

HGLRC wglGetCurrentContext() { return CurrentContext; }
HDC wglGetCurrentDC() { return CurrentDc; }

bool wglShareLists(HGLRC First, HGLRC Second)
{
    if (!First || !Second || First == Second) return Fail(ERROR_INVALID_HANDLE);
    if (Second->CurrentDc) return Fail(ERROR_BUSY);
    if (First->PixelFormat != Second->PixelFormat && First->WindowFormat != Second->WindowFormat)
        return Fail(ERROR_INVALID_PIXEL_FORMAT);
    // The renderer shares lists only from creation, so the second context is made anew
    // on the first one's lists.
    OSMesaContext shared = NewMesaContext(Second->PixelFormat, First->Mesa);
    if (!shared) return Fail(ERROR_NO_SYSTEM_RESOURCES);
    LoadedRenderer()->DestroyContext(Second->Mesa);
    Second->Mesa = shared;
    return true;
}

bool SwapBuffers(HDC Dc)
{
    if (!Dc || !Dc->IsWindow || Dc->PixelFormat == 0) return Fail(ERROR_INVALID_HANDLE);
    if (!IsDoubleBuffered(Dc->PixelFormat)) return true;
    if (CurrentDc == Dc) glFinish();
    if (Dc->Back.size() == Dc->Front.size()) Dc->Front = Dc->Back;
    return true;
}

// ---------------------------------------------------------------------------------------
// Screen

int GetScreenBitsPerPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

bool ChangeScreenBitsPerPixel(int)
{
    // The desktop owns the screen's depth; a program cannot change it here.
    return Fail(ERROR_INVALID_PARAMETER);
}

void MaskFloatingPointExceptions() { fedisableexcept(FE_ALL_EXCEPT); }
