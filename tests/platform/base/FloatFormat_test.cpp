// Float text for the operator with the process decimal separator.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include "platform/base/FloatFormat.h"

namespace {
// Sets the process separators for one test and puts the previous ones back.
class TSeparators {
public:
    TSeparators(char Decimal, char Thousand) : FDecimal(GetDecimalSeparator()), FThousand(GetThousandSeparator())
    {
        SetDecimalSeparator(Decimal);
        SetThousandSeparator(Thousand);
    }
    ~TSeparators()
    {
        SetDecimalSeparator(FDecimal);
        SetThousandSeparator(FThousand);
    }

private:
    char FDecimal, FThousand;
};

struct Case {
    double Value;
    TFloatFormat Format;
    int Precision;
    int Digits;
    const char* Point;  // with "." and ","
    const char* Comma;  // with "," and "."
};

const Case Cases[] = {
    {1234.5678, ffFixed, 12, 2, "1234.57", "1234,57"},
    {0.125, ffFixed, 12, 2, "0.13", "0,13"},  // halves away from zero
    {-0.125, ffFixed, 12, 2, "-0.13", "-0,13"},
    {2.675, ffFixed, 12, 2, "2.67", "2,67"},   // the double is just below 2.675
    {-0.001, ffFixed, 12, 2, "0.00", "0,00"},  // no minus on a zero
    {0.5, ffFixed, 12, 0, "1", "1"},
    {1.23456789, ffFixed, 4, 6, "1.235000", "1,235000"},
    {9.999, ffFixed, 12, 2, "10.00", "10,00"},
    {1234567.891, ffNumber, 15, 2, "1,234,567.89", "1.234.567,89"},
    {1.5, ffGeneral, 15, 0, "1.5", "1,5"},
    {100, ffGeneral, 15, 0, "100", "100"},
    {0.0001, ffGeneral, 15, 0, "0.0001", "0,0001"},
    {0.00001, ffGeneral, 15, 0, "1E-5", "1E-5"},
    {1e20, ffGeneral, 15, 0, "1E20", "1E20"},
    {123456.789, ffGeneral, 4, 2, "1.235E05", "1,235E05"},
    {0.1, ffGeneral, 15, 0, "0.1", "0,1"},
    {1234.5, ffExponent, 4, 2, "1.235E+03", "1,235E+03"},
    {-0.00012, ffExponent, 3, 0, "-1.20E-4", "-1,20E-4"},
    {0, ffExponent, 3, 2, "0.00E+00", "0,00E+00"},
    {5, ffExponent, 1, 0, "5E+0", "5E+0"},
};
}  // namespace

TEST(FloatFormat, FormatsInEachFormWithThePointSeparator)
{
    TSeparators use('.', ',');
    for (const Case& k : Cases) {
        EXPECT_EQ(FloatToStrF(k.Value, k.Format, k.Precision, k.Digits), k.Point) << k.Value;
    }
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToStr(-INFINITY), "-INF");
}

TEST(FloatFormat, FormatsWithACommaSeparator)
{
    TSeparators use(',', '.');
    for (const Case& k : Cases) {
        EXPECT_EQ(FloatToStrF(k.Value, k.Format, k.Precision, k.Digits), k.Comma) << k.Value;
    }
}

TEST(FloatFormat, ParsesOnlyTheProcessSeparator)
{
    {
        TSeparators use(',', '.');
        EXPECT_DOUBLE_EQ(StrToFloat(" 2,5 "), 2.5);
        EXPECT_DOUBLE_EQ(StrToFloat("-1,5E3"), -1500);
        EXPECT_DOUBLE_EQ(StrToFloatDef("2.5", 7), 7);
        double v = 0;
        EXPECT_FALSE(TryStrToFloat("2.5", v));
    }
    TSeparators use('.', ',');
    EXPECT_DOUBLE_EQ(StrToFloat("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("+.5"), 0.5);
    for (const char* bad : {"", " ", "abc", "1.2.3", "1e", "--1", "1 2", "2,5"}) {
        double v = 42;
        EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
        EXPECT_EQ(v, 42) << "a refused text leaves the value";
    }
    try {
        StrToFloat("x1");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid floating point value");
    }
}

// Settings, script lines and values typed in grids read "." and "," alike, whatever the
// process separator is; the rest of the grammar is the same as for operator fields.
TEST(FloatFormat, PointOrCommaReadsEitherSeparator)
{
    const struct {
        const char* Text;
        double Value;
    } good[] = {{"12.5", 12.5}, {"12,5", 12.5}, {" -3 ", -3},     {"1e3", 1000},
                {"+0,5", 0.5},  {",5", 0.5},    {"2.5\r\n", 2.5}, {"-1,5E-2", -0.015}};
    // Two separators, a sign after a sign, the words and forms from_chars or strtod would
    // take on their own, and a value beyond the double range are not numbers.
    const char* const bad[] = {"",    "abc", "1.2.3", "1,5.5", "12x",   "+-1",  "-+1",
                               "nan", "inf", "-INF",  "0x10",  "1e999", "1 ,5", "."};
    for (char process : {'.', ','}) {
        TSeparators use(process, process == '.' ? ',' : '.');
        for (const auto& c : good) {
            double v = 0;
            EXPECT_TRUE(TryStrToFloat(c.Text, v, dsPointOrComma)) << c.Text;
            EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
            EXPECT_DOUBLE_EQ(StrToFloat(c.Text, dsPointOrComma), c.Value) << c.Text;
        }
        for (const char* text : bad) {
            double v = 42;
            EXPECT_FALSE(TryStrToFloat(text, v, dsPointOrComma)) << text;
            EXPECT_EQ(v, 42) << text;
            EXPECT_THROW(StrToFloat(text, dsPointOrComma), EConvertError) << text;
            EXPECT_EQ(StrToFloatDef(text, 7, dsPointOrComma), 7) << text;
        }
        // The operator's fields keep reading only the process separator.
        double v = 0;
        EXPECT_FALSE(TryStrToFloat(process == '.' ? "12,5" : "12.5", v));
    }
}

// The separator comes from the system locale named in the environment. A fresh process
// is needed because the locale is read once per process.
TEST(FloatFormat, StartsWithTheSystemLocaleSeparator)
{
    if (std::getenv("ZEL_FLOAT_CHILD")) {
        std::printf("separator[%c]\n", GetDecimalSeparator());
        std::printf("text[%s]\n", FloatToStrF(2.5, ffFixed, 12, 1).c_str());
        return;
    }
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    struct Locale {
        const char* Name;
        const char* Expected;
    };
    for (const Locale& l :
         {Locale{"C", "separator[.]\ntext[2.5]\n"}, Locale{"de_DE.UTF-8", "separator[,]\ntext[2,5]\n"}}) {
        const std::string command =
            std::string("env ZEL_FLOAT_CHILD=1 LC_ALL=") + l.Name + " LANG=" + l.Name + " '" + self +
            "' --gtest_filter=FloatFormat.StartsWithTheSystemLocaleSeparator 2>/dev/null | grep -E '^(separator|text)'";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        ASSERT_TRUE(pipe);
        std::string output;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
        EXPECT_EQ(output, l.Expected) << l.Name;
    }
}
