#include "kvc/OpenGLServices.h"

#include <cstring>
#include <exception>
#include "platform/ui/Dialogs.h"

namespace KVC {

void ShowLastError(const std::string& Text) { ShowMessage(Text + std::to_string(GetLastError())); }

TOpenGLServices::TOpenGLServices() : FFont3DType(std::make_unique<TFont>()), FFont2DType(std::make_unique<TFont>())
{
    // Rendering and font building must not trap on floating-point exceptions.
    MaskFloatingPointExceptions();
    for (TFont* font : {FFont3DType.get(), FFont2DType.get()}) {
        font->SetName("Arial");
        font->SetHeight(-9);
    }
}

TOpenGLServices::~TOpenGLServices() = default;

void TOpenGLServices::SetPFDPixelType(TPFDPixelTypes Value)
{
    FPixelType = Value;
    FPixelTypeWin32 = Value == f_PFD_TYPE_COLORINDEX ? PFD_TYPE_COLORINDEX : PFD_TYPE_RGBA;
}

void TOpenGLServices::SetFont3DFormat(TFont3DFormat Value)
{
    FFont3DFormat = Value;
    FFont3DFormatWin32 = Value == f_WGL_FONT_LINES ? WGL_FONT_LINES : WGL_FONT_POLYGONS;
}

void TOpenGLServices::SetFont3DType(const TFont* Value)
{
    if (Value) FFont3DType->Assign(*Value);
}

void TOpenGLServices::SetFont(const TFont* Value)
{
    if (Value) FFont2DType->Assign(*Value);
}

bool TOpenGLServices::CreateContext(HDC Dc, DWORD Flags)
{
    PIXELFORMATDESCRIPTOR pfd;
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = Flags;
    pfd.iPixelType = FPixelTypeWin32;
    pfd.cColorBits = cColorBits;
    pfd.cDepthBits = cDepthBits;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(Dc, &pfd);
    if (format == 0) {
        ShowLastError("ChoosePixelFormat:");
        return false;
    }
    if (!SetPixelFormat(Dc, format, &pfd)) {
        ShowLastError("SetPixelFormat:");
        return false;
    }
    // The formats offered here never need a logical palette.
    FRC = wglCreateContext(Dc);
    if (!FRC) {
        ShowLastError("wglRenderingContext:");
        return false;
    }
    FDC = Dc;
    return true;
}

void TOpenGLServices::DeleteFonts()
{
    // The lists go with the context they live in; they are deleted while it can be made
    // current, the records in any case.
    if (FRC && FDC && (FFont3D || FFont2D) && wglMakeCurrent(FDC, FRC)) {
        if (FFont3D) glDeleteLists(FFont3D->FirstList, FFont3D->NumGlyph);
        if (FFont2D) glDeleteLists(FFont2D->FirstList, FFont2D->NumGlyph);
        wglMakeCurrent(nullptr, nullptr);
    }
    FFont3D.reset();
    FFont2D.reset();
}

void TOpenGLServices::DestroyContext()
{
    wglMakeCurrent(nullptr, nullptr);
    if (FRC) {
        if (!wglDeleteContext(FRC)) ShowLastError("wglDeleteContext:");
        FRC = nullptr;
    }
}

bool TOpenGLServices::MakeCurrent() const
{
    // Without a context there is nothing to make current (an empty context would only
    // make none current and let the caller draw nowhere).
    if (!FRC) SetLastError(ERROR_INVALID_HANDLE);
    if (!FRC || !wglMakeCurrent(FDC, FRC)) {
        ShowLastError("wglMakeCurrent:");
        return false;
    }
    return true;
}

void TOpenGLServices::MakeNotCurrent() { wglMakeCurrent(nullptr, nullptr); }

void TOpenGLServices::RunCurrent(const std::function<void()>& Event) const
{
    if (!MakeCurrent()) return;
    try {
        Event();
    } catch (...) {
        MakeNotCurrent();
        throw;
    }
    MakeNotCurrent();
}

void TOpenGLServices::BuildFonts()
{
    if (Font3D_Enabled) {
        if (FFont3D) glDeleteLists(FFont3D->FirstList, FFont3D->NumGlyph);
        FFont3D.reset(Create3DFont(FFont3DType.get(), Font3D_FirstGylph, Font3D_NumGylph, Font3D_MaxDeviation,
                                   Font3D_Extrustion, FFont3DFormatWin32));
    }
    if (Font2D_Enabled) {
        if (FFont2D) glDeleteLists(FFont2D->FirstList, FFont2D->NumGlyph);
        FFont2D.reset(Create2DFont(FFont2DType.get(), Font2D_FirstGylph, Font2D_NumGylph));
    }
}

namespace {
bool ListRangeUsable(int First, int Count)
{
    return wglGetCurrentContext() && First >= 0 && Count > 0 && First + Count <= 256;
}
}  // namespace

OpenGLFont3D* TOpenGLServices::Create3DFont(const TFont* Font, int First, int Count, float Deviation, float Extrusion,
                                            int Format)
{
    if (!Font || !ListRangeUsable(First, Count)) return nullptr;
    const GLuint lists = glGenLists(Count);
    if (lists == 0) return nullptr;
    auto font = std::make_unique<OpenGLFont3D>();
    font->FirstGlyph = First;
    font->NumGlyph = Count;
    font->FirstList = lists;
    font->Extrusion = Extrusion;
    font->Metrics = std::make_unique<GLYPHMETRICSFLOAT[]>(static_cast<size_t>(Count));
    wglUseFontOutlines(wglGetCurrentDC(), *Font, static_cast<DWORD>(First), static_cast<DWORD>(Count), lists, Deviation,
                       Extrusion, Format, font->Metrics.get());
    return font.release();
}

OpenGLFont2D* TOpenGLServices::Create2DFont(const TFont* Font, int First, int Count)
{
    if (!Font || !ListRangeUsable(First, Count)) return nullptr;
    const GLuint lists = glGenLists(Count);
    if (lists == 0) return nullptr;
    auto font = std::make_unique<OpenGLFont2D>();
    font->FirstGlyph = First;
    font->NumGlyph = Count;
    font->FirstList = lists;
    wglUseFontBitmaps(wglGetCurrentDC(), *Font, static_cast<DWORD>(First), static_cast<DWORD>(Count), lists);
    return font.release();
}

namespace {
// True when every character of the text has a glyph in [First, First + Count - 1].
bool AllInRange(const std::string& Text, int First, int Count)
{
    for (const char c : Text) {
        const int code = static_cast<unsigned char>(c);
        if (code < First || code > First + Count - 1) return false;
    }
    return true;
}

void CallGlyphLists(unsigned FirstList, int FirstGlyph, const std::string& Text)
{
    glPushAttrib(GL_LIST_BIT);
    glListBase(FirstList - static_cast<unsigned>(FirstGlyph));
    glCallLists(static_cast<GLsizei>(Text.size()), GL_UNSIGNED_BYTE, Text.data());
    glPopAttrib();
}
}  // namespace

void TOpenGLServices::Get3DTextSize(const OpenGLFont3D* Font, const std::string& Text, double* Size) const
{
    if (!Font || !Size || Text.empty()) return;
    Size[0] = 0;
    Size[1] = 0;
    Size[2] = Font->Extrusion;
    for (size_t i = 0; i < Text.size(); ++i) {
        const int code = static_cast<unsigned char>(Text[i]);
        if (code < Font->FirstGlyph || code > Font->FirstGlyph + Font->NumGlyph - 1) {
            Size[0] = Size[1] = Size[2] = 0;
            return;
        }
        const GLYPHMETRICSFLOAT& m = Font->Metrics[static_cast<size_t>(code - Font->FirstGlyph)];
        if (i + 1 < Text.size()) {
            Size[0] += m.gmfCellIncX;
            Size[1] += m.gmfCellIncY;
        } else {
            Size[0] += m.gmfBlackBoxX;
            Size[1] += m.gmfBlackBoxY;
        }
    }
}

void TOpenGLServices::Draw3DText(const OpenGLFont3D* Font, const std::string& Text) const
{
    if (!Font || Text.empty() || !AllInRange(Text, Font->FirstGlyph, Font->NumGlyph)) return;
    GLint frontFace = GL_CCW;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    CallGlyphLists(Font->FirstList, Font->FirstGlyph, Text);
    glFrontFace(static_cast<GLenum>(frontFace));
}

void TOpenGLServices::Draw2DText(const OpenGLFont2D* Font, const std::string& Text) const
{
    if (!Font || Text.empty() || !AllInRange(Text, Font->FirstGlyph, Font->NumGlyph)) return;
    CallGlyphLists(Font->FirstList, Font->FirstGlyph, Text);
}

BMPTexture* TOpenGLServices::LoadBMPTexture(const std::string& FileName, bool Alpha)
{
    try {
        TBitmap bitmap;
        bitmap.LoadFromFile(FileName);
        if (bitmap.Empty()) return nullptr;
        bitmap.SetPixelFormat(pf24bit);
        auto texture = std::make_unique<BMPTexture>();
        texture->Components = Alpha ? 4 : 3;
        texture->Width = bitmap.GetWidth();
        texture->Height = bitmap.GetHeight();
        texture->Format = Alpha ? GL_RGBA : GL_RGB;
        texture->Type = GL_UNSIGNED_BYTE;
        const size_t rowBytes = static_cast<size_t>(texture->Width) * static_cast<size_t>(texture->Components);
        texture->Pixels = std::make_unique<unsigned char[]>(rowBytes * static_cast<size_t>(texture->Height));
        // The first texture row is the bottom of the picture.
        for (int i = 0; i < texture->Height; ++i) {
            const std::uint8_t* source = bitmap.ScanLine(texture->Height - 1 - i);
            unsigned char* target = texture->Pixels.get() + rowBytes * static_cast<size_t>(i);
            for (int x = 0; x < texture->Width; ++x) {
                const std::uint8_t* bgr = source + 3 * x;
                *target++ = bgr[2];
                *target++ = bgr[1];
                *target++ = bgr[0];
                if (Alpha) *target++ = 255;
            }
        }
        return texture.release();
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool TOpenGLServices::QueryOpenGLExtention(const std::string& Name)
{
    if (!wglGetCurrentContext()) return false;
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || Name.empty()) return false;
    const char* word = extensions;
    while (*word) {
        const char* end = std::strchr(word, ' ');
        const size_t length = end ? static_cast<size_t>(end - word) : std::strlen(word);
        if (length == Name.size() && std::strncmp(word, Name.c_str(), length) == 0) return true;
        if (!end) break;
        word = end + 1;
    }
    return false;
}

int TOpenGLServices::GetDisplayBPP() { return GetScreenBitsPerPixel(); }

bool TOpenGLServices::SetDisplayBPP(int Bits) { return ChangeScreenBitsPerPixel(Bits); }

}  // namespace KVC
