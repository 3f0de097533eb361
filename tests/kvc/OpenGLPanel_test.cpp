// The OpenGL panel: the buffering flags it keeps, the context made with its window, the
// events run with the context current, buffer swaps, the picture the window shows and
// the bitmap file it saves.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include "TestSupport.h"
#include "kvc/OpenGLPanel.h"
#include "platform/gl/Printers.h"

using namespace KVC;

namespace {

TPFDFlagSet Flags(std::initializer_list<TPFDFlags> Members)
{
    TPFDFlagSet set;
    for (TPFDFlags m : Members) set << m;
    return set;
}

void Clear(float R, float G, float B)
{
    glClearColor(R, G, B, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

struct TPanelFixture : ::testing::Test {
    void SetUp() override
    {
        Panel = std::make_unique<TOpenGLPanel>(nullptr);
        Panel->SetBounds(0, 0, 7, 5);
        Panel->OnPaint = [this](TObject*) {
            ++Paints;
            glViewport(0, 0, 7, 5);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glOrtho(0, 7, 0, 5, -1, 1);
            Clear(Red, 0, 1);
            glColor3f(1, 1, 1);
            glBegin(GL_QUADS);  // the left three columns, white
            glVertex2f(0, 0);
            glVertex2f(3, 0);
            glVertex2f(3, 5);
            glVertex2f(0, 5);
            glEnd();
        };
    }
    // The picture the panel saves, read back from its bitmap file.
    void Saved(TBitmap& Bitmap)
    {
        Panel->SaveOpenGLPanelToFile(Dir.File("panel.bmp"));
        Bitmap.LoadFromFile(Dir.File("panel.bmp"));
    }
    TTempDir Dir;
    std::unique_ptr<TOpenGLPanel> Panel;
    int Paints = 0;
    float Red = 0;
};

}  // namespace

TEST(OpenGLPanel, KeepsExactlyOneOfGdiSupportAndDoubleBuffering)
{
    struct Case {
        TPFDFlagSet Old, New, Kept;
    };
    const TPFDFlagSet defaults = Flags({f_PFD_DRAW_TO_WINDOW, f_PFD_SUPPORT_OPENGL, f_PFD_DOUBLEBUFFER});
    const TPFDFlagSet gdi = Flags({f_PFD_DRAW_TO_WINDOW, f_PFD_SUPPORT_GDI});
    const Case cases[] = {
        {defaults, Flags({f_PFD_DRAW_TO_WINDOW}), Flags({f_PFD_DRAW_TO_WINDOW, f_PFD_SUPPORT_GDI})},
        {defaults, Flags({f_PFD_SUPPORT_GDI, f_PFD_DOUBLEBUFFER, f_PFD_STEREO}),
         Flags({f_PFD_SUPPORT_GDI, f_PFD_STEREO})},
        {gdi, Flags({f_PFD_DRAW_TO_WINDOW}), Flags({f_PFD_DRAW_TO_WINDOW, f_PFD_DOUBLEBUFFER})},
        {gdi, Flags({f_PFD_SUPPORT_GDI, f_PFD_DOUBLEBUFFER}), Flags({f_PFD_DOUBLEBUFFER})},
        {defaults, Flags({f_PFD_SUPPORT_GDI}), Flags({f_PFD_SUPPORT_GDI})},
        {defaults, Flags({f_PFD_DOUBLEBUFFER}), Flags({f_PFD_DOUBLEBUFFER})},
    };
    for (const Case& c : cases) {
        TOpenGLPanel panel(nullptr);
        EXPECT_EQ(panel.GetPFDFlags(), defaults);
        panel.SetPFDFlags(c.Old);
        EXPECT_EQ(panel.GetPFDFlags(), c.Old);
        panel.SetPFDFlags(c.New);
        EXPECT_EQ(panel.GetPFDFlags().Bits, c.Kept.Bits) << c.Old.Bits << " -> " << c.New.Bits;
    }
}

TEST(OpenGLPanel, DefaultsAndSetters)
{
    TOpenGLPanel panel(nullptr);
    EXPECT_EQ(panel.GetPFDPixelType(), f_PFD_TYPE_RGBA);
    EXPECT_EQ(panel.GetPFDNumColorBits(), 32);
    EXPECT_EQ(panel.GetPFDNumDepthBits(), 32);
    EXPECT_EQ(panel.GLSwapBuffers, Auto);
    EXPECT_EQ(panel.GetOpenGLPrintScale(), pglProportional);
    EXPECT_EQ(panel.GetOpenGLPixelsPerInch(), 96);
    EXPECT_FALSE(panel.Font3D_Enabled);
    EXPECT_FALSE(panel.Font2D_Enabled);
    EXPECT_EQ(panel.Font3D_Type()->GetName(), "Arial");
    EXPECT_EQ(panel.Font3D_Type()->GetHeight(), -9);
    EXPECT_EQ(panel.Font2D_Type()->GetName(), "Arial");
    EXPECT_EQ(panel.Font3D_FirstGylph, 32);
    EXPECT_EQ(panel.Font3D_NumGylph, 96);
    EXPECT_EQ(panel.Font2D_FirstGylph, 32);
    EXPECT_EQ(panel.Font2D_NumGylph, 96);
    EXPECT_FLOAT_EQ(panel.Font3D_MaxDeviation, 0.0f);
    EXPECT_FLOAT_EQ(panel.Font3D_Extrustion, 0.1f);
    EXPECT_EQ(panel.GetFont3DFormat(), f_WGL_FONT_POLYGONS);
    EXPECT_FALSE(panel.ContextCreated());  // the window is made when loading ends

    TFont font;
    font.SetName("DejaVu Serif");
    panel.SetFont(&font);
    EXPECT_EQ(panel.Font2D_Type()->GetName(), "DejaVu Serif");
    EXPECT_NE(panel.Font2D_Type(), &font);  // copied, not taken over
    EXPECT_EQ(panel.Font3D_Type()->GetName(), "Arial");
    panel.SetFont3DType(&font);
    EXPECT_EQ(panel.Font3D_Type()->GetName(), "DejaVu Serif");
    panel.SetFont3DFormat(f_WGL_FONT_LINES);
    EXPECT_EQ(panel.GetFont3DFormat(), f_WGL_FONT_LINES);
}

TEST_F(TPanelFixture, TheWindowBringsTheContextAndTheEventsRunWithItCurrent)
{
    std::vector<std::string> order;
    Panel->OnPreInit = [&](TObject*) {
        order.push_back("preinit");
        EXPECT_FALSE(Panel->ContextCreated());
    };
    Panel->Font2D_Enabled = true;
    Panel->OnInit = [&](TObject*) {
        order.push_back("init");
        EXPECT_EQ(wglGetCurrentContext(), Panel->RenderingContext());
        EXPECT_NE(Panel->Font2D(), nullptr);  // fonts come first
    };
    Panel->OnResize = [&](TObject*) {
        order.push_back("resize");
        EXPECT_EQ(wglGetCurrentContext(), Panel->RenderingContext());
    };
    Panel->SetBounds(0, 0, 8, 5);  // no window yet: no event
    Panel->EndLoading();
    ASSERT_TRUE(Panel->ContextCreated());
    EXPECT_TRUE(Panel->DoubleBuffered());
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"preinit", "init"}));
    Panel->Show();
    order.clear();
    Panel->SetBounds(0, 0, 7, 5);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(order, (std::vector<std::string>{"resize"}));

    // MakeOpenGLPanelCurrent leaves the context current for the caller.
    ASSERT_TRUE(Panel->MakeOpenGLPanelCurrent());
    EXPECT_EQ(wglGetCurrentContext(), Panel->RenderingContext());
    TOpenGLPanel::MakeOpenGLPanelNotCurrent();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(TPanelFixture, SavesThePaintedPictureAsABitmapFile)
{
    Panel->EndLoading();
    TBitmap saved;
    Saved(saved);
    EXPECT_EQ(Paints, 1);
    ASSERT_EQ(saved.GetWidth(), 7);
    ASSERT_EQ(saved.GetHeight(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(saved.Canvas()->GetPixel(x, y), x < 3 ? clWhite : clBlue) << x << "," << y;

    // A name that cannot be written reaches the caller.
    EXPECT_THROW(Panel->SaveOpenGLPanelToFile(Dir.File("no/such/folder/panel.bmp")), std::exception);
}

TEST_F(TPanelFixture, TheWindowShowsTheFrontBuffer)
{
    Panel->EndLoading();
    const QImage shown = Panel->Widget()->grab().toImage();
    ASSERT_EQ(shown.width(), 7);
    EXPECT_EQ(Paints, 1);
    EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(shown.pixel(6, 4) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(TPanelFixture, ManualSwapShowsThePictureOnlyWhenAsked)
{
    Panel->GLSwapBuffers = Manual;
    Panel->EndLoading();
    TBitmap saved;
    Saved(saved);
    EXPECT_EQ(Paints, 1);
    EXPECT_EQ(saved.Canvas()->GetPixel(6, 0), clBlack);  // still the untouched front buffer
    Panel->SwapBuffers();
    Panel->OnPaint = nullptr;
    Saved(saved);
    EXPECT_EQ(saved.Canvas()->GetPixel(6, 0), clBlue);
}

TEST_F(TPanelFixture, ASingleBufferedPanelDrawsStraightToTheWindow)
{
    Panel->SetPFDFlags(Flags({f_PFD_DRAW_TO_WINDOW, f_PFD_SUPPORT_OPENGL, f_PFD_SUPPORT_GDI}));
    Panel->GLSwapBuffers = Manual;
    Panel->EndLoading();
    EXPECT_FALSE(Panel->DoubleBuffered());
    TBitmap saved;
    Saved(saved);
    EXPECT_EQ(saved.Canvas()->GetPixel(6, 0), clBlue);
    // A swap does nothing: the picture stays as it was drawn.
    Red = 1;
    Panel->OnPaint = [](TObject*) { Clear(0, 1, 0); };
    Panel->SwapBuffers();
    Saved(saved);
    EXPECT_EQ(saved.Canvas()->GetPixel(6, 0), clLime);
    Panel->SwapBuffers();
    Panel->OnPaint = nullptr;
    Saved(saved);
    EXPECT_EQ(saved.Canvas()->GetPixel(6, 0), clLime);
}

TEST_F(TPanelFixture, BitmapTextDrawsOnlyWhenEveryCharacterHasAGlyph)
{
    Panel->Font2D_Enabled = true;
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-4);
    Panel->SetFont(&font);
    std::string text = "ii";
    Panel->OnPaint = [&](TObject*) {
        glViewport(0, 0, 7, 5);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 7, 0, 5, -1, 1);
        Clear(0, 0, 0);
        glColor3f(1, 1, 1);
        glRasterPos2i(1, 1);
        Panel->Draw2DText(text);
    };
    Panel->OnInit = [](TObject*) {};
    Panel->EndLoading();
    auto lit = [&] {
        TBitmap saved;
        Saved(saved);
        int count = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) count += saved.Canvas()->GetPixel(x, y) == clWhite;
        return count;
    };
    EXPECT_GT(lit(), 0);
    text = std::string("i") + char(31);
    EXPECT_EQ(lit(), 0);
}

TEST_F(TPanelFixture, PanelsShareDisplayLists)
{
    GLuint list = 0;
    Panel->OnInit = [&](TObject*) {
        list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        Clear(1, 0, 1);
        glEndList();
    };
    Panel->EndLoading();
    TOpenGLPanel other(nullptr);
    other.SetBounds(0, 0, 3, 3);
    other.EndLoading();
    ASSERT_TRUE(Panel->PanelShareLists(&other));
    other.OnPaint = [&](TObject*) { glCallList(list); };
    other.SaveOpenGLPanelToFile(Dir.File("other.bmp"));
    TBitmap saved;
    saved.LoadFromFile(Dir.File("other.bmp"));
    EXPECT_EQ(saved.Canvas()->GetPixel(2, 2), clFuchsia);
}

TEST(OpenGLPanel, DisplayDepthIsReadButNotChanged)
{
    EXPECT_GT(TOpenGLPanel::GetDisplayBPP(), 0);
    EXPECT_FALSE(TOpenGLPanel::SetDisplayBPP(16));
}

TEST_F(TPanelFixture, ANewParentRebuildsTheContextAndItsFonts)
{
    int inits = 0;
    Panel->Font2D_Enabled = true;
    Panel->OnInit = [&](TObject*) { ++inits; };
    Panel->EndLoading();
    ASSERT_NE(Panel->Font2D(), nullptr);
    TCustomControl parent(nullptr);
    parent.EndLoading();
    Panel->SetParent(&parent);
    EXPECT_EQ(inits, 2);
    ASSERT_TRUE(Panel->ContextCreated());
    EXPECT_NE(Panel->Font2D(), nullptr);
    TBitmap saved;
    Saved(saved);
    EXPECT_EQ(saved.Canvas()->GetPixel(0, 0), clWhite);
    Panel->SetParent(nullptr);
    EXPECT_EQ(inits, 3);
}

TEST(OpenGLPanel, PrintedSizeFollowsThePrintScale)
{
    struct Case {
        TOpenGLPrintScale Scale;
        int PixelsPerInch;
        int PageWidth, PageHeight;
        TSize Printed;
        int PixelsPerInchAfter;
    };
    // A 100 x 40 picture on a 600 x 300 dpi printer: margins 108 and 54 dots.
    const Case cases[] = {
        {pglNone, 96, 5000, 7000, {100, 40}, 96},
        {pglProportional, 96, 5000, 7000, {625, 125}, 96},
        {pglProportional, 0, 5000, 7000, {625, 125}, 96},  // no resolution: the screen's 96
        {pglProportional, 200, 5000, 7000, {300, 60}, 200},
        {pglPrintToFit, 96, 5216, 3108, {7500, 3000}, 96},  // wider than high: fits the height
        {pglPrintToFit, 96, 1216, 7108, {1000, 400}, 96},   // otherwise the width, whole factors
        {pglPrintToFit, 96, 1296, 7108, {1080, 400}, 96},
        {pglPrintToFit, 96, 300, 3108, {84, 0}, 96},  // page narrower than the picture: factor 0
    };
    for (const Case& c : cases) {
        TOpenGLPanel panel(nullptr);
        panel.SetOpenGLPrintScale(c.Scale);
        panel.SetOpenGLPixelsPerInch(c.PixelsPerInch);
        EXPECT_EQ(panel.PrintedSize(600, 300, c.PageWidth, c.PageHeight, 100, 40), c.Printed)
            << c.Scale << " " << c.PixelsPerInch << " " << c.PageWidth << "x" << c.PageHeight;
        EXPECT_EQ(panel.GetOpenGLPixelsPerInch(), c.PixelsPerInchAfter);
    }
    TOpenGLPanel panel(nullptr);
    panel.SetOpenGLPrintScale(pglPrintToFit);
    EXPECT_EQ(panel.PrintedSize(600, 300, 5000, 7000, 0, 0), (TSize{0, 0}));
}

TEST_F(TPanelFixture, PrintsThePaintedPicture)
{
    Panel->EndLoading();
    Printer()->SetOutputFileName(Dir.File("print.pdf"));
    Panel->PrintOpenGLPanel();
    Printer()->SetOutputFileName("");
    EXPECT_EQ(Paints, 1);
    EXPECT_FALSE(Printer()->Printing());
    const std::string pdf = ReadFileText(Dir.File("print.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("/Image"), std::string::npos);  // the picture is on the page
}
