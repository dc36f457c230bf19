// The canvas view in a real window with synthesized mouse and key events:
// drags move frames by the canvas distance the pointer travelled, Shift
// fine-tunes, Escape restores, clicks on handles act once, new frames need
// a real band, a locked canvas keeps its frames, snapping joins edges with
// one pop, and zoom stops at its limits. Runs offscreen or under Xvfb.

#include "canvasfixture.h"

#include "collageview.h"
#include "commandids.h"
#include "dragmode.h"
#include "framehandles.h"
#include "canvascursors.h"
#include "rubberband.h"
#include "rulers.h"
#include "snapper.h"
#include "snapsettings.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr double kTolerance = 1e-3;

// Counts the hints the document sends.
class HintCounter : public CDocObserver
{
public:
    void onDocumentUpdate(int hint, qintptr) override { ++counts[hint]; }
    std::map<int, int> counts;
};

class CollageViewTest : public CanvasFixture
{
protected:
    void SetUp() override
    {
        CanvasFixture::SetUp();
        view = std::make_unique<CCollageView>(*doc, *services);
        view->resize(800, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        // Snapping only where a test asks for it.
        services->snapper().settings().snapToFrames.set(false);
    }
    void TearDown() override
    {
        view.reset();
        CanvasFixture::TearDown();
    }

    QPointF pixelOf(const QPointF& canvas) const { return view->coords().canvasToDevice(canvas); }
    // Canvas units covered by `pixels` device pixels across.
    double unitsOf(double pixels) const { return pixels * view->coords().pixelWidth(); }

    void send(QEvent::Type type, const QPointF& pixel, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, pixel, view->mapToGlobal(pixel), button, buttons, modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
    void press(const QPointF& pixel, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(QEvent::MouseMove, pixel, Qt::NoButton, Qt::NoButton, modifiers);
        send(QEvent::MouseButtonPress, pixel, Qt::LeftButton, Qt::LeftButton, modifiers);
    }
    void moveTo(const QPointF& pixel, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(QEvent::MouseMove, pixel, Qt::NoButton, Qt::LeftButton, modifiers);
    }
    void release(const QPointF& pixel, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        send(QEvent::MouseButtonRelease, pixel, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    // Press, move in a few steps, release.
    void drag(const QPointF& from, const QPointF& to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        press(from, modifiers);
        for (int step = 1; step <= 4; ++step)
            moveTo(from + (to - from) * step / 4.0, modifiers);
        release(to, modifiers);
    }

    std::unique_ptr<CCollageView> view;
};

TEST_F(CollageViewTest, DraggingAFrameMovesItByTheCanvasDistanceAsOneUndoStep)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    const QPointF start = pixelOf(QPointF(2, 2));
    drag(start, start + QPointF(96, 48));
    EXPECT_NEAR(f.frameRect().x, 1.0 + unitsOf(96), kTolerance);
    EXPECT_NEAR(f.frameRect().y, 1.0 + unitsOf(48) * view->coords().pixelHeight() / view->coords().pixelWidth(),
                kTolerance);
    ASSERT_EQ(steps(), 1u);
    EXPECT_EQ(undo().UndoName(), "Move Image Frame");
    EXPECT_FALSE(view->isDragging());

    ASSERT_TRUE(undo().Undo());
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.0f);
    ASSERT_TRUE(undo().Redo());
    EXPECT_NEAR(f.frameRect().x, 1.0 + unitsOf(96), kTolerance);
}

TEST_F(CollageViewTest, ShiftDragsATenthOfThePointersMovement)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2));
    const QPointF start = pixelOf(QPointF(2, 2));
    drag(start, start + QPointF(200, 0), Qt::ShiftModifier);
    EXPECT_NEAR(f.frameRect().x, 1.0 + unitsOf(200) / 10.0, kTolerance);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.0f);
}

TEST_F(CollageViewTest, AClickWithoutMovementChangesNothingAndLeavesNoStep)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2));
    const QPointF at = pixelOf(QPointF(2, 2));
    press(at);
    release(at);
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    EXPECT_EQ(steps(), 0u);
    EXPECT_TRUE(selection().IsSelected(&f));
}

TEST_F(CollageViewTest, EscapeDuringAResizeRestoresEverySelectedFrameAndLeavesNothingToUndo)
{
    CPicInfo& a = frame(QRectF(1, 1, 2, 2), true);
    CPicInfo& b = frame(QRectF(4, 1, 2, 3), true);
    const CCanvasRect aRect = a.frameRect(), aImage = a.imageRect(), bRect = b.frameRect(), bImage = b.imageRect();
    select({&a, &b});
    // The bottom-right corner handle of a, just inside the frame.
    const QPointF corner = pixelOf(QPointF(3, 3)) - QPointF(2, 2);
    press(corner);
    EXPECT_EQ(view->handle(), FrameHandle::FrameBottomRight);
    EXPECT_EQ(view->mode(), DragMode::ResizeWithImage);
    moveTo(corner + QPointF(40, 30));
    moveTo(corner + QPointF(70, 10));
    ASSERT_NE(a.frameRect(), aRect);
    ASSERT_NE(b.frameRect(), bRect);

    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_FALSE(view->isDragging());
    EXPECT_EQ(a.frameRect(), aRect);
    EXPECT_EQ(a.imageRect(), aImage);
    EXPECT_EQ(b.frameRect(), bRect);
    EXPECT_EQ(b.imageRect(), bImage);
    release(corner + QPointF(70, 10));
    EXPECT_EQ(steps(), 0u);
    EXPECT_FALSE(undo().isPending());
    EXPECT_EQ(a.frameRect(), aRect);
}

TEST_F(CollageViewTest, AResizeThatChangesDifferentThingsOnTheWayIsOneStepThatUndoesEverything)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    const CCanvasRect rect = f.frameRect(), image = f.imageRect();
    select({&f}); // a selected frame shows its handles
    // Bottom-right corner: across only first (the height is not touched),
    // then down as well.
    const QPointF corner = pixelOf(QPointF(3, 3)) - QPointF(2, 2);
    press(corner);
    ASSERT_EQ(view->handle(), FrameHandle::FrameBottomRight);
    moveTo(corner + QPointF(30, 0));
    moveTo(corner + QPointF(30, 40));
    release(corner + QPointF(30, 40));
    ASSERT_EQ(steps(), 1u);
    EXPECT_GT(f.frameRect().height, rect.height);
    ASSERT_TRUE(undo().Undo());
    EXPECT_EQ(f.frameRect(), rect);
    EXPECT_EQ(f.imageRect(), image);
}

TEST_F(CollageViewTest, AToneDragAcrossThenDownIsOneStepThatUndoesBrightnessAndContrast)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    select({&f});
    // The tone handle sits two and a half handle sides in from the corner.
    const QPointF handle = pixelOf(QPointF(1, 1)) + QPointF(2.5, 2.5) * CHandleLayout::kHandlePixels;
    press(handle);
    ASSERT_EQ(view->handle(), FrameHandle::ImageTone);
    moveTo(handle + QPointF(30, 0));  // brightness only
    moveTo(handle + QPointF(30, 40)); // and now contrast
    release(handle + QPointF(30, 40));
    ASSERT_EQ(steps(), 1u);
    EXPECT_GT(f.attributes().brightness(), 0.0f);
    EXPECT_LT(f.attributes().contrast(), 1.0f);
    ASSERT_TRUE(undo().Undo());
    EXPECT_FLOAT_EQ(f.attributes().brightness(), 0.0f);
    EXPECT_FLOAT_EQ(f.attributes().contrast(), 1.0f);
}

TEST_F(CollageViewTest, AClickOnThePageOrientationIconFlipsItAsOneStep)
{
    frames().setVisiblePlanes(CPicInfo::kPlanePageSegments, CPicInfo::kPlanePageSegments);
    CPicInfo* page = CFrameOps(frames()).createFrame({1, 1, 4, 3}, CPicInfoManager::kPageSegmentPlaneNumber);
    ASSERT_NE(page, nullptr);
    undo().Clear();
    int flips = 0;
    view->setPageOrientationFlipper([&](CPicInfo& segment) {
        ++flips;
        return segment.setFrameSize(segment.frameRect().height, segment.frameRect().width);
    });
    CHandleLayout layout;
    layout.pixelSize = view->coords().pixelSize();
    const std::vector<CHandleShape> shapes = frameHandleShapes(*page, layout);
    ASSERT_FALSE(shapes.empty());
    ASSERT_EQ(shapes.front().handle, FrameHandle::PageOrientation);
    const QPointF icon = pixelOf(shapes.front().rect.center() + QPointF(1, 1));
    press(icon);
    EXPECT_EQ(view->handle(), FrameHandle::PageOrientation);
    release(icon);
    EXPECT_EQ(flips, 1);
    EXPECT_FLOAT_EQ(page->frameRect().width, 3.0f);
    EXPECT_EQ(steps(), 1u);
    ASSERT_TRUE(undo().Undo());
    EXPECT_FLOAT_EQ(page->frameRect().width, 4.0f);
}

TEST_F(CollageViewTest, ANarrowBandInDrawFrameModeCreatesNoFrameAndAWideOneDoes)
{
    ASSERT_TRUE(view->onCommand(CommandId::ModeDrawFrame));
    EXPECT_EQ(view->mode(), DragMode::DrawFrame);
    const QPointF start = pixelOf(QPointF(6, 4));
    drag(start, start + QPointF(4, 100));
    EXPECT_EQ(frames().frameCount(), 0);
    EXPECT_EQ(steps(), 0u);
    EXPECT_EQ(view->mode(), DragMode::Move) << "the tool returns to moving after the band";

    view->onCommand(CommandId::ModeDrawFrame);
    drag(start, start + QPointF(60, 40));
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_EQ(steps(), 1u);
    EXPECT_NEAR(frames().frameAt(0)->frameRect().width, unitsOf(60), kTolerance);
}

TEST_F(CollageViewTest, ARubberBandSelectsTheFramesInsideIt)
{
    CPicInfo& a = frame(QRectF(1, 1, 1, 1));
    CPicInfo& b = frame(QRectF(3, 1, 1, 1));
    CPicInfo& c = frame(QRectF(6, 5, 1, 1));
    drag(pixelOf(QPointF(0.5, 0.5)), pixelOf(QPointF(4.5, 2.5)));
    EXPECT_TRUE(selection().IsSelected(&a));
    EXPECT_TRUE(selection().IsSelected(&b));
    EXPECT_FALSE(selection().IsSelected(&c));
    EXPECT_EQ(steps(), 0u);
}

TEST_F(CollageViewTest, DraggingAnImagelessFrameOnALockedCanvasMovesNothing)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2));
    frames().setFramesLocked(true);
    undo().Clear();
    QStringList tips;
    QObject::connect(view.get(), &CCollageView::infoTipRequested, [&](const QString& key) { tips << key; });
    const QPointF start = pixelOf(QPointF(2, 2));
    drag(start, start + QPointF(80, 30));
    EXPECT_FLOAT_EQ(f.frameRect().x, 1.0f);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.0f);
    EXPECT_EQ(steps(), 0u);
    EXPECT_TRUE(tips.contains("Tip::MoveLockFrame"));
}

TEST_F(CollageViewTest, SnappingMakesEdgesCoincideAndPopsOnce)
{
    services->snapper().settings().snapToFrames.set(true);
    // Tops and bottoms lie half a unit apart: out of reach of each other.
    CPicInfo& still = frame(QRectF(1, 1.5, 2, 2));
    CPicInfo& moving = frame(QRectF(4, 1, 2, 2));
    const double pixel = view->coords().pixelWidth();
    // Move the left edge from 4 to 3 plus five pixels: within the seven-pixel reach.
    const QPointF start = pixelOf(QPointF(5, 2));
    press(start);
    moveTo(start - QPointF(40, 0));
    moveTo(pixelOf(QPointF(4.0 + 5 * pixel, 2)));
    EXPECT_NEAR(moving.frameRect().x, 3.0, 1e-5) << "the left edge lies on the other frame's right edge";
    EXPECT_EQ(view->snapSoundRequests(), 1);
    EXPECT_TRUE(QFile::exists(":/sounds/pop.wav")) << "the pop is compiled into the program";
    // Moving on within reach keeps them together without another pop.
    moveTo(pixelOf(QPointF(4.0 + 2 * pixel, 2.1)));
    EXPECT_NEAR(moving.frameRect().x, 3.0, 1e-5);
    release(pixelOf(QPointF(4.0 + 2 * pixel, 2.1)));
    EXPECT_EQ(view->snapSoundRequests(), 1);
    EXPECT_NEAR(moving.frameRect().x + 0.0, still.frameRect().x + still.frameRect().width, 1e-5);

    // Alt turns snapping off for a drag.
    const QPointF again = pixelOf(QPointF(4.5, 2));
    drag(again, again + QPointF(3, 0), Qt::AltModifier);
    EXPECT_NEAR(moving.frameRect().x, 3.0 + unitsOf(3), 1e-4);
}

TEST_F(CollageViewTest, GridMarkersAreRebuiltWhenEverythingChanged)
{
    frame(QRectF(1, 1, 2, 2));
    doc->updateAllViews(DocHint::EverythingChanged);
    const int withoutGrid = services->snapper().candidateCount();
    services->snapper().settings().showGrid.set(true);
    doc->updateAllViews(DocHint::EverythingChanged);
    // A 10 × 7.5 canvas at one unit: markers 1 ... 10.
    EXPECT_EQ(services->snapper().candidateCount(), withoutGrid + 10);
    services->snapper().settings().showGrid.set(false);
    doc->updateAllViews(DocHint::EverythingChanged);
    EXPECT_EQ(services->snapper().candidateCount(), withoutGrid);
}

TEST_F(CollageViewTest, ZoomStopsAtItsLimitsAndAStepThatChangesNothingSendsNoHint)
{
    HintCounter hints;
    doc->addObserver(&hints);
    for (int i = 0; i < 100; ++i)
        view->onCommand(CommandId::ZoomIn);
    EXPECT_FLOAT_EQ(view->coords().zoom(), CViewCoords::kMaxZoom);
    EXPECT_FALSE(view->commandState(CommandId::ZoomIn)->enabled);
    const int atLimit = hints.counts[DocHint::ZoomChanged];
    view->onCommand(CommandId::ZoomIn);
    EXPECT_EQ(hints.counts[DocHint::ZoomChanged], atLimit);
    for (int i = 0; i < 200; ++i)
        view->onCommand(CommandId::ZoomOut);
    EXPECT_FLOAT_EQ(view->coords().zoom(), CViewCoords::kMinZoom);
    EXPECT_TRUE(view->isZoomPending());
    // The snapping reach follows the zoom: seven pixels.
    EXPECT_NEAR(services->snapper().snapDistance(), 7.0 * view->coords().pixelWidth(), 1e-6);
    doc->removeObserver(&hints);
}

TEST_F(CollageViewTest, TheWheelZoomsAroundThePointUnderTheCursor)
{
    const QPointF at = pixelOf(QPointF(3, 2));
    send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &wheel);
    EXPECT_GT(view->coords().zoom(), 1.0f) << "rolling toward the user zooms in";
    EXPECT_NEAR(pixelOf(QPointF(3, 2)).x(), at.x(), 0.05);
    EXPECT_NEAR(pixelOf(QPointF(3, 2)).y(), at.y(), 0.05);
}

TEST_F(CollageViewTest, ResetZoomFitsTheCanvasAndCentersIt)
{
    view->onCommand(CommandId::ResetZoom);
    const QRectF canvas = view->coords().canvasToDevice(QRectF(0, 0, doc->canvasWidth(), doc->canvasHeight()));
    EXPECT_TRUE(QRectF(view->rect()).contains(canvas));
    EXPECT_NEAR(canvas.center().x(), 400.0 + 0.1 / view->coords().pixelWidth(), 1.0);
    EXPECT_GT(canvas.width(), 700.0);
}

TEST_F(CollageViewTest, ArrowKeysPanByFifteenPixelsOrFiveWithShift)
{
    const QPointF corner = pixelOf(QPointF(0, 0));
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).x() - corner.x(), 15.0, 1e-2);
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).y() - corner.y(), 5.0, 1e-2);
}

TEST_F(CollageViewTest, HeldKeysSelectToolsUntilReleased)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    select({&f});
    QTest::keyPress(view.get(), Qt::Key_R);
    EXPECT_EQ(view->mode(), DragMode::Rotate);
    EXPECT_FALSE(view->isAutoMode());
    // Hovering over a frame and its handles keeps the held tool.
    send(QEvent::MouseMove, pixelOf(QPointF(2, 2)), Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseMove, pixelOf(QPointF(3, 3)) - QPointF(2, 2), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(view->mode(), DragMode::Rotate);
    QTest::keyRelease(view.get(), Qt::Key_R);
    EXPECT_EQ(view->mode(), DragMode::Move);
    EXPECT_TRUE(view->isAutoMode());
}

TEST_F(CollageViewTest, RotatingFollowsThePointerAroundTheCentreEvenWithShift)
{
    CPicInfo& f = frame(QRectF(2, 2, 2, 2), true);
    select({&f});
    QTest::keyPress(view.get(), Qt::Key_R);
    const QPointF right = pixelOf(QPointF(3.8, 3)), below = pixelOf(QPointF(3, 3.8));
    press(right, Qt::ShiftModifier);
    moveTo((right + below) / 2.0 + QPointF(10, 10), Qt::ShiftModifier);
    moveTo(below, Qt::ShiftModifier);
    release(below, Qt::ShiftModifier);
    QTest::keyRelease(view.get(), Qt::Key_R);
    // A quarter turn clockwise on the screen.
    EXPECT_NEAR(f.rotation(), 90.0, 0.5);
    EXPECT_EQ(undo().UndoName(), "Rotate Image");
}

TEST_F(CollageViewTest, HoldingWAndDraggingPansTheCanvas)
{
    const QPointF corner = pixelOf(QPointF(0, 0));
    QTest::keyPress(view.get(), Qt::Key_W);
    const QPointF from(300, 300);
    press(from);
    moveTo(from + QPointF(30, 20));
    QTest::keyRelease(view.get(), Qt::Key_W); // panning goes on until the button comes up
    moveTo(from + QPointF(50, 40));
    release(from + QPointF(50, 40));
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).x() - corner.x(), 50.0, 0.05);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).y() - corner.y(), 40.0, 0.05);
    EXPECT_EQ(view->mode(), DragMode::Move);
    EXPECT_EQ(steps(), 0u);
}

TEST_F(CollageViewTest, AZoomSettlesFourHundredMillisecondsAfterTheLastStep)
{
    QStringList tips;
    QObject::connect(view.get(), &CCollageView::infoTipRequested, [&](const QString& key) { tips << key; });
    for (int i = 0; i < 10; ++i)
        view->onCommand(CommandId::ZoomIn); // the canvas no longer fits the window
    EXPECT_TRUE(view->isZoomPending());
    QTest::qWait(CCollageView::kSettleTimerMs / 2);
    EXPECT_TRUE(view->isZoomPending());
    QTest::qWait(CCollageView::kSettleTimerMs);
    EXPECT_FALSE(view->isZoomPending());
    EXPECT_TRUE(tips.contains("Tip::PanZoomInfo"));
}

TEST_F(CollageViewTest, TheMiddleButtonPansTheCanvasAndLeavesTheToolAsItWas)
{
    const QPointF corner = pixelOf(QPointF(0, 0));
    const QPointF from(200, 200);
    send(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    send(QEvent::MouseMove, from + QPointF(-20, 10), Qt::NoButton, Qt::MiddleButton);
    send(QEvent::MouseButtonRelease, from + QPointF(-20, 10), Qt::MiddleButton, Qt::NoButton);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).x() - corner.x(), -20.0, 0.05);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).y() - corner.y(), 10.0, 0.05);
    EXPECT_EQ(view->mode(), DragMode::Move);

    // A tool chosen before the pan is still chosen after it.
    view->onCommand(CommandId::ModeCrop);
    send(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    send(QEvent::MouseMove, from + QPointF(10, 0), Qt::NoButton, Qt::MiddleButton);
    send(QEvent::MouseButtonRelease, from + QPointF(10, 0), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(view->mode(), DragMode::Crop);
}

TEST_F(CollageViewTest, NavigationKeysStepThroughTheFramesAndDeleteAsksForRemoval)
{
    CPicInfo& a = frame(QRectF(1, 1, 1, 1));
    frame(QRectF(3, 1, 1, 1));
    CPicInfo& c = frame(QRectF(5, 1, 1, 1));
    QList<int> requested;
    QObject::connect(view.get(), &CCollageView::commandRequested, [&](int id) { requested << id; });
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_TRUE(selection().IsSelected(&c));
    QTest::keyClick(view.get(), Qt::Key_Tab); // from the last frame on to the first
    EXPECT_TRUE(selection().IsSelected(&a));
    EXPECT_EQ(selection().Count(), 1);
    QTest::keyClick(view.get(), Qt::Key_Home);
    EXPECT_TRUE(selection().IsSelected(&a));
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(requested, QList<int>{CommandId::RemoveSelected});
}

TEST_F(CollageViewTest, TurningAPhotoInTheCollectionRepaintsEveryFrameShowingIt)
{
    // Red on the left, blue on the right: a half turn swaps the halves.
    const QString file = home.path() + "/halves.png";
    QImage halves(200, 100, QImage::Format_RGB32);
    halves.fill(Qt::red);
    QPainter(&halves).fillRect(100, 0, 100, 100, Qt::blue);
    ASSERT_TRUE(halves.save(file, "PNG"));
    CPhotoItem* photo = services->photos().FindPhoto(file, true);
    CPicInfo& first = frame({0.5, 1, 4, 2});
    CPicInfo& second = frame({5, 1, 4, 2});
    frame({2, 4, 3, 2}, true); // showing another photo
    first.setPhoto(photo);
    second.setPhoto(photo);
    view->onCommand(CommandId::ResetZoom);
    const auto colourAt = [this](const QPointF& canvas) {
        return QColor(view->grab().toImage().pixel(pixelOf(canvas).toPoint()));
    };
    const QRgb otherBefore = colourAt({3.5, 5}).rgb();
    ASSERT_GT(colourAt({1, 2}).red(), 200);
    ASSERT_GT(colourAt({5.5, 2}).red(), 200);

    ASSERT_TRUE(CFrameOps(frames()).spinImage(*photo, 2));
    for (const QPointF& left : {QPointF(1, 2), QPointF(5.5, 2)}) {
        EXPECT_GT(colourAt(left).blue(), 200);
        EXPECT_LT(colourAt(left).red(), 50);
    }
    EXPECT_EQ(colourAt({3.5, 5}).rgb(), otherBefore) << "a frame showing another photo stays";
}

TEST_F(CollageViewTest, PaintingShowsTheSurroundOutsideAndTheCanvasInside)
{
    frames().setCanvasColour(0xFF20A040);
    view->onCommand(CommandId::ResetZoom);
    const QImage shot = view->grab().toImage();
    const QPointF inside = pixelOf(QPointF(5, 5));
    EXPECT_EQ(shot.pixel(inside.toPoint()), 0xFF20A040);
    const QPointF outside = pixelOf(QPointF(doc->canvasWidth() + 0.15, 3.0));
    EXPECT_EQ(shot.pixel(outside.toPoint()), CCollageView::kSurroundColour);
    // An 800-pixel client is drawn from a 1200-pixel buffer.
    EXPECT_EQ(view->backBuffer().width(), 1200);
}

TEST_F(CollageViewTest, AMovedFrameIsRepaintedOnlyAroundItself)
{
    CPicInfo& f = frame(QRectF(1, 1, 1, 1), true);
    frame(QRectF(5, 4, 2, 2), true);
    view->renderPending();
    const qint64 before = view->renderedPixels();
    const QPointF start = pixelOf(QPointF(1.5, 1.5));
    press(start);
    moveTo(start + QPointF(10, 0));
    view->renderPending();
    EXPECT_GT(view->renderedPixels(), before);
    EXPECT_LT(view->renderedPixels() - before, 800 * 600 / 4) << "far less than the whole view";
    release(start + QPointF(10, 0));
    EXPECT_GT(f.frameRect().x, 1.0f);
}

TEST_F(CollageViewTest, EditsAndUndoNamesSurviveSavingAndReopening)
{
    CPicInfo& f = frame(QRectF(1, 1, 2, 2), true);
    const QPointF start = pixelOf(QPointF(2, 2));
    drag(start, start + QPointF(48, 0));
    const float movedX = f.frameRect().x;
    const QString path = home.path() + "/edited.Collage";
    ASSERT_EQ(doc->saveDocument(path), CCollageDoc::SaveResult::Saved);
    view.reset();
    doc->newDocument();
    ASSERT_EQ(frames().frameCount(), 0);
    ASSERT_EQ(doc->openDocument(path), CCollageDoc::OpenResult::Opened);
    ASSERT_EQ(frames().frameCount(), 1);
    EXPECT_FLOAT_EQ(frames().frameAt(0)->frameRect().x, movedX);
    EXPECT_EQ(undo().UndoName(), "Move Image Frame");
    ASSERT_TRUE(undo().Undo());
    EXPECT_FLOAT_EQ(frames().frameAt(0)->frameRect().x, 1.0f);
}

// --- What a new user trips over

TEST_F(CollageViewTest, ACropChosenInTheToolbarStaysChosenOverAnEdgeHandleAndKeepsThePhotosShape)
{
    CPicInfo& f = frame(QRectF(1, 1, 3, 2), true);
    select({&f});
    const CCanvasRect image = f.imageRect();
    view->onCommand(CommandId::ModeCrop);
    // The right edge handle, just inside the frame; on the way the pointer
    // crosses the frame's body.
    const QPointF edge = pixelOf(QPointF(4, 2)) - QPointF(2, 0);
    moveTo(pixelOf(QPointF(2.5, 2)));
    moveTo(edge);
    ASSERT_EQ(view->handle(), FrameHandle::FrameRight);
    EXPECT_EQ(view->mode(), DragMode::Crop);
    drag(edge, edge - QPointF(48, 0));
    EXPECT_EQ(view->mode(), DragMode::Crop) << "still chosen after the drag";
    EXPECT_LT(f.frameRect().width, 3.0f);
    EXPECT_EQ(f.imageRect(), image) << "a crop leaves the photo as it is";

    // Holding Shift to fine-tune does not drop the chosen tool either.
    QTest::keyPress(view.get(), Qt::Key_Shift);
    EXPECT_EQ(view->mode(), DragMode::Crop);
    QTest::keyRelease(view.get(), Qt::Key_Shift);
    // Move Frames is the automatic tool again: the handles pick their own.
    view->onCommand(CommandId::ModeMove);
    moveTo(pixelOf(QPointF(2.5, 2)));
    moveTo(edge - QPointF(48, 0));
    EXPECT_EQ(view->mode(), DragMode::ResizeWithImage);
}

TEST_F(CollageViewTest, WheelPartsAddUpToOneStepSoAFineWheelDoesNotOverZoom)
{
    const float before = view->coords().zoom();
    const auto roll = [&](int delta) {
        const QPointF at(400, 300);
        QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &wheel);
    };
    // One notch sent as eight parts of 15.
    for (int i = 0; i < 8; ++i)
        roll(-15);
    const float oneNotch = view->coords().zoom();
    EXPECT_NEAR(oneNotch / before, 1.0 + 40.0 / 6.0 / 100.0, 1e-3) << "one step of 6.67 %";
    for (int i = 0; i < 7; ++i)
        roll(-15);
    EXPECT_FLOAT_EQ(view->coords().zoom(), oneNotch) << "seven parts are not a notch yet";
    roll(15); // the other way starts afresh
    roll(-15);
    EXPECT_FLOAT_EQ(view->coords().zoom(), oneNotch);
}

TEST_F(CollageViewTest, ScrollBarsShowWhileTheCanvasIsLargerThanTheViewAndMoveIt)
{
    view->onCommand(CommandId::ResetZoom);
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    for (int i = 0; i < 12; ++i)
        view->onCommand(CommandId::ZoomIn);
    ASSERT_TRUE(view->horizontalScrollBar()->isVisible());
    ASSERT_TRUE(view->verticalScrollBar()->isVisible());
    QScrollBar* across = view->horizontalScrollBar();
    const double left = pixelOf(QPointF(0, 0)).x();
    across->setValue(across->value() + 100);
    EXPECT_NEAR(pixelOf(QPointF(0, 0)).x(), left - 100, 0.5) << "the canvas moves left by the bar's step";
    // Panning moves the bar along.
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(across->value(), int(std::lround(CCollageView::kScrollMarginPixels - pixelOf(QPointF(0, 0)).x())));
    view->onCommand(CommandId::ResetZoom);
    EXPECT_FALSE(across->isVisible());
}

TEST_F(CollageViewTest, RulerNumbersAreZoomTimesPointNineteenUnitsTallAndLightOnTheDarkBand)
{
    EXPECT_EQ(CRulers::numberPixels(view->coords()), int(std::lround(0.19 * view->coords().pixelsPerUnitY())));
    const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int band = CRulers::bandPixels(view->coords());
    // Along the top band, right of the whole unit 1: its number.
    const int x1 = int(pixelOf(QPointF(1, 0)).x());
    int light = 0;
    for (int y = 0; y < band; ++y)
        for (int x = x1 + 1; x < x1 + 1 + CRulers::numberPixels(view->coords()); ++x)
            light += qGray(shot.pixel(x, y)) > 160;
    EXPECT_GT(light, 3) << "the number shows light on the band";
}

TEST_F(CollageViewTest, TheRubberBandLetsTheFramesUnderItShow)
{
    EXPECT_LT(qAlpha(CRubberBand::kFill), 0xC0);
    CPicInfo& f = frame(QRectF(3, 2, 2, 2), true);
    const QPointF inside = pixelOf(QPointF(3.5, 2.5)); // clear of the handles it shows once selected
    const QRgb bare = view->grab().toImage().pixel(inside.toPoint());
    view->onCommand(CommandId::ModeRubberBand);
    press(pixelOf(QPointF(2, 1)));
    moveTo(pixelOf(QPointF(6, 5)));
    const QRgb under = view->grab().toImage().pixel(inside.toPoint());
    release(pixelOf(QPointF(6, 5)));
    EXPECT_TRUE(selection().IsSelected(&f));
    // The photo (dark cyan) still shows through: darker, not replaced.
    EXPECT_NE(under, qRgb(0x30, 0x30, 0x30));
    EXPECT_GT(qGreen(under), qRed(under) + 20) << "the photo's colour shows through";
    EXPECT_LE(qGreen(under), qGreen(bare));
}

TEST_F(CollageViewTest, GridLinesShowOnTheDefaultCanvasColour)
{
    doc->newDocument(); // the canvas takes the default colour of the settings
    CSnapSettings& settings = services->snapper().settings();
    settings.showGrid.set(true);
    settings.drawGridLines.set(true);
    doc->updateAllViews(DocHint::EverythingChanged);
    view->renderPending();
    const QImage& buffer = view->backBuffer();
    const QPoint onLine = pixelOf(QPointF(2, 1.5)).toPoint();
    const QPoint between = pixelOf(QPointF(2.5, 1.5)).toPoint();
    int darkest = 255;
    for (int dx = -1; dx <= 1; ++dx)
        darkest = std::min(darkest, qGray(buffer.pixel(onLine + QPoint(dx, 0))));
    EXPECT_GT(qGray(buffer.pixel(between)) - darkest, 20) << "a line at x = 2 stands out from the canvas beside it";
}

TEST_F(CollageViewTest, EachToolShowsItsOwnCursorPicture)
{
    CPicInfo& f = frame(QRectF(1, 1, 3, 2), true);
    select({&f});
    QSet<qint64> pictures;
    for (int command : {CommandId::ModeRotate, CommandId::ModeDrawFrame, CommandId::ModeCrop,
                        CommandId::ModePanCanvas, CommandId::ModeZoomDrag, CommandId::ModeRubberBand,
                        CommandId::ModePanImage}) {
        view->onCommand(command);
        moveTo(pixelOf(QPointF(2.5, 2)));
        const QPixmap picture = view->cursor().pixmap();
        ASSERT_FALSE(picture.isNull()) << command;
        pictures.insert(picture.cacheKey());
    }
    EXPECT_EQ(pictures.size(), 7) << "no two tools share a cursor";
    EXPECT_EQ(CanvasCursors::cursor(CursorId::Default).shape(), Qt::ArrowCursor);
    EXPECT_STREQ(CanvasCursors::resourceName(CursorId::LockedFrame), "IDC_PICKUP");
}

TEST_F(CollageViewTest, TheStartUpClickIsAFiftySixByteWavePlayedOnce)
{
    QFile wave(":/sounds/startup.wav");
    ASSERT_TRUE(wave.open(QIODevice::ReadOnly));
    const QByteArray bytes = wave.readAll();
    EXPECT_EQ(bytes.size(), 56);
    EXPECT_TRUE(bytes.startsWith("RIFF"));
    EXPECT_EQ(bytes.mid(8, 4), "WAVE");
    EXPECT_EQ(view->startupSoundRequests(), 0);
    view->playStartupSound();
    EXPECT_EQ(view->startupSoundRequests(), 1);
}

} // namespace
