// The process window pattern: what every window that runs a process of the instrument
// and records it shares. START makes the run's data set and graph; each started notice
// of the device opens a table in the set and binds it to the graph; each data point
// appends a row and, at most once per interval, tells the graph and the register of every
// row since it last told them; closing the table and the end of the run tell them the
// rest, so the graph always ends with the last point; the finished notice saves and lets
// go of the set; a lost link ends the run the same way, as failed. A set that cannot be
// saved is shown with the file and the reason and left to the keeper, and its run is
// not reported as completed. The window holds exactly one use of its data set from START
// until it lets go, and forgets the pointer with that use.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"
#include "platform/base/Strings.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

class TFGraph;

// The text of a list's chosen item; empty when none is chosen.
std::string SelectedText(const TComboBox* Combo);
// A selection in [0, Count), else the first item.
inline int ValidIndex(int Index, int Count) { return Index >= 0 && Index < Count ? Index : 0; }
// The area per molecule (nm²) of a trough area (cm²) for a row: 0 when the experiment
// gives no molecule count, so that a row is kept with a plain 0 rather than a sentinel.
double RowAreaPerMolecule(double Area);

// What a table factory writes into one column record.
struct TRunColumn {
    const char* Name;
    const char* ShortName;
    const char* Unit;
};

// A run table of the data set: category "ZelTable", 100 reserved rows, the default X and
// Y columns and every column record filled. Null when the table cannot be made.
std::unique_ptr<TPTableData> CreateRunTable(ISXDataSet* DataSet, const std::string& Name,
                                            const std::vector<TRunColumn>& Columns, int DefaultX, int DefaultY,
                                            int DefaultRight = -1);

class TProcessWindow : public TToolWindow, public IProcessWindow {
public:
    TProcessWindow(TComponent* Owner, TToolWindowKind Kind, TProcessKind Process, const char* ProcessName,
                   int StatusLineCount);
    ~TProcessWindow() override;

    // Lines for the main window's process panel: the process name, the progress, the
    // elapsed time (and a status for some windows).
    std::unique_ptr<TStringList> StatusLines;
    ISXDataSet* DataSet = nullptr;
    std::unique_ptr<TPTableData> Table;
    TFGraph* Graph = nullptr;  // not owned; the operator may close it at any time
    std::string StatusText;
    // When this window last told the graph and the register of new rows (ms ticks).
    std::uint32_t LastRowsAddedTick = 0;
    // The first row of the open table not yet announced; -1 when all are.
    int FirstUnannouncedRow = -1;

    TProcessKind ProcessKind() const { return FProcess; }

    // A new data set with one use for this window, its file name and its experiment
    // properties; false (and nothing held) when that fails. A table still open is closed
    // and a set still held is saved (when it has a name) and let go first.
    bool CreateData();
    virtual void GetParametersText(std::string& Text) = 0;
    // Announces the rest of the open table (at once), then packs and closes it.
    void CloseTable();
    // Forgets the graph when the operator closed it; true while it lives.
    bool CheckGraph();
    // Lets go of the window's use of the data set and forgets it.
    void ReleaseDataSet();
    // Saves the set under its name and lets go of it. A save that fails is shown with the
    // file and the reason and leaves the set to the keeper, which saves it once it can;
    // false then.
    bool SaveAndReleaseDataSet();
    // The link went down: a run of this window ends as failed, its data saved.
    void LinkLost() override;

protected:
    static void ShowError(const char* Text);
    // A new graph titled "<ProcessTitle> of <compound>", or null.
    static TFGraph* NewTitledGraph(const std::string& ProcessTitle);
    // START steps shared by every window after its own checks: data set, graph with
    // the title "<ProcessTitle> of <compound>" (and that caption, unless one is given),
    // empty progress lines. False, after its error box, when the run cannot start; then
    // nothing is held.
    bool PrepareRun(const std::string& ProcessTitle, const std::string& GraphCaption = {});
    // Opens a new table through the window's factory; enters the set in the register
    // when the window says so. False, after the error box, when no table could be made.
    bool OpenTable(const std::string& Name);
    // Binds the open table to the graph (null names leave that axis out) and shows it.
    void BindGraph(const char* X, const char* Left, const char* Right);
    static void ShowTableInGraph(TFGraph* Graph, TPTableData& Data, const char* X, const char* Left, const char* Right);
    // Enters the table's data set in the register when the window says so.
    void EnterInRegister(const TPTableData& Data);
    // One row with these cell values, the throttled announcement, and the elapsed time
    // line from TimeSeconds.
    void AppendRow(const std::vector<float>& Values, double TimeSeconds);
    // The parts of AppendRow for windows with more than one table: a row appended (its
    // index returned), whether the announcement interval has passed (then the clock
    // restarts), and the announcement of rows First..Last to the register and the graph:
    // posted while the run goes on, handled at once (Immediately) when a table closes.
    static std::uint32_t AddRow(TPTableData& Data, const std::vector<float>& Values);
    bool RowsAddedDue();
    void AnnounceRows(const TPTableData& Data, TFGraph* ToGraph, std::uint32_t First, std::uint32_t Last,
                      bool Immediately = false);
    // One row with these cell values and the throttled announcement, no status line.
    void AddRow(const std::vector<float>& Values);
    // "Time: hh:mm:ss" of elapsed seconds.
    static std::string ElapsedTimeText(double Seconds);
    // Tells the graph and (when the window says so) the register of the open table's rows
    // not yet announced.
    void AnnouncePendingRows(bool Immediately);
    // How a run ended: completed, stopped before it completed, or cut off by the lost link.
    enum class TRunEnd { Completed, Stopped, LinkLost };
    // The end of the run: the set saved and let go, idle again, "Process completed!".
    void FinishRun() { EndRun(TRunEnd::Completed); }
    // Stop: the instrument's process is stopped, whichever window started it, and the
    // run of this window ends at once as its finished step ends it; the kind goes back to
    // none even when another window's process was running.
    void StopRun();
    // The end of a run shared by every process window: the set saved under its name and
    // let go, the window's process idle again, the status line StatusLine set and the
    // operator told how it ended. A save that fails is shown with the file and the reason
    // and the keeper saves the set once it can; only a completed run whose data reached
    // the disk is reported as "Process completed!".
    // The process goes idle and the run's message is shown only when the run held it
    // (OwnsProcess).
    void EndRun(TRunEnd End, int StatusLine = 1, bool OwnsProcess = true);
    // The window's own part of a run's end before its data are saved: its tables closed
    // (the open table unless the window has more) and whatever waits on the run put away.
    virtual void CloseRun() { CloseTable(); }
    // Whether a notice belongs to this window's run: the window's process runs, or
    // (AllowIdle) no process runs. A notice during another window's process is not ours.
    bool NoticeIsOurs(bool AllowIdle) const;
    void SetStatusLine(int Index, const std::string& Text);

    // The window's table factory.
    virtual std::unique_ptr<TPTableData> CreateTable(const std::string& Name) = 0;
    // Whether the data set is entered in the experiment register ("Save Data").
    virtual bool EntersRegister() const { return false; }
    // Whether the set carries the description of the experiment and the parameters.
    virtual bool WritesDescription() const { return true; }
    // Whether new rows are also announced to the register window.
    virtual bool AnnouncesToRegister() const { return true; }

private:
    TProcessKind FProcess;
};
