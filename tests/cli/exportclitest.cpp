// collage-cli make, export and dump as a script runs them: a real process
// in a private home, the results decoded and looked at. Photos come from the
// corpus made by shared/bench/corpus.sh when it is there, else from here.
#include "clirun.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cctype>

namespace {

// OMBRAVELLE_CORPUS names another corpus folder.
QString corpusList()
{
    const QString folder = qEnvironmentVariableIsSet("OMBRAVELLE_CORPUS") ? qEnvironmentVariable("OMBRAVELLE_CORPUS")
                                                                         : QStringLiteral("/tmp/corpus");
    return folder + "/jpeg12mp.list";
}
constexpr int kCorpusPhotos = 5;

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

class ExportCli : public ::testing::Test
{
protected:
    CliRun run(const QStringList& args) { return runCli(args); }
    QString path(const QString& name) const { return home.path() + '/' + name; }

    // Camera photos when the corpus is there, else photos of plain colours
    // made here.
    QStringList photos()
    {
        QFile list(corpusList());
        QStringList files;
        if (list.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : list.readAll().split('\n').mid(0, kCorpusPhotos))
                files << QString::fromLocal8Bit(line.trimmed());
            return files;
        }
        for (int i = 0; i < kCorpusPhotos; ++i) {
            QImage image(i == 2 ? QSize(600, 800) : QSize(800, 600), QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 70, 200, 200));
            files << path(QString("photo%1.jpg").arg(i));
            EXPECT_TRUE(image.save(files.last(), "JPEG", 90));
        }
        return files;
    }

    TestHome home;
};

TEST_F(ExportCli, MakeExportAndDumpACollageOfPhotos)
{
    const QStringList files = photos();
    const CliRun made = run(QStringList{"make"} + files + QStringList{"--out", path("trip"), "--canvas", "8x6"});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    ASSERT_TRUE(QFile::exists(path("trip.Collage")));

    const CliRun dumped = run({"dump", path("trip.Collage")});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err.constData();
    const QJsonObject project = QJsonDocument::fromJson(dumped.out).object();
    EXPECT_EQ(project["canvas"].toObject()["width"].toDouble(), 8.0);
    const QJsonArray frames = project["frames"].toArray();
    ASSERT_EQ(frames.size(), files.size());
    for (int i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].toObject()["photo"].toString(), files[i]);

    const CliRun jpeg = run({"export", path("trip.Collage"), path("trip.jpg"), "--width", "800", "--quality", "85"});
    ASSERT_EQ(jpeg.exitCode, 0) << jpeg.err.constData();
    const QImage picture(path("trip.jpg"));
    ASSERT_EQ(picture.size(), QSize(800, 600));
    EXPECT_NEAR(picture.dotsPerMeterX(), 100 / 0.0254, 1.0);
    const QColor canvas = picture.pixelColor(2, 2);
    for (const QJsonValue& value : frames) {
        const QJsonObject rect = value.toObject()["rect"].toObject();
        const QPoint centre(int((rect["x"].toDouble() + rect["width"].toDouble() / 2) * 100),
                            int((rect["y"].toDouble() + rect["height"].toDouble() / 2) * 100));
        EXPECT_NE(picture.pixelColor(centre), canvas) << "a photo or its stand-in at " << centre.x() << "," << centre.y();
    }

    const CliRun png = run({"export", path("trip.Collage"), path("trip.png"), "--dpi", "40", "--transparent"});
    ASSERT_EQ(png.exitCode, 0) << png.err.constData();
    const QImage clear(path("trip.png"));
    ASSERT_EQ(clear.size(), QSize(320, 240));
    // The layout covers the whole canvas, so no canvas shows through here;
    // the file still carries the alpha channel a transparent canvas needs.
    EXPECT_TRUE(clear.hasAlphaChannel());
    const QJsonObject first = frames[0].toObject()["rect"].toObject();
    EXPECT_EQ(qAlpha(clear.pixel(int((first["x"].toDouble() + 0.5) * 40), int((first["y"].toDouble() + 0.5) * 40))), 255);
}

// The frames of a dumped project: rectangle and tilt, in creation order.
QJsonArray dumpedFrames(const QByteArray& json) { return QJsonDocument::fromJson(json).object()["frames"].toArray(); }

TEST_F(ExportCli, MakeLaysThePhotosOutOverTheWholeCanvasTheSameWayForTheSameSeed)
{
    const QStringList files = photos();
    auto make = [&](const QString& name, const QString& seed) {
        const CliRun made = run(QStringList{"make"} + files + QStringList{"--out", path(name), "--seed", seed});
        EXPECT_EQ(made.exitCode, 0) << made.err.constData();
        const CliRun dumped = run({"dump", path(name + ".Collage")});
        EXPECT_EQ(dumped.exitCode, 0) << dumped.err.constData();
        return dumpedFrames(dumped.out);
    };
    const QJsonArray first = make("a", "5");
    ASSERT_EQ(first.size(), files.size());
    double area = 0;
    for (const QJsonValue& frame : first) {
        const QJsonObject rect = frame.toObject()["rect"].toObject();
        area += rect["width"].toDouble() * rect["height"].toDouble();
        EXPECT_EQ(frame.toObject()["rotation"].toDouble(), 0.0);
    }
    EXPECT_NEAR(area, 10.0 * 7.5, 1e-3) << "the default canvas, covered without gaps";
    EXPECT_EQ(make("b", "5"), first);
    bool anotherSeedDiffers = false;
    for (const char* seed : {"6", "7", "8"})
        anotherSeedDiffers = anotherSeedDiffers || make("c", seed) != first;
    EXPECT_TRUE(anotherSeedDiffers);
}

TEST_F(ExportCli, MakeJumblesAndExportsInTheSameCall)
{
    const QStringList files = photos();
    const CliRun made = run(QStringList{"make"} + files
                            + QStringList{"--out", path("tilted"), "--canvas", "8x6", "--seed", "3", "--jumble",
                                          "--export", path("tilted.png")});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    const QImage picture(path("tilted.png"));
    EXPECT_EQ(picture.size(), QSize(800, 600));

    const CliRun dumped = run({"dump", path("tilted.Collage")});
    const QJsonArray frames = dumpedFrames(dumped.out);
    ASSERT_EQ(frames.size(), files.size());
    double area = 0;
    for (const QJsonValue& frame : frames) {
        const double tilt = frame.toObject()["rotation"].toDouble();
        EXPECT_GE(tilt, -25.0);
        EXPECT_LE(tilt, 24.0);
        const QJsonObject rect = frame.toObject()["rect"].toObject();
        area += rect["width"].toDouble() * rect["height"].toDouble();
    }
    EXPECT_GT(area, 8.0 * 6.0) << "the first jumble enlarges every frame";

    // The tilts follow the seed.
    const auto tilts = [&](const QString& seed) {
        run(QStringList{"make"} + files + QStringList{"--out", path("t" + seed), "--seed", seed, "--jumble"});
        QList<double> drawn;
        for (const QJsonValue& frame : dumpedFrames(run({"dump", path("t" + seed + ".Collage")}).out))
            drawn << frame.toObject()["rotation"].toDouble();
        return drawn;
    };
    EXPECT_EQ(tilts("3").size(), files.size());
    EXPECT_NE(tilts("4"), tilts("3"));
}

TEST_F(ExportCli, MakeSkipsNamedPhotosThatAreMissingOrBrokenAndSaysSo)
{
    const QStringList good = photos().mid(0, 2);
    writeBytes(path("garbage.jpg"), "this is no picture at all");
    writeBytes(path("empty.jpg"), "");
    const QStringList broken{path("gone.jpg"), path("garbage.jpg"), path("empty.jpg")};

    const CliRun made = run(QStringList{"make"} + good + broken + QStringList{"--out", path("some")});
    EXPECT_EQ(made.exitCode, kExitFailed);
    for (const QString& file : broken)
        EXPECT_TRUE(made.err.contains(file.toUtf8())) << made.err.constData();
    const CliRun dumped = run({"dump", path("some.Collage")});
    const QJsonArray frames = dumpedFrames(dumped.out);
    ASSERT_EQ(frames.size(), good.size()) << "the project of the good photos is written";
    for (int i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].toObject()["photo"].toString(), good[i]);

    const CliRun none = run(QStringList{"make"} + broken + QStringList{"--out", path("none")});
    EXPECT_EQ(none.exitCode, kExitFailed);
    EXPECT_FALSE(QFile::exists(path("none.Collage"))) << "no project without a photo";
}

TEST_F(ExportCli, ExportOfAProjectWhosePhotoCannotBeReadFails)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QStringList files{path("a.jpg"), path("b.jpg")};
    for (const QString& file : files)
        ASSERT_TRUE(image.save(file, "JPEG"));
    ASSERT_EQ(run(QStringList{"make"} + files + QStringList{"--out", path("p")}).exitCode, 0);
    ASSERT_EQ(run({"export", path("p.Collage"), path("whole.jpg")}).exitCode, 0);

    writeBytes(files[1], "overwritten with garbage");
    const CliRun garbled = run({"export", path("p.Collage"), path("garbled.jpg")});
    EXPECT_EQ(garbled.exitCode, kExitFailed);
    EXPECT_TRUE(garbled.err.contains(files[1].toUtf8())) << garbled.err.constData();

    QFile::remove(files[0]);
    const CliRun gone = run({"export", path("p.Collage"), path("gone.jpg")});
    EXPECT_EQ(gone.exitCode, kExitFailed);
    EXPECT_TRUE(gone.err.contains(files[0].toUtf8())) << gone.err.constData();
}

TEST_F(ExportCli, APhotoCutShortIsExportedAsFarAsItGoesAndGreyBelow)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(path("whole.jpg"), "JPEG", 90));
    QFile whole(path("whole.jpg"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray jpeg = whole.readAll();
    // Half of the picture data, which follows the last header.
    const qsizetype data = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    ASSERT_GT(data, 0);
    writeBytes(path("cut.jpg"), jpeg.left(data + (jpeg.size() - data) / 2));

    const CliRun made = run({"make", path("cut.jpg"), "--out", path("cut"), "--canvas", "8x6", "--export", path("cut.png")});
    ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    const QImage picture(path("cut.png"));
    ASSERT_EQ(picture.size(), QSize(800, 600));
    const QColor top = picture.pixelColor(400, 20);
    EXPECT_GT(top.blue(), 200);
    EXPECT_LT(top.red(), 60);
    const QColor bottom = picture.pixelColor(400, 580);
    EXPECT_NEAR(bottom.red(), 128, 10);
    EXPECT_NEAR(bottom.blue(), 128, 10);
}

TEST_F(ExportCli, MakeRefusesASeedThatIsNoNumber)
{
    const CliRun made = run(QStringList{"make"} + photos() + QStringList{"--out", path("x"), "--seed", "soon"});
    EXPECT_EQ(made.exitCode, kExitUsage);
    EXPECT_FALSE(QFile::exists(path("x.Collage")));
}

struct BadRun
{
    const char* what;
    QStringList args;
    int exitCode;
};

void PrintTo(const BadRun& run, std::ostream* out) { *out << run.what; }

class ExportCliRefusals : public ExportCli, public ::testing::WithParamInterface<BadRun>
{
};

TEST_P(ExportCliRefusals, BadArgumentsAndMissingFilesEndWithAnErrorAndNoPicture)
{
    const QStringList photo = photos().mid(0, 1);
    ASSERT_EQ(run(QStringList{"make"} + photo + QStringList{"--out", path("p.Collage")}).exitCode, 0);
    QFile damaged(path("damaged.Collage"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a project at all");
    damaged.close();
    QStringList args;
    for (const QString& arg : GetParam().args)
        args << QString(arg).replace("HOME", home.path());
    const CliRun result = run(args);
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << GetParam().what;
    EXPECT_FALSE(result.err.isEmpty());
    EXPECT_TRUE(QDir(home.path()).entryList({"out*"}, QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportCliRefusals,
    ::testing::Values(BadRun{"make without --out", {"make", "HOME"}, kExitUsage},
                      BadRun{"make of nothing", {"make", "HOME/none", "--out", "HOME/out.Collage"}, kExitFailed},
                      BadRun{"two sizes", {"export", "HOME/p.Collage", "HOME/out.jpg", "--width", "10", "--dpi", "9"}, kExitUsage},
                      BadRun{"quality 101", {"export", "HOME/p.Collage", "HOME/out.jpg", "--quality", "101"}, kExitUsage},
                      BadRun{"width 9", {"export", "HOME/p.Collage", "HOME/out.jpg", "--width", "9"}, kExitUsage},
                      BadRun{"unknown type", {"export", "HOME/p.Collage", "HOME/out.xyz"}, kExitUsage},
                      BadRun{"missing project", {"export", "HOME/none.Collage", "HOME/out.jpg"}, kExitFailed},
                      BadRun{"damaged project", {"export", "HOME/damaged.Collage", "HOME/out.jpg"}, kExitFailed},
                      BadRun{"missing folder", {"export", "HOME/p.Collage", "HOME/none/out.jpg"}, kExitFailed},
                      BadRun{"dump of nothing", {"dump", "HOME/none.Collage"}, kExitFailed}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

} // namespace
