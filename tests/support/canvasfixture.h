#pragma once
// What the canvas tests share: a fresh set of services and a document in a
// temporary home, real photo files, and frames made through the undoable
// primitives with a history that starts empty.

#include "collagedoc.h"
#include "frameops.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "picinfomanager.h"
#include "selection.h"
#include "services.h"
#include "testhome.h"
#include "undo.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

class CanvasFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT", home.path() + "/photodb");
        services->catalogue().setMessageBox([](const QString&, const QString&, unsigned) { return 1; });
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
    }
    void TearDown() override
    {
        doc.reset();
        services.reset();
    }

    CPicInfoManager& frames() const { return services->frames(); }
    CSelection& selection() const { return services->selection(); }
    CUndo& undo() const { return services->undo(); }

    CPicInfo& frame(const QRectF& rect, bool withPhoto = false)
    {
        CPicInfo* made = CFrameOps(frames()).createFrame(
            {float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height())});
        EXPECT_NE(made, nullptr);
        if (withPhoto)
            made->setPhoto(photo(QString("photo%1.png").arg(made->id()), 300, 200));
        undo().Clear();
        return *made;
    }
    CPhotoItem* photo(const QString& name, int width, int height)
    {
        const QString file = home.path() + '/' + name;
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(file, "PNG"));
        return services->photos().FindPhoto(file, true);
    }
    void select(std::initializer_list<CPicInfo*> list)
    {
        selection().Clear();
        for (CPicInfo* f : list)
            selection().Add(f, CSelection::AddExtend);
    }
    size_t steps() const { return undo().undoList().size(); }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CCollageDoc> doc;
};
