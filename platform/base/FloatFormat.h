// Number text for the operator: floats formatted and parsed with the process decimal
// separator. The separator starts as the system locale's and is changed only through
// SetDecimalSeparator; the C library's locale is never touched. Settings, scripts and
// exports do not use these functions: they always write ".".
#pragma once
#include <stdexcept>
#include <string>

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };

// A text that is not a number raises EConvertError.
#include "platform/kvcls/ConvertError.h"

// The decimal separator of the system's default locale (LC_ALL, LC_NUMERIC, LANG).
char SystemDecimalSeparator();
char SystemThousandSeparator();
// Where those come from. The window layer installs its locale query when it is loaded;
// without it (a program that has no window layer) they are "." and ",".
using TSeparatorSource = char (*)();
void SetSystemSeparatorSources(TSeparatorSource Decimal, TSeparatorSource Thousand);

// The process-wide separators used by every conversion below.
char GetDecimalSeparator();
void SetDecimalSeparator(char Separator);
char GetThousandSeparator();
void SetThousandSeparator(char Separator);

// Precision is the number of significant digits (1 to 18), Digits the decimals of
// ffFixed and ffNumber (0 to 18) or the least number of exponent digits of ffGeneral and
// ffExponent (0 to 4). Halves round away from zero.
//   ffGeneral: the shorter of fixed and scientific, trailing zeros removed ("1.5", "1E20");
//   ffExponent: "-d.ddddE+dd" with Precision digits in all;
//   ffFixed: "-ddd.dd", scientific when the integer part has more than Precision digits;
//   ffNumber: as ffFixed with thousand separators.
// NaN gives "NAN", infinities "INF" and "-INF".
std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
// FloatToStrF(Value, ffGeneral, 15, 0).
std::string FloatToStr(double Value);

// The decimal separators a text may use: the process one only (what the operator types
// into this program's fields), or either "." or "," (settings, script lines, values typed
// in lists and grids, which may come from a machine with the other convention).
enum TDecimalSeparators { dsProcess, dsPointOrComma };

// The one parser of float text in the tree. Leading and trailing blanks (spaces, tabs,
// line ends) are allowed; then an optional sign, digits with at most one separator, and an
// optional exponent. Infinities, NaN, hexadecimal and values beyond the double range are
// not numbers. StrToFloat raises EConvertError "'<text>' is not a valid floating point
// value".
bool TryStrToFloat(const std::string& Text, double& Value, TDecimalSeparators Separators = dsProcess);
double StrToFloat(const std::string& Text, TDecimalSeparators Separators = dsProcess);
double StrToFloatDef(const std::string& Text, double Default, TDecimalSeparators Separators = dsProcess);
