// The dipper position window: what each of its three bars shows for the values the
// deposition window feeds it (split, colours on both sides of the split, caption), the
// cases without a range, and its placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/base/IniFiles.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/core/ProgramFixture.h"
#include "zel/trough/Udepposinfo.h"

namespace {

constexpr int H = 207;

class TDepPosInfoTest : public TProgramFolderFixture {
protected:
    void SetUp() override
    {
        StartCommon("");
        SavedMin = CalibrateParam.surface.GetSquareMin();
        SavedMax = CalibrateParam.surface.GetSquareMax();
        Window = CreateForm<TFDepPosInfo>(nullptr);
        FDepPosInfo = Window;
    }
    void TearDown() override
    {
        TProgramFolderFixture::TearDown();
        CalibrateParam.surface.SetSquareMin(SavedMin);
        CalibrateParam.surface.SetSquareMax(SavedMax);
    }
    // The colour of a bar's picture as last drawn, beside the caption (which sits in the
    // middle of the bar) and inside the frame.
    static TColor At(KVC::TKvBufferedImage* View, int Y) { return View->Buffer().Canvas()->GetPixel(2, Y); }
    // The colours just above and just below a split inside the bar.
    static void ExpectSplit(KVC::TKvBufferedImage* View, int Split, TColor Upper, TColor Lower, const std::string& What)
    {
        // Rows 0 and H - 1 belong to the frame.
        if (Split >= 3) {
            EXPECT_EQ(At(View, Split - 2), Upper) << What;
        }
        if (Split + 1 <= H - 2) {
            EXPECT_EQ(At(View, std::max(Split, 0) + 1), Lower) << What;
        }
        EXPECT_EQ(View->Buffer().Canvas()->GetPixel(0, Split < H - 1 ? Split : 0), clBlack) << What << " frame";
    }

    TFDepPosInfo* Window = nullptr;
    double SavedMin = 0, SavedMax = 0;
};

TEST_F(TDepPosInfoTest, DipperBarFollowsTheDipperFromTheUpperToTheLowerLevel)
{
    struct Case {
        int Up, Down, Pos;
        int Split;  // rows of the upper (blue) part
        const char* Caption;
    };
    const Case cases[] = {
        {1000, 3000, 1500, 51, "Dip: 25.0%"},
        {1000, 3000, 1000, 0, "Dip: 0.0%"},
        {1000, 3000, 3000, 207, "Dip: 100.0%"},
        {1000, 3000, 1001, 0, "Dip: 0.1%"},
        {1000, 3000, 500, 0, "Dip: -25.0%"},                  // above the upper level: all red
        {1000, 3000, 4000, 207, "Dip: 150.0%"},               // below the lower level: all blue
        {3000, 1000, 2500, 51, "Dip: 25.0%"},                 // levels the other way round, same way down
        {3000, 1000, 3500, 0, "Dip: -25.0%"},                 // beyond the upper level of those
        {2000, 2000, 2500, 0, "Dip: 0.0%"},                   // equal levels: no range
        {-2147483647 - 1, 2147483647, 0, 103, "Dip: 50.0%"},  // the widest raw range
    };
    for (const Case& c : cases) {
        Window->SetDipPos(0, c.Up);
        Window->SetDipPos(1, c.Down);
        Window->SetDipPos(2, c.Pos);
        const std::string what = std::to_string(c.Up) + "/" + std::to_string(c.Down) + "/" + std::to_string(c.Pos);
        const TDepBar bar = Window->DipBar();
        EXPECT_EQ(bar.Caption, c.Caption) << what;
        EXPECT_EQ(std::clamp(bar.Split, 0, H), c.Split) << what;
        EXPECT_EQ(Window->imgDipPos->Buffer().GetWidth(), 26);
        EXPECT_EQ(Window->imgDipPos->Buffer().GetHeight(), H);
        ExpectSplit(Window->imgDipPos, c.Split, clBlue, clRed, what);
        if (c.Split == 0) {
            EXPECT_EQ(At(Window->imgDipPos, 2), clRed) << what;
        }
        if (c.Split == H) {
            EXPECT_EQ(At(Window->imgDipPos, H - 3), clBlue) << what;
        }
    }
    // The caption is drawn upright in white across the split, in both halves of the bar.
    Window->SetDipPos(0, 0);
    Window->SetDipPos(1, 1000);
    Window->SetDipPos(2, 500);
    const TCanvas* canvas = Window->imgDipPos->Buffer().Canvas();
    int white = 0, whiteAbove = 0;
    for (int y = 1; y < H - 1; ++y)
        for (int x = 1; x < 25; ++x)
            if (canvas->GetPixel(x, y) == clWhite) {
                ++white;
                if (y < 103) ++whiteAbove;
            }
    EXPECT_GT(whiteAbove, 0);
    EXPECT_GT(white - whiteAbove, 0);
    Window->SetDipPos(0, -2147483647 - 1);
    Window->SetDipPos(1, 2147483647);
    Window->SetDipPos(2, 0);
    // Only 0, 1 and 2 choose a value.
    Window->SetDipPos(3, 99);
    Window->SetDipPos(-1, 99);
    EXPECT_EQ(Window->DipUpPos, -2147483647 - 1);
    EXPECT_EQ(Window->DipDownPos, 2147483647);
    EXPECT_EQ(Window->DipPos, 0);
}

TEST_F(TDepPosInfoTest, StrokeBarCountsFromTheFirstStrokeToTheLast)
{
    // Before a run: no strokes, the whole bar purple.
    EXPECT_EQ(Window->StepBar().Caption, "Layer: 0% (1 of 0)");
    Window->SetLayerStep(1, 3);
    EXPECT_EQ(Window->StepBar().Split, 0);
    Window->imgStepPos->Display();
    EXPECT_EQ(At(Window->imgStepPos, 2), clPurple);

    struct Case {
        int Which, Value;
        int Split;  // rows of the upper (grey) part
        const char* Caption;
    };
    const Case cases[] = {
        {0, 6, 207, "Layer: 0% (1 of 6)"},  // START: stroke 1 of 6, nothing done
        {1, 1, 172, "Layer: 16% (2 of 6)"}, {1, 3, 103, "Layer: 50% (4 of 6)"},
        {1, 5, 34, "Layer: 83% (6 of 6)"},  // the last stroke
        {0, 4, 207, "Layer: 0% (1 of 4)"},  // a new run starts again at its first stroke
    };
    for (const Case& c : cases) {
        Window->SetLayerStep(c.Which, c.Value);
        const TDepBar bar = Window->StepBar();
        EXPECT_EQ(bar.Caption, c.Caption);
        EXPECT_EQ(bar.Split, c.Split) << c.Caption;
        ExpectSplit(Window->imgStepPos, c.Split, clGray, clPurple, c.Caption);
    }
    EXPECT_EQ(Window->LayerCount, 4);
    EXPECT_EQ(Window->LayerDone, 0);
}

TEST_F(TDepPosInfoTest, WorkAreaBarShowsTheAreaLeftAboveTheReserve)
{
    CalibrateParam.surface.SetSquareMin(100);
    CalibrateParam.surface.SetSquareMax(600);
    int reserve = 15;
    Window->WarningDeltaSquareSource = [&reserve] { return reserve; };
    struct Case {
        double Area;
        int Split;  // rows of the upper (grey) part
        const char* Caption;
    };
    const Case cases[] = {
        {357.5, 103, "Work area: 50%"},  // halfway between 115 and 600
        {600, 0, "Work area: 100%"},    {115, 207, "Work area: 0%"}, {50, 207, "Work area: 0%"},  // below the reserve
        {697, 0, "Work area: 120%"},  // above the largest area
        {163.5, 186, "Work area: 10%"},
    };
    for (const Case& c : cases) {
        Window->SetWorkArea(c.Area);
        const TDepBar bar = Window->WorkAreaBar();
        EXPECT_EQ(bar.Caption, c.Caption) << c.Area;
        EXPECT_EQ(std::clamp(bar.Split, 0, H), c.Split) << c.Area;
        ExpectSplit(Window->imgWorkArea, c.Split, clGray, clGreen, c.Caption);
    }
    // Reserve and least area together as large as the largest area: no range, all green.
    reserve = 500;
    Window->SetWorkArea(300);
    EXPECT_EQ(Window->WorkAreaBar().Caption, "Work area: 0%");
    EXPECT_EQ(Window->WorkAreaBar().Split, 0);
    EXPECT_EQ(At(Window->imgWorkArea, 2), clGreen);
    // Without the deposition window there is no reserve.
    Window->WarningDeltaSquareSource = nullptr;
    Window->SetWorkArea(350);
    EXPECT_EQ(Window->WorkAreaBar().Caption, "Work area: 50%");
}

TEST_F(TDepPosInfoTest, HiddenStayOnTopWindowOfThreeBarsKeepingItsPosition)
{
    EXPECT_FALSE(Window->GetVisible());
    EXPECT_EQ(Window->GetCaption(), "");
    EXPECT_EQ(Window->GetFormStyle(), fsStayOnTop);
    int left = 0;
    for (KVC::TKvBufferedImage* view : {Window->imgDipPos, Window->imgStepPos, Window->imgWorkArea}) {
        EXPECT_EQ(view->GetLeft(), left) << view->Name;
        EXPECT_EQ(view->GetWidth(), 26) << view->Name;
        EXPECT_EQ(view->GetHeight(), H) << view->Name;
        left += 26;
    }
    Window->Show();
    Window->SetBounds(140, 120, Window->GetWidth(), Window->GetHeight());
    DestroyForms();
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_TRUE(ini.ValueExists("DepPosInfo", "NormPos"));
    Window = CreateForm<TFDepPosInfo>(nullptr);
    Window->Show();
    EXPECT_EQ(Window->GetLeft(), 140);
    EXPECT_EQ(Window->GetTop(), 120);
}

}  // namespace
