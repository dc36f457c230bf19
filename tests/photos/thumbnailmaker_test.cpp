// The decode-and-scale of one thumbnail, on real files and without threads:
// sizes, the camera's orientations against Qt's own reader, the picture
// against a full decode, the EXIF preview, and every kind of bad file.

#include "exifheader.h"
#include "photofiles.h"
#include "photolike.h"
#include "testhome.h"
#include "thumbnailmaker.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

using Outcome = CRenderedThumbnail::Outcome;

// Four quadrants of clearly different colours: any mirror or turn moves them.
QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(220, 20, 20), qRgb(20, 200, 20), qRgb(20, 20, 220), qRgb(230, 230, 30)};
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, colours[(y * 2 / size.height()) * 2 + x * 2 / size.width()]);
    return image;
}

QRgb at(const QImage& image, double fx, double fy)
{
    return image.pixel(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

int distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += distance(a.pixel(x, y), b.pixel(x, y)) / 3.0;
    return sum / (a.width() * a.height());
}

QByteArray jpegBytes(const QImage& image, int quality = 85)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}


class ThumbnailMakerTest : public ::testing::Test
{
protected:
    QString file(const QString& name) const { return home.path() + "/" + name; }
    TestHome home;
};

TEST(ThumbnailSize, FitsIntoTheBoxKeepingTheAspectAtLeastOnePixel)
{
    const QSize box = ThumbnailMaker::kThumbnailBox;
    EXPECT_EQ(ThumbnailMaker::fittedSize({4000, 3000}, box), QSize(128, 96));
    EXPECT_EQ(ThumbnailMaker::fittedSize({3000, 4000}, box), QSize(96, 128));
    EXPECT_EQ(ThumbnailMaker::fittedSize({4256, 2832}, box), QSize(128, 85));
    EXPECT_EQ(ThumbnailMaker::fittedSize({6000, 2000}, box), QSize(128, 43));
    EXPECT_EQ(ThumbnailMaker::fittedSize({1, 5000}, box), QSize(1, 128));
    EXPECT_EQ(ThumbnailMaker::fittedSize({16, 16}, box), QSize(128, 128)) << "small pictures grow to the tile";
    EXPECT_TRUE(ThumbnailMaker::fittedSize({0, 10}, box).isEmpty());
}

TEST_F(ThumbnailMakerTest, ScalesALargeJpegDownToAPictureLikeAFullDecode)
{
    const QImage original = photoLikePicture({2400, 1600});
    ASSERT_TRUE(original.save(file("a.jpg"), "JPEG", 90));

    const CRenderedThumbnail thumbnail = ThumbnailMaker::render(file("a.jpg"));
    ASSERT_EQ(thumbnail.outcome, Outcome::Rendered);
    EXPECT_EQ(thumbnail.fullSize, QSize(2400, 1600));
    EXPECT_EQ(thumbnail.image.size(), QSize(128, 85));
    EXPECT_EQ(thumbnail.image.format(), QImage::Format_RGB32);
    const QImage reference = original.scaled(128, 85, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(meanDifference(thumbnail.image, reference), 6.0);
}

TEST_F(ThumbnailMakerTest, KeepsTheAlphaOfAPngAndGrowsASmallOne)
{
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 10, 100));
    ASSERT_TRUE(image.save(file("a.png")));
    const CRenderedThumbnail thumbnail = ThumbnailMaker::render(file("a.png"));
    ASSERT_EQ(thumbnail.outcome, Outcome::Rendered);
    EXPECT_EQ(thumbnail.image.size(), QSize(128, 64));
    EXPECT_EQ(thumbnail.image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_NEAR(qAlpha(thumbnail.image.pixel(60, 30)), 100, 2);
}

class Orientation : public ThumbnailMakerTest, public ::testing::WithParamInterface<int>
{
};

// Whatever the camera wrote, the thumbnail stands as Qt's own reader turns
// the full picture.
TEST_P(Orientation, StandsTheWayQtsReaderTurnsThePhoto)
{
    PhotoFiles::writeBytes(file("q.jpg"), jpegBytes(quadrants({64, 48}), 95));
    writeExif(file("q.jpg"), Exif{{}, GetParam()});

    QImageReader reader(file("q.jpg"));
    reader.setAutoTransform(true);
    const QImage expected = reader.read();
    const CRenderedThumbnail thumbnail = ThumbnailMaker::render(file("q.jpg"));
    ASSERT_EQ(thumbnail.outcome, Outcome::Rendered);
    EXPECT_EQ(thumbnail.fullSize, expected.size());
    EXPECT_EQ(thumbnail.image.size(), ThumbnailMaker::fittedSize(expected.size(), {128, 128}));
    for (double fx : {0.2, 0.8})
        for (double fy : {0.2, 0.8})
            EXPECT_LT(distance(at(thumbnail.image, fx, fy), at(expected, fx, fy)), 60) << fx << "," << fy;
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientation, ::testing::Range(1, 9));

TEST_F(ThumbnailMakerTest, TurnsByQuarterTurnsClockwise)
{
    const QImage image = quadrants({40, 20});
    const QImage once = ThumbnailMaker::turned(image, 1);
    EXPECT_EQ(once.size(), QSize(20, 40));
    EXPECT_EQ(at(once, 0.9, 0.1), at(image, 0.1, 0.1)) << "the top-left corner goes to the top right";
    EXPECT_EQ(ThumbnailMaker::turned(image, -3), once);
    EXPECT_EQ(ThumbnailMaker::turned(image, 4), image);
}

TEST_F(ThumbnailMakerTest, GivesUpWhenAskedToAbort)
{
    ASSERT_TRUE(photoLikePicture({1600, 1200}).save(file("a.jpg"), "JPEG"));
    const std::atomic<bool> abort{true};
    EXPECT_EQ(ThumbnailMaker::render(file("a.jpg"), ThumbnailMaker::kThumbnailBox, &abort).outcome,
              Outcome::Aborted);
}

enum class BadFile { ZeroBytes, CutShort, NoiseAfterHeader, TextNamedJpeg, Folder, Missing };

class BadFiles : public ThumbnailMakerTest, public ::testing::WithParamInterface<BadFile>
{
};

TEST_P(BadFiles, AreNotDecodedAndNeverCrash)
{
    const QByteArray good = jpegBytes(photoLikePicture({800, 600}), 90);
    const QString path = file("bad.jpg");
    switch (GetParam()) {
    case BadFile::ZeroBytes: writeBytes(path, {}); break;
    case BadFile::CutShort: writeBytes(path, good.left(good.size() / 4)); break;
    case BadFile::NoiseAfterHeader: {
        QByteArray noise(40000, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919) % 251);
        writeBytes(path, good.left(623) + noise);
        break;
    }
    case BadFile::TextNamedJpeg: writeBytes(path, "This is not a photo.\n"); break;
    case BadFile::Folder: QDir().mkpath(path); break;
    case BadFile::Missing: break;
    }
    const CRenderedThumbnail thumbnail = ThumbnailMaker::render(path);
    EXPECT_EQ(thumbnail.outcome, Outcome::NotDecoded);
    EXPECT_TRUE(thumbnail.image.isNull());
    EXPECT_TRUE(ThumbnailMaker::embedded(path).isNull());
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadFiles,
                         ::testing::Values(BadFile::ZeroBytes, BadFile::CutShort, BadFile::NoiseAfterHeader,
                                           BadFile::TextNamedJpeg, BadFile::Folder, BadFile::Missing));

TEST_F(ThumbnailMakerTest, TakesTheCamerasPreviewCutToThePhotosProportionsAndTurned)
{
    // A 3:2 photo whose 160 × 120 preview is letterboxed in black, stored
    // sideways (orientation 6).
    ASSERT_TRUE(quadrants({1200, 800}).save(file("p.jpg"), "JPEG"));
    QImage preview(160, 120, QImage::Format_RGB32);
    preview.fill(Qt::black);
    QPainter(&preview).drawImage(QRect(0, 7, 160, 106), quadrants({160, 106}));
    writeExifPreview(file("p.jpg"), preview, 6);

    const QImage embedded = ThumbnailMaker::embedded(file("p.jpg"));
    ASSERT_EQ(embedded.size(), QSize(85, 128));
    const CRenderedThumbnail rendered = ThumbnailMaker::render(file("p.jpg"));
    ASSERT_EQ(rendered.image.size(), embedded.size());
    // Black would show on the edges if the camera's bars had been kept.
    for (double fx : {0.05, 0.3, 0.7, 0.95})
        for (double fy : {0.05, 0.3, 0.7, 0.95})
            EXPECT_LT(distance(at(embedded, fx, fy), at(rendered.image, fx, fy)), 60) << fx << "," << fy;
}

TEST_F(ThumbnailMakerTest, RefusesAPreviewSmallerThanTheTile)
{
    ASSERT_TRUE(quadrants({800, 600}).save(file("p.jpg"), "JPEG"));
    writeExifPreview(file("p.jpg"), quadrants({80, 60}), 0);
    EXPECT_TRUE(ThumbnailMaker::embedded(file("p.jpg")).isNull());
    EXPECT_FALSE(ThumbnailMaker::embedded(file("p.jpg"), {64, 64}).isNull());
}

// ---------------------------------------------------------------------------
// The EXIF block, read by hand

// "Exif\0\0", a TIFF header, IFD0 with the orientation, IFD1 pointing at a
// thumbnail of `thumbnailLength` bytes right after it.
QByteArray exifBlock(bool bigEndian, quint16 orientation, quint32 thumbnailLength)
{
    QByteArray tiff;
    const auto u16 = [&](quint16 v) {
        char b[2];
        bigEndian ? qToBigEndian(v, b) : qToLittleEndian(v, b);
        tiff.append(b, 2);
    };
    const auto u32 = [&](quint32 v) {
        char b[4];
        bigEndian ? qToBigEndian(v, b) : qToLittleEndian(v, b);
        tiff.append(b, 4);
    };
    tiff.append(bigEndian ? "MM" : "II");
    u16(42);
    u32(8);                  // IFD0 at 8
    u16(1);                  // one entry
    u16(0x0112), u16(3), u32(1), u16(orientation), u16(0);
    u32(26);                 // IFD1 at 8 + 2 + 12 + 4 = 26
    u16(2);
    u16(0x0201), u16(4), u32(1), u32(56); // thumbnail at 26 + 2 + 24 + 4 = 56
    u16(0x0202), u16(4), u32(1), u32(thumbnailLength);
    u32(0);
    tiff.append(QByteArray(int(thumbnailLength), 'T'));
    return QByteArray("Exif\0\0", 6) + tiff;
}

TEST(ExifHeaderTest, ReadsOrientationAndPreviewInEitherByteOrder)
{
    for (bool bigEndian : {false, true}) {
        const QByteArray block = exifBlock(bigEndian, 6, 10);
        const CExifHeader header = ExifHeader::parse(block);
        EXPECT_EQ(header.orientation, 6);
        ASSERT_TRUE(header.hasThumbnail());
        EXPECT_EQ(block.mid(header.thumbnailOffset, header.thumbnailLength), QByteArray(10, 'T'));
    }
    EXPECT_EQ(ExifHeader::parse(exifBlock(false, 9, 10)).orientation, 1) << "out of range";
}

TEST(ExifHeaderTest, StaysInsideEveryDamagedBlock)
{
    const QByteArray block = exifBlock(false, 3, 10);
    // A preview that would run past the block's end is no preview.
    QByteArray overlong = block;
    overlong.chop(1);
    EXPECT_FALSE(ExifHeader::parse(overlong).hasThumbnail());
    // Every cut and every changed byte: no read outside, no crash.
    for (qsizetype cut = 0; cut < block.size(); ++cut)
        ExifHeader::parse(QByteArrayView(block).first(cut));
    for (qsizetype i = 0; i < block.size(); ++i) {
        for (char value : {'\0', '\x7F', '\xFF'}) {
            QByteArray damaged = block;
            damaged[i] = value;
            const CExifHeader header = ExifHeader::parse(damaged);
            EXPECT_LE(header.thumbnailOffset + header.thumbnailLength, damaged.size());
        }
    }
}

} // namespace
