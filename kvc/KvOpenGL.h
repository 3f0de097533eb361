// Off-screen OpenGL rendering: a memory device context with a device-independent bitmap
// of the size the application chooses, drawn by OnPaint and copied onto any device
// context, canvas or bitmap.
#pragma once
#include "kvc/OpenGLServices.h"
#include "platform/ui/Controls.h"

namespace KVC {

class TKvOpenGL : public TComponent, public TOpenGLServices {
public:
    // Extra pixel-format flags; drawing to a bitmap with GDI and OpenGL is always asked for.
    enum TPFDFlags {
        f_PFD_GENERIC_ACCELERATED,
        f_PFD_GENERIC_FORMAT,
        f_PFD_NEED_PALETTE,
        f_PFD_NEED_SYSTEM_PALETTE,
        f_PFD_STEREO,
        f_PFD_SWAP_LAYER_BUFFERS
    };

    explicit TKvOpenGL(TComponent* Owner);
    ~TKvOpenGL() override;

    TFlagSet<TPFDFlags> PFDFlags;

    // (Re)creates the bitmap and the context; with OnInit the fonts and OnInit follow.
    void Resize(int Width, int Height);
    // Renders the picture through OnPaint.
    void Repaint();
    // Copies the picture's top-left block of the rectangle's size to the rectangle's
    // top-left corner; a zero width or height takes the picture's.
    void Draw(HDC Dc, const TRect& Rect);
    void Draw(TCanvas* Canvas, const TRect& Rect);
    void CopyTo(TBitmap* Bitmap);

    bool MakeOpenGLCurrent() const { return MakeCurrent(); }
    static void MakeOpenGLNotCurrent() { MakeNotCurrent(); }
    bool PanelShareLists(const TKvOpenGL* Other) const;

    // The bitmap selected into the memory device context (none before the first Resize).
    HBITMAP Bitmap() const { return FBitmap; }
    const BITMAPINFOHEADER& BitmapHeader() const { return FHeader; }

    TNotifyEvent OnPaint;
    TNotifyEvent OnInit;

private:
    DWORD Win32Flags() const;
    // The size a zero extent of the rectangle stands for.
    void BlockSize(const TRect& Rect, int& W, int& H) const;

    HDC FMemoryDC = nullptr;
    BITMAPINFOHEADER FHeader{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    HBITMAP FBitmap = nullptr;
    HBITMAP FPreviousBitmap = nullptr;
    void* FBits = nullptr;
};

}  // namespace KVC
