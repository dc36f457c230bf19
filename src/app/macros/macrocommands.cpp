#include "macrocommands.h"

#include "collagedoc.h"
#include "commandids.h"
#include "commandtable.h"
#include "macrodialog.h"
#include "macromanager.h"
#include "picdropper.h"
#include "services.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

using namespace CommandId;

CMacroCommands::CMacroCommands(CCollageDoc& doc, CServices& services, QWidget* window)
    : QObject(window)
    , m_doc(doc)
    , m_services(services)
    , m_window(window)
{
    m_hook.setListener(this);
    for (QTimer* timer : {&m_recordTimer, &m_playTimer}) {
        timer->setSingleShot(true);
        timer->setInterval(kShortcutReleaseMs);
    }
    connect(&m_recordTimer, &QTimer::timeout, this, &CMacroCommands::toggleRecording);
    connect(&m_playTimer, &QTimer::timeout, this, &CMacroCommands::togglePlayback);
}

CMacroCommands::~CMacroCommands()
{
    m_hook.setListener(nullptr);
    m_hook.stop();
}

CMacro* CMacroCommands::currentMacro() const { return m_services.macros().currentMacro(); }

bool CMacroCommands::onCommand(int id)
{
    // What records or plays is the hook's; the store's current macro may
    // be another by now.
    const CMacro* busy = m_hook.target();
    CMacro* macro = currentMacro();
    switch (id) {
    case MacroRecord:
        if (busy) {
            if (busy->isRecording())
                m_recordTimer.start();
            return true;
        }
        if (pickMacro(true))
            m_recordTimer.start();
        return true;
    case MacroPlayback:
        if (busy || !macro || macro->events().empty())
            return true;
        rewindTo(macro->startPosition());
        m_playTimer.start();
        return true;
    case MacroOpen:
        if (!busy)
            pickMacro(false);
        return true;
    case MacroSave:
        return true; // the macros are saved with the project
    default:
        return false;
    }
}

std::optional<CCommandState> CMacroCommands::commandState(int id) const
{
    const CMacro* macro = currentMacro();
    const bool busy = m_hook.target() != nullptr;
    switch (id) {
    case MacroRecord:
        return CCommandState{!(busy && m_hook.target()->isPlaying()), false};
    case MacroPlayback:
        return CCommandState{macro && !busy && !macro->events().empty(), false};
    case MacroOpen:
        return CCommandState{!busy, false};
    case MacroSave:
        return CCommandState{};
    default:
        return std::nullopt;
    }
}

void CMacroCommands::rewindTo(quint32 steps)
{
    CUndo& history = m_services.undo();
    const auto undoSteps = history.undoList().size();
    const auto redoSteps = history.redoList().size();
    // The floating frame would hold a photo the steps may take away.
    m_services.dropper().SetToolMode(false);
    history.MoveTo(static_cast<int>(steps));
    if (history.undoList().size() == undoSteps && history.redoList().size() == redoSteps)
        return;
    m_doc.setModified(true);
    m_doc.updateAllViews(DocHint::Generic);
}

void CMacroCommands::showRecordingInMenu()
{
    const char* text = m_recording ? kStopText : CommandTable::find(MacroRecord)->text;
    for (QAction* action : m_window->actions()) {
        if (action->data().toInt() == MacroRecord)
            action->setText(QString::fromLatin1(text));
    }
}

bool CMacroCommands::pickMacro(bool record)
{
    if (m_picker)
        return m_picker(record);
    CMacroDialog dialog(m_services.macros(), m_services.catalogue(), m_services.settings(),
                        record ? CMacroDialog::Mode::Record : CMacroDialog::Mode::Open, m_window);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The macros are saved with the project.
    if (dialog.changedMacros())
        m_doc.setModified(true);
    return accepted;
}

void CMacroCommands::toggleRecording()
{
    if (const CMacro* busy = m_hook.target()) {
        if (busy->isRecording())
            m_hook.stop();
        return;
    }
    CMacro* macro = currentMacro();
    if (!macro)
        return;
    macro->setStartPosition(static_cast<quint32>(m_services.undo().undoList().size()));
    m_hook.startRecording(*macro);
}

void CMacroCommands::togglePlayback()
{
    if (const CMacro* busy = m_hook.target()) {
        if (busy->isPlaying())
            m_hook.stop();
        return;
    }
    if (CMacro* macro = currentMacro())
        m_hook.startPlayback(*macro, m_window ? m_window->window()->windowHandle() : nullptr);
}

void CMacroCommands::OnRecordingStarted()
{
    m_recording = true;
    showRecordingInMenu();
    beep();
}

void CMacroCommands::OnPlaybackStarted() { m_playing = true; }

void CMacroCommands::OnStopped()
{
    m_recording = false;
    m_playing = false;
    showRecordingInMenu();
    beep();
    QTimer::singleShot(kBeepGapMs, this, &CMacroCommands::beep);
    emit stopped();
}

void CMacroCommands::beep()
{
    if (m_beeper)
        m_beeper();
    else
        QApplication::beep();
}
