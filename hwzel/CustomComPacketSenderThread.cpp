#include "hwzel/CustomComPacketSenderThread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include "hwzel/CustomComLink.h"
#include "hwzel/LinkTexts.h"
#include "hwzel/Values.h"
#include "platform/serial/ComPort.h"
#include "platform/ui/Application.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Timers.h"

namespace {

std::uint64_t MicrosecondsNow()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

bool IsGraphic(char C)
{
    const unsigned char U = static_cast<unsigned char>(C);
    return U >= 33 && U <= 126;
}

std::string AnsiUpper(const std::string& Text)
{
    std::string Result = Text;
    for (char& C : Result)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
    return Result;
}

// Cycles nest eight deep: the open one and seven saved ones.
constexpr std::size_t MaxSavedCycles = 7;
// REPEAT without a count runs for as long as anyone will care.
constexpr std::int32_t EndlessCount = 0x1FFFFFFF;

LPARAM CycleWord(std::size_t Saved, std::int32_t Count)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(Saved) << 29) | static_cast<std::uint32_t>(Count));
}

}  // namespace

TCustomComPacketSenderThread::TCustomComPacketSenderThread(TCustomComLink* Owner)
    : FOwner(Owner),
      FPort(Owner ? Owner->Port() : nullptr),
      FHub(std::make_shared<TEventHub>()),
      FStopEvent(FHub),
      FAbortEvent(FHub),
      FAckOk(FHub),
      FAckFailed(FHub),
      FLateAnswersDone(FHub),
      FCmdQueue(FHub),
      FScriptQueue(FHub)
{
}

TCustomComPacketSenderThread::~TCustomComPacketSenderThread() { Stop(); }

void TCustomComPacketSenderThread::Start()
{
    if (!FThread.joinable())
        FThread = std::thread([this] {
            Execute();
            FEnded = true;
        });
}

void TCustomComPacketSenderThread::Stop()
{
    FStopEvent.Set();
    if (!FThread.joinable()) return;
    // The thread may be waiting for the window's answer to a question it sent; on the
    // window's thread, keep answering until it has ended.
    if (Application && IsGuiThread())
        while (!FEnded) Application->ProcessMessagesUntil([this] { return FEnded.load(); }, 100);
    FThread.join();
    DropQueuedLines();
}

void TCustomComPacketSenderThread::RegisterCommand(const std::string& Word, TScriptCmdHandler Handler)
{
    FCommands.push_back(TScriptCmdData{AnsiUpper(Word), std::move(Handler)});
}

void TCustomComPacketSenderThread::RegisterCycleStatements()
{
    RegisterCommand("TITLE", [this](const std::string& L, int P) { return Title(L, P); });
    RegisterCommand("REPEAT", [this](const std::string& L, int P) { return Repeat(L, P); });
    RegisterCommand("ENDREPEAT", [this](const std::string& L, int P) { return EndRepeat(L, P); });
}

void TCustomComPacketSenderThread::QueueCommand(TQueuedLine Line) { FCmdQueue.Push(std::move(Line)); }

void TCustomComPacketSenderThread::QueueScript(TScriptStrings Script) { FScriptQueue.Push(std::move(Script)); }

void TCustomComPacketSenderThread::SetNotifyTarget(HWND Wnd, UINT Msg)
{
    FNotifyMessage = Msg;
    FNotifyWindow = Wnd;
}

void TCustomComPacketSenderThread::PostNotify(std::uint32_t Code, LPARAM Payload)
{
    const HWND Wnd = FNotifyWindow;
    if (Wnd) PostMessage(Wnd, FNotifyMessage, Code, Payload);
}

LRESULT TCustomComPacketSenderThread::SendNotify(std::uint32_t Code, LPARAM Payload)
{
    const HWND Wnd = FNotifyWindow;
    return Wnd ? SendMessage(Wnd, FNotifyMessage, Code, Payload) : 0;
}

void TCustomComPacketSenderThread::PostNotice(const char* Text)
{
    PostNotify(hlnErrorText, reinterpret_cast<LPARAM>(Text));
}

// ----- queues and the thread function ---------------------------------------------------

void TCustomComPacketSenderThread::Execute()
{
    if (!FOwner || !FPort) {
        PostNotice(LinkTexts::ComPortError);
        return;
    }
    for (;;) {
        const int Which = WaitForAny({&FCmdQueue.Event, &FScriptQueue.Event, &FStopEvent}, INFINITE);
        if (Which == 2) break;
        if (Which == 0) {
            if (auto Item = FCmdQueue.Take()) RunQueuedLine(*Item);
        } else if (Which == 1) {
            if (auto Script = FScriptQueue.Take()) RunScriptLines(*Script);
        }
        if (!FConfirmed) {
            // The instrument stopped answering: what was queued behind it is stale.
            DropQueuedLines();
            FConfirmed = true;
        }
    }
}

void TCustomComPacketSenderThread::RunQueuedLine(TQueuedLine& Item)
{
    FCurrentReply = Item.Reply;
    FExpectReplyData = Item.Reply && Item.Reply->FBuffer;
    ExecuteLine(Item.Line);
    FinishReply(Item.Reply, TReplySlot::Failed);
    FExpectReplyData = false;
    FCurrentReply.reset();
}

void TCustomComPacketSenderThread::FinishReply(const std::shared_ptr<TReplySlot>& Slot, TReplySlot::TState State)
{
    if (!Slot) return;
    std::lock_guard<std::mutex> Lock(Slot->Lock);
    if (Slot->State != TReplySlot::Pending) return;
    Slot->State = State;
    Slot->Done.Set();
}

void TCustomComPacketSenderThread::DropQueuedLines()
{
    while (auto Item = FCmdQueue.Take()) FinishReply(Item->Reply, TReplySlot::Dropped);
}

void TCustomComPacketSenderThread::SignalReply() { FinishReply(FCurrentReply, TReplySlot::Answered); }

bool TCustomComPacketSenderThread::WriteResult(const std::function<void(void* Buffer, int Size)>& Write)
{
    if (!FCurrentReply) return false;
    std::lock_guard<std::mutex> Lock(FCurrentReply->Lock);
    if (FCurrentReply->Detached || FCurrentReply->State != TReplySlot::Pending || !FCurrentReply->FBuffer) return false;
    Write(FCurrentReply->FBuffer, FCurrentReply->FSize);
    return true;
}

int TCustomComPacketSenderThread::ResultSize() { return FCurrentReply ? FCurrentReply->FSize : 0; }

bool TCustomComPacketSenderThread::MayContinue() const { return !FAborted && !FStopEvent.IsSet(); }

void TCustomComPacketSenderThread::Abort()
{
    // Told first, so the notice always comes before the ones of the script's end.
    PostNotify(hlnScriptStatus, reinterpret_cast<LPARAM>(LinkTexts::ProcessAborted));
    FAborted = true;
    FAbortEvent.Set();
}

// ----- lines and scripts ------------------------------------------------------------

bool TCustomComPacketSenderThread::ExecuteLine(const std::string& Line)
{
    TResGuard::TGuard Guard(FThreadLock);
    const std::string Upper = AnsiUpper(Line);
    for (const TScriptCmdData& Entry : FCommands) {
        const std::size_t At = Upper.find(Entry.Word);
        if (At == std::string::npos || Entry.Word.empty()) continue;
        const std::size_t End = At + Entry.Word.size();
        const bool StartsWord = At == 0 || !IsGraphic(Upper[At - 1]);
        const bool EndsWord = End == Upper.size() || Entry.Word.back() == '=' || !IsGraphic(Upper[End]);
        if (!StartsWord || !EndsWord) continue;
        try {
            return Entry.Handler(Line, static_cast<int>(At) + 1);
        } catch (const std::exception&) {
            PostNotice(LinkTexts::CommandError);
            return false;
        }
    }
    return false;
}

void TCustomComPacketSenderThread::RunScriptLines(const TScriptStrings& Script)
{
    FLineIndex = 0;
    FAborted = false;
    FAbortEvent.Reset();
    FScriptRunning = true;
    FScriptMode = true;
    FCycle = TScriptCycleData{};
    FCycleOpened = false;
    PostNotify(hlnScriptStarted, 0);
    PostNotify(hlnScriptStatus, reinterpret_cast<LPARAM>(LinkTexts::ScriptRunning));
    while (FLineIndex >= 0 && static_cast<std::size_t>(FLineIndex) < Script.size() && MayContinue()) {
        if (!FCmdQueue.Event.IsSet()) {
            const std::int32_t Index = FLineIndex;
            PostNotify(hlnScriptLine, Index);
            if (!ExecuteLine(Script[static_cast<std::size_t>(Index)])) PostNotify(hlnScriptLineFailed, Index);
            ++FLineIndex;
            continue;
        }
        // A direct command goes between two script lines.
        if (auto Item = FCmdQueue.Take()) {
            if (FOwner->IsConnected()) {
                FScriptMode = false;
                RunQueuedLine(*Item);
                FScriptMode = true;
            } else {
                FinishReply(Item->Reply, TReplySlot::Failed);
            }
        }
    }
    PostNotify(hlnScriptStatus, reinterpret_cast<LPARAM>(LinkTexts::ScriptFinished));
    PostNotify(hlnScriptFinished, 0);
    FCycles.clear();
    FCycle = TScriptCycleData{};
    FCycleOpened = false;
    FScriptMode = false;
    // The abort belonged to this script; the next one starts afresh.
    FAborted = false;
    FAbortEvent.Reset();
    FScriptRunning = false;
}

bool TCustomComPacketSenderThread::Title(const std::string&, int) { return true; }

bool TCustomComPacketSenderThread::Repeat(const std::string& Line, int Position)
{
    // The count follows "REPEAT" and one separator.
    const std::size_t CountAt = static_cast<std::size_t>(Position - 1) + 7;
    const std::string CountText = CountAt < Line.size() ? Line.substr(CountAt) : std::string();
    // Read before anything changes, so a bad count leaves the cycles as they were.
    const std::int32_t Count = CountText.empty() ? EndlessCount : StrToInt(CountText);
    if (FCycle.Count != 0) {
        if (FCycles.size() >= MaxSavedCycles) {
            PostNotice(LinkTexts::ManyCycles);
            Abort();
        } else {
            FCycles.push_back(FCycle);
        }
    }
    FCycle.RepeatLine = FLineIndex;
    FCycle.Count = Count;
    FCycleOpened = true;
    PostNotify(hlnRepeatBegin, CycleWord(FCycles.size(), Count));
    return true;
}

bool TCustomComPacketSenderThread::EndRepeat(const std::string&, int)
{
    // Without an open cycle there is nothing to jump back to.
    if (!FCycleOpened) return false;
    FCycle.EndRepeatLine = FLineIndex;
    const std::int32_t Before = FCycle.Count;
    FCycle.Count = static_cast<std::int32_t>(static_cast<std::uint32_t>(Before) - 1u);
    if (Before != 1) {
        if (SendNotify(hlnRepeatContinue, FCycle.Count) != 0) {
            FLineIndex = FCycle.RepeatLine;
            PostNotify(hlnRepeatNext, CycleWord(FCycles.size(), FCycle.Count));
            return true;
        }
    }
    if (FCycles.empty()) {
        FCycleOpened = false;
        return true;
    }
    PostNotify(hlnRepeatEnd, CycleWord(FCycles.size(), 0));
    FCycle = FCycles.back();
    FCycles.pop_back();
    return true;
}

// ----- packets ----------------------------------------------------------------------

bool TCustomComPacketSenderThread::SendPacket(int Length, const char* Payload)
{
    return SendPacketImpl(Length, Payload, false);
}

bool TCustomComPacketSenderThread::SendAbortPacket(int Length, const char* Payload)
{
    return SendPacketImpl(Length, Payload, true);
}

void TCustomComPacketSenderThread::ClearAbortWhenIdle()
{
    if (!FScriptRunning) {
        FAborted = false;
        FAbortEvent.Reset();
    }
}

void TCustomComPacketSenderThread::WaitForSendInterval()
{
    const DWORD Interval = FMinSendInterval;
    if (Interval == 0) return;
    // The tick counter steps in whole milliseconds; the precise clock keeps the spacing
    // from falling a fraction of a millisecond short of the interval.
    for (;;) {
        const DWORD Elapsed = GetTickCount() - FLastSendTick;
        const std::uint64_t ElapsedMicros = MicrosecondsNow() - FLastSendMicros;
        if (Elapsed >= Interval && ElapsedMicros >= std::uint64_t(Interval) * 1000) return;
        DWORD Rest = Elapsed < Interval ? Interval - Elapsed : 0;
        if (ElapsedMicros < std::uint64_t(Interval) * 1000)
            Rest = std::max<DWORD>(Rest,
                                   static_cast<DWORD>((std::uint64_t(Interval) * 1000 - ElapsedMicros + 999) / 1000));
        if (FStopEvent.WaitFor(std::max<DWORD>(Rest, 1))) return;
    }
}

bool TCustomComPacketSenderThread::SendPacketImpl(int Length, const char* Payload, bool AbortPacket)
{
    char Packet[MaxPacketText + 1];
    const int TextLength = FormatPacket(Payload, Length, Packet);
    if (TextLength < 0) {
        FOwner->LogToMonitor(LinkTexts::SentPrefix, LinkTexts::PayloadTooLong);
        return false;
    }
    FOwner->LogToMonitor(LinkTexts::SentPrefix, Packet);
    if (!FOwner->IsConnected()) return false;

    std::lock_guard<std::mutex> Turn(FExchangeTurn);
    // The stop packet of an abort goes out at once; late answers ahead of it are still
    // counted off in arrival order.
    if (!AbortPacket) AwaitLateAcknowledgements();
    if (!AbortPacket) FConfirmed = false;
    FExchangeWantsData = !AbortPacket && FExpectReplyData;
    {
        std::lock_guard<std::mutex> Lock(FReplyLock);
        FReplyLength = 0;
    }
    {
        std::lock_guard<std::mutex> Lock(FAnswerLock);
        FAnswersThisExchange = 0;
    }
    WaitForSendInterval();
    bool Confirmed = false;
    bool Answered = false;
    int AttemptsWritten = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point FirstWrite, LastWrite, AnswerTime;
    const int Timeout = std::max(0, FComfirmationCmdTimeout.load());
    // A setting below one would send nothing at all and still call the device silent.
    const int Attempts = std::max(1, FNumRepeatCommand.load());
    for (int Attempt = 0; Attempt < Attempts; ++Attempt) {
        FAckOk.Reset();
        FAckFailed.Reset();
        const int Written = FPort->Write(Packet, TextLength + 1);
        FLastSendTick = GetTickCount();
        FLastSendMicros = MicrosecondsNow();
        int Which = 1;  // a write that failed counts as a refused attempt
        if (Written == TextLength + 1) {
            LastWrite = Clock::now();
            if (AttemptsWritten++ == 0) FirstWrite = LastWrite;
            // Only the exchanges of the running script give way to its abort.
            Which = (!AbortPacket && FScriptMode)
                        ? WaitForAny({&FAckOk, &FAckFailed, &FStopEvent, &FAbortEvent}, static_cast<unsigned>(Timeout))
                        : WaitForAny({&FAckOk, &FAckFailed, &FStopEvent}, static_cast<unsigned>(Timeout));
            if (Which == 0 && !Answered) {
                Answered = true;
                AnswerTime = Clock::now();
            }
        }
        const bool Shortcut = AbortPacket || (FScriptMode && FAborted);
        if (Which == 0 || Which == 2 || Shortcut) {
            Confirmed = true;
            break;
        }
        FOwner->LogToMonitor(LinkTexts::SentPrefix, Which == 1 ? LinkTexts::WriteFailed : LinkTexts::WriteTimeout);
    }
    FExchangeWantsData = false;
    {
        // Every attempt written and not yet answered will be answered late, if at all.
        // The first answer is taken as the first attempt's, which tells how slow the
        // instrument is; the late ones are awaited that long after the last attempt and
        // one time-out more, and then given up.
        std::lock_guard<std::mutex> Lock(FAnswerLock);
        const int Owed = AttemptsWritten - FAnswersThisExchange;
        if (Owed > 0) {
            const Clock::duration Latency = Answered ? std::max(AnswerTime - FirstWrite, Clock::duration::zero())
                                                     : Clock::duration(std::chrono::milliseconds(Timeout));
            FLateAnswersOwed += Owed;
            FLateAnswersDeadline = LastWrite + Latency + std::chrono::milliseconds(Timeout);
            FLateAnswersDone.Reset();
        }
    }
    if (Confirmed) {
        if (!AbortPacket) FConfirmed = true;
        return true;
    }
    FOwner->Disconnect();
    if (FCurrentReply)
        FinishReply(FCurrentReply, TReplySlot::Failed);  // the waiting caller reports it
    else if (!FPort->LineLost())                         // else the port has told of it
        PostNotice(LinkTexts::DeviceNotResponding);
    return false;
}

void TCustomComPacketSenderThread::AwaitLateAcknowledgements()
{
    std::chrono::steady_clock::time_point Deadline;
    {
        std::lock_guard<std::mutex> Lock(FAnswerLock);
        if (FLateAnswersOwed == 0) return;
        Deadline = FLateAnswersDeadline;
    }
    for (;;) {
        const auto Now = std::chrono::steady_clock::now();
        if (Now >= Deadline) break;
        const auto Rest = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Now).count();
        if (WaitForAny({&FLateAnswersDone, &FStopEvent}, static_cast<unsigned>(Rest)) >= 0) break;
    }
    // What has not come by now is taken as lost; anything later would be an answer to
    // this packet.
    std::lock_guard<std::mutex> Lock(FAnswerLock);
    FLateAnswersOwed = 0;
}

bool TCustomComPacketSenderThread::CountAnswer()
{
    std::lock_guard<std::mutex> Lock(FAnswerLock);
    if (FLateAnswersOwed > 0) {
        if (--FLateAnswersOwed == 0) FLateAnswersDone.Set();
        return false;
    }
    ++FAnswersThisExchange;
    return true;
}

void TCustomComPacketSenderThread::SpoiledAcknowledgementReceived() { CountAnswer(); }

void TCustomComPacketSenderThread::AcknowledgeReceived(bool Positive, const char* Data, int Length)
{
    if (!CountAnswer()) {
        const std::string Reply = Positive ? "OK!" + std::string(Data, static_cast<std::size_t>(std::max(Length, 0)))
                                           : std::string(LinkTexts::Refused);
        FOwner->LogToMonitor(LinkTexts::LateReplyPrefix, Reply);
        return;
    }
    if (!Positive) {
        FAckFailed.Set();
        return;
    }
    // A bare acknowledgement is not the answer a waiting query needs.
    if (Length <= 0 && FExchangeWantsData) return;
    {
        std::lock_guard<std::mutex> Lock(FReplyLock);
        // Replies of the instrument are far shorter; anything longer is cut to the buffer.
        FReplyLength = std::clamp(Length, 0, static_cast<int>(sizeof FReplyData));
        if (FReplyLength > 0) std::memcpy(FReplyData, Data, static_cast<std::size_t>(FReplyLength));
    }
    FAckOk.Set();
}

std::string TCustomComPacketSenderThread::ReplyData()
{
    std::lock_guard<std::mutex> Lock(FReplyLock);
    return std::string(FReplyData, static_cast<std::size_t>(FReplyLength));
}
