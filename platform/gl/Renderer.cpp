#include "platform/gl/Renderer.h"
#include "platform/gl/WglInternal.h"

#include <dlfcn.h>
#include <atomic>
#include <mutex>

namespace {

// The entry points of the loaded renderer, one per OpenGL name.
struct TGlEntries {
#define ZEL_GL_FUNCTION(Ret, Name, Params, Args) Ret(GLAPIENTRY* Name) Params = nullptr;
#include "platform/gl/GlFunctions.h"
#undef ZEL_GL_FUNCTION
};

TGlEntries Gl;
TRenderer Loaded;
std::atomic<const TRenderer*> Ready{nullptr};
std::string LoadError;

template <class T>
bool Resolve(void* Library, const char* Name, T& Entry)
{
    Entry = reinterpret_cast<T>(dlsym(Library, Name));
    if (!Entry) LoadError = std::string("missing ") + Name;
    return Entry != nullptr;
}

bool Load()
{
    // The libraries are never unloaded: contexts and display lists live in them until the
    // process ends.
    TRendererCall call;
    void* renderer = dlopen(ZEL_RENDERER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!renderer) {
        LoadError = dlerror();
        return false;
    }
    void* tessellator = dlopen(ZEL_TESSELLATOR_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!tessellator) {
        LoadError = dlerror();
        return false;
    }
    TRenderer r;
    bool ok = Resolve(renderer, "OSMesaCreateContextExt", r.CreateContextExt) &&
              Resolve(renderer, "OSMesaMakeCurrent", r.MakeCurrent) &&
              Resolve(renderer, "OSMesaDestroyContext", r.DestroyContext) &&
              Resolve(tessellator, "gluNewTess", r.NewTess) && Resolve(tessellator, "gluDeleteTess", r.DeleteTess) &&
              Resolve(tessellator, "gluTessCallback", r.TessCallback) &&
              Resolve(tessellator, "gluTessProperty", r.TessProperty) &&
              Resolve(tessellator, "gluTessNormal", r.TessNormal) &&
              Resolve(tessellator, "gluTessBeginPolygon", r.TessBeginPolygon) &&
              Resolve(tessellator, "gluTessBeginContour", r.TessBeginContour) &&
              Resolve(tessellator, "gluTessVertex", r.TessVertex) &&
              Resolve(tessellator, "gluTessEndContour", r.TessEndContour) &&
              Resolve(tessellator, "gluTessEndPolygon", r.TessEndPolygon);
    TGlEntries entries;
#define ZEL_GL_FUNCTION(Ret, Name, Params, Args) ok = ok && Resolve(renderer, #Name, entries.Name);
#include "platform/gl/GlFunctions.h"
#undef ZEL_GL_FUNCTION
    if (!ok) return false;
    Gl = entries;
    Loaded = r;
    return true;
}

template <class R>
R NoRenderer()
{
    return R();
}

}  // namespace

const TRenderer* LoadRenderer()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (Load()) Ready.store(&Loaded);
    });
    return Ready.load();
}

const TRenderer* LoadedRenderer() { return Ready.load(); }

std::string RendererLoadError() { return LoadRenderer() ? std::string() : LoadError; }

bool GlNamesReachTheLayer()
{
    static const bool reach = [] {
        Dl_info program{}, layer{};
        void* bound = dlsym(RTLD_DEFAULT, "glClear");
        return bound && dladdr(bound, &program) && dladdr(reinterpret_cast<void*>(&LoadedRenderer), &layer) &&
               program.dli_fbase == layer.dli_fbase;
    }();
    return reach;
}

// Every OpenGL name of the program lands here and goes on to the renderer.
extern "C" {
#define ZEL_GL_FUNCTION(Ret, Name, Params, Args) \
    GLAPI Ret GLAPIENTRY Name Params { return Gl.Name ? Gl.Name Args : NoRenderer<Ret>(); }
#include "platform/gl/GlFunctions.h"
#undef ZEL_GL_FUNCTION
}
