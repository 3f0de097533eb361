// A string grid whose cells can be bound to program variables. The owner describes each
// cell once, when the table first asks (OnGetCellInfo): the variable, its type, how the
// cell is edited, its limits and its number format. The table loads the variables into
// the cell texts, filters the keys typed into a cell as the typed edit does, steps numbers
// with Up and Down, clamps confirmed entries into their range and writes them back, offers
// pick lists, and can insert and delete rows from the keyboard.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include "kvc/KvEdit.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/Grids.h"

namespace KVC {

// How a cell's value reads and writes as text.
struct TKvTableCellEditInfo {
    // TTypeValue numbering: 0 string, 1 decimal, 2 hexadecimal, 3 float.
    std::uint8_t Kind = 0;
    // Text of an empty entry and of a text that does not convert.
    std::string DefaultValue = "0";
    // Negative values allowed (when no range is set).
    bool Signed = true;
    // Clamping range; none while the two are equal.
    double Min = 0;
    double Max = 0;
    TFloatFormat FloatFormat = ffFixed;
    int FloatPrecision = 12;
    int FloatDigits = 2;
    // Step of Up and Down.
    float Increment = 1;
};

// Column, row and the list to fill with the values to pick from.
using TKvGetPickListEvent = std::function<void(int Col, int Row, TStringList& List)>;

// Edit modes of a cell.
constexpr std::uint8_t kvemTyped = 0, kvemPickList = 2;

// Types of a bound variable.
enum TKvTableVarType : std::uint8_t {
    kvvtString = 0,  // std::string
    kvvtChar = 1,    // char
    kvvtUInt8 = 2,
    kvvtInt16 = 3,
    kvvtUInt16 = 4,
    kvvtInt32 = 5,
    kvvtUInt32 = 6,
    kvvtSingle = 7,  // float
    kvvtDouble = 8,
};

struct TKvTableCellInfo {
    // The record was filled by OnGetCellInfo.
    std::uint8_t Initialized = 0;
    // The cell mirrors its variable.
    std::uint8_t Bound = 0;
    // 0 typed entry, 2 pick list, any other value free text that is not stored.
    std::uint8_t EditMode = 0;
    // A TKvTableVarType.
    std::uint8_t VarType = 0;
    TKvTableCellEditInfo EditInfo;
    // Address of the bound variable (may be null).
    void* Value = nullptr;
    TKvGetPickListEvent OnGetPickList;
};

using TKvGetCellInfoEvent = std::function<void(int Col, int Row, TKvTableCellInfo& CellInfo)>;
using TKvCellValueEvent = std::function<void(int Col, int Row)>;
using TKvRowEvent = std::function<void(int Row)>;

class TKvTable : public TStringGrid {
public:
    // Also makes the system locale's decimal separator the separator of every float
    // conversion in the process.
    explicit TKvTable(TComponent* Owner);

    // The cell's record, asked of OnGetCellInfo the first time (once per cell).
    TKvTableCellInfo* getCellInfo(int Col, int Row);
    TKvTableCellInfo* getCurrentCellInfo() { return getCellInfo(GetCol(), GetRow()); }
    // The key of a cell in the record map: column (16 bits) x 65536 + row.
    static unsigned codeColRow(int Col, int Row);

    // Writes Text into the cell's variable; DefaultValue when the text does not convert.
    void StoreCellValue(int Col, int Row, const std::string& Text);
    // The cell's variable as text; DefaultValue without a variable.
    std::string LoadCellValue(int Col, int Row);
    // Every bound cell shows its variable again.
    void RefreshTable();

    std::string getCellValueAsString(int Col, int Row) const { return GetCells(Col, Row); }
    // Decimal cells: the decimal integer, else DefaultValue's, else 0; hexadecimal cells:
    // the base-16 reading; string and float cells: 0.
    int getCellValueAsInt(int Col, int Row);
    // 0 when neither the text nor DefaultValue is a number.
    double getCellValueAsDouble(int Col, int Row);

    // Confirms the entry of the open editor (an entry the operator changed): an empty
    // typed entry takes DefaultValue, numbers are clamped into their range, the value goes
    // into the variable and OnCellValueChanged reports it.
    void DoEnterValue();
    void insertRow(int Row);
    void deleteRow(int Row);
    // 1-based position of C in Text, 0 when absent.
    static int IsPresentChar(const std::string& Text, char C);

    char DecimalSeparator() const { return FDecimalSeparator; }

    bool CanAddRemoveRows = false;
    TKvGetCellInfoEvent OnGetCellInfo;
    TKvCellValueEvent OnCellValueChanged;
    TKvRowEvent OnInsertRow;
    TKvRowEvent OnDeleteRow;

protected:
    TInplaceEdit* CreateEditor() override;
    TEditStyle GetEditStyle(int Col, int Row) override;
    void DrawCell(int Col, int Row, const TRect& Rect, TGridDrawState State) override;
    bool SelectCell(int Col, int Row) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void DoExit() override;

private:
    bool StoreText(const TKvTableCellInfo& Info, const std::string& Text);
    char FDecimalSeparator;
    std::map<unsigned, TKvTableCellInfo> FCellInfo;
};

}  // namespace KVC
