// The link label: the active font under the mouse, its own font back when it leaves.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvLinkLabel.h"
#include "platform/ui/Application.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Forms.h"

using namespace KVC;

TEST(KvLinkLabel, ShowsTheActiveFontWhileTheMouseIsOver)
{
    TForm* form = new TForm(nullptr);
    auto* label = new TKvLinkLabel(form);
    label->SetParent(form);
    label->SetCaption("Open");
    label->Font()->SetColor(clMaroon);
    form->EndLoading();
    form->Show();
    EXPECT_TRUE(label->Font()->GetStyle().Contains(fsUnderline));
    EXPECT_EQ(label->ActiveFont()->GetColor(), clBlue);
    EXPECT_EQ(GetControlCursor(label), crHandPoint);

    TFont active;
    active.SetColor(clGreen);
    active.SetStyle(TFontStyles() << fsBold);
    label->SetActiveFont(active);
    WidgetInput::Hover(label, true);
    EXPECT_EQ(label->Font()->GetColor(), clGreen);
    EXPECT_TRUE(label->Font()->GetStyle().Contains(fsBold));
    WidgetInput::Hover(label, false);
    EXPECT_EQ(label->Font()->GetColor(), clMaroon);
    EXPECT_FALSE(label->Font()->GetStyle().Contains(fsBold));
    EXPECT_TRUE(label->Font()->GetStyle().Contains(fsUnderline));
    FreeForm(form);
}
