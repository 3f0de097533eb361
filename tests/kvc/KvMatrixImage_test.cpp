// The matrix image: elements to grey levels or handler colours in the 24-bit data
// picture, sub-rectangle updates, the scaled picture in the graph area (stretch or
// bilinear, cached), the pixel conversions and the change reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>
#include "kvc/KvMatrixImage.h"

using namespace KVC;

namespace {

struct TMatrixImageFixture : ::testing::Test {
    void SetUp() override
    {
        Image = std::make_unique<TKvMatrixImage>(nullptr);
        Image->SetColor(clWhite);
        // No bevels and no margins: the graph area is the control less its one-pixel
        // frame, (1, 1, 301, 201), 300 x 200 pixels.
        Image->SetBevelOuter(bvNone);
        Image->SetBevelInner(bvNone);
        for (int i = 0; i < 4; ++i) {
            Image->SetLeftMargin(0);
            Image->SetTopMargin(0);
            Image->SetRightMargin(0);
            Image->SetBottomMargin(0);
        }
        Image->SetBounds(0, 0, 302, 202);
        Image->OnPaint = [this](TObject*) { ++Paints; };
        Image->EndLoading();
    }
    // Colour of the data picture's pixel (column, picture row from the top), read from
    // its bytes (blue, green, red).
    TColor DataPixel(int Column, int Row) const
    {
        const std::uint8_t* p = Image->GetDataBitmap()->ScanLine(Row) + 3 * Column;
        return RGB(p[2], p[1], p[0]);
    }
    static TColor Grey(int Level) { return RGB(Level, Level, Level); }
    TColor Pixel(int X, int Y) const { return Image->Buffer().Canvas()->GetPixel(X, Y); }
    // Outlives the image that may point at it.
    TBitmap Graphic;
    std::unique_ptr<TKvMatrixImage> Image;
    int Paints = 0;
};

const std::uint8_t Matrix3x2[] = {0, 1, 2, 3, 4, 5};

TEST_F(TMatrixImageFixture, Defaults)
{
    EXPECT_TRUE(Image->GetLeftTopZero());
    EXPECT_FALSE(Image->GetUseBilinearInterpolation());
    EXPECT_FALSE(static_cast<bool>(Image->OnGetValueColor));
    EXPECT_EQ(Image->GetDataBitmap()->GetPixelFormat(), pf24bit);
    EXPECT_TRUE(Image->GetDataBitmap()->Empty());
    for (TKvChartAxis* axis : {Image->LeftAxis(), Image->TopAxis(), Image->RightAxis(), Image->BottomAxis()})
        EXPECT_FALSE(axis->GetGridVisible());
}

TEST_F(TMatrixImageFixture, GreyLevelsStretchBetweenSmallestAndLargest)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    const TBitmap& data = *Image->GetDataBitmap();
    ASSERT_EQ(data.GetWidth(), 3);
    ASSERT_EQ(data.GetHeight(), 2);
    // Row 0 of the matrix is the top row of the picture.
    const int levels[2][3] = {{0, 51, 102}, {153, 204, 255}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(DataPixel(c, r), Grey(levels[r][c])) << c << "," << r;
    // In memory the bottom row comes first, three bytes a pixel, rows padded to 4 bytes.
    const std::vector<std::uint8_t> bits = data.GetBits();
    ASSERT_EQ(bits.size(), 24u);
    EXPECT_EQ(bits[0], 153);
    EXPECT_EQ(bits[12], 0);
    EXPECT_EQ(bits[15], 51);

    // The bottom row first: matrix row 0 becomes the bottom row of the picture.
    Image->SetLeftTopZero(false);
    Image->SetNewData(Matrix3x2, 3, 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(DataPixel(c, 1 - r), Grey(levels[r][c])) << c << "," << r;
}

// Each element type keeps its sign and its full range: differences of the extremes never
// overflow, and a plain char is a signed element.
TEST_F(TMatrixImageFixture, EveryElementTypeKeepsItsRange)
{
    auto row = [this]() {
        std::vector<int> levels;
        for (int c = 0; c < Image->GetDataBitmap()->GetWidth(); ++c) levels.push_back(GetRValue(DataPixel(c, 0)));
        return levels;
    };
    const char chars[] = {-128, 0, 127};
    Image->SetNewData(chars, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 128, 255}));
    const std::uint8_t bytes[] = {255, 0, 128};
    Image->SetNewData(bytes, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{255, 0, 128}));
    const std::int16_t shorts[] = {-32768, 0, 32767};
    Image->SetNewData(shorts, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 127, 255}));
    const std::uint16_t words[] = {0, 65535, 32768};
    Image->SetNewData(words, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 255, 127}));
    const int ints[] = {std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max()};
    Image->SetNewData(ints, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 127, 255}));
    const unsigned int uints[] = {0, 0x80000000u, 0xFFFFFFFFu};
    Image->SetNewData(uints, 3, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 127, 255}));
    const float floats[] = {-1.5f, 0.0f, 1.5f, 0.3f};
    Image->SetNewData(floats, 4, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 127, 255, 153}));
    const double doubles[] = {-1e300, 0, 1e300, 0.5e300};
    Image->SetNewData(doubles, 4, 1);
    EXPECT_EQ(row(), (std::vector<int>{0, 127, 255, 191}));
}

// Elements without a value take no part in the stretch and get the nearest end.
TEST_F(TMatrixImageFixture, ElementsWithoutValueDoNotSpoilTheScale)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {std::nan(""), 0, 10, inf, -inf, 5};
    Image->SetNewData(values, 6, 1);
    const int expected[] = {0, 0, 255, 255, 0, 127};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(DataPixel(c, 0), Grey(expected[c])) << c;
}

TEST_F(TMatrixImageFixture, EqualElementsGiveAUniformPicture)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    const int same[] = {7, 7, 7, 7, 7, 7};
    Image->SetNewData(same, 3, 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(DataPixel(c, r), Grey(0));
}

TEST_F(TMatrixImageFixture, UpdateDataRectStretchesItsOwnElements)
{
    for (bool leftTopZero : {true, false}) {
        Image->SetLeftTopZero(leftTopZero);
        Image->SetNewData(Matrix3x2, 3, 2);
        const std::uint8_t part[] = {10, 20};
        Image->UpdateDataRect(part, 2, 1, TPoint{1, 1});
        const int pictureRow = leftTopZero ? 1 : 0;
        EXPECT_EQ(DataPixel(0, pictureRow), Grey(153));
        EXPECT_EQ(DataPixel(1, pictureRow), Grey(0));
        EXPECT_EQ(DataPixel(2, pictureRow), Grey(255));
        EXPECT_EQ(DataPixel(1, 1 - pictureRow), Grey(51));
    }
}

// A sub-rectangle reaching past the picture writes only what lies on it.
TEST_F(TMatrixImageFixture, UpdateDataRectOutsideThePictureIsClipped)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    std::vector<std::pair<int, int>> seen;
    Image->OnGetValueColor = [&](TObject*, int x, int y, double, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
        seen.emplace_back(x, y);
        r = 1;
        g = 2;
        b = 3;
    };
    const double part[] = {1, 2, 3, 4, 5, 6};
    Image->UpdateDataRect(part, 3, 2, TPoint{2, 1});
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{2, 1}}));
    EXPECT_EQ(DataPixel(2, 1), RGB(1, 2, 3));
    seen.clear();
    Image->UpdateDataRect(part, 3, 2, TPoint{-2, -1});
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 0}}));
    seen.clear();
    Image->UpdateDataRect(part, 3, 2, TPoint{5, 0});
    Image->UpdateDataRect(part, 3, 2, TPoint{std::numeric_limits<int>::max(), std::numeric_limits<int>::min()});
    Image->UpdateDataRect(part, -3, 2, TPoint{0, 0});
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(DataPixel(1, 1), Grey(204));
}

TEST_F(TMatrixImageFixture, ColourHandlerPaintsEveryElement)
{
    struct Call {
        int x, y;
        double Value;
        std::uint8_t InRed, InGreen, InBlue;
    };
    std::vector<Call> calls;
    Image->OnGetValueColor = [&](TObject* Sender, int x, int y, double Value, std::uint8_t& r, std::uint8_t& g,
                                 std::uint8_t& b) {
        EXPECT_EQ(Sender, Image.get());
        calls.push_back(Call{x, y, Value, r, g, b});
        // Sets only red: green and blue keep what the previous element left.
        r = static_cast<std::uint8_t>(10 * (y * 2 + x + 1));
        if (calls.size() == 1) {
            g = 200;
            b = 100;
        }
    };
    // Equal values are no reason to skip the handler.
    const std::int16_t same[] = {-4, -4, -4, -4};
    Image->SetNewData(same, 2, 2);
    ASSERT_EQ(calls.size(), 4u);
    const int order[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(calls[k].x, order[k][0]);
        EXPECT_EQ(calls[k].y, order[k][1]);
        EXPECT_EQ(calls[k].Value, -4.0);
    }
    EXPECT_EQ(calls[0].InGreen, 0);
    EXPECT_EQ(calls[1].InRed, 10);
    EXPECT_EQ(calls[1].InGreen, 200);
    EXPECT_EQ(calls[1].InBlue, 100);
    EXPECT_EQ(DataPixel(0, 0), RGB(10, 200, 100));
    EXPECT_EQ(DataPixel(1, 1), RGB(40, 200, 100));

    // A sub-rectangle reports matrix positions.
    calls.clear();
    const std::int16_t part[] = {9};
    Image->UpdateDataRect(part, 1, 1, TPoint{1, 0});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].x, 1);
    EXPECT_EQ(calls[0].y, 0);
    EXPECT_EQ(calls[0].Value, 9.0);
}

TEST_F(TMatrixImageFixture, MatrixIsStretchedOverTheGraphArea)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    Image->Display();
    ASSERT_EQ(Image->GraphRect(), Rect(1, 1, 301, 201));
    // Every element covers a 100 x 100 block of the graph area.
    const int levels[2][3] = {{0, 51, 102}, {153, 204, 255}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            for (int dy : {0, 50, 99})
                for (int dx : {0, 50, 99})
                    EXPECT_EQ(Pixel(1 + 100 * c + dx, 1 + 100 * r + dy), Grey(levels[r][c]))
                        << c << "," << r << " +" << dx << "," << dy;
    // The frame stays around it.
    EXPECT_EQ(Pixel(0, 100), clBlack);
    EXPECT_EQ(Pixel(301, 100), clBlack);
}

TEST_F(TMatrixImageFixture, BilinearInterpolationBlendsNeighbours)
{
    // Columns 0 and 255: interpolated over 300 pixels the middle column is half grey,
    // stretched it would be one of the two.
    const std::uint8_t ramp[] = {0, 1, 0, 1};
    Image->SetNewData(ramp, 2, 2);
    Image->Display();
    EXPECT_EQ(Pixel(1 + 150, 50), Grey(255));
    Image->SetUseBilinearInterpolation(true);
    Image->Display();
    EXPECT_EQ(Pixel(1 + 0, 50), Grey(0));
    EXPECT_EQ(Pixel(1 + 150, 50), Grey(127));
    EXPECT_EQ(Pixel(1 + 30, 150), Grey(25));
    // Back to plain stretching at once, without new data or a resize.
    Image->SetUseBilinearInterpolation(false);
    Image->Display();
    EXPECT_EQ(Pixel(1 + 150, 50), Grey(255));
    EXPECT_EQ(Pixel(1 + 30, 150), Grey(0));
}

TEST_F(TMatrixImageFixture, OneRowOrColumnIsStretchedEvenWithInterpolation)
{
    Image->SetUseBilinearInterpolation(true);
    const std::uint8_t row[] = {0, 1, 2};
    Image->SetNewData(row, 3, 1);
    Image->Display();
    for (int x : {0, 50, 99}) EXPECT_EQ(Pixel(1 + x, 100), Grey(0)) << x;
    for (int x : {100, 199}) EXPECT_EQ(Pixel(1 + x, 100), Grey(127)) << x;
    Image->SetNewData(row, 1, 3);
    Image->Display();
    EXPECT_EQ(Pixel(150, 1 + 66), Grey(0));
    EXPECT_EQ(Pixel(150, 1 + 67), Grey(127));
}

// The scaled picture is kept until the data, the graph area's size or the caller says
// otherwise.
TEST_F(TMatrixImageFixture, ScaledPictureIsRebuiltOnlyWhenNeeded)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    Image->Display();
    ASSERT_EQ(Pixel(1 + 10, 1 + 10), Grey(0));
    // Drawing into the data picture shows only after DataBitmapChanged.
    Image->GetDataBitmap()->Canvas()->SetPixel(0, 0, clRed);
    Image->Display();
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), Grey(0));
    Image->DataBitmapChanged();
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), Grey(0));  // nothing repainted yet
    Image->Display();
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), clRed);

    // A new graph-area size scales again.
    Image->GetDataBitmap()->Canvas()->SetPixel(0, 0, clLime);
    Image->SetBounds(0, 0, 152, 102);
    Image->Display();
    ASSERT_EQ(Image->GraphRect(), Rect(1, 1, 151, 101));
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), clLime);
    EXPECT_EQ(Pixel(1 + 60, 1 + 60), Grey(204));
    EXPECT_EQ(Pixel(151, 60), clBlack);
}

// The data area is the matrix alone: the axis image's graphic bitmap and its event
// have no part in it.
TEST_F(TMatrixImageFixture, GraphicBitmapIsNotDrawn)
{
    Graphic.SetSize(10, 10);
    Graphic.Canvas()->Brush()->SetColor(clRed);
    Graphic.Canvas()->FillRect(Rect(0, 0, 10, 10));
    int prepared = 0;
    Image->OnPrepareGraphicBitmap = [&](TObject*) { ++prepared; };
    Image->SetGraphicBitmap(&Graphic);
    Image->SetNewData(Matrix3x2, 3, 2);
    Image->Display();
    EXPECT_EQ(prepared, 0);
    EXPECT_EQ(Pixel(1 + 250, 1 + 150), Grey(255));
    // Without a matrix the graph area shows the frame's brush.
    Image->SetNewData(static_cast<const std::uint8_t*>(nullptr), 3, 2);
    EXPECT_TRUE(Image->GetDataBitmap()->Empty());
    Image->Display();
    EXPECT_EQ(prepared, 0);
    EXPECT_EQ(Pixel(1 + 250, 1 + 150), clWhite);
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), clWhite);
}

// The data operations and the setters report a change: with AutoRefresh on it repaints.
TEST_F(TMatrixImageFixture, ChangesRepaintWithAutoRefresh)
{
    Image->SetNewData(Matrix3x2, 3, 2);
    EXPECT_EQ(Paints, 0);
    Image->SetAutoRefresh(true);
    Paints = 0;
    Image->SetNewData(Matrix3x2, 3, 2);
    EXPECT_EQ(Paints, 1);
    const std::uint8_t part[] = {9, 9};
    Image->UpdateDataRect(part, 2, 1, TPoint{0, 0});
    EXPECT_EQ(Paints, 2);
    EXPECT_EQ(Pixel(1 + 10, 1 + 10), Grey(0));
    Image->SetLeftTopZero(false);
    Image->SetUseBilinearInterpolation(true);
    EXPECT_EQ(Paints, 4);
    // Storing the value held already reports nothing.
    Image->SetLeftTopZero(false);
    Image->SetUseBilinearInterpolation(true);
    EXPECT_EQ(Paints, 4);
    // DataBitmapChanged does not repaint.
    Image->DataBitmapChanged();
    EXPECT_EQ(Paints, 4);
}

TEST_F(TMatrixImageFixture, PixelsAndMatrixPositions)
{
    double column = -1, row = -1;
    // Before the first paint no pixel lies on the matrix.
    EXPECT_FALSE(Image->PointG2D(10, 10, column, row));
    Image->SetNewData(Matrix3x2, 3, 2);
    Image->Display();
    struct Case {
        int X, Y;
        double Column, Row;
        bool Inside;
    } cases[] = {
        {1, 1, 0, 0, true},           {301, 1, 3, 0, false},       {151, 101, 1.5, 1, true},
        {300, 200, 2.99, 1.99, true}, {0, 50, -0.01, 0.49, false}, {100, 201, 0.99, 2, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Image->PointG2D(c.X, c.Y, column, row), c.Inside) << c.X << "," << c.Y;
        EXPECT_DOUBLE_EQ(column, c.Column) << c.X;
        EXPECT_DOUBLE_EQ(row, c.Row) << c.Y;
    }
    int x = -1, y = -1;
    Image->PointD2G(0, 0, x, y);
    EXPECT_EQ(Point(x, y), Point(1, 1));
    Image->PointD2G(1.5, 1, x, y);
    EXPECT_EQ(Point(x, y), Point(151, 101));
    Image->PointD2G(2.999, 1.999, x, y);
    EXPECT_EQ(Point(x, y), Point(300, 200));
    // Out of reach values saturate instead of overflowing.
    Image->PointD2G(1e300, -1e300, x, y);
    EXPECT_EQ(x, std::numeric_limits<int>::max());
    EXPECT_EQ(y, std::numeric_limits<int>::min());

    // The graph area as laid out by bevels and margins.
    Image->SetLeftMargin(20);
    Image->SetTopMargin(10);
    Image->Display();
    const TRect g = Image->GraphRect();
    ASSERT_EQ(g, Rect(21, 11, 301, 201));
    EXPECT_TRUE(Image->PointG2D(21 + 140, 11 + 95, column, row));
    EXPECT_DOUBLE_EQ(column, 1.5);
    EXPECT_DOUBLE_EQ(row, 1.0);
    Image->PointD2G(1.5, 1, x, y);
    EXPECT_EQ(Point(x, y), Point(161, 106));
}

}  // namespace
