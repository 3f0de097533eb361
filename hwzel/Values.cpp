#include "hwzel/Values.h"

#include <cctype>

std::uint32_t HexToUInt32(const char* Text)
{
    const char* P = Text;
    while (*P == ' ' || *P == '\t' || *P == '\n' || *P == '\r' || *P == '\f' || *P == '\v') ++P;
    bool Negative = false;
    if (*P == '-' || *P == '+') {
        Negative = *P == '-';
        ++P;
    }
    if (P[0] == '0' && (P[1] == 'x' || P[1] == 'X') && std::isxdigit(static_cast<unsigned char>(P[2]))) P += 2;
    std::uint64_t Value = 0;
    bool Capped = false;
    for (; std::isxdigit(static_cast<unsigned char>(*P)); ++P) {
        const unsigned char C = static_cast<unsigned char>(*P);
        const unsigned Digit = std::isdigit(C) ? C - '0' : (std::toupper(C) - 'A' + 10);
        Value = Value * 16 + Digit;
        if (Value > 0xFFFFFFFFull) {
            Capped = true;
            Value = 0xFFFFFFFFull;
        }
    }
    if (Capped) return 0xFFFFFFFFu;
    const std::uint32_t Result = static_cast<std::uint32_t>(Value);
    return Negative ? static_cast<std::uint32_t>(0u - Result) : Result;
}

std::int32_t StrToInt(const std::string& Text)
{
    std::size_t i = 0;
    while (i < Text.size() && Text[i] == ' ') ++i;
    bool Negative = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) Negative = Text[i++] == '-';
    bool Hex = false;
    if (i < Text.size() && Text[i] == '$') {
        Hex = true;
        ++i;
    }
    if (i >= Text.size()) throw EIntegerError("'" + Text + "' is not a valid integer value");
    std::int64_t Value = 0;
    for (; i < Text.size(); ++i) {
        const unsigned char C = static_cast<unsigned char>(Text[i]);
        int Digit;
        if (std::isdigit(C))
            Digit = C - '0';
        else if (Hex && std::isxdigit(C))
            Digit = std::toupper(C) - 'A' + 10;
        else
            throw EIntegerError("'" + Text + "' is not a valid integer value");
        Value = Value * (Hex ? 16 : 10) + Digit;
        if (Value > 0x80000000ll) throw EIntegerError("'" + Text + "' is not a valid integer value");
    }
    if (Negative) Value = -Value;
    if (Value > 0x7FFFFFFFll) {
        // "$FFFFFFFF" names the bit pattern of -1.
        if (Hex && !Negative) return static_cast<std::int32_t>(static_cast<std::uint32_t>(Value));
        throw EIntegerError("'" + Text + "' is not a valid integer value");
    }
    return static_cast<std::int32_t>(Value);
}
