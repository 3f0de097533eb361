// TFGraph: a child window of the main window that plots columns of data-set tables
// against one X column, on a left and a right axis, and saves its data set, a text
// export of its lines or its picture.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "kvc/KvChart.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/SaveDialog.h"
#include "platform/ui/Timers.h"
#include "zel/experiment/Ugraphprop.h"

class ISXDataSet;
class ISXDataField;
class TPTableData;
class TFGraphProp;

// Rows were added to (or changed in) a table: first parameter the table (ISXDataField*),
// second the first and the last row concerned, as the high and the low 32-bit halves.
constexpr UINT WM_ROWSADDED = WM_USER + 2000;  // 3024

inline LPARAM MakeRowsAddedRange(std::uint32_t FirstRow, std::uint32_t LastRow)
{
    return static_cast<LPARAM>((static_cast<std::uint64_t>(FirstRow) << 32) | LastRow);
}
inline std::uint32_t RowsAddedFirst(LPARAM Range)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(Range) >> 32);
}
inline std::uint32_t RowsAddedLast(LPARAM Range)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(Range));
}

// The axes of the program's charts: scaled to their data, grey ticks, dotted grey grid
// lines, labels at least 30 pixels apart and the charts' fonts for labels and title.
void SetUpChartAxis(KVC::TKvChartAxis* Axis);

class TFGraph : public TForm {
public:
    explicit TFGraph(TComponent* Owner);
    ~TFGraph() override;

    // Components.
    KVC::TKvChart* Chart;
    TPopupMenu* PopupMenu;
    TMenuItem* MIProperties;
    TSaveDialog SaveDialog;
    std::unique_ptr<TTimer> Timer;

    // Data members.
    ISXDataField* Table = nullptr;
    TZelGraphAxisProp AxisX;
    TZelGraphAxisProp AxisLeft;
    TZelGraphAxisProp AxisRight;
    TFGraphProp* PropDialog = nullptr;
    TZelGraphProp GraphProp;
    bool Dirty = false;

    // The graph defaults of the settings file, read once per run.
    static void LoadDefaultGraphProp();
    static void LoadDefaultLineProp();

    // Binds a table: the X column, and a new line on the left and on the right axis for
    // each column named. Null names leave that part out.
    void SetData(ISXDataField* NewTable, const char* X, const char* Left, const char* Right);
    void ApplyGraphProp();

    TZelGraphAxisProp* GetAxisProp(int Index);
    // The series index of the line, or -1 when it has no table.
    int AddLine(TZelGraphLineProp& Line);
    void RemoveLine(TZelGraphLineProp& Line, bool Redraw);
    void LoadSeries(TZelGraphLineProp& Line, bool Redraw);
    void ApplyLineStyle(TZelGraphLineProp& Line, bool Redraw);
    void ApplyAxisScale(int AxisIndex, bool Redraw);
    void UpdateAxisTitles();

    int FindColumn(const TPTableData& Data, const std::string& Name) const;
    int GetXColumn(const TPTableData& Data) const;
    ISXDataSet* GetDataSet() const;
    // Writes the plotted columns of every left and right line; false when the file
    // cannot be written.
    bool ExportText(const std::string& FileName) const;

    // Handlers.
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void MIPropertiesClick(TObject* Sender);
    void SaveDialogTypeChange(TObject* Sender);
    void TimerTimer(TObject* Sender);
    void WMRowsAdded(TMessage& Message);
    void WMSave(TMessage& Message);

protected:
    void WndProc(TMessage& Message) override;

private:
    // The line's series, or null when the line has none.
    KVC::TKvLineSeries* SeriesOf(const TZelGraphLineProp& Line) const;
    // Reloads the line after rows from FirstRow on were added or changed, without
    // redrawing: a line that plots every row keeps the points that the change cannot
    // touch and computes only the rest; a line with a point limit is loaded again whole
    // (bounded by the limit).
    void ReloadFrom(TZelGraphLineProp& Line, std::uint32_t FirstRow);
    // Computes the points of the line from output point FirstPoint on and appends them to
    // its series; false when the table cannot give the line any point.
    bool FillSeries(TZelGraphLineProp& Line, int FirstPoint);
    // Rows each series was built from, by series index: the start of the next reload.
    std::vector<int> FSeriesRows;
};
