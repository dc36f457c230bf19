// Rendering and export at the sizes they meet:
//
// - a 50-frame canvas at 1,000 × 750 from working copies at Good quality,
//   every picture rebuilt (after a zoom) and from the caches (a repaint);
// - a 36 × 24 inch poster of 20 photos at 300 dpi (10,800 × 7,200), JPEG,
//   beside the vips pipeline on the same photos (vipsthumbnail to 2160 ×
//   1800 cover-cropped cells, then vips arrayjoin, free to use every core
//   as the export is), when vips is installed;
// - the same poster at 600 dpi (21,600 × 14,400), written in bands;
// - the same poster printed to a PDF file on A4 at 300 dpi, one page per
//   print region (the canvas tiled as the Print command tiles it), beside
//   its export at 300 dpi.
//
// The exports report their peak resident memory (the process's high-water
// mark is reset before each run); the vips figure is its largest process's.
// Photos: /tmp/corpus/bench48.list when it exists (made by
// shared/bench/corpus.sh), else 20 photo-like 4000 × 3000 JPEGs made here.
//
// Run: bench_render [--benchmark_filter=...]; single core: taskset -c 0 bench_render

#include "photolike.h"
#include "collagerenderer.h"
#include "frameops.h"
#include "imageexport.h"
#include "myphotos.h"
#include "photoimage.h"
#include "photoitem.h"
#include "printerchoice.h"
#include "printjob.h"
#include "printlayout.h"
#include "rendermemory.h"
#include "services.h"
#include "surfaces.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>


namespace {

const QString kCorpusList = QStringLiteral("/tmp/corpus/bench48.list");
constexpr int kPosterPhotos = 20;
constexpr int kPosterColumns = 5;
constexpr float kPosterWidth = 36.0f;
constexpr float kPosterHeight = 24.0f;
constexpr int kCanvasFrames = 50;
constexpr int kCanvasColumns = 10;
constexpr QSize kCanvasPixels(1000, 750);
constexpr int kKiB = 1024;

// The photos, and a private home so the user's collection is not touched.
class Workspace
{
public:
    static Workspace& instance()
    {
        static Workspace workspace;
        return workspace;
    }
    const QStringList& photos() const { return m_photos; }
    const std::string& origin() const { return m_origin; }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    Workspace()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
        QFile list(kCorpusList);
        if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&list);
            while (!in.atEnd() && m_photos.size() < kPosterPhotos) {
                const QString path = in.readLine().trimmed();
                if (QFile::exists(path))
                    m_photos << path;
            }
        }
        if (m_photos.size() == kPosterPhotos) {
            m_origin = kCorpusList.toStdString();
            return;
        }
        m_photos.clear();
        for (int i = 0; i < kPosterPhotos; ++i) {
            m_photos << m_dir.filePath(QString("IMG_%1.jpg").arg(i));
            photoLikePicture(QSize(4000, 3000), quint32(i + 1)).save(m_photos.last(), "JPEG", 90);
        }
        m_origin = "20 generated 4000x3000 JPEGs";
    }

    QTemporaryDir m_dir;
    QStringList m_photos;
    std::string m_origin;
};

// The services (with their renderer) and a grid of frames over the photos.
struct Collage
{
    explicit Collage(int frameCount, int columns, float width, float height)
        : services(Workspace::instance().file("Settings.DAT"), Workspace::instance().file("photodb"))
        , renderer(services.renderer())
    {
        const QStringList& photos = Workspace::instance().photos();
        const int rows = (frameCount + columns - 1) / columns;
        const float cellWidth = width / columns;
        const float cellHeight = height / rows;
        CFrameOps operations(services.frames());
        for (int i = 0; i < frameCount; ++i) {
            const CCanvasRect cell{(i % columns) * cellWidth, (i / columns) * cellHeight, cellWidth, cellHeight};
            CPicInfo* frame = operations.createFrame(cell);
            frame->setPhoto(services.photos().FindPhoto(photos[i % photos.size()], true));
        }
    }

    CServices services;
    CCollageRenderer& renderer;
};

qint64 peakResidentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void resetPeakResident()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void renderCanvas(Collage& collage, QImage& target)
{
    CPageSetup page;
    page.dpi = CPageSetup::kDefaultDpi;
    page.zoom = float(target.width() / (10.0 * page.dpi));
    const auto surface = CreateSurfaceOnBitmap(target, page);
    collage.renderer.Draw(*surface, QRectF(0, 0, 10.0, 7.5));
}

void BM_Canvas50Frames(benchmark::State& state)
{
    const bool rebuild = state.range(0) != 0;
    RenderQuality::setPreviewQuality(RenderQuality::Good);
    Collage collage(kCanvasFrames, kCanvasColumns, 10.0f, 7.5f);
    QImage target(kCanvasPixels, QImage::Format_RGB32);
    renderCanvas(collage, target); // the working copies, made once as the thumbnail worker would
    for (auto _ : state) {
        if (rebuild)
            collage.renderer.invalidateAll();
        renderCanvas(collage, target);
    }
    state.SetLabel(rebuild ? "every picture rebuilt" : "from the frames' caches");
}
BENCHMARK(BM_Canvas50Frames)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void exportPoster(benchmark::State& state, int dpi, const char* name)
{
    Collage collage(kPosterPhotos, kPosterColumns, kPosterWidth, kPosterHeight);
    CExportRequest request;
    request.path = Workspace::instance().file(name);
    request.type = "jpg";
    request.width = int(kPosterWidth * dpi);
    request.height = int(kPosterHeight * dpi);
    request.dotsPerInch = float(dpi);
    qint64 peak = 0;
    for (auto _ : state) {
        resetPeakResident();
        const CExportResult result =
            ExportImage(collage.renderer, {kPosterWidth, kPosterHeight, CanvasUnit::Inch, 0xFFFFFFFF}, request);
        if (!result.ok()) {
            state.SkipWithError(result.messageKey.toStdString().c_str());
            break;
        }
        // Each run reads the photos from their files again.
        for (const auto& frame : collage.services.frames().frames())
            frame->photo()->releaseImages();
        peak = std::max(peak, peakResidentKiB());
    }
    state.counters["peak_MiB"] = double(peak) / kKiB;
    state.SetLabel(Workspace::instance().origin());
}

void BM_Poster300Dpi(benchmark::State& state) { exportPoster(state, 300, "poster300.jpg"); }
BENCHMARK(BM_Poster300Dpi)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Poster600DpiInBands(benchmark::State& state) { exportPoster(state, 600, "poster600.jpg"); }
BENCHMARK(BM_Poster600DpiInBands)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The poster printed on A4 with quarter-inch margins at 300 dpi: 15
// upright pages, each an output render of its region, one at a time.
void BM_PrintPosterA4At300Dpi(benchmark::State& state)
{
    Collage collage(kPosterPhotos, kPosterColumns, kPosterWidth, kPosterHeight);
    CPrinterSetup setup;
    setup.paper = QPageSize(QPageSize::A4);
    setup.resolution = 300;
    const QSizeF canvas(kPosterWidth, kPosterHeight);
    const CPrintablePage page = CPrintablePage::of(setup, CanvasUnit::Inch);
    CPrintRegions regions(collage.services.frames(), canvas);
    regions.CreateRegions(page, regions.landscapeNeedsFewerPages(page), false);
    const std::vector<CPrintPage> pages = regions.pages();
    const CPrintOptions options = CPrintOptions::of(collage.services.frames(), canvas, CanvasUnit::Inch);
    qint64 peak = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        resetPeakResident();
        const QString pdf = Workspace::instance().file("poster.pdf");
        CPrintResult result;
        {
            QPdfWriter writer(pdf);
            writer.setResolution(setup.resolution);
            result = CPrintJob(collage.renderer, setup, options).print(writer, pages);
        }
        if (!result.ok()) {
            state.SkipWithError(result.messageKey.toStdString().c_str());
            break;
        }
        for (const auto& frame : collage.services.frames().frames()) {
            if (frame->photo())
                frame->photo()->releaseImages();
        }
        peak = std::max(peak, peakResidentKiB());
        bytes = QFileInfo(pdf).size();
    }
    state.counters["peak_MiB"] = double(peak) / kKiB;
    state.counters["pages"] = double(pages.size());
    state.counters["pdf_MiB"] = double(bytes) / (kKiB * kKiB);
    state.SetLabel(Workspace::instance().origin());
}
BENCHMARK(BM_PrintPosterA4At300Dpi)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The reference: libvips's own tools on the same photos, as a script would
// chain them.
void BM_VipsPoster300Dpi(benchmark::State& state)
{
    if (QStandardPaths::findExecutable("vipsthumbnail").isEmpty() || QStandardPaths::findExecutable("vips").isEmpty()) {
        state.SkipWithError("vips is not installed");
        return;
    }
    const QStringList& photos = Workspace::instance().photos();
    // GNU time reports each tool's own peak (a fork of this process would
    // count the benchmark's memory too).
    const QString time = QStandardPaths::findExecutable("time", {"/usr/bin"});
    qint64 peak = 0;
    const auto run = [&](const QString& program, const QStringList& args) {
        QProcess process;
        if (time.isEmpty())
            process.start(program, args);
        else
            process.start(time, QStringList{"-f", "%M", program} + args);
        process.waitForFinished(-1);
        const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
        peak = std::max(peak, lines.last().trimmed().toLongLong());
        return process.exitCode() == 0;
    };
    for (auto _ : state) {
        QStringList cells;
        for (int i = 0; i < photos.size(); ++i) {
            cells << Workspace::instance().file(QString("cell%1.v").arg(i));
            run("vipsthumbnail", {photos[i], "-s", "2160x1800", "--smartcrop", "centre", "-o", cells.last()});
        }
        if (!run("vips", {"arrayjoin", cells.join(' '), Workspace::instance().file("vips300.jpg"), "--across",
                          QString::number(kPosterColumns)})) {
            state.SkipWithError("vips arrayjoin failed");
            break;
        }
    }
    state.counters["peak_MiB"] = double(peak) / kKiB;
}
BENCHMARK(BM_VipsPoster300Dpi)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    RenderMemory::shareOneHeap(); // as the programs do
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
