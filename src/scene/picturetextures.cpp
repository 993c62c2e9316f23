#include "picturetextures.h"

#include <QString>

#include <algorithm>

namespace {
const char *const CaptionPath = ":dialogs/%1.png";
const char *const CreditsPath = ":dialogs/credits.png";

// The captions, then the credits, as texels: each at its texture's index.
QVector<QImage> decodePictures()
{
    QVector<QImage> pictures;
    for (int i = 0; i < PictureTextures::CaptionCount; ++i)
        pictures << PictureTextures::texels(QImage(QString(CaptionPath).arg(i)));
    pictures << PictureTextures::texels(QImage(CreditsPath));
    return pictures;
}

// Specifies the bound texture as the texels.
void upload(const QImage &texels)
{
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texels.width(), texels.height(), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.constBits());
}
} // namespace

// The pictures are decoded beside the window's creation.
PictureTextures::PictureTextures()
    : decoded(std::async(std::launch::async, decodePictures))
{
}

void PictureTextures::uploadFirstCaption()
{
    pictures = decoded.get();
    textures[FirstCaption] = makeTexture(pictures[FirstCaption], Mipmaps::None);
}

// llvmpipe takes 50 ms to make the first mipmaps of a run.
void PictureTextures::uploadTheRest()
{
    glBindTexture(GL_TEXTURE_2D, textures[FirstCaption]);
    filterLinearly(Mipmaps::Generated);
    upload(pictures[FirstCaption]);
    for (int i = FirstCaption + 1; i < Count; ++i)
        textures[i] = makeTexture(pictures[i], Mipmaps::Generated);
    pictures.clear();
}

GLuint PictureTextures::texture(int index) const
{
    return textures[index];
}

QImage PictureTextures::texels(const QImage &image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QImage bottomUp(rgba.size(), QImage::Format_RGBA8888);
    for (int row = 0; row < rgba.height(); ++row)
        std::copy_n(rgba.constScanLine(rgba.height() - 1 - row), rgba.bytesPerLine(),
                    bottomUp.scanLine(row));
    return bottomUp;
}

GLuint PictureTextures::makeTexture(const QImage &texels, Mipmaps mipmaps)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    filterLinearly(mipmaps);
    upload(texels);
    return texture;
}

// With mipmaps the plasma stays smooth on distant cubes and the captions
// where they are drawn small; without, where a texture is never drawn
// smaller than its image, they would be neither read nor worth their making.
void PictureTextures::filterLinearly(Mipmaps mipmaps)
{
    const bool generated = mipmaps == Mipmaps::Generated;
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, generated ? GL_TRUE : GL_FALSE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    generated ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
