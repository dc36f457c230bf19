#pragma once
// The preview picture a project file carries ("LowResPics"), read without a
// document: the sections before it are skipped by their lengths, so it
// costs the same for a project of three photos as for one of three hundred.
// File managers' thumbnails come from here. The checksum is not tested (that
// would read the whole file); a damaged preview fails to decode instead.

#include <QImage>
#include <QString>

struct CStoredPreview
{
    enum class Status {
        Found,
        // A project that stores no preview (an empty picture record).
        None,
        // Not a project, cut short, or a preview that does not decode.
        Unreadable,
        // Written by a newer program: nothing after its version is trusted.
        NewerVersion,
    };
    Status status = Status::Unreadable;
    QImage image; // when Found
};

namespace StoredPreview {

CStoredPreview read(const QString& path);

} // namespace StoredPreview
