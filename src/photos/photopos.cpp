#include "photopos.h"

OMBRAVELLE_IMPLEMENT_SERIAL(CPhotoPos, CPhotoPos::kSchema)

namespace {
// The least a string of the array can take in the file: its length byte.
constexpr quint64 kMinStringBytes = 1;
} // namespace

CPhotoPos::CPhotoPos(const QString& name, const COleDate& date, const QStringList& photos)
    : m_name(name)
    , m_date(date)
    , m_photos(photos)
{
}

void CPhotoPos::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeString(m_name);
        ar.writeDate(m_date);
        ar.writeCount(quint32(m_photos.size()));
        for (const QString& path : m_photos)
            ar.writeString(path);
    } else {
        m_name = ar.readString();
        m_date = ar.readDate();
        const quint32 count = ar.readCount();
        ar.checkCount(count, kMinStringBytes);
        m_photos.clear();
        m_photos.reserve(count);
        for (quint32 i = 0; i < count; ++i)
            m_photos.append(ar.readString());
    }
}
