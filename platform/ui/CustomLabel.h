// A label that paints itself (no window of its own, no focus): caption, alignment,
// layout, auto-size and transparency. Labels with their own look override Paint and
// AdjustBounds, which runs when the caption or the font changes and at the end of loading.
#pragma once
#include "platform/ui/Controls.h"

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* Owner);

    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool ShowAccelChar = true;
    TWinControl* FocusControl = nullptr;

protected:
    void Paint() override;
    void Loaded() override;
    void TextChanged() override;
    void FontChanged() override;
    void ApplyCaption() override {}
    // Fits the bounds to the caption when AutoSize is set.
    virtual void AdjustBounds();

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FWordWrap = false;
};
