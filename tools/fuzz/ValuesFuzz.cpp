// Fuzz entry for the readers of values in command lines and scripts: hexadecimal,
// decimal and number texts, the calibration's four values and the record address.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "hwzel/CommandEncoding.h"
#include "hwzel/Values.h"
#include "platform/kvcls/kvcls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, size_t Size)
{
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    std::uint32_t Hex = 0;
    std::int32_t Integer = 0;
    double Number = 0;
    ReadHexValue(Text, Hex);
    HexToUInt32(Text);
    if (ReadIntegerValue(Text, Integer)) {
        std::int32_t Again = 0;
        if (!ReadIntegerValue(std::to_string(Integer), Again) || Again != Integer) std::abort();
    }
    ReadNumberValue(Text, Number);
    try {
        StrToInt(Text);
    } catch (const EIntegerError&) {
    }
    try {
        ConvertString2Float(Text);
    } catch (const std::exception&) {
    }
    std::int32_t Device = 0;
    ConvertValue(Text, 1, Number, Device,
                 [](std::uint32_t, double* Value) { return static_cast<std::int32_t>(*Value == *Value ? 1 : 0); });
    std::uint32_t Four[4];
    ReadClbCoeffValues(Text, 1, "CLBCoeff=", Four);
    std::uintptr_t Address = 0;
    ReadRecordAddress(Text, Address);
    for (int Position = 0; Position <= static_cast<int>(Text.size()) + 1; Position += 7)
        GetValueText(Text, Position, "DipperMoveUp");
    return 0;
}
