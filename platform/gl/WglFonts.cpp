// Display-list fonts: bitmap glyphs from the font's rendering, outline glyphs from its
// outlines, one list per character code.
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>
#include "platform/gl/Renderer.h"
#include "platform/gl/Wgl.h"
#include "platform/gl/WglInternal.h"
#include "platform/ui/GraphicsQt.h"

namespace {

// Character codes are single bytes of the font's ANSI code page (Latin-1 here).
QString CharacterText(DWORD Code) { return QString(QChar(static_cast<char16_t>(Code & 0xFF))); }

bool ListsUsable(HDC Dc, DWORD Count)
{
    if (!Dc || !wglGetCurrentContext()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (Count == 0 || Count > 0x10000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

// One glyph as a bitmap for glBitmap: rows bottom first, most significant bit leftmost,
// each row padded to a whole byte.
void CompileBitmapGlyph(const QFont& Font, const QFontMetrics& Metrics, DWORD Code)
{
    const QString text = CharacterText(Code);
    const QRect box = Metrics.boundingRect(text);
    const int advance = Metrics.horizontalAdvance(text);
    const int w = std::max(0, box.width());
    const int h = std::max(0, box.height());
    // An empty glyph (a blank) still needs pixel memory: the renderer refuses none.
    std::vector<GLubyte> bits(1, 0);
    const int rowBytes = (w + 7) / 8;
    if (w > 0 && h > 0) {
        QImage image(w, h, QImage::Format_Grayscale8);
        image.fill(0);
        {
            QPainter painter(&image);
            painter.setFont(Font);
            painter.setPen(Qt::white);
            painter.drawText(QPointF(-box.left(), -box.top()), text);
        }
        bits.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(h), 0);
        for (int row = 0; row < h; ++row) {
            const uchar* line = image.constScanLine(h - 1 - row);
            for (int x = 0; x < w; ++x)
                if (line[x] >= 128)
                    bits[static_cast<size_t>(row) * rowBytes + static_cast<size_t>(x / 8)] |= GLubyte(0x80u >> (x % 8));
        }
    }
    // The raster position stands on the baseline at the glyph's origin.
    glBitmap(w, h, static_cast<GLfloat>(-box.left()), static_cast<GLfloat>(box.bottom() + 1),
             static_cast<GLfloat>(advance), 0.0f, bits.data());
}

}  // namespace

bool wglUseFontBitmaps(HDC Dc, const TFont& Font, DWORD First, DWORD Count, DWORD ListBase)
{
    if (!ListsUsable(Dc, Count)) return false;
    QFont font = ToQFont(Font);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    for (DWORD i = 0; i < Count; ++i) {
        glNewList(ListBase + i, GL_COMPILE);
        CompileBitmapGlyph(font, metrics, First + i);
        glEndList();
    }
    glPopClientAttrib();
    return glGetError() == GL_NO_ERROR || (SetLastError(ERROR_INVALID_PARAMETER), false);
}

// ---------------------------------------------------------------------------------------
// Outline glyphs

namespace {

// Size at which outlines are taken; the result is scaled to one em.
constexpr int OutlineEm = 2048;

using TContour = std::vector<QPointF>;

// The glyph's closed contours in em units (y up), curves flattened so that no chord
// strays more than Deviation from the curve (0 takes Qt's own flattening).
std::vector<TContour> GlyphContours(const QPainterPath& Path, float Deviation)
{
    std::vector<TContour> contours;
    const qreal scale = 1.0 / OutlineEm;
    const QList<QPolygonF> polygons = Path.toSubpathPolygons();
    for (const QPolygonF& polygon : polygons) {
        TContour contour;
        for (const QPointF& p : polygon) {
            const QPointF q(p.x() * scale, -p.y() * scale);
            if (!contour.empty() && Deviation > 0 &&
                std::hypot(q.x() - contour.back().x(), q.y() - contour.back().y()) < Deviation / 4)
                continue;
            if (contour.empty() || contour.back() != q) contour.push_back(q);
        }
        if (contour.size() > 1 && contour.front() == contour.back()) contour.pop_back();
        if (contour.size() >= 3) contours.push_back(std::move(contour));
    }
    return contours;
}

struct TTessVertex {
    GLdouble Xyz[3];
};

void GLAPIENTRY TessBegin(GLenum Type) { glBegin(Type); }
void GLAPIENTRY TessEnd() { glEnd(); }
void GLAPIENTRY TessVertex(void* Data) { glVertex3dv(static_cast<const GLdouble*>(Data)); }
void GLAPIENTRY TessCombine(GLdouble Coords[3], void* [4], GLfloat[4], void** Out, void* Store)
{
    auto* store = static_cast<std::vector<std::unique_ptr<TTessVertex>>*>(Store);
    store->push_back(std::make_unique<TTessVertex>(TTessVertex{{Coords[0], Coords[1], Coords[2]}}));
    *Out = store->back()->Xyz;
}

// One face of the glyph, filled with the non-zero rule the outlines are drawn with.
void FillFace(const std::vector<TContour>& Contours, double Z, double NormalZ)
{
    // Glyphs are compiled into a current context's lists, so the renderer is loaded.
    const TRenderer* glu = LoadedRenderer();
    if (!glu) return;
    GLUtesselator* tess = glu->NewTess();
    if (!tess) return;
    std::vector<std::unique_ptr<TTessVertex>> vertices;
    std::vector<std::unique_ptr<TTessVertex>> combined;
    glu->TessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(&TessBegin));
    glu->TessCallback(tess, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(&TessEnd));
    glu->TessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(&TessVertex));
    glu->TessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&TessCombine));
    glu->TessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    glu->TessNormal(tess, 0, 0, NormalZ);
    glNormal3d(0, 0, NormalZ);
    glu->TessBeginPolygon(tess, &combined);
    for (const TContour& contour : Contours) {
        glu->TessBeginContour(tess);
        for (const QPointF& p : contour) {
            vertices.push_back(std::make_unique<TTessVertex>(TTessVertex{{p.x(), p.y(), Z}}));
            glu->TessVertex(tess, vertices.back()->Xyz, vertices.back()->Xyz);
        }
        glu->TessEndContour(tess);
    }
    glu->TessEndPolygon(tess);
    glu->DeleteTess(tess);
}

void CompileOutlineGlyph(const std::vector<TContour>& Contours, float Extrusion, int Format, float Advance)
{
    if (Format == WGL_FONT_LINES) {
        for (const TContour& contour : Contours) {
            glBegin(GL_LINE_LOOP);
            for (const QPointF& p : contour) glVertex3d(p.x(), p.y(), 0.0);
            glEnd();
        }
    } else {
        FillFace(Contours, 0.0, 1.0);
        if (Extrusion != 0.0f) {
            FillFace(Contours, -Extrusion, -1.0);
            for (const TContour& contour : Contours) {
                glBegin(GL_QUAD_STRIP);
                for (size_t i = 0; i <= contour.size(); ++i) {
                    const QPointF& p = contour[i % contour.size()];
                    const QPointF& next = contour[(i + 1) % contour.size()];
                    glNormal3d(next.y() - p.y(), p.x() - next.x(), 0.0);
                    glVertex3d(p.x(), p.y(), 0.0);
                    glVertex3d(p.x(), p.y(), -Extrusion);
                }
                glEnd();
            }
        }
    }
    // The next glyph starts where this one's cell ends.
    glTranslatef(Advance, 0.0f, 0.0f);
}

}  // namespace

bool wglUseFontOutlines(HDC Dc, const TFont& Font, DWORD First, DWORD Count, DWORD ListBase, float Deviation,
                        float Extrusion, int Format, GLYPHMETRICSFLOAT* Metrics)
{
    if (!ListsUsable(Dc, Count)) return false;
    if (Format != WGL_FONT_LINES && Format != WGL_FONT_POLYGONS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    QFont font = ToQFont(Font);
    font.setPixelSize(OutlineEm);
    const QFontMetricsF metrics(font);
    for (DWORD i = 0; i < Count; ++i) {
        const QString text = CharacterText(First + i);
        QPainterPath path;
        path.addText(0, 0, font, text);
        const auto contours = GlyphContours(path, Deviation);
        const float advance = static_cast<float>(metrics.horizontalAdvance(text) / OutlineEm);
        if (Metrics) {
            const QRectF box = path.boundingRect();
            GLYPHMETRICSFLOAT& m = Metrics[i];
            m.gmfBlackBoxX = static_cast<float>(box.width() / OutlineEm);
            m.gmfBlackBoxY = static_cast<float>(box.height() / OutlineEm);
            m.gmfptGlyphOrigin =
                POINTFLOAT{static_cast<float>(box.left() / OutlineEm), static_cast<float>(-box.top() / OutlineEm)};
            m.gmfCellIncX = advance;
            m.gmfCellIncY = 0.0f;
        }
        TRendererCall call;
        glNewList(ListBase + i, GL_COMPILE);
        CompileOutlineGlyph(contours, Extrusion, Format, advance);
        glEndList();
    }
    return glGetError() == GL_NO_ERROR || (SetLastError(ERROR_INVALID_PARAMETER), false);
}
