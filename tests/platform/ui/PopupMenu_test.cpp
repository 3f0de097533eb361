// The popup menu opens on the right-button release over its control only, follows the
// control it is attached to, and outlives a control that goes first.
#include <gtest/gtest.h>

#include <QMenu>
#include <memory>

#include "TestSupport.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(PopupMenu, OpensOnRightButtonReleaseOverItsControl)
{
    TPopupMenu menu(nullptr);
    int clicks = 0;
    TMenuItem* item = NewMenuItem(&menu, menu.Items(), "MIProperties", "Properties");
    item->OnClick = [&](TObject*) { ++clicks; };
    auto first = std::make_unique<TPanel>(nullptr);
    auto second = std::make_unique<TPanel>(nullptr);
    menu.AttachTo(first.get());
    first->Perform(WM_LBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_FALSE(menu.IsOpen());
    second->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_FALSE(menu.IsOpen());
    first->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_TRUE(menu.IsOpen());
    item->PlatformAction()->trigger();
    EXPECT_EQ(clicks, 1);
    menu.Items()->PlatformMenu()->close();

    menu.AttachTo(second.get());
    first->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_FALSE(menu.IsOpen());
    second->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 5));
    EXPECT_TRUE(menu.IsOpen());
    menu.Items()->PlatformMenu()->close();
    // The control goes before the menu.
    second.reset();
}

}  // namespace
