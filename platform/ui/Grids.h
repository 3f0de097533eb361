// A grid of text cells: fixed title rows and columns, a current cell moved by the mouse
// and the arrow keys, and an in-place editor over the current cell whose keys pass
// through the grid first (so a derived grid can filter or take them). The editor's text
// goes back into the cell when the editor closes or the current cell moves.
//
// The rows below the fixed ones scroll (keys, wheel, scroll bar); only the rows in view
// are drawn. A grid over a cell source keeps no cells at all: it asks the source for its
// counts and for the text of each cell when it draws or reads it, so a source of any
// length costs the grid the same.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/CustomEdit.h"
#include "platform/ui/GridSource.h"
#include "platform/base/Strings.h"

class QScrollBar;

// Options of a grid.
using TGridOptions = unsigned;
constexpr TGridOptions goEditing = 1, goAlwaysShowEditor = 2, goTabs = 4;

// How a cell is being drawn.
using TGridDrawState = unsigned;
constexpr TGridDrawState gdSelected = 1, gdFocused = 2, gdFixed = 4;

// The kind of in-place editor a cell wants.
enum TEditStyle { esSimple, esEllipsis, esPickList };

class TStringGrid;

class TInplaceEdit : public TCustomEdit {
public:
    explicit TInplaceEdit(TStringGrid* Grid);
    TStringGrid* Grid() const { return FGrid; }

protected:
    // The grid sees every key first; keys that move between cells go to the grid only.
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void DoExit() override;

private:
    TStringGrid* FGrid;
};

class TListBox;

// An in-place editor with a list of values to pick from. The list is filled through
// OnGetPickListItems when it is dropped down while empty and shows below the cell, at
// most DropDownRows rows high; Alt+Down drops it down, Up and Down then pick the previous
// or next value, Enter, Escape or Alt+Up close it, and a click on a value picks it.
class TInplaceEditList : public TInplaceEdit {
public:
    using TInplaceEdit::TInplaceEdit;
    // Height of one row of the dropped-down list.
    static constexpr int ListRowHeight = 18;

    int DropDownRows = 7;
    TStringList PickList;
    std::function<void(TInplaceEditList* Editor, TStringList& Items)> OnGetPickListItems;

    bool ListLoaded() const { return PickList.Count() > 0; }
    bool DroppedDown() const { return FDroppedDown; }
    void DropDown();
    void CloseUp();
    // Index of the value shown, -1 when the text is none of them.
    int ItemIndex() const { return PickList.IndexOf(GetText()); }
    // Shows the value at Index.
    void SelectItem(int Index);
    // The dropped-down list (null before the first drop-down).
    TListBox* List() const { return FList; }

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;

private:
    bool FDroppedDown = false;
    TListBox* FList = nullptr;
};

class TStringGrid : public TCustomControl {
public:
    explicit TStringGrid(TComponent* Owner);
    ~TStringGrid() override;

    int GetColCount() const { return FColCount; }
    void SetColCount(int Value);
    int GetRowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int GetFixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int GetFixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int GetDefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int GetColWidths(int Col) const;
    void SetColWidths(int Col, int Value);
    int GetRowHeights(int Row) const;
    void SetRowHeights(int Row, int Value);
    TGridOptions GetOptions() const { return FOptions; }
    void SetOptions(TGridOptions Value);

    // Cells outside the grid read empty; writing them does nothing. Over a source the
    // cells are the source's texts and writing them does nothing either.
    std::string GetCells(int Col, int Row) const;
    void SetCells(int Col, int Row, const std::string& Text);

    // Shows the source's cells (null: the grid's own cells again, empty, with one row
    // under the fixed ones). The grid
    // takes the source's counts, shows its first rows and keeps none of its texts; the
    // source must outlive its use here. Row and column counts then follow the source:
    // setting them does nothing.
    void SetSource(const TGridSource* Source);
    const TGridSource* Source() const { return FSource; }
    // The source's counts or texts changed: the grid reads the counts again and redraws,
    // keeping the rows in view and the current cell.
    void SourceChanged();
    // How many cell texts the grid itself holds (none over a source).
    std::size_t KeptCellCount() const;

    // The first scrolling row in view (the row after the fixed ones when not scrolled);
    // set, it is held between the first scrolling row and the last top row that still
    // fills the view.
    int GetTopRow() const { return FTopRow; }
    void SetTopRow(int Value);
    // Scrolling rows wholly in view from the top row.
    int VisibleRowCount() const;

    // The current cell; moving it asks SelectCell first.
    int GetCol() const { return FCol; }
    int GetRow() const { return FRow; }
    void SetCol(int Value) { MoveCurrent(Value, FRow); }
    void SetRow(int Value) { MoveCurrent(FCol, Value); }
    void FocusCell(int Col, int Row) { MoveCurrent(Col, Row); }

    // True while the in-place editor is shown.
    bool GetEditorMode() const;
    void SetEditorMode(bool Value);
    // The editor (null before the first show).
    TInplaceEdit* InplaceEditor() const { return FEditor; }

    // The cell's place in the grid; empty for a row scrolled out of view.
    TRect CellRect(int Col, int Row) const;
    // The cell under (X, Y); false outside every cell.
    bool MouseToCell(int X, int Y, int& Col, int& Row) const;
    // The picture of the last paint.
    const TBitmap& Picture() const { return FBuffer; }

    // Rows as a whole: inserted empty at Position (the rows from there move down),
    // deleted (the rows below move up), or exchanged. Out-of-range requests do nothing.
    void InsertRows(int Position, int Count);
    void DeleteRows(int Position, int Count);
    void SwapRows(int A, int B);

    // What a grid without a class of its own asks: the editor kind of a cell, and the
    // values of a pick-list cell (asked each time its list first drops down after the
    // editor opened).
    std::function<TEditStyle(int Col, int Row)> OnGetEditStyle;
    std::function<void(int Col, int Row, TStringList& Items)> OnGetPickList;
    // The cell editor lost the focus to a control outside the grid.
    TNotifyEvent OnEditorExit;
    // Draws a cell in place of the plain text; the cell is filled with its colour already.
    std::function<void(TCanvas* Canvas, int Col, int Row, const TRect& Rect, TGridDrawState State)> OnDrawCell;

    // Whether the cell takes the editor (every cell when unset).
    std::function<bool(int Col, int Row)> OnCanEdit;
    // The editor closed over the cell with a text other than the one it opened with; runs
    // once the editor is hidden, so the handler may rewrite the grid.
    std::function<void(int Col, int Row, const std::string& Text)> OnSetEditText;
    // A left click on a cell of the title row.
    std::function<void(int Col)> OnTitleClick;

protected:
    virtual TInplaceEdit* CreateEditor();
    virtual TEditStyle GetEditStyle(int Col, int Row);
    // Draws one cell on CellCanvas(); the grid has filled it with its colour already.
    virtual void DrawCell(int Col, int Row, const TRect& Rect, TGridDrawState State);
    // False keeps the current cell where it is.
    virtual bool SelectCell(int Col, int Row);
    // The canvas cells are drawn on during a paint.
    TCanvas* CellCanvas() const { return FBuffer.Canvas(); }

    void ShowEditor();
    void HideEditor();

    void Paint() override;
    void WndProc(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y) override;
    void DoExit() override;
    void Resize() override;

private:
    friend class TInplaceEdit;
    void MoveCurrent(int Col, int Row);
    void UpdateText();
    void PlaceEditor();
    void ResizeCells();
    bool FocusWithin() const;
    // Height of the rows [From, To) with their lines.
    long long RowsExtent(int From, int To) const;
    // The smallest top row that still shows Row whole at the bottom of the view.
    int TopRowShowing(int Row) const;
    int MaxTopRow() const;
    int ScrollBarWidth() const;
    void UpdateScrollBar();
    // Width of the cells' area: the client without the scroll bar.
    int CellsWidth() const;

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    std::vector<int> FColWidths;
    // Rows of another height than the default, by row: a grid of many rows keeps nothing
    // per row.
    std::map<int, int> FRowHeights;
    TGridOptions FOptions = 0;
    std::vector<std::vector<std::string>> FCells;  // [row][col]; empty over a source
    const TGridSource* FSource = nullptr;
    int FCol = 1;
    int FRow = 1;
    int FTopRow = 1;
    QScrollBar* FScrollBar = nullptr;
    TInplaceEdit* FEditor = nullptr;
    TEditStyle FEditorStyle = esSimple;
    bool FEditorShowing = false;
    // Text of the cell when its editor opened, for Escape.
    std::string FEditStartText;
    TBitmap FBuffer;
};
