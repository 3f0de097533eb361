// The group box: collapse and expand from code and by its button, the caption band for
// each width rule, the client area left to children, and the button's plus and minus.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvGroupBox.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

using namespace KVC;

namespace {

struct TGroupBoxFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 400, 300);
        Box = WidgetInput::PlaceOn<TKvGroupBox>(Form, 20, 30, 185, 105);
        WidgetInput::ShowLoaded(Form);
    }
    void TearDown() override { FreeForm(Form); }
    TColor Pixel(int X, int Y) const { return Box->Picture().Canvas()->GetPixel(X, Y); }
    TForm* Form = nullptr;
    TKvGroupBox* Box = nullptr;
};

TEST_F(TGroupBoxFixture, CollapseKeepsTheCaptionSideAndExpandRestores)
{
    struct Case {
        TKvCaptionPosition Position;
        TRect Collapsed;
    } cases[] = {
        {cpTop, Rect(20, 30, 205, 42)},     {cpLeft, Rect(20, 30, 32, 135)},  {cpBottom, Rect(20, 123, 205, 135)},
        {cpRight, Rect(193, 30, 205, 135)}, {cpNone, Rect(20, 30, 205, 135)},
    };
    for (const Case& c : cases) {
        Box->SetCaptionPosition(c.Position);
        Box->SetExpanded(false);
        EXPECT_EQ(Box->BoundsRect(), c.Collapsed) << c.Position;
        EXPECT_FALSE(Box->GetExpanded());
        Box->SetExpanded(false);
        EXPECT_EQ(Box->BoundsRect(), c.Collapsed) << c.Position;
        Box->SetExpanded(true);
        EXPECT_EQ(Box->BoundsRect(), Rect(20, 30, 205, 135)) << c.Position;
    }
}

TEST_F(TGroupBoxFixture, ButtonTogglesAndShowsPlusWhenCollapsed)
{
    Box->SetButtonPosition(bpRight);
    Box->Repaint();
    // A square of 12 - 4 at (185 - 3 - 8, 2).
    const TRect button = Box->ButtonRect();
    EXPECT_EQ(button, Rect(174, 2, 182, 10));
    const int midX = 178, midY = 6;
    EXPECT_EQ(Pixel(174, 2), clWhite);
    EXPECT_EQ(Pixel(176, midY), clWhite);
    EXPECT_EQ(Pixel(midX, 4), ColorToRGB(clNavy));
    // A release of any button inside it collapses; a release elsewhere does nothing.
    WidgetInput::Click(Box, 100, 50);
    EXPECT_TRUE(Box->GetExpanded());
    WidgetInput::Click(Box, midX, midY, Qt::RightButton);
    EXPECT_FALSE(Box->GetExpanded());
    EXPECT_EQ(Box->GetHeight(), 12);
    Box->Repaint();
    EXPECT_EQ(Pixel(midX, 4), clWhite);
    WidgetInput::Click(Box, midX, midY);
    EXPECT_TRUE(Box->GetExpanded());
    EXPECT_EQ(Box->GetHeight(), 105);
}

TEST_F(TGroupBoxFixture, CaptionBandForEachWidthRule)
{
    Box->SetCaption("Pump");
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font()->Assign(*Box->CaptionFont());
    const int t = measure.Canvas()->TextWidth("Pump");
    ASSERT_GT(t, 0);
    struct Case {
        TKvCaptionWidth Width;
        TAlignment Alignment;
        TRect Band;
    } cases[] = {
        {cwLine, taLeftJustify, Rect(0, 0, 185, 12)},
        {cwAutosize, taLeftJustify, Rect(0, 0, 3 + t + 3, 12)},
        {cwAutosize, taRightJustify, Rect(182 - 3 - t, 0, 185, 12)},
        {cwAutosize, taCenter, Rect(92 - t / 2 - 3, 0, 92 - t / 2 - 3 + t + 6, 12)},
        {cwFixed, taLeftJustify, Rect(0, 0, 50, 12)},
        {cwFixed, taRightJustify, Rect(135, 0, 185, 12)},
        {cwFixed, taCenter, Rect(67, 0, 117, 12)},
    };
    Box->SetCaptionFixedWidth(50);
    for (const Case& c : cases) {
        Box->SetCaptionWidth(c.Width);
        Box->SetCaptionAlignment(c.Alignment);
        Box->Repaint();
        EXPECT_EQ(Box->CaptionBandRect(), c.Band) << c.Width << " " << c.Alignment;
        const TRect band = Box->CaptionBandRect();
        EXPECT_EQ(Pixel(band.Left, 6), RGB(160, 150, 131));
        EXPECT_EQ(Pixel(band.Right - 1, 6), RGB(160, 150, 131));
        if (band.Right < 180) {
            EXPECT_EQ(Pixel(band.Right + 1, 6), ColorToRGB(clBtnFace));
        }
    }
    // Some of the caption's white text lies inside the band.
    Box->SetCaptionWidth(cwLine);
    Box->SetCaptionAlignment(taLeftJustify);
    Box->Repaint();
    int white = 0;
    for (int x = 3; x < 3 + t; ++x)
        for (int y = 1; y < 11; ++y) white += Pixel(x, y) == clWhite;
    EXPECT_GT(white, 5);
    // The frame of the expanded box.
    EXPECT_EQ(Pixel(0, 60), RGB(160, 150, 131));
    EXPECT_EQ(Pixel(184, 60), RGB(160, 150, 131));
    EXPECT_EQ(Pixel(100, 60), ColorToRGB(clBtnFace));
}

TEST_F(TGroupBoxFixture, VerticalBandReadsUpwards)
{
    Box->SetCaption("Speed");
    Box->SetCaptionPosition(cpLeft);
    Box->SetCaptionWidth(cwAutosize);
    Box->SetButtonPosition(bpLeft);
    Box->Repaint();
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font()->Assign(*Box->CaptionFont());
    const int t = measure.Canvas()->TextWidth("Speed");
    // Text area (0, 3, 12, 102) shortened at the bottom by the button (8) and the margin.
    EXPECT_EQ(Box->CaptionBandRect(), Rect(0, 91 - 3 - t, 12, 105));
    EXPECT_EQ(Box->ButtonRect(), Rect(2, 94, 10, 102));
}

TEST_F(TGroupBoxFixture, ChildrenGetTheAreaInsideBandAndFrame)
{
    auto* panel = new TPanel(Form);
    panel->SetParent(Box);
    panel->SetAlign(alClient);
    Box->AlignControls();
    EXPECT_EQ(panel->BoundsRect(), Rect(1, 13, 184, 104));
    Box->SetCaptionPosition(cpRight);
    EXPECT_EQ(panel->BoundsRect(), Rect(1, 1, 172, 104));
    TPen wide;
    wide.SetWidth(3);
    Box->SetCaptionPen(&wide);
    EXPECT_EQ(panel->BoundsRect(), Rect(3, 3, 170, 102));
    Box->SetCaptionWidth(cwAutosize);
    EXPECT_EQ(panel->BoundsRect(), Rect(3, 3, 182, 102));
    Box->SetCaptionPen(nullptr);
    EXPECT_EQ(Box->CaptionPen()->GetWidth(), 3);

    // Without a border an axis is inset only when the caption lies on its sides.
    TPen none;
    none.SetWidth(0);
    Box->SetBorderPen(&none);
    EXPECT_EQ(Box->BorderPen()->GetWidth(), 0);
    Box->AlignControls();
    EXPECT_EQ(panel->BoundsRect(), Rect(3, 0, 182, 105));
    Box->SetCaptionPosition(cpTop);
    Box->AlignControls();
    EXPECT_EQ(panel->BoundsRect(), Rect(0, 3, 185, 102));
}

}  // namespace
