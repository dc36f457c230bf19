#pragma once
// The undo/redo history of the open collage. Every editing operation records
// the old value of what it changes as a CUndoItem; one user action is one
// step on the undo list. Undoing a step replays it, and the replay records
// the values it overwrites, so the inverse step lands on the redo list.
//
// One instance for the process, owned by the services; it owns every item on
// its lists. Saved with the project in the "Undo" section. It knows nothing
// of the document: replay goes through the CUndoTarget the document
// implements. User-interface thread only.

#include "archive.h"
#include "undoitem.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>

class CNotificationBus;
class CUndo;

// What a replay asks of the document: read the leaf's snapshot according to
// its kind, record the value it is about to overwrite as a new leaf of the
// same kind, then restore the old value.
class CUndoTarget
{
public:
    enum class Direction { Undo, Redo };
    virtual ~CUndoTarget() = default;
    // False when the leaf cannot be replayed: its kind is unknown or its
    // snapshot is damaged (a damaged snapshot may also throw CArchiveError).
    // A leaf that fails must have changed nothing, so a target reads the
    // whole snapshot before it acts. A leaf whose frame is gone replays as
    // a successful no-op.
    virtual bool ApplyUndo(CUndoItem& item, CArchive& snapshot, Direction direction) = 0;
    // Bracket a replay of many leaves, so the canvas is repainted once.
    virtual void holdRedraw() {}
    virtual void releaseRedraw() {}
};

class CUndo : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CUndo)

public:
    static constexpr quint16 kSchema = 1;
    // Newest step first. A deque: steps are pushed at the head and the list
    // grows without limit, so the push must not move what is there.
    using StepList = std::deque<std::unique_ptr<CUndoItem>>;
    using Direction = CUndoTarget::Direction;

    // Where Push() put an item.
    enum class Placed { Dropped, InGroup, Pending, UndoList, RedoList };

    // The groups opened with a name of their own; every other group takes
    // the display name of its first record.
    static constexpr const char* kZadeDudazizGroup = "ZadeDudaziz";
    static constexpr const char* kZiraRadaruGroup = "ZiraRadaru";
    static constexpr const char* kDropImageGroup = "Drop Image";

    CUndo();
    ~CUndo() override;
    CUndo(const CUndo&) = delete;
    CUndo& operator=(const CUndo&) = delete;

    void setTarget(CUndoTarget* target) { m_target = target; }
    CUndoTarget* target() const { return m_target; }
    // "Begin" and "Term" are announced on the "Undo" channel around every
    // replay; without a bus nothing is announced.
    void setBus(CNotificationBus* bus) { m_bus = bus; }

    // --- Recording
    // Groups nest; only the outermost Begin opens a group, with its name
    // (an empty name takes the display name of the group's first record).
    void Begin(const QString& name = {});
    // Closes one level. At the outermost level an empty group is dropped,
    // otherwise it is pushed; returns whether it was kept anywhere.
    bool Term();
    // Term; when that pushed a step and no group is open any more, undoes
    // it at once, leaving nothing on either list: how an operation that
    // changed things and then failed takes its changes back.
    bool TermAndUndo();
    int depth() const { return m_depth; }

    // Hands over a finished item (its snapshot is closed here). Dropped
    // while recording is disabled; appended to the open group; in pending
    // mode the first step becomes the pending step and later ones are
    // dropped; otherwise it goes to the head of the undo list, which empties
    // the redo list unless it is the inverse of a redo, or, while an undo is
    // replayed, to the head of the redo list.
    Placed Push(std::unique_ptr<CUndoItem> item);

    // A counter: recording is off while any disable is in force.
    void DisableRecording() { ++m_disableCount; }
    void EnableRecording();
    bool isRecording() const { return m_disableCount == 0; }
    // Whether a leaf recorded now would be kept: not while recording is
    // disabled, nor in pending mode once the pending step exists. Lets a
    // drag skip writing snapshots nobody keeps.
    bool acceptsRecords() const;
    // The display name a record made now should carry: while a leaf is
    // replayed, every record it makes takes that leaf's name, so the
    // inverse step reads like the step it came from.
    QString recordName(const QString& proposed) const;

    // --- Pending mode (one step per drag)
    void StartPending();
    // Leaves pending mode and pushes the pending step, if any, wrapped as
    // one step.
    void CommitPending();
    // Leaves pending mode and takes the pending step's changes back; both
    // lists stay as they were before the drag.
    void DiscardPending();
    bool isPending() const { return m_pendingMode; }

    // --- Replay
    // Replays the newest step of the list in reverse; its inverse lands on
    // the other list (nowhere while recording is disabled). Nothing happens
    // with an empty list, inside an open group or in pending mode. A step
    // that cannot be replayed (unknown kind, damaged snapshot) is dropped
    // and whatever of it had been replayed is taken back, so the document
    // is as it was. Returns whether a step was replayed.
    bool Undo();
    bool Redo();
    // Undoes while the undo list holds more than `steps`, then redoes
    // while it holds fewer (and redo steps remain).
    void MoveTo(int steps);
    bool isReplaying() const { return m_replaying; }

    bool CanUndo() const { return !m_undoList.empty(); }
    bool CanRedo() const { return !m_redoList.empty(); }
    // Display name of the step an Undo (Redo) would replay; empty when none.
    QString UndoName() const;
    QString RedoName() const;
    const StepList& undoList() const { return m_undoList; }
    const StepList& redoList() const { return m_redoList; }

    // Every leaf of both lists, groups opened; for rewriting the snapshots
    // of a history read from an older file.
    void forEachLeaf(const std::function<void(CUndoItem&)>& visit);

    // Empties both lists, drops a group being filled and a pending step, and
    // ends any nesting, pending mode and disable of recording (clearing the
    // document disables recording first and relies on this to end it).
    void Clear();

    // The undo list, then the redo list, each as an object list from the
    // newest step to the oldest. Loading replaces both lists, keeping their
    // stored order, and only once both were read whole.
    void serialize(CArchive& ar) override;

private:
    Placed term();
    bool replayHead(Direction direction);
    // Replays `item` with its inverse going to the list of `direction`'s
    // opposite, or nowhere. Takes back a partial replay that failed.
    bool replay(std::unique_ptr<CUndoItem> item, Direction direction, bool keepInverse);
    bool apply(CUndoItem& item, Direction direction);
    bool applyLeaf(CUndoItem& item, Direction direction);
    void rollBack(std::unique_ptr<CUndoItem> partial, Direction direction);
    // Applies without keeping any inverse, in place of a step nobody wants
    // back (a discarded drag, a failed operation).
    void takeBack(std::unique_ptr<CUndoItem> step);
    void holdRedraw();
    void releaseRedraw();
    void announce(const char* event);

    StepList m_undoList;
    StepList m_redoList;
    bool m_pendingMode = false;     // set at the start of a drag
    bool m_recordToUndoList = true; // false while an undo is replayed
    bool m_replaying = false;
    bool m_discardInverse = false;  // a replay whose inverse nobody keeps
    int m_depth = 0;                // nesting of Begin/Term
    int m_disableCount = 0;         // while non-zero nothing is recorded
    std::unique_ptr<CUndoItem> m_currentGroup; // filled between the outermost Begin and its Term
    std::unique_ptr<CUndoItem> m_pendingStep;  // the first step pushed in pending mode
    bool m_inLeafReplay = false;
    QString m_replayName;           // display name of the leaf being replayed
    CUndoTarget* m_target = nullptr;
    CNotificationBus* m_bus = nullptr;
};

// One leaf being recorded: construct it with the kind and display name,
// write the old value through payload(), change the thing, commit(). While
// the history keeps nothing (recording disabled, a drag's later moves),
// payload() is null and commit() does nothing; an uncommitted record is
// dropped.
class CUndoRecord
{
public:
    CUndoRecord(CUndo* undo, const QString& kind, const QString& displayName);
    ~CUndoRecord();
    CUndoRecord(const CUndoRecord&) = delete;
    CUndoRecord& operator=(const CUndoRecord&) = delete;

    CArchive* payload() const;
    void commit();

private:
    CUndo* m_undo;
    std::unique_ptr<CUndoItem> m_item;
};

// Begin on construction, Term on destruction; a null history does nothing.
// Left by an exception, it takes back what the group recorded so far
// (TermAndUndo) instead of keeping half a step.
class CUndoGroup
{
public:
    explicit CUndoGroup(CUndo* undo, const QString& name = {});
    ~CUndoGroup();
    CUndoGroup(const CUndoGroup&) = delete;
    CUndoGroup& operator=(const CUndoGroup&) = delete;

private:
    CUndo* m_undo;
};

// Recording disabled for the scope; a null history does nothing.
class CUndoSuspend
{
public:
    explicit CUndoSuspend(CUndo* undo);
    ~CUndoSuspend();
    CUndoSuspend(const CUndoSuspend&) = delete;
    CUndoSuspend& operator=(const CUndoSuspend&) = delete;

private:
    CUndo* m_undo;
};

// Registers the serialisable classes of the undo history and the macro store
// with the class registry; call once before anything of theirs is loaded.
void registerHistoryClasses();
