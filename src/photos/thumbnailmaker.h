#pragma once
// The decode-and-scale of one thumbnail, as pure functions of a file: no
// collection, no lock, no thread of its own. The thumbnail worker calls
// them; so do collage-cli and the tests.
//
// A JPEG is decoded by libjpeg-turbo straight at the smallest DCT scale
// whose picture still covers the thumbnail (a 12 MP photo decodes at one
// eighth, about 500 × 375), then smooth-scaled the rest of the way; its EXIF
// orientation is read from the same pass. Other formats go through Qt's
// image readers. Every result is upright: the camera's orientation is
// applied, the photo's own quarter turns are not (see turned()).
//
// Safe from any thread.

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>

struct CRenderedThumbnail
{
    enum class Outcome {
        Rendered,
        // Not an image, damaged, cut short (a JPEG whose data ends early:
        // the decoder would grey-fill the rest and call it a success), or
        // too large to decode.
        NotDecoded,
        // The abort flag was raised during the decode.
        Aborted,
    };
    Outcome outcome = Outcome::NotDecoded;
    // Upright, fitted into the box: RGB32, or premultiplied ARGB32 when the
    // file has an alpha channel.
    QImage image;
    // The whole photo upright, in pixels.
    QSize fullSize;

    bool rendered() const { return outcome == Outcome::Rendered; }
};

namespace ThumbnailMaker {

inline constexpr int kThumbnailSide = 128;
inline constexpr QSize kThumbnailBox{kThumbnailSide, kThumbnailSide};

// `abort`, when given, is looked at between bands of rows of a JPEG decode.
CRenderedThumbnail render(const QString& path, QSize box = kThumbnailBox, const std::atomic<bool>* abort = nullptr);

// The camera's own small preview from a JPEG's EXIF block, upright and
// fitted into the box, cut to the photo's proportions (cameras letterbox
// it); null when there is none, or when it is smaller than the box on its
// long side and would only be blurred up. Reads the file's header only.
QImage embedded(const QString& path, QSize box = kThumbnailBox);

// `size` scaled to fit inside `box` (up or down), aspect kept, each side
// rounded and at least 1 pixel.
QSize fittedSize(QSize size, QSize box);
// `image` smooth-scaled to fittedSize(image.size(), box).
QImage fitted(const QImage& image, QSize box = kThumbnailBox);
// Turned clockwise by a number of quarter turns (any integer, modulo 4).
QImage turned(const QImage& image, int quarterTurns);
// Turns a stored picture upright by its EXIF orientation (1..8).
QImage oriented(const QImage& image, int orientation);

} // namespace ThumbnailMaker
