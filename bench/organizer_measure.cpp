// The photo organizer over 10,000 photos, offscreen. Prints:
//
// 1. reopen: the services made afresh from the files (a collection of
//    10,000 photos whose thumbnails are all in "Thumbs.DAT") and the
//    organizer opened, until every tile of its first screen shows its
//    thumbnail and has been painted: the median and the worst of 7 runs
//    (the target is 300 ms);
// 2. streaming: the same 10,000 photos without stored thumbnails, the
//    organizer open and scrolled by a page every 200 ms for 10 s while the
//    thumbnails stream in: the longest gap between two ticks of a 1 ms timer,
//    that is the longest the window did not answer (the target is 50 ms),
//    its 99th percentile, and how many thumbnails arrived; beside it the
//    same timer in an idle event loop, which is what the machine itself
//    costs (other programs, the virtual machine), and the longest single
//    event in processor time, which is what the program costs.
//
// The photos are hard links to the corpus's bench48.list photos (camera-like
// 12 MP JPEGs; OMBRAVELLE_CORPUS, default /tmp/corpus), else to 48
// generated 12 MP photos. Setting up takes a minute: every photo is read
// once by the refresh.
//
// Run: organizer_measure [--photos N] [--threads N] [--normal-priority]
// (--normal-priority: the worker threads at the window's priority)

#include "photolike.h"
#include "dropperhandover.h"
#include "myphotos.h"
#include "photoitem.h"
#include "photolistmodel.h"
#include "photoorganizer.h"
#include "services.h"
#include "thumbnailcache.h"
#include "thumbstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDefaultPhotos = 10'000;
constexpr int kReopenRuns = 7;
constexpr int kStreamSeconds = 10;
constexpr int kScrollEveryMs = 200;
constexpr QSize kWindow(1280, 900);

QStringList sourcePhotos(const QString& scratch)
{
    QStringList photos;
    QFile list(qEnvironmentVariable("OMBRAVELLE_CORPUS", QStringLiteral("/tmp/corpus")) + "/bench48.list");
    if (list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream lines(&list);
        while (!lines.atEnd())
            if (const QString line = lines.readLine().trimmed(); !line.isEmpty())
                photos << line;
    }
    if (!photos.isEmpty())
        return photos;
    std::fprintf(stderr, "no corpus: generating 48 photos\n");
    QDir().mkpath(scratch + "/sources");
    for (int i = 0; i < 48; ++i) {
        photos << QStringLiteral("%1/sources/IMG_%2.jpg").arg(scratch).arg(i);
        photoLikePicture(QSize(4000, 3000), quint32(i + 1), true).save(photos.last(), "JPEG", 90);
    }
    return photos;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Times every event the user-interface thread handles (the outermost ones:
// a handler's nested events are part of it), in processor time as well as
// wall clock: on a machine other programs share, the wall clock also counts
// the time the thread waited for a processor.
class MeasuredApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer wall;
        wall.start();
        const double cpu = threadCpuMs();
        const bool handled = QApplication::notify(receiver, event);
        const double cpuMs = threadCpuMs() - cpu;
        if (cpuMs > longestCpuMs) {
            longestCpuMs = cpuMs;
            longestCpuEvent = describe(receiver, event);
        }
        if (const double wallMs = double(wall.nsecsElapsed()) / 1e6; wallMs > longestWallMs) {
            longestWallMs = wallMs;
            longestWallEvent = describe(receiver, event);
        }
        --m_depth;
        return handled;
    }
    void reset()
    {
        longestCpuMs = longestWallMs = 0.0;
        longestCpuEvent.clear();
        longestWallEvent.clear();
    }

    double longestCpuMs = 0.0;
    QString longestCpuEvent;
    QString longestWallEvent;
    double longestWallMs = 0.0;

private:
    static QString describe(QObject* receiver, QEvent* event)
    {
        return QStringLiteral("event %1 to %2").arg(int(event->type())).arg(receiver->metaObject()->className());
    }

    int m_depth = 0;
};

MeasuredApplication* measured() { return static_cast<MeasuredApplication*>(QCoreApplication::instance()); }

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(' ', 0, 2) : QString();
}

// A folder of `count` photos spread over subfolders, hard-linked to the sources.
QString makePhotoFolder(const QString& scratch, const QStringList& sources, int count)
{
    const QString root = scratch + "/Pictures";
    for (int i = 0; i < count; ++i) {
        const QString folder = QStringLiteral("%1/%2").arg(root).arg(i / 500, 3, 10, QChar('0'));
        if (i % 500 == 0)
            QDir().mkpath(folder);
        const QString target = QStringLiteral("%1/IMG_%2.jpg").arg(folder).arg(i, 5, 10, QChar('0'));
        if (::link(QFile::encodeName(sources[i % sources.size()]).constData(), QFile::encodeName(target).constData())
            != 0)
            QFile::copy(sources[i % sources.size()], target);
    }
    return root;
}

void refreshInto(const QString& settings, const QString& photoFolder, const QString& pictures)
{
    CServices services(settings, photoFolder);
    CRefreshRequest request;
    request.folders = {pictures};
    const CRefreshResult result = services.photos().Refresh(request);
    services.photos().Save();
    std::fprintf(stderr, "refreshed %d photos into %s\n", result.counters.imagesFound, qPrintable(photoFolder));
}

// Gives every photo a stored thumbnail, as a run that had shown them all would.
void storeThumbnails(const QString& settings, const QString& photoFolder)
{
    CServices services(settings, photoFolder);
    CMyPhotos& photos = services.photos();
    QImage thumbnail(128, 96, QImage::Format_RGB32);
    int i = 0;
    for (CPhotoItem* photo : photos.ByDate()) {
        thumbnail.fill(QColor::fromHsv((i++ * 7) % 360, 160, 200));
        photos.setThumbnailSlot(*photo, services.thumbnails().allocateThumb(thumbnail));
    }
    photos.Save();
}

// The rows of the first screen, and whether each shows its thumbnail.
bool firstScreenShown(CPhotoOrganizer& organizer, int* tiles)
{
    QListView* view = organizer.view();
    const QRect visible = view->viewport()->rect();
    int shown = 0;
    for (int row = 0; row < organizer.model()->rowCount(); ++row) {
        const QRect tile = view->visualRect(organizer.model()->index(row));
        if (!tile.intersects(visible))
            break;
        CPhotoItem* photo = organizer.model()->photoAt(row);
        if (photo->thumbnail().isNull())
            return false;
        ++shown;
    }
    *tiles = shown;
    return shown > 0;
}

void measureReopen(const QString& settings, const QString& photoFolder, int threads)
{
    std::vector<double> times;
    std::vector<double> cpuTimes;
    int tiles = 0;
    for (int run = 0; run < kReopenRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = processCpuMs();
        auto services = std::make_unique<CServices>(settings, photoFolder);
        services->thumbnails().setThreadCount(threads);
        CPicDropperHandOver handOver(services->dropper());
        auto organizer = std::make_unique<CPhotoOrganizer>(*services, handOver);
        organizer->resize(kWindow);
        organizer->show();
        while (!firstScreenShown(*organizer, &tiles))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        organizer->view()->viewport()->repaint();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(processCpuMs() - cpuBefore);
        organizer.reset();
        services.reset();
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("reopen, first screen of %d thumbnails from Thumbs.DAT: median %.1f ms, worst %.1f ms (%d runs); "
                "processor time of all threads median %.1f ms (load average %s)\n",
                tiles, times[times.size() / 2], times.back(), kReopenRuns, cpuTimes[cpuTimes.size() / 2],
                qPrintable(loadAverage()));
}

class Arrivals : public CNotifyListener
{
public:
    bool OnNotify(const CNotifyMessage& message) override
    {
        if (message.event == QLatin1String(Event::RenderComplete))
            ++count;
        return false;
    }
    int count = 0;
};

// The gaps between the ticks of a 1 ms timer while `loop` runs for `seconds`.
struct TickGaps
{
    std::vector<qint64> gaps;
    double longestMs() const { return gaps.empty() ? 0.0 : double(gaps.back()) / 1e6; }
    double p99Ms() const { return gaps.empty() ? 0.0 : double(gaps[gaps.size() * 99 / 100]) / 1e6; }
};

TickGaps runTicking(int seconds, const std::function<void()>& everyScroll)
{
    QElapsedTimer clock;
    clock.start();
    TickGaps result;
    qint64 last = clock.nsecsElapsed();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.gaps.push_back(now - last);
        last = now;
    });
    QTimer scroller;
    scroller.setInterval(kScrollEveryMs);
    QObject::connect(&scroller, &QTimer::timeout, everyScroll);
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    ticker.start();
    scroller.start();
    loop.exec();
    std::sort(result.gaps.begin(), result.gaps.end());
    return result;
}

// What the machine itself costs: the same timer with nothing else to do.
void measureIdle()
{
    const TickGaps idle = runTicking(kStreamSeconds, [] {});
    std::printf("idle event loop, %d s: longest gap %.1f ms, 99th percentile %.1f ms (load average %s)\n",
                kStreamSeconds, idle.longestMs(), idle.p99Ms(), qPrintable(loadAverage()));
}

void measureStreaming(const QString& settings, const QString& photoFolder, int threads)
{
    CServices services(settings, photoFolder);
    services.thumbnails().setThreadCount(threads);
    services.thumbnails().setBackgroundPriority(!qApp->arguments().contains("--normal-priority"));
    Arrivals arrivals;
    services.bus().Register(&arrivals, Channel::MyPhotos);
    CPicDropperHandOver handOver(services.dropper());
    CPhotoOrganizer organizer(services, handOver);
    organizer.resize(kWindow);
    organizer.show();

    measured()->reset();
    const TickGaps streaming = runTicking(kStreamSeconds, [&] {
        organizer.view()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    });
    services.bus().Unregister(&arrivals, Channel::MyPhotos);

    std::printf("streaming, %d s scrolling a page every %d ms over %d photos: longest gap between events %.1f ms, "
                "99th percentile %.1f ms, %d thumbnails and previews arrived, %d threads (load average %s)\n"
                "  longest single event: %.1f ms of processor time (%s), %.1f ms wall clock (%s)\n",
                kStreamSeconds, kScrollEveryMs, organizer.model()->rowCount(), streaming.longestMs(),
                streaming.p99Ms(), arrivals.count, services.thumbnails().threadCount(), qPrintable(loadAverage()),
                measured()->longestCpuMs, qPrintable(measured()->longestCpuEvent), measured()->longestWallMs,
                qPrintable(measured()->longestWallEvent));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    MeasuredApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int photos = args.contains("--photos") ? args.value(args.indexOf("--photos") + 1).toInt() : kDefaultPhotos;
    const int threads = args.contains("--threads") ? args.value(args.indexOf("--threads") + 1).toInt() : 0;

    QTemporaryDir scratch(QDir::tempPath() + "/organizer-measure-XXXXXX");
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath("config")));
    const QString settings = scratch.filePath("Settings.DAT");
    const QString pictures = makePhotoFolder(scratch.path(), sourcePhotos(scratch.path()), photos);
    const QString stored = scratch.filePath("stored");
    const QString fresh = scratch.filePath("fresh");
    refreshInto(settings, stored, pictures);
    QDir().mkpath(fresh);
    for (const char* file : {"Collection.DAT", "Moments.DAT"})
        QFile::copy(stored + "/" + file, fresh + "/" + file);
    storeThumbnails(settings, stored);

    measureReopen(settings, stored, threads);
    measureIdle();
    measureStreaming(settings, fresh, threads);
    return 0;
}
