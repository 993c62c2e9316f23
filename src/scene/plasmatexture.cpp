#include "plasmatexture.h"

#include "object.h"
#include "plasma.h"

PlasmaTexture::~PlasmaTexture() = default;

void PlasmaTexture::make(Plasma *plasma, PictureTextures::Mipmaps mipmaps)
{
    this->plasma = plasma;
    if (texture)
        glDeleteTextures(1, &texture);
    texture = PictureTextures::makeTexture(
        PictureTextures::levels(PictureTextures::texels(*plasma->getImage()), mipmaps));
}

GLuint PlasmaTexture::name() const
{
    return texture;
}

void PlasmaTexture::uploadForScreen()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    Object::clampTextureToEdge();
    upload(screenMipmaps());
}

// The plasma's image changes between frames, not between cubes, so one
// upload serves all four. Each upload of a texture that a draw of the frame
// has used makes llvmpipe finish that draw first.
void PlasmaTexture::uploadForCubes()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    upload(PictureTextures::Mipmaps::Made);
}

void PlasmaTexture::upload(PictureTextures::Mipmaps mipmaps)
{
    PictureTextures::filterLinearly(mipmaps);
    PictureTextures::upload(PictureTextures::levels(*plasma->getImage(), mipmaps));
}

// A viewport at least as large as the plasma's image only ever magnifies
// it, and the mipmaps that a smaller one needs are neither made nor read.
PictureTextures::Mipmaps PlasmaTexture::screenMipmaps() const
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const QSize image = plasma->getImage()->size();
    const bool minified = viewport[2] < image.width() || viewport[3] < image.height();
    return minified ? PictureTextures::Mipmaps::Made : PictureTextures::Mipmaps::None;
}
