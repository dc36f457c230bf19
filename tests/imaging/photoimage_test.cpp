// Photo files as bitmaps, on real files in a temporary home: working-copy
// sizes and turns, camera orientation, the reduced JPEG decode against a
// full decode, damaged and missing files, transparency, the full-image
// cache, and quarter turns.

#include "photoimage.h"

#include "photofiles.h"
#include "messagecatalogue.h"
#include "photolike.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "propmanager.h"
#include "testhome.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QRadialGradient>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace PhotoFiles;

namespace {

constexpr QRgb kRed = 0xFFD02020;
constexpr QRgb kBlue = 0xFF2020D0;

// A photo whose top tenth is blue and the rest red, so that where the blue
// band ends up tells how the picture was turned.
QImage bandedPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kRed);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, size.width(), std::max(1, size.height() / 10)), QColor::fromRgb(kBlue));
    return image;
}

void writeImage(const QString& path, const QImage& image, const char* format = "JPEG", int quality = 92)
{
    makeFolderFor(path);
    ASSERT_TRUE(image.save(path, format, quality)) << path.toStdString();
}

// Mean of a region's colour channels.
QColor meanColour(const QImage& image, const QRect& region)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    const QRect area = region & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p);
            g += qGreen(p);
            b += qBlue(p);
            ++n;
        }
    }
    return n == 0 ? QColor() : QColor(int(r / n), int(g / n), int(b / n));
}

bool isBluish(const QColor& c) { return c.blue() > 150 && c.red() < 100; }
bool isReddish(const QColor& c) { return c.red() > 150 && c.blue() < 100; }

struct Difference
{
    double mean = 0;
    int max = 0;
};

Difference difference(const QImage& a, const QImage& b)
{
    Difference d;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int delta : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += std::abs(delta);
                d.max = std::max(d.max, std::abs(delta));
            }
        }
    }
    d.mean = double(sum) / (3.0 * a.width() * a.height());
    return d;
}

// A JPEG whose frame header claims another size than its data holds.
QByteArray withClaimedSize(QByteArray jpeg, quint16 width, quint16 height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

// Where a JPEG's picture data begins: after the start-of-scan header.
qsizetype pictureDataStart(const QByteArray& jpeg)
{
    const qsizetype sos = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    if (sos < 0)
        return 0;
    return sos + 2 + ((quint8(jpeg[sos + 2]) << 8) | quint8(jpeg[sos + 3]));
}

class PhotoImageTest : public ::testing::Test
{
protected:
    QString file(const QString& name) const { return home.path() + "/Pictures/" + name; }
    CPhotoItem& photoOf(const QString& path) { return *collection.AddPhoto(path); }
    bool isPlaceholder(const QImage& image) const
    {
        return image.size() == collection.invalidPlaceholder().size()
            && image.pixel(7, 7) == collection.invalidPlaceholder().pixel(7, 7);
    }

    TestHome home;
    CPropManager settings;
    CMessageCatalogue catalogue;
    CNotificationBus bus;
    CMyPhotos collection{settings, catalogue, bus, nullptr, home.path() + "/ImageDatabase"};
    CPhotoImage images{collection};
};

} // namespace

// ---------------------------------------------------------------------------
// Working copy

TEST_F(PhotoImageTest, PhotosOfAtMostFiveHundredPixelsKeepTheirSize)
{
    for (const QSize size : {QSize(500, 500), QSize(320, 240), QSize(500, 17), QSize(1, 1)}) {
        const QString path = file(QString("small_%1x%2.jpg").arg(size.width()).arg(size.height()));
        writeImage(path, bandedPicture(size));
        const QImage copy = images.GetWorkingCopy(photoOf(path));
        EXPECT_EQ(copy.size(), size);
        EXPECT_EQ(copy.format(), QImage::Format_ARGB32_Premultiplied);
    }
}

TEST_F(PhotoImageTest, LargerPhotosAreFittedIntoFiveHundredSquare)
{
    const std::pair<QSize, QSize> cases[] = {
        {QSize(501, 200), QSize(500, 200)}, // 199.6 rounds up
        {QSize(4000, 3000), QSize(500, 375)},
        {QSize(4032, 3024), QSize(500, 375)},
        {QSize(300, 3000), QSize(50, 500)},
        {QSize(8000, 10), QSize(500, 1)}, // 0.625 is raised to 1
    };
    for (const auto& [size, expected] : cases) {
        const QString path = file(QString("large_%1x%2.jpg").arg(size.width()).arg(size.height()));
        writeImage(path, bandedPicture(size));
        CPhotoItem& photo = photoOf(path);
        EXPECT_EQ(images.GetWorkingCopy(photo).size(), expected) << path.toStdString();
        EXPECT_EQ(photo.pixelWidth(), float(size.width()));
        EXPECT_EQ(photo.pixelHeight(), float(size.height()));
        EXPECT_FALSE(photo.isInvalid());
    }
}

TEST_F(PhotoImageTest, TheWorkingCopyIsCachedUntilForcedOrMadeDirty)
{
    const QString path = file("cached.jpg");
    writeImage(path, bandedPicture(QSize(800, 600)));
    CPhotoItem& photo = photoOf(path);
    const QImage first = images.GetWorkingCopy(photo);
    EXPECT_FALSE(photo.isWorkingCopyDirty());
    EXPECT_EQ(images.GetWorkingCopy(photo).cacheKey(), first.cacheKey());
    EXPECT_NE(images.GetWorkingCopy(photo, true).cacheKey(), first.cacheKey());

    const qint64 rebuilt = photo.workingCopy().cacheKey();
    photo.releaseImages();
    EXPECT_TRUE(photo.workingCopy().isNull());
    EXPECT_NE(images.GetWorkingCopy(photo).cacheKey(), rebuilt);
}

TEST_F(PhotoImageTest, TheWorkingCopyIsTurnedByThePhotosQuarterTurns)
{
    const QString path = file("turned.jpg");
    writeImage(path, bandedPicture(QSize(600, 400)));
    CPhotoItem& photo = photoOf(path);
    collection.SetQuarterTurns(photo, 1);

    const QImage copy = images.GetWorkingCopy(photo);
    ASSERT_EQ(copy.size(), QSize(333, 500)); // 500 × 333.3, turned
    // A clockwise quarter turn puts the top band on the right.
    EXPECT_TRUE(isBluish(meanColour(copy, QRect(copy.width() - 20, 0, 15, copy.height()))));
    EXPECT_TRUE(isReddish(meanColour(copy, QRect(0, 0, 100, copy.height()))));
    EXPECT_EQ(photo.pixelWidth(), 400.0f);
    EXPECT_EQ(photo.pixelHeight(), 600.0f);
}

TEST_F(PhotoImageTest, BuildingTheWorkingCopyLetsGoOfTheFullImage)
{
    const QString path = file("full.jpg");
    writeImage(path, bandedPicture(QSize(900, 600)));
    CPhotoItem& photo = photoOf(path);
    ASSERT_EQ(images.LoadFullImage(photo, false, false).size(), QSize(900, 600));
    EXPECT_FALSE(photo.fullImage().isNull());
    EXPECT_EQ(images.GetWorkingCopy(photo).size(), QSize(500, 333));
    EXPECT_TRUE(photo.fullImage().isNull());
}

// ---------------------------------------------------------------------------
// Camera orientation

TEST_F(PhotoImageTest, APortraitCameraPhotoStandsUpright)
{
    // Stored on its side as the sensor saw it, tagged "turn right to view".
    const QString path = file("portrait.jpg");
    writeImage(path, bandedPicture(QSize(400, 300)));
    writeExif(path, Exif{{}, 6});
    CPhotoItem& photo = photoOf(path);

    const QImage full = images.LoadFullImage(photo, false, false);
    ASSERT_EQ(full.size(), QSize(300, 400));
    EXPECT_TRUE(isBluish(meanColour(full, QRect(full.width() - 15, 0, 10, full.height()))));
    EXPECT_TRUE(isReddish(meanColour(full, QRect(0, 0, 100, full.height()))));
    EXPECT_EQ(photo.pixelWidth(), 300.0f);
    EXPECT_EQ(photo.pixelHeight(), 400.0f);
}

TEST_F(PhotoImageTest, ALargePortraitCameraPhotoGivesAnUprightWorkingCopy)
{
    for (const int orientation : {6, 8}) {
        const QString path = file(QString("portrait_%1.jpg").arg(orientation));
        writeImage(path, bandedPicture(QSize(1600, 1200)));
        writeExif(path, Exif{{}, orientation});
        CPhotoItem& photo = photoOf(path);

        const QImage copy = images.GetWorkingCopy(photo);
        ASSERT_EQ(copy.size(), QSize(375, 500)) << orientation;
        // 6 turns the stored top to the right, 8 to the left.
        const QRect bandSide = orientation == 6 ? QRect(copy.width() - 25, 0, 20, copy.height())
                                                : QRect(5, 0, 20, copy.height());
        EXPECT_TRUE(isBluish(meanColour(copy, bandSide))) << orientation;
        EXPECT_EQ(photo.pixelWidth(), 1200.0f);
        EXPECT_EQ(photo.pixelHeight(), 1600.0f);
    }
}

// ---------------------------------------------------------------------------
// The reduced decode

TEST(PhotoDecoderTest, AReducedJpegDecodeLooksLikeAFullDecodeScaledDown)
{
    TestHome home;
    const std::pair<QSize, int> cases[] = {{QSize(4000, 3000), 1}, {QSize(4032, 3024), 1}, {QSize(3000, 2000), 8}};
    for (const auto& [size, orientation] : cases) {
        const QString path = home.path() + QString("/photo_%1x%2.jpg").arg(size.width()).arg(size.height());
        writeImage(path, photoLikePicture(size), "JPEG", 90);
        if (orientation != 1)
            writeExif(path, Exif{{}, orientation});

        const std::optional<CDecodedPhoto> reduced = PhotoDecoder::decode(path, QSize(500, 500));
        ASSERT_TRUE(reduced.has_value());
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage full = reader.read();
        const QImage reference = full.scaled(reduced->image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

        EXPECT_EQ(reduced->fullSize, full.size());
        EXPECT_EQ(reduced->image.size(), PhotoDecoder::fittedSize(full.size(), QSize(500, 500)));
        const Difference d = difference(reduced->image, reference);
        EXPECT_LT(d.mean, 1.0) << path.toStdString();
        EXPECT_LT(d.max, 48) << path.toStdString();
    }
}

TEST(PhotoDecoderTest, ADecodeForADrawThatResamplesKeepsTheDecodersReductionWhenItIsNearTheSizeWanted)
{
    TestHome home;
    const QString path = home.path() + "/turned.jpg";
    writeImage(path, photoLikePicture(QSize(800, 600)), "JPEG", 90);
    writeExif(path, Exif{{}, 8}); // stored on its side: upright 600 x 800
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage full = reader.read();

    // Five eighths of the stored size covers the box; two eighths is the
    // smallest scale that covers the smaller one, and too far above it.
    const std::tuple<QSize, QSize, QSize> cases[] = {{QSize(360, 480), QSize(375, 500), QSize(360, 480)},
                                                     {QSize(80, 110), QSize(80, 107), QSize(80, 107)}};
    for (const auto& [box, atLeast, exactly] : cases) {
        const std::optional<CDecodedPhoto> near = PhotoDecoder::decode(path, box, PhotoDecoder::Fit::AtLeast);
        ASSERT_TRUE(near.has_value());
        EXPECT_EQ(near->image.size(), atLeast) << box.width();
        EXPECT_EQ(near->fullSize, QSize(600, 800));
        const QImage reference = full.scaled(near->image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(difference(near->image, reference).mean, 1.0) << box.width();
        EXPECT_EQ(PhotoDecoder::decode(path, box)->image.size(), exactly) << box.width();
    }
}

TEST(PhotoDecoderTest, WholeImagesComeBackAtTheirOwnSize)
{
    TestHome home;
    const QString path = home.path() + "/whole.png";
    writeImage(path, bandedPicture(QSize(640, 480)), "PNG");
    const std::optional<CDecodedPhoto> whole = PhotoDecoder::decode(path);
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->image.size(), QSize(640, 480));
    EXPECT_EQ(whole->image.format(), QImage::Format_RGB32);
    EXPECT_FALSE(whole->hasTransparency);

    // Not a JPEG: decoded whole, then scaled.
    const std::optional<CDecodedPhoto> fitted = PhotoDecoder::decode(path, QSize(320, 320));
    ASSERT_TRUE(fitted.has_value());
    EXPECT_EQ(fitted->image.size(), QSize(320, 240));
    EXPECT_EQ(fitted->fullSize, QSize(640, 480));
}

// ---------------------------------------------------------------------------
// Damaged and missing files

TEST_F(PhotoImageTest, DamagedFilesGiveThePlaceholderAndMarkThePhotoInvalid)
{
    QImage png(300, 200, QImage::Format_ARGB32);
    png.fill(0x80FF0000);
    QByteArray pngBytes;
    {
        QBuffer buffer(&pngBytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");
    }
    writeImage(file("source.jpg"), photoLikePicture(QSize(800, 600)));
    const QByteArray jpeg = readBytes(file("source.jpg"));

    const std::pair<const char*, QByteArray> damaged[] = {
        {"empty.jpg", QByteArray()},
        {"text.jpg", QByteArray("this is a shopping list, not a photo\n")},
        {"garbage.jpg", jpeg.left(600) + QByteArray(20000, '\x5A')},
        {"headers only.jpg", jpeg.left(pictureDataStart(jpeg))},
        {"truncated.png", pngBytes.left(pngBytes.size() / 2)},
    };
    for (const auto& [name, bytes] : damaged) {
        const QString path = file(name);
        writeBytes(path, bytes);
        CPhotoItem& photo = photoOf(path);
        EXPECT_TRUE(isPlaceholder(images.LoadFullImage(photo, true, true))) << name;
        EXPECT_TRUE(photo.isInvalid()) << name;
        EXPECT_FALSE(photo.isMissing()) << name;
        EXPECT_TRUE(isPlaceholder(images.GetWorkingCopy(photo, true))) << name;
        EXPECT_TRUE(photo.isInvalid()) << name;
        EXPECT_EQ(photo.stateText(), "The file does not contain a valid image") << name;
    }
}

TEST_F(PhotoImageTest, AJpegCutShortShowsWhatWasDecodedAndTheRestGrey)
{
    // Blue on top, red below: the cut falls in the red part.
    writeImage(file("source.jpg"), bandedPicture(QSize(800, 600)));
    const QByteArray jpeg = readBytes(file("source.jpg"));
    const std::pair<const char*, qsizetype> cuts[] = {{"half.jpg", jpeg.size() / 2}, {"nearly.jpg", jpeg.size() - 2}};
    for (const auto& [name, length] : cuts) {
        const QString path = file(name);
        writeBytes(path, jpeg.left(length));
        CPhotoItem& photo = photoOf(path);
        const QImage full = images.LoadFullImage(photo, true, false);
        ASSERT_EQ(full.size(), QSize(800, 600)) << name;
        EXPECT_FALSE(photo.isInvalid()) << name;
        EXPECT_TRUE(isBluish(meanColour(full, QRect(0, 0, 800, 50)))) << name;
        EXPECT_TRUE(isReddish(meanColour(full, QRect(0, 100, 800, 100)))) << name;
        EXPECT_EQ(photo.stateText(), "Normal") << name;
    }
    const QColor rest = meanColour(images.LoadFullImage(photoOf(file("half.jpg")), true, false), QRect(0, 550, 800, 50));
    EXPECT_NEAR(rest.red(), 128, 8);
    EXPECT_NEAR(rest.green(), 128, 8);
    EXPECT_NEAR(rest.blue(), 128, 8);
    const QColor bottom = meanColour(images.LoadFullImage(photoOf(file("nearly.jpg")), true, false), QRect(0, 550, 800, 50));
    EXPECT_TRUE(isReddish(bottom)) << "only the end marker was missing";
}

TEST_F(PhotoImageTest, AClaimedSizeBeyondMemoryIsRefusedWholeAndNeverCrashes)
{
    // A header claiming 30,000 × 30,000 pixels over the data of a small
    // photo that still ends properly.
    writeImage(file("source.jpg"), photoLikePicture(QSize(400, 300)));
    const QString path = file("huge.jpg");
    writeBytes(path, withClaimedSize(readBytes(file("source.jpg")), 30000, 30000));
    CPhotoItem& photo = photoOf(path);
    EXPECT_TRUE(isPlaceholder(images.LoadFullImage(photo, true, false)));
    EXPECT_TRUE(photo.isInvalid());
    // Reduced, it fits in memory; the decoder fills what the data lacks.
    const QImage copy = images.GetWorkingCopy(photo, true);
    EXPECT_LE(copy.width(), kWorkingCopyMaxSide);
    EXPECT_LE(copy.height(), kWorkingCopyMaxSide);
}

TEST_F(PhotoImageTest, AFileThatDecodesAgainClearsTheInvalidMark)
{
    const QString path = file("repaired.jpg");
    writeImage(path, photoLikePicture(QSize(800, 600)));
    const QByteArray whole = readBytes(path);
    writeBytes(path, whole.left(pictureDataStart(whole)));
    setModified(path, QDateTime::currentDateTime().addDays(-2));
    CPhotoItem& photo = photoOf(path);
    images.GetWorkingCopy(photo);
    ASSERT_TRUE(photo.isInvalid());

    writeBytes(path, whole);
    setModified(path, QDateTime::currentDateTime().addDays(-1));
    EXPECT_EQ(images.GetWorkingCopy(photo, true).size(), QSize(500, 375));
    EXPECT_FALSE(photo.isInvalid());
}

TEST_F(PhotoImageTest, AMissingFileFallsBackToTheWorkingCopy)
{
    const QString path = file("gone.jpg");
    writeImage(path, bandedPicture(QSize(1200, 800)));
    CPhotoItem& photo = photoOf(path);
    collection.SetQuarterTurns(photo, 1);
    const QImage copy = images.GetWorkingCopy(photo);
    ASSERT_EQ(copy.size(), QSize(333, 500));
    ASSERT_TRUE(QFile::remove(path));

    const QImage upright = images.LoadFullImage(photo, true, false);
    EXPECT_TRUE(photo.isMissing());
    EXPECT_FALSE(photo.isInvalid());
    // Held turned, handed back as the file would have been.
    ASSERT_EQ(upright.size(), QSize(500, 333));
    EXPECT_TRUE(isBluish(meanColour(upright, QRect(0, 2, upright.width(), 20))));
    EXPECT_EQ(images.LoadFullImage(photo, false, true).size(), QSize(333, 500));
    // What was last seen is no reason to forget the photo's real size.
    EXPECT_EQ(photo.pixelWidth(), 800.0f);
    EXPECT_EQ(photo.pixelHeight(), 1200.0f);

    // The copy stays, even when a rebuild is forced.
    EXPECT_EQ(images.GetWorkingCopy(photo, true).cacheKey(), copy.cacheKey());
}

TEST_F(PhotoImageTest, AMissingFileWithoutAWorkingCopyUsesPreviewThenThumbnailThenThePlaceholder)
{
    const QString path = file("never_there.jpg");
    CPhotoItem& photo = photoOf(path);

    QImage preview(256, 192, QImage::Format_ARGB32_Premultiplied);
    preview.fill(kBlue);
    QImage thumbnail(128, 96, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(kRed);

    photo.setThumbnail(thumbnail);
    photo.setPreview(preview);
    EXPECT_EQ(images.LoadFullImage(photo, true, false).size(), QSize(256, 192));
    EXPECT_TRUE(photo.isMissing());

    photo.setPreview(QImage());
    EXPECT_EQ(images.LoadFullImage(photo, true, false).size(), QSize(128, 96));
    EXPECT_EQ(images.GetWorkingCopy(photo).size(), QSize(128, 96));

    photo.resetImages();
    EXPECT_TRUE(isPlaceholder(images.LoadFullImage(photo, true, false)));
    EXPECT_TRUE(isPlaceholder(images.GetWorkingCopy(photo, true)));
}

// ---------------------------------------------------------------------------
// Transparency and the full-image cache

TEST_F(PhotoImageTest, TransparencyComesFromTheDecodedImage)
{
    QImage withAlpha(700, 500, QImage::Format_ARGB32);
    withAlpha.fill(0x40208040);
    writeImage(file("alpha.png"), withAlpha, "PNG");
    writeImage(file("opaque.png"), bandedPicture(QSize(70, 50)), "PNG");

    CPhotoItem& transparent = photoOf(file("alpha.png"));
    const QImage copy = images.GetWorkingCopy(transparent);
    EXPECT_TRUE(transparent.hasFlag(CPhotoItem::kFlagHasTransparency));
    ASSERT_EQ(copy.size(), QSize(500, 357));
    EXPECT_NEAR(qAlpha(copy.pixel(250, 180)), 0x40, 1);

    CPhotoItem& opaque = photoOf(file("opaque.png"));
    images.LoadFullImage(opaque, false, false);
    EXPECT_FALSE(opaque.hasFlag(CPhotoItem::kFlagHasTransparency));
}

TEST_F(PhotoImageTest, TheFullImageIsCachedUntouchedAndReloadedWhenForced)
{
    const QString path = file("reload.jpg");
    writeImage(path, bandedPicture(QSize(640, 480)));
    CPhotoItem& photo = photoOf(path);
    collection.SetQuarterTurns(photo, 3);

    const QImage turned = images.LoadFullImage(photo, false, true);
    EXPECT_EQ(turned.size(), QSize(480, 640));
    const QImage upright = images.LoadFullImage(photo, false, false);
    EXPECT_EQ(upright.size(), QSize(640, 480));
    EXPECT_EQ(images.LoadFullImage(photo, false, false).cacheKey(), upright.cacheKey());

    writeImage(path, bandedPicture(QSize(320, 200)));
    EXPECT_EQ(images.LoadFullImage(photo, false, false).size(), QSize(640, 480));
    EXPECT_EQ(images.LoadFullImage(photo, true, false).size(), QSize(320, 200));
    EXPECT_EQ(photo.pixelWidth(), 200.0f); // three quarter turns stand it on its side
    EXPECT_EQ(photo.pixelHeight(), 320.0f);
}

// ---------------------------------------------------------------------------
// Quarter turns

TEST(RotateQuarterTurnsTest, TurnsByTheDifferenceReducedWithTheDividendsSign)
{
    // A marker in the top-left corner of a 4 × 2 image.
    QImage marked(4, 2, QImage::Format_ARGB32_Premultiplied);
    marked.fill(0xFF000000);
    marked.setPixel(0, 0, 0xFFFFFFFF);
    const auto markerAfter = [&](int from, int to, QSize* size, QRectF* rect) {
        QImage image = marked;
        RotateQuarterTurns(&image, rect, from, to);
        *size = image.size();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == 0xFFFFFFFF)
                    return QPoint(x, y);
        return QPoint(-1, -1);
    };

    QSize size;
    QRectF rect(1, 2, 40, 20);
    // 3 → 0 is −3: a quarter turn clockwise puts the top-left at the top-right.
    EXPECT_EQ(markerAfter(3, 0, &size, &rect), QPoint(1, 0));
    EXPECT_EQ(size, QSize(2, 4));
    EXPECT_EQ(rect, QRectF(1, 2, 20, 40));

    rect = QRectF(1, 2, 40, 20);
    EXPECT_EQ(markerAfter(0, 2, &size, &rect), QPoint(3, 1)); // 180°
    EXPECT_EQ(size, QSize(4, 2));
    EXPECT_EQ(rect, QRectF(1, 2, 40, 20));

    EXPECT_EQ(markerAfter(1, 0, &size, nullptr), QPoint(0, 3)); // −1: 270° clockwise
    EXPECT_EQ(markerAfter(0, 3, &size, nullptr), QPoint(0, 3));
    EXPECT_EQ(markerAfter(0, 5, &size, nullptr), QPoint(1, 0)); // 5 reduces to 1
    EXPECT_EQ(markerAfter(2, 2, &size, nullptr), QPoint(0, 0));
    EXPECT_EQ(markerAfter(1, 5, &size, nullptr), QPoint(0, 0)); // 4 reduces to 0

    QRectF alone(0, 0, 3, 5);
    RotateQuarterTurns(nullptr, &alone, 0, 1);
    EXPECT_EQ(alone, QRectF(0, 0, 5, 3));
    QImage none;
    RotateQuarterTurns(&none, nullptr, 0, 1);
    EXPECT_TRUE(none.isNull());
}
