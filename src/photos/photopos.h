#pragma once
// A Photo Moment: a named set of photos of the collection, with the date it
// belongs to. Owned by CMyPhotos, which keys its moments by name.

#include "archive.h"

#include <QString>
#include <QStringList>

class CPhotoPos : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CPhotoPos)

public:
    static constexpr quint16 kSchema = 1;

    CPhotoPos() = default;
    CPhotoPos(const QString& name, const COleDate& date, const QStringList& photos);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const COleDate& date() const { return m_date; }
    void setDate(const COleDate& date) { m_date = date; }
    // Photo paths as the file system spells them, in the order given.
    const QStringList& photos() const { return m_photos; }
    void setPhotos(const QStringList& photos) { m_photos = photos; }

    // Record: name (string), date (i32 status, f64 day count), then the
    // paths as a string array: a count, then each string.
    void serialize(CArchive& ar) override;

private:
    QString m_name;
    COleDate m_date;
    QStringList m_photos;
};
