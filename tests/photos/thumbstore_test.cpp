// "Thumbs.DAT" on a real disk: its streams read back with SQLite itself,
// commits that survive a killed process and changes that do not, and the
// store that is corrupt, held by another process or on a read-only disk.

#include "photofiles.h"
#include "storefaults.h"
#include "testhome.h"
#include "thumbstore.h"

#include <QDir>
#include <QProcess>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <sqlite3.h>

using StoreFaults::Fault;

namespace {

QImage filled(QSize size, QRgb colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(colour);
    return image;
}

// Reads a stream straight from the file, as another tool would.
QByteArray rawStream(const QString& file, const QString& name)
{
    sqlite3* db = nullptr;
    QByteArray bytes;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT bytes FROM streams WHERE name = ?1", -1, &statement, nullptr) == SQLITE_OK) {
            const QByteArray key = name.toUtf8();
            sqlite3_bind_text(statement, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(statement) == SQLITE_ROW)
                bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                                   sqlite3_column_bytes(statement, 0));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return bytes;
}

quint32 counterIn(const QString& file)
{
    const QByteArray bytes = rawStream(file, "0");
    return bytes.size() == 4 ? qFromLittleEndian<quint32>(bytes.constData()) : 0;
}

QRgb centre(const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); }

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

class ThumbStoreTest : public ::testing::Test
{
protected:
    QString folder() const { return home.path() + "/db"; }
    QString file() const { return folder() + "/Thumbs.DAT"; }

    TestHome home;
};

TEST_F(ThumbStoreTest, PutsANewStoresFirstThumbnailInStreamFourAndCountsOnToFiveAtTheCommit)
{
    {
        CThumbStore store(folder());
        EXPECT_EQ(store.AllocateThumb(filled({16, 12}, qRgb(200, 30, 30))), 4u);
        EXPECT_TRUE(store.isModified());
        ASSERT_TRUE(store.CommitThumbs());
        EXPECT_TRUE(rawStream(file(), "0").isEmpty()) << "held exclusively while open";
    }
    EXPECT_EQ(counterIn(file()), 5u);
    const QByteArray record = rawStream(file(), "4");
    ASSERT_GT(record.size(), 4);
    EXPECT_EQ(qFromLittleEndian<quint32>(record.constData()), quint32(record.size() - 4));
    EXPECT_TRUE(record.mid(4).startsWith("\xFF\xD8")) << "no alpha: a JPEG";
    EXPECT_TRUE(near(centre(CThumbStore::decodeRecord(record)), qRgb(200, 30, 30)));
}

TEST_F(ThumbStoreTest, KeepsAlphaInAPngRecord)
{
    {
        CThumbStore store(folder());
        const quint32 slot = store.AllocateThumb(filled({8, 8}, qRgba(0, 0, 255, 128), QImage::Format_ARGB32));
        ASSERT_TRUE(store.CommitThumbs());
        const QImage loaded = store.LoadThumb(slot);
        EXPECT_EQ(loaded.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_NEAR(qAlpha(loaded.pixel(3, 3)), 128, 1);
    }
    EXPECT_TRUE(rawStream(file(), "4").mid(4).startsWith("\x89PNG"));
}

TEST_F(ThumbStoreTest, StoresLoadsReplacesAndDeletesSlots)
{
    CThumbStore store(folder());
    EXPECT_FALSE(store.StoreThumb(9, filled({4, 4}, qRgb(255, 0, 0)), false)) << "no stream to overwrite";
    EXPECT_TRUE(store.StoreThumb(9, filled({4, 4}, qRgb(255, 0, 0)), true));
    EXPECT_TRUE(store.StoreThumb(9, filled({4, 4}, qRgb(0, 255, 0)), false));
    EXPECT_TRUE(near(centre(store.LoadThumb(9)), qRgb(0, 255, 0)));
    EXPECT_TRUE(store.hasThumb(9));
    store.DeleteThumb(9);
    EXPECT_FALSE(store.hasThumb(9));
    EXPECT_TRUE(store.LoadThumb(9).isNull());
    EXPECT_TRUE(store.LoadThumb(0).isNull());
    EXPECT_EQ(store.AllocateThumb(QImage()), 0u) << "nothing to store";
}

TEST_F(ThumbStoreTest, ReadsDamagedRecordsAsNoImage)
{
    const QByteArray good = CThumbStore::encodeRecord(filled({4, 4}, qRgb(255, 0, 0)));
    EXPECT_FALSE(CThumbStore::decodeRecord(good).isNull());
    for (const QByteArray& bad : {QByteArray(), QByteArray("\0\0\0\0", 4), good.left(3), good.left(good.size() - 1),
                                  QByteArray("\x10\0\0\0garbagegarbage!!", 20)})
        EXPECT_TRUE(CThumbStore::decodeRecord(bad).isNull()) << bad.toHex().toStdString();
}

TEST_F(ThumbStoreTest, ForgetsWhatWasNotCommittedAndKeepsTheCounterAfterACommit)
{
    {
        CThumbStore store(folder());
        EXPECT_EQ(store.AllocateThumb(filled({4, 4}, qRgb(255, 0, 0))), 4u);
        ASSERT_TRUE(store.CommitThumbs());
        EXPECT_EQ(store.AllocateThumb(filled({4, 4}, qRgb(0, 0, 255))), 5u);
    }
    CThumbStore reopened(folder());
    EXPECT_TRUE(reopened.hasThumb(4));
    EXPECT_FALSE(reopened.hasThumb(5));
    EXPECT_EQ(reopened.nextSlot(), 5u);
}

TEST_F(ThumbStoreTest, SurvivesAProcessKilledBetweenCommits)
{
    QProcess crash;
    crash.start(OMBRAVELLE_THUMBSTORE_HELPER, {"crash", folder()});
    ASSERT_TRUE(crash.waitForFinished(20000));
    ASSERT_EQ(crash.exitStatus(), QProcess::CrashExit);

    CThumbStore store(folder());
    ASSERT_EQ(store.state(), CThumbStore::State::Closed);
    EXPECT_TRUE(near(centre(store.LoadThumb(4)), qRgb(255, 0, 0)));
    EXPECT_FALSE(store.hasThumb(5)) << "the uncommitted thumbnail";
    EXPECT_EQ(store.nextSlot(), 5u);
    EXPECT_EQ(store.state(), CThumbStore::State::Open);
}

TEST_F(ThumbStoreTest, ResetStartsEmptyWithTheCounterAtFour)
{
    {
        CThumbStore store(folder());
        store.AllocateThumb(filled({4, 4}, qRgb(255, 0, 0)));
        store.AllocateThumb(filled({4, 4}, qRgb(255, 0, 0)));
        ASSERT_TRUE(store.CommitThumbs());
        EXPECT_EQ(store.AllocateThumb(filled({4, 4}, qRgb(255, 0, 0))), 6u) << "handed over, not yet written";
        store.ResetThumbs();
        EXPECT_FALSE(store.hasThumb(4));
        EXPECT_EQ(store.AllocateThumb(filled({4, 4}, qRgb(0, 255, 0))), 4u);
        ASSERT_TRUE(store.CommitThumbs());
        EXPECT_TRUE(near(centre(store.LoadThumb(4)), qRgb(0, 255, 0)));
        EXPECT_FALSE(store.hasThumb(6)) << "the old store's record came back";
    }
    EXPECT_EQ(counterIn(file()), 5u);
}

// The window's thread allocates while the worker writes and commits: every
// thumbnail gets its own slot and lands in the store.
TEST_F(ThumbStoreTest, AllocatesWhileAnotherThreadWritesAndCommits)
{
    constexpr int kCount = 300;
    std::vector<quint32> given;
    {
        CThumbStore store(folder());
        ASSERT_TRUE(store.ensureOpen());
        std::atomic<bool> done{false};
        std::thread worker([&] {
            while (!done) {
                store.flushPending();
                store.CommitThumbs();
            }
        });
        for (int i = 0; i < kCount; ++i)
            given.push_back(store.AllocateThumb(filled({4, 4}, qRgb(i % 256, 0, 255))));
        done = true;
        worker.join();
        ASSERT_TRUE(store.CommitThumbs());
    }

    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(given[size_t(i)], quint32(CThumbStore::kFirstSlot + i));
    CThumbStore reopened(folder());
    for (int i = 0; i < kCount; i += 37)
        EXPECT_TRUE(near(centre(reopened.LoadThumb(given[size_t(i)])), qRgb(i % 256, 0, 255))) << i;
    EXPECT_TRUE(reopened.hasThumb(given.back()));
    EXPECT_EQ(reopened.nextSlot(), CThumbStore::kFirstSlot + kCount);
}

class BadStore : public ThumbStoreTest, public ::testing::WithParamInterface<Fault>
{
};

// A store that will not open fails quietly and stays failed; a corrupt file
// is replaced, but another process's file and a read-only disk are left
// exactly as they were.
TEST_P(BadStore, FailsQuietlyOrStartsAfreshAndNeverTouchesWhatIsNotOurs)
{
    QDir().mkpath(folder());
    {
        CThumbStore first(folder());
        ASSERT_EQ(first.AllocateThumb(filled({4, 4}, qRgb(255, 0, 0))), 4u);
        ASSERT_TRUE(first.CommitThumbs());
    }
    std::unique_ptr<StoreFaults::Locker> locker;
    std::unique_ptr<StoreFaults::ReadOnly> readOnly;
    switch (GetParam()) {
    case Fault::Corrupt:
        StoreFaults::writeGarbage(file());
        break;
    case Fault::Locked:
        locker = std::make_unique<StoreFaults::Locker>(OMBRAVELLE_THUMBSTORE_HELPER, file());
        ASSERT_TRUE(locker->locked());
        break;
    case Fault::ReadOnly:
        readOnly = std::make_unique<StoreFaults::ReadOnly>(QStringList{folder(), file()});
        if (!readOnly->ok())
            GTEST_SKIP() << "nothing can be made read-only here";
        break;
    }
    const QByteArray before = PhotoFiles::readBytes(file());

    CThumbStore store(folder());
    const quint32 slot = store.AllocateThumb(filled({4, 4}, qRgb(0, 0, 255)));
    if (GetParam() == Fault::Corrupt) {
        EXPECT_EQ(slot, 4u) << "a new store in place of the garbage";
        EXPECT_TRUE(store.CommitThumbs());
        EXPECT_EQ(store.state(), CThumbStore::State::Open);
        return;
    }
    EXPECT_EQ(slot, 0u);
    EXPECT_EQ(store.state(), CThumbStore::State::Failed);
    EXPECT_FALSE(store.failureReason().isEmpty());
    EXPECT_TRUE(store.LoadThumb(4).isNull());
    EXPECT_TRUE(store.CommitThumbs()) << "nothing to commit is no failure";
    store.ResetThumbs();
    EXPECT_EQ(store.state(), CThumbStore::State::Failed);
    EXPECT_EQ(PhotoFiles::readBytes(file()), before);
    locker.reset();
    readOnly.reset();
    EXPECT_TRUE(near(centre(CThumbStore(folder()).LoadThumb(4)), qRgb(255, 0, 0))) << "still the old store";
}

INSTANTIATE_TEST_SUITE_P(Faults, BadStore, ::testing::Values(Fault::Corrupt, Fault::Locked, Fault::ReadOnly),
                         [](const auto& info) { return std::string(StoreFaults::name(info.param)); });

} // namespace
