// Open Quick Tour as the user meets it in a built or an installed program.
// This program lives in the build tree's bin/ beside the editor, and
// desktop_install_test.sh runs a copy from an installed prefix's bin/: either
// way the main window looks for the sample exactly where the editor does.
#include "mainframefixture.h"

#include "datapaths.h"
#include "documenttarget.h"
#include "photoitem.h"
#include "projectpeek.h"

#include <QAction>
#include <QFileInfo>

namespace {

using QuickTour = MainFrameFixture;

QString samplePath()
{
    return DataPaths::sampleFolder() + '/' + QString::fromLatin1(CDocumentTarget::kQuickTourFile);
}

TEST_F(QuickTour, TheSampleIsStoredAsAQuickStartProject)
{
    const std::optional<CProjectSummary> summary = ProjectPeek::read(samplePath());
    ASSERT_TRUE(summary) << qPrintable(samplePath());
    EXPECT_EQ(summary->fileVersion, CCollageDoc::kFileVersion);
    EXPECT_EQ(summary->flags, CCollageDoc::QuickStartFlag);
}

TEST_F(QuickTour, IsEnabledAndOpensTheSampleWithItsPhotos)
{
    window->updateCommandStates();
    ASSERT_TRUE(window->action(CommandId::QuickTour)->isEnabled()) << qPrintable(samplePath());

    window->runCommand(CommandId::QuickTour);
    EXPECT_EQ(doc->path(), QFileInfo(samplePath()).absoluteFilePath());
    EXPECT_TRUE(doc->isQuickStart());
    EXPECT_FALSE(doc->isModified());
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join('\n'));
    ASSERT_GE(services->frames().frameCount(), 3);
    for (int i = 0; i < services->frames().frameCount(); ++i) {
        const CPhotoItem* photo = services->frames().frameAt(i)->photo();
        ASSERT_NE(photo, nullptr) << "frame " << i;
        // Drawn from the copy the project keeps, wherever the originals are.
        EXPECT_FALSE(photo->workingCopy().isNull()) << "frame " << i;
    }
}

} // namespace
