// The process window pattern: what every window that runs a process of the instrument
// and records it shares. START makes the run's data set and graph; each started notice
// of the device opens a table in the set and binds it to the graph; each data point
// appends a row and, at most once per interval, tells the graph and the register; the
// finished notice saves and lets go of the set. The window holds exactly one use of its
// data set from START until it lets go, and forgets the pointer with that use.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/tabrix/SXDataSet.h"
#include "platform/ui/Strings.h"
#include "zel/core/Toolwindow.h"

class TFGraph;

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

class TProcessWindow : public TToolWindow {
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

    TProcessKind ProcessKind() const { return FProcess; }

    // A new data set with one use for this window, its file name and its experiment
    // properties; false (and nothing held) when that fails.
    bool CreateData();
    virtual void GetParametersText(std::string& Text) = 0;
    void CloseTable();
    // Forgets the graph when the operator closed it; true while it lives.
    bool CheckGraph();
    // Lets go of the window's use of the data set and forgets it.
    void ReleaseDataSet();

protected:
    // START steps shared by every window after its own checks: data set, graph with
    // the title "<ProcessTitle> of <compound>", empty progress lines. False, after its
    // error box, when the run cannot start; then nothing is held.
    bool PrepareRun(const std::string& ProcessTitle);
    // Opens a new table through the window's factory; enters the set in the register
    // when the window says so. False, after the error box, when no table could be made.
    bool OpenTable(const std::string& Name);
    // Binds the open table to the graph (null names leave that axis out) and shows it.
    void BindGraph(const char* X, const char* Left, const char* Right);
    // One row with these cell values, the throttled announcement, and the elapsed time
    // line from TimeSeconds.
    void AppendRow(const std::vector<float>& Values, double TimeSeconds);
    // The end of the run: the set saved and let go, idle again, "Process completed!"
    // when the data reached the disk, else the reason they did not.
    void FinishRun();
    // The link went down: a run of this window ends as failed, its data saved.
    void LinkLost() override;
    // Whether a notice belongs to this window's run: the window's process runs, or
    // (AllowIdle) no process runs. A notice during another window's process is not ours.
    bool NoticeIsOurs(bool AllowIdle) const;
    void SetStatusLine(int Index, const std::string& Text);

    // The window's table factory.
    virtual std::unique_ptr<TPTableData> CreateTable(const std::string& Name) = 0;
    // Whether the data set is entered in the experiment register ("Save Data").
    virtual bool EntersRegister() const { return false; }
    // Whether new rows are also announced to the register window.
    virtual bool AnnouncesToRegister() const { return true; }

private:
    void EndRun(bool Failed);
    TProcessKind FProcess;
};
