// The two readings of number text that the link uses everywhere: hexadecimal device
// values and decimal integers.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// Hexadecimal like strtoul in base 16: leading blanks skipped, a leading "-" negates
// modulo 2^32, reading stops at the first non-hex character, no digits read 0. A value
// beyond 32 bits is capped at FFFFFFFF rather than silently cut.
std::uint32_t HexToUInt32(const char* Text);
inline std::uint32_t HexToUInt32(const std::string& Text) { return HexToUInt32(Text.c_str()); }

class EIntegerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal 32-bit integer: leading blanks, an optional sign, digits and nothing else
// (a "$" prefix reads hexadecimal). Anything else raises EIntegerError.
std::int32_t StrToInt(const std::string& Text);
