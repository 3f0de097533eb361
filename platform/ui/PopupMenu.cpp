#include "platform/ui/PopupMenu.h"

#include <QMenu>

TPopupMenu::TPopupMenu(TComponent* Owner) : TComponent(Owner), FItems(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() { AttachTo(nullptr); }

void TPopupMenu::Popup(int ScreenX, int ScreenY) { FItems->PlatformMenu()->popup(QPoint(ScreenX, ScreenY)); }

bool TPopupMenu::IsOpen() const { return FItems->PlatformMenu()->isVisible(); }

void TPopupMenu::AttachTo(TControl* Control)
{
    if (FControl) {
        FControl->DetachHook(FHook);
        // The notification is kept on both sides, so both let go.
        FControl->RemoveFreeNotification(this);
        RemoveFreeNotification(FControl);
    }
    FControl = Control;
    if (!Control) return;
    Control->FreeNotification(this);
    FHook = Control->AttachHook({nullptr, [this](TMessage& Message) {
                                     if (Message.Msg != WM_RBUTTONUP) return;
                                     const TPoint at = FControl->ClientToScreen(
                                         TPoint{LowSigned16(Message.LParam), HighSigned16(Message.LParam)});
                                     Popup(at.x, at.y);
                                 }});
}

void TPopupMenu::Notification(TComponent* Component, TOperation Operation)
{
    TComponent::Notification(Component, Operation);
    if (Operation == opRemove && Component == FControl) FControl = nullptr;
}
