#include "zel/trough/Scripttext.h"

#include <cmath>
#include <cstdio>

std::int64_t Hundredths(double Value)
{
    if (std::isnan(Value)) return 0;
    const double hundredths = std::round(Value * 100);
    if (hundredths >= static_cast<double>(MaxHundredths)) return MaxHundredths;
    if (hundredths <= -static_cast<double>(MaxHundredths)) return -MaxHundredths;
    return static_cast<std::int64_t>(hundredths);
}

std::string HundredthsText(std::int64_t Value)
{
    char text[40];
    // The magnitude in unsigned arithmetic, where the most negative value has one too.
    const unsigned long long magnitude =
        Value < 0 ? 0ULL - static_cast<unsigned long long>(Value) : static_cast<unsigned long long>(Value);
    std::snprintf(text, sizeof text, "%s%llu.%02llu", Value < 0 ? "-" : "", magnitude / 100, magnitude % 100);
    return text;
}

std::string ScriptLine(const char* Word, std::int64_t Value) { return std::string(Word) + " " + HundredthsText(Value); }

std::string ScriptCountLine(const char* Word, long long Value)
{
    return std::string(Word) + " " + std::to_string(Value);
}
