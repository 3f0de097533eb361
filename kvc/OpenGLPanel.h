// A panel whose window carries its own OpenGL rendering context: the application draws
// in OnPaint, the panel chooses the pixel format when its window is made, builds the
// display-list fonts, swaps the buffers after painting and saves its picture as a bitmap
// file.
#pragma once
#include <string>
#include "kvc/OpenGLServices.h"
#include "platform/ui/Controls.h"

namespace KVC {

enum TPFDFlags {
    f_PFD_DRAW_TO_WINDOW,
    f_PFD_DRAW_TO_BITMAP,
    f_PFD_SUPPORT_GDI,
    f_PFD_SUPPORT_OPENGL,
    f_PFD_GENERIC_ACCELERATED,
    f_PFD_GENERIC_FORMAT,
    f_PFD_NEED_PALETTE,
    f_PFD_NEED_SYSTEM_PALETTE,
    f_PFD_DOUBLEBUFFER,
    f_PFD_STEREO,
    f_PFD_SWAP_LAYER_BUFFERS
};
using TPFDFlagSet = TFlagSet<TPFDFlags>;

enum TOpenGLSwapBuffers { Auto = 0, Manual = 1 };
enum TOpenGLPrintScale { pglNone = 0, pglPrintToFit = 1, pglProportional = 2 };

class TOpenGLPanel : public TCustomControl, public TOpenGLServices {
public:
    explicit TOpenGLPanel(TComponent* Owner);
    ~TOpenGLPanel() override;

    // Exactly one of f_PFD_SUPPORT_GDI and f_PFD_DOUBLEBUFFER is kept: given both, the one
    // the old set lacked stays; given neither, the one the old set lacked is added.
    TPFDFlagSet GetPFDFlags() const { return FPFDFlags; }
    void SetPFDFlags(TPFDFlagSet Value);
    BYTE GetPFDNumColorBits() const { return cColorBits; }
    void SetPFDNumColorBits(BYTE Value) { cColorBits = Value; }
    BYTE GetPFDNumDepthBits() const { return cDepthBits; }
    void SetPFDNumDepthBits(BYTE Value) { cDepthBits = Value; }
    TOpenGLPrintScale GetOpenGLPrintScale() const { return FPrintScale; }
    void SetOpenGLPrintScale(TOpenGLPrintScale Value) { FPrintScale = Value; }
    int GetOpenGLPixelsPerInch() const { return FPixelsPerInch; }
    void SetOpenGLPixelsPerInch(int Value) { FPixelsPerInch = Value; }
    TOpenGLSwapBuffers GLSwapBuffers = Auto;

    // True once the window's context exists.
    bool ContextCreated() const { return FRC != nullptr; }
    // The chosen format was requested double-buffered.
    bool DoubleBuffered() const { return FDoubleBuffered; }

    bool MakeOpenGLPanelCurrent() const { return MakeCurrent(); }
    static void MakeOpenGLPanelNotCurrent() { MakeNotCurrent(); }
    void SwapBuffers();
    bool PanelShareLists(const TOpenGLPanel* Other) const;

    // Paints the panel and writes its picture to a bitmap file; file errors reach the caller.
    void SaveOpenGLPanelToFile(const std::string& FileName);
    // Paints the panel and prints its picture at the page's margins, sized by the print scale.
    void PrintOpenGLPanel();
    // The printed size of a picture on a printer of Dx x Dy dots per inch with a printable
    // page of PageWidth x PageHeight dots. A proportional print first turns a resolution
    // below 1 into 96.
    TSize PrintedSize(int Dx, int Dy, int PageWidth, int PageHeight, int PictureWidth, int PictureHeight);

    // Runs before the window and its context are made.
    TNotifyEvent OnPreInit;
    // Runs with the new context current, after the enabled fonts are built.
    TNotifyEvent OnInit;
    // Draws with the context current.
    TNotifyEvent OnPaint;
    // OnResize (the control's event) runs with the context current.

    void SetParent(TWinControl* Parent) override;

protected:
    void Loaded() override;
    void Paint() override;
    void Resize() override;

private:
    // The window's creation and destruction, which bring and take the context.
    void CreateWnd();
    void DestroyWnd();
    // The OpenGL part of painting: OnPaint with the context current, then the swap.
    void RenderFrame();
    // The panel's picture as the window shows it.
    void PaintToBitmap(TBitmap& Bitmap);

    TPFDFlagSet FPFDFlags;
    bool FDoubleBuffered = false;
    bool FWindowCreated = false;
    TOpenGLPrintScale FPrintScale = pglProportional;
    int FPixelsPerInch = 96;
};

}  // namespace KVC
