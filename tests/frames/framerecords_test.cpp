// The frame collection's record as the project file holds it: the byte
// layout of the current version, a full round trip, the layouts of older
// versions written here field by field from their rules, templates, the
// photos found while reading, and damaged records.

#include "framefixture.h"

#include "photoitem.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr int kCurrentVersion = 23;

// ---------------------------------------------------------------------------
// Older files, written field by field.

// One frame as a file of any version may hold it; each version writes the
// fields it knows.
struct OldFrame
{
    float rotation = 0.0f;
    float alpha = 1.0f, brightness = 0.0f, contrast = 1.0f;
    CCanvasRect frame;
    quint32 flags = 0;
    quint32 permissions = 0xFFFFFFFF, planes = 1;
    QString description, link;
    QString path;
    QString oldDescription; // the second place, below version 14
    quint32 id = 0;
    CCanvasRect image;
    QByteArray reducedCopy, thumbnail; // embedded below version 13 for shown frames with a photo
};

struct OldCollection
{
    bool locked = false;
    std::vector<OldFrame> frames;
    bool legacyList = true; // below version 14: a back-reference and one frame of its own
    BorderInfo border;
    QRgb canvasColour = 0;
    ShadowInfo shadow;
    bool jumbled = false;
    quint32 resolution = 0, canvasSizeMode = 0;
};

void writeRect(CArchive& ar, const CCanvasRect& r)
{
    ar.writeF32(r.x);
    ar.writeF32(r.y);
    ar.writeF32(r.width);
    ar.writeF32(r.height);
}

void writeOldFrame(CArchive& ar, int v, const OldFrame& f, bool isTemplate)
{
    ar.writeF32(f.rotation);
    if (v > 15) {
        ar.writeF32(f.alpha);
        ar.writeF32(f.brightness);
        ar.writeF32(f.contrast);
    }
    writeRect(ar, f.frame);
    ar.writeU32(f.flags);
    if (v > 14) {
        ar.writeU32(f.permissions);
        ar.writeU32(f.planes);
        ar.writeString(f.description);
        ar.writeString(f.link);
    }
    if (isTemplate)
        return;
    ar.writeString(f.path);
    if (v < 14)
        ar.writeString(f.oldDescription);
    ar.writeU32(f.id);
    writeRect(ar, f.image);
    if (v < 13 && (f.flags & 1) && !f.path.isEmpty()) {
        ar.writeBlob(f.reducedCopy);
        ar.writeBlob(f.thumbnail);
    }
}

void writeFrameTag(CArchive& ar, bool first)
{
    if (!first) {
        ar.writeU16(0x8001); // the class introduced first, index 1
        return;
    }
    const QByteArray name("CPicInfo");
    ar.writeU16(0xFFFF);
    ar.writeU16(7);
    ar.writeU16(quint16(name.size()));
    ar.writeRaw(name.constData(), name.size());
}

QByteArray oldRecord(int v, const OldCollection& c, bool isTemplate = false)
{
    return store([&](CArchive& ar) {
        ar.writeU16(quint16(c.frames.size()));
        ar.writeBool(c.locked);
        ar.writeCount(quint32(c.frames.size()));
        for (size_t i = 0; i < c.frames.size(); ++i) {
            writeFrameTag(ar, i == 0);
            writeOldFrame(ar, v, c.frames[i], isTemplate);
        }
        if (v < 14 && !isTemplate) {
            if (c.legacyList && !c.frames.empty()) {
                ar.writeCount(2);
                ar.writeU16(0x0002); // back to the first frame: class 1, frame 2
                OldFrame extra;
                extra.path = QStringLiteral("/nowhere/legacy.png");
                writeFrameTag(ar, false);
                writeOldFrame(ar, v, extra, false);
            } else {
                ar.writeCount(0);
            }
        }
        if (v > 16) {
            ar.writeBool(c.border.enabled);
            ar.writeF32(c.border.width);
            ar.writeU32(c.border.colour);
        }
        if (v > 20) {
            ar.writeU32(c.canvasColour);
            ar.writeBool(c.shadow.enabled);
            for (float value : c.shadow.values)
                ar.writeF32(value);
        }
        if (v > 21)
            ar.writeBool(c.jumbled);
        if (v >= 23) {
            ar.writeU32(c.resolution);
            ar.writeU32(c.canvasSizeMode);
        }
    });
}

BorderInfo borderOf(bool enabled, float width, QRgb colour)
{
    BorderInfo border;
    border.enabled = enabled;
    border.width = width;
    border.colour = colour;
    return border;
}

QByteArray png(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class FrameRecords : public FrameFixture
{
protected:
    // Reads a collection record of `version` into the (cleared) collection;
    // expects it to be read to its last byte.
    void read(const QByteArray& bytes, int version)
    {
        const qint64 left = load(bytes, version, [&](CArchive& ar) { manager.serialize(ar); });
        EXPECT_EQ(left, 0) << "the record was not read to its end";
    }
    QByteArray write()
    {
        return store([&](CArchive& ar) { manager.serialize(ar); });
    }

    // A collection with every field away from its default.
    void fillEveryField(CPhotoItem* photo)
    {
        manager.setCanvasColour(0xFF112233);
        manager.setPrintCanvasColour(false);
        manager.setBorderEnabled(false);
        manager.setBorderWidth(0.125f);
        manager.setBorderColour(0x80402010);
        manager.setShadowEnabled(false);
        manager.setJumbled(true);
        manager.setResolution(300);
        manager.setCanvasSizeMode(2);

        CPicInfo& a = addFrame({1.5f, 2.5f, 3.25f, 4.75f}, 17);
        a.setShown(true);
        a.setPhoto(photo);
        a.setImagePos(-0.5f, 0.25f);
        a.setImageSize(9.0f, 4.5f);
        a.setAlpha(0.625f);
        a.setBrightness(-0.25f);
        a.setContrast(1.75f);
        a.setRotation(-33.5f);
        a.setDrawBorder(false);
        a.setDescription(QStringLiteral("Grandmother's garden \u00e9t\u00e9"));
        a.setLink(QStringLiteral("https://example.org/garden"));
        a.setPermissions(0xFFFF7FFF);

        CPicInfo& b = addFrame({0.0f, 0.0f, 8.5f, 11.0f}, 10003, CPicInfo::kPlanePageSegments);
        b.setDrawShadow(false);
        b.setRotation(90.0f);
        manager.setFramesLocked(true);
    }
};

// ---------------------------------------------------------------------------

TEST_F(FrameRecords, OneFrameRecordOfTheCurrentVersionHasTheDocumentedBytes)
{
    CPicInfo frame;
    frame.setRotation(90.0f);
    frame.setAlpha(0.5f);
    frame.setBrightness(0.25f);
    frame.setContrast(2.0f);
    frame.setFramePos(1.0f, 2.0f);
    frame.setFrameSize(3.0f, 4.0f);
    frame.setShown(true);
    frame.setDescription(QStringLiteral("Hi"));
    frame.setId(42);
    frame.setImagePos(0.5f, 1.5f);
    frame.setImageSize(4.0f, 2.0f);

    const QByteArray bytes = store([&](CArchive& ar) { frame.serializeRecord(ar, CFrameRecordContext()); });
    const QByteArray expected = QByteArray::fromHex(
        "0000b442"                  // rotation 90
        "0000003f" "0000803e" "00000040" // alpha 0.5, brightness 0.25, contrast 2
        "0000803f" "00000040" "00004040" "00008040" // frame 1, 2, 3, 4
        "35000000"                  // flags: shown, alpha, border, shadow
        "ffffffff" "01000000"       // permissions, planes
        "fffeff02" "48006900"       // description "Hi"
        "fffeff00"                  // link
        "fffeff00"                  // photo path
        "2a000000"                  // id 42
        "0000003f" "0000c03f" "00008040" "00000040"); // image 0.5, 1.5, 4, 2
    EXPECT_EQ(QString::fromLatin1(bytes.toHex()), QString::fromLatin1(expected.toHex()));

    const QByteArray templateBytes = store([&](CArchive& ar) {
        CFrameRecordContext context;
        context.isTemplate = true;
        frame.serializeRecord(ar, context);
    });
    EXPECT_EQ(templateBytes.toHex(), expected.left(56).toHex()); // no path, id or image rectangle
}

TEST(AttributeRecord, HoldsToneThenImageRectangleThenTexts)
{
    CPicInfoAttr attr;
    attr.setAlpha(0.5f);
    attr.setGamma(2.0f);
    attr.setImageRect({1.0f, 2.0f, 3.0f, 4.0f});
    attr.setLink(QStringLiteral("a"));
    const QByteArray bytes = store([&](CArchive& ar) { attr.serialize(ar); });
    const QByteArray expected = QByteArray::fromHex(
        "0000003f" "00000000" "0000803f" "00000040" // alpha, brightness, contrast, gamma
        "0000803f" "00000040" "00004040" "00008040" // image rectangle
        "fffeff00" "fffeff016100");                  // description, link
    EXPECT_EQ(QString::fromLatin1(bytes.toHex()), QString::fromLatin1(expected.toHex()));

    CPicInfoAttr read;
    load(bytes, kCurrentVersion, [&](CArchive& ar) { read.serialize(ar); });
    EXPECT_TRUE(read.sameAs(attr));
}

TEST(AttributeRecord, ValuesOutOfRangeAreClampedWhenRead)
{
    const QByteArray bytes = QByteArray::fromHex(
        "0000c03f" "00000040" "000080bf" "0000c07f" // alpha 1.5, brightness 2, contrast -1, gamma NaN
        "00000000" "00000000" "00000000" "00000000" "fffeff00" "fffeff00");
    CPicInfoAttr attr;
    load(bytes, kCurrentVersion, [&](CArchive& ar) { attr.serialize(ar); });
    EXPECT_EQ(attr.alpha(), 1.0f);
    EXPECT_EQ(attr.brightness(), 1.0f);
    EXPECT_EQ(attr.contrast(), 0.0001f);
    EXPECT_EQ(attr.gamma(), 1.0f);
}

TEST_F(FrameRecords, TheCollectionRecordStartsWithCountLockAndTheTaggedFrameList)
{
    addFrame({}, 1);
    addFrame({}, 2);
    const QByteArray bytes = write();
    const QByteArray start = QByteArray::fromHex("0200" "00" "0200" "ffff" "0700" "0800") + QByteArray("CPicInfo");
    EXPECT_EQ(bytes.left(start.size()).toHex(), start.toHex());
    const int secondFrame = start.size() + 76;
    EXPECT_EQ(bytes.mid(secondFrame, 2).toHex(), QByteArray("0180"));
    const int tail = secondFrame + 2 + 76;
    // Border, canvas colour, shadow, jumbled, resolution, canvas size mode.
    EXPECT_EQ(bytes.size(), tail + 9 + 4 + 25 + 1 + 4 + 4);
    EXPECT_EQ(bytes.mid(tail, 9).toHex(), QByteArray("01cdcc4c3dffffffff")); // on, 0.05, white
}

TEST_F(FrameRecords, EveryFieldSurvivesARoundTripByteForByte)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    fillEveryField(photo);
    const QByteArray first = write();

    manager.clear(0);
    EXPECT_EQ(photo->useCount(), 0);
    read(first, kCurrentVersion);

    ASSERT_EQ(manager.frameCount(), 2);
    const CPicInfo& a = *manager.frameAt(0);
    EXPECT_EQ(a.id(), 17u);
    EXPECT_EQ(a.photo(), photo);
    EXPECT_EQ(photo->useCount(), 1);
    EXPECT_EQ(a.frameRect(), (CCanvasRect{1.5f, 2.5f, 3.25f, 4.75f}));
    EXPECT_EQ(a.imageRect(), (CCanvasRect{-0.5f, 0.25f, 9.0f, 4.5f}));
    EXPECT_EQ(a.attributes().alpha(), 0.625f);
    EXPECT_EQ(a.attributes().brightness(), -0.25f);
    EXPECT_EQ(a.attributes().contrast(), 1.75f);
    EXPECT_EQ(a.rotation(), -33.5f);
    EXPECT_EQ(a.flags(), CPicInfo::kFlagShown | CPicInfo::kFlagAlpha | CPicInfo::kFlagShadow);
    EXPECT_EQ(a.permissions(), 0xFFFF7FF8u); // and locked
    EXPECT_EQ(a.attributes().description(), QStringLiteral("Grandmother's garden \u00e9t\u00e9"));
    EXPECT_EQ(a.attributes().link(), QStringLiteral("https://example.org/garden"));
    EXPECT_EQ(a.invalidParts(), CPicInfo::kInvalidAll);
    const CPicInfo& b = *manager.frameAt(1);
    EXPECT_EQ(b.id(), 10003u);
    EXPECT_EQ(b.planes(), CPicInfo::kPlanePageSegments);
    EXPECT_EQ(b.permissions(), 0xFFFFFFFFu);
    EXPECT_EQ(b.flags(), CPicInfo::kFlagBorder);
    EXPECT_TRUE(manager.framesLocked());
    EXPECT_EQ(manager.canvasColour(), 0xFF112233u);
    EXPECT_EQ(manager.canvasBrush().color().rgba(), 0xFF112233u);
    EXPECT_FALSE(manager.border().enabled);
    EXPECT_EQ(manager.border().width, 0.125f);
    EXPECT_EQ(manager.border().colour, 0x80402010u);
    EXPECT_FALSE(manager.shadow().enabled);
    EXPECT_TRUE(manager.isJumbled());
    EXPECT_EQ(manager.resolution(), 300u);
    EXPECT_EQ(manager.canvasSizeMode(), 2u);

    EXPECT_EQ(write().toHex(), first.toHex());
}

TEST_F(FrameRecords, GammaIsNotSavedSoItReadsBackAsOne)
{
    addFrame({0, 0, 1, 1}, 1).setGamma(2.0f);
    const QByteArray bytes = write();
    manager.clear(0);
    read(bytes, kCurrentVersion);
    ASSERT_EQ(manager.frameCount(), 1);
    EXPECT_EQ(manager.frameAt(0)->attributes().gamma(), 1.0f);
}

TEST_F(FrameRecords, AFrameTakesTheDocumentLockWhenItIsRead)
{
    OldCollection c;
    c.locked = true;
    OldFrame photoFrame;
    photoFrame.permissions = 0xFFFFFFFF;
    OldFrame segment;
    segment.planes = CPicInfo::kPlanePageSegments;
    segment.permissions = 0xFFFFFFF0;
    segment.id = 10000;
    c.frames = {photoFrame, segment};
    read(oldRecord(kCurrentVersion, c), kCurrentVersion);
    EXPECT_EQ(manager.frameAt(0)->permissions(), 0xFFFFFFF8u);
    EXPECT_EQ(manager.frameAt(1)->permissions(), 0xFFFFFFF0u);

    // Unlocked, photo frames regain what a file may have stored as locked.
    c.locked = false;
    c.frames[0].permissions = 0xFFFFFFF8;
    manager.clear(0);
    read(oldRecord(kCurrentVersion, c), kCurrentVersion);
    EXPECT_EQ(manager.frameAt(0)->permissions(), 0xFFFFFFFFu);
}

// ---------------------------------------------------------------------------
// Older versions

class OldVersions : public FrameRecords, public ::testing::WithParamInterface<int>
{
};

TEST_P(OldVersions, ReadTheFieldsTheirVersionStoresAndKeepTheClearedValuesOfTheRest)
{
    const int v = GetParam();
    OldCollection c;
    OldFrame f;
    f.rotation = 400.0f;
    f.alpha = 0.75f;
    f.brightness = 0.5f;
    f.contrast = 3.0f;
    f.frame = {1, 2, 3, 4};
    f.flags = CPicInfo::kFlagShown | CPicInfo::kFlagAlpha | 0x100; // border and shadow off
    f.permissions = 0xFFFFFF00;
    f.planes = 0x3;
    f.description = QStringLiteral("new place");
    f.link = QStringLiteral("https://example.org");
    f.oldDescription = QStringLiteral("old place");
    f.id = 5;
    f.image = {0, 0, 6, 4};
    c.frames = {f};
    c.border = borderOf(false, 0.5f, 0xFF00FF00);
    c.canvasColour = 0xFF336699;
    c.shadow.enabled = false;
    c.shadow.values = {1, 2, 3, 4, 5, 6};
    c.jumbled = true;
    c.resolution = 72;
    c.canvasSizeMode = 2;

    read(oldRecord(v, c), v);

    ASSERT_EQ(manager.frameCount(), 1);
    const CPicInfo& frame = *manager.frameAt(0);
    EXPECT_EQ(frame.rotation(), 40.0f);
    EXPECT_EQ(frame.frameRect(), f.frame);
    EXPECT_EQ(frame.imageRect(), f.image);
    EXPECT_EQ(frame.id(), 5u);
    EXPECT_EQ(frame.attributes().gamma(), 1.0f);

    EXPECT_EQ(frame.attributes().alpha(), v > 15 ? 0.75f : 1.0f);
    EXPECT_EQ(frame.attributes().brightness(), v > 15 ? 0.5f : 0.0f);
    EXPECT_EQ(frame.attributes().contrast(), v > 15 ? 3.0f : 1.0f);

    // Below 14 only the shown flag is kept; below 23 border and shadow are switched on.
    const quint32 storedFlags = v < 14 ? (f.flags & CPicInfo::kFlagShown) : f.flags;
    EXPECT_EQ(frame.flags(), v < 23 ? (storedFlags | 0x30) : storedFlags);

    EXPECT_EQ(frame.permissions(), v > 14 ? 0xFFFFFF07u : 0xFFFFFFFFu); // unlocked: bits 0-2 set
    EXPECT_EQ(frame.planes(), v > 14 ? 0x3u : 0x1u);
    const QString description = v > 14 ? f.description : (v < 14 ? f.oldDescription : QString());
    EXPECT_EQ(frame.attributes().description(), description);
    EXPECT_EQ(frame.attributes().link(), v > 14 ? f.link : QString());

    // The collection's own fields; the cleared values come from the settings' defaults.
    const BorderInfo clearedBorder = borderOf(true, 0.05f, 0xFFFFFFFF);
    EXPECT_EQ(manager.border(), v > 16 ? c.border : clearedBorder);
    EXPECT_EQ(manager.canvasColour(), v > 20 ? 0xFF336699u : 0xFFEAE8D8u);
    ShadowInfo clearedShadow;
    clearedShadow.enabled = true;
    EXPECT_EQ(manager.shadow(), v > 20 ? c.shadow : clearedShadow);
    EXPECT_EQ(manager.isJumbled(), v > 21);
    EXPECT_EQ(manager.resolution(), v >= 23 ? 72u : 96u);
    EXPECT_EQ(manager.canvasSizeMode(), v >= 23 ? 2u : kDocumentCanvasSizeMode);
}

INSTANTIATE_TEST_SUITE_P(FrameRecords, OldVersions, ::testing::Values(12, 13, 14, 15, 16, 17, 19, 20, 21, 22, 23),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

TEST_F(FrameRecords, AVersion13ProjectWithBorderFlagsClearedLoadsWithBorderAndShadowOn)
{
    OldCollection c;
    OldFrame shown;
    shown.flags = CPicInfo::kFlagShown;
    OldFrame hidden;
    hidden.flags = 0;
    hidden.id = 1;
    c.frames = {shown, hidden};
    read(oldRecord(13, c), 13);
    ASSERT_EQ(manager.frameCount(), 2);
    EXPECT_EQ(manager.frameAt(0)->flags(), 0x31u);
    EXPECT_EQ(manager.frameAt(1)->flags(), 0x30u);
}

TEST_F(FrameRecords, BelowVersion14TheLegacyListIsReadAndDroppedButItsFramesStay)
{
    OldCollection c;
    OldFrame f;
    f.id = 9;
    c.frames = {f};
    c.legacyList = true;
    read(oldRecord(13, c), 13);
    ASSERT_EQ(manager.frameCount(), 1); // the list's own frame is not added
    EXPECT_EQ(manager.frameAt(0)->id(), 9u);

    // Without a template there is no legacy list to read.
    manager.clear(0);
    manager.setTemplate(true);
    read(oldRecord(13, c, true), 13);
    EXPECT_EQ(manager.frameCount(), 1);
}

TEST_F(FrameRecords, AVersion12ShownFrameCarriesItsPicturesAndAHiddenOneStillGetsItsPhoto)
{
    const QString shownPath = makeImage(QStringLiteral("shown.png"), 40, 20);
    const QString hiddenPath = makeImage(QStringLiteral("hidden.png"), 40, 20);
    OldCollection c;
    OldFrame shown;
    shown.flags = CPicInfo::kFlagShown;
    shown.path = shownPath;
    shown.frame = {0, 0, 2, 1};
    shown.image = {0, 0, 2, 1};
    shown.reducedCopy = png(20, 10, 0xFFFF0000);
    shown.thumbnail = png(8, 4, 0xFF0000FF);
    OldFrame hidden;
    hidden.flags = 0;
    hidden.path = hiddenPath;
    hidden.id = 1;
    OldFrame empty; // shown, without photo: no pictures either
    empty.flags = CPicInfo::kFlagShown;
    empty.id = 2;
    c.frames = {shown, hidden, empty};

    read(oldRecord(12, c), 12);

    ASSERT_EQ(manager.frameCount(), 3);
    CPhotoItem* shownPhoto = manager.frameAt(0)->photo();
    ASSERT_NE(shownPhoto, nullptr);
    EXPECT_EQ(shownPhoto->path(), shownPath);
    EXPECT_EQ(shownPhoto->workingCopy().size(), QSize(20, 10));
    EXPECT_EQ(shownPhoto->workingCopy().pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(shownPhoto->thumbnail().size(), QSize(8, 4));
    ASSERT_NE(manager.frameAt(1)->photo(), nullptr);
    EXPECT_EQ(manager.frameAt(1)->photoPath(), hiddenPath);
    EXPECT_EQ(manager.frameAt(1)->photo()->useCount(), 1);
    EXPECT_EQ(manager.frameAt(2)->photo(), nullptr);
}

TEST_F(FrameRecords, EmbeddedPicturesThatDoNotDecodeAreSkipped)
{
    OldCollection c;
    OldFrame shown;
    shown.flags = CPicInfo::kFlagShown;
    shown.path = makeImage(QStringLiteral("shown.png"), 40, 20);
    shown.reducedCopy = QByteArray("not an image");
    c.frames = {shown};
    read(oldRecord(12, c), 12);
    ASSERT_NE(manager.frameAt(0)->photo(), nullptr);
    EXPECT_TRUE(manager.frameAt(0)->photo()->workingCopy().isNull());
}

TEST_F(FrameRecords, AShownFrameWhosePhotoTurnedIsFittedAgainAndAHiddenOneIsNot)
{
    const QString wide = makeImage(QStringLiteral("wide.png"), 40, 20);
    OldCollection c;
    OldFrame shown;
    shown.flags = CPicInfo::kFlagShown;
    shown.path = wide;
    shown.frame = {1, 1, 2, 2};
    shown.image = {1, 0, 2, 4}; // stored upright
    OldFrame hidden = shown;
    hidden.flags = 0;
    hidden.id = 1;
    OldFrame matching = shown;
    matching.image = {0, 1, 4, 2};
    matching.id = 2;
    c.frames = {shown, hidden, matching};
    read(oldRecord(kCurrentVersion, c), kCurrentVersion);
    EXPECT_EQ(manager.frameAt(0)->imageRect(), (CCanvasRect{0, 1, 4, 2}));
    EXPECT_EQ(manager.frameAt(1)->imageRect(), (CCanvasRect{1, 0, 2, 4}));
    EXPECT_EQ(manager.frameAt(2)->imageRect(), (CCanvasRect{0, 1, 4, 2}));
}

TEST_F(FrameRecords, APhotoWhoseFileIsGoneLeavesTheFrameWithoutPhotoButKeepsItsPath)
{
    OldCollection c;
    OldFrame f;
    f.flags = CPicInfo::kFlagShown;
    f.path = QDir(home.path()).filePath(QStringLiteral("Gone.JPG"));
    f.image = {1, 2, 3, 4};
    c.frames = {f};
    const QByteArray bytes = oldRecord(kCurrentVersion, c);
    read(bytes, kCurrentVersion);
    const CPicInfo& frame = *manager.frameAt(0);
    EXPECT_EQ(frame.photo(), nullptr);
    EXPECT_TRUE(frame.photoPath().isEmpty());
    EXPECT_EQ(frame.recordedPhotoPath(), f.path);
    EXPECT_EQ(frame.imageRect(), f.image);
    EXPECT_EQ(photos.FindPhoto(f.path), nullptr);
    // Saving again keeps the path, letter case and all.
    EXPECT_EQ(write().toHex(), bytes.toHex());
}

TEST_F(FrameRecords, WithoutAPhotoCollectionFramesAreReadWithTheirPathsOnly)
{
    CPicInfoManager bare(&settings, nullptr);
    bare.clear(0);
    OldCollection c;
    OldFrame f;
    f.path = makeImage(QStringLiteral("wide.png"), 40, 20);
    c.frames = {f};
    const QByteArray bytes = oldRecord(kCurrentVersion, c);
    load(bytes, kCurrentVersion, [&](CArchive& ar) { bare.serialize(ar); });
    EXPECT_EQ(bare.frameAt(0)->photo(), nullptr);
    EXPECT_EQ(bare.frameAt(0)->recordedPhotoPath(), f.path);
}

// ---------------------------------------------------------------------------
// Templates

TEST_F(FrameRecords, TemplateRecordsCarryNoPhotoIdOrImageAndGetFreshIdsOfTheirPlane)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    CPicInfo& a = addFrame({0, 0, 2, 2}, 500);
    a.setPhoto(photo);
    addFrame({0, 0, 8, 10}, 10500, CPicInfo::kPlanePageSegments);
    addFrame({2, 2, 2, 2}, 77);
    manager.setTemplate(true);
    const QByteArray templateBytes = write();
    manager.setTemplate(false);
    const QByteArray projectBytes = write();
    // Per frame the path (an empty one is 4 bytes), id and image rectangle are left out.
    const int projectFrameExtra = 4 + 4 + 16;
    const int pathCharacters = 2 * int(photo->path().size());
    EXPECT_EQ(projectBytes.size() - templateBytes.size(), 3 * projectFrameExtra + pathCharacters);

    manager.clear(0);
    manager.setTemplate(true);
    read(templateBytes, kCurrentVersion);
    ASSERT_EQ(manager.frameCount(), 3);
    EXPECT_EQ(manager.frameAt(0)->id(), 0u);
    EXPECT_EQ(manager.frameAt(1)->id(), 10000u);
    EXPECT_EQ(manager.frameAt(2)->id(), 1u);
    for (const auto& frame : manager.frames()) {
        EXPECT_EQ(frame->photo(), nullptr);
        EXPECT_EQ(frame->imageRect(), CCanvasRect());
    }
    EXPECT_EQ(photo->useCount(), 0);
    EXPECT_EQ(manager.frameAt(1)->frameRect(), (CCanvasRect{0, 0, 8, 10}));
}

// ---------------------------------------------------------------------------
// Damaged records

TEST_F(FrameRecords, EveryTruncationOfARecordIsAnArchiveErrorAndLeavesNoPhotoHeld)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    fillEveryField(photo);
    const QByteArray whole = write();
    manager.clear(0);

    for (qsizetype length = 0; length < whole.size(); ++length) {
        EXPECT_THROW(load(whole.left(length), kCurrentVersion, [&](CArchive& ar) { manager.serialize(ar); }),
                     CArchiveError)
            << "length " << length;
        manager.clear(0);
        ASSERT_EQ(photo->useCount(), 0) << "length " << length;
    }
}

TEST_F(FrameRecords, AVersion12RecordCutInsideItsPicturesIsAnArchiveError)
{
    OldCollection c;
    OldFrame shown;
    shown.flags = CPicInfo::kFlagShown;
    shown.path = makeImage(QStringLiteral("shown.png"), 40, 20);
    shown.reducedCopy = png(20, 10, 0xFFFF0000);
    c.frames = {shown};
    const QByteArray whole = oldRecord(12, c);
    for (qsizetype length = 0; length < whole.size(); length += 7) {
        EXPECT_THROW(load(whole.left(length), 12, [&](CArchive& ar) { manager.serialize(ar); }), CArchiveError);
        manager.clear(0);
    }
}

TEST_F(FrameRecords, FlippedBytesNeverCrashTheReader)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    fillEveryField(photo);
    const QByteArray whole = write();
    manager.clear(0);
    for (qsizetype i = 0; i < whole.size(); ++i) {
        QByteArray damaged = whole;
        damaged[i] = char(damaged[i] ^ 0xFF);
        try {
            load(damaged, kCurrentVersion, [&](CArchive& ar) { manager.serialize(ar); });
        } catch (const CArchiveError&) {
        }
        manager.clear(0);
        ASSERT_EQ(photo->useCount(), 0) << "byte " << i;
    }
}

TEST_F(FrameRecords, AHugeFrameCountIsRefusedBeforeAnythingIsAllocated)
{
    const QByteArray bytes = QByteArray::fromHex("0000" "00" "ffff" "ffffffff");
    EXPECT_THROW(load(bytes, kCurrentVersion, [&](CArchive& ar) { manager.serialize(ar); }), CArchiveError);
}

TEST_F(FrameRecords, AFrameListNamingAnotherClassIsAnArchiveError)
{
    const QByteArray name("BorderInfo");
    const QByteArray bytes = QByteArray::fromHex("0100" "00" "0100" "ffff" "0700" "0a00") + name
        + QByteArray::fromHex("01" "00000000" "ffffffff");
    EXPECT_THROW(load(bytes, kCurrentVersion, [&](CArchive& ar) { manager.serialize(ar); }), CArchiveError);
}

TEST_F(FrameRecords, ANullEntryInTheFrameListHoldsNoFrame)
{
    OldCollection c;
    c.frames = {OldFrame()};
    QByteArray bytes = oldRecord(kCurrentVersion, c);
    // Count 1 -> 2, with a null tag in front of the frame.
    bytes.replace(3, 2, QByteArray::fromHex("0200" "0000"));
    read(bytes, kCurrentVersion);
    EXPECT_EQ(manager.frameCount(), 1);
}

TEST_F(FrameRecords, TheRecordOfOneFrameOnItsOwnUsesTheCollectionsState)
{
    CPhotoItem* photo = photoOf(makeImage(QStringLiteral("wide.png"), 40, 20));
    CPicInfo& frame = addFrame({0, 0, 2, 2}, 12);
    frame.setPhoto(photo);
    frame.setAlpha(0.25f);
    const QByteArray bytes = store([&](CArchive& ar) { manager.serializeFrameRecord(ar, frame); });

    manager.setFramesLocked(true);
    CPicInfo restored;
    load(bytes, kCurrentVersion, [&](CArchive& ar) { manager.serializeFrameRecord(ar, restored); });
    EXPECT_EQ(restored.id(), 12u);
    EXPECT_EQ(restored.photo(), photo);
    EXPECT_EQ(photo->useCount(), 2);
    EXPECT_EQ(restored.attributes().alpha(), 0.25f);
    EXPECT_FALSE(restored.hasPermission(CPicInfo::kLockedPermissions));
}

} // namespace
