#include "phototilewindow.h"

#include "photoitem.h"
#include "photolistmodel.h"
#include "phototiledelegate.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace {
const char* const kChannels[] = {Channel::Application, Channel::Dropper, Channel::Undo};
} // namespace

CPhotoTileWindow::CPhotoTileWindow(CThumbnailCache& thumbnails, CNotificationBus& bus, Source source, QWidget* parent)
    : QListView(parent)
    , m_bus(bus)
    , m_source(std::move(source))
    , m_model(new CPhotoListModel(thumbnails, bus, this))
    , m_delegate(new CPhotoTileDelegate(this))
{
    m_delegate->setImageSide(kTileSide);
    setModel(m_model);
    setItemDelegate(m_delegate);
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setStyleSheet(QStringLiteral("QListView { background: #1F2124; }"));
    // The model listens on "MyPhotos" for each tile's own changes.
    for (const char* channel : kChannels)
        m_bus.Register(this, QString::fromLatin1(channel));
    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (CPhotoItem* photo = photoAt(index.row()))
            emit photoActivated(photo);
    });
    reload();
}

CPhotoTileWindow::~CPhotoTileWindow()
{
    for (const char* channel : kChannels)
        m_bus.Unregister(this, QString::fromLatin1(channel));
}

void CPhotoTileWindow::reload() { m_model->setPhotos(m_source ? m_source() : std::vector<CPhotoItem*>{}); }

CPhotoItem* CPhotoTileWindow::photoAt(int row) const { return m_model->photoAt(row); }

bool CPhotoTileWindow::OnNotify(const CNotifyMessage& message)
{
    const auto is = [&message](const char* event) { return message.event == QLatin1String(event); };
    if (message.channel == QLatin1String(Channel::Application)) {
        if (is(Event::Closing))
            m_model->setPhotos({});
        return false;
    }
    if (message.channel == QLatin1String(Channel::Undo)) {
        if (is(Event::Term))
            reload();
        return false;
    }
    if (is(Event::BeginPopulate)) {
        m_inBatch = true;
    } else if (is(Event::EndPopulate)) {
        m_inBatch = false;
        reload();
    } else if ((is(Event::NewPhoto) || is(Event::RemovePhoto)) && !m_inBatch) {
        reload();
    }
    return false;
}

void CPhotoTileWindow::startDrag(Qt::DropActions)
{
    const QModelIndex index = currentIndex();
    CPhotoItem* photo = index.isValid() ? photoAt(index.row()) : nullptr;
    if (!photo)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeDataFor(*photo));
    if (!photo->thumbnail().isNull())
        drag->setPixmap(QPixmap::fromImage(photo->thumbnail().scaled(kTileSide, kTileSide, Qt::KeepAspectRatio)));
    drag->exec(Qt::MoveAction);
}

QMimeData* CPhotoTileWindow::mimeDataFor(const CPhotoItem& photo)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kPhotoMimeType), photo.path().toUtf8());
    return data;
}

QStringList CPhotoTileWindow::localFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls() || data->hasFormat(QString::fromLatin1(kPhotoMimeType)))
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

void CPhotoTileWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPhotoTileWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CPhotoTileWindow::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
}
