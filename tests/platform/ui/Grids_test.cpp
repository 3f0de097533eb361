// The string grid on a real widget (offscreen): the current cell moved by keys and
// clicks, the in-place editor writing back into its cell, Escape, a vetoed move, and the
// collections that components keep their items in.
#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "kvc/WidgetInput.h"
#include "platform/ui/Application.h"
#include "platform/ui/Collections.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"

namespace {

using namespace WidgetInput;

// A grid that refuses to enter column 3 and records the cells it was asked about.
class TRecordingGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
    std::vector<std::string> Asked;

protected:
    bool SelectCell(int Col, int Row) override
    {
        Asked.push_back(std::to_string(Col) + "," + std::to_string(Row));
        return Col != 3;
    }
};

struct TGridFixture : ::testing::Test {
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(20, 20, 400, 250);
        Grid = new TRecordingGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(5, 5, 380, 200);
        Form->EndLoading();
        Form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override { FreeForm(Form); }
    TForm* Form = nullptr;
    TRecordingGrid* Grid = nullptr;
};

TEST_F(TGridFixture, CellsAndGeometry)
{
    EXPECT_EQ(Grid->GetColCount(), 5);
    EXPECT_EQ(Grid->GetRowCount(), 5);
    EXPECT_EQ(Grid->GetCol(), 1);
    EXPECT_EQ(Grid->GetRow(), 1);
    Grid->SetCells(2, 3, "text");
    EXPECT_EQ(Grid->GetCells(2, 3), "text");
    EXPECT_EQ(Grid->GetCells(9, 9), "");
    Grid->SetCells(9, 9, "ignored");
    // Cells are their width and height apart plus a one-pixel line.
    EXPECT_EQ(Grid->CellRect(0, 0), Rect(0, 0, 64, 24));
    EXPECT_EQ(Grid->CellRect(2, 1), Rect(130, 25, 194, 49));
    int col = 0, row = 0;
    ASSERT_TRUE(Grid->MouseToCell(140, 30, col, row));
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(Grid->MouseToCell(64, 30, col, row));
    // Fewer rows keep the current cell inside the grid.
    Grid->FocusCell(2, 4);
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(Grid->GetCells(2, 3), "");
}

TEST_F(TGridFixture, KeysAndClicksMoveTheCurrentCellUnlessRefused)
{
    Grid->Asked.clear();
    PressKey(Grid, Qt::Key_Down);
    PressKey(Grid, Qt::Key_Right);
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(Grid->GetRow(), 2);
    // Column 3 is refused: the current cell stays.
    PressKey(Grid, Qt::Key_Right);
    EXPECT_EQ(Grid->GetCol(), 2);
    EXPECT_EQ(Grid->Asked, (std::vector<std::string>{"1,2", "2,2", "3,2"}));
    // The fixed cells are never current.
    PressKey(Grid, Qt::Key_Up);
    PressKey(Grid, Qt::Key_Up);
    EXPECT_EQ(Grid->GetRow(), 1);
    const TRect cell = Grid->CellRect(4, 3);
    Click(Grid, cell.Left + 3, cell.Top + 3);
    EXPECT_EQ(Grid->GetCol(), 4);
    EXPECT_EQ(Grid->GetRow(), 3);
}

TEST_F(TGridFixture, EditorWritesItsTextBackIntoTheCell)
{
    Grid->SetCells(1, 1, "old");
    // Without goEditing nothing opens.
    Grid->SetEditorMode(true);
    EXPECT_FALSE(Grid->GetEditorMode());
    Grid->SetOptions(goEditing);
    // Typing on the grid opens the editor with the typed character.
    PressKey(Grid, Qt::Key_N, "n");
    ASSERT_TRUE(Grid->GetEditorMode());
    TInplaceEdit* editor = Grid->InplaceEditor();
    EXPECT_EQ(editor->GetText(), "n");
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(1, 1));
    PressKey(editor, Qt::Key_O, "o");
    // Enter closes the editor and keeps the text.
    PressKey(editor, Qt::Key_Return, "\r");
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Grid->GetCells(1, 1), "no");

    // Escape gives the cell its text back.
    Grid->SetEditorMode(true);
    editor->SetText("changed");
    PressKey(editor, Qt::Key_Escape);
    EXPECT_FALSE(Grid->GetEditorMode());
    EXPECT_EQ(Grid->GetCells(1, 1), "no");

    // With the editor always shown, moving takes the text along and opens the next cell.
    Grid->SetCells(1, 2, "below");
    Grid->SetOptions(goEditing | goAlwaysShowEditor);
    ASSERT_TRUE(Grid->GetEditorMode());
    editor->SetText("yes");
    PressKey(editor, Qt::Key_Down);
    EXPECT_EQ(Grid->GetCells(1, 1), "yes");
    EXPECT_EQ(Grid->GetRow(), 2);
    EXPECT_EQ(editor->GetText(), "below");
}

TEST_F(TGridFixture, EditableCellsChangedTextsAndTitleClicksReachTheOwner)
{
    Grid->SetOptions(goEditing);
    Grid->OnCanEdit = [](int Col, int) { return Col != 2; };
    std::vector<std::string> Changed;
    Grid->OnSetEditText = [&](int Col, int Row, const std::string& Text) {
        Changed.push_back(std::to_string(Col) + "," + std::to_string(Row) + "=" + Text);
        // The handler may rewrite the cell: the grid shows what it wrote.
        Grid->SetCells(Col, Row, "[" + Text + "]");
    };
    std::vector<int> Titles;
    Grid->OnTitleClick = [&](int Col) { Titles.push_back(Col); };

    Grid->SetCells(1, 1, "same");
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    PressKey(Grid->InplaceEditor(), Qt::Key_Return, "\r");  // unchanged: no report
    Grid->SetEditorMode(true);
    Grid->InplaceEditor()->SetText("new");
    PressKey(Grid->InplaceEditor(), Qt::Key_Escape);  // given back: no report
    Grid->SetEditorMode(true);
    Grid->InplaceEditor()->SetText("new");
    PressKey(Grid->InplaceEditor(), Qt::Key_Return, "\r");
    EXPECT_EQ(Changed, (std::vector<std::string>{"1,1=new"}));
    EXPECT_EQ(Grid->GetCells(1, 1), "[new]");

    // A cell the owner refuses never opens the editor.
    Grid->FocusCell(2, 1);
    Grid->SetEditorMode(true);
    EXPECT_FALSE(Grid->GetEditorMode());

    const TRect title = Grid->CellRect(3, 0);
    Click(Grid, title.Left + 3, title.Top + 3);
    const TRect corner = Grid->CellRect(0, 0);
    Click(Grid, corner.Left + 3, corner.Top + 3);
    EXPECT_EQ(Titles, (std::vector<int>{3}));
    EXPECT_EQ(Grid->GetCol(), 2);
}

TEST_F(TGridFixture, RowsBelowTheViewScrollIntoItAndTheCurrentRowStaysInView)
{
    Grid->SetRowCount(100);
    Grid->SetCells(1, 99, "last");
    // 200 pixels: the title row and seven rows of 24 plus their lines.
    EXPECT_EQ(Grid->VisibleRowCount(), 7);
    EXPECT_EQ(Grid->GetTopRow(), 1);
    PressKey(Grid, Qt::Key_End, QString(), Qt::ControlModifier);
    EXPECT_EQ(Grid->GetRow(), 99);
    EXPECT_EQ(Grid->GetTopRow(), 93);
    // Rows scrolled out have no place; the title row keeps its own.
    EXPECT_EQ(Grid->CellRect(1, 92), TRect());
    EXPECT_EQ(Grid->CellRect(1, 0), Rect(65, 0, 129, 24));
    EXPECT_EQ(Grid->CellRect(1, 93), Rect(65, 25, 129, 49));
    const TRect last = Grid->CellRect(1, 99);
    EXPECT_LE(last.Bottom, Grid->ClientHeight());
    int col = 0, row = 0;
    ASSERT_TRUE(Grid->MouseToCell(last.Left + 3, last.Top + 3, col, row));
    EXPECT_EQ(row, 99);

    // The wheel scrolls three rows a notch; the top row stays where the view is full.
    Wheel(Grid, 120);
    EXPECT_EQ(Grid->GetTopRow(), 90);
    Wheel(Grid, -360);
    EXPECT_EQ(Grid->GetTopRow(), 93);
    Grid->SetTopRow(0);
    EXPECT_EQ(Grid->GetTopRow(), 1);
    // Moving up past the top scrolls back with the current row.
    Grid->FocusCell(1, 50);
    EXPECT_EQ(Grid->GetTopRow(), 44);
    PressKey(Grid, Qt::Key_PageUp);
    EXPECT_EQ(Grid->GetRow(), 43);
    EXPECT_EQ(Grid->GetTopRow(), 43);

    // A taller row counts with its height.
    Grid->SetRowHeights(95, 60);
    Grid->SetTopRow(1000);
    EXPECT_EQ(Grid->GetTopRow(), 95);
    EXPECT_EQ(Grid->GetRowHeights(95), 60);
    Grid->InsertRows(1, 2);
    EXPECT_EQ(Grid->GetRowHeights(97), 60);
    EXPECT_EQ(Grid->GetCells(1, 101), "last");
}

// Cells made up from their place, counting every cell text asked for by row.
class TCountingSource : public TGridSource {
public:
    int Rows = 1000001;
    mutable std::map<int, int> Asked;
    int ColCount() const override { return 4; }
    int RowCount() const override { return Rows; }
    std::string CellText(int Col, int Row) const override
    {
        ++Asked[Row];
        return std::to_string(Col) + ":" + std::to_string(Row);
    }
};

TEST_F(TGridFixture, GridOverASourceKeepsNoCellsAndAsksOnlyForTheRowsInView)
{
    TCountingSource Source;
    Grid->SetOptions(goEditing);
    std::vector<std::string> Changed;
    Grid->OnSetEditText = [&](int Col, int Row, const std::string& Text) {
        Changed.push_back(std::to_string(Col) + "," + std::to_string(Row) + "=" + Text);
    };
    Grid->SetSource(&Source);
    EXPECT_EQ(Grid->GetRowCount(), 1000001);
    EXPECT_EQ(Grid->GetColCount(), 4);
    EXPECT_EQ(Grid->KeptCellCount(), 0u);
    EXPECT_EQ(Grid->GetCells(3, 1000000), "3:1000000");
    Grid->SetCells(1, 1, "ignored");
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->GetCells(1, 1), "1:1");
    EXPECT_EQ(Grid->GetRowCount(), 1000001);

    // A paint asks for the title row and the rows in view, nothing else.
    auto PaintedRows = [&] {
        Source.Asked.clear();
        Grid->Repaint();
        std::vector<int> Rows;
        for (const auto& [Row, Count] : Source.Asked) Rows.push_back(Row);
        return Rows;
    };
    EXPECT_EQ(PaintedRows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    Grid->SetTopRow(1000000);
    EXPECT_EQ(Grid->GetTopRow(), 1000000 - 6);
    EXPECT_EQ(PaintedRows(), (std::vector<int>{0, 999994, 999995, 999996, 999997, 999998, 999999, 1000000}));
    EXPECT_EQ(Grid->KeptCellCount(), 0u);

    // The editor starts from the source's text and hands a changed text to the owner;
    // the cell goes on showing the source.
    Grid->FocusCell(2, 999995);
    Grid->SetEditorMode(true);
    ASSERT_TRUE(Grid->GetEditorMode());
    EXPECT_EQ(Grid->InplaceEditor()->GetText(), "2:999995");
    Grid->InplaceEditor()->SetText("typed");
    PressKey(Grid->InplaceEditor(), Qt::Key_Return, "\r");
    EXPECT_EQ(Changed, (std::vector<std::string>{"2,999995=typed"}));
    EXPECT_EQ(Grid->GetCells(2, 999995), "2:999995");

    // More rows in the source: the view and the current cell stay where they were.
    Source.Rows += 10;
    Grid->SourceChanged();
    EXPECT_EQ(Grid->GetRowCount(), 1000011);
    EXPECT_EQ(Grid->GetTopRow(), 999994);
    EXPECT_EQ(Grid->GetRow(), 999995);

    // Back to cells of its own: one empty row under the titles, not the source's length.
    Grid->SetSource(nullptr);
    EXPECT_EQ(Grid->GetRowCount(), 2);
    EXPECT_EQ(Grid->KeptCellCount(), 8u);
    EXPECT_EQ(Grid->GetCells(1, 1), "");
}

// A collection item with one value, for the collection's own rules.
class TNumberItem : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    int Number = 0;
    void Assign(const TPersistent* Source) override
    {
        const auto* source = dynamic_cast<const TNumberItem*>(Source);
        if (!source) AssignError("TNumberItem");
        Number = source->Number;
    }
};

class TCountingCollection : public TCollection {
public:
    TCountingCollection() : TCollection([](TCollection* Owner) { return new TNumberItem(Owner); }) {}
    int Updates = 0;

protected:
    void Update(TCollectionItem*) override { ++Updates; }
};

TEST(Collections, ItemsJoinLeaveAndCopy)
{
    TCountingCollection numbers;
    auto* first = static_cast<TNumberItem*>(numbers.Add());
    auto* second = static_cast<TNumberItem*>(numbers.Add());
    EXPECT_EQ(numbers.Updates, 2);
    EXPECT_EQ(second->GetIndex(), 1);
    first->Number = 4;
    second->Number = 5;
    delete first;
    EXPECT_EQ(numbers.Count(), 1);
    EXPECT_EQ(second->GetIndex(), 0);
    EXPECT_EQ(numbers.Updates, 3);

    TCountingCollection copy;
    copy.Add();
    copy.Add();
    copy.Updates = 0;
    copy.Assign(&numbers);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(static_cast<TNumberItem*>(copy.GetItem(0))->Number, 5);
    // One report for the whole copy.
    EXPECT_EQ(copy.Updates, 1);
    EXPECT_THROW(copy.GetItem(3), std::out_of_range);
    EXPECT_THROW(copy.GetItem(0)->Assign(&numbers), EAssignError);

    // An item moved to another collection leaves the first.
    second->SetCollection(&copy);
    EXPECT_EQ(numbers.Count(), 0);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(second->GetIndex(), 1);
}

}  // namespace
