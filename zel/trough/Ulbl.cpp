#include "zel/trough/Ulbl.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Graphics.h"
#include "platform/base/FloatFormat.h"
#include "platform/base/Strings.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/core/Instrument.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/trough/Scripttext.h"
#include "zel/trough/Uscriptctrl.h"

TFLbl* FLbl = nullptr;

// ---------------------------------------------------------------------------------------
// The script

namespace {

class TLblScriptWriter {
public:
    TLblScriptWriter(const std::vector<TLblProcess>& Actions, const TActionSets& Sets, const TLblScriptStart& Start)
        : FActions(Actions),
          FSets(Sets),
          FLevel(Hundredths(Start.DipperLevel)),
          FPark(Hundredths(Start.ParkLevel)),
          FManualSpeed(Hundredths(Start.ManualSpeed)),
          FCell(Start.Cell)
    {
    }
    std::vector<std::string> Lines;

    void Park() { MoveDipperToLevel(FPark, 0); }

    void Process(const TProcess& Row)
    {
        if (Row.kind == prElementaryAction) {
            const TLblProcess* action = Action(Row.index);
            if (!action) return;
            Lines.push_back("label LBL-" + std::to_string(Row.index));
            AddElementaryAction(*action, Row.count);
        } else if (Row.kind == prActionSet) {
            AddActionSet(Row.index, Row.count);
        }
    }

private:
    // A reference kept past the integrity question may point nowhere: it writes nothing.
    const TLblProcess* Action(std::int32_t Number) const
    {
        return Number >= 1 && Number <= static_cast<std::int32_t>(FActions.size())
                   ? &FActions[static_cast<size_t>(Number - 1)]
                   : nullptr;
    }

    void MoveDipperToLevel(std::int64_t Level, std::int64_t Speed)
    {
        if (FLevel > Level)
            MoveDipper("DipperMoveDown", FLevel - Level, Speed);
        else if (FLevel < Level)
            MoveDipper("DipperMoveUp", Level - FLevel, Speed);
        FLevel = Level;
    }

    void MoveDipper(const char* Word, std::int64_t Distance, std::int64_t Speed)
    {
        if (Distance <= 0) return;
        Lines.push_back(ScriptLine("DipperSpeed=", Speed > 0 ? Speed : FManualSpeed));
        Lines.push_back(ScriptLine(Word, Distance));
    }

    void AddElementaryAction(const TLblProcess& A, std::int32_t Count)
    {
        Count = std::max(Count, 1);
        if (FCell != A.cell) {
            Park();
            Lines.push_back(ScriptCountLine("MoveDipperToCell", A.cell));
            FCell = A.cell;
        }
        const std::int64_t upper = Hundredths(A.upLevel);
        MoveDipperToLevel(upper, 0);
        if (Count > 1) Lines.push_back(ScriptCountLine("repeat", Count));
        MoveDipperToLevel(Hundredths(A.downLevel), Hundredths(A.downSpeed));
        if (A.mechActivations > 0) Lines.push_back(ScriptCountLine("MechActivaton", A.mechActivations));
        Lines.push_back(ScriptCountLine("Pause", A.bottomPause));
        MoveDipperToLevel(upper, Hundredths(A.upSpeed));
        Lines.push_back(ScriptCountLine("Pause", A.topPause));
        if (Count > 1) Lines.push_back("endrepeat");
    }

    void AddActionSet(std::int32_t Set, std::int32_t Count)
    {
        const auto found = FSets.find(Set);
        if (found == FSets.end()) return;
        const std::vector<TLblSetProcess>& entries = found->second;
        if (Count > 1) {
            Park();
            Lines.push_back(ScriptCountLine("repeat", Count));
            // The body is written once: when its entries use more than one cell, a later
            // pass starts in the last entry's cell, so no pass may count on the cell the
            // first one started in.
            std::set<std::int32_t> cells;
            for (const TLblSetProcess& entry : entries)
                if (const TLblProcess* action = Action(entry.lbl)) cells.insert(action->cell);
            if (cells.size() > 1) FCell = -1;
        }
        for (const TLblSetProcess& entry : entries) {
            const TLblProcess* action = Action(entry.lbl);
            if (!action) continue;
            Lines.push_back("label LS-" + std::to_string(Set) + ":LBL-" + std::to_string(entry.lbl));
            AddElementaryAction(*action, entry.count);
            Park();
        }
        if (Count > 1) Lines.push_back("endrepeat");
    }

    const std::vector<TLblProcess>& FActions;
    const TActionSets& FSets;
    std::int64_t FLevel, FPark, FManualSpeed;
    std::int32_t FCell;
};

}  // namespace

std::vector<std::string> MakeLblScript(const std::vector<TLblProcess>& ElementaryActions, const TActionSets& ActionSets,
                                       const std::vector<TProcess>& Processes, const TLblScriptStart& Start)
{
    TLblScriptWriter writer(ElementaryActions, ActionSets, Start);
    writer.Lines.reserve(30);
    writer.Lines.push_back("info Prepare to start");
    writer.Park();
    for (const TProcess& row : Processes) writer.Process(row);
    writer.Park();
    return std::move(writer.Lines);
}

// ---------------------------------------------------------------------------------------
// Rows as text

std::string DelimitedRow(const std::vector<std::string>& Cells)
{
    std::string text;
    for (size_t i = 0; i < Cells.size(); ++i) {
        if (i) text += ',';
        const std::string& cell = Cells[i];
        const bool quoted = std::any_of(cell.begin(), cell.end(), [](char c) {
            return c == ' ' || c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20;
        });
        if (!quoted) {
            text += cell;
            continue;
        }
        text += '"';
        for (char c : cell) text += c == '"' ? std::string("\"\"") : std::string(1, c);
        text += '"';
    }
    return text;
}

std::vector<std::string> SplitDelimitedRow(const std::string& Text)
{
    std::vector<std::string> cells;
    size_t i = 0;
    const size_t n = Text.size();
    if (n == 0) return cells;
    for (;;) {
        std::string cell;
        if (i < n && Text[i] == '"') {
            ++i;
            while (i < n) {
                if (Text[i] == '"') {
                    if (i + 1 < n && Text[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += Text[i++];
            }
        }
        while (i < n && Text[i] != ',' && Text[i] != ' ') cell += Text[i++];
        cells.push_back(cell);
        if (i >= n) break;
        ++i;  // the separator
    }
    return cells;
}

// ---------------------------------------------------------------------------------------
// Grid operations

bool InsertGridRows(TStringGrid* Grid, int Position, int Count, const std::string& Text)
{
    if (!Grid || Count <= 0 || Position < Grid->GetFixedRows() || Position > Grid->GetRowCount()) return false;
    Grid->SetEditorMode(false);
    Grid->InsertRows(Position, Count);
    for (int row = Position; row < Position + Count; ++row)
        for (int col = Grid->GetFixedCols(); col < Grid->GetColCount(); ++col) Grid->SetCells(col, row, Text);
    return true;
}

bool DeleteGridRows(TStringGrid* Grid, int Position, int Count)
{
    if (!Grid) return false;
    Grid->SetEditorMode(false);
    if (Count <= 0 || Count + Grid->GetFixedRows() >= Grid->GetRowCount()) return false;
    if (Position < Grid->GetFixedRows() || Position + Count > Grid->GetRowCount()) return false;
    Grid->DeleteRows(Position, Count);
    return true;
}

void SwapGridRows(TStringGrid* Grid, int A, int B)
{
    const int first = Grid->GetFixedRows(), last = Grid->GetRowCount() - 1;
    if (A == B || A < first || B < first || A > last || B > last) return;
    Grid->SwapRows(A, B);
}

// ---------------------------------------------------------------------------------------
// The window

namespace {

constexpr const char* Section = "LBL";
// Stored row counts beyond this are a damaged file, not a program.
constexpr int MaxStoredRows = 10000;
enum TTableIndex { tiActions, tiSets, tiProcesses };
const char* const TableKeys[] = {"LblTable", "LblSetTable", "ProcessTable"};

std::string Res(const char* Text) { return GetResString(Text, Text); }

std::string Trimmed(const std::string& Text)
{
    const size_t first = Text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return Text.substr(first, Text.find_last_not_of(' ') - first + 1);
}

bool ToInteger(const std::string& Text, std::int32_t& Value)
{
    const std::string text = Trimmed(Text);
    if (text.empty()) return false;
    size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t j = i; j < text.size(); ++j)
        if (!std::isdigit(static_cast<unsigned char>(text[j]))) return false;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno || value < INT32_MIN || value > INT32_MAX) return false;
    Value = static_cast<std::int32_t>(value);
    return true;
}

// A speed or level: "." or "," as the separator, and no larger than a float holds (the
// tables keep floats, and a larger value has no float to become).
bool ToDecimal(const std::string& Text, float& Value)
{
    double value = 0;
    if (!TryStrToFloat(Text, value, dsPointOrComma) || std::fabs(value) > std::numeric_limits<float>::max())
        return false;
    Value = static_cast<float>(value);
    return true;
}

bool RowIsEmpty(const TStringGrid* Grid, int Row)
{
    for (int col = Grid->GetFixedCols(); col < Grid->GetColCount(); ++col)
        if (!Trimmed(Grid->GetCells(col, Row)).empty()) return false;
    return true;
}

// The number after the first "-", or of the whole text without one.
bool ReferenceNumber(const std::string& Text, std::int32_t& Value)
{
    const size_t dash = Text.find('-');
    return ToInteger(dash == std::string::npos ? Text : Text.substr(dash + 1), Value);
}

int Box(const std::string& Text, const std::string& Caption, unsigned Flags)
{
    return Application->MessageBox(Text, Caption, Flags);
}

// Columns of each table that hold whole numbers and decimals.
bool IsIntegerColumn(TTableIndex Table, int Col)
{
    switch (Table) {
    case tiActions:
        return Col == 2 || Col == 5 || Col == 8 || Col == 9;
    case tiSets:
        return Col == 0 || Col == 2;
    case tiProcesses:
        return Col == 2;
    }
    return false;
}

bool IsDecimalColumn(TTableIndex Table, int Col)
{
    return Table == tiActions && (Col == 3 || Col == 4 || Col == 6 || Col == 7);
}

// The elementary actions' speeds, levels and pauses by column.
enum { colDownSpeed = 3, colDownLevel = 4, colBottomPause = 5, colUpSpeed = 6, colUpLevel = 7, colTopPause = 8 };

std::string Mm(double Value) { return HundredthsText(Hundredths(Value)); }

// A bound as the table's floats compare with it (a bound beyond every float holds them all).
float AsFloat(double Value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(Value, -largest, largest));
}

// What a cell of a table must hold, or empty when its text is such a value. A level lies
// within the dipper's travel and a speed is no faster than the dipper runs (0 or less
// means the manual window's speed), so that no cell, typed or read from the settings
// file, becomes a move or speed the dipper cannot make; a pause is not negative.
std::string CellWants(TTableIndex Table, int Col, const std::string& Text)
{
    std::int32_t integer = 0;
    float decimal = 0;
    if (IsIntegerColumn(Table, Col) && !ToInteger(Text, integer)) return "integer";
    if (IsDecimalColumn(Table, Col) && !ToDecimal(Text, decimal)) return "float";
    if (Table != tiActions) return {};
    TLinearMotion& dipper = CalibrateParam.dipper;
    switch (Col) {
    case colDownLevel:
    case colUpLevel: {
        // Compared as the table keeps them, as floats: an end of the travel itself fits.
        const double a = dipper.HwToSh(dipper.GetHwMin()), b = dipper.HwToSh(dipper.GetHwMax());
        const double lowest = std::min(a, b), highest = std::max(a, b);
        if (!(decimal >= AsFloat(lowest) && decimal <= AsFloat(highest)))
            return "float from " + Mm(lowest) + " to " + Mm(highest);
        break;
    }
    case colDownSpeed:
    case colUpSpeed:
        if (!(decimal <= AsFloat(dipper.GetMaxSpeed()))) return "float up to " + Mm(dipper.GetMaxSpeed());
        break;
    case colBottomPause:
    case colTopPause:
        if (integer < 0) return "integer from 0";
        break;
    }
    return {};
}

}  // namespace

TFLbl::TFLbl(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Lbl)
{
    Name = "FLbl";
    SetCaption("Layer-by-layer");
    BuildControls();
    SetBounds(0, 0, 760, 560);
    // The numbering and a silent check follow once the stored tables are in.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        Renumber();
        CheckDataIntegrity(false);
        if (DeviceType == dtLbl) {
            Show();
            SetWindowState(wsMaximized);
        }
    };
    FLbl = this;
}

TFLbl::~TFLbl()
{
    if (FLbl == this) FLbl = nullptr;
}

TStringGrid* TFLbl::MakeGrid(const char* Name, int Left, int Top, int Width, int Height, int Columns, int FixedColumns)
{
    auto* grid = MakeControl<TStringGrid>(this, this, Name, "", Left, Top, Width, Height);
    grid->SetColCount(Columns);
    grid->SetRowCount(2);
    grid->SetFixedRows(1);
    grid->SetFixedCols(FixedColumns);
    grid->SetDefaultRowHeight(20);
    grid->SetOptions(goEditing);
    grid->OnEditorExit = [this, grid](TObject*) { CheckCell(grid); };
    grid->OnKeyUp = [this, grid](TObject*, WORD& Key, TShiftState Shift) { GridKeyUp(grid, Key, Shift); };
    return grid;
}

void TFLbl::BuildControls()
{
    auto bold = [](TLabel* Label) { Label->Font()->SetStyle(TFontStyles() << fsBold); };
    auto button = [this](const char* Name, int Left, int Top, const char* Caption) {
        return MakeControl<TButton>(this, this, Name, Caption, Left, Top, 60, 22);
    };
    lblLblProcParam = MakeControl<TLabel>(this, this, "lblLblProcParam", "Elementary actions", 8, 4, 300, 16);
    sgrLbl = MakeGrid("sgrLbl", 8, 22, 660, 220, 10, 1);
    sgrLbl->SetColWidths(0, 40);
    sgrLbl->SetRowHeights(0, 40);
    sgrLbl->OnDrawCell = [this](TCanvas* Canvas, int Col, int Row, const TRect& Rect, TGridDrawState) {
        const std::string text = sgrLbl->GetCells(Col, Row);
        TRect area = Rect;
        // The header's texts are long: wrapped and centred.
        if (Row == 0)
            Canvas->DrawText(text, area, DT_CENTER | DT_WORDBREAK);
        else
            Canvas->TextRect(Rect, Rect.Left + 2, Rect.Top + 2, text);
    };
    std::tie(sbtLblAdd, sbtLblDel, sbtLblDelAll, sbtLblUp, sbtLblDown) =
        BuildEditingButtons(sgrLbl, 676, 22, "sbtLbl", "Up", "Down");
    sbtLblRowCopy = button("sbtLblRowCopy", 676, 152, "Copy");

    lblLblSetParam = MakeControl<TLabel>(this, this, "lblLblSetParam", "Action set", 8, 250, 300, 16);
    sgrLblSet = MakeGrid("sgrLblSet", 8, 268, 280, 200, 3, 0);
    sgrLblSet->SetRowHeights(0, 30);
    std::tie(sbtLblSetAdd, sbtLblSetDel, sbtLblSetDelAll, sbtLblSetMoveUp, sbtLblSetMoveDown) =
        BuildEditingButtons(sgrLblSet, 296, 268, "sbtLblSet", "MoveUp", "MoveDown");
    sbtLblSetSort = button("sbtLblSetSort", 296, 398, "Sort");

    lblProcessParam = MakeControl<TLabel>(this, this, "lblProcessParam", "Processes", 380, 250, 300, 16);
    sgrProc = MakeGrid("sgrProc", 380, 268, 230, 200, 3, 1);
    sgrProc->SetColWidths(0, 30);
    sgrProc->SetRowHeights(0, 30);
    std::tie(sbtProcAdd, sbtProcDel, sbtProcDelAll, sbtProcUp, sbtProcDown) =
        BuildEditingButtons(sgrProc, 620, 268, "sbtProc", "Up", "Down");
    sbtProcAdd->SetHint("Add");
    for (TLabel* label : {lblLblProcParam, lblLblSetParam, lblProcessParam}) bold(label);
    for (int col = 0; col < 3; ++col) sgrLblSet->SetColWidths(col, 80);
    for (int col = 1; col < 3; ++col) sgrProc->SetColWidths(col, 80);

    btnRun = MakeControl<TButton>(this, this, "btnRun", "START", 8, 480, 100, 25);
    btnStop = MakeControl<TButton>(this, this, "btnStop", "Stop", 8, 480, 100, 25);
    // START lies in front of Stop: hiding START uncovers Stop.
    btnRun->BringToFront();
    btnCheckDataIntegrity =
        MakeControl<TButton>(this, this, "btnCheckDataIntegrity", "Check data integrity", 120, 480, 160, 25);
    btnRun->OnClick = [this](TObject* Sender) { btnRunClick(Sender); };
    btnStop->OnClick = [this](TObject* Sender) { btnStopClick(Sender); };
    btnCheckDataIntegrity->OnClick = [this](TObject*) {
        if (CheckDataIntegrity(true)) Box(Res("All right"), Application->Title, MB_OK | MB_ICONINFORMATION);
    };

    sbtLblRowCopy->OnClick = [this](TObject*) { CopyRow(); };
    sbtLblSetSort->OnClick = [this](TObject*) { SortActionSets(); };
    for (TStringGrid* grid : {sgrLblSet, sgrProc}) {
        grid->OnGetEditStyle = [](int Col, int) { return Col == 1 ? esPickList : esSimple; };
        grid->OnGetPickList = [this, grid](int, int, TStringList& Items) { FillPickList(grid, Items); };
    }
}

TFLbl::TEditingButtons TFLbl::BuildEditingButtons(TStringGrid* Grid, int Left, int Top, const std::string& Prefix,
                                                  const char* Up, const char* Down)
{
    const std::pair<const char*, const char*> kinds[] = {
        {"Add", "+"}, {"Del", "-"}, {"DelAll", "x"}, {Up, "^"}, {Down, "v"}};
    TButton* made[5];
    for (int i = 0; i < 5; ++i)
        made[i] = MakeControl<TButton>(this, this, (Prefix + kinds[i].first).c_str(), kinds[i].second, Left,
                                       Top + 26 * i, 60, 22);
    made[0]->OnClick = [this, Grid](TObject*) { AddRow(Grid); };
    made[1]->OnClick = [this, Grid](TObject*) { DeleteRow(Grid); };
    made[2]->OnClick = [this, Grid](TObject*) { DeleteAllRows(Grid); };
    made[3]->OnClick = [this, Grid](TObject*) { MoveRow(Grid, -1); };
    made[4]->OnClick = [this, Grid](TObject*) { MoveRow(Grid, +1); };
    return {made[0], made[1], made[2], made[3], made[4]};
}

std::vector<TCaptionTarget> TFLbl::CaptionTargets()
{
    std::vector<TCaptionTarget> targets = TToolWindow::CaptionTargets();
    for (TControl* c : std::initializer_list<TControl*>{lblLblProcParam, lblLblSetParam, lblProcessParam})
        targets.push_back(CaptionOf(c));
    // A header item missing or empty repeats the one before it.
    TStringGrid* grids[] = {sgrLbl, sgrLblSet, sgrProc};
    for (int i = 0; i < 3; ++i) {
        targets.push_back([this, i, grids](const std::string& Text) {
            FHeaders[i] = SplitDelimitedRow(Text);
            for (int j = i + 1; j < 3; ++j) FHeaders[j] = FHeaders[i];
            for (int j = i; j < 3; ++j)
                for (int col = 0; col < grids[j]->GetColCount(); ++col)
                    grids[j]->SetCells(col, 0, col < static_cast<int>(FHeaders[j].size()) ? FHeaders[j][col] : "");
        });
    }
    targets.push_back(HintOf({sbtLblAdd, sbtLblSetAdd, sbtProcAdd}));
    targets.push_back(HintOf({sbtLblDel, sbtLblSetDel, sbtProcDel}));
    targets.push_back(HintOf({sbtLblDelAll, sbtLblSetDelAll, sbtProcDelAll}));
    targets.push_back(HintOf({sbtLblUp, sbtLblSetMoveUp, sbtProcUp}));
    targets.push_back(HintOf({sbtLblDown, sbtLblSetMoveDown, sbtProcDown}));
    targets.push_back(HintOf({sbtLblSetSort}));
    targets.push_back(CaptionOf(btnRun));
    targets.push_back(CaptionOf(btnStop));
    targets.push_back(CaptionOf(btnCheckDataIntegrity));
    targets.push_back(HintOf({sbtLblRowCopy}));
    return targets;
}

// ---------------------------------------------------------------------------------------
// Editing

void TFLbl::NumberRows(TStringGrid* Grid, const char* Prefix)
{
    for (int row = Grid->GetFixedRows(); row < Grid->GetRowCount(); ++row)
        Grid->SetCells(0, row, Prefix + std::to_string(row));
}

void TFLbl::Renumber()
{
    NumberRows(sgrLbl, "LBL-");
    NumberRows(sgrProc, "");
}

void TFLbl::AddRow(TStringGrid* Grid)
{
    const int at = Grid->GetRow() + 1;
    if (InsertGridRows(Grid, at, 1, "")) Grid->SetRow(at);
    Renumber();
}

void TFLbl::DeleteRow(TStringGrid* Grid)
{
    DeleteGridRows(Grid, Grid->GetRow(), 1);
    Renumber();
}

void TFLbl::DeleteAllRows(TStringGrid* Grid)
{
    Grid->SetEditorMode(false);
    Grid->SetRowCount(2);
    Renumber();
}

void TFLbl::MoveRow(TStringGrid* Grid, int Step)
{
    const int row = Grid->GetRow(), other = row + Step;
    if (other < Grid->GetFixedRows() || other >= Grid->GetRowCount()) return;
    SwapGridRows(Grid, row, other);
    Grid->SetRow(other);
    Renumber();
}

void TFLbl::CopyRow()
{
    const int selected = sgrLbl->GetRow();
    if (selected <= 0) {
        Box("Please, select a row firstly.", Application->Title, MB_OK | MB_ICONINFORMATION);
        return;
    }
    sgrLbl->SetRow(sgrLbl->GetRowCount() - 1);
    AddRow(sgrLbl);
    const int copy = sgrLbl->GetRowCount() - 1;
    for (int col = 1; col < sgrLbl->GetColCount(); ++col) sgrLbl->SetCells(col, copy, sgrLbl->GetCells(col, selected));
}

void TFLbl::SortActionSets()
{
    sgrLblSet->SetEditorMode(false);
    const int last = sgrLblSet->GetRowCount() - 1;
    for (int i = sgrLblSet->GetFixedRows(); i < last; ++i) {
        for (int j = i + 1; j <= last; ++j) {
            std::int32_t a = 0, b = 0;
            if (!ToInteger(sgrLblSet->GetCells(0, i), a) || !ToInteger(sgrLblSet->GetCells(0, j), b)) {
                Box(Res("Sort error was occurred"), Res("Sort"), MB_OK | MB_ICONERROR);
                return;
            }
            if (b < a) SwapGridRows(sgrLblSet, i, j);
        }
    }
}

void TFLbl::GridKeyUp(TStringGrid* Grid, WORD& Key, TShiftState Shift)
{
    if (!(Shift & (ssShift | ssCtrl))) return;
    if (Key == VK_RETURN)
        InsertGridRows(Grid, Grid->GetRow() + 1, 1, "");
    else if (Key == VK_BACK || Key == VK_DELETE)
        DeleteGridRows(Grid, Grid->GetRow(), 1);
    else
        return;
    Renumber();
}

void TFLbl::FillPickList(TStringGrid* Grid, TStringList& Items)
{
    Items.Clear();
    if (Grid == sgrProc) {
        std::set<std::int32_t> sets;
        for (int row = 1; row < sgrLblSet->GetRowCount(); ++row) {
            std::int32_t set = 0;
            if (ToInteger(sgrLblSet->GetCells(0, row), set)) sets.insert(set);
        }
        for (std::int32_t set : sets) Items.Add("LS-" + std::to_string(set));
    }
    for (int row = 1; row < sgrLbl->GetRowCount(); ++row) Items.Add(sgrLbl->GetCells(0, row));
}

bool TFLbl::CheckCell(TStringGrid* Grid)
{
    const TTableIndex table = Grid == sgrLbl ? tiActions : Grid == sgrLblSet ? tiSets : tiProcesses;
    const int col = Grid->GetCol(), row = Grid->GetRow();
    const std::string text =
        Grid->InplaceEditor() && Grid->GetEditorMode() ? Grid->InplaceEditor()->GetText() : Grid->GetCells(col, row);
    const std::string wanted = CellWants(table, col, text);
    if (wanted.empty()) return true;
    Box(ReplaceFirst(Res("Wrong value. This value must be '%1'"), "%1", wanted), Application->Title,
        MB_OK | MB_ICONWARNING);
    Grid->FocusCell(col, row);
    Grid->SetEditorMode(true);
    if (Grid->InplaceEditor()) {
        Grid->InplaceEditor()->SetText(text);
        Grid->InplaceEditor()->SetFocus();
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Parsing and the check

bool TFLbl::ParseTables() { return ParseTables(true); }
bool TFLbl::CheckDataIntegrity() { return CheckDataIntegrity(true); }

bool TFLbl::ParseTables(bool Report)
{
    auto fail = [&](TLabel* Label, int Row) {
        if (Report) {
            std::string text = ReplaceFirst(Res("Incorrect data at '%1' table at row %2"), "%1", Label->GetCaption());
            Box(ReplaceFirst(text, "%2", std::to_string(Row)), Res("Lbl Process"), MB_OK | MB_ICONERROR);
        }
        return false;
    };
    for (TStringGrid* grid : {sgrLbl, sgrLblSet, sgrProc}) grid->SetEditorMode(false);

    ElementaryActions.clear();
    for (int row = 1; row < sgrLbl->GetRowCount(); ++row) {
        if (RowIsEmpty(sgrLbl, row)) continue;
        TLblProcess a;
        auto cell = [&](int Col) { return sgrLbl->GetCells(Col, row); };
        bool fits = true;
        for (int col = 2; col <= 9; ++col) fits = fits && CellWants(tiActions, col, cell(col)).empty();
        if (!fits || !ToInteger(cell(2), a.cell) || !ToDecimal(cell(3), a.downSpeed) ||
            !ToDecimal(cell(4), a.downLevel) || !ToInteger(cell(5), a.bottomPause) || !ToDecimal(cell(6), a.upSpeed) ||
            !ToDecimal(cell(7), a.upLevel) || !ToInteger(cell(8), a.topPause) || !ToInteger(cell(9), a.mechActivations))
            return fail(lblLblProcParam, row);
        ElementaryActions.push_back(a);
    }
    ActionSets.clear();
    for (int row = 1; row < sgrLblSet->GetRowCount(); ++row) {
        if (RowIsEmpty(sgrLblSet, row)) continue;
        std::int32_t set = 0;
        TLblSetProcess entry;
        if (!ToInteger(sgrLblSet->GetCells(0, row), set) || !ReferenceNumber(sgrLblSet->GetCells(1, row), entry.lbl))
            return fail(lblLblSetParam, row);
        if (!ToInteger(sgrLblSet->GetCells(2, row), entry.count)) entry.count = 1;
        ActionSets[set].push_back(entry);
    }
    Processes.clear();
    for (int row = 1; row < sgrProc->GetRowCount(); ++row) {
        if (RowIsEmpty(sgrProc, row)) continue;
        const std::string reference = Trimmed(sgrProc->GetCells(1, row));
        TProcess p;
        const size_t dash = reference.find('-');
        bool valid = true;
        if (dash == std::string::npos) {
            valid = ToInteger(reference, p.index);
        } else {
            const std::string prefix = reference.substr(0, dash);
            if (prefix == "LBL")
                p.kind = prElementaryAction;
            else if (prefix == "LB")
                p.kind = prLb;
            else if (prefix == "LS")
                p.kind = prActionSet;
            else
                valid = false;
            valid = valid && ToInteger(reference.substr(dash + 1), p.index);
        }
        if (!valid) return fail(lblProcessParam, row);
        if (!ToInteger(sgrProc->GetCells(2, row), p.count)) p.count = 1;
        Processes.push_back(p);
    }
    return true;
}

bool TFLbl::CheckDataIntegrity(bool Report)
{
    if (!ParseTables(Report)) {
        if (Report) Box(Res("Data corruption"), Application->Title, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!Report) return true;
    auto ask = [&](const char* Kind, std::int32_t Number, TLabel* Table, int Row) {
        std::string text = Res("Data corruption! Corresponding value %1-%2 not responding at '%3' table at row %4.");
        text = ReplaceFirst(text, "%1", Kind);
        text = ReplaceFirst(text, "%2", std::to_string(Number));
        text = ReplaceFirst(text, "%3", Table->GetCaption());
        text = ReplaceFirst(text, "%4", std::to_string(Row));
        text += "\n" + Res("Do you want continue data integrity analysing?");
        return Box(text, Application->Title, MB_YESNO | MB_ICONWARNING) == IDYES;
    };
    const auto actions = static_cast<std::int32_t>(ElementaryActions.size());
    for (size_t i = 0; i < Processes.size(); ++i) {
        const TProcess& p = Processes[i];
        const bool valid = p.kind == prElementaryAction ? p.index >= 1 && p.index <= actions
                           : p.kind == prActionSet      ? ActionSets.count(p.index) > 0
                                                        : false;
        if (!valid && !ask(p.kind == prActionSet ? "LS" : "LBL", p.index, lblProcessParam, static_cast<int>(i) + 1))
            return false;
    }
    for (const auto& [set, entries] : ActionSets)
        for (const TLblSetProcess& entry : entries)
            if ((entry.lbl < 1 || entry.lbl > actions) && !ask("LBL", entry.lbl, lblLblSetParam, set)) return false;
    return true;
}

// ---------------------------------------------------------------------------------------
// START and Stop

void TFLbl::btnRunClick(TObject*)
{
    if (!CheckDataIntegrity(true) || !FScriptCtrl) return;
    TCalibrateParam& c = CalibrateParam;
    TLblScriptStart start;
    start.DipperLevel = c.dipper.HwToSh(static_cast<int>(DeviceState.dipperPos));
    if (FManualCtrl) {
        start.ParkLevel = c.dipper.HwToSh(FManualCtrl->LblDipperUpLimit);
        start.ManualSpeed = c.dipper.CodeToSpeed(FManualCtrl->DipperSpeedCode);
    }
    const int ring = c.dipperRotator.FindRing(static_cast<int>(DeviceState.dipperRotatorPos));
    if (ring >= 0) start.Cell = c.revolver.AngleToCell(ring, static_cast<int>(DeviceState.revolverPos));
    TStringList lines;
    for (const std::string& line : MakeLblScript(ElementaryActions, ActionSets, Processes, start)) lines.Add(line);
    FScriptCtrl->SetScript(&lines);
    FScriptCtrl->BBGo->Click();
}

void TFLbl::btnStopClick(TObject*)
{
    if (FScriptCtrl) FScriptCtrl->BBStop->Click();
}

void TFLbl::EnableRun(bool Enable)
{
    btnRun->SetEnabled(Enable);
    btnRun->SetVisible(Enable);
}

// ---------------------------------------------------------------------------------------
// Storage

void TFLbl::LoadValues()
{
    TStringGrid* grids[] = {sgrLbl, sgrLblSet, sgrProc};
    for (int t = 0; t < 3; ++t) {
        TStringGrid* grid = grids[t];
        const std::string key = TableKeys[t];
        int rows = IniFile->ReadInteger(Section, (key + ".NumRows").c_str(), grid->GetRowCount());
        rows = std::clamp(rows, 2, MaxStoredRows);
        grid->SetRowCount(rows);
        for (int row = 1; row < rows; ++row) {
            const std::vector<std::string> cells =
                SplitDelimitedRow(IniFile->ReadString(Section, (key + ".Row" + std::to_string(row)).c_str(), ""));
            for (int col = 0; col < grid->GetColCount(); ++col)
                grid->SetCells(col, row, col < static_cast<int>(cells.size()) ? cells[col] : "");
        }
    }
}

void TFLbl::SaveValues()
{
    TStringGrid* grids[] = {sgrLbl, sgrLblSet, sgrProc};
    for (int t = 0; t < 3; ++t) {
        TStringGrid* grid = grids[t];
        grid->SetEditorMode(false);
        const std::string key = TableKeys[t];
        IniFile->WriteInteger(Section, (key + ".NumRows").c_str(), grid->GetRowCount());
        for (int row = 1; row < grid->GetRowCount(); ++row) {
            std::vector<std::string> cells;
            for (int col = 0; col < grid->GetColCount(); ++col) cells.push_back(grid->GetCells(col, row));
            IniFile->WriteString(Section, (key + ".Row" + std::to_string(row)).c_str(), DelimitedRow(cells));
        }
    }
}

void TFLbl::SaveSettings()
{
    TToolWindow::SaveSettings();
    WriteCsv();
}

void TFLbl::WriteCsv() const
{
    std::string text;
    for (int row = 0; row < sgrLbl->GetRowCount(); ++row) {
        for (int col = 0; col < sgrLbl->GetColCount(); ++col) {
            if (col) text += ';';
            const std::string cell = sgrLbl->GetCells(col, row);
            if (cell.find(';') == std::string::npos) {
                text += cell;
                continue;
            }
            text += '"';
            for (char ch : cell) text += ch == '"' ? std::string("\"\"") : std::string(1, ch);
            text += '"';
        }
        text += "\r\n";
    }
    const std::string fileName = AppPath + "lbl.cvs";
    if (!WriteFileAtomically(fileName, text)) MessageDlg(Res("Cannot write the file") + " " + fileName, mtError, mbOK);
}
