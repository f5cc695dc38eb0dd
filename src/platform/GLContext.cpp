#include "platform/GLContext.h"

#include <EGL/egl.h>
#include <GL/glx.h>

bool HasCurrentGLContext() { return eglGetCurrentContext() != EGL_NO_CONTEXT || glXGetCurrentContext() != nullptr; }
