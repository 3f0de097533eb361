// The axis image whose graph area shows a colour scale: a handler names the colour of
// every relative position from 0 to 1, and an axis beside the scale labels the values
// (the legend of a matrix image, for instance).
#pragma once
#include <cstdint>
#include <functional>
#include "kvc/KvAxisImage.h"

namespace KVC {

// pboVertical: the scale runs from the bottom (0) to the top (1); pboHorizontal: from the
// left (0) to the right (1).
enum TKvPaletteBarOrientation { pboVertical = 0, pboHorizontal = 1 };

// Colour at RelativeHeight (0 .. 1) of the scale. The three bytes arrive holding the
// previous line's colour, so a handler sets all three.
using TKvGetBarColorEvent = std::function<void(TObject* Sender, double RelativeHeight, std::uint8_t& ARed,
                                               std::uint8_t& AGreen, std::uint8_t& ABlue)>;

class TKvPaletteBar : public TKvAxisImage {
public:
    explicit TKvPaletteBar(TComponent* Owner);
    ~TKvPaletteBar() override;

    TKvPaletteBarOrientation GetOrientation() const { return FOrientation; }
    // Repaints; the axes stay as they are.
    void SetOrientation(TKvPaletteBarOrientation Value);

    TKvGetBarColorEvent OnGetBarColor;

protected:
    void DrawGraphic(TBitmap* Bitmap) override;

private:
    TKvPaletteBarOrientation FOrientation = pboVertical;
};

}  // namespace KVC
