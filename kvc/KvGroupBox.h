// A container with a caption band on any side and an optional button that collapses the
// box to its band and expands it to the bounds it had.
#pragma once
#include <memory>
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/Controls.h"

namespace KVC {

enum TKvCaptionPosition { cpNone, cpTop, cpLeft, cpRight, cpBottom };
enum TKvCaptionWidth { cwLine, cwAutosize, cwFixed };
enum TKvButtonPosition { bpNone, bpLeft, bpRight };

class TKvGroupBox : public TCustomControl {
public:
    explicit TKvGroupBox(TComponent* Owner);

    TAlignment GetCaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    TKvCaptionPosition GetCaptionPosition() const { return FCaptionPosition; }
    void SetCaptionPosition(TKvCaptionPosition Value);
    TKvCaptionWidth GetCaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(TKvCaptionWidth Value);
    TKvButtonPosition GetButtonPosition() const { return FButtonPosition; }
    void SetButtonPosition(TKvButtonPosition Value);
    TColor GetCaptionColor() const { return FCaptionColor; }
    void SetCaptionColor(TColor Value);
    int GetCaptionFixedWidth() const { return FCaptionFixedWidth; }
    void SetCaptionFixedWidth(int Value);
    int GetCaptionSize() const { return FCaptionSize; }
    void SetCaptionSize(int Value);
    bool GetExpanded() const { return FExpanded; }
    // Collapsing keeps only the caption band (its outer edge stays in place); expanding
    // restores the bounds saved at the collapse.
    void SetExpanded(bool Value);

    TPen* BorderPen() const { return FBorderPen.get(); }
    TPen* CaptionPen() const { return FCaptionPen.get(); }
    TFont* CaptionFont() const { return FCaptionFont.get(); }
    // Copy the given object; a null pen is ignored.
    void SetBorderPen(const TPen* Value);
    void SetCaptionPen(const TPen* Value);
    void SetCaptionFont(const TFont& Value);

    // As last painted.
    TRect ButtonRect() const { return FButtonRect; }
    TRect CaptionBandRect() const { return FBandRect; }
    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Paint() override;
    TRect AlignArea() const override;
    void Resize() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void TextChanged() override;

private:
    void Changed();
    // The caption band of any side: Band its full extent, Text the caption's room inside
    // the margins, ButtonOrigin the band's top left corner.
    void DrawBand(TCanvas* Canvas, TRect Band, TRect Text, TPoint ButtonOrigin, bool Vertical);
    void DrawButton(TCanvas* Canvas);

    TAlignment FCaptionAlignment = taLeftJustify;
    TKvCaptionPosition FCaptionPosition = cpTop;
    TKvCaptionWidth FCaptionWidth = cwLine;
    TKvButtonPosition FButtonPosition = bpNone;
    std::unique_ptr<TPen> FBorderPen;
    std::unique_ptr<TPen> FCaptionPen;
    TColor FCaptionColor = clNavy;
    int FCaptionFixedWidth = 0;
    int FCaptionSize = 12;
    bool FExpanded = true;
    std::unique_ptr<TFont> FCaptionFont;
    TRect FSavedBounds;
    TRect FButtonRect;
    TRect FBandRect;
    TKvPaintBuffer FBuffer;
};

}  // namespace KVC
