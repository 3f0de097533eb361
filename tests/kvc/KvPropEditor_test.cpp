// The property grid on a real widget (offscreen): value conversions of the items, the
// row layout, rows selected by real clicks opening typed edits with exact texts, and the
// picture of rows, caption boxes and grid lines.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvPropEditor.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

std::string Sep(const std::string& Text)
{
    std::string result = Text;
    for (char& c : result)
        if (c == '.') c = GetDecimalSeparator();
    return result;
}

struct TPropFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 300, 250);
        Grid = WidgetInput::PlaceOn<TKvPropEditor>(Form, 10, 10, 200, 150);
        WidgetInput::ShowLoaded(Form);
    }
    void TearDown() override { FreeForm(Form); }
    TKvPropItem* Add(TKvPropItemValueType Type, const std::string& Caption, const std::string& Value)
    {
        TKvPropItem* item = Grid->Items()->Add();
        item->SetValueType(Type);
        item->SetCaption(Caption);
        item->SetValueStr(Value);
        return item;
    }
    void ClickRow(int Index)
    {
        const TRect row = Grid->Rows().at(static_cast<size_t>(Index)).Rect;
        WidgetInput::Click(Grid, row.Left + 60, row.Top + 5);
    }
    TColor Pixel(int X, int Y) const { return Grid->Picture().Canvas()->GetPixel(X, Y); }
    TForm* Form = nullptr;
    TKvPropEditor* Grid = nullptr;
};

TEST_F(TPropFixture, PublishedDefaults)
{
    EXPECT_EQ(TKvPropEditor::border_size, 1);
    EXPECT_EQ(TKvPropEditor::grid_size, 1);
    EXPECT_EQ(Grid->GetIntProp(0), 15);
    EXPECT_EQ(Grid->GetIntProp(1), 10);
    EXPECT_EQ(Grid->GetIntProp(2), 50);
    EXPECT_EQ(Grid->GetColorProp(0), clBtnFace);
    EXPECT_EQ(Grid->GetColorProp(1), clBtnFace);
    EXPECT_EQ(Grid->GetColorProp(2), RGB(160, 150, 131));
    EXPECT_EQ(Grid->GetColorProp(3), RGB(247, 222, 156));
    EXPECT_FALSE(Grid->GetBoolProp(0));
    EXPECT_TRUE(Grid->GetBoolProp(1));
    EXPECT_TRUE(Grid->GetBoolProp(2));
    EXPECT_TRUE(Grid->GetBoolProp(3));
    TKvPropItem* item = Grid->Items()->Add();
    TKvPropItem* second = Grid->Items()->Add();
    EXPECT_EQ(item->Name, "Item1");
    EXPECT_EQ(second->GetDisplayName(), "Item2");
    EXPECT_TRUE(item->GetParentColor());
    EXPECT_TRUE(item->GetParentFont());
    EXPECT_TRUE(item->GetParentRowHeight());
    EXPECT_FALSE(item->GetIsCaption());
    EXPECT_EQ(item->GetColor(), clSilver);
    EXPECT_EQ(item->GetRowHeight(), 20);
    EXPECT_EQ(item->GetValueType(), pivtStr);
    EXPECT_EQ(item->GetEditType(), pietDefault);
    EXPECT_EQ(item->FloatFormat, ffFixed);
    EXPECT_EQ(item->FloatPrecision, 12);
    EXPECT_EQ(item->FloatDigits, 2);
    EXPECT_EQ(item->Increment, 1.0f);
    EXPECT_EQ(item->Owner(), Grid);
}

TEST_F(TPropFixture, ValueConversionsOfEveryType)
{
    TKvPropItem* item = Grid->Items()->Add();
    struct ReadCase {
        TKvPropItemValueType Type;
        const char* Text;
        int Int;
        double Float;
        bool Bool;
    } reads[] = {
        {pivtStr, "12", 0, 0, false},     {pivtDec, "12", 12, 12, true},       {pivtDec, " -3 ", -3, -3, true},
        {pivtHex, "ff", 255, 255, true},  {pivtHex, "zz", 0, 0, false},        {pivtFloat, "2,5", 3, 2.5, true},
        {pivtFloat, "2.5", 3, 2.5, true}, {pivtFloat, "-2.7", -2, -2.7, true}, {pivtFloat, "0.4", 0, 0.4, false},
        {pivtBool, "true", 1, 1, true},   {pivtBool, "yes", 0, 0, false},
    };
    for (const ReadCase& c : reads) {
        item->SetValueType(c.Type);
        item->SetValueStr(c.Text);
        EXPECT_EQ(item->GetValueInt(), c.Int) << c.Text;
        EXPECT_DOUBLE_EQ(item->GetValueFloat(), c.Float) << c.Text;
        EXPECT_EQ(item->GetValueBool(), c.Bool) << c.Text;
    }
    item->SetValueType(pivtDec);
    item->SetValueStr("1.5");
    EXPECT_THROW(item->GetValueInt(), EConvertError);

    struct WriteCase {
        TKvPropItemValueType Type;
        int Kind;  // 0 int, 1 float, 2 bool
        double Value;
        std::string Text;
    } writes[] = {
        {pivtStr, 0, 42, "42"},
        {pivtDec, 0, -7, "-7"},
        {pivtHex, 0, 255, "FF"},
        {pivtHex, 1, 15.5, "10"},
        {pivtDec, 1, 2.5, "3"},
        {pivtDec, 1, -2.7, "-2"},
        {pivtFloat, 1, 3.14159, Sep("3.14")},
        {pivtFloat, 0, 4, Sep("4.00")},
        {pivtStr, 1, 1.5, Sep("1.50")},
        {pivtFloat, 2, 1, Sep("1.00")},
        {pivtDec, 2, 1, "1"},
        {pivtBool, 2, 1, "true"},
        {pivtBool, 2, 0, "false"},
        {pivtBool, 0, 5, "true"},
        {pivtBool, 1, 0, "false"},
        {pivtStr, 2, 1, "true"},
    };
    for (const WriteCase& c : writes) {
        item->SetValueType(c.Type);
        if (c.Kind == 0)
            item->SetValueInt(static_cast<int>(c.Value));
        else if (c.Kind == 1)
            item->SetValueFloat(c.Value);
        else
            item->SetValueBool(c.Value != 0);
        EXPECT_EQ(item->GetValueStr(), c.Text) << c.Type << " " << c.Kind << " " << c.Value;
    }

    // Booleans with their own texts.
    TStringList texts;
    texts.Add("no");
    texts.Add("yes");
    item->SetValueType(pivtBool);
    item->SetListAdmissibleValues(texts);
    item->SetValueBool(true);
    EXPECT_EQ(item->GetValueStr(), "yes");
    EXPECT_TRUE(item->GetValueBool());
    item->SetValueBool(false);
    EXPECT_EQ(item->GetValueStr(), "no");
    EXPECT_FALSE(item->GetValueBool());
    item->SetValueStr("true");
    EXPECT_FALSE(item->GetValueBool());
    // One text only: false has its own text, true falls back.
    TStringList one;
    one.Add("off");
    item->SetListAdmissibleValues(one);
    item->SetValueBool(true);
    EXPECT_EQ(item->GetValueStr(), "true");
    item->SetValueBool(false);
    EXPECT_EQ(item->GetValueStr(), "off");
}

TEST_F(TPropFixture, AssignCopiesAllButCaptionAndTag)
{
    TKvPropItem* source = Add(pivtFloat, "Source", "1.5");
    source->SetFlag(0, false);
    source->SetFlag(3, true);
    source->SetColor(clRed);
    source->SetRowHeight(33);
    source->Name = "Speed";
    source->SetEditType(pietEdit);
    source->Min = -1;
    source->Max = 9;
    source->FloatDigits = 4;
    source->Increment = 0.25f;
    source->Font()->SetName("DejaVu Serif");
    source->Tag = 5;
    TStringList list;
    list.Add("a");
    source->SetListAdmissibleValues(list);
    TKvPropItem* target = Add(pivtStr, "Target", "x");
    target->Assign(source);
    EXPECT_EQ(target->GetCaption(), "Target");
    EXPECT_EQ(target->Tag, 0);
    EXPECT_EQ(target->Name, "Speed");
    EXPECT_FALSE(target->GetParentColor());
    EXPECT_TRUE(target->GetIsCaption());
    EXPECT_EQ(target->GetColor(), clRed);
    EXPECT_EQ(target->GetRowHeight(), 33);
    EXPECT_EQ(target->GetValueType(), pivtFloat);
    EXPECT_EQ(target->GetEditType(), pietEdit);
    EXPECT_EQ(target->Min, -1);
    EXPECT_EQ(target->Max, 9);
    EXPECT_EQ(target->GetValueStr(), "1.5");
    EXPECT_EQ(target->FloatDigits, 4);
    EXPECT_EQ(target->Increment, 0.25f);
    EXPECT_EQ(target->Font()->GetName(), "DejaVu Serif");
    EXPECT_EQ(target->GetListAdmissibleValues().Count(), 1);
    try {
        TKvPropItemCollection other(nullptr);
        target->Assign(&other);
        FAIL() << "no exception";
    } catch (const EAssignError& error) {
        EXPECT_STREQ(error.what(), "Can'not assign to TKvPropItem");
    }

    // The grid copies a collection it is given.
    TKvPropItemCollection items(nullptr);
    items.Add()->SetValueStr("copied");
    Grid->SetItems(&items);
    ASSERT_EQ(Grid->Items()->Count(), 1);
    EXPECT_EQ(Grid->Items()->GetItem(0)->GetValueStr(), "copied");
    EXPECT_EQ(Grid->Rows().size(), 1u);
    EXPECT_EQ(items.Count(), 1);
}

TEST_F(TPropFixture, RowsStackOnePixelApart)
{
    Add(pivtStr, "A", "");
    Add(pivtStr, "B", "");
    TKvPropItem* third = Add(pivtStr, "C", "");
    ASSERT_EQ(Grid->Rows().size(), 3u);
    EXPECT_EQ(Grid->Rows()[0].Rect, Rect(1, 1, 199, 16));
    EXPECT_EQ(Grid->Rows()[1].Rect, Rect(1, 17, 199, 32));
    EXPECT_EQ(Grid->Rows()[2].Rect, Rect(1, 33, 199, 48));
    EXPECT_EQ(Grid->Rows()[2].Item, third);
    // Own row heights and a new default take effect at the next layout.
    Grid->Items()->GetItem(0)->SetFlag(2, false);
    Grid->SetIntProp(0, 20);
    EXPECT_EQ(Grid->Rows()[0].Rect, Rect(1, 1, 199, 21));
    EXPECT_EQ(Grid->Rows()[1].Rect, Rect(1, 22, 199, 42));
    // A narrower control lays the rows out again.
    Grid->SetWidth(120);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Rows()[1].Rect.Right, 119);
    // Removing an item leaves no row behind that points at it.
    Grid->Items()->Delete(2);
    EXPECT_EQ(Grid->Rows().size(), 2u);
}

TEST_F(TPropFixture, ClickingARowOpensItsTypedEdit)
{
    Add(pivtStr, "Group", "")->SetFlag(3, true);
    Add(pivtDec, "Count", "12")->Max = 20;
    Add(pivtHex, "Mask", "ff");
    Add(pivtFloat, "Speed", "2,5");
    Add(pivtBool, "On", "true");
    TKvPropItem* boolEdit = Add(pivtBool, "Flag", "true");
    boolEdit->SetEditType(pietEdit);
    Add(pivtStr, "Name", "Trough A");
    Add(pivtDec, "Broken", "x1");

    ClickRow(0);
    EXPECT_EQ(Grid->SelectedRow(), 0);
    EXPECT_EQ(Grid->PropEdit(), nullptr);

    struct Case {
        int Row;
        KVC::TTypeValue Type;
        bool Signed;
        std::string Text;
    } cases[] = {
        {1, KVC::tvDecimal, true, "12"},
        {2, KVC::tvHexadecimal, false, "FF"},
        {3, KVC::tvFloat, true, Sep("2.50")},
        {5, KVC::tvDecimal, false, "1"},
        {6, KVC::tvString, false, "Trough A"},
        // A stored text that is no number opens at the edit's default.
        {7, KVC::tvDecimal, true, "0"},
    };
    for (const Case& c : cases) {
        ClickRow(c.Row);
        EXPECT_EQ(Grid->SelectedRow(), c.Row);
        KVC::TKvEdit* edit = Grid->PropEdit();
        ASSERT_NE(edit, nullptr) << c.Row;
        EXPECT_EQ(edit->GetTypeValue(), c.Type) << c.Row;
        if (c.Type != KVC::tvString) {
            EXPECT_EQ(edit->GetSigned(), c.Signed) << c.Row;
        }
        EXPECT_EQ(edit->GetText(), c.Text) << c.Row;
        const TRect row = Grid->Rows()[static_cast<size_t>(c.Row)].Rect;
        EXPECT_EQ(edit->BoundsRect(), Rect(51, row.Top, 51 + row.Right - 50 + 1, row.Bottom)) << c.Row;
    }
    // A boolean row with the default kind opens nothing.
    ClickRow(4);
    EXPECT_EQ(Grid->SelectedRow(), 4);
    EXPECT_EQ(Grid->PropEdit(), nullptr);

    // Typing goes through the edit's key filter; the item keeps its text until the owner
    // takes the value from the edit.
    ClickRow(1);
    KVC::TKvEdit* edit = Grid->PropEdit();
    EXPECT_EQ(edit->Max, 20);
    edit->SetText("");
    WidgetInput::PressKey(edit, Qt::Key_3, "3");
    WidgetInput::PressKey(edit, Qt::Key_A, "a");
    WidgetInput::PressKey(edit, Qt::Key_0, "0");
    WidgetInput::PressKey(edit, Qt::Key_Return, "\r");
    EXPECT_EQ(edit->GetText(), "20");
    EXPECT_EQ(Grid->Items()->GetItem(1)->GetValueStr(), "12");
    // Clicking the same row again keeps its edit.
    ClickRow(1);
    EXPECT_EQ(Grid->PropEdit(), edit);
}

TEST_F(TPropFixture, PictureOfRowsCaptionBoxAndLines)
{
    Grid->SetColorProp(1, clAqua);
    Add(pivtStr, "Group", "")->SetFlag(3, true);
    TKvPropItem* own = Add(pivtStr, "Own", "v");
    own->SetFlag(0, false);
    own->SetColor(clYellow);
    Add(pivtStr, "Plain", "w");
    Grid->Repaint();
    const TColor gridColor = RGB(160, 150, 131);
    // The frame around the client area.
    EXPECT_EQ(Pixel(0, 0), gridColor);
    EXPECT_EQ(Pixel(199, 100), gridColor);
    // Caption row 1..16: its colour, the 7 x 7 box from x 4, centred at rows 5..11.
    EXPECT_EQ(Pixel(150, 5), clAqua);
    EXPECT_EQ(Pixel(4, 5), clBlack);
    EXPECT_EQ(Pixel(10, 11), clBlack);
    EXPECT_EQ(Pixel(4, 4), clAqua);
    EXPECT_EQ(Pixel(5, 6), clWhite);
    EXPECT_EQ(Pixel(5, 8), clWhite);
    // The plus sign through its middle.
    EXPECT_EQ(Pixel(7, 8), clBlack);
    EXPECT_EQ(Pixel(6, 8), clBlack);
    EXPECT_EQ(Pixel(7, 7), clBlack);
    // Second row in its own colour, third in the default item colour.
    EXPECT_EQ(Pixel(150, 25), clYellow);
    EXPECT_EQ(Pixel(150, 40), ColorToRGB(clBtnFace));
    // A dotted line at the top of every row but the first.
    int dots = 0;
    for (int x = 1; x < 199; ++x) dots += Pixel(x, 17) == gridColor;
    EXPECT_GT(dots, 30);
    EXPECT_LT(dots, 190);
    // The line between the columns on value rows only.
    EXPECT_EQ(Pixel(50, 25), gridColor);
    EXPECT_EQ(Pixel(50, 8), clAqua);
    Grid->SetBoolProp(3, false);
    Grid->SetBoolProp(2, false);
    Grid->Repaint();
    EXPECT_EQ(Pixel(120, 17), clYellow);
    EXPECT_EQ(Pixel(50, 25), clYellow);
}

}  // namespace
