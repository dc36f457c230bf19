#pragma once
// The undo/redo history of the open collage. Every editing operation records
// the old value of what it changes as a CUndoItem; one user action is one
// step on the undo list. Undoing a step replays it, and the replay records
// the values it overwrites, so the inverse step lands on the redo list.
//
// One instance for the process, owned by the services; it owns every item on
// its lists. Saved with the project in the "Undo" section. User-interface
// thread only.

#include "archive.h"
#include "undoitem.h"

#include <QString>

#include <deque>
#include <memory>

class CUndo;

// What a replay asks of the document: read the leaf's snapshot according to
// its kind, record the value it is about to overwrite as a new leaf of the
// same kind and display name, then restore the old value.
class CUndoTarget
{
public:
    enum class Direction { Undo, Redo };
    virtual ~CUndoTarget() = default;
    virtual void ApplyUndo(CUndoItem& item, CArchive& snapshot, Direction direction) = 0;
};

class CUndo : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CUndo)

public:
    static constexpr quint16 kSchema = 1;
    // Newest step first. A deque: steps are pushed at the head and the list
    // grows without limit, so the push must not move what is there.
    using StepList = std::deque<std::unique_ptr<CUndoItem>>;

    CUndo();
    ~CUndo() override;
    CUndo(const CUndo&) = delete;
    CUndo& operator=(const CUndo&) = delete;

    void setTarget(CUndoTarget* target) { m_target = target; }
    CUndoTarget* target() const { return m_target; }

    bool CanUndo() const { return !m_undoList.empty(); }
    bool CanRedo() const { return !m_redoList.empty(); }
    // Display name of the step an Undo (Redo) would replay; empty when none.
    QString UndoName() const;
    QString RedoName() const;
    const StepList& undoList() const { return m_undoList; }
    const StepList& redoList() const { return m_redoList; }

    // Whether recorded items are kept (no disable is in force).
    bool isRecording() const { return m_disableCount == 0; }

    // Empties both lists, drops a group being filled and a pending step, and
    // ends any nesting and any disable of recording (clearing the document
    // disables recording first and relies on this to end it).
    void Clear();

    // The undo list, then the redo list, each as an object list from the
    // newest step to the oldest. Loading replaces both lists, keeping their
    // stored order, and only once both were read whole.
    void serialize(CArchive& ar) override;

private:
    StepList m_undoList;
    StepList m_redoList;
    int m_depth = 0;                // nesting of Begin/Term
    int m_disableCount = 0;         // while non-zero nothing is recorded
    std::unique_ptr<CUndoItem> m_currentGroup; // filled between the outermost Begin and its Term
    std::unique_ptr<CUndoItem> m_pendingStep;  // the first step pushed in pending mode
    CUndoTarget* m_target = nullptr;
};

// Registers the serialisable classes of the undo history and the macro store
// with the class registry; call once before anything of theirs is loaded.
void registerHistoryClasses();
