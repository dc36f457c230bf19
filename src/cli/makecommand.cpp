#include "commands.h"

#include "clisupport.h"
#include "frameops.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "picinfomanager.h"
#include "quickcollage.h"
#include "ziraradaru.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

// The size of the frames a made collage starts from, before the layout
// moves them into their cells.
constexpr float kNewFrameSide = 10.0f;

const char* const kMakeUsage =
    "usage: collage-cli make PHOTO_OR_FOLDER... --out PROJECT.Collage [--canvas WxH] [--seed N] [--jumble]\n"
    "                        [--export OUT]\n";

struct PhotoFiles
{
    QStringList files;
    // A named photo or folder was not there.
    bool anyMissing = false;
};

// The photo files given, and the image files of each folder given (not of
// its subfolders) in natural name order.
PhotoFiles photoFiles(const QStringList& inputs, QTextStream& err)
{
    PhotoFiles found;
    QCollator order;
    order.setNumericMode(true);
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            QStringList inFolder;
            for (const QFileInfo& entry : QDir(input).entryInfoList(QDir::Files | QDir::Readable)) {
                if (ImageTypes::isImage(entry.fileName()))
                    inFolder << entry.absoluteFilePath();
            }
            std::sort(inFolder.begin(), inFolder.end(), order);
            found.files << inFolder;
        } else if (info.isFile()) {
            found.files << info.absoluteFilePath();
        } else {
            err << "collage-cli: no such photo or folder: " << input << "\n";
            found.anyMissing = true;
        }
    }
    return found;
}

} // namespace

int runMakeCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CliArguments parsed = parseCliArguments(args, {"--out", "--canvas", "--seed", "--export"}, {"--jumble"});
    if (!parsed.problem.isEmpty() || parsed.words.isEmpty() || !parsed.values.contains("--out")) {
        err << (parsed.problem.isEmpty() ? QString() : "collage-cli: " + parsed.problem + "\n") << kMakeUsage;
        return kExitUsage;
    }
    float width = CCollageDoc::kDefaultCanvasWidth;
    float height = CCollageDoc::kDefaultCanvasHeight;
    if (parsed.values.contains("--canvas")) {
        const QStringList parts = parsed.values["--canvas"].toLower().split('x');
        bool okWidth = false, okHeight = false;
        if (parts.size() == 2) {
            width = parts[0].toFloat(&okWidth);
            height = parts[1].toFloat(&okHeight);
        }
        if (!okWidth || !okHeight || !(width > 0.0f) || !(height > 0.0f) || !std::isfinite(width) || !std::isfinite(height)) {
            err << "collage-cli: --canvas takes WIDTHxHEIGHT in canvas units, such as 10x7.5\n";
            return kExitUsage;
        }
    }
    // A fixed seed makes the same collage of the same photos every time.
    quint32 seed = CQuickCollage::tickCount();
    if (parsed.values.contains("--seed")) {
        bool ok = false;
        seed = parsed.values["--seed"].toUInt(&ok);
        if (!ok) {
            err << "collage-cli: --seed takes a whole number from 0 to 4294967295\n";
            return kExitUsage;
        }
    }
    QString target = QFileInfo(parsed.values["--out"]).absoluteFilePath();
    if (!target.endsWith(QLatin1String(CCollageDoc::kExtension), Qt::CaseInsensitive))
        target += QLatin1String(CCollageDoc::kExtension);

    const PhotoFiles inputs = photoFiles(parsed.words, err);
    bool anySkipped = inputs.anyMissing;
    CliSession session;
    CMyPhotos& photos = session.services.photos();
    std::vector<CPhotoItem*> chosen;
    for (const QString& file : inputs.files) {
        CPhotoItem* photo = photos.FindPhoto(file, true);
        if (!photo) {
            err << "collage-cli: not a photo: " << file << "\n";
            anySkipped = true;
            continue;
        }
        // A photo the collection already knew may have changed since.
        photos.CheckFile(*photo);
        if (photo->isInvalid() || photo->isMissing()) {
            err << "collage-cli: " << file << ": " << photo->stateText() << "\n";
            anySkipped = true;
            continue;
        }
        chosen.push_back(photo);
    }
    if (chosen.empty()) {
        err << "collage-cli: no photos to make a collage of\n";
        return kExitFailed;
    }

    CCollageDoc& doc = session.doc;
    doc.newDocument();
    doc.setCanvasSize(width, height);
    CPicInfoManager& frames = session.services.frames();
    if (frames.freeFrameIds(CPicInfoManager::kPhotoPlaneNumber) < chosen.size()) {
        err << session.services.catalogue().text(QStringLiteral("FrameIdsExhausted")) << "\n";
        return kExitFailed;
    }
    CFrameOps operations(frames);
    for (CPhotoItem* photo : chosen)
        operations.createFrame({0.0f, 0.0f, kNewFrameSide, kNewFrameSide})->setPhoto(photo);
    if (chosen.size() == 1) {
        // One photo is no collage for the layout; it fills the canvas.
        CPicInfo& only = *frames.frameAt(0);
        only.setFrameSize(width, height);
        operations.fitImageIntoFrame(only);
    } else {
        const CQuickCollage::Result laidOut = CQuickCollage(doc).run(seed);
        if (laidOut != CQuickCollage::Result::Done) {
            err << session.services.catalogue().text(QString::fromLatin1(CQuickCollage::kNoLayoutKey)) << "\n";
            return kExitFailed;
        }
    }
    if (parsed.flags.contains("--jumble")) {
        CZiraRadaru::seedRandom(seed);
        CZiraRadaru(doc).run();
    }
    if (doc.saveDocument(target) != CCollageDoc::SaveResult::Saved) {
        err << "collage-cli: the project could not be saved as " << target << "\n";
        return kExitFailed;
    }
    out << "project: " << target << "\n"
        << "frames: " << chosen.size() << "\n"
        << "canvas: " << width << " x " << height << "\n"
        << "seed: " << seed << (parsed.flags.contains("--jumble") ? " (jumbled)" : "") << "\n";
    const int exported = parsed.values.contains("--export")
        ? runExportCommand({target, parsed.values["--export"]}, out, err)
        : kExitOk;
    // The project of the good photos stands, but a script must learn that
    // not every photo it named went in.
    return anySkipped && exported == kExitOk ? kExitFailed : exported;
}
