#include "zel/trough/Scripttext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::int64_t Hundredths(double Value) { return std::llround(Value * 100); }

std::string HundredthsText(std::int64_t Value)
{
    char text[40];
    const long long magnitude = std::llabs(static_cast<long long>(Value));
    std::snprintf(text, sizeof text, "%s%lld.%02lld", Value < 0 ? "-" : "", magnitude / 100, magnitude % 100);
    return text;
}

std::string ScriptLine(const char* Word, std::int64_t Value) { return std::string(Word) + " " + HundredthsText(Value); }

std::string ScriptCountLine(const char* Word, long long Value)
{
    return std::string(Word) + " " + std::to_string(Value);
}
