#ifndef PICTURETEXTURES_H
#define PICTURETEXTURES_H

#include <QImage>
#include <QVector>
#include <qopengl.h>

#include <future>

// The textures of the captions and the credits. The pictures are decoded on
// a thread of their own from the moment this is made; with the GL context
// current, the first caption is uploaded for the first frame, and the other
// pictures, with mipmaps for where they are drawn small, when the later
// scenes are prepared. Also the way every texture of the scenes is made and
// filtered, the plasma's included.
class PictureTextures
{
public:
    static constexpr int CaptionCount = 3;
    static constexpr int FirstCaption = 0;
    // The credits come after the captions.
    static constexpr int Credits = CaptionCount;
    static constexpr int Count = CaptionCount + 1;

    enum class Mipmaps { Generated, None };

    PictureTextures();

    // The first caption, drawn without mipmaps: the first frame shows it
    // larger than its picture in any window taller than 424 pixels.
    void uploadFirstCaption();
    // The other pictures, and the first caption's mipmaps.
    void uploadTheRest();
    GLuint texture(int index) const;

    // An image as GL takes it: RGBA bytes with the rows bottom-up, so that
    // texture coordinate (0, 0) is the image's lower-left corner.
    static QImage texels(const QImage &image);
    // A new texture, bound, holding the texels.
    static GLuint makeTexture(const QImage &texels, Mipmaps mipmaps);
    // Linear filtering of the bound texture, with or without mipmaps that GL
    // makes again on every upload.
    static void filterLinearly(Mipmaps mipmaps);

private:
    std::future<QVector<QImage>> decoded;
    // The decoded pictures until their textures are made.
    QVector<QImage> pictures;
    GLuint textures[Count] = {};
};

#endif // PICTURETEXTURES_H
