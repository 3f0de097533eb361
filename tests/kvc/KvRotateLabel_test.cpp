// The rotated label: angles brought into range, auto-size to the turned text, and the
// picture of the caption at 0 and 90 degrees.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WidgetInput.h"
#include "kvc/KvRotateLabel.h"
#include "kvc/KvServiceFuncs.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;

namespace {

struct TRotateLabelFixture : ::testing::Test {
    void SetUp() override
    {
        Form = WidgetInput::NewForm(30, 30, 300, 300);
        Label = WidgetInput::PlaceOn<TKvRotateLabel>(Form, 10, 10, 65, 17);
        Label->SetColor(clWhite);
        Label->Font()->SetColor(clBlack);
        Label->Font()->SetHeight(-16);
        WidgetInput::ShowLoaded(Form);
    }
    void TearDown() override { FreeForm(Form); }
    // Bounds of the dark pixels of the last picture.
    TRect Ink() const
    {
        const TBitmap& picture = Label->Picture();
        TRect r{1 << 20, 1 << 20, -1, -1};
        for (int y = 0; y < picture.GetHeight(); ++y)
            for (int x = 0; x < picture.GetWidth(); ++x)
                if (GetRValue(picture.Canvas()->GetPixel(x, y)) < 128) {
                    r.Left = std::min(r.Left, x);
                    r.Top = std::min(r.Top, y);
                    r.Right = std::max(r.Right, x + 1);
                    r.Bottom = std::max(r.Bottom, y + 1);
                }
        return r;
    }
    TSize Turned(int Angle, const std::string& Text) const
    {
        TBitmap measure;
        measure.SetSize(1, 1);
        measure.Canvas()->Font()->Assign(*Label->Font());
        TSize size;
        CalcTextSize(measure.Canvas(), size, Angle, Text);
        return size;
    }
    TForm* Form = nullptr;
    TKvRotateLabel* Label = nullptr;
};

TEST_F(TRotateLabelFixture, AnglesAreBroughtIntoRange)
{
    struct Case {
        int Set;
        int Stored;
    } cases[] = {{-30, 330}, {720, 360}, {360, 360}, {90, 90}, {-400, 320}, {0, 0}};
    for (const Case& c : cases) {
        Label->SetEscapement(c.Set);
        EXPECT_EQ(Label->GetAngle(), c.Stored) << c.Set;
    }
    EXPECT_EQ(Label->Font()->GetName(), "Arial");
    Label->SetTextStyle(tsRaised);
    EXPECT_EQ(Label->GetTextStyle(), tsRaised);
}

TEST_F(TRotateLabelFixture, AutoSizeTakesTheTurnedTextExtent)
{
    Label->SetCaption("Pressure");
    const TSize flat = Turned(0, "Pressure");
    EXPECT_EQ(Label->GetWidth(), flat.cx);
    EXPECT_EQ(Label->GetHeight(), flat.cy);
    Label->SetEscapement(90);
    const TSize upright = Turned(90, "Pressure");
    EXPECT_EQ(Label->GetWidth(), upright.cx);
    EXPECT_EQ(Label->GetHeight(), upright.cy);
    EXPECT_GT(Label->GetHeight(), Label->GetWidth());

    Label->SetAutoSize(false);
    Label->SetBounds(10, 10, 40, 40);
    Label->SetCaption("Much longer text");
    EXPECT_EQ(Label->GetWidth(), 40);
}

TEST_F(TRotateLabelFixture, CaptionIsDrawnAtItsAngle)
{
    Label->SetCaption("Pressure");
    Label->Repaint();
    const TRect flat = Ink();
    ASSERT_GT(flat.Width(), 0);
    EXPECT_GT(flat.Width(), 3 * flat.Height());
    EXPECT_EQ(Label->Picture().Canvas()->GetPixel(0, 0), clWhite);

    Label->SetEscapement(90);
    Label->Repaint();
    const TRect upright = Ink();
    ASSERT_GT(upright.Height(), 0);
    EXPECT_GT(upright.Height(), 3 * upright.Width());
    // The same text turned: its length is kept within a pixel or two.
    EXPECT_NEAR(upright.Height(), flat.Width(), 2);
}

}  // namespace
