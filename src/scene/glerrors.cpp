#include "glerrors.h"

#include <QStringList>
#include <qopengl.h>

#include <cstdio>

namespace {
// A driver keeps one flag for each kind of error; there are fewer kinds.
const int MostErrors = 8;

QString name(GLenum error)
{
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    case GL_INVALID_FRAMEBUFFER_OPERATION:
        return "GL_INVALID_FRAMEBUFFER_OPERATION";
    }
    return QString("GL error 0x%1").arg(error, 4, 16, QChar('0'));
}
} // namespace

QString GLErrors::take()
{
    QStringList names;
    for (GLenum error = glGetError(); error != GL_NO_ERROR && names.size() < MostErrors;
         error = glGetError())
        names << name(error);
    return names.join(", ");
}

void GLErrors::report(const char *when)
{
    const QString errors = take();
    if (!errors.isEmpty())
        std::fprintf(stderr, "Plok's OpenGL reported %s %s.\n", qPrintable(errors), when);
}
