#include "undo.h"

#include "macro.h"
#include "macroframe.h"
#include "macromanager.h"
#include "notificationbus.h"

#include <exception>
#include <utility>

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

CUndo::Direction opposite(CUndo::Direction direction)
{
    return direction == CUndo::Direction::Undo ? CUndo::Direction::Redo : CUndo::Direction::Undo;
}

void visitLeaves(CUndoItem& item, const std::function<void(CUndoItem&)>& visit)
{
    if (!item.isWrapper() && !item.isCompound()) {
        visit(item);
        return;
    }
    for (const auto& sub : item.subItems())
        visitLeaves(*sub, visit);
}

} // namespace

CUndo::CUndo() = default;

CUndo::~CUndo() = default;

// ---------------------------------------------------------------------------
// Recording

void CUndo::Begin(const QString& name)
{
    if (m_depth++ > 0)
        return;
    m_currentGroup = std::make_unique<CUndoItem>();
    m_currentGroup->setDisplayName(recordName(name));
}

CUndo::Placed CUndo::term()
{
    if (m_depth == 0)
        return Placed::Dropped; // unbalanced: there is nothing to close
    if (--m_depth > 0)
        return Placed::Dropped;
    std::unique_ptr<CUndoItem> group = std::move(m_currentGroup);
    if (!group || group->subItems().empty())
        return Placed::Dropped;
    if (group->displayName().isEmpty())
        group->setDisplayName(group->subItems().front()->displayName());
    return Push(std::move(group));
}

bool CUndo::Term() { return term() != Placed::Dropped; }

bool CUndo::TermAndUndo()
{
    if (m_depth != 1) {
        term();
        return false;
    }
    // Taken back without ever reaching a list, so the redo list survives
    // an operation that gave up.
    m_depth = 0;
    std::unique_ptr<CUndoItem> group = std::move(m_currentGroup);
    if (!group || group->subItems().empty() || !isRecording())
        return false;
    takeBack(std::move(group));
    return true;
}

CUndo::Placed CUndo::Push(std::unique_ptr<CUndoItem> item)
{
    if (!item)
        return Placed::Dropped;
    item->closeSnapshot();
    if (m_disableCount > 0)
        return Placed::Dropped;
    if (m_depth > 0 && m_currentGroup) {
        m_currentGroup->addSubItem(std::move(item));
        return Placed::InGroup;
    }
    if (m_pendingMode) {
        if (m_pendingStep)
            return Placed::Dropped;
        m_pendingStep = std::move(item);
        return Placed::Pending;
    }
    if (m_discardInverse)
        return Placed::Dropped;
    if (m_recordToUndoList) {
        m_undoList.push_front(std::move(item));
        if (!m_replaying)
            m_redoList.clear();
        return Placed::UndoList;
    }
    m_redoList.push_front(std::move(item));
    return Placed::RedoList;
}

void CUndo::EnableRecording()
{
    if (m_disableCount > 0)
        --m_disableCount;
}

bool CUndo::acceptsRecords() const { return m_disableCount == 0 && !(m_pendingMode && m_pendingStep); }

QString CUndo::recordName(const QString& proposed) const { return m_inLeafReplay ? m_replayName : proposed; }

// ---------------------------------------------------------------------------
// Pending mode

void CUndo::StartPending() { m_pendingMode = true; }

void CUndo::CommitPending()
{
    m_pendingMode = false;
    if (std::unique_ptr<CUndoItem> step = std::move(m_pendingStep))
        Push(CUndoItem::wrap(std::move(step)));
}

void CUndo::DiscardPending()
{
    // Never pushed: a push would empty the redo list, and Escape must leave
    // both lists as they were before the drag.
    m_pendingMode = false;
    if (std::unique_ptr<CUndoItem> step = std::move(m_pendingStep))
        takeBack(std::move(step));
}

// ---------------------------------------------------------------------------
// Replay

bool CUndo::Undo() { return replayHead(Direction::Undo); }

bool CUndo::Redo() { return replayHead(Direction::Redo); }

bool CUndo::replayHead(Direction direction)
{
    // The inverse of a step replayed inside an open group or a drag would
    // be folded into that group or drag.
    if (m_depth > 0 || m_pendingMode)
        return false;
    StepList& list = direction == Direction::Undo ? m_undoList : m_redoList;
    if (list.empty())
        return false;
    std::unique_ptr<CUndoItem> step = std::move(list.front());
    list.pop_front();
    return replay(std::move(step), direction, isRecording());
}

void CUndo::takeBack(std::unique_ptr<CUndoItem> step) { replay(std::move(step), Direction::Undo, false); }

bool CUndo::replay(std::unique_ptr<CUndoItem> item, Direction direction, bool keepInverse)
{
    announce(Event::Begin);
    const bool savedRecordToUndoList = std::exchange(m_recordToUndoList, direction == Direction::Redo);
    const bool savedReplaying = std::exchange(m_replaying, true);
    const bool savedDiscard = std::exchange(m_discardInverse, m_discardInverse || !keepInverse);
    const bool savedPending = std::exchange(m_pendingMode, false);
    // The replay always records, even when its inverse is not wanted: what
    // it recorded is how a replay that fails halfway is taken back.
    const int savedDisableCount = std::exchange(m_disableCount, 0);

    bool applied = false;
    if (item->isWrapper()) {
        holdRedraw();
        m_pendingMode = true;
        applied = apply(*item, direction);
        if (applied)
            CommitPending();
        m_pendingMode = false;
        releaseRedraw();
    } else {
        applied = apply(*item, direction);
    }
    if (!applied) {
        m_depth = 0;
        m_pendingStep.reset();
        rollBack(std::move(m_currentGroup), direction);
    }

    m_disableCount = savedDisableCount;
    m_pendingMode = savedPending;
    m_discardInverse = savedDiscard;
    m_replaying = savedReplaying;
    m_recordToUndoList = savedRecordToUndoList;
    announce(Event::Term);
    return applied;
}

bool CUndo::apply(CUndoItem& item, Direction direction)
{
    if (item.isWrapper())
        return item.subItems().empty() || apply(*item.subItems().front(), direction);
    if (!item.isCompound())
        return applyLeaf(item, direction);

    holdRedraw();
    Begin(item.displayName());
    bool applied = true;
    const auto& subItems = item.subItems();
    for (auto it = subItems.rbegin(); it != subItems.rend() && applied; ++it)
        applied = apply(**it, direction);
    if (applied)
        Term();
    else if (m_depth > 0)
        --m_depth; // the partial group stays open for the caller to take back
    releaseRedraw();
    return applied;
}

bool CUndo::applyLeaf(CUndoItem& item, Direction direction)
{
    if (!m_target)
        return false;
    const bool savedInLeaf = std::exchange(m_inLeafReplay, true);
    const QString savedName = std::exchange(m_replayName, item.displayName());
    bool applied = false;
    try {
        applied = m_target->ApplyUndo(item, item.openSnapshotReader(), direction);
    } catch (const CArchiveError&) {
        applied = false;
    }
    item.closeSnapshot();
    m_replayName = savedName;
    m_inLeafReplay = savedInLeaf;
    return applied;
}

void CUndo::rollBack(std::unique_ptr<CUndoItem> partial, Direction direction)
{
    if (!partial || partial->subItems().empty())
        return;
    // The partial inverse holds the values the failed replay overwrote, in
    // the order it overwrote them; replayed backwards it restores them.
    DisableRecording();
    apply(*partial, opposite(direction));
    m_depth = 0;
    m_currentGroup.reset();
    EnableRecording();
}

void CUndo::MoveTo(int steps)
{
    if (m_depth > 0 || m_pendingMode)
        return;
    const size_t wanted = steps > 0 ? size_t(steps) : 0;
    holdRedraw();
    // Every Undo takes the head off the list, replayed or dropped.
    while (m_undoList.size() > wanted)
        Undo();
    while (m_undoList.size() < wanted && CanRedo())
        Redo();
    releaseRedraw();
}

void CUndo::holdRedraw()
{
    if (m_target)
        m_target->holdRedraw();
}

void CUndo::releaseRedraw()
{
    if (m_target)
        m_target->releaseRedraw();
}

void CUndo::announce(const char* event)
{
    if (m_bus)
        m_bus->Broadcast(QString::fromLatin1(Channel::Undo), QString::fromLatin1(event));
}

// ---------------------------------------------------------------------------

QString CUndo::UndoName() const
{
    return m_undoList.empty() ? QString() : m_undoList.front()->displayName();
}

QString CUndo::RedoName() const
{
    return m_redoList.empty() ? QString() : m_redoList.front()->displayName();
}

void CUndo::forEachLeaf(const std::function<void(CUndoItem&)>& visit)
{
    for (StepList* list : {&m_undoList, &m_redoList})
        for (const auto& step : *list)
            visitLeaves(*step, visit);
}

void CUndo::Clear()
{
    m_undoList.clear();
    m_redoList.clear();
    m_currentGroup.reset();
    m_pendingStep.reset();
    m_pendingMode = false;
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

// ---------------------------------------------------------------------------

CUndoRecord::CUndoRecord(CUndo* undo, const QString& kind, const QString& displayName)
    : m_undo(undo)
{
    if (m_undo && m_undo->acceptsRecords())
        m_item = std::make_unique<CUndoItem>(kind, m_undo->recordName(displayName));
}

CUndoRecord::~CUndoRecord() = default;

CArchive* CUndoRecord::payload() const { return m_item ? m_item->snapshotWriter() : nullptr; }

void CUndoRecord::commit()
{
    if (m_item)
        m_undo->Push(std::move(m_item));
}

CUndoGroup::CUndoGroup(CUndo* undo, const QString& name)
    : m_undo(undo)
{
    if (m_undo)
        m_undo->Begin(name);
}

CUndoGroup::~CUndoGroup()
{
    if (!m_undo)
        return;
    // Left by an exception: what the group changed so far is taken back.
    if (std::uncaught_exceptions() > 0)
        m_undo->TermAndUndo();
    else
        m_undo->Term();
}

CUndoSuspend::CUndoSuspend(CUndo* undo)
    : m_undo(undo)
{
    if (m_undo)
        m_undo->DisableRecording();
}

CUndoSuspend::~CUndoSuspend()
{
    if (m_undo)
        m_undo->EnableRecording();
}

// ---------------------------------------------------------------------------

void registerHistoryClasses()
{
    CClassRegistry::add(CUndoItem::classInfo);
    CClassRegistry::add(CUndo::classInfo);
    CClassRegistry::add(CMacroFrame::classInfo);
    CClassRegistry::add(CMacro::classInfo);
    CClassRegistry::add(CMacroManager::classInfo);
}
