// Preloaded into plok or plok-capture by the tests: each change of the
// viewport also records a GL error, as a call that fails in a driver does.
#include <GL/gl.h>
#include <dlfcn.h>

extern "C" void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    using Viewport = void (*)(GLint, GLint, GLsizei, GLsizei);
    static const auto viewport = reinterpret_cast<Viewport>(dlsym(RTLD_NEXT, "glViewport"));
    viewport(x, y, width, height);
    glEnable(GL_RGBA);
}
