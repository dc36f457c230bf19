#include "photolistmodel.h"

#include "photoitem.h"
#include "thumbnailcache.h"

#include <QFileInfo>

namespace {
bool sameName(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }
} // namespace

CPhotoListModel::CPhotoListModel(CThumbnailCache& thumbnails, CNotificationBus& bus, QObject* parent)
    : QAbstractListModel(parent)
    , m_thumbnails(thumbnails)
    , m_bus(bus)
{
    m_bus.Register(this, Channel::MyPhotos);
}

CPhotoListModel::~CPhotoListModel() { m_bus.Unregister(this, Channel::MyPhotos); }

void CPhotoListModel::setPhotos(std::vector<CPhotoItem*> photos)
{
    beginResetModel();
    m_photos = std::move(photos);
    m_rows.clear();
    m_rows.reserve(qsizetype(m_photos.size()));
    for (int row = 0; row < int(m_photos.size()); ++row)
        m_rows.insert(m_photos[size_t(row)], row);
    endResetModel();
}

CPhotoItem* CPhotoListModel::photoAt(int row) const
{
    return row >= 0 && row < int(m_photos.size()) ? m_photos[size_t(row)] : nullptr;
}

int CPhotoListModel::rowOf(const CPhotoItem* photo) const { return m_rows.value(photo, -1); }

int CPhotoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_photos.size());
}

QVariant CPhotoListModel::data(const QModelIndex& index, int role) const
{
    CPhotoItem* photo = photoAt(index.row());
    if (!photo)
        return {};
    switch (role) {
    case Qt::DisplayRole: return QFileInfo(photo->path()).fileName();
    case Qt::DecorationRole: return m_thumbnails.GetThumbnail(*photo);
    case Qt::ToolTipRole:
        return QStringLiteral("%1\n%2\n%3").arg(photo->path(), photo->dateText(), photo->stateText());
    case PhotoRole: return QVariant::fromValue(quintptr(photo));
    case MetadataDateRole: return photo->hasMetadataDate();
    default: return {};
    }
}

bool CPhotoListModel::OnNotify(const CNotifyMessage& message)
{
    if (sameName(message.event, Event::RemoveDB)) {
        setPhotos({});
        emit collectionCleared();
        return true;
    }
    if (!sameName(message.event, Event::RenderComplete) && !sameName(message.event, Event::FlipPhoto))
        return false;
    auto* photo = static_cast<CPhotoItem*>(message.parameter);
    const int row = rowOf(photo);
    if (row < 0)
        return false;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::DecorationRole});
    emit photoChanged(photo);
    return true;
}
