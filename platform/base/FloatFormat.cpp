#include "platform/base/FloatFormat.h"
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>

namespace {
// Zero means "not yet taken from the system locale".
std::atomic<char> DecimalSeparatorChar{0};
std::atomic<char> ThousandSeparatorChar{0};

char PointSeparator() { return '.'; }
char CommaSeparator() { return ','; }
std::atomic<TSeparatorSource> DecimalSource{&PointSeparator};
std::atomic<TSeparatorSource> ThousandSource{&CommaSeparator};

char Initialised(std::atomic<char>& Cell, char (*FromSystem)())
{
    char c = Cell.load();
    if (c == 0) {
        char expected = 0;
        Cell.compare_exchange_strong(expected, FromSystem());
        c = Cell.load();
    }
    return c;
}

// A value as decimal digits: 0.Digits x 10^Exponent. Digits holds no trailing zeros;
// an empty Digits is zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

TDecimal Decompose(double Value)
{
    TDecimal d;
    d.Negative = std::signbit(Value);
    Value = std::fabs(Value);
    if (Value == 0) return d;
    // 31 significant digits of the exact binary value: enough that rounding the text
    // again below never differs from rounding the value itself.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, Value, std::chars_format::scientific, 30);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    d.Digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.Exponent = std::stoi(text.substr(e + 1)) + 1;
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
    return d;
}

// Keeps Count significant digits, rounding halves away from zero.
void RoundTo(TDecimal& D, int Count)
{
    if (Count < 0) {
        D.Digits.clear();
    } else if (static_cast<size_t>(Count) < D.Digits.size()) {
        const bool up = D.Digits[static_cast<size_t>(Count)] >= '5';
        D.Digits.resize(static_cast<size_t>(Count));
        if (up) {
            int i = Count - 1;
            while (i >= 0 && D.Digits[static_cast<size_t>(i)] == '9') D.Digits[static_cast<size_t>(i--)] = '0';
            if (i >= 0) {
                ++D.Digits[static_cast<size_t>(i)];
            } else {
                D.Digits.insert(D.Digits.begin(), '1');
                ++D.Exponent;
            }
        }
    }
    while (!D.Digits.empty() && D.Digits.back() == '0') D.Digits.pop_back();
    if (D.Digits.empty()) D.Exponent = 0;
}

char DigitAt(const TDecimal& D, int Index)
{
    return Index >= 0 && static_cast<size_t>(Index) < D.Digits.size() ? D.Digits[static_cast<size_t>(Index)] : '0';
}

std::string Sign(const TDecimal& D) { return D.Negative && !D.Digits.empty() ? "-" : ""; }

std::string ExponentText(int Exponent, int MinDigits, bool AlwaysSign)
{
    std::string digits = std::to_string(std::abs(Exponent));
    if (static_cast<int>(digits.size()) < MinDigits)
        digits.insert(0, static_cast<size_t>(MinDigits) - digits.size(), '0');
    return std::string("E") + (Exponent < 0 ? "-" : (AlwaysSign ? "+" : "")) + digits;
}

std::string General(TDecimal D, int Precision, int ExponentDigits)
{
    RoundTo(D, Precision);
    if (D.Digits.empty()) return "0";
    const char sep = GetDecimalSeparator();
    std::string out = Sign(D);
    if (D.Exponent > Precision || D.Exponent < -3) {
        out += D.Digits[0];
        if (D.Digits.size() > 1) out += sep + D.Digits.substr(1);
        return out + ExponentText(D.Exponent - 1, ExponentDigits, false);
    }
    if (D.Exponent <= 0) return out + "0" + sep + std::string(static_cast<size_t>(-D.Exponent), '0') + D.Digits;
    for (int i = 0; i < D.Exponent; ++i) out += DigitAt(D, i);
    if (static_cast<int>(D.Digits.size()) > D.Exponent) out += sep + D.Digits.substr(static_cast<size_t>(D.Exponent));
    return out;
}

std::string Exponent(TDecimal D, int Precision, int ExponentDigits)
{
    RoundTo(D, Precision);
    std::string out = Sign(D);
    out += DigitAt(D, 0);
    if (Precision > 1) {
        out += GetDecimalSeparator();
        for (int i = 1; i < Precision; ++i) out += DigitAt(D, i);
    }
    return out + ExponentText(D.Digits.empty() ? 0 : D.Exponent - 1, ExponentDigits, true);
}

std::string Fixed(TDecimal D, int Precision, int Decimals, bool Grouped)
{
    if (D.Exponent > Precision) return General(D, Precision, 0);
    RoundTo(D, std::min(Precision, D.Exponent + Decimals));
    std::string integer;
    if (D.Exponent <= 0) {
        integer = "0";
    } else {
        for (int i = 0; i < D.Exponent; ++i) integer += DigitAt(D, i);
    }
    if (Grouped) {
        const char thousands = GetThousandSeparator();
        for (int at = static_cast<int>(integer.size()) - 3; at > 0; at -= 3)
            integer.insert(static_cast<size_t>(at), 1, thousands);
    }
    std::string out = Sign(D) + integer;
    if (Decimals > 0) {
        out += GetDecimalSeparator();
        for (int i = 0; i < Decimals; ++i) out += DigitAt(D, D.Exponent + i);
    }
    return out;
}
}  // namespace

void SetSystemSeparatorSources(TSeparatorSource Decimal, TSeparatorSource Thousand)
{
    DecimalSource.store(Decimal);
    ThousandSource.store(Thousand);
}

char SystemDecimalSeparator() { return DecimalSource.load()(); }

char SystemThousandSeparator() { return ThousandSource.load()(); }

char GetDecimalSeparator() { return Initialised(DecimalSeparatorChar, &SystemDecimalSeparator); }
void SetDecimalSeparator(char Separator) { DecimalSeparatorChar.store(Separator); }
char GetThousandSeparator() { return Initialised(ThousandSeparatorChar, &SystemThousandSeparator); }
void SetThousandSeparator(char Separator) { ThousandSeparatorChar.store(Separator); }

std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits)
{
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
    Precision = std::clamp(Precision, 1, 18);
    const TDecimal d = Decompose(Value);
    switch (Format) {
    case ffExponent:
        return Exponent(d, Precision, std::clamp(Digits, 0, 4));
    case ffFixed:
        return Fixed(d, Precision, std::clamp(Digits, 0, 18), false);
    case ffNumber:
        return Fixed(d, Precision, std::clamp(Digits, 0, 18), true);
    default:
        return General(d, Precision, std::clamp(Digits, 0, 4));
    }
}

std::string FloatToStr(double Value) { return FloatToStrF(Value, ffGeneral, 15, 0); }

bool TryStrToFloat(const std::string& Text, double& Value, TDecimalSeparators Separators)
{
    const char sep = GetDecimalSeparator();
    auto isSeparator = [&](char C) { return Separators == dsPointOrComma ? C == '.' || C == ',' : C == sep; };
    static constexpr const char* Blanks = " \t\r\n";
    size_t begin = Text.find_first_not_of(Blanks);
    if (begin == std::string::npos) return false;
    const size_t end = Text.find_last_not_of(Blanks) + 1;
    // Rewritten in the one form from_chars reads: an optional "-", digits, ".", exponent.
    std::string plain;
    size_t i = begin;
    if (Text[i] == '+' || Text[i] == '-') {
        if (Text[i] == '-') plain += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < end && std::isdigit(static_cast<unsigned char>(Text[i]))) plain += Text[i++], ++mantissaDigits;
    if (i < end && isSeparator(Text[i])) {
        plain += '.';
        ++i;
        while (i < end && std::isdigit(static_cast<unsigned char>(Text[i]))) plain += Text[i++], ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < end && (Text[i] == 'e' || Text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (Text[i] == '+' || Text[i] == '-')) plain += Text[i++];
        int exponentDigits = 0;
        while (i < end && std::isdigit(static_cast<unsigned char>(Text[i]))) plain += Text[i++], ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != end) return false;
    double result = 0;
    const auto parsed = std::from_chars(plain.data(), plain.data() + plain.size(), result);
    if (parsed.ec != std::errc() || parsed.ptr != plain.data() + plain.size()) return false;
    Value = result;
    return true;
}

double StrToFloat(const std::string& Text, TDecimalSeparators Separators)
{
    double value = 0;
    if (!TryStrToFloat(Text, value, Separators))
        throw EConvertError("'" + Text + "' is not a valid floating point value");
    return value;
}

double StrToFloatDef(const std::string& Text, double Default, TDecimalSeparators Separators)
{
    double value = 0;
    return TryStrToFloat(Text, value, Separators) ? value : Default;
}
