// The "Macro" section's records: the macro store, its macros and their
// 20-byte events as they are written to and read from a project file.

#include "archivebytes.h"
#include "macro.h"
#include "macroframe.h"
#include "macromanager.h"
#include "undo.h"

#include <gtest/gtest.h>

namespace {

using namespace ArchiveBytes;

// A key press and a mouse click, as the journal delivers them.
const CJournalEvent kKeyDown{0x0100, 0x001E0041, 0x0001, 1000, 0x00030F2A};
const CJournalEvent kMouseDown{0x0201, 640, 480, 2500, 0x00030F2A};
const CJournalEvent kMouseUp{0x0202, 641, 482, 0xFFFFFFF0, 0};

std::unique_ptr<CMacro> macro(const QString& name, quint32 startPosition, std::initializer_list<CJournalEvent> events)
{
    auto m = std::make_unique<CMacro>(name);
    m->setStartPosition(startPosition);
    for (const CJournalEvent& e : events)
        m->appendEvent(e);
    return m;
}

class MacroRecords : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { registerHistoryClasses(); }
};

TEST_F(MacroRecords, AnEventIsItsTwentyRawBytes)
{
    CMacroFrame frame(CJournalEvent{0x0201, 0x00640032, 0x00000001, 0x0001E240, 0x000A0B0C});
    const QByteArray bytes = store([&](CArchive& ar) { frame.serialize(ar); });
    EXPECT_EQ(bytes.toHex(' '), QByteArray("01 02 00 00 32 00 64 00 01 00 00 00 40 e2 01 00 0c 0b 0a 00"));

    CMacroFrame read;
    EXPECT_EQ(load(bytes, [&](CArchive& ar) { read.serialize(ar); }), 0);
    EXPECT_EQ(read.event(), frame.event());
}

TEST_F(MacroRecords, AStoreIsACountThenTaggedMacrosEachWithTaggedEvents)
{
    CMacroManager macros;
    macros.AddMacro(macro("M", 5, {kKeyDown, kMouseDown}));
    const QByteArray bytes = store([&](CArchive& ar) { macros.serialize(ar); });

    QByteArray expected("\x01\x00", 2);
    expected += QByteArray("\xFF\xFF\x01\x00\x06\x00" "CMacro", 12); // class 1, macro is object 2
    expected += u32(5);
    expected += QByteArray("\xFF\xFE\xFF\x01M\x00", 6);
    expected += QByteArray("\x02\x00", 2);
    expected += QByteArray("\xFF\xFF\x01\x00\x0B\x00" "CMacroFrame", 17); // class 3, event is object 4
    expected += kKeyDown.toBytes();
    expected += QByteArray("\x03\x80", 2); // class index 3 again
    expected += kMouseDown.toBytes();
    EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
}

TEST_F(MacroRecords, StoreRoundTripsByteForByteAndKeepsNamesPositionsAndEvents)
{
    CMacroManager macros;
    macros.AddMacro(macro("Macro to demonstrate splitting", 12, {kKeyDown, kMouseDown, kMouseUp}));
    macros.AddMacro(macro(QString::fromUtf16(u"Zw\u00f6lf \u00dcbungen"), 0xFFFFFFFF, {}));
    macros.AddMacro(macro("third", 0, {kMouseUp}));
    const QByteArray written = store([&](CArchive& ar) { macros.serialize(ar); });

    CMacroManager read;
    EXPECT_EQ(load(written, [&](CArchive& ar) { read.serialize(ar); }), 0);
    EXPECT_EQ(store([&](CArchive& ar) { read.serialize(ar); }).toHex(' '), written.toHex(' '));

    ASSERT_EQ(read.macroCount(), 3);
    const CMacro* first = read.macros()[0].get();
    EXPECT_EQ(first->name(), "Macro to demonstrate splitting");
    EXPECT_EQ(first->startPosition(), 12u);
    ASSERT_EQ(first->events().size(), 3u);
    EXPECT_EQ(first->events()[2]->event(), kMouseUp);
    EXPECT_EQ(read.macros()[1]->name(), macros.macros()[1]->name());
    EXPECT_EQ(read.macros()[1]->startPosition(), 0xFFFFFFFFu);
    EXPECT_TRUE(read.macros()[1]->events().empty());
    EXPECT_EQ(read.FindMacro("third"), read.macros()[2].get());
    EXPECT_FALSE(read.macros()[0]->isRecording());
    EXPECT_FALSE(read.macros()[0]->isPlaying());
}

TEST_F(MacroRecords, LoadingEmptiesTheStoreFirstAndLeavesNoCurrentMacro)
{
    CMacroManager source;
    source.AddMacro(macro("only", 1, {kKeyDown}));
    const QByteArray bytes = store([&](CArchive& ar) { source.serialize(ar); });

    CMacroManager macros;
    macros.setCurrentMacro(macros.AddMacro(macro("before", 0, {})));
    macros.AddMacro(macro("also before", 0, {}));
    load(bytes, [&](CArchive& ar) { macros.serialize(ar); });

    ASSERT_EQ(macros.macroCount(), 1);
    EXPECT_EQ(macros.macros()[0]->name(), "only");
    EXPECT_EQ(macros.currentMacro(), nullptr);
    EXPECT_EQ(macros.FindMacro("before"), nullptr);
}

TEST_F(MacroRecords, RemovingOrClearingTheCurrentMacroLeavesNone)
{
    CMacroManager macros;
    CMacro* a = macros.AddMacro(macro("a", 0, {}));
    CMacro* b = macros.AddMacro(macro("b", 0, {}));
    macros.setCurrentMacro(b);
    macros.RemoveMacro(a);
    EXPECT_EQ(macros.currentMacro(), b);
    macros.RemoveMacro(b);
    EXPECT_EQ(macros.currentMacro(), nullptr);
    EXPECT_EQ(macros.macroCount(), 0);

    macros.setCurrentMacro(macros.AddMacro(macro("c", 0, {})));
    macros.Clear();
    EXPECT_EQ(macros.macroCount(), 0);
    EXPECT_EQ(macros.currentMacro(), nullptr);

    CMacro stranger("not in the store");
    macros.setCurrentMacro(&stranger);
    EXPECT_EQ(macros.currentMacro(), nullptr);
}

TEST_F(MacroRecords, EveryTruncationIsAnArchiveErrorAndLeavesTheStoreEmpty)
{
    CMacroManager source;
    source.AddMacro(macro("first", 3, {kKeyDown, kMouseDown}));
    source.AddMacro(macro("second", 4, {kMouseUp}));
    const QByteArray bytes = store([&](CArchive& ar) { source.serialize(ar); });

    for (qsizetype length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        CMacroManager macros;
        macros.AddMacro(macro("stale", 0, {}));
        EXPECT_THROW(load(bytes.left(length), [&](CArchive& ar) { macros.serialize(ar); }), CArchiveError);
        EXPECT_EQ(macros.macroCount(), 0);
    }
}

TEST_F(MacroRecords, CountsBeyondTheDataAreArchiveErrors)
{
    CMacroManager macros;
    EXPECT_THROW(load(QByteArray("\xFF\xFF\x00\x00\x00\xF0", 6), [&](CArchive& ar) { macros.serialize(ar); }),
                 CArchiveError);
    EXPECT_THROW(load(QByteArray("\x03\x00", 2), [&](CArchive& ar) { macros.serialize(ar); }), CArchiveError);

    // A macro claiming 60,000 events with one event's bytes behind it.
    const QByteArray oneMacro = QByteArray("\xFF\xFF\x01\x00\x06\x00" "CMacro", 12) + u32(0)
        + QByteArray("\xFF\xFE\xFF\x00", 4) + QByteArray("\x60\xEA", 2)
        + QByteArray("\xFF\xFF\x01\x00\x0B\x00" "CMacroFrame", 17) + kKeyDown.toBytes();
    EXPECT_THROW(load(QByteArray("\x01\x00", 2) + oneMacro, [&](CArchive& ar) { macros.serialize(ar); }), CArchiveError);
}

TEST_F(MacroRecords, AStoreHoldingAnotherClassIsAnArchiveError)
{
    CUndoItem step("FramePos", "Move Image Frame");
    step.closeSnapshot();
    const QByteArray bytes = store([&](CArchive& ar) {
        ar.writeCount(1);
        ar.writeObject(&step);
    });
    CMacroManager macros;
    EXPECT_THROW(load(bytes, [&](CArchive& ar) { macros.serialize(ar); }), CArchiveError);
}

TEST_F(MacroRecords, AnEventRecordOfTheWrongSizeDecodesToNothing)
{
    EXPECT_EQ(CJournalEvent::fromBytes(QByteArray(19, '\x7F')), CJournalEvent{});
    EXPECT_EQ(CJournalEvent::fromBytes(kMouseDown.toBytes()), kMouseDown);
}

} // namespace
