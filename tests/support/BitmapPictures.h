// Bitmaps for the drawing tests, and their pixels in words a test can compare.
#pragma once
#include <algorithm>
#include <memory>
#include <string>

#include "platform/ui/Graphics.h"

// A white bitmap of the given size.
inline std::unique_ptr<TBitmap> WhiteBitmap(int Width, int Height, TPixelFormat Format = pf24bit)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(Format);
    bitmap->SetSize(Width, Height);
    return bitmap;
}

// The pixels of a bitmap as rows of '#' (the colour) and '.' (anything else).
inline std::string Picture(const TBitmap& Bitmap, TColor Color)
{
    std::string out;
    for (int y = 0; y < Bitmap.GetHeight(); ++y) {
        for (int x = 0; x < Bitmap.GetWidth(); ++x) out += Bitmap.Canvas()->GetPixel(x, y) == Color ? '#' : '.';
        out += '\n';
    }
    return out;
}

// Bounds of the pixels for which Counts holds; empty when none does.
template <class TCounts>
TRect PixelBounds(const TBitmap& Bitmap, TCounts Counts)
{
    TRect r{1 << 20, 1 << 20, -1, -1};
    for (int y = 0; y < Bitmap.GetHeight(); ++y)
        for (int x = 0; x < Bitmap.GetWidth(); ++x)
            if (Counts(Bitmap.Canvas()->GetPixel(x, y))) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.Right < 0 ? TRect{} : r;
}

// Bounds of the pixels that differ from Background; empty when none does.
inline TRect Inked(const TBitmap& Bitmap, TColor Background)
{
    return PixelBounds(Bitmap, [Background](TColor C) { return C != Background; });
}

// Bounds of the pixels of one colour (the text cell of opaque text).
inline TRect Painted(const TBitmap& Bitmap, TColor Color)
{
    return PixelBounds(Bitmap, [Color](TColor C) { return C == Color; });
}
