// The "Dropper" section's record: the tray's entries with their image
// attributes, in the current form and in the paths-only form of older files.

#include "archivebytes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photoitem.h"
#include "picdropper.h"
#include "propmanager.h"
#include "testhome.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using ArchiveBytes::f32;
using ArchiveBytes::kCurrentVersion;
using ArchiveBytes::load;
using ArchiveBytes::store;
using ArchiveBytes::u32;
using ArchiveBytes::wide;

constexpr int kLastPathsOnlyVersion = 19;

CPicInfoAttr attributes(float alpha, float brightness, float contrast, float gamma, CCanvasRect rect,
                        const QString& description, const QString& link)
{
    CPicInfoAttr a;
    a.setAlpha(alpha);
    a.setBrightness(brightness);
    a.setContrast(contrast);
    a.setGamma(gamma);
    a.setImageRect(rect);
    a.setDescription(description);
    a.setLink(link);
    return a;
}

struct DropperEvents : CNotifyListener
{
    QStringList events;
    bool OnNotify(const CNotifyMessage& message) override
    {
        events << message.event;
        return true;
    }
};

class DropperRecords : public ::testing::Test
{
protected:
    void SetUp() override
    {
        photos = std::make_unique<CMyPhotos>(settings, catalogue, bus, nullptr, home.path() + "/db");
        QDir(home.path()).mkpath("pics");
        bus.Register(&listener, Channel::Dropper);
    }
    void TearDown() override { bus.Unregister(&listener, Channel::Dropper); }

    // A real image file in the test's home.
    QString photo(const QString& name)
    {
        const QString path = home.path() + "/pics/" + name;
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    int uses(const QString& path) { return photos->FindPhoto(path)->useCount(); }

    TestHome home;
    CNotificationBus bus;
    CPropManager settings;
    CMessageCatalogue catalogue{QByteArray()};
    std::unique_ptr<CMyPhotos> photos;
    DropperEvents listener;
};

TEST_F(DropperRecords, OneEntryIsLaidOutAsIndexCountPathAndAttributeRecord)
{
    const QString path = photo("a.png");
    CPicDropper dropper(*photos);
    const CPicInfoAttr attr = attributes(0.5f, 0.25f, 1.5f, 2.0f, {1, 2, 3, 4}, "d", "l");
    ASSERT_TRUE(dropper.AddToDropper(path, &attr));

    QByteArray expected = u32(0) + QByteArray("\x01\x00", 2) + wide(path);
    expected += f32(0.5f) + f32(0.25f) + f32(1.5f) + f32(2.0f);
    expected += f32(1) + f32(2) + f32(3) + f32(4);
    expected += wide("d") + wide("l");
    EXPECT_EQ(store([&](CArchive& ar) { dropper.serialize(ar); }).toHex(' '), expected.toHex(' '));
}

TEST_F(DropperRecords, RoundTripsByteForByteKeepingAttributesAndPathsAsStored)
{
    // Two files whose names differ only in case are two photos.
    const QString upper = photo("Beach.PNG");
    const QString lower = photo("beach.png");
    const QString third = photo(QString::fromUtf16(u"F\u00e9te \u6f22.png"));
    const CPicInfoAttr picked = attributes(0.75f, -0.5f, 0.5f, 1.8f, {-1.5f, 2.25f, 8, 6}, "Picked up", "http://x.example/");

    CPicDropper dropper(*photos);
    ASSERT_TRUE(dropper.AddToDropper(upper, &picked));
    ASSERT_TRUE(dropper.AddToDropper(lower));
    ASSERT_TRUE(dropper.AddToDropper(third, &picked));
    dropper.setCurrentIndex(2);
    const QByteArray written = store([&](CArchive& ar) { dropper.serialize(ar); });

    {
        CPicDropper reread(*photos);
        EXPECT_EQ(load(written, [&](CArchive& ar) { reread.serialize(ar); }), 0);
        EXPECT_EQ(store([&](CArchive& ar) { reread.serialize(ar); }).toHex(' '), written.toHex(' '));

        ASSERT_EQ(reread.count(), 3);
        EXPECT_EQ(reread.currentIndex(), 2);
        EXPECT_EQ(reread.entries()[0].path, upper);
        EXPECT_EQ(reread.entries()[1].path, lower);
        EXPECT_NE(reread.entries()[0].photo, reread.entries()[1].photo);
        EXPECT_TRUE(reread.entries()[0].attributes.sameAs(picked));
        EXPECT_TRUE(reread.entries()[1].attributes.sameAs(CPicInfoAttr()));
        EXPECT_EQ(uses(upper), 2);
    }
    // The second dropper gave its uses back.
    EXPECT_EQ(uses(upper), 1);
    EXPECT_EQ(uses(third), 1);
}

TEST_F(DropperRecords, BeforeVersion20OnlyPathsAreStoredAndLoadWithNeutralAttributesAtIndexZero)
{
    const QString a = photo("a.png");
    const QString b = photo("B.png");
    // The second path is in the narrow form older files may carry.
    const QByteArray stored = QByteArray("\x02\x00", 2) + wide(a) + QByteArray(1, char(b.size())) + b.toLatin1();

    CPicDropper dropper(*photos);
    EXPECT_EQ(load(stored, [&](CArchive& ar) { dropper.serialize(ar); }, kLastPathsOnlyVersion), 0);
    ASSERT_EQ(dropper.count(), 2);
    EXPECT_EQ(dropper.entries()[0].path, a);
    EXPECT_EQ(dropper.entries()[1].path, b);
    EXPECT_EQ(dropper.currentIndex(), 0);
    EXPECT_TRUE(dropper.entries()[1].attributes.sameAs(CPicInfoAttr()));

    // The same bytes read as a current record are misread, not accepted.
    CPicDropper current(*photos);
    EXPECT_THROW(load(stored, [&](CArchive& ar) { current.serialize(ar); }), CArchiveError);
}

TEST_F(DropperRecords, LoadingEmptiesTheDropperFirstInsideOnePopulateBatch)
{
    const QString before = photo("before.png");
    const QString a = photo("a.png");
    const QString b = photo("b.png");
    CPicDropper source(*photos);
    source.AddToDropper(a);
    source.AddToDropper(b);
    const QByteArray bytes = store([&](CArchive& ar) { source.serialize(ar); });

    CPicDropper dropper(*photos, &bus);
    dropper.AddToDropper(before);
    listener.events.clear();
    load(bytes, [&](CArchive& ar) { dropper.serialize(ar); });

    ASSERT_EQ(dropper.count(), 2);
    EXPECT_EQ(dropper.indexOf(before), -1);
    EXPECT_EQ(uses(before), 0);
    EXPECT_EQ(listener.events, QStringList({"BeginPopulate", "NewPhoto", "NewPhoto", "EndPopulate"}));
    EXPECT_EQ(dropper.populateDepth(), 0);
}

TEST_F(DropperRecords, EntriesRefusedOrRepeatedAreDroppedAndTheIndexIsClampedToWhatRemains)
{
    const QString a = photo("a.png");
    const QString b = photo("b.png");
    const CPicInfoAttr neutral;
    const auto record = [&](qint32 index, const QStringList& paths) {
        QByteArray bytes = u32(quint32(index)) + QByteArray(1, char(paths.size())) + QByteArray(1, '\0');
        for (const QString& path : paths) {
            bytes += wide(path);
            bytes += store([&](CArchive& ar) { const_cast<CPicInfoAttr&>(neutral).serialize(ar); });
        }
        return bytes;
    };

    CPicDropper dropper(*photos);
    load(record(3, {a, home.path() + "/pics/notes.txt", b, a, home.path() + "/pics/./a.png"}),
         [&](CArchive& ar) { dropper.serialize(ar); });
    ASSERT_EQ(dropper.count(), 2);
    EXPECT_EQ(dropper.entries()[1].path, b);
    EXPECT_EQ(dropper.currentIndex(), 1);
    EXPECT_EQ(uses(a), 1);

    load(record(-4, {a, b}), [&](CArchive& ar) { dropper.serialize(ar); });
    EXPECT_EQ(dropper.currentIndex(), 0);
    load(record(5, {}), [&](CArchive& ar) { dropper.serialize(ar); });
    EXPECT_EQ(dropper.count(), 0);
    EXPECT_EQ(dropper.currentIndex(), 0);
    EXPECT_EQ(uses(a), 0);
}

TEST_F(DropperRecords, APhotoWhoseFileIsGoneStaysInTheDropper)
{
    const QString gone = home.path() + "/pics/gone.png";
    CPicDropper source(*photos);
    ASSERT_TRUE(source.AddToDropper(gone));
    const QByteArray bytes = store([&](CArchive& ar) { source.serialize(ar); });

    CPicDropper dropper(*photos);
    load(bytes, [&](CArchive& ar) { dropper.serialize(ar); });
    ASSERT_EQ(dropper.count(), 1);
    EXPECT_TRUE(dropper.entries()[0].photo->isMissing());
}

TEST_F(DropperRecords, AddingTheSamePhotoTwiceKeepsOneEntry)
{
    const QString a = photo("a.png");
    CPicDropper dropper(*photos);
    EXPECT_TRUE(dropper.AddToDropper(a));
    EXPECT_FALSE(dropper.AddToDropper(a));
    EXPECT_FALSE(dropper.AddToDropper(home.path() + "/pics//a.png"));
    EXPECT_FALSE(dropper.AddToDropper(home.path() + "/pics/readme.txt"));
    EXPECT_FALSE(dropper.AddToDropper(QString()));
    EXPECT_EQ(dropper.count(), 1);
    EXPECT_EQ(uses(a), 1);
}

TEST_F(DropperRecords, EveryTruncationIsAnArchiveErrorAndLeavesTheDropperAsItWas)
{
    const QString a = photo("a.png");
    const QString b = photo("b.png");
    CPicDropper source(*photos);
    source.AddToDropper(a, nullptr);
    const CPicInfoAttr attr = attributes(0.5f, 0, 1, 1, {0, 0, 2, 2}, "desc", "");
    source.AddToDropper(b, &attr);
    const QByteArray current = store([&](CArchive& ar) { source.serialize(ar); });
    const QByteArray old = QByteArray("\x02\x00", 2) + wide(a) + wide(b);

    CPicDropper dropper(*photos);
    dropper.AddToDropper(a);
    for (const auto& [bytes, version] : {std::pair{current, kCurrentVersion}, std::pair{old, kLastPathsOnlyVersion}}) {
        for (qsizetype length = 0; length < bytes.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_THROW(load(bytes.left(length), [&](CArchive& ar) { dropper.serialize(ar); }, version), CArchiveError);
            ASSERT_EQ(dropper.count(), 1);
            EXPECT_EQ(dropper.entries()[0].path, a);
        }
    }
    EXPECT_EQ(uses(a), 2);
}

TEST_F(DropperRecords, CountsBeyondTheDataAreArchiveErrors)
{
    CPicDropper dropper(*photos);
    const QByteArray huge("\xFF\xFF\xFF\xFF\xFF\x7F", 6);
    EXPECT_THROW(load(u32(0) + huge, [&](CArchive& ar) { dropper.serialize(ar); }), CArchiveError);
    EXPECT_THROW(load(huge, [&](CArchive& ar) { dropper.serialize(ar); }, kLastPathsOnlyVersion), CArchiveError);
    EXPECT_THROW(load(u32(0) + QByteArray("\x02\x00", 2) + wide("x.png") + QByteArray(40, '\0'),
                      [&](CArchive& ar) { dropper.serialize(ar); }),
                 CArchiveError);
    EXPECT_EQ(dropper.count(), 0);
}

} // namespace
