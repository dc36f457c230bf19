// What the collection learns from a photo file: image types by extension,
// the EXIF date text, the date tags in their order of preference, the
// upright size of sideways photos, and files that do not decode.

#include "imagetypes.h"
#include "photofiles.h"
#include "photometadata.h"
#include "testhome.h"

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

// ---------------------------------------------------------------------------
// Image types

TEST(ImageTypes, AreTheDecodersLowerCaseExtensionsMatchedWholeOnTheLastDotInAnyCase)
{
    for (const QString& type : ImageTypes::extensions())
        EXPECT_EQ(type, type.toLower());
    for (const char* name : {"/photos/Holiday.JPG", "/photos/holiday.jpeg", "/photos/scan.Png", "relative.tif"})
        EXPECT_TRUE(ImageTypes::isImage(name)) << name;
    for (const char* name : {"/photos/holiday.jpeg.txt", "/photos/holiday.jp" /* part of an entry */,
                             "/photos/holiday.jpegx" /* longer than an entry */, "/photos/jpg", "/photos/holiday.",
                             "/photos.jpg/holiday" /* a dot in a folder name */, ""})
        EXPECT_FALSE(ImageTypes::isImage(name)) << name;
}

// ---------------------------------------------------------------------------
// The EXIF date text

struct DateCase
{
    const char* text;
    bool valid;
    QDateTime expected;
};

class ExifDateText : public ::testing::TestWithParam<DateCase>
{
};

TEST_P(ExifDateText, IsReadWithTheScanPatternAndTheValidityRules)
{
    const DateCase& c = GetParam();
    const auto date = PhotoMetadata::parseExifDate(QByteArray(c.text));
    ASSERT_EQ(date.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_EQ(*date, c.expected) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExifDateText,
    ::testing::Values(
        DateCase{"2019:07:14 10:20:30", true, QDateTime(QDate(2019, 7, 14), QTime(10, 20, 30))},
        DateCase{"2019:7:4 1:2:3", true, QDateTime(QDate(2019, 7, 4), QTime(1, 2, 3))},
        // scanf skips white space before each number and lets a space match none
        DateCase{" 2019: 07: 14   10: 20: 30", true, QDateTime(QDate(2019, 7, 14), QTime(10, 20, 30))},
        DateCase{"2019:07:1410:20:30", false, {}}, // "1410" is the day
        DateCase{"2019:07:14 10:20:30 trailing", true, QDateTime(QDate(2019, 7, 14), QTime(10, 20, 30))},
        DateCase{"0000:00:00 00:00:00", false, {}}, // cameras write this when they know no date
        DateCase{"0000:07:14 10:20:30", false, {}},
        DateCase{"2019:13:14 10:20:30", false, {}},
        DateCase{"2019:02:30 10:20:30", false, {}},
        DateCase{"2019:07:14 24:00:00", false, {}},
        DateCase{"2019:07:14 10:60:00", false, {}},
        DateCase{"-2019:07:14 10:20:30", false, {}},
        DateCase{"99999999999999999999:07:14 10:20:30", false, {}},
        DateCase{"2019:07:14 10:20", false, {}}, // five numbers
        DateCase{"2019-07-14 10:20:30", false, {}},
        DateCase{"2019:07:14T10:20:30", false, {}},
        DateCase{"", false, {}}));

// ---------------------------------------------------------------------------
// Real files

class PhotoFileFacts : public ::testing::Test
{
protected:
    QString file(const QString& name) const { return m_home.path() + "/" + name; }

    TestHome m_home;
};

TEST_F(PhotoFileFacts, FallBackToTheDateTimeTagWhenTheCaptureDateIsAbsentOrNoDate)
{
    const QString onlyChange = file("change.jpg");
    writeJpeg(onlyChange, QSize(32, 24), {{{kDateTime, "2021:02:28 08:00:00"}}});
    EXPECT_EQ(PhotoMetadata::read(onlyChange).metadataDate, QDateTime(QDate(2021, 2, 28), QTime(8, 0)));

    const QString blankCapture = file("blank.jpg");
    writeJpeg(blankCapture, QSize(32, 24),
              {{{kDateTimeOriginal, "0000:00:00 00:00:00"}, {kDateTime, "2021:02:28 08:00:00"}}});
    EXPECT_EQ(PhotoMetadata::read(blankCapture).metadataDate, QDateTime(QDate(2021, 2, 28), QTime(8, 0)));
}

TEST_F(PhotoFileFacts, HaveNoMetadataDateWithoutADateTagOrWithYearZero)
{
    const QString plain = file("plain.jpg");
    writeJpeg(plain);
    EXPECT_FALSE(PhotoMetadata::read(plain).metadataDate.has_value());

    const QString yearZero = file("zero.jpg");
    writeJpeg(yearZero, QSize(32, 24), {{{kDateTime, "0000:05:06 07:08:09"}}});
    const CPhotoMetadata meta = PhotoMetadata::read(yearZero);
    EXPECT_TRUE(meta.decodes);
    EXPECT_FALSE(meta.metadataDate.has_value());
}

TEST_F(PhotoFileFacts, GiveTheUprightSizeOfPhotosStoredSideways)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = file(QString("o%1.jpg").arg(orientation));
        writeJpeg(path, QSize(40, 20), {{}, orientation});
        const CPhotoMetadata meta = PhotoMetadata::read(path);
        EXPECT_EQ(meta.orientation, orientation);
        const QSize expected = orientation >= 5 ? QSize(20, 40) : QSize(40, 20);
        EXPECT_EQ(meta.pixelSize, expected) << "orientation " << orientation;
    }
}

TEST_F(PhotoFileFacts, IgnoreAnOrientationOutsideOneToEight)
{
    const QString path = file("o9.jpg");
    writeJpeg(path, QSize(40, 20), {{}, 9});
    const CPhotoMetadata meta = PhotoMetadata::read(path);
    EXPECT_EQ(meta.orientation, 1);
    EXPECT_EQ(meta.pixelSize, QSize(40, 20));
}

TEST_F(PhotoFileFacts, ReportFilesThatDoNotDecode)
{
    const QString text = file("notes.jpg");
    writeBytes(text, "this is no picture at all");
    EXPECT_FALSE(PhotoMetadata::read(text).decodes);

    const QString empty = file("empty.png");
    writeBytes(empty, {});
    EXPECT_FALSE(PhotoMetadata::read(empty).decodes);

    EXPECT_FALSE(PhotoMetadata::read(file("absent.jpg")).decodes);
    EXPECT_FALSE(PhotoMetadata::read(m_home.path()).decodes); // a folder
}

TEST_F(PhotoFileFacts, SurviveAJpegWhoseExifBlockIsGarbage)
{
    // A JPEG header, an APP1 "Exif" segment full of noise, then a real image.
    const QString path = file("noise.jpg");
    writeJpeg(path, QSize(16, 16));
    QByteArray bytes = readBytes(path);
    QByteArray app1("\xFF\xE1\x00\x40" "Exif\0\0", 10);
    app1 += QByteArray(0x40 - 8, '\xA5');
    bytes.insert(2, app1);
    writeBytes(path, bytes);
    const CPhotoMetadata meta = PhotoMetadata::read(path);
    EXPECT_TRUE(meta.decodes);
    EXPECT_EQ(meta.pixelSize, QSize(16, 16));
    EXPECT_FALSE(meta.metadataDate.has_value());
}

TEST_F(PhotoFileFacts, TellAnAlphaChannelFromAnOpaqueImage)
{
    QImage clear(8, 8, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    ASSERT_TRUE(clear.save(file("clear.png")));
    EXPECT_TRUE(PhotoMetadata::read(file("clear.png")).hasAlpha);

    writeJpeg(file("opaque.jpg"));
    EXPECT_FALSE(PhotoMetadata::read(file("opaque.jpg")).hasAlpha);
}

TEST_F(PhotoFileFacts, ReadPathsWithSpacesAndNonAsciiLetters)
{
    const QString path = file("Größe Ärger/фото 2019 Ünïcødé.jpg");
    writeJpeg(path, QSize(30, 10), {{{kDateTimeOriginal, "2019:07:14 10:20:30"}}, 8});
    const CPhotoMetadata meta = PhotoMetadata::read(path);
    EXPECT_TRUE(meta.decodes);
    EXPECT_EQ(meta.pixelSize, QSize(10, 30));
    EXPECT_EQ(meta.metadataDate, QDateTime(QDate(2019, 7, 14), QTime(10, 20, 30)));
}

} // namespace
