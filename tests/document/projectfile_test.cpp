// The project file as bytes on disk: its sections and their order, the
// checksum trailer, and how opening refuses damaged or newer files without
// touching the document that is open.
#include "projectfiletestsupport.h"

#include "crc32.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"

#include <QFile>
#include <QtEndian>

namespace {

QStringList namesOf(const std::vector<RawSection>& sections)
{
    QStringList names;
    for (const RawSection& s : sections)
        names << s.name;
    return names;
}

const QStringList kProjectSections = {"Version", "DocDescription", "CanvasUnits", "Thumbnail", "LowResPics",
                                      "PicManager", "Dropper", "Selection", "Undo", "Snapper", "Printer", "Macro"};
const QStringList kTemplateSections = {"Version", "DocDescription", "CanvasUnits", "Thumbnail", "LowResPics",
                                       "PicManager", "Macro"};

using ProjectFile = DocumentFixture;

TEST_F(ProjectFile, AProjectHoldsEverySectionInOrderThenDoneAndTheTrailer)
{
    const QByteArray bytes = saveAndRead("p.Collage");
    const auto sections = parseSections(bytes);
    EXPECT_EQ(namesOf(sections), kProjectSections);
    for (const RawSection& s : sections)
        EXPECT_EQ(s.version, s.name == "Printer" ? 2u : 1u) << qPrintable(s.name);
    EXPECT_TRUE(sections[7].content.isEmpty()); // Selection
    EXPECT_TRUE(sections[9].content.isEmpty()); // Snapper
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + bytes.size() - 4),
              Crc32::update(0, bytes.constData(), bytes.size() - 4));
}

TEST_F(ProjectFile, ATemplateHoldsOnlyTheSectionsOfTheArrangement)
{
    doc->setFlags(CCollageDoc::TemplateFlag);
    const auto sections = parseSections(saveAndRead("t.Collage"));
    EXPECT_EQ(namesOf(sections), kTemplateSections);
}

TEST_F(ProjectFile, VersionSectionCarriesVersion23AndTheFlagsWord)
{
    doc->setFlags(CCollageDoc::QuickStartFlag | CCollageDoc::HasMacrosFlag);
    const auto sections = parseSections(saveAndRead("v.Collage"));
    // No macros in the store: bit 2 is recomputed clear.
    EXPECT_EQ(sections[0].content.toHex(), QByteArray("1700" "0200"));
}

TEST_F(ProjectFile, CanvasAndDescriptionComeBackAfterAReopen)
{
    doc->setCanvasSize(12.5f, 8.25f);
    doc->setCanvasPos(0.5f, 0.75f);
    doc->setDescription(QString::fromUtf8("Été à Montréal — 2024"));
    const QString file = path("back.Collage");
    ASSERT_EQ(doc->saveDocument(file), CCollageDoc::SaveResult::Saved);
    const COleDate saved = doc->lastSaved();

    restart();
    ASSERT_EQ(doc->openDocument(file), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(doc->canvasWidth(), 12.5f);
    EXPECT_EQ(doc->canvasHeight(), 8.25f);
    EXPECT_EQ(doc->canvasLeft(), 0.5f);
    EXPECT_EQ(doc->canvasTop(), 0.75f);
    EXPECT_EQ(doc->description(), QString::fromUtf8("Été à Montréal — 2024"));
    EXPECT_EQ(doc->lastSaved(), saved);
    EXPECT_EQ(doc->path(), file);
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ProjectFile, WritingWhatWasReadGivesTheSameBytes)
{
    doc->setCanvasSize(11.0f, 9.0f);
    doc->setDescription("round trip");
    const QByteArray first = saveAndRead("a.Collage");
    restart();
    ASSERT_EQ(doc->openDocument(path("a.Collage")), CCollageDoc::OpenResult::Opened);
    ASSERT_TRUE(CProjectFile::write(*doc, path("b.Collage")));
    EXPECT_EQ(readFile(path("b.Collage")), first);
}

// ---------------------------------------------------------------------------
// Damaged files

TEST_F(ProjectFile, EveryFlippedByteIsFoundByTheCheck)
{
    const QByteArray good = saveAndRead("good.Collage");
    const QString damaged = path("damaged.Collage");
    for (int i = 0; i < good.size(); ++i) {
        QByteArray bytes = good;
        bytes[i] = char(bytes[i] ^ 0x01);
        writeFile(damaged, bytes);
        ASSERT_EQ(CProjectFile::check(damaged), CProjectFile::Check::Corrupt) << "byte " << i;
    }
}

TEST_F(ProjectFile, EveryTruncationIsFoundByTheCheck)
{
    const QByteArray good = saveAndRead("good.Collage");
    const QString damaged = path("short.Collage");
    for (int cut = 0; cut < good.size(); ++cut) {
        writeFile(damaged, good.left(cut));
        ASSERT_EQ(CProjectFile::check(damaged), CProjectFile::Check::Corrupt) << "cut " << cut;
    }
}

TEST_F(ProjectFile, BytesAppendedToAGoodFileAreRefusedEvenWhenTheChecksumStillMatches)
{
    const QByteArray good = saveAndRead("good.Collage");
    // The checksum of a file including its own trailer is 0, so four zero
    // bytes appended still "match"; the section chain must end at the trailer.
    const QByteArray zeros = good + QByteArray(4, '\0');
    ASSERT_EQ(Crc32::update(0, zeros.constData(), zeros.size() - 4), 0u);
    writeFile(path("zeros.Collage"), zeros);
    EXPECT_EQ(CProjectFile::check(path("zeros.Collage")), CProjectFile::Check::Corrupt);

    writeFile(path("junk.Collage"), good + "junk");
    EXPECT_EQ(CProjectFile::check(path("junk.Collage")), CProjectFile::Check::Corrupt);
}

TEST_F(ProjectFile, ACorruptFileIsReportedAndTheOpenDocumentStays)
{
    doc->setCanvasSize(5.0f, 4.0f);
    doc->setDescription("keep me");
    QByteArray bytes = saveAndRead("c.Collage");
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0xFF);
    writeFile(path("c.Collage"), bytes);
    doc->setModified(true);

    EXPECT_EQ(doc->openDocument(path("c.Collage")), CCollageDoc::OpenResult::Corrupt);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("This collage project file appears to be corrupted."));
    EXPECT_EQ(doc->description(), "keep me");
    EXPECT_EQ(doc->canvasWidth(), 5.0f);
    EXPECT_TRUE(doc->isModified());

    writeFile(path("empty.Collage"), {});
    EXPECT_EQ(doc->openDocument(path("empty.Collage")), CCollageDoc::OpenResult::Corrupt);
}

TEST_F(ProjectFile, AMissingFileIsReportedAndTheOpenDocumentStays)
{
    doc->setDescription("still here");
    EXPECT_EQ(doc->openDocument(path("nowhere.Collage")), CCollageDoc::OpenResult::NotFound);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("The collage project you are trying to open cannot be found."));
    EXPECT_EQ(doc->description(), "still here");
}

TEST_F(ProjectFile, ANewerVersionIsRefusedBeforeTheOpenDocumentIsTouched)
{
    auto sections = parseSections(saveAndRead("n.Collage"));
    sections[0].content = QByteArray::fromHex("1800" "0000"); // version 24
    writeFile(path("n.Collage"), buildFile(sections));
    doc->setDescription("old");
    const QString openPath = doc->path();

    EXPECT_EQ(CProjectFile::check(path("n.Collage")), CProjectFile::Check::NewerVersion);
    EXPECT_EQ(doc->openDocument(path("n.Collage")), CCollageDoc::OpenResult::NewerVersion);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("created using a newer"));
    EXPECT_EQ(styles[0], MsgStyle::InfoOk);
    EXPECT_EQ(doc->description(), "old");
    EXPECT_EQ(doc->path(), openPath);
    EXPECT_EQ(doc->fileVersion(), 23);
}

TEST_F(ProjectFile, ContentThatDoesNotParseBehindAGoodChecksumClearsTheDocument)
{
    auto sections = parseSections(saveAndRead("f.Collage"));
    sections[1].content = QByteArray::fromHex("fffeffff"); // a string cut short
    writeFile(path("f.Collage"), buildFile(sections));
    doc->setDescription("old");

    EXPECT_EQ(doc->openDocument(path("f.Collage")), CCollageDoc::OpenResult::FormatError);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], "Unexpected file format.");
    EXPECT_TRUE(doc->description().isEmpty());
    EXPECT_TRUE(doc->path().isEmpty());
}

TEST_F(ProjectFile, UnknownSectionsAndVersionsAreSkippedByTheirLength)
{
    doc->setDescription("between");
    auto sections = parseSections(saveAndRead("u.Collage"));
    sections.insert(sections.begin() + 2, RawSection{"FromAFutureBuild", 1, QByteArray(777, '\x5a')});
    sections.insert(sections.begin() + 4, RawSection{"CanvasUnits", 7, QByteArray(20, '\0')});
    writeFile(path("u.Collage"), buildFile(sections));
    doc->setDescription("other");

    ASSERT_EQ(doc->openDocument(path("u.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(doc->description(), "between");
    EXPECT_EQ(doc->canvasLeft(), CCollageDoc::kDefaultCanvasLeft); // the zeros of version 7 were not read
}

TEST_F(ProjectFile, APrinterSectionOfVersion1IsSkippedAndEmptyBlobsChooseNoPrinter)
{
    services->printer().setPrinter("names", "mode");
    auto sections = parseSections(saveAndRead("pr.Collage"));
    restart();
    ASSERT_EQ(doc->openDocument(path("pr.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(services->printer().devNames(), QByteArray("names"));

    sections[10].version = 1;
    writeFile(path("pr1.Collage"), buildFile(sections));
    restart();
    ASSERT_EQ(doc->openDocument(path("pr1.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_FALSE(services->printer().hasPrinter());

    sections[10] = RawSection{"Printer", 2, QByteArray(8, '\0')};
    writeFile(path("pr0.Collage"), buildFile(sections));
    services->printer().setPrinter("x", "y");
    ASSERT_EQ(doc->openDocument(path("pr0.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_FALSE(services->printer().hasPrinter());
}

TEST_F(ProjectFile, ALegacySelectionListOfAnOldFileIsReadAndDropped)
{
    const auto saved = parseSections(saveAndRead("s.Collage"));
    // A version-13 file: an empty frame collection in that version's layout
    // (with its second, legacy list), then the selection's list of two ids.
    std::vector<RawSection> sections = {saved[0], saved[1], saved[2], saved[3], saved[4], saved[5], saved[7]};
    sections[0].content = QByteArray::fromHex("0d00" "0000");
    sections[5].content = QByteArray::fromHex("0000" "00" "0000" "0000");
    sections[6].content = QByteArray::fromHex("0200" "01000000" "02000000");
    writeFile(path("s.Collage"), buildFile(sections));
    EXPECT_EQ(doc->openDocument(path("s.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_EQ(doc->fileVersion(), 23);
}

// ---------------------------------------------------------------------------
// Saving safely

TEST_F(ProjectFile, AFailedSaveLeavesThePreviousFileAndSaysSo)
{
    const QString file = path("keep.Collage");
    doc->setDescription("first");
    ASSERT_EQ(doc->saveDocument(file), CCollageDoc::SaveResult::Saved);
    const QByteArray before = readFile(file);

    doc->setDescription("second");
    doc->setModified(true);
    ReadOnlyFolder lock(home.path());
    if (!lock.locked())
        GTEST_SKIP() << "cannot make a folder read-only here";
    EXPECT_EQ(doc->saveDocument(file), CCollageDoc::SaveResult::Failed);
    lock.unlock();

    EXPECT_EQ(readFile(file), before);
    EXPECT_TRUE(doc->isModified());
    ASSERT_EQ(shown.size(), 1);
    // Not the disk's fault, and the user is told so.
    EXPECT_EQ(shown[0], services->catalogue().text("SaveNotAllowed").arg(home.path()));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp").size(), 0);
}

TEST_F(ProjectFile, SavingIntoAFolderThatDoesNotExistFailsCleanlyAndSaysWhichFolder)
{
    EXPECT_EQ(doc->saveDocument(path("no/such/folder/x.Collage")), CCollageDoc::SaveResult::Failed);
    EXPECT_TRUE(doc->path().isEmpty());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], services->catalogue().text("SaveNoFolder").arg(path("no/such/folder")));
    EXPECT_FALSE(shown[0].contains("disk")) << "a missing folder is not a full disk";
}

TEST_F(ProjectFile, SavingLeavesNoTemporaryFileBehind)
{
    ASSERT_EQ(doc->saveDocument(path("clean.Collage")), CCollageDoc::SaveResult::Saved);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"clean.Collage"}));
}

} // namespace

namespace {

// A frame on the canvas showing the photo at `file`, whose reduced copy and
// thumbnail the collection holds in memory.
CPhotoItem* addFrameWithPhoto(CServices& services, const QString& file, QColor colour)
{
    QImage original(80, 60, QImage::Format_RGB32);
    original.fill(colour);
    EXPECT_TRUE(original.save(file, "JPEG"));
    CPhotoItem* photo = services.photos().FindPhoto(file, true);
    EXPECT_NE(photo, nullptr);
    QImage reduced(50, 40, QImage::Format_RGB32);
    reduced.fill(colour);
    photo->setWorkingCopy(reduced);
    photo->setThumbnail(reduced.scaled(16, 12));

    auto frame = std::make_unique<CPicInfo>();
    frame->setId(*services.frames().newFrameId(1));
    CPicInfo& placed = services.frames().appendFrame(std::move(frame));
    placed.setFramePos(1.0f, 1.0f);
    placed.setFrameSize(4.0f, 3.0f);
    placed.setPhoto(photo);
    return photo;
}

TEST_F(ProjectFile, KeepsCopiesOfItsPhotosThatDrawThemWhenTheOriginalsAreGone)
{
    const QString photoFile = path("Beach Day.jpg");
    addFrameWithPhoto(*services, photoFile, Qt::red);
    const auto sections = parseSections(saveAndRead("copies.Collage"));
    const QByteArray thumbnail = sections[3].content;
    EXPECT_EQ(thumbnail.left(4).toHex(), QByteArray("0100" "0100")); // one photo, a list of one

    restart();
    ASSERT_TRUE(QFile::remove(photoFile));
    ASSERT_EQ(doc->openDocument(path("copies.Collage")), CCollageDoc::OpenResult::Opened);
    CPhotoItem* photo = services->photos().FindPhoto(photoFile);
    ASSERT_NE(photo, nullptr);
    EXPECT_EQ(photo->workingCopy().size(), QSize(50, 40));
    EXPECT_EQ(photo->thumbnail().size(), QSize(16, 12));
    const QRgb centre = photo->workingCopy().pixel(25, 20);
    EXPECT_GT(qRed(centre), 200);
    EXPECT_LT(qGreen(centre), 60);
}

TEST_F(ProjectFile, ClosingTheQuickStartCollageTakesItsPhotosOutOfTheCollection)
{
    const QString photoFile = path("sample.jpg");
    addFrameWithPhoto(*services, photoFile, Qt::blue);
    ASSERT_EQ(doc->saveDocument(path(CCollageDoc::kQuickStartFileName)), CCollageDoc::SaveResult::Saved);
    restart();
    ASSERT_EQ(doc->openDocument(path(CCollageDoc::kQuickStartFileName)), CCollageDoc::OpenResult::Opened);
    CPhotoItem* photo = services->photos().FindPhoto(photoFile);
    ASSERT_NE(photo, nullptr);
    EXPECT_TRUE(photo->isInUse());

    doc->newDocument();
    photo = services->photos().FindPhoto(photoFile);
    EXPECT_TRUE(photo == nullptr || photo->isHidden());
}

} // namespace
