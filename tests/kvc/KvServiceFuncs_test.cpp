// Drawing service functions: text placement tables, B-spline numbers, bilinear scaling,
// colour replacement, striped lines, unit prefixes, tree paths and shift states.
#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include "BitmapPictures.h"
#include "TestSupport.h"
#include "kvc/KvServiceFuncs.h"
#include "platform/base/FloatFormat.h"
#include "platform/ui/KeyState.h"

using namespace KVC;

// ---- Text ---------------------------------------------------------------------------------

TEST(ServiceText, SizeOfTurnedTextAtTheFourRightAngles)
{
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* c = bitmap->Canvas();
    const std::string text = "Pressure";
    const int w = c->TextWidth(text), h = c->TextHeight(text);
    ASSERT_GT(w, h);
    struct Case {
        int Angle;
        int Width;
        int Height;
    };
    for (const Case& k : {Case{0, w, h}, Case{90, h, w}, Case{180, w, h}, Case{270, h, w}, Case{360, w, h}}) {
        TSize size;
        CalcTextSize(c, size, k.Angle, text);
        EXPECT_EQ(size, (TSize{k.Width, k.Height})) << k.Angle;
    }
}

TEST(ServiceText, StartPointForEveryAngleAlignmentAndLayout)
{
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* c = bitmap->Canvas();
    const std::string text = "Area";
    const int w = c->TextWidth(text), h = c->TextHeight(text);
    const TRect r = Rect(10, 20, 110, 100);  // 100 x 80
    struct Case {
        int Angle;
        TAlignment Alignment;
        TTextLayout Layout;
        TPoint Expected;
    };
    const Case cases[] = {
        {0, taLeftJustify, tlTop, {10, 20}},
        {90, taLeftJustify, tlTop, {10, 20 + w}},
        {180, taLeftJustify, tlTop, {10 + w, 20 + h}},
        {270, taLeftJustify, tlTop, {10 + h, 20}},
        {0, taCenter, tlCenter, {10 + (100 - w) / 2, 20 + (80 - h) / 2}},
        {90, taCenter, tlCenter, {10 + (100 - h) / 2, 20 + w + (80 - w) / 2}},
        {180, taRightJustify, tlBottom, {10 + w + 100 - w, 20 + h + 80 - h}},
        {270, taRightJustify, tlBottom, {10 + h + 100 - h, 20 + 80 - w}},
    };
    for (const Case& k : cases) {
        TPoint pos;
        CalcTextPos(c, r, pos, k.Angle, text, k.Alignment, k.Layout);
        EXPECT_EQ(pos, k.Expected) << "angle " << k.Angle << " alignment " << k.Alignment << " layout " << k.Layout;
    }
}

TEST(ServiceText, TitleTextAtZeroDegreesIsFormattedInTheRectangleAndClipped)
{
    auto bitmap = WhiteBitmap(120, 60);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clYellow);  // the text cell shows where the text went
    const std::string text = "Title";
    const int w = c->TextWidth(text), h = c->TextHeight(text);
    const TRect r = Rect(10, 10, 110, 50);
    TPoint pos{-1, -1};
    DrawTitleText(c, r, pos, 0, text, taCenter, tlBottom);
    const TPoint expected{10 + (100 - w) / 2, 50 - h};
    EXPECT_EQ(pos, expected);
    EXPECT_EQ(Painted(*bitmap, clYellow), Bounds(expected.x, expected.y, w, h));
    const TRect inked = Inked(*bitmap, clWhite);
    EXPECT_GE(inked.Left, r.Left);
    EXPECT_LE(inked.Right, r.Right);

    auto clipped = WhiteBitmap(120, 60);
    clipped->Canvas()->Brush()->SetColor(clYellow);
    DrawTitleText(clipped->Canvas(), Rect(10, 10, 30, 50), pos, 0, "A much longer title", taLeftJustify, tlTop);
    EXPECT_EQ(Inked(*clipped, clWhite), Bounds(10, 10, 20, h));
}

TEST(ServiceText, TitleTextAtNinetyDegreesRunsUpFromItsStartPoint)
{
    auto bitmap = WhiteBitmap(60, 120);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clYellow);
    const std::string text = "Height";
    const int w = c->TextWidth(text), h = c->TextHeight(text);
    TPoint pos;
    DrawTitleText(c, Rect(5, 5, 55, 115), pos, 90, text, taLeftJustify, tlTop);
    EXPECT_EQ(pos, Point(5, 5 + w));
    const TRect inked = Inked(*bitmap, clWhite);
    EXPECT_NEAR(inked.Left, 5, 1);
    EXPECT_NEAR(inked.Top, 5, 1);
    EXPECT_NEAR(inked.Right, 5 + h, 1);
    EXPECT_NEAR(inked.Bottom, 5 + w, 1);
    EXPECT_EQ(c->Font()->GetEscapement(), 0) << "the canvas keeps its own font";
}

// ---- B-spline -----------------------------------------------------------------------------

TEST(BSpline, KnotsAndPointCounts)
{
    float knots[8] = {};
    buildKnots(3, 4, knots);
    const float expected[8] = {0, 0, 0, 1, 2, 3, 3, 3};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(knots[i], expected[i]) << i;

    float untouched[4] = {9, 9, 9, 9};
    buildKnots(3, 1, untouched);  // n < k - 1
    EXPECT_EQ(untouched[0], 9);

    EXPECT_EQ(GetCountBSplinePoints(5, 3, 0.1f), 31);
    EXPECT_EQ(GetCountBSplinePoints(2, 3, 0.1f), 0);
    EXPECT_EQ(GetCountBSplinePoints(7, 3, 0.5f), 11);
    EXPECT_EQ(GetCountBSplinePoints(5, 0, 0.1f), 0);
    EXPECT_EQ(GetCountBSplinePoints(5, 3, 0), 0);
}

TEST(BSpline, BasisFunctionsSumToOne)
{
    float knots[10];
    buildKnots(3, 6, knots);  // 7 control points, order 3
    for (float t : {0.0f, 0.25f, 1.0f, 2.5f, 4.999f, 5.0f}) {
        float sum = 0;
        for (int j = 0; j < 7; ++j) sum += bSpline(j, 3, t, knots);
        EXPECT_NEAR(sum, 1.0f, 1e-6) << t;
    }
}

TEST(BSpline, SevenPointQuadraticCurve)
{
    const float X[7] = {0, 1, 2, 3, 4, 5, 6};
    const float Y[7] = {0, 1, 0, 1, 0, 1, 0};
    float outX[11], outY[11];
    ASSERT_EQ(BuildBSplineCurve2d(7, 3, 0.5f, X, Y, outX, outY), 11);
    const float expectX[11] = {0, 0.875f, 1.5f, 2, 2.5f, 3, 3.5f, 4, 4.5f, 5.125f, 6};
    const float expectY[11] = {0, 0.625f, 0.5f, 0.25f, 0.5f, 0.75f, 0.5f, 0.25f, 0.5f, 0.625f, 0};
    for (int i = 0; i < 11; ++i) {
        EXPECT_NEAR(outX[i], expectX[i], 1e-5) << i;
        EXPECT_NEAR(outY[i], expectY[i], 1e-5) << i;
    }
    // One complete pair is enough; with none the call is refused.
    float onlyY[11];
    EXPECT_EQ(BuildBSplineCurve2d(7, 3, 0.5f, nullptr, Y, nullptr, onlyY), 11);
    EXPECT_NEAR(onlyY[5], 0.75f, 1e-5);
    EXPECT_EQ(BuildBSplineCurve2d(7, 3, 0.5f, X, Y, nullptr, nullptr), 0);
    EXPECT_EQ(BuildBSplineCurve2d(2, 3, 0.5f, X, Y, outX, outY), 0);
}

TEST(BSpline, LastPointEndsOnTheCurveWhenTheStepOvershoots)
{
    // 3 / 0.45 leaves a remainder: the last parameter would lie past the last knot.
    const float X[4] = {0, 1, 2, 3};
    const float Y[4] = {5, 6, 7, 8};
    const int count = GetCountBSplinePoints(4, 2, 0.45f);
    ASSERT_EQ(count, 8);
    std::vector<float> outX(static_cast<size_t>(count)), outY(static_cast<size_t>(count));
    ASSERT_EQ(BuildBSplineCurve2d(4, 2, 0.45f, X, Y, outX.data(), outY.data()), count);
    for (int i = 0; i < count - 1; ++i) EXPECT_NEAR(outX[static_cast<size_t>(i)], i * 0.45f, 0.002) << i;
    EXPECT_FLOAT_EQ(outX.back(), 3);
    EXPECT_FLOAT_EQ(outY.back(), 8) << "no point at the origin";

    // Many small steps do not drift past the end either.
    const int fine = GetCountBSplinePoints(4, 2, 0.01f);
    std::vector<float> fx(static_cast<size_t>(fine)), fy(static_cast<size_t>(fine));
    ASSERT_EQ(BuildBSplineCurve2d(4, 2, 0.01f, X, Y, fx.data(), fy.data()), fine);
    for (int i = 0; i < fine; ++i) EXPECT_GE(fy[static_cast<size_t>(i)], 5.0f) << i;
}

TEST(BSpline, SurfaceLineFollowsTheRowOfTheControlNet)
{
    // 3 x 3 net, order 2 (bilinear): z = row * 10 + column.
    const int nu = 3, nv = 3;
    float Z[9];
    for (int row = 0; row < nv; ++row)
        for (int col = 0; col < nu; ++col) Z[row * nu + col] = static_cast<float>(row * 10 + col);
    const int count = GetCountBSplineSurfacePoints(nu, 2, 0.5f);
    ASSERT_EQ(count, 5);
    float out[5];
    ASSERT_EQ(BuildBSplineCurve3d(nu, nv, 2, 0.5f, 1.0f, nullptr, nullptr, Z, nullptr, nullptr, out), 5);
    const float expected[5] = {10, 10.5f, 11, 11.5f, 12};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(out[i], expected[i], 1e-5) << i;

    // A line below the net reads nothing outside it.
    ASSERT_EQ(BuildBSplineCurve3d(nu, nv, 2, 0.5f, -1.0f, nullptr, nullptr, Z, nullptr, nullptr, out), 5);
    EXPECT_EQ(BuildBSplineCurve3d(nu, nv, 4, 0.5f, 1.0f, nullptr, nullptr, Z, nullptr, nullptr, out), 0);
    EXPECT_EQ(BuildBSplineCurve3d(nu, nv, 2, 0.5f, 1.0f, nullptr, nullptr, Z, nullptr, nullptr, nullptr), 0);
}

// ---- Bitmaps and colours ------------------------------------------------------------------

TEST(Bilinear, TwoByTwoToFourByFourInMemoryOrder)
{
    auto source = WhiteBitmap(2, 2, pf8bit);
    ASSERT_TRUE(source->SetBits({0, 100, 0, 0, 200, 40, 0, 0}));  // rows of 4 bytes, bottom first
    auto target = WhiteBitmap(4, 4, pf24bit);
    ASSERT_TRUE(DoBilinearInterpolation(source.get(), target.get(), 2, 2, 0, 0));
    EXPECT_EQ(target->GetPixelFormat(), pf8bit);
    const std::vector<std::uint8_t> expected = {
        0, 50, 100, 100, 100, 85, 70, 70, 200, 120, 40, 40, 200, 120, 40, 40,
    };
    EXPECT_EQ(target->GetBits(), expected);
}

TEST(Bilinear, RefusedInputLeavesTheTargetUnchanged)
{
    auto source = WhiteBitmap(2, 2, pf24bit);
    auto mono = WhiteBitmap(2, 2, pf1bit);
    auto empty = std::make_unique<TBitmap>();
    auto target = WhiteBitmap(3, 3, pf24bit);
    target->Canvas()->SetPixel(1, 1, clRed);
    const std::vector<std::uint8_t> before = target->GetBits();
    EXPECT_FALSE(DoBilinearInterpolation(source.get(), target.get(), 0, 2, 0, 0));
    EXPECT_FALSE(DoBilinearInterpolation(source.get(), target.get(), 2, 0, 0, 0));
    EXPECT_FALSE(DoBilinearInterpolation(mono.get(), target.get(), 2, 2, 0, 0));
    EXPECT_FALSE(DoBilinearInterpolation(empty.get(), target.get(), 2, 2, 0, 0));
    EXPECT_FALSE(DoBilinearInterpolation(source.get(), empty.get(), 2, 2, 0, 0));
    EXPECT_FALSE(DoBilinearInterpolation(nullptr, target.get(), 2, 2, 0, 0));
    EXPECT_EQ(target->GetBits(), before);
    EXPECT_EQ(target->GetPixelFormat(), pf24bit);
}

TEST(PixelColors, ReplacesOneColourInsideTheRectangleOnly)
{
    auto bitmap = WhiteBitmap(4, 3, pf24bit);
    for (int x = 0; x < 4; ++x) bitmap->Canvas()->SetPixel(x, 1, clRed);
    bitmap->Canvas()->SetPixel(0, 0, RGB(254, 0, 0));  // close but not equal
    const TRect r = Rect(1, 0, 9, 9);                  // reaches past the bitmap
    ASSERT_TRUE(ChangeBitmapPixelColor(bitmap.get(), clRed, clBlue, &r));
    EXPECT_EQ(bitmap->Canvas()->GetPixel(0, 1), clRed);
    for (int x = 1; x < 4; ++x) EXPECT_EQ(bitmap->Canvas()->GetPixel(x, 1), clBlue) << x;
    EXPECT_EQ(bitmap->Canvas()->GetPixel(0, 0), RGB(254, 0, 0));
    EXPECT_EQ(bitmap->Canvas()->GetPixel(2, 2), clWhite);

    ASSERT_TRUE(ChangeBitmapPixelColor(bitmap.get(), clWhite, clBlack, nullptr));
    EXPECT_EQ(bitmap->Canvas()->GetPixel(2, 2), clBlack);

    auto wide = WhiteBitmap(2, 1, pf32bit);
    ASSERT_TRUE(ChangeBitmapPixelColor(wide.get(), clWhite, clLime, nullptr));
    EXPECT_EQ(wide->Canvas()->GetPixel(1, 0), clLime);

    auto mono = WhiteBitmap(2, 2, pf1bit);
    const TRect flat = Rect(0, 0, 0, 2);
    EXPECT_FALSE(ChangeBitmapPixelColor(mono.get(), clWhite, clBlack, nullptr));
    EXPECT_FALSE(ChangeBitmapPixelColor(bitmap.get(), clWhite, clBlack, &flat));
    EXPECT_FALSE(ChangeBitmapPixelColor(nullptr, clWhite, clBlack, nullptr));
}

TEST(PixelColors, ByteScalingAndInterpolationKeepTheLowEightBits)
{
    std::uint8_t bytes[4] = {10, 100, 200, 255};
    ScaleEachByte(bytes, 3, 1.5);
    EXPECT_EQ(bytes[0], 15);
    EXPECT_EQ(bytes[1], 150);
    EXPECT_EQ(bytes[2], 300 & 0xFF);
    EXPECT_EQ(bytes[3], 255) << "only Count bytes change";

    EXPECT_EQ(InterpolationColorBytes(0x00000000u, 0x00FF8040u, 0.5), 0x007F4020u);
    EXPECT_EQ(InterpolationColorBytes(0x10203040u, 0x10203040u, 0.3), 0x10203040u);
    EXPECT_EQ(InterpolationColorBytes(0x000000FFu, 0x00000000u, 0.25), 0x000000BFu);
}

TEST(StripyLine, AlternatesColoursEveryStripeOnA24BitBitmap)
{
    auto bitmap = WhiteBitmap(12, 3, pf24bit);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetColor(clGreen);
    DrawStripyLine(c, 0, 1, 10, 1, 1, 3, clRed, clBlue);
    const TColor expected[12] = {clBlue, clBlue, clBlue, clRed, clRed,   clRed,
                                 clBlue, clBlue, clBlue, clRed, clWhite, clWhite};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(c->GetPixel(x, 1), expected[x]) << x;
    EXPECT_EQ(c->Pen()->GetColor(), clGreen) << "the pen is restored";
    EXPECT_EQ(Inked(*bitmap, clWhite), Rect(0, 1, 10, 2));

    auto untouched = WhiteBitmap(12, 3, pf24bit);
    DrawStripyLine(untouched->Canvas(), 0, 1, 10, 1, 0, 3, clRed, clBlue);
    DrawStripyLine(untouched->Canvas(), 0, 1, 10, 1, 1, 0, clRed, clBlue);
    DrawStripyLine(untouched->Canvas(), 4, 1, 4, 1, 1, 3, clRed, clBlue);
    EXPECT_EQ(Inked(*untouched, clWhite), TRect{});
}

TEST(StripyLine, CurveCarriesTheStripeAcrossCorners)
{
    auto bitmap = WhiteBitmap(8, 8, pf24bit);
    TCanvas* c = bitmap->Canvas();
    const TDPoint points[3] = {{0, 0}, {4, 0}, {4, 6}};
    DrawStripyCurve(c, 3, points, 1, 3, clRed, clBlue);
    // 0..2 blue, 3 red; the red stripe goes on for two pixels round the corner.
    EXPECT_EQ(c->GetPixel(0, 0), clBlue);
    EXPECT_EQ(c->GetPixel(2, 0), clBlue);
    EXPECT_EQ(c->GetPixel(3, 0), clRed);
    EXPECT_EQ(c->GetPixel(4, 0), clRed);
    EXPECT_EQ(c->GetPixel(4, 1), clRed);
    EXPECT_EQ(c->GetPixel(4, 2), clBlue);
    EXPECT_EQ(c->GetPixel(4, 4), clBlue);
    EXPECT_EQ(c->GetPixel(4, 5), clRed);
    EXPECT_EQ(c->GetPixel(4, 6), clWhite);
}

// ---- Units --------------------------------------------------------------------------------

TEST(UnitPrefixes, ReprefixingAUnit)
{
    struct Case {
        const char* Unit;
        char Prefix;
        std::uint8_t Mode;
        double Factor;
        const char* After;
    };
    const Case cases[] = {
        {"mV", 'K', 1, 0.000001, "KV"},
        {"V", 'm', 1, 1000, "mV"},
        {"nA", 'u', 3, 0.001, "uA"},
        {"KV", 'x', 2, 1000, "V"},
        {"\xC2\xB0", 'K', 1, 1, "\xC2\xB0"},
        {"", 'K', 1, 1, ""},
        {"V", 'K', 0, 1, "V"},
        {"V", 'K', 4, 1, "V"},
    };
    for (const Case& k : cases) {
        std::string unit = k.Unit;
        EXPECT_DOUBLE_EQ(ConvertPhisicalValue(unit, k.Prefix, k.Mode), k.Factor) << k.Unit;
        EXPECT_EQ(unit, k.After) << k.Unit;
    }
}

TEST(UnitPrefixes, ScalingAValueIntoRange)
{
    struct Case {
        double Value;
        const char* Unit;
        std::uint8_t Mode;
        double Expected;
        const char* After;
        double Factor;
    };
    const Case cases[] = {
        {5000, "V", 1, 5, "KV", 0.001},
        {0.002, "V", 1, 2, "mV", 1000},
        {-0.002, "V", 1, -2, "mV", 1000},
        {7, "V", 1, 7, "V", 1},
        {2e6, "V", 2, 2, "KV", 1e-6},
        {5e-12, "V", 1, 0.005, "nV", 1e9},
        {5e12, "GV", 1, 5e12, "GV", 1},
        {5000, "(V)", 1, 5000, "(V)", 1},
        {5000, "[V]", 1, 5000, "[V]", 1},
        {0, "V", 1, 0, "V", 1},
        {5000, "\xC2\xB0", 1, 5000, "\xC2\xB0", 1},
    };
    for (const Case& k : cases) {
        double value = k.Value;
        std::string unit = k.Unit;
        const double factor = ConvertPhisicalValue(value, unit, k.Mode);
        EXPECT_NEAR(value, k.Expected, std::fabs(k.Expected) * 1e-12) << k.Value << k.Unit;
        EXPECT_EQ(unit, k.After) << k.Value << k.Unit;
        EXPECT_NEAR(factor, k.Factor, k.Factor * 1e-12) << k.Value << k.Unit;
    }
}

TEST(UnitPrefixes, ChoosingThePrefixForAValue)
{
    struct Case {
        const char* Unit;
        double Value;
        double Expected;
        const char* After;
    };
    const Case cases[] = {
        {"mV", 5000, 5, "V"},
        {"V", 0.002, 2, "mV"},
        {"V", 600, 0.6, "KV"},
        {"V", 2e30, 2e21, "GV"},
        {"V", -5000, -5, "KV"},
        {"V", 0, 0, "V"},
        {"\xC2\xB0", 5000, 5000, "\xC2\xB0"},
        {"", 5000, 5000, ""},
    };
    for (const Case& k : cases) {
        std::string unit = k.Unit;
        EXPECT_NEAR(ConvertPhisicalValueBack(unit, k.Value), k.Expected, std::fabs(k.Expected) * 1e-12) << k.Value;
        EXPECT_EQ(unit, k.After) << k.Value;
    }
}

TEST(UnitPrefixes, AxisRangeScalesBothLimits)
{
    double lo = -2000, hi = 500;
    std::string unit = "V";
    EXPECT_DOUBLE_EQ(SelectRange(lo, hi, unit), 0.001);
    EXPECT_DOUBLE_EQ(lo, -2);
    EXPECT_DOUBLE_EQ(hi, 0.5);
    EXPECT_EQ(unit, "KV");

    double a = 0.001, b = 0.004;
    const std::string original = "N";
    std::string scaled;
    EXPECT_DOUBLE_EQ(CorrectAxisData(a, b, original, scaled), 1000);
    EXPECT_EQ(scaled, "mN");
    EXPECT_EQ(original, "N");
    EXPECT_DOUBLE_EQ(b, 4);
}

// ---- Tree paths ---------------------------------------------------------------------------

namespace {
// A small tree with the node interface the function expects of the framework's tree view.
struct TNode {
    std::string Text;
    TNode* Parent = nullptr;
    std::vector<std::unique_ptr<TNode>> Children;
    TNode* getFirstChild() { return Children.empty() ? nullptr : Children.front().get(); }
    TNode* getNextSibling()
    {
        auto& list = Parent ? Parent->Children : Roots();
        for (size_t i = 0; i + 1 < list.size(); ++i)
            if (list[i].get() == this) return list[i + 1].get();
        return nullptr;
    }
    std::vector<std::unique_ptr<TNode>>& Roots();
    std::vector<std::unique_ptr<TNode>>* RootList = nullptr;
};
struct TNodes {
    std::vector<std::unique_ptr<TNode>> Roots;
    int Added = 0;
    TNode* GetFirstNode() { return Roots.empty() ? nullptr : Roots.front().get(); }
    TNode* AddChild(TNode* Parent, const std::string& Text)
    {
        ++Added;
        auto node = std::make_unique<TNode>();
        node->Text = Text;
        node->Parent = Parent;
        node->RootList = &Roots;
        auto& list = Parent ? Parent->Children : Roots;
        list.push_back(std::move(node));
        return list.back().get();
    }
};
std::vector<std::unique_ptr<TNode>>& TNode::Roots() { return *RootList; }
struct TTree {
    std::unique_ptr<TNodes> Items = std::make_unique<TNodes>();
};

std::string PathOf(TNode* Node)
{
    std::string path;
    for (; Node; Node = Node->Parent) path = "/" + Node->Text + path;
    return path;
}
}  // namespace

TEST(TreePath, FindsOrCreatesTheChainOfNodes)
{
    TTree tree;
    EXPECT_EQ(ParseTreePath(&tree, "", "\\"), nullptr) << "empty path in an empty tree";
    EXPECT_EQ(tree.Items->Added, 0);

    TNode* cell = ParseTreePath(&tree, "Chart\\Axis\\Left", "\\");
    EXPECT_EQ(PathOf(cell), "/Chart/Axis/Left");
    EXPECT_EQ(tree.Items->Added, 3);
    EXPECT_EQ(ParseTreePath(&tree, "Chart\\Axis\\Left", "\\"), cell);
    EXPECT_EQ(tree.Items->Added, 3) << "a repeated path creates nothing";

    TNode* right = ParseTreePath(&tree, "\\Chart\\\\Axis\\Right\\", "\\");
    EXPECT_EQ(PathOf(right), "/Chart/Axis/Right") << "empty segments are skipped";
    EXPECT_EQ(tree.Items->Added, 4);

    TNode* other = ParseTreePath(&tree, "Legend::Font", "::");
    EXPECT_EQ(PathOf(other), "/Legend/Font");
    EXPECT_EQ(tree.Items->Roots.size(), 2u);
    EXPECT_EQ(ParseTreePath(&tree, "", "\\"), tree.Items->GetFirstNode());
}

// ---- Shift state and float text -----------------------------------------------------------

TEST(ShiftState, KeysFromTheKeyboardStateButtonsFromTheMessage)
{
    struct Case {
        bool Shift, Ctrl, Alt;
        UINT Msg;
        TShiftState Expected;
    };
    const Case cases[] = {
        {false, false, false, 512, 0},
        {true, false, false, 513, ssShift | ssLeft},
        {false, true, false, 514, ssCtrl | ssLeft},
        {false, false, true, 515, ssAlt | ssLeft | ssDouble},
        {false, false, false, 516, ssRight},
        {true, true, true, 518, ssShift | ssCtrl | ssAlt | ssRight | ssDouble},
        {false, false, false, 519, ssMiddle},
        {false, false, false, 521, ssMiddle | ssDouble},
        {false, false, false, 522, 0},
    };
    for (const Case& k : cases) {
        SetKeyStateSource(
            [&](int key) { return (key == 0x10 && k.Shift) || (key == 0x11 && k.Ctrl) || (key == 0x12 && k.Alt); });
        TMessage message;
        message.Msg = k.Msg;
        EXPECT_EQ(GetCurShiftState(message), k.Expected) << k.Msg;
    }
    SetKeyStateSource({});
}
