// collage-cli's thumbnail commands as a script runs them: the collection's
// missing thumbnails rendered and stored, one photo's thumbnail written out,
// and the exit codes of bad files and bad arguments.
#include "clirun.h"
#include "photofiles.h"
#include "photolike.h"
#include "testhome.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

using namespace PhotoFiles;

namespace {

class ThumbnailsCli : public ::testing::Test
{
protected:
    QString folder() const { return home.path() + "/Pictures"; }
    QString thumbsFile() const { return home.dataHome() + "/Tessary/ImageDatabase/Thumbs.DAT"; }

    void makePhotos()
    {
        for (int i = 0; i < 3; ++i) {
            const QString path = QStringLiteral("%1/IMG_%2.jpg").arg(folder()).arg(i);
            makeFolderFor(path);
            ASSERT_TRUE(photoLikePicture({800, 600}).save(path, "JPEG"));
        }
        writeExif(folder() + "/IMG_2.jpg", Exif{{}, 6}); // a portrait the camera stored on its side
        writeBytes(folder() + "/broken.jpg", "not a photo");
    }

    TestHome home;
};

TEST_F(ThumbnailsCli, RendersAndStoresTheThumbnailsTheCollectionLacksOnce)
{
    makePhotos();
    ASSERT_EQ(runCli({"photos", "refresh", folder()}).exitCode, 0);

    const CliRun first = runCli({"photos", "thumbnails", "--jobs", "2"});
    ASSERT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_TRUE(first.out.contains("thumbnails rendered: 3\n")) << first.out.constData();
    EXPECT_TRUE(first.out.contains("not decoded: 1\n"));
    EXPECT_TRUE(first.out.contains("photos with stored thumbnails: 3 of 4\n"));
    EXPECT_TRUE(first.out.contains("threads: 2\n"));
    EXPECT_TRUE(first.out.contains("photos per second: "));
    EXPECT_TRUE(QFile::exists(thumbsFile()));

    const CliRun second = runCli({"photos", "thumbnails"});
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.contains("thumbnails rendered: 0\n")) << "only the undecodable one is tried again";
    EXPECT_TRUE(second.out.contains("photos with stored thumbnails: 3 of 4\n"));
}

TEST_F(ThumbnailsCli, WritesOnePhotosThumbnailUprightAndFitted)
{
    makePhotos();
    const QString out = home.path() + "/thumb.png";
    const CliRun written = runCli({"photos", "thumbnail", folder() + "/IMG_2.jpg", out});
    ASSERT_EQ(written.exitCode, 0) << written.err.constData();
    EXPECT_EQ(written.out, "96x128\n");
    const QImage image(out);
    EXPECT_EQ(image.size(), QSize(96, 128));

    EXPECT_EQ(runCli({"photos", "thumbnail", folder() + "/broken.jpg", out}).exitCode, 1);
    EXPECT_EQ(runCli({"photos", "thumbnail", folder() + "/gone.jpg", out}).exitCode, 1);
    EXPECT_EQ(runCli({"photos", "thumbnail", folder() + "/IMG_0.jpg", home.path() + "/no/such/dir/t.png"}).exitCode,
              1);
}

TEST_F(ThumbnailsCli, RefusesBadArguments)
{
    EXPECT_EQ(runCli({"photos", "thumbnail", "only-one.jpg"}).exitCode, 2);
    EXPECT_EQ(runCli({"photos", "thumbnails", "--jobs", "0"}).exitCode, 2);
    EXPECT_EQ(runCli({"photos", "thumbnails", "--jobs", "many"}).exitCode, 2);
    EXPECT_EQ(runCli({"photos", "thumbnails", "--fast"}).exitCode, 2);
}

} // namespace
