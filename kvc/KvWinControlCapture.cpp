#include "kvc/KvWinControlCapture.h"

namespace KVC {

TKvWinControlCapture::TKvWinControlCapture(TComponent* Owner) : TComponent(Owner)
{
    if (auto* control = dynamic_cast<TWinControl*>(Owner)) Attach(control);
}

TKvWinControlCapture::~TKvWinControlCapture() { Detach(); }

void TKvWinControlCapture::Attach(TWinControl* Control)
{
    FWinControl = Control;
    if (!FWinControl) return;
    FreeNotification(FWinControl);
    TMessageHook hook;
    hook.Before = [this](TMessage& Message) { return WndProc(Message); };
    // Reached only for messages the control handled (the before handler left them).
    hook.After = [this](TMessage& Message) {
        bool handled = false;
        if (OnAfterMessage && FActive) OnAfterMessage(this, Message, handled);
    };
    FHook = FWinControl->AttachHook(std::move(hook));
}

void TKvWinControlCapture::Detach()
{
    if (!FWinControl) return;
    FWinControl->DetachHook(FHook);
    FWinControl->RemoveFreeNotification(this);
    RemoveFreeNotification(FWinControl);
    FHook = 0;
    FWinControl = nullptr;
}

void TKvWinControlCapture::SetWinControl(TWinControl* Value)
{
    if (Value == FWinControl) return;
    Detach();
    Attach(Value);
}

void TKvWinControlCapture::Notification(TComponent* Component, TOperation Operation)
{
    TComponent::Notification(Component, Operation);
    // The control is being destroyed and drops its hooks itself: only forget it.
    if (Operation == opRemove && Component && Component == FWinControl) {
        FWinControl = nullptr;
        FHook = 0;
    }
}

bool TKvWinControlCapture::WndProc(TMessage& Message)
{
    bool handled = false;
    if (OnBeforeMessage && FActive) OnBeforeMessage(this, Message, handled);
    if (!handled) return false;
    // A kept message never reaches the control; the after handler still sees it.
    if (OnAfterMessage && FActive) OnAfterMessage(this, Message, handled);
    return true;
}

}  // namespace KVC
