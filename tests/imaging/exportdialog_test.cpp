// The export dialog driven through its fields: the size coupling, the
// quality words, the checks of OK in their order, the extension, the
// question before replacing a file, and what a good OK writes and stores.

#include "exportdialog.h"
#include "exportsettings.h"
#include "renderfixture.h"

#include "propmanager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using namespace RenderTest;

namespace {

class ExportDialog : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        services->catalogue().setMessageBox([this](const QString&, const QString& text, unsigned) {
            shown << text;
            return answer;
        });
        dialog = std::make_unique<CExportDialog>(*renderer, CExportCanvas{10.0f, 7.5f, CanvasUnit::Inch, kCanvas},
                                                 services->settings(), services->catalogue(), nullptr);
        dialog->setOpener([this](const QString& file) {
            opened << file;
            return viewerFound;
        });
        dialog->folderField()->setText(home.path());
        dialog->nameField()->setText("Collage");
    }
    void TearDown() override
    {
        dialog.reset();
        RenderFixture::TearDown();
    }
    void enter(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        emit field->editingFinished();
    }

    std::unique_ptr<CExportDialog> dialog;
    QStringList shown;
    QStringList opened;
    int answer = MsgButton::Ok;
    bool viewerFound = true;
};

TEST_F(ExportDialog, WidthHeightAndResolutionFollowEachOtherThroughTheCanvas)
{
    enter(dialog->resolutionField(), "100");
    EXPECT_EQ(dialog->widthField()->text(), "1000");
    EXPECT_EQ(dialog->heightField()->text(), "750");
    enter(dialog->widthField(), "500");
    EXPECT_EQ(dialog->heightField()->text(), "375");
    EXPECT_EQ(dialog->resolutionField()->text(), "50");
    dialog->resolutionUnitField()->setCurrentIndex(int(ResolutionUnit::PerCentimetre));
    EXPECT_EQ(dialog->resolutionLabel()->text(), "Dots per cm:");
}

TEST_F(ExportDialog, TheQualityWordsChangeAt90)
{
    dialog->qualityField()->setValue(89);
    EXPECT_EQ(dialog->qualityLabel()->text(), "High quality, Medium size");
    dialog->qualityField()->setValue(90);
    EXPECT_EQ(dialog->qualityLabel()->text(), "Very high quality, Large size");
}

struct Refusal
{
    const char* folder; // relative to the home; "-" for empty
    const char* name;
    const char* width;
    const char* key;
};

class ExportDialogRefusals : public ExportDialog, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(ExportDialogRefusals, OkRefusesWithTheFirstProblemAndStaysOpen)
{
    const Refusal& r = GetParam();
    dialog->folderField()->setText(QString(r.folder) == "-" ? QString() : home.path() + r.folder);
    dialog->nameField()->setText(r.name);
    enter(dialog->widthField(), r.width);
    EXPECT_EQ(dialog->tryExport(), r.key);
    EXPECT_EQ(shown, QStringList{services->catalogue().text(r.key)});
    EXPECT_TRUE(QDir(home.path()).entryList({"Collage*"}, QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(InOrder, ExportDialogRefusals,
                         ::testing::Values(Refusal{"-", "", "9", "ExportMissingDir"},
                                           Refusal{"/missing", "", "9", "ExportNoDir"},
                                           Refusal{"", "", "9", "ExportNoName"},
                                           Refusal{"", "a:b", "9", "ExportBadName"},
                                           Refusal{"", "Collage", "9", "ExportBadValues"}));

TEST_F(ExportDialog, AGoodOkAppendsTheExtensionWritesStoresAndOpens)
{
    dialog->typeField()->setCurrentIndex(0); // all types: the name or the last type decides
    enter(dialog->resolutionField(), "20");
    ASSERT_EQ(dialog->tryExport(), "");
    const QString written = QDir(home.path()).filePath("Collage.jpg");
    EXPECT_EQ(dialog->exportedPath(), written);
    EXPECT_EQ(QImage(written).size(), QSize(200, 150));
    EXPECT_EQ(opened, QStringList{written});
    EXPECT_EQ(services->settings().getValue("ExportDir")->toString(), home.path());

    answer = MsgButton::No;
    EXPECT_EQ(dialog->tryExport(), "ExportSameName");
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(ExportDialog, WithoutAViewerTheUserIsToldOnceWhereTheImageIsAndTheOptionGoesOff)
{
    viewerFound = false;
    dialog->autoViewField()->setChecked(true);
    enter(dialog->resolutionField(), "20");
    ASSERT_EQ(dialog->tryExport(), "");
    const QString written = QDir(home.path()).filePath("Collage.jpg");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(written)) << shown[0].toStdString();
    EXPECT_FALSE(dialog->autoViewField()->isChecked());
    EXPECT_FALSE(services->settings().getValue("ExportAutoView")->toBool());

    dialog->nameField()->setText("Second");
    ASSERT_EQ(dialog->tryExport(), "");
    EXPECT_EQ(shown.size(), 1) << "said once";
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(ExportDialog, TheNextExportStartsAtTheLastWidth)
{
    enter(dialog->widthField(), "640");
    ASSERT_EQ(dialog->tryExport(), "");
    CExportDialog again(*renderer, CExportCanvas{10.0f, 7.5f, CanvasUnit::Inch, kCanvas}, services->settings(),
                        services->catalogue(), nullptr);
    EXPECT_EQ(again.widthField()->text(), "640");
    EXPECT_EQ(again.heightField()->text(), "480");
}

TEST_F(ExportDialog, TheFirstExportToTheDefaultFolderMakesItButATypedFolderMustExist)
{
    // A new user: a Pictures folder, and nothing in it yet.
    const QString pictures = home.path() + "/Pictures";
    QFile dirs(home.configHome() + "/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"" + pictures.toUtf8() + "\"\n");
    dirs.close();
    const QString folder = CExportSettings::defaultFolder();
    ASSERT_EQ(folder, pictures + "/My Collages");
    ASSERT_FALSE(QFileInfo::exists(folder));

    dialog->folderField()->setText(folder);
    enter(dialog->resolutionField(), "20");
    ASSERT_EQ(dialog->tryExport(), "");
    EXPECT_TRUE(QFileInfo(folder + "/Collage.jpg").isFile());
    EXPECT_TRUE(shown.isEmpty());

    const QString typo = home.path() + "/My Colages";
    dialog->folderField()->setText(typo);
    EXPECT_EQ(dialog->tryExport(), "ExportNoDir");
    EXPECT_FALSE(QFileInfo::exists(typo));
}

TEST_F(ExportDialog, TheTransparentCanvasIsOfferedForPngOnly)
{
    dialog->nameField()->setText("Collage.png");
    EXPECT_TRUE(dialog->transparentField()->isEnabled());
    dialog->nameField()->setText("Collage.jpg");
    EXPECT_FALSE(dialog->transparentField()->isEnabled());
}

} // namespace

TEST_F(ExportDialog, APhotoBelowTheExportsResolutionIsNamedAndCancelWritesNothing)
{
    addFrame(QRectF(1, 1, 4, 3), solidPhoto("tiny.png", 0xFF2060A0)); // 30 dpi at 4 x 3 inches
    QStringList warnings;
    bool goOn = false;
    dialog->setLowResolutionQuestion([&](const QString& warning) {
        warnings << warning;
        return goOn;
    });
    // At 20 dpi the photo has pixels enough.
    enter(dialog->resolutionField(), "20");
    ASSERT_EQ(dialog->tryExport(), "");
    EXPECT_TRUE(warnings.isEmpty());
    QFile::remove(dialog->exportedPath());

    enter(dialog->resolutionField(), "100");
    EXPECT_EQ(dialog->tryExport(), "LowResolution");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("tiny.png")) << warnings[0].toStdString();
    EXPECT_TRUE(QDir(home.path()).entryList({"Collage*"}, QDir::Files).isEmpty());

    goOn = true;
    ASSERT_EQ(dialog->tryExport(), "");
    EXPECT_EQ(QImage(dialog->exportedPath()).size(), QSize(1000, 750));
}
