// TPopupMenu: a menu that opens at the mouse when the operator releases the right button
// over the control it belongs to.
#pragma once
#include "platform/ui/Menus.h"

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* Owner);
    ~TPopupMenu() override;

    // The item whose sub-items the menu shows.
    TMenuItem* Items() const { return FItems; }
    // Opens the menu at the screen point.
    void Popup(int ScreenX, int ScreenY);
    // True while the menu is open.
    bool IsOpen() const;
    // The menu opens on the right-button release over Control (one control at a time).
    void AttachTo(TControl* Control);

protected:
    void Notification(TComponent* Component, TOperation Operation) override;

private:
    TMenuItem* FItems;
    TControl* FControl = nullptr;
    THookId FHook = 0;
};
