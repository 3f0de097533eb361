#include "hwzel/WireProtocol.h"

#include <cstdio>
#include <cstring>
#include "hwzel/Values.h"

std::uint8_t Checksum8(const char* Data, std::size_t Length)
{
    unsigned Sum = 0;
    for (std::size_t i = 0; i < Length; ++i) Sum += static_cast<unsigned char>(Data[i]);
    return static_cast<std::uint8_t>(Sum & 0xFF);
}

int FormatPacket(const char* Payload, int Length, char* Out)
{
    if (Length < 0 || Length > MaxPayload) return -1;
    static const char Digits[] = "0123456789ABCDEF";
    const std::uint8_t Sum = Checksum8(Payload, static_cast<std::size_t>(Length));
    Out[0] = '@';
    Out[1] = Digits[Sum >> 4];
    Out[2] = Digits[Sum & 0x0F];
    Out[3] = ' ';
    std::memcpy(Out + 4, Payload, static_cast<std::size_t>(Length));
    Out[4 + Length] = '$';
    Out[5 + Length] = '\0';
    return Length + 5;
}

bool CheckPacket(const std::string& Text, const char** Body, std::size_t* BodyLength)
{
    const std::size_t DigitCount = Text.size() < 2 ? Text.size() : 2;
    char Digits[3] = {};
    Text.copy(Digits, DigitCount);
    *Body = Text.c_str() + DigitCount;
    *BodyLength = Text.size() - DigitCount;
    const std::uint8_t Expected = static_cast<std::uint8_t>(HexToUInt32(Digits) & 0xFF);
    return Expected == Checksum8(*Body, *BodyLength);
}

void TRCmdEventDetails::SplitFields()
{
    Fields.clear();
    FStorage.assign(Text ? Text : "", Text ? Length : 0);
    FStorage.push_back('\0');
    std::vector<std::size_t> Starts;
    for (std::size_t i = 0; i < Length; ++i) {
        if (FStorage[i] == ' ') {
            FStorage[i] = '\0';
        } else if (i == 0 || FStorage[i - 1] == '\0') {
            Starts.push_back(i);
        }
    }
    Fields.reserve(Starts.size());
    for (std::size_t Start : Starts) Fields.push_back(FStorage.c_str() + Start);
}

std::uint32_t TRCmdEventDetails::Hex(std::size_t Index) const
{
    return Index < Fields.size() ? HexToUInt32(Fields[Index]) : 0;
}

TBodyKind BodyKind(const char* Body, std::size_t Length)
{
    if (Length == 0) return TBodyKind::Empty;
    switch (Body[0]) {
    case 'K':
        return TBodyKind::Acknowledge;
    case 'I':
        return TBodyKind::Info;
    case 'M':
        return TBodyKind::Message;
    default:
        return TBodyKind::Other;
    }
}
