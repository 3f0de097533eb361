// A menu item linked to an action follows the action's changes one by one: what the item
// was given on its own (hidden, say) stands until the action changes that very thing.
#include <gtest/gtest.h>

#include <QAction>

#include "TestSupport.h"
#include "platform/ui/PopupMenu.h"

namespace {

TEST(MenuItemAction, TakesOnlyWhatTheActionChanged)
{
    TPopupMenu menu(nullptr);
    TAction action(nullptr);
    action.SetCaption("Pump Control");
    TMenuItem* item = NewMenuItem(&menu, menu.Items(), "miPump", "", &action);
    item->SetVisible(false);

    // A translation gives the action its hint and short cut and disables it: the item
    // takes each and stays hidden.
    action.SetHint("Opens the pump window");
    action.SetShortCut(0x4050);
    action.SetEnabled(false);
    action.SetChecked(true);
    EXPECT_FALSE(item->GetVisible());
    EXPECT_FALSE(item->PlatformAction()->isVisible());
    EXPECT_EQ(item->GetHint(), "Opens the pump window");
    EXPECT_FALSE(item->GetEnabled());
    EXPECT_TRUE(item->GetChecked());

    // A change of the action's own visibility reaches the item both ways.
    action.SetVisible(false);
    EXPECT_FALSE(item->GetVisible());
    action.SetVisible(true);
    EXPECT_TRUE(item->GetVisible());
    EXPECT_TRUE(item->PlatformAction()->isVisible());

    // An item linked later takes the action's whole state at once.
    TMenuItem* second = NewMenuItem(&menu, menu.Items(), "miPump2", "", &action);
    EXPECT_TRUE(second->GetVisible());
    EXPECT_FALSE(second->GetEnabled());
    EXPECT_EQ(second->GetHint(), "Opens the pump window");
}

}  // namespace
