// What the OpenGL panel and the off-screen OpenGL component share: the rendering context
// on a device context, the display-list fonts and their settings, text drawing and
// measuring, bitmap textures, extension queries and the display depth.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "platform/gl/Wgl.h"
#include "platform/ui/Graphics.h"

namespace KVC {

// A set of flag members: TFlagSet<E>() << a << b.
template <typename E>
struct TFlagSet {
    unsigned Bits = 0;
    TFlagSet& operator<<(E Member)
    {
        Bits |= 1u << Member;
        return *this;
    }
    TFlagSet& operator>>(E Member)
    {
        Bits &= ~(1u << Member);
        return *this;
    }
    bool Contains(E Member) const { return (Bits >> Member) & 1u; }
    friend bool operator==(const TFlagSet&, const TFlagSet&) = default;
};

enum TPFDPixelTypes { f_PFD_TYPE_RGBA = 0, f_PFD_TYPE_COLORINDEX = 1 };
enum TFont3DFormat { f_WGL_FONT_LINES = 0, f_WGL_FONT_POLYGONS = 1 };

struct OpenGLFont2D {
    int FirstGlyph = 0;
    int NumGlyph = 0;
    unsigned FirstList = 0;
};

struct OpenGLFont3D {
    int FirstGlyph = 0;
    int NumGlyph = 0;
    unsigned FirstList = 0;
    float Extrusion = 0;
    std::unique_ptr<GLYPHMETRICSFLOAT[]> Metrics;
};

// Texture pixels, rows bottom of the picture first, red, green, blue (and alpha).
struct BMPTexture {
    unsigned TextureName = 0;  // left to the application (its texture object, say)
    int Components = 3;
    int Width = 0;
    int Height = 0;
    unsigned Format = 0;  // GL_RGB or GL_RGBA
    unsigned Type = 0;    // GL_UNSIGNED_BYTE
    std::unique_ptr<unsigned char[]> Pixels;
};

class TOpenGLServices {
public:
    TOpenGLServices();
    virtual ~TOpenGLServices();
    TOpenGLServices(const TOpenGLServices&) = delete;
    TOpenGLServices& operator=(const TOpenGLServices&) = delete;

    // Pixel format requests read when the context is made.
    TPFDPixelTypes GetPFDPixelType() const { return FPixelType; }
    void SetPFDPixelType(TPFDPixelTypes Value);
    BYTE cColorBits = 32;
    BYTE cDepthBits = 32;

    // Fonts built when the context is initialised.
    bool Font3D_Enabled = false;
    int Font3D_FirstGylph = 32;
    int Font3D_NumGylph = 96;
    float Font3D_MaxDeviation = 0.0f;
    float Font3D_Extrustion = 0.1f;
    TFont* Font3D_Type() const { return FFont3DType.get(); }
    void SetFont3DType(const TFont* Value);
    TFont3DFormat GetFont3DFormat() const { return FFont3DFormat; }
    void SetFont3DFormat(TFont3DFormat Value);
    bool Font2D_Enabled = false;
    int Font2D_FirstGylph = 32;
    int Font2D_NumGylph = 96;
    TFont* Font2D_Type() const { return FFont2DType.get(); }
    void SetFont(const TFont* Value);
    // The fonts built at initialisation (none before).
    const OpenGLFont3D* Font3D() const { return FFont3D.get(); }
    const OpenGLFont2D* Font2D() const { return FFont2D.get(); }

    // Display-list fonts on the current context; the caller owns the result.
    OpenGLFont3D* Create3DFont(const TFont* Font, int First, int Count, float Deviation, float Extrusion, int Format);
    OpenGLFont2D* Create2DFont(const TFont* Font, int First, int Count);
    void Get3DTextSize(const OpenGLFont3D* Font, const std::string& Text, double* Size) const;
    void Get3DTextSize(const std::string& Text, double* Size) const { Get3DTextSize(FFont3D.get(), Text, Size); }
    void Draw3DText(const OpenGLFont3D* Font, const std::string& Text) const;
    void Draw3DText(const std::string& Text) const { Draw3DText(FFont3D.get(), Text); }
    void Draw2DText(const OpenGLFont2D* Font, const std::string& Text) const;
    void Draw2DText(const std::string& Text) const { Draw2DText(FFont2D.get(), Text); }

    static BMPTexture* LoadBMPTexture(const std::string& FileName, bool Alpha);
    static bool QueryOpenGLExtention(const std::string& Name);
    static int GetDisplayBPP();
    static bool SetDisplayBPP(int Bits);

    // Platform use: the device and rendering contexts (none before the context exists).
    HDC DeviceContext() const { return FDC; }
    HGLRC RenderingContext() const { return FRC; }

protected:
    // Makes the context on the device context with the given Win32 flags; failures are
    // shown to the user. The device context is kept either way.
    bool CreateContext(HDC Dc, DWORD Flags);
    // Deletes the fonts' lists and records and the context.
    void DestroyContext();
    void DeleteFonts();
    bool MakeCurrent() const;
    static void MakeNotCurrent();
    // With the context current: the enabled fonts, replacing those built before.
    void BuildFonts();
    // Current and with a context: runs Event, then makes no context current.
    void RunCurrent(const std::function<void()>& Event) const;

    HDC FDC = nullptr;
    HGLRC FRC = nullptr;

private:
    TPFDPixelTypes FPixelType = f_PFD_TYPE_RGBA;
    BYTE FPixelTypeWin32 = PFD_TYPE_RGBA;
    TFont3DFormat FFont3DFormat = f_WGL_FONT_POLYGONS;
    int FFont3DFormatWin32 = WGL_FONT_POLYGONS;
    std::unique_ptr<TFont> FFont3DType;
    std::unique_ptr<TFont> FFont2DType;
    std::unique_ptr<OpenGLFont3D> FFont3D;
    std::unique_ptr<OpenGLFont2D> FFont2D;
};

// "Text:" followed by the calling thread's last error number.
void ShowLastError(const std::string& Text);

}  // namespace KVC
