// The frame pipeline through the collection's draw: what is rebuilt when,
// which photo a frame draws from, the screen cap, the enlargement, the
// shadow's side, the border's place, and the draw's arguments.

#include "renderfixture.h"

#include "photoitem.h"
#include "progress.h"
#include "shadowmask.h"
#include "shadowplane.h"

#include <functional>

using namespace RenderTest;

namespace {

constexpr QRgb kRed = 0xFFD02020;
constexpr QRgb kBlue = 0xFF2030D0;
constexpr double kPixelsPerInch = 100.0;

struct Counts
{
    int sources, adjusted, pictures;
};

Counts operator-(const CFrameRenderer::BuildCounts& a, const CFrameRenderer::BuildCounts& b)
{
    return {a.sources - b.sources, a.adjusted - b.adjusted, a.pictures - b.pictures};
}

class FrameRendering : public RenderFixture
{
protected:
    CFrameRenderer::BuildCounts counts() { return renderer->frameRenderer().buildCounts(); }
};

// As a drag moves a frame: the frame and its image by the same amount.
void moveWithImage(CPicInfo& frame, float dx, float dy)
{
    const CCanvasRect image = frame.imageRect();
    frame.setFramePos(frame.frameRect().x + dx, frame.frameRect().y + dy);
    frame.setImagePos(image.x + dx, image.y + dy);
}

struct Rebuild
{
    const char* edit;
    std::function<void(CPicInfo&)> apply;
    double pixelsPerInch;
    Counts expected;
};

class FrameCaches : public FrameRendering, public ::testing::WithParamInterface<Rebuild>
{
};

TEST_P(FrameCaches, AnEditRebuildsOnlyThePicturesItConcerns)
{
    CPicInfo& frame = addFrame({1, 1, 2, 1.5}, solidPhoto("a.png", kRed));
    render(kPixelsPerInch);
    const auto before = counts();
    GetParam().apply(frame);
    render(GetParam().pixelsPerInch);
    const Counts delta = counts() - before;
    EXPECT_EQ(delta.sources, GetParam().expected.sources);
    EXPECT_EQ(delta.adjusted, GetParam().expected.adjusted);
    EXPECT_EQ(delta.pictures, GetParam().expected.pictures);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FrameCaches,
    ::testing::Values(Rebuild{"nothing", [](CPicInfo&) {}, kPixelsPerInch, {0, 0, 0}},
                      Rebuild{"brightness", [](CPicInfo& f) { f.setBrightness(0.2f); }, kPixelsPerInch, {0, 1, 1}},
                      Rebuild{"alpha", [](CPicInfo& f) { f.setAlpha(0.5f); }, kPixelsPerInch, {0, 1, 1}},
                      Rebuild{"move", [](CPicInfo& f) { f.setFramePos(0.5f, 0.5f); }, kPixelsPerInch, {0, 0, 1}},
                      Rebuild{"move with the image", [](CPicInfo& f) { moveWithImage(f, 0.37f, -0.29f); }, kPixelsPerInch, {0, 0, 0}},
                      Rebuild{"pan the image", [](CPicInfo& f) { f.setImagePos(f.imageRect().x + 0.1f, f.imageRect().y); }, kPixelsPerInch, {0, 0, 1}},
                      Rebuild{"zoom", [](CPicInfo&) {}, 2 * kPixelsPerInch, {0, 0, 1}},
                      Rebuild{"hide and show", [](CPicInfo& f) { f.setShown(false), f.setShown(true); }, kPixelsPerInch, {1, 0, 1}}),
    [](const auto& info) {
        std::string name = info.param.edit;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

struct SourceChoice
{
    bool fullResolution;
    bool dragged;
    bool fromWorkingCopy;
};

class FrameSources : public FrameRendering, public ::testing::WithParamInterface<SourceChoice>
{
};

TEST_P(FrameSources, TheWorkingCopyUnlessTheFullResolutionFlagIsSetAndTheFrameIsNotDragged)
{
    CPicInfo& frame = addFrame({0.5, 0.5, 3, 2.25}, solidPhoto("big.png", kRed, QSize(1600, 1200)));
    renderer->setFullResolution(GetParam().fullResolution);
    renderer->setDragged(frame, GetParam().dragged);
    render(2 * kPixelsPerInch); // the frame measures 600 pixels: more than the working copy has
    const QImage source = renderer->frameRenderer().screenCache(frame).source;
    if (GetParam().fromWorkingCopy)
        EXPECT_EQ(source.size(), QSize(kWorkingCopyMaxSide, 375));
    else
        EXPECT_EQ(source.size(), QSize(600, 450));
}

INSTANTIATE_TEST_SUITE_P(Flags, FrameSources,
                         ::testing::Values(SourceChoice{false, false, true}, SourceChoice{true, false, false},
                                           SourceChoice{true, true, true}));

TEST_F(FrameRendering, ADraggedImageShrinksItsSourceCopyAndAZoomUnderWayReusesPictures)
{
    CPicInfo& frame = addFrame({1, 1, 2, 1.5}, solidPhoto("a.png", kRed, QSize(400, 300)));
    render(kPixelsPerInch);
    renderer->setDragged(frame, true);
    frame.setImageSize(1.0f, 0.75f);
    render(kPixelsPerInch);
    EXPECT_EQ(renderer->frameRenderer().screenCache(frame).source.size(), QSize(200, 150));
    renderer->setDragged(frame, false);
    render(kPixelsPerInch);
    EXPECT_EQ(renderer->frameRenderer().screenCache(frame).source.size(), QSize(400, 300));

    const auto before = counts();
    renderer->setRenderFast(true);
    render(2 * kPixelsPerInch);
    EXPECT_EQ((counts() - before).pictures, 0);
    renderer->setRenderFast(false);
    render(2 * kPixelsPerInch);
    EXPECT_EQ((counts() - before).pictures, 1);
}

TEST_F(FrameRendering, AScreenPictureIsCappedAt700PixelsAndDrawnScaledUpToTheFrame)
{
    frames().setShadowEnabled(false);
    frames().setBorderEnabled(false);
    CPicInfo& frame = addFrame({0, 0, 3.5, 2}, solidPhoto("a.png", kRed));
    const QImage shown = render(3 * kPixelsPerInch); // 1050 pixels wide on the screen
    EXPECT_EQ(renderer->frameRenderer().screenCache(frame).picture.size(), QSize(700, 400));
    EXPECT_EQ(QColor(shown.pixel(1000, 550)).rgb(), kRed);
}

TEST_F(FrameRendering, TheDrawnPictureReachesHalfAPixelBeyondTheFrame)
{
    frames().setShadowEnabled(false);
    frames().setBorderEnabled(false);
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    const QImage out = render(kPixelsPerInch, RenderPurpose::Export); // smooth edges
    const QColor justOutside = out.pixelColor(99, 150);
    EXPECT_LT(justOutside.green(), 250); // partly covered by the enlargement
    EXPECT_GT(justOutside.green(), 40);
    EXPECT_EQ(out.pixel(97, 150), kCanvas);
    EXPECT_EQ(QColor(out.pixel(100, 150)).rgb(), kRed);
}

class ShadowSide : public FrameRendering, public ::testing::WithParamInterface<float>
{
};

TEST_P(ShadowSide, TheShadowFallsToTheLowerRightWhateverTheRotation)
{
    frames().setBorderEnabled(false);
    CPicInfo& frame = addFrame({1.25, 0.75, 1.5, 1.5}, solidPhoto("a.png", kRed));
    frame.setRotation(GetParam());
    const double ppu = 4 * kPixelsPerInch;
    frames().setShadowEnabled(false);
    const QImage plain = render(ppu, RenderPurpose::Export);
    frames().setShadowEnabled(true);
    const QImage shadowed = render(ppu, RenderPurpose::Export);
    double sumX = 0, sumY = 0, weight = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const int darker = qGreen(plain.pixel(x, y)) - qGreen(shadowed.pixel(x, y));
            sumX += darker * x, sumY += darker * y, weight += darker;
        }
    }
    ASSERT_GT(weight, 0);
    EXPECT_GT(sumX / weight, 2.0 * ppu + 1.0) << "centre of the shadow right of the frame's";
    EXPECT_GT(sumY / weight, 1.5 * ppu + 1.0) << "and below it";
}

INSTANTIATE_TEST_SUITE_P(Rotations, ShadowSide, ::testing::Values(0.0f, 30.0f, 90.0f, 180.0f, 270.0f));

TEST_F(FrameRendering, TheBorderLiesInsideTheFrameOverThePicture)
{
    frames().setShadowEnabled(false);
    frames().setBorderEnabled(true);
    frames().setBorderWidth(0.1f);
    frames().setBorderColour(kBlue);
    addFrame({1, 1, 2, 1}, solidPhoto("a.png", kRed));
    const QImage out = render(kPixelsPerInch, RenderPurpose::Export);
    EXPECT_EQ(QColor(out.pixel(105, 150)).rgb(), kBlue);
    EXPECT_EQ(QColor(out.pixel(115, 150)).rgb(), kRed);
    EXPECT_EQ(out.pixel(97, 150), kCanvas);
}

TEST_F(FrameRendering, FramesWithoutWidthOrOutsideTheClipOrHiddenAreNeverDrawn)
{
    addFrame({1, 1, 0, 1}, solidPhoto("a.png", kRed));
    CPicInfo& hidden = addFrame({1, 1, 1, 1}, solidPhoto("b.png", kRed));
    hidden.setShown(false);
    CPicInfo& away = addFrame({5, 5, 1, 1}, solidPhoto("c.png", kRed));
    const QImage out = render(kPixelsPerInch);
    QImage blank(out.size(), out.format());
    blank.fill(kCanvas);
    EXPECT_EQ(compare(out, blank).max, 0);
    EXPECT_TRUE(renderer->frameRenderer().screenCache(away).source.isNull()) << "nothing built for it";
}

TEST_F(FrameRendering, PageSegmentsShowOnTheScreenButNeverInOutput)
{
    frames().setVisiblePlanes(CPicInfo::kPlanePageSegments, CPicInfo::kPlanePageSegments);
    CPicInfo* segment = CFrameOps(frames()).createFrame(CCanvasRect{0.5f, 0.5f, 2.0f, 2.0f}, 2);
    ASSERT_NE(segment, nullptr);
    EXPECT_NE(render(kPixelsPerInch, RenderPurpose::Screen).pixel(150, 150), kCanvas);
    EXPECT_EQ(render(kPixelsPerInch, RenderPurpose::Export).pixel(150, 150), kCanvas);
}

TEST_F(FrameRendering, TheZoomOverrideScalesTheDrawAndTheSelectorPicksFrames)
{
    frames().setShadowEnabled(false);
    CPicInfo& left = addFrame({0.2, 0.2, 0.5, 0.5}, solidPhoto("a.png", kRed));
    addFrame({1, 1, 0.5, 0.5}, solidPhoto("b.png", kBlue));
    const float zoom = float(kPixelsPerInch / CPageSetup::kDefaultDpi);
    const QImage doubled = render(kPixelsPerInch, RenderPurpose::Screen, CFrameSelector::all(), nullptr, 2 * zoom);
    EXPECT_EQ(QColor(doubled.pixel(250, 250)).rgb(), kBlue) << "the frame at (1, 1) drawn at (2, 2)";
    EXPECT_EQ(render(kPixelsPerInch).pixel(250, 250), kCanvas);
    const QImage one = render(kPixelsPerInch, RenderPurpose::Screen, CFrameSelector::only(&left));
    EXPECT_EQ(QColor(one.pixel(45, 45)).rgb(), kRed);
    EXPECT_EQ(one.pixel(125, 125), kCanvas);
}

TEST_F(FrameRendering, AnOutputDrawSetsTheQualityAndPurposeForItsLengthShowsProgressAndStopsOnCancel)
{
    addFrame({0.2, 0.2, 1, 1}, solidPhoto("first.png", kRed));
    addFrame({2, 1, 1, 1}, solidPhoto("second.png", kBlue));
    QObject scope;
    QStringList texts;
    bool highQuality = false;
    int purpose = -1;
    QObject::connect(&services->progress(), &CProgress::textChanged, &scope, [&](const QString& text) {
        texts << text;
        highQuality = RenderQuality::isHighQuality();
        purpose = renderer->purpose();
        services->progress().cancel();
    });
    services->progress().begin();
    DrawStatus status = DrawStatus::Done;
    const QImage out = render(kPixelsPerInch, RenderPurpose::Export, CFrameSelector::all(), &status,
                              CCollageRenderer::kKeepZoom, true);
    EXPECT_EQ(status, DrawStatus::Cancelled);
    EXPECT_EQ(texts, QStringList{"first.png"});
    EXPECT_TRUE(highQuality);
    EXPECT_EQ(purpose, RenderPurpose::Export);
    EXPECT_FALSE(RenderQuality::isHighQuality());
    EXPECT_EQ(renderer->purpose(), RenderPurpose::Canvas);
    EXPECT_EQ(out.pixel(250, 150), kCanvas) << "the draw stopped before the second frame";
}

TEST_F(FrameRendering, ForceRebuildsForThisDrawAndTheNextWhileOutputCachesGoAfterTheirRender)
{
    CPicInfo& frame = addFrame({1, 1, 1, 1}, solidPhoto("a.png", kRed));
    render(kPixelsPerInch);
    auto before = counts();
    render(kPixelsPerInch, RenderPurpose::Screen, CFrameSelector::all(), nullptr, CCollageRenderer::kKeepZoom, false, true);
    render(kPixelsPerInch);
    EXPECT_EQ((counts() - before).sources, 2);
    render(kPixelsPerInch);
    EXPECT_EQ((counts() - before).sources, 2);

    render(kPixelsPerInch, RenderPurpose::Export);
    EXPECT_FALSE(renderer->frameRenderer().hasOutputCache(frame));
    renderer->beginOutputSession();
    DrawStatus status;
    render(kPixelsPerInch, RenderPurpose::Export, CFrameSelector::all(), &status);
    EXPECT_FALSE(renderer->frameRenderer().hasOutputCache(frame)) << "the clip reached below the frame";
    renderer->endOutputSession();
}

// Pictures built together on the worker threads, turned frames and
// fractional places among them, draw as the same frames built one by one.
TEST_F(FrameRendering, PicturesBuiltTogetherDrawAsThoseBuiltOneByOne)
{
    QImage gradient(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y) {
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 159, y * 2, 255 - x));
    }
    const QString photo = writePhoto("gradient.png", gradient);
    for (int i = 0; i < 6; ++i) {
        CPicInfo& frame = addFrame({0.13 + (i % 3) * 1.27, 0.21 + (i / 3) * 1.33, 1.05, 0.83}, photo);
        if (i % 2)
            frame.setRotation(12.5f * i);
    }
    constexpr double kOddScale = 97.3;
    const QImage together = render(kOddScale);
    const QImage oneByOne = render(kOddScale, RenderPurpose::Screen, CFrameSelector::all(), nullptr,
                                   CCollageRenderer::kKeepZoom, false, true);
    EXPECT_EQ(compare(together, oneByOne).max, 0);
}

// Bands drawn top to bottom read the photos of the bands below ahead of
// them, on worker threads; a frame deleted while its read waits is dropped
// with it, and every other photo is read exactly once.
TEST_F(FrameRendering, BandsReadTheNextBandsPhotosAheadAndEachPhotoOnce)
{
    frames().setShadowEnabled(false);
    const QRgb colours[] = {kRed, kBlue, 0xFF20A040};
    std::vector<CPicInfo*> rows[3];
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QString name = QString("r%1c%2.png").arg(row).arg(column);
            rows[row].push_back(&addFrame({0.2 + 2.0 * column, 0.2 + row, 1.5, 0.6}, solidPhoto(name, colours[row])));
        }
    }
    QImage bitmap(400, 300, QImage::Format_RGB32);
    bitmap.fill(kCanvas);
    CPageSetup page;
    page.dpi = CPageSetup::kDefaultDpi;
    page.zoom = float(kPixelsPerInch / page.dpi);
    const std::unique_ptr<CSurface> surface = CreateSurfaceOnBitmap(bitmap, page);
    const auto before = counts();
    renderer->beginOutputSession();
    const auto band = [&](int index) {
        return renderer->Draw(*surface, QRectF(0, index, kCanvasWidth, 1), CFrameSelector::all(),
                              CCollageRenderer::kKeepZoom, RenderPurpose::Export);
    };
    ASSERT_EQ(band(0), DrawStatus::Done);
    EXPECT_FALSE(renderer->frameRenderer().hasOutputCache(*rows[0][0])) << "its last band is drawn";
    EXPECT_TRUE(renderer->frameRenderer().hasOutputCache(*rows[1][0])) << "read ahead of its band";
    CFrameOps(frames()).deleteFrame(*rows[2][1]);
    ASSERT_EQ(band(1), DrawStatus::Done);
    ASSERT_EQ(band(2), DrawStatus::Done);
    renderer->endOutputSession();
    EXPECT_EQ(counts().outputSources - before.outputSources, 5);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(bitmap.pixel(100, 50 + 100 * row), colours[row]) << "row " << row;
    EXPECT_EQ(bitmap.pixel(300, 250), kCanvas) << "the deleted frame";
}

TEST_F(FrameRendering, ADeletedFrameTakesItsCachesWithIt)
{
    CPicInfo& frame = addFrame({1, 1, 1, 1}, solidPhoto("a.png", kRed));
    render(kPixelsPerInch);
    const CPicInfo* address = &frame;
    ASSERT_FALSE(renderer->frameRenderer().screenCache(*address).picture.isNull());
    CFrameOps(frames()).deleteFrame(frame);
    EXPECT_TRUE(renderer->frameRenderer().screenCache(*address).picture.isNull());
}

TEST_F(FrameRendering, ThePreviewFitsWithin256AndDrawsATemplateWithoutPhotos)
{
    frames().setShadowEnabled(false);
    addFrame({0, 0, 4, 3}, solidPhoto("a.png", kRed));
    const QImage preview = renderPreview(frames(), *images, false, QSizeF(kCanvasWidth, kCanvasHeight));
    EXPECT_EQ(preview.size(), QSize(256, 192));
    EXPECT_EQ(QColor(preview.pixel(128, 96)).rgb(), kRed);
    const QImage asTemplate = renderPreview(frames(), *images, true, QSizeF(kCanvasWidth, kCanvasHeight));
    EXPECT_EQ(asTemplate.pixelColor(128, 96), renderer->palette().frameBack);
    EXPECT_TRUE(renderPreview(frames(), *images, false, QSizeF(0, 3)).isNull());
}

// ---------------------------------------------------------------------------

struct PlaneCase
{
    QSize picture;
    float zoom;
    bool transparency;
    quint8 alpha;
};

class ShadowPlanes : public ::testing::TestWithParam<PlaneCase>
{
};

TEST_P(ShadowPlanes, ARectangleKeptSmallGivesTheWholeMaskRowForRow)
{
    const PlaneCase& c = GetParam();
    const int margin = CShadowPlane::marginFor(c.zoom, c.transparency);
    QImage padded(c.picture + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    padded.fill(Qt::transparent);
    QPainter(&padded).fillRect(QRect(QPoint(margin, margin), c.picture), QColor(0, 0, 0, c.alpha));
    const QImage whole = MakeShadowMask(padded, c.zoom, c.transparency);
    const CShadowPlane plane = CShadowPlane::forRectangle(c.picture, margin, c.alpha, c.zoom, c.transparency);
    ASSERT_EQ(plane.size(), whole.size());
    EXPECT_LT(plane.bytes(), whole.sizeInBytes() / 4);
    EXPECT_EQ(compare(plane.rows(0, whole.height()), whole).max, 0);
    EXPECT_EQ(compare(plane.rows(200, 37), whole.copy(0, 200, whole.width(), 37)).max, 0);
}

INSTANTIATE_TEST_SUITE_P(Bands, ShadowPlanes,
                         ::testing::Values(PlaneCase{{900, 700}, 1.0f, false, 255}, PlaneCase{{1200, 400}, 4.5f, false, 255},
                                           PlaneCase{{700, 900}, 2.2f, true, 128}, PlaneCase{{800, 800}, 3.3f, true, 255},
                                           PlaneCase{{60, 1000}, 2.7f, false, 200}));

// --- Edges at every preview quality

class EdgesAtAPreviewQuality : public FrameRendering, public ::testing::WithParamInterface<int>
{
};

// The quality chooses how pictures are sampled; the edges of a turned frame
// are smooth at all of them.
TEST_P(EdgesAtAPreviewQuality, ATurnedFrameHasSoftenedEdgePixels)
{
    const int quality = GetParam();
    RenderQuality::setPreviewQuality(quality);
    frames().setShadowEnabled(false);
    CPicInfo& f = addFrame(QRectF(1, 0.75, 2, 1.5), solidPhoto("black.png", 0xFF000000));
    f.setRotation(30.0f);
    const QImage drawn = render(kPixelsPerInch).convertToFormat(QImage::Format_ARGB32);
    // Pixels the edge only partly covers are neither the canvas's white nor the photo's black.
    int softened = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const int red = qRed(drawn.pixel(x, y));
            softened += red > 24 && red < 232;
        }
    // The outline is about 700 pixels long; a smooth edge softens most of them.
    const double perimeter = 2.0 * (2.0 + 1.5) * kPixelsPerInch;
    EXPECT_GT(softened, perimeter * 0.6) << "quality " << quality;
    RenderQuality::setPreviewQuality(RenderQuality::Good);
}

INSTANTIATE_TEST_SUITE_P(FrameRendering, EdgesAtAPreviewQuality,
                         ::testing::Values(RenderQuality::Fast, RenderQuality::Good, RenderQuality::Excellent));

} // namespace
