// The off-screen OpenGL component: a picture rendered into its bitmap with exact pixels,
// copied to bitmaps, canvases and other device contexts, fonts built at initialisation,
// bitmap textures read from .bmp files, extension queries and the failures it reports.
#include <gtest/gtest.h>

#include <memory>
#include "TestSupport.h"
#include "kvc/KvOpenGL.h"

using namespace KVC;

namespace {

// One unit per pixel, origin at the bottom-left corner.
void PixelProjection(int W, int H)
{
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, W, 0, H, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Red background, a blue triangle over the lower-left half of the 4 x 4 square at the
// bottom-left corner.
void PaintScene(int W, int H)
{
    PixelProjection(W, H);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0, 0, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0);
    glVertex2f(4, 0);
    glVertex2f(0, 4);
    glEnd();
}

// The colour the scene has at (X, Y), counted from the top-left corner of a W x H picture.
TColor SceneColor(int X, int Y, int H)
{
    const int yUp = H - 1 - Y;
    return X + 0.5 + yUp + 0.5 < 4.0 ? clBlue : clRed;
}

struct TOffscreenFixture : ::testing::Test {
    void SetUp() override
    {
        GL = std::make_unique<TKvOpenGL>(nullptr);
        GL->OnPaint = [this](TObject* Sender) {
            EXPECT_EQ(Sender, GL.get());
            ++Paints;
            PaintScene(W, H);
        };
        GL->Resize(W, H);
    }
    std::unique_ptr<TKvOpenGL> GL;
    int W = 6;
    int H = 5;
    int Paints = 0;
};

}  // namespace

TEST_F(TOffscreenFixture, RepaintRendersTheSceneAndCopyToSizesTheBitmap)
{
    TBitmap bitmap;
    ASSERT_TRUE(bitmap.Empty());
    GL->Repaint();
    EXPECT_EQ(Paints, 1);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);  // nothing is left current
    GL->CopyTo(&bitmap);
    ASSERT_EQ(bitmap.GetWidth(), W);
    ASSERT_EQ(bitmap.GetHeight(), H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) EXPECT_EQ(bitmap.Canvas()->GetPixel(x, y), SceneColor(x, y, H)) << x << "," << y;
}

TEST_F(TOffscreenFixture, RepaintWithoutOnPaintLeavesThePicture)
{
    GL->Repaint();
    GL->OnPaint = nullptr;
    GL->Repaint();
    TBitmap bitmap;
    GL->CopyTo(&bitmap);
    EXPECT_EQ(bitmap.Canvas()->GetPixel(0, H - 1), clBlue);
    EXPECT_EQ(bitmap.Canvas()->GetPixel(W - 1, 0), clRed);
}

TEST_F(TOffscreenFixture, DrawCopiesTheTopLeftBlockWithoutStretching)
{
    GL->Repaint();
    struct Case {
        TRect Rect;
        int CopiedW, CopiedH;
    };
    const Case cases[] = {
        {Rect(10, 20, 10, 20), 6, 5},  // empty: the whole picture
        {Rect(3, 4, 5, 4), 2, 5},      // zero height takes the picture's
        {Rect(1, 1, 3, 3), 2, 2},      // a block, not the picture squeezed
    };
    for (const Case& c : cases) {
        TBitmap target;
        target.SetSize(30, 30);
        target.Canvas()->Brush()->SetColor(clWhite);
        target.Canvas()->FillRect(Rect(0, 0, 30, 30));
        GL->Draw(target.Canvas(), c.Rect);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x) {
                const int px = x - c.Rect.Left, py = y - c.Rect.Top;
                const bool copied = px >= 0 && py >= 0 && px < c.CopiedW && py < c.CopiedH;
                ASSERT_EQ(target.Canvas()->GetPixel(x, y), copied ? SceneColor(px, py, H) : clWhite)
                    << c.Rect.Left << "," << c.Rect.Top << ": " << x << "," << y;
            }
    }

    // Onto another component's device context.
    TKvOpenGL other(nullptr);
    other.OnPaint = [](TObject*) {
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    other.Resize(8, 8);
    other.Repaint();
    GL->Draw(other.DeviceContext(), Rect(2, 1, 2, 1));
    TBitmap copy;
    other.CopyTo(&copy);
    EXPECT_EQ(copy.Canvas()->GetPixel(1, 1), clLime);
    EXPECT_EQ(copy.Canvas()->GetPixel(2, 1), SceneColor(0, 0, H));
    EXPECT_EQ(copy.Canvas()->GetPixel(2, 5), SceneColor(0, 4, H));
    EXPECT_EQ(copy.Canvas()->GetPixel(7, 5), SceneColor(5, 4, H));
    EXPECT_EQ(copy.Canvas()->GetPixel(7, 6), clLime);
}

TEST_F(TOffscreenFixture, EachResizeLeavesOneNewBitmapSelected)
{
    const HBITMAP first = GL->Bitmap();
    ASSERT_NE(first, nullptr);
    GL->Resize(9, 7);
    GL->Resize(3, 2);
    EXPECT_EQ(GL->BitmapHeader().biWidth, 3);
    EXPECT_EQ(GL->BitmapHeader().biHeight, 2);
    EXPECT_EQ(GL->BitmapHeader().biBitCount, 32);
    TGLPicture picture;
    ASSERT_TRUE(GetDCPicture(GL->DeviceContext(), picture));
    EXPECT_EQ(picture.Width, 3);
    EXPECT_EQ(picture.Height, 2);
    // The bitmap in the device context is the component's own: a second one cannot be
    // selected while it is held, and the component's cannot be deleted.
    EXPECT_FALSE(DeleteObject(GL->Bitmap()));
    W = 3;
    H = 2;
    GL->Repaint();
    TBitmap bitmap;
    GL->CopyTo(&bitmap);
    EXPECT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(bitmap.Canvas()->GetPixel(0, 1), clBlue);
}

TEST(KvOpenGL, InitBuildsTheFontsAndTextIsDrawnOnlyWhenEveryCharacterHasAGlyph)
{
    TKvOpenGL gl(nullptr);
    gl.Font2D_Enabled = true;
    gl.Font3D_Enabled = true;
    gl.Font3D_FirstGylph = 65;
    gl.Font3D_NumGylph = 26;
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-12);
    gl.SetFont(&font);
    gl.SetFont3DType(&font);
    bool current = false;
    gl.OnInit = [&](TObject*) { current = wglGetCurrentContext() == gl.RenderingContext(); };
    std::string text = "Hi";
    gl.OnPaint = [&](TObject*) {
        PixelProjection(40, 20);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        glRasterPos2i(2, 5);
        gl.Draw2DText(text);
    };
    gl.Resize(40, 20);
    EXPECT_TRUE(current);
    ASSERT_NE(gl.Font2D(), nullptr);
    EXPECT_EQ(gl.Font2D()->FirstGlyph, 32);
    EXPECT_EQ(gl.Font2D()->NumGlyph, 96);
    ASSERT_NE(gl.Font3D(), nullptr);
    EXPECT_FLOAT_EQ(gl.Font3D()->Extrusion, 0.1f);

    auto lit = [&] {
        gl.Repaint();
        TBitmap bitmap;
        gl.CopyTo(&bitmap);
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) count += bitmap.Canvas()->GetPixel(x, y) == clWhite;
        return count;
    };
    const int hi = lit();
    EXPECT_GT(hi, 15);
    text = "H";
    EXPECT_LT(lit(), hi);
    EXPECT_GT(lit(), 0);
    // One character below the first glyph (or past the last) and nothing is drawn.
    for (const char* bad : {"H\x1Fi", "Hi\x80", ""}) {
        text = bad;
        EXPECT_EQ(lit(), 0) << bad;
    }

    // The size of "A": its black box and the extrusion; with more letters the cells of all
    // but the last add up.
    double size[3] = {-1, -1, -1};
    gl.Get3DTextSize("A", size);
    const GLYPHMETRICSFLOAT& a = gl.Font3D()->Metrics[0];
    EXPECT_DOUBLE_EQ(size[0], a.gmfBlackBoxX);
    EXPECT_DOUBLE_EQ(size[1], a.gmfBlackBoxY);
    EXPECT_DOUBLE_EQ(size[2], double(0.1f));
    gl.Get3DTextSize("AB", size);
    EXPECT_DOUBLE_EQ(size[0], double(a.gmfCellIncX) + gl.Font3D()->Metrics[1].gmfBlackBoxX);
    gl.Get3DTextSize("A b", size);  // blank and lower case are outside 65..90
    EXPECT_EQ(size[0], 0);
    EXPECT_EQ(size[2], 0);
    size[0] = 7;
    gl.Get3DTextSize("", size);
    EXPECT_EQ(size[0], 7);
}

TEST(KvOpenGL, ExtensionsAreMatchedAsWholeWords)
{
    TKvOpenGL gl(nullptr);
    EXPECT_FALSE(TOpenGLServices::QueryOpenGLExtention("GL_ARB_multitexture"));  // no context
    gl.Resize(2, 2);
    ASSERT_TRUE(gl.MakeOpenGLCurrent());
    const std::string all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const std::string first = all.substr(0, all.find(' '));
    const std::string last = all.substr(all.rfind(' ', all.size() - 2) + 1);
    EXPECT_TRUE(TOpenGLServices::QueryOpenGLExtention(first));
    EXPECT_TRUE(TOpenGLServices::QueryOpenGLExtention(last.back() == ' ' ? last.substr(0, last.size() - 1) : last));
    EXPECT_FALSE(TOpenGLServices::QueryOpenGLExtention(first.substr(0, first.size() - 1)));
    EXPECT_FALSE(TOpenGLServices::QueryOpenGLExtention(first + "X"));
    EXPECT_FALSE(TOpenGLServices::QueryOpenGLExtention(""));
    TKvOpenGL::MakeOpenGLNotCurrent();
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(KvOpenGL, BitmapTexturesStartWithTheBottomRow)
{
    TTempDir dir;
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(3, 2);
    const TColor top[] = {RGB(1, 2, 3), RGB(10, 20, 30), RGB(100, 110, 120)};
    const TColor bottom[] = {RGB(4, 5, 6), RGB(40, 50, 60), RGB(200, 210, 220)};
    for (int x = 0; x < 3; ++x) {
        picture.Canvas()->SetPixel(x, 0, top[x]);
        picture.Canvas()->SetPixel(x, 1, bottom[x]);
    }
    picture.SaveToFile(dir.File("t.bmp"));

    for (const bool alpha : {false, true}) {
        std::unique_ptr<BMPTexture> texture(TOpenGLServices::LoadBMPTexture(dir.File("t.bmp"), alpha));
        ASSERT_NE(texture, nullptr);
        const int n = alpha ? 4 : 3;
        EXPECT_EQ(texture->Components, n);
        EXPECT_EQ(texture->Width, 3);
        EXPECT_EQ(texture->Height, 2);
        EXPECT_EQ(texture->Format, alpha ? 6408u : 6407u);
        EXPECT_EQ(texture->Type, 5121u);
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x < 3; ++x) {
                const TColor c = row == 0 ? bottom[x] : top[x];
                const unsigned char* p = texture->Pixels.get() + (row * 3 + x) * n;
                EXPECT_EQ(p[0], GetRValue(c));
                EXPECT_EQ(p[1], GetGValue(c));
                EXPECT_EQ(p[2], GetBValue(c));
                if (alpha) {
                    EXPECT_EQ(p[3], 255);
                }
            }
    }

    WriteFileText(dir.File("broken.bmp"), "BM not really a bitmap");
    EXPECT_EQ(TOpenGLServices::LoadBMPTexture(dir.File("broken.bmp"), false), nullptr);
    EXPECT_EQ(TOpenGLServices::LoadBMPTexture(dir.File("missing.bmp"), true), nullptr);
}

TEST(KvOpenGL, ListsAreSharedWithAnotherComponent)
{
    TKvOpenGL first(nullptr), second(nullptr);
    GLuint list = 0;
    first.OnInit = [&](TObject*) {
        list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        glClearColor(1, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEndList();
    };
    first.Resize(2, 2);
    second.Resize(2, 2);
    ASSERT_TRUE(first.PanelShareLists(&second));
    second.OnPaint = [&](TObject*) { glCallList(list); };
    second.Repaint();
    TBitmap bitmap;
    second.CopyTo(&bitmap);
    EXPECT_EQ(bitmap.Canvas()->GetPixel(1, 1), clYellow);
    EXPECT_FALSE(first.PanelShareLists(nullptr));
}

TEST(KvOpenGL, AContextThatCannotBeMadeIsReportedAndPaintsNothing)
{
    TDialogRecorder dialogs;
    TKvOpenGL gl(nullptr);
    gl.cColorBits = 24;  // the renderer draws only into 32-bit bitmaps
    int paints = 0;
    gl.OnPaint = [&](TObject*) { ++paints; };
    gl.Resize(4, 4);
    ASSERT_EQ(dialogs.Requests.size(), 2u);
    EXPECT_EQ(dialogs.Requests[0].Text, "SetPixelFormat:2000");
    EXPECT_EQ(dialogs.Requests[1].Text, "Open GL Context Create Failed");
    gl.Repaint();
    EXPECT_EQ(paints, 0);
    ASSERT_EQ(dialogs.Requests.size(), 3u);
    EXPECT_EQ(dialogs.Requests[2].Text, "wglMakeCurrent:6");

    // A later size with a depth it can render recovers.
    gl.cColorBits = 32;
    gl.Resize(4, 4);
    gl.Repaint();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(dialogs.Requests.size(), 3u);
}

TEST(KvOpenGL, OutlineTextIsDrawnAtTheModelPositionInBothFormats)
{
    for (const TFont3DFormat format : {f_WGL_FONT_POLYGONS, f_WGL_FONT_LINES}) {
        TKvOpenGL gl(nullptr);
        gl.Font3D_Enabled = true;
        gl.Font3D_FirstGylph = 65;
        gl.Font3D_NumGylph = 26;
        gl.SetFont3DFormat(format);
        TFont font;
        font.SetName("DejaVu Sans");
        gl.SetFont3DType(&font);
        gl.OnInit = [](TObject*) {};
        std::string text;
        GLint frontFace = 0;
        gl.OnPaint = [&](TObject*) {
            PixelProjection(64, 32);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glColor3f(1, 1, 1);
            glTranslatef(1, 4, 0);
            glScalef(24, 24, 1);
            glFrontFace(GL_CW);
            gl.Draw3DText(text);
            glGetIntegerv(GL_FRONT_FACE, &frontFace);
        };
        gl.Resize(64, 32);
        auto lit = [&](const std::string& Text) {
            text = Text;
            gl.Repaint();
            TBitmap bitmap;
            gl.CopyTo(&bitmap);
            int count = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 64; ++x) count += bitmap.Canvas()->GetPixel(x, y) == clWhite;
            return count;
        };
        const int a = lit("A");
        EXPECT_GT(a, 10) << format;
        EXPECT_GT(lit("AL"), a) << format;  // the second glyph stands beside the first
        EXPECT_EQ(frontFace, GL_CW);
        EXPECT_EQ(lit("A "), 0) << format;  // the blank is below the first glyph
    }
}
