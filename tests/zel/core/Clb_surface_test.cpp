// The trough-area unit over two barrier drive units.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include "TestSupport.h"
#include "zel/core/Clb_motor.h"
#include "zel/core/Clb_surface.h"

namespace {

// A surface unit and its barriers (400 steps per mm) loaded from Keys.
struct TTrough {
    TLinearMotion barrier1;
    TLinearMotion barrier2;
    TClbSurface surface;

    explicit TTrough(const std::string& Keys)
    {
        TTempDir dir;
        const std::string file = dir.File("zel.ini");
        WriteFileText(file, "[CalibrateParam]\n" + Keys);
        TIniFile ini(file);
        barrier1.SetName("barrier1");
        barrier2.SetName("barrier2");
        surface.SetName("surface");
        barrier1.Load(&ini, "CalibrateParam", nullptr);
        barrier2.Load(&ini, "CalibrateParam", nullptr);
        surface.Load(&ini, "CalibrateParam", nullptr);
        surface.SetBarriers(&barrier1, &barrier2);
    }
};

}  // namespace

TEST(ClbSurface, AreaAndBarrierPositions)
{
    TTrough trough("surface.length=10\nsurface.squareMax=600\n");
    EXPECT_DOUBLE_EQ(trough.surface.AreaToPosition(500), 20000);
    EXPECT_DOUBLE_EQ(trough.surface.PositionToArea(20000, 20000), 500);
    EXPECT_DOUBLE_EQ(trough.surface.ShToHw(500), 20000);
    EXPECT_DOUBLE_EQ(trough.surface.ShToHwDelta(500), 20000);
    // HwToSh takes barrier 2 at device position 0
    EXPECT_DOUBLE_EQ(trough.surface.HwToSh(20000), 550);
    EXPECT_DOUBLE_EQ(trough.surface.HwToShDelta(20000), 550);
}

TEST(ClbSurface, OnlyBarrierOnesCalibrationGivesThePosition)
{
    TTrough trough(
        "barrier1.zeroHw=1000\nbarrier1.vintStep=2\nbarrier2.zeroHw=-300\n"
        "surface.length=12,5\nsurface.squareMax=800\n");
    EXPECT_DOUBLE_EQ(trough.surface.AreaToPosition(800), 1000);  // barrier 1's zero offset
    EXPECT_DOUBLE_EQ(trough.surface.PositionToArea(1000, -300), 800);
    // 100 cm² is 8 cm of travel, 40 mm per barrier, 8000 steps at 2 mm per revolution
    EXPECT_DOUBLE_EQ(trough.surface.AreaToPosition(700), 9000);
    EXPECT_DOUBLE_EQ(trough.surface.PositionToArea(9000, 16000 - 300), 800 - (40 + 40) * 0.1 * 12.5);
}

TEST(ClbSurface, ZeroLengthMapsEveryAreaToTheOpenTrough)
{
    TTrough trough("barrier1.zeroHw=1000\nsurface.length=0\nsurface.squareMax=600\n");
    EXPECT_EQ(trough.surface.GetLength(), 0);
    EXPECT_DOUBLE_EQ(trough.surface.AreaToPosition(500), 1000);
    EXPECT_DOUBLE_EQ(trough.surface.AreaToPosition(std::numeric_limits<double>::quiet_NaN()), 1000);
    EXPECT_DOUBLE_EQ(trough.surface.PositionToArea(5000, 5000), 600);
}

TEST(ClbSurface, WithoutBarriersConversionsGiveZero)
{
    TClbSurface surface;
    EXPECT_EQ(surface.AreaToPosition(50), 0);
    EXPECT_EQ(surface.PositionToArea(1, 2), 0);
    EXPECT_EQ(surface.GetHwMinSum(), 0);
    EXPECT_EQ(surface.GetHwMaxSum(), 0);
    TLinearMotion barrier;
    try {
        surface.SetBarriers(nullptr, &barrier);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Wrong barrier1 type");
    }
    try {
        surface.SetBarriers(&barrier, nullptr);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Wrong barrier2 type");
    }
    EXPECT_EQ(surface.AreaToPosition(50), 0);  // a refused pair leaves the barriers unset
}

TEST(ClbSurface, LimitSumsAddBothBarriers)
{
    TTrough trough("barrier1.hwMin=10\nbarrier1.hwMax=5000\nbarrier2.hwMin=20\nbarrier2.hwMax=6000\n");
    EXPECT_EQ(trough.surface.GetHwMinSum(), 30);
    EXPECT_EQ(trough.surface.GetHwMaxSum(), 11000);
    trough.surface.SetSquareMin(12.5);
    trough.surface.SetSquareMax(-1);
    EXPECT_EQ(trough.surface.GetSquareMin(), 12.5);
    EXPECT_EQ(trough.surface.GetSquareMax(), -1);
}

TEST(ClbSurface, KeysAndAssign)
{
    TTrough trough("surface.length=10\nsurface.squareMin=bad\nsurface.squareMax=600.5\n");
    EXPECT_EQ(trough.surface.GetSquareMin(), 0);
    EXPECT_EQ(trough.surface.GetSquareMax(), 600.5);
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TIniFile ini(file);
    trough.surface.Save(&ini, "S");
    EXPECT_EQ(ReadFileText(file), "[S]\nsurface.length=10\nsurface.squareMin=0\nsurface.squareMax=600.5\n");

    TClbSurface copy;
    copy.SetName("copy");
    copy.Assign(&trough.surface);
    EXPECT_EQ(copy.GetName(), "copy");
    EXPECT_DOUBLE_EQ(copy.AreaToPosition(500.5), 20000);  // barriers came along
    TClbLineUnit line;
    copy.Assign(&line);
    EXPECT_EQ(copy.GetSquareMax(), 600.5);
    // the module's line default never applies to the surface
    TClbSurface loaded;
    loaded.SetName("surface");
    TClbLineUnit moduleDefault(0, 65535, 0, 65535);
    loaded.Load(&ini, "S", &moduleDefault);
    EXPECT_EQ(loaded.GetSquareMax(), 600.5);
    EXPECT_TRUE(loaded.GetAutoRecalc());
}
