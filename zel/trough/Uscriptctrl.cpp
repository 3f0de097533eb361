#include "zel/trough/Uscriptctrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "kvc/KvChart.h"
#include "kvc/KvChartAxis.h"
#include "kvc/KvChartLineSeries.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Dialogs.h"
#include "platform/base/Strings.h"
#include "platform/ui/TabVisibility.h"
#include "platform/ui/Timers.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Mainservices.h"
#include "zel/core/Uprogress.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/trough/Udepositioncontrol.h"

using namespace KVC;

TFScriptCtrl* FScriptCtrl = nullptr;

namespace {

const char* const ScriptFilter = "ZEL Device Script (*.zds)|*.zds|Any file (*.*)|*.*";
constexpr const char* ScriptExtension = "zds";
// Light green of the band that shows how far the running script has come.
constexpr TColor ProgressBandColour = 0xC0DCC0;

std::string Res(const char* Text) { return GetResString(Text, Text); }

TCalibrateParam& Clb() { return CalibrateParam; }

double PresentDipperPosition() { return Clb().dipper.HwToSh(static_cast<int>(DeviceState.dipperPos)); }

double PresentBarrierPosition()
{
    const std::uint32_t sum = DeviceState.barrier1Pos + DeviceState.barrier2Pos;
    return Clb().barrier1.HwToSh(sum);
}

// The text of a notice: the link keeps it until many newer texts came.
std::string NoticeText(LPARAM Payload)
{
    const char* text = reinterpret_cast<const char*>(Payload);
    return text ? text : "";
}

// The script file's lines, one per line with CR LF.
bool WriteScriptFile(const std::string& FileName, const TStringList& Lines)
{
    std::string text;
    for (int i = 0; i < Lines.Count(); ++i) text += Lines[i] + "\r\n";
    return WriteFileAtomically(FileName, text);
}

}  // namespace

// What the window does with one notice of the link, and whether it does it in a dry run.
struct TFScriptCtrl::TNoticeHandling {
    THlNotifyCode Code;
    bool InDryRun;
    LRESULT (*Handle)(TFScriptCtrl& Window, LPARAM Payload);
};

const TFScriptCtrl::TNoticeHandling TFScriptCtrl::NoticeHandlings[] = {
    {hlnScriptStarted, true,
     [](TFScriptCtrl& w, LPARAM) -> LRESULT {
         w.FScriptStarted = true;
         return 0;
     }},
    {hlnScriptFinished, true,
     [](TFScriptCtrl& w, LPARAM) -> LRESULT {
         if (w.FScriptStarted) w.StopScript(false, TRunEnd::Completed);
         return 0;
     }},
    {hlnScriptLine, false,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         w.ShowCurrentLine(static_cast<int>(Payload));
         return 0;
     }},
    {hlnRepeatContinue, true, [](TFScriptCtrl&, LPARAM) -> LRESULT { return 1; }},
    {hlnScriptLabel, false,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         w.SetStatusLine(2, NoticeText(Payload));
         return 0;
     }},
    {hlnScriptInfo, false,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         w.SetStatusLine(3, NoticeText(Payload));
         return 0;
     }},
    {hlnScriptRecord, true,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         w.RecordingOn = Payload != 0;
         return 0;
     }},
    {hlnScriptNewLayer, false,
     [](TFScriptCtrl& w, LPARAM) -> LRESULT {
         w.SetStatusLine(2, Res("Layer") + " " + std::to_string(w.StrokeCount / 2 + 1));
         ++w.StrokeCount;
         return 0;
     }},
    {hlnScriptDipperZero, true,
     [](TFScriptCtrl& w, LPARAM) -> LRESULT {
         w.DipperZero = PresentDipperPosition();
         return 0;
     }},
    {hlnScriptDipperHeight, true,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         if (const auto* value = reinterpret_cast<const double*>(Payload)) w.DipperHeight = *value;
         return 0;
     }},
    {hlnScriptPlateArea, true,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         if (const auto* value = reinterpret_cast<const double*>(Payload)) w.PlateArea = *value;
         return 0;
     }},
    {hlnScriptPause, false,
     [](TFScriptCtrl& w, LPARAM Payload) -> LRESULT {
         const auto seconds = static_cast<int>(Payload);
         std::string text;
         if (seconds != 0) {
             char buffer[120];
             std::snprintf(buffer, sizeof buffer, "%s %02d:%02d", Res("Pause").c_str(), seconds / 60, seconds % 60);
             text = buffer;
         }
         w.SetStatusLine(3, text);
         return 0;
     }},
    {hlnScriptPrognosis, true,
     [](TFScriptCtrl& w, LPARAM) -> LRESULT {
         if (w.PrognosisRunning) {
             // The link waits for this answer before it goes on, so the record still
             // holds the step that sent the notice.
             w.PrognosisPoints.push_back(w.PrognosisStatus);
             if (FProgress) {
                 TProgressBar* bar = FProgress->ProgressBar;
                 bar->SetPosition(bar->GetPosition() >= bar->GetMax() ? 0 : bar->GetPosition() + 1);
             }
         } else {
             w.UpdateProgress();
             w.CHTimeGraph->Display();
         }
         return 0;
     }},
};

TFScriptCtrl::TFScriptCtrl(TComponent* Owner) : TProcessWindow(Owner, TToolWindowKind::Script, pkScript, "Dipping", 4)
{
    Name = "FScriptCtrl";
    SetCaption("Script Control");
    HandleNotice(hlnDeviceState, [this](LPARAM) { AddDataRow(); });
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsSizeToolWin);
    BuildControls();
    SetBounds(0, 0, 460, 420);
    FScriptCtrl = this;
}

TFScriptCtrl::~TFScriptCtrl()
{
    // The pages go before the page control: no page switch reaches a window half gone.
    PC->OnChange = nullptr;
    ReleaseScriptNoticeWindow(this);
    // The link must not write into the record once the window is gone.
    if (HlProvider.Link && (PrognosisRunning || FRunning)) {
        HlProvider.Link->AbortScript();
        HlProvider.SetCalcScriptPrognosis(nullptr);
    }
    if (FScriptCtrl == this) FScriptCtrl = nullptr;
}

void TFScriptCtrl::BuildControls()
{
    PC = MakeControl<TPageControl>(this, this, "PC", "", 0, 0, 452, 350);
    PC->DockSite = false;
    TSScript = new TTabSheet(this, PC);
    TSScript->Name = "TSScript";
    TSScript->SetCaption("Script Source");
    TSTimeGraph = new TTabSheet(this, PC);
    TSTimeGraph->Name = "TSTimeGraph";
    TSTimeGraph->SetCaption("Time Graph");
    PC->OnChange = [this](TObject* Sender) { PCChange(Sender); };

    Memo = MakeControl<TMemo>(this, TSScript, "Memo", "", 0, 0, 444, 322);
    Memo->SetAlign(alClient);
    Memo->OnChange = [this](TObject*) { FTextChanged = true; };

    CHTimeGraph = MakeControl<TKvChart>(this, TSTimeGraph, "CHTimeGraph", "", 0, 0, 444, 322);
    CHTimeGraph->SetAlign(alClient);
    CHTimeGraph->SetColor(clWhite);
    CHTimeGraph->SetBackgroundColor(clWhite);
    for (TKvChartAxis* axis : {CHTimeGraph->LeftAxis(), CHTimeGraph->BottomAxis()}) {
        axis->SetVisible(true);
        SetUpChartAxis(axis);
    }
    CHTimeGraph->LeftAxis()->Title()->SetText("Dipper position, nm");
    CHTimeGraph->LeftAxis()->Title()->SetAngle(90);
    CHTimeGraph->BottomAxis()->Title()->SetText("Time, s");
    CHTimeGraph->BottomAxis()->SetGridVisible(true);
    CHTimeGraph->LineSeries()->Add()->Pen()->SetColor(clRed);
    CHTimeGraph->OnBeforeDrawGraphic = [this](TCanvas* Canvas, const TRect& Rect) { DrawProgressBand(Canvas, Rect); };

    BBLoad = MakeControl<TButton>(this, this, "BBLoad", "Load", 4, 360, 75, 25);
    BBSave = MakeControl<TButton>(this, this, "BBSave", "Save", 84, 360, 75, 25);
    BBClear = MakeControl<TButton>(this, this, "BBClear", "Clear", 164, 360, 75, 25);
    BBGo = MakeControl<TButton>(this, this, "BBGo", "START", 350, 360, 100, 25);
    BBStop = MakeControl<TButton>(this, this, "BBStop", "Stop", 350, 360, 100, 25);
    // START lies in front of Stop: hiding START uncovers Stop.
    BBGo->BringToFront();
    BBLoad->OnClick = [this](TObject* Sender) { BBLoadClick(Sender); };
    BBSave->OnClick = [this](TObject* Sender) { BBSaveClick(Sender); };
    BBClear->OnClick = [this](TObject* Sender) { BBClearClick(Sender); };
    BBGo->OnClick = [this](TObject* Sender) { BBGoClick(Sender); };
    BBStop->OnClick = [this](TObject* Sender) { BBStopClick(Sender); };

    for (TFileDialog* dialog : std::initializer_list<TFileDialog*>{&OpenDialog, &SaveDialog}) {
        dialog->Filter = ScriptFilter;
        dialog->DefaultExt = ScriptExtension;
        dialog->OnTypeChange = [dialog](TObject*) {
            dialog->DefaultExt = dialog->FilterIndex == 1 ? ScriptExtension : "";
        };
    }
}

std::vector<TCaptionTarget> TFScriptCtrl::CaptionTargets()
{
    auto axisTitle = [](TKvChartAxis* Axis) {
        return [Axis](const std::string& Text) { Axis->Title()->SetText(Text); };
    };
    std::vector<TCaptionTarget> targets = TProcessWindow::CaptionTargets();
    targets.push_back(CaptionOf(TSScript));
    targets.push_back(CaptionOf(TSTimeGraph));
    targets.push_back(axisTitle(CHTimeGraph->LeftAxis()));
    targets.push_back(axisTitle(CHTimeGraph->BottomAxis()));
    for (TControl* c : std::initializer_list<TControl*>{BBLoad, BBSave, BBClear, BBGo, BBStop})
        targets.push_back(CaptionOf(c));
    return targets;
}

std::unique_ptr<TPTableData> TFScriptCtrl::CreateTable(const std::string& Name)
{
    return CreateDepositionTable(DataSet, Name);
}

void TFScriptCtrl::SetScript(const TStringList* Lines)
{
    if (!Lines || Busy()) return;
    Memo->SetLines(*Lines);
    FTextChanged = true;
}

void TFScriptCtrl::EnableRun(bool Enable)
{
    BBGo->SetEnabled(Enable);
    BBGo->SetVisible(Enable);
}

// ---------------------------------------------------------------------------------------
// START, the dry run and Stop

void TFScriptCtrl::BBGoClick(TObject*)
{
    if (Busy() || RunningProcess() != pkNone) return;
    SetStatusLine(0, Res("Started"));
    StartScript();
}

void TFScriptCtrl::ResetPrognosisStatus()
{
    PrognosisStatus.time = 0;
    PrognosisStatus.dipperPos = PresentDipperPosition();
    PrognosisStatus.barrier1Pos = PresentBarrierPosition();
}

void TFScriptCtrl::StartScript()
{
    const TStringList lines = Memo->GetLines();
    if (lines.Count() == 0) return;
    RecordData = DeviceType != dtLbl;
    if (RecordData && !PrepareRun(Res("Dipping"), Res("Dipping"))) return;
    DipperZero = PresentDipperPosition();

    FWaiting = true;
    FStartCancelled = false;
    if (CalcPrognosis())
        // The link asks the program for conversions while it predicts, and the dry run's
        // own notices end it: messages keep flowing while START waits.
        Application->ProcessMessagesUntil([this] { return !PrognosisRunning; }, std::numeric_limits<unsigned>::max());
    FWaiting = false;
    if (FStartCancelled) {
        CloseTable();
        ReleaseDataSet();
        return;
    }

    StrokeCount = 0;
    if (DipperHeight == 0) {
        double low = 0, high = 0;
        if (!PrognosisPoints.empty()) {
            const auto [min, max] =
                std::minmax_element(PrognosisPoints.begin(), PrognosisPoints.end(),
                                    [](const TScriptPrognosisStatus& a, const TScriptPrognosisStatus& b) {
                                        return a.dipperPos < b.dipperPos;
                                    });
            low = min->dipperPos;
            high = max->dipperPos;
        }
        DipperHeight = high - low != 0 ? high - low : 1.0;
    }
    if (RecordData) {
        RecordingOn = true;
        if (OpenTable("Dipping")) BindGraph("Time (t)", "Length of a way of immersing (l)", nullptr);
    }
    for (int i = 1; i <= 3; ++i) (*StatusLines)[i].clear();
    SetStatusLine(1, "");

    if (HlProvider.Link) HlProvider.Link->AbortScript();
    SetProcess(pkScript);
    FRunning = true;
    if (FTextChanged) SetTabVisible(TSTimeGraph, false);
    const TScriptStrings script = lines.Lines();
    Memo->SetReadOnly(true);
    SetScriptNoticeWindow(this);
    Progress = 0;
    ResetPrognosisStatus();
    HlProvider.SetCalcScriptPrognosis(&PrognosisStatus);
    HlProvider.SetExecuteCommand(true);
    HlProvider.SetKeyboardBlock(1);
    StartTick = GetTickCount();
    FScriptStarted = false;
    // Without a link, or when it refuses the script, no end notice will ever come.
    if (!HlProvider.Link || !HlProvider.Link->RunScript(&script)) StopScript(false, TRunEnd::Stopped);
}

bool TFScriptCtrl::CalcPrognosis()
{
    const TStringList lines = Memo->GetLines();
    if (lines.Count() == 0 || !FTextChanged || !HlProvider.Link) return false;
    HlProvider.Link->AbortScript();
    PlateArea = 1.0;
    DipperHeight = 0;
    StrokeCount = 0;
    ResetPrognosisStatus();
    PrognosisPoints.assign(1, PrognosisStatus);
    PrognosisRunning = true;
    HlProvider.SetCalcScriptPrognosis(&PrognosisStatus);
    HlProvider.SetExecuteCommand(false);
    const TScriptStrings script = lines.Lines();
    if (FProgress) {
        FProgress->ProgressBar->SetPosition(0);
        FProgress->ProgressBar->SetMax(100);
        FProgress->lblProgress->SetCaption(Res("Analysing") + "...");
        FProgress->Show();
    }
    Memo->SetReadOnly(true);
    FTextChanged = false;
    SetScriptNoticeWindow(this);
    FScriptStarted = false;
    if (!HlProvider.Link->RunScript(&script)) {
        StopScript(false, TRunEnd::Stopped);
        return false;
    }
    return true;
}

void TFScriptCtrl::PrognosisFinished()
{
    PrognosisRunning = false;
    HlProvider.SetCalcScriptPrognosis(nullptr);
    HlProvider.SetExecuteCommand(true);
    if (FProgress) FProgress->Hide();
    ShowPrognosis();
    TotalTime = PrognosisPoints.empty() ? 0 : DoubleToInt32(std::trunc(PrognosisPoints.back().time));
}

void TFScriptCtrl::ShowPrognosis()
{
    TKvLineSeries* series = CHTimeGraph->LineSeries()->GetItem(0);
    series->Clear();
    for (const TScriptPrognosisStatus& point : PrognosisPoints) series->AddXY(point.time, point.dipperPos);
    CHTimeGraph->Display();
}

void TFScriptCtrl::BBStopClick(TObject* Sender)
{
    StopScript(Sender != nullptr, TRunEnd::Completed);
    // The operator's Stop also ends a process another window started: its stop went out
    // with the abort.
    if (Sender && RunningProcess() != pkNone) SetProcess(pkNone);
}

void TFScriptCtrl::StopScript(bool Abort, TRunEnd End)
{
    if (Abort) {
        if (HlProvider.Link) HlProvider.Link->AbortScript();
        HlProvider.DriveAllStop();
    }
    if (Progress != 0) {
        Progress = 0;
        CHTimeGraph->Display();
    }
    const bool ranScript = RunningProcess() == pkScript;
    FRunning = false;
    Memo->SetReadOnly(false);
    Memo->SetSelLength(0);
    SetTabVisible(TSTimeGraph, true);
    ReleaseScriptNoticeWindow(this);
    if (PrognosisRunning) {
        if (FWaiting && Abort) FStartCancelled = true;
        PrognosisFinished();
        return;
    }
    HlProvider.SetKeyboardBlock(0);
    CloseTable();
    for (int i = 1; i <= 3; ++i) (*StatusLines)[i].clear();
    EndRun(End, 0, ranScript);
}

void TFScriptCtrl::LinkLost()
{
    if (!FRunning) return;
    // The link's script runner is stopped too, so that nothing of this script goes out
    // once the line is back; an end notice still on its way belongs to no run.
    FScriptStarted = false;
    StopScript(true, TRunEnd::LinkLost);
}

void TFScriptCtrl::ProcessEnded(TProcessKind Kind)
{
    // Another window's Stop ended the script's process: the link's runner stops too, so
    // that no more of the script goes out.
    if (Kind != pkScript || !FRunning) return;
    FScriptStarted = false;
    StopScript(true, TRunEnd::Stopped);
}

void TFScriptCtrl::PCChange(TObject*)
{
    if (PC->GetActivePage() != TSTimeGraph || Busy()) return;
    if (RunningProcess() != pkNone) return;
    CalcPrognosis();
}

// ---------------------------------------------------------------------------------------
// The link's notices and the recording

void TFScriptCtrl::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_LINKNOTIFY) {
        Message.Result = LinkNotify(Message.WParam, Message.LParam);
        return;
    }
    TProcessWindow::WndProc(Message);
}

LRESULT TFScriptCtrl::LinkNotify(WPARAM Code, LPARAM Payload)
{
    for (const TNoticeHandling& handling : NoticeHandlings) {
        if (handling.Code != Code) continue;
        if (PrognosisRunning && !handling.InDryRun) return 0;
        return handling.Handle(*this, Payload);
    }
    return 0;
}

void TFScriptCtrl::ShowCurrentLine(int Index)
{
    const TStringList lines = Memo->GetLines();
    if (Index < 0 || Index >= lines.Count()) return;
    // Each line end counts as two characters.
    int start = 0;
    for (int i = 0; i < Index; ++i) start += static_cast<int>(lines[i].size()) + 2;
    Memo->SetSelStart(start);
    Memo->SetSelLength(static_cast<int>(lines[Index].size()) + 2);
}

void TFScriptCtrl::UpdateProgress()
{
    // A script predicted to take no time shows no progress.
    Progress = TotalTime != 0 ? PrognosisStatus.time * 100 / TotalTime : 0;
}

void TFScriptCtrl::DrawProgressBand(TCanvas* Canvas, const TRect& Rect)
{
    if (Progress == 0) return;
    const int right = Rect.Left + static_cast<int>(Rect.Width() * Progress * 0.01);
    Canvas->Pen()->SetColor(ProgressBandColour);
    Canvas->Brush()->SetColor(ProgressBandColour);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Rectangle(Rect.Left, Rect.Top, right, Rect.Bottom);
}

void TFScriptCtrl::AddDataRow()
{
    if (!RecordData || !Table) return;
    TCalibrateParam& c = Clb();
    const std::uint32_t now = GetTickCount();
    const int last = Table->GetNumRows() - 1;
    const std::uint32_t sum = DeviceState.barrier1Pos + DeviceState.barrier2Pos;
    const double position = c.barrier1.HwToSh(sum);
    const double area = c.surface.PositionToArea(DeviceState.barrier1Pos, DeviceState.barrier2Pos);
    const double change = last >= 1 ? Table->GetData(1, last) - area : 0;
    const double perMolecule = FExpSetup ? FExpSetup->AreaPerMolecule(area) : 0;
    const double pressure = c.ballance.HwToSP(DeviceState.balance, true);
    const double seconds = static_cast<std::uint32_t>(now - StartTick) * 0.001;
    const double length = c.dipper.HwToSh(static_cast<int>(DeviceState.dipperPos));
    const double transfer = last >= 1 && PlateArea != 0 ? (Table->GetData(1, 0) - area) * 100 / (2 * PlateArea) : 0;
    double layer = StrokeCount;
    if (DipperHeight != 0) {
        double d = DipperZero - length;
        if (StrokeCount % 2 == 1) d = std::fabs(DipperHeight - d);
        const double z = std::fabs(d) / DipperHeight + StrokeCount;
        if (std::isfinite(z)) layer = z;
    }
    if (RecordingOn)
        AddRow({static_cast<float>(position), static_cast<float>(area), static_cast<float>(change),
                static_cast<float>(perMolecule), static_cast<float>(pressure), static_cast<float>(seconds),
                static_cast<float>(length), static_cast<float>(transfer), static_cast<float>(layer)});
    UpdateProgress();
    char text[160];
    std::snprintf(text, sizeof text, "%s %.0f%%", Res("Dipping").c_str(), Progress);
    (*StatusLines)[0] = text;
    SetStatusLine(1, ElapsedTimeText(seconds));
}

// ---------------------------------------------------------------------------------------
// Files

void TFScriptCtrl::BBLoadClick(TObject*)
{
    if (Busy()) return;
    if (!OpenDialog.Execute()) return;
    TStringList lines;
    if (!lines.LoadFromFile(OpenDialog.FileName)) {
        MessageDlg(Res("Cannot read the file") + " " + OpenDialog.FileName, mtError, mbOK);
        return;
    }
    Memo->SetLines(lines);
    FTextChanged = true;
}

void TFScriptCtrl::BBSaveClick(TObject*)
{
    if (!SaveDialog.Execute()) return;
    if (!WriteScriptFile(SaveDialog.FileName, Memo->GetLines()))
        MessageDlg(Res("Cannot write the file") + " " + SaveDialog.FileName, mtError, mbOK);
}

void TFScriptCtrl::BBClearClick(TObject*)
{
    if (Busy()) return;
    Memo->Clear();
}
