#include "zel/trough/Uprocesswindow.h"

#include <cmath>
#include <cstdio>

#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Ugraphprop.h"
#include "zel/experiment/Usedatasetmanager.h"

std::string SelectedText(const TComboBox* Combo)
{
    const int index = Combo->GetItemIndex();
    return index >= 0 && index < Combo->Items().Count() ? Combo->Items()[index] : std::string();
}

double RowAreaPerMolecule(double Area)
{
    const double perMolecule = FExpSetup ? FExpSetup->AreaPerMolecule(Area) : 0;
    return std::isfinite(perMolecule) && perMolecule > 0 ? perMolecule : 0;
}

void TProcessWindow::ShowError(const char* Text) { MessageDlg(GetResString(Text, Text), mtError, mbOK); }

// Each part is shown as a 16-bit number.
std::string TProcessWindow::ElapsedTimeText(double Seconds)
{
    const double hours = std::trunc(Seconds / 3600);
    const double minutes = std::trunc((Seconds - 3600 * hours) / 60);
    const double seconds = std::trunc(Seconds - 3600 * hours - 60 * minutes);
    auto word = [](double Value) {
        return static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int64_t>(Value)));
    };
    char text[160];
    std::snprintf(text, sizeof text, "%s: %02u:%02u:%02u", GetResString("Time", "Time").c_str(), word(hours),
                  word(minutes), word(seconds));
    return text;
}

std::unique_ptr<TPTableData> CreateRunTable(ISXDataSet* DataSet, const std::string& Name,
                                            const std::vector<TRunColumn>& Columns, int DefaultX, int DefaultY,
                                            int DefaultRight)
{
    if (!DataSet) return nullptr;
    ISXDataField* field =
        TPTableData::CreateSXTableData(DataSet, ZelTableCategory, Name.c_str(), static_cast<int>(Columns.size()), 100);
    if (!field) return nullptr;
    auto table = std::make_unique<TPTableData>(field);
    if (!table->Valid) return nullptr;
    table->SetTableName(Name.c_str());
    table->SetDefAxisIdx(0, DefaultX);
    table->SetDefAxisIdx(1, DefaultY);
    if (DefaultRight >= 0) table->SetDefAxisIdx(2, DefaultRight);
    for (size_t i = 0; i < Columns.size(); ++i) {
        TSXColumnInfo* info = table->GetColumnInfo(static_cast<int>(i));
        if (!info) return nullptr;
        info->Flags = 0;
        WriteFixedText(info->Name, Columns[i].Name);
        WriteFixedText(info->ShortName, Columns[i].ShortName);
        WriteFixedText(info->Unit, Columns[i].Unit);
    }
    return table;
}

TProcessWindow::TProcessWindow(TComponent* Owner, TToolWindowKind Kind, TProcessKind Process, const char* ProcessName,
                               int StatusLineCount)
    : TToolWindow(Owner, Kind), StatusLines(std::make_unique<TStringList>()), FProcess(Process)
{
    StatusLines->Add(GetResString(ProcessName, ProcessName));
    for (int i = 1; i < StatusLineCount; ++i) StatusLines->Add("");
}

TProcessWindow::~TProcessWindow()
{
    CloseTable();
    // The use goes back to the keeper, which saves a changed set before it deletes it.
    ReleaseDataSet();
}

void TProcessWindow::ReleaseDataSet()
{
    if (DataSet) {
        // Whatever the set holds unsaved is written by the keeper once it can be.
        UseDataSetManager.RunEnded(DataSet);
        UseDataSetManager.Release(DataSet);
    }
    DataSet = nullptr;
}

bool TProcessWindow::CreateData()
{
    // A run stopped without its finished notice still holds its table and set: the table
    // is closed and the set saved before it is let go.
    CloseTable();
    SaveAndReleaseDataSet();
    DataSet = UseDataSetManager.Create();
    if (!DataSet) return false;
    if (FExpSetup) DataSet->SetFileName(FExpSetup->NewDataFileName().c_str());

    bool described = true;
    if (WritesDescription()) {
        std::string parameters;
        GetParametersText(parameters);
        std::string description = FExpSetup ? FExpSetup->GetDescriptionText() : std::string();
        std::string deviceInfo = FExpSetup ? FExpSetup->GetDeviceInfoText() : std::string();
        TSXPropertyStr infoText(DataSet, PropExperimentInfoStr);
        infoText.SetText(description + parameters + deviceInfo);
        described = infoText.GetData() != nullptr;
    }
    TSXPropertyRef<TZelExperimentInfo> info(DataSet, PropExperimentInfo, true);
    TSXPropertyRef<TSXDateTime> date(DataSet, PropDateTime, true);
    if (!described || !info.Get() || !date.Get()) {
        ReleaseDataSet();
        return false;
    }
    if (FExpSetup) {
        WriteFixedText(info.Get()->UserName, FExpSetup->GetUserName());
        WriteFixedText(info.Get()->CompoundName, FExpSetup->GetCompoundName());
        WriteFixedText(info.Get()->Substrate, FExpSetup->GetSubstrate());
        WriteFixedText(info.Get()->Subphase, FExpSetup->GetSubphase());
        WriteFixedText(info.Get()->Temperature, FExpSetup->GetTemperature());
    }
    GetNowRecord(*date.Get());
    return true;
}

bool TProcessWindow::PrepareRun(const std::string& ProcessTitle, const std::string& GraphCaption)
{
    if (!CreateData()) {
        ShowError("Create data error");
        return false;
    }
    Graph = NewTitledGraph(ProcessTitle);
    if (!Graph) {
        CloseTable();
        ReleaseDataSet();
        ShowError("Create graph error");
        return false;
    }
    if (!GraphCaption.empty()) {
        Graph->SetCaption(GraphCaption);
    }
    SetStatusLine(1, "");
    SetStatusLine(2, "");
    return true;
}

TFGraph* TProcessWindow::NewTitledGraph(const std::string& ProcessTitle)
{
    TFGraph* graph = NewGraph();
    if (!graph) return nullptr;
    const std::string title = ProcessTitle + " of " + (FExpSetup ? FExpSetup->GetCompoundName() : std::string());
    graph->GraphProp.TitleText = title;
    graph->SetCaption(title);
    graph->ApplyGraphProp();
    return graph;
}

void TProcessWindow::SetStatusLine(int Index, const std::string& Text)
{
    if (Index < StatusLines->Count()) (*StatusLines)[Index] = Text;
    SetProcessList(StatusLines.get());
}

bool TProcessWindow::NoticeIsOurs(bool AllowIdle) const
{
    const TProcessKind running = RunningProcess();
    return running == FProcess || (AllowIdle && running == pkNone);
}

void TProcessWindow::CloseTable()
{
    if (!Table) return;
    AnnouncePendingRows(true);
    Table->Pack();
    Table.reset();
}

bool TProcessWindow::CheckGraph()
{
    if (Graph && !GraphManager.IsAlive(Graph)) Graph = nullptr;
    return Graph != nullptr;
}

bool TProcessWindow::OpenTable(const std::string& Name)
{
    CloseTable();
    Table = CreateTable(Name);
    if (!Table) {
        ShowError("Cannot create the data table!");
        // The box kept messages flowing: a finished notice may have ended the run
        // meanwhile, so only what is still held is let go.
        ReleaseDataSet();
        return false;
    }
    EnterInRegister(*Table);
    return true;
}

void TProcessWindow::EnterInRegister(const TPTableData& Data)
{
    if (EntersRegister() && FExpSetup) FExpSetup->AddDataSet(Data.Field);
}

void TProcessWindow::BindGraph(const char* X, const char* Left, const char* Right)
{
    if (!Table || !CheckGraph()) return;
    ShowTableInGraph(Graph, *Table, X, Left, Right);
}

void TProcessWindow::ShowTableInGraph(TFGraph* ToGraph, TPTableData& Data, const char* X, const char* Left,
                                      const char* Right)
{
    ToGraph->SetData(Data.Field, X, Left, Right);
    ToGraph->Show();
    if (ToGraph->PropDialog) ToGraph->PropDialog->FillDataSources();
}

void TProcessWindow::AppendRow(const std::vector<float>& Values, double TimeSeconds)
{
    if (!Table) return;
    AddRow(Values);
    SetStatusLine(2, ElapsedTimeText(TimeSeconds));
}

void TProcessWindow::AddRow(const std::vector<float>& Values)
{
    if (!Table) return;
    const std::uint32_t row = AddRow(*Table, Values);
    if (FirstUnannouncedRow < 0) FirstUnannouncedRow = static_cast<int>(row);
    if (RowsAddedDue()) AnnouncePendingRows(false);
}

std::uint32_t TProcessWindow::AddRow(TPTableData& Data, const std::vector<float>& Values)
{
    const int row = Data.GetNumRows();
    Data.AddRows(1);
    for (size_t column = 0; column < Values.size(); ++column)
        Data.SetData(static_cast<int>(column), row, Values[column]);
    return static_cast<std::uint32_t>(row);
}

bool TProcessWindow::RowsAddedDue()
{
    const std::uint32_t now = GetTickCount();
    if (static_cast<std::uint32_t>(now - LastRowsAddedTick) < AppSettings.UpdateReceivedDataInterval) return false;
    LastRowsAddedTick = now;
    return true;
}

void TProcessWindow::AnnounceRows(const TPTableData& Data, TFGraph* ToGraph, std::uint32_t First, std::uint32_t Last,
                                  bool Immediately)
{
    const WPARAM field = reinterpret_cast<WPARAM>(Data.Field);
    const LPARAM range = MakeRowsAddedRange(First, Last);
    const auto tell = [&](HWND Window) {
        if (Immediately)
            SendMessage(Window, WM_ROWSADDED, field, range);
        else
            PostMessage(Window, WM_ROWSADDED, field, range);
    };
    if (AnnouncesToRegister() && FExpSetup) tell(FExpSetup->Handle());
    if (ToGraph) tell(ToGraph->Handle());
}

void TProcessWindow::AnnouncePendingRows(bool Immediately)
{
    const int rows = Table ? Table->GetNumRows() : 0;
    if (FirstUnannouncedRow < 0 || FirstUnannouncedRow >= rows) {
        FirstUnannouncedRow = -1;
        return;
    }
    const auto first = static_cast<std::uint32_t>(FirstUnannouncedRow);
    FirstUnannouncedRow = -1;
    AnnounceRows(*Table, CheckGraph() ? Graph : nullptr, first, static_cast<std::uint32_t>(rows - 1), Immediately);
}

void TProcessWindow::LinkLost()
{
    // A run whose set is already gone (its table could not be made) still ends.
    if (!NoticeIsOurs(false)) return;
    CloseRun();
    EndRun(TRunEnd::LinkLost);
}

void TProcessWindow::StopRun()
{
    HlProvider.ProcessStop();
    CloseRun();
    FinishRun();
}

void TProcessWindow::EndRun(TRunEnd End, int StatusLine, bool OwnsProcess)
{
    AnnouncePendingRows(true);
    const bool saved = SaveAndReleaseDataSet();
    if (OwnsProcess) SetProcess(pkNone);
    // Only a run whose data reached the disk is reported as completed.
    const char* status = End == TRunEnd::LinkLost    ? "Failed!"
                         : !saved                    ? "Data not saved!"
                         : End == TRunEnd::Completed ? "Completed!"
                                                     : "";
    // The window keeps how its run ended; the process panel, which names running
    // processes only, is not told.
    (*StatusLines)[StatusLine] = *status ? GetResString(status, status) : std::string();
    // The line after the status (the elapsed time) means nothing once the run is over.
    if (StatusLine + 1 < StatusLines->Count()) (*StatusLines)[StatusLine + 1].clear();
    if (End == TRunEnd::LinkLost && OwnsProcess) PostShowMessage(LostLineFailureText, mtError);
    if (saved && End == TRunEnd::Completed && OwnsProcess) PostShowMessage("Process completed!", mtInformation);
}

bool TProcessWindow::SaveAndReleaseDataSet()
{
    if (!DataSet) return true;
    std::string error;
    const std::string fileName = DataSet->GetFileName();
    const bool saved = fileName.empty() || SaveDataSetAside(fileName, DataSet, &error);
    ReleaseDataSet();
    if (!saved)
        MessageDlg("The data of the run could not be saved (" + (error.empty() ? fileName : error) +
                       "). They are kept and saved as soon as the file can be written.",
                   mtError, mbOK);
    return saved;
}
