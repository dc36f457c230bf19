#include "rubberband.h"

#include <QPainter>

CRubberBand::CRubberBand(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    show();
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
