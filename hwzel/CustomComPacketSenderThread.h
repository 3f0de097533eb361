// The sender thread: every packet towards the instrument leaves from here. It runs
// direct command lines from its command queue and whole scripts from its script queue,
// looks each line's word up in its command table, and carries out the word's handler,
// which frames and sends packets and waits for their acknowledgement.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "hwzel/Events.h"
#include "hwzel/SafeQueue.h"
#include "hwzel/WireProtocol.h"
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"

class TCustomComLink;
class TComPort;

// Where the reply of one queued line goes. Only the caller that queued the line holds
// it, so a reply never reaches another caller; the caller detaches it when it stops
// waiting, and a late reply is then dropped.
struct TReplySlot {
    enum TState { Pending, Answered, Failed, Dropped };
    TReplySlot(void* Buffer, int Size) : FBuffer(Buffer), FSize(Size) {}

    std::mutex Lock;
    void* FBuffer;
    int FSize;
    bool Detached = false;
    TState State = Pending;
    TEvent Done;
};

struct TQueuedLine {
    std::string Line;
    std::shared_ptr<TReplySlot> Reply;  // null for lines without result
};
// Direct command lines, each with its own reply slot.
using TCmdQueue = TSafeQueueWihtEvent<TQueuedLine>;

// One entry of the command table: the upper-cased word and its handler, which gets the
// line as received and the 1-based position of the word in it.
using TScriptCmdHandler = std::function<bool(const std::string& Line, int Position)>;
struct TScriptCmdData {
    std::string Word;
    TScriptCmdHandler Handler;
};
using TScriptCmdVector = std::vector<TScriptCmdData>;

struct TScriptCycleData {
    std::int32_t Count = 0;  // passes left; 0 means no open cycle
    std::int32_t EndRepeatLine = 0;
    std::int32_t RepeatLine = 0;
};
using TScriptCycleVector = std::deque<TScriptCycleData>;

class TCustomComPacketSenderThread {
public:
    explicit TCustomComPacketSenderThread(TCustomComLink* Owner);
    virtual ~TCustomComPacketSenderThread();
    TCustomComPacketSenderThread(const TCustomComPacketSenderThread&) = delete;
    TCustomComPacketSenderThread& operator=(const TCustomComPacketSenderThread&) = delete;

    // Starts the thread function; called once the object is complete.
    void Start();
    // Sets the stop event and waits for the thread function to end.
    void Stop();

    // Ends the running script: it stops before its next line.
    virtual void Abort();

    void RegisterCommand(const std::string& Word, TScriptCmdHandler Handler);
    bool ExecuteLine(const std::string& Line);
    void RunScriptLines(const TScriptStrings& Script);

    // Frames the payload, writes it and waits for its acknowledgement, with retries.
    bool SendPacket(int Length, const char* Payload);
    // The receive side's report of an acknowledgement and its reply data.
    void AcknowledgeReceived(bool Positive, const char* Data, int Length);
    // The receive side's report of an acknowledgement spoiled on the line: it answered
    // an attempt, though nothing in it can be used.
    void SpoiledAcknowledgementReceived();

    void QueueCommand(TQueuedLine Line);
    void QueueScript(TScriptStrings Script);

    void SetNotifyTarget(HWND Wnd, UINT Msg);
    void SetNumRepeatCommand(int Value) { FNumRepeatCommand = Value; }
    void SetComfirmationCmdTimeout(int Value) { FComfirmationCmdTimeout = Value; }
    void SetMinSendInterval(DWORD Value) { FMinSendInterval = Value; }
    int NumRepeatCommand() const { return FNumRepeatCommand; }
    int ComfirmationCmdTimeout() const { return FComfirmationCmdTimeout; }
    DWORD MinSendInterval() const { return FMinSendInterval; }

protected:
    // The script statements and the prognosis act as part of the thread.
    friend class TScriptStatements;
    friend class TScriptPrognosis;

    virtual void Execute();

    // Posts code 0 with one of the link's fixed texts.
    void PostNotice(const char* Text);
    void PostNotify(std::uint32_t Code, LPARAM Payload);
    LRESULT SendNotify(std::uint32_t Code, LPARAM Payload);

    // Marks the waiting caller's reply as given and releases it.
    void SignalReply();
    // The waiting caller's result buffer: runs Write on it while the caller still waits.
    bool WriteResult(const std::function<void(void* Buffer, int Size)>& Write);
    int ResultSize();
    bool HasResultBuffer() const { return FCurrentReply != nullptr; }

    bool MayContinue() const;
    bool ScriptMode() const { return FScriptMode; }
    bool Aborted() const { return FAborted; }
    // False once a packet failed every attempt, until its line or script has ended.
    bool LastPacketConfirmed() const { return FConfirmed; }

    // The stop packet of an abort: sent on the caller's thread; unacknowledged, it counts
    // as confirmed after its first attempt.
    bool SendAbortPacket(int Length, const char* Payload);
    // An abort outside a script ends with its stop packet.
    void ClearAbortWhenIdle();

    // Reply data of the last positive acknowledgement.
    std::string ReplyData();

    TCustomComLink* FOwner;
    TComPort* FPort;

private:
    bool SendPacketImpl(int Length, const char* Payload, bool AbortPacket);
    void RunQueuedLine(TQueuedLine& Item);
    void FinishReply(const std::shared_ptr<TReplySlot>& Slot, TReplySlot::TState State);
    void DropQueuedLines();
    void WaitForSendInterval();
    // Waits, within the bound set when they were abandoned, for the acknowledgements
    // still owed to attempts of an earlier packet, so that none is taken for this one.
    void AwaitLateAcknowledgements();
    // Counts an answer from the instrument; false when it answered an abandoned attempt
    // of an earlier packet and is to be dropped.
    bool CountAnswer();

protected:
    // Registers the statements TITLE, REPEAT and ENDREPEAT, which lead every table.
    void RegisterCycleStatements();

private:
    bool Title(const std::string& Line, int Position);
    bool Repeat(const std::string& Line, int Position);
    bool EndRepeat(const std::string& Line, int Position);

    // Every event the thread waits for lives on one hub, so one wait covers any mix.
    std::shared_ptr<TEventHub> FHub;
    TResGuard FThreadLock;
    TScriptCmdVector FCommands;
    TScriptCycleVector FCycles;
    TScriptCycleData FCycle;
    bool FCycleOpened = false;
    std::int32_t FLineIndex = 0;
    std::atomic<HWND> FNotifyWindow{0};
    std::atomic<UINT> FNotifyMessage{0};
    TEvent FStopEvent;
    TEvent FAbortEvent;  // wakes an exchange of the running script on abort
    TEvent FAckOk;
    TEvent FAckFailed;

    std::mutex FReplyLock;
    char FReplyData[100] = {};
    int FReplyLength = 0;

    // The instrument answers every packet it reads, in order, and its answers name no
    // word. An attempt abandoned at its time-out is still answered later; those late
    // answers are counted off here and dropped instead of being taken for the next
    // packet. Guarded by FAnswerLock.
    std::mutex FAnswerLock;
    int FAnswersThisExchange = 0;
    int FLateAnswersOwed = 0;
    std::chrono::steady_clock::time_point FLateAnswersDeadline;
    TEvent FLateAnswersDone;

    std::atomic<bool> FScriptMode{false};
    std::atomic<bool> FScriptRunning{false};
    std::atomic<bool> FAborted{false};
    std::atomic<int> FNumRepeatCommand{4};
    std::atomic<int> FComfirmationCmdTimeout{1000};
    std::atomic<bool> FConfirmed{true};
    std::atomic<DWORD> FMinSendInterval{0};
    DWORD FLastSendTick = 0;
    std::uint64_t FLastSendMicros = 0;

    TCmdQueue FCmdQueue;
    TScriptQueue FScriptQueue;
    std::shared_ptr<TReplySlot> FCurrentReply;    // of the direct line being run
    std::atomic<bool> FExpectReplyData{false};    // the direct line being run wants reply data
    std::atomic<bool> FExchangeWantsData{false};  // ... and so does the exchange under way

    // Two exchanges never overlap: the sender thread and an abort take turns.
    std::mutex FExchangeTurn;

    std::atomic<bool> FEnded{false};
    std::thread FThread;
};
