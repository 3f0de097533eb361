// A buffered image that shows one value as a bar between a minimum and a maximum,
// measured from a zero line, inside a frame of its own.
#pragma once
#include "kvc/KvBufferedImage.h"

// gboVertical: the bar grows upward; gboHorizontal: to the right.
enum TKvGaugeBarOrientation { gboVertical = 0, gboHorizontal = 1 };

class TKvGaugeBar : public KVC::TKvBufferedImage {
public:
    explicit TKvGaugeBar(TComponent* Owner);
    ~TKvGaugeBar() override;

    TKvGaugeBarOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TKvGaugeBarOrientation Value);

    // Colours by index: 0 ColorBack (inside of the frame), 1 ColorBorder (frame),
    // 2 ColorBar (bar beyond Zero toward Max), 3 ColorDown (bar otherwise), 4 ColorZero.
    void SetColorBack(int Index, TColor Value);
    TColor GetColorBack() const { return FColors[0]; }
    TColor GetColorBorder() const { return FColors[1]; }
    TColor GetColorBar() const { return FColors[2]; }
    TColor GetColorDown() const { return FColors[3]; }
    TColor GetColorZero() const { return FColors[4]; }

    // Values by index: 0 Zero, 1 Min, 2 Max, 3 Pos (the value shown). None is checked.
    void SetZero(int Index, double Value);
    double GetZero() const { return FValues[0]; }
    double GetMin() const { return FValues[1]; }
    double GetMax() const { return FValues[2]; }
    double GetPos() const { return FValues[3]; }

    // Sizes by index: 0 GaugeMargin (gap between the frame and the bar's sides), 1 BorderWidth.
    void SetGaugeMargin(int Index, int Value);
    int GetGaugeMargin() const { return FSizes[0]; }
    int GetBorderWidth() const { return FSizes[1]; }

protected:
    void PrepareDisplayedBitmap(TBitmap* Bitmap) override;
    void Resize() override;

private:
    TKvGaugeBarOrientation FOrientation = gboVertical;
    TColor FColors[5] = {clAqua, clBlack, clBlue, clBlue, clGreen};
    double FValues[4] = {0, 0, 100, 50};
    int FSizes[2] = {1, 2};
};
