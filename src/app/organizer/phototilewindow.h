#pragma once
// The strip of photo tiles the Pix Dropper bar and the ZadeDudaziz wizard
// show: the photos a source hands it, as the organizer paints them. It
// lists them again when the dropper finishes a change (outside a batch, or
// at the batch's end), when an undo or redo ends and when the program
// closes; a tile repaints by itself when its thumbnail arrives.
//
// A tile can be dragged out: the drag carries the photo's path in
// kPhotoMimeType, for a drop onto the canvas. Image files dropped onto the
// strip from the file manager are handed to filesDropped().

#include "notificationbus.h"

#include <QListView>
#include <QStringList>

#include <functional>
#include <vector>

class CPhotoItem;
class CPhotoListModel;
class CPhotoTileDelegate;
class CThumbnailCache;
class QMimeData;

class CPhotoTileWindow : public QListView, private CNotifyListener
{
    Q_OBJECT

public:
    static constexpr const char* kPhotoMimeType = "application/x-ombravelle-dropper-photo";
    static constexpr int kTileSide = 72;

    using Source = std::function<std::vector<CPhotoItem*>()>;

    CPhotoTileWindow(CThumbnailCache& thumbnails, CNotificationBus& bus, Source source, QWidget* parent = nullptr);
    ~CPhotoTileWindow() override;

    // Lists the source's photos again.
    void reload();
    CPhotoListModel& photoModel() const { return *m_model; }
    CPhotoItem* photoAt(int row) const;
    // What a tile's drag carries.
    static QMimeData* mimeDataFor(const CPhotoItem& photo);

signals:
    void photoActivated(CPhotoItem* photo);
    void filesDropped(const QStringList& paths);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool OnNotify(const CNotifyMessage& message) override;
    static QStringList localFiles(const QMimeData* data);

    CNotificationBus& m_bus;
    Source m_source;
    CPhotoListModel* m_model;
    CPhotoTileDelegate* m_delegate;
    bool m_inBatch = false;
};
