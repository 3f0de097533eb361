// The instrument's command set on the sender thread: the handlers of every word of the
// command table (ZelCommandTable), registered in match order, with the state the words
// share: whether commands are carried out (a dry run when not), the prognosis record's
// address and the prognosis speeds that the speed setters store.
//
// The sender thread calls RegisterZelCommandSet once in its constructor, after its cycle
// statements. The handlers run on the sender thread under its thread lock.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include "hwzel/CommandEncoding.h"
#include "hwzel/ZelCommandTable.h"
#include "hwzel/hwzel.h"

class TZelComPacketSenderThread;

class TZelCommandSet {
public:
    explicit TZelCommandSet(TZelComPacketSenderThread& Thread);
    TZelCommandSet(const TZelCommandSet&) = delete;
    TZelCommandSet& operator=(const TZelCommandSet&) = delete;

    // False during a dry run: handlers read their values but send nothing, except the
    // words whose packets go out in a dry run too.
    bool ExecuteCommands = true;

    // Prognosis record attached by "CalcScriptPrognosis=" and the speeds the moves are
    // predicted with.
    TScriptPrognosisStatus* Prognosis = nullptr;
    bool PrognosisOn = false;
    double PrognosisBarrier1Speed = 0;
    double PrognosisBarrier2Speed = 0;
    double PrognosisDipperSpeed = 0;
    double PrognosisDoserSpeed = 1.0;
    double PrognosisRotationSpeed = 1.0;

    // A script statement without a packet of its own (Pause, Info, ...): the line, the
    // 1-based position of the word and the word's entry. Set before the thread runs.
    using TStatementHandler = std::function<bool(const std::string& Line, int Position, const TZelWord& Word)>;
    void SetStatement(const std::string& Word, TStatementHandler Handler);

    // Runs in a script line after a move, a rotation or a cell move has been sent (and
    // waited for): the word's effect on the prognosis and the values it moved by (a cell
    // move gives the rotator's and the revolver's cell values).
    using TPrognosisStep = std::function<void(TPrognosisEffect Effect, double First, double Second)>;
    TPrognosisStep OnPrognosisStep;

    // Text of the type-mismatch notice for an item. Each item's text lives for the whole
    // run, so a posted notice stays readable however many follow it.
    static const char* TypeMismatchText(std::uint8_t Item);

    // Carries out one line of a word: the handler every table entry is bound to.
    bool Run(const TZelWord& Word, const std::string& Line, int Position);

    // A turn of the dipper rotator or the revolver by a step count (item 01 one way, 02
    // the other); in a carried-out script line it returns when the drive reports its
    // stop. The pauses' revolver rocking turns through here too.
    bool SendTurn(std::uint8_t Group, std::uint8_t Item, std::uint32_t Steps);

private:
    bool Setter(const TZelWord& Word, const std::string& Line, int Position);
    bool Move(const TZelWord& Word, const std::string& Line, int Position);
    bool Bare(const TZelWord& Word, const std::string& Line, int Position);
    bool Process(const TZelWord& Word);
    bool ValueQuery(const TZelWord& Word);
    bool FourQuery(const TZelWord& Word);
    bool TextQuery(const TZelWord& Word);
    bool ClbCoeff(const TZelWord& Word, const std::string& Line, int Position);
    bool MoveToPressure(const TZelWord& Word, const std::string& Line, int Position);
    bool MoveToCell(const TZelWord& Word, const std::string& Line, int Position);
    bool ExecuteCommand(const TZelWord& Word, const std::string& Line, int Position);
    bool CalcPrognosis(const TZelWord& Word, const std::string& Line, int Position);
    bool LevelOnly(const TZelWord& Word, const std::string& Line, int Position);
    bool Statement(const TZelWord& Word, const std::string& Line, int Position);

    TWordEncoding Encode(const TZelWord& Word, const std::string& Line, int Position);
    void PostDecodeError();
    void PostTypeMismatch(std::uint8_t Item);
    void StoreSpeed(TSpeedStore Speed, double Value, bool Read);
    void PrognosisStep(TPrognosisEffect Effect, double First, double Second = 0);

    // Payload builders: the drive, rotator and revolver groups clear their done flag
    // before the packet and, in a carried-out script line, wait for it afterwards.
    bool SendPayload(std::uint8_t Group, std::uint8_t Item, const char* Payload, int Length);
    void WaitForDone(const std::atomic<bool>& Flag);

    bool QueryParam(std::uint8_t Item, std::uint32_t& Value);
    bool QueryParam4(std::uint8_t Item, std::uint32_t Values[4]);
    bool QueryText(std::uint8_t Item, std::string& Text);
    bool SendQuery(std::uint8_t Item);

    TZelComPacketSenderThread& FThread;
    char FPayload[100] = {};
    std::array<TStatementHandler, ZelWordCount> FStatements;
};

// Creates the command set of the thread and registers its words; the thread's command
// table keeps it alive.
std::shared_ptr<TZelCommandSet> RegisterZelCommandSet(TZelComPacketSenderThread& Thread);
