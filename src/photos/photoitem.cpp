#include "photoitem.h"

#include "myphotos.h"

#include <QLocale>

OMBRAVELLE_IMPLEMENT_SERIAL(CPhotoItem, CPhotoItem::kSchema)

namespace {

// Qt counts Monday = 1 .. Sunday = 7; the record counts Sunday = 0 .. Saturday = 6.
constexpr int kDaysPerWeek = 7;

// "%A, %B %d, %Y" in the C locale's English names.
const QString kDateFormat = QStringLiteral("dddd, MMMM dd, yyyy");
const QString kFileDateSuffix = QStringLiteral(" (File Date)");

} // namespace

// ---------------------------------------------------------------------------
// CSystemTime

CSystemTime CSystemTime::fromDateTime(const QDateTime& dateTime)
{
    CSystemTime parts;
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || date.year() < 1 || date.year() > 0xFFFF)
        return parts;
    parts.year = quint16(date.year());
    parts.month = quint16(date.month());
    parts.dayOfWeek = quint16(date.dayOfWeek() % kDaysPerWeek);
    parts.day = quint16(date.day());
    parts.hour = quint16(time.hour());
    parts.minute = quint16(time.minute());
    parts.second = quint16(time.second());
    parts.milliseconds = quint16(time.msec());
    return parts;
}

QDate CSystemTime::date() const { return QDate(year, month, day); }

int CSystemTime::compareDay(const QDate& wanted) const
{
    if (year != wanted.year())
        return year < wanted.year() ? -1 : 1;
    if (month != wanted.month())
        return month < wanted.month() ? -1 : 1;
    if (day != wanted.day())
        return day < wanted.day() ? -1 : 1;
    return 0;
}

void CSystemTime::serialize(CArchive& ar)
{
    quint16* const fields[] = {&year, &month, &dayOfWeek, &day, &hour, &minute, &second, &milliseconds};
    for (quint16* field : fields) {
        if (ar.isStoring())
            ar.writeU16(*field);
        else
            *field = ar.readU16();
    }
}

// ---------------------------------------------------------------------------
// CPhotoItem

CPhotoItem::~CPhotoItem() = default;

bool CPhotoItem::setFlag(quint32 bit, bool on)
{
    const quint32 before = on ? m_flags.fetch_or(bit, std::memory_order_acq_rel)
                              : m_flags.fetch_and(~bit, std::memory_order_acq_rel);
    return ((before & bit) != 0) != on;
}

QString CPhotoItem::stateText() const
{
    if (isMissing())
        return QStringLiteral("Photo file was not found on your drive");
    if (isHidden())
        return QStringLiteral("Photo is tagged to be hidden");
    if (isInvalid())
        return QStringLiteral("The file does not contain a valid image");
    return QStringLiteral("Normal");
}

QString CPhotoItem::dateText() const
{
    const QDate date = m_dateParts.date();
    if (!date.isValid())
        return {};
    QString text = QLocale::c().toString(date, kDateFormat);
    if (!hasMetadataDate())
        text += kFileDateSuffix;
    return text;
}

QString CPhotoItem::sizeText() const { return QString::number(m_fileSize); }

void CPhotoItem::addUse()
{
    if (m_useCount++ == 0 && m_owner)
        m_owner->photoUseChanged(*this, true);
}

void CPhotoItem::releaseUse()
{
    if (m_useCount <= 0)
        return; // an unbalanced release must not make a photo look held
    if (--m_useCount == 0 && m_owner)
        m_owner->photoUseChanged(*this, false);
}

void CPhotoItem::setWorkingCopy(const QImage& image)
{
    m_workingCopy = image;
    m_workingCopyDirty = false;
}

void CPhotoItem::releaseImages()
{
    m_fullImage = QImage();
    m_workingCopy = QImage();
    m_workingCopyDirty = true;
}

void CPhotoItem::resetImages()
{
    releaseImages();
    m_thumbnail = QImage();
    m_preview = QImage();
}

void CPhotoItem::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeF64(m_creationTime);
        ar.writeF64(m_lastWriteTime);
        m_dateParts.serialize(ar);
        ar.writeF64(m_photoDate);
        ar.writeU32(m_fileSize);
        ar.writeU32(flags() & ~kFlagBeingRendered);
        ar.writeF32(m_pixelWidth);
        ar.writeF32(m_pixelHeight);
        ar.writeU32(m_thumbnailSlot);
        ar.writeU16(m_quarterTurns);
    } else {
        m_creationTime = ar.readF64();
        m_lastWriteTime = ar.readF64();
        m_dateParts.serialize(ar);
        m_photoDate = ar.readF64();
        m_fileSize = ar.readU32();
        m_flags.store(ar.readU32() & ~kFlagBeingRendered, std::memory_order_release);
        m_pixelWidth = ar.readF32();
        m_pixelHeight = ar.readF32();
        m_thumbnailSlot = ar.readU32();
        m_quarterTurns = ar.readU16();
    }
}

void CPhotoItem::recordDecoded(bool hasTransparency, float pixelWidth, float pixelHeight)
{
    bool changed = setFlag(kFlagInvalid, false);
    changed |= setFlag(kFlagHasTransparency, hasTransparency);
    if (m_pixelWidth != pixelWidth || m_pixelHeight != pixelHeight) {
        m_pixelWidth = pixelWidth;
        m_pixelHeight = pixelHeight;
        changed = true;
    }
    if (changed && m_owner)
        m_owner->markDirty();
}

void CPhotoItem::recordUndecodable()
{
    if (setFlag(kFlagInvalid, true) && m_owner)
        m_owner->markDirty();
}
