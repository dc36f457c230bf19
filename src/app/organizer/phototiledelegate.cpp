#include "phototiledelegate.h"

#include "photolistmodel.h"

#include <QImage>
#include <QPainter>

CPhotoTileDelegate::CPhotoTileDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

QRect CPhotoTileDelegate::imageRect(const QRect& tile, QSize size) const
{
    if (size.isEmpty())
        return {};
    const QSize fitted = size.scaled(m_side, m_side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return QRect(tile.x() + (tile.width() - fitted.width()) / 2, tile.y() + (tile.height() - fitted.height()) / 2,
                 fitted.width(), fitted.height());
}

QSize CPhotoTileDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    const int tile = m_side + 2 * kMargin;
    return QSize(tile, tile);
}

const QImage& CPhotoTileDelegate::scaled(const QImage& image, QSize size) const
{
    const QPair<qint64, quint32> key(image.cacheKey(), quint32(size.width()) << 16 | quint32(size.height()));
    if (QImage* cached = m_scaled.object(key))
        return *cached;
    auto* copy = new QImage(image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const int cost = int(qMin<qsizetype>(copy->sizeInBytes(), kScaledCacheBytes));
    m_scaled.insert(key, copy, qMax(1, cost));
    // Never null: a picture too large to keep was not kept, and is drawn as is.
    static const QImage none;
    QImage* kept = m_scaled.object(key);
    return kept ? *kept : none;
}

void CPhotoTileDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect tile = option.rect.adjusted(1, 1, -1, -1);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->fillRect(tile, QColor::fromRgba(selected ? kTileSelection : kTileBack));

    const QImage image = index.data(Qt::DecorationRole).value<QImage>();
    const QRect target = imageRect(tile, image.size());
    if (!target.isEmpty()) {
        painter->fillRect(target.translated(kShadowOffset, kShadowOffset), QColor::fromRgba(kTileShadow));
        if (target.size() == image.size()) {
            painter->drawImage(target.topLeft(), image);
        } else if (const QImage& picture = scaled(image, target.size()); !picture.isNull()) {
            painter->drawImage(target.topLeft(), picture);
        } else {
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawImage(target, image);
        }
        const bool fromPhoto = index.data(CPhotoListModel::MetadataDateRole).toBool();
        painter->setPen(QColor::fromRgba(fromPhoto ? kTileBorderDate : kTileBorderNoDate));
        painter->drawRect(target.adjusted(0, 0, -1, -1));
    }
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter->setPen(QPen(QColor::fromRgba(kTileBorderDate), 1, Qt::DotLine));
        painter->drawRect(tile.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}
