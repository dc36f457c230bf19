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

// Told when a macro starts and stops recording or playing (the view beeps).
class CMacroListener
{
public:
    virtual ~CMacroListener() = default;
    virtual void OnPlaybackStarted() = 0;
    virtual void OnRecordingStarted() = 0;
    virtual void OnStopped() = 0;
};

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
    void setListener(CMacroListener* listener) { m_listener = listener; }

    // Refused (false) while the macro records or plays. Empties the events.
    bool StartRecording();
    // Refused while the macro records or plays, or when it has no events.
    // The cursor stands on the first event, to be played at once.
    bool StartPlayback();
    // Ends recording or playback. The keys of the shortcut that stopped a
    // recording are not part of it.
    void Stop();

    // --- Playback
    // The event the cursor stands on; null when none is left.
    const CJournalEvent* currentEvent() const;
    // Milliseconds to wait before the current event: the gap between its
    // time stamp and the previous event's, 0 for the first and for a
    // negative gap.
    quint32 pendingDelay() const { return m_pendingDelay; }
    // Moves to the next event; false (and stopped) when the list is done.
    bool Advance();

    // The recording, in recording order.
    const std::vector<std::unique_ptr<CMacroFrame>>& events() const { return m_events; }
    void appendEvent(const CJournalEvent& event);
    // Cuts one event out of the recording; refused while the macro records
    // or plays, or for an index beyond the events.
    bool removeEvent(std::size_t index);
    void clearEvents() { m_events.clear(); }

    // Start position (u32), name, then the events as an object list.
    void serialize(CArchive& ar) override;

private:
    void dropStoppingKeys();

    QString m_name;
    quint32 m_startPosition = 0;
    bool m_recording = false;
    bool m_playing = false;
    quint32 m_pendingDelay = 0;
    std::size_t m_cursor = 0;
    CMacroListener* m_listener = nullptr;
    std::vector<std::unique_ptr<CMacroFrame>> m_events;
};
