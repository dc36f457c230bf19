#include "undo.h"

#include "macro.h"
#include "macroframe.h"
#include "macromanager.h"

OMBRAVELLE_IMPLEMENT_SERIAL(CUndo, CUndo::kSchema)

namespace {

// Each list element is at least a two-byte class or index tag.
constexpr quint64 kMinObjectRecordBytes = 2;

void writeSteps(CArchive& ar, const CUndo::StepList& steps)
{
    ar.writeCount(static_cast<quint32>(steps.size()));
    for (const auto& step : steps)
        ar.writeObject(step.get());
}

CUndo::StepList readSteps(CArchive& ar)
{
    const quint32 count = ar.readCount();
    ar.checkCount(count, kMinObjectRecordBytes);
    CUndo::StepList steps;
    for (quint32 i = 0; i < count; ++i)
        steps.push_back(ar.readObject<CUndoItem>());
    return steps;
}

} // namespace

CUndo::CUndo() = default;

CUndo::~CUndo() = default;

QString CUndo::UndoName() const
{
    return m_undoList.empty() ? QString() : m_undoList.front()->displayName();
}

QString CUndo::RedoName() const
{
    return m_redoList.empty() ? QString() : m_redoList.front()->displayName();
}

void CUndo::Clear()
{
    m_undoList.clear();
    m_redoList.clear();
    m_currentGroup.reset();
    m_pendingStep.reset();
    m_depth = 0;
    m_disableCount = 0;
}

void CUndo::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        writeSteps(ar, m_undoList);
        writeSteps(ar, m_redoList);
        return;
    }
    StepList undoSteps = readSteps(ar);
    StepList redoSteps = readSteps(ar);
    m_undoList = std::move(undoSteps);
    m_redoList = std::move(redoSteps);
}

void registerHistoryClasses()
{
    CClassRegistry::add(CUndoItem::classInfo);
    CClassRegistry::add(CUndo::classInfo);
    CClassRegistry::add(CMacroFrame::classInfo);
    CClassRegistry::add(CMacro::classInfo);
    CClassRegistry::add(CMacroManager::classInfo);
}
