#include "zel/experiment/Sxproperty.h"
#include <cstdio>

std::string DateTimeText(const TSXDateTime& Value)
{
    char Text[64];
    std::snprintf(Text, sizeof Text, "%d/%d/%d %d:%02d", Value.Day, Value.Month, Value.Year, Value.Hour, Value.Minute);
    return Text;
}

TSXDateTime MakeSXDateTime(const TLocalDateTime& Value)
{
    TSXDateTime Record;
    Record.Year = static_cast<std::uint16_t>(Value.Year);
    Record.Month = static_cast<std::uint8_t>(Value.Month);
    Record.Day = static_cast<std::uint8_t>(Value.Day);
    Record.Hour = static_cast<std::uint8_t>(Value.Hour);
    Record.Minute = static_cast<std::uint8_t>(Value.Minute);
    Record.Second = static_cast<std::uint8_t>(Value.Second);
    Record.MSec = static_cast<std::uint8_t>(Value.Millisecond & 0xFF);
    return Record;
}
