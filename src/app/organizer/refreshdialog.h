#pragma once
// The refresh dialog: the search folders (";"-separated, the user's
// Pictures folder at first), the choice to skip hidden files and folders,
// and a start button that becomes "&Stop!" while the collection is
// refreshed from the folders. The counters follow the scan; the window
// stays responsive throughout, so Stop works. A completed refresh says
// "RefreshDone"; a missing folder says "RefreshDirNotFound" and nothing
// starts. The collection is saved later (its hidden photos stay listed
// under "Removed Photos" until then).

#include "myphotos.h"

#include <QDialog>
#include <QElapsedTimer>

#include <atomic>

class CMessageCatalogue;
class CNotificationBus;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class CRefreshDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kPumpIntervalMs = 30;
    // Which files the scan takes, said once the dialog stands.
    static constexpr const char* kFileTypesTip = "Tip::PhotoTypes";
    static constexpr int kTipDelayMs = 600;

    CRefreshDialog(CMyPhotos& photos, CMessageCatalogue& catalogue, QWidget* parent = nullptr);
    ~CRefreshDialog() override;

    QLineEdit* folderEdit() const { return m_folders; }
    QPushButton* startButton() const { return m_start; }
    bool isRunning() const { return m_running; }
    const CRefreshResult& lastResult() const { return m_result; }

    // Adds a folder to the list unless it is there already.
    void addFolder(const QString& folder);
    // Asks for the tip on the file types, over the folder list once the
    // dialog has been shown a moment.
    void requestTip(CNotificationBus& bus);

signals:
    // A refresh ran, to its end or until stopped: the collection changed.
    void refreshed();

public slots:
    // The start button: starts a refresh, or stops the running one.
    void startOrStop();

protected:
    void reject() override;

private:
    void run();
    void showCounters(const CRefreshCounters& counters, const QString& path);
    void setRunning(bool running);
    QToolButton* makeFolderMenu();

    CMyPhotos& m_photos;
    CMessageCatalogue& m_catalogue;
    QLineEdit* m_folders = nullptr;
    QCheckBox* m_skipHidden = nullptr;
    QToolButton* m_folderMenu = nullptr;
    QLabel* m_filesSeen = nullptr;
    QLabel* m_imagesFound = nullptr;
    QLabel* m_photosRemoved = nullptr;
    QLabel* m_current = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_close = nullptr;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    QElapsedTimer m_pump;
    CRefreshResult m_result;
};
