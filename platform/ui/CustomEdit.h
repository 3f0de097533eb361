// A single-line edit whose border belongs to the control: the text field sits inside a
// frame (the non-client area) whose size the control decides (WM_NCCALCSIZE) and which it
// paints itself (WM_NCPAINT). It also carries the edit's modified mark and caret, and
// gives Enter, Backspace and Escape to KeyPress as characters, as the platform does.
#pragma once
#include <memory>
#include "platform/ui/StdCtrls.h"

// Non-client messages and the control notifications an edit raises.
// WM_NCCALCSIZE: LParam points to the TRect of the whole window (origin 0, 0), which the
// control shrinks to its client area. WM_NCPAINT: NonClientCanvas() draws on the frame.
constexpr UINT WM_NCCALCSIZE = 0x0083, WM_NCPAINT = 0x0085, CM_ENABLEDCHANGED = 0xB000, CM_FONTCHANGED = 0xB005,
               CM_PARENTCOLORCHANGED = 0xB009;

class TCustomEdit : public TEdit {
public:
    explicit TCustomEdit(TComponent* Owner);
    ~TCustomEdit() override;

    // Set by the operator's typing; cleared when the program sets the text.
    bool GetModified() const;
    void SetModified(bool Value);
    // Caret position (start of the selection when there is one), counted from 0.
    int GetSelStart() const;
    void SetSelStart(int Value);
    int GetSelLength() const;

    bool ParentColor = false;

    void SetEnabled(bool Value) override;

    // Asks the control for its client area again (after a change of its border).
    void RecalcNonClient();
    // Paints the border again, at once when the control is shown.
    void RedrawNonClient();
    // Valid while WM_NCPAINT passes through the chain.
    TCanvas* NonClientCanvas() const { return FNonClientCanvas.get(); }
    // The rectangle of the whole window, at the origin.
    TRect WindowRect() const { return TRect{0, 0, GetWidth(), GetHeight()}; }

protected:
    void WndProc(TMessage& Message) override;
    void FontChanged() override;
    QWidget* FrameWidget() const override;

private:
    friend class TEditFrameWidget;
    std::unique_ptr<TCanvas> FNonClientCanvas;
    QWidget* FFrame = nullptr;
};
