// The tab control: tabs chosen by code run no handler, the operator's choice does, and
// aligned controls keep out of the tab strip on the side it sits on.
#include <gtest/gtest.h>

#include <QTabBar>

#include "TestSupport.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TabControl.h"

namespace {

TEST(TabControl, TabsHandlersAndTheAreaBesideTheStrip)
{
    TTabControl tabs(nullptr);
    tabs.SetBounds(0, 0, 300, 200);
    int changes = 0;
    tabs.OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(tabs.GetTabIndex(), -1);
    tabs.SetTabs({"Bottom", "Left", "Right"});
    EXPECT_EQ(tabs.TabCount(), 3);
    EXPECT_EQ(tabs.GetTabIndex(), 0);
    tabs.SetTabIndex(2);
    EXPECT_EQ(tabs.GetTabIndex(), 2);
    tabs.SetTabIndex(5);
    EXPECT_EQ(tabs.GetTabIndex(), 2);
    EXPECT_EQ(changes, 0);
    tabs.ChooseTab(1);
    EXPECT_EQ(changes, 1);
    // A click on a tab of the strip is the operator's choice.
    tabs.Widget()->findChild<QTabBar*>()->setCurrentIndex(0);
    EXPECT_EQ(changes, 2);
    tabs.SetTabCaption(1, "Links");
    EXPECT_EQ(tabs.TabCaption(1), "Links");

    auto* panel = new TPanel(&tabs);
    panel->SetParent(&tabs);
    panel->SetAlign(alClient);
    tabs.EndLoading();
    tabs.SetTabPosition(tpRight);
    const int strip = tabs.Widget()->findChild<QTabBar*>()->width();
    EXPECT_GT(strip, 0);
    EXPECT_EQ(panel->GetLeft(), 0);
    EXPECT_EQ(panel->GetTop(), 0);
    EXPECT_EQ(panel->GetWidth(), 300 - strip);
    EXPECT_EQ(panel->GetHeight(), 200);
}

}  // namespace
