#pragma once
// "Record Macro": names a macro to record, or picks a stored one to play.
// On OK in record mode a new empty macro of the name becomes the current
// one (an existing one of that name is replaced after asking); in open mode
// the macro of the name does. The catalogue says what is wrong with a name
// and the dialog stays open. Remove deletes the selected macro after
// asking; Rename gives it the name typed in the field. Edit opens the
// dialog wide, listing the selected macro's recorded events, so that
// events recorded by mistake can be cut out.
//
// The first row shown in the list of macros ("MacroListTop"), the macro
// selected in it ("MacroListPosS") and whether the dialog is open wide
// ("MacroDlgBig") are kept in the settings when it closes and come back
// when it opens again.

#include "propbinding.h"

#include <QDialog>

#include <cstddef>

class CMacro;
class CMacroManager;
class CMessageCatalogue;
class CPropManager;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

class CMacroDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Record, Open };

    CMacroDialog(CMacroManager& macros, CMessageCatalogue& catalogue, CPropManager& settings, Mode mode,
                 QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    QListWidget* macroList() const { return m_list; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* renameButton() const { return m_rename; }
    QPushButton* editButton() const { return m_edit; }
    // The wide part: the selected macro's events and the button cutting the
    // selected ones out.
    QListWidget* eventList() const { return m_events; }
    QPushButton* cutEventsButton() const { return m_cutEvents; }
    bool isWide() const { return m_wide.get(); }
    // A macro was removed, renamed or cut: the project has changed.
    bool changedMacros() const { return m_changed; }

    // One line of the event list: the pause before the event and what it is.
    static QString describe(const CMacro& macro, std::size_t index);

    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillList();
    void fillEvents();
    void setWide(bool wide);
    void removeSelected();
    void renameSelected();
    void cutSelectedEvents();
    CMacro* selectedMacro() const;
    QString typedName() const;

    CMacroManager& m_macros;
    CMessageCatalogue& m_catalogue;
    Mode m_mode;
    CIntProp m_listTop;
    CIntProp m_listPosition;
    CBoolProp m_wide;
    bool m_changed = false;
    QLineEdit* m_name = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_edit = nullptr;
    QWidget* m_editor = nullptr;
    QListWidget* m_events = nullptr;
    QPushButton* m_cutEvents = nullptr;
};
