#ifndef PICTURETEXTURES_H
#define PICTURETEXTURES_H

#include <QImage>
#include <QVector>
#include <qopengl.h>

#include <future>

// The textures of the captions and the credits. The pictures are decoded,
// and their mipmaps made, on a thread of their own from the moment this is
// made; with the GL context current, the first caption is uploaded for the
// first frame, and the other pictures, with mipmaps for where they are drawn
// small, when the later scenes are prepared. Also the way every texture of
// the scenes is made and filtered, the plasma's included.
class PictureTextures
{
public:
    static constexpr int CaptionCount = 3;
    static constexpr int FirstCaption = 0;
    // The credits come after the captions.
    static constexpr int Credits = CaptionCount;
    static constexpr int Count = CaptionCount + 1;

    enum class Mipmaps { Made, None };
    // An image and, where there are mipmaps, each smaller level down to
    // 1 x 1, largest first.
    using Levels = QVector<QImage>;

    PictureTextures();
    // Pictures decoded already, by another's decoding.
    explicit PictureTextures(const QVector<Levels> &pictures);

    // The decoded pictures, once the first caption is uploaded and until the
    // rest are.
    QVector<Levels> decodedPictures() const;

    // The first caption, drawn without mipmaps: the first frame shows it
    // larger than its picture in any window taller than 424 pixels.
    void uploadFirstCaption();
    // The other pictures, and the first caption's mipmaps.
    void uploadTheRest();
    GLuint texture(int index) const;

    // An image as GL takes it: RGBA bytes with the rows bottom-up, so that
    // texture coordinate (0, 0) is the image's lower-left corner.
    static QImage texels(const QImage &image);
    // The image, with its mipmaps or without. Each texel of a level is the
    // rounded mean of the rounded means of the two pairs of texels it covers
    // in the level above, along the rows first: the texels that Mesa 22's
    // GL makes (later Mesas round otherwise), but made without GL, which
    // costs llvmpipe a compile for a context's first mipmaps. The bytes are
    // averaged as they lie, whatever the channels they hold.
    static Levels levels(const QImage &image, Mipmaps mipmaps);
    // Specifies the bound texture as the levels' bytes as they lie.
    static void upload(const Levels &levels);
    // A new texture, bound, holding the levels, filtered linearly.
    static GLuint makeTexture(const Levels &levels);
    // Linear filtering of the bound texture, between its mipmaps or not.
    static void filterLinearly(Mipmaps mipmaps);

private:
    std::future<QVector<Levels>> decoded;
    // The decoded pictures with their mipmaps until their textures are made.
    QVector<Levels> pictures;
    GLuint textures[Count] = {};
};

#endif // PICTURETEXTURES_H
