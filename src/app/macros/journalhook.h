#pragma once
// Records and plays a macro's input. Recording watches, through an
// application-wide event filter, every key and mouse event the window
// system delivers to one of the program's windows and keeps it as a journal
// record (screen positions, window field 0). Playback hands the records
// back to the window system at the recorded pace, so they travel the path
// real input takes: shortcuts, popups, modal dialogs, double clicks. An
// Escape the user presses during playback stops it at once.
//
// At most one macro records or plays at a time. The hook listens to its
// macro and lets go of it whenever it stops, also when the macro is
// deleted (a project opened by the macro itself empties the store).
// User-interface thread only.

#include "journalcodes.h"
#include "macro.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWindow>

class CJournalHook : public QObject, private CMacroListener
{
    Q_OBJECT

public:
    explicit CJournalHook(QObject* parent = nullptr);
    ~CJournalHook() override;

    // Told, after the hook, when its macro starts and stops. Not owned.
    void setListener(CMacroListener* listener) { m_listener = listener; }

    // False when a macro records or plays already, or the macro refuses.
    bool startRecording(CMacro& macro);
    // Key events go to the focused window, else to `mainWindow`; mouse
    // events to the window under their position (or holding the mouse).
    bool startPlayback(CMacro& macro, QWindow* mainWindow);
    // Stops the macro recording or playing, if any.
    void stop();
    CMacro* target() const { return m_target; }

    // The tick count the records' time stamps are taken from, ms.
    static quint32 tickCount();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnPlaybackStarted() override;
    void OnRecordingStarted() override;
    void OnStopped() override;

    void record(QEvent* event);
    void playNext();
    void deliver(const CJournalEvent& record);
    void deliverKey(const JournalCodes::CInput& input);
    void deliverMouse(const JournalCodes::CInput& input);
    QWindow* windowAt(const QPoint& screen) const;

    CMacro* m_target = nullptr;
    CMacroListener* m_listener = nullptr;
    QTimer m_playTimer;
    QElapsedTimer m_playClock;
    CInputState m_state;
    QPointer<QWindow> m_mainWindow;
    QPointer<QWindow> m_mouseHolder; // the window a held button went down in
    // Key events the hook is handing to the window system; anything else
    // arriving during playback is the user's.
    int m_keysInFlight = 0;
    // The key of the press last recorded from its offer to the shortcuts,
    // until the next input: the press itself is not recorded twice.
    int m_offeredKey = 0;
};
