#include "hwzel/ZelCommandSet.h"

#include <chrono>
#include <cstring>
#include <thread>
#include "hwzel/LinkTexts.h"
#include "hwzel/Values.h"
#include "hwzel/ZelComLink.h"
#include "hwzel/ZelComPacketSenderThread.h"

namespace {

// The handlers act as part of the sender thread but live in a module of their own, so
// that the instrument's words stand apart from the thread's mechanics. This view opens
// the thread's protected operations to them and to nothing else.
struct TThreadView : TZelComPacketSenderThread {
    static bool IsScriptLine(const TZelComPacketSenderThread& T) { return (T.*&TThreadView::ScriptMode)(); }
    static bool CanContinue(const TZelComPacketSenderThread& T) { return (T.*&TThreadView::MayContinue)(); }
    static void Post(TZelComPacketSenderThread& T, std::uint32_t Code, LPARAM Payload)
    {
        (T.*&TThreadView::PostNotify)(Code, Payload);
    }
    static LRESULT Send(TZelComPacketSenderThread& T, std::uint32_t Code, LPARAM Payload)
    {
        return (T.*&TThreadView::SendNotify)(Code, Payload);
    }
    static void Signal(TZelComPacketSenderThread& T) { (T.*&TThreadView::SignalReply)(); }
    static bool Write(TZelComPacketSenderThread& T, const std::function<void(void*, int)>& Writer)
    {
        return (T.*&TThreadView::WriteResult)(Writer);
    }
    static std::string Reply(TZelComPacketSenderThread& T) { return (T.*&TThreadView::ReplyData)(); }
    static TCustomComLink* Owner(TZelComPacketSenderThread& T) { return T.*&TThreadView::FOwner; }
};

using View = TThreadView;

// A turn of the rotator or revolver by a signed step count: direction 1 forwards, 2 back.
struct TTurn {
    std::uint8_t Direction;
    std::uint32_t Steps;
};

TTurn TurnFor(std::int64_t Difference)
{
    const std::uint64_t Size = static_cast<std::uint64_t>(Difference > 0 ? Difference : -Difference);
    return TTurn{static_cast<std::uint8_t>(Difference > 0 ? 1 : 2),
                 static_cast<std::uint32_t>(Size > 0xFFFFFFFFull ? 0xFFFFFFFFull : Size)};
}

}  // namespace

TZelCommandSet::TZelCommandSet(TZelComPacketSenderThread& Thread) : FThread(Thread) {}

const char* TZelCommandSet::TypeMismatchText(std::uint8_t Item)
{
    static const std::array<std::string, 256> Texts = [] {
        std::array<std::string, 256> Result;
        for (std::size_t i = 0; i < Result.size(); ++i)
            Result[i] = "Different data types for ParamCode=" + std::to_string(i);
        return Result;
    }();
    return Texts[Item].c_str();
}

void TZelCommandSet::SetStatement(const std::string& Word, TStatementHandler Handler)
{
    const TZelWord* Entry = FindZelWord(Word);
    if (Entry && Entry->Action == TWordAction::Statement)
        FStatements[static_cast<std::size_t>(Entry - ZelWords)] = std::move(Handler);
}

bool TZelCommandSet::Run(const TZelWord& Word, const std::string& Line, int Position)
{
    switch (Word.Action) {
    case TWordAction::Setter:
    case TWordAction::Bare:
    case TWordAction::Process:
        return Setter(Word, Line, Position);
    case TWordAction::Move:
        return Move(Word, Line, Position);
    case TWordAction::ValueQuery:
        return ValueQuery(Word);
    case TWordAction::FourQuery:
        return FourQuery(Word);
    case TWordAction::TextQuery:
        return TextQuery(Word);
    case TWordAction::ClbCoeff:
        return ClbCoeff(Word, Line, Position);
    case TWordAction::MoveToPressure:
        return MoveToPressure(Word, Line, Position);
    case TWordAction::MoveToCell:
        return MoveToCell(Word, Line, Position);
    case TWordAction::ExecuteCommand:
        return ExecuteCommand(Word, Line, Position);
    case TWordAction::CalcPrognosis:
        return CalcPrognosis(Word, Line, Position);
    case TWordAction::LevelOnly:
        return LevelOnly(Word, Line, Position);
    case TWordAction::Statement:
        return Statement(Word, Line, Position);
    case TWordAction::Cycle:
        break;
    }
    return false;
}

// ----- reading and notices ----------------------------------------------------------

TWordEncoding TZelCommandSet::Encode(const TZelWord& Word, const std::string& Line, int Position)
{
    const TConversionRequest Request = [this](std::uint32_t Code, double* Value) {
        return static_cast<std::int32_t>(View::Send(FThread, Code, reinterpret_cast<LPARAM>(Value)));
    };
    TWordEncoding Result = EncodeWordLine(Word, Line, Position, View::IsScriptLine(FThread), Request);
    if (Result.DecodeError) PostDecodeError();
    if (Result.TypeMismatch) PostTypeMismatch(Word.Item);
    return Result;
}

void TZelCommandSet::PostDecodeError()
{
    View::Post(FThread, hlnScriptStatus, reinterpret_cast<LPARAM>(LinkTexts::DecodeError));
}

void TZelCommandSet::PostTypeMismatch(std::uint8_t Item)
{
    View::Post(FThread, hlnTypeMismatch, reinterpret_cast<LPARAM>(TypeMismatchText(Item)));
}

void TZelCommandSet::StoreSpeed(TSpeedStore Speed, double Value, bool Read)
{
    switch (Speed) {
    case TSpeedStore::Barrier1:
        PrognosisBarrier1Speed = Value;
        break;
    case TSpeedStore::Barrier2:
        PrognosisBarrier2Speed = Value;
        break;
    case TSpeedStore::Dipper:
        PrognosisDipperSpeed = Value;
        break;
    case TSpeedStore::Doser:
        PrognosisDoserSpeed = Value;
        break;
    case TSpeedStore::Rotation:
        if (Read) PrognosisRotationSpeed = Value;
        break;
    case TSpeedStore::None:
        break;
    }
}

void TZelCommandSet::PrognosisStep(TPrognosisEffect Effect, double First, double Second)
{
    if (Effect == TPrognosisEffect::None || !OnPrognosisStep || !View::IsScriptLine(FThread)) return;
    OnPrognosisStep(Effect, First, Second);
}

// ----- payload builders -----------------------------------------------------------

bool TZelCommandSet::SendPayload(std::uint8_t Group, std::uint8_t Item, const char* Payload, int Length)
{
    std::atomic<bool>* Done = nullptr;
    if (Group == ZelPacket::GroupDrive) {
        Done = &FThread.DriveDone;
        // A stop of all drives waits for a report that may have come already.
        if (Item != 0x00) Done->store(false);
    } else if (Group == ZelPacket::GroupRotator) {
        Done = &FThread.RotatorDone;
        Done->store(false);
    } else if (Group == ZelPacket::GroupRevolver) {
        Done = &FThread.RevolverDone;
        Done->store(false);
    }
    const bool Confirmed = FThread.SendPacket(Length, Payload);
    if (Confirmed && Done) WaitForDone(*Done);
    return Confirmed;
}

bool TZelCommandSet::SendTurn(std::uint8_t Group, std::uint8_t Item, std::uint32_t Steps)
{
    const int Length = FormatValuePayload(FPayload, sizeof FPayload, Group, Item, Steps);
    return SendPayload(Group, Item, FPayload, Length);
}

void TZelCommandSet::WaitForDone(const std::atomic<bool>& Flag)
{
    // Only a carried-out script line waits for the instrument to report the motion's end.
    if (!View::IsScriptLine(FThread) || !ExecuteCommands) return;
    while (!Flag.load() && View::CanContinue(FThread)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// ----- words with a packet ----------------------------------------------------------

bool TZelCommandSet::Setter(const TZelWord& Word, const std::string& Line, int Position)
{
    const TWordEncoding Encoded = Encode(Word, Line, Position);
    StoreSpeed(Word.Speed, Encoded.Value, Encoded.Read);
    if (!Encoded.Read) return false;
    if (!ExecuteCommands && !(Word.Flags & wfSentInDryRun)) return true;
    return SendPayload(Word.Group, Word.Item, Encoded.Payloads[0], Encoded.Lengths[0]);
}

bool TZelCommandSet::Move(const TZelWord& Word, const std::string& Line, int Position)
{
    const TWordEncoding Encoded = Encode(Word, Line, Position);
    if (!Encoded.Read) return false;
    bool Confirmed = true;
    if (ExecuteCommands) Confirmed = SendPayload(Word.Group, Word.Item, Encoded.Payloads[0], Encoded.Lengths[0]);
    PrognosisStep(Word.Prognosis, Encoded.Value);
    return Confirmed;
}

bool TZelCommandSet::ClbCoeff(const TZelWord& Word, const std::string& Line, int Position)
{
    const TWordEncoding Encoded = Encode(Word, Line, Position);
    if (!Encoded.Read) return false;
    return SendPayload(Word.Group, Word.Item, Encoded.Payloads[0], Encoded.Lengths[0]);
}

bool TZelCommandSet::MoveToPressure(const TZelWord& Word, const std::string& Line, int Position)
{
    const TWordEncoding Encoded = Encode(Word, Line, Position);
    if (!Encoded.Read) return false;
    // The pressure target goes out also in a dry run; the move itself does not.
    if (!SendPayload(Word.Group, Word.Item, Encoded.Payloads[0], Encoded.Lengths[0])) return false;
    FThread.DriveDone.store(false);
    if (!ExecuteCommands) return true;
    const bool Confirmed = FThread.SendPacket(Encoded.Lengths[1], Encoded.Payloads[1]);
    if (Confirmed) WaitForDone(FThread.DriveDone);
    return Confirmed;
}

bool TZelCommandSet::MoveToCell(const TZelWord& Word, const std::string& Line, int Position)
{
    const std::string Text = GetValueText(Line, Position, Word.Word);
    const TConversionRequest Request = [this](std::uint32_t Code, double* Value) {
        return static_cast<std::int32_t>(View::Send(FThread, Code, reinterpret_cast<LPARAM>(Value)));
    };
    // The cell number is converted by the program in direct lines as well as in scripts.
    double RotatorCell = 0, RevolverCell = 0;
    std::int32_t RotatorTarget = 0, RevolverTarget = 0;
    if (!ConvertValue(Text, hlnConvCellToRotator, RotatorCell, RotatorTarget, Request) ||
        !ConvertValue(Text, hlnConvCellToRevolver, RevolverCell, RevolverTarget, Request)) {
        PostDecodeError();
        return false;
    }
    bool Confirmed = true;
    if (ExecuteCommands) {
        auto* Link = dynamic_cast<TZelComLink*>(View::Owner(FThread));
        auto Position32 = [Link](std::uint32_t TDeviceState::*Field) -> std::int64_t {
            return Link ? static_cast<std::int32_t>(Link->DeviceState().*Field) : 0;
        };
        // Turns are signed: a target behind the drive turns it back.
        const std::int64_t RotatorTurn = std::int64_t{RotatorTarget} - Position32(&TDeviceState::dipperRotatorPos);
        if (RotatorTurn != 0) {
            const TTurn Turn = TurnFor(RotatorTurn);
            Confirmed = SendTurn(ZelPacket::GroupRotator, Turn.Direction, Turn.Steps);
        }
        const std::int64_t RevolverTurn = std::int64_t{RevolverTarget} - Position32(&TDeviceState::revolverPos);
        if (RevolverTurn != 0) {
            const TTurn Turn = TurnFor(RevolverTurn);
            Confirmed = SendTurn(ZelPacket::GroupRevolver, Turn.Direction, Turn.Steps);
        }
    }
    PrognosisStep(Word.Prognosis, RotatorCell, RevolverCell);
    return Confirmed;
}

// ----- queries ----------------------------------------------------------------------

bool TZelCommandSet::SendQuery(std::uint8_t Item)
{
    const int Length = FormatBarePayload(FPayload, sizeof FPayload, ZelPacket::GroupQuery, Item);
    return FThread.SendPacket(Length, FPayload);
}

bool TZelCommandSet::QueryParam(std::uint8_t Item, std::uint32_t& Value)
{
    if (View::IsScriptLine(FThread)) return false;
    if (!SendQuery(Item)) return false;
    const std::string Reply = View::Reply(FThread);
    if (Reply.size() < 8) return false;
    Value = HexToUInt32(Reply.substr(0, 8));
    return true;
}

bool TZelCommandSet::QueryParam4(std::uint8_t Item, std::uint32_t Values[4])
{
    if (View::IsScriptLine(FThread)) return false;
    if (!SendQuery(Item)) return false;
    const std::string Reply = View::Reply(FThread);
    int Read = 0;
    std::size_t At = 0;
    while (Read < 4) {
        At = Reply.find_first_not_of(' ', At);
        if (At == std::string::npos) break;
        const std::size_t End = Reply.find(' ', At);
        Values[Read++] = HexToUInt32(Reply.substr(At, End == std::string::npos ? std::string::npos : End - At));
        if (End == std::string::npos) break;
        At = End;
    }
    return Read == 4;
}

bool TZelCommandSet::QueryText(std::uint8_t Item, std::string& Text)
{
    if (View::IsScriptLine(FThread)) return false;
    if (!SendQuery(Item)) return false;
    Text = View::Reply(FThread);
    return !Text.empty();
}

bool TZelCommandSet::ValueQuery(const TZelWord& Word)
{
    // A dry run asks nothing and answers 0.
    std::uint32_t Value = 0;
    if (ExecuteCommands && !QueryParam(Word.Item, Value)) return false;
    bool Mismatch = false;
    View::Write(FThread, [&](void* Buffer, int Size) {
        if (Size == static_cast<int>(sizeof Value))
            std::memcpy(Buffer, &Value, sizeof Value);
        else
            Mismatch = true;
    });
    if (Mismatch) PostTypeMismatch(Word.Item);
    View::Signal(FThread);
    return true;
}

bool TZelCommandSet::FourQuery(const TZelWord& Word)
{
    std::uint32_t Values[4] = {};
    if (!QueryParam4(Word.Item, Values)) return false;
    bool Mismatch = false;
    View::Write(FThread, [&](void* Buffer, int Size) {
        if (Size == static_cast<int>(sizeof Values))
            std::memcpy(Buffer, Values, sizeof Values);
        else
            Mismatch = true;
    });
    if (Mismatch) PostTypeMismatch(Word.Item);
    View::Signal(FThread);
    return true;
}

bool TZelCommandSet::TextQuery(const TZelWord& Word)
{
    std::string Text;
    const bool Answered = QueryText(Word.Item, Text);
    if (Answered) {
        // Cut to the caller's buffer; the rest of it is zero-filled.
        View::Write(FThread, [&](void* Buffer, int Size) {
            if (Size <= 0) return;
            const std::size_t Room = static_cast<std::size_t>(Size);
            const std::size_t Count = Text.size() < Room ? Text.size() : Room;
            std::memcpy(Buffer, Text.data(), Count);
            std::memset(static_cast<char*>(Buffer) + Count, 0, Room - Count);
        });
    }
    View::Signal(FThread);
    return Answered;
}

// ----- words without a packet -------------------------------------------------------

bool TZelCommandSet::ExecuteCommand(const TZelWord& Word, const std::string& Line, int Position)
{
    std::int32_t Value = 0;
    if (!ReadIntegerValue(GetValueText(Line, Position, Word.Word), Value)) return false;
    ExecuteCommands = Value != 0;
    return true;
}

bool TZelCommandSet::CalcPrognosis(const TZelWord& Word, const std::string& Line, int Position)
{
    // The address names memory of the program; script text never gets to choose it.
    if (View::IsScriptLine(FThread)) return false;
    std::uintptr_t Address = 0;
    if (!ReadRecordAddress(GetValueText(Line, Position, Word.Word), Address)) {
        PrognosisOn = false;
        return false;
    }
    Prognosis = reinterpret_cast<TScriptPrognosisStatus*>(Address);
    PrognosisOn = Prognosis != nullptr;
    return true;
}

bool TZelCommandSet::LevelOnly(const TZelWord& Word, const std::string& Line, int Position)
{
    return Encode(Word, Line, Position).Read;
}

bool TZelCommandSet::Statement(const TZelWord& Word, const std::string& Line, int Position)
{
    const TStatementHandler& Handler = FStatements[static_cast<std::size_t>(&Word - ZelWords)];
    return Handler ? Handler(Line, Position, Word) : false;
}

std::shared_ptr<TZelCommandSet> RegisterZelCommandSet(TZelComPacketSenderThread& Thread)
{
    auto Set = std::make_shared<TZelCommandSet>(Thread);
    for (const TZelWord& Word : ZelWords) {
        // TITLE, REPEAT and ENDREPEAT are the thread's own and lead the table.
        if (Word.Action == TWordAction::Cycle) continue;
        const TZelWord* Entry = &Word;
        Thread.RegisterCommand(Word.Word, [Set, Entry](const std::string& Line, int Position) {
            return Set->Run(*Entry, Line, Position);
        });
    }
    return Set;
}
