// The OpenGL 1.1 interface of the platform, for modules that draw with OpenGL.
#pragma once
#include <GL/gl.h>
