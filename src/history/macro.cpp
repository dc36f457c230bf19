#include "macro.h"

#include "journalcodes.h"

#include <algorithm>

OMBRAVELLE_IMPLEMENT_SERIAL(CMacro, CMacro::kSchema)

CMacro::CMacro() = default;

CMacro::CMacro(const QString& name)
    : m_name(name)
{
}

// Whoever plays or records it must let go of it.
CMacro::~CMacro() { Stop(); }

void CMacro::appendEvent(const CJournalEvent& event) { m_events.push_back(std::make_unique<CMacroFrame>(event)); }

bool CMacro::removeEvent(std::size_t index)
{
    if (m_recording || m_playing || index >= m_events.size())
        return false;
    m_events.erase(m_events.begin() + std::ptrdiff_t(index));
    return true;
}

bool CMacro::StartRecording()
{
    if (m_recording || m_playing)
        return false;
    m_recording = true;
    m_events.clear();
    if (m_listener)
        m_listener->OnRecordingStarted();
    return true;
}

bool CMacro::StartPlayback()
{
    if (m_recording || m_playing || m_events.empty())
        return false;
    m_playing = true;
    m_cursor = 0;
    m_pendingDelay = 0;
    if (m_listener)
        m_listener->OnPlaybackStarted();
    return true;
}

void CMacro::Stop()
{
    if (!m_recording && !m_playing)
        return;
    if (m_recording)
        dropStoppingKeys();
    m_recording = false;
    m_playing = false;
    m_cursor = 0;
    m_pendingDelay = 0;
    if (m_listener)
        m_listener->OnStopped();
}

namespace {

bool isKey(const CJournalEvent& event)
{
    using namespace JournalCodes;
    return event.message == KeyDown || event.message == KeyUp || event.message == SysKeyDown
        || event.message == SysKeyUp;
}

quint32 keyOf(const CJournalEvent& event) { return event.paramL & 0xFF; }

} // namespace

// The shortcut that stops a recording leaves its modifiers' presses and
// releases at the end, and the release of its letter, whose press the
// shortcut took. A release whose press was recorded belongs to the macro.
void CMacro::dropStoppingKeys()
{
    while (!m_events.empty()) {
        const CJournalEvent& last = m_events.back()->event();
        if (!isKey(last))
            return;
        if (!JournalCodes::isModifierKey(keyOf(last))) {
            const bool release = last.message == JournalCodes::KeyUp || last.message == JournalCodes::SysKeyUp;
            if (!release)
                return;
            const auto earlier = std::find_if(std::next(m_events.rbegin()), m_events.rend(), [&last](const auto& frame) {
                return isKey(frame->event()) && keyOf(frame->event()) == keyOf(last);
            });
            const bool pressRecorded = earlier != m_events.rend()
                && ((*earlier)->event().message == JournalCodes::KeyDown
                    || (*earlier)->event().message == JournalCodes::SysKeyDown);
            if (pressRecorded)
                return;
        }
        m_events.pop_back();
    }
}

const CJournalEvent* CMacro::currentEvent() const
{
    return m_playing && m_cursor < m_events.size() ? &m_events[m_cursor]->event() : nullptr;
}

bool CMacro::Advance()
{
    if (!m_playing)
        return false;
    ++m_cursor;
    if (m_cursor >= m_events.size()) {
        Stop();
        return false;
    }
    m_pendingDelay = JournalCodes::gapBetween(m_events[m_cursor - 1]->event(), m_events[m_cursor]->event());
    return true;
}

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
