#include "kvc/KvTable.h"

#include <cmath>
#include <limits>

#include "platform/ui/KeyState.h"
#include "platform/ui/Timers.h"

namespace KVC {

namespace {

double ConvertToDouble(const std::string& Text, const std::string& Default)
{
    double value = 0;
    if (TryStrToFloat(Text, value) || TryStrToFloat(Default, value)) return value;
    OutputDebugString("convertToDouble: невозможно конвертировать значение по умолчанию " + Default);
    return 0;
}

// The integer a text stands for in a cell of the given kind (string and float kinds: 0).
int IntegerOfText(const std::string& Text, const TKvTableCellEditInfo& Info)
{
    int value = 0;
    switch (Info.Kind) {
    case tvDecimal:
        if (TypedParseInt(Text, value)) return value;
        return TypedParseInt(Info.DefaultValue, value) ? value : 0;
    case tvHexadecimal:
        return TypedHexValue(Text);
    default:
        return 0;
    }
}

std::string NumberText(double Value, const TKvTableCellEditInfo& Info)
{
    switch (Info.Kind) {
    case tvDecimal:
        return std::to_string(TypedTruncToInt(Value));
    case tvHexadecimal:
        return TypedHexText(TypedTruncToInt(Value));
    case tvFloat:
        return FloatToStrF(Value, Info.FloatFormat, Info.FloatPrecision, Info.FloatDigits);
    default:
        return Info.DefaultValue;
    }
}

double Clamp(double Value, const TKvTableCellEditInfo& Info) { return std::max(std::min(Value, Info.Max), Info.Min); }

std::string CheckRange(const std::string& Text, const TKvTableCellEditInfo& Info)
{
    if (Info.Kind == tvString) return Text;
    double value = Info.Kind == tvFloat ? ConvertToDouble(Text, Info.DefaultValue) : IntegerOfText(Text, Info);
    if (Info.Min != Info.Max) return NumberText(Clamp(value, Info), Info);
    if (Info.Signed || value >= 0) return Text;
    return NumberText(0, Info);
}

std::string Step(const std::string& Text, const TKvTableCellEditInfo& Info, bool Up)
{
    const double increment = Up ? Info.Increment : -Info.Increment;
    switch (Info.Kind) {
    case tvFloat:
        return CheckRange(NumberText(ConvertToDouble(Text, Info.DefaultValue) + increment, Info), Info);
    case tvDecimal:
    case tvHexadecimal:
        return CheckRange(NumberText(std::trunc(IntegerOfText(Text, Info) + increment), Info), Info);
    default:
        return Text;
    }
}

// The whole number a text gives an integer variable. A float cell bound to an integer
// variable stores its value truncated rather than nothing at all.
double StoredInteger(const std::string& Text, const TKvTableCellEditInfo& Info)
{
    if (Info.Kind == tvFloat) return std::trunc(ConvertToDouble(Text, Info.DefaultValue));
    if (Info.Kind == tvString) {
        TKvTableCellEditInfo decimal = Info;
        decimal.Kind = tvDecimal;
        return IntegerOfText(Text, decimal);
    }
    return IntegerOfText(Text, Info);
}

// A value too large for its variable is stored as the nearest value it can hold, never
// wrapped round.
template <class T>
void StoreInteger(void* Variable, double Value)
{
    const double low = static_cast<double>(std::numeric_limits<T>::min());
    const double high = static_cast<double>(std::numeric_limits<T>::max());
    *static_cast<T*>(Variable) = static_cast<T>(std::max(low, std::min(high, Value)));
}

}  // namespace

TKvTable::TKvTable(TComponent* Owner) : TStringGrid(Owner), FDecimalSeparator(SystemDecimalSeparator())
{
    SetDecimalSeparator(FDecimalSeparator);
}

unsigned TKvTable::codeColRow(int Col, int Row)
{
    return (static_cast<unsigned>(Col) & 0xFFFFu) * 65536u + static_cast<unsigned>(Row);
}

TKvTableCellInfo* TKvTable::getCellInfo(int Col, int Row)
{
    TKvTableCellInfo& record = FCellInfo[codeColRow(Col, Row)];
    if (record.Initialized || !OnGetCellInfo) return &record;
    TKvTableCellInfo fresh;
    OnGetCellInfo(Col, Row, fresh);
    fresh.Initialized = 1;
    // The owner's handler may have asked about other cells; the record is looked up again.
    TKvTableCellInfo& stored = FCellInfo[codeColRow(Col, Row)];
    stored = std::move(fresh);
    return &stored;
}

int TKvTable::IsPresentChar(const std::string& Text, char C)
{
    const size_t at = Text.find(C);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

// ---------------------------------------------------------------------------------------
// Variables

bool TKvTable::StoreText(const TKvTableCellInfo& Info, const std::string& Text)
{
    void* variable = Info.Value;
    const TKvTableCellEditInfo& edit = Info.EditInfo;
    switch (Info.VarType) {
    case kvvtString:
        *static_cast<std::string*>(variable) = Text;
        return true;
    case kvvtChar:
        *static_cast<char*>(variable) = Text.empty() ? '\0' : Text[0];
        return true;
    case kvvtUInt8:
        StoreInteger<std::uint8_t>(variable, StoredInteger(Text, edit));
        return true;
    case kvvtInt16:
        StoreInteger<std::int16_t>(variable, StoredInteger(Text, edit));
        return true;
    case kvvtUInt16:
        StoreInteger<std::uint16_t>(variable, StoredInteger(Text, edit));
        return true;
    case kvvtInt32:
        StoreInteger<std::int32_t>(variable, StoredInteger(Text, edit));
        return true;
    case kvvtUInt32:
        StoreInteger<std::uint32_t>(variable, StoredInteger(Text, edit));
        return true;
    case kvvtSingle:
        *static_cast<float*>(variable) = static_cast<float>(ConvertToDouble(Text, edit.DefaultValue));
        return true;
    case kvvtDouble:
        *static_cast<double*>(variable) = ConvertToDouble(Text, edit.DefaultValue);
        return true;
    default:
        return false;
    }
}

void TKvTable::StoreCellValue(int Col, int Row, const std::string& Text)
{
    const TKvTableCellInfo& info = *getCellInfo(Col, Row);
    if (!info.Value) return;
    if (StoreText(info, Text)) return;
    OutputDebugString("StoreCellValue: Используется значение по умолчанию");
    if (!StoreText(info, info.EditInfo.DefaultValue)) OutputDebugString("StoreCellValue: Ошибка при сохранении типа");
}

std::string TKvTable::LoadCellValue(int Col, int Row)
{
    const TKvTableCellInfo& info = *getCellInfo(Col, Row);
    const TKvTableCellEditInfo& edit = info.EditInfo;
    const void* variable = info.Value;
    if (!variable) return edit.DefaultValue;
    switch (info.VarType) {
    case kvvtString:
        return *static_cast<const std::string*>(variable);
    case kvvtChar: {
        const char c = *static_cast<const char*>(variable);
        return c == '\0' ? std::string() : std::string(1, c);
    }
    case kvvtUInt8:
        return std::to_string(*static_cast<const std::uint8_t*>(variable));
    case kvvtInt16:
        return std::to_string(*static_cast<const std::int16_t*>(variable));
    case kvvtUInt16:
        return std::to_string(*static_cast<const std::uint16_t*>(variable));
    case kvvtInt32:
        return std::to_string(*static_cast<const std::int32_t*>(variable));
    case kvvtUInt32:
        return std::to_string(*static_cast<const std::uint32_t*>(variable));
    case kvvtSingle:
        return FloatToStrF(*static_cast<const float*>(variable), edit.FloatFormat, edit.FloatPrecision,
                           edit.FloatDigits);
    case kvvtDouble:
        return FloatToStrF(*static_cast<const double*>(variable), edit.FloatFormat, edit.FloatPrecision,
                           edit.FloatDigits);
    default:
        return edit.DefaultValue;
    }
}

void TKvTable::RefreshTable()
{
    for (int col = 0; col < GetColCount(); ++col)
        for (int row = 0; row < GetRowCount(); ++row)
            if (getCellInfo(col, row)->Bound) SetCells(col, row, LoadCellValue(col, row));
}

int TKvTable::getCellValueAsInt(int Col, int Row)
{
    return IntegerOfText(GetCells(Col, Row), getCellInfo(Col, Row)->EditInfo);
}

double TKvTable::getCellValueAsDouble(int Col, int Row)
{
    return ConvertToDouble(GetCells(Col, Row), getCellInfo(Col, Row)->EditInfo.DefaultValue);
}

// ---------------------------------------------------------------------------------------
// Entry

void TKvTable::DoEnterValue()
{
    TInplaceEdit* editor = InplaceEditor();
    // Only an entry the operator changed is confirmed: moving over a cell must not round
    // its variable to the shown digits.
    if (!GetEditorMode() || !editor || !editor->GetModified()) return;
    const int col = GetCol(), row = GetRow();
    const TKvTableCellInfo& info = *getCellInfo(col, row);
    std::string text = editor->GetText();
    // Typed entries and picked values go into the variable; free text stays in the cell.
    if (info.EditMode == kvemTyped) {
        if (text.empty()) text = info.EditInfo.DefaultValue.empty() ? "0" : info.EditInfo.DefaultValue;
        text = CheckRange(text, info.EditInfo);
        StoreCellValue(col, row, text);
    } else if (info.EditMode == kvemPickList) {
        StoreCellValue(col, row, text);
    }
    editor->SetText(text);
    editor->SetModified(false);
    SetCells(col, row, text);
    if (OnCellValueChanged) OnCellValueChanged(col, row);
}

void TKvTable::KeyPress(char& Key)
{
    TInplaceEdit* editor = InplaceEditor();
    if (!GetEditorMode() || !editor || getCurrentCellInfo()->EditMode != kvemTyped) return;
    const TKvTableCellInfo& info = *getCurrentCellInfo();
    const char typed = Key;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (!control) {
        if (info.EditInfo.Kind != tvString)
            Key = FilterTypedKey(Key, editor->GetText(), editor->GetSelStart(),
                                 static_cast<TTypeValue>(info.EditInfo.Kind), info.EditInfo.Signed, FDecimalSeparator);
        if (Key == '\r') DoEnterValue();
    }
    if (CanAddRemoveRows && (control || GetKeyState(VK_SHIFT) < 0)) {
        if (typed == '\r' || typed == '\n') {
            insertRow(GetRow() + 1);
            Key = 0;
        } else if (typed == '\b' || typed == '.') {
            deleteRow(GetRow());
            Key = 0;
        }
    }
    TStringGrid::KeyPress(Key);
}

void TKvTable::KeyDown(WORD& Key, TShiftState Shift)
{
    TInplaceEdit* editor = InplaceEditor();
    const bool step = (Key == VK_UP || Key == VK_DOWN) && (Shift & (ssShift | ssCtrl | ssAlt)) == 0;
    if (step && GetEditorMode() && editor) {
        const TKvTableCellInfo& info = *getCurrentCellInfo();
        if (info.Bound && info.EditMode == kvemTyped) {
            const std::string text = Step(editor->GetText(), info.EditInfo, Key == VK_UP);
            editor->SetText(text);
            editor->SetModified(true);
            editor->SetSelStart(static_cast<int>(text.size()));
            Key = 0;
            return;
        }
    }
    TStringGrid::KeyDown(Key, Shift);
}

bool TKvTable::SelectCell(int Col, int Row)
{
    DoEnterValue();
    return TStringGrid::SelectCell(Col, Row);
}

void TKvTable::DoExit()
{
    DoEnterValue();
    TStringGrid::DoExit();
}

// ---------------------------------------------------------------------------------------
// Rows

void TKvTable::insertRow(int Row)
{
    if (Row < GetFixedRows() || Row > GetRowCount()) return;
    const int oldLast = GetRowCount() - 1;
    SetRowCount(GetRowCount() + 1);
    for (int col = GetFixedCols(); col < GetColCount(); ++col) {
        for (int row = oldLast; row >= Row; --row) SetCells(col, row + 1, GetCells(col, row));
        SetCells(col, Row, "");
    }
    if (OnInsertRow) OnInsertRow(Row);
}

void TKvTable::deleteRow(int Row)
{
    if (GetRowCount() <= GetFixedRows() + 1) return;
    if (Row < GetFixedRows() || Row >= GetRowCount()) return;
    for (int col = GetFixedCols(); col < GetColCount(); ++col)
        for (int row = Row; row < GetRowCount() - 1; ++row) SetCells(col, row, GetCells(col, row + 1));
    SetRowCount(GetRowCount() - 1);
    if (OnDeleteRow) OnDeleteRow(Row);
}

// ---------------------------------------------------------------------------------------
// Editors and drawing

TEditStyle TKvTable::GetEditStyle(int Col, int Row)
{
    const TKvTableCellInfo& info = *getCellInfo(Col, Row);
    if (info.Initialized && info.Bound && info.EditMode == kvemPickList) return esPickList;
    return TStringGrid::GetEditStyle(Col, Row);
}

TInplaceEdit* TKvTable::CreateEditor()
{
    if (GetEditStyle(GetCol(), GetRow()) != esPickList) return TStringGrid::CreateEditor();
    auto* list = new TInplaceEditList(this);
    list->DropDownRows = 8;
    // The list serves every pick-list cell: it asks the cell it is open on.
    list->OnGetPickListItems = [this](TInplaceEditList*, TStringList& Items) {
        const TKvTableCellInfo& info = *getCurrentCellInfo();
        if (info.OnGetPickList) info.OnGetPickList(GetCol(), GetRow(), Items);
    };
    return list;
}

void TKvTable::DrawCell(int Col, int Row, const TRect& Rect, TGridDrawState State)
{
    if (!(State & gdFixed)) {
        TStringGrid::DrawCell(Col, Row, Rect, State);
        return;
    }
    TRect area = Rect;
    CellCanvas()->Brush()->SetStyle(bsClear);
    CellCanvas()->DrawText(GetCells(Col, Row), area, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    CellCanvas()->Brush()->SetStyle(bsSolid);
}

}  // namespace KVC
