#include "exportcommands.h"

#include "clisupport.h"
#include "exportsize.h"
#include "frameops.h"
#include "imageexport.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "projectjson.h"
#include "quickcollage.h"
#include "ziraradaru.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

// The size of the frames a made collage starts from, before the layout
// moves them into their cells.
constexpr float kNewFrameSide = 10.0f;
constexpr int kDefaultExportDpi = 100;
const char* const kDefaultExportType = "jpg";

const char* const kMakeUsage =
    "usage: collage-cli make PHOTO_OR_FOLDER... --out PROJECT.Collage [--canvas WxH] [--seed N] [--jumble]\n"
    "                        [--export OUT]\n";
const char* const kExportUsage =
    "usage: collage-cli export PROJECT OUT [--width N | --height N | --dpi N] [--quality Q] [--transparent]\n";
const char* const kDumpUsage = "usage: collage-cli dump PROJECT\n";

// ---------------------------------------------------------------------------
// make

QStringList photoFiles(const QStringList& inputs, QTextStream& err)
{
    QStringList files;
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
            files << inFolder;
        } else if (info.isFile()) {
            files << info.absoluteFilePath();
        } else {
            err << "collage-cli: no such photo or folder: " << input << "\n";
        }
    }
    return files;
}

int exportProject(const QStringList& args, QTextStream& out, QTextStream& err);

int make(const QStringList& args, QTextStream& out, QTextStream& err)
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

    const QStringList files = photoFiles(parsed.words, err);
    CliSession session;
    CMyPhotos& photos = session.services.photos();
    std::vector<CPhotoItem*> chosen;
    for (const QString& file : files) {
        CPhotoItem* photo = photos.FindPhoto(file, true);
        if (!photo) {
            err << "collage-cli: not a photo: " << file << "\n";
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
    CFrameOps operations(frames);
    for (CPhotoItem* photo : chosen) {
        CPicInfo* frame = operations.createFrame({0.0f, 0.0f, kNewFrameSide, kNewFrameSide});
        if (!frame) {
            err << "collage-cli: no room for more frames\n";
            return kExitFailed;
        }
        frame->setPhoto(photo);
    }
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
        std::srand(seed);
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
    if (parsed.values.contains("--export"))
        return exportProject({target, parsed.values["--export"]}, out, err);
    return kExitOk;
}

// ---------------------------------------------------------------------------
// export

int exportProject(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const CliArguments parsed =
        parseCliArguments(args, {"--width", "--height", "--dpi", "--quality"}, {"--transparent"});
    const int sizeOptions = int(parsed.values.contains("--width")) + int(parsed.values.contains("--height"))
        + int(parsed.values.contains("--dpi"));
    if (!parsed.problem.isEmpty() || parsed.words.size() != 2 || sizeOptions > 1) {
        if (!parsed.problem.isEmpty())
            err << "collage-cli: " << parsed.problem << "\n";
        else if (sizeOptions > 1)
            err << "collage-cli: give one of --width, --height and --dpi\n";
        err << kExportUsage;
        return kExitUsage;
    }
    int quality = CExportRequest().quality;
    if (parsed.values.contains("--quality")) {
        bool ok = false;
        quality = parsed.values["--quality"].toInt(&ok);
        if (!ok || quality < ExportRules::kMinQuality || quality > ExportRules::kMaxQuality) {
            err << "collage-cli: --quality takes 0 to 100\n";
            return kExitUsage;
        }
    }
    std::optional<int> sizeValue = kDefaultExportDpi;
    QString sizeName = "--dpi";
    for (const char* name : {"--width", "--height", "--dpi"}) {
        if (parsed.values.contains(name)) {
            sizeName = name;
            sizeValue = positiveNumber(parsed.values[name]);
        }
    }
    if (!sizeValue) {
        err << "collage-cli: " << sizeName << " takes a positive whole number\n";
        return kExitUsage;
    }

    QString output = QFileInfo(parsed.words[1]).absoluteFilePath();
    const QString suffix = QFileInfo(output).suffix();
    std::optional<CImageEncoder> encoder = ImageEncoders::EncoderForFileName(output);
    if (!encoder && suffix.isEmpty()) {
        encoder = ImageEncoders::FindEncoder(QString::fromLatin1(kDefaultExportType));
        if (encoder)
            output = ExportRules::withTypeExtension(output, encoder->extensions);
    }
    if (!encoder) {
        err << "collage-cli: no encoder for \"." << suffix << "\"; one of: ";
        for (const CImageEncoder& known : ImageEncoders::ListEncoders())
            err << known.extensions.first() << " ";
        err << "\n";
        return kExitUsage;
    }

    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;
    const CExportCanvas canvas = session.doc.exportCanvas();

    CExportSize size(canvas.width, canvas.height, canvas.unit);
    if (sizeName == "--width")
        size.setWidthPixels(float(*sizeValue));
    else if (sizeName == "--height")
        size.setHeightPixels(float(*sizeValue));
    else
        size.setResolution(float(*sizeValue));

    CMessageCatalogue& catalogue = session.services.catalogue();
    const QFileInfo target(output);
    const QString problem = ExportRules::validate(target.absolutePath(), target.fileName(), size);
    if (!problem.isEmpty()) {
        err << catalogue.text(problem) << "\n";
        return problem == "ExportBadValues" ? kExitUsage : kExitFailed;
    }

    CCollageRenderer& renderer = session.services.renderer();
    CExportRequest request;
    request.path = output;
    request.type = encoder->extensions.first();
    request.quality = quality;
    request.width = size.widthField();
    request.height = size.heightField();
    request.dotsPerInch = size.dotsPerInch();
    request.transparentCanvas = parsed.flags.contains("--transparent");
    const CExportResult result = ExportImage(renderer, canvas, request);
    if (!result.ok()) {
        err << catalogue.text(result.messageKey) << "\n";
        return kExitFailed;
    }
    for (const auto& frame : session.services.frames().frames()) {
        if (frame->photo() && (frame->photo()->isMissing() || frame->photo()->isInvalid()))
            err << "collage-cli: " << frame->photo()->path() << ": " << frame->photo()->stateText() << "\n";
    }
    out << "image: " << output << "\n"
        << "size: " << request.width << " x " << request.height << " pixels at " << size.resolutionField() << " "
        << (size.resolutionUnit() == ResolutionUnit::PerInch ? "dpi" : "dots per cm") << "\n";
    return kExitOk;
}

// ---------------------------------------------------------------------------
// dump

int dump(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << kDumpUsage;
        return kExitUsage;
    }
    CliSession session;
    if (!session.open(args[0], err))
        return kExitFailed;
    out << QJsonDocument(projectSummaryJson(projectJson(session))).toJson(QJsonDocument::Indented);
    return kExitOk;
}

} // namespace

int runMakeCommand(const QStringList& args, QTextStream& out, QTextStream& err) { return make(args, out, err); }

int runExportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return exportProject(args, out, err);
}

int runDumpCommand(const QStringList& args, QTextStream& out, QTextStream& err) { return dump(args, out, err); }
