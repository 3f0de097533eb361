// Plumbing shared by the forms and controls sources; not for the system's code.
#pragma once
#include <QColor>
#include <QWidget>
#include <functional>
#include "platform/ui/Controls.h"

// The widget of a self-painting control: its paint runs WM_PAINT through the control's
// chain with the canvas attached, so hooks can draw after the control.
class TPaintWidget : public QWidget {
public:
    TPaintWidget(TControl* Control, std::function<TCanvas*()> Canvas, QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    TControl* FControl;
    std::function<TCanvas*()> FCanvas;
};

TShiftState ShiftFromModifiers(unsigned Modifiers, unsigned Buttons);
QColor ToPlatformColor(TColor Color);

inline QString ToQ(const std::string& Text) { return QString::fromStdString(Text); }
inline std::string FromQ(const QString& Text) { return Text.toStdString(); }
