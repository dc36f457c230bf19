#include "exportcommands.h"

#include "collagedoc.h"
#include "collagerenderer.h"
#include "datapaths.h"
#include "exportsize.h"
#include "frameops.h"
#include "imageexport.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoimage.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "projectjson.h"
#include "prop.h"
#include "propmanager.h"
#include "quickcollage.h"
#include "services.h"
#include "ziraradaru.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cmath>
#include <optional>
#include <set>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

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

// A document over a fresh set of the user's services, the way the editor
// holds one.
struct Session
{
    CServices services{DataPaths::settingsFile()};
    CCollageDoc doc{services.docServices()};
};

CanvasUnit canvasUnit(const CPropManager& settings)
{
    const std::optional<CPropValue> unit = settings.getValue(QStringLiteral("BaseSystemUnit"));
    return canvasUnitFromPageUnit(unit ? unit->toInt() : PageUnit::Inch);
}

// Named options ("--out VALUE", "--transparent") apart from the plain words.
struct Arguments
{
    QStringList words;
    QHash<QString, QString> values;
    QSet<QString> flags;
    QString problem;
};

Arguments parseArguments(const QStringList& args, const QSet<QString>& withValue, const QSet<QString>& flags)
{
    Arguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (!word.startsWith(QLatin1String("--"))) {
            parsed.words << word;
        } else if (withValue.contains(word)) {
            if (i + 1 >= args.size()) {
                parsed.problem = word + " needs a value";
                break;
            }
            parsed.values.insert(word, args[++i]);
        } else if (flags.contains(word)) {
            parsed.flags.insert(word);
        } else {
            parsed.problem = "unknown option " + word;
            break;
        }
    }
    return parsed;
}

std::optional<int> positiveNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? std::optional<int>(value) : std::nullopt;
}

// The document's messages go to standard error when no window shows them.
int openProject(Session& session, const QString& path, QTextStream& err)
{
    if (session.doc.openDocument(path) != CCollageDoc::OpenResult::Opened) {
        err << "collage-cli: cannot open the project " << path << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

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
    const Arguments parsed = parseArguments(args, {"--out", "--canvas", "--seed", "--export"}, {"--jumble"});
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
    Session session;
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
    if (parsed.values.contains("--export"))
        return exportProject({target, parsed.values["--export"]}, out, err);
    return kExitOk;
}

// ---------------------------------------------------------------------------
// export

int exportProject(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed =
        parseArguments(args, {"--width", "--height", "--dpi", "--quality"}, {"--transparent"});
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

    Session session;
    if (const int opened = openProject(session, parsed.words[0], err); opened != kExitOk)
        return opened;
    const CCollageDoc& doc = session.doc;
    CExportCanvas canvas;
    canvas.width = doc.canvasWidth();
    canvas.height = doc.canvasHeight();
    canvas.unit = canvasUnit(session.services.settings());
    canvas.colour = session.services.frames().canvasColour();

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
    Session session;
    if (const int opened = openProject(session, args[0], err); opened != kExitOk)
        return opened;
    const CCollageDoc& doc = session.doc;
    const CPicInfoManager& frames = session.services.frames();

    QJsonArray frameList;
    std::set<CPhotoItem*> used;
    for (const auto& frame : frames.frames()) {
        const CPicInfoAttr& attr = frame->attributes();
        QJsonObject entry{
            {"id", double(frame->id())},
            {"rect", rectJson(frame->frameRect())},
            {"rotation", double(frame->rotation())},
            {"shown", frame->isShown()},
            {"flags", double(frame->flags())},
            {"planes", double(frame->planes())},
            {"image", rectJson(frame->imageRect())},
            {"alpha", double(attr.alpha())},
            {"brightness", double(attr.brightness())},
            {"contrast", double(attr.contrast())},
            {"gamma", double(attr.gamma())},
            {"description", attr.description()},
            {"link", attr.link()},
            {"photo", frame->recordedPhotoPath()},
        };
        frameList.append(entry);
        if (frame->photo())
            used.insert(frame->photo());
    }
    QJsonArray photoList;
    for (CPhotoItem* photo : used) {
        session.services.photos().CheckFile(*photo);
        photoList.append(QJsonObject{{"path", photo->path()},
                                     {"width", double(photo->pixelWidth())},
                                     {"height", double(photo->pixelHeight())},
                                     {"quarterTurns", photo->quarterTurns()},
                                     {"state", photo->stateText()}});
    }
    const QJsonObject project{
        {"path", doc.path()},
        {"version", doc.fileVersion()},
        {"template", doc.isTemplate()},
        {"description", doc.description()},
        {"canvas",
         QJsonObject{{"width", double(doc.canvasWidth())},
                     {"height", double(doc.canvasHeight())},
                     {"unit", canvasUnit(session.services.settings()) == CanvasUnit::Centimetre ? "cm" : "inch"},
                     {"colour", colourText(frames.canvasColour())}}},
        {"border",
         QJsonObject{{"enabled", frames.border().enabled},
                     {"width", double(frames.border().width)},
                     {"colour", colourText(frames.border().colour)}}},
        {"shadow", frames.shadow().enabled},
        {"visiblePlanes", double(frames.visiblePlanes())},
        {"frames", frameList},
        {"photos", photoList},
    };
    out << QJsonDocument(project).toJson(QJsonDocument::Indented);
    return kExitOk;
}

} // namespace

int runMakeCommand(const QStringList& args, QTextStream& out, QTextStream& err) { return make(args, out, err); }

int runExportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return exportProject(args, out, err);
}

int runDumpCommand(const QStringList& args, QTextStream& out, QTextStream& err) { return dump(args, out, err); }
