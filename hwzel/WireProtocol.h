// Bytes on the serial line: outgoing packets "@", two hex digits of the 8-bit sum of the
// payload, a blank, the payload, "$" and a zero byte; incoming packets arrive (without
// "@" and "$") as two checksum digits followed by the body, whose bytes the sum covers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Longest packet text, without its zero byte.
constexpr int MaxPacketText = 99;
// Longest payload that fits: the packet adds "@", two digits, a blank and "$".
constexpr int MaxPayload = MaxPacketText - 5;

std::uint8_t Checksum8(const char* Data, std::size_t Length);

// Formats the packet of a payload into Out (room for MaxPacketText + 1 bytes), zero byte
// included; returns the packet text's length, or -1 when the payload is too long.
int FormatPacket(const char* Payload, int Length, char* Out);

// Splits a received packet text into checksum and body; true when the checksum agrees.
bool CheckPacket(const std::string& Text, const char** Body, std::size_t* BodyLength);

// What a receive handler gets: the field text of a packet and its blank-separated fields.
struct TRCmdEventDetails {
    const char* Text = nullptr;
    std::size_t Length = 0;
    std::vector<const char*> Fields;

    void SplitFields();
    std::size_t Count() const { return Fields.size(); }
    // Field i in hexadecimal; 0 when the packet has no such field.
    std::uint32_t Hex(std::size_t Index) const;

private:
    std::string FStorage;  // zero-terminated copies of the fields
};

// A receive handler: returns true when it posted its notification.
using TRCmdHandler = std::function<bool(const TRCmdEventDetails& Details)>;

struct TRCmdData {
    std::string Key;
    TRCmdHandler Handler;
};
using TRCmdVector = std::vector<TRCmdData>;

// Kinds of received bodies, by their first character.
enum class TBodyKind { Empty, Acknowledge, Info, Message, Other };
TBodyKind BodyKind(const char* Body, std::size_t Length);
