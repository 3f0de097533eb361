// Operator input for the component tests: mouse, wheel and key events sent to a
// control's widget as the window system would deliver them.
#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include <string>

#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

namespace WidgetInput {

// A press, move or release at (X, Y) in the control; the button is held from press to release.
inline void Mouse(TControl* Control, QEvent::Type Type, int X, int Y, Qt::MouseButton Button = Qt::LeftButton)
{
    QWidget* widget = Control->Widget();
    const QPointF local(X, Y);
    const Qt::MouseButtons held = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Button);
    QMouseEvent event(Type, local, widget->mapToGlobal(local), Type == QEvent::MouseMove ? Qt::NoButton : Button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A move to (X, Y) with no button held, as the operator's hovering produces it.
inline void PlainMove(TControl* Control, int X, int Y)
{
    QWidget* widget = Control->Widget();
    const QPointF local(X, Y);
    QMouseEvent event(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void Click(TControl* Control, int X, int Y, Qt::MouseButton Button = Qt::LeftButton)
{
    Mouse(Control, QEvent::MouseButtonPress, X, Y, Button);
    Mouse(Control, QEvent::MouseButtonRelease, X, Y, Button);
}

// Delta in eighths of a degree: 120 is one notch away from the operator.
inline void Wheel(TControl* Control, int Delta)
{
    QWidget* widget = Control->Widget();
    const QPointF local(10, 5);
    QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

inline void Key(TControl* Control, QEvent::Type Type, int QtKey, const QString& Text = QString(),
                Qt::KeyboardModifiers Mods = Qt::NoModifier, bool Repeat = false)
{
    QKeyEvent event(Type, QtKey, Mods, Text, Repeat);
    QApplication::sendEvent(Control->Widget(), &event);
}

// Press and release.
inline void PressKey(TControl* Control, int QtKey, const QString& Text = QString(),
                     Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    Key(Control, QEvent::KeyPress, QtKey, Text, Mods);
    Key(Control, QEvent::KeyRelease, QtKey, Text, Mods);
}

// The key a character is typed with on the keyboard (Qt::Key_unknown for one no test types).
inline int QtKeyOf(char C)
{
    if (C >= '0' && C <= '9') return Qt::Key_0 + (C - '0');
    if (C >= 'a' && C <= 'z') return Qt::Key_A + (C - 'a');
    if (C >= 'A' && C <= 'Z') return Qt::Key_A + (C - 'A');
    switch (C) {
    case '.':
        return Qt::Key_Period;
    case ',':
        return Qt::Key_Comma;
    case '-':
        return Qt::Key_Minus;
    case '+':
        return Qt::Key_Plus;
    case '\r':
        return Qt::Key_Return;
    case '\b':
        return Qt::Key_Backspace;
    case '\x1B':
        return Qt::Key_Escape;
    default:
        return Qt::Key_unknown;
    }
}

// Presses and releases the key of C, with the text the keyboard gives it (none for a
// control character other than Enter, Backspace and Escape).
inline void Type(TControl* Control, char C, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    const QString text =
        static_cast<unsigned char>(C) >= 0x20 || C == '\r' || C == '\b' || C == '\x1B' ? QString(QChar(C)) : QString();
    PressKey(Control, QtKeyOf(C), text, Mods);
}

inline void TypeText(TControl* Control, const std::string& Text)
{
    for (char c : Text) Type(Control, c);
}

// A form at the bounds, still loading.
inline TForm* NewForm(int Left, int Top, int Width, int Height)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(Left, Top, Width, Height);
    return form;
}

// A control of the kind, owned by Parent and placed in it at the bounds.
template <class TKind, class TParent>
TKind* PlaceOn(TParent* Parent, int Left, int Top, int Width, int Height)
{
    auto* control = new TKind(Parent);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
}

// The form done loading and shown, with what showing posts handled.
inline void ShowLoaded(TForm* Form)
{
    Form->EndLoading();
    Form->Show();
    Application->ProcessMessages();
}

inline void Hover(TControl* Control, bool Enter)
{
    QEvent event(Enter ? QEvent::Enter : QEvent::Leave);
    QApplication::sendEvent(Control->Widget(), &event);
}

// The operator presses in the middle of the widget and drags, the button held, to a point
// of the screen (no release: the drag's owner decides what the move means).
inline void PressAndDragTo(QWidget* Widget, const QPoint& ScreenTo)
{
    const QPoint from = Widget->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, from, Widget->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(Widget, &press);
    QMouseEvent move(QEvent::MouseMove, Widget->mapFromGlobal(ScreenTo), ScreenTo, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Widget, &move);
}

}  // namespace WidgetInput
