// The vessel platform's cell map and the dipper platform's ring positions, loaded from
// settings files written to disk.
#include <gtest/gtest.h>

#include <limits>
#include "TestSupport.h"
#include "zel/core/ClbTestSupport.h"
#include "zel/core/Clb_revolver.h"

namespace {

// Rings of 12 and 8 cells.
void LoadTwoRings(TRevolver& Revolver)
{
    LoadUnit(Revolver, "revolver",
             "revolver.countRings=2\nrevolver.ring1.countCells=12\nrevolver.ring2.countCells=8\n");
}

void LoadThreePositions(TDipperRotator& Rotator)
{
    LoadUnit(Rotator, "dipperRotator",
             "dipperRotator.countRings=2\n"
             "dipperRotator.ring0.ringPos=100\n"
             "dipperRotator.ring1.ringPos=5000\n"
             "dipperRotator.ring2.ringPos=9000\n"
             // 45 degrees of 400 steps per revolution: 50 steps
             "dipperRotator.positionThreshold=45\n");
}

}  // namespace

TEST(Revolver, CellsLieOnTheirRingsInOrder)
{
    TRevolver revolver;
    LoadTwoRings(revolver);
    EXPECT_EQ(revolver.GetTotalCells(), 20);
    struct Case {
        int cell, ring, place;
    };
    const Case cases[] = {{1, 1, 1}, {12, 1, 12}, {13, 2, 1}, {20, 2, 8}};
    for (const Case& c : cases) {
        int place = -99;
        EXPECT_EQ(revolver.CellToRing(c.cell, &place), c.ring) << c.cell;
        EXPECT_EQ(place, c.place) << c.cell;
        EXPECT_EQ(revolver.CellToRing(c.cell, nullptr), c.ring) << c.cell;
    }
    int untouched = -99;
    EXPECT_EQ(revolver.CellToRing(0, &untouched), 0);
    EXPECT_EQ(untouched, -99);
    EXPECT_EQ(revolver.CellToRing(-3, &untouched), 0);
    EXPECT_EQ(revolver.CellToRing(21, nullptr), -1);
    EXPECT_EQ(revolver.CellToRing(std::numeric_limits<int>::max(), nullptr), -1);
}

TEST(Revolver, CellAnglesAndNearestCells)
{
    TRevolver revolver;
    LoadTwoRings(revolver);
    struct Angle {
        int cell, degrees;
    };
    const Angle angles[] = {{1, 0}, {2, 30}, {12, 330}, {13, 0}, {14, 45}, {20, 315}, {21, 0}, {0, 0}, {-1, 0}};
    for (const Angle& a : angles) EXPECT_EQ(revolver.CellAngle(a.cell), a.degrees) << a.cell;

    struct Nearest {
        int ring, position, place;
    };
    const Nearest nearest[] = {{1, 0, 1},  {1, 14, 1}, {1, 15, 2}, {1, 44, 2}, {1, 359, 12},
                               {2, 90, 3}, {3, 0, 0},  {0, 0, 0},  {-1, 0, 0}, {1, -1, 12}};
    for (const Nearest& n : nearest)
        EXPECT_EQ(revolver.AngleToCell(n.ring, n.position), n.place) << n.ring << " " << n.position;
}

TEST(Revolver, RingCountIsHeldToTenAndEmptyRingsHaveAngleOne)
{
    std::string keys = "r.countRings=12\n";
    for (int ring = 1; ring <= 12; ++ring) keys += "r.ring" + std::to_string(ring) + ".countCells=2\n";
    keys += "r.ring3.countCells=0\n";  // a later duplicate key is not read
    TRevolver revolver;
    LoadUnit(revolver, "r", keys);
    EXPECT_EQ(revolver.GetTotalCells(), 20);
    EXPECT_EQ(revolver.CellToRing(21, nullptr), -1);
    EXPECT_EQ(revolver.CellAngle(20), 180);

    TRevolver empty;
    LoadUnit(empty, "r", "r.countRings=2\nr.ring1.countCells=0\nr.ring2.countCells=-4\n");
    EXPECT_EQ(empty.GetTotalCells(), 0);
    EXPECT_EQ(empty.AngleToCell(1, 50), 0);  // no cell on the ring
    EXPECT_EQ(empty.CellToRing(1, nullptr), -1);

    TRevolver negative;
    LoadUnit(negative, "r", "r.countRings=-3\nr.ring1.countCells=5\n");
    EXPECT_EQ(negative.GetTotalCells(), 0);
    EXPECT_EQ(negative.AngleToCell(1, 0), 0);
}

TEST(Revolver, OneCellRingHasAngle360)
{
    TRevolver revolver;
    LoadUnit(revolver, "r", "r.countRings=1\nr.ring1.countCells=1\n");
    EXPECT_EQ(revolver.CellAngle(1), 0);
    EXPECT_EQ(revolver.AngleToCell(1, 300), 1);
}

TEST(Revolver, SavesNothing)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TIniFile ini(file);
    TRevolver revolver;
    LoadTwoRings(revolver);
    revolver.Save(&ini, "CalibrateParam");
    EXPECT_FALSE(FileExists(file) && ini.SectionExists("CalibrateParam"));
}

TEST(DipperRotator, FindsTheStoredPositionWithinTheThreshold)
{
    TDipperRotator rotator;
    LoadThreePositions(rotator);
    EXPECT_EQ(rotator.GetPositionThreshold(), 50);
    struct Case {
        int position, index;
    };
    const Case cases[] = {{5030, 1},
                          {5050, 1},
                          {5051, -1},
                          {9000, 2},
                          {120, 0},
                          {50, 0},
                          {7000, -1},
                          {std::numeric_limits<int>::min(), -1},
                          {std::numeric_limits<int>::max(), -1}};
    for (const Case& c : cases) EXPECT_EQ(rotator.FindRing(c.position), c.index) << c.position;
}

TEST(DipperRotator, RingIndexIsHeldToTheStoredRange)
{
    TDipperRotator rotator;
    LoadThreePositions(rotator);
    EXPECT_EQ(rotator.GetRingPos(-1), 100);
    EXPECT_EQ(rotator.GetRingPos(0), 100);
    EXPECT_EQ(rotator.GetRingPos(2), 9000);
    EXPECT_EQ(rotator.GetRingPos(3), 9000);
    EXPECT_EQ(rotator.GetRingPos(std::numeric_limits<int>::max()), 9000);
    rotator.SetRingPos(7, 9100);
    EXPECT_EQ(rotator.GetRingPos(2), 9100);
    rotator.SetRingPos(-5, 90);
    EXPECT_EQ(rotator.GetRingPos(0), 90);
    EXPECT_EQ(rotator.GetRingPos(1), 5000);
}

TEST(DipperRotator, TenRingsKeepElevenPositionsAndTheThresholdApart)
{
    std::string keys = "d.countRings=10\nd.positionThreshold=0\n";
    for (int index = 0; index <= 10; ++index)
        keys += "d.ring" + std::to_string(index) + ".ringPos=" + std::to_string(1000 * index + 7) + "\n";
    TDipperRotator rotator;
    LoadUnit(rotator, "d", keys);
    EXPECT_EQ(rotator.GetCountRings(), 10);
    EXPECT_EQ(rotator.GetPositionThreshold(), 0);
    for (int index = 0; index <= 10; ++index) {
        EXPECT_EQ(rotator.GetRingPos(index), 1000 * index + 7);
        EXPECT_EQ(rotator.FindRing(1000 * index + 7), index);
    }
    EXPECT_EQ(rotator.FindRing(1008), -1);
}

TEST(DipperRotator, EmptyThresholdIsFiveDegreesInSteps)
{
    TDipperRotator rotator;
    LoadUnit(rotator, "d", "d.positionThreshold=\n");
    EXPECT_EQ(rotator.GetPositionThreshold(), 5);  // 5/360 of 400 steps, cut toward zero
    TDipperRotator geared;
    LoadUnit(geared, "d", "d.gear=0,5\nd.positionThreshold=4,5\n");
    EXPECT_EQ(geared.GetPositionThreshold(), 10);  // 4.5/360 turn of the output is 10 motor steps
}

TEST(DipperRotator, SavesRingPositionsThenItsGearKeys)
{
    TTempDir dir;
    const std::string file = dir.File("zel.ini");
    TDipperRotator rotator;
    LoadThreePositions(rotator);
    rotator.SetRingPos(1, -4000);
    TIniFile ini(file);
    rotator.Save(&ini, "CalibrateParam");
    EXPECT_EQ(ReadFileText(file),
              "[CalibrateParam]\n"
              "dipperRotator.ring0.ringPos=100\n"
              "dipperRotator.ring1.ringPos=-4000\n"
              "dipperRotator.ring2.ringPos=9000\n"
              "dipperRotator.gear=1\n"
              "dipperRotator.hwMin=0\n"
              "dipperRotator.hwMax=2147483647\n"
              "dipperRotator.zeroHw=0\n");
}

TEST(TurningPlatform, ConvertsDegrees)
{
    TDipperRotator rotator;
    EXPECT_DOUBLE_EQ(rotator.HwToShDelta(400), 360);
    EXPECT_DOUBLE_EQ(rotator.ShToHwDelta(90), 100);
    EXPECT_DOUBLE_EQ(rotator.CodeToSpeed(rotator.SpeedToCode(21600)), 21600);
    EXPECT_EQ(rotator.SpeedToCode(21600), 65248);
    EXPECT_DOUBLE_EQ(rotator.GetMaxSpeed(), 120 * 360);
    EXPECT_DOUBLE_EQ(rotator.GetMinSpeed(), 0.6 * 360);
    EXPECT_EQ(rotator.GetShMin(), 0);
    EXPECT_EQ(rotator.GetShMax(), 360);
    EXPECT_EQ(rotator.GetShRange(), 360);
    rotator.SetShMax(10);
    rotator.SetShMin(5);
    rotator.SetShRange(1);
    EXPECT_EQ(rotator.GetShMax(), 360);
    EXPECT_EQ(rotator.GetHwMax(), 2147483647);  // the device limits stay the motor's
    double speed = 1e9;
    EXPECT_TRUE(rotator.NormalizeSpeed(&speed));
    EXPECT_DOUBLE_EQ(speed, 120 * 360);

    TRevolver revolver;
    LoadUnit(revolver, "r", "r.gear=2\nr.zeroHw=100\n");
    EXPECT_DOUBLE_EQ(revolver.ShToHw(360), 300);  // one output turn is half a motor turn
    EXPECT_DOUBLE_EQ(revolver.HwToSh(300), 360);
    EXPECT_DOUBLE_EQ(revolver.SpeedToCode(2 * 21600), 65248);
}
