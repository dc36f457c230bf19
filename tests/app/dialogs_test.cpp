// The document commands' dialogs driven as a user would: the values they
// start with, what OK hands back, and the checks that keep them open.
#include "mainframefixture.h"

#include "framestyledialog.h"
#include "gridsettingsdialog.h"
#include "imagetonedialog.h"
#include "newcollagedialog.h"
#include "projectpicker.h"
#include "qtdocumentdialogs.h"
#include "splitframedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace {

using Kind = CNewCollageChoice::Kind;
using Dialogs = MainFrameFixture;

// Runs `answer` on the modal dialog of type T once it is up.
template <typename T, typename Answer>
void whenShown(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible()) {
                answer(*dialog);
                return;
            }
        }
    });
}

TEST_F(Dialogs, SplitFrameStartsAtOneByOneWithinOneToNineAndHandsBackTheCounts)
{
    CSplitFrameDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Split Frame");
    EXPECT_EQ(dialog.counts().columns, 1);
    EXPECT_EQ(dialog.counts().rows, 1);
    EXPECT_EQ(dialog.columnsSlider()->maximum(), 9);
    EXPECT_EQ(dialog.rowsSlider()->minimum(), 1);
    bool labelled = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labelled = labelled || label->text() == "Number of Splits";
    EXPECT_TRUE(labelled);

    dialog.columnsSlider()->setValue(12);
    EXPECT_EQ(dialog.counts().columns, 9);
}

TEST_F(Dialogs, TheWindowsSplitQuestionIsTheRealDialog)
{
    CQtDocumentDialogs real(*doc, *services, nullptr);
    whenShown<CSplitFrameDialog>([](CSplitFrameDialog& d) {
        d.columnsSlider()->setValue(3);
        d.rowsSlider()->setValue(2);
        d.accept();
    });
    const std::optional<CSplitCounts> counts = real.askSplit();
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->columns, 3);
    EXPECT_EQ(counts->rows, 2);

    whenShown<CSplitFrameDialog>([](CSplitFrameDialog& d) { d.reject(); });
    EXPECT_FALSE(real.askSplit());
}

TEST_F(Dialogs, GridSettingsShowAndHandBackTheFourValues)
{
    CGridSettingsDialog dialog(CGridChoice{true, false, 1.5f, 2.0f});
    EXPECT_TRUE(dialog.showGridBox()->isChecked());
    EXPECT_FALSE(dialog.drawLinesBox()->isChecked());
    EXPECT_DOUBLE_EQ(dialog.widthBox()->value(), 1.5);
    dialog.drawLinesBox()->setChecked(true);
    dialog.heightBox()->setValue(0.25);
    dialog.widthBox()->setValue(-4.0);
    const CGridChoice chosen = dialog.choice();
    EXPECT_TRUE(chosen.drawGridLines);
    EXPECT_FLOAT_EQ(chosen.height, 0.25f);
    EXPECT_GT(chosen.width, 0.0f) << "a spacing never reaches zero";
}

TEST_F(Dialogs, NewCollageOffersFiveOutcomesWithTheLayoutOneOnlyWhenAvailable)
{
    CNewCollageDialog dialog(10.0f, 7.5f, false);
    EXPECT_EQ(dialog.windowTitle(), "New Collage");
    const std::pair<Kind, const char*> texts[] = {{Kind::Template, "Template"},
                                                  {Kind::ExistingProject, "Existing Project"},
                                                  {Kind::FreeForm, "Free-Form Collage"},
                                                  {Kind::Grid, "Grid Collage"},
                                                  {Kind::ZadeDudaziz, "ZadeDudaziz"}};
    for (const auto& [kind, text] : texts) {
        ASSERT_NE(dialog.button(kind), nullptr);
        EXPECT_EQ(dialog.button(kind)->text(), text);
    }
    EXPECT_FALSE(dialog.button(Kind::ZadeDudaziz)->isEnabled());
    dialog.setKind(Kind::ZadeDudaziz);
    EXPECT_NE(dialog.kind(), Kind::ZadeDudaziz);

    dialog.setKind(Kind::Grid);
    dialog.widthBox()->setValue(20.0);
    EXPECT_EQ(dialog.choice().kind, Kind::Grid);
    EXPECT_FLOAT_EQ(dialog.choice().width, 20.0f);
    EXPECT_FLOAT_EQ(dialog.choice().height, 7.5f);

    dialog.setKind(Kind::Template);
    EXPECT_FALSE(dialog.widthBox()->isEnabled()) << "the size belongs to the blank canvases";

    EXPECT_TRUE(CNewCollageDialog(10.0f, 7.5f, true).button(Kind::ZadeDudaziz)->isEnabled());
}

TEST_F(Dialogs, ThePickerSavesUnderAChosenNameWithItsDescriptionAndAsksBeforeReplacing)
{
    CProjectPickerDialog picker(CProjectPickerDialog::Mode::Save, services->catalogue());
    picker.setFolder(home.path());
    EXPECT_EQ(picker.check(), "SaveNoName");
    EXPECT_EQ(shown.value(0), services->catalogue().text("SaveNoName"));

    picker.setFileName("Beach");
    picker.setDescription("a day out");
    picker.setType(ProjectType::Template);
    EXPECT_EQ(picker.chosenPath(), path("Beach.Collage"));
    EXPECT_EQ(picker.check(), "");
    EXPECT_EQ(picker.description(), "a day out");
    EXPECT_EQ(picker.type(), ProjectType::Template);

    writeFile(path("Beach.Collage"), "x");
    answer = MsgButton::No;
    EXPECT_EQ(picker.check(), "SaveOverwrite");
    answer = MsgButton::Yes;
    EXPECT_EQ(picker.check(), "");
}

TEST_F(Dialogs, ThePickerOpensByTypeAndShowsTheStoredDescription)
{
    addFrame({1, 1, 2, 2});
    doc->setDescription("Grandma's birthday");
    ASSERT_EQ(doc->saveDocument(path("party.Collage")), CCollageDoc::SaveResult::Saved);
    doc->setFlags(CCollageDoc::TemplateFlag);
    ASSERT_EQ(doc->saveDocument(path("blank.Collage")), CCollageDoc::SaveResult::Saved);

    CProjectPickerDialog picker(CProjectPickerDialog::Mode::Open, services->catalogue());
    picker.setType(ProjectType::Project);
    picker.setFolder(home.path());
    ASSERT_EQ(picker.fileList()->count(), 1);
    EXPECT_EQ(picker.fileList()->item(0)->text(), "party.Collage");
    picker.fileList()->setCurrentRow(0);
    EXPECT_EQ(picker.nameField()->text(), "party");
    EXPECT_EQ(picker.description(), "Grandma's birthday");
    EXPECT_TRUE(picker.descriptionField()->isReadOnly());
    EXPECT_EQ(picker.chosenPath(), path("party.Collage"));

    picker.setType(ProjectType::Template);
    ASSERT_EQ(picker.fileList()->count(), 1);
    EXPECT_EQ(picker.fileList()->item(0)->text(), "blank.Collage");

    picker.setFileName("nothing-here");
    EXPECT_EQ(picker.check(), "SaveNotFound");
}

TEST_F(Dialogs, AModalDialogBlursTheWindowBehindItWhileItShows)
{
    window->show();
    QWidget* middle = window->centralWidget();
    bool blurredWhileShown = false;
    whenShown<CSplitFrameDialog>([&](CSplitFrameDialog& d) {
        blurredWhileShown = middle->graphicsEffect() != nullptr;
        d.reject();
    });
    CSplitFrameDialog(window.get()).exec();
    EXPECT_TRUE(blurredWhileShown);
    EXPECT_EQ(middle->graphicsEffect(), nullptr);

    window->runCommand(CommandId::BlurEffects);
    whenShown<CSplitFrameDialog>([&](CSplitFrameDialog& d) {
        blurredWhileShown = middle->graphicsEffect() != nullptr;
        d.reject();
    });
    CSplitFrameDialog(window.get()).exec();
    EXPECT_FALSE(blurredWhileShown) << "switched off by Blur Effects";
}

// A fresh account: a home of its own without a documents folder.
class FreshAccount
{
public:
    explicit FreshAccount(const QString& home)
        : m_old(qgetenv("HOME"))
    {
        QDir().mkpath(home);
        qputenv("HOME", home.toLocal8Bit());
    }
    ~FreshAccount() { qputenv("HOME", m_old); }

private:
    QByteArray m_old;
};

TEST_F(Dialogs, TheFirstSaveOnAFreshAccountSuggestsADocumentsFolderThatExists)
{
    FreshAccount fresh(path("fresh"));
    ASSERT_FALSE(QFileInfo::exists(path("fresh/Documents")));
    CProjectPickerDialog picker(CProjectPickerDialog::Mode::Save, services->catalogue());
    EXPECT_EQ(picker.folder(), path("fresh/Documents"));
    EXPECT_TRUE(QFileInfo(picker.folder()).isDir()) << "made for the user";
    picker.setFileName("First");
    EXPECT_EQ(picker.check(), "");

    // A folder typed that is not there is said to be missing, not full.
    picker.setFolder(path("fresh/Nowhere"));
    EXPECT_EQ(picker.check(), "SaveNoFolder");
    EXPECT_EQ(shown.value(0), services->catalogue().text("SaveNoFolder").arg(path("fresh/Nowhere")));
}

TEST_F(Dialogs, AddPicturesStartsInTheFolderPicturesWereAddedFromLast)
{
    FreshAccount fresh(path("fresh"));
    ASSERT_FALSE(QFileInfo::exists(path("fresh/Pictures")));
    QDir().mkpath(path("trip"));
    const QString photo = writeImage("trip/beach.png", 40, 30);
    CQtDocumentDialogs real(*doc, *services, window.get());
    QString startedIn;
    QString typedName;
    const auto pick = [&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        typedName = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        dialog.selectFile(photo);
        QMetaObject::invokeMethod(&dialog, "accept");
    };
    whenShown<QFileDialog>(pick);
    EXPECT_EQ(real.askPictures(), QStringList{photo});
    EXPECT_EQ(startedIn, path("fresh")) << "no pictures folder yet: the home";
    EXPECT_TRUE(typedName.isEmpty()) << "not a file named " << typedName.toStdString();

    whenShown<QFileDialog>(pick);
    real.askPictures();
    EXPECT_EQ(startedIn, path("trip"));
    restartProgram();
    EXPECT_EQ(valueOf("AddPicturesDir").toString(), path("trip")) << "kept with the settings";
}

TEST_F(Dialogs, ToneAndStyleDialogsStartFromTheCurrentValuesAndHandBackTheNewOnes)
{
    CImageToneDialog tone(CImageTone{0.2f, 1.5f, 0.8f, 0.75f});
    EXPECT_DOUBLE_EQ(tone.brightnessBox()->value(), 0.2);
    EXPECT_DOUBLE_EQ(tone.transparencyBox()->value(), 25.0);
    tone.gammaBox()->setValue(1.25);
    tone.transparencyBox()->setValue(0.0);
    EXPECT_EQ(tone.tone(), (CImageTone{0.2f, 1.5f, 1.25f, 1.0f}));

    CFrameStyleDialog style(CFrameStyle{false, 0.05f, 0xFF102030, true});
    EXPECT_FALSE(style.widthBox()->isEnabled()) << "no border, no width to set";
    style.borderBox()->setChecked(true);
    EXPECT_TRUE(style.widthBox()->isEnabled());
    style.widthBox()->setValue(0.1);
    style.shadowBox()->setChecked(false);
    EXPECT_EQ(style.style(), (CFrameStyle{true, 0.1f, 0xFF102030, false}));
}

} // namespace
