// The off-screen renderer and the tessellator, loaded when the first rendering context is
// made rather than linked into every program: the renderer brings a whole compiler back
// end with it, which a program that never draws with OpenGL should not load at start-up.
// The layer defines every OpenGL 1.1 name itself (GlFunctions.h) and passes each call on
// to the renderer once it is loaded; before that a call does nothing and returns zero, as
// a call without a current context does.
#pragma once
#include <GL/glu.h>
#include <GL/osmesa.h>
#include <string>

struct TRenderer {
    OSMesaContext(GLAPIENTRY* CreateContextExt)(GLenum, GLint, GLint, GLint, OSMesaContext) = nullptr;
    GLboolean(GLAPIENTRY* MakeCurrent)(OSMesaContext, void*, GLenum, GLsizei, GLsizei) = nullptr;
    void(GLAPIENTRY* DestroyContext)(OSMesaContext) = nullptr;

    GLUtesselator*(GLAPIENTRY* NewTess)() = nullptr;
    void(GLAPIENTRY* DeleteTess)(GLUtesselator*) = nullptr;
    void(GLAPIENTRY* TessCallback)(GLUtesselator*, GLenum, _GLUfuncptr) = nullptr;
    void(GLAPIENTRY* TessProperty)(GLUtesselator*, GLenum, GLdouble) = nullptr;
    void(GLAPIENTRY* TessNormal)(GLUtesselator*, GLdouble, GLdouble, GLdouble) = nullptr;
    void(GLAPIENTRY* TessBeginPolygon)(GLUtesselator*, GLvoid*) = nullptr;
    void(GLAPIENTRY* TessBeginContour)(GLUtesselator*) = nullptr;
    void(GLAPIENTRY* TessVertex)(GLUtesselator*, GLdouble*, GLvoid*) = nullptr;
    void(GLAPIENTRY* TessEndContour)(GLUtesselator*) = nullptr;
    void(GLAPIENTRY* TessEndPolygon)(GLUtesselator*) = nullptr;
};

// Loads the renderer on the first call; null when it cannot be loaded.
const TRenderer* LoadRenderer();
// The renderer when it was loaded before, else null (nothing is loaded).
const TRenderer* LoadedRenderer();
// Why the renderer could not be loaded (empty when it was).
std::string RendererLoadError();
// True when the program's gl* names reach this layer's definitions. Were they bound to
// another OpenGL library loaded earlier, every drawing call would silently go nowhere.
bool GlNamesReachTheLayer();
