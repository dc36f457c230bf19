#pragma once
// The band that follows the pointer while frames are selected by dragging
// over them or a new frame is drawn: a dark see-through fill, so the frames
// under it stay in sight, with a white pen drawn inset. A child of the view,
// shown over it for the length of one drag.

#include <QRect>
#include <QWidget>

class CRubberBand : public QWidget
{
public:
    static constexpr QRgb kFill = 0x50303030;
    static constexpr QRgb kPen = 0xFFFFFFFF;
    static constexpr int kPenWidth = 2;

    explicit CRubberBand(QWidget* parent);

    // Client pixels of the parent.
    void setBand(const QRect& band) { setGeometry(band); }

protected:
    void paintEvent(QPaintEvent* event) override;
};
