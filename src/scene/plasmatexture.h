#ifndef PLASMATEXTURE_H
#define PLASMATEXTURE_H

#include "picturetextures.h"

#include <qopengl.h>

class Plasma;

// The live plasma as a texture, re-specified with the plasma's current
// image whenever it is drawn: across the first scene's screen, and on the
// last scene's cubes. All of it with the GL context current.
class PlasmaTexture
{
public:
    PlasmaTexture() = default;
    ~PlasmaTexture();
    PlasmaTexture(const PlasmaTexture &) = delete;
    PlasmaTexture &operator=(const PlasmaTexture &) = delete;

    // A new texture of the plasma's image as GL makes an image's, bottom row
    // first, with its mipmaps or without; the one before is deleted.
    void make(Plasma *plasma, PictureTextures::Mipmaps mipmaps);
    GLuint name() const;

    // Binds the texture and gives it the plasma's current image as it lies:
    // red and blue arrive exchanged, and the top row at t = 0. For a quad
    // that fills the viewport, mipmaps are made only where the viewport is
    // smaller than the image; the cubes, drawn small in the distance, always
    // have them.
    void uploadForScreen();
    void uploadForCubes();

private:
    void upload(PictureTextures::Mipmaps mipmaps);
    PictureTextures::Mipmaps screenMipmaps() const;

    Plasma *plasma = nullptr;
    GLuint texture = 0;
};

#endif // PLASMATEXTURE_H
