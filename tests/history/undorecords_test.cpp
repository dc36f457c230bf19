// The "Undo" section's records: CUndoItem and CUndo as they are written to
// and read from a project file, across document versions.

#include "archivebytes.h"
#include "undo.h"
#include "undoitem.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveBytes;

constexpr int kLastVersionWithoutCompoundByte = 17;

std::unique_ptr<CUndoItem> leaf(const QString& kind, const QString& name, quint32 frameId, float a, float b)
{
    auto item = std::make_unique<CUndoItem>(kind, name);
    CArchive* snapshot = item->snapshotWriter();
    snapshot->writeU32(frameId);
    snapshot->writeF32(a);
    snapshot->writeF32(b);
    item->closeSnapshot();
    return item;
}

std::unique_ptr<CUndoItem> group(const QString& name, std::vector<std::unique_ptr<CUndoItem>> items)
{
    auto item = std::make_unique<CUndoItem>();
    item->setDisplayName(name);
    for (auto& sub : items)
        item->addSubItem(std::move(sub));
    return item;
}

template <class... Items>
std::vector<std::unique_ptr<CUndoItem>> items(Items... list)
{
    std::vector<std::unique_ptr<CUndoItem>> v;
    (v.push_back(std::move(list)), ...);
    return v;
}

// The three shapes a history holds: a drag (wrapper around a group of
// moves), a named multi-frame command, and a single change.
struct SampleHistory
{
    std::vector<std::unique_ptr<CUndoItem>> undo;
    std::vector<std::unique_ptr<CUndoItem>> redo;

    SampleHistory()
    {
        undo.push_back(CUndoItem::wrap(group("Move Image Frame",
            items(leaf("FramePos", "Move Image Frame", 3, 1.5f, 2.25f),
                  leaf("FramePos", "Move Image Frame", 10004, -0.5f, 7.0f)))));
        undo.push_back(group("ZiraRadaru",
            items(leaf("ImageRotate", "Rotate Image", 3, 12.5f, 0.0f),
                  group("", items(leaf("FrameSize", "Resize Image Frame", 4, 3.0f, 4.0f))),
                  leaf("ImagePos", "Reposition Image", 4, -1.0f, -2.0f))));
        undo.push_back(leaf("CanvasSize", QString::fromUtf16(u"Change Canvas Size \u00e9\u6f22"), 0, 11.0f, 8.5f));
        redo.push_back(leaf("ImageAlpha", "Image Alpha", 7, 0.25f, 0.0f));
        redo.push_back(group("Drop Image", items(leaf("CreateFrame", "Create image frame", 8, 0.0f, 0.0f))));
    }

    // The section content, written list by list without CUndo's help.
    QByteArray bytes() const
    {
        return store([this](CArchive& ar) {
            for (const auto* list : {&undo, &redo}) {
                ar.writeCount(quint32(list->size()));
                for (const auto& item : *list)
                    ar.writeObject(item.get());
            }
        });
    }
};

class UndoRecords : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { registerHistoryClasses(); }
};

// ---------------------------------------------------------------------------

TEST_F(UndoRecords, OneLeafIsWrittenAsTagKindNameFlagsSnapshotAndNoSubItems)
{
    const auto item = leaf("FramePos", "Move", 7, 1.5f, -2.0f);
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeObject(item.get()); });

    QByteArray expected("\xFF\xFF\x01\x00\x09\x00" "CUndoItem", 15);
    expected += wide("FramePos") + wide("Move");
    expected += QByteArray("\x00\x00", 2);                        // wrapper, compound
    expected += u32(12) + u32(7) + f32(1.5f) + f32(-2.0f);       // snapshot
    expected += QByteArray("\x00\x00", 2);                        // no sub-items
    EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
}

TEST_F(UndoRecords, CompoundByteIsSetForEveryItemWithSubItemsAndOnlyPlainLeavesCarryASnapshot)
{
    struct Case
    {
        const char* what;
        std::unique_ptr<CUndoItem> item;
        bool wrapper, compound, snapshot;
    };
    Case cases[] = {
        {"leaf", leaf("FramePos", "Move Image Frame", 1, 0, 0), false, false, true},
        {"group", group("ZadeDudaziz", items(leaf("FramePos", "Move Image Frame", 1, 0, 0))), false, true, false},
        {"wrapper", CUndoItem::wrap(group("", items(leaf("FramePos", "Move Image Frame", 1, 0, 0)))), true, true, false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.item->isCompound(), c.compound);
        const QByteArray bytes = store([&](CArchive& ar) { c.item->serialize(ar); });
        load(bytes, [&](CArchive& ar) {
            ar.readString();
            ar.readString();
            EXPECT_EQ(ar.readByte(), c.wrapper ? 1 : 0);
            EXPECT_EQ(ar.readByte(), c.compound ? 1 : 0);
            if (c.snapshot) {
                EXPECT_EQ(ar.readBlob().size(), 12);
            }
            EXPECT_EQ(ar.readCount(), c.compound ? 1u : 0u);
        });
    }
}

TEST_F(UndoRecords, AWrapperTakesTheKindAndNameOfTheStepItWraps)
{
    auto wrapper = CUndoItem::wrap(leaf("ImagePos", "Reposition Image", 1, 0, 0));
    EXPECT_TRUE(wrapper->isWrapper());
    EXPECT_EQ(wrapper->kind(), "ImagePos");
    EXPECT_EQ(wrapper->displayName(), "Reposition Image");
    ASSERT_EQ(wrapper->subItems().size(), 1u);
    EXPECT_EQ(wrapper->subItems()[0]->kind(), "ImagePos");
}

TEST_F(UndoRecords, HistoryRoundTripsByteForByteWithNestedGroupsInStoredOrder)
{
    const SampleHistory sample;
    const QByteArray written = sample.bytes();

    CUndo history;
    EXPECT_EQ(load(written, [&](CArchive& ar) { history.serialize(ar); }), 0);
    EXPECT_EQ(store([&](CArchive& ar) { history.serialize(ar); }).toHex(' '), written.toHex(' '));

    ASSERT_EQ(history.undoList().size(), 3u);
    ASSERT_EQ(history.redoList().size(), 2u);
    EXPECT_EQ(history.UndoName(), "Move Image Frame");
    EXPECT_EQ(history.RedoName(), "Image Alpha");

    const CUndoItem& drag = *history.undoList()[0];
    EXPECT_TRUE(drag.isWrapper());
    EXPECT_TRUE(drag.isCompound());
    ASSERT_EQ(drag.subItems().size(), 1u);
    const CUndoItem& moves = *drag.subItems()[0];
    EXPECT_FALSE(moves.isWrapper());
    ASSERT_EQ(moves.subItems().size(), 2u);
    EXPECT_EQ(moves.subItems()[1]->kind(), "FramePos");
    EXPECT_EQ(moves.subItems()[1]->snapshot(), sample.undo[0]->subItems()[0]->subItems()[1]->snapshot());

    const CUndoItem& scatter = *history.undoList()[1];
    EXPECT_EQ(scatter.displayName(), "ZiraRadaru");
    ASSERT_EQ(scatter.subItems().size(), 3u);
    EXPECT_TRUE(scatter.subItems()[1]->isCompound());
    EXPECT_EQ(scatter.subItems()[1]->subItems()[0]->kind(), "FrameSize");
    EXPECT_EQ(history.undoList()[2]->displayName(), sample.undo[2]->displayName());
    EXPECT_EQ(history.redoList()[1]->displayName(), "Drop Image");
}

TEST_F(UndoRecords, SnapshotReadsBackWhatWasRecordedWithTheVersionOfItsFile)
{
    const auto item = leaf("FrameSize", "Resize Image Frame", 42, 6.5f, 1.25f);
    const QByteArray bytes = store([&](CArchive& ar) { ar.writeObject(item.get()); });

    std::unique_ptr<CUndoItem> read;
    load(bytes, [&](CArchive& ar) { read = ar.readObject<CUndoItem>(); }, kLastVersionWithoutCompoundByte + 1);
    CArchive& snapshot = read->openSnapshotReader();
    EXPECT_EQ(snapshot.documentVersion(), kLastVersionWithoutCompoundByte + 1);
    EXPECT_EQ(snapshot.readU32(), 42u);
    EXPECT_EQ(snapshot.readF32(), 6.5f);
    EXPECT_EQ(snapshot.readF32(), 1.25f);
    EXPECT_THROW(snapshot.readByte(), CArchiveError);
    read->closeSnapshot();

    // A second replay starts from the beginning again.
    EXPECT_EQ(read->openSnapshotReader().readU32(), 42u);
}

TEST_F(UndoRecords, ALeafWrittenWhileItsSnapshotIsStillOpenKeepsEveryRecordedByte)
{
    CUndoItem item("NewDesc", "Update Image Description");
    item.snapshotWriter()->writeU32(9);
    item.snapshotWriter()->writeString("old text");
    const QByteArray bytes = store([&](CArchive& ar) { item.serialize(ar); });

    CUndoItem read;
    load(bytes, [&](CArchive& ar) { read.serialize(ar); });
    CArchive& snapshot = read.openSnapshotReader();
    EXPECT_EQ(snapshot.readU32(), 9u);
    EXPECT_EQ(snapshot.readString(), "old text");
}

TEST_F(UndoRecords, AnEmptySnapshotLoadsAsAnEmptyFile)
{
    const QByteArray bytes = wide("LockFrame") + wide("") + QByteArray("\x00\x00", 2) + u32(0) + QByteArray("\x00\x00", 2);
    CUndoItem item;
    EXPECT_EQ(load(bytes, [&](CArchive& ar) { item.serialize(ar); }), 0);
    EXPECT_TRUE(item.snapshot().isEmpty());
    EXPECT_THROW(item.openSnapshotReader().readByte(), CArchiveError);
}

// Before version 18 the compound byte is absent: every item that is not a
// wrapper carries a snapshot length, and the flag follows from the sub-items.
TEST_F(UndoRecords, BeforeVersion18CompoundIsInferredFromTheSubItems)
{
    const QByteArray leafRecord = wide("FramePos") + wide("Move Image Frame") + QByteArray("\x00", 1)
        + u32(4) + u32(77) + QByteArray("\x00\x00", 2);
    const QByteArray classTag("\xFF\xFF\x01\x00\x09\x00" "CUndoItem", 15);
    const QByteArray leafAgain("\x01\x80", 2); // class index 1

    // A group (no wrapper byte set) still stores an empty snapshot.
    const QByteArray groupRecord = wide("") + wide("Move Image Frame") + QByteArray("\x00", 1) + u32(0)
        + QByteArray("\x02\x00", 2) + classTag + leafRecord + leafAgain + leafRecord;

    CUndoItem plainLeaf;
    EXPECT_EQ(load(leafRecord, [&](CArchive& ar) { plainLeaf.serialize(ar); }, kLastVersionWithoutCompoundByte), 0);
    EXPECT_FALSE(plainLeaf.isCompound());
    EXPECT_EQ(plainLeaf.snapshot(), u32(77));
    EXPECT_EQ(plainLeaf.snapshotVersion(), kLastVersionWithoutCompoundByte);

    CUndoItem grouped;
    EXPECT_EQ(load(groupRecord, [&](CArchive& ar) { grouped.serialize(ar); }, kLastVersionWithoutCompoundByte), 0);
    EXPECT_TRUE(grouped.isCompound());
    EXPECT_FALSE(grouped.isWrapper());
    ASSERT_EQ(grouped.subItems().size(), 2u);
    EXPECT_EQ(grouped.subItems()[1]->snapshot(), u32(77));

    // A wrapper stores no snapshot at all. Its group introduces the class,
    // since the wrapper itself is read without a tag.
    CUndoItem wrapper;
    const QByteArray wrapperWithTaggedGroup = wide("") + wide("Move Image Frame") + QByteArray("\x01", 1)
        + QByteArray("\x01\x00", 2) + classTag + wide("") + wide("Move Image Frame") + QByteArray("\x00", 1) + u32(0)
        + QByteArray("\x01\x00", 2) + leafAgain + leafRecord;
    EXPECT_EQ(load(wrapperWithTaggedGroup, [&](CArchive& ar) { wrapper.serialize(ar); }, kLastVersionWithoutCompoundByte), 0);
    EXPECT_TRUE(wrapper.isWrapper());
    EXPECT_TRUE(wrapper.isCompound());
    ASSERT_EQ(wrapper.subItems().size(), 1u);
    EXPECT_TRUE(wrapper.subItems()[0]->isCompound());

    // Saved again, the old history takes the current layout.
    const QByteArray resaved = store([&](CArchive& ar) { grouped.serialize(ar); });
    CUndoItem reread;
    EXPECT_EQ(load(resaved, [&](CArchive& ar) { reread.serialize(ar); }), 0);
    EXPECT_TRUE(reread.isCompound());
    EXPECT_EQ(reread.subItems().size(), 2u);
}

TEST_F(UndoRecords, FromVersion18AStoredCompoundByteIsHonouredEvenWithoutSubItems)
{
    const QByteArray record = wide("") + wide("Empty") + QByteArray("\x00\x01", 2) + QByteArray("\x00\x00", 2);
    CUndoItem item;
    EXPECT_EQ(load(record, [&](CArchive& ar) { item.serialize(ar); }, 18), 0);
    EXPECT_TRUE(item.isCompound());
    EXPECT_EQ(store([&](CArchive& ar) { item.serialize(ar); }), record);
}

TEST_F(UndoRecords, ClearEmptiesBothLists)
{
    CUndo history;
    load(SampleHistory().bytes(), [&](CArchive& ar) { history.serialize(ar); });
    ASSERT_TRUE(history.CanUndo());
    ASSERT_TRUE(history.CanRedo());

    history.Clear();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoName(), QString());
    EXPECT_EQ(history.RedoName(), QString());
    EXPECT_TRUE(history.isRecording());
    EXPECT_EQ(store([&](CArchive& ar) { history.serialize(ar); }), QByteArray("\x00\x00\x00\x00", 4));
}

TEST_F(UndoRecords, LoadingReplacesTheListsRatherThanAddingToThem)
{
    CUndo history;
    const QByteArray bytes = SampleHistory().bytes();
    load(bytes, [&](CArchive& ar) { history.serialize(ar); });
    load(bytes, [&](CArchive& ar) { history.serialize(ar); });
    EXPECT_EQ(history.undoList().size(), 3u);
    EXPECT_EQ(history.redoList().size(), 2u);
}

// ---------------------------------------------------------------------------
// Damaged input

TEST_F(UndoRecords, EveryTruncationIsAnArchiveErrorAndLeavesTheHistoryAsItWas)
{
    const QByteArray bytes = SampleHistory().bytes();
    CUndo history;
    load(bytes, [&](CArchive& ar) { history.serialize(ar); });

    for (qsizetype length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_THROW(load(bytes.left(length), [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
        EXPECT_EQ(history.undoList().size(), 3u);
        EXPECT_EQ(history.redoList().size(), 2u);
    }
}

TEST_F(UndoRecords, CountsBeyondTheDataAreArchiveErrors)
{
    const QByteArray hugeCount("\xFF\xFF\xF0\xFF\xFF\xFF", 6);
    const QByteArray noSteps("\x00\x00", 2);
    CUndo history;
    EXPECT_THROW(load(hugeCount + noSteps, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
    EXPECT_THROW(load(noSteps + hugeCount, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
    EXPECT_THROW(load(QByteArray("\x05\x00", 2) + noSteps, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);

    const QByteArray head = wide("FramePos") + wide("Move") + QByteArray("\x00\x00", 2);
    CUndoItem item;
    EXPECT_THROW(load(head + u32(0x7FFFFFFF) + noSteps, [&](CArchive& ar) { item.serialize(ar); }), CArchiveError);
    EXPECT_THROW(load(head + u32(0) + hugeCount, [&](CArchive& ar) { item.serialize(ar); }), CArchiveError);
}

TEST_F(UndoRecords, StepsOfAnotherOrUnknownClassAreArchiveErrors)
{
    const QByteArray otherClass = QByteArray("\x01\x00\xFF\xFF\x01\x00\x06\x00" "CMacro", 14) + u32(0) + wide("m")
        + QByteArray("\x00\x00\x00\x00", 4);
    const QByteArray unknownClass = QByteArray("\x01\x00\xFF\xFF\x01\x00\x08\x00" "CNoSuch!", 16) + QByteArray(64, '\0');
    CUndo history;
    EXPECT_THROW(load(otherClass, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
    EXPECT_THROW(load(unknownClass, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
    EXPECT_FALSE(history.CanUndo());
}

TEST_F(UndoRecords, AStepReferencedTwiceIsAnArchiveError)
{
    const auto step = leaf("FramePos", "Move", 1, 0, 0);
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeCount(2);
        ar.writeObject(step.get());
        ar.writeObject(step.get()); // written as a back-reference
        ar.writeCount(0);
    });
    CUndo history;
    EXPECT_THROW(load(bytes, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
}

TEST_F(UndoRecords, GroupsNestedBeyondAnyRealHistoryAreRefusedWithoutExhaustingTheStack)
{
    constexpr int kDepth = 500;
    auto nested = leaf("FramePos", "Move", 1, 0, 0);
    for (int i = 0; i < kDepth; ++i)
        nested = group("", items(std::move(nested)));
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeCount(1);
        ar.writeObject(nested.get());
        ar.writeCount(0);
    });
    CUndo history;
    EXPECT_THROW(load(bytes, [&](CArchive& ar) { history.serialize(ar); }), CArchiveError);
}

} // namespace
