// The numbers of generated scripts: every double, however large or not a number, becomes
// a defined count of hundredths and a text, and the values of real fields keep the text
// they always had.
#include "zel/trough/Scripttext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ScriptText, EveryDoubleBecomesDefinedHundredthsAndText)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::string held = "40000000000000000.00";
    struct Case {
        double Value;
        std::int64_t Hundredths;
        std::string Text;
    };
    const Case cases[] = {
        {20, 2000, "20.00"},
        {-0.05, -5, "-0.05"},
        {0.004, 0, "0.00"},
        {-2.5, -250, "-2.50"},
        {12345678.91, 1234567891, "12345678.91"},
        {std::nan(""), 0, "0.00"},
        {inf, MaxHundredths, held},
        {-inf, -MaxHundredths, "-" + held},
        {1e300, MaxHundredths, held},
        {-1e300, -MaxHundredths, "-" + held},
        {3e38, MaxHundredths, held},
        {-1e17, -MaxHundredths, "-" + held},
        {std::numeric_limits<double>::denorm_min(), 0, "0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(Hundredths(c.Value), c.Hundredths);
        EXPECT_EQ(HundredthsText(Hundredths(c.Value)), c.Text);
    }
    // The difference of the two extremes, as a generator takes it for a move, still fits.
    EXPECT_EQ(Hundredths(1e300) - Hundredths(-1e300), 2 * MaxHundredths);
}

TEST(ScriptText, TheWholeIntegerRangeIsWritten)
{
    EXPECT_EQ(HundredthsText(std::numeric_limits<std::int64_t>::min()), "-92233720368547758.08");
    EXPECT_EQ(HundredthsText(std::numeric_limits<std::int64_t>::max()), "92233720368547758.07");
    EXPECT_EQ(HundredthsText(-1), "-0.01");
    EXPECT_EQ(ScriptLine("DipperMoveDown", -MaxHundredths), "DipperMoveDown -40000000000000000.00");
    EXPECT_EQ(ScriptCountLine("Pause", std::numeric_limits<long long>::min()), "Pause -9223372036854775808");
}

}  // namespace
