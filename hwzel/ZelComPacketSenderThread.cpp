#include "hwzel/ZelComPacketSenderThread.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include "hwzel/LinkTexts.h"
#include "hwzel/Values.h"
#include "hwzel/ZelCommandSet.h"

namespace {
constexpr std::uint8_t GroupSetParam = 0x01;
constexpr std::uint8_t GroupQuery = 0x02;
constexpr std::uint8_t GroupDrive = 0x03;
constexpr std::uint8_t GroupProcess = 0x06;
constexpr std::uint8_t ItemProcessStop = 0x00;
}  // namespace

TZelComPacketSenderThread::TZelComPacketSenderThread(TCustomComLink* Owner)
    : TCustomComPacketSenderThread(Owner) {
    RegisterCycleStatements();
    CommandSet = RegisterZelCommandSet(*this);
}

// The instrument's words, in match order.
void TZelComPacketSenderThread::RegisterWords() {
    RegisterCommand("FBSensetivity=", [this](const std::string& L, int P) {
        return SetConverted(L, P, "FBSensetivity=", 0x03, hlnConvFBSensetivity);
    });
    RegisterCommand("=FBSensetivity", [this](const std::string&, int) { return NumericQuery(0x03); });
    RegisterCommand("=DeviceName", [this](const std::string&, int) { return TextQuery(0xFF); });
    RegisterCommand("DriveAllStop", [this](const std::string&, int) { return DriveAllStop(); });
}

void TZelComPacketSenderThread::Abort() {
    TCustomComPacketSenderThread::Abort();
    // Its own buffer: the sender thread may be building a payload at this moment.
    char Payload[8];
    const int Length = std::snprintf(Payload, sizeof Payload, "%02X %02X", GroupProcess, ItemProcessStop);
    SendAbortPacket(Length, Payload);
    ClearAbortWhenIdle();
}

std::string TZelComPacketSenderThread::GetValueText(const std::string& Line, int Position, const std::string& Word) {
    std::size_t WordLength = Word.size();
    if (!Word.empty() && Word.back() == '=') --WordLength;
    // 1-based p + n + 1 is the 0-based index p + n.
    const std::size_t At = static_cast<std::size_t>(Position) + WordLength;
    return At < Line.size() ? Line.substr(At) : std::string();
}

bool TZelComPacketSenderThread::ConvertValue(const std::string& Text, std::uint32_t Code, double& Value,
                                            std::int32_t& DeviceValue) {
    if (Text.empty()) return false;
    if (Code == 0) {
        DeviceValue = static_cast<std::int32_t>(HexToUInt32(Text));
        return true;
    }
    try {
        Value = ConvertString2Float(Text);
    } catch (const std::exception&) {
        return false;
    }
    double Request = Value;
    DeviceValue = static_cast<std::int32_t>(SendNotify(Code, reinterpret_cast<LPARAM>(&Request)));
    return true;
}

bool TZelComPacketSenderThread::ParseValue(const std::string& Line, int Position, double& Value,
                                          std::int32_t& DeviceValue, std::uint32_t Code, const std::string& Word) {
    const std::string Text = GetValueText(Line, Position, Word);
    if (ConvertValue(Text, ScriptMode() ? Code : 0, Value, DeviceValue)) return true;
    PostNotify(hlnScriptStatus, reinterpret_cast<LPARAM>(LinkTexts::DecodeError));
    return false;
}

bool TZelComPacketSenderThread::SendValuePayload(std::uint8_t Group, std::uint8_t Item, std::uint32_t Value) {
    const int Length = std::snprintf(FPayload, sizeof FPayload, "%02X %02X %08X", Group, Item, Value);
    return SendPacket(Length, FPayload);
}

bool TZelComPacketSenderThread::SendProcess(std::uint8_t Item) {
    const int Length = std::snprintf(FPayload, sizeof FPayload, "%02X %02X", GroupProcess, Item);
    return SendPacket(Length, FPayload);
}

bool TZelComPacketSenderThread::QueryParam(std::uint8_t Item, std::uint32_t& Value) {
    if (ScriptMode()) return false;
    const int Length = std::snprintf(FPayload, sizeof FPayload, "%02X %02X", GroupQuery, Item);
    if (!SendPacket(Length, FPayload)) return false;
    const std::string Reply = ReplyData();
    if (Reply.size() < 8) return false;
    Value = HexToUInt32(Reply.substr(0, 8));
    return true;
}

bool TZelComPacketSenderThread::QueryText(std::uint8_t Item, std::string& Text) {
    if (ScriptMode()) return false;
    const int Length = std::snprintf(FPayload, sizeof FPayload, "%02X %02X", GroupQuery, Item);
    if (!SendPacket(Length, FPayload)) return false;
    Text = ReplyData();
    return !Text.empty();
}

bool TZelComPacketSenderThread::SetConverted(const std::string& Line, int Position, const std::string& Word,
                                            std::uint8_t Item, std::uint32_t Code) {
    double Value = 0;
    std::int32_t DeviceValue = 0;
    if (!ParseValue(Line, Position, Value, DeviceValue, Code, Word)) return false;
    if (!ExecuteCommands) return true;
    return SendValuePayload(GroupSetParam, Item, static_cast<std::uint32_t>(DeviceValue));
}

bool TZelComPacketSenderThread::NumericQuery(std::uint8_t Item) {
    std::uint32_t Value = 0;
    if (ExecuteCommands && !QueryParam(Item, Value)) return false;
    WriteResult([&](void* Buffer, int Size) {
        if (Size == 4) std::memcpy(Buffer, &Value, 4);
    });
    SignalReply();
    return true;
}

bool TZelComPacketSenderThread::TextQuery(std::uint8_t Item) {
    std::string Text;
    const bool Ok = QueryText(Item, Text);
    if (Ok) {
        WriteResult([&](void* Buffer, int Size) {
            if (Size <= 0) return;
            const std::size_t Room = static_cast<std::size_t>(Size);
            const std::size_t Count = std::min(Room, Text.size());
            std::memcpy(Buffer, Text.data(), Count);
            std::memset(static_cast<char*>(Buffer) + Count, 0, Room - Count);
        });
        SignalReply();
    }
    return Ok;
}

bool TZelComPacketSenderThread::DriveAllStop() {
    return SendValuePayload(GroupDrive, 0x00, 0);
}
