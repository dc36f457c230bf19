// collage-cli thumbnail as a file manager runs it: a real process, real
// projects made by collage-cli make, the written PNG decoded and looked at.
#include "archivebytes.h"
#include "clirun.h"
#include "projectfiletestsupport.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kStoredPreviewSide = 256;
constexpr int kPreviewSectionIndex = 4; // "LowResPics"

// A test name from free text: letters and digits, the rest as '_'.
std::string testName(std::string text)
{
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return text;
}

bool isRed(QRgb pixel) { return qRed(pixel) > 180 && qGreen(pixel) < 80 && qBlue(pixel) < 80; }
bool isBlue(QRgb pixel) { return qBlue(pixel) > 180 && qRed(pixel) < 80 && qGreen(pixel) < 80; }

QByteArray blob(const QByteArray& bytes) { return ArchiveBytes::u32(quint32(bytes.size())) + bytes; }

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class Thumbnailer : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return home.path() + '/' + name; }

    // A project of one red photo laid out on a canvas of that size.
    QString makeProject(const QString& name, const QString& canvas = "10x7.5")
    {
        QImage photo(800, 600, QImage::Format_RGB32);
        photo.fill(Qt::red);
        EXPECT_TRUE(photo.save(path("red.jpg"), "JPEG", 95));
        const CliRun made = runCli({"make", path("red.jpg"), "--out", path(name), "--canvas", canvas});
        EXPECT_EQ(made.exitCode, kExitOk) << made.err.constData();
        return path(name);
    }

    // The project with its preview record replaced (an empty record: none).
    void replacePreview(const QString& project, const QByteArray& record)
    {
        auto sections = parseSections(readFile(project));
        ASSERT_EQ(sections[kPreviewSectionIndex].name, "LowResPics");
        sections[kPreviewSectionIndex].content = record;
        writeFile(project, buildFile(sections));
    }

    CliRun thumbnail(const QString& project, const QString& out, const QString& size)
    {
        return runCli({"thumbnail", project, out, size});
    }

    TestHome home;
};

// --- Sizes

struct SizeCase
{
    const char* canvas;
    int size;
    QSize expected;
};

void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.canvas << " canvas, size " << c.size; }

class ThumbnailSize : public Thumbnailer, public ::testing::WithParamInterface<SizeCase>
{
};

TEST_P(ThumbnailSize, IsAPngOfTheRequestedSizeWithTheCanvasProportions)
{
    const SizeCase& c = GetParam();
    const QString project = makeProject("p.Collage", c.canvas);
    const CliRun run = thumbnail(project, path("thumb.png"), QString::number(c.size));
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.constData();
    const QByteArray written = readFile(path("thumb.png"));
    EXPECT_TRUE(written.startsWith("\x89PNG\r\n\x1a\n"));
    const QImage image = QImage::fromData(written, "PNG");
    EXPECT_EQ(image.size(), c.expected);
    EXPECT_TRUE(isRed(image.pixel(image.width() / 2, image.height() / 2)));
}

INSTANTIATE_TEST_SUITE_P(StoredAndRendered, ThumbnailSize,
                         ::testing::Values(SizeCase{"10x7.5", 128, {128, 96}}, SizeCase{"10x7.5", 256, {256, 192}},
                                           SizeCase{"6x8", 64, {48, 64}}, SizeCase{"10x5", 32, {32, 16}},
                                           // Above the stored preview's 256: drawn afresh.
                                           SizeCase{"10x7.5", 512, {512, 384}}, SizeCase{"6x8", 1024, {768, 1024}}),
                         [](const auto& info) {
                             return testName("canvas" + std::string(info.param.canvas) + "_size"
                                             + std::to_string(info.param.size));
                         });

// --- Where the picture comes from

TEST_F(Thumbnailer, TakesTheStoredPreviewWithoutRenderingTheCanvas)
{
    const QString project = makeProject("p.Collage");
    QImage blue(200, 150, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    replacePreview(project, blob(pngOf(blue)));
    ASSERT_EQ(thumbnail(project, path("t.png"), "100").exitCode, kExitOk);
    const QImage image(path("t.png"));
    EXPECT_EQ(image.size(), QSize(100, 75));
    EXPECT_TRUE(isBlue(image.pixel(50, 37))) << "the red canvas was rendered instead of the stored picture";
}

TEST_F(Thumbnailer, RendersTheCanvasWhenTheProjectStoresNoPreview)
{
    const QString project = makeProject("p.Collage");
    replacePreview(project, blob({}));
    const CliRun run = thumbnail(project, path("t.png"), "128");
    ASSERT_EQ(run.exitCode, kExitOk) << run.err.constData();
    const QImage image(path("t.png"));
    EXPECT_EQ(image.size(), QSize(128, 96));
    EXPECT_TRUE(isRed(image.pixel(64, 48)));
}

TEST_F(Thumbnailer, RenderingLeavesTheUsersSettingsAndCollectionAlone)
{
    // Opening a file of this name would switch High Quality on and add its
    // photos to the collection, were the user's own services used.
    const QString project = makeProject("QuickStart.Collage");
    replacePreview(project, blob({}));
    QDir(home.dataHome()).removeRecursively();
    QDir(home.configHome()).removeRecursively();
    ASSERT_EQ(thumbnail(project, path("t.png"), "64").exitCode, kExitOk);
    EXPECT_FALSE(QFileInfo::exists(home.configHome()));
    EXPECT_FALSE(QFileInfo::exists(home.dataHome()));
}

// --- Failures

struct FailureCase
{
    const char* what;
    QStringList (*arguments)(const QString& project, const QString& out);
    int exitCode;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.what; }

class ThumbnailFailure : public Thumbnailer, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ThumbnailFailure, ExitsWithItsCodeAndWritesNothing)
{
    const QString project = makeProject("p.Collage");
    const QString out = path("t.png");
    const CliRun run = runCli(GetParam().arguments(project, out));
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << GetParam().what;
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ThumbnailFailure,
    ::testing::Values(
        FailureCase{"no size", [](const QString& p, const QString& o) { return QStringList{"thumbnail", p, o}; },
                    kExitUsage},
        FailureCase{"size 0", [](const QString& p, const QString& o) { return QStringList{"thumbnail", p, o, "0"}; },
                    kExitUsage},
        FailureCase{"size in words",
                    [](const QString& p, const QString& o) { return QStringList{"thumbnail", p, o, "large"}; },
                    kExitUsage},
        FailureCase{"size beyond reason",
                    [](const QString& p, const QString& o) { return QStringList{"thumbnail", p, o, "100000"}; },
                    kExitUsage},
        FailureCase{"missing project",
                    [](const QString& p, const QString& o) {
                        return QStringList{"thumbnail", p + ".gone", o, "128"};
                    },
                    kExitFailed}),
    [](const auto& info) { return testName(info.param.what); });

TEST_F(Thumbnailer, RefusesFilesThatAreNotProjectsOrAreFromANewerVersion)
{
    const QString project = makeProject("p.Collage");
    auto sections = parseSections(readFile(project));
    sections[0].content = QByteArray::fromHex("1800" "0000"); // version 24
    writeFile(path("newer.Collage"), buildFile(sections));
    writeFile(path("photo.Collage"), readFile(path("red.jpg")));
    writeFile(path("cut.Collage"), readFile(project).left(200));

    for (const char* name : {"newer.Collage", "photo.Collage", "cut.Collage"}) {
        const CliRun run = thumbnail(path(name), path("t.png"), "128");
        EXPECT_EQ(run.exitCode, kExitFailed) << name;
        EXPECT_FALSE(QFileInfo::exists(path("t.png"))) << name;
    }
}

TEST_F(Thumbnailer, AnUnwritableDestinationFailsAndLeavesNothing)
{
    const QString project = makeProject("p.Collage");
    QDir().mkpath(path("locked"));
    ReadOnlyFolder locked(path("locked"));
    if (!locked.locked())
        GTEST_SKIP() << "this file system cannot make a folder read-only";
    const CliRun run = thumbnail(project, path("locked/t.png"), "128");
    EXPECT_EQ(run.exitCode, kExitFailed);
    locked.unlock();
    EXPECT_TRUE(QDir(path("locked")).isEmpty());
}

} // namespace
