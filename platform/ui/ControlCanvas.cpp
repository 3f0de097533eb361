#include "platform/ui/ControlCanvas.h"

#include <QPainter>
#include <QWidget>

TControlCanvas::TControlCanvas() : FCanvas(std::make_unique<TCanvas>()) {}

TControlCanvas::~TControlCanvas() { Unlock(); }

void TControlCanvas::SetControl(TControl* Control)
{
    Unlock();
    FControl = Control;
}

TCanvas* TControlCanvas::Lock()
{
    QWidget* widget = FControl ? FControl->Widget() : nullptr;
    if (!widget || FPainter) return nullptr;
    if (!widget->testAttribute(Qt::WA_WState_InPaintEvent)) {
        widget->update();
        return nullptr;
    }
    // A self-painting control's widget already has its painter: draw through it.
    TCanvas* own = nullptr;
    if (auto* custom = dynamic_cast<TCustomControl*>(FControl))
        own = custom->Canvas();
    else if (auto* graphic = dynamic_cast<TGraphicControl*>(FControl))
        own = graphic->Canvas();
    if (own) return own->SurfaceSize().cx > 0 ? own : nullptr;
    FPainter = std::make_unique<QPainter>(widget);
    FCanvas->AttachPainter(FPainter.get());
    return FCanvas.get();
}

void TControlCanvas::Unlock()
{
    if (!FPainter) return;
    FCanvas->DetachPainter();
    FPainter.reset();
}
