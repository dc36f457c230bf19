// The handle table, the tool table and what a drag does to a frame, without
// a window: handles are found in their test order with the shapes that are
// drawn, edge flags and hover modes follow the table, and every drag
// operation starts from the frame's snapshot.

#include "canvasfixture.h"

#include "dragmode.h"
#include "framedrag.h"
#include "framehandles.h"

#include <QPainter>

namespace {

constexpr double kTolerance = 1e-4;

CHandleLayout selectedLayout()
{
    CHandleLayout layout;
    layout.pixelSize = QSizeF(1.0 / 96.0, 1.0 / 96.0);
    layout.selected = true;
    return layout;
}

TEST(HandleTable, EdgeFlagsFollowTheCornersAndEdges)
{
    EXPECT_EQ(handleEdges(0), 0x9000);
    EXPECT_EQ(handleEdges(8), 0x9000);
    EXPECT_EQ(handleEdges(1), 0x5000);
    EXPECT_EQ(handleEdges(9), 0x5000);
    EXPECT_EQ(handleEdges(2), 0xA000);
    EXPECT_EQ(handleEdges(10), 0xA000);
    EXPECT_EQ(handleEdges(3), 0x6000);
    EXPECT_EQ(handleEdges(11), 0x6000);
    EXPECT_EQ(handleEdges(4), 0x1000);
    EXPECT_EQ(handleEdges(5), 0x2000);
    EXPECT_EQ(handleEdges(6), 0x8000);
    EXPECT_EQ(handleEdges(7), 0x4000);
    for (int other : {12, 16, 17, 18, 19, 20, 200, 201, 202}) {
        EXPECT_EQ(handleEdges(other), 0) << other;
        EXPECT_EQ(resizeEdges(other), 0x5020) << other;
    }
    EXPECT_EQ(resizeEdges(3), 0x6000);
}

TEST(HandleTable, HoverSelectsTheHandlesToolAndHandle19OnlyInAutoMode)
{
    EXPECT_EQ(hoverModeForHandle(2, false), DragMode::ResizeWithImage);
    EXPECT_EQ(hoverModeForHandle(7, false), DragMode::ResizeWithImage);
    EXPECT_EQ(hoverModeForHandle(10, false), DragMode::ResizeImage);
    EXPECT_EQ(hoverModeForHandle(13, false), DragMode::PanImage);
    EXPECT_EQ(hoverModeForHandle(17, false), DragMode::PanImage);
    EXPECT_EQ(hoverModeForHandle(16, false), DragMode::Rotate);
    EXPECT_EQ(hoverModeForHandle(18, false), DragMode::Split);
    EXPECT_EQ(hoverModeForHandle(20, false), DragMode::ImageTone);
    EXPECT_EQ(hoverModeForHandle(200, false), DragMode::Move);
    EXPECT_EQ(hoverModeForHandle(19, false), -1);
    EXPECT_EQ(hoverModeForHandle(19, true), DragMode::Move);
    EXPECT_EQ(hoverModeForHandle(201, false), -1);
}

TEST(ToolTable, HoldKeysAndCommandsSelectTheSameModes)
{
    const struct { int key, command, mode; } rows[] = {
        {'S', 146, 1}, {'I', 145, 2}, {'P', 157, 3},  {'O', 147, 4},  {'M', 168, 5}, {'J', 169, 6},
        {'R', 144, 7}, {'F', 261, 11}, {'B', 216, 12}, {'W', 149, 13}, {'E', 148, 14},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(modeForHoldKey(row.key), row.mode) << char(row.key);
        EXPECT_EQ(modeForCommand(row.command), row.mode) << row.command;
        EXPECT_EQ(holdKeyForMode(row.mode), row.key);
    }
    EXPECT_EQ(modeForHoldKey('Z'), -1);
    EXPECT_EQ(modeForCommand(246), -1);
}

TEST(ToolTable, CursorsFollowTheModeThenTheFrameUnderTheMouse)
{
    EXPECT_EQ(cursorFor(DragMode::Rotate, true, true, true, false), CursorId::Rotate);
    EXPECT_EQ(cursorFor(DragMode::PanImage, true, true, true, false), CursorId::PanImage);
    // Panning a printer page has no image cursor.
    EXPECT_EQ(cursorFor(DragMode::PanImage, true, false, false, false), CursorId::OverFrame);
    EXPECT_EQ(cursorFor(DragMode::Move, true, true, false, true), CursorId::LockedFrame);
    EXPECT_EQ(cursorFor(DragMode::Move, true, false, false, true), CursorId::OverFrame);
    EXPECT_EQ(cursorFor(DragMode::Move, true, true, true, false), CursorId::Default);
    EXPECT_EQ(cursorFor(DragMode::Move, false, false, false, false), CursorId::Default);
    EXPECT_EQ(cursorFor(DragMode::PanCanvas, false, false, false, false), CursorId::PanCanvas);
}

class HandleShapes : public CanvasFixture
{
};

TEST_F(HandleShapes, AreOfferedInTestOrderAndFoundWhereTheyAreDrawn)
{
    CPicInfo& f = frame(QRectF(1, 1, 4, 3), true);
    const CHandleLayout layout = selectedLayout();
    const std::vector<CHandleShape> shapes = frameHandleShapes(f, layout);
    ASSERT_FALSE(shapes.empty());
    // Test order: positions within the order only grow.
    auto position = [](int handle) {
        return std::find(FrameHandle::kTestOrder.begin(), FrameHandle::kTestOrder.end(), handle) -
               FrameHandle::kTestOrder.begin();
    };
    for (size_t i = 1; i < shapes.size(); ++i)
        EXPECT_LT(position(shapes[i - 1].handle), position(shapes[i].handle));
    // The middle of each drawn shape hits that very handle (an upright frame:
    // frame coordinates are the canvas offset by the corner).
    for (const CHandleShape& shape : shapes)
        EXPECT_EQ(handleAt(f, shape.rect.center() + QPointF(1, 1), layout), shape.handle) << shape.handle;
    EXPECT_EQ(handleAt(f, QPointF(2.0, 1.7), layout), FrameHandle::None);
}

TEST_F(HandleShapes, FollowTheFrameWhenItIsRotated)
{
    CPicInfo& f = frame(QRectF(2, 2, 4, 2), true);
    f.setRotation(90.0f);
    const CHandleLayout layout = selectedLayout();
    // The top-left corner of the unrotated frame, turned a quarter clockwise
    // about the centre (4, 3), lies at the top right of the outline.
    const QPointF corner = f.placementTransform().map(QPointF(0.02, 0.02));
    EXPECT_EQ(handleAt(f, corner, layout), FrameHandle::FrameTopLeft);
    EXPECT_NEAR(corner.x(), 5.0 - 0.02, 1e-3);
}

TEST_F(HandleShapes, AnUnselectedFrameOrOneWithoutAPhotoOffersFewer)
{
    CPicInfo& empty = frame(QRectF(0, 0, 3, 3));
    CHandleLayout layout = selectedLayout();
    for (const CHandleShape& shape : frameHandleShapes(empty, layout)) {
        EXPECT_TRUE(shape.handle <= 7 || shape.handle == 16 || shape.handle == 18) << shape.handle;
    }
    layout.selected = false;
    EXPECT_TRUE(frameHandleShapes(empty, layout).empty());
    EXPECT_EQ(handleAt(empty, QPointF(0.01, 0.01), layout), FrameHandle::None);
}

TEST_F(HandleShapes, HandlesOfATinyFrameStayInsideItAndLeaveABody)
{
    CPicInfo& tiny = frame(QRectF(0, 0, 0.1, 0.1), true);
    for (const CHandleShape& shape : frameHandleShapes(tiny, selectedLayout())) {
        EXPECT_TRUE(QRectF(0, 0, 0.1, 0.1).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(shape.rect)) << shape.handle;
    }
    QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&canvas);
    drawFrameDecorations(painter, tiny, selectedLayout(), QSize(3, 2)); // draws without trouble
}

TEST_F(HandleShapes, AreDrawnWhereTheHitTestFindsThem)
{
    CPicInfo& f = frame(QRectF(0, 0, 4, 3), true);
    const CHandleLayout layout = selectedLayout();
    QImage picture(4 * 96, 3 * 96, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.scale(96.0, 96.0); // frame coordinates at 96 pixels per unit, as the layout assumes
    drawFrameDecorations(painter, f, layout);
    painter.end();
    for (const CHandleShape& shape : frameHandleShapes(f, layout)) {
        const QPoint centre = (shape.rect.center() * 96.0).toPoint();
        EXPECT_NE(picture.pixel(centre), qRgb(0, 0, 0)) << "handle " << shape.handle << " is drawn";
        EXPECT_EQ(handleAt(f, shape.rect.center(), layout), shape.handle);
    }
    // Between the handles the frame is left as it is.
    EXPECT_EQ(picture.pixel(QPoint(int(1.2 * 96), int(1.0 * 96))), qRgb(0, 0, 0));
    EXPECT_EQ(handleAt(f, QPointF(1.2, 1.0), layout), FrameHandle::None);
}

// The decorations of a 4 x 3 frame drawn at 96 pixels per unit over black,
// in the frame's own coordinates.
QImage decorations(const CPicInfo& frame, const CHandleLayout& layout)
{
    QImage picture(4 * 96, 3 * 96, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.scale(96.0, 96.0);
    drawFrameDecorations(painter, frame, layout);
    painter.end();
    return picture;
}

int litPixels(const QImage& picture, const QRect& area)
{
    int lit = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            lit += picture.pixel(x, y) != qRgb(0, 0, 0);
    return lit;
}

TEST_F(HandleShapes, ATurnedFramesHandlesAreSeeThrough)
{
    CPicInfo& f = frame(QRectF(0, 0, 4, 3), true);
    const CHandleLayout layout = selectedLayout();
    QPointF edge;
    for (const CHandleShape& shape : frameHandleShapes(f, layout))
        if (shape.handle == FrameHandle::FrameRight)
            edge = shape.rect.center();
    const QPoint pixel = (edge * 96.0).toPoint();
    const int upright = qRed(decorations(f, layout).pixel(pixel));
    f.setRotation(30.0f);
    const int turned = qRed(decorations(f, layout).pixel(pixel));
    EXPECT_EQ(upright, 255) << "a white handle";
    EXPECT_NEAR(turned, 255 * CHandleLayout::kRotatedHandleOpacity, 3);
}

TEST_F(HandleShapes, TheFocusFrameCarriesAMarkInsideItsOutline)
{
    CPicInfo& f = frame(QRectF(0, 0, 4, 3), true);
    CHandleLayout layout = selectedLayout();
    // Rows 3 to 5 between the corner and the edge handle: inside the
    // selection outline (rows 0 to 2), where the focus mark runs.
    const QRect band(96, 3, 48, 3);
    EXPECT_EQ(litPixels(decorations(f, layout), band), 0);
    layout.focused = true;
    EXPECT_GT(litPixels(decorations(f, layout), band), 10);
}

// --- What a drag does to a frame

class FrameDragOps : public CanvasFixture
{
};

TEST_F(FrameDragOps, MoveCarriesTheImageUnlessTheFrameMovesAlone)
{
    CPicInfo& f = frame(QRectF(1, 1, 4, 3), true);
    const CCanvasRect image = f.imageRect();
    f.takeSnapshot();
    FrameDrag::move(f, QPointF(0.5, -0.25), false);
    FrameDrag::move(f, QPointF(1.0, 0.5), false); // totals, not increments
    EXPECT_FLOAT_EQ(f.frameRect().x, 2.0f);
    EXPECT_FLOAT_EQ(f.frameRect().y, 1.5f);
    EXPECT_FLOAT_EQ(f.imageRect().x, image.x + 1.0f);
    f.takeSnapshot();
    FrameDrag::move(f, QPointF(1.0, 0), true);
    EXPECT_FLOAT_EQ(f.frameRect().x, 3.0f);
    EXPECT_FLOAT_EQ(f.imageRect().x, image.x + 1.0f);
}

TEST_F(FrameDragOps, ResizeMovesOnlyTheHandlesEdgesAndScalesTheImageAlongWithoutSquashingIt)
{
    CPicInfo& f = frame(QRectF(1, 1, 4, 2), true);
    const QRectF image = f.imageRect().toRectF();
    f.takeSnapshot();
    // Wider by 5/4, lower by 3/4: the photo grows by 5/4 both ways.
    FrameDrag::resize(f, QPointF(-1, 0.5), handleEdges(FrameHandle::FrameTopLeft), true);
    EXPECT_EQ(f.frameRect().toRectF(), QRectF(0, 1.5, 5, 1.5));
    EXPECT_NEAR(f.imageRect().width, image.width() * 5.0 / 4.0, kTolerance);
    EXPECT_NEAR(f.imageRect().height, image.height() * 5.0 / 4.0, kTolerance);
    EXPECT_TRUE(f.imageRect().toRectF().adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance)
                    .contains(f.frameRect().toRectF()))
        << "the photo still fills the frame";
    // Dragged past the opposite edge, the frame stops at the least size.
    FrameDrag::resize(f, QPointF(10, 0), handleEdges(FrameHandle::FrameLeft), true);
    EXPECT_NEAR(f.frameRect().width, FrameDrag::kMinExtent, kTolerance);
    EXPECT_NEAR(f.frameRect().x + f.frameRect().width, 5.0, kTolerance);
}

TEST_F(FrameDragOps, CropMovesTheFrameEdgeAndLeavesTheImage)
{
    CPicInfo& f = frame(QRectF(1, 1, 4, 2), true);
    const CCanvasRect image = f.imageRect();
    f.takeSnapshot();
    FrameDrag::resize(f, QPointF(-0.5, 0), handleEdges(FrameHandle::FrameRight), false);
    EXPECT_FLOAT_EQ(f.frameRect().width, 3.5f);
    EXPECT_EQ(f.imageRect(), image);
    f.setPermissions(CPicInfo::kAllPermissions & ~CPicInfo::kPermissionCrop);
    FrameDrag::resize(f, QPointF(-1, 0), handleEdges(FrameHandle::FrameRight), false);
    EXPECT_FLOAT_EQ(f.frameRect().width, 3.5f);
}

TEST_F(FrameDragOps, PanFollowsTheImagesAxesAndTheHandlesDirection)
{
    CPicInfo& f = frame(QRectF(0, 0, 4, 2), true);
    const CCanvasRect image = f.imageRect();
    f.setRotation(90.0f);
    f.takeSnapshot();
    // Turned a quarter clockwise, a drag down the screen runs along the image's x axis.
    FrameDrag::panImage(f, QPointF(0, 1), FrameHandle::PanFree);
    EXPECT_NEAR(f.imageRect().x, image.x + 1.0, kTolerance);
    EXPECT_NEAR(f.imageRect().y, image.y, kTolerance);
    FrameDrag::panImage(f, QPointF(0, 1), FrameHandle::PanUp); // keeps only the image's own down part
    EXPECT_NEAR(f.imageRect().x, image.x, kTolerance);
}

TEST_F(FrameDragOps, ImageCornerScalesTheImageWithItsAspectFromTheOppositeCorner)
{
    CPicInfo& f = frame(QRectF(0, 0, 3, 2), true);
    const QRectF image = f.imageRect().toRectF();
    f.takeSnapshot();
    FrameDrag::resizeImage(f, QPointF(1, 0), handleEdges(FrameHandle::ImageBottomRight));
    EXPECT_NEAR(f.imageRect().width, image.width() + 1.0, kTolerance);
    EXPECT_NEAR(f.imageRect().height / f.imageRect().width, image.height() / image.width(), kTolerance);
    EXPECT_NEAR(f.imageRect().x, image.x(), kTolerance);
    EXPECT_NEAR(f.imageRect().y, image.y(), kTolerance);
}

TEST_F(FrameDragOps, ToneDragSetsBrightnessAndContrastOrGammaWithAlt)
{
    CPicInfo& f = frame(QRectF(0, 0, 3, 2), true);
    f.takeSnapshot();
    FrameDrag::tone(f, QPointF(0.3, 0.6), false);
    EXPECT_NEAR(f.attributes().brightness(), 0.1, kTolerance);
    EXPECT_NEAR(f.attributes().contrast(), 0.8, kTolerance);
    FrameDrag::tone(f, QPointF(-0.6, 5), true);
    EXPECT_NEAR(f.attributes().gamma(), 1.2, kTolerance);
}

TEST(FrameDragAngle, IsCounterClockwiseOnTheScreen)
{
    EXPECT_NEAR(FrameDrag::angleAround(QPointF(0, 0), QPointF(1, 0)), 0.0, kTolerance);
    EXPECT_NEAR(FrameDrag::angleAround(QPointF(0, 0), QPointF(0, -1)), 90.0, kTolerance); // up on the screen
}

} // namespace
