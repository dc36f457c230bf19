#include "snaptarget.h"

#include "snapper.h"

CSnapTarget::CSnapTarget(float x, float y, quint32 type)
{
    for (CSnapLine* line : {&m_vertical, &m_horizontal}) {
        line->m_target = this;
        line->m_type = type;
    }
    m_vertical.m_coordinate = x;
    m_horizontal.m_coordinate = y;
}

CSnapTarget::~CSnapTarget()
{
    if (m_snapper)
        m_snapper->Unregister(*this);
}

void CSnapTarget::setCoordinates(float x, float y)
{
    m_vertical.m_coordinate = x;
    m_horizontal.m_coordinate = y;
    if (m_snapper)
        m_snapper->linesMoved();
}

void CSnapTarget::setEnabled(bool enabled)
{
    m_vertical.m_enabled = enabled;
    m_horizontal.m_enabled = enabled;
}

void CSnapTarget::setLineEnabled(SnapAxis axis, bool enabled) { mutableLine(axis).m_enabled = enabled; }
