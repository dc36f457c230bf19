#include "progress.h"

#include <QCoreApplication>

#include <algorithm>

CProgress::CProgress(QObject* parent)
    : QObject(parent)
{
}

void CProgress::reset()
{
    setText(QString());
    setRange(kDefaultMinimum, kDefaultMaximum);
    setPosition(kDefaultMinimum);
    setCancelled(false);
}

void CProgress::begin()
{
    setCancelled(false);
    if (m_active)
        return;
    m_active = true;
    emit activeChanged(true);
}

void CProgress::end()
{
    if (!m_active)
        return;
    m_active = false;
    emit activeChanged(false);
}

void CProgress::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(m_text);
}

void CProgress::setRange(int minimum, int maximum)
{
    maximum = std::max(minimum, maximum);
    if (minimum != m_minimum || maximum != m_maximum) {
        m_minimum = minimum;
        m_maximum = maximum;
        emit rangeChanged(m_minimum, m_maximum);
    }
    setPosition(m_position);
}

void CProgress::setPosition(int position)
{
    position = std::clamp(position, m_minimum, m_maximum);
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(m_position);
}

bool CProgress::step(int by)
{
    // Widened so that a large step near the end of the range cannot overflow.
    const qint64 next = std::clamp<qint64>(qint64(m_position) + by, m_minimum, m_maximum);
    setPosition(int(next));
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !m_cancelled;
}

void CProgress::cancel() { setCancelled(true); }

void CProgress::setCancelled(bool cancelled)
{
    if (cancelled == m_cancelled)
        return;
    m_cancelled = cancelled;
    emit cancelledChanged(m_cancelled);
}
