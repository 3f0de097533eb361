#include "platform/ui/KeyState.h"
#include <QGuiApplication>
#include <mutex>

namespace {
std::mutex SourceLock;
std::function<bool(int)> Source;

bool RealKeyDown(int VirtualKey)
{
    if (!QGuiApplication::instance()) return false;
    const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    switch (VirtualKey) {
    case 0x10:
        return modifiers.testFlag(Qt::ShiftModifier);
    case 0x11:
        return modifiers.testFlag(Qt::ControlModifier);
    case 0x12:
        return modifiers.testFlag(Qt::AltModifier);
    case 0x01:
        return buttons.testFlag(Qt::LeftButton);
    case 0x02:
        return buttons.testFlag(Qt::RightButton);
    case 0x04:
        return buttons.testFlag(Qt::MiddleButton);
    default:
        return false;
    }
}
}  // namespace

short GetKeyState(int VirtualKey)
{
    std::function<bool(int)> source;
    {
        std::lock_guard<std::mutex> lock(SourceLock);
        source = Source;
    }
    const bool down = source ? source(VirtualKey) : RealKeyDown(VirtualKey);
    return down ? static_cast<short>(0x8000) : 0;
}

void SetKeyStateSource(std::function<bool(int)> IsDown)
{
    std::lock_guard<std::mutex> lock(SourceLock);
    Source = std::move(IsDown);
}
