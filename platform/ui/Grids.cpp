#include "platform/ui/Grids.h"

#include <algorithm>

#include "platform/ui/ListBox.h"

namespace {
constexpr int GridLineWidth = 1;
}

// ---------------------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TStringGrid* Grid) : TCustomEdit(Grid), FGrid(Grid) {}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    const int caret = GetSelStart();
    const int length = static_cast<int>(GetText().size());
    bool toGrid = false;
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        toGrid = true;
        break;
    case VK_TAB:
        toGrid = (FGrid->GetOptions() & goTabs) != 0;
        break;
    // At the ends of the text the caret cannot go further: the arrow moves to the next cell.
    case VK_LEFT:
        toGrid = caret == 0 && GetSelLength() == 0;
        break;
    case VK_RIGHT:
        toGrid = caret >= length && GetSelLength() == 0;
        break;
    default:
        break;
    }
    if (toGrid) {
        FGrid->KeyDown(Key, Shift);
        return;
    }
    TCustomEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(char& Key)
{
    FGrid->KeyPress(Key);
    // Enter belongs to the grid; a one-line edit has nothing to do with it.
    if (Key == '\r') Key = 0;
    if (Key != 0 && (FGrid->GetOptions() & goEditing) == 0) Key = 0;
    TCustomEdit::KeyPress(Key);
}

void TInplaceEdit::DoExit()
{
    TCustomEdit::DoExit();
    // Focus that goes back to the grid has not left the grid.
    if (!FGrid->Focused()) FGrid->DoExit();
}

// ---------------------------------------------------------------------------------------
// TInplaceEditList

void TInplaceEditList::DropDown()
{
    if (PickList.Count() == 0 && OnGetPickListItems) OnGetPickListItems(this, PickList);
    if (!FList) {
        FList = new TListBox(this);
        FList->SetParent(Grid());
        FList->EndLoading();
        FList->OnClick = [this](TObject*) {
            SelectItem(FList->GetItemIndex());
            CloseUp();
        };
    }
    FList->SetItems(PickList);
    FList->SetItemIndex(ItemIndex());
    const int rows = std::max(1, std::min(PickList.Count(), DropDownRows));
    FList->SetBounds(GetLeft(), GetTop() + GetHeight(), GetWidth(), rows * ListRowHeight + 2);
    FList->Show();
    FList->BringToFront();
    FDroppedDown = true;
}

void TInplaceEditList::CloseUp()
{
    if (FList) FList->Hide();
    FDroppedDown = false;
}

void TInplaceEditList::SelectItem(int Index)
{
    if (Index < 0 || Index >= PickList.Count()) return;
    SetText(PickList[Index]);
    SetModified(true);
    SetSelStart(static_cast<int>(GetText().size()));
    if (FList) FList->SetItemIndex(Index);
}

void TInplaceEditList::KeyDown(WORD& Key, TShiftState Shift)
{
    if ((Key == VK_DOWN || Key == VK_UP) && (Shift & ssAlt)) {
        if (Key == VK_DOWN && !FDroppedDown)
            DropDown();
        else
            CloseUp();
        Key = 0;
        return;
    }
    if (FDroppedDown) {
        switch (Key) {
        case VK_UP:
        case VK_DOWN: {
            const int index = ItemIndex();
            SelectItem(Key == VK_UP ? std::max(0, index - 1) : std::min(PickList.Count() - 1, index + 1));
            Key = 0;
            return;
        }
        case VK_RETURN:
        case VK_ESCAPE:
            CloseUp();
            Key = 0;
            return;
        default:
            break;
        }
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(TComponent* Owner) : TCustomControl(Owner)
{
    SetColor(clWindow);
    ResizeCells();
    SetBounds(0, 0, 320, 120);
}

TStringGrid::~TStringGrid() = default;

void TStringGrid::ResizeCells()
{
    FColWidths.resize(static_cast<size_t>(FColCount), FDefaultColWidth);
    FRowHeights.resize(static_cast<size_t>(FRowCount), FDefaultRowHeight);
    FCells.resize(static_cast<size_t>(FRowCount));
    for (auto& row : FCells) row.resize(static_cast<size_t>(FColCount));
    // The current cell stays inside the grid and off the fixed cells where it can.
    FCol = std::clamp(FCol, std::min(FFixedCols, FColCount - 1), std::max(0, FColCount - 1));
    FRow = std::clamp(FRow, std::min(FFixedRows, FRowCount - 1), std::max(0, FRowCount - 1));
    if (FEditorShowing) PlaceEditor();
    Invalidate();
}

void TStringGrid::SetColCount(int Value)
{
    FColCount = std::max(1, Value);
    FFixedCols = std::min(FFixedCols, FColCount - 1);
    ResizeCells();
}

void TStringGrid::SetRowCount(int Value)
{
    FRowCount = std::max(1, Value);
    FFixedRows = std::min(FFixedRows, FRowCount - 1);
    ResizeCells();
}

void TStringGrid::SetFixedCols(int Value)
{
    FFixedCols = std::clamp(Value, 0, FColCount - 1);
    ResizeCells();
}

void TStringGrid::SetFixedRows(int Value)
{
    FFixedRows = std::clamp(Value, 0, FRowCount - 1);
    ResizeCells();
}

void TStringGrid::SetDefaultColWidth(int Value)
{
    FDefaultColWidth = std::max(0, Value);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    ResizeCells();
}

void TStringGrid::SetDefaultRowHeight(int Value)
{
    FDefaultRowHeight = std::max(0, Value);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    ResizeCells();
}

int TStringGrid::GetColWidths(int Col) const
{
    return Col >= 0 && Col < FColCount ? FColWidths[static_cast<size_t>(Col)] : 0;
}

void TStringGrid::SetColWidths(int Col, int Value)
{
    if (Col < 0 || Col >= FColCount) return;
    FColWidths[static_cast<size_t>(Col)] = std::max(0, Value);
    ResizeCells();
}

int TStringGrid::GetRowHeights(int Row) const
{
    return Row >= 0 && Row < FRowCount ? FRowHeights[static_cast<size_t>(Row)] : 0;
}

void TStringGrid::SetRowHeights(int Row, int Value)
{
    if (Row < 0 || Row >= FRowCount) return;
    FRowHeights[static_cast<size_t>(Row)] = std::max(0, Value);
    ResizeCells();
}

void TStringGrid::SetOptions(TGridOptions Value)
{
    FOptions = Value;
    if (!(FOptions & goEditing))
        HideEditor();
    else if (FOptions & goAlwaysShowEditor)
        ShowEditor();
    Invalidate();
}

std::string TStringGrid::GetCells(int Col, int Row) const
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= FRowCount) return {};
    return FCells[static_cast<size_t>(Row)][static_cast<size_t>(Col)];
}

void TStringGrid::SetCells(int Col, int Row, const std::string& Text)
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= FRowCount) return;
    FCells[static_cast<size_t>(Row)][static_cast<size_t>(Col)] = Text;
    // The open editor of that cell shows the new text.
    if (FEditorShowing && Col == FCol && Row == FRow && FEditor->GetText() != Text) FEditor->SetText(Text);
    Invalidate();
}

TRect TStringGrid::CellRect(int Col, int Row) const
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= FRowCount) return {};
    int left = 0, top = 0;
    for (int c = 0; c < Col; ++c) left += FColWidths[static_cast<size_t>(c)] + GridLineWidth;
    for (int r = 0; r < Row; ++r) top += FRowHeights[static_cast<size_t>(r)] + GridLineWidth;
    return Rect(left, top, left + FColWidths[static_cast<size_t>(Col)], top + FRowHeights[static_cast<size_t>(Row)]);
}

bool TStringGrid::MouseToCell(int X, int Y, int& Col, int& Row) const
{
    for (int r = 0; r < FRowCount; ++r)
        for (int c = 0; c < FColCount; ++c)
            if (PtInRect(CellRect(c, r), Point(X, Y))) {
                Col = c;
                Row = r;
                return true;
            }
    return false;
}

// ---------------------------------------------------------------------------------------
// Current cell and editor

bool TStringGrid::SelectCell(int /*Col*/, int /*Row*/) { return true; }

void TStringGrid::MoveCurrent(int Col, int Row)
{
    Col = std::clamp(Col, std::min(FFixedCols, FColCount - 1), FColCount - 1);
    Row = std::clamp(Row, std::min(FFixedRows, FRowCount - 1), FRowCount - 1);
    if (Col == FCol && Row == FRow) return;
    if (!SelectCell(Col, Row)) return;
    HideEditor();
    FCol = Col;
    FRow = Row;
    Invalidate();
    if ((FOptions & goEditing) && (FOptions & goAlwaysShowEditor)) ShowEditor();
}

bool TStringGrid::GetEditorMode() const { return FEditorShowing; }

void TStringGrid::SetEditorMode(bool Value)
{
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

TInplaceEdit* TStringGrid::CreateEditor() { return new TInplaceEdit(this); }

TEditStyle TStringGrid::GetEditStyle(int /*Col*/, int /*Row*/) { return esSimple; }

void TStringGrid::ShowEditor()
{
    if (!(FOptions & goEditing) || FCol < FFixedCols || FRow < FFixedRows) return;
    const TEditStyle style = GetEditStyle(FCol, FRow);
    if (!FEditor || style != FEditorStyle) {
        // Editors of the other styles stay hidden for later cells: an editor may be in the
        // middle of its own key handling when the current cell moves.
        TInplaceEdit* found = nullptr;
        for (int i = 0; i < ComponentCount(); ++i) {
            auto* editor = dynamic_cast<TInplaceEdit*>(Components(i));
            const bool isList = dynamic_cast<TInplaceEditList*>(editor) != nullptr;
            if (editor && editor->Grid() == this && isList == (style == esPickList)) found = editor;
        }
        if (FEditor && FEditor != found) FEditor->Hide();
        if (!found) {
            found = CreateEditor();
            found->SetParent(this);
            found->EndLoading();
        }
        FEditor = found;
        FEditorStyle = style;
    }
    if (auto* list = dynamic_cast<TInplaceEditList*>(FEditor)) {
        // Each cell fills the list with its own values.
        list->CloseUp();
        list->PickList.Clear();
    }
    const bool hadFocus = FocusWithin();
    FEditStartText = GetCells(FCol, FRow);
    FEditor->SetText(FEditStartText);
    FEditor->SetModified(false);
    PlaceEditor();
    FEditor->Show();
    FEditor->SelectAll();
    FEditorShowing = true;
    if (hadFocus) FEditor->SetFocus();
}

void TStringGrid::UpdateText()
{
    if (FEditorShowing && FEditor) FCells[static_cast<size_t>(FRow)][static_cast<size_t>(FCol)] = FEditor->GetText();
}

void TStringGrid::HideEditor()
{
    if (!FEditorShowing) return;
    if (auto* list = dynamic_cast<TInplaceEditList*>(FEditor)) list->CloseUp();
    UpdateText();
    const bool hadFocus = FEditor->Focused();
    FEditorShowing = false;
    FEditor->Hide();
    if (hadFocus) SetFocus();
    Invalidate();
}

void TStringGrid::PlaceEditor()
{
    if (!FEditor) return;
    const TRect cell = CellRect(FCol, FRow);
    FEditor->SetBounds(cell.Left, cell.Top, cell.Width(), cell.Height());
}

bool TStringGrid::FocusWithin() const { return Focused() || (FEditor && FEditor->Focused()); }

// ---------------------------------------------------------------------------------------
// Mouse, keys, focus

void TStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    SetFocus();
    int col = 0, row = 0;
    if (!MouseToCell(X, Y, col, row) || col < FFixedCols || row < FFixedRows) return;
    // A click on the current cell opens its editor; elsewhere it moves there.
    if (col == FCol && row == FRow)
        ShowEditor();
    else
        MoveCurrent(col, row);
}

void TStringGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int pageRows = std::max(1, ClientHeight() / std::max(1, FDefaultRowHeight + GridLineWidth) - FFixedRows);
    switch (Key) {
    case VK_UP:
        MoveCurrent(FCol, FRow - 1);
        break;
    case VK_DOWN:
        MoveCurrent(FCol, FRow + 1);
        break;
    case VK_LEFT:
        MoveCurrent(FCol - 1, FRow);
        break;
    case VK_RIGHT:
        MoveCurrent(FCol + 1, FRow);
        break;
    case VK_PRIOR:
        MoveCurrent(FCol, FRow - pageRows);
        break;
    case VK_NEXT:
        MoveCurrent(FCol, FRow + pageRows);
        break;
    case VK_HOME:
        if (Shift & ssCtrl)
            MoveCurrent(FCol, FFixedRows);
        else
            MoveCurrent(FFixedCols, FRow);
        break;
    case VK_END:
        if (Shift & ssCtrl)
            MoveCurrent(FCol, FRowCount - 1);
        else
            MoveCurrent(FColCount - 1, FRow);
        break;
    case VK_TAB:
        if (!(FOptions & goTabs)) return;
        MoveCurrent((Shift & ssShift) ? FCol - 1 : FCol + 1, FRow);
        break;
    case VK_F1 + 1:  // F2
        ShowEditor();
        break;
    case VK_ESCAPE:
        if (!FEditorShowing) return;
        FEditor->SetText(FEditStartText);
        FEditor->SetModified(false);
        if (!(FOptions & goAlwaysShowEditor))
            HideEditor();
        else
            FEditor->SelectAll();
        break;
    default:
        return;
    }
    Key = 0;
}

void TStringGrid::KeyPress(char& Key)
{
    // Enter commits the editor's text: whoever checks the cell on Enter checks that text.
    if (Key == '\r') UpdateText();
    TCustomControl::KeyPress(Key);
    if (Key == 0 || !(FOptions & goEditing)) return;
    if (Key == '\r') {
        if (!(FOptions & goAlwaysShowEditor)) {
            if (FEditorShowing)
                HideEditor();
            else
                ShowEditor();
        }
        Key = 0;
        return;
    }
    // Typing on the grid opens the editor with the typed character as its text.
    if (!FEditorShowing && static_cast<unsigned char>(Key) >= 0x20 && Key != 0x7F) {
        ShowEditor();
        if (!FEditorShowing) return;
        FEditor->SetText(std::string(1, Key));
        FEditor->SetSelStart(1);
        FEditor->SetModified(true);
        Key = 0;
    }
}

void TStringGrid::DoExit()
{
    UpdateText();
    TCustomControl::DoExit();
}

void TStringGrid::WndProc(TMessage& Message)
{
    // The focus passing to the grid's own editor has not left the grid.
    if (Message.Msg == WM_KILLFOCUS && FEditor && FEditor->Focused()) {
        DefaultNativeHandling();
        return;
    }
    TCustomControl::WndProc(Message);
}

void TStringGrid::Resize()
{
    TCustomControl::Resize();
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Paint

void TStringGrid::DrawCell(int Col, int Row, const TRect& Rect, TGridDrawState /*State*/)
{
    CellCanvas()->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, GetCells(Col, Row));
}

void TStringGrid::Paint()
{
    const int width = ClientWidth(), height = ClientHeight();
    if (FBuffer.GetWidth() != width || FBuffer.GetHeight() != height) FBuffer.SetSize(width, height);
    TCanvas* canvas = FBuffer.Canvas();
    canvas->Font()->Assign(*Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, width, height));
    // Grid lines: the gaps between the cells.
    canvas->Brush()->SetColor(clSilver);
    const TRect last = CellRect(FColCount - 1, FRowCount - 1);
    canvas->FillRect(
        Rect(0, 0, std::min(width, last.Right + GridLineWidth), std::min(height, last.Bottom + GridLineWidth)));
    for (int row = 0; row < FRowCount; ++row) {
        for (int col = 0; col < FColCount; ++col) {
            const TRect cell = CellRect(col, row);
            if (cell.Left >= width || cell.Top >= height) continue;
            TGridDrawState state = 0;
            const bool fixed = col < FFixedCols || row < FFixedRows;
            if (fixed) state |= gdFixed;
            if (col == FCol && row == FRow) state |= gdSelected | (FocusWithin() ? gdFocused : 0);
            const bool highlighted = (state & gdSelected) && !FEditorShowing;
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(fixed ? clBtnFace : highlighted ? clHighlight : GetColor());
            canvas->Font()->SetColor(highlighted ? clHighlightText : Font()->GetColor());
            canvas->FillRect(cell);
            DrawCell(col, row, cell, state);
        }
    }
    Canvas()->Draw(0, 0, FBuffer);
}
