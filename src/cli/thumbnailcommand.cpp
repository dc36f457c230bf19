#include "thumbnailcommand.h"

#include "bandwriter.h"
#include "collagedoc.h"
#include "collagerenderer.h"
#include "services.h"
#include "storedpreview.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// Far beyond the largest thumbnail a file manager asks for (1024), and
// small enough that a mistyped size cannot make a gigapixel picture.
constexpr int kMaxSide = 4096;
// Thumbnails are screen pictures.
constexpr float kScreenDpi = 96.0f;

const char* const kUsage = "usage: collage-cli thumbnail PROJECT OUT.png SIZE\n";

// The canvas drawn afresh, fitted within side x side. Runs on a throwaway
// set of services: a thumbnail must neither read nor change the user's
// settings and photo collection.
std::optional<QImage> renderCanvas(int& argc, char** argv, const QString& project, int side)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return std::nullopt;
    CServices services(scratch.filePath(QStringLiteral("Settings.DAT")), scratch.filePath(QStringLiteral("Photos")));
    CCollageDoc doc(services.docServices());
    if (doc.openDocument(project) != CCollageDoc::OpenResult::Opened)
        return std::nullopt;
    QImage image = renderPreview(services.frames(), services.images(), doc.isTemplate(),
                                 QSizeF(doc.canvasWidth(), doc.canvasHeight()), side);
    return image.isNull() ? std::nullopt : std::optional(image);
}

QImage fitted(const QImage& image, int side)
{
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool writePng(const QImage& image, const QString& path)
{
    // libpng directly: Qt's writer would load every image plugin first. A
    // failed write removes what it wrote, so no half picture is cached. Not
    // synced to disk: a lost thumbnail is simply made again, and waiting for
    // the disk would cost more than the thumbnail.
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    const std::unique_ptr<CBandWriter> png = BandWriters::forFormat("png");
    QFile file(path);
    if (straight.isNull() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool written = png->begin(file, straight.size(), kScreenDpi, 0, true) == CBandWriter::Status::Ok
        && png->writeRows(straight, straight.height()) == CBandWriter::Status::Ok
        && png->finish() == CBandWriter::Status::Ok;
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (!written)
        file.remove();
    return written;
}

} // namespace

int runThumbnailCommand(int& argc, char** argv)
{
    QTextStream err(stderr);
    if (argc != 5) {
        err << kUsage;
        return kExitUsage;
    }
    const QString project = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    bool isNumber = false;
    const int side = QString::fromLocal8Bit(argv[4]).toInt(&isNumber);
    if (!isNumber || side < 1 || side > kMaxSide) {
        err << "collage-cli: SIZE must be a whole number from 1 to " << kMaxSide << "\n" << kUsage;
        return kExitUsage;
    }

    const CStoredPreview stored = StoredPreview::read(project);
    if (stored.status == CStoredPreview::Status::NewerVersion) {
        err << "collage-cli: " << project << " was written by a newer version\n";
        return kExitFailed;
    }
    if (stored.status == CStoredPreview::Status::Unreadable) {
        err << "collage-cli: cannot read the project " << project << "\n";
        return kExitFailed;
    }

    QImage thumbnail;
    const bool previewLargeEnough = stored.status == CStoredPreview::Status::Found
        && std::max(stored.image.width(), stored.image.height()) >= side;
    if (previewLargeEnough) {
        thumbnail = fitted(stored.image, side);
    } else if (const std::optional<QImage> canvas = renderCanvas(argc, argv, project, side)) {
        thumbnail = *canvas;
    } else if (stored.status == CStoredPreview::Status::Found) {
        // The project no longer opens (its checksum, say), but its preview
        // still says what it looks like.
        thumbnail = fitted(stored.image, side);
    } else {
        err << "collage-cli: cannot read the project " << project << "\n";
        return kExitFailed;
    }

    if (!writePng(thumbnail, out)) {
        err << "collage-cli: cannot write " << out << "\n";
        return kExitFailed;
    }
    return kExitOk;
}
