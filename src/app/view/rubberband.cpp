#include "rubberband.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

CRubberBand::CRubberBand(const QPoint& anchor, QWidget* parent)
    : QWidget(parent)
    , m_anchor(anchor)
    , m_band(anchor, anchor)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(m_band);
    show();
}

void CRubberBand::stretchTo(const QPoint& point)
{
    // Corner to corner: a band from x to x + 4 is four pixels wide.
    m_band = QRect(QPoint(std::min(m_anchor.x(), point.x()), std::min(m_anchor.y(), point.y())),
                   QSize(std::abs(point.x() - m_anchor.x()), std::abs(point.y() - m_anchor.y())));
    setGeometry(m_band);
}

void CRubberBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgba(kFill));
    QPen pen(QColor::fromRgba(kPen), kPenWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const int inset = kPenWidth / 2;
    painter.drawRect(rect().adjusted(inset, inset, -inset, -inset));
}
