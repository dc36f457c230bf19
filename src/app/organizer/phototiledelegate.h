#pragma once
// Paints one photo tile of the organizer: the thumbnail fitted into a square
// of the chosen side over the tile background with a soft shadow, framed in
// one colour when the photo's date came from the photo itself and another
// when it is only the file's date, and marked when selected.

#include <QCache>
#include <QColor>
#include <QImage>
#include <QStyledItemDelegate>

class CPhotoTileDelegate : public QStyledItemDelegate
{
public:
    // The tile colours ("TileBack", "TileBorderDate", "TileBorderNoDate",
    // "TileShadow", "TileSelection").
    static constexpr QRgb kTileBack = 0xFF34373B;
    static constexpr QRgb kTileBorderDate = 0xFFD8DCE0;
    static constexpr QRgb kTileBorderNoDate = 0xFFE0A040;
    static constexpr QRgb kTileShadow = 0x90000000;
    static constexpr QRgb kTileSelection = 0xFF3A7BD5;
    static constexpr int kMargin = 6;
    static constexpr int kShadowOffset = 3;
    // Thumbnails scaled to the tile side are kept up to this many bytes, so
    // a repaint (each scroll step) copies pictures instead of scaling them.
    static constexpr int kScaledCacheBytes = 32 * 1024 * 1024;

    explicit CPhotoTileDelegate(QObject* parent = nullptr);

    // The side of the square a thumbnail is fitted into, pixels.
    void setImageSide(int side) { m_side = side; }
    int imageSide() const { return m_side; }
    // Where a thumbnail of `size` lands inside the tile at `tile`.
    QRect imageRect(const QRect& tile, QSize size) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const QImage& scaled(const QImage& image, QSize size) const;

    int m_side = 100;
    mutable QCache<QPair<qint64, quint32>, QImage> m_scaled{kScaledCacheBytes};
};
