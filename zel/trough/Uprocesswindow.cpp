#include "zel/trough/Uprocesswindow.h"

#include <cmath>
#include <cstdio>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"
#include "zel/core/Umain.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Ugraphprop.h"
#include "zel/experiment/Usedatasetmanager.h"

namespace {

void ShowError(const char* Text) { MessageDlg(GetResString(Text, Text), mtError, mbOK); }

// "Time: hh:mm:ss" of a row's elapsed seconds; each part is shown as a 16-bit number.
std::string ElapsedTimeText(double Seconds)
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

}  // namespace

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
    ReleaseDataSet();
    DataSet = UseDataSetManager.Create();
    if (!DataSet) return false;
    if (FExpSetup) DataSet->SetFileName(FExpSetup->NewDataFileName().c_str());

    std::string parameters;
    GetParametersText(parameters);
    std::string description = FExpSetup ? FExpSetup->GetDescriptionText() : std::string();
    std::string deviceInfo = FExpSetup ? FExpSetup->GetDeviceInfoText() : std::string();
    TSXPropertyStr infoText(DataSet, PropExperimentInfoStr);
    infoText.SetText(description + parameters + deviceInfo);
    TSXPropertyRef<TZelExperimentInfo> info(DataSet, PropExperimentInfo, true);
    TSXPropertyRef<TSXDateTime> date(DataSet, PropDateTime, true);
    if (!infoText.GetData() || !info.Get() || !date.Get()) {
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

bool TProcessWindow::PrepareRun(const std::string& ProcessTitle)
{
    if (!CreateData()) {
        ShowError("Create data error");
        return false;
    }
    Graph = NewGraph();
    if (!Graph) {
        CloseTable();
        ReleaseDataSet();
        ShowError("Create graph error");
        return false;
    }
    const std::string title = ProcessTitle + " of " + (FExpSetup ? FExpSetup->GetCompoundName() : std::string());
    Graph->GraphProp.TitleText = title;
    Graph->SetCaption(title);
    Graph->ApplyGraphProp();
    SetStatusLine(1, "");
    SetStatusLine(2, "");
    return true;
}

void TProcessWindow::SetStatusLine(int Index, const std::string& Text)
{
    if (Index < StatusLines->Count()) (*StatusLines)[Index] = Text;
    if (FMain) FMain->SetProcessList(StatusLines.get());
}

bool TProcessWindow::NoticeIsOurs(bool AllowIdle) const
{
    const TProcessKind running = FMain ? FMain->ProcessKind : pkNone;
    return running == FProcess || (AllowIdle && running == pkNone);
}

void TProcessWindow::CloseTable()
{
    if (!Table) return;
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
    if (EntersRegister() && FExpSetup) FExpSetup->AddDataSet(Table->Field);
    return true;
}

void TProcessWindow::BindGraph(const char* X, const char* Left, const char* Right)
{
    if (!Table || !CheckGraph()) return;
    Graph->SetData(Table->Field, X, Left, Right);
    Graph->Show();
    if (Graph->PropDialog) Graph->PropDialog->FillDataSources();
}

void TProcessWindow::AppendRow(const std::vector<float>& Values, double TimeSeconds)
{
    if (!Table) return;
    const int row = Table->GetNumRows();
    Table->AddRows(1);
    for (size_t column = 0; column < Values.size(); ++column)
        Table->SetData(static_cast<int>(column), row, Values[column]);

    const std::uint32_t now = GetTickCount();
    if (static_cast<std::uint32_t>(now - LastRowsAddedTick) >= AppSettings.UpdateReceivedDataInterval) {
        LastRowsAddedTick = now;
        const WPARAM field = reinterpret_cast<WPARAM>(Table->Field);
        const LPARAM range = MakeRowsAddedRange(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(row));
        if (AnnouncesToRegister() && FExpSetup) PostMessage(FExpSetup->Handle(), WM_ROWSADDED, field, range);
        if (CheckGraph()) PostMessage(Graph->Handle(), WM_ROWSADDED, field, range);
    }
    SetStatusLine(2, ElapsedTimeText(TimeSeconds));
}

void TProcessWindow::FinishRun() { EndRun(false); }

void TProcessWindow::LinkLost()
{
    if (!DataSet || !NoticeIsOurs(false)) return;
    CloseTable();
    EndRun(true);
}

void TProcessWindow::EndRun(bool Failed)
{
    std::string saveError;
    if (DataSet) {
        const std::string fileName = DataSet->GetFileName();
        if (!fileName.empty() && !SaveDataSet(fileName, DataSet, &saveError) && saveError.empty()) saveError = fileName;
        ReleaseDataSet();
    }
    if (FMain) FMain->SetProcess(pkNone);
    // Only a run whose data reached the disk is reported as completed.
    const char* status = Failed ? "Failed!" : saveError.empty() ? "Completed!" : "Data not saved!";
    (*StatusLines)[1] = GetResString(status, status);
    SetStatusLine(2, "");
    if (Failed) PostShowMessage("Process failed: the connection to the device was lost.", mtError);
    if (!saveError.empty())
        MessageDlg("The data of the run could not be saved (" + saveError +
                       "). They are kept and saved as soon as the file can be written.",
                   mtError, mbOK);
    else if (!Failed)
        PostShowMessage("Process completed!", mtInformation);
}
