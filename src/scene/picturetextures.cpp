#include "picturetextures.h"

#include <QString>

#include <algorithm>

namespace {
const char *const CaptionPath = ":dialogs/%1.png";
const char *const CreditsPath = ":dialogs/credits.png";
const int BytesPerTexel = 4;

// The captions, then the credits, as texels with their mipmaps: each at its
// texture's index.
QVector<PictureTextures::Levels> decodePictures()
{
    QVector<QImage> texels;
    for (int i = 0; i < PictureTextures::CaptionCount; ++i)
        texels << PictureTextures::texels(QImage(QString(CaptionPath).arg(i)));
    texels << PictureTextures::texels(QImage(CreditsPath));

    QVector<PictureTextures::Levels> pictures;
    for (const QImage &image : texels)
        pictures << PictureTextures::levels(image, PictureTextures::Mipmaps::Made);
    return pictures;
}

int mean(int a, int b)
{
    return (a + b + 1) >> 1;
}

// The next smaller level: half as wide and high, down to 1.
QImage halved(const QImage &image)
{
    QImage half(qMax(image.width() / 2, 1), qMax(image.height() / 2, 1), image.format());
    const int across = image.width() > 1 ? BytesPerTexel : 0;
    const int down = image.height() > 1 ? 1 : 0;
    for (int y = 0; y < half.height(); ++y) {
        const uchar *upper = image.constScanLine(2 * y);
        const uchar *lower = image.constScanLine(2 * y + down);
        uchar *out = half.scanLine(y);
        for (int byte = 0; byte < half.width() * BytesPerTexel; ++byte) {
            const int at = (byte / BytesPerTexel) * 2 * BytesPerTexel + byte % BytesPerTexel;
            out[byte] = uchar(
                mean(mean(upper[at], upper[at + across]), mean(lower[at], lower[at + across])));
        }
    }
    return half;
}
} // namespace

// The pictures are decoded beside the window's creation.
PictureTextures::PictureTextures()
    : decoded(std::async(std::launch::async, decodePictures))
{
}

PictureTextures::PictureTextures(const QVector<Levels> &pictures)
    : decoded(std::async(std::launch::deferred, [pictures] { return pictures; }))
{
}

QVector<PictureTextures::Levels> PictureTextures::decodedPictures() const
{
    return pictures;
}

void PictureTextures::uploadFirstCaption()
{
    pictures = decoded.get();
    textures[FirstCaption] = makeTexture({ pictures[FirstCaption].first() });
}

void PictureTextures::uploadTheRest()
{
    glBindTexture(GL_TEXTURE_2D, textures[FirstCaption]);
    filterLinearly(Mipmaps::Made);
    upload(pictures[FirstCaption]);
    for (int i = FirstCaption + 1; i < Count; ++i)
        textures[i] = makeTexture(pictures[i]);
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

PictureTextures::Levels PictureTextures::levels(const QImage &image, Mipmaps mipmaps)
{
    Levels levels { image };
    if (mipmaps == Mipmaps::Made) {
        while (levels.last().width() > 1 || levels.last().height() > 1)
            levels << halved(levels.last());
    }
    return levels;
}

void PictureTextures::upload(const Levels &levels)
{
    for (int level = 0; level < levels.size(); ++level) {
        const QImage &image = levels[level];
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, image.width(), image.height(), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, image.constBits());
    }
}

GLuint PictureTextures::makeTexture(const Levels &levels)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    filterLinearly(levels.size() > 1 ? Mipmaps::Made : Mipmaps::None);
    upload(levels);
    return texture;
}

// With mipmaps the plasma stays smooth on distant cubes and the captions
// where they are drawn small; without, where a texture is never drawn
// smaller than its image, they would be neither read nor worth their making.
void PictureTextures::filterLinearly(Mipmaps mipmaps)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmaps == Mipmaps::Made ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
