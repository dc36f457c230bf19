#pragma once
// "Record Macro": names a macro to record, or picks a stored one to play.
// On OK in record mode a new empty macro of the name becomes the current
// one (an existing one of that name is replaced after asking); in open mode
// the macro of the name does. The catalogue says what is wrong with a name
// and the dialog stays open. Remove deletes the selected macro after
// asking; Rename gives it the name typed in the field.

#include <QDialog>

class CMacroManager;
class CMessageCatalogue;
class QLineEdit;
class QListWidget;
class QPushButton;

class CMacroDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Record, Open };

    CMacroDialog(CMacroManager& macros, CMessageCatalogue& catalogue, Mode mode, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    QListWidget* macroList() const { return m_list; }
    QPushButton* removeButton() const { return m_remove; }
    QPushButton* renameButton() const { return m_rename; }

    void accept() override;

private:
    void fillList();
    void removeSelected();
    void renameSelected();
    QString typedName() const;

    CMacroManager& m_macros;
    CMessageCatalogue& m_catalogue;
    Mode m_mode;
    QLineEdit* m_name = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_rename = nullptr;
};
