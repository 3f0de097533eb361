// The OpenGL layer: memory and window device contexts rendered through Mesa's off-screen
// renderer, pixel formats, display lists shared between contexts, and the bitmap and
// outline fonts built from the framework's fonts.
#include <gtest/gtest.h>

#include <link.h>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstring>
#include <memory>
#include "platform/gl/Wgl.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GraphicsQt.h"

namespace {

// A memory device context with a W x H 32-bit bitmap and a current context on it.
struct TMemoryScene {
    TMemoryScene(int W, int H) : Width(W), Height(H)
    {
        Dc = CreateCompatibleDC(nullptr);
        BITMAPINFOHEADER header;
        header.biWidth = W;
        header.biHeight = H;
        header.biBitCount = 32;
        Bitmap = CreateDIBSection(Dc, &header, DIB_RGB_COLORS, &Bits);
        Previous = SelectObject(Dc, Bitmap);
        PIXELFORMATDESCRIPTOR pfd;
        pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI | PFD_SUPPORT_OPENGL;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 32;
        const int format = ChoosePixelFormat(Dc, &pfd);
        EXPECT_NE(format, 0);
        EXPECT_TRUE(SetPixelFormat(Dc, format, &pfd));
        Rc = wglCreateContext(Dc);
        EXPECT_NE(Rc, nullptr);
        EXPECT_TRUE(wglMakeCurrent(Dc, Rc));
        // One unit per pixel, origin at the bottom-left corner.
        glViewport(0, 0, W, H);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, W, 0, H, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    ~TMemoryScene()
    {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(Rc);
        SelectObject(Dc, Previous);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    // Pixel (X, Y) counted from the top-left corner as 0x00RRGGBB.
    unsigned Pixel(int X, int Y) const
    {
        glFinish();
        const auto* p = static_cast<const std::uint8_t*>(Bits) + (static_cast<size_t>(Height - 1 - Y) * Width + X) * 4;
        return (unsigned(p[2]) << 16) | (unsigned(p[1]) << 8) | p[0];
    }
    int Lit() const
    {
        int lit = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) lit += Pixel(x, y) != 0;
        return lit;
    }
    int Width, Height;
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HBITMAP Previous = nullptr;
    HGLRC Rc = nullptr;
    void* Bits = nullptr;
};

void FillRectangle(int X0, int Y0, int X1, int Y1, float Z = 0)
{
    glBegin(GL_QUADS);
    glVertex3f(float(X0), float(Y0), Z);
    glVertex3f(float(X1), float(Y0), Z);
    glVertex3f(float(X1), float(Y1), Z);
    glVertex3f(float(X0), float(Y1), Z);
    glEnd();
}

// True when a loaded library's file name contains Part.
bool LibraryLoaded(const char* Part)
{
    const char* part = Part;
    return dl_iterate_phdr(
               [](dl_phdr_info* Info, size_t, void* Wanted) {
                   return Info->dlpi_name && std::strstr(Info->dlpi_name, static_cast<const char*>(Wanted)) ? 1 : 0;
               },
               const_cast<char*>(part)) != 0;
}

// What the process had loaded before main: the libraries it is linked with.
const bool RendererAtStart = LibraryLoaded("libOSMesa");
const bool CompilerAtStart = LibraryLoaded("libLLVM");

}  // namespace

// The renderer drags in a compiler back end: a program linked with the layer loads
// neither until it makes its first context, and then the context renders.
TEST(WglRenderer, LoadsWithTheFirstContextNotWithTheProgram)
{
    EXPECT_FALSE(RendererAtStart);
    EXPECT_FALSE(CompilerAtStart);
    TMemoryScene scene(4, 4);
    EXPECT_TRUE(LibraryLoaded("libOSMesa"));
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(scene.Pixel(3, 3), 0x00FF00u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(WglMemoryContext, ClearsFillsATriangleAndTestsDepthWithExactPixels)
{
    TMemoryScene scene(8, 6);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(scene.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(scene.Pixel(7, 5), 0xFF0000u);

    // The lower-left half of a 4 x 4 square: pixel centres on or below the diagonal x + y = 4
    // (counted from the bottom) are covered by the fill rules.
    glColor3f(0, 0, 1);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0);
    glVertex2f(4, 0);
    glVertex2f(0, 4);
    glEnd();
    for (int yUp = 0; yUp < 6; ++yUp)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x + 0.5 + yUp + 0.5 < 4.0;
            EXPECT_EQ(scene.Pixel(x, 5 - yUp), inside ? 0x0000FFu : 0xFF0000u) << x << "," << yUp;
        }

    // Depth: a near green square drawn first hides the far part of a later white one.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glColor3f(0, 1, 0);
    FillRectangle(0, 0, 4, 6, 0.5f);  // glOrtho's near plane is z = 1: 0.5 is nearer
    glColor3f(1, 1, 1);
    FillRectangle(2, 0, 8, 6, -0.5f);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(scene.Pixel(x, 3), x < 4 ? 0x00FF00u : 0xFFFFFFu) << x;
    glDisable(GL_DEPTH_TEST);
}

TEST(WglMemoryContext, DisplayListsReplayAndAreSharedWithAnotherContext)
{
    TMemoryScene first(4, 4);
    const GLuint list = glGenLists(1);
    ASSERT_NE(list, 0u);
    glNewList(list, GL_COMPILE);
    glColor3f(0, 1, 0);
    FillRectangle(0, 0, 2, 4);
    glEndList();
    EXPECT_EQ(first.Lit(), 0);  // compiled, not drawn
    glCallList(list);
    glCallList(list);
    EXPECT_EQ(first.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(first.Pixel(1, 3), 0x00FF00u);
    EXPECT_EQ(first.Pixel(2, 0), 0u);

    TMemoryScene second(4, 4);  // now current
    EXPECT_FALSE(glIsList(list));
    // A current context cannot take another's lists; once it is not current, it can.
    EXPECT_FALSE(wglShareLists(first.Rc, second.Rc));
    EXPECT_EQ(GetLastError(), ERROR_BUSY);
    wglMakeCurrent(nullptr, nullptr);
    ASSERT_TRUE(wglShareLists(first.Rc, second.Rc));
    ASSERT_TRUE(wglMakeCurrent(second.Dc, second.Rc));
    glViewport(0, 0, 4, 4);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 4, 0, 4, -1, 1);
    EXPECT_TRUE(glIsList(list));
    glCallList(list);
    EXPECT_EQ(second.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(second.Pixel(3, 3), 0u);
}

TEST(WglMemoryContext, RefusesWhatItCannotRenderWithAnErrorNumber)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFOHEADER header;
    header.biWidth = 4;
    header.biHeight = 4;
    header.biBitCount = 24;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // No bitmap: a format can be chosen but not set; no format: no context.
    PIXELFORMATDESCRIPTOR pfd;
    pfd.dwFlags = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_OPENGL;
    const int format = ChoosePixelFormat(dc, &pfd);
    EXPECT_NE(format, 0);
    EXPECT_FALSE(SetPixelFormat(dc, format, &pfd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);
    EXPECT_EQ(wglCreateContext(dc), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PIXEL_FORMAT);

    // A bitmap selected into a device context cannot be deleted.
    header.biBitCount = 32;
    HBITMAP bitmap = CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(dc, nullptr), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));

    EXPECT_FALSE(wglDeleteContext(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(WglWindowContext, DrawsIntoTheBackBufferUntilTheSwap)
{
    TCustomControl window(nullptr);
    window.SetBounds(0, 0, 5, 3);
    HDC dc = GetDC(&window);
    PIXELFORMATDESCRIPTOR pfd;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    const int format = ChoosePixelFormat(dc, &pfd);
    ASSERT_TRUE(SetPixelFormat(dc, format, &pfd));
    PIXELFORMATDESCRIPTOR chosen;
    ASSERT_GT(DescribePixelFormat(dc, format, sizeof(chosen), &chosen), 0);
    EXPECT_TRUE(chosen.dwFlags & PFD_DOUBLEBUFFER);
    HGLRC rc = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, rc));
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    TGLPicture picture;
    ASSERT_TRUE(GetDCPicture(dc, picture));
    EXPECT_EQ(picture.Width, 5);
    EXPECT_EQ(picture.Height, 3);
    EXPECT_EQ(picture.Bits[0], 0);  // the front buffer still shows nothing
    EXPECT_TRUE(SwapBuffers(dc));
    ASSERT_TRUE(GetDCPicture(dc, picture));
    EXPECT_EQ(picture.Bits[0], 0xFF);  // blue byte first
    EXPECT_EQ(picture.Bits[2], 0);

    // The copy onto a framework bitmap is top row first in the bitmap's colours.
    TBitmap bitmap;
    ASSERT_TRUE(CopyDCPictureToBitmap(dc, &bitmap));
    EXPECT_EQ(bitmap.GetWidth(), 5);
    EXPECT_EQ(bitmap.Canvas()->GetPixel(4, 2), clBlue);

    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_TRUE(wglDeleteContext(rc));
    EXPECT_EQ(ReleaseDC(&window, dc), 1);
}

TEST(WglFonts, BitmapGlyphsDrawTheFontsRenderingAtTheRasterPosition)
{
    TMemoryScene scene(40, 24);
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-14);
    ASSERT_TRUE(wglUseFontBitmaps(scene.Dc, font, 32, 96, 1000));
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    const int baselineUp = 6;
    glRasterPos2i(2, baselineUp);
    glListBase(1000 - 32);
    glCallLists(2, GL_UNSIGNED_BYTE, "Hi");

    // Each glyph as the font draws it, without smoothing, on the same baseline, one whole
    // advance after the other.
    QFont qfont = ToQFont(font);
    qfont.setStyleStrategy(QFont::NoAntialias);
    QImage expected(40, 24, QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
        QPainter painter(&expected);
        painter.setFont(qfont);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(2, 24 - baselineUp), "H");
        painter.drawText(QPoint(2 + QFontMetrics(qfont).horizontalAdvance("H"), 24 - baselineUp), "i");
    }
    int lit = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool want = qGray(expected.pixel(x, y)) >= 128;
            lit += want;
            EXPECT_EQ(scene.Pixel(x, y) == 0xFFFFFFu, want) << x << "," << y;
        }
    EXPECT_GT(lit, 20);

    // The raster position moved on by the two advances.
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(int(raster[0]),
              2 + QFontMetrics(qfont).horizontalAdvance("H") + QFontMetrics(qfont).horizontalAdvance("i"));
}

TEST(WglFonts, OutlineGlyphsAreOneEmHighWithMetricsAndFill)
{
    TMemoryScene scene(32, 32);
    TFont font;
    font.SetName("DejaVu Sans");
    GLYPHMETRICSFLOAT metrics[2];
    ASSERT_TRUE(wglUseFontOutlines(scene.Dc, font, 'A', 2, 2000, 0.0f, 0.25f, WGL_FONT_POLYGONS, metrics));
    // An upper-case letter is a little less than one em high and starts near its origin.
    EXPECT_GT(metrics[0].gmfBlackBoxY, 0.6f);
    EXPECT_LT(metrics[0].gmfBlackBoxY, 1.0f);
    EXPECT_GT(metrics[0].gmfBlackBoxX, 0.5f);
    EXPECT_GE(metrics[0].gmfCellIncX, metrics[0].gmfBlackBoxX);
    EXPECT_NEAR(metrics[0].gmfptGlyphOrigin.y, metrics[0].gmfBlackBoxY, 0.02f);
    EXPECT_EQ(metrics[0].gmfCellIncY, 0.0f);

    // Drawn 32 pixels an em: "A" covers pixels, a wrong list would leave the picture black.
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glScalef(32, 32, 1);
    glCallList(2000);
    const int lit = scene.Lit();
    EXPECT_GT(lit, 60);
    EXPECT_LT(lit, 32 * 32 / 2);
    // The list leaves the model position one cell further on.
    GLfloat matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_NEAR(matrix[12], 32 * metrics[0].gmfCellIncX, 1e-3);
}
