#include "commands.h"

#include "clisupport.h"
#include "exportsize.h"
#include "imageexport.h"
#include "messagecatalogue.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "printresolution.h"

#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <optional>

namespace {

constexpr int kDefaultExportDpi = 100;
const char* const kDefaultExportType = "jpg";

const char* const kExportUsage =
    "usage: collage-cli export PROJECT OUT [--width N | --height N | --dpi N] [--quality Q] [--transparent]\n";

} // namespace

int runExportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
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

    // Photos that the export would enlarge past what the picture asks for,
    // or below what a print of it needs.
    const double minimumDpi = std::min(PrintResolution::kMinimumDpi, double(size.dotsPerInch()));
    const std::vector<CLowResolutionFrame> low = PrintResolution::findLowResolutionFrames(
        session.services.frames(), {{QRectF(0, 0, canvas.width, canvas.height), 1.0}}, canvas.unit, minimumDpi);
    if (!low.empty())
        err << "collage-cli: warning: " << PrintResolution::warningText(catalogue, low, minimumDpi) << "\n";

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
    out << "image: " << output << "\n"
        << "size: " << request.width << " x " << request.height << " pixels at " << size.resolutionField() << " "
        << (size.resolutionUnit() == ResolutionUnit::PerInch ? "dpi" : "dots per cm") << "\n";
    // The picture is written with stand-ins where photos could not be read;
    // the exit code tells a script it is not the collage it asked for.
    QSet<const CPhotoItem*> unreadable;
    for (const auto& frame : session.services.frames().frames()) {
        const CPhotoItem* photo = frame->photo();
        if (photo && (photo->isMissing() || photo->isInvalid()) && !unreadable.contains(photo)) {
            unreadable.insert(photo);
            err << "collage-cli: " << photo->path() << ": " << photo->stateText() << "\n";
        }
    }
    return unreadable.isEmpty() ? kExitOk : kExitFailed;
}
