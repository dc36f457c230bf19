#pragma once
// The photos the organizer lists, for a virtualised view: rows are photos
// of the collection, and a row's picture is asked of the thumbnail cache
// only when the view paints it. Repaints a row when the cache or the
// collection announces a change of its photo on "MyPhotos".

#include "notificationbus.h"

#include <QAbstractListModel>
#include <QHash>

#include <vector>

class CPhotoItem;
class CThumbnailCache;

class CPhotoListModel : public QAbstractListModel, private CNotifyListener
{
    Q_OBJECT

public:
    enum Role {
        PhotoRole = Qt::UserRole + 1, // the CPhotoItem*, as a quintptr
        MetadataDateRole,             // the date came from the photo itself
    };

    CPhotoListModel(CThumbnailCache& thumbnails, CNotificationBus& bus, QObject* parent = nullptr);
    ~CPhotoListModel() override;

    // The photos to list, in order. They must stay alive while listed.
    void setPhotos(std::vector<CPhotoItem*> photos);
    const std::vector<CPhotoItem*>& photos() const { return m_photos; }
    CPhotoItem* photoAt(int row) const;
    // -1 when the photo is not listed.
    int rowOf(const CPhotoItem* photo) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // A listed photo looks different now (rendered, turned, hidden or shown).
    void photoChanged(CPhotoItem* photo);
    // Every photo of the collection is gone.
    void collectionCleared();

private:
    bool OnNotify(const CNotifyMessage& message) override;

    CThumbnailCache& m_thumbnails;
    CNotificationBus& m_bus;
    std::vector<CPhotoItem*> m_photos;
    QHash<const CPhotoItem*, int> m_rows;
};
