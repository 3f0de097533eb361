// OpenGL rendering contexts in the manner the components expect of the platform: device
// contexts of a window or of a memory bitmap, pixel formats, rendering contexts made
// current per thread, shared display lists, display-list fonts built from the framework's
// fonts, and the last-error number of the calling thread.
//
// Every rendering context draws through Mesa's off-screen renderer into memory. A memory
// device context renders into the 32-bit device-independent bitmap selected into it; a
// window device context renders into buffers the size of the window's client area and
// the window shows its front buffer when it paints. Pixel rows are kept bottom row first,
// blue, green, red, reserved byte per pixel, as device-independent bitmaps are.
#pragma once
#include <cstdint>
#include <string>
#include "platform/gl/OpenGL.h"
#include "platform/ui/Graphics.h"
#include "platform/base/Types.h"

class TControl;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using LONG = std::int32_t;

struct TGLDeviceContext;
struct TGLRenderingContext;
struct TGLBitmapObject;
using HDC = TGLDeviceContext*;
using HGLRC = TGLRenderingContext*;
using HBITMAP = TGLBitmapObject*;

// Error numbers of the calling thread's last failure.
constexpr DWORD ERROR_SUCCESS = 0, ERROR_INVALID_HANDLE = 6, ERROR_NOT_ENOUGH_MEMORY = 8, ERROR_INVALID_PARAMETER = 87,
                ERROR_PROC_NOT_FOUND = 127, ERROR_BUSY = 170, ERROR_INVALID_PIXEL_FORMAT = 2000,
                ERROR_NO_SYSTEM_RESOURCES = 1450;
DWORD GetLastError();
void SetLastError(DWORD Error);

// Pixel-format flags and types.
constexpr DWORD PFD_DOUBLEBUFFER = 0x1, PFD_STEREO = 0x2, PFD_DRAW_TO_WINDOW = 0x4, PFD_DRAW_TO_BITMAP = 0x8,
                PFD_SUPPORT_GDI = 0x10, PFD_SUPPORT_OPENGL = 0x20, PFD_GENERIC_FORMAT = 0x40, PFD_NEED_PALETTE = 0x80,
                PFD_NEED_SYSTEM_PALETTE = 0x100, PFD_SWAP_LAYER_BUFFERS = 0x800, PFD_GENERIC_ACCELERATED = 0x1000;
constexpr BYTE PFD_TYPE_RGBA = 0, PFD_TYPE_COLORINDEX = 1;
constexpr BYTE PFD_MAIN_PLANE = 0;

struct PIXELFORMATDESCRIPTOR {
    WORD nSize = sizeof(PIXELFORMATDESCRIPTOR);
    WORD nVersion = 1;
    DWORD dwFlags = 0;
    BYTE iPixelType = PFD_TYPE_RGBA;
    BYTE cColorBits = 0;
    BYTE cRedBits = 0, cRedShift = 0, cGreenBits = 0, cGreenShift = 0, cBlueBits = 0, cBlueShift = 0;
    BYTE cAlphaBits = 0, cAlphaShift = 0;
    BYTE cAccumBits = 0, cAccumRedBits = 0, cAccumGreenBits = 0, cAccumBlueBits = 0, cAccumAlphaBits = 0;
    BYTE cDepthBits = 0;
    BYTE cStencilBits = 0;
    BYTE cAuxBuffers = 0;
    BYTE iLayerType = PFD_MAIN_PLANE;
    BYTE bReserved = 0;
    DWORD dwLayerMask = 0, dwVisibleMask = 0, dwDamageMask = 0;
};

// Device-independent bitmap header.
constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;
struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = BI_RGB;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0, biYPelsPerMeter = 0;
    DWORD biClrUsed = 0, biClrImportant = 0;
};

// Device contexts. A memory context holds no bitmap until one is selected into it.
HDC CreateCompatibleDC(HDC Reference);
bool DeleteDC(HDC Dc);
// The window's own device context; its buffers follow the control's client size.
HDC GetDC(TControl* Window);
int ReleaseDC(TControl* Window, HDC Dc);

// A bottom-up device-independent bitmap whose pixel memory is returned in Bits. Only
// 32 bits per pixel can be rendered into; other depths are refused.
HBITMAP CreateDIBSection(HDC Dc, const BITMAPINFOHEADER* Header, UINT Usage, void** Bits);
// Selects the bitmap into the memory context and returns the one it held (none at first).
HBITMAP SelectObject(HDC Dc, HBITMAP Bitmap);
// Refused while the bitmap is selected into a device context.
bool DeleteObject(HBITMAP Bitmap);
// Size and pixel memory of the picture a device context shows (for a window, its front
// buffer); false when there is none.
struct TGLPicture {
    int Width = 0;
    int Height = 0;
    const std::uint8_t* Bits = nullptr;  // Width * 4 bytes a row, bottom row first
};
bool GetDCPicture(HDC Dc, TGLPicture& Picture);
// Copies a W x H block from (SX, SY) of Source's picture to (X, Y) of Dest's picture (top-down
// coordinates, both 32-bit); parts outside either picture are left out.
bool BitBlt(HDC Dest, int X, int Y, int W, int H, HDC Source, int SX, int SY, std::uint32_t Rop);
// The same onto a framework canvas.
bool BitBltToCanvas(TCanvas* Dest, int X, int Y, int W, int H, HDC Source, int SX, int SY);
// Sizes the framework bitmap to the picture and copies the picture into it (32 bits a pixel).
bool CopyDCPictureToBitmap(HDC Source, TBitmap* Bitmap);

// Pixel formats: 1-based indexes; 0 means failure.
int ChoosePixelFormat(HDC Dc, const PIXELFORMATDESCRIPTOR* Wanted);
bool SetPixelFormat(HDC Dc, int Format, const PIXELFORMATDESCRIPTOR* Descriptor);
int GetPixelFormat(HDC Dc);
// Fills Descriptor and returns the number of formats (0 for a bad device context or index).
int DescribePixelFormat(HDC Dc, int Format, UINT Size, PIXELFORMATDESCRIPTOR* Descriptor);

// Rendering contexts, current per thread.
HGLRC wglCreateContext(HDC Dc);
bool wglDeleteContext(HGLRC Context);
// Both zero makes no context current.
bool wglMakeCurrent(HDC Dc, HGLRC Context);
HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();
// Makes Second use First's display lists. Second must not be current anywhere; its own
// lists (it should have none) are dropped.
bool wglShareLists(HGLRC First, HGLRC Second);
// Copies the back buffer to the front buffer of a double-buffered window context.
bool SwapBuffers(HDC Dc);

// Display-list fonts. The character codes are single bytes (the font's ANSI code page).
// The context current on the calling thread receives the lists.
bool wglUseFontBitmaps(HDC Dc, const TFont& Font, DWORD First, DWORD Count, DWORD ListBase);

constexpr int WGL_FONT_LINES = 0, WGL_FONT_POLYGONS = 1;
struct POINTFLOAT {
    float x = 0;
    float y = 0;
};
// Glyph measures in units of the font's em height.
struct GLYPHMETRICSFLOAT {
    float gmfBlackBoxX = 0;
    float gmfBlackBoxY = 0;
    POINTFLOAT gmfptGlyphOrigin;
    float gmfCellIncX = 0;
    float gmfCellIncY = 0;
};
// Outline glyphs one em high, the face at z = 0 and the back at z = -Extrusion.
bool wglUseFontOutlines(HDC Dc, const TFont& Font, DWORD First, DWORD Count, DWORD ListBase, float Deviation,
                        float Extrusion, int Format, GLYPHMETRICSFLOAT* Metrics);

// Masks every floating-point exception of the calling thread (none traps afterwards).
void MaskFloatingPointExceptions();

// Bits per pixel of the screen, and a change of it (not offered here: always false).
int GetScreenBitsPerPixel();
bool ChangeScreenBitsPerPixel(int Bits);
