// TFLbl: the layer-by-layer program editor. The operator writes a program as three
// tables: elementary actions (one dip into one revolver cell with its levels, speeds,
// pauses and rocking), action sets (numbered sequences of elementary actions) and the
// process (elementary actions and sets with repeat counts). START checks the tables,
// turns them into a script of dipper, rotator and revolver statements and runs it through
// the script window; Stop presses the script window's Stop.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

struct TLblProcess {
    std::int32_t cell = 0;
    float downSpeed = 0;
    float downLevel = 0;
    std::int32_t bottomPause = 0;
    float upSpeed = 0;
    float upLevel = 0;
    std::int32_t topPause = 0;
    std::int32_t mechActivations = 0;
};

struct TLblSetProcess {
    std::int32_t lbl = 0;  // elementary action, from 1
    std::int32_t count = 1;
};

enum TProcessReference : std::uint8_t { prElementaryAction = 0, prLb = 1, prActionSet = 2 };

struct TProcess {
    std::uint8_t kind = prElementaryAction;
    std::int32_t index = 0;
    std::int32_t count = 1;
};

using TActionSets = std::map<std::int32_t, std::vector<TLblSetProcess>>;

// Where the instrument stands when a script is written.
struct TLblScriptStart {
    double DipperLevel = 0;  // mm
    double ParkLevel = 0;    // mm, the level the dipper turns at
    double ManualSpeed = 0;  // mm/min, for actions without a speed of their own
    std::int32_t Cell = -1;  // revolver cell under the dipper, -1 for none
};

// The script of a layer-by-layer program. Levels are tracked in hundredths of a
// millimetre, the precision of the lines, so a move is written exactly where the written
// level changes.
std::vector<std::string> MakeLblScript(const std::vector<TLblProcess>& ElementaryActions, const TActionSets& ActionSets,
                                       const std::vector<TProcess>& Processes, const TLblScriptStart& Start);

class TFLbl : public TToolWindow, public IProcessWindow {
public:
    explicit TFLbl(TComponent* Owner);
    ~TFLbl() override;

    TLabel *lblLblProcParam, *lblLblSetParam, *lblProcessParam;
    TStringGrid *sgrLbl, *sgrLblSet, *sgrProc;
    TButton *sbtLblAdd, *sbtLblDel, *sbtLblDelAll, *sbtLblUp, *sbtLblDown, *sbtLblRowCopy;
    TButton *sbtLblSetAdd, *sbtLblSetDel, *sbtLblSetDelAll, *sbtLblSetMoveUp, *sbtLblSetMoveDown, *sbtLblSetSort;
    TButton *sbtProcAdd, *sbtProcDel, *sbtProcDelAll, *sbtProcUp, *sbtProcDown;
    TButton *btnRun, *btnStop, *btnCheckDataIntegrity;

    // The tables as last parsed.
    std::vector<TLblProcess> ElementaryActions;
    TActionSets ActionSets;
    std::vector<TProcess> Processes;

    bool ParseTables();
    bool CheckDataIntegrity();
    void SortActionSets();
    // Tests the grid's current cell as its column wants; a wrong value is shown and its
    // cell opened again for editing.
    bool CheckCell(TStringGrid* Grid);
    void NumberRows(TStringGrid* Grid, const char* Prefix);
    // Both numbered tables.
    void Renumber();

    void btnRunClick(TObject* Sender);
    void btnStopClick(TObject* Sender);
    void EnableRun(bool Enable) override;
    TControl* StartButton() const override { return btnRun; }

    // The settings, then the elementary actions as "lbl.cvs" in the program folder (the
    // folder the program was started from is none of its business).
    void SaveSettings() override;

protected:
    std::vector<TCaptionTarget> CaptionTargets() override;
    void LoadValues() override;
    void SaveValues() override;

private:
    void BuildControls();
    TStringGrid* MakeGrid(const char* Name, int Left, int Top, int Width, int Height, int Columns, int FixedColumns);
    // The column of editing buttons beside a grid, one under the other and named after
    // Prefix: add, delete, delete all, move up, move down.
    using TEditingButtons = std::tuple<TButton*, TButton*, TButton*, TButton*, TButton*>;
    TEditingButtons BuildEditingButtons(TStringGrid* Grid, int Left, int Top, const std::string& Prefix, const char* Up,
                                        const char* Down);
    void AddRow(TStringGrid* Grid);
    void DeleteRow(TStringGrid* Grid);
    void DeleteAllRows(TStringGrid* Grid);
    void MoveRow(TStringGrid* Grid, int Step);
    void CopyRow();
    void GridKeyUp(TStringGrid* Grid, WORD& Key, TShiftState Shift);
    void FillPickList(TStringGrid* Grid, TStringList& Items);
    bool ParseTables(bool Report);
    bool CheckDataIntegrity(bool Report);
    void WriteCsv() const;

    std::vector<std::string> FHeaders[3];
};

// Grid operations of the editor. Insert fills the new rows' non-fixed cells with Text;
// Delete refuses to take the header or the last data row; Swap exchanges two data rows.
bool InsertGridRows(TStringGrid* Grid, int Position, int Count, const std::string& Text);
bool DeleteGridRows(TStringGrid* Grid, int Position, int Count);
void SwapGridRows(TStringGrid* Grid, int A, int B);

// A table row as one settings value: cells separated by ","; a cell with a blank, a ",",
// a double quote or a control character is quoted, inner quotes doubled.
std::string DelimitedRow(const std::vector<std::string>& Cells);
std::vector<std::string> SplitDelimitedRow(const std::string& Text);

extern TFLbl* FLbl;
