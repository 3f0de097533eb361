// The off-screen picture of an owner-drawn component: each paint draws the whole picture
// into this bitmap and copies it to the screen in one block, so the operator never sees
// a half-drawn control. The last picture stays readable.
#pragma once
#include "platform/ui/Graphics.h"

namespace KVC {

class TKvPaintBuffer {
public:
    // The canvas of a Width x Height picture to draw the next frame on.
    TCanvas* Begin(int Width, int Height)
    {
        if (FBitmap.GetWidth() != Width || FBitmap.GetHeight() != Height) FBitmap.SetSize(Width, Height);
        return FBitmap.Canvas();
    }
    // Copies the picture to Target with its top-left corner at the origin.
    void CopyTo(TCanvas* Target) const
    {
        if (Target && !FBitmap.Empty()) Target->Draw(0, 0, FBitmap);
    }
    const TBitmap& Bitmap() const { return FBitmap; }

private:
    TBitmap FBitmap;
};

}  // namespace KVC
