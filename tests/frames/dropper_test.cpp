// The dropper as the user works it: adding and removing photos as undo
// steps (also across saving and reopening), the 200-photo limit, stepping
// through the entries, the tool with its floating frame, dropping onto the
// canvas and picking photos up from frames.

#include "undofixture.h"

#include "picdropper.h"

#include <QDir>

namespace {

class Dropper : public UndoFixture
{
protected:
    CPicDropper& dropper() { return services->dropper(); }

    // Photos named by letter, each a real image file.
    QStringList images(const QString& letters)
    {
        QStringList paths;
        for (const QChar letter : letters)
            paths << makeImage(QString(letter) + ".png", 8, 6);
        return paths;
    }

    QStringList paths()
    {
        QStringList list;
        for (const CDropperEntry& entry : dropper().entries())
            list << entry.path;
        return list;
    }

    static CPicInfoAttr toned(float alpha, float brightness, CCanvasRect image)
    {
        CPicInfoAttr attributes;
        attributes.setAlpha(alpha);
        attributes.setBrightness(brightness);
        attributes.setImageRect(image);
        attributes.setDescription("kept");
        return attributes;
    }
};

TEST_F(Dropper, AdditionsAndRemovalsAreUndoneAndRedoneWithPositionsAndAttributes)
{
    const QStringList abc = images("abc");
    const CPicInfoAttr attributes = toned(0.5f, 0.25f, {1, 1, 4, 3});
    ASSERT_TRUE(dropper().AddToDropper(abc[0]));
    ASSERT_TRUE(dropper().AddToDropper(abc[1], &attributes));
    ASSERT_TRUE(dropper().AddToDropper(abc[2]));
    EXPECT_EQ(history().UndoName(), "Add photo to Dropper");
    EXPECT_EQ(photo(abc[1])->useCount(), 1);

    ASSERT_TRUE(dropper().RemoveFromDropper(abc[1]));
    EXPECT_EQ(history().UndoName(), "Remove photo from Dropper");
    EXPECT_EQ(photo(abc[1])->useCount(), 0);

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(paths(), abc);
    EXPECT_TRUE(dropper().entries()[1].attributes.sameAs(attributes));
    EXPECT_EQ(photo(abc[1])->useCount(), 1);
    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(paths(), QStringList({abc[0], abc[2]}));

    ASSERT_TRUE(doc->undoCommand());
    ASSERT_TRUE(doc->undoCommand()); // the third addition
    EXPECT_EQ(paths(), QStringList({abc[0], abc[1]}));
    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(paths(), abc);
    EXPECT_EQ(history().undoList().size(), 3u);
}

TEST_F(Dropper, UndoAndRedoStillWorkAfterTheProjectIsSavedAndReopened)
{
    const QStringList abc = images("abc");
    const CPicInfoAttr attributes = toned(0.75f, -0.5f, {0, 0, 8, 6});
    dropper().AddToDropper(abc[0]);
    dropper().AddToDropper(abc[1], &attributes);
    dropper().AddToDropper(abc[2]);
    dropper().RemoveFromDropper(abc[1]);
    doc->undoCommand();
    doc->undoCommand();
    doc->redoCommand();
    ASSERT_EQ(paths(), abc);
    ASSERT_EQ(doc->saveDocument(path("p.Collage")), CCollageDoc::SaveResult::Saved);

    restart();
    ASSERT_EQ(doc->openDocument(path("p.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(paths(), abc);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(history().UndoName(), "Add photo to Dropper");
    EXPECT_EQ(history().RedoName(), "Remove photo from Dropper");

    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(paths(), QStringList({abc[0], abc[2]}));
    EXPECT_TRUE(shown.isEmpty());
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(paths(), abc);
    EXPECT_TRUE(dropper().entries()[1].attributes.sameAs(attributes));
    ASSERT_TRUE(doc->undoCommand());
    ASSERT_TRUE(doc->undoCommand());
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_TRUE(paths().isEmpty());
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(history().CanUndo());
}

TEST_F(Dropper, APayloadOfPathAndPositionOnlyPutsThePhotoBackWithNeutralAttributes)
{
    const QStringList ab = images("ab");
    dropper().AddToDropper(ab[0]);
    auto leaf = std::make_unique<CUndoItem>(CPicDropper::kRemovePhotoKey, CPicDropper::kRemovePhotoName);
    leaf->snapshotWriter()->writeString(ab[1]);
    leaf->snapshotWriter()->writeI32(0);
    history().Push(std::move(leaf));

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(paths(), QStringList({ab[1], ab[0]}));
    EXPECT_TRUE(dropper().entries()[0].attributes.sameAs(CPicInfoAttr()));
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(Dropper, EmptyingIsOneStepThatPutsEveryEntryBackInOrder)
{
    const QStringList abcd = images("abcd");
    ASSERT_TRUE(dropper().AddPhotos(abcd).isEmpty());
    dropper().setCurrentIndex(2);
    dropper().SetToolMode(true);
    const size_t steps = history().undoList().size();

    dropper().EmptyDropper();
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_FALSE(dropper().toolMode());
    EXPECT_EQ(dropper().currentIndex(), 0);
    EXPECT_EQ(history().undoList().size(), steps + 1);

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(paths(), abcd);
    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(dropper().count(), 0);
}

TEST_F(Dropper, TwoHundredOneSelectedPhotosAreRefusedWholeAndTwoHundredAreOneStep)
{
    QStringList many;
    const QString one = makeImage("one.png", 2, 2);
    for (int i = 0; i <= CPicDropper::kMaxPhotos; ++i) {
        const QString copy = path(QString("p%1.png").arg(i));
        ASSERT_TRUE(QFile::copy(one, copy));
        many << copy;
    }
    EXPECT_EQ(dropper().AddPhotos(many), "DropperTooManyFiles");
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_FALSE(history().CanUndo());

    many.removeLast();
    // A photo already in the dropper is skipped, not added twice.
    ASSERT_TRUE(dropper().AddToDropper(many[0]));
    many.removeFirst();
    EXPECT_TRUE(dropper().AddPhotos(many).isEmpty());
    EXPECT_EQ(dropper().count(), CPicDropper::kMaxPhotos);
    EXPECT_EQ(dropper().AddPhotos({one}), "DropperTooManyFiles");

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(dropper().count(), 1);
}

TEST_F(Dropper, AFolderAddsItsImagesByNameAndAFolderWithoutImagesIsSaid)
{
    QDir(home.path()).mkpath("trip");
    QDir(home.path()).mkpath("notes");
    const QString b = makeImage("trip/B.png", 4, 4);
    const QString a = makeImage("trip/a.png", 4, 4);
    QFile text(path("trip/readme.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a photo");
    text.close();

    EXPECT_EQ(dropper().AddFolder(path("notes")), "DropperNoValidPhoto");
    EXPECT_EQ(dropper().AddFolder(path("absent")), "DropperNoValidPhoto");
    EXPECT_TRUE(dropper().AddFolder(path("trip")).isEmpty());
    EXPECT_EQ(paths(), QStringList({a, b}));
}

struct StepCase
{
    int count;
    int current;
    int steps;
    int expected;
};

class DropperSteps : public Dropper, public ::testing::WithParamInterface<StepCase>
{
};

TEST_P(DropperSteps, StepCurrentWrapsAroundBothEnds)
{
    const StepCase& c = GetParam();
    dropper().AddPhotos(images(QString("abcde").left(c.count)));
    dropper().setCurrentIndex(c.current);
    dropper().StepCurrent(c.steps);
    EXPECT_EQ(dropper().currentIndex(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DropperSteps,
                         ::testing::Values(StepCase{3, 0, -1, 2}, StepCase{3, 2, 1, 0}, StepCase{3, 1, 1, 2},
                                           StepCase{3, 0, -2, 1}, StepCase{3, 1, -7, 0}, StepCase{5, 4, 6, 0},
                                           StepCase{1, 0, -1, 0}, StepCase{0, 0, 1, 0}));

TEST_F(Dropper, TheToolFollowsTheCurrentEntryAndEndsWithTheLastOne)
{
    const QStringList ab = images("ab");
    dropper().SetToolMode(true);
    EXPECT_FALSE(dropper().toolMode()); // nothing to drop
    dropper().AddPhotos(ab);

    dropper().SetToolMode(true);
    ASSERT_NE(dropper().floatingFrame(), nullptr);
    EXPECT_EQ(dropper().floatingFrame()->photoPath(), ab[0]);
    dropper().moveFloatingFrame({5, 4});
    const CCanvasRect rect = dropper().floatingFrame()->frameRect();
    EXPECT_FLOAT_EQ(rect.x + rect.width / 2, 5.0f);
    EXPECT_FLOAT_EQ(rect.y + rect.height / 2, 4.0f);
    EXPECT_FLOAT_EQ(rect.width, CPicDropper::kDropFrameSide);
    EXPECT_FLOAT_EQ(rect.height, CPicDropper::kDropFrameSide * 6 / 8);

    // Turned in the organizer meanwhile: it floats upright, where it was.
    services->photos().SetQuarterTurns(*photo(ab[0]), 1);
    const CCanvasRect turned = dropper().floatingFrame()->frameRect();
    EXPECT_FLOAT_EQ(turned.width, CPicDropper::kDropFrameSide * 6 / 8);
    EXPECT_FLOAT_EQ(turned.height, CPicDropper::kDropFrameSide);
    EXPECT_FLOAT_EQ(turned.x + turned.width / 2, 5.0f);

    dropper().StepCurrent(1);
    EXPECT_EQ(dropper().floatingFrame()->photoPath(), ab[1]);
    dropper().RemoveFromDropper(ab[1]);
    EXPECT_TRUE(dropper().toolMode());
    EXPECT_EQ(dropper().floatingFrame()->photoPath(), ab[0]);
    dropper().RemoveFromDropper(ab[0]);
    EXPECT_FALSE(dropper().toolMode());
    EXPECT_EQ(dropper().floatingFrame(), nullptr);
    EXPECT_EQ(photo(ab[0])->useCount(), 0);
}

TEST_F(Dropper, ADropMakesAFrameAndOneUndoPutsThePhotoBack)
{
    const QStringList ab = images("ab");
    dropper().AddPhotos(ab);
    dropper().setCurrentIndex(1);
    dropper().SetToolMode(true);
    const QByteArray before = fingerprint();

    CPicInfo* frame = dropper().DropCurrent(frames(), {3, 2});
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->photoPath(), ab[1]);
    EXPECT_EQ(frame->frameRect(), dropper().dropRect({3, 2}));
    EXPECT_EQ(paths(), QStringList({ab[0]}));
    EXPECT_EQ(photo(ab[1])->useCount(), 1);
    EXPECT_EQ(dropper().floatingFrame()->photoPath(), ab[0]);
    const QByteArray dropped = fingerprint();

    ASSERT_TRUE(doc->undoCommand());
    EXPECT_TRUE(frames().frames().empty());
    EXPECT_EQ(paths(), ab);
    EXPECT_EQ(fingerprint(), before);
    EXPECT_EQ(photo(ab[1])->useCount(), 1);
    ASSERT_TRUE(doc->redoCommand());
    EXPECT_EQ(paths(), QStringList({ab[0]}));
    EXPECT_EQ(fingerprint(), dropped);
}

TEST_F(Dropper, ADropOnAnEmptyFrameFillsItAndOnAFullOneMakesANewFrame)
{
    const QStringList abc = images("abc");
    CPicInfo& empty = addFrame({0, 0, 2, 2}, 1);
    CPicInfo& full = addFrame({4, 0, 2, 2}, 2);
    {
        CUndoSuspend quiet(&history());
        full.setPhoto(photo(abc[2]));
    }
    dropper().AddPhotos({abc[0], abc[1]});

    EXPECT_EQ(dropper().DropCurrent(frames(), {1, 1}, &empty), &empty);
    EXPECT_EQ(empty.photoPath(), abc[0]);
    CPicInfo* made = dropper().DropCurrent(frames(), {5, 1}, &full);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(made, &full);
    EXPECT_EQ(full.photoPath(), abc[2]);
    EXPECT_EQ(frames().frames().size(), 3u);
    EXPECT_EQ(dropper().DropCurrent(frames(), {1, 1}), nullptr); // nothing left
}

TEST_F(Dropper, APickedUpPhotoKeepsItsToneAndScaleWhenDroppedAgain)
{
    const QString a = makeImage("a.png", 8, 6);
    CPicInfo& frame = addFrame({0, 0, 4, 3}, 1);
    {
        CUndoSuspend quiet(&history());
        frame.setPhoto(photo(a));
        frame.setBrightness(0.25f);
        frame.setAlpha(0.5f);
        frame.setImageSize(6, 4.5f);
    }
    const CPicInfoAttr attributes = frame.attributes();
    const QByteArray before = fingerprint();

    ASSERT_TRUE(dropper().PickUp(frame));
    EXPECT_EQ(frame.photo(), nullptr);
    ASSERT_EQ(paths(), QStringList({a}));
    EXPECT_TRUE(dropper().entries()[0].attributes.sameAs(attributes));
    EXPECT_FALSE(dropper().PickUp(frame));

    CPicInfo* dropped = dropper().DropCurrent(frames(), {10, 10});
    ASSERT_NE(dropped, nullptr);
    EXPECT_FLOAT_EQ(dropped->attributes().brightness(), 0.25f);
    EXPECT_FLOAT_EQ(dropped->attributes().alpha(), 0.5f);
    EXPECT_FLOAT_EQ(dropped->imageRect().width, 6.0f);
    EXPECT_FLOAT_EQ(dropped->frameRect().width, 6.0f);

    ASSERT_TRUE(doc->undoCommand());
    ASSERT_TRUE(doc->undoCommand());
    EXPECT_EQ(fingerprint(), before);
    EXPECT_EQ(dropper().count(), 0);
    EXPECT_EQ(photo(a)->useCount(), 1);
}

} // namespace
