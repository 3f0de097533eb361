// Plumbing shared by the sources of the OpenGL layer.
#pragma once
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// The renderer keeps a record of every memory it was made current on, and some of what
// display lists compile, for the life of the process: the leak checker is told so.
struct TRendererCall {
#if defined(__SANITIZE_ADDRESS__)
    TRendererCall() { __lsan_disable(); }
    ~TRendererCall() { __lsan_enable(); }
#else
    TRendererCall() {}
#endif
    TRendererCall(const TRendererCall&) = delete;
    TRendererCall& operator=(const TRendererCall&) = delete;
};
