#include "dropperhandover.h"

#include "picdropper.h"
#include "undo.h"

namespace {
const QString kTooManyFiles = QStringLiteral("DropperTooManyFiles");
const QString kAddToDropper = QStringLiteral("Add photos to Dropper");
} // namespace

CPicDropperHandOver::CPicDropperHandOver(CPicDropper& dropper, CUndo& undo)
    : m_dropper(dropper)
    , m_undo(undo)
{
}

QString CPicDropperHandOver::addPhotos(const QStringList& paths)
{
    if (m_dropper.count() + paths.size() > kMaxPhotos)
        return kTooManyFiles;
    m_undo.Begin(kAddToDropper);
    m_dropper.BeginPopulate();
    for (const QString& path : paths)
        m_dropper.AddToDropper(path);
    m_dropper.EndPopulate();
    m_undo.Term();
    return {};
}
