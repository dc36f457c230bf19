// Saving onto a disk that fills up: the project, the photo collection, the
// settings and an export each fail at several points of their writing (from
// the first byte to the last), and each time the previous file stays as it
// was, no temporary file is left, nothing claims success, the user is told
// where a window would tell, and the next save with room succeeds.
#include "filesizelimit.h"
#include "projectfiletestsupport.h"

#include "collagerenderer.h"
#include "frameops.h"
#include "imageexport.h"
#include "myphotos.h"
#include "picinfo.h"
#include "propmanager.h"

#include <QImage>

namespace {

class FailedSave : public DocumentFixture, public ::testing::WithParamInterface<double>
{
protected:
    // Where the disk runs full: the share of a file of `size` bytes that
    // still fits.
    rlim_t limitFor(qint64 size) const { return rlim_t(GetParam() * double(size)); }

    QString writePhoto(const QString& name, QColor colour)
    {
        QImage image(120, 90, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path(name)));
        return path(name);
    }

    void frameWithPhoto(const QString& photo)
    {
        CPicInfo* frame = CFrameOps(services->frames()).createFrame({1.0f, 1.0f, 3.0f, 2.0f});
        ASSERT_NE(frame, nullptr);
        frame->setPhoto(services->photos().FindPhoto(photo, true));
    }

    QStringList leftovers(const QString& folder, const QStringList& expected) const
    {
        QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : expected)
            files.removeAll(name);
        return files;
    }
};

TEST_P(FailedSave, AProjectKeepsItsPreviousFileAndSaysSo)
{
    frameWithPhoto(writePhoto("a.png", Qt::red));
    const QByteArray before = saveAndRead("trip.Collage");
    frameWithPhoto(writePhoto("b.png", Qt::blue));
    doc->setModified(true);
    const qint64 newSize = saveAndRead("probe.Collage").size();
    doc->setModified(true);
    {
        FileSizeLimit full(limitFor(newSize));
        EXPECT_EQ(doc->saveDocument(path("trip.Collage")), CCollageDoc::SaveResult::Failed);
    }
    EXPECT_EQ(readFile(path("trip.Collage")), before);
    EXPECT_TRUE(doc->isModified());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("SaveFailed"));
    EXPECT_EQ(leftovers(home.path(), {"trip.Collage", "probe.Collage", "a.png", "b.png"}), QStringList());
    EXPECT_EQ(doc->saveDocument(path("trip.Collage")), CCollageDoc::SaveResult::Saved);
}

TEST_P(FailedSave, ThePhotoCollectionKeepsEachFileWholeAndStaysDirty)
{
    CMyPhotos& photos = services->photos();
    const QString a = writePhoto("a.png", Qt::red), b = writePhoto("b.png", Qt::blue);
    photos.FindPhoto(a, true);
    photos.AddMoment("Spring", {a}, COleDate());
    ASSERT_EQ(photos.Save(), CMyPhotos::SaveResult::Saved);
    const QByteArray collection = readFile(photos.collectionPath());
    const QByteArray moments = readFile(photos.momentsPath());

    photos.FindPhoto(b, true);
    photos.AddMoment("Summer", {a, b}, COleDate());
    {
        FileSizeLimit full(limitFor(collection.size()));
        EXPECT_EQ(photos.Save(), CMyPhotos::SaveResult::Failed);
    }
    EXPECT_TRUE(photos.isDirty());
    EXPECT_EQ(readFile(photos.collectionPath()), collection);
    EXPECT_EQ(readFile(photos.momentsPath()), moments);
    EXPECT_EQ(leftovers(photos.folder(), {"Collection.DAT", "Moments.DAT", "Thumbs.DAT", "Thumbs.DAT-wal", "Thumbs.DAT-shm"}), QStringList());

    ASSERT_EQ(photos.Save(), CMyPhotos::SaveResult::Saved);
    restart();
    EXPECT_EQ(services->photos().MomentNames(), QStringList({"Spring", "Summer"}));
    EXPECT_NE(services->photos().FindPhoto(b), nullptr);
}

TEST_P(FailedSave, TheSettingsKeepTheirPreviousFileAndStayChanged)
{
    CPropManager& settings = services->settings();
    const QString file = path("Settings.DAT");
    settings.setValue("Colour", CPropValue::string("red"));
    ASSERT_EQ(settings.save(file), CPropManager::SaveResult::Saved);
    const QByteArray before = readFile(file);

    settings.setValue("Colour", CPropValue::string("a much longer value than the one before"));
    {
        FileSizeLimit full(limitFor(before.size()));
        EXPECT_EQ(settings.save(file), CPropManager::SaveResult::Failed);
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_TRUE(settings.isChanged());
    EXPECT_EQ(settings.save(file), CPropManager::SaveResult::Saved);
}

TEST_P(FailedSave, AnExportKeepsTheOlderPictureAndNamesTheFailure)
{
    frameWithPhoto(writePhoto("a.png", Qt::red));
    CExportRequest request;
    request.path = path("out.png");
    request.type = "png";
    request.width = 400;
    request.height = 300;
    ASSERT_TRUE(ExportImage(services->renderer(), doc->exportCanvas(), request).ok());
    const QByteArray before = readFile(request.path);

    frameWithPhoto(writePhoto("b.png", Qt::blue));
    CExportRequest probe = request;
    probe.path = path("probe.png");
    ASSERT_TRUE(ExportImage(services->renderer(), doc->exportCanvas(), probe).ok());
    CExportResult result;
    {
        FileSizeLimit full(limitFor(readFile(probe.path).size()));
        result = ExportImage(services->renderer(), doc->exportCanvas(), request);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.messageKey, "ExportInterrupt");
    EXPECT_EQ(readFile(request.path), before);
    EXPECT_EQ(leftovers(home.path(), {"out.png", "probe.png", "a.png", "b.png"}), QStringList());
}

// From nothing written to all but the last bytes (for a project, its
// checksum trailer).
INSTANTIATE_TEST_SUITE_P(DiskFull, FailedSave, ::testing::Values(0.0, 0.3, 0.9, 0.999));

} // namespace
