#include "archive.h"
#include "archivebytes.h"
#include "crc32.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// A small serialisable class with one field, enough to drive the class-tag scheme.
class CTestItem : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CTestItem)
public:
    quint32 value = 0;
    void serialize(CArchive& ar) override
    {
        if (ar.isStoring())
            ar.writeU32(value);
        else
            value = ar.readU32();
    }
};
OMBRAVELLE_IMPLEMENT_SERIAL(CTestItem, 7)

// Holds a child object, to show nested records share the index counter.
class CTestHolder : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CTestHolder)
public:
    std::unique_ptr<CTestItem> child;
    void serialize(CArchive& ar) override
    {
        if (ar.isStoring())
            ar.writeObject(child.get());
        else
            child = ar.readObject<CTestItem>();
    }
};
OMBRAVELLE_IMPLEMENT_SERIAL(CTestHolder, 1)

// Records nothing, so thousands of them make big indices cheaply.
class CEmptyItem : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CEmptyItem)
public:
    void serialize(CArchive&) override {}
};
OMBRAVELLE_IMPLEMENT_SERIAL(CEmptyItem, 1)

// A chain of nodes, to build files that nest objects arbitrarily deep.
class CTestNode : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CTestNode)
public:
    std::unique_ptr<CTestNode> next;
    void serialize(CArchive& ar) override
    {
        if (ar.isStoring())
            ar.writeObject(next.get());
        else
            next = ar.readObject<CTestNode>();
    }
};
OMBRAVELLE_IMPLEMENT_SERIAL(CTestNode, 1)

class CUnregistered : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CUnregistered)
public:
    void serialize(CArchive&) override {}
};
OMBRAVELLE_IMPLEMENT_SERIAL(CUnregistered, 1)

using ArchiveBytes::load;
using ArchiveBytes::store;

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

class ArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CClassRegistry::add(CTestItem::classInfo);
        CClassRegistry::add(CTestHolder::classInfo);
        CClassRegistry::add(CEmptyItem::classInfo);
        CClassRegistry::add(CTestNode::classInfo);
    }
};

// ---------------------------------------------------------------------------

TEST_F(ArchiveTest, NumbersAreLittleEndianWithoutPadding)
{
    const QByteArray bytes = store([](CArchive& ar) {
        ar.writeByte(0xAB);
        ar.writeBool(true);
        ar.writeU16(0x1234);
        ar.writeI16(-2);
        ar.writeU32(0x89ABCDEF);
        ar.writeI32(-1);
        ar.writeF32(1.0f);
        ar.writeF64(-2.0);
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("ab01" "3412" "feff" "efcdab89" "ffffffff" "0000803f" "00000000000000c0"));
    load(bytes, [](CArchive& ar) {
        EXPECT_EQ(ar.readByte(), 0xAB);
        EXPECT_TRUE(ar.readBool());
        EXPECT_EQ(ar.readU16(), 0x1234);
        EXPECT_EQ(ar.readI16(), -2);
        EXPECT_EQ(ar.readU32(), 0x89ABCDEFu);
        EXPECT_EQ(ar.readI32(), -1);
        EXPECT_EQ(ar.readF32(), 1.0f);
        EXPECT_EQ(ar.readF64(), -2.0);
        EXPECT_EQ(ar.remaining(), 0);
    });
    // Any non-zero byte reads as true.
    load(hex("0002ff"), [](CArchive& ar) {
        EXPECT_FALSE(ar.readBool());
        EXPECT_TRUE(ar.readBool());
        EXPECT_TRUE(ar.readBool());
    });
}

TEST_F(ArchiveTest, DateIsStatusThenDayCount)
{
    const COleDate date{COleDate::Valid, 2.5};
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeDate(date); });
    EXPECT_EQ(bytes.toHex(), QByteArray("00000000" "0000000000000440"));
    load(bytes, [&](CArchive& ar) { EXPECT_EQ(ar.readDate(), date); });
}

TEST_F(ArchiveTest, BlobAndNoneBlob)
{
    const QByteArray bytes = store([](CArchive& ar) {
        ar.writeBlob("xyz");
        ar.writeBlob({});
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("03000000" "78797a" "00000000"));
    load(bytes, [](CArchive& ar) {
        EXPECT_EQ(ar.readBlob(), QByteArray("xyz"));
        EXPECT_TRUE(ar.readBlob().isEmpty());
    });
}

TEST_F(ArchiveTest, CountEscapesAtFFFF)
{
    const QByteArray bytes = store([](CArchive& ar) {
        ar.writeCount(0xFFFE);
        ar.writeCount(0xFFFF);
        ar.writeCount(0x12345);
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("feff" "ffffffff0000" "ffff45230100"));
    load(bytes, [](CArchive& ar) {
        EXPECT_EQ(ar.readCount(), 0xFFFEu);
        EXPECT_EQ(ar.readCount(), 0xFFFFu);
        EXPECT_EQ(ar.readCount(), 0x12345u);
    });
}

// ---------------------------------------------------------------------------
// Strings

TEST_F(ArchiveTest, StringsAreWideWithALengthThatEscalatesFromOneByte)
{
    EXPECT_EQ(store([](CArchive& ar) { ar.writeString(QString()); }).toHex(), QByteArray("fffeff00"));

    const QString s300(300, QChar(u'\u00e9'));
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeString(s300); });
    ASSERT_EQ(bytes.size(), 6 + 600);
    EXPECT_EQ(bytes.left(6).toHex(), QByteArray("fffeffff2c01"));
    EXPECT_EQ(bytes.mid(6, 2).toHex(), QByteArray("e900"));

    const QString s254(254, 'a'), s255(255, 'a'), s65534(0xFFFE, 'b');
    EXPECT_EQ(store([&](CArchive& ar) { ar.writeString(s254); }).left(4).toHex(), QByteArray("fffefffe"));
    EXPECT_EQ(store([&](CArchive& ar) { ar.writeString(s255); }).left(6).toHex(), QByteArray("fffeffffff00"));
    const QByteArray big = store([&](CArchive& ar) { ar.writeString(s65534); });
    EXPECT_EQ(big.left(10).toHex(), QByteArray("fffeffffffff" "feff0000"));

    load(bytes + big, [&](CArchive& ar) {
        EXPECT_EQ(ar.readString(), s300);
        EXPECT_EQ(ar.readString(), s65534);
    });
}

TEST_F(ArchiveTest, StringsKeepTextOutsideTheBasicPlane)
{
    const QString text = QString::fromUtf8("Fête 😀 日本");
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeString(text); });
    load(bytes, [&](CArchive& ar) { EXPECT_EQ(ar.readString(), text); });
}

TEST_F(ArchiveTest, NarrowStringsDecodeAsWindows1252)
{
    // 0x80 euro, 0x93/0x94 curly quotes, 0x81 undefined, 0xE9 e-acute.
    load(hex("05" "80939481e9"), [](CArchive& ar) {
        EXPECT_EQ(ar.readString(), QString::fromUtf8("€“”\u0081é"));
    });
    // A narrow string with a 16-bit length: 0xFF then a u16 that is not the wide marker.
    QByteArray narrow300 = hex("ff2c01") + QByteArray(300, 'q');
    load(narrow300, [](CArchive& ar) { EXPECT_EQ(ar.readString(), QString(300, 'q')); });
}

// ---------------------------------------------------------------------------
// Objects

TEST_F(ArchiveTest, ClassTagsNumberClassesAndObjectsWithOneCounter)
{
    CTestItem a, b;
    a.value = 10;
    b.value = 20;
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeObject(&a); // class 1, object 2
        ar.writeObject(&b); // object 3 of class 1
        ar.writeObject(&a); // back-reference to object 2
        ar.writeObject(nullptr);
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("ffff" "0700" "0900") + QByteArray("CTestItem").toHex()
                                 + "0a000000" + "0180" + "14000000" + "0200" + "0000");

    load(bytes, [](CArchive& ar) {
        auto first = ar.readObject<CTestItem>();
        auto second = ar.readObject<CTestItem>();
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->value, 10u);
        EXPECT_EQ(second->value, 20u);
        bool isNew = true;
        EXPECT_EQ(ar.readObjectRecord(&isNew), first.get());
        EXPECT_FALSE(isNew);
        EXPECT_EQ(ar.readObject<CTestItem>(), nullptr);
        EXPECT_EQ(ar.lastSchema(), 7);
    });
}

// A reader that drops what it read (a name the file repeats) must not have
// the object looked at again when a later record names it.
TEST_F(ArchiveTest, AnOwnedObjectNamedAgainAfterItsOwnerDroppedItIsAFormatError)
{
    CTestItem a;
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeObject(&a);
        ar.writeObject(&a); // a back-reference
    });
    load(bytes, [](CArchive& ar) {
        ar.readObject<CTestItem>().reset();
        EXPECT_THROW(ar.readObject<CTestItem>(), CArchiveError);
    });
}

TEST_F(ArchiveTest, NestedObjectsTakeTheNextIndices)
{
    CTestHolder holder;
    holder.child = std::make_unique<CTestItem>();
    holder.child->value = 5;
    CTestItem other;
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeObject(&holder);      // class 1, object 2, child class 3, child 4
        ar.writeObject(&other);       // class 3 again: 0x8003, object 5
        ar.writeObject(holder.child.get()); // back-reference 4
    });
    EXPECT_TRUE(bytes.toHex().contains("03800000000004"));
    load(bytes, [](CArchive& ar) {
        auto h = ar.readObject<CTestHolder>();
        ASSERT_TRUE(h && h->child);
        EXPECT_EQ(h->child->value, 5u);
        EXPECT_TRUE(ar.readObject<CTestItem>());
        bool isNew = true;
        EXPECT_EQ(ar.readObjectRecord(&isNew), h->child.get());
    });
}

TEST_F(ArchiveTest, IndicesFrom7FFFUseTheEscapeWithBit31ForClasses)
{
    // 0x7FFE empty objects of one class take indices 1 (class) to 0x7FFF (last object).
    std::vector<std::unique_ptr<CEmptyItem>> many(0x7FFE);
    for (auto& item : many)
        item = std::make_unique<CEmptyItem>();
    CTestItem late1, late2;
    const QByteArray bytes = store([&](CArchive& ar) {
        for (const auto& item : many)
            ar.writeObject(item.get());
        ar.writeObject(many.back().get()); // object index 0x7FFF
        ar.writeObject(&late1);            // new class 0x8000, object 0x8001
        ar.writeObject(&late2);            // class 0x8000 by escape
        ar.writeObject(&late1);            // object 0x8001 by escape
    });
    const QByteArray tail = bytes.right(4 + 6 + 4 + 6);
    EXPECT_EQ(tail.toHex(), QByteArray("00000000" "ff7f" "00800080" "00000000" "ff7f" "01800000"));
    // The new class record of late1 is 19 bytes; the back-reference before it escapes too.
    EXPECT_EQ(bytes.mid(bytes.size() - 16 - 19 - 6, 6).toHex(), QByteArray("ff7fff7f0000"));

    load(bytes, [&](CArchive& ar) {
        std::vector<std::unique_ptr<CEmptyItem>> read;
        for (size_t i = 0; i < many.size(); ++i)
            read.push_back(ar.readObject<CEmptyItem>());
        bool isNew = true;
        EXPECT_EQ(ar.readObjectRecord(&isNew), read.back().get());
        auto l1 = ar.readObject<CTestItem>();
        auto l2 = ar.readObject<CTestItem>();
        ASSERT_TRUE(l1 && l2);
        EXPECT_EQ(ar.readObjectRecord(&isNew), l1.get());
        EXPECT_EQ(ar.remaining(), 0);
    });
}

TEST_F(ArchiveTest, ObjectListsRoundTripInOrder)
{
    std::vector<std::unique_ptr<CTestItem>> list;
    for (quint32 i = 0; i < 5; ++i) {
        list.push_back(std::make_unique<CTestItem>());
        list.back()->value = i * 3;
    }
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeObjectList(list); });
    load(bytes, [](CArchive& ar) {
        auto read = ar.readObjectList<CTestItem>();
        ASSERT_EQ(read.size(), 5u);
        for (quint32 i = 0; i < 5; ++i)
            EXPECT_EQ(read[i]->value, i * 3);
    });
}

// ---------------------------------------------------------------------------
// Sections

TEST_F(ArchiveTest, SectionLengthIsPatchedAfterTheContent)
{
    const QByteArray bytes = store([](CArchive& ar) {
        ar.beginSection("Ab", 2);
        ar.writeU32(7);
        ar.writeU16(8);
        ar.endSection();
        ar.writeEndMarker();
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("fffeff02" "41006200" "02000000" "06000000" "07000000" "0800"
                                        "fffeff04" "44006f006e006500"));
}

TEST_F(ArchiveTest, LengthsSurviveContentLongerThanTheBuffer)
{
    const QByteArray payload(10000, 'p');
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.beginSection("Big", 1);
        for (int i = 0; i < 3000; ++i)
            ar.writeU16(static_cast<quint16>(i));
        ar.writeBlob(payload);
        ar.endSection();
        ar.writeEndMarker();
    });
    load(bytes, [&](CArchive& ar) {
        auto header = ar.readSectionHeader();
        ASSERT_TRUE(header);
        EXPECT_EQ(header->length, 6000u + 4 + 10000);
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(ar.readU16(), i);
        EXPECT_EQ(ar.readBlob(), payload);
        ar.finishSection(*header);
        EXPECT_FALSE(ar.readSectionHeader());
    });
}

TEST_F(ArchiveTest, UnknownSectionsAreSkippedByTheirLength)
{
    const QByteArray bytes = store([](CArchive& ar) {
        ar.beginSection("First", 1);
        ar.writeString("one");
        ar.endSection();
        ar.beginSection("FromTheFuture", 9);
        ar.writeBlob(QByteArray(5000, 'z'));
        ar.endSection();
        ar.beginSection("Last", 1);
        ar.writeU32(42);
        ar.writeU32(43); // a newer minor field the reader does not know
        ar.endSection();
        ar.writeEndMarker();
    });
    load(bytes, [](CArchive& ar) {
        QStringList seen;
        while (auto header = ar.readSectionHeader()) {
            seen << header->name;
            if (header->name == "First") {
                EXPECT_EQ(ar.readString(), "one");
            } else if (header->name == "Last") {
                EXPECT_EQ(ar.readU32(), 42u);
            }
            ar.finishSection(*header);
        }
        EXPECT_EQ(seen, QStringList({"First", "FromTheFuture", "Last"}));
        EXPECT_EQ(ar.remaining(), 0);
    });
}

// ---------------------------------------------------------------------------
// Bad input

TEST_F(ArchiveTest, ShortReadsAreArchiveErrors)
{
    load(hex("0102"), [](CArchive& ar) { EXPECT_THROW(ar.readU32(), CArchiveError); });
    load(hex("fffeff05" "4100"), [](CArchive& ar) { EXPECT_THROW(ar.readString(), CArchiveError); });
    load(hex("ff"), [](CArchive& ar) { EXPECT_THROW(ar.readString(), CArchiveError); });
    load(hex("0a000000" "0102"), [](CArchive& ar) { EXPECT_THROW(ar.readBlob(), CArchiveError); });
}

TEST_F(ArchiveTest, HugeLengthsFailBeforeAllocating)
{
    load(hex("ffffffff" "00"), [](CArchive& ar) { EXPECT_THROW(ar.readBlob(), CArchiveError); });
    load(hex("fffeffffffffffffff7f" "00"), [](CArchive& ar) { EXPECT_THROW(ar.readString(), CArchiveError); });
    load(hex("ffffffffff7f"), [](CArchive& ar) { EXPECT_THROW(ar.readObjectList<CTestItem>(), CArchiveError); });
    // A section claiming more bytes than the file holds.
    load(hex("fffeff01" "4100" "01000000" "00000010"), [](CArchive& ar) {
        EXPECT_THROW(ar.readSectionHeader(), CArchiveError);
    });
}

TEST_F(ArchiveTest, UnknownClassesAndBadReferencesAreArchiveErrors)
{
    CUnregistered stranger;
    const QByteArray unknown = store([&](CArchive& ar) { ar.writeObject(&stranger); });
    load(unknown, [](CArchive& ar) { EXPECT_THROW(ar.readObject<CTestItem>(), CArchiveError); });

    load(hex("0500"), [](CArchive& ar) { EXPECT_THROW(ar.readObject<CTestItem>(), CArchiveError); });
    load(hex("0180"), [](CArchive& ar) { EXPECT_THROW(ar.readObject<CTestItem>(), CArchiveError); });

    // A class read where an object of another class is owned.
    CEmptyItem empty;
    const QByteArray wrongClass = store([&](CArchive& ar) { ar.writeObject(&empty); });
    load(wrongClass, [](CArchive& ar) { EXPECT_THROW(ar.readObject<CTestItem>(), CArchiveError); });

    // The same object twice in an owning list would give it two owners.
    CTestItem item;
    const QByteArray twice = store([&](CArchive& ar) {
        ar.writeCount(2);
        ar.writeObject(&item);
        ar.writeObject(&item);
    });
    load(twice, [](CArchive& ar) { EXPECT_THROW(ar.readObjectList<CTestItem>(), CArchiveError); });
}

TEST_F(ArchiveTest, DeeplyNestedObjectsAreRefusedWithoutExhaustingTheStack)
{
    // Hand-made: a new-class tag, then 100,000 further nodes each opening the next.
    QByteArray bytes = hex("ffff" "0100" "0900") + "CTestNode";
    for (int i = 0; i < 100000; ++i)
        bytes += hex("0180");
    bytes += hex("0000");
    load(bytes, [](CArchive& ar) { EXPECT_THROW(ar.readObject<CTestNode>(), CArchiveError); });

    // A short chain, as real records nest, still reads.
    auto head = std::make_unique<CTestNode>();
    head->next = std::make_unique<CTestNode>();
    head->next->next = std::make_unique<CTestNode>();
    const QByteArray chain = store([&](CArchive& ar) { ar.writeObject(head.get()); });
    load(chain, [](CArchive& ar) {
        auto read = ar.readObject<CTestNode>();
        ASSERT_TRUE(read && read->next && read->next->next);
        EXPECT_FALSE(read->next->next->next);
    });
}

TEST_F(ArchiveTest, EveryTruncationOfAValidStreamFailsCleanly)
{
    CTestHolder holder;
    holder.child = std::make_unique<CTestItem>();
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.beginSection("S", 1);
        ar.writeString("text");
        ar.writeObject(&holder);
        ar.writeDate({COleDate::Valid, 1.0});
        ar.writeBlob("abc");
        ar.endSection();
        ar.writeEndMarker();
    });
    auto readAll = [](CArchive& ar) {
        while (auto header = ar.readSectionHeader()) {
            ar.readString();
            ar.readObject<CTestHolder>();
            ar.readDate();
            ar.readBlob();
            ar.finishSection(*header);
        }
    };
    load(bytes, [&](CArchive& ar) { EXPECT_NO_THROW(readAll(ar)); });
    for (int cut = 0; cut < bytes.size(); ++cut)
        load(bytes.left(cut), [&](CArchive& ar) { EXPECT_THROW(readAll(ar), CArchiveError) << "cut at " << cut; });
}

TEST_F(ArchiveTest, RandomBytesNeverCrashTheReader)
{
    QRandomGenerator random(1234);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(random.bounded(1, 64), Qt::Uninitialized);
        for (auto& b : bytes)
            b = static_cast<char>(random.bounded(256));
        load(bytes, [](CArchive& ar) {
            try {
                while (auto header = ar.readSectionHeader()) {
                    ar.readObjectList<CTestHolder>();
                    ar.finishSection(*header);
                }
            } catch (const CArchiveError&) {
            }
        });
    }
}

// ---------------------------------------------------------------------------
// Checksum

TEST(Crc32, StartsFromZeroWithoutFinalInversion)
{
    EXPECT_EQ(Crc32::update(0, "123456789", 9), 0x2DFD2D88u);
    EXPECT_EQ(Crc32::update(0, "", 0), 0u);
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    EXPECT_EQ(Crc32::update(0, all.constData(), all.size()), 0x2493092Bu);
    // Feeding in pieces gives the same as feeding at once.
    EXPECT_EQ(Crc32::update(Crc32::update(0, all.constData(), 100), all.constData() + 100, 156), 0x2493092Bu);
}

TEST(Crc32, SlicedFormAgreesWithTheOneTableFormAtEveryLengthAndOffset)
{
    QRandomGenerator random(99);
    QByteArray data(1000, Qt::Uninitialized);
    for (auto& b : data)
        b = static_cast<char>(random.bounded(256));
    for (int offset = 0; offset < 9; ++offset)
        for (int length = 0; length < 100; ++length)
            ASSERT_EQ(Crc32::update(0x1234567u, data.constData() + offset, length),
                      Crc32::updateBytewise(0x1234567u, data.constData() + offset, length));
    EXPECT_EQ(Crc32::update(0, data.constData(), data.size()), Crc32::updateBytewise(0, data.constData(), data.size()));
}

TEST(Crc32, OfDeviceReadsInBlocksAndReportsShortFiles)
{
    QByteArray data(10000, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    quint32 crc = 1;
    ASSERT_TRUE(Crc32::ofDevice(buffer, 9996, &crc));
    EXPECT_EQ(crc, Crc32::update(0, data.constData(), 9996));
    EXPECT_FALSE(Crc32::ofDevice(buffer, 10001, &crc));
}

// ---------------------------------------------------------------------------
// Dates

TEST(OleDate, DayCountsMapToWallClockTimes)
{
    EXPECT_EQ(COleDate({COleDate::Valid, 2.5}).toDateTime(), QDateTime(QDate(1900, 1, 1), QTime(12, 0)));
    EXPECT_EQ(COleDate({COleDate::Valid, -1.25}).toDateTime(), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    const QDateTime when(QDate(2024, 2, 29), QTime(17, 45, 30));
    EXPECT_EQ(COleDate::fromDateTime(when).toDateTime(), when);
    EXPECT_DOUBLE_EQ(COleDate::fromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))).days, -1.25);
    EXPECT_FALSE(COleDate({COleDate::Null, 0}).toDateTime().isValid());
    EXPECT_FALSE(COleDate({COleDate::Valid, 1e300}).toDateTime().isValid());
}

} // namespace
