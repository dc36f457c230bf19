// The file commands as the menus run them, with the project picker and the
// questions answered by the test.
#include "projectfiletestsupport.h"

#include "doccommands.h"
#include "myphotos.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"

#include <deque>

namespace {

class ScriptedPicker : public CProjectPicker
{
public:
    std::optional<CSaveAsChoice> pickSaveTarget(const QString& title, const QString&, bool templateMode) override
    {
        asked << title;
        lastTemplateMode = templateMode;
        if (choices.empty())
            return std::nullopt;
        CSaveAsChoice choice = choices.front();
        choices.pop_front();
        return choice;
    }
    std::deque<CSaveAsChoice> choices;
    QStringList asked;
    bool lastTemplateMode = false;
};

class DocCommands : public DocumentFixture
{
protected:
    void SetUp() override
    {
        DocumentFixture::SetUp();
        commands = std::make_unique<CDocCommands>(*doc, picker);
    }
    void TearDown() override
    {
        commands.reset();
        DocumentFixture::TearDown();
    }
    QByteArray versionSectionOf(const QString& file) { return parseSections(readFile(file))[0].content; }

    void putAPhotoOnTheCanvas()
    {
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::green);
        ASSERT_TRUE(image.save(path("green.jpg")));
        auto frame = std::make_unique<CPicInfo>();
        frame->setId(*services->frames().newFrameId(1));
        CPicInfo& placed = services->frames().appendFrame(std::move(frame));
        placed.setFrameSize(2.0f, 1.0f);
        placed.setPhoto(services->photos().FindPhoto(path("green.jpg"), true));
    }

    ScriptedPicker picker;
    std::unique_ptr<CDocCommands> commands;
};

TEST_F(DocCommands, SavingAnUntitledDocumentAsksForANameAndCancelSavesNothing)
{
    EXPECT_FALSE(commands->save());
    EXPECT_EQ(picker.asked, QStringList({"Untitled"}));
    EXPECT_TRUE(doc->path().isEmpty());

    picker.choices.push_back({path("named.Collage"), ProjectType::Project, "described"});
    EXPECT_TRUE(commands->save());
    EXPECT_EQ(doc->path(), path("named.Collage"));
    EXPECT_EQ(doc->description(), "described");
    EXPECT_TRUE(QFile::exists(path("named.Collage")));
}

TEST_F(DocCommands, ShiftCtrlSaveWritesTheSpecialFlagsWordAndPlainSaveClearsItAgain)
{
    picker.choices.push_back({path("s.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->save());
    answer = MsgButton::No;
    ASSERT_TRUE(commands->save(true, true));
    EXPECT_EQ(shown.size(), 1); // ClearUndo was asked
    EXPECT_EQ(versionSectionOf(path("s.Collage")).toHex(), QByteArray("1700" "0800"));
    ASSERT_TRUE(commands->save());
    EXPECT_EQ(versionSectionOf(path("s.Collage")).toHex(), QByteArray("1700" "0000"));
}

TEST_F(DocCommands, ShiftSaveAnsweredCancelSavesNothing)
{
    picker.choices.push_back({path("c.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->save());
    const QByteArray before = readFile(path("c.Collage"));
    doc->setDescription("changed");
    answer = MsgButton::Cancel;
    EXPECT_FALSE(commands->save(true, false));
    EXPECT_EQ(readFile(path("c.Collage")), before);
}

TEST_F(DocCommands, AProjectTitledQuickStartIsSavedAsTheQuickStartCollage)
{
    picker.choices.push_back({path("QuickStart.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->saveAs());
    ASSERT_TRUE(commands->save());
    EXPECT_TRUE(doc->isQuickStart());
    EXPECT_EQ(versionSectionOf(path("QuickStart.Collage")).toHex(), QByteArray("1700" "0200"));
}

TEST_F(DocCommands, AReadOnlyProjectGoesToSaveAs)
{
    picker.choices.push_back({path("ro.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->save());
    QFile::setPermissions(path("ro.Collage"), QFile::ReadOwner | QFile::ReadGroup);
    picker.choices.push_back({path("copy.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->save());
    EXPECT_EQ(picker.asked.size(), 2);
    EXPECT_EQ(doc->path(), path("copy.Collage"));
}

TEST_F(DocCommands, SaveAsTemplateAsksFirstWhenPhotosAreOnAModifiedCanvas)
{
    putAPhotoOnTheCanvas();
    doc->setModified(true);
    picker.choices.push_back({path("t.Collage"), ProjectType::Template, {}});
    answer = MsgButton::Cancel;
    EXPECT_FALSE(commands->saveAsTemplate());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("YES: Save the current collage and proceed to save the template"));
    EXPECT_TRUE(picker.lastTemplateMode);
    EXPECT_FALSE(QFile::exists(path("t.Collage")));
    EXPECT_FALSE(doc->isTemplate());
}

TEST_F(DocCommands, ATemplateSavedWithoutItsPhotosForgetsItsNameAndJoinsTheRecentFiles)
{
    putAPhotoOnTheCanvas();
    QStringList recent;
    commands->setTemplateSavedHandler([&](const QString& file) { recent << file; });
    picker.choices.push_back({path("t.Collage"), ProjectType::Template, "layout"});
    ASSERT_TRUE(commands->saveAsTemplate()); // not modified: no question
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(doc->isTemplate());
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_EQ(recent, QStringList({path("t.Collage")}));
    EXPECT_EQ(parseSections(readFile(path("t.Collage"))).size(), 7u);
}

// The path as the archive writes it: UTF-16, little-endian.
QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST_F(DocCommands, ATemplateHoldsNoPhotoAndOpeningOneAddsNoneToTheCollection)
{
    putAPhotoOnTheCanvas();
    QImage blue(10, 20, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(path("blue.jpg")));
    ASSERT_TRUE(services->dropper().AddToDropper(path("blue.jpg")));
    ASSERT_EQ(doc->saveDocument(path("project.Collage")), CCollageDoc::SaveResult::Saved);
    picker.choices.push_back({path("template.Collage"), ProjectType::Template, {}});
    ASSERT_TRUE(commands->saveAsTemplate());

    const QByteArray bytes = readFile(path("template.Collage"));
    for (const char* photo : {"green.jpg", "blue.jpg"})
        EXPECT_FALSE(bytes.contains(utf16(photo))) << photo;
    std::vector<RawSection> sections = parseSections(bytes);
    ASSERT_EQ(sections[3].name, "Thumbnail");
    EXPECT_EQ(sections[3].content, QByteArray(4, '\0')) << "no photo, counted twice";

    // A template of an earlier build still lists the collage's photos.
    sections[3] = parseSections(readFile(path("project.Collage")))[3];
    ASSERT_TRUE(sections[3].content.contains(utf16("green.jpg")));
    writeFile(path("earlier.Collage"), buildFile(sections));

    for (const char* file : {"template.Collage", "earlier.Collage"}) {
        // A user whose collection is empty.
        doc.reset();
        services.reset();
        ASSERT_TRUE(QDir(path("photodb")).removeRecursively());
        start();
        ASSERT_EQ(doc->openDocument(path(file)), CCollageDoc::OpenResult::Opened) << file;
        EXPECT_TRUE(doc->isTemplate());
        EXPECT_EQ(services->photos().photoCount(), 0) << file;
        EXPECT_EQ(services->frames().frameCount(), 1);
        EXPECT_EQ(services->frames().frameAt(0)->photo(), nullptr);
    }
}

TEST_F(DocCommands, SaveModifiedAsksOnlyWhenThereIsSomethingToLose)
{
    EXPECT_TRUE(commands->saveModified());
    EXPECT_TRUE(shown.isEmpty());

    doc->setModified(true);
    answer = MsgButton::Cancel;
    EXPECT_FALSE(commands->saveModified());
    EXPECT_EQ(shown.last(), "Save changes to Untitled?");
    answer = MsgButton::No;
    EXPECT_TRUE(commands->saveModified());
    EXPECT_TRUE(doc->isModified());

    answer = MsgButton::Yes;
    picker.choices.push_back({path("m.Collage"), ProjectType::Project, {}});
    EXPECT_TRUE(commands->saveModified());
    EXPECT_FALSE(doc->isModified());
}

TEST_F(DocCommands, OnlyYesTurnsATemplateIntoAnUntitledProject)
{
    doc->setFlags(CCollageDoc::TemplateFlag);
    doc->setPath(path("tpl.Collage"));
    answer = MsgButton::No;
    EXPECT_FALSE(commands->convertTemplateToProject());
    EXPECT_TRUE(doc->isTemplate());
    answer = MsgButton::Yes;
    EXPECT_TRUE(commands->convertTemplateToProject());
    EXPECT_EQ(doc->flags(), 0);
    EXPECT_TRUE(doc->path().isEmpty());
}

TEST_F(DocCommands, ShiftSaveKeepsSmallerPhotoCopies)
{
    putAPhotoOnTheCanvas();
    CPhotoItem* photo = services->photos().FindPhoto(path("green.jpg"));
    QImage copy(200, 100, QImage::Format_RGB32);
    copy.fill(Qt::green);
    photo->setWorkingCopy(copy);
    picker.choices.push_back({path("q.Collage"), ProjectType::Project, {}});
    ASSERT_TRUE(commands->save());
    const qsizetype full = parseSections(readFile(path("q.Collage")))[3].content.size();
    answer = MsgButton::No;
    ASSERT_TRUE(commands->save(true, false));
    const qsizetype low = parseSections(readFile(path("q.Collage")))[3].content.size();
    EXPECT_LT(low, full);
    ASSERT_TRUE(commands->save()); // the next plain save is full quality again
    EXPECT_EQ(parseSections(readFile(path("q.Collage")))[3].content.size(), full);
}

} // namespace
