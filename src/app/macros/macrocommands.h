#pragma once
// The macro commands of the editor: Record/Stop (Ctrl+Shift+R), Playback
// (Ctrl+Shift+P), Open a macro, Save loaded macro. Recording and playback
// begin and end 100 ms after the command, so the keys of the shortcut are
// up before the hook starts or stops watching. Before a playback the undo
// history is moved back to the step count the recording began at, so the
// macro replays on the document it was recorded on. One beep when a
// recording starts, two when a recording or playback stops.
//
// A child of the main window, which offers it the commands.

#include "commandtarget.h"
#include "journalhook.h"

#include <QObject>
#include <QTimer>

#include <functional>

class CCollageDoc;
class CMacro;
class CServices;
class QWidget;

class CMacroCommands : public QObject, public CCommandTarget, private CMacroListener
{
    Q_OBJECT

public:
    // The delay between a command and the start or stop it asks for.
    static constexpr int kShortcutReleaseMs = 100;
    // The pause between the two beeps of a stop.
    static constexpr int kBeepGapMs = 100;
    static constexpr const char* kStopText = "&Stop!\tCtrl+Shift+R";

    CMacroCommands(CCollageDoc& doc, CServices& services, QWidget* window);
    ~CMacroCommands() override;

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

    bool isRecording() const { return m_recording; }
    bool isPlaying() const { return m_playing; }
    CJournalHook& hook() { return m_hook; }

    // What picks the macro for Record (true) and Open (false); by default
    // the macro dialog. Returns whether the user chose one (it is then the
    // store's current macro).
    void setMacroPicker(std::function<bool(bool record)> picker) { m_picker = std::move(picker); }
    // Replaces the system beep (tests count them).
    void setBeeper(std::function<void()> beeper) { m_beeper = std::move(beeper); }

signals:
    void stopped();

private:
    void OnPlaybackStarted() override;
    void OnRecordingStarted() override;
    void OnStopped() override;

    CMacro* currentMacro() const;
    bool pickMacro(bool record);
    void rewindTo(quint32 steps);
    void showRecordingInMenu();
    void toggleRecording();
    void togglePlayback();
    void beep();

    CCollageDoc& m_doc;
    CServices& m_services;
    QWidget* m_window;
    CJournalHook m_hook;
    QTimer m_recordTimer;
    QTimer m_playTimer;
    bool m_recording = false;
    bool m_playing = false;
    std::function<bool(bool)> m_picker;
    std::function<void()> m_beeper;
};
