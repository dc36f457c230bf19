// One thumbnail from a camera photo, and the thumbnail store:
//
// - BM_RenderThumbnail: decode-and-scale of the photos of the corpus's
//   bench48.list, one after another, on one thread (what each worker
//   thread does per photo);
// - BM_EmbeddedPreview: the camera's EXIF preview of the same photos, which
//   the worker can show at once while the real thumbnail renders;
// - BM_StoreAllocate / BM_StoreLoad: one thumbnail into and out of
//   "Thumbs.DAT".
//
// The corpus is made by ../shared/bench/corpus.sh; its folder is taken from
// OMBRAVELLE_CORPUS (default /tmp/corpus).
//
// Run: bench_thumbnails [--benchmark_filter=...]

#include "thumbnailmaker.h"
#include "thumbstore.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

namespace {

QStringList benchPhotos()
{
    const QString corpus = qEnvironmentVariable("OMBRAVELLE_CORPUS", QStringLiteral("/tmp/corpus"));
    QFile list(corpus + QStringLiteral("/bench48.list"));
    QStringList photos;
    if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream lines(&list);
        while (!lines.atEnd()) {
            const QString line = lines.readLine().trimmed();
            if (!line.isEmpty())
                photos << line;
        }
    }
    return photos;
}

void BM_RenderThumbnail(benchmark::State& state)
{
    const QStringList photos = benchPhotos();
    if (photos.isEmpty()) {
        state.SkipWithError("no bench48.list: make the corpus with corpus.sh and set OMBRAVELLE_CORPUS");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        const CRenderedThumbnail thumbnail = ThumbnailMaker::render(photos[next++ % photos.size()]);
        if (!thumbnail.rendered())
            state.SkipWithError("a corpus photo did not decode");
        benchmark::DoNotOptimize(thumbnail.image.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderThumbnail)->Unit(benchmark::kMillisecond);

void BM_EmbeddedPreview(benchmark::State& state)
{
    const QStringList photos = benchPhotos();
    if (photos.isEmpty()) {
        state.SkipWithError("no bench48.list");
        return;
    }
    qsizetype next = 0;
    qint64 found = 0;
    for (auto _ : state) {
        const QImage preview = ThumbnailMaker::embedded(photos[next++ % photos.size()]);
        found += preview.isNull() ? 0 : 1;
        benchmark::DoNotOptimize(preview.constBits());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["withPreview"] = double(found) / double(state.iterations());
}
BENCHMARK(BM_EmbeddedPreview)->Unit(benchmark::kMillisecond);

QImage sampleThumbnail()
{
    QImage image(128, 96, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) & 0xFF));
    return image;
}

void BM_StoreAllocate(benchmark::State& state)
{
    QTemporaryDir dir;
    CThumbStore store(dir.path());
    const QImage image = sampleThumbnail();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.AllocateThumb(image));
    store.CommitThumbs();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreAllocate)->Unit(benchmark::kMicrosecond);

void BM_StoreLoad(benchmark::State& state)
{
    QTemporaryDir dir;
    CThumbStore store(dir.path());
    constexpr int kSlots = 1000;
    for (int i = 0; i < kSlots; ++i)
        store.AllocateThumb(sampleThumbnail());
    store.CommitThumbs();
    quint32 slot = CThumbStore::kFirstSlot;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.LoadThumb(slot).constBits());
        slot = CThumbStore::kFirstSlot + (slot + 1 - CThumbStore::kFirstSlot) % kSlots;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
