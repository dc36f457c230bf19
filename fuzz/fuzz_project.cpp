// The project file (".Collage"): first as it came, through the checksum
// test, then with the trailer recomputed so the section reader gets it. A
// project that opens saves, and the saved file opens again. The
// thumbnailer's preview reader gets the same bytes.
#include "collagedoc.h"
#include "crc32.h"
#include "fuzzsupport.h"
#include "messagecatalogue.h"
#include "projectfile.h"
#include "services.h"
#include "storedpreview.h"

#include <QtEndian>

#include <memory>

namespace {

QByteArray withTrailer(const QByteArray& file)
{
    const QByteArray body = file.left(file.size() - 4);
    char trailer[4];
    qToLittleEndian(Crc32::update(0, body.constData(), body.size()), trailer);
    return body + QByteArray(trailer, 4);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file = Fuzz::bytes(data, size);
    // Fresh services for every input, so an input's outcome never depends
    // on the ones before it.
    const QString home = Fuzz::scratchFolder();
    QDir(home + "/photodb").removeRecursively();
    QFile::remove(home + "/Settings.DAT");
    CServices services(home + "/Settings.DAT", home + "/photodb");
    services.catalogue().setMessageBox([](const QString&, const QString&, unsigned) { return MsgButton::Ok; });
    CCollageDoc doc(services.docServices());
    doc.releaseUpdates();

    doc.openDocument(Fuzz::writeScratch("Raw.Collage", file));
    StoredPreview::read(Fuzz::scratchFolder() + "/Raw.Collage");
    if (file.size() < 4)
        return 0;
    const QString path = Fuzz::writeScratch("Fixed.Collage", withTrailer(file));
    if (doc.openDocument(path) != CCollageDoc::OpenResult::Opened)
        return 0;
    const QString again = Fuzz::scratchFolder() + "/Again.Collage";
    Fuzz::require(CProjectFile::write(doc, again));
    Fuzz::require(doc.openDocument(again) == CCollageDoc::OpenResult::Opened);
    return 0;
}
