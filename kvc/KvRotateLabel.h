// A label drawn at any angle (counter-clockwise degrees); with AutoSize its bounds are
// those of the turned text.
#pragma once
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/CustomLabel.h"

namespace KVC {

enum TTextStyle { tsNone, tsRaised, tsRecessed };

class TKvRotateLabel : public TCustomLabel {
public:
    explicit TKvRotateLabel(TComponent* Owner);

    int GetAngle() const { return FAngle; }
    // Brought into 0..360 (360 stays 360).
    void SetEscapement(int Value);
    TTextStyle GetTextStyle() const { return FTextStyle; }
    void SetTextStyle(TTextStyle Value);

    // The picture of the last paint (not kept while Transparent).
    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Paint() override;
    void AdjustBounds() override;

private:
    void DrawCaption(TCanvas* Canvas);
    int FAngle = 0;
    TTextStyle FTextStyle = tsNone;
    TKvPaintBuffer FBuffer;
};

}  // namespace KVC
