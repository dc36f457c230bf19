#pragma once
// The update dialog: "Check Now" asks the update service, "Update Now"
// downloads the patch into the program folder ("Stop Update" while it
// runs) and then hands over to the updater and closes the editor. The
// check and the download run on worker threads so the window stays alive;
// their results come back to this window's thread.
//
// States: idle -> checked without update | checked with update ->
// downloading -> done (updater started, editor closing), or back to
// "update available" after a failed or stopped download.

#include "patchdownload.h"
#include "updatecheck.h"
#include "updateenvironment.h"

#include <QDialog>

#include <memory>

class CSwUpdateThread;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

class CUpdateDialog : public QDialog
{
    Q_OBJECT

public:
    enum class State { Idle, Checking, NoUpdate, UpdateAvailable, Downloading, Done };

    static constexpr const char* kCheckNow = "Check Now";
    static constexpr const char* kUpdateNow = "Update Now";
    static constexpr const char* kStopUpdate = "Stop Update";
    static constexpr const char* kIdleText = "Click the 'Check Now' button to check for updates...";
    static constexpr const char* kCheckingText = "Please wait while we check for updates...";
    static constexpr const char* kConnectingText = "Connecting to Tessary";
    static constexpr const char* kProgressText = "Process is %1% complete...";

    // `known` is an update found before the dialog opened (by the automatic
    // check): the dialog then asks "NewVersion" once it shows.
    explicit CUpdateDialog(const CUpdateEnvironment& environment, const UpdateInfo* known = nullptr);
    ~CUpdateDialog() override;

    State state() const { return m_state; }
    QString message() const;
    QPushButton* actionButton() const { return m_action; }
    QProgressBar* progressBar() const { return m_progress; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void onAction();
    void startCheck();
    void checkFinished();
    void startDownload();
    void downloadProgress(CPatchDownload::Phase phase, qint64 received, qint64 expected);
    void downloadFinished(CPatchDownload::Result result);
    void handOver();
    void setState(State state);
    void setMessage(const QString& text);
    int showMessage(const char* key, unsigned style) const;

    CUpdateEnvironment m_env;
    State m_state = State::Idle;
    UpdateInfo m_update;
    bool m_askNewVersion = false;
    bool m_shownOnce = false;
    std::unique_ptr<CSwUpdateThread> m_checker;
    std::unique_ptr<CPatchDownload> m_download;
    std::unique_ptr<QThread> m_downloader;
    QLabel* m_message = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_action = nullptr;
    QPushButton* m_close = nullptr;
};
