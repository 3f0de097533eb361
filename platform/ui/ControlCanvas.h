// A canvas on the window of any control, for overlays that draw on top of what the
// control painted. The window system lets a window be drawn on only while it paints:
// Lock gives a canvas then, and otherwise asks for a repaint (during which the overlay
// draws) and gives none.
#pragma once
#include <memory>
#include "platform/ui/Controls.h"

class QPainter;

class TControlCanvas {
public:
    TControlCanvas();
    ~TControlCanvas();
    TControlCanvas(const TControlCanvas&) = delete;
    TControlCanvas& operator=(const TControlCanvas&) = delete;

    TControl* GetControl() const { return FControl; }
    void SetControl(TControl* Control);

    // The canvas on the control's window while the control paints (a self-painting
    // control's own canvas, else one on its widget); null otherwise. Each Lock that
    // gives a canvas is matched by one Unlock.
    TCanvas* Lock();
    void Unlock();

private:
    TControl* FControl = nullptr;
    std::unique_ptr<TCanvas> FCanvas;
    std::unique_ptr<QPainter> FPainter;
};
