#pragma once
// A collage to share: a fresh set of services and a document in a temporary
// home, with three photo frames made from real JPEG files (one turned, one
// with a description and a link).

#include "collagedoc.h"
#include "collageshare.h"
#include "frameops.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photolike.h"
#include "picinfomanager.h"
#include "services.h"
#include "testhome.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>

class ShareFixture : public ::testing::Test
{
protected:
    static constexpr int kPhotos = 3;

    void SetUp() override
    {
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT", home.path() + "/photodb");
        services->catalogue().setMessageBox([](const QString&, const QString&, unsigned) { return 1; });
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
        doc->setCanvasSize(8.0f, 6.0f);
        CFrameOps operations(services->frames());
        const QDir photos(home.path());
        const CCanvasRect places[kPhotos] = {{0, 0, 4, 6}, {4, 0, 4, 3}, {4.5f, 3.2f, 3, 2.5f}};
        for (int i = 0; i < kPhotos; ++i) {
            const QString path = photos.filePath(QStringLiteral("photo%1.jpg").arg(i));
            ASSERT_TRUE(photoLikePicture(i == 0 ? QSize(600, 900) : QSize(900, 600)).save(path, "JPEG", 90));
            CPicInfo* frame = operations.createFrame(places[i]);
            ASSERT_NE(frame, nullptr);
            frame->setPhoto(services->photos().FindPhoto(path, true));
        }
        CPicInfo& second = *services->frames().frameAt(1);
        second.setDescription(QStringLiteral("Beach \"day\"\nwith {theFile}"));
        second.setLink(QStringLiteral("http://example.com/?a=1&b=2"));
        services->frames().frameAt(2)->setRotation(20.0f);
        share = std::make_unique<CCollageShare>(*doc, [this](const QString& key, unsigned) {
            asked << key;
            return answer;
        });
    }
    void TearDown() override
    {
        share.reset();
        doc.reset();
        services.reset();
    }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CCollageDoc> doc;
    std::unique_ptr<CCollageShare> share;
    QStringList asked;
    int answer = MsgButton::Yes;
};
