// collage-cli print as a script runs it: a real process in a private home,
// the PDF read back with poppler's pdfinfo; its arguments, exit codes and
// the warning about photos with too few pixels.
#include "clirun.h"
#include "testhome.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct PdfInfo
{
    int pages = 0;
    std::vector<bool> landscape; // per page
    QString producer;
};

PdfInfo pdfInfo(const QString& pdf)
{
    QProcess process;
    process.start("pdfinfo", {"-f", "1", "-l", "99", pdf});
    EXPECT_TRUE(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    PdfInfo info;
    info.pages = QRegularExpression(R"(Pages:\s+(\d+))").match(text).captured(1).toInt();
    const QRegularExpression size(R"(Page\s+\d+\s+size:\s+([\d.]+)\s+x\s+([\d.]+))");
    for (auto it = size.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        info.landscape.push_back(m.captured(1).toDouble() > m.captured(2).toDouble());
    }
    info.producer = QRegularExpression(R"(Creator:\s+(.*))").match(text).captured(1).trimmed();
    return info;
}

class PrintCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Five 2400 × 1800 photos on a 20 × 7.5 canvas: well above 150 dpi.
        QStringList files;
        for (int i = 0; i < 5; ++i) {
            QImage image(2400, 1800, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 70, 200, 200));
            files << path(QString("photo%1.jpg").arg(i));
            ASSERT_TRUE(image.save(files.last(), "JPEG", 85));
        }
        const CliRun made = runCli(QStringList{"make"} + files + QStringList{"--out", path("wide"), "--canvas", "20x7.5"});
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    }

    QString path(const QString& name) const { return home.path() + '/' + name; }

    TestHome home;
};

struct PagesCase
{
    const char* pages;
    std::vector<bool> landscape;
};

TEST_F(PrintCli, PrintsOnePdfPagePerPrinterPageInTheOrientationAsked)
{
    // A4 less a quarter inch: 20 × 7.5 needs 3 upright pages or 2 turned ones.
    for (const PagesCase& c : {PagesCase{"auto", {true, true}}, PagesCase{"landscape", {true, true}},
                               PagesCase{"portrait", {false, false, false}}}) {
        SCOPED_TRACE(c.pages);
        const QString pdf = path(QString("wide-%1.pdf").arg(c.pages));
        const CliRun printed =
            runCli({"print", path("wide.Collage"), "--pdf", pdf, "--pages", c.pages, "--paper", "a4"});
        ASSERT_EQ(printed.exitCode, 0) << printed.err.constData();
        EXPECT_FALSE(printed.err.contains("collage-cli")) << printed.err.constData();
        EXPECT_TRUE(printed.out.contains("paper: A4")) << printed.out.constData();
        const PdfInfo info = pdfInfo(pdf);
        EXPECT_EQ(info.pages, int(c.landscape.size()));
        EXPECT_EQ(info.landscape, c.landscape);
        EXPECT_EQ(info.producer, QString("Tessary Ombravelle"));
    }
}

TEST_F(PrintCli, RefusesBadArgumentsAndSaysWhatFailed)
{
    const QString project = path("wide.Collage");
    const QString pdf = path("out.pdf");
    EXPECT_EQ(runCli({"print", project}).exitCode, kExitUsage);
    EXPECT_EQ(runCli({"print", "--pdf", pdf}).exitCode, kExitUsage);
    EXPECT_EQ(runCli({"print", project, "--pdf", pdf, "--pages", "diagonal"}).exitCode, kExitUsage);
    const CliRun napkin = runCli({"print", project, "--pdf", pdf, "--paper", "Napkin"});
    EXPECT_EQ(napkin.exitCode, kExitUsage);
    EXPECT_TRUE(napkin.err.contains("Napkin"));
    EXPECT_EQ(runCli({"print", project, "--pdf", pdf, "--copies", "2"}).exitCode, kExitUsage);
    EXPECT_FALSE(QFile::exists(pdf));

    EXPECT_EQ(runCli({"print", path("missing.Collage"), "--pdf", pdf}).exitCode, kExitFailed);
    EXPECT_EQ(runCli({"print", project, "--pdf", path("no/such/folder/out.pdf")}).exitCode, kExitFailed);

    // A failed print leaves a file that was there as it was.
    QFile previous(pdf);
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("keep me");
    previous.close();
    QFile::remove(project);
    EXPECT_EQ(runCli({"print", project, "--pdf", pdf}).exitCode, kExitFailed);
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
}

TEST_F(PrintCli, WarnsOnStandardErrorAboutPhotosWithTooFewPixels)
{
    QImage small(400, 300, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    ASSERT_TRUE(small.save(path("small.jpg"), "JPEG", 85));
    ASSERT_EQ(runCli({"make", path("small.jpg"), path("photo0.jpg"), "--out", path("mixed"), "--canvas", "10x7.5"})
                  .exitCode,
              0);
    const CliRun printed = runCli({"print", path("mixed.Collage"), "--pdf", path("mixed.pdf")});
    EXPECT_EQ(printed.exitCode, 0) << printed.err.constData();
    EXPECT_TRUE(printed.err.contains("warning")) << printed.err.constData();
    EXPECT_TRUE(printed.err.contains("small.jpg")) << printed.err.constData();
    EXPECT_FALSE(printed.err.contains("photo0.jpg")) << printed.err.constData();
    EXPECT_EQ(pdfInfo(path("mixed.pdf")).pages, 1);

    const CliRun exported = runCli({"export", path("mixed.Collage"), path("mixed.jpg"), "--dpi", "150"});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.constData();
    EXPECT_TRUE(exported.err.contains("small.jpg")) << exported.err.constData();
    const CliRun screenSized = runCli({"export", path("mixed.Collage"), path("tiny.jpg"), "--width", "200"});
    EXPECT_FALSE(screenSized.err.contains("small.jpg")) << "20 dpi asks for no more than the photo has";
}

} // namespace
