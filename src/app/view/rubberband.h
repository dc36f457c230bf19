#pragma once
// The band that follows the pointer while frames are selected by dragging
// over them or a new frame is drawn: a dark fill with a white pen drawn
// inset. A child of the view, shown over it for the length of one drag.

#include <QPoint>
#include <QWidget>

class CRubberBand : public QWidget
{
public:
    static constexpr QRgb kFill = 0xFF303030;
    static constexpr QRgb kPen = 0xFFFFFFFF;
    static constexpr int kPenWidth = 2;

    CRubberBand(const QPoint& anchor, QWidget* parent);

    const QPoint& anchor() const { return m_anchor; }
    // The band from the anchor to `point`, client pixels, normalised.
    void stretchTo(const QPoint& point);
    QRect band() const { return m_band; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint m_anchor;
    QRect m_band;
};
