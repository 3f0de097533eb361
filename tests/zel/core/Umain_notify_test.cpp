// The main window's side of the device link on real widgets: every notification code
// posted or sent through the recording link reaches the window that owns it (probe
// windows of the window pattern stand in for the process windows), the status bar shows
// the device state, conversion questions are answered through the calibration, the
// running process is recorded, and the watchdog asks once per silence.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <set>
#include <map>

#include "MainWindowFixture.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timers.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/core/Windowroles.h"

namespace {

std::vector<std::string>& CallLog()
{
    static std::vector<std::string> log;
    return log;
}

const char* KindName(TToolWindowKind Kind)
{
    switch (Kind) {
    case TToolWindowKind::Manual:
        return "Manual";
    case TToolWindowKind::Manual2:
        return "Manual2";
    case TToolWindowKind::Pump:
        return "Pump";
    case TToolWindowKind::Isotherm:
        return "Isotherm";
    case TToolWindowKind::Deposition:
        return "Deposition";
    case TToolWindowKind::Dipping:
        return "Dipping";
    case TToolWindowKind::Roll:
        return "Roll";
    case TToolWindowKind::Tape:
        return "Tape";
    case TToolWindowKind::Disk:
        return "Disk";
    case TToolWindowKind::CylinderMembrane:
        return "Cyl";
    case TToolWindowKind::TDAR:
        return "TDAR";
    case TToolWindowKind::Eud:
        return "Eud";
    case TToolWindowKind::FilmPreparation:
        return "FilmPrep";
    case TToolWindowKind::Calibration:
        return "Calibration";
    case TToolWindowKind::Script:
        return "Script";
    case TToolWindowKind::Lbl:
        return "Lbl";
    default:
        return "Other";
    }
}

// A window of the pattern that writes every call the main window makes into the log,
// as "<window>.<operation>(<argument>)". It registers a part for every notice its kind
// declares, reading the payload as that kind's window does.
class TProbeWindow : public TToolWindow, public IProcessWindow, public IReadingsWindow {
public:
    TProbeWindow(TComponent* Owner, TToolWindowKind Kind) : TToolWindow(Owner, Kind)
    {
        Start = new TButton(this);
        Start->Name = "BBGo";
        Start->SetParent(this);
        for (const TNoticeRoute& route : Pattern().Notices)
            HandleNotice(route.Code, [this, code = route.Code](LPARAM P) { Receive(code, P); });
    }
    void Receive(THlNotifyCode Code, LPARAM P)
    {
        switch (Code) {
        case hlnIsothermPoint:
            return AddDataRow(NoticeRecord<TIsothermPoint>(P));
        case hlnDepositionPoint:
            return AddDataRow(NoticeRecord<TDepositionPoint>(P));
        case hlnTapePoint:
            return AddDataRow(NoticeRecord<TTapePoint>(P));
        case hlnRollPoint:
            return AddDataRow(NoticeRecord<TRollPoint>(P));
        case hlnDiskPoint:
            return AddDataRow(NoticeRecord<TDiskPoint>(P));
        case hlnCylPoint:
            return AddDataRow(NoticeRecord<TCylPoint>(P));
        case hlnTdarPoint:
            return AddDataRow(NoticeRecord<TTdarPoint>(P));
        case hlnFilmPrepPoint:
            return AddDataRow(NoticeRecord<TFilmPrepPoint>(P));
        case hlnDeviceState:
            return AddDataRow();
        case hlnIsothermCycle:
            return ProcessStarted(NoticeWord(P));
        case hlnIsothermCompleted:
            return ProcessFinished(NoticeWord(P));
        case hlnDepositionStroke:
        case hlnRollStarted:
        case hlnTapeStarted:
        case hlnDiskStarted:
        case hlnCylStarted:
        case hlnTdarStarted:
        case hlnFilmPrepStarted:
            return ProcessStarted(NoticeNumber(P));
        case hlnDepositionCompleted:
        case hlnRollFinished:
        case hlnRollLimitSwitch:
        case hlnTapeFinished:
        case hlnDiskFinished:
        case hlnCylFinished:
        case hlnTdarFinished:
        case hlnFilmPrepFinished:
            return ProcessFinished(NoticeNumber(P));
        case hlnPressureControl:
            return PressureControlStarted(NoticeNumber(P));
        case hlnSubstanceOver:
            return SubstanceOver(NoticeNumber(P));
        case hlnContinueAllowed:
            return EnableContinue();
        case hlnMotionState:
            return ShowMotionState(NoticeNumber(P));
        case hlnDrivesStopped:
            return Kind() == TToolWindowKind::Calibration ? OnDrivesStopped() : ShowMotionState(0);
        case hlnDipperRotatorStopped:
            return OnDipperRotatorStopped();
        case hlnRevolverStopped:
            return OnRevolverStopped();
        default:
            Log("unexpected notice " + std::to_string(Code));
        }
    }
    TButton* Start;
    int Cycles = 1;
    bool Backward = false;
    LRESULT ScriptAnswer = 0;
    std::vector<TIsothermPoint> IsothermPoints;
    std::vector<TDepositionPoint> DepositionPoints;

    void Log(const std::string& Call) { CallLog().push_back(std::string(KindName(Kind())) + "." + Call); }
    void ProcessStarted(int P) override { Log("ProcessStarted(" + std::to_string(P) + ")"); }
    void ProcessFinished(int P) override { Log("ProcessFinished(" + std::to_string(P) + ")"); }
    void AddDataRow() { Log("AddDataRow()"); }
    void AddDataRow(const TIsothermPoint* P)
    {
        Log("AddDataRow(isotherm " + std::to_string(P->balance) + ")");
        IsothermPoints.push_back(*P);
    }
    void AddDataRow(const TDepositionPoint* P)
    {
        Log("AddDataRow(deposition " + std::to_string(P->balance) + ")");
        DepositionPoints.push_back(*P);
    }
    void AddDataRow(const TTapePoint* P) { Log("AddDataRow(tape " + std::to_string(P->balance) + ")"); }
    void AddDataRow(const TRollPoint* P) { Log("AddDataRow(roll " + std::to_string(P->balance) + ")"); }
    void AddDataRow(const TDiskPoint* P) { Log("AddDataRow(disk " + std::to_string(P->balance) + ")"); }
    void AddDataRow(const TCylPoint* P) { Log("AddDataRow(cyl " + std::to_string(P->balance) + ")"); }
    void AddDataRow(const TTdarPoint* P) { Log("AddDataRow(tdar " + std::to_string(P->balance) + ")"); }
    void AddDataRow(const TFilmPrepPoint* P) { Log("AddDataRow(filmprep " + std::to_string(P->value0) + ")"); }
    void PressureControlStarted(int P) { Log("PressureControlStarted(" + std::to_string(P) + ")"); }
    void SubstanceOver(int P) { Log("SubstanceOver(" + std::to_string(P) + ")"); }
    void EnableContinue() { Log("EnableContinue()"); }
    void OnDrivesStopped() { Log("OnDrivesStopped()"); }
    void OnDipperRotatorStopped() { Log("OnDipperRotatorStopped()"); }
    void OnRevolverStopped() { Log("OnRevolverStopped()"); }
    void ShowMotionState(int P) { Log("ShowMotionState(" + std::to_string(P) + ")"); }
    void EnableRun(bool Enable) override { Log(std::string("EnableRun(") + (Enable ? "1" : "0") + ")"); }
    void RefreshIndicators() override { Log("RefreshIndicators()"); }
    TControl* StartButton() const override { return Start; }
    int NumCycles() const override { return Cycles; }
    bool RecordsBackward() const override { return Backward; }

protected:
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == WM_LINKNOTIFY) {
            Log("WMLinkNotify(" + std::to_string(Message.WParam) + "," + std::to_string(Message.LParam) + ")");
            Message.Result = ScriptAnswer;
            return;
        }
        TToolWindow::WndProc(Message);
    }
};

// A counter the tests step by hand in place of the clock.
struct TManualClock {
    TManualClock()
    {
        SetTickCountSource([this] { return Now; });
    }
    ~TManualClock() { SetTickCountSource({}); }
    DWORD Now = 100000;
};

class TNotifyRouting : public TMainWindowFixture {
protected:
    void StartWith(const std::string& Common, const std::string& Extra = "")
    {
        Start("[Common]\n" + Common + Libraries() + Extra);
        ASSERT_NE(Link(), nullptr);
        CallLog().clear();
    }
    TProbeWindow* Probe(TToolWindowKind Kind)
    {
        auto* window = CreateForm<TProbeWindow>(nullptr, Kind);
        Probes[Kind] = window;
        return window;
    }
    void AllProbes()
    {
        for (TToolWindowKind kind :
             {TToolWindowKind::Manual, TToolWindowKind::Manual2, TToolWindowKind::Pump, TToolWindowKind::Isotherm,
              TToolWindowKind::Deposition, TToolWindowKind::Dipping, TToolWindowKind::Roll, TToolWindowKind::Tape,
              TToolWindowKind::Disk, TToolWindowKind::CylinderMembrane, TToolWindowKind::TDAR, TToolWindowKind::Eud,
              TToolWindowKind::FilmPreparation, TToolWindowKind::Calibration, TToolWindowKind::Script,
              TToolWindowKind::Lbl})
            Probe(kind);
        CallLog().clear();
    }
    void TearDown() override
    {
        CallLog().clear();
        DeviceState = TDeviceState{};
        TMainWindowFixture::TearDown();
    }
    std::string Panel(int Index) const { return Main->StatusBar->Panels(Index)->GetText(); }

    TManualClock Clock;
    std::map<TToolWindowKind, TProbeWindow*> Probes;
};

TEST_F(TNotifyRouting, EveryPostedCodeReachesItsWindowsOnlyForItsProcessButAlwaysCountsAsSignOfLife)
{
    StartWith("");
    AllProbes();
    // Every point record carries a balance (or first value) of 7.
    TIsothermPoint isotherm{};
    isotherm.balance = 7;
    TDepositionPoint deposition{};
    deposition.balance = 7;
    TTapePoint tape{};
    tape.balance = 7;
    TRollPoint roll{};
    roll.balance = 7;
    TDiskPoint disk{};
    disk.balance = 7;
    TCylPoint cyl{};
    cyl.balance = 7;
    TTdarPoint tdar{};
    tdar.balance = 7;
    TFilmPrepPoint film{};
    film.value0 = 7;
    const auto At = [](const auto& Record) { return reinterpret_cast<LPARAM>(&Record); };

    struct Case {
        WPARAM Code;
        LPARAM Payload;
        TProcessKind Kind;
        std::vector<std::string> Calls;
        bool SignOfLife;
    };
    const Case cases[] = {
        {201, At(isotherm), pkIsotherm, {"Isotherm.AddDataRow(isotherm 7)"}, true},
        {201, At(isotherm), pkDeposition, {}, true},
        {202, At(deposition), pkDeposition, {"Deposition.AddDataRow(deposition 7)"}, true},
        {202, At(deposition), pkIsotherm, {}, true},
        {224, At(tape), pkTapeDeposition, {"Tape.AddDataRow(tape 7)"}, true},
        {224, At(tape), pkRollDeposition, {}, true},
        {225, At(roll), pkRollDeposition, {"Roll.AddDataRow(roll 7)"}, true},
        {225, At(roll), pkNone, {}, true},
        {227, At(disk), pkDiskDeposition, {"Disk.AddDataRow(disk 7)"}, true},
        {227, At(disk), pkCylinderMembraneDeposition, {}, true},
        {232, At(cyl), pkCylinderMembraneDeposition, {"Cyl.AddDataRow(cyl 7)"}, true},
        {232, At(cyl), pkDiskDeposition, {}, true},
        {235, At(tdar), pkTDAR, {"TDAR.AddDataRow(tdar 7)"}, true},
        {235, At(tdar), pkEUD, {}, true},
        {238, At(film), pkFilmPreparation, {"FilmPrep.AddDataRow(filmprep 7)"}, true},
        {238, At(film), pkTDAR, {}, true},
        // Start and finish notices whatever the process; the isotherm's index is 16-bit.
        {205, 0x10003, pkNone, {"Isotherm.ProcessStarted(3)"}, false},
        {206, 0x10004, pkDeposition, {"Isotherm.ProcessFinished(4)"}, false},
        {207, 2, pkNone, {"Deposition.ProcessStarted(2)"}, false},
        {208, 5, pkIsotherm, {"Deposition.ProcessFinished(5)"}, false},
        {211, 9, pkNone, {"Deposition.PressureControlStarted(9)"}, false},
        {212, 1, pkNone, {"Deposition.SubstanceOver(1)"}, false},
        {213, 0, pkNone, {"Deposition.EnableContinue()"}, false},
        {209,
         6,
         pkNone,
         {"Manual.ShowMotionState(6)", "Manual2.ShowMotionState(6)", "Pump.ShowMotionState(6)",
          "TDAR.ShowMotionState(6)"},
         false},
        {210,
         0,
         pkNone,
         {"Manual.ShowMotionState(0)", "Manual2.ShowMotionState(0)", "Pump.ShowMotionState(0)",
          "Calibration.OnDrivesStopped()"},
         false},
        {214, 0, pkNone, {"Manual2.OnDipperRotatorStopped()"}, false},
        {215, 0, pkNone, {"Manual2.OnRevolverStopped()"}, false},
        {220, 1, pkNone, {"Roll.ProcessStarted(1)"}, false},
        {221, 1, pkNone, {"Roll.ProcessFinished(1)"}, false},
        {222, 1, pkNone, {"Tape.ProcessStarted(1)"}, false},
        {223, 1, pkIsotherm, {"Tape.ProcessFinished(1)"}, false},
        {228, 1, pkNone, {"Disk.ProcessStarted(1)"}, false},
        {229, 1, pkNone, {"Disk.ProcessFinished(1)"}, false},
        {230, 1, pkNone, {"Cyl.ProcessStarted(1)"}, false},
        {231, 1, pkNone, {"Cyl.ProcessFinished(1)"}, false},
        {233, 1, pkNone, {"TDAR.ProcessStarted(1)"}, false},
        {234, 1, pkNone, {"TDAR.ProcessFinished(1)"}, false},
        {236, 1, pkNone, {"FilmPrep.ProcessStarted(1)"}, false},
        {237, 1, pkNone, {"FilmPrep.ProcessFinished(1)"}, false},
        // Codes no case handles.
        {204, 1, pkIsotherm, {}, false},
        {216, 1, pkNone, {}, false},
        {239, 1, pkNone, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.Code) + " kind " + std::to_string(c.Kind));
        Main->ProcessKind = c.Kind;
        Main->LastResponseTick = 5;
        CallLog().clear();
        ASSERT_TRUE(Link()->PostNotify(c.Code, c.Payload));
        Application->ProcessMessages();
        EXPECT_EQ(CallLog(), c.Calls);
        EXPECT_EQ(Main->LastResponseTick, c.SignOfLife ? Clock.Now : 5u);
    }
    EXPECT_TRUE(Dialogs.Requests.empty());

    // The result the link would read: 1 for a routed code, 0 for any other.
    EXPECT_EQ(Link()->SendNotify(209, 0), 1);
    EXPECT_EQ(Link()->SendNotify(201, At(isotherm)), 1);
    EXPECT_EQ(Link()->SendNotify(204, 0), 0);
    EXPECT_EQ(Link()->SendNotify(5000, 0), 0);
}

TEST_F(TNotifyRouting, NoticesForWindowsThatDoNotExistAreDroppedSafely)
{
    StartWith("");
    TIsothermPoint point{};
    Main->ProcessKind = pkIsotherm;
    for (WPARAM code : {201, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 220, 222, 228, 230, 233, 236})
        EXPECT_EQ(Link()->SendNotify(code, reinterpret_cast<LPARAM>(&point)), 1) << code;
    EXPECT_TRUE(Dialogs.Requests.empty());
}

TEST_F(TNotifyRouting, ErrorTextsAreShownUntranslatedThenTheLinkIsDisconnected)
{
    StartWith("");
    static const char errorText[] = "Command error!";
    for (WPARAM code : {0, 10}) {
        SCOPED_TRACE(code);
        Dialogs.Requests.clear();
        Link()->ClearCalls();
        Link()->SetConnected(true);
        Main->StatusBar->Panels(0)->SetText("Connected");
        ASSERT_TRUE(Link()->PostNotify(code, reinterpret_cast<LPARAM>(errorText)));
        Application->ProcessMessages();
        ASSERT_EQ(Dialogs.Requests.size(), 1u);
        EXPECT_EQ(Dialogs.Requests[0].Kind, TDialogKind::MessageDlg);
        EXPECT_EQ(Dialogs.Requests[0].Text, "Command error!");
        EXPECT_EQ(Dialogs.Requests[0].Type, mtError);
        EXPECT_EQ(Dialogs.Requests[0].Buttons, static_cast<TMsgDlgButtons>(mbOK));
        const std::vector<TLinkCall> calls = Link()->Calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[0].Operation, TLinkOperation::Disconnect);
        EXPECT_FALSE(Link()->IsConnected());
        EXPECT_EQ(Panel(0), "Disconnected");
    }
}

TEST_F(TNotifyRouting, DipperOutOfRangeAndRollLimitSwitchBoxesFollowTheirWindows)
{
    StartWith("");
    AllProbes();
    Application->Title = "Zelmora Control";
    ASSERT_TRUE(Link()->PostNotify(210, 1));
    Application->ProcessMessages();
    EXPECT_EQ(CallLog().back(), "Calibration.OnDrivesStopped()");
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Kind, TDialogKind::MessageDlg);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Dipper out of range");
    EXPECT_EQ(Dialogs.Requests[0].Type, mtWarning);

    CallLog().clear();
    Dialogs.Requests.clear();
    ASSERT_TRUE(Link()->PostNotify(226, 3));
    Application->ProcessMessages();
    EXPECT_EQ(CallLog(), std::vector<std::string>{"Roll.ProcessFinished(3)"});
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Kind, TDialogKind::MessageBox);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Limit switch activated. Process Roll Deposition was stoped");
    EXPECT_EQ(Dialogs.Requests[0].Caption, "Zelmora Control");
    EXPECT_EQ(Dialogs.Requests[0].Flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(TNotifyRouting, ScriptNoticesGoSynchronouslyToTheRegisteredScriptWindowElseAnswerZero)
{
    StartWith("");
    TProbeWindow* script = Probe(TToolWindowKind::Script);
    script->ScriptAnswer = 1;

    // Without a registered script window a cycle question ends the cycle.
    std::future<LRESULT> answer = Link()->SendNotifyFromThread(104, 0);
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, ConditionWaitMs));
    EXPECT_EQ(answer.get(), 0);
    EXPECT_TRUE(CallLog().empty());

    Main->ScriptWindow = script;
    answer = Link()->SendNotifyFromThread(104, 12);
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, ConditionWaitMs));
    EXPECT_EQ(answer.get(), 1);
    ASSERT_TRUE(Link()->PostNotify(199, 34));
    ASSERT_TRUE(Link()->PostNotify(100, 0));
    Application->ProcessMessages();
    EXPECT_EQ(CallLog(), (std::vector<std::string>{"Script.WMLinkNotify(104,12)", "Script.WMLinkNotify(199,34)",
                                                   "Script.WMLinkNotify(100,0)"}));
}

TEST_F(TNotifyRouting, ConversionQuestionsAreAnsweredThroughTheCalibration)
{
    // Distinct units, so that an answer from the wrong unit shows.
    StartWith("",
              "[CalibrateParam]\n"
              "ballance.shMin=0\nballance.shMax=100\nballance.hwMin=1000\nballance.hwMax=3000\n"
              "doserBallance.shMin=0\ndoserBallance.shMax=50\ndoserBallance.hwMin=0\ndoserBallance.hwMax=500\n"
              "barrier1.uSteps=2\ndipper.uSteps=4\ndoser.uSteps=8\ndoser2.uSteps=32\ntape.uSteps=64\n"
              "rotatingBarrier.uSteps=128\ndiskDipper.uSteps=3\ncylDipper.uSteps=5\n"
              "dipperRotator.gear=3\nrevolver.gear=5\n"
              "revolver.countRings=2\nrevolver.ring1.countCells=4\nrevolver.ring2.countCells=6\n"
              "dipperRotator.countRings=2\ndipperRotator.ring0.ringPos=11\ndipperRotator.ring1.ringPos=222\n"
              "dipperRotator.ring2.ringPos=3333\n");
    TCalibrateParam& clb = CalibrateParam;
    const double value = 2.5;
    struct Case {
        WPARAM Code;
        double Value;
        std::int32_t Answer;
    };
    const auto Cut = [](double V) { return DoubleToInt32(V); };
    const Case cases[] = {
        {1000, 25, 2500},  // (100 - 25) mN/m over 0.05 mN/m per count, from 1000
        {1001, value, Cut(clb.barrier1.SpeedToCode(value))},
        {1002, value, Cut(clb.barrier1.SpeedToCode(value))},
        {1003, value, Cut(clb.barrier1.SpeedToCode(value))},
        {1004, value, Cut(clb.dipper.SpeedToCode(value))},
        {1005, value, Cut(clb.dipper.ShToHwDelta(value))},
        {1006, value, Cut(clb.barrier1.ShToHw(value))},
        {1007, value, Cut(clb.surface.AreaToPosition(value))},
        {1008, 40, 2200},
        {1009, 90, Cut(clb.dipperRotator.ShToHwDelta(90))},
        {1010, 90, Cut(clb.revolver.ShToHwDelta(90))},
        {1011, 3.9, 222},  // cell 3 lies on ring 1
        {1011, 7, 3333},   // cell 7 on ring 2
        {1011, 99, 11},    // beyond the last ring: the lowest index
        {1012, 6.7, 60},   // cell 6 is the second of ring 2: 360 / 6 degrees
        {1013, value, 63500},
        {1013, -1e9, 63500},
        {1014, value, 0},
        {1015, value, 0},
        {1016, value, Cut(clb.doser.ShToHwDelta(value))},
        {1017, value, Cut(clb.tape.SpeedToCode(value))},
        {1018, value, Cut(clb.doser.SpeedToCode(value))},
        {1019, 25, 250},
        {1020, value, Cut(clb.rotatingBarrier.SpeedToCode(value))},
        {1021, value, 0},
        {1022, value, 0},
        {1023, value, 0},
        {1024, value, 0},
        {1025, value, Cut(clb.diskDipper.SpeedToCode(value))},
        {1026, value, Cut(clb.cylDipper.SpeedToCode(value))},
        {1027, value, Cut(clb.doser2.ShToHwDelta(value))},
        {1028, value, Cut(clb.doser2.SpeedToCode(value))},
        {1029, 25, 250},
        {1030, value, 0},
        {1031, value, 0},
        {1032, value, 0},
    };
    // The speed and distance answers of different units must differ, or the table could
    // not tell a wrong unit.
    std::set<std::int32_t> speeds;
    for (WPARAM code : {1003, 1004, 1017, 1018, 1020, 1025, 1026, 1028})
        for (const Case& c : cases)
            if (c.Code == code) speeds.insert(c.Answer);
    EXPECT_EQ(speeds.size(), 8u);
    EXPECT_NE(Cut(clb.dipper.ShToHwDelta(value)), Cut(clb.doser.ShToHwDelta(value)));
    EXPECT_NE(Cut(clb.dipperRotator.ShToHwDelta(90)), Cut(clb.revolver.ShToHwDelta(90)));

    for (const Case& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.Code) + " value " + std::to_string(c.Value));
        double input = c.Value;
        std::future<LRESULT> answer = Link()->SendNotifyFromThread(c.Code, reinterpret_cast<LPARAM>(&input));
        ASSERT_TRUE(Application->ProcessMessagesUntil(
            [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, ConditionWaitMs));
        EXPECT_EQ(static_cast<std::int32_t>(answer.get()), c.Answer);
    }
    // A question without its value is answered 0, never read through a null address.
    EXPECT_EQ(Link()->SendNotify(1004, 0), 0);
}

TEST_F(TNotifyRouting, DeviceStateIsCopiedAndTheStatusRefreshIsThrottled)
{
    StartWith("DeviceType=ZEL\n");
    AllProbes();
    Probes[TToolWindowKind::Manual]->Show();
    Probes[TToolWindowKind::Tape]->Show();
    Probes[TToolWindowKind::Manual2]->Hide();
    Probes[TToolWindowKind::Pump]->Hide();
    Probes[TToolWindowKind::Script]->Show();
    AppSettings.UpdateStatusInterval = 500;
    TDeviceState first{};
    first.balance = 1000;
    first.dipperPos = 0;
    TDeviceState second = first;
    second.dipperPos = 6400;

    ASSERT_TRUE(Link()->PostNotify(200, reinterpret_cast<LPARAM>(&first)));
    Application->ProcessMessages();
    const std::string dposFirst = Panel(4);
    EXPECT_EQ(dposFirst, "DPos: " + FixedText(CalibrateParam.dipper.HwToSh(0), 1) + " mm");
    // Visible reading windows refresh in order; the hidden ones do not.
    EXPECT_EQ(CallLog(), (std::vector<std::string>{"Manual.RefreshIndicators()", "Tape.RefreshIndicators()"}));

    CallLog().clear();
    Clock.Now += 100;
    ASSERT_TRUE(Link()->PostNotify(203, reinterpret_cast<LPARAM>(&second)));
    Application->ProcessMessages();
    EXPECT_EQ(DeviceState.dipperPos, 6400u);
    EXPECT_EQ(Panel(4), dposFirst);  // not refreshed within the interval
    EXPECT_TRUE(CallLog().empty());
    EXPECT_EQ(Main->LastResponseTick, Clock.Now);

    Clock.Now += 400;
    Main->ProcessKind = pkScript;
    ASSERT_TRUE(Link()->PostNotify(200, reinterpret_cast<LPARAM>(&second)));
    Application->ProcessMessages();
    EXPECT_EQ(Panel(4), "DPos: " + FixedText(CalibrateParam.dipper.HwToSh(6400), 1) + " mm");
    EXPECT_NE(Panel(4), dposFirst);
    // The script recorder takes a row from device state reports, not from state changes.
    EXPECT_EQ(CallLog().back(), "Script.AddDataRow()");
    CallLog().clear();
    Clock.Now += 1000;
    ASSERT_TRUE(Link()->PostNotify(203, reinterpret_cast<LPARAM>(&second)));
    Application->ProcessMessages();
    EXPECT_EQ(std::count(CallLog().begin(), CallLog().end(), "Script.AddDataRow()"), 0);
}

TEST_F(TNotifyRouting, StatusBarReadingsPerDeviceType)
{
    // A revolver with one ring of four cells and a dipper rotator over that ring at 500.
    const std::string clb =
        "[CalibrateParam]\nballance.shMin=0\nballance.shMax=100\nballance.hwMin=0\nballance.hwMax=1000\n"
        "revolver.countRings=1\nrevolver.ring1.countCells=4\n"
        "dipperRotator.countRings=1\ndipperRotator.ring0.ringPos=0\ndipperRotator.ring1.ringPos=500\n";
    struct Case {
        const char* Type;
        std::vector<int> Empty;  // reading panels left empty
        std::vector<std::pair<int, std::string>> Starts;
    };
    const Case cases[] = {
        {"ZEL", {}, {{1, "SP: "}, {2, "BPos: "}, {3, "Square: "}, {4, "DPos: "}}},
        {"LBL", {}, {{1, "DPos: "}, {2, "DRot: "}, {3, "Rev: "}, {4, "Cell: "}}},
        {"COMBINED",
         {},
         {{1, "SP: "}, {2, "BPos: "}, {3, "Square: "}, {4, "DPos: "}, {6, "DRot: "}, {7, "Rev: "}, {8, "Cell: "}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        StartWith(std::string("DeviceType=") + c.Type + "\n", clb);
        AppSettings.ADCDataAccuracy = 2;
        AppSettings.UpdateStatusInterval = 0;
        Main->SetProcessText("Isotherm");
        Main->UpdateProcessTimerTimer(nullptr);
        const std::string processText = Panel(5);
        TDeviceState state{};
        state.balance = 250;  // 100 - 25 = 75 mN/m
        state.dipperRotatorPos = 500;
        ASSERT_TRUE(Link()->PostNotify(200, reinterpret_cast<LPARAM>(&state)));
        Application->ProcessMessages();
        for (const auto& [panel, start] : c.Starts) {
            EXPECT_EQ(Panel(panel).rfind(start, 0), 0u) << panel << ": " << Panel(panel);
        }
        EXPECT_EQ(Panel(5), processText);
        if (std::string(c.Type) != "LBL") {
            EXPECT_EQ(Panel(1), "SP: 75.00 mN/m");
        }
        if (std::string(c.Type) != "ZEL") {
            EXPECT_EQ(Panel(std::string(c.Type) == "LBL" ? 4 : 8), "Cell: 1");
            state.dipperRotatorPos = 250;  // between the stored positions
            ASSERT_TRUE(Link()->PostNotify(200, reinterpret_cast<LPARAM>(&state)));
            Application->ProcessMessages();
            EXPECT_EQ(Panel(std::string(c.Type) == "LBL" ? 4 : 8), "Cell: Unk");
        }
        TearDown();
    }
}

TEST_F(TNotifyRouting, StatusBarReadingsRoundAsPrintfDoes)
{
    // 400 steps per mm (and per turn of the platforms), no zero offset: halves of the last
    // shown digit that binary floats hold just below the half, or exactly, round down.
    std::string clb = "[CalibrateParam]\n";
    for (const char* unit : {"barrier1", "barrier2", "dipper", "dipperRotator", "revolver"})
        clb += std::string(unit) + ".numStepsPerOborot=400\n" + unit + ".gear=1\n" + unit + ".vintStep=1\n" + unit +
               ".zeroHw=0\n";
    clb += "surface.length=1\nsurface.squareMax=100\nsurface.squareMin=0\n";
    struct Case {
        std::uint32_t Barrier, Dipper, Rotator, Revolver;
        const char *BPos, *Square, *DPos, *DRot, *Rev;
    };
    const Case cases[] = {
        // 0.15 mm, 0.25 mm, 4.5 and 13.5 degrees
        {30, 60, 5, 15, "BPos: 0.1 mm", "Square: 100.0 cm2", "DPos: 0.1 mm", "DRot: 4", "Rev: 14"},
        {50, 100, 25, 5, "BPos: 0.2 mm", "Square: 100.0 cm2", "DPos: 0.2 mm", "DRot: 22", "Rev: 4"},
        {4000, 140, 400, 0, "BPos: 20.0 mm", "Square: 98.0 cm2", "DPos: 0.3 mm", "DRot: 360", "Rev: 0"},
    };
    StartWith("DeviceType=COMBINED\n", clb);
    AppSettings.UpdateStatusInterval = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.DPos);
        TDeviceState state{};
        state.barrier1Pos = c.Barrier;
        state.barrier2Pos = c.Barrier;
        state.dipperPos = c.Dipper;
        state.dipperRotatorPos = c.Rotator;
        state.revolverPos = c.Revolver;
        ASSERT_TRUE(Link()->PostNotify(200, reinterpret_cast<LPARAM>(&state)));
        Application->ProcessMessages();
        EXPECT_EQ(Panel(2), c.BPos);
        EXPECT_EQ(Panel(3), c.Square);
        EXPECT_EQ(Panel(4), c.DPos);
        EXPECT_EQ(Panel(6), c.DRot);
        EXPECT_EQ(Panel(7), c.Rev);
    }
}

TEST_F(TNotifyRouting, ProcessLinesDropEmptyLinesAndShowNoneWhenNothingIsLeft)
{
    StartWith("");
    Main->UpdateProcessTimerTimer(nullptr);
    TStringList lines;
    lines.SetText("Isotherm\n\n\n");
    lines.Add("");
    Main->SetProcessList(&lines);
    Main->SetProcessList(nullptr);  // ignored
    EXPECT_TRUE(Main->ProcessNamesChanged);
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(5), "Process: Isotherm; ");
    EXPECT_EQ(Main->ProcessNames->Count(), 1);
    EXPECT_FALSE(Main->ProcessNamesChanged);

    Main->SetProcessText("cancelled");
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(5), "Process: cancelled; ");

    TStringList empty;
    Main->SetProcessList(&empty);
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(5), "Process: None");
}

TEST_F(TNotifyRouting, SetProcessShowsOrEnablesEachStartAndLetsEveryRunAgain)
{
    StartWith("");
    AllProbes();
    Main->SetProcess(pkIsotherm);
    EXPECT_EQ(Main->ProcessKind, pkIsotherm);
    for (TToolWindowKind kind : {TToolWindowKind::Isotherm, TToolWindowKind::Deposition, TToolWindowKind::Dipping,
                                 TToolWindowKind::Tape, TToolWindowKind::Roll, TToolWindowKind::FilmPreparation}) {
        EXPECT_FALSE(Probes[kind]->Start->GetVisible()) << KindName(kind);
        EXPECT_TRUE(Probes[kind]->Start->GetEnabled()) << KindName(kind);
    }
    EXPECT_FALSE(Probes[TToolWindowKind::Script]->Start->GetEnabled());
    EXPECT_EQ(CallLog(), (std::vector<std::string>{"Disk.EnableRun(0)", "Cyl.EnableRun(0)", "TDAR.EnableRun(0)",
                                                   "Script.EnableRun(0)", "Lbl.EnableRun(0)", "Eud.EnableRun(0)"}));
    // Without Simulate no reports are invented.
    EXPECT_FALSE(Main->SimulateTimer->GetEnabled());

    CallLog().clear();
    Main->SetProcess(pkNone);
    EXPECT_EQ(Main->ProcessKind, pkNone);
    EXPECT_TRUE(Probes[TToolWindowKind::Isotherm]->Start->GetVisible());
    EXPECT_TRUE(Probes[TToolWindowKind::Script]->Start->GetEnabled());
    EXPECT_EQ(CallLog(), (std::vector<std::string>{"Disk.EnableRun(1)", "Cyl.EnableRun(1)", "TDAR.EnableRun(1)",
                                                   "Script.EnableRun(1)", "Lbl.EnableRun(1)", "Eud.EnableRun(1)"}));
    // The EUD window's START is neither hidden nor shown.
    Probes[TToolWindowKind::Eud]->Start->SetVisible(false);
    Main->SetProcess(pkEUD);
    Main->SetProcess(pkNone);
    EXPECT_FALSE(Probes[TToolWindowKind::Eud]->Start->GetVisible());
}

TEST_F(TNotifyRouting, ProcessCompletedPostedToTheMainWindowIsShown)
{
    StartWith("");
    ASSERT_TRUE(PostShowMessage("Process completed!", mtInformation));
    EXPECT_TRUE(Dialogs.Requests.empty());  // posted: shown when the loop gets to it
    Application->ProcessMessages();
    ASSERT_EQ(Dialogs.Requests.size(), 1u);
    EXPECT_EQ(Dialogs.Requests[0].Kind, TDialogKind::MessageDlg);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Process completed!");
    EXPECT_EQ(Dialogs.Requests[0].Type, mtInformation);
    EXPECT_EQ(Dialogs.Requests[0].Buttons, static_cast<TMsgDlgButtons>(mbOK));
}

// ---------------------------------------------------------------------------------------
// The watchdog

class TWatchdog : public TNotifyRouting {
protected:
    int Questions() const
    {
        int count = 0;
        for (const TDialogRequest& request : Dialogs.Requests)
            if (request.Text == "Device not responding! Do you want to reconnect?") ++count;
        return count;
    }
};

TEST_F(TWatchdog, AsksOncePerSilenceAndNotAgainWhileItsBoxIsOpen)
{
    StartWith("", "[Settings]\nDeviceResponseMaxTimeInterval=3000\n");
    Application->Title = "Zelmora Control";
    Main->UpdateResponseTick();
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(0), "Connected");
    Clock.Now += 3000;  // not more than the time-out
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 0);

    // The box stays open while more ticks come: no second question.
    Dialogs.OnShow = [&](const TDialogRequest&) {
        Clock.Now += 5000;
        Main->UpdateProcessTimerTimer(nullptr);
        Main->UpdateProcessTimerTimer(nullptr);
    };
    Dialogs.Answer(IDNO);
    Clock.Now += 1;
    Main->UpdateProcessTimerTimer(nullptr);
    ASSERT_EQ(Questions(), 1);
    EXPECT_EQ(Dialogs.Requests[0].Caption, "Zelmora Control");
    EXPECT_EQ(Dialogs.Requests[0].Flags, MB_YESNO | MB_ICONWARNING);
    Dialogs.OnShow = nullptr;

    // Answered No: the same silence is not asked about again.
    Clock.Now += 10000;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Panel(0), "Connected");

    // A report ends the silence; the next silence asks again.
    TDeviceState state{};
    ASSERT_TRUE(Link()->PostNotify(203, reinterpret_cast<LPARAM>(&state)));
    Application->ProcessMessages();
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 1);
    Clock.Now += 3001;
    Dialogs.Answer(IDYES);
    Link()->ClearCalls();
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 2);
    // Yes reconnects: disconnect, then the connect action.
    const std::vector<TLinkCall> calls = Link()->Calls();
    std::vector<TLinkOperation> operations;
    for (const TLinkCall& call : calls) operations.push_back(call.Operation);
    ASSERT_GE(operations.size(), 2u);
    EXPECT_EQ(operations[0], TLinkOperation::IsConnected);
    EXPECT_EQ(operations[1], TLinkOperation::Disconnect);
    EXPECT_EQ(operations[2], TLinkOperation::Connect);
    EXPECT_EQ(Main->LastResponseTick, Clock.Now);

    // After reconnecting, only a new silence asks.
    Clock.Now += 2999;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 2);
    Clock.Now += 2;
    Dialogs.Answer(IDNO);
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 3);
}

TEST_F(TWatchdog, FollowsTheLinkAndNeverAsksWhileDisconnected)
{
    StartWith("", "[Settings]\nDeviceResponseMaxTimeInterval=3\n");
    Link()->SetConnected(false);
    Clock.Now += 100000;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 0);
    EXPECT_EQ(Panel(0), "Disconnected");

    // A later connection is followed: the watchdog watches it.
    Main->AConnect->Execute();
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(0), "Connected");
    Clock.Now += 4;  // the time-out is in milliseconds
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 1);
}

TEST_F(TWatchdog, DefaultTimeoutIsThreeSeconds)
{
    StartWith("");
    EXPECT_EQ(Main->ResponseTimeout, 3000);
    Main->UpdateResponseTick();
    Clock.Now += 3000;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 0);
    Clock.Now += 1;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 1);
}

TEST_F(TWatchdog, WithoutALinkShowsDisconnected)
{
    Start("");
    Dialogs.Requests.clear();
    Clock.Now += 100000;
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Questions(), 0);
    EXPECT_EQ(Panel(0), "Disconnected");
}

// ---------------------------------------------------------------------------------------
// Simulated reports

class TSimulation : public TNotifyRouting {
protected:
    void StartSimulated(const std::string& Calibration)
    {
        StartWith("Simulate=1\n", "[CalibrateParam]\n" + Calibration);
        AllProbes();
    }
    // Starts the process and stops the real timer: the test ticks by hand.
    void Run(TProcessKind Kind)
    {
        Main->SetProcess(Kind);
        ASSERT_TRUE(Main->SimulateTimer->GetEnabled());
        Main->SimulateTimer->SetEnabled(false);
    }
    void Tick(int Count)
    {
        for (int i = 0; i < Count; ++i) Main->SimulateTimerTimer(nullptr);
    }
    // The start and finish notices in the log, in order.
    static std::vector<std::string> Notices()
    {
        std::vector<std::string> notices;
        for (const std::string& call : CallLog())
            if (call.find("Process") != std::string::npos) notices.push_back(call);
        return notices;
    }
};

const char* const IsothermCalibration =
    "barrier1.hwMin=0\nbarrier1.hwMax=10000\nballance.hwMin=500\nballance.hwMax=500\n";

TEST_F(TSimulation, IsothermWithoutBackwardPassesTheWayBackAtOnceAndStopsAfterItsCycles)
{
    StartSimulated(IsothermCalibration);
    TProbeWindow* isotherm = Probes[TToolWindowKind::Isotherm];
    isotherm->Cycles = 2;
    isotherm->Backward = false;
    Run(pkIsotherm);
    EXPECT_EQ(Notices(), std::vector<std::string>{"Isotherm.ProcessStarted(0)"});

    Tick(25);
    ASSERT_EQ(isotherm->IsothermPoints.size(), 25u);
    EXPECT_EQ(Notices().size(), 1u);
    Tick(1);
    ASSERT_EQ(isotherm->IsothermPoints.size(), 26u);
    for (size_t i = 0; i < 26; ++i) {
        EXPECT_EQ(isotherm->IsothermPoints[i].barrier1Pos, 400 * i) << i;
        EXPECT_EQ(isotherm->IsothermPoints[i].time, i + 1) << i;
        EXPECT_EQ(isotherm->IsothermPoints[i].balance, 500u) << i;  // minimum equals maximum
    }
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Isotherm.ProcessStarted(0)", "Isotherm.ProcessFinished(0)",
                                                   "Isotherm.ProcessStarted(1)", "Isotherm.ProcessFinished(1)",
                                                   "Isotherm.ProcessStarted(2)"}));
    CallLog().clear();
    Tick(26);
    EXPECT_EQ(isotherm->IsothermPoints[26].barrier1Pos, 0u);
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Isotherm.ProcessFinished(2)", "Isotherm.ProcessStarted(3)",
                                                   "Isotherm.ProcessFinished(3)"}));
    // The points are also the device's sign of life.
    EXPECT_EQ(Main->LastResponseTick, Clock.Now);
}

TEST_F(TSimulation, IsothermWithBackwardRecordsBothStrokesOfItsOneCycle)
{
    StartSimulated(IsothermCalibration);
    TProbeWindow* isotherm = Probes[TToolWindowKind::Isotherm];
    isotherm->Cycles = 1;
    isotherm->Backward = true;
    Run(pkIsotherm);
    Tick(26);
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Isotherm.ProcessStarted(0)", "Isotherm.ProcessFinished(0)",
                                                   "Isotherm.ProcessStarted(1)"}));
    CallLog().clear();
    Tick(26);
    EXPECT_EQ(Notices(), std::vector<std::string>{"Isotherm.ProcessFinished(1)"});
}

TEST_F(TSimulation, DepositionMovesTheDipperInItsBandAndCountsPhases)
{
    StartSimulated("dipper.zeroHw=1000\nballance.hwMin=100\nballance.hwMax=110\n");
    TProbeWindow* deposition = Probes[TToolWindowKind::Deposition];
    deposition->Cycles = 1;
    Run(pkDeposition);
    EXPECT_EQ(Notices(), std::vector<std::string>{"Deposition.ProcessStarted(0)"});
    Tick(25);
    EXPECT_EQ(Notices().size(), 1u);
    Tick(1);  // the first stroke ends on the 26th tick
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Deposition.ProcessStarted(0)", "Deposition.ProcessFinished(0)",
                                                   "Deposition.ProcessStarted(1)"}));
    const std::vector<TDepositionPoint>& points = deposition->DepositionPoints;
    ASSERT_EQ(points.size(), 26u);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].dipperPos, 1000 + 25 * i) << i;
        EXPECT_EQ(points[i].time, i + 1) << i;
        EXPECT_EQ(points[i].phase, ((i + 1) / 5) % 4 + 1) << i;
        EXPECT_GE(points[i].balance, 100u);
        EXPECT_LT(points[i].balance, 110u);
    }
    EXPECT_EQ(points[3].phase, 1u);
    EXPECT_EQ(points[4].phase, 2u);
    EXPECT_EQ(points[19].phase, 1u);  // back to 1 after 4
    // The way down: the dipper leaves the band below its zero on the 53rd tick.
    CallLog().clear();
    Tick(26);
    EXPECT_EQ(points[26].dipperPos, 1650u);
    EXPECT_TRUE(Notices().empty());
    Tick(1);
    EXPECT_EQ(points.back().dipperPos, 1000u);
    EXPECT_EQ(Notices(), std::vector<std::string>{"Deposition.ProcessFinished(1)"});
    // The last stroke's finish repeats until the window ends the process.
    CallLog().clear();
    Tick(1);
    EXPECT_EQ(Notices(), std::vector<std::string>{"Deposition.ProcessFinished(1)"});
    Main->SetProcess(pkNone);
    EXPECT_FALSE(Main->SimulateTimer->GetEnabled());
}

TEST_F(TSimulation, ScriptFeedsTheDeviceStateThroughTheNormalPath)
{
    StartSimulated("dipper.zeroHw=300\nballance.hwMin=42\nballance.hwMax=42\n");
    AppSettings.UpdateStatusInterval = 0;
    Run(pkScript);
    Tick(3);
    EXPECT_EQ(DeviceState.dipperPos, 350u);
    EXPECT_EQ(DeviceState.balance, 42u);
    EXPECT_EQ(std::count(CallLog().begin(), CallLog().end(), "Script.AddDataRow()"), 3);
    EXPECT_EQ(Panel(4).rfind("DPos: ", 0), 0u);
    EXPECT_EQ(Main->LastResponseTick, Clock.Now);
}

TEST_F(TSimulation, AccessoryProcessesStartTheirWindowOnTheFirstTickOnly)
{
    StartSimulated("ballance.hwMin=7\nballance.hwMax=7\ndoserBallance.hwMin=9\ndoserBallance.hwMax=9\n");
    struct Case {
        TProcessKind Kind;
        std::vector<std::string> Calls;
    };
    const Case cases[] = {
        {pkTapeDeposition, {"Tape.ProcessStarted(0)", "Tape.AddDataRow(tape 7)", "Tape.AddDataRow(tape 7)"}},
        {pkRollDeposition, {"Roll.ProcessStarted(0)", "Roll.AddDataRow(roll 7)", "Roll.AddDataRow(roll 7)"}},
        {pkDiskDeposition, {"Disk.ProcessStarted(0)", "Disk.AddDataRow(disk 7)", "Disk.AddDataRow(disk 7)"}},
        {pkCylinderMembraneDeposition, {"Cyl.ProcessStarted(0)", "Cyl.AddDataRow(cyl 7)", "Cyl.AddDataRow(cyl 7)"}},
        {pkTDAR, {"TDAR.ProcessStarted(0)", "TDAR.AddDataRow(tdar 7)", "TDAR.AddDataRow(tdar 7)"}},
        {pkEUD, {}},
        {pkFilmPreparation, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Kind);
        Run(c.Kind);
        CallLog().clear();
        Tick(2);
        std::vector<std::string> calls;
        for (const std::string& call : CallLog())
            if (call.find("EnableRun") == std::string::npos) calls.push_back(call);
        EXPECT_EQ(calls, c.Calls);
        Main->SetProcess(pkNone);
    }
}

}  // namespace
