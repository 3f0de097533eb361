// An owner-drawn slider: a flat band, a rectangular thumb with a marker line, optional
// tick marks and a caption. OnChanging runs while the position moves, OnChanged when a
// change is complete (a key, the wheel, a click on the band, the end of a drag, or the
// program setting the position).
#pragma once
#include <string>
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/Controls.h"
#include "platform/ui/TrackBar.h"

namespace KVC {

// Geometry and drawing shared by the sliders. Track is the stretch the thumb centre
// travels; values run left to right on a horizontal track and bottom to top on a vertical one.
// The thumb at fraction Q (0 to 1) of Track: SliderHeight along the track (one pixel more,
// centred on the marker), SliderWidth across; At receives the marker's coordinate.
TRect SliderThumbRect(const TRect& Track, bool Horizontal, double Q, int SliderWidth, int SliderHeight, int& At);
// Thumb frame and fill, then the marker line across it at At.
void DrawSliderThumb(TCanvas* Canvas, const TRect& Thumb, bool Horizontal, int At, TColor Border, TColor Fill,
                     TColor Directive);
// The band: the track itself when Short, else the track stretched over the whole client
// length along it.
TRect SliderBandRect(const TRect& Track, bool Horizontal, bool Short, int ClientWidth, int ClientHeight);
// Ticks every Frequency units of Range along Track, TickLength long, two pixels off the
// track: Far beyond its bottom (right when vertical), Near before its top (left).
void DrawSliderTicks(TCanvas* Canvas, const TRect& Track, bool Horizontal, double Range, double Frequency,
                     int TickLength, bool Far, bool Near, TColor Color);
// The value at (X, Y) of Band, not rounded; false on a band of no length.
bool SliderValueAt(const TRect& Band, bool Horizontal, double Min, double Max, int X, int Y, double& Value);

class TKvSlider : public TCustomControl {
public:
    explicit TKvSlider(TComponent* Owner);

    int GetMin() const { return FMin; }
    void SetMin(int Value);
    int GetMax() const { return FMax; }
    void SetMax(int Value);
    int GetPos() const { return FPos; }
    // Sets the position (clamped), then reports OnChanged, also when it did not move.
    void SetPos(int Value);
    // Sets the position (clamped) and reports OnChanging when it was another.
    void SetInternalPos(int Value);
    int GetFrequency() const { return FFrequency; }
    void SetFrequency(int Value);
    TTrackBarOrientation GetOrientation() const { return FOrientation; }
    // At run time the control turns in place: width and height swap.
    void SetOrientation(TTrackBarOrientation Value);
    TTickMark GetTickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark Value);
    TAlignment GetCaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    int GetBandWidth() const { return FBandWidth; }
    void SetBandWidth(int Value);
    int GetSliderWidth() const { return FSliderWidth; }
    void SetSliderWidth(int Value);
    int GetSliderHeight() const { return FSliderHeight; }
    void SetSliderHeight(int Value);
    int GetTickLength() const { return FTickLength; }
    void SetTickLength(int Value);
    bool GetShortBand() const { return FShortBand; }
    void SetShortBand(bool Value);
    // 0 ColorBorder, 1 ColorFlat, 2 ColorFocused, 3 ColorTicks, 4 ColorSlider,
    // 5 ColorSliderBorder, 6 ColorDirective.
    TColor GetSliderColor(int Index) const;
    void SetSliderColor(int Index, TColor Value);

    // Step of the arrow keys and the wheel, and of Page Up/Down and a click on the band.
    int LineSize = 1;
    int PageSize = 10;
    // Take the focus when the mouse comes over the band or the thumb.
    bool AutoFocus = false;

    TNotifyEvent OnChanging;
    TNotifyEvent OnChanged;

    // Band and thumb as last painted, and the picture of the last paint.
    TRect BandRect() const { return FBandRect; }
    TRect ThumbRect() const { return FThumbRect; }
    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
    virtual void DoMouseWheelDown();
    virtual void DoMouseWheelUp();
    void KeyDown(WORD& Key, TShiftState Shift) override;
    // The caption (Caption) is drawn beside the band.
    void TextChanged() override { Invalidate(); }

private:
    bool ValueAt(int X, int Y, int& Value) const;
    bool OverBandOrThumb(int X, int Y) const;
    void Changed();

    int FMin = 0;
    int FMax = 100;
    int FPos = 0;
    int FFrequency = 10;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
    TColor FColors[7];
    TAlignment FCaptionAlignment = taLeftJustify;
    int FBandWidth = 10;
    int FSliderWidth = 10;
    int FSliderHeight = 10;
    int FTickLength = 3;
    bool FShortBand = false;

    TRect FBandRect;
    TRect FThumbRect;
    bool FHover = false;
    bool FDragging = false;
    bool FFocused = false;
    int FSavedPos = 0;
    TKvPaintBuffer FBuffer;
};

}  // namespace KVC
