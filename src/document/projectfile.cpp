#include "projectfile.h"

#include "archive.h"
#include "collagedoc.h"
#include "crc32.h"
#include "imagerecord.h"
#include "macromanager.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "picdropper.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "progress.h"
#include "propmanager.h"
#include "selection.h"
#include "snapper.h"
#include "undo.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtEndian>

#include <cstdio>
#include <set>
#include <unistd.h>

namespace {

constexpr qint64 kTrailerSize = 4;
constexpr const char* kDoneMarker = "Done";

namespace Section {
constexpr const char* Version = "Version";
constexpr const char* DocDescription = "DocDescription";
constexpr const char* CanvasUnits = "CanvasUnits";
constexpr const char* Thumbnail = "Thumbnail";
constexpr const char* LowResPics = "LowResPics";
constexpr const char* PicManager = "PicManager";
constexpr const char* Dropper = "Dropper";
constexpr const char* Selection = "Selection";
constexpr const char* Undo = "Undo";
constexpr const char* Snapper = "Snapper";
constexpr const char* Printer = "Printer";
constexpr const char* Macro = "Macro";
} // namespace Section

// Until a view sets it from its zoom, the snap distance is this many units
// of the file's scale.
constexpr float kSnapPixels = 7.0f;

// Quality of the reduced photo copies kept in the project; a Shift-save
// keeps them at half the size and a rougher quality.
constexpr int kPhotoCopyQuality = 85;
constexpr int kLowPhotoCopyQuality = 40;

// Walks the section chain by its headers alone: the file is sound when the
// chain ends with "Done" exactly where the trailer starts. Notes the file
// version on the way, so a newer project is known before anything is read.
bool sectionChainEndsAtTrailer(QFile& file, qint64 size, quint16* fileVersion)
{
    if (!file.seek(0))
        return false;
    try {
        CArchive ar(&file, CArchive::Mode::Load);
        while (auto header = ar.readSectionHeader()) {
            if (header->name == Section::Version && header->version == CProjectFile::kSectionVersion) {
                *fileVersion = ar.readU16();
                ar.finishSection(*header);
            } else {
                ar.skipSection(*header);
            }
        }
        return ar.position() == size - kTrailerSize;
    } catch (const CArchiveError&) {
        return false;
    }
}

// The photos the project keeps copies of: those of the frames, then those
// of the dropper, each once, in that order. A template carries frames and
// never photos: none of their paths, copies or thumbnails.
std::vector<CPhotoItem*> photosInUse(const CDocServices& services, bool isTemplate)
{
    std::vector<CPhotoItem*> photos;
    if (isTemplate)
        return photos;
    std::set<CPhotoItem*> seen;
    for (const auto& frame : services.frames.frames())
        if (CPhotoItem* photo = frame->photo(); photo && seen.insert(photo).second)
            photos.push_back(photo);
    for (const CDropperEntry& entry : services.dropper.entries())
        if (CPhotoItem* photo = entry.photo; photo && seen.insert(photo).second)
            photos.push_back(photo);
    return photos;
}

QImage lowQualityCopy(const QImage& image)
{
    if (image.isNull())
        return image;
    return image.scaled(qMax(1, image.width() / 2), qMax(1, image.height() / 2), Qt::KeepAspectRatio,
                        Qt::SmoothTransformation);
}

void writeThumbnailSection(const CDocServices& services, CArchive& ar, bool isTemplate, bool lowQuality)
{
    const std::vector<CPhotoItem*> photos = photosInUse(services, isTemplate);
    const int quality = lowQuality ? kLowPhotoCopyQuality : kPhotoCopyQuality;
    ar.writeI16(static_cast<qint16>(qMin<size_t>(photos.size(), 0x7FFF)));
    ar.writeCount(static_cast<quint32>(photos.size()));
    for (CPhotoItem* photo : photos) {
        services.progress.setText(QFileInfo(photo->path()).fileName());
        services.progress.step(0);
        ar.writeString(photo->path());
        ImageRecord::write(ar, lowQuality ? lowQualityCopy(photo->workingCopy()) : photo->workingCopy(), quality);
        ImageRecord::write(ar, photo->thumbnail(), quality);
    }
}

// Templates written by earlier builds still list the photos of the collage
// they were made from; those never reach the user's collection.
void readThumbnailSection(const CDocServices& services, CArchive& ar, bool isTemplate)
{
    ar.readI16(); // the number of photos again, for the progress bar
    const quint32 count = ar.readCount();
    ar.checkCount(count, 11); // a path string and two blob lengths at least
    for (quint32 i = 0; i < count; ++i) {
        const QString path = ar.readString();
        const QImage reduced = ImageRecord::read(ar);
        const QImage thumbnail = ImageRecord::read(ar);
        services.progress.setText(QFileInfo(path).fileName());
        services.progress.step(0);
        if (path.isEmpty() || isTemplate)
            continue;
        CPhotoItem* photo = services.photos.AddPhoto(path);
        if (!reduced.isNull() && photo->workingCopy().isNull())
            photo->setWorkingCopy(reduced);
        if (!thumbnail.isNull() && photo->thumbnail().isNull())
            photo->setThumbnail(thumbnail);
    }
}

} // namespace

// ---------------------------------------------------------------------------

CProjectFile::Check CProjectFile::check(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return Check::NotFound;
    if (!file.open(QIODevice::ReadOnly))
        return Check::NotFound;
    const qint64 size = file.size();
    if (size <= kTrailerSize)
        return Check::Corrupt;

    quint32 crc = 0;
    if (!Crc32::ofDevice(file, size - kTrailerSize, &crc))
        return Check::Corrupt;
    char trailer[kTrailerSize];
    if (file.read(trailer, kTrailerSize) != kTrailerSize || qFromLittleEndian<quint32>(trailer) != crc)
        return Check::Corrupt;
    quint16 fileVersion = 0;
    if (!sectionChainEndsAtTrailer(file, size, &fileVersion))
        return Check::Corrupt;
    return fileVersion > CCollageDoc::kFileVersion ? Check::NewerVersion : Check::Ok;
}

// ---------------------------------------------------------------------------
// Writing

void CProjectFile::writeSections(CCollageDoc& doc, CArchive& ar)
{
    const CDocServices& services = doc.services();
    const bool isTemplate = doc.isTemplate();

    doc.m_flags = (doc.m_flags & ~CCollageDoc::HasMacrosFlag)
        | (services.macros.macroCount() > 0 ? CCollageDoc::HasMacrosFlag : 0);
    ar.setDocumentVersion(CCollageDoc::kFileVersion);
    ar.beginSection(Section::Version, kSectionVersion);
    ar.writeU16(CCollageDoc::kFileVersion);
    ar.writeU16(doc.m_flags);
    ar.endSection();

    ar.beginSection(Section::DocDescription, kSectionVersion);
    ar.writeString(doc.m_description);
    ar.writeDate(doc.m_created);
    ar.writeDate(doc.m_lastSaved);
    ar.writeF32(doc.m_canvasWidth);
    ar.writeF32(doc.m_canvasHeight);
    ar.endSection();

    ar.beginSection(Section::CanvasUnits, kSectionVersion);
    ar.writeF32(doc.m_canvasLeft);
    ar.writeF32(doc.m_canvasTop);
    ar.writeF32(doc.m_canvasWidth);
    ar.writeF32(doc.m_canvasHeight);
    ar.writeF32(services.settings.getValue("BaseSystemScale").value_or(CPropValue::f32(1.0f)).toFloat());
    ar.endSection();

    ar.beginSection(Section::Thumbnail, kSectionVersion);
    writeThumbnailSection(services, ar, isTemplate, doc.lowQualityPhotoCopies());
    ar.endSection();

    ar.beginSection(Section::LowResPics, kSectionVersion);
    ar.writeBlob(ImageRecord::encode(services.frames.preview(), kPreviewQuality, true));
    ar.endSection();

    ar.beginSection(Section::PicManager, kSectionVersion);
    services.frames.setTemplate(isTemplate);
    services.frames.serialize(ar);
    ar.endSection();

    if (!isTemplate) {
        ar.beginSection(Section::Dropper, kSectionVersion);
        services.dropper.serialize(ar);
        ar.endSection();

        ar.beginSection(Section::Selection, kSectionVersion);
        ar.endSection();

        ar.beginSection(Section::Undo, kSectionVersion);
        services.undo.serialize(ar);
        ar.endSection();

        ar.beginSection(Section::Snapper, kSectionVersion);
        ar.endSection();

        ar.beginSection(Section::Printer, kPrinterSectionVersion);
        services.printer.serialize(ar);
        ar.endSection();
    }

    ar.beginSection(Section::Macro, kSectionVersion);
    services.macros.serialize(ar);
    ar.endSection();

    ar.writeEndMarker();
}

bool CProjectFile::write(CCollageDoc& doc, const QString& path)
{
    const QFileInfo target(path);
    QTemporaryFile file(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    if (!file.open())
        return false;

    CProgress& progress = doc.services().progress;
    const bool showProgress = !doc.isTemplate() && !progress.isActive();
    if (showProgress) {
        progress.reset();
        progress.setText("Saving...");
        progress.begin();
    }
    bool written = false;
    try {
        CArchive ar(&file, CArchive::Mode::Store);
        writeSections(doc, ar);
        ar.flush();
        written = true;
    } catch (const CArchiveError&) {
    }
    if (showProgress)
        progress.end();
    if (!written || !file.flush())
        return false;

    const qint64 size = file.size();
    quint32 crc = 0;
    if (!Crc32::ofDevice(file, size, &crc) || !file.seek(size))
        return false;
    char trailer[kTrailerSize];
    qToLittleEndian(crc, trailer);
    if (file.write(trailer, kTrailerSize) != kTrailerSize || !file.flush() || ::fsync(file.handle()) != 0)
        return false;

    // A new file gets the usual permissions, not the temporary file's private ones.
    file.setPermissions(target.exists() ? QFile::permissions(path)
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                              | QFile::ReadOther);
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}

// ---------------------------------------------------------------------------
// Reading

CProjectFile::ReadResult CProjectFile::readSections(CCollageDoc& doc, CArchive& ar)
{
    const CDocServices& services = doc.services();
    CProgress& progress = services.progress;
    bool showingProgress = false;
    auto endProgress = [&] {
        if (showingProgress)
            progress.end();
    };

    try {
        while (auto header = ar.readSectionHeader()) {
            const QString& name = header->name;
            const bool known1 = header->version == kSectionVersion;
            const bool projectOnly = !doc.isTemplate();

            if (name == Section::Version && known1) {
                doc.m_fileVersion = ar.readU16();
                ar.setDocumentVersion(doc.m_fileVersion);
                if (doc.m_fileVersion > CCollageDoc::kFileVersion) {
                    services.bus.Broadcast(Channel::ErrorMsg, Event::WrongDocVersion,
                                           CNotifyMessage::valueParameter(MsgStyle::InfoOk));
                    endProgress();
                    return ReadResult::NewerVersion;
                }
                doc.m_flags = ar.readU16();
                services.frames.setTemplate(doc.isTemplate());
                if (!doc.isTemplate() && !progress.isActive()) {
                    progress.reset();
                    progress.setText("Loading...");
                    progress.begin();
                    showingProgress = true;
                }
            } else if (name == Section::DocDescription && known1) {
                doc.m_description = ar.readString();
                doc.m_created = ar.readDate();
                doc.m_lastSaved = ar.readDate();
                const float width = ar.readF32();
                const float height = ar.readF32();
                if (width > 0.0f && height > 0.0f) {
                    doc.m_canvasWidth = width;
                    doc.m_canvasHeight = height;
                }
            } else if (name == Section::CanvasUnits && known1) {
                doc.m_canvasLeft = ar.readF32();
                doc.m_canvasTop = ar.readF32();
                const float width = ar.readF32();
                const float height = ar.readF32();
                if (width > 0.0f && height > 0.0f) {
                    doc.m_canvasWidth = width;
                    doc.m_canvasHeight = height;
                }
                const float scale = ar.readF32();
                if (scale > 0.0f) {
                    services.settings.setValue("BaseSystemScale", CPropValue::f32(scale));
                    services.snapper.SetSnapDistance(kSnapPixels * scale);
                }
            } else if (name == Section::Thumbnail && known1) {
                readThumbnailSection(services, ar, doc.isTemplate());
            } else if (name == Section::LowResPics && known1) {
                services.frames.setPreview(ImageRecord::read(ar));
            } else if (name == Section::PicManager && known1) {
                services.frames.serialize(ar);
            } else if (name == Section::Dropper && known1 && projectOnly) {
                services.dropper.serialize(ar);
            } else if (name == Section::Selection && known1 && projectOnly) {
                services.selection.serialize(ar);
            } else if (name == Section::Undo && known1 && projectOnly) {
                services.undo.serialize(ar);
            } else if (name == Section::Snapper && known1 && projectOnly) {
                // The snapper keeps nothing in the project.
            } else if (name == Section::Printer && header->version == kPrinterSectionVersion && projectOnly) {
                services.printer.serialize(ar);
            } else if (name == Section::Macro && known1) {
                services.macros.serialize(ar);
            }
            ar.finishSection(*header);
        }
    } catch (const CArchiveError&) {
        endProgress();
        return ReadResult::FormatError;
    }
    endProgress();
    return ReadResult::Ok;
}

CProjectFile::ReadResult CProjectFile::read(CCollageDoc& doc, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::FormatError;
    CArchive ar(&file, CArchive::Mode::Load);
    return readSections(doc, ar);
}
