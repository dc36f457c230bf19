// The document's own rules: what new, open and clear leave behind, the
// modified mark and its exceptions, and what the views are told.
#include "projectfiletestsupport.h"

#include "collagerenderer.h"
#include "notificationbus.h"
#include "propmanager.h"

#include <QTest>

#include <limits>

namespace {

class RecordingView : public CDocObserver
{
public:
    void onDocumentUpdate(int hint, qintptr argument) override { hints.push_back({hint, argument}); }
    std::vector<std::pair<int, qintptr>> hints;
};

using Document = DocumentFixture;

TEST_F(Document, CountsTheStartOfTheProgramWhenItIsCreated)
{
    EXPECT_EQ(services->settings().getValue("TimesRun")->toInt(), 1);
    restart();
    EXPECT_EQ(services->settings().getValue("TimesRun")->toInt(), 2);
}

TEST_F(Document, TheSavedSettingsKeepTheDocumentsOrderWithTheGridSpacingLast)
{
    // A first start: the services and the document register into an empty
    // store; the snapper, made in between, binds the grid spacing too.
    const QString file = services->settingsFile();
    doc.reset();
    services.reset();
    QFile::remove(file);
    start();
    services->settings().save(file);

    CPropManager saved;
    ASSERT_EQ(saved.load(file), CPropManager::LoadResult::Loaded);
    const QStringList names = saved.names();
    const qsizetype first = names.indexOf("wheelrev");
    const qsizetype timesRun = names.indexOf("timesrun");
    ASSERT_GE(first, 0);
    EXPECT_GT(timesRun, first);
    EXPECT_EQ(names.indexOf("gridwidth"), timesRun + 1);
    EXPECT_EQ(names.indexOf("gridheight"), timesRun + 2);
    EXPECT_EQ(saved.getValue("TimesRun")->toInt(), 1) << "the start is counted once";
}

TEST_F(Document, HasModsSetsTheModifiedMarkToTheNotifiedValue)
{
    services->bus().Broadcast(Channel::Doc, Event::HasMods, CNotifyMessage::valueParameter(1));
    EXPECT_TRUE(doc->isModified());
    services->bus().Broadcast("doc", "hasmods", CNotifyMessage::valueParameter(0));
    EXPECT_FALSE(doc->isModified());
}

TEST_F(Document, TheQuickStartCollageIsNeverModified)
{
    ASSERT_EQ(doc->saveDocument(path(CCollageDoc::kQuickStartFileName)), CCollageDoc::SaveResult::Saved);
    restart();
    services->settings().setValue("HighQuality", CPropValue::boolean(false));
    ASSERT_EQ(doc->openDocument(path(CCollageDoc::kQuickStartFileName)), CCollageDoc::OpenResult::Opened);
    EXPECT_TRUE(doc->isQuickStart());
    EXPECT_TRUE(services->settings().getValue("HighQuality")->toBool());
    services->bus().Broadcast(Channel::Doc, Event::HasMods, CNotifyMessage::valueParameter(1));
    EXPECT_FALSE(doc->isModified());
    doc->setModified(true);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(Document, NewDocumentStartsOverWithDefaultsAndNoName)
{
    doc->setCanvasSize(3.0f, 2.0f);
    doc->setDescription("something");
    doc->setFlags(CCollageDoc::TemplateFlag);
    ASSERT_EQ(doc->saveDocument(path("x.Collage")), CCollageDoc::SaveResult::Saved);
    doc->setModified(true);

    doc->newDocument();
    EXPECT_EQ(doc->canvasWidth(), 10.0f);
    EXPECT_EQ(doc->canvasHeight(), 7.5f);
    EXPECT_EQ(doc->canvasLeft(), 0.1f);
    EXPECT_TRUE(doc->description().isEmpty());
    EXPECT_EQ(doc->flags(), 0);
    EXPECT_TRUE(doc->path().isEmpty());
    EXPECT_EQ(doc->title(), "Untitled");
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(doc->created(), doc->lastSaved());
    EXPECT_TRUE(doc->created().isValid());
}

TEST_F(Document, NewDocumentTellsTheViewsToResetReleaseAndFit)
{
    RecordingView view;
    doc->addObserver(&view);
    doc->newDocument();
    const std::vector<std::pair<int, qintptr>> expected = {{DocHint::ResetView, 0},
                                                           {DocHint::ReleaseFrameObjects, 0},
                                                           {DocHint::FitToWindow, 0},
                                                           {DocHint::ReleaseFrameObjects, 1}};
    EXPECT_EQ(view.hints, expected);
    doc->removeObserver(&view);
}

TEST_F(Document, HeldUpdatesReachNoView)
{
    RecordingView view;
    doc->addObserver(&view);
    doc->holdUpdates();
    doc->holdUpdates();
    doc->setCanvasSize(4.0f, 4.0f);
    doc->releaseUpdates();
    doc->updateAllViews(DocHint::Generic);
    EXPECT_TRUE(view.hints.empty());
    doc->releaseUpdates();
    doc->setCanvasSize(5.0f, 4.0f);
    ASSERT_EQ(view.hints.size(), 1u);
    EXPECT_EQ(view.hints[0].first, DocHint::EverythingChanged);
    doc->removeObserver(&view);
}

TEST_F(Document, RefusesACanvasWithoutArea)
{
    doc->setCanvasSize(0.0f, 5.0f);
    doc->setCanvasSize(5.0f, -1.0f);
    doc->setCanvasSize(std::numeric_limits<float>::quiet_NaN(), 5.0f);
    EXPECT_EQ(doc->canvasWidth(), 10.0f);
    EXPECT_EQ(doc->canvasHeight(), 7.5f);
}

TEST_F(Document, TitleIsTheFileNameWithoutItsExtension)
{
    ASSERT_EQ(doc->saveDocument(path("My Trip.Collage")), CCollageDoc::SaveResult::Saved);
    EXPECT_EQ(doc->title(), "My Trip");
}

TEST_F(Document, PreviewQualityTwoOrTheHighQualityToggleMakeFramesDrawAtFullResolution)
{
    CCollageRenderer& renderer = services->renderer();
    doc->setPreviewQuality(1, false);
    EXPECT_FALSE(renderer.fullResolution());
    doc->setHighQualityImages(true);
    EXPECT_TRUE(renderer.fullResolution());
    doc->setHighQualityImages(false);
    doc->setPreviewQuality(2, false);
    EXPECT_EQ(services->settings().getValue("PreviewQuality")->toInt(), 2);
    EXPECT_TRUE(services->settings().getValue("HighQuality")->toBool());
    EXPECT_TRUE(renderer.fullResolution());
    doc->setPreviewQuality(0, false);
    EXPECT_FALSE(services->settings().getValue("HighQuality")->toBool());
    EXPECT_FALSE(renderer.fullResolution());
    doc->setPreviewQuality(7, false);
    EXPECT_EQ(doc->previewQuality(), 2);
}

TEST_F(Document, GridSpacingFollowsTheSettingsWhoeverWritesThem)
{
    services->settings().setValue("GridWidth", CPropValue::f32(0.75f));
    services->settings().setValue("GridHeight", CPropValue::f32(1.25f));
    EXPECT_FLOAT_EQ(doc->gridWidth(), 0.75f);
    EXPECT_FLOAT_EQ(doc->gridHeight(), 1.25f);
}

TEST_F(Document, BringingBackInfoTipsTurnsEveryTipOnAndSavesTheSettings)
{
    const QString settingsFile = home.configHome() + "/Settings.DAT";
    doc->setSettingsFile(settingsFile);
    services->settings().registerProp("Tip::Splitter", "", true, CPropValue::boolean(false));
    services->settings().registerProp("Tip::NewProj", "", true, CPropValue::boolean(false));
    services->settings().registerProp("Tipping", "", true, CPropValue::boolean(false));

    doc->bringBackInfoTips();
    EXPECT_TRUE(services->settings().getValue("TIP::SPLITTER")->toBool());
    EXPECT_TRUE(services->settings().getValue("tip::newproj")->toBool());
    EXPECT_FALSE(services->settings().getValue("Tipping")->toBool());
    EXPECT_FALSE(services->settings().isChanged());
    EXPECT_TRUE(QFile::exists(settingsFile));
}

TEST_F(Document, OpeningATemplateOffersPhotoBrowsingAndTheEmailTip)
{
    class TipListener : public CNotifyListener
    {
    public:
        bool OnNotify(const CNotifyMessage& message) override
        {
            tips << message.event;
            return true;
        }
        QStringList tips;
    } tips;
    services->bus().Register(&tips, Channel::Tip);

    doc->setFlags(CCollageDoc::TemplateFlag);
    ASSERT_EQ(doc->saveDocument(path("t.Collage")), CCollageDoc::SaveResult::Saved);
    ASSERT_EQ(doc->openDocument(path("t.Collage")), CCollageDoc::OpenResult::Opened);
    EXPECT_TRUE(doc->isTemplate());
    EXPECT_TRUE(tips.tips.isEmpty()); // they wait for their delay

    // Clearing the document drops tips that have not been shown yet.
    doc->newDocument();
    QTest::qWait(0);
    services->bus().CheckDelayed();
    EXPECT_TRUE(tips.tips.isEmpty());
    services->bus().Unregister(&tips, Channel::Tip);
}

} // namespace
