// The thumbnail cache with the real collection, store and bus: the render
// queue's rules, the memory list, what is announced and stored, the stored
// thumbnail read back in the next run, bad files and bad stores, and the
// worker's threads.

#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photofiles.h"
#include "photolike.h"
#include "propmanager.h"
#include "renderqueue.h"
#include "storefaults.h"
#include "testhome.h"
#include "thumbnailcache.h"
#include "thumbnailmaker.h"
#include "thumbstore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <set>

#include <gtest/gtest.h>

using namespace PhotoFiles;
using StoreFaults::Fault;

namespace {

class EventLog : public CNotifyListener
{
public:
    bool OnNotify(const CNotifyMessage& message) override
    {
        events.push_back({message.event, static_cast<CPhotoItem*>(message.parameter)});
        return true;
    }
    QStringList namesFor(const CPhotoItem* photo) const
    {
        QStringList names;
        for (const auto& [name, p] : events)
            if (p == photo)
                names << name;
        return names;
    }
    std::vector<CPhotoItem*> rendered() const
    {
        std::vector<CPhotoItem*> photos;
        for (const auto& [name, p] : events)
            if (name == Event::RenderComplete)
                photos.push_back(p);
        return photos;
    }
    std::vector<std::pair<QString, CPhotoItem*>> events;
};

bool waitUntil(const std::function<bool()>& done, int ms = 20000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// A fresh set of the pieces one run of the program has.
struct Session
{
    Session(const QString& storeFolder = {})
        : photos(settings, catalogue, bus)
        , store(storeFolder.isEmpty() ? photos.folder() : storeFolder)
        , cache(photos, store, bus, settings)
    {
        photos.setThumbnailCache(&cache);
        cache.setSynchronous(true);
        bus.Register(&log, Channel::MyPhotos);
    }
    ~Session()
    {
        cache.StopWorker();
        bus.Unregister(&log, Channel::MyPhotos);
        photos.setThumbnailCache(nullptr);
    }

    CPhotoItem* photo(const QString& path) { return photos.FindPhoto(path, true); }

    CPropManager settings;
    CMessageCatalogue catalogue;
    CNotificationBus bus;
    CMyPhotos photos;
    CThumbStore store;
    CThumbnailCache cache;
    EventLog log;
};

// The thumbnail each announcement finds on its photo.
class ThumbnailWatch : public CNotifyListener
{
public:
    bool OnNotify(const CNotifyMessage& message) override
    {
        if (auto* photo = static_cast<CPhotoItem*>(message.parameter))
            seen.push_back(photo->thumbnail());
        return false;
    }
    std::vector<QImage> seen;
};

class ThumbnailCacheTest : public ::testing::Test
{
protected:
    ThumbnailWatch previewWatch;
    QString pictures(const QString& name) const { return home.path() + "/Pictures/" + name; }
    QString photoJpeg(const QString& name, QSize size = {400, 300})
    {
        const QString path = pictures(name);
        makeFolderFor(path);
        EXPECT_TRUE(photoLikePicture(size).save(path, "JPEG"));
        return path;
    }
    // A small JPEG padded past the large-file limit behind its end marker.
    QString largeJpeg(const QString& name)
    {
        const QString path = photoJpeg(name, {64, 48});
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(CRenderQueue::kLargeFileBytes + 1, '\0'));
        return path;
    }
    void reopen()
    {
        s.reset();
        s = std::make_unique<Session>();
    }

    TestHome home;
    std::unique_ptr<Session> s = std::make_unique<Session>();
};

// ---------------------------------------------------------------------------
// The queue's rules, on the queue alone

TEST(RenderQueueTest, TakesEachPhotoOnceLetsLargeFilesWaitAndCapsItsLength)
{
    std::vector<CPhotoItem> photos(60);
    CRenderQueue queue;
    const quint32 small = 1000;
    const quint32 large = CRenderQueue::kLargeFileBytes + 1;

    EXPECT_TRUE(queue.push({&photos[0], large}));
    EXPECT_FALSE(queue.push({&photos[0], large})) << "queued twice, rendered once";
    EXPECT_EQ(queue.takeNext().photo, &photos[0]) << "a large file alone is rendered";
    EXPECT_TRUE(queue.isEmpty());

    queue.push({&photos[0], large});
    queue.push({&photos[1], large});
    queue.push({&photos[2], small});
    EXPECT_EQ(queue.takeNext().photo, &photos[2]) << "the small one first";
    EXPECT_EQ(queue.takeNext().photo, &photos[1]) << "the large head went to the tail";
    EXPECT_EQ(queue.takeNext().photo, &photos[0]);

    queue.push({&photos[0], small, true}); // in use: never dropped
    for (int i = 1; i < 60; ++i)
        queue.push({&photos[i], small});
    EXPECT_EQ(queue.size(), CRenderQueue::kCap + 1);
    EXPECT_TRUE(queue.contains(&photos[0]));
    EXPECT_FALSE(queue.contains(&photos[1])) << "the oldest request not in use made room";
    EXPECT_TRUE(queue.contains(&photos[59]));
}

TEST(RenderQueueTest, WithNewestFirstRendersTheLatestRequestFirstAndDropsTheOldest)
{
    std::vector<CPhotoItem> photos(60);
    CRenderQueue queue;
    queue.setNewestFirst(true);
    for (int i = 0; i < 3; ++i)
        queue.push({&photos[i], 1000});
    EXPECT_EQ(queue.takeNext().photo, &photos[2]);
    EXPECT_EQ(queue.takeNext().photo, &photos[1]);
    queue.clear();
    for (int i = 0; i < 60; ++i)
        queue.push({&photos[i], 1000});
    EXPECT_EQ(queue.size(), CRenderQueue::kCap + 1);
    EXPECT_FALSE(queue.contains(&photos[0]));
    EXPECT_EQ(queue.takeNext().photo, &photos[59]);
}

// ---------------------------------------------------------------------------
// Through the cache

TEST_F(ThumbnailCacheTest, StoresANewStoresFirstThumbnailInSlotFourAndTheCounterReadsFiveAfterTheSave)
{
    CPhotoItem* photo = s->photo(photoJpeg("a.jpg"));
    const QImage first = s->cache.GetThumbnail(*photo);
    EXPECT_EQ(first.cacheKey(), s->photos.waitingPlaceholder().cacheKey());
    EXPECT_EQ(s->cache.renderQueued(), 1);

    EXPECT_EQ(s->log.namesFor(photo), QStringList({"SaveThumb", "RenderComplete"}));
    EXPECT_EQ(photo->thumbnailSlot(), 4u);
    EXPECT_EQ(s->cache.GetThumbnail(*photo).size(), QSize(128, 96));
    EXPECT_FALSE(photo->isBeingRendered());
    ASSERT_EQ(s->photos.Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_FALSE(s->store.isModified());
    EXPECT_EQ(s->store.nextSlot(), 5u);
}

TEST_F(ThumbnailCacheTest, RendersAPhotoQueuedTwiceOnce)
{
    CPhotoItem* photo = s->photo(photoJpeg("a.jpg"));
    s->cache.QueueRender(*photo);
    s->cache.QueueRender(*photo);
    s->cache.GetThumbnail(*photo);
    EXPECT_EQ(s->cache.renderQueued(), 1);
    EXPECT_EQ(s->log.rendered(), std::vector<CPhotoItem*>{photo});
}

TEST_F(ThumbnailCacheTest, RendersALargePhotoAloneAndAfterTheSmallOnesQueuedBehindIt)
{
    CPhotoItem* alone = s->photo(largeJpeg("alone.jpg"));
    ASSERT_GT(alone->fileSize(), CRenderQueue::kLargeFileBytes);
    s->cache.QueueRender(*alone);
    EXPECT_EQ(s->cache.renderQueued(), 1);
    EXPECT_EQ(s->log.rendered(), std::vector<CPhotoItem*>{alone});

    CPhotoItem* large = s->photo(largeJpeg("large.jpg"));
    CPhotoItem* small = s->photo(photoJpeg("small.jpg"));
    s->log.events.clear();
    s->cache.QueueRender(*large);
    s->cache.QueueRender(*small);
    s->cache.renderQueued();
    EXPECT_EQ(s->log.rendered(), (std::vector<CPhotoItem*>{small, large}));
}

TEST_F(ThumbnailCacheTest, WithNewestFirstRendersTheMostRecentlyQueuedPhotoFirst)
{
    std::vector<CPhotoItem*> photos;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        photos.push_back(s->photo(photoJpeg(name, {40, 30})));
    s->cache.setNewestFirst(true);
    for (CPhotoItem* photo : photos)
        s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    EXPECT_EQ(s->log.rendered(), (std::vector<CPhotoItem*>{photos[2], photos[1], photos[0]}));
}

TEST_F(ThumbnailCacheTest, KeepsThe200MostRecentlyUsedThumbnailsInMemory)
{
    std::vector<CPhotoItem*> photos;
    for (int i = 0; i < CThumbnailCache::kMemoryListSize + 3; ++i) {
        CPhotoItem* photo = s->photos.AddPhoto(QStringLiteral("/nowhere/%1.jpg").arg(i));
        photo->setThumbnail(QImage(4, 4, QImage::Format_RGB32));
        photos.push_back(photo);
    }
    photos[1]->addUse();
    s->photos.CheckFile(*photos[2]); // marks it missing: it could not be made again
    for (CPhotoItem* photo : photos)
        s->cache.GetThumbnail(*photo);

    EXPECT_TRUE(photos[0]->thumbnail().isNull()) << "the least recently used is let go";
    EXPECT_FALSE(photos[1]->thumbnail().isNull()) << "in use";
    EXPECT_FALSE(photos[2]->thumbnail().isNull()) << "missing";
    EXPECT_FALSE(photos[3]->thumbnail().isNull());
    EXPECT_EQ(s->cache.queuedCount(), 0);
    photos[1]->releaseUse();
}

TEST_F(ThumbnailCacheTest, KeepsTwiceAScreenfulWhenAViewShowsMoreThan200Tiles)
{
    s->cache.setTilesOnScreen(150);
    EXPECT_EQ(s->cache.memoryListSize(), 300);
    std::vector<CPhotoItem*> photos;
    for (int i = 0; i < 301; ++i) {
        photos.push_back(s->photos.AddPhoto(QStringLiteral("/nowhere/%1.jpg").arg(i)));
        photos.back()->setThumbnail(QImage(4, 4, QImage::Format_RGB32));
        s->cache.GetThumbnail(*photos.back());
    }
    EXPECT_TRUE(photos[0]->thumbnail().isNull());
    EXPECT_FALSE(photos[1]->thumbnail().isNull());
    s->cache.setTilesOnScreen(10);
    EXPECT_EQ(s->cache.memoryListSize(), CThumbnailCache::kMemoryListSize);
}

TEST_F(ThumbnailCacheTest, ReadsTheStoredThumbnailInTheNextRunWithoutTheFile)
{
    const QString path = photoJpeg("a.jpg");
    s->cache.GetThumbnail(*s->photo(path));
    s->cache.renderQueued();
    const QImage rendered = s->photo(path)->thumbnail();
    ASSERT_EQ(s->photos.Save(), CMyPhotos::SaveResult::Saved);
    reopen();
    ASSERT_TRUE(QFile::remove(path));

    CPhotoItem* photo = s->photos.FindPhoto(path);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->thumbnailSlot(), 4u);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    EXPECT_EQ(s->log.namesFor(photo), QStringList({"RenderComplete"}));
    EXPECT_EQ(photo->thumbnail().size(), rendered.size());
    EXPECT_FALSE(photo->isInvalid());
}

TEST_F(ThumbnailCacheTest, RendersAgainAndStoresInANewSlotWhenTheStoredOneDoesNotRead)
{
    CPhotoItem* photo = s->photo(photoJpeg("a.jpg"));
    s->photos.setThumbnailSlot(*photo, 77);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    EXPECT_EQ(s->log.namesFor(photo), QStringList({"CacheError", "SaveThumb", "RenderComplete"}));
    EXPECT_EQ(photo->thumbnailSlot(), 4u);
    EXPECT_TRUE(s->photos.isDirty());
}

TEST_F(ThumbnailCacheTest, TurnsTheStoredThumbnailWithThePhoto)
{
    const QString path = photoJpeg("a.jpg");
    CPhotoItem* photo = s->photo(path);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    s->photos.SetQuarterTurns(*photo, 1);
    EXPECT_EQ(photo->thumbnail().size(), QSize(96, 128));
    ASSERT_EQ(s->photos.Save(), CMyPhotos::SaveResult::Saved);
    reopen();
    photo = s->photos.FindPhoto(path);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    EXPECT_EQ(photo->thumbnail().size(), QSize(96, 128));
}

TEST_F(ThumbnailCacheTest, RendersAPhotoTurnedBeforeItsFirstThumbnailTurned)
{
    CPhotoItem* photo = s->photo(photoJpeg("a.jpg"));
    s->photos.SetQuarterTurns(*photo, 3);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    EXPECT_EQ(photo->thumbnail().size(), QSize(96, 128));
}

TEST_F(ThumbnailCacheTest, ShowsTheCamerasPreviewUntilTheThumbnailIsMadeAndNeverStoresIt)
{
    const QString path = photoJpeg("a.jpg", {800, 600});
    QImage preview(160, 120, QImage::Format_RGB32);
    preview.fill(qRgb(250, 0, 250));
    writeExifPreview(path, preview);
    CPhotoItem* photo = s->photo(path);
    s->cache.setEmbeddedPreviews(true);
    s->bus.Register(&previewWatch, Channel::MyPhotos);
    s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    s->bus.Unregister(&previewWatch, Channel::MyPhotos);

    EXPECT_EQ(s->log.namesFor(photo), QStringList({"RenderComplete", "SaveThumb", "RenderComplete"}));
    ASSERT_EQ(previewWatch.seen.size(), 3u);
    EXPECT_EQ(previewWatch.seen[0].pixel(60, 40), qRgb(250, 0, 250)) << "first the camera's preview";
    EXPECT_NE(previewWatch.seen[1].pixel(60, 40), qRgb(250, 0, 250)) << "then the photo, which is stored";
    const QImage stored = s->store.LoadThumb(photo->thumbnailSlot());
    EXPECT_NE(stored.pixel(60, 40) & 0xF0F0F0, qRgb(250, 0, 250) & 0xF0F0F0);
}

TEST_F(ThumbnailCacheTest, ShowsThePreviewsOfEveryQueuedPhotoBeforeRenderingTheFirst)
{
    std::vector<CPhotoItem*> photos;
    for (int i = 0; i < 4; ++i) {
        const QString path = photoJpeg(QStringLiteral("p%1.jpg").arg(i), {800, 600});
        if (i != 2) // one camera wrote none
            writeExifPreview(path, QImage(160, 120, QImage::Format_RGB32));
        photos.push_back(s->photo(path));
    }
    s->cache.setEmbeddedPreviews(true);
    for (CPhotoItem* photo : photos)
        s->cache.GetThumbnail(*photo);
    s->cache.renderQueued();
    QStringList order;
    for (const auto& [event, photo] : s->log.events)
        order << event;
    EXPECT_EQ(order.mid(0, 4), QStringList({"RenderComplete", "RenderComplete", "RenderComplete", "SaveThumb"}));
    EXPECT_EQ(order.count("SaveThumb"), 4);
    for (CPhotoItem* photo : photos)
        EXPECT_NE(photo->thumbnailSlot(), 0u);
}

// Unreadable, cut-short, empty and non-image files in a refreshed folder:
// each is marked invalid, shows the invalid placeholder, is never stored,
// and the worker goes on to the next photo.
TEST_F(ThumbnailCacheTest, MarksBadFilesOfARefreshedFolderInvalidAndGoesOn)
{
    const QByteArray good = PhotoFiles::readBytes(photoJpeg("good.jpg", {800, 600}));
    writeBytes(pictures("empty.jpg"), {});
    writeBytes(pictures("cut.jpg"), good.left(good.size() / 4));
    writeBytes(pictures("text.jpg"), "not a photo\n");
    writeBytes(pictures("noise.jpg"), good.left(623) + QByteArray(30000, '\x5A'));
    CRefreshRequest request;
    request.folders = {pictures("")};
    ASSERT_EQ(s->photos.Refresh(request).outcome, CRefreshResult::Outcome::Completed);

    for (CPhotoItem* photo : s->photos.ByDate())
        s->cache.GetThumbnail(*photo);
    EXPECT_EQ(s->cache.renderQueued(), 5);
    for (CPhotoItem* photo : s->photos.ByDate()) {
        const bool isGood = photo->path().endsWith("good.jpg");
        SCOPED_TRACE(photo->path().toStdString());
        EXPECT_EQ(photo->isInvalid(), !isGood);
        EXPECT_EQ(photo->thumbnailSlot() != 0, isGood);
        if (isGood)
            continue;
        EXPECT_EQ(photo->stateText(), "The file does not contain a valid image");
        EXPECT_EQ(photo->thumbnail().size(), QSize(128, 128));
        EXPECT_EQ(photo->thumbnail().pixel(5, 5), CMyPhotos::kInvalidPlaceholderColour);
    }
}

class BadStoreCache : public ThumbnailCacheTest, public ::testing::WithParamInterface<Fault>
{
};

// Thumbnails are shown whatever the store's trouble; the collection saves.
TEST_P(BadStoreCache, StillRendersThumbnailsAndNothingElseFails)
{
    const QString storeFolder = home.path() + "/store";
    {
        Session first(storeFolder);
        first.store.AllocateThumb(QImage(4, 4, QImage::Format_RGB32));
        ASSERT_TRUE(first.store.CommitThumbs());
    }
    const QString storeFile = storeFolder + "/Thumbs.DAT";
    std::unique_ptr<StoreFaults::Locker> locker;
    std::unique_ptr<StoreFaults::ReadOnly> readOnly;
    switch (GetParam()) {
    case Fault::Corrupt: StoreFaults::writeGarbage(storeFile); break;
    case Fault::Locked:
        locker = std::make_unique<StoreFaults::Locker>(OMBRAVELLE_THUMBSTORE_HELPER, storeFile);
        ASSERT_TRUE(locker->locked());
        break;
    case Fault::ReadOnly:
        readOnly = std::make_unique<StoreFaults::ReadOnly>(QStringList{storeFolder, storeFile});
        if (!readOnly->ok())
            GTEST_SKIP() << "nothing can be made read-only here";
        break;
    }
    s = std::make_unique<Session>(storeFolder);

    CPhotoItem* photo = s->photo(photoJpeg("a.jpg"));
    s->cache.GetThumbnail(*photo);
    EXPECT_EQ(s->cache.renderQueued(), 1);
    EXPECT_EQ(photo->thumbnail().size(), QSize(128, 96));
    EXPECT_FALSE(photo->isInvalid());
    EXPECT_EQ(photo->thumbnailSlot(), GetParam() == Fault::Corrupt ? 4u : 0u);
    EXPECT_EQ(s->photos.Save(), CMyPhotos::SaveResult::Saved);
    s.reset();
}

INSTANTIATE_TEST_SUITE_P(Faults, BadStoreCache, ::testing::Values(Fault::Corrupt, Fault::Locked, Fault::ReadOnly),
                         [](const auto& info) { return std::string(StoreFaults::name(info.param)); });

// ---------------------------------------------------------------------------
// With threads

TEST_F(ThumbnailCacheTest, RendersEveryPhotoOnceOnSeveralThreadsAndStoresEach)
{
    s->cache.setSynchronous(false);
    s->cache.setThreadCount(3);
    std::vector<CPhotoItem*> photos;
    for (int i = 0; i < 12; ++i)
        photos.push_back(s->photo(photoJpeg(QStringLiteral("p%1.jpg").arg(i), {640, 480})));
    for (CPhotoItem* photo : photos)
        s->cache.GetThumbnail(*photo);
    EXPECT_TRUE(s->cache.isWorkerRunning());
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(photos.begin(), photos.end(), [](CPhotoItem* p) { return p->thumbnailSlot() != 0; });
    }));
    std::set<quint32> usedSlots;
    for (CPhotoItem* photo : photos) {
        EXPECT_EQ(s->log.namesFor(photo), QStringList({"SaveThumb", "RenderComplete"}));
        usedSlots.insert(photo->thumbnailSlot());
    }
    EXPECT_EQ(usedSlots.size(), photos.size());
    s->cache.StopWorker();
    EXPECT_FALSE(s->cache.isWorkerRunning());
    for (CPhotoItem* photo : photos)
        EXPECT_FALSE(photo->isBeingRendered());
}

// A photo leaving the collection while the worker holds it: the removal
// waits for the worker, and nothing about the photo arrives afterwards.
TEST_F(ThumbnailCacheTest, RemovingAPhotoTheWorkerHoldsWaitsAndWithdrawsItsAnnouncements)
{
    s->cache.setSynchronous(false);
    s->cache.setThreadCount(1);
    const QString path = photoJpeg("big.jpg", {3000, 2000});
    CPhotoItem* photo = s->photo(path);
    s->cache.GetThumbnail(*photo);
    waitUntil([&] { return photo->isBeingRendered(); }, 2000);
    s->log.events.clear();

    ASSERT_TRUE(s->photos.RemovePhoto(path, true)); // the photo is destroyed here
    QThread::msleep(50);
    QCoreApplication::processEvents();
    EXPECT_TRUE(s->log.namesFor(photo).isEmpty());
    EXPECT_EQ(s->photos.FindPhoto(path), nullptr);
}

TEST_F(ThumbnailCacheTest, StopsTheWorkerQuicklyAndEmptiesTheQueue)
{
    s->cache.setSynchronous(false);
    s->cache.setThreadCount(2);
    std::vector<CPhotoItem*> photos;
    for (int i = 0; i < 8; ++i)
        photos.push_back(s->photo(photoJpeg(QStringLiteral("p%1.jpg").arg(i), {2400, 1800})));
    for (CPhotoItem* photo : photos)
        s->cache.GetThumbnail(*photo);
    QElapsedTimer timer;
    timer.start();
    s->cache.StopWorker();
    EXPECT_LT(timer.elapsed(), CThumbnailCache::kStopWaitMs);
    EXPECT_EQ(s->cache.queuedCount(), 0);
    s->log.events.clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(s->log.events.empty()) << "queued announcements are withdrawn";
    for (CPhotoItem* photo : photos)
        EXPECT_FALSE(photo->isBeingRendered());

    s->cache.GetThumbnail(*s->photo(photoJpeg("later.jpg"))); // a new request starts it again
    EXPECT_TRUE(s->cache.isWorkerRunning());
}

} // namespace
