#include "projectpeek.h"

#include "archive.h"
#include "collagedoc.h"

#include <QFile>

namespace {

constexpr const char* kVersionSection = "Version";
constexpr const char* kDescriptionSection = "DocDescription";
constexpr quint32 kKnownSectionVersion = 1;

} // namespace

std::optional<CProjectSummary> ProjectPeek::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    CProjectSummary summary;
    bool sawVersion = false;
    try {
        CArchive ar(&file, CArchive::Mode::Load);
        while (auto header = ar.readSectionHeader()) {
            const bool known = header->version == kKnownSectionVersion;
            if (header->name == QLatin1String(kVersionSection) && known) {
                summary.fileVersion = ar.readU16();
                sawVersion = true;
                // A newer file's later sections may not parse: its version
                // is all the caller needs to refuse it.
                if (summary.fileVersion > CCollageDoc::kFileVersion)
                    return summary;
                summary.flags = ar.readU16();
                ar.finishSection(*header);
            } else if (header->name == QLatin1String(kDescriptionSection) && known) {
                ar.setDocumentVersion(summary.fileVersion);
                summary.description = ar.readString();
                return summary;
            } else {
                ar.skipSection(*header);
            }
        }
    } catch (const CArchiveError&) {
        return sawVersion ? std::optional(summary) : std::nullopt;
    }
    return sawVersion ? std::optional(summary) : std::nullopt;
}
