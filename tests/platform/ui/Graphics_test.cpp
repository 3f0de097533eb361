// Canvas pixel rules, text cells, rotated text, clipping, block copies and .bmp files.
#include <gtest/gtest.h>
#include <cstring>
#include <optional>
#include "BitmapPictures.h"
#include "TestSupport.h"
#include "platform/ui/Graphics.h"

TEST(Colors, SystemColoursResolveToFixedValuesAndPlainColoursPassThrough)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201);
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
    EXPECT_EQ(GetRValue(RGB(10, 20, 30)), 10);
    EXPECT_EQ(GetGValue(RGB(10, 20, 30)), 20);
    EXPECT_EQ(GetBValue(RGB(10, 20, 30)), 30);
}

TEST(GraphicsObjects, SettersReportOnlyRealChanges)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetEscapement(900);
    font.SetEscapement(900);
    font.SetColor(clRed);
    font.SetStyle(TFontStyles() << fsBold);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(font.GetEscapement(), 900);
    EXPECT_TRUE(font.GetStyle().Contains(fsBold));
    EXPECT_FALSE(font.GetStyle().Contains(fsItalic));

    TPen pen;
    int penChanges = 0;
    pen.OnChange = [&](TObject*) { ++penChanges; };
    pen.SetWidth(1);
    pen.SetColor(clBlack);
    pen.SetColor(clBlue);
    EXPECT_EQ(penChanges, 1);

    TFont copy;
    copy.Assign(font);
    EXPECT_EQ(copy.GetEscapement(), 900);
    EXPECT_EQ(copy.GetColor(), clRed);
}

TEST(GraphicsObjects, FontSizeAndHeightConvertAtNinetySixPixelsPerInch)
{
    TFont font;
    font.SetSize(8);
    EXPECT_EQ(font.GetHeight(), -11);
    EXPECT_EQ(font.GetSize(), 8);
    font.SetSize(12);
    EXPECT_EQ(font.GetHeight(), -16);
    font.SetHeight(-13);
    EXPECT_EQ(font.GetSize(), 10);
}

TEST(Canvas, LineLeavesOutItsEndPixel)
{
    auto bitmap = WhiteBitmap(8, 5);
    TCanvas* c = bitmap->Canvas();
    c->MoveTo(1, 1);
    c->LineTo(5, 1);  // horizontal: 1..4
    c->MoveTo(6, 0);
    c->LineTo(6, 4);  // vertical: 0..3
    c->MoveTo(0, 3);
    c->LineTo(0, 3);  // zero length: nothing
    EXPECT_EQ(Picture(*bitmap, clBlack),
              "......#.\n"
              ".####.#.\n"
              "......#.\n"
              "......#.\n"
              "........\n");
    EXPECT_EQ(c->GetPenPos(), Point(0, 3));

    // Drawn backwards and diagonally the start pixel is kept and the end left out too.
    auto back = WhiteBitmap(6, 4);
    back->Canvas()->MoveTo(4, 0);
    back->Canvas()->LineTo(0, 0);
    back->Canvas()->MoveTo(0, 1);
    back->Canvas()->LineTo(3, 4);
    EXPECT_EQ(Picture(*back, clBlack),
              ".####.\n"
              "#.....\n"
              ".#....\n"
              "..#...\n");
}

TEST(Canvas, PenOfWidthZeroKeepsItsWidthAndDrawsOnePixelWide)
{
    TPen pen;
    pen.SetWidth(0);
    EXPECT_EQ(pen.GetWidth(), 0);
    auto bitmap = WhiteBitmap(6, 5);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->Assign(pen);
    EXPECT_EQ(c->Pen()->GetWidth(), 0);
    c->MoveTo(0, 0);
    c->LineTo(5, 0);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(Rect(1, 1, 5, 5));
    c->MoveTo(0, 4);
    c->LineTo(3, 1);
    EXPECT_EQ(Picture(*bitmap, clBlack),
              "#####.\n"
              ".####.\n"
              ".##.#.\n"
              ".#..#.\n"
              "#####.\n");
}

TEST(Canvas, PolylineDrawsEveryPixelOnceAndLeavesOutTheLastPoint)
{
    auto bitmap = WhiteBitmap(6, 6);
    TCanvas* c = bitmap->Canvas();
    // With XOR a pixel drawn twice would turn back to white.
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->Polyline({{1, 1}, {4, 1}, {4, 4}});
    EXPECT_EQ(Picture(*bitmap, clBlack),
              "......\n"
              ".####.\n"
              "....#.\n"
              "....#.\n"
              "......\n"
              "......\n");
}

// One-pixel lines in copy mode are written straight into the rows, every other pen goes
// through the painter: black in copy mode and the black pen mode give one picture, for
// every direction, every dash pattern, lines leaving the surface and a clip rectangle.
TEST(Canvas, LinesWrittenIntoTheRowsMatchThePaintersLines)
{
    const std::vector<TPoint> ends = {{22, 10}, {22, 4}, {20, -3}, {12, -6}, {10, -5}, {4, -2},  {-4, 3},  {-3, 10},
                                      {-5, 16}, {3, 24}, {10, 30}, {14, 25}, {19, 19}, {30, 14}, {11, 10}, {10, 10}};
    const std::vector<TPoint> path = {{-4, 18}, {6, 12}, {6, 12}, {15, 2}, {27, 8}, {18, 19}};
    for (TPenStyle style : {psSolid, psDash, psDot, psDashDot, psDashDotDot})
        for (bool clipped : {false, true}) {
            auto draw = [&](TPenMode Mode, TColor Color) {
                auto bitmap = WhiteBitmap(24, 20);
                TCanvas* c = bitmap->Canvas();
                c->Pen()->SetStyle(style);
                c->Pen()->SetMode(Mode);
                c->Pen()->SetColor(Color);
                c->Brush()->SetStyle(bsClear);
                if (clipped) c->SetClipRect(Rect(3, 2, 19, 15));
                for (const TPoint& end : ends) {
                    c->MoveTo(10, 10);
                    c->LineTo(end.x, end.y);
                }
                c->Polyline(path);
                c->Rectangle(2, 1, 21, 18);
                return Picture(*bitmap, clBlack);
            };
            const std::string direct = draw(pmCopy, clBlack);
            EXPECT_EQ(direct, draw(pmBlack, clRed)) << "style " << style << (clipped ? ", clipped" : "");
            EXPECT_NE(direct.find('#'), std::string::npos);
            if (clipped) {
                EXPECT_EQ(direct.substr(0, 25), std::string(24, '.') + "\n");
            }
        }
}

// Within a drawing pass the calls share one painter; the picture is the one the calls
// make one by one, also when rows are written, the clip changes or the bitmap is resized
// in the middle of the pass.
TEST(Canvas, ADrawingPassDrawsWhatSeparateCallsDraw)
{
    auto scene = [](bool InOnePass) {
        auto bitmap = WhiteBitmap(30, 20);
        TCanvas* c = bitmap->Canvas();
        std::optional<TDrawingPass> pass;
        if (InOnePass) pass.emplace(c);
        c->Brush()->SetColor(clYellow);
        c->FillRect(Rect(0, 0, 30, 20));
        c->Pen()->SetColor(clBlue);
        c->Pen()->SetWidth(3);
        c->MoveTo(2, 2);
        c->LineTo(25, 15);
        c->Pen()->SetWidth(1);
        c->Pen()->SetMode(pmXor);
        c->Pen()->SetColor(clWhite);
        c->Polyline({{0, 5}, {29, 5}, {29, 12}});
        c->Pen()->SetMode(pmCopy);
        c->SetClipRect(Rect(5, 5, 20, 15));
        c->Brush()->SetColor(clLime);
        c->Ellipse(0, 0, 30, 20);
        c->ResetClip();
        bitmap->ScanLine(3)[0] = 0x00;  // pixel (0, 3) loses its blue
        c->Font()->SetEscapement(900);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(12, 18, "A");
        c->Font()->SetEscapement(0);
        c->Pen()->SetColor(clMaroon);
        c->Rectangle(1, 1, 29, 19);
        bitmap->SetSize(32, 22);
        c->Pen()->SetColor(clGreen);
        c->MoveTo(0, 21);
        c->LineTo(32, 21);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clNavy);
        c->FillRect(Rect(28, 0, 32, 4));
        pass.reset();
        return bitmap->GetBits();
    };
    const std::vector<std::uint8_t> separate = scene(false);
    EXPECT_EQ(scene(true), separate);
    EXPECT_EQ(separate.size(), 22u * 96u);
}

// A 24-bit bitmap is drawn on in 32-bit rows and shows blue, green, red rows to ScanLine
// and GetBits: bytes written through a row survive the drawing after them, and what is
// drawn shows in the rows read after it; the file stays 24-bit.
TEST(Bitmap, TwentyFourBitRowsAndDrawingSeeEachOther)
{
    auto bitmap = WhiteBitmap(5, 3);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetColor(RGB(0x10, 0x20, 0x30));
    c->MoveTo(0, 0);
    c->LineTo(5, 0);
    std::uint8_t* top = bitmap->ScanLine(0);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(top[3 * x], 0x30) << x;
        EXPECT_EQ(top[3 * x + 1], 0x20) << x;
        EXPECT_EQ(top[3 * x + 2], 0x10) << x;
    }
    top[6] = 0x66, top[7] = 0x55, top[8] = 0x44;  // pixel (2, 0)
    std::uint8_t* middle = bitmap->ScanLine(1);
    middle[12] = 0x01, middle[13] = 0x02, middle[14] = 0x03;  // pixel (4, 1)
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(3, 2, 5, 3));
    c->MoveTo(0, 1);
    c->LineTo(2, 1);
    EXPECT_EQ(c->GetPixel(2, 0), RGB(0x44, 0x55, 0x66));
    EXPECT_EQ(c->GetPixel(4, 1), RGB(0x03, 0x02, 0x01));
    EXPECT_EQ(c->GetPixel(1, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(c->GetPixel(4, 2), clRed);

    const std::vector<std::uint8_t> bits = bitmap->GetBits();
    ASSERT_EQ(bitmap->BytesPerLine(), 16);
    ASSERT_EQ(bits.size(), 48u);
    // Bottom row first: its pixel 3 is red (0, 0, 255), its padding byte zero.
    EXPECT_EQ(bits[9], 0x00);
    EXPECT_EQ(bits[11], 0xFF);
    EXPECT_EQ(bits[15], 0x00);
    EXPECT_EQ(bits[16 + 3], 0x30);  // middle row, pixel 1
    EXPECT_EQ(bits[16 + 12], 0x01);
    const std::vector<std::uint8_t> file = bitmap->SaveToBytes();
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 54, file.end()), bits);
}

TEST(Canvas, RectangleLeavesOutRightAndBottomEdges)
{
    auto bitmap = WhiteBitmap(8, 7);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Picture(*bitmap, clBlack),
              "........\n"
              ".#####..\n"
              ".#...#..\n"
              ".#...#..\n"
              ".#####..\n"
              "........\n"
              "........\n");
    EXPECT_EQ(Picture(*bitmap, clRed),
              "........\n"
              "........\n"
              "..###...\n"
              "..###...\n"
              "........\n"
              "........\n"
              "........\n");
}

TEST(Canvas, RectangleWithoutPenFillsOnePixelLess)
{
    auto bitmap = WhiteBitmap(6, 5);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clBlue);
    c->Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Picture(*bitmap, clBlue),
              "......\n"
              ".###..\n"
              ".###..\n"
              "......\n"
              "......\n");
}

TEST(Canvas, EllipseStaysInsideTheHalfOpenBox)
{
    auto bitmap = WhiteBitmap(14, 12);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clLime);
    c->Ellipse(2, 1, 12, 10);
    EXPECT_EQ(Inked(*bitmap, clWhite), Rect(2, 1, 12, 10));
    EXPECT_EQ(c->GetPixel(7, 5), clLime);
    EXPECT_EQ(c->GetPixel(2, 1), clWhite);  // corners of the box stay outside the ellipse
}

TEST(Canvas, FillRectCoversTheHalfOpenRectangleAndFrameRectOnePixel)
{
    auto bitmap = WhiteBitmap(7, 6);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(1, 1, 4, 3));
    EXPECT_EQ(Picture(*bitmap, clRed),
              ".......\n"
              ".###...\n"
              ".###...\n"
              ".......\n"
              ".......\n"
              ".......\n");

    auto framed = WhiteBitmap(7, 6);
    framed->Canvas()->Brush()->SetColor(clNavy);
    framed->Canvas()->FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(Picture(*framed, clNavy),
              ".......\n"
              ".#####.\n"
              ".#...#.\n"
              ".#...#.\n"
              ".#####.\n"
              ".......\n");
}

TEST(Canvas, Frame3DPaintsTopLeftAndBottomRightAndShrinksTheRectangle)
{
    auto bitmap = WhiteBitmap(6, 5);
    TRect r = Rect(0, 0, 5, 4);
    Frame3D(bitmap->Canvas(), r, clBlue, clRed, 1);
    EXPECT_EQ(r, Rect(1, 1, 4, 3));
    EXPECT_EQ(Picture(*bitmap, clBlue),
              "####..\n"
              "#.....\n"
              "#.....\n"
              "......\n"
              "......\n");
    EXPECT_EQ(Picture(*bitmap, clRed),
              "....#.\n"
              "....#.\n"
              "....#.\n"
              "#####.\n"
              "......\n");
}

TEST(Canvas, OpaqueTextOutFillsTheTextCellAndClearTextDoesNot)
{
    auto bitmap = WhiteBitmap(80, 30);
    TCanvas* c = bitmap->Canvas();
    const TSize size = c->TextExtent("Hg");
    ASSERT_GT(size.cx, 0);
    ASSERT_GT(size.cy, 0);
    c->Brush()->SetColor(clYellow);
    c->Font()->SetColor(clBlack);
    c->TextOut(3, 4, "Hg");
    EXPECT_EQ(Inked(*bitmap, clWhite), Rect(3, 4, 3 + size.cx, 4 + size.cy));
    EXPECT_EQ(c->GetPenPos(), Point(3 + size.cx, 4));
    bool ink = false;
    for (int y = 4; y < 4 + size.cy; ++y)
        for (int x = 3; x < 3 + size.cx; ++x) ink |= c->GetPixel(x, y) != clYellow;
    EXPECT_TRUE(ink) << "the glyphs are drawn over the cell";

    auto clear = WhiteBitmap(80, 30);
    clear->Canvas()->Brush()->SetStyle(bsClear);
    clear->Canvas()->TextOut(3, 4, "Hg");
    const TRect inked = Inked(*clear, clWhite);
    EXPECT_FALSE(inked.IsEmpty());
    EXPECT_EQ(clear->Canvas()->GetPixel(3 + size.cx - 1, 4), clWhite);
}

TEST(Canvas, RotatedFontTurnsTextCounterClockwiseAboutItsStart)
{
    // At 90 degrees the text runs upwards from the start point, its cell to the right.
    auto bitmap = WhiteBitmap(40, 80);
    TCanvas* c = bitmap->Canvas();
    const TSize size = c->TextExtent("WWWW");
    c->Brush()->SetColor(clAqua);
    c->Font()->SetEscapement(900);
    c->TextOut(5, 70, "WWWW");
    const TRect inked = Inked(*bitmap, clWhite);
    EXPECT_NEAR(inked.Left, 5, 1);
    EXPECT_NEAR(inked.Right, 5 + size.cy, 1);
    EXPECT_NEAR(inked.Bottom, 70, 1);
    EXPECT_NEAR(inked.Top, 70 - size.cx, 1);

    // At 180 degrees it runs to the left and hangs above the start point.
    auto turned = WhiteBitmap(80, 40);
    turned->Canvas()->Brush()->SetColor(clAqua);
    turned->Canvas()->Font()->SetEscapement(1800);
    turned->Canvas()->TextOut(70, 30, "WWWW");
    const TRect upside = Inked(*turned, clWhite);
    EXPECT_NEAR(upside.Right, 70, 1);
    EXPECT_NEAR(upside.Left, 70 - size.cx, 1);
    EXPECT_NEAR(upside.Bottom, 30, 1);
    EXPECT_NEAR(upside.Top, 30 - size.cy, 1);
}

TEST(Canvas, DrawTextPlacesSingleLinesByFlagsAndClipsToTheRectangle)
{
    struct Case {
        unsigned Format;
        int ExpectLeft;  // relative: 0 left, 1 centre, 2 right
        int ExpectTop;   // 0 top, 1 centre, 2 bottom
    };
    const Case cases[] = {
        {DT_SINGLELINE | DT_LEFT | DT_TOP, 0, 0},
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, 1, 1},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, 2, 2},
    };
    const TRect box = Rect(10, 5, 110, 45);
    for (const Case& k : cases) {
        auto bitmap = WhiteBitmap(120, 50);
        TCanvas* c = bitmap->Canvas();
        const TSize size = c->TextExtent("Mid");
        c->Brush()->SetColor(clSilver);
        TRect r = box;
        c->DrawText("Mid", r, k.Format);
        const int left = k.ExpectLeft == 0   ? box.Left
                         : k.ExpectLeft == 1 ? box.Left + (box.Width() - size.cx) / 2
                                             : box.Right - size.cx;
        const int top = k.ExpectTop == 0   ? box.Top
                        : k.ExpectTop == 1 ? box.Top + (box.Height() - size.cy) / 2
                                           : box.Bottom - size.cy;
        EXPECT_EQ(Inked(*bitmap, clWhite), Bounds(left, top, size.cx, size.cy)) << "format " << k.Format;
    }

    auto clipped = WhiteBitmap(120, 50);
    clipped->Canvas()->Brush()->SetColor(clSilver);
    TRect small = Rect(10, 10, 20, 40);
    clipped->Canvas()->DrawText("A long text", small, DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(Inked(*clipped, clWhite).Right, 20);

    TRect calc = Rect(0, 0, 0, 0);
    auto measuring = WhiteBitmap(10, 10);
    const int height = measuring->Canvas()->DrawText("One\nTwo", calc, DT_CALCRECT);
    EXPECT_EQ(height, 2 * measuring->Canvas()->TextHeight("One"));
    EXPECT_EQ(calc.Bottom, height);
    EXPECT_EQ(Inked(*measuring, clWhite), TRect{});
}

// A text whose pixels all fall inside its rectangle is drawn without a clip; one that
// reaches past it must still be cut there. Either way the picture is the unclipped text's
// pixels inside the rectangle and nothing outside, in rectangles that fit the text cell
// exactly (glyph overhangs of an italic font touch or pass its edges), cut into it, or
// leave room, and inside a drawing pass as on single calls.
TEST(Canvas, DrawTextDrawsTheUnclippedPixelsInsideItsRectangleOnly)
{
    struct Case {
        const char* Text;
        bool Italic;
        int Dx1, Dy1, Dx2, Dy2;  // the rectangle against the text cell's edges
        unsigned Format;
    };
    const Case cases[] = {
        {"0.25", false, 0, 0, 0, 0, DT_SINGLELINE},
        {"-12", false, 0, 0, 0, 0, DT_SINGLELINE | DT_RIGHT | DT_VCENTER},
        {"fjord ff", true, 0, 0, 0, 0, DT_SINGLELINE},
        {"fjord ff", true, -6, -6, 6, 6, DT_SINGLELINE | DT_CENTER | DT_VCENTER},
        {"Wide text", false, 3, 2, -4, -3, DT_SINGLELINE | DT_CENTER | DT_VCENTER},
        {"Jy|", true, 1, 0, 0, -1, DT_SINGLELINE},
        {"1000", false, -20, -5, 20, 5, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM},
    };
    for (bool pass : {false, true}) {
        for (const Case& k : cases) {
            auto clipped = WhiteBitmap(160, 60), free = WhiteBitmap(160, 60);
            for (TBitmap* b : {clipped.get(), free.get()}) {
                b->Canvas()->Font()->SetSize(14);
                if (k.Italic) b->Canvas()->Font()->SetStyle(TFontStyles() << fsItalic);
                b->Canvas()->Font()->SetColor(clBlack);
                b->Canvas()->Brush()->SetStyle(bsClear);
            }
            const TSize cell = clipped->Canvas()->TextExtent(k.Text);
            const TRect box = Rect(40 + k.Dx1, 20 + k.Dy1, 40 + cell.cx + k.Dx2, 20 + cell.cy + k.Dy2);
            TRect r = box, same = box;
            {
                std::optional<TDrawingPass> drawing;
                if (pass) drawing.emplace(clipped->Canvas());
                clipped->Canvas()->DrawText(k.Text, r, k.Format);
            }
            free->Canvas()->DrawText(k.Text, same, k.Format | DT_NOCLIP);
            int inside = 0;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 160; ++x) {
                    const bool in = PtInRect(box, Point(x, y));
                    const TColor expected = in ? free->Canvas()->GetPixel(x, y) : clWhite;
                    inside += in && expected != clWhite;
                    ASSERT_EQ(clipped->Canvas()->GetPixel(x, y), expected)
                        << k.Text << " at " << x << "," << y << (pass ? " in a pass" : "");
                }
            EXPECT_GT(inside, 0) << k.Text;
        }
    }
}

TEST(Canvas, DrawTextTakesAmpersandAsAcceleratorUnlessNoPrefix)
{
    auto bitmap = WhiteBitmap(100, 20);
    TCanvas* c = bitmap->Canvas();
    TRect plain = Rect(0, 0, 0, 0), prefixed = Rect(0, 0, 0, 0);
    c->DrawText("&&A&B", prefixed, DT_CALCRECT | DT_SINGLELINE);
    c->DrawText("&&A&B", plain, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(prefixed.Right, c->TextWidth("&AB"));
    EXPECT_EQ(plain.Right, c->TextWidth("&&A&B"));
}

TEST(Canvas, ClipRectangleLimitsDrawing)
{
    auto bitmap = WhiteBitmap(10, 10);
    TCanvas* c = bitmap->Canvas();
    EXPECT_EQ(c->GetClipRect(), Rect(0, 0, 10, 10));
    c->SetClipRect(Rect(2, 2, 5, 6));
    c->IntersectClipRect(Rect(3, 0, 10, 10));
    EXPECT_EQ(c->GetClipRect(), Rect(3, 2, 5, 6));
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 10, 10));
    c->ResetClip();
    EXPECT_EQ(Inked(*bitmap, clWhite), Rect(3, 2, 5, 6));
}

TEST(Canvas, BlockCopyWithRasterOperations)
{
    auto source = WhiteBitmap(4, 4);
    source->Canvas()->Brush()->SetColor(RGB(0x0F, 0xF0, 0x33));
    source->Canvas()->FillRect(Rect(0, 0, 2, 2));

    auto target = WhiteBitmap(6, 6);
    target->Canvas()->Brush()->SetColor(clBlack);
    target->Canvas()->FillRect(Rect(0, 0, 6, 6));
    ASSERT_TRUE(BitBlt(target->Canvas(), 1, 1, 3, 3, source->Canvas(), 0, 0, SRCCOPY));
    EXPECT_EQ(target->Canvas()->GetPixel(1, 1), RGB(0x0F, 0xF0, 0x33));
    EXPECT_EQ(target->Canvas()->GetPixel(3, 3), clWhite);
    EXPECT_EQ(target->Canvas()->GetPixel(4, 4), clBlack);

    ASSERT_TRUE(BitBlt(target->Canvas(), 1, 1, 1, 1, source->Canvas(), 0, 0, SRCINVERT));
    EXPECT_EQ(target->Canvas()->GetPixel(1, 1), clBlack);
    ASSERT_TRUE(BitBlt(target->Canvas(), 0, 0, 1, 1, source->Canvas(), 0, 0, SRCPAINT));
    EXPECT_EQ(target->Canvas()->GetPixel(0, 0), RGB(0x0F, 0xF0, 0x33));
    ASSERT_TRUE(BitBlt(target->Canvas(), 3, 3, 1, 1, nullptr, 0, 0, DSTINVERT));
    EXPECT_EQ(target->Canvas()->GetPixel(3, 3), clBlack);

    auto drawn = WhiteBitmap(6, 6);
    drawn->Canvas()->Draw(2, 2, *source);
    EXPECT_EQ(drawn->Canvas()->GetPixel(2, 2), RGB(0x0F, 0xF0, 0x33));
    EXPECT_EQ(drawn->Canvas()->GetPixel(1, 1), clWhite);
}

TEST(Bitmap, PixelsKeepBlueGreenRedOrderAndPaddedBottomUpRows)
{
    auto bitmap = WhiteBitmap(3, 2);
    EXPECT_EQ(bitmap->BytesPerLine(), 12);                    // 9 bytes padded to 12
    bitmap->Canvas()->SetPixel(0, 0, RGB(0x11, 0x22, 0x33));  // top row
    bitmap->Canvas()->SetPixel(2, 1, RGB(0x44, 0x55, 0x66));  // bottom row
    const std::uint8_t* top = bitmap->ScanLine(0);
    EXPECT_EQ(top[0], 0x33);
    EXPECT_EQ(top[1], 0x22);
    EXPECT_EQ(top[2], 0x11);
    const std::vector<std::uint8_t> bits = bitmap->GetBits();
    ASSERT_EQ(bits.size(), 24u);
    // Bottom row first: its third pixel at bytes 6..8, then padding, then the top row.
    EXPECT_EQ(bits[6], 0x66);
    EXPECT_EQ(bits[7], 0x55);
    EXPECT_EQ(bits[8], 0x44);
    EXPECT_EQ(bits[9], 0);
    EXPECT_EQ(bits[11], 0);
    EXPECT_EQ(bits[12], 0x33);
    EXPECT_EQ(bits[14], 0x11);
}

TEST(Bitmap, ResizeKeepsThePictureAndFillsNewAreaWhite)
{
    auto bitmap = WhiteBitmap(2, 2);
    bitmap->Canvas()->SetPixel(1, 1, clRed);
    bitmap->SetSize(4, 3);
    EXPECT_EQ(bitmap->Canvas()->GetPixel(1, 1), clRed);
    EXPECT_EQ(bitmap->Canvas()->GetPixel(3, 2), clWhite);
    bitmap->SetWidth(0);
    EXPECT_TRUE(bitmap->Empty());
    EXPECT_EQ(bitmap->GetHeight(), 3);
}

namespace {
// Little-endian numbers of a file.
std::uint32_t U32(const std::string& S, size_t At)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(S[At + static_cast<size_t>(i)]);
    return v;
}
std::uint32_t U16(const std::string& S, size_t At)
{
    return static_cast<std::uint8_t>(S[At]) | (static_cast<std::uint32_t>(static_cast<std::uint8_t>(S[At + 1])) << 8);
}
}  // namespace

TEST(BitmapFile, EachFormatIsWrittenWithItsHeadersAndReadBackByteExact)
{
    struct Case {
        TPixelFormat Format;
        int Bits;
        int Width;
        std::uint32_t RowBytes;
        std::uint32_t TableEntries;
    };
    const Case cases[] = {
        {pf1bit, 1, 5, 4, 2},
        {pf8bit, 8, 5, 8, 256},
        {pf24bit, 24, 5, 16, 0},
        {pf32bit, 32, 5, 20, 0},
    };
    TTempDir dir;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Bits);
        auto bitmap = WhiteBitmap(k.Width, 3, k.Format);
        bitmap->Canvas()->SetPixel(0, 2, clBlack);  // bottom-left
        bitmap->Canvas()->SetPixel(4, 0, clBlack);  // top-right
        const std::string path = dir.File("b" + std::to_string(k.Bits) + ".bmp");
        bitmap->SaveToFile(path);
        const std::string file = ReadFileText(path);
        const std::uint32_t offset = 54 + 4 * k.TableEntries;
        ASSERT_EQ(file.size(), offset + 3 * k.RowBytes);
        EXPECT_EQ(file.substr(0, 2), "BM");
        EXPECT_EQ(U32(file, 2), file.size());
        EXPECT_EQ(U32(file, 10), offset);
        EXPECT_EQ(U32(file, 14), 40u);
        EXPECT_EQ(U32(file, 18), 5u);
        EXPECT_EQ(U32(file, 22), 3u);  // positive height: bottom row first
        EXPECT_EQ(U16(file, 26), 1u);
        EXPECT_EQ(U16(file, 28), static_cast<std::uint32_t>(k.Bits));
        EXPECT_EQ(U32(file, 30), 0u);
        EXPECT_EQ(U32(file, 34), 3 * k.RowBytes);
        EXPECT_EQ(U32(file, 46), k.TableEntries);
        // The first row in the file is the bottom one: black at its first pixel.
        const std::string firstRow = file.substr(offset, k.RowBytes);
        const std::string lastRow = file.substr(offset + 2 * k.RowBytes, k.RowBytes);
        if (k.Bits == 1) {
            EXPECT_EQ(static_cast<std::uint8_t>(firstRow[0]) & 0x80, 0);  // index 0 = black
            EXPECT_EQ(static_cast<std::uint8_t>(lastRow[0]) & 0x08, 0);   // x = 4
        } else if (k.Bits == 8) {
            EXPECT_EQ(static_cast<std::uint8_t>(firstRow[0]), 0);
            EXPECT_EQ(static_cast<std::uint8_t>(lastRow[4]), 0);
            EXPECT_EQ(static_cast<std::uint8_t>(lastRow[3]), 255);
        } else {
            const size_t bytes = static_cast<size_t>(k.Bits / 8);
            EXPECT_EQ(firstRow.substr(0, 3), std::string(3, '\0'));
            EXPECT_EQ(lastRow.substr(4 * bytes, 3), std::string(3, '\0'));
            EXPECT_EQ(static_cast<std::uint8_t>(lastRow[0]), 0xFF);
            if (k.Bits == 24) {
                EXPECT_EQ(lastRow.substr(15, 1), std::string(1, '\0')) << "padding is zero";
            }
        }

        TBitmap loaded;
        loaded.LoadFromFile(path);
        EXPECT_EQ(loaded.GetPixelFormat(), k.Format);
        EXPECT_EQ(loaded.GetWidth(), 5);
        EXPECT_EQ(loaded.GetHeight(), 3);
        EXPECT_EQ(loaded.Canvas()->GetPixel(0, 2), clBlack);
        EXPECT_EQ(loaded.Canvas()->GetPixel(4, 0), clBlack);
        EXPECT_EQ(loaded.Canvas()->GetPixel(1, 1), clWhite);
        const std::string again = dir.File("again.bmp");
        loaded.SaveToFile(again);
        EXPECT_EQ(ReadFileText(again), file);
    }
}

TEST(BitmapFile, EmptyBitmapIsAValidHeaderOnlyFile)
{
    TTempDir dir;
    TBitmap empty;
    empty.SetPixelFormat(pf24bit);
    empty.SaveToFile(dir.File("empty.bmp"));
    const std::string file = ReadFileText(dir.File("empty.bmp"));
    ASSERT_EQ(file.size(), 54u);
    EXPECT_EQ(U32(file, 18), 0u);
    EXPECT_EQ(U32(file, 22), 0u);
    TBitmap loaded;
    loaded.SetSize(3, 3);
    loaded.LoadFromFile(dir.File("empty.bmp"));
    EXPECT_TRUE(loaded.Empty());
}

TEST(BitmapFile, PictureWithoutColumnsOrRowsLoadsAsEmpty)
{
    // Headers that name rows without columns, or columns without rows, and carry padded
    // rows of data; none of them has a pixel.
    struct TCase {
        std::int32_t Width, Height;
    };
    const TCase Cases[] = {{0, 5}, {0, -5}, {7, 0}, {0, 0}};
    for (const TCase& C : Cases) {
        std::vector<std::uint8_t> bytes = WhiteBitmap(4, 4)->SaveToBytes();
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = std::uint8_t(std::uint32_t(C.Width) >> (8 * i));
            bytes[22 + i] = std::uint8_t(std::uint32_t(C.Height) >> (8 * i));
        }
        TBitmap loaded;
        loaded.SetSize(3, 3);
        loaded.LoadFromBytes(bytes);
        EXPECT_EQ(loaded.GetWidth(), 0) << C.Width << "x" << C.Height;
        EXPECT_EQ(loaded.GetHeight(), 0) << C.Width << "x" << C.Height;
        EXPECT_TRUE(loaded.GetBits().empty());
        EXPECT_THROW(loaded.ScanLine(0), std::out_of_range);
    }
}

TEST(BitmapFile, DamagedFilesAreRefusedWithAClearError)
{
    auto bitmap = WhiteBitmap(4, 4);
    std::vector<std::uint8_t> good = bitmap->SaveToBytes();
    std::vector<std::vector<std::uint8_t>> bad;
    bad.push_back({});
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.begin() + 30));  // cut in the header
    bad.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 1));     // cut in the pixels
    std::vector<std::uint8_t> wrongMagic = good;
    wrongMagic[0] = 'X';
    bad.push_back(wrongMagic);
    std::vector<std::uint8_t> compressed = good;
    compressed[30] = 1;
    bad.push_back(compressed);
    std::vector<std::uint8_t> huge = good;
    huge[22] = 0xFF, huge[23] = 0xFF, huge[24] = 0x00;  // height 65535 with 4 rows of data
    bad.push_back(huge);
    for (const auto& bytes : bad) {
        TBitmap target;
        target.SetSize(2, 2);
        try {
            target.LoadFromBytes(bytes);
            ADD_FAILURE() << "accepted a damaged file of " << bytes.size() << " bytes";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("Bitmap image is not valid"), std::string::npos);
        }
        EXPECT_EQ(target.GetWidth(), 2) << "a refused file leaves the bitmap as it was";
    }
}

TEST(Bitmap, DrawingOnIndexedBitmapsMapsToTheColourTable)
{
    auto mono = WhiteBitmap(8, 2, pf1bit);
    mono->Canvas()->Pen()->SetColor(clBlack);
    mono->Canvas()->MoveTo(0, 0);
    mono->Canvas()->LineTo(4, 0);
    EXPECT_EQ(mono->ScanLine(0)[0], 0x0F);  // four black (index 0) pixels, then white
    EXPECT_EQ(mono->ScanLine(1)[0], 0xFF);
}
