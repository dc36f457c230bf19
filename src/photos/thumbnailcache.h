#pragma once
// The thumbnail cache: every photo's small picture, made in the background
// and kept in memory for the 200 most recently shown photos and in the
// thumbnail store from one run to the next.
//
// Views ask GetThumbnail on the user-interface thread; a photo without a
// thumbnail is queued and the collection's grey placeholder comes back
// meanwhile. The worker (started by the first request) takes photos from the
// queue, loads their stored thumbnail or renders one from the file, and
// announces on "MyPhotos": "RenderComplete" (views repaint the photo),
// "SaveThumb" (the collection stores the new thumbnail and records its
// slot), "ImageError" (the file does not decode) and "CacheError" (a stored
// slot did not read; it is rendered anew). The announcements are queued for
// the user-interface thread, so the worker never waits for it; a photo that
// leaves (dropThumbnail) takes its undelivered announcements with it.
//
// The worker may decode on several threads (the "ThumbnailThreads"
// setting, 0 for one per core); the queue alone decides which photo starts
// next. A photo the worker holds carries the being-rendered bit.
//
// Owned by the services; it refers to the collection, the store and the
// bus, which must outlive it. Its destructor stops the worker.

#include "myphotos.h"
#include "propbinding.h"
#include "renderqueue.h"

#include <QHash>
#include <QImage>

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CNotificationBus;
class CPropManager;
class CThumbStore;
class CThumbnailWorker;
class QThread;

class CThumbnailCache : public CThumbnailCacheLink, public CNotifyListener
{
public:
    static constexpr int kMemoryListSize = 200;
    static constexpr int kIdleSleepMs = 150;
    static constexpr int kStopWaitMs = 2000;
    static constexpr int kStopWaitLargeFileMs = 9000;
    static constexpr const char* kThreadsSetting = "ThumbnailThreads";
    // Camera previews a worker reads for the queue before its next render.
    static constexpr int kPreviewBatch = 8;

    CThumbnailCache(CMyPhotos& photos, CThumbStore& store, CNotificationBus& bus, CPropManager& settings);
    ~CThumbnailCache() override;
    CThumbnailCache(const CThumbnailCache&) = delete;
    CThumbnailCache& operator=(const CThumbnailCache&) = delete;

    // --- User-interface thread
    // The photo's thumbnail, or the waiting placeholder while it is queued.
    // Touches the photo in the memory list.
    QImage GetThumbnail(CPhotoItem& photo);
    // Queues the photo (once) unless the worker holds it already, and starts
    // the worker when it is not running.
    void QueueRender(CPhotoItem& photo);
    // Stops the worker: its decode is asked to give up; it is waited for
    // 2 s, or 9 s while it renders a file above 9,000,000 bytes, and then
    // terminated (only ever while it decodes: it holds no lock then). The
    // queue is emptied and "MyPhotos" notifications still queued withdrawn.
    void StopWorker();
    bool isWorkerRunning() const { return !m_threads.empty(); }

    void setNewestFirst(bool on);
    bool newestFirst();
    int queuedCount();
    // Also show the camera's EXIF preview of queued photos while their
    // thumbnails render (announced with "RenderComplete", never stored).
    void setEmbeddedPreviews(bool on) { m_embeddedPreviews = on; }

    // The memory list keeps 200 photos, or more while a view shows more
    // tiles at once than that: it must never let go of what is on screen.
    void setTilesOnScreen(int tiles);
    int memoryListSize() const { return m_memoryListSize; }

    // Worker threads run below the user-interface thread's priority, so that
    // decoding never holds up a repaint (the default, for the editor), or
    // at the normal priority, for a tool that waits for them anyway. Applies
    // to threads started afterwards.
    void setBackgroundPriority(bool on) { m_backgroundPriority = on; }
    static constexpr int kBackgroundNice = 10;

    // Decoding threads the next start uses; 0 means one per core.
    void setThreadCount(int threads);
    int threadCount() const;

    // Without threads: requests only queue, and renderQueued() renders them
    // on the calling thread. For tests and tools that want determinism. Set
    // it before the first request.
    void setSynchronous(bool on) { m_synchronous = on; }
    // Renders until the queue is empty; returns how many photos it took.
    int renderQueued();

    CThumbStore& store() { return m_store; }
    CMyPhotos& photos() { return m_photos; }

    // --- CThumbnailCacheLink
    void resetThumbs() override;
    void commitThumbs() override;
    void stopWorker() override { StopWorker(); }
    void dropThumbnail(CPhotoItem& photo) override;
    quint32 allocateThumb(const QImage& thumbnail) override;
    void turnThumb(quint32 slot, int fromTurns, int toTurns) override;

    // "MyPhotos": "CacheError" clears the photo's slot, "RemoveDB" forgets
    // every photo.
    bool OnNotify(const CNotifyMessage& message) override;

private:
    friend class CThumbnailWorker;

    // A photo a thread holds, from taking it until its last announcement.
    struct Hold
    {
        QThread* thread = nullptr;
        // Set when the result is no longer wanted; a running decode gives up.
        std::atomic<bool> cancelled{false};
    };
    struct Job
    {
        CPhotoItem* photo = nullptr;
        Hold* hold = nullptr;
        QString path;
        quint32 fileSize = 0;
        quint32 slot = 0;
        bool hadThumbnail = false;
    };

    void startWorker();
    // One thread's loop, until the running flag clears.
    void workLoop();
    // Shows the camera previews of a few queued photos, so a screen of
    // tiles fills at once while the thumbnails render one by one.
    void showPreviewsOfQueued();
    // Takes and renders one queued photo; false when the queue was empty.
    bool renderNext();
    void renderJob(const Job& job);
    void announce(const char* event, CPhotoItem* photo);
    // Memory list, under the collection's lock.
    void touch(CPhotoItem& photo);
    void forget(CPhotoItem* photo);

    CMyPhotos& m_photos;
    CThumbStore& m_store;
    CNotificationBus& m_bus;
    CIntProp m_threadSetting;
    int m_threadCount = 0;
    std::atomic<bool> m_synchronous{false};
    std::atomic<bool> m_embeddedPreviews{false};
    std::atomic<bool> m_backgroundPriority{true};
    int m_memoryListSize = kMemoryListSize;

    // Under the collection's lock (m_photos.mutex()):
    CRenderQueue m_queue;
    std::unordered_map<CPhotoItem*, std::unique_ptr<Hold>> m_held;
    // Waits that take the collection's QMutex as it is: standard condition
    // variables, as a thread checker cannot see inside QWaitCondition.
    std::condition_variable_any m_released; // a hold ended
    // Photos that show the camera's EXIF preview until their thumbnail is made.
    std::unordered_set<CPhotoItem*> m_provisional;
    // Photos whose file was searched for a preview (found or not).
    std::unordered_set<CPhotoItem*> m_previewTried;
    std::list<CPhotoItem*> m_recent; // most recently used first
    std::unordered_map<CPhotoItem*, std::list<CPhotoItem*>::iterator> m_recentIndex;
    std::condition_variable_any m_wake;

    std::vector<std::unique_ptr<CThumbnailWorker>> m_threads;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_largeFilesRendering{0};
};
