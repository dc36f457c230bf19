#include "doccommands.h"

#include "collagedoc.h"
#include "messagecatalogue.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "undo.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr const char* kQuickStartTitle = "QuickStart";
constexpr const char* kSaveChangesQuestion = "Save changes to %1?";
constexpr quint16 kSpecialSaveFlagsWord = CCollageDoc::SpecialSaveFlag;

} // namespace

CDocCommands::CDocCommands(CCollageDoc& doc, CProjectPicker& picker)
    : m_doc(doc)
    , m_picker(picker)
{
}

bool CDocCommands::save(bool shift, bool ctrl)
{
    CMessageCatalogue& catalogue = m_doc.services().catalogue;
    if (shift) {
        const int answer = catalogue.show("ClearUndo", MsgStyle::QuestionYesNoCancel);
        if (answer == MsgButton::Cancel)
            return false;
        if (answer == MsgButton::Yes)
            m_doc.services().undo.Clear();
        if (ctrl)
            m_doc.setFlags(kSpecialSaveFlagsWord);
    } else {
        m_doc.setFlags(m_doc.flags() & ~CCollageDoc::SpecialSaveFlag);
    }
    if (m_doc.title() == QLatin1String(kQuickStartTitle))
        m_doc.setFlags(m_doc.flags() | CCollageDoc::QuickStartFlag);

    // The file's own write bit decides, not access(): a read-only project
    // stays read-only even for a user who could override it.
    const QFileInfo file(m_doc.path());
    const bool writable = !file.exists() || (file.permissions() & QFileDevice::WriteOwner);
    m_doc.setLowQualityPhotoCopies(shift);
    const bool saved = !m_doc.path().isEmpty() && writable
        ? m_doc.saveDocument(m_doc.path()) == CCollageDoc::SaveResult::Saved
        : saveAs();
    m_doc.setLowQualityPhotoCopies(false);
    return saved;
}

bool CDocCommands::saveAs()
{
    const std::optional<CSaveAsChoice> choice =
        m_picker.pickSaveTarget(m_doc.title(), m_doc.description(), m_doc.templateSaveMode());
    if (!choice)
        return false;

    switch (choice->type) {
    case ProjectType::Project:
        m_doc.setFlags(0);
        break;
    case ProjectType::Template: {
        const auto& frames = m_doc.services().frames.frames();
        const bool holdsPhotos = std::any_of(frames.begin(), frames.end(),
                                             [](const auto& frame) { return frame->photo() != nullptr; });
        if (holdsPhotos && m_doc.isModified()) {
            const int answer = m_doc.services().catalogue.show("SaveAsTemplate", MsgStyle::QuestionYesNoCancel);
            if (answer == MsgButton::Cancel)
                return false;
            if (answer == MsgButton::Yes && (!save() || m_doc.isModified()))
                return false;
        }
        m_doc.setFlags(CCollageDoc::TemplateFlag);
        m_doc.services().frames.setTemplate(true);
        break;
    }
    case ProjectType::QuickStart:
        m_doc.setFlags(CCollageDoc::QuickStartFlag);
        break;
    }
    m_doc.setDescription(choice->description);

    if (m_doc.saveDocument(choice->path) != CCollageDoc::SaveResult::Saved)
        return false;
    if (choice->type == ProjectType::Template) {
        m_doc.setPath({});
        if (m_templateSaved)
            m_templateSaved(choice->path);
    }
    return true;
}

bool CDocCommands::saveAsTemplate()
{
    m_doc.setTemplateSaveMode(true);
    const bool saved = saveAs();
    m_doc.setTemplateSaveMode(false);
    return saved;
}

bool CDocCommands::saveModified()
{
    if (!m_doc.isModified())
        return true;
    const QString name = m_doc.path().isEmpty() ? m_doc.title() : QFileInfo(m_doc.path()).fileName();
    const int answer = m_doc.services().catalogue.showText(QString::fromLatin1(kSaveChangesQuestion).arg(name),
                                                           MsgStyle::IconWarning | MsgStyle::ButtonsYesNoCancel);
    if (answer == MsgButton::Cancel)
        return false;
    if (answer == MsgButton::Yes) {
        save();
        return !m_doc.isModified();
    }
    return true;
}

bool CDocCommands::convertTemplateToProject()
{
    if (!m_doc.isTemplate())
        return true;
    if (m_doc.services().catalogue.show("TemplateToProject", MsgStyle::QuestionYesNoCancel) != MsgButton::Yes)
        return false;
    m_doc.setFlags(0);
    m_doc.services().frames.setTemplate(false);
    m_doc.setPath({});
    return true;
}
