#pragma once
// What the undo and frame-operation tests share: a document on a fresh set
// of services, frames made without recording, real photo files, a
// fingerprint of everything undo must restore, and listeners that record
// what the history and the frame collection announce.

#include "frameops.h"
#include "myphotos.h"
#include "photoitem.h"
#include "picinfomanager.h"
#include "projectfiletestsupport.h"
#include "undo.h"

#include <QBuffer>
#include <QImage>

class UndoChannelListener : public CNotifyListener
{
public:
    explicit UndoChannelListener(CNotificationBus& bus)
        : m_bus(bus)
    {
        m_bus.Register(this, Channel::Undo);
    }
    ~UndoChannelListener() override { m_bus.Unregister(this, Channel::Undo); }
    bool OnNotify(const CNotifyMessage& message) override
    {
        events << message.event;
        return true;
    }
    QStringList events;

private:
    CNotificationBus& m_bus;
};

class RecordingListListener : public CFrameListListener
{
public:
    void frameRemoved(CPicInfo& frame) override { removed.push_back(frame.id()); }
    void frameHidden(CPicInfo& frame) override { hidden.push_back(frame.id()); }
    void framesCleared() override { ++cleared; }
    std::vector<quint32> removed;
    std::vector<quint32> hidden;
    int cleared = 0;
};

class UndoFixture : public DocumentFixture
{
protected:
    // Starts from a new document, as the program does: the collection then
    // holds the settings' defaults, as it does after a project is opened.
    void SetUp() override
    {
        DocumentFixture::SetUp();
        doc->newDocument();
    }

    CPicInfoManager& frames() { return services->frames(); }
    CUndo& history() { return services->undo(); }
    CFrameOps ops() { return CFrameOps(services->frames()); }

    // A shown photo frame made without recording anything.
    CPicInfo& addFrame(const CCanvasRect& rect, quint32 id)
    {
        CUndoSuspend quiet(&history());
        CPicInfo* frame = ops().createFrame(rect, CPicInfoManager::kPhotoPlaneNumber, true, id);
        EXPECT_NE(frame, nullptr);
        return *frame;
    }

    // A real image file of that pixel size in the temporary home.
    QString makeImage(const QString& name, int width, int height)
    {
        const QString file = path(name);
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(file, "PNG"));
        return file;
    }
    CPhotoItem* photo(const QString& file) { return services->photos().FindPhoto(file, true); }

    // Everything an undo must bring back: the frame collection's record
    // (frames in stacking order with their attributes, styles, colours),
    // what that record leaves out (gamma, visible planes, printing choice),
    // the canvas geometry and the turns of every photo in use.
    QByteArray fingerprint()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        ar.setDocumentVersion(CCollageDoc::kFileVersion);
        frames().setTemplate(false);
        frames().serialize(ar);
        for (const auto& frame : frames().frames()) {
            ar.writeF32(frame->attributes().gamma());
            ar.writeI32(frame->photo() ? frame->photo()->quarterTurns() : -1);
        }
        ar.writeU32(frames().visiblePlanes());
        ar.writeBool(frames().printsCanvasColour());
        ar.writeF32(doc->canvasLeft());
        ar.writeF32(doc->canvasTop());
        ar.writeF32(doc->canvasWidth());
        ar.writeF32(doc->canvasHeight());
        ar.flush();
        return bytes;
    }

    const CUndoItem* undoHead() { return history().CanUndo() ? history().undoList().front().get() : nullptr; }

    // The leaves of a step in recording order, groups opened.
    static std::vector<const CUndoItem*> leavesOf(const CUndoItem& step)
    {
        std::vector<const CUndoItem*> leaves;
        collect(step, leaves);
        return leaves;
    }

private:
    static void collect(const CUndoItem& item, std::vector<const CUndoItem*>& leaves)
    {
        if (!item.isWrapper() && !item.isCompound()) {
            leaves.push_back(&item);
            return;
        }
        for (const auto& sub : item.subItems())
            collect(*sub, leaves);
    }
};
