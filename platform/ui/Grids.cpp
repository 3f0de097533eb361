#include "platform/ui/Grids.h"

#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "platform/ui/ListBox.h"

namespace {
constexpr int GridLineWidth = 1;
// Rows one notch of the mouse wheel scrolls.
constexpr int WheelRows = 3;
constexpr int WheelNotch = 120;
}  // namespace

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
    if (FGrid->Focused()) return;
    if (FGrid->OnEditorExit) FGrid->OnEditorExit(FGrid);
    FGrid->DoExit();
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
    FRowHeights.erase(FRowHeights.lower_bound(FRowCount), FRowHeights.end());
    if (FSource) {
        FCells.clear();
    } else {
        FCells.resize(static_cast<size_t>(FRowCount));
        for (auto& row : FCells) row.resize(static_cast<size_t>(FColCount));
    }
    // The current cell stays inside the grid and off the fixed cells where it can.
    FCol = std::clamp(FCol, std::min(FFixedCols, FColCount - 1), std::max(0, FColCount - 1));
    FRow = std::clamp(FRow, std::min(FFixedRows, FRowCount - 1), std::max(0, FRowCount - 1));
    FTopRow = std::clamp(FTopRow, FFixedRows, MaxTopRow());
    UpdateScrollBar();
    if (FEditorShowing) PlaceEditor();
    Invalidate();
}

void TStringGrid::SetColCount(int Value)
{
    if (FSource) return;
    FColCount = std::max(1, Value);
    FFixedCols = std::min(FFixedCols, FColCount - 1);
    ResizeCells();
}

void TStringGrid::SetRowCount(int Value)
{
    if (FSource) return;
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
    FRowHeights.clear();
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
    if (Row < 0 || Row >= FRowCount) return 0;
    const auto found = FRowHeights.find(Row);
    return found == FRowHeights.end() ? FDefaultRowHeight : found->second;
}

void TStringGrid::SetRowHeights(int Row, int Value)
{
    if (Row < 0 || Row >= FRowCount) return;
    const int height = std::max(0, Value);
    if (height == FDefaultRowHeight)
        FRowHeights.erase(Row);
    else
        FRowHeights[Row] = height;
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
    if (FSource) return FSource->CellText(Col, Row);
    return FCells[static_cast<size_t>(Row)][static_cast<size_t>(Col)];
}

void TStringGrid::SetCells(int Col, int Row, const std::string& Text)
{
    if (FSource || Col < 0 || Col >= FColCount || Row < 0 || Row >= FRowCount) return;
    FCells[static_cast<size_t>(Row)][static_cast<size_t>(Col)] = Text;
    // The open editor of that cell shows the new text.
    if (FEditorShowing && Col == FCol && Row == FRow && FEditor->GetText() != Text) FEditor->SetText(Text);
    Invalidate();
}

void TStringGrid::SetSource(const TGridSource* Source)
{
    HideEditor();
    // Cells of its own after a source: one empty row under the fixed ones, not a copy of
    // the source's length.
    if (FSource && !Source) FRowCount = std::min(FRowCount, FFixedRows + 1);
    FSource = Source;
    FCells.clear();
    FTopRow = FFixedRows;
    if (FSource) {
        FColCount = std::max(1, FSource->ColCount());
        FRowCount = std::max(1, FSource->RowCount());
        FFixedCols = std::min(FFixedCols, FColCount - 1);
        FFixedRows = std::min(FFixedRows, FRowCount - 1);
    }
    ResizeCells();
}

void TStringGrid::SourceChanged()
{
    if (!FSource) return;
    FColCount = std::max(1, FSource->ColCount());
    FRowCount = std::max(1, FSource->RowCount());
    FFixedCols = std::min(FFixedCols, FColCount - 1);
    FFixedRows = std::min(FFixedRows, FRowCount - 1);
    ResizeCells();
}

std::size_t TStringGrid::KeptCellCount() const
{
    std::size_t count = 0;
    for (const auto& row : FCells) count += row.size();
    return count;
}

long long TStringGrid::RowsExtent(int From, int To) const
{
    if (To <= From) return 0;
    long long extent = static_cast<long long>(To - From) * (FDefaultRowHeight + GridLineWidth);
    for (auto it = FRowHeights.lower_bound(From); it != FRowHeights.end() && it->first < To; ++it)
        extent += it->second - FDefaultRowHeight;
    return extent;
}

int TStringGrid::TopRowShowing(int Row) const
{
    const long long room = ClientHeight() - RowsExtent(0, FFixedRows);
    int top = Row;
    long long used = RowsExtent(Row, Row + 1);
    while (top > FFixedRows && used + RowsExtent(top - 1, top) <= room) {
        used += RowsExtent(top - 1, top);
        --top;
    }
    return std::max(top, FFixedRows);
}

int TStringGrid::MaxTopRow() const { return FRowCount > FFixedRows ? TopRowShowing(FRowCount - 1) : FFixedRows; }

int TStringGrid::VisibleRowCount() const
{
    const long long room = ClientHeight() - RowsExtent(0, FFixedRows);
    int count = 0;
    long long used = 0;
    for (int row = FTopRow; row < FRowCount; ++row) {
        used += RowsExtent(row, row + 1);
        if (used > room) break;
        ++count;
    }
    return count;
}

void TStringGrid::SetTopRow(int Value)
{
    const int top = std::clamp(Value, FFixedRows, std::max(FFixedRows, MaxTopRow()));
    if (top == FTopRow) return;
    FTopRow = top;
    UpdateScrollBar();
    if (FEditorShowing) PlaceEditor();
    Invalidate();
}

int TStringGrid::ScrollBarWidth() const { return FScrollBar && !FScrollBar->isHidden() ? FScrollBar->width() : 0; }

int TStringGrid::CellsWidth() const { return std::max(0, ClientWidth() - ScrollBarWidth()); }

void TStringGrid::UpdateScrollBar()
{
    QWidget* widget = Widget();
    if (!widget) return;
    const int last = MaxTopRow();
    if (!FScrollBar) {
        if (last <= FFixedRows) return;
        FScrollBar = new QScrollBar(Qt::Vertical, widget);
        QObject::connect(FScrollBar, &QScrollBar::valueChanged, FScrollBar, [this](int Value) { SetTopRow(Value); });
    }
    FScrollBar->setRange(FFixedRows, std::max(FFixedRows, last));
    FScrollBar->setPageStep(std::max(1, VisibleRowCount()));
    FScrollBar->setValue(FTopRow);
    const int width = FScrollBar->sizeHint().width();
    FScrollBar->setGeometry(ClientWidth() - width, 0, width, ClientHeight());
    FScrollBar->setVisible(last > FFixedRows);
}

TRect TStringGrid::CellRect(int Col, int Row) const
{
    if (Col < 0 || Col >= FColCount || Row < 0 || Row >= FRowCount) return {};
    if (Row >= FFixedRows && Row < FTopRow) return {};
    int left = 0;
    for (int c = 0; c < Col; ++c) left += FColWidths[static_cast<size_t>(c)] + GridLineWidth;
    const long long top = Row < FFixedRows ? RowsExtent(0, Row) : RowsExtent(0, FFixedRows) + RowsExtent(FTopRow, Row);
    // Rows far below the view lie beyond what a coordinate can hold: they end at its edge.
    const int clippedTop = static_cast<int>(std::min<long long>(top, INT_MAX / 2));
    return Rect(left, clippedTop, left + FColWidths[static_cast<size_t>(Col)], clippedTop + GetRowHeights(Row));
}

bool TStringGrid::MouseToCell(int X, int Y, int& Col, int& Row) const
{
    const auto inRow = [&](int row) {
        for (int c = 0; c < FColCount; ++c)
            if (PtInRect(CellRect(c, row), Point(X, Y))) {
                Col = c;
                Row = row;
                return true;
            }
        return false;
    };
    for (int r = 0; r < FFixedRows; ++r)
        if (inRow(r)) return true;
    for (int r = FTopRow; r < FRowCount && CellRect(0, r).Top <= Y; ++r)
        if (inRow(r)) return true;
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
    // The current row comes into view.
    if (FRow >= FFixedRows && FRow < FTopRow)
        SetTopRow(FRow);
    else if (FRow >= FFixedRows && FRow >= FTopRow + std::max(1, VisibleRowCount()))
        SetTopRow(TopRowShowing(FRow));
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

TInplaceEdit* TStringGrid::CreateEditor()
{
    if (GetEditStyle(FCol, FRow) != esPickList) return new TInplaceEdit(this);
    auto* list = new TInplaceEditList(this);
    // The one list editor serves every pick-list cell: it asks for the cell it is open on.
    list->OnGetPickListItems = [this](TInplaceEditList*, TStringList& Items) {
        if (OnGetPickList) OnGetPickList(FCol, FRow, Items);
    };
    return list;
}

TEditStyle TStringGrid::GetEditStyle(int Col, int Row) { return OnGetEditStyle ? OnGetEditStyle(Col, Row) : esSimple; }

void TStringGrid::InsertRows(int Position, int Count)
{
    if (FSource || Position < 0 || Position > FRowCount || Count <= 0) return;
    HideEditor();
    FCells.insert(FCells.begin() + Position, static_cast<size_t>(Count),
                  std::vector<std::string>(static_cast<size_t>(FColCount)));
    std::map<int, int> heights;
    for (const auto& [row, height] : FRowHeights) heights[row >= Position ? row + Count : row] = height;
    FRowHeights.swap(heights);
    FRowCount += Count;
    ResizeCells();
}

void TStringGrid::DeleteRows(int Position, int Count)
{
    if (FSource || Position < 0 || Count <= 0 || Position + Count > FRowCount || Count >= FRowCount) return;
    HideEditor();
    FCells.erase(FCells.begin() + Position, FCells.begin() + Position + Count);
    std::map<int, int> heights;
    for (const auto& [row, height] : FRowHeights)
        if (row < Position || row >= Position + Count) heights[row >= Position ? row - Count : row] = height;
    FRowHeights.swap(heights);
    FRowCount -= Count;
    FFixedRows = std::min(FFixedRows, FRowCount - 1);
    ResizeCells();
}

void TStringGrid::SwapRows(int A, int B)
{
    if (FSource || A < 0 || B < 0 || A >= FRowCount || B >= FRowCount || A == B) return;
    HideEditor();
    std::swap(FCells[static_cast<size_t>(A)], FCells[static_cast<size_t>(B)]);
    Invalidate();
}

void TStringGrid::ShowEditor()
{
    if (!(FOptions & goEditing) || FCol < FFixedCols || FRow < FFixedRows) return;
    if (OnCanEdit && !OnCanEdit(FCol, FRow)) return;
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
    // Over a source the editor's text is the owner's to take (OnSetEditText, keys).
    if (FEditorShowing && FEditor && !FSource)
        FCells[static_cast<size_t>(FRow)][static_cast<size_t>(FCol)] = FEditor->GetText();
}

void TStringGrid::HideEditor()
{
    if (!FEditorShowing) return;
    if (auto* list = dynamic_cast<TInplaceEditList*>(FEditor)) list->CloseUp();
    UpdateText();
    const std::string text = FEditor->GetText();
    const bool hadFocus = FEditor->Focused();
    FEditorShowing = false;
    FEditor->Hide();
    if (hadFocus) SetFocus();
    Invalidate();
    if (OnSetEditText && text != FEditStartText) OnSetEditText(FCol, FRow, text);
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
    if (!MouseToCell(X, Y, col, row)) return;
    if (row == 0 && col >= FFixedCols && FFixedRows > 0 && OnTitleClick) {
        OnTitleClick(col);
        return;
    }
    if (col < FFixedCols || row < FFixedRows) return;
    // A click on the current cell opens its editor; elsewhere it moves there.
    if (col == FCol && row == FRow)
        ShowEditor();
    else
        MoveCurrent(col, row);
}

void TStringGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int pageRows = std::max(1, VisibleRowCount());
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

bool TStringGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, X, Y)) return true;
    SetTopRow(FTopRow - WheelDelta * WheelRows / WheelNotch);
    return true;
}

void TStringGrid::Resize()
{
    TCustomControl::Resize();
    FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, MaxTopRow()));
    UpdateScrollBar();
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Paint

void TStringGrid::DrawCell(int Col, int Row, const TRect& Rect, TGridDrawState State)
{
    if (OnDrawCell)
        OnDrawCell(CellCanvas(), Col, Row, Rect, State);
    else
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
    const int cellsWidth = CellsWidth();
    // Only the fixed rows and the rows from the top row down to the bottom are drawn.
    std::vector<int> rows;
    for (int row = 0; row < FFixedRows; ++row) rows.push_back(row);
    for (int row = FTopRow; row < FRowCount && CellRect(0, row).Top < height; ++row) rows.push_back(row);
    if (rows.empty()) {
        Canvas()->Draw(0, 0, FBuffer);
        return;
    }
    // Grid lines: the gaps between the cells.
    canvas->Brush()->SetColor(clSilver);
    const TRect last = CellRect(FColCount - 1, rows.back());
    canvas->FillRect(
        Rect(0, 0, std::min(cellsWidth, last.Right + GridLineWidth), std::min(height, last.Bottom + GridLineWidth)));
    for (int row : rows) {
        for (int col = 0; col < FColCount; ++col) {
            const TRect cell = CellRect(col, row);
            if (cell.Left >= cellsWidth) break;
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
