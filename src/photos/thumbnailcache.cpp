#include "thumbnailcache.h"

#include "notificationbus.h"
#include "photoitem.h"
#include "propmanager.h"
#include "thumbnailmaker.h"
#include "thumbstore.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMutexLocker>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace {

bool sameName(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

// The wait cursor while the user-interface thread waits for the worker.
class WaitCursor
{
public:
    WaitCursor()
        : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_shown;
};

} // namespace

// One decoding thread: a shell around the cache's loop. It may be
// terminated only while it decodes, never while it holds a lock or waits
// for the user-interface thread.
class CThumbnailWorker : public QThread
{
public:
    explicit CThumbnailWorker(CThumbnailCache& cache)
        : m_cache(cache)
    {
        setObjectName(QStringLiteral("Thumbnail worker"));
    }

    static void allowTermination(bool allowed)
    {
        if (dynamic_cast<CThumbnailWorker*>(QThread::currentThread()))
            setTerminationEnabled(allowed);
    }

protected:
    void run() override
    {
        setTerminationEnabled(false);
        // Qt's thread priorities mean nothing to Linux's normal scheduler;
        // a nice value does.
        if (m_cache.m_backgroundPriority)
            setpriority(PRIO_PROCESS, id_t(gettid()), CThumbnailCache::kBackgroundNice);
        m_cache.workLoop();
    }

private:
    CThumbnailCache& m_cache;
};

CThumbnailCache::CThumbnailCache(CMyPhotos& photos, CThumbStore& store, CNotificationBus& bus,
                                 CPropManager& settings)
    : m_photos(photos)
    , m_store(store)
    , m_bus(bus)
    , m_threadSetting(settings, QString::fromLatin1(kThreadsSetting),
                      QStringLiteral("Threads that render thumbnails (0: one per processor core)"), 0)
    , m_threadCount(m_threadSetting.get())
{
    m_bus.Register(this, Channel::MyPhotos);
}

CThumbnailCache::~CThumbnailCache()
{
    StopWorker();
    m_bus.Unregister(this, Channel::MyPhotos);
}

void CThumbnailCache::setThreadCount(int threads) { m_threadCount = qMax(0, threads); }

int CThumbnailCache::threadCount() const
{
    return m_threadCount > 0 ? m_threadCount : qMax(1, QThread::idealThreadCount());
}

void CThumbnailCache::setNewestFirst(bool on)
{
    QMutexLocker lock(&m_photos.mutex());
    m_queue.setNewestFirst(on);
}

bool CThumbnailCache::newestFirst()
{
    QMutexLocker lock(&m_photos.mutex());
    return m_queue.newestFirst();
}

int CThumbnailCache::queuedCount()
{
    QMutexLocker lock(&m_photos.mutex());
    return m_queue.size();
}

// ---------------------------------------------------------------------------
// Requests

QImage CThumbnailCache::GetThumbnail(CPhotoItem& photo)
{
    {
        QMutexLocker lock(&m_photos.mutex());
        touch(photo);
        if (!photo.thumbnail().isNull()) {
            // A camera preview stands in until the real one is made; if the
            // worker was stopped meanwhile, it is asked for again.
            if (m_provisional.count(&photo) == 0)
                return photo.thumbnail();
            const QImage preview = photo.thumbnail();
            lock.unlock();
            QueueRender(photo);
            return preview;
        }
    }
    QueueRender(photo);
    return m_photos.waitingPlaceholder();
}

void CThumbnailCache::QueueRender(CPhotoItem& photo)
{
    QMutexLocker lock(&m_photos.mutex());
    if (!m_synchronous && m_threads.empty())
        startWorker();
    if (m_held.count(&photo) != 0)
        return; // it is being rendered right now
    if (m_queue.push({&photo, photo.fileSize(), photo.isInUse()}))
        m_wake.notify_one();
}

void CThumbnailCache::touch(CPhotoItem& photo)
{
    if (const auto it = m_recentIndex.find(&photo); it != m_recentIndex.end()) {
        m_recent.splice(m_recent.begin(), m_recent, it->second);
        return;
    }
    m_recent.push_front(&photo);
    m_recentIndex[&photo] = m_recent.begin();
    while (int(m_recent.size()) > m_memoryListSize) {
        CPhotoItem* oldest = m_recent.back();
        m_recent.pop_back();
        m_recentIndex.erase(oldest);
        // Frames still draw these, a missing file could not make them again,
        // and the worker is writing this one.
        if (!oldest->isInUse() && !oldest->isMissing() && !oldest->isBeingRendered()) {
            oldest->setThumbnail(QImage());
            m_provisional.erase(oldest);
            m_previewTried.erase(oldest);
        }
    }
}

void CThumbnailCache::setTilesOnScreen(int tiles)
{
    // Twice the screen: scrolling back a page finds its thumbnails still there.
    m_memoryListSize = qMax(kMemoryListSize, 2 * tiles);
}

void CThumbnailCache::forget(CPhotoItem* photo)
{
    m_provisional.erase(photo);
    m_previewTried.erase(photo);
    if (const auto it = m_recentIndex.find(photo); it != m_recentIndex.end()) {
        m_recent.erase(it->second);
        m_recentIndex.erase(it);
    }
}

// ---------------------------------------------------------------------------
// The worker

void CThumbnailCache::startWorker()
{
    m_running = true;
    const int count = threadCount();
    for (int i = 0; i < count; ++i) {
        auto thread = std::make_unique<CThumbnailWorker>(*this);
        thread->start(QThread::NormalPriority);
        m_threads.push_back(std::move(thread));
    }
}

void CThumbnailCache::workLoop()
{
    while (m_running.load()) {
        if (renderNext()) {
            // The thumbnails the window has handed to the store since are
            // written here, so that the window never waits for SQLite.
            m_store.flushPending();
            continue;
        }
        m_store.CommitThumbs();
        QMutexLocker lock(&m_photos.mutex());
        if (m_running.load() && m_queue.isEmpty())
            m_wake.wait_for(m_photos.mutex(), std::chrono::milliseconds(kIdleSleepMs));
    }
}

int CThumbnailCache::renderQueued()
{
    int rendered = 0;
    while (renderNext())
        ++rendered;
    return rendered;
}

void CThumbnailCache::showPreviewsOfQueued()
{
    if (!m_embeddedPreviews)
        return;
    std::vector<std::pair<CPhotoItem*, QString>> batch;
    {
        QMutexLocker lock(&m_photos.mutex());
        for (const CRenderQueue::Entry& entry : m_queue.entries()) {
            if (int(batch.size()) == kPreviewBatch)
                break;
            CPhotoItem* photo = entry.photo;
            // A stored thumbnail comes quicker than any preview.
            if (!photo->thumbnail().isNull() || photo->thumbnailSlot() != 0 || !m_previewTried.insert(photo).second)
                continue;
            batch.emplace_back(photo, photo->path());
        }
    }
    for (const auto& [photo, path] : batch) {
        const QImage preview = ThumbnailMaker::embedded(path);
        if (preview.isNull())
            continue;
        QMutexLocker lock(&m_photos.mutex());
        // Still waiting, and so still alive: a photo that leaves is taken
        // out of the queue first.
        if (!m_queue.contains(photo) || !photo->thumbnail().isNull())
            continue;
        photo->setThumbnail(ThumbnailMaker::turned(preview, photo->quarterTurns()));
        m_provisional.insert(photo);
        // Queued while the lock keeps the photo in the queue, so a
        // dropThumbnail withdraws it; delivered at once it must not be.
        if (m_synchronous) {
            lock.unlock();
            announce(Event::RenderComplete, photo);
        } else {
            announce(Event::RenderComplete, photo);
        }
    }
}

bool CThumbnailCache::renderNext()
{
    showPreviewsOfQueued();
    Job job;
    {
        QMutexLocker lock(&m_photos.mutex());
        const CRenderQueue::Entry entry = m_queue.takeNext();
        if (!entry.photo)
            return false;
        auto hold = std::make_unique<Hold>();
        hold->thread = QThread::currentThread();
        job.photo = entry.photo;
        job.hold = hold.get();
        job.path = entry.photo->path();
        job.fileSize = entry.fileSize;
        job.slot = entry.photo->thumbnailSlot();
        job.hadThumbnail = !entry.photo->thumbnail().isNull() && m_provisional.count(entry.photo) == 0;
        m_held[job.photo] = std::move(hold);
        job.photo->setBeingRendered(true);
    }
    const bool large = CRenderQueue::isLarge(job.fileSize);
    if (large)
        ++m_largeFilesRendering;

    renderJob(job);

    {
        QMutexLocker lock(&m_photos.mutex());
        job.photo->setBeingRendered(false);
    }
    if (large)
        --m_largeFilesRendering;
    if (!job.hold->cancelled)
        announce(Event::RenderComplete, job.photo);
    // Only now: whatever was announced about the photo is in the bus's
    // queue by the time dropThumbnail withdraws it.
    QMutexLocker lock(&m_photos.mutex());
    m_held.erase(job.photo);
    m_released.notify_all();
    return true;
}

void CThumbnailCache::renderJob(const Job& job)
{
    CPhotoItem* photo = job.photo;
    if (job.hadThumbnail)
        return;
    if (job.slot != 0) {
        const QImage stored = m_store.LoadThumb(job.slot);
        if (!stored.isNull()) {
            QMutexLocker lock(&m_photos.mutex());
            if (!job.hold->cancelled && (photo->thumbnail().isNull() || m_provisional.count(photo) != 0))
                photo->setThumbnail(stored);
            m_provisional.erase(photo);
            return;
        }
        // The listeners clear the slot before the SaveThumb that follows.
        announce(Event::CacheError, photo);
    }

    bool tryPreview = false;
    if (m_embeddedPreviews) {
        QMutexLocker lock(&m_photos.mutex());
        tryPreview = m_previewTried.insert(photo).second;
    }
    if (tryPreview) {
        const QImage preview = ThumbnailMaker::embedded(job.path);
        if (!preview.isNull()) {
            {
                QMutexLocker lock(&m_photos.mutex());
                if (job.hold->cancelled)
                    return;
                photo->setThumbnail(ThumbnailMaker::turned(preview, photo->quarterTurns()));
                m_provisional.insert(photo);
            }
            announce(Event::RenderComplete, photo);
        }
    }

    CThumbnailWorker::allowTermination(true);
    const CRenderedThumbnail result =
        ThumbnailMaker::render(job.path, ThumbnailMaker::kThumbnailBox, &job.hold->cancelled);
    CThumbnailWorker::allowTermination(false);
    {
        QMutexLocker lock(&m_photos.mutex());
        if (job.hold->cancelled || result.outcome == CRenderedThumbnail::Outcome::Aborted)
            return;
        const QImage image =
            result.rendered() ? result.image : ThumbnailMaker::fitted(m_photos.invalidPlaceholder());
        // The turns as they are now: a rotation that went ahead while the
        // file decoded has turned only the thumbnail there was then.
        photo->setThumbnail(ThumbnailMaker::turned(image, photo->quarterTurns()));
        m_provisional.erase(photo);
        m_previewTried.erase(photo);
    }
    announce(result.rendered() ? Event::SaveThumb : Event::ImageError, photo);
}

void CThumbnailCache::announce(const char* event, CPhotoItem* photo)
{
    // On the user-interface thread (synchronous mode) delivered at once;
    // from a worker queued, never waiting for that thread.
    m_bus.Broadcast(QString::fromLatin1(Channel::MyPhotos), QString::fromLatin1(event), photo, !m_synchronous);
}

void CThumbnailCache::StopWorker()
{
    if (!m_threads.empty()) {
        WaitCursor cursor;
        {
            QMutexLocker lock(&m_photos.mutex());
            m_running = false;
            for (const auto& [photo, hold] : m_held)
                hold->cancelled = true;
            m_wake.notify_all();
        }
        for (const auto& thread : m_threads) {
            if (thread->isRunning())
                thread->setPriority(QThread::HighPriority);
        }
        const QDeadlineTimer deadline(m_largeFilesRendering.load() > 0 ? kStopWaitLargeFileMs : kStopWaitMs);
        for (const auto& thread : m_threads) {
            if (thread->wait(deadline))
                continue;
            thread->terminate();
            thread->wait();
        }
        m_threads.clear();
        m_largeFilesRendering = 0;
        // What a terminated thread held it will never let go of.
        QMutexLocker lock(&m_photos.mutex());
        for (const auto& [photo, hold] : m_held)
            photo->setBeingRendered(false);
        m_held.clear();
    }
    m_bus.Withdraw(QString::fromLatin1(Channel::MyPhotos));
    QMutexLocker lock(&m_photos.mutex());
    m_queue.clear();
}

// ---------------------------------------------------------------------------
// The collection's link

void CThumbnailCache::resetThumbs() { m_store.ResetThumbs(); }

void CThumbnailCache::commitThumbs() { m_store.CommitThumbs(); }

void CThumbnailCache::dropThumbnail(CPhotoItem& photo)
{
    quint32 slot = 0;
    {
        QMutexLocker lock(&m_photos.mutex());
        m_queue.remove(&photo);
        forget(&photo);
        if (const auto held = m_held.find(&photo); held != m_held.end()) {
            held->second->cancelled = true;
            // A decode gives up within a few rows; nothing else takes long.
            while (m_held.count(&photo) != 0)
                m_released.wait(m_photos.mutex());
        }
        slot = photo.thumbnailSlot();
    }
    m_bus.WithdrawParameter(QString::fromLatin1(Channel::MyPhotos), &photo);
    if (slot != 0)
        m_store.DeleteThumb(slot);
}

quint32 CThumbnailCache::allocateThumb(const QImage& thumbnail) { return m_store.AllocateThumb(thumbnail); }

void CThumbnailCache::turnThumb(quint32 slot, int fromTurns, int toTurns)
{
    const QImage stored = m_store.LoadThumb(slot);
    if (!stored.isNull())
        m_store.StoreThumb(slot, ThumbnailMaker::turned(stored, toTurns - fromTurns), false);
}

bool CThumbnailCache::OnNotify(const CNotifyMessage& message)
{
    if (!sameName(message.channel, Channel::MyPhotos))
        return false;
    if (sameName(message.event, Event::CacheError) && message.parameter) {
        m_photos.setThumbnailSlot(*static_cast<CPhotoItem*>(message.parameter), 0);
        return true;
    }
    if (sameName(message.event, Event::RemoveDB)) {
        // The photos are gone: only the pointers are dropped.
        QMutexLocker lock(&m_photos.mutex());
        m_recent.clear();
        m_recentIndex.clear();
        m_provisional.clear();
        m_previewTried.clear();
        m_queue.clear();
        return true;
    }
    return false;
}
