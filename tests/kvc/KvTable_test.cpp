// The typed table on a real widget (offscreen): cells bound to variables of every type,
// keys typed into the in-place editor filtered by the cell's kind, stepping, clamping and
// confirmation with its events, rows inserted and deleted from the keyboard, pick lists,
// and the texts of conversions that fail.
#include <gtest/gtest.h>

#include <cstdint>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvTable.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/KeyState.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/Timers.h"

using namespace KVC;
using WidgetInput::Type;
using WidgetInput::TypeText;

namespace {

using TEvents = std::vector<std::string>;

std::string Sep(const std::string& Text)
{
    std::string result = Text;
    for (char& c : result)
        if (c == '.') c = GetDecimalSeparator();
    return result;
}

// Columns: 1 float (double, 0..10), 2 decimal (int32), 3 hexadecimal (uint16, unsigned),
// 4 string kind into a char, 5 pick list into a string, 6 free text into a string.
// Rows 1 to 4 are bound; row 5 is described but not bound.
struct TTableFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(20, 20, 700, 300);
        Table = WidgetInput::PlaceOn<TKvTable>(Form, 5, 5, 680, 250);
        Table->SetColCount(7);
        Table->SetRowCount(6);
        Table->SetOptions(goEditing | goAlwaysShowEditor);
        Table->OnGetCellInfo = [this](int Col, int Row, TKvTableCellInfo& Info) {
            ++InfoCalls;
            Info.Bound = Row >= 1 && Row <= 4;
            const size_t r = static_cast<size_t>(Row);
            switch (Col) {
            case 1:
                Info.VarType = kvvtDouble;
                Info.Value = &Doubles[r];
                Info.EditInfo.Kind = tvFloat;
                Info.EditInfo.Min = 0;
                Info.EditInfo.Max = 10;
                Info.EditInfo.Increment = 0.5f;
                break;
            case 2:
                Info.VarType = kvvtInt32;
                Info.Value = &Ints[r];
                Info.EditInfo.Kind = tvDecimal;
                break;
            case 3:
                Info.VarType = kvvtUInt16;
                Info.Value = &Words[r];
                Info.EditInfo.Kind = tvHexadecimal;
                Info.EditInfo.Signed = false;
                break;
            case 4:
                Info.VarType = kvvtChar;
                Info.Value = &Chars[r];
                break;
            case 5:
                Info.VarType = kvvtString;
                Info.Value = &Strings[r];
                Info.EditMode = kvemPickList;
                Info.OnGetPickList = [this](int C, int R, TStringList& List) {
                    Events.push_back("pick list " + std::to_string(C) + "," + std::to_string(R));
                    List.Add("red");
                    List.Add("green");
                    List.Add("blue");
                };
                break;
            case 6:
                Info.VarType = kvvtString;
                Info.Value = &Strings[r];
                Info.EditMode = 1;
                break;
            default:
                Info.Bound = 0;
                break;
            }
        };
        Table->OnCellValueChanged = [this](int Col, int Row) {
            Events.push_back("changed " + std::to_string(Col) + "," + std::to_string(Row));
        };
        Table->OnInsertRow = [this](int Row) { Events.push_back("inserted " + std::to_string(Row)); };
        Table->OnDeleteRow = [this](int Row) { Events.push_back("deleted " + std::to_string(Row)); };
        WidgetInput::ShowLoaded(Form);
        SetDebugOutputSink([this](const std::string& Text) { Debug.push_back(Text); });
    }
    void TearDown() override
    {
        SetDebugOutputSink({});
        SetKeyStateSource({});
        FreeForm(Form);
    }
    // Opens the editor on a cell and returns it.
    TInplaceEdit* Edit(int Col, int Row)
    {
        Table->FocusCell(Col, Row);
        Table->SetEditorMode(true);
        Take();
        return Table->InplaceEditor();
    }
    TEvents Take()
    {
        TEvents events;
        events.swap(Events);
        return events;
    }
    TForm* Form = nullptr;
    TKvTable* Table = nullptr;
    double Doubles[6] = {};
    std::int32_t Ints[6] = {};
    std::uint16_t Words[6] = {};
    char Chars[6] = {};
    std::string Strings[6];
    int InfoCalls = 0;
    TEvents Events;
    TEvents Debug;
};

TEST_F(TTableFixture, CellRecordsComeFromTheOwnerOncePerCell)
{
    EXPECT_EQ(TKvTable::codeColRow(3, 5), 3u * 65536u + 5u);
    EXPECT_EQ(TKvTable::codeColRow(0x10002, 1), 2u * 65536u + 1u);
    Table->RefreshTable();
    Table->RefreshTable();
    EXPECT_EQ(InfoCalls, 7 * 6);
    const TKvTableCellInfo* info = Table->getCellInfo(1, 1);
    EXPECT_EQ(info->Initialized, 1);
    EXPECT_EQ(info->Value, &Doubles[1]);
    EXPECT_EQ(InfoCalls, 7 * 6);

    // Without an owner's handler the default record stays as it is.
    TKvTable* plain = new TKvTable(Form);
    const TKvTableCellInfo* record = plain->getCellInfo(2, 2);
    EXPECT_EQ(record->Initialized, 0);
    EXPECT_EQ(record->EditMode, 0);
    EXPECT_EQ(record->EditInfo.DefaultValue, "0");
    EXPECT_TRUE(record->EditInfo.Signed);
    EXPECT_EQ(record->EditInfo.FloatFormat, ffFixed);
    EXPECT_EQ(record->EditInfo.FloatPrecision, 12);
    EXPECT_EQ(record->EditInfo.FloatDigits, 2);
    EXPECT_EQ(record->EditInfo.Increment, 1.0f);
    EXPECT_EQ(record->Value, nullptr);
    EXPECT_EQ(plain->LoadCellValue(2, 2), "0");
    EXPECT_FALSE(plain->CanAddRemoveRows);
}

TEST_F(TTableFixture, RefreshShowsEveryBoundVariable)
{
    Doubles[1] = 2.5;
    Ints[1] = -42;
    Words[1] = 65535;
    Chars[1] = 'x';
    Strings[1] = "green";
    Table->SetCells(1, 5, "untouched");
    Table->RefreshTable();
    EXPECT_EQ(Table->GetCells(1, 1), Sep("2.50"));
    EXPECT_EQ(Table->GetCells(2, 1), "-42");
    // Loading shows an unsigned decimal, whatever the kind of the cell.
    EXPECT_EQ(Table->GetCells(3, 1), "65535");
    EXPECT_EQ(Table->GetCells(4, 1), "x");
    EXPECT_EQ(Table->GetCells(5, 1), "green");
    EXPECT_EQ(Table->GetCells(4, 2), "");
    EXPECT_EQ(Table->GetCells(1, 5), "untouched");
    EXPECT_EQ(Table->GetCells(0, 1), "");
}

TEST_F(TTableFixture, TypedKeysAreFilteredByTheCellKind)
{
    struct Case {
        int Col;
        std::string Keys;
        std::string Text;
    } cases[] = {
        {1, "1a2.5.3", "12.53"}, {1, "1,5", "1.5"},   {1, "-2e-3", "-2e-3"}, {2, "-1x2.3", "-123"},
        {2, "1-2", "12"},        {3, "fFg-1", "fF1"}, {4, "a.Z", "a.Z"},     {6, "any,thing", "any,thing"},
    };
    for (const Case& c : cases) {
        TInplaceEdit* editor = Edit(c.Col, 2);
        ASSERT_NE(editor, nullptr);
        editor->SetText("");
        TypeText(editor, c.Keys);
        EXPECT_EQ(editor->GetText(), Sep(c.Text)) << c.Col << " " << c.Keys;
    }
    EXPECT_TRUE(Take().empty());
}

TEST_F(TTableFixture, EnterConfirmsClampsStoresAndReports)
{
    TInplaceEdit* editor = Edit(1, 1);
    editor->SetText("");
    TypeText(editor, "12");
    EXPECT_EQ(Doubles[1], 0);
    Type(editor, '\r');
    EXPECT_EQ(Doubles[1], 10);
    EXPECT_EQ(editor->GetText(), Sep("10.00"));
    EXPECT_EQ(Table->GetCells(1, 1), Sep("10.00"));
    EXPECT_EQ(Take(), (TEvents{"changed 1,1"}));
    // Enter on an unchanged entry confirms nothing.
    Type(editor, '\r');
    EXPECT_TRUE(Take().empty());

    // An empty decimal entry takes DefaultValue.
    Ints[2] = 9;
    editor = Edit(2, 2);
    editor->SetText("5");
    editor->SetSelStart(1);
    Type(editor, '\b');
    EXPECT_EQ(editor->GetText(), "");
    Type(editor, '\r');
    EXPECT_EQ(Ints[2], 0);
    EXPECT_EQ(editor->GetText(), "0");
    EXPECT_EQ(Take(), (TEvents{"changed 2,2"}));

    // An unsigned cell without a range turns a negative entry into 0.
    editor = Edit(3, 3);
    editor->SetText("-3");
    editor->SetModified(true);
    Type(editor, '\r');
    EXPECT_EQ(Words[3], 0);
    EXPECT_EQ(editor->GetText(), "0");
    Take();

    // A hexadecimal entry is stored by its base-16 value.
    editor = Edit(3, 1);
    editor->SetText("");
    TypeText(editor, "1F\r");
    EXPECT_EQ(Words[1], 0x1F);
    EXPECT_EQ(Table->getCellValueAsInt(3, 1), 31);

    // A character cell confirmed empty takes DefaultValue "0"; a direct store of nothing
    // gives the character 0.
    editor = Edit(4, 1);
    editor->SetText("q");
    editor->SetSelStart(1);
    Type(editor, '\b');
    Type(editor, '\r');
    EXPECT_EQ(Chars[1], '0');
    Table->StoreCellValue(4, 1, "");
    EXPECT_EQ(Chars[1], '\0');
    Table->StoreCellValue(4, 1, "hello");
    EXPECT_EQ(Chars[1], 'h');
}

TEST_F(TTableFixture, FreeTextIsShownButNotStored)
{
    Strings[3] = "kept";
    TInplaceEdit* editor = Edit(6, 3);
    TypeText(editor, "new text\r");
    Table->FocusCell(1, 3);
    EXPECT_EQ(Strings[3], "kept");
    EXPECT_EQ(Table->GetCells(6, 3), "new text");
    EXPECT_EQ(Take(), (TEvents{"changed 6,3"}));
}

TEST_F(TTableFixture, UpAndDownStepWithoutStoringUntilConfirmed)
{
    Ints[1] = 5;
    Table->RefreshTable();
    TInplaceEdit* editor = Edit(2, 1);
    EXPECT_EQ(editor->GetText(), "5");
    WidgetInput::PressKey(editor, Qt::Key_Up);
    EXPECT_EQ(editor->GetText(), "6");
    EXPECT_EQ(Ints[1], 5);
    EXPECT_EQ(Table->GetRow(), 1);
    WidgetInput::PressKey(editor, Qt::Key_Down);
    WidgetInput::PressKey(editor, Qt::Key_Down);
    EXPECT_EQ(editor->GetText(), "4");
    EXPECT_TRUE(Take().empty());
    Type(editor, '\r');
    EXPECT_EQ(Ints[1], 4);
    EXPECT_EQ(Take(), (TEvents{"changed 2,1"}));

    // A float steps by its increment and stops at its range.
    Doubles[2] = 9.75;
    Table->RefreshTable();
    editor = Edit(1, 2);
    WidgetInput::PressKey(editor, Qt::Key_Up);
    EXPECT_EQ(editor->GetText(), Sep("10.00"));
    WidgetInput::PressKey(editor, Qt::Key_Down);
    EXPECT_EQ(editor->GetText(), Sep("9.50"));

    // Hexadecimal steps keep their base.
    Words[2] = 0xFF;
    Table->RefreshTable();
    editor = Edit(3, 2);
    editor->SetText("FF");
    WidgetInput::PressKey(editor, Qt::Key_Up);
    EXPECT_EQ(editor->GetText(), "100");

    // On a cell that is not bound the arrows move between cells, confirming first.
    editor = Edit(2, 5);
    editor->SetText("");
    TypeText(editor, "8");
    WidgetInput::PressKey(editor, Qt::Key_Up);
    EXPECT_EQ(Table->GetRow(), 4);
    EXPECT_EQ(Table->GetCells(2, 5), "8");
    EXPECT_EQ(Take(), (TEvents{"changed 2,5"}));
}

TEST_F(TTableFixture, MovingToAnotherCellConfirmsFirst)
{
    TInplaceEdit* editor = Edit(2, 3);
    editor->SetText("");
    TypeText(editor, "77");
    // A click on another cell, as the operator would.
    const TRect target = Table->CellRect(1, 4);
    WidgetInput::Click(Table, target.Left + 5, target.Top + 5);
    EXPECT_EQ(Ints[3], 77);
    EXPECT_EQ(Table->GetCol(), 1);
    EXPECT_EQ(Table->GetRow(), 4);
    EXPECT_EQ(Take(), (TEvents{"changed 2,3"}));
    // Merely passing over cells stores nothing.
    Doubles[4] = 1.23456;
    Table->FocusCell(2, 4);
    Table->FocusCell(1, 4);
    Table->FocusCell(3, 4);
    EXPECT_EQ(Doubles[4], 1.23456);
    EXPECT_TRUE(Take().empty());
}

TEST_F(TTableFixture, LeavingTheTableConfirms)
{
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(5, 260, 100, 20);
    Form->Show();
    Application->ProcessMessages();
    TInplaceEdit* editor = Edit(2, 4);
    editor->SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(editor->Focused());
    editor->SetText("");
    TypeText(editor, "31");
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(Ints[4], 31);
    EXPECT_EQ(Take(), (TEvents{"changed 2,4"}));
}

TEST_F(TTableFixture, KeysInsertAndDeleteRows)
{
    for (int row = 1; row <= 4; ++row) Table->SetCells(4, row, "row" + std::to_string(row));
    Table->SetCells(0, 2, "title");
    Table->insertRow(2);
    EXPECT_EQ(Table->GetRowCount(), 7);
    const char* afterInsert[] = {"row1", "", "row2", "row3", "row4"};
    for (int row = 1; row <= 5; ++row) EXPECT_EQ(Table->GetCells(4, row), afterInsert[row - 1]) << row;
    // Fixed columns keep their texts.
    EXPECT_EQ(Table->GetCells(0, 2), "title");
    EXPECT_EQ(Take(), (TEvents{"inserted 2"}));

    // From the keyboard of a typed cell, only with CanAddRemoveRows and Shift or Ctrl held.
    TInplaceEdit* editor = Edit(4, 3);
    SetKeyStateSource([](int Key) { return Key == VK_SHIFT; });
    Type(editor, '\r');
    EXPECT_EQ(Table->GetRowCount(), 7);
    Table->CanAddRemoveRows = true;
    Type(editor, '\r');
    EXPECT_EQ(Table->GetRowCount(), 8);
    EXPECT_EQ(Table->GetCells(4, 4), "");
    EXPECT_EQ(Table->GetCells(4, 5), "row3");
    EXPECT_EQ(Take(), (TEvents{"inserted 4"}));
    Type(editor, '.');
    EXPECT_EQ(Table->GetRowCount(), 7);
    EXPECT_EQ(Table->GetCells(4, 3), "");
    EXPECT_EQ(Table->GetCells(4, 4), "row3");
    // The editor shows what moved into its cell and does not write back the old text.
    EXPECT_EQ(editor->GetText(), "");
    EXPECT_EQ(Take(), (TEvents{"deleted 3"}));
    SetKeyStateSource([](int Key) { return Key == VK_CONTROL; });
    editor = Edit(4, 1);
    Type(editor, '\b');
    EXPECT_EQ(Table->GetCells(4, 1), "");
    EXPECT_EQ(Table->GetCells(4, 3), "row3");
    EXPECT_EQ(Take(), (TEvents{"deleted 1"}));
    // Free-text cells take no row commands.
    editor = Edit(6, 1);
    Type(editor, '\b');
    EXPECT_EQ(Table->GetRowCount(), 6);
    SetKeyStateSource({});

    // The last non-fixed row is never deleted.
    while (Table->GetRowCount() > 2) Table->deleteRow(1);
    Take();
    Table->deleteRow(1);
    EXPECT_EQ(Table->GetRowCount(), 2);
    EXPECT_TRUE(Take().empty());
}

TEST_F(TTableFixture, PickListCellsOfferTheOwnersValues)
{
    TInplaceEdit* simple = Edit(6, 2);
    EXPECT_EQ(dynamic_cast<TInplaceEditList*>(simple), nullptr);
    TInplaceEdit* editor = Edit(5, 2);
    auto* list = dynamic_cast<TInplaceEditList*>(editor);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->DropDownRows, 8);
    EXPECT_FALSE(list->ListLoaded());
    WidgetInput::PressKey(list, Qt::Key_Down, QString(), Qt::AltModifier);
    EXPECT_TRUE(list->DroppedDown());
    EXPECT_EQ(list->PickList.Count(), 3);
    // The list shows under the cell, as many rows high as it has values (8 at most).
    ASSERT_NE(list->List(), nullptr);
    EXPECT_TRUE(list->List()->GetVisible());
    EXPECT_EQ(list->List()->Count(), 3);
    EXPECT_EQ(list->List()->GetTop(), Table->CellRect(5, 2).Bottom);
    EXPECT_EQ(list->List()->GetHeight(), 3 * TInplaceEditList::ListRowHeight + 2);
    WidgetInput::PressKey(list, Qt::Key_Down);
    WidgetInput::PressKey(list, Qt::Key_Down);
    EXPECT_EQ(list->GetText(), "green");
    EXPECT_EQ(list->List()->GetItemIndex(), 1);
    WidgetInput::PressKey(list, Qt::Key_Return, "\r");
    EXPECT_FALSE(list->DroppedDown());
    EXPECT_FALSE(list->List()->GetVisible());
    EXPECT_EQ(Take(), (TEvents{"pick list 5,2"}));
    Table->FocusCell(1, 2);
    EXPECT_EQ(Strings[2], "green");
    EXPECT_EQ(Take(), (TEvents{"changed 5,2"}));
    // An unbound pick-list cell gets the usual editor.
    EXPECT_EQ(dynamic_cast<TInplaceEditList*>(Edit(5, 5)), nullptr);
}

TEST_F(TTableFixture, ConversionsFallBackToTheDefault)
{
    Table->SetCells(2, 1, "abc");
    EXPECT_EQ(Table->getCellValueAsInt(2, 1), 0);
    Table->getCellInfo(2, 1)->EditInfo.DefaultValue = "7";
    EXPECT_EQ(Table->getCellValueAsInt(2, 1), 7);
    Table->SetCells(1, 1, "3.7");
    EXPECT_EQ(Table->getCellValueAsInt(1, 1), 0);
    Table->SetCells(1, 1, Sep("3.75"));
    EXPECT_EQ(Table->getCellValueAsDouble(1, 1), 3.75);
    Table->SetCells(1, 1, "x");
    Table->getCellInfo(1, 1)->EditInfo.DefaultValue = "y";
    EXPECT_EQ(Table->getCellValueAsDouble(1, 1), 0);
    EXPECT_EQ(Debug, (TEvents{"convertToDouble: невозможно конвертировать значение по умолчанию y"}));

    // Stores of texts that are no number take the default; values too large for their
    // variable stop at its limit.
    Table->getCellInfo(2, 2)->EditInfo.DefaultValue = "-4";
    Table->StoreCellValue(2, 2, "junk");
    EXPECT_EQ(Ints[2], -4);
    Table->StoreCellValue(3, 2, "12345");
    EXPECT_EQ(Words[2], 0xFFFF);
    Table->StoreCellValue(3, 2, "-1");
    EXPECT_EQ(Words[2], 0);
    // A float entry bound to an integer variable keeps its whole part.
    Table->getCellInfo(2, 3)->EditInfo.Kind = tvFloat;
    Table->StoreCellValue(2, 3, Sep("6.9"));
    EXPECT_EQ(Ints[3], 6);

    // A variable of a type the table does not know: both stores fail, each says so.
    Debug.clear();
    TKvTableCellInfo* odd = Table->getCellInfo(2, 4);
    odd->VarType = 9;
    Table->StoreCellValue(2, 4, "5");
    EXPECT_EQ(Debug, (TEvents{"StoreCellValue: Используется значение по умолчанию",
                              "StoreCellValue: Ошибка при сохранении типа"}));
    EXPECT_EQ(Ints[4], 0);
    odd->EditInfo.DefaultValue = "none";
    EXPECT_EQ(Table->LoadCellValue(2, 4), "none");

    EXPECT_EQ(TKvTable::IsPresentChar("abc", 'c'), 3);
    EXPECT_EQ(TKvTable::IsPresentChar("abc", 'z'), 0);
}

TEST_F(TTableFixture, ConstructionTakesTheSystemDecimalSeparator)
{
    SetDecimalSeparator(SystemDecimalSeparator() == '.' ? ',' : '.');
    TKvTable* table = new TKvTable(Form);
    EXPECT_EQ(table->DecimalSeparator(), SystemDecimalSeparator());
    EXPECT_EQ(GetDecimalSeparator(), SystemDecimalSeparator());
}

TEST_F(TTableFixture, FixedCellsCentreTheirText)
{
    Table->SetColWidths(1, 120);
    Table->SetCells(1, 0, "WWW");
    Table->SetCells(1, 1, "WWW");
    Table->Repaint();
    const TCanvas* canvas = Table->Picture().Canvas();
    auto inked = [canvas](const TRect& Cell, int From, int To) {
        for (int x = Cell.Left + From; x < Cell.Left + To; ++x)
            for (int y = Cell.Top; y < Cell.Bottom; ++y)
                if (canvas->GetPixel(x, y) == clBlack) return true;
        return false;
    };
    const TRect header = Table->CellRect(1, 0);
    EXPECT_FALSE(inked(header, 0, 30));
    EXPECT_TRUE(inked(header, 45, 75));
    const TRect cell = Table->CellRect(1, 1);
    EXPECT_TRUE(inked(cell, 0, 30));
}

}  // namespace
