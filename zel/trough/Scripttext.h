// The numbers of generated scripts. Distances, levels and speeds are worked in hundredths
// of their unit, the precision the lines are written with, so that a generator decides on
// exactly what it writes: a move that rounds to 0.00 is never written, since the
// instrument runs a move of 0 until it is stopped. Script text always uses ".".
#pragma once
#include <cstdint>
#include <string>

// Hundredths beyond this are held at it (NaN is 0), so that the difference of any two
// still fits: no value a field or a file can hold gives an undefined conversion.
constexpr std::int64_t MaxHundredths = 4'000'000'000'000'000'000;
std::int64_t Hundredths(double Value);
// "20.00", "-0.05".
std::string HundredthsText(std::int64_t Value);
// "Word 20.00" of a value in hundredths, and "Word 3" of a whole number.
std::string ScriptLine(const char* Word, std::int64_t Hundredths);
std::string ScriptCountLine(const char* Word, long long Value);
