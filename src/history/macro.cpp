#include "macro.h"

OMBRAVELLE_IMPLEMENT_SERIAL(CMacro, CMacro::kSchema)

CMacro::CMacro() = default;

CMacro::CMacro(const QString& name)
    : m_name(name)
{
}

CMacro::~CMacro() = default;

void CMacro::appendEvent(const CJournalEvent& event) { m_events.push_back(std::make_unique<CMacroFrame>(event)); }

void CMacro::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeU32(m_startPosition);
        ar.writeString(m_name);
        ar.writeObjectList(m_events);
        return;
    }
    const quint32 startPosition = ar.readU32();
    const QString name = ar.readString();
    auto events = ar.readObjectList<CMacroFrame>();
    m_startPosition = startPosition;
    m_name = name;
    m_events = std::move(events);
}
