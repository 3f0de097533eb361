// Fuzz entry for the .bmp reader: any bytes either load as a bitmap whose every row can
// be read and which saves and loads again the same size, or are refused with an error.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>
#include "platform/ui/Application.h"
#include "platform/ui/Graphics.h"

// Bitmaps and components expect the program's application object, as in the program.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static TApplication Program(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    TBitmap Bitmap;
    try {
        Bitmap.LoadFromBytes(std::vector<std::uint8_t>(Data, Data + Size));
    } catch (const std::runtime_error&) {
        return 0;
    }
    if ((Bitmap.GetWidth() == 0) != (Bitmap.GetHeight() == 0)) std::abort();
    for (int Row = 0; Row < Bitmap.GetHeight(); ++Row)
        if (!Bitmap.ScanLine(Row)) std::abort();
    TBitmap Again;
    Again.LoadFromBytes(Bitmap.SaveToBytes());
    if (Again.GetWidth() != Bitmap.GetWidth() || Again.GetHeight() != Bitmap.GetHeight()) std::abort();
    return 0;
}
