#include "storedpreview.h"

#include "archive.h"
#include "collagedoc.h"
#include "imagerecord.h"
#include "pngreader.h"
#include "projectfile.h"

#include <QFile>

namespace {

using Status = CStoredPreview::Status;

constexpr const char* kVersionSection = "Version";
constexpr const char* kPreviewSection = "LowResPics";
// Ours are 256 x 256 at most; this is room for another writer's.
constexpr qint64 kMaxPreviewPixels = 4096 * 4096;

} // namespace

CStoredPreview StoredPreview::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        CArchive ar(&file, CArchive::Mode::Load);
        bool sawVersion = false;
        while (const auto header = ar.readSectionHeader()) {
            const bool known = header->version == CProjectFile::kSectionVersion;
            if (!sawVersion) {
                // A project starts with its version; anything else is not one.
                if (header->name != QLatin1String(kVersionSection) || !known)
                    return {};
                const quint16 version = ar.readU16();
                if (version > CCollageDoc::kFileVersion)
                    return {Status::NewerVersion, {}};
                ar.setDocumentVersion(version);
                sawVersion = true;
            } else if (header->name == QLatin1String(kPreviewSection) && known) {
                const QByteArray bytes = ar.readBlob();
                if (bytes.isEmpty())
                    return {Status::None, {}};
                // Written as PNG; Qt's decoders would load every image plugin
                // first, which costs more than the rest of a thumbnail. Any
                // other picture goes to them.
                QImage image = PngReader::decode(bytes, kMaxPreviewPixels);
                if (image.isNull())
                    image = ImageRecord::decode(bytes);
                if (image.isNull())
                    return {};
                return {Status::Found, std::move(image)};
            }
            ar.finishSection(*header);
        }
        return {sawVersion ? Status::None : Status::Unreadable, {}};
    } catch (const CArchiveError&) {
        return {};
    }
}
