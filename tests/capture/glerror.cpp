// Preloaded into plok-capture by the refusals test: each clear also records
// a GL error, as a call that fails in a driver does.
#include <GL/gl.h>
#include <dlfcn.h>

extern "C" void glClear(GLbitfield mask)
{
    using Clear = void (*)(GLbitfield);
    static const auto clear = reinterpret_cast<Clear>(dlsym(RTLD_NEXT, "glClear"));
    clear(mask);
    glEnable(GL_RGBA);
}
