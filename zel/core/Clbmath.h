// Arithmetic shared by every conversion between the operator's values and device counts.
// Device counts are 32-bit integers, so every physical value crosses into them through
// DoubleToInt32; a calibration factor that is zero never turns into an infinite or
// undefined count.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

// Cuts toward zero to a signed 32-bit integer; values beyond the range give its nearest
// end and NaN gives 0, so no input can make the conversion undefined.
inline std::int32_t DoubleToInt32(double Value)
{
    if (std::isnan(Value)) return 0;
    if (Value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (Value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(Value);
}

// Cuts toward zero to an unsigned 16-bit device value; values beyond the range are held
// at its nearest end, so a large value never wraps to a small one.
inline std::uint16_t DoubleToUInt16(double Value)
{
    if (std::isnan(Value) || Value <= 0) return 0;
    if (Value >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(Value);
}

// Numerator / Denominator, or Fallback when the quotient is not a finite number (a zero
// divisor, an overflow, a NaN operand).
inline double DivideOr(double Numerator, double Denominator, double Fallback)
{
    if (Denominator == 0) return Fallback;
    const double quotient = Numerator / Denominator;
    return std::isfinite(quotient) ? quotient : Fallback;
}
