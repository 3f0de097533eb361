#include "kvc/KvBufferedImage.h"

#include "kvc/KvServiceFuncs.h"

namespace KVC {

TKvBufferedImage::TKvBufferedImage(TComponent* Owner)
    : TKvImage(Owner), FBuffer(std::make_unique<TBitmap>()), FCache(std::make_unique<TBitmap>())
{
    FBuffer->SetPixelFormat(pf24bit);
}

TKvBufferedImage::~TKvBufferedImage() = default;

void TKvBufferedImage::SaveToBitmapFile(const std::string& FileName) const { FBuffer->SaveToFile(FileName); }

void TKvBufferedImage::SaveToBitmap(TBitmap* Bitmap) const
{
    if (Bitmap) Bitmap->Assign(*FBuffer);
}

void TKvBufferedImage::SetBackDrawMode(TKvBackDrawMode Value)
{
    if (Value == FBackDrawMode) return;
    FBackDrawMode = Value;
    Invalidate();
}

void TKvBufferedImage::SetBackgroundBuffering(bool Value)
{
    if (Value == FBackgroundBuffering) return;
    FBackgroundBuffering = Value;
    if (!Value) {
        FCachedRect = TRect{};
        FCache->SetSize(0, 0);
    }
}

void TKvBufferedImage::Paint()
{
    // The window system's paint right after Display only shows the fresh picture (unless
    // the control changed its size in between).
    if (!FPictureShown && Canvas()->SurfaceSize().cx > 0 && FBuffer->GetWidth() == ClientWidth() &&
        FBuffer->GetHeight() == ClientHeight()) {
        FPictureShown = true;
        if (!FBuffer->Empty()) BitBlt(Canvas(), 0, 0, ClientWidth(), ClientHeight(), FBuffer->Canvas(), 0, 0, SRCCOPY);
        return;
    }
    {
        // The whole picture is composed with one painter.
        TDrawingPass pass(FBuffer->Canvas());
        PrepareDisplayedBitmap(FBuffer.get());
        if (OnDrawBuffer) OnDrawBuffer(this, FBuffer->Canvas());
    }
    if (!FBuffer->Empty()) BitBlt(Canvas(), 0, 0, ClientWidth(), ClientHeight(), FBuffer->Canvas(), 0, 0, SRCCOPY);
    if (OnPaint) OnPaint(this);
}

void TKvBufferedImage::PrepareDisplayedBitmap(TBitmap* Bitmap)
{
    const TBitmap* back = Background();
    if (FBackDrawMode == bdmSimple)
        Bitmap->SetSize(back->GetWidth(), back->GetHeight());
    else
        Bitmap->SetSize(GetWidth(), GetHeight());
    TCanvas* canvas = Bitmap->Canvas();
    const int W = Bitmap->GetWidth();
    const int H = Bitmap->GetHeight();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, W, H));
    if (back->Empty()) return;
    const int w = back->GetWidth();
    const int h = back->GetHeight();
    switch (FBackDrawMode) {
    case bdmSimple:
        canvas->Draw(0, 0, *back);
        break;
    case bdmCentered:
        canvas->Draw(W / 2 - w / 2, H / 2 - h / 2, *back);
        break;
    case bdmTiled:
        for (int y = 0; y < H; y += h)
            for (int x = 0; x < W; x += w) canvas->Draw(x, y, *back);
        break;
    case bdmStretched: {
        const TRect target = Rect(0, 0, W, H);
        if (FBackgroundBuffering && target == FCachedRect) {
            canvas->Draw(0, 0, *FCache);
            return;
        }
        if (!DoScaleBitmap(Background(), Bitmap)) canvas->StretchDraw(target, *back);
        if (FBackgroundBuffering) {
            FCachedRect = target;
            FCache->Assign(*Bitmap);
        }
        break;
    }
    }
}

bool TKvBufferedImage::DoScaleBitmap(TBitmap* Source, TBitmap* Target)
{
    // The interpolation scales by (size - 1): a background one pixel wide or high is
    // left to the plain stretch.
    if (Source->GetWidth() < 2 || Source->GetHeight() < 2) return false;
    return DoBilinearInterpolation(Source, Target, double(Target->GetWidth()) / (Source->GetWidth() - 1),
                                   double(Target->GetHeight()) / (Source->GetHeight() - 1), 0, 0);
}

}  // namespace KVC
