// A colour swatch: shows Color and, with ShowColorDialog, lets the operator choose another
// through the colour dialog (OnChange when a different colour was confirmed, then OnClick).
#pragma once
#include <string>
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/Controls.h"

namespace KVC {

class TKvColorButton : public TCustomControl {
public:
    explicit TKvColorButton(TComponent* Owner);

    TNotifyEvent OnPaint;
    TNotifyEvent OnChange;
    bool ShowColorDialog = false;

    bool GetEraseBackground() const { return FEraseBackground; }
    void SetEraseBackground(bool Value);
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    TColor GetFlatColor() const { return FFlatColor; }
    void SetFlatColor(TColor Value);
    const std::string& GetVersion() const { return FVersion; }
    // The version is the component's own: writes are ignored.
    void SetVersion(const std::string&) {}
    bool Pressed() const { return FPressed; }

    // A click, as the operator's.
    void Execute() { Click(); }
    // Paints at once.
    void Display() { Repaint(); }
    void Click() override;

    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool FEraseBackground = false;
    bool FFlat = true;
    TColor FFlatColor = RGB(160, 150, 131);
    std::string FVersion = "1.0";
    bool FPressed = false;
    TKvPaintBuffer FBuffer;
};

}  // namespace KVC
