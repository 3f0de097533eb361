// The image base and the buffered image: when a change repaints, how the background is
// composed in each draw mode, and the bitmap file of the last picture.
#include <gtest/gtest.h>

#include <memory>
#include "TestSupport.h"
#include "WidgetInput.h"
#include <QImage>
#include <QWidget>
#include "kvc/KvBufferedImage.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

using namespace KVC;

namespace {

// A 4 x 3 background: red except a blue top-left pixel and a green bottom-right pixel.
void MakeBackground(TBitmap& Bitmap, int W = 4, int H = 3)
{
    Bitmap.SetPixelFormat(pf24bit);
    Bitmap.SetSize(W, H);
    Bitmap.Canvas()->Brush()->SetColor(clRed);
    Bitmap.Canvas()->FillRect(Rect(0, 0, W, H));
    Bitmap.Canvas()->SetPixel(0, 0, clBlue);
    Bitmap.Canvas()->SetPixel(W - 1, H - 1, clLime);
}

struct TImageFixture : ::testing::Test {
    void SetUp() override
    {
        Image = std::make_unique<TKvBufferedImage>(nullptr);
        Image->SetBounds(0, 0, 10, 8);
        Image->SetColor(clWhite);
        Image->OnPaint = [this](TObject*) { ++Paints; };
        Image->EndLoading();
    }
    TColor Pixel(int X, int Y) const { return Image->Buffer().Canvas()->GetPixel(X, Y); }
    std::unique_ptr<TKvBufferedImage> Image;
    int Paints = 0;
};

TEST_F(TImageFixture, ChangesRepaintOnlyWithAutoRefreshOrDisplay)
{
    EXPECT_FALSE(Image->GetAutoRefresh());
    Image->Change(nullptr);
    EXPECT_EQ(Paints, 0);
    Image->Display();
    EXPECT_EQ(Paints, 1);

    Image->SetAutoRefresh(true);  // switching on repaints at once
    EXPECT_EQ(Paints, 2);
    Image->Change(nullptr);
    EXPECT_EQ(Paints, 3);

    // Drawing on the background is a change like any other.
    TBitmap back;
    MakeBackground(back);
    Image->SetBackground(&back);
    const int before = Paints;
    Image->Background()->Canvas()->SetPixel(1, 1, clBlack);
    EXPECT_GT(Paints, before);
}

TEST_F(TImageFixture, UpdatesGroupIntoOnePaint)
{
    Image->SetAutoRefresh(true);
    Paints = 0;
    Image->BeginUpdate();
    Image->BeginUpdate();
    Image->Change(nullptr);
    Image->Change(nullptr);
    Image->EndUpdate();
    EXPECT_EQ(Paints, 0);
    EXPECT_FALSE(Image->UpdateEnabled());
    Image->EndUpdate();
    EXPECT_EQ(Paints, 1);
    EXPECT_TRUE(Image->UpdateEnabled());
    // Without a matching BeginUpdate updates stay enabled and one change is reported.
    Image->EndUpdate();
    EXPECT_EQ(Paints, 2);
    Image->Change(nullptr);
    EXPECT_EQ(Paints, 3);
}

TEST_F(TImageFixture, NothingPaintsBeforeLoadingEnds)
{
    TKvBufferedImage image(nullptr);
    int paints = 0;
    image.OnPaint = [&](TObject*) { ++paints; };
    image.SetAutoRefresh(true);  // still loading: Display is called directly by the setter
    const int afterSetter = paints;
    image.Change(nullptr);
    EXPECT_EQ(paints, afterSetter);
    image.EndLoading();
    image.Change(nullptr);
    EXPECT_EQ(paints, afterSetter + 1);
}

TEST_F(TImageFixture, BackgroundDrawModes)
{
    TBitmap back;
    MakeBackground(back);
    Image->SetBackground(&back);

    // Simple: the picture takes the background's size.
    Image->Display();
    EXPECT_EQ(Image->Buffer().GetWidth(), 4);
    EXPECT_EQ(Image->Buffer().GetHeight(), 3);
    EXPECT_EQ(Image->Buffer().GetPixelFormat(), pf24bit);
    EXPECT_EQ(Pixel(0, 0), clBlue);

    // Centered at (10/2 - 4/2, 8/2 - 3/2) = (3, 3); the rest is the control's colour.
    Image->SetBackDrawMode(bdmCentered);
    Image->Display();
    EXPECT_EQ(Image->Buffer().GetWidth(), 10);
    EXPECT_EQ(Pixel(3, 3), clBlue);
    EXPECT_EQ(Pixel(6, 5), clLime);
    EXPECT_EQ(Pixel(2, 3), clWhite);
    EXPECT_EQ(Pixel(7, 6), clWhite);

    // Tiled from (0, 0) in steps of the background's size.
    Image->SetBackDrawMode(bdmTiled);
    Image->Display();
    for (TPoint p : {Point(0, 0), Point(4, 0), Point(8, 0), Point(0, 3), Point(8, 6)})
        EXPECT_EQ(Pixel(p.x, p.y), clBlue);
    EXPECT_EQ(Pixel(7, 5), clLime);

    // Stretched smoothly: the corners are mostly the colours of the background's corners,
    // the middle stays red.
    Image->SetBackDrawMode(bdmStretched);
    Image->Display();
    EXPECT_GT(GetBValue(Pixel(0, 0)), 128);
    EXPECT_LT(GetRValue(Pixel(0, 0)), 128);
    EXPECT_GT(GetGValue(Pixel(9, 7)), 128);
    EXPECT_LT(GetRValue(Pixel(9, 7)), 128);
    EXPECT_EQ(Pixel(5, 1), clRed);
}

TEST_F(TImageFixture, StretchedBackgroundOnePixelWideAndCached)
{
    TBitmap back;
    MakeBackground(back, 1, 3);  // one column: blue, red, green
    Image->SetBackground(&back);
    Image->SetBackDrawMode(bdmStretched);
    Image->Display();
    EXPECT_EQ(Pixel(9, 0), clBlue);
    EXPECT_EQ(Pixel(9, 7), clLime);

    // With buffering the stretched picture is reused while the size stays.
    TBitmap wide;
    MakeBackground(wide);
    Image->SetBackground(&wide);
    Image->SetBackgroundBuffering(true);
    Image->Display();
    const TColor first = Pixel(9, 0);
    EXPECT_EQ(first, clRed);
    Image->Background()->Canvas()->SetPixel(3, 0, clBlack);
    Image->Display();
    EXPECT_EQ(Pixel(9, 0), first);  // the cache, not the changed background
    Image->SetBackgroundBuffering(false);
    Image->Display();
    EXPECT_NE(Pixel(9, 0), first);
}

TEST_F(TImageFixture, DrawBufferEventDrawsOnThePicture)
{
    Image->SetBackDrawMode(bdmTiled);
    TCanvas* seen = nullptr;
    Image->OnDrawBuffer = [&](TObject* Sender, TCanvas* Canvas) {
        EXPECT_EQ(Sender, Image.get());
        seen = Canvas;
        Canvas->SetPixel(2, 2, clNavy);
    };
    Image->Display();
    EXPECT_EQ(seen, Image->Buffer().Canvas());
    EXPECT_EQ(Pixel(2, 2), clNavy);
    EXPECT_EQ(Pixel(3, 3), clWhite);
}

TEST_F(TImageFixture, SaveToBitmapFileWritesTheLastPicture)
{
    TTempDir dir;
    // Before the first paint the picture is empty.
    Image->SaveToBitmapFile(dir.File("empty.bmp"));
    TBitmap read;
    read.LoadFromFile(dir.File("empty.bmp"));
    EXPECT_TRUE(read.Empty());

    Image->SetBackDrawMode(bdmTiled);
    Image->OnDrawBuffer = [](TObject*, TCanvas* Canvas) { Canvas->SetPixel(9, 7, clMaroon); };
    Image->Display();
    Image->OnDrawBuffer = [](TObject*, TCanvas* Canvas) { Canvas->SetPixel(9, 7, clTeal); };
    Image->SaveToBitmapFile(dir.File("chart.bmp"));  // no repaint: the last picture
    read.LoadFromFile(dir.File("chart.bmp"));
    ASSERT_EQ(read.GetWidth(), 10);
    ASSERT_EQ(read.GetHeight(), 8);
    EXPECT_EQ(read.GetPixelFormat(), pf24bit);
    EXPECT_EQ(read.Canvas()->GetPixel(9, 7), clMaroon);
    EXPECT_EQ(read.Canvas()->GetPixel(0, 0), clWhite);
    const std::string bytes = ReadFileText(dir.File("chart.bmp"));
    EXPECT_EQ(bytes.substr(0, 2), "BM");

    TBitmap copy;
    Image->SaveToBitmap(&copy);
    EXPECT_EQ(copy.Canvas()->GetPixel(9, 7), clMaroon);
    Image->SaveToBitmap(nullptr);
}

// On screen the picture composed by Display is shown by one copy, not composed again.
TEST(BufferedImageOnScreen, DisplayShowsTheComposedPicture)
{
    TForm* form = new TForm(nullptr);
    form->SetBounds(0, 0, 200, 100);
    auto* image = new TKvBufferedImage(form);
    image->SetParent(form);
    image->SetBounds(0, 0, 30, 20);
    image->SetBackDrawMode(bdmTiled);
    image->SetColor(clWhite);
    int composed = 0;
    image->OnDrawBuffer = [&](TObject*, TCanvas* Canvas) {
        ++composed;
        Canvas->Brush()->SetColor(clBlue);
        Canvas->FillRect(Rect(10, 5, 20, 15));
    };
    WidgetInput::ShowLoaded(form);
    composed = 0;
    image->Display();
    EXPECT_EQ(composed, 1);
    const QImage screen = image->Widget()->grab().toImage();
    EXPECT_EQ(screen.pixelColor(15, 10), QColor(0, 0, 255));
    EXPECT_EQ(screen.pixelColor(5, 10), QColor(255, 255, 255));
    FreeForm(form);
}

}  // namespace
