// The canvas view at the sizes it meets, rendered offscreen:
//
// - a full repaint of a 1920 × 1080 view showing 50 frames from their
//   working copies at Good quality, from the frames' cached pictures and
//   with every picture rebuilt;
// - one mouse move while one frame of the 50 is dragged: the move, the
//   re-render of the affected region and the copy to the window.
//
// Run: QT_QPA_PLATFORM=offscreen bench_view [--benchmark_filter=...]

#include "photolike.h"
#include "collagedoc.h"
#include "commandids.h"
#include "collagerenderer.h"
#include "collageview.h"
#include "frameops.h"
#include "myphotos.h"
#include "picinfomanager.h"
#include "services.h"
#include "surfaces.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFrames = 50;
constexpr int kColumns = 10;
constexpr int kPhotos = 20;
constexpr QSize kViewPixels(1920, 1080);
constexpr QSize kPhotoPixels(2000, 1500);

// A view over 50 frames holding photos, fitted to a 1920 × 1080 window.
struct Editor
{
    Editor()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        services = std::make_unique<CServices>(dir.filePath("Settings.DAT"), dir.filePath("photodb"));
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
        doc->setPreviewQuality(RenderQuality::Good, false);
        QStringList photos;
        for (int i = 0; i < kPhotos; ++i) {
            photos << dir.filePath(QString("IMG_%1.jpg").arg(i));
            photoLikePicture(kPhotoPixels, quint32(i + 1)).save(photos.last(), "JPEG", 90);
        }
        const int rows = (kFrames + kColumns - 1) / kColumns;
        const float cellWidth = doc->canvasWidth() / kColumns;
        const float cellHeight = doc->canvasHeight() / rows;
        CFrameOps operations(services->frames());
        for (int i = 0; i < kFrames; ++i) {
            const CCanvasRect cell{(i % kColumns) * cellWidth + 0.02f, (i / kColumns) * cellHeight + 0.02f,
                                   cellWidth - 0.04f, cellHeight - 0.04f};
            CPicInfo* frame = operations.createFrame(cell);
            frame->setPhoto(services->photos().FindPhoto(photos[i % kPhotos], true));
        }
        view = std::make_unique<CCollageView>(*doc, *services);
        view->resize(kViewPixels);
        view->show();
        view->onCommand(CommandId::ResetZoom);
        QImage window(kViewPixels, QImage::Format_ARGB32_Premultiplied);
        view->render(&window); // the working copies, made once as the thumbnail worker would
    }
    ~Editor()
    {
        view.reset();
        doc.reset();
        services.reset();
    }

    void mouse(QEvent::Type type, const QPointF& pixel, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pixel, view->mapToGlobal(pixel), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }

    QTemporaryDir dir;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CCollageDoc> doc;
    std::unique_ptr<CCollageView> view;
};

void BM_FullRepaint(benchmark::State& state)
{
    const bool rebuild = state.range(0) != 0;
    Editor editor;
    QImage window(kViewPixels, QImage::Format_ARGB32_Premultiplied);
    const qint64 before = editor.view->renderedPixels();
    for (auto _ : state) {
        if (rebuild)
            editor.services->renderer().invalidateAll();
        editor.view->onDocumentUpdate(DocHint::RegionChanged, 0); // the whole canvas is due
        editor.view->render(&window); // the paint event: render into the buffer, copy, rulers
    }
    state.counters["pixels/repaint"] = benchmark::Counter(
        double(editor.view->renderedPixels() - before) / double(std::max<benchmark::IterationCount>(1, state.iterations())));
    state.SetLabel(rebuild ? "every picture rebuilt from the working copies" : "from the frames' caches");
}
BENCHMARK(BM_FullRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The collage renderer alone on a bitmap of the window's size at the view's
// zoom: what the view's own work (surround, buffer, copy, rulers) adds to.
void BM_RendererOnly(benchmark::State& state)
{
    Editor editor;
    QImage target(kViewPixels, QImage::Format_ARGB32_Premultiplied);
    CPageSetup page;
    page.zoom = editor.view->coords().zoom();
    page.dpi = editor.view->coords().dotsPerInchX();
    const QRectF canvas(0, 0, editor.doc->canvasWidth(), editor.doc->canvasHeight());
    for (auto _ : state) {
        const auto surface = CreateSurfaceOnBitmap(target, page);
        surface->painter().translate(editor.view->coords().originX(), editor.view->coords().originY());
        editor.services->renderer().Draw(*surface, canvas);
    }
}
BENCHMARK(BM_RendererOnly)->Unit(benchmark::kMillisecond);

void BM_DragMove(benchmark::State& state)
{
    Editor editor;
    CPicInfo* frame = editor.services->frames().frameAt(kFrames / 2);
    const QPointF start = editor.view->coords().canvasToDevice(frame->frameRect().toRectF().center());
    editor.mouse(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
    editor.mouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    const qint64 before = editor.view->renderedPixels();
    for (auto _ : state) {
        // Back and forth over forty pixels, so the frame stays among the others.
        const int phase = step++ % 40;
        const int offset = phase < 20 ? phase * 2 : (40 - phase) * 2;
        editor.mouse(QEvent::MouseMove, start + QPointF(offset + 1, offset / 2), Qt::NoButton, Qt::LeftButton);
        QCoreApplication::processEvents(); // the repaint of the region the move touched
    }
    state.counters["pixels/move"] =
        benchmark::Counter(double(editor.view->renderedPixels() - before) / double(std::max<qint64>(1, step)));
    editor.mouse(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_DragMove)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
