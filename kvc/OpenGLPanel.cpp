#include "kvc/OpenGLPanel.h"

#include "platform/gl/Printers.h"
#include "platform/ui/Dialogs.h"

namespace KVC {

namespace {
// The Win32 flag of each member, in member order.
constexpr DWORD FlagValues[] = {PFD_DRAW_TO_WINDOW, PFD_DRAW_TO_BITMAP,      PFD_SUPPORT_GDI,
                                PFD_SUPPORT_OPENGL, PFD_GENERIC_ACCELERATED, PFD_GENERIC_FORMAT,
                                PFD_NEED_PALETTE,   PFD_NEED_SYSTEM_PALETTE, PFD_DOUBLEBUFFER,
                                PFD_STEREO,         PFD_SWAP_LAYER_BUFFERS};

// The descriptor's flags: double buffering goes exactly with the absence of GDI support.
DWORD Win32Flags(const TPFDFlagSet& Flags)
{
    DWORD result = 0;
    for (int m = f_PFD_DRAW_TO_WINDOW; m <= f_PFD_SWAP_LAYER_BUFFERS; ++m)
        if (m != f_PFD_DOUBLEBUFFER && Flags.Contains(static_cast<TPFDFlags>(m))) result |= FlagValues[m];
    if (!Flags.Contains(f_PFD_SUPPORT_GDI)) result |= PFD_DOUBLEBUFFER;
    return result;
}
}  // namespace

TOpenGLPanel::TOpenGLPanel(TComponent* Owner) : TCustomControl(Owner)
{
    FPFDFlags << f_PFD_DRAW_TO_WINDOW << f_PFD_SUPPORT_OPENGL << f_PFD_DOUBLEBUFFER;
}

TOpenGLPanel::~TOpenGLPanel() { DestroyWnd(); }

void TOpenGLPanel::SetPFDFlags(TPFDFlagSet Value)
{
    const bool gdi = Value.Contains(f_PFD_SUPPORT_GDI);
    const bool doubleBuffer = Value.Contains(f_PFD_DOUBLEBUFFER);
    if (gdi && doubleBuffer) {
        if (FPFDFlags.Contains(f_PFD_SUPPORT_GDI))
            Value >> f_PFD_SUPPORT_GDI;
        else
            Value >> f_PFD_DOUBLEBUFFER;
    } else if (!gdi && !doubleBuffer) {
        if (FPFDFlags.Contains(f_PFD_SUPPORT_GDI))
            Value << f_PFD_DOUBLEBUFFER;
        else
            Value << f_PFD_SUPPORT_GDI;
    }
    FPFDFlags = Value;
}

void TOpenGLPanel::Loaded()
{
    TCustomControl::Loaded();
    CreateWnd();
}

void TOpenGLPanel::SetParent(TWinControl* Parent)
{
    // A new parent means a new window, and so a new context (and fonts).
    const bool recreate = FWindowCreated && Parent != GetParent();
    if (recreate) DestroyWnd();
    TCustomControl::SetParent(Parent);
    if (recreate) CreateWnd();
}

void TOpenGLPanel::CreateWnd()
{
    if (FWindowCreated) return;
    if (OnPreInit) OnPreInit(this);
    FWindowCreated = true;
    HDC dc = GetDC(this);
    const DWORD flags = Win32Flags(FPFDFlags);
    if (!dc || !CreateContext(dc, flags)) {
        if (dc) ReleaseDC(this, dc);
        ShowMessage("Open GL Context Create Failed");
        return;
    }
    FDoubleBuffered = (flags & PFD_DOUBLEBUFFER) != 0;
    if (OnInit) {
        MakeCurrent();
        BuildFonts();
        OnInit(this);
        MakeNotCurrent();
    }
}

void TOpenGLPanel::DestroyWnd()
{
    if (!FWindowCreated) return;
    FWindowCreated = false;
    DeleteFonts();
    MakeNotCurrent();
    if (FRC) {
        DestroyContext();
        if (!ReleaseDC(this, FDC)) ShowMessage("ReleaseDC: Failed");
    }
    FDC = nullptr;
    FDoubleBuffered = false;
}

void TOpenGLPanel::RenderFrame()
{
    if (!OnPaint) return;
    RunCurrent([this] {
        OnPaint(this);
        if (GLSwapBuffers == Auto && FDoubleBuffered) ::SwapBuffers(FDC);
    });
}

void TOpenGLPanel::Paint()
{
    RenderFrame();
    const TRect client = ClientRect();
    if (FRC) {
        BitBltToCanvas(Canvas(), 0, 0, client.Width(), client.Height(), FDC, 0, 0);
    } else {
        // Without a context there is no picture: the panel shows its plain face.
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(client);
    }
}

void TOpenGLPanel::Resize()
{
    AlignControls();
    if (!OnResize || !FRC) return;
    RunCurrent([this] { OnResize(this); });
}

void TOpenGLPanel::SwapBuffers()
{
    if (FDoubleBuffered && FDC) ::SwapBuffers(FDC);
}

bool TOpenGLPanel::PanelShareLists(const TOpenGLPanel* Other) const { return Other && wglShareLists(FRC, Other->FRC); }

void TOpenGLPanel::PaintToBitmap(TBitmap& Bitmap)
{
    BringToFront();
    RenderFrame();
    if (!FDC || !CopyDCPictureToBitmap(FDC, &Bitmap)) {
        Bitmap.SetSize(GetWidth(), GetHeight());
        Bitmap.Canvas()->Brush()->SetColor(clBtnFace);
        Bitmap.Canvas()->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
    }
}

void TOpenGLPanel::SaveOpenGLPanelToFile(const std::string& FileName)
{
    TBitmap bitmap;
    PaintToBitmap(bitmap);
    bitmap.SaveToFile(FileName);
}

namespace {
// Margin on each side of the printed picture: 0.18 inch.
int Margin(int DotsPerInch) { return static_cast<int>(DotsPerInch * 0.18); }
}  // namespace

TSize TOpenGLPanel::PrintedSize(int Dx, int Dy, int PageWidth, int PageHeight, int PictureWidth, int PictureHeight)
{
    switch (FPrintScale) {
    case pglPrintToFit: {
        // Whole-number factors only; a picture with no extent prints with none (rather
        // than dividing by zero).
        if (PictureWidth <= 0 || PictureHeight <= 0) return TSize{0, 0};
        const int availableWidth = PageWidth - 2 * Margin(Dx);
        const int availableHeight = PageHeight - 2 * Margin(Dy);
        if (availableWidth > availableHeight)
            return TSize{(availableHeight / PictureHeight) * PictureWidth, availableHeight};
        return TSize{availableWidth, (availableWidth / PictureWidth) * PictureHeight};
    }
    case pglProportional:
        if (FPixelsPerInch < 1) FPixelsPerInch = 96;
        return TSize{static_cast<int>(double(PictureWidth) / FPixelsPerInch * Dx),
                     static_cast<int>(double(PictureHeight) / FPixelsPerInch * Dy)};
    case pglNone:
    default:
        return TSize{PictureWidth, PictureHeight};
    }
}

void TOpenGLPanel::PrintOpenGLPanel()
{
    TBitmap picture;
    PaintToBitmap(picture);
    TPrinter* printer = Printer();
    const int dx = printer->PixelsPerInchX();
    const int dy = printer->PixelsPerInchY();
    const TSize size =
        PrintedSize(dx, dy, printer->PageWidth(), printer->PageHeight(), picture.GetWidth(), picture.GetHeight());
    if (!printer->BeginDoc()) return;
    printer->Canvas()->StretchDraw(Bounds(Margin(dx), Margin(dy), size.cx, size.cy), picture);
    printer->EndDoc();
}

}  // namespace KVC
