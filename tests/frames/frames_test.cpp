// The frame model in memory: clamping setters and the invalid parts they
// mark, permissions and the document-wide lock, frame ids per plane, the
// visible planes, the redraw hold, clearing from the settings, and photos
// set into frames.

#include "framefixture.h"

#include "photoitem.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

class FrameSetters : public FrameFixture
{
protected:
    FrameSetters()
        : frame(addFrame({1.0f, 1.0f, 4.0f, 3.0f}, 7))
    {
        frame.clearInvalid(CPicInfo::kInvalidAll);
        observer.frames.clear();
    }
    CPicInfo& frame;
};

TEST(Frame, StartsWithTheDocumentedDefaults)
{
    const CPicInfo frame;
    EXPECT_EQ(frame.id(), 0u);
    EXPECT_EQ(frame.flags(), 0x30u);
    EXPECT_FALSE(frame.isShown());
    EXPECT_EQ(frame.permissions(), 0xFFFFFFFFu);
    EXPECT_EQ(frame.planes(), 1u);
    EXPECT_EQ(frame.invalidParts(), 0xFFFEFFFFu);
    EXPECT_EQ(frame.rotation(), 0.0f);
    EXPECT_EQ(frame.attributes().alpha(), 1.0f);
    EXPECT_EQ(frame.attributes().brightness(), 0.0f);
    EXPECT_EQ(frame.attributes().contrast(), 1.0f);
    EXPECT_EQ(frame.attributes().gamma(), 1.0f);
    EXPECT_EQ(frame.imageRect(), CCanvasRect());
    EXPECT_EQ(frame.photo(), nullptr);
    EXPECT_TRUE(frame.photoPath().isEmpty());
}

TEST_F(FrameSetters, AlphaIsClampedAndKeepsTheAlphaFlag)
{
    EXPECT_TRUE(frame.setAlpha(0.5f));
    EXPECT_EQ(frame.attributes().alpha(), 0.5f);
    EXPECT_TRUE(frame.flags() & CPicInfo::kFlagAlpha);
    EXPECT_EQ(frame.invalidParts(), 0x30200u);

    EXPECT_TRUE(frame.setAlpha(1.5f));
    EXPECT_EQ(frame.attributes().alpha(), 1.0f);
    EXPECT_FALSE(frame.flags() & CPicInfo::kFlagAlpha);

    EXPECT_TRUE(frame.setAlpha(-0.25f));
    EXPECT_EQ(frame.attributes().alpha(), 0.0f);
    EXPECT_TRUE(frame.flags() & CPicInfo::kFlagAlpha);
}

TEST_F(FrameSetters, ToneValuesAreClampedAndMarkTheToneInvalid)
{
    EXPECT_TRUE(frame.setBrightness(2.0f));
    EXPECT_EQ(frame.attributes().brightness(), 1.0f);
    EXPECT_EQ(frame.invalidParts(), 0x10200u);
    EXPECT_TRUE(frame.setBrightness(-3.0f));
    EXPECT_EQ(frame.attributes().brightness(), -3.0f);

    EXPECT_TRUE(frame.setContrast(0.0f));
    EXPECT_EQ(frame.attributes().contrast(), 0.0001f);
    EXPECT_TRUE(frame.setGamma(-1.0f));
    EXPECT_EQ(frame.attributes().gamma(), 0.0001f);
    EXPECT_TRUE(frame.setGamma(2.5f));
    EXPECT_EQ(frame.attributes().gamma(), 2.5f);
    EXPECT_FALSE(frame.flags() & CPicInfo::kFlagAlpha);
}

TEST_F(FrameSetters, RotationKeepsTheRemainderOfAFullTurn)
{
    EXPECT_TRUE(frame.setRotation(450.0f));
    EXPECT_EQ(frame.rotation(), 90.0f);
    EXPECT_TRUE(frame.setRotation(-450.0f));
    EXPECT_EQ(frame.rotation(), -90.0f);
    EXPECT_TRUE(frame.setRotation(720.0f));
    EXPECT_EQ(frame.rotation(), 0.0f);
    EXPECT_TRUE(frame.setRotation(-359.5f));
    EXPECT_EQ(frame.rotation(), -359.5f);
}

TEST_F(FrameSetters, NumbersThatAreNoNumbersChangeNothing)
{
    EXPECT_FALSE(frame.setAlpha(kNaN));
    EXPECT_FALSE(frame.setGamma(kNaN));
    EXPECT_FALSE(frame.setBrightness(-kInfinity));
    EXPECT_FALSE(frame.setRotation(kInfinity));
    EXPECT_FALSE(frame.setFramePos(kNaN, 0.0f));
    EXPECT_FALSE(frame.setImageSize(1.0f, kInfinity));
    EXPECT_EQ(frame.attributes().alpha(), 1.0f);
    EXPECT_EQ(frame.attributes().gamma(), 1.0f);
    EXPECT_EQ(frame.rotation(), 0.0f);
    EXPECT_EQ(frame.frameRect(), (CCanvasRect{1.0f, 1.0f, 4.0f, 3.0f}));
    EXPECT_EQ(frame.invalidParts(), 0u);
    EXPECT_TRUE(observer.frames.empty());
}

TEST_F(FrameSetters, SettingTheCurrentValueChangesNothingAndAsksForNoRepaint)
{
    EXPECT_FALSE(frame.setAlpha(1.0f));
    EXPECT_FALSE(frame.setAlpha(3.0f)); // clamps to the current 1.0
    EXPECT_FALSE(frame.setRotation(360.0f));
    EXPECT_FALSE(frame.setFramePos(1.0f, 1.0f));
    EXPECT_FALSE(frame.setDrawBorder(true));
    EXPECT_FALSE(frame.setDescription(QString()));
    EXPECT_EQ(frame.invalidParts(), 0u);
    EXPECT_TRUE(observer.frames.empty());
}

TEST_F(FrameSetters, ShowingAndStylingMarkTheirInvalidParts)
{
    EXPECT_TRUE(frame.setShown(true));
    EXPECT_EQ(frame.invalidParts(), 0x10Fu);
    EXPECT_TRUE(frame.isShown());

    frame.clearInvalid(CPicInfo::kInvalidAll);
    EXPECT_TRUE(frame.setDrawShadow(false));
    EXPECT_EQ(frame.invalidParts(), 0x200u);
    EXPECT_EQ(frame.flags(), CPicInfo::kFlagShown | CPicInfo::kFlagBorder);
}

TEST_F(FrameSetters, MovingAFrameAsksToRepaintWhereItWas)
{
    EXPECT_TRUE(frame.setFramePos(5.0f, 6.0f));
    ASSERT_EQ(observer.frames.size(), 1u);
    EXPECT_EQ(observer.frames[0].id, 7u);
    EXPECT_EQ(observer.frames[0].oldArea, (CCanvasRect{1.0f, 1.0f, 4.0f, 3.0f}));
    EXPECT_EQ(frame.frameRect(), (CCanvasRect{5.0f, 6.0f, 4.0f, 3.0f}));
}

TEST_F(FrameSetters, PermissionTestsAskForAnyOfTheBits)
{
    frame.setPermissions(CPicInfo::kPermissionMoveFrame);
    EXPECT_TRUE(frame.hasPermission(CPicInfo::kPermissionMoveResizeFrame));
    EXPECT_FALSE(frame.hasPermission(CPicInfo::kPermissionResizeFrame));
    EXPECT_FALSE(frame.setFrameSize(9.0f, 9.0f));
    EXPECT_TRUE(frame.setFramePos(0.0f, 0.0f));
}

TEST_F(FrameSetters, TheSnapshotKeepsTheValuesOfTheDragStart)
{
    frame.setAlpha(0.4f);
    frame.setRotation(30.0f);
    frame.takeSnapshot();
    frame.setAlpha(frame.snapshotAttributes().alpha() + 0.1f);
    frame.setFramePos(frame.snapshotFrameRect().x + 2.0f, frame.snapshotFrameRect().y);
    EXPECT_EQ(frame.snapshotAttributes().alpha(), 0.4f);
    EXPECT_EQ(frame.snapshotRotation(), 30.0f);
    EXPECT_EQ(frame.snapshotFrameRect(), (CCanvasRect{1.0f, 1.0f, 4.0f, 3.0f}));
    EXPECT_FLOAT_EQ(frame.attributes().alpha(), 0.5f);
    EXPECT_EQ(frame.frameRect().x, 3.0f);
}

TEST(FramePlacement, MapsTheFrameCentreToItselfAndTurnsTheCornersAboutIt)
{
    CPicInfo frame;
    frame.setFramePos(2.0f, 3.0f);
    frame.setFrameSize(4.0f, 2.0f);
    frame.setRotation(90.0f);
    const QTransform placement = frame.placementTransform();
    const QPointF centre = placement.map(QPointF(2.0, 1.0));
    EXPECT_NEAR(centre.x(), 4.0, 1e-9);
    EXPECT_NEAR(centre.y(), 4.0, 1e-9);
    const QPointF corner = placement.map(QPointF(0.0, 0.0));
    EXPECT_NEAR(corner.x(), 5.0, 1e-9);
    EXPECT_NEAR(corner.y(), 2.0, 1e-9);
}

// ---------------------------------------------------------------------------

TEST_F(FrameFixture, LockingTakesRotateMoveAndResizeFromPhotoFramesOnly)
{
    CPicInfo& photoFrame = addFrame({0, 0, 1, 1}, 1);
    CPicInfo& segment = addFrame({0, 0, 1, 1}, 10000, CPicInfo::kPlanePageSegments);
    observer.frames.clear();

    EXPECT_TRUE(manager.setFramesLocked(true));
    EXPECT_EQ(photoFrame.permissions(), 0xFFFFFFF8u);
    EXPECT_EQ(segment.permissions(), 0xFFFFFFFFu);
    ASSERT_EQ(observer.frames.size(), 1u);
    EXPECT_EQ(observer.frames[0].id, 1u);
    EXPECT_FALSE(photoFrame.setFramePos(3.0f, 3.0f));
    EXPECT_FALSE(photoFrame.setFrameSize(3.0f, 3.0f));
    EXPECT_TRUE(segment.setFramePos(3.0f, 3.0f));

    EXPECT_FALSE(manager.setFramesLocked(true));
    EXPECT_TRUE(manager.setFramesLocked(false));
    EXPECT_EQ(photoFrame.permissions(), 0xFFFFFFFFu);
    EXPECT_TRUE(photoFrame.setFramePos(3.0f, 3.0f));
}

TEST_F(FrameFixture, NewIdsAreTheSmallestFreeIdOfTheirPlane)
{
    EXPECT_EQ(manager.newFrameId(1), 0u);
    EXPECT_EQ(manager.newFrameId(2), 10000u);
    addFrame({}, 0);
    addFrame({}, 2);
    addFrame({}, 10000, CPicInfo::kPlanePageSegments);
    EXPECT_EQ(manager.newFrameId(1), 1u);
    EXPECT_EQ(manager.newFrameId(2), 10001u);
    EXPECT_EQ(manager.freeFrameIds(1), 9998u);
    EXPECT_EQ(manager.freeFrameIds(2), 9999u);
    // Plane number 0 takes the visible-planes word as the number: 0x10D = 269.
    EXPECT_EQ(manager.newFrameId(CPicInfoManager::kPlaneFromVisiblePlanes), 2680000u);
}

TEST_F(FrameFixture, APlaneWhoseIdsAreAllTakenGivesNoIdWhileOtherPlanesStillDo)
{
    for (quint32 id = 0; id < CPicInfoManager::kIdsPerPlane; ++id)
        addFrame({}, id);
    EXPECT_EQ(manager.newFrameId(1), std::nullopt);
    EXPECT_EQ(manager.freeFrameIds(1), 0u);
    EXPECT_EQ(manager.newFrameId(2), 10000u);
}

TEST_F(FrameFixture, PlanesWhoseIdsWouldPassThirtyTwoBitsGiveNoId)
{
    EXPECT_EQ(manager.newFrameId(429496), 4294950000u);
    EXPECT_EQ(manager.newFrameId(429497), std::nullopt);
    EXPECT_EQ(manager.freeFrameIds(429497), 0u);
    EXPECT_EQ(manager.newFrameId(0xFFFFFFFFu), std::nullopt);
    manager.setVisiblePlanes(0xFFFFFFFFu, 0);
    EXPECT_EQ(manager.newFrameId(CPicInfoManager::kPlaneFromVisiblePlanes), std::nullopt);
}

TEST_F(FrameFixture, PlaneNumbersAndPlaneWordsConvert)
{
    EXPECT_EQ(CPicInfoManager::planeNumberOf(CPicInfo::kPlanePhotos), 1u);
    EXPECT_EQ(CPicInfoManager::planeNumberOf(CPicInfo::kPlanePageSegments), 2u);
    EXPECT_EQ(CPicInfoManager::planeNumberOf(0x6), 2u);
    EXPECT_EQ(CPicInfoManager::planeNumberOf(0), 1u);
    EXPECT_EQ(CPicInfoManager::planesOf(2), 2u);
    EXPECT_EQ(CPicInfoManager::planesOf(32), 0x80000000u);
    EXPECT_EQ(CPicInfoManager::planesOf(33), 0u);
}

TEST_F(FrameFixture, VisiblePlanesReplaceTheMaskedBits)
{
    EXPECT_EQ(manager.visiblePlanes(), 0x10Du);
    EXPECT_TRUE(manager.setVisiblePlanes(CPicInfo::kPlanePageSegments, CPicInfo::kPlanePageSegments));
    EXPECT_EQ(manager.visiblePlanes(), 0x10Fu);
    EXPECT_TRUE(manager.setVisiblePlanes(0x0F, 0x01));
    EXPECT_EQ(manager.visiblePlanes(), 0x101u);
    EXPECT_FALSE(manager.setVisiblePlanes(0x0F, 0x01));

    CPicInfo& segment = addFrame({}, 10000, CPicInfo::kPlanePageSegments);
    segment.setShown(true);
    EXPECT_FALSE(manager.isDrawn(segment));
    manager.setVisiblePlanes(CPicInfo::kPlanePageSegments, CPicInfo::kPlanePageSegments);
    EXPECT_TRUE(manager.isDrawn(segment));
    segment.setShown(false);
    EXPECT_FALSE(manager.isDrawn(segment));
}

TEST_F(FrameFixture, FramesAreFoundByIdAndListedByPlaneInStackingOrder)
{
    CPicInfo& a = addFrame({}, 3);
    CPicInfo& b = addFrame({}, 10000, CPicInfo::kPlanePageSegments);
    CPicInfo& c = addFrame({}, 1);
    EXPECT_EQ(manager.findFrame(1), &c);
    EXPECT_EQ(manager.findFrame(10000), &b);
    EXPECT_EQ(manager.findFrame(2), nullptr);
    EXPECT_EQ(manager.framesInPlanes(CPicInfo::kPlanePhotos), (std::vector<CPicInfo*>{&a, &c}));
    EXPECT_EQ(manager.framesInPlanes(0x3), (std::vector<CPicInfo*>{&a, &b, &c}));
    EXPECT_EQ(manager.indexOf(&c), 2);

    manager.insertFrame(0, std::make_unique<CPicInfo>());
    EXPECT_EQ(manager.indexOf(&a), 1);
    manager.insertFrame(99, std::make_unique<CPicInfo>());
    EXPECT_EQ(manager.frameCount(), 5);
}

TEST_F(FrameFixture, TakingAFrameOutForgetsItWhereverItIsRemembered)
{
    CPicInfo& a = addFrame({1, 2, 3, 4}, 1);
    CPicInfo& b = addFrame({}, 2);
    manager.setRememberedFrame(CPicInfoManager::Remembered::First, &a);
    manager.setRememberedFrame(CPicInfoManager::Remembered::Second, &b);
    observer.frames.clear();

    std::unique_ptr<CPicInfo> taken = manager.takeFrame(a);
    ASSERT_EQ(taken.get(), &a);
    EXPECT_EQ(taken->manager(), nullptr);
    EXPECT_EQ(manager.rememberedFrame(CPicInfoManager::Remembered::First), nullptr);
    EXPECT_EQ(manager.rememberedFrame(CPicInfoManager::Remembered::Second), &b);
    ASSERT_EQ(observer.frames.size(), 1u);
    EXPECT_EQ(observer.frames[0].oldArea, (CCanvasRect{1, 2, 3, 4}));
    EXPECT_EQ(manager.takeFrame(a), nullptr);

    // A frame outside the collection changes without telling anyone.
    observer.frames.clear();
    taken->setAlpha(0.5f);
    EXPECT_TRUE(observer.frames.empty());
}

TEST_F(FrameFixture, HeldRedrawDeliversEachFrameOnceWhenTheOutermostHoldEnds)
{
    CPicInfo& a = addFrame({0, 0, 1, 1}, 1);
    CPicInfo& b = addFrame({5, 5, 1, 1}, 2);
    observer.frames.clear();

    manager.holdRedraw();
    manager.holdRedraw();
    a.setFramePos(1, 0);
    a.setFramePos(2, 0);
    b.setAlpha(0.5f);
    manager.releaseRedraw();
    EXPECT_TRUE(observer.frames.empty());
    manager.releaseRedraw();

    ASSERT_EQ(observer.frames.size(), 2u);
    for (const auto& request : observer.frames) {
        if (request.id == 1)
            EXPECT_EQ(request.oldArea, (CCanvasRect{0, 0, 2, 1})); // both old places
        else
            EXPECT_EQ(request.oldArea, (CCanvasRect{5, 5, 1, 1}));
    }

    // An unbalanced release does not leave later holds ineffective.
    manager.releaseRedraw();
    manager.holdRedraw();
    a.setFramePos(3, 0);
    EXPECT_EQ(observer.frames.size(), 2u);
    manager.releaseRedraw();
    EXPECT_EQ(observer.frames.size(), 3u);
}

TEST_F(FrameFixture, AWholeCanvasRepaintDuringAHoldStandsForEveryFrame)
{
    CPicInfo& a = addFrame({0, 0, 1, 1}, 1);
    observer.frames.clear();
    observer.canvasRepaints = 0;
    manager.holdRedraw();
    a.setFramePos(1, 1);
    manager.setCanvasColour(0xFF102030);
    manager.releaseRedraw();
    EXPECT_EQ(observer.canvasRepaints, 1);
    EXPECT_TRUE(observer.frames.empty());
    EXPECT_EQ(manager.canvasBrush().color().rgba(), 0xFF102030u);
}

TEST_F(FrameFixture, ClearingEmptiesTheCollectionAndTakesTheDocumentDefaultsFromTheSettings)
{
    settings.setValue(QStringLiteral("SysDpiX"), CPropValue::f32(150.7f));
    settings.setValue(QStringLiteral("CanvasR"), CPropValue::byte(10));
    settings.setValue(QStringLiteral("CanvasG"), CPropValue::byte(20));
    settings.setValue(QStringLiteral("CanvasB"), CPropValue::byte(30));
    settings.setValue(QStringLiteral("HasBorder"), CPropValue::boolean(false));
    settings.setValue(QStringLiteral("HasShadow"), CPropValue::boolean(false));
    settings.setValue(QStringLiteral("BorderWidth"), CPropValue::f32(0.25f));
    settings.setValue(QStringLiteral("BorderAlpha"), CPropValue::byte(0x80));
    settings.setValue(QStringLiteral("BorderR"), CPropValue::byte(1));
    settings.setValue(QStringLiteral("BorderG"), CPropValue::byte(2));
    settings.setValue(QStringLiteral("BorderB"), CPropValue::byte(3));
    settings.setValue(QStringLiteral("ColorToPrinter"), CPropValue::boolean(false));
    settings.setValue(QStringLiteral("CenterOnPage"), CPropValue::boolean(false));

    CPicInfo& frame = addFrame({}, 1);
    manager.setRememberedFrame(CPicInfoManager::Remembered::First, &frame);
    manager.setFramesLocked(true);
    manager.setJumbled(true);
    manager.setVisiblePlanes(0xFFFFFFFF, 0x3);
    manager.setPreview(QImage(4, 4, QImage::Format_ARGB32));

    manager.clear(2);
    EXPECT_EQ(manager.frameCount(), 0);
    EXPECT_EQ(manager.rememberedFrame(CPicInfoManager::Remembered::First), nullptr);
    EXPECT_FALSE(manager.framesLocked());
    EXPECT_FALSE(manager.isJumbled());
    EXPECT_EQ(manager.visiblePlanes(), 0x10Du);
    EXPECT_TRUE(manager.preview().isNull());
    EXPECT_EQ(manager.resolution(), 150u);
    EXPECT_EQ(manager.canvasSizeMode(), 2u);
    EXPECT_EQ(manager.canvasColour(), 0xFF0A141Eu);
    EXPECT_EQ(manager.canvasBrush().color().rgba(), 0xFF0A141Eu);
    EXPECT_FALSE(manager.border().enabled);
    EXPECT_EQ(manager.border().width, 0.25f);
    EXPECT_EQ(manager.border().colour, 0x80010203u);
    EXPECT_FALSE(manager.shadow().enabled);
    EXPECT_EQ(manager.shadow().values, ShadowInfo::kDefaultValues);
    EXPECT_FALSE(manager.printsCanvasColour());
    EXPECT_FALSE(manager.centresOnPage());
}

// ---------------------------------------------------------------------------
// Fitting and photos

TEST(FitImage, CoversTheFrameByItsShorterSideAndCentresTheImage)
{
    // wide by height, tall by width, same shape exactly, no size only centred, frame without height
    EXPECT_EQ(fitImageIntoFrame(400.0f, 200.0f, {1.0f, 1.0f, 2.0f, 2.0f}), (CCanvasRect{0.0f, 1.0f, 4.0f, 2.0f}));
    EXPECT_EQ(fitImageIntoFrame(100.0f, 300.0f, {0.0f, 0.0f, 3.0f, 6.0f}), (CCanvasRect{0.0f, -1.5f, 3.0f, 9.0f}));
    EXPECT_EQ(fitImageIntoFrame(30.0f, 20.0f, {1.0f, 2.0f, 3.0f, 2.0f}), (CCanvasRect{1.0f, 2.0f, 3.0f, 2.0f}));
    EXPECT_EQ(fitImageIntoFrame(0.0f, 0.0f, {0.0f, 0.0f, 4.0f, 2.0f}), (CCanvasRect{2.0f, 1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(fitImageIntoFrame(4.0f, 2.0f, {0.0f, 0.0f, 4.0f, 0.0f}), (CCanvasRect{0.0f, -1.0f, 4.0f, 2.0f}));
}

TEST_F(FrameFixture, SettingAPhotoResetsTheAttributesAndFitsTheImage)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    ASSERT_NE(photo, nullptr);
    CPicInfo& frame = addFrame({1.0f, 1.0f, 2.0f, 2.0f}, 1);
    frame.setAlpha(0.5f);
    frame.setGamma(3.0f);
    frame.setDescription(QStringLiteral("old"));
    frame.clearInvalid(CPicInfo::kInvalidAll);

    EXPECT_TRUE(frame.setPhoto(photo));
    EXPECT_EQ(frame.photo(), photo);
    EXPECT_EQ(frame.photoPath(), photo->path());
    EXPECT_EQ(photo->useCount(), 1);
    EXPECT_EQ(frame.attributes().alpha(), 1.0f);
    EXPECT_EQ(frame.attributes().gamma(), 1.0f);
    EXPECT_TRUE(frame.attributes().description().isEmpty());
    EXPECT_FALSE(frame.flags() & CPicInfo::kFlagAlpha);
    EXPECT_EQ(frame.imageRect(), (CCanvasRect{0.0f, 1.0f, 4.0f, 2.0f}));
    EXPECT_EQ(frame.invalidParts(), 0x30200u);
    EXPECT_FALSE(frame.setPhoto(photo));
}

TEST_F(FrameFixture, ReplacingAndRemovingPhotosKeepsTheUseCountsRight)
{
    CPhotoItem* wide = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    CPhotoItem* tall = photoOf(makeImage(QStringLiteral("tall.png"), 20, 40));
    CPicInfo& first = addFrame({0, 0, 2, 2}, 1);
    CPicInfo& second = addFrame({0, 0, 2, 2}, 2);
    first.setPhoto(wide);
    second.setPhoto(wide);
    EXPECT_EQ(wide->useCount(), 2);

    first.setPhoto(tall);
    EXPECT_EQ(wide->useCount(), 1);
    EXPECT_EQ(tall->useCount(), 1);

    EXPECT_TRUE(second.removePhoto());
    EXPECT_EQ(wide->useCount(), 0);
    EXPECT_EQ(second.imageRect(), CCanvasRect());
    EXPECT_FALSE(second.removePhoto());

    manager.takeFrame(first).reset();
    EXPECT_EQ(tall->useCount(), 0);
}

TEST_F(FrameFixture, RefittingFollowsTheFrameAndNeedsAPhoto)
{
    CPicInfo& frame = addFrame({0, 0, 2, 2}, 1);
    EXPECT_FALSE(frame.fitImageIntoFrame());
    frame.setPhoto(photoOf(makeImage(QStringLiteral("wide.png"), 40, 20)));
    frame.setFrameSize(4.0f, 4.0f);
    EXPECT_TRUE(frame.fitImageIntoFrame());
    EXPECT_EQ(frame.imageRect(), (CCanvasRect{-2.0f, 0.0f, 8.0f, 4.0f}));
    EXPECT_FALSE(frame.fitImageIntoFrame());
}

TEST_F(FrameFixture, ClearingLetsGoOfEveryPhoto)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    addFrame({0, 0, 2, 2}, 1).setPhoto(photo);
    addFrame({0, 0, 2, 2}, 2).setPhoto(photo);
    EXPECT_EQ(photos.photosInUse(), 1u);
    manager.clear(0);
    EXPECT_EQ(photo->useCount(), 0);
    EXPECT_EQ(photos.photosInUse(), 0u);
}

} // namespace
