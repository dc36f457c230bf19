// The photo collection on real files in a temporary home: keys that keep
// their letter case, photo dates and sizes, the two database files byte for
// byte, damaged files, removal and hiding, rotation, clearing the database,
// Photo Moments and the refresh from search folders.

#include "archivebytes.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photofiles.h"
#include "propmanager.h"
#include "testhome.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace PhotoFiles;

namespace {

// The thumbnail cache as the collection sees it, recording what it is asked.
class RecordingThumbnails : public CThumbnailCacheLink
{
public:
    void resetThumbs() override { ++resets; }
    void commitThumbs() override { ++commits; }
    void stopWorker() override { ++stops; }
    void dropThumbnail(CPhotoItem& photo) override
    {
        droppedPaths.append(photo.path());
        droppedSlots.push_back(photo.thumbnailSlot());
    }
    quint32 allocateThumb(const QImage& thumbnail) override
    {
        allocated.push_back(thumbnail);
        return nextSlot++;
    }
    void turnThumb(quint32 slot, int fromTurns, int toTurns) override { turns.push_back({slot, fromTurns, toTurns}); }

    struct Turn
    {
        quint32 slot;
        int from, to;
        bool operator==(const Turn&) const = default;
    };
    int resets = 0, commits = 0, stops = 0;
    QStringList droppedPaths;
    std::vector<quint32> droppedSlots;
    std::vector<QImage> allocated;
    std::vector<Turn> turns;
    quint32 nextSlot = 4;
};

class EventLog : public CNotifyListener
{
public:
    bool OnNotify(const CNotifyMessage& message) override
    {
        events.push_back({message.event, message.parameter});
        return true;
    }
    QStringList names() const
    {
        QStringList list;
        for (const auto& [name, parameter] : events)
            list.append(name);
        return list;
    }
    std::vector<std::pair<QString, void*>> events;
};

double ole(const QDateTime& time) { return COleDate::fromDateTime(time).days; }

// Little-endian bytes, put together by hand, independent of the archive.
class Bytes
{
public:
    Bytes& u16(quint16 v) { return raw(&v, 2); }
    Bytes& u32(quint32 v) { return raw(&v, 4); }
    Bytes& f32(float v) { return raw(&v, 4); }
    Bytes& f64(double v) { return raw(&v, 8); }
    Bytes& ascii(const char* text) { m_bytes.append(text); return *this; }
    // The wide string form: 0xFF, 0xFFFE, a one-byte length, UTF-16LE.
    Bytes& str(const QString& text)
    {
        m_bytes.append('\xFF').append('\xFE').append('\xFF').append(char(text.size()));
        for (QChar c : text)
            u16(c.unicode());
        return *this;
    }
    Bytes& bytes(const QByteArray& more) { m_bytes.append(more); return *this; }
    const QByteArray& data() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    template <class T>
    Bytes& raw(const T* v, int n)
    {
        static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
        m_bytes.append(reinterpret_cast<const char*>(v), n);
        return *this;
    }
    QByteArray m_bytes;
};

// One section: name, version, content length, content.
QByteArray section(const QString& name, quint32 version, const QByteArray& content)
{
    return Bytes().str(name).u32(version).u32(quint32(content.size())).bytes(content).data();
}

class MyPhotosTest : public ::testing::Test
{
protected:
    MyPhotosTest() { bus.Register(&log, Channel::MyPhotos); }
    ~MyPhotosTest() override { bus.Unregister(&log, Channel::MyPhotos); }

    std::unique_ptr<CMyPhotos> open() { return std::make_unique<CMyPhotos>(settings, catalogue, bus, &thumbs); }

    QString pictures(const QString& name = {}) const { return home.path() + "/Pictures/" + name; }
    QString collectionFile() const { return DataPaths::photoDatabaseFolder() + "/Collection.DAT"; }
    QString momentsFile() const { return DataPaths::photoDatabaseFolder() + "/Moments.DAT"; }

    // A good "Collection.DAT" of two photos, for the tests that damage it.
    void saveCollectionOfTwoPhotos()
    {
        writeJpeg(pictures("a.jpg"));
        writeJpeg(pictures("b.jpg"));
        auto photos = open();
        photos->FindPhoto(pictures("a.jpg"), true);
        photos->FindPhoto(pictures("b.jpg"), true);
        ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    }

    // The catalogue's box sees the text, not the key; the keys this
    // collection shows are told apart by their texts.
    QString keyOfText(const QString& text)
    {
        for (const char* key : {"PhotosLock", "SureDelDB", "DBNotThere"})
            if (catalogue.text(key) == text)
                return key;
        return text;
    }

    static QByteArray collectionBytes(CMyPhotos& photos)
    {
        return ArchiveBytes::store([&](CArchive& ar) { photos.serialize(ar); });
    }
    static QByteArray momentsBytes(CMyPhotos& photos)
    {
        return ArchiveBytes::store([&](CArchive& ar) { photos.serializeMoments(ar); });
    }

    TestHome home;
    CPropManager settings;
    CMessageCatalogue catalogue;
    CNotificationBus bus;
    RecordingThumbnails thumbs;
    EventLog log;
    QStringList shown;
    std::vector<unsigned> styles;
    int answer = MsgButton::Yes;
};

// Records the messages shown, answering each with `answer`.
class ClearingTest : public MyPhotosTest
{
protected:
    ClearingTest()
    {
        catalogue.setMessageBox([this](const QString&, const QString& text, unsigned style) {
            shown.append(keyOfText(text));
            styles.push_back(style);
            return answer;
        });
    }
};

// ---------------------------------------------------------------------------
// Keys and photo facts

TEST_F(MyPhotosTest, KeepsPathsWithTheirLetterCaseAsTwoPhotos)
{
    writeJpeg(pictures("Beach.jpg"), QSize(40, 30));
    writeJpeg(pictures("beach.jpg"), QSize(20, 10));
    auto photos = open();

    CPhotoItem* upper = photos->FindPhoto(pictures("Beach.jpg"), true);
    CPhotoItem* lower = photos->FindPhoto(pictures("beach.jpg"), true);
    ASSERT_TRUE(upper && lower);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(upper->path(), pictures("Beach.jpg"));
    EXPECT_EQ(lower->path(), pictures("beach.jpg"));
    EXPECT_EQ(upper->pixelWidth(), 40.0f);
    EXPECT_EQ(lower->pixelWidth(), 20.0f);
    EXPECT_EQ(photos->FindPhoto(pictures("BEACH.JPG")), nullptr);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);

    auto reloaded = open();
    EXPECT_EQ(reloaded->photoCount(), 2);
    ASSERT_NE(reloaded->FindPhoto(pictures("Beach.jpg")), nullptr);
    EXPECT_EQ(reloaded->FindPhoto(pictures("Beach.jpg"))->path(), pictures("Beach.jpg"));
    EXPECT_EQ(reloaded->FindPhoto(pictures("beach.jpg"))->pixelWidth(), 20.0f);
}

TEST_F(MyPhotosTest, FindsAPhotoUnderAnyUntidySpellingOfItsPath)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photos->FindPhoto(home.path() + "/Pictures//./sub/../a.jpg"), photo);
}

TEST_F(MyPhotosTest, TakesTheCaptureDateBeforeTheFileChangeDate)
{
    const QString path = pictures("both.jpg");
    writeJpeg(path, QSize(32, 24), {{{kDateTimeOriginal, "2019:07:14 10:20:30"}, {kDateTime, "2021:02:28 08:00:00"}}});
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(path, true);
    ASSERT_NE(photo, nullptr);

    const QDateTime taken(QDate(2019, 7, 14), QTime(10, 20, 30));
    EXPECT_TRUE(photo->hasMetadataDate());
    EXPECT_EQ(photo->photoDate(), ole(taken));
    EXPECT_EQ(photo->dateParts(), CSystemTime::fromDateTime(taken));
    EXPECT_EQ(photo->dateParts().dayOfWeek, 0); // a Sunday
    EXPECT_EQ(photo->dateText(), "Sunday, July 14, 2019");

    const QFileInfo file(path);
    EXPECT_EQ(photo->lastWriteTime(), ole(file.lastModified()));
    EXPECT_EQ(photo->fileSize(), quint32(file.size()));
    EXPECT_EQ(photo->sizeText(), QString::number(file.size()));
    EXPECT_NE(photo->creationTime(), 0.0);
    EXPECT_EQ(photo->stateText(), "Normal");
}

TEST_F(MyPhotosTest, FallsBackToTheFileDateForAYearZeroMetadataDate)
{
    const QString path = pictures("zero.jpg");
    writeJpeg(path, QSize(32, 24), {{{kDateTime, "0000:00:00 00:00:00"}}});
    const QDateTime fileDate(QDate(2015, 3, 4), QTime(12, 0));
    setModified(path, fileDate);

    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(path, true);
    ASSERT_NE(photo, nullptr);
    EXPECT_FALSE(photo->hasMetadataDate());
    EXPECT_EQ(photo->photoDate(), ole(fileDate));
    EXPECT_EQ(photo->photoDate(), photo->lastWriteTime());
    EXPECT_EQ(photo->dateText(), "Wednesday, March 04, 2015 (File Date)");
}

TEST_F(MyPhotosTest, MarksAFileThatDoesNotDecodeInvalidAndAVanishedFileMissing)
{
    writeBytes(pictures("broken.jpg"), "not a picture");
    writeJpeg(pictures("gone.jpg"));
    auto photos = open();

    CPhotoItem* broken = photos->FindPhoto(pictures("broken.jpg"), true);
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->isInvalid());
    EXPECT_FALSE(broken->isMissing());
    EXPECT_EQ(broken->stateText(), "The file does not contain a valid image");

    CPhotoItem* gone = photos->FindPhoto(pictures("gone.jpg"), true);
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(photos->CheckFile(*gone));
    ASSERT_TRUE(QFile::remove(pictures("gone.jpg")));
    EXPECT_FALSE(photos->CheckFile(*gone));
    EXPECT_TRUE(gone->isMissing());
    EXPECT_FALSE(gone->isInvalid());
    EXPECT_EQ(gone->stateText(), "Photo file was not found on your drive");

    writeJpeg(pictures("gone.jpg"));
    EXPECT_TRUE(photos->CheckFile(*gone));
    EXPECT_FALSE(gone->isMissing());
}

TEST_F(MyPhotosTest, ReReadsAFileWhoseLastWriteTimeChanged)
{
    const QString path = pictures("edit.jpg");
    writeJpeg(path, QSize(40, 20));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(path, true);
    ASSERT_NE(photo, nullptr);
    photos->setThumbnailSlot(*photo, 12);

    writeJpeg(path, QSize(50, 60));
    setModified(path, QDateTime::currentDateTime().addSecs(5));
    EXPECT_TRUE(photos->CheckFile(*photo));
    EXPECT_EQ(photo->pixelWidth(), 50.0f);
    EXPECT_EQ(photo->thumbnailSlot(), 0u);
    EXPECT_EQ(thumbs.droppedSlots, std::vector<quint32>{12});
}

// ---------------------------------------------------------------------------
// By date

TEST_F(MyPhotosTest, FindsTheFirstPhotoOfADay)
{
    writeJpeg(pictures("d1.jpg"), QSize(8, 8), {{{kDateTimeOriginal, "2020:05:04 10:00:00"}}});
    writeJpeg(pictures("d2-late.jpg"), QSize(8, 8), {{{kDateTimeOriginal, "2020:05:05 09:00:00"}}});
    writeJpeg(pictures("d2-early.jpg"), QSize(8, 8), {{{kDateTimeOriginal, "2020:05:05 08:00:00"}}});
    writeJpeg(pictures("d3.jpg"), QSize(8, 8), {{{kDateTimeOriginal, "2020:05:06 07:00:00"}}});
    writeJpeg(pictures("old.jpg"));
    setModified(pictures("old.jpg"), QDateTime(QDate(2015, 3, 4), QTime(12, 0)));
    auto photos = open();
    for (const char* name : {"d1.jpg", "d2-late.jpg", "d3.jpg", "old.jpg", "d2-early.jpg"})
        ASSERT_NE(photos->FindPhoto(pictures(name), true), nullptr);

    const std::vector<CPhotoItem*>& byDate = photos->ByDate();
    QStringList order;
    for (const CPhotoItem* photo : byDate)
        order.append(QFileInfo(photo->path()).fileName());
    EXPECT_EQ(order, QStringList({"old.jpg", "d1.jpg", "d2-early.jpg", "d2-late.jpg", "d3.jpg"}));

    const int first = photos->PhotosOnDate(QDate(2020, 5, 5));
    ASSERT_EQ(first, 2);
    EXPECT_EQ(byDate[first]->path(), pictures("d2-early.jpg"));
    EXPECT_EQ(photos->PhotosOnDate(QDate(2015, 3, 4)), 0);
    EXPECT_EQ(photos->PhotosOnDate(QDate(2020, 5, 6)), 4);
    EXPECT_EQ(photos->PhotosOnDate(QDate(2020, 5, 7)), -1);
    EXPECT_EQ(photos->PhotosOnDate(QDate(2001, 1, 1)), -1);
    EXPECT_EQ(photos->PhotosOnDate(QDate()), -1);
}

// ---------------------------------------------------------------------------
// Use, removal and hiding

TEST_F(MyPhotosTest, CountsPhotosInUseOncePerPhoto)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    photo->addUse();
    photo->addUse();
    EXPECT_EQ(photo->useCount(), 2);
    EXPECT_EQ(photos->photosInUse(), 1u);
    photo->releaseUse();
    EXPECT_EQ(photos->photosInUse(), 1u);
    photo->releaseUse();
    photo->releaseUse(); // one too many changes nothing
    EXPECT_EQ(photo->useCount(), 0);
    EXPECT_EQ(photos->photosInUse(), 0u);
}

TEST_F(MyPhotosTest, NeverHidesAPhotoInUse)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    photo->addUse();
    log.events.clear();
    EXPECT_FALSE(photos->RemovePhoto(pictures("a.jpg"), false));
    EXPECT_FALSE(photos->SetHidden(*photo, true));
    EXPECT_FALSE(photo->isHidden());
    EXPECT_TRUE(log.events.empty());

    photo->releaseUse();
    EXPECT_TRUE(photos->RemovePhoto(pictures("a.jpg"), false));
    EXPECT_TRUE(photo->isHidden());
    EXPECT_EQ(photo->stateText(), "Photo is tagged to be hidden");
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0], std::make_pair(QString("RenderComplete"), static_cast<void*>(photo)));
    EXPECT_NE(photos->FindPhoto(pictures("a.jpg")), nullptr); // still listed until saved
}

TEST_F(MyPhotosTest, DeletesAPhotoPermanentlyWithItsThumbnailYetKeepsItAliveForItsHolders)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    photos->setThumbnailSlot(*photo, 7);
    photo->addUse();

    EXPECT_TRUE(photos->RemovePhoto(pictures("a.jpg"), true));
    EXPECT_EQ(photos->FindPhoto(pictures("a.jpg")), nullptr);
    EXPECT_EQ(photos->photoCount(), 0);
    EXPECT_EQ(thumbs.droppedPaths, QStringList{pictures("a.jpg")});
    EXPECT_EQ(thumbs.droppedSlots, std::vector<quint32>{7});
    EXPECT_TRUE(photos->isDirty());

    // The frame that holds it can still read it and let go of it.
    EXPECT_EQ(photo->path(), pictures("a.jpg"));
    EXPECT_EQ(photos->photosInUse(), 1u);
    photo->releaseUse();
    EXPECT_EQ(photos->photosInUse(), 0u);
    EXPECT_FALSE(photos->RemovePhoto(pictures("a.jpg"), true));
}

TEST_F(MyPhotosTest, SaveDropsHiddenPhotosWithTheirThumbnails)
{
    writeJpeg(pictures("keep.jpg"));
    writeJpeg(pictures("hide.jpg"));
    {
        auto photos = open();
        photos->FindPhoto(pictures("keep.jpg"), true);
        CPhotoItem* hidden = photos->FindPhoto(pictures("hide.jpg"), true);
        photos->setThumbnailSlot(*hidden, 5);
        ASSERT_TRUE(photos->SetHidden(*hidden, true));
        ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
        EXPECT_EQ(photos->FindPhoto(pictures("hide.jpg")), nullptr);
        EXPECT_EQ(thumbs.droppedSlots, std::vector<quint32>{5});
        EXPECT_EQ(thumbs.stops, 1);
    }
    auto reloaded = open();
    EXPECT_EQ(reloaded->photoCount(), 1);
    EXPECT_NE(reloaded->FindPhoto(pictures("keep.jpg")), nullptr);
}

TEST_F(MyPhotosTest, ShowsAHiddenPhotoAgain)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_TRUE(photos->SetHidden(*photo, true));
    ASSERT_TRUE(photos->SetHidden(*photo, false));
    EXPECT_FALSE(photo->isHidden());
    EXPECT_EQ(log.names(), QStringList({"RenderComplete", "RenderComplete"}));
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_EQ(photos->photoCount(), 1);
}

// ---------------------------------------------------------------------------
// Rotation

TEST_F(MyPhotosTest, TurnsSizeThumbnailAndStoredThumbnailAndAnnouncesIt)
{
    writeJpeg(pictures("a.jpg"), QSize(40, 20));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    photos->setThumbnailSlot(*photo, 9);
    QImage thumbnail(2, 1, QImage::Format_RGB32);
    thumbnail.setPixel(0, 0, qRgb(255, 0, 0));
    thumbnail.setPixel(1, 0, qRgb(0, 0, 255));
    photo->setThumbnail(thumbnail);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    log.events.clear();

    EXPECT_EQ(photos->SetQuarterTurns(*photo, 1), 0);
    EXPECT_EQ(photo->quarterTurns(), 1);
    EXPECT_EQ(photo->pixelWidth(), 20.0f);
    EXPECT_EQ(photo->pixelHeight(), 40.0f);
    ASSERT_EQ(photo->thumbnail().size(), QSize(1, 2));
    EXPECT_EQ(photo->thumbnail().pixel(0, 0), qRgb(255, 0, 0)); // the left edge is now on top
    EXPECT_EQ(photo->thumbnail().pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(thumbs.turns, (std::vector<RecordingThumbnails::Turn>{{9, 0, 1}}));
    EXPECT_EQ(log.names(), QStringList({"FlipPhoto", "RenderComplete"}));
    EXPECT_EQ(log.events[0].second, photo);
    EXPECT_TRUE(photos->isDirty());

    log.events.clear();
    EXPECT_EQ(photos->SetQuarterTurns(*photo, 5), 1); // 5 is 1 again: nothing to do
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(photos->SetQuarterTurns(*photo, -1), 1); // -1 is 3: a half turn on
    EXPECT_EQ(photo->quarterTurns(), 3);
    EXPECT_EQ(photo->pixelWidth(), 20.0f);
    EXPECT_EQ(photos->SetQuarterTurns(*photo, 0), 3);
    EXPECT_EQ(photo->pixelWidth(), 40.0f);
    EXPECT_EQ(thumbs.turns.back(), (RecordingThumbnails::Turn{9, 3, 0}));
}

TEST_F(MyPhotosTest, WaitsForTheThumbnailWorkerBeforeTurning)
{
    writeJpeg(pictures("a.jpg"), QSize(40, 20));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);

    photo->setBeingRendered(true);
    std::thread worker([photo] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        photo->setBeingRendered(false);
    });
    QElapsedTimer timer;
    timer.start();
    photos->SetQuarterTurns(*photo, 1);
    const qint64 waited = timer.elapsed();
    worker.join();
    EXPECT_GE(waited, 100); // at least one poll
    EXPECT_LT(waited, 450); // but not all five
    EXPECT_EQ(photo->pixelWidth(), 20.0f);

    // A worker that never lets go delays the turn by five polls, no more.
    photo->setBeingRendered(true);
    timer.restart();
    photos->SetQuarterTurns(*photo, 2);
    EXPECT_GE(timer.elapsed(), 500);
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_EQ(photo->quarterTurns(), 2);
}

// ---------------------------------------------------------------------------
// The database files

TEST_F(MyPhotosTest, LoadsOncePerRunAndSavesOnlyWhenDirty)
{
    auto photos = open();
    EXPECT_EQ(photos->Load(), CMyPhotos::LoadResult::NoFile);
    EXPECT_TRUE(QFileInfo(DataPaths::photoDatabaseFolder()).isDir());
    EXPECT_EQ(thumbs.resets, 1);
    EXPECT_EQ(photos->Save(), CMyPhotos::SaveResult::Unchanged);
    EXPECT_EQ(thumbs.commits, 1);
    EXPECT_FALSE(QFile::exists(collectionFile()));

    writeJpeg(pictures("a.jpg"));
    photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_TRUE(photos->lastUpdate().isValid());
    const QByteArray saved = readBytes(collectionFile());
    EXPECT_EQ(photos->Save(), CMyPhotos::SaveResult::Unchanged);

    // Another copy changes the file; this run does not read it again.
    auto other = open();
    writeJpeg(pictures("b.jpg"));
    other->FindPhoto(pictures("b.jpg"), true);
    ASSERT_EQ(other->Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_EQ(photos->Load(), CMyPhotos::LoadResult::NoFile);
    EXPECT_EQ(photos->photoCount(), 1);
    EXPECT_EQ(other->photoCount(), 2);
}

TEST_F(MyPhotosTest, WritesOnePhotoRecordExactlyAsLaidOut)
{
    CSystemTime parts;
    parts.year = 2017;
    parts.month = 9;
    parts.dayOfWeek = 2;
    parts.day = 12;
    parts.hour = 13;
    parts.minute = 14;
    parts.second = 15;
    parts.milliseconds = 16;
    const QByteArray record = Bytes()
                                  .f64(43000.25) // creation time
                                  .f64(43001.75) // last-write time
                                  .u16(2017).u16(9).u16(2).u16(12).u16(13).u16(14).u16(15).u16(16)
                                  .f64(43002.5)   // photo date
                                  .u32(123456)    // file size
                                  .u32(0x25)      // hidden, metadata date, transparency
                                  .f32(640.0f)
                                  .f32(480.0f)
                                  .u32(7)         // thumbnail slot
                                  .u16(3)         // quarter turns
                                  .data();
    ASSERT_EQ(record.size(), CPhotoItem::kRecordSize);
    ASSERT_EQ(record.size(), 62);

    const QString key = "/p/Ä b.jpg";
    const QByteArray photosContent = Bytes()
                                         .u16(1) // count
                                         .str(key)
                                         .u16(0xFFFF).u16(1).u16(10).ascii("CPhotoItem")
                                         .bytes(record)
                                         .data();
    const QByteArray description = Bytes().str("").u32(0).f64(44000.5).data();
    const QByteArray file = section("Description", 1, description) + section("Photos", 1, photosContent)
        + Bytes().str("Done").data();
    writeBytes(collectionFile(), file);

    auto photos = open();
    ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Loaded);
    EXPECT_EQ(photos->lastUpdate(), (COleDate{COleDate::Valid, 44000.5}));
    CPhotoItem* photo = photos->FindPhoto(key);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->creationTime(), 43000.25);
    EXPECT_EQ(photo->lastWriteTime(), 43001.75);
    EXPECT_EQ(photo->dateParts(), parts);
    EXPECT_EQ(photo->photoDate(), 43002.5);
    EXPECT_EQ(photo->fileSize(), 123456u);
    EXPECT_EQ(photo->flags(), 0x25u);
    EXPECT_EQ(photo->pixelWidth(), 640.0f);
    EXPECT_EQ(photo->pixelHeight(), 480.0f);
    EXPECT_EQ(photo->thumbnailSlot(), 7u);
    EXPECT_EQ(photo->quarterTurns(), 3);
    EXPECT_EQ(photo->dateText(), "Tuesday, September 12, 2017");

    EXPECT_EQ(collectionBytes(*photos).toHex(' '), file.toHex(' '));
}

// A record with every field zero but the file size, which tells records apart.
QByteArray recordOfSize(quint32 fileSize)
{
    QByteArray record(CPhotoItem::kRecordSize, '\0');
    qToLittleEndian<quint32>(fileSize, record.data() + 40); // after three dates and the parts
    return record;
}

QByteArray photosFile(const QByteArray& mapContent)
{
    return section("Photos", 1, mapContent) + Bytes().str("Done").data();
}

TEST_F(MyPhotosTest, KeepsTheFileOrderOfPhotosAndTheLastRecordOfARepeatedKey)
{
    const QByteArray classTag = Bytes().u16(0xFFFF).u16(1).u16(10).ascii("CPhotoItem").data();
    const QByteArray file = photosFile(Bytes()
                                           .u16(4)
                                           .str("/p/z.jpg").bytes(classTag).bytes(recordOfSize(1))
                                           .str("/p/null.jpg").u16(0x0000) // no object: no photo
                                           .str("/p/a.jpg").u16(0x8001).bytes(recordOfSize(2))
                                           .str("/p/z.jpg").u16(0x8001).bytes(recordOfSize(3))
                                           .data());
    writeBytes(collectionFile(), file);
    auto photos = open();
    ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Loaded);
    EXPECT_EQ(photos->photoCount(), 2);
    EXPECT_EQ(photos->FindPhoto("/p/z.jpg")->fileSize(), 3u);

    const QByteArray expected = Bytes()
                                    .u16(2)
                                    .str("/p/z.jpg").bytes(classTag).bytes(recordOfSize(3))
                                    .str("/p/a.jpg").u16(0x8001).bytes(recordOfSize(2))
                                    .data();
    const QByteArray written = collectionBytes(*photos);
    EXPECT_TRUE(written.contains(expected)) << written.toHex(' ').toStdString();

    // Additions go after the photos read; removals leave no gap.
    photos->AddPhoto("/p/m.jpg");
    ASSERT_TRUE(photos->RemovePhoto("/p/z.jpg", true));
    const QByteArray afterwards = Bytes()
                                      .u16(2)
                                      .str("/p/a.jpg").bytes(classTag).bytes(recordOfSize(2))
                                      .str("/p/m.jpg").u16(0x8001).bytes(recordOfSize(0))
                                      .data();
    EXPECT_TRUE(collectionBytes(*photos).contains(afterwards));
}

TEST_F(MyPhotosTest, ARecordNamingOneThatARepeatedKeyReplacedIsRefusedNotFollowed)
{
    // Object 2 is the first "/p/z.jpg" record, replaced by the second; the
    // last entry names it again. The file is refused whole (a sanitizer
    // build also sees that nothing freed is touched on the way).
    const QByteArray classTag = Bytes().u16(0xFFFF).u16(1).u16(10).ascii("CPhotoItem").data();
    writeBytes(collectionFile(), photosFile(Bytes()
                                                .u16(3)
                                                .str("/p/z.jpg").bytes(classTag).bytes(recordOfSize(1))
                                                .str("/p/z.jpg").u16(0x8001).bytes(recordOfSize(3))
                                                .str("/p/b.jpg").u16(0x0002)
                                                .data()));
    auto photos = open();
    EXPECT_EQ(photos->Load(), CMyPhotos::LoadResult::Unreadable);
    EXPECT_EQ(photos->photoCount(), 0);
}

TEST_F(MyPhotosTest, APathStoredUntidyIsFoundAsStoredAndNeverTakenInTwice)
{
    const QByteArray classTag = Bytes().u16(0xFFFF).u16(1).u16(10).ascii("CPhotoItem").data();
    writeBytes(collectionFile(), photosFile(Bytes()
                                                .u16(2)
                                                .str("Pictures/a.jpg").bytes(classTag).bytes(recordOfSize(1))
                                                .str("/p//b.jpg").u16(0x8001).bytes(recordOfSize(2))
                                                .data()));
    auto photos = open();
    ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Loaded);
    for (const char* stored : {"Pictures/a.jpg", "/p//b.jpg"}) {
        CPhotoItem* photo = photos->FindPhoto(stored);
        ASSERT_NE(photo, nullptr) << stored;
        EXPECT_EQ(photos->AddPhoto(stored), photo) << stored;
    }
    EXPECT_EQ(photos->photoCount(), 2);
    EXPECT_FALSE(photos->isDirty());
}

TEST_F(MyPhotosTest, NeverStoresTheBeingRenderedBit)
{
    QByteArray record(CPhotoItem::kRecordSize, '\0');
    qToLittleEndian<quint32>(0x80 | 0x04, record.data() + 44); // the flags word
    const QByteArray file = section("Photos", 1, Bytes().u16(1).str("/p/a.jpg").u16(0xFFFF).u16(1).u16(10)
                                                     .ascii("CPhotoItem").bytes(record).data())
        + Bytes().str("Done").data();
    writeBytes(collectionFile(), file);
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto("/p/a.jpg");
    ASSERT_NE(photo, nullptr);
    EXPECT_FALSE(photo->isBeingRendered());
    photo->setBeingRendered(true);
    const QByteArray written = collectionBytes(*photos);
    const qsizetype flagsAt = written.indexOf("CPhotoItem") + 10 + 44;
    EXPECT_EQ(qFromLittleEndian<quint32>(written.constData() + flagsAt), 0x04u);
}

TEST_F(MyPhotosTest, WritesMomentsExactlyAsLaidOut)
{
    const QByteArray file = Bytes()
                                .u16(1)
                                .str("Trip")
                                .u16(0xFFFF).u16(1).u16(9).ascii("CPhotoPos")
                                .str("Trip")
                                .u32(0).f64(43831.0)
                                .u16(2).str("/p/a.jpg").str("/p/B.jpg")
                                .data();
    writeBytes(momentsFile(), file);
    auto photos = open();
    const CPhotoPos* moment = photos->FindMoment("Trip");
    ASSERT_NE(moment, nullptr);
    EXPECT_EQ(moment->name(), "Trip");
    EXPECT_EQ(moment->date(), (COleDate{COleDate::Valid, 43831.0}));
    EXPECT_EQ(moment->photos(), QStringList({"/p/a.jpg", "/p/B.jpg"}));
    EXPECT_EQ(momentsBytes(*photos).toHex(' '), file.toHex(' '));
}

TEST_F(MyPhotosTest, AMomentNamedWithSpacesAroundInTheFileIsFoundByItsName)
{
    writeBytes(momentsFile(), Bytes()
                                  .u16(1)
                                  .str(" Trip\t")
                                  .u16(0xFFFF).u16(1).u16(9).ascii("CPhotoPos")
                                  .str("Trip")
                                  .u32(0).f64(43831.0)
                                  .u16(0)
                                  .data());
    auto photos = open();
    EXPECT_EQ(photos->MomentNames(), QStringList{"Trip"});
    EXPECT_NE(photos->FindMoment("Trip"), nullptr);
}

TEST_F(MyPhotosTest, RoundTripsBothFilesByteForByte)
{
    writeJpeg(pictures("a.jpg"), QSize(40, 20), {{{kDateTimeOriginal, "2019:07:14 10:20:30"}}, 6});
    writeJpeg(pictures("Ünï côdé.jpg"), QSize(16, 16));
    writeBytes(pictures("bad.png"), "junk");
    {
        auto photos = open();
        for (const char* name : {"a.jpg", "Ünï côdé.jpg", "bad.png"})
            ASSERT_NE(photos->FindPhoto(pictures(QString::fromUtf8(name)), true), nullptr);
        photos->SetQuarterTurns(*photos->FindPhoto(pictures("a.jpg")), 3);
        photos->setThumbnailSlot(*photos->FindPhoto(pictures("a.jpg")), 11);
        ASSERT_EQ(photos->AddMoment("Summer", {pictures("a.jpg"), pictures("bad.png")},
                                    COleDate::fromDateTime(QDateTime(QDate(2019, 7, 14), QTime()))),
                  QString());
        ASSERT_EQ(photos->AddMoment("Ärger", {pictures("a.jpg")}, COleDate()), QString());
        ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    }
    const QByteArray collection = readBytes(collectionFile());
    const QByteArray moments = readBytes(momentsFile());
    ASSERT_FALSE(collection.isEmpty());
    ASSERT_FALSE(moments.isEmpty());

    auto photos = open();
    ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Loaded);
    EXPECT_EQ(photos->photoCount(), 3);
    EXPECT_EQ(photos->MomentNames(), QStringList({"Summer", "Ärger"}));
    EXPECT_EQ(collectionBytes(*photos), collection);
    EXPECT_EQ(momentsBytes(*photos), moments);
    EXPECT_EQ(photos->FindPhoto(pictures("a.jpg"))->quarterTurns(), 3);
}

TEST_F(MyPhotosTest, SkipsSectionsOfAnotherNameOrVersion)
{
    writeJpeg(pictures("a.jpg"));
    {
        auto photos = open();
        photos->FindPhoto(pictures("a.jpg"), true);
        ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    }
    QByteArray file = readBytes(collectionFile());
    // "Description" with an empty description: name 26 bytes, version and
    // length 8, content 16.
    const qsizetype photosAt = 50;
    ASSERT_EQ(file.mid(photosAt, 4), QByteArray("\xFF\xFE\xFF\x06", 4));
    const QByteArray extra = section("Albums", 1, "\x01\x02\x03\x04\x05")
        + section("Photos", 2, QByteArray(40, '\xEE'))
        + section("Description", 9, Bytes().str("not this one").data());
    file.insert(photosAt, extra);
    writeBytes(collectionFile(), file);

    auto photos = open();
    ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Loaded);
    EXPECT_EQ(photos->photoCount(), 1);
    EXPECT_NE(photos->FindPhoto(pictures("a.jpg")), nullptr);
    EXPECT_EQ(photos->description(), QString());
    EXPECT_FALSE(photos->isDirty());
}

enum class Damage { Truncated, LengthTooLong, LengthTooShort, RandomBytes, Empty };

class DamagedCollectionFile : public MyPhotosTest, public ::testing::WithParamInterface<Damage>
{
};

TEST_P(DamagedCollectionFile, StartsEmptyAndTheNextSaveWritesAGoodFile)
{
    ASSERT_NO_FATAL_FAILURE(saveCollectionOfTwoPhotos());
    QByteArray file = readBytes(collectionFile());
    const qsizetype photosLengthAt = 50 + 16 + 4; // after the "Photos" name and version
    const quint32 photosLength = qFromLittleEndian<quint32>(file.constData() + photosLengthAt);
    switch (GetParam()) {
    case Damage::Truncated:
        file.truncate(file.size() / 2 + 3);
        break;
    case Damage::LengthTooLong:
        qToLittleEndian<quint32>(photosLength + 1000, file.data() + photosLengthAt);
        break;
    case Damage::LengthTooShort:
        qToLittleEndian<quint32>(photosLength - 20, file.data() + photosLengthAt);
        break;
    case Damage::RandomBytes: {
        QRandomGenerator random(20240607);
        file.resize(4096);
        for (char& c : file)
            c = char(random.generate() & 0xFF);
        break;
    }
    case Damage::Empty:
        file.clear();
        break;
    }
    writeBytes(collectionFile(), file);
    thumbs.resets = 0;

    auto photos = open();
    EXPECT_EQ(photos->Load(), CMyPhotos::LoadResult::Unreadable);
    EXPECT_EQ(photos->photoCount(), 0);
    EXPECT_EQ(thumbs.resets, 1);
    EXPECT_TRUE(photos->isDirty());
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);

    auto reloaded = open();
    EXPECT_EQ(reloaded->Load(), CMyPhotos::LoadResult::Loaded);
    EXPECT_EQ(reloaded->photoCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedCollectionFile,
                         ::testing::Values(Damage::Truncated, Damage::LengthTooLong, Damage::LengthTooShort,
                                           Damage::RandomBytes, Damage::Empty));

TEST_F(MyPhotosTest, LoadsNoPrefixOfAGoodFileAndSurvivesEveryFlippedByte)
{
    ASSERT_NO_FATAL_FAILURE(saveCollectionOfTwoPhotos());
    const QByteArray good = readBytes(collectionFile());
    for (qsizetype length = 0; length < good.size(); ++length) {
        writeBytes(collectionFile(), good.left(length));
        auto photos = open();
        ASSERT_EQ(photos->Load(), CMyPhotos::LoadResult::Unreadable) << "length " << length;
        ASSERT_EQ(photos->photoCount(), 0);
    }
    for (qsizetype at = 0; at < good.size(); ++at) {
        QByteArray damaged = good;
        damaged[at] = char(damaged[at] ^ 0xFF);
        writeBytes(collectionFile(), damaged);
        auto photos = open();
        const CMyPhotos::LoadResult result = photos->Load();
        EXPECT_TRUE(result == CMyPhotos::LoadResult::Loaded || photos->photoCount() == 0) << "byte " << at;
    }
}

TEST_F(MyPhotosTest, KeepsTheMomentsOfADamagedMomentsFileOutAndRewritesIt)
{
    writeBytes(momentsFile(), QByteArray("\x05\x00\xFF\xFE\xFF\x30", 6));
    auto photos = open();
    EXPECT_EQ(photos->Load(), CMyPhotos::LoadResult::NoFile);
    EXPECT_TRUE(photos->MomentNames().isEmpty());
    EXPECT_TRUE(photos->isDirty());
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_EQ(readBytes(momentsFile()), QByteArray(2, '\0'));
}

TEST_F(MyPhotosTest, ReportsAFailedSaveAndStaysDirty)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_TRUE(QDir().mkpath(momentsFile())); // a folder where the file should go
    EXPECT_EQ(photos->Save(), CMyPhotos::SaveResult::Failed);
    EXPECT_TRUE(photos->isDirty());
    ASSERT_TRUE(QDir().rmdir(momentsFile()));
    EXPECT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    EXPECT_FALSE(photos->isDirty());
}

// ---------------------------------------------------------------------------
// Clearing the database

TEST_F(ClearingTest, IsRefusedWhilePhotosAreInUseAndDoesNothingWhenTheUserSaysNo)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    photo->addUse();
    EXPECT_EQ(photos->RemoveDatabase(), CMyPhotos::RemoveDbResult::Refused);
    EXPECT_EQ(shown, QStringList{"PhotosLock"});
    EXPECT_EQ(photos->photoCount(), 1);
    EXPECT_TRUE(QFile::exists(collectionFile()));
    photo->releaseUse();

    shown.clear();
    styles.clear();
    answer = MsgButton::No;
    EXPECT_EQ(photos->RemoveDatabase(), CMyPhotos::RemoveDbResult::Declined);
    EXPECT_EQ(shown, QStringList{"SureDelDB"});
    EXPECT_EQ(styles, std::vector<unsigned>{MsgStyle::QuestionYesNo});
    EXPECT_EQ(photos->photoCount(), 1);
    EXPECT_TRUE(QFile::exists(collectionFile()));
}

TEST_F(ClearingTest, EmptiesTheCollectionDeletesTheFileAndResetsTheThumbnails)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    thumbs.resets = 0;
    log.events.clear();

    EXPECT_EQ(photos->RemoveDatabase(), CMyPhotos::RemoveDbResult::Removed);
    EXPECT_EQ(shown, QStringList{"SureDelDB"});
    EXPECT_EQ(photos->photoCount(), 0);
    EXPECT_FALSE(QFile::exists(collectionFile()));
    EXPECT_EQ(thumbs.resets, 1);
    EXPECT_EQ(log.names(), QStringList{"RemoveDB"});
    EXPECT_FALSE(photos->isDirty());
}

TEST_F(ClearingTest, SaysSoWhenThereWasNoDatabaseFile)
{
    auto photos = open();
    EXPECT_EQ(photos->RemoveDatabase(), CMyPhotos::RemoveDbResult::NotThere);
    EXPECT_EQ(shown, QStringList({"SureDelDB", "DBNotThere"}));
}

// ---------------------------------------------------------------------------
// Photo Moments

TEST_F(MyPhotosTest, AddsUpdatesRenamesAndRemovesMoments)
{
    auto photos = open();
    const COleDate date = COleDate::fromDateTime(QDateTime(QDate(2020, 5, 5), QTime()));
    EXPECT_EQ(photos->AddMoment("Trip", {}, date), "PhotoPosSelection");
    EXPECT_EQ(photos->AddMoment("  ", {"/p/a.jpg"}, date), "PhotoPosNoName");
    EXPECT_EQ(photos->AddMoment("Trip", {"/p/a.jpg"}, date), "");
    EXPECT_TRUE(photos->isDirty());
    EXPECT_EQ(photos->AddMoment("Trip", {"/p/b.jpg"}, date), "PhotoPosExists");
    EXPECT_EQ(photos->FindMoment("Trip")->photos(), QStringList{"/p/a.jpg"});
    EXPECT_EQ(photos->AddMoment("Trip", {"/p/b.jpg"}, date, true), "");
    EXPECT_EQ(photos->FindMoment("Trip")->photos(), QStringList{"/p/b.jpg"});

    EXPECT_EQ(photos->RenameMoment("", "Journey"), "PhotoPosRename");
    EXPECT_EQ(photos->RenameMoment("Voyage", "Journey"), "WrongPhotoPosName");
    EXPECT_EQ(photos->RenameMoment("Trip", " "), "PhotoPosNoName");
    ASSERT_EQ(photos->AddMoment("Home", {"/p/c.jpg"}, date), "");
    EXPECT_EQ(photos->RenameMoment("Trip", "Home"), "PhotoPosExists");
    EXPECT_EQ(photos->RenameMoment("Trip", "Journey"), "");
    EXPECT_EQ(photos->FindMoment("Trip"), nullptr);
    ASSERT_NE(photos->FindMoment("Journey"), nullptr);
    EXPECT_EQ(photos->FindMoment("Journey")->name(), "Journey");
    EXPECT_EQ(photos->FindMoment("Journey")->date(), date);
    EXPECT_EQ(photos->RenameMoment("Journey", "Home", true), "");
    EXPECT_EQ(photos->MomentNames(), QStringList{"Home"});
    EXPECT_EQ(photos->FindMoment("Home")->photos(), QStringList{"/p/b.jpg"});

    EXPECT_EQ(photos->RemoveMoment(""), "PhotoPosRemoveNoName");
    EXPECT_EQ(photos->RemoveMoment("Trip"), "WrongPhotoPosName");
    EXPECT_EQ(photos->RemoveMoment("Home"), "");
    EXPECT_TRUE(photos->MomentNames().isEmpty());
}

// ---------------------------------------------------------------------------
// Notifications from the thumbnail worker

TEST_F(MyPhotosTest, AnswersTheThumbnailWorkersNotifications)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    CPhotoItem* photo = photos->FindPhoto(pictures("a.jpg"), true);
    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);

    photo->setThumbnail(QImage(4, 4, QImage::Format_RGB32));
    bus.Broadcast(Channel::MyPhotos, Event::SaveThumb, photo);
    EXPECT_EQ(photo->thumbnailSlot(), 4u);
    EXPECT_EQ(thumbs.allocated.size(), 1u);
    EXPECT_TRUE(photos->isDirty());
    bus.Broadcast(Channel::MyPhotos, Event::SaveThumb, photo); // has a slot already
    EXPECT_EQ(thumbs.allocated.size(), 1u);

    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    bus.Broadcast(Channel::MyPhotos, Event::ImageError, photo);
    EXPECT_TRUE(photo->isInvalid());
    EXPECT_TRUE(photos->isDirty());

    ASSERT_EQ(photos->Save(), CMyPhotos::SaveResult::Saved);
    bus.Broadcast("myphotos", Event::CacheError, photo);
    EXPECT_TRUE(photos->isDirty());

    const int stops = thumbs.stops;
    bus.Broadcast(Channel::Application, Event::Closing);
    EXPECT_EQ(thumbs.stops, stops + 1);
}

// ---------------------------------------------------------------------------
// Refresh from the search folders

class RefreshTest : public MyPhotosTest
{
protected:
    CRefreshResult refresh(CMyPhotos& photos, const QStringList& folders, bool skipHidden = true)
    {
        CRefreshRequest request;
        request.folders = folders;
        request.skipHidden = skipHidden;
        return photos.Refresh(request);
    }
    QStringList paths(CMyPhotos& photos)
    {
        QStringList list;
        for (const CPhotoItem* photo : photos.ByDate())
            list.append(photo->path());
        list.sort();
        return list;
    }
};

TEST_F(RefreshTest, AddsTheImagesOfTheSearchFoldersAndRemembersTheChoice)
{
    writeJpeg(pictures("a.jpg"));
    writeJpeg(pictures("sub/deeper/b.JPG"));
    writeJpeg(pictures(".hidden/c.jpg"));
    writeJpeg(pictures(".d.jpg"));
    writeBytes(pictures("notes.txt"), "text");
    auto photos = open();

    const CRefreshResult result = refresh(*photos, {pictures()});
    EXPECT_EQ(result.outcome, CRefreshResult::Outcome::Completed);
    EXPECT_EQ(result.messageKey, "RefreshDone");
    EXPECT_EQ(result.counters.filesSeen, 3);
    EXPECT_EQ(result.counters.imagesFound, 2);
    EXPECT_EQ(result.counters.photosRemoved, 0);
    EXPECT_EQ(paths(*photos), QStringList({pictures("a.jpg"), pictures("sub/deeper/b.JPG")}));
    EXPECT_EQ(settings.getValue("RefreshSearchDir")->toString(), pictures());
    EXPECT_TRUE(settings.getValue("RefreshNoHidden")->toBool());
    EXPECT_FALSE(settings.getValue("LastPhotoUpdate")->toString().isEmpty());

    const CRefreshResult withHidden = refresh(*photos, {pictures()}, false);
    EXPECT_EQ(withHidden.counters.imagesFound, 4);
    EXPECT_EQ(photos->photoCount(), 4);
    EXPECT_FALSE(settings.getValue("RefreshNoHidden")->toBool());
    EXPECT_EQ(photos->refreshSearchFolders(), QStringList{pictures()});
}

// The scan alone, without a collection.
TEST_F(RefreshTest, TheScanHandsOnImagesFolderByFolderInNameOrderAndStopsWhenTold)
{
    writeJpeg(pictures("b.jpg"));
    writeJpeg(pictures("a/z.jpg"));
    writeJpeg(pictures("c/y.jpg"));
    writeBytes(pictures("a/notes.txt"), "text");
    ASSERT_TRUE(QFile::link(pictures(), pictures("a/loop")));
    QStringList examined;
    const auto examine = [&](const QFileInfo& image) { examined << image.filePath(); };

    CRefreshRequest request;
    CRefreshCounters counters;
    EXPECT_TRUE(scanFolders({pictures()}, request, counters, examine));
    // A folder's own files before those of its subfolders; the link back up is not followed.
    EXPECT_EQ(examined, QStringList({pictures("b.jpg"), pictures("a/z.jpg"), pictures("c/y.jpg")}));
    EXPECT_EQ(counters.filesSeen, 4);
    EXPECT_EQ(counters.imagesFound, 3);

    std::atomic<bool> stop = false;
    request.stop = &stop;
    request.onEntry = [&](const CRefreshCounters&, const QString& path) { stop = path == pictures("a/z.jpg"); };
    examined.clear();
    CRefreshCounters stopped;
    EXPECT_FALSE(scanFolders({pictures()}, request, stopped, examine));
    EXPECT_EQ(examined, QStringList{pictures("b.jpg")});
}

TEST_F(RefreshTest, OffersThePicturesFolderBeforeTheFirstRefresh)
{
    auto photos = open();
    EXPECT_EQ(photos->refreshSearchFolders(),
              QStringList{QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)});
    EXPECT_TRUE(photos->refreshSkipsHidden());
}

TEST_F(RefreshTest, DoesNotStartWhenAFolderIsMissing)
{
    writeJpeg(pictures("a.jpg"));
    auto photos = open();
    const QString missing = home.path() + "/Nowhere";
    const CRefreshResult result = refresh(*photos, {pictures() + ";" + missing});
    EXPECT_EQ(result.outcome, CRefreshResult::Outcome::FolderNotFound);
    EXPECT_EQ(result.messageKey, "RefreshDirNotFound");
    EXPECT_EQ(result.missingFolder, missing);
    EXPECT_EQ(photos->photoCount(), 0);
    EXPECT_NE(settings.getValue("RefreshSearchDir")->toString(), pictures() + ";" + missing);
}

TEST_F(RefreshTest, LeavesUnchangedFilesUnopenedAndReReadsChangedOnes)
{
    const QString path = pictures("a.jpg");
    writeJpeg(path, QSize(40, 20));
    auto photos = open();
    refresh(*photos, {pictures()});
    CPhotoItem* photo = photos->FindPhoto(path);
    ASSERT_NE(photo, nullptr);
    photos->setThumbnailSlot(*photo, 6);
    photos->SetQuarterTurns(*photo, 1);

    // New bytes under the old time: a refresh that opened the file would
    // find no image in it.
    const QDateTime written = QFileInfo(path).lastModified();
    writeBytes(path, "no longer a picture");
    setModified(path, written);
    refresh(*photos, {pictures()});
    EXPECT_FALSE(photo->isInvalid());
    EXPECT_EQ(photo->quarterTurns(), 1);
    EXPECT_TRUE(thumbs.droppedSlots.empty());

    setModified(path, written.addSecs(60));
    refresh(*photos, {pictures()});
    EXPECT_TRUE(photo->isInvalid());
    EXPECT_EQ(photo->quarterTurns(), 0);
    EXPECT_EQ(photo->thumbnailSlot(), 0u);
    EXPECT_EQ(thumbs.droppedSlots, std::vector<quint32>{6});
    EXPECT_EQ(photo->lastWriteTime(), ole(written.addSecs(60)));
}

TEST_F(RefreshTest, HidesPhotosWhoseFilesHaveGoneUnlessInUse)
{
    writeJpeg(pictures("a.jpg"));
    writeJpeg(pictures("b.jpg"));
    writeJpeg(pictures("c.jpg"));
    auto photos = open();
    refresh(*photos, {pictures()});
    CPhotoItem* used = photos->FindPhoto(pictures("c.jpg"));
    used->addUse();
    ASSERT_TRUE(QFile::remove(pictures("b.jpg")));
    ASSERT_TRUE(QFile::remove(pictures("c.jpg")));

    const CRefreshResult result = refresh(*photos, {pictures()});
    EXPECT_EQ(result.counters.photosRemoved, 1);
    CPhotoItem* gone = photos->FindPhoto(pictures("b.jpg"));
    EXPECT_TRUE(gone->isHidden());
    EXPECT_TRUE(gone->isMissing());
    EXPECT_FALSE(used->isHidden());
    EXPECT_TRUE(used->isMissing());
    EXPECT_FALSE(photos->FindPhoto(pictures("a.jpg"))->isHidden());
    used->releaseUse();
}

TEST_F(RefreshTest, StoppedInTheScanHidesNothing)
{
    writeJpeg(home.path() + "/Elsewhere/gone.jpg");
    writeJpeg(pictures("a.jpg"));
    writeJpeg(pictures("b.jpg"));
    writeJpeg(pictures("c.jpg"));
    auto photos = open();
    CPhotoItem* gone = photos->FindPhoto(home.path() + "/Elsewhere/gone.jpg", true);
    ASSERT_TRUE(QFile::remove(home.path() + "/Elsewhere/gone.jpg"));

    std::atomic<bool> stop = false;
    CRefreshRequest request;
    request.folders = {pictures()};
    int entries = 0;
    request.onEntry = [&](const CRefreshCounters&, const QString&) {
        if (++entries == 2)
            stop = true;
    };
    request.stop = &stop;
    const CRefreshResult result = photos->Refresh(request);
    EXPECT_EQ(result.outcome, CRefreshResult::Outcome::Stopped);
    EXPECT_TRUE(result.messageKey.isEmpty());
    EXPECT_EQ(result.counters.imagesFound, 1); // a.jpg only; stopped before b.jpg
    EXPECT_NE(photos->FindPhoto(pictures("a.jpg")), nullptr);
    EXPECT_EQ(photos->FindPhoto(pictures("b.jpg")), nullptr);
    EXPECT_FALSE(gone->isHidden());
    EXPECT_TRUE(settings.getValue("LastPhotoUpdate")->toString().isEmpty());
}

TEST_F(RefreshTest, StoppedInTheWalkHidesOnlyThePhotosItReached)
{
    writeJpeg(home.path() + "/Gone/a.jpg");
    writeJpeg(home.path() + "/Gone/b.jpg");
    QDir().mkpath(pictures());
    auto photos = open();
    CPhotoItem* first = photos->FindPhoto(home.path() + "/Gone/a.jpg", true);
    CPhotoItem* second = photos->FindPhoto(home.path() + "/Gone/b.jpg", true);
    ASSERT_TRUE(QDir(home.path() + "/Gone").removeRecursively());

    std::atomic<bool> stop = false;
    CRefreshRequest request;
    request.folders = {pictures()};
    request.onEntry = [&](const CRefreshCounters&, const QString& path) {
        if (path == second->path())
            stop = true;
    };
    request.stop = &stop;
    const CRefreshResult result = photos->Refresh(request);
    EXPECT_EQ(result.outcome, CRefreshResult::Outcome::Stopped);
    EXPECT_EQ(result.counters.photosRemoved, 1);
    EXPECT_TRUE(first->isHidden());
    EXPECT_FALSE(second->isHidden());
}

} // namespace
