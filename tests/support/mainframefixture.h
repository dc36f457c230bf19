#pragma once
// Shared by the main-window tests: a fresh set of services and a document
// in a temporary home (the document tests' fixture), dialogs answered by
// the test, and a stand-in for the canvas view's command target.

#include "projectfiletestsupport.h"

#include "application.h"
#include "collageview.h"
#include "commandids.h"
#include "documentdialogs.h"
#include "frameops.h"
#include "mainframe.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "propmanager.h"
#include "selection.h"
#include "snapper.h"
#include "snapsettings.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

#include <deque>
#include <functional>
#include <map>

class ScriptedDialogs : public CDocumentDialogs
{
public:
    std::optional<CSaveAsChoice> pickSaveTarget(const QString& title, const QString&, bool) override
    {
        saveTitles << title;
        if (saveChoices.empty())
            return std::nullopt;
        CSaveAsChoice choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }
    std::optional<CSplitCounts> askSplit() override { return split; }
    bool askMerge() override
    {
        ++mergeAsked;
        return mergeAnswer;
    }
    std::optional<CNewCollageChoice> askNewCollage(float, float, bool layoutAvailable) override
    {
        layoutOffered = layoutAvailable;
        return newChoice;
    }
    std::optional<QString> askOpenPath() override { return openPath; }
    std::optional<CGridChoice> askGridSettings(const CGridChoice& current) override
    {
        gridShown = current;
        return gridChoice;
    }
    QStringList askPictures() override { return pictures; }
    QString showExport() override
    {
        ++exportShown;
        return exportWritten;
    }
    std::optional<CImageTone> askImageTone(const CImageTone& current) override
    {
        toneShown = current;
        return tone;
    }
    std::optional<CFrameStyle> askFrameStyle(const CFrameStyle& current) override
    {
        styleShown = current;
        return style;
    }
    std::optional<QRgb> askCanvasColour(QRgb) override { return canvasColour; }
    std::optional<bool> runZadeDudazizWizard() override
    {
        ++wizardRuns;
        return wizard ? wizard() : std::nullopt;
    }

    std::deque<CSaveAsChoice> saveChoices;
    QStringList saveTitles;
    std::optional<CSplitCounts> split;
    int mergeAsked = 0;
    bool mergeAnswer = false;
    std::optional<CNewCollageChoice> newChoice;
    bool layoutOffered = true;
    std::optional<QString> openPath;
    std::optional<CGridChoice> gridChoice;
    CGridChoice gridShown;
    QStringList pictures;
    int exportShown = 0;
    QString exportWritten;
    std::optional<CImageTone> tone;
    CImageTone toneShown;
    std::optional<CFrameStyle> style;
    CFrameStyle styleShown;
    std::optional<QRgb> canvasColour;
    int wizardRuns = 0;
    std::function<std::optional<bool>()> wizard;
};

// Answers the commands it is given states for, and counts what it ran.
class FakeViewTarget : public CCommandTarget
{
public:
    bool onCommand(int id) override
    {
        if (!states.count(id))
            return false;
        ran.push_back(id);
        return true;
    }
    std::optional<CCommandState> commandState(int id) const override
    {
        const auto found = states.find(id);
        return found == states.end() ? std::nullopt : std::optional(found->second);
    }
    std::map<int, CCommandState> states;
    std::vector<int> ran;
};

class MainFrameFixture : public DocumentFixture
{
protected:
    void SetUp() override
    {
        DocumentFixture::SetUp();
        makeFrame();
    }
    void TearDown() override
    {
        window.reset();
        DocumentFixture::TearDown();
    }
    void makeFrame()
    {
        window.reset();
        window = std::make_unique<CMainFrame>(*doc, *services, &dialogs);
    }
    // A new start: the window goes, settings are saved, services come back.
    void restartProgram()
    {
        window.reset();
        services->settings().save(services->settingsFile());
        restart();
        makeFrame();
    }

    QString writeImage(const QString& name, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path(name)));
        return path(name);
    }
    CPicInfo* addFrame(const CCanvasRect& rect)
    {
        return CFrameOps(services->frames()).createFrame(rect);
    }
    const CProp* setting(const char* name) const { return services->settings().find(QString::fromLatin1(name)); }
    CPropValue valueOf(const char* name) const
    {
        return services->settings().getValue(QString::fromLatin1(name)).value_or(CPropValue());
    }

    // The editor as a user meets it: the real canvas view in the window on
    // the screen, the canvas fitted to it, and no snapping to other frames so
    // that positions come out where the test put them.
    void showEditor()
    {
        view = CCollageApp::plugInCanvasView(*window, *doc, *services);
        window->resize(1000, 750);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        doc->updateAllViews(DocHint::FitToWindow);
        services->snapper().settings().snapToFrames.set(false);
    }
    QPointF pixelOf(const QPointF& canvas) const { return view->coords().canvasToDevice(canvas); }
    void send(QEvent::Type type, const QPointF& pixel, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pixel, view->mapToGlobal(pixel), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }

    // A drag entering `target` and let go at `at`, as from another program.
    static void dropOn(QWidget* target, const QPoint& at, const QMimeData& data)
    {
        QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }
    // Files dragged from the file manager.
    static void dropFilesOn(QWidget* target, const QPoint& at, const QStringList& files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        dropOn(target, at, data);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<CMainFrame> window;
    CCollageView* view = nullptr;
};
