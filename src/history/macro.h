#pragma once
// One named recording of keyboard and mouse input, with the number of steps
// the undo list held when the recording began, so that playback can first
// bring the document back to that state.
//
// Owned by CMacroManager.

#include "archive.h"
#include "macroframe.h"

#include <QString>

#include <memory>
#include <vector>

class CMacro : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CMacro)

public:
    static constexpr quint16 kSchema = 1;

    CMacro();
    explicit CMacro(const QString& name);
    ~CMacro() override;
    CMacro(const CMacro&) = delete;
    CMacro& operator=(const CMacro&) = delete;

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    quint32 startPosition() const { return m_startPosition; }
    void setStartPosition(quint32 steps) { m_startPosition = steps; }

    bool isRecording() const { return m_recording; }
    bool isPlaying() const { return m_playing; }

    // The recording, in recording order.
    const std::vector<std::unique_ptr<CMacroFrame>>& events() const { return m_events; }
    void appendEvent(const CJournalEvent& event);
    void clearEvents() { m_events.clear(); }

    // Start position (u32), name, then the events as an object list.
    void serialize(CArchive& ar) override;

private:
    QString m_name;
    quint32 m_startPosition = 0;
    bool m_recording = false;
    bool m_playing = false;
    std::vector<std::unique_ptr<CMacroFrame>> m_events;
};
