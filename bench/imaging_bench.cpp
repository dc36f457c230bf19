// The imaging core at the sizes it meets: colour adjustment of a 500 × 500
// working copy, the shadow mask of a 700 × 700 frame picture, and the
// working copy of a 12 MP camera JPEG side by side with `djpeg -scale 1/8`
// (libjpeg-turbo's own reduced decode, the floor for this work) on the same
// files.
//
// Photos: the ~12 MP JPEGs listed in /tmp/corpus/jpeg12mp.list when it
// exists (made by shared/bench/corpus.sh), else one 4000 × 3000 JPEG made
// here. djpeg comes with libjpeg-turbo-progs; without it that benchmark is
// skipped.
//
// Run: bench_imaging [--benchmark_filter=...]

#include "photolike.h"
#include "coloradjust.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photoimage.h"
#include "propmanager.h"
#include "shadowmask.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWorkingCopySide = 500;
constexpr int kFramePictureSide = 700;
constexpr int kMaxCorpusPhotos = 24;
const QString kCorpusList = QStringLiteral("/tmp/corpus/jpeg12mp.list");

// The photos the decode benchmarks cycle through.
class PhotoSet
{
public:
    static const PhotoSet& instance()
    {
        static PhotoSet set;
        return set;
    }
    const QStringList& paths() const { return m_paths; }
    QString origin() const { return m_origin; }

private:
    PhotoSet()
    {
        QFile list(kCorpusList);
        if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&list);
            while (!in.atEnd() && m_paths.size() < kMaxCorpusPhotos) {
                const QString path = in.readLine().trimmed();
                if (!path.isEmpty() && QFile::exists(path))
                    m_paths.append(path);
            }
        }
        if (!m_paths.isEmpty()) {
            m_origin = kCorpusList;
            return;
        }
        const QString path = m_dir.filePath("IMG_4000x3000.jpg");
        photoLikePicture(QSize(4000, 3000), 1, true).save(path, "JPEG", 90);
        m_paths.append(path);
        m_origin = QStringLiteral("one generated 4000x3000 JPEG");
    }

    QTemporaryDir m_dir;
    QStringList m_paths;
    QString m_origin;
};

void BM_ColourAdjustWorkingCopy(benchmark::State& state)
{
    const QImage copy = photoLikePicture(QSize(kWorkingCopySide, kWorkingCopySide), 2, true)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    CColourAdjustment adjustment;
    adjustment.brightness = 0.1f;
    adjustment.contrast = 1.4f;
    adjustment.gamma = 0.8f;
    adjustment.alpha = state.range(0) == 0 ? 1.0f : 0.6f;
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeAdjustedCopy(copy, adjustment));
    state.SetItemsProcessed(state.iterations() * kWorkingCopySide * kWorkingCopySide);
    state.SetLabel(state.range(0) == 0 ? "opaque" : "alpha 0.6");
}
BENCHMARK(BM_ColourAdjustWorkingCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ColourAdjustTransparentSource(benchmark::State& state)
{
    QImage copy = photoLikePicture(QSize(kWorkingCopySide, kWorkingCopySide), 3, true).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y)
        for (int x = 0; x < copy.width(); ++x)
            copy.setPixel(x, y, (copy.pixel(x, y) & 0x00FFFFFF) | (quint32((x + y) & 0xFF) << 24));
    copy.convertTo(QImage::Format_ARGB32_Premultiplied);
    CColourAdjustment adjustment;
    adjustment.contrast = 1.4f;
    adjustment.alpha = 0.6f;
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeAdjustedCopy(copy, adjustment));
    state.SetItemsProcessed(state.iterations() * kWorkingCopySide * kWorkingCopySide);
}
BENCHMARK(BM_ColourAdjustTransparentSource)->Unit(benchmark::kMicrosecond);

void BM_ShadowMask(benchmark::State& state)
{
    // A picture with a transparent margin, as a rotated frame's is.
    QImage picture(kFramePictureSide, kFramePictureSide, QImage::Format_ARGB32_Premultiplied);
    picture.fill(0);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(kFramePictureSide / 2.0, kFramePictureSide / 2.0);
        painter.rotate(12);
        painter.fillRect(QRectF(-280, -220, 560, 440), QColor(200, 120, 60));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeShadowMask(picture, 1.0f, true));
    state.SetItemsProcessed(state.iterations() * kFramePictureSide * kFramePictureSide);
}
BENCHMARK(BM_ShadowMask)->Unit(benchmark::kMicrosecond);

// The decode and fit alone, as the thumbnail worker would call it.
void BM_WorkingCopyDecode(benchmark::State& state)
{
    const PhotoSet& photos = PhotoSet::instance();
    qsizetype next = 0;
    for (auto _ : state) {
        const auto decoded = PhotoDecoder::decode(photos.paths()[next], QSize(kWorkingCopySide, kWorkingCopySide));
        if (!decoded) {
            state.SkipWithError("a photo did not decode");
            break;
        }
        benchmark::DoNotOptimize(decoded->image.constBits());
        next = (next + 1) % photos.paths().size();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(photos.origin().toStdString());
}
BENCHMARK(BM_WorkingCopyDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole operation on a photo of the collection: file check, decode,
// fit, conversion, quarter turns and caching.
void BM_GetWorkingCopy(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    CPropManager settings;
    CMessageCatalogue catalogue;
    CNotificationBus bus;
    CMyPhotos collection(settings, catalogue, bus, nullptr, home.filePath("db"));
    CPhotoImage images(collection);
    std::vector<CPhotoItem*> items;
    for (const QString& path : PhotoSet::instance().paths()) {
        CPhotoItem* photo = collection.AddPhoto(path);
        collection.CheckFile(*photo); // reads the photo's date once, as the collection would have
        items.push_back(photo);
    }
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(images.GetWorkingCopy(*items[next], true).constBits());
        items[next]->releaseImages();
        next = (next + 1) % items.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetWorkingCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

bool runsToCompletion(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// libjpeg-turbo's reduced decode of the same files, started as a process
// per photo like the reference figures.
void BM_DjpegEighthScale(benchmark::State& state)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty()) {
        state.SkipWithError("djpeg not found (package libjpeg-turbo-progs)");
        return;
    }
    const PhotoSet& photos = PhotoSet::instance();
    qsizetype next = 0;
    for (auto _ : state) {
        if (!runsToCompletion(djpeg, {"-scale", "1/8", "-outfile", "/dev/null", photos.paths()[next]})) {
            state.SkipWithError("djpeg failed");
            break;
        }
        next = (next + 1) % photos.paths().size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DjpegEighthScale)->Unit(benchmark::kMillisecond)->UseRealTime();

// What starting a process costs, to read the djpeg figure without it.
void BM_ProcessStart(benchmark::State& state)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("true"));
    for (auto _ : state)
        runsToCompletion(program, {});
}
BENCHMARK(BM_ProcessStart)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // Image plugins and QPainter on images need the GUI application object;
    // nothing is shown.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
