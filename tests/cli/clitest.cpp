// collage-cli run as a script would run it: a real process in a private
// home, talking to the same collection files the editor uses.
#include "clirun.h"
#include "testhome.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

class CollageCli : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(args); }

    QString makePhotos(const QString& name, int count)
    {
        const QString folder = home.path() + '/' + name;
        QDir().mkpath(folder + "/nested");
        for (int i = 0; i < count; ++i) {
            QImage image(40 + i, 30, QImage::Format_RGB32);
            image.fill(QColor(20 * i, 100, 150));
            const QString where = i % 2 ? folder + "/nested" : folder;
            EXPECT_TRUE(image.save(QString("%1/Photo %2.JPG").arg(where).arg(i), "JPEG"));
        }
        QFile notAnImage(folder + "/notes.jpeg.txt");
        notAnImage.open(QIODevice::WriteOnly);
        notAnImage.write("not a photo");
        return folder;
    }

    QJsonArray listJson()
    {
        const CliRun listed = run({"photos", "list", "--json"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err.constData();
        return QJsonDocument::fromJson(listed.out).array();
    }

    TestHome home;
};

TEST_F(CollageCli, RefreshAddsThePhotosOfAFolderTreeAndListShowsThem)
{
    const QString folder = makePhotos("My Pictures", 4);
    const CliRun refreshed = run({"photos", "refresh", folder});
    ASSERT_EQ(refreshed.exitCode, 0) << refreshed.err.constData();
    EXPECT_TRUE(refreshed.out.contains("images found: 4"));
    EXPECT_TRUE(QFile::exists(home.dataHome() + "/Tessary/ImageDatabase/Collection.DAT"));

    const QJsonArray photos = listJson();
    ASSERT_EQ(photos.size(), 4);
    QStringList paths;
    for (const QJsonValue& value : photos) {
        const QJsonObject photo = value.toObject();
        paths << photo["path"].toString();
        EXPECT_EQ(photo["height"].toInt(), 30);
        EXPECT_EQ(photo["state"].toString(), "Normal");
        EXPECT_FALSE(photo["dateFromMetadata"].toBool());
        EXPECT_GT(photo["fileSize"].toInt(), 0);
    }
    EXPECT_TRUE(paths.contains(folder + "/nested/Photo 1.JPG")); // letter case and spaces kept
}

TEST_F(CollageCli, APhotoWhoseFileIsGoneIsHiddenByTheNextRefresh)
{
    const QString folder = makePhotos("pics", 2);
    ASSERT_EQ(run({"photos", "refresh", folder}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(folder + "/Photo 0.JPG"));
    const CliRun again = run({"photos", "refresh", folder});
    ASSERT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.out.contains("photos removed: 1"));
    // Hidden photos leave the collection when it is saved.
    EXPECT_EQ(listJson().size(), 1);
}

TEST_F(CollageCli, AFolderThatDoesNotExistIsReportedAndChangesNothing)
{
    const CliRun result = run({"photos", "refresh", home.path() + "/nowhere"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.isEmpty());
    EXPECT_FALSE(QFile::exists(home.dataHome() + "/Tessary/ImageDatabase/Collection.DAT"));
}

TEST_F(CollageCli, AnEmptyCollectionListsNothingAndHasNoMoments)
{
    EXPECT_EQ(listJson().size(), 0);
    const CliRun moments = run({"photos", "moments", "--json"});
    EXPECT_EQ(moments.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(moments.out).array().size(), 0);
}

TEST_F(CollageCli, UnknownCommandsAreUsageErrors)
{
    EXPECT_EQ(run({"photos", "juggle"}).exitCode, 2);
    EXPECT_EQ(run({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(run({"--help"}).exitCode, 0);
}

} // namespace
