#pragma once
// What the frame tests share: a temporary home with a settings store that
// holds the document's settings, a photo collection on real image files,
// and a frame collection wired to both; plus an observer that records the
// repaint requests it gets.

#include "archivebytes.h"
#include "documentsettings.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "picinfomanager.h"
#include "propmanager.h"
#include "testhome.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

class RecordingObserver : public CFrameObserver
{
public:
    void frameChanged(quint32 frameId, const CCanvasRect& oldArea) override
    {
        frames.push_back({frameId, oldArea});
    }
    void canvasChanged() override { ++canvasRepaints; }

    struct Request
    {
        quint32 id;
        CCanvasRect oldArea;
    };
    std::vector<Request> frames;
    int canvasRepaints = 0;
};

// Writes with `body` through a storing archive of the current version.
inline QByteArray store(const std::function<void(CArchive&)>& body) { return ArchiveBytes::store(body); }

// Reads `bytes` with `body` as a file of `version`; returns how many bytes were left unread.
inline qint64 load(const QByteArray& bytes, int version, const std::function<void(CArchive&)>& body)
{
    return ArchiveBytes::load(bytes, body, version);
}

class FrameFixture : public ::testing::Test
{
protected:
    // The canvas size mode the document hands to clear() in these tests.
    static constexpr quint32 kDocumentCanvasSizeMode = 1;

    FrameFixture()
    {
        registerFrameClasses();
        registerDocumentSettings(settings);
        manager.clear(kDocumentCanvasSizeMode);
        manager.setObserver(&observer);
    }
    ~FrameFixture() override { manager.clear(kDocumentCanvasSizeMode); }

    // A real image file of that pixel size in the temporary home.
    QString makeImage(const QString& name, int width, int height)
    {
        const QString path = QDir(home.path()).filePath(name);
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    CPhotoItem* photoOf(const QString& path) { return photos.FindPhoto(path, true); }

    CPicInfo& addFrame(const CCanvasRect& rect, quint32 id, quint32 planes = CPicInfo::kPlanePhotos)
    {
        auto frame = std::make_unique<CPicInfo>();
        frame->setId(id);
        frame->setPlanes(planes);
        frame->setFramePos(rect.x, rect.y);
        frame->setFrameSize(rect.width, rect.height);
        return manager.appendFrame(std::move(frame));
    }

    TestHome home;
    CPropManager settings;
    CMessageCatalogue catalogue{QByteArray()};
    CNotificationBus bus;
    CMyPhotos photos{settings, catalogue, bus, nullptr, QDir(home.path()).filePath(QStringLiteral("db"))};
    RecordingObserver observer;
    CPicInfoManager manager{&settings, &photos};
};
