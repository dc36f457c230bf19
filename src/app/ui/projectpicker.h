#pragma once
// The project picker: one dialog for opening and for saving collages. A
// folder with its collage files, a type (project, template, and in save
// mode the quick-start collage), a file name and the description. Opening
// shows the description stored in the chosen file; saving lets the user
// type it. The checks of OK (a name is needed, an existing file is replaced
// only when the user agrees, the file to open must exist) keep the dialog
// open with the catalogue's message.

#include "doccommands.h"

#include <QDialog>

class CMessageCatalogue;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class CProjectPickerDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Open, Save };

    static constexpr const char* kOpenTitle = "Open Collage";
    static constexpr const char* kSaveTitle = "Save Collage";

    CProjectPickerDialog(Mode mode, CMessageCatalogue& catalogue, QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    QString folder() const;
    void setFileName(const QString& name);
    void setType(ProjectType type);
    ProjectType type() const;
    void setDescription(const QString& text);
    QString description() const;

    // The full path OK would take, ".Collage" added when missing; empty
    // without a name.
    QString chosenPath() const;
    // What OK does, leaving the dialog open: the catalogue key of the
    // message shown when the choice is refused, else empty.
    QString check();

    QLineEdit* folderField() const { return m_folder; }
    QLineEdit* nameField() const { return m_name; }
    QComboBox* typeField() const { return m_type; }
    QPlainTextEdit* descriptionField() const { return m_description; }
    QListWidget* fileList() const { return m_files; }

public slots:
    void accept() override;

private:
    void refreshList();
    void fileChosen();
    void browse();

    Mode m_mode;
    CMessageCatalogue& m_catalogue;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QListWidget* m_files = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QPlainTextEdit* m_description = nullptr;
};
