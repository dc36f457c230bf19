#pragma once
// The shadow of a whole frame picture for output renders, kept small.
//
// A poster frame's picture can be 15 megapixels, and a band of the poster
// needs the shadows of every frame it crosses. The shadow is the smoothed
// alpha of the picture padded by a margin, so it has to be computed over
// the whole picture to come out the same in every band. Most frames show an
// opaque photo that fills them: their picture's alpha is one value inside a
// rectangle, and the smoothing of such a rectangle settles to the same rows
// and columns everywhere away from its edges. Those frames keep the mask of
// a small rectangle and repeat its middle row and column; the others keep
// the whole mask, one byte a pixel.

#include <QImage>
#include <QSize>

class CShadowPlane
{
public:
    CShadowPlane() = default;

    // The margin around a picture that its shadow spreads into at this
    // zoom: where the smoothing of an opaque edge has faded below one level.
    static int marginFor(float zoom, bool hasTransparency);

    // From a picture already padded by the margin on every side.
    static CShadowPlane fromPaddedPicture(const QImage& padded, float zoom, bool hasTransparency);
    // For a picture of `pictureSize` whose alpha is `alpha` everywhere,
    // padded by `margin` transparent pixels on every side.
    static CShadowPlane forRectangle(QSize pictureSize, int margin, quint8 alpha, float zoom, bool hasTransparency);

    bool isNull() const { return m_mask.isNull(); }
    // The padded size the mask stands for.
    QSize size() const { return m_size; }
    // Rows [top, top + count) of the mask (clamped to it), the full width,
    // as black premultiplied ARGB with the mask's alpha. Null when nothing
    // is left after clamping or memory runs out.
    QImage rows(int top, int count) const;
    // Memory held.
    qint64 bytes() const { return m_mask.sizeInBytes(); }

private:
    int sourceColumn(int x) const;
    int sourceRow(int y) const;

    QImage m_mask; // Alpha8: the whole mask, or the small rectangle's
    QSize m_size;
    // For a rectangle: how many columns and rows at each end come from the
    // small mask as they are; the one after them repeats across the middle.
    int m_headX = 0;
    int m_headY = 0;
    bool m_repeats = false;
};
