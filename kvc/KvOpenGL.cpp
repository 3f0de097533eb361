#include "kvc/KvOpenGL.h"

#include "platform/ui/Dialogs.h"

namespace KVC {

namespace {
constexpr DWORD FlagValues[] = {PFD_GENERIC_ACCELERATED, PFD_GENERIC_FORMAT, PFD_NEED_PALETTE,
                                PFD_NEED_SYSTEM_PALETTE, PFD_STEREO,         PFD_SWAP_LAYER_BUFFERS};
}

TKvOpenGL::TKvOpenGL(TComponent* Owner) : TComponent(Owner), FMemoryDC(CreateCompatibleDC(nullptr)) { FDC = FMemoryDC; }

TKvOpenGL::~TKvOpenGL()
{
    DeleteFonts();
    DestroyContext();
    if (FBitmap) {
        SelectObject(FMemoryDC, FPreviousBitmap);
        DeleteObject(FBitmap);
    }
    DeleteDC(FMemoryDC);
}

DWORD TKvOpenGL::Win32Flags() const
{
    DWORD flags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI | PFD_SUPPORT_OPENGL;
    for (int m = f_PFD_GENERIC_ACCELERATED; m <= f_PFD_SWAP_LAYER_BUFFERS; ++m)
        if (PFDFlags.Contains(static_cast<TPFDFlags>(m))) flags |= FlagValues[m];
    return flags;
}

void TKvOpenGL::Resize(int Width, int Height)
{
    DestroyContext();
    if (FBitmap) {
        SelectObject(FMemoryDC, FPreviousBitmap);
        DeleteObject(FBitmap);
        FBitmap = nullptr;
        FBits = nullptr;
    }
    FHeader = BITMAPINFOHEADER{};
    FHeader.biSize = 40;
    FHeader.biWidth = Width;
    FHeader.biHeight = Height;
    FHeader.biPlanes = 1;
    FHeader.biBitCount = cColorBits;
    FHeader.biCompression = BI_RGB;
    const UINT usage = GetPFDPixelType() == f_PFD_TYPE_COLORINDEX ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    FBitmap = CreateDIBSection(FMemoryDC, &FHeader, usage, &FBits);
    if (FBitmap) FPreviousBitmap = SelectObject(FMemoryDC, FBitmap);
    if (!CreateContext(FMemoryDC, Win32Flags())) {
        ShowMessage("Open GL Context Create Failed");
        return;
    }
    if (OnInit) {
        MakeCurrent();
        BuildFonts();
        OnInit(this);
        MakeNotCurrent();
    }
}

void TKvOpenGL::Repaint()
{
    if (!OnPaint) return;
    RunCurrent([this] { OnPaint(this); });
}

void TKvOpenGL::BlockSize(const TRect& Rect, int& W, int& H) const
{
    W = Rect.Width() == 0 ? FHeader.biWidth : Rect.Width();
    H = Rect.Height() == 0 ? FHeader.biHeight : Rect.Height();
}

void TKvOpenGL::Draw(HDC Dc, const TRect& Rect)
{
    int w = 0, h = 0;
    BlockSize(Rect, w, h);
    BitBlt(Dc, Rect.Left, Rect.Top, w, h, FMemoryDC, 0, 0, SRCCOPY);
}

void TKvOpenGL::Draw(TCanvas* Canvas, const TRect& Rect)
{
    int w = 0, h = 0;
    BlockSize(Rect, w, h);
    BitBltToCanvas(Canvas, Rect.Left, Rect.Top, w, h, FMemoryDC, 0, 0);
}

void TKvOpenGL::CopyTo(TBitmap* Bitmap) { CopyDCPictureToBitmap(FMemoryDC, Bitmap); }

bool TKvOpenGL::PanelShareLists(const TKvOpenGL* Other) const { return Other && wglShareLists(FRC, Other->FRC); }

}  // namespace KVC
