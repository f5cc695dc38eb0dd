#pragma once

// True when some GL context (EGL or GLX) is current on this thread. Lives here,
// below the layers that draw, because the scene and its lights must know whether
// a GL call may be made at all: scenes are built and loaded without any context
// by the command-line tool and the tests.
bool HasCurrentGLContext();
