// The preview a project stores, read without opening the project: found
// behind sections of any size, absent, refused, and decoded by libpng as
// Qt would decode it.
#include "archivebytes.h"
#include "projectfiletestsupport.h"

#include "frameops.h"
#include "picinfomanager.h"
#include "pngreader.h"
#include "storedpreview.h"

#include <QBuffer>

namespace {

using Status = CStoredPreview::Status;
constexpr int kPreviewSectionIndex = 4; // "LowResPics"

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

QByteArray blob(const QByteArray& bytes) { return ArchiveBytes::u32(quint32(bytes.size())) + bytes; }

class StoredPreviewFile : public DocumentFixture
{
protected:
    // A saved project of a wide canvas with a frame on it.
    std::vector<RawSection> savedSections()
    {
        doc->setCanvasSize(10.0f, 5.0f);
        CFrameOps(services->frames()).createFrame({1, 1, 3, 2});
        return parseSections(saveAndRead("p.Collage"));
    }
    CStoredPreview readBack(const std::vector<RawSection>& sections)
    {
        writeFile(path("q.Collage"), buildFile(sections));
        return StoredPreview::read(path("q.Collage"));
    }
};

TEST_F(StoredPreviewFile, IsThePictureTheDocumentSaved)
{
    savedSections();
    const CStoredPreview preview = StoredPreview::read(path("p.Collage"));
    ASSERT_EQ(preview.status, Status::Found);
    EXPECT_EQ(preview.image.size(), QSize(256, 128));
    EXPECT_EQ(preview.image.convertToFormat(QImage::Format_ARGB32),
              services->frames().preview().convertToFormat(QImage::Format_ARGB32));
}

TEST_F(StoredPreviewFile, IsFoundBehindUnknownAndLargeSections)
{
    auto sections = savedSections();
    sections.insert(sections.begin() + 1, RawSection{"FromTheFuture", 1, QByteArray(3'000'000, '\x5A')});
    EXPECT_EQ(readBack(sections).status, Status::Found);
}

TEST_F(StoredPreviewFile, AnEmptyRecordOrNoSectionMeansNone)
{
    auto sections = savedSections();
    sections[kPreviewSectionIndex].content = blob({});
    EXPECT_EQ(readBack(sections).status, Status::None);
    sections.erase(sections.begin() + kPreviewSectionIndex);
    EXPECT_EQ(readBack(sections).status, Status::None);
}

TEST_F(StoredPreviewFile, APreviewInAnotherFormatIsDecodedToo)
{
    auto sections = savedSections();
    QImage green(40, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    sections[kPreviewSectionIndex].content = blob(encoded(green, "JPEG"));
    const CStoredPreview preview = readBack(sections);
    ASSERT_EQ(preview.status, Status::Found);
    EXPECT_EQ(preview.image.size(), QSize(40, 30));
}

TEST_F(StoredPreviewFile, RefusesWhatIsNotAProjectOrIsNewer)
{
    auto sections = savedSections();
    const QByteArray good = buildFile(sections);
    sections[0].content = QByteArray::fromHex("1800" "0000");
    EXPECT_EQ(readBack(sections).status, Status::NewerVersion);

    auto damagedPreview = parseSections(good);
    damagedPreview[kPreviewSectionIndex].content = blob("\x89PNG\r\n\x1a\n but no picture");
    EXPECT_EQ(readBack(damagedPreview).status, Status::Unreadable);

    auto versionSecond = parseSections(good);
    std::swap(versionSecond[0], versionSecond[1]);
    EXPECT_EQ(readBack(versionSecond).status, Status::Unreadable);

    const int previewEnds = good.indexOf("IEND");
    ASSERT_GT(previewEnds, 0);
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not a project at all"), good.left(previewEnds)}) {
        writeFile(path("bad.Collage"), bytes);
        EXPECT_EQ(StoredPreview::read(path("bad.Collage")).status, Status::Unreadable) << bytes.size();
    }
    EXPECT_EQ(StoredPreview::read(path("missing.Collage")).status, Status::Unreadable);
}

// --- PngReader

TEST(PngReader, DecodesAsQtDoesIncludingAlpha)
{
    QImage picture(33, 17, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgba(x * 7, y * 13, (x * y) % 256, (x + y) * 5));
    const QByteArray png = encoded(picture, "PNG");
    const QImage decoded = PngReader::decode(png, 33 * 17);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded, QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32));
}

TEST(PngReader, RefusesPicturesBeyondThePixelLimitAndDamage)
{
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    const QByteArray png = encoded(picture, "PNG");
    EXPECT_TRUE(PngReader::decode(png, 64 * 64 - 1).isNull());
    EXPECT_TRUE(PngReader::decode(png.left(png.size() / 2), 64 * 64).isNull());
    EXPECT_TRUE(PngReader::decode(encoded(picture, "JPEG"), 64 * 64).isNull());
}

} // namespace
