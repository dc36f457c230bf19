#pragma once
// What the frame-command tests share: a document with its services in a
// temporary home, answered questions, real photo files, frames made through
// the undoable primitives, and a history that starts empty.

#include "projectfiletestsupport.h"

#include "framecommands.h"
#include "frameops.h"
#include "myphotos.h"
#include "picinfomanager.h"
#include "selection.h"
#include "undo.h"

#include <QImage>

#include <optional>
#include <vector>

class AnsweredQuestions : public CFrameCommandQuestions
{
public:
    std::optional<CSplitCounts> askSplit() override
    {
        ++splitAsked;
        return splitAnswer;
    }
    bool askMerge() override
    {
        ++mergeAsked;
        return mergeAnswer;
    }

    std::optional<CSplitCounts> splitAnswer;
    bool mergeAnswer = false;
    int splitAsked = 0;
    int mergeAsked = 0;
};

class CommandFixture : public DocumentFixture
{
protected:
    CPicInfoManager& frames() const { return services->frames(); }
    CSelection& selection() const { return services->selection(); }
    CUndo& undo() const { return services->undo(); }
    CFrameCommands commands() { return CFrameCommands(*doc, questions); }

    // A shown photo frame, made the way the canvas makes it; the history is
    // emptied afterwards so that tests count only their own steps.
    CPicInfo& frame(const CCanvasRect& rect)
    {
        CPicInfo* made = CFrameOps(frames()).createFrame(rect);
        EXPECT_NE(made, nullptr);
        undo().Clear();
        return *made;
    }
    // A real image file of that pixel size, in the collection.
    CPhotoItem* photo(const QString& name, int width, int height)
    {
        const QString file = path(name);
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        EXPECT_TRUE(image.save(file, "PNG"));
        return services->photos().FindPhoto(file, true);
    }
    // Changes made to set a test up, recorded nowhere.
    template <typename Change>
    void quietly(Change change)
    {
        CUndoSuspend suspend(&undo());
        change();
    }
    void select(std::initializer_list<CPicInfo*> list)
    {
        selection().Clear();
        for (CPicInfo* frame : list)
            selection().Add(frame, CSelection::AddExtend);
    }
    size_t steps() const { return undo().undoList().size(); }

    AnsweredQuestions questions;
};
