#pragma once
// The document's file commands as the menus call them: Save (with its Shift
// and Ctrl variants), Save As by type, Save As Template, the save-changes
// question, and turning a template into a project. The project picker is a
// dialog of the window; the commands reach it through CProjectPicker so
// they run the same in a test.

#include <QString>

#include <functional>
#include <optional>

class CCollageDoc;

enum class ProjectType { Project, Template, QuickStart };

struct CSaveAsChoice
{
    QString path;
    ProjectType type = ProjectType::Project;
    QString description;
};

class CProjectPicker
{
public:
    virtual ~CProjectPicker() = default;
    // The save mode of the picker, starting from `title`, on the template
    // type when `templateMode`. Nothing when the user cancels.
    virtual std::optional<CSaveAsChoice> pickSaveTarget(const QString& title, const QString& description,
                                                        bool templateMode) = 0;
};

class CDocCommands
{
public:
    CDocCommands(CCollageDoc& doc, CProjectPicker& picker);

    // Called with the path of every template saved, for the recent-files list.
    void setTemplateSavedHandler(std::function<void(const QString&)> handler) { m_templateSaved = std::move(handler); }

    // Save: Shift asks whether to clear the undo history too; Shift+Ctrl
    // writes the special-save flags word 8. Goes to Save As when the document
    // has no file or its file is read-only. True when the document was saved.
    bool save(bool shift = false, bool ctrl = false);
    bool saveAs();
    bool saveAsTemplate();
    // True when it is fine to go on (nothing to save, saved, or No).
    bool saveModified();
    // Asked before photos are dropped into a template: only Yes turns it into
    // an untitled project and lets the drop go on.
    bool convertTemplateToProject();

private:
    CCollageDoc& m_doc;
    CProjectPicker& m_picker;
    std::function<void(const QString&)> m_templateSaved;
};
