// The control builder on real widgets (offscreen): number entries keep the decimals and
// the step they were made with, ranges clamp only where they are set, drop-down lists
// start on the chosen item, and a form's rows line their captions up with their entries.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "FormFixture.h"
#include "TestSupport.h"
#include "platform/ui/ControlBuilder.h"

namespace {

using TBuilderFixture = TFormFixture;

TEST_F(TBuilderFixture, NumberEntryShowsItsDecimalsAndStepsByItsIncrement)
{
    struct Case {
        int Decimals;
        double Increment;
        double Value;
        const char* Shown;
        const char* AfterArrowUp;
    };
    const Case cases[] = {
        {0, 1.0, 2.6, "3", "4"},
        {1, LastDecimalStep(1), 2.26, "2.3", "2.4"},
        {3, LastDecimalStep(3), 0.5, "0.500", "0.501"},
        {5, 0.00001, 1, "1.00000", "1.00001"},
        // A float entry may step by more than its last decimal.
        {1, 1.0, 0.5, "0.5", "1.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Shown);
        TRxSpinEdit* edit = MakeSpinEdit(Form, Form, "edit", 8, 8, 80, c.Decimals, c.Increment);
        EXPECT_EQ(edit->GetValueType(), c.Decimals > 0 ? vtFloat : vtInteger);
        EXPECT_EQ(edit->GetHeight(), EntryHeight);
        edit->SetValue(c.Value);
        EXPECT_EQ(edit->GetCaption(), c.Shown);
        OperatorKey(edit->Widget(), Qt::Key_Up);
        EXPECT_EQ(edit->GetCaption(), c.AfterArrowUp);
    }
}

TEST_F(TBuilderFixture, RangeWithoutValueLeavesTheShownValueAndWithOneClampsIt)
{
    TRxSpinEdit* edit = MakeSpinEdit(Form, Form, "edit", 8, 8, 80, 1, 0.1);
    edit->SetValue(50);
    SetSpinRange(edit, 0, 10);
    EXPECT_EQ(edit->GetCaption(), "50.0");
    EXPECT_EQ(edit->GetMinValue(), 0);
    EXPECT_EQ(edit->GetMaxValue(), 10);
    SetSpinRange(edit, 1, 5, 7);
    EXPECT_EQ(edit->GetCaption(), "5.0");
    // Equal bounds leave any value as it is.
    SetSpinRange(edit, 0, 0, -3);
    EXPECT_EQ(edit->GetCaption(), "-3.0");
}

TEST_F(TBuilderFixture, DropDownListStartsOnTheChosenItemOrOnNone)
{
    TComboBox* chosen = MakeDropDownList(Form, Form, "chosen", 8, 8, 100, {"uL", "mL", "L"}, 1);
    EXPECT_EQ(chosen->GetStyle(), csDropDownList);
    EXPECT_EQ(chosen->Items().Lines(), (std::vector<std::string>{"uL", "mL", "L"}));
    EXPECT_EQ(chosen->GetItemIndex(), 1);
    TComboBox* none = MakeDropDownList(Form, Form, "none", 8, 40, 100, {"None", "3d order"}, -1);
    EXPECT_EQ(none->GetItemIndex(), -1);
}

TEST_F(TBuilderFixture, RowsPutTheCaptionBesideItsEntryInTheGroup)
{
    auto* group = MakeControl<TGroupBox>(Form, Form, "group", "Group", 4, 4, 260, 120);
    constexpr TEntryColumns rows{.LabelLeft = 8, .LabelWidth = 120, .EntryLeft = 130, .EntryWidth = 80, .LabelDrop = 2};
    TLabel* label = rows.Label(Form, group, "lblSpeed", "Speed (mm/s)", 44);
    TRxSpinEdit* entry = rows.Entry(Form, group, "edSpeed", 44, 2, LastDecimalStep(2));
    TComboBox* list = rows.List(Form, group, "cbbMode", 70, {"Continuous", "Automatic"});

    EXPECT_EQ(label->Name, "lblSpeed");
    EXPECT_EQ(label->GetCaption(), "Speed (mm/s)");
    EXPECT_EQ(label->GetParent(), group);
    EXPECT_EQ(label->GetLeft(), 8);
    EXPECT_EQ(label->GetTop(), 46);
    EXPECT_EQ(label->GetWidth(), 120);
    EXPECT_EQ(entry->GetParent(), group);
    EXPECT_EQ(entry->GetLeft(), 130);
    EXPECT_EQ(entry->GetTop(), 44);
    EXPECT_EQ(entry->GetWidth(), 80);
    EXPECT_EQ(entry->GetDecimal(), 2);
    EXPECT_DOUBLE_EQ(entry->Increment, 0.01);
    EXPECT_EQ(list->GetLeft(), 130);
    EXPECT_EQ(list->GetItemIndex(), 0);
}

}  // namespace
