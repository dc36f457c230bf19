#include "updatedialog.h"

#include "messagecatalogue.h"
#include "programversion.h"
#include "propmanager.h"
#include "swupdatethread.h"
#include "updaterhandover.h"
#include "usagelog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>

namespace {

constexpr int kBytesPerKiB = 1024;
constexpr int kMessageMinWidth = 420;
constexpr int kMessageMinHeight = 160;

} // namespace

CUpdateDialog::CUpdateDialog(const CUpdateEnvironment& environment, const UpdateInfo* known)
    : QDialog(environment.parent)
    , m_env(environment)
{
    setWindowTitle(tr("Check for Updates"));
    m_message = new QLabel(this);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMinimumSize(kMessageMinWidth, kMessageMinHeight);
    m_message->setFrameShape(QFrame::StyledPanel);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_action = new QPushButton(QString::fromLatin1(kCheckNow), this);
    m_action->setDefault(true);
    m_close = new QPushButton(tr("Close"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_action);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_action, &QPushButton::clicked, this, &CUpdateDialog::onAction);
    connect(m_close, &QPushButton::clicked, this, &CUpdateDialog::reject);

    setMessage(QString::fromLatin1(kIdleText));
    if (known != nullptr && known->available) {
        m_update = *known;
        m_askNewVersion = true;
        setMessage(m_update.message.isEmpty() ? m_env.catalogue->text(QStringLiteral("UpdateThere")) : m_update.message);
        setState(State::UpdateAvailable);
    }
}

CUpdateDialog::~CUpdateDialog()
{
    if (m_download)
        m_download->stop();
    if (m_downloader)
        m_downloader->wait();
}

QString CUpdateDialog::message() const
{
    return m_message->text();
}

void CUpdateDialog::setMessage(const QString& text)
{
    m_message->setText(text);
}

int CUpdateDialog::showMessage(const char* key, unsigned style) const
{
    return m_env.catalogue->show(QString::fromLatin1(key), style);
}

void CUpdateDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The questions come once the dialog stands, from its own event loop.
    QTimer::singleShot(0, this, [this] {
        if (!QFileInfo(UpdaterHandOver::updaterPath(m_env.programFolder)).isExecutable())
            showMessage("UpdateNoFile", MsgStyle::WarningOk);
        if (m_askNewVersion && showMessage("NewVersion", MsgStyle::QuestionYesNo) == MsgButton::Yes)
            startDownload();
    });
}

void CUpdateDialog::reject()
{
    // A running check or download ends first; the window waits for it.
    if (m_state == State::Downloading) {
        m_download->stop();
        return;
    }
    if (m_state == State::Checking)
        return;
    QDialog::reject();
}

void CUpdateDialog::setState(State state)
{
    m_state = state;
    switch (state) {
    case State::Idle:
    case State::NoUpdate:
        m_action->setText(QString::fromLatin1(kCheckNow));
        break;
    case State::UpdateAvailable:
        m_action->setText(QString::fromLatin1(kUpdateNow));
        break;
    case State::Downloading:
        m_action->setText(QString::fromLatin1(kStopUpdate));
        break;
    case State::Checking:
    case State::Done:
        break;
    }
    m_action->setEnabled(state != State::Checking && state != State::Done);
    m_close->setEnabled(state != State::Checking && state != State::Downloading && state != State::Done);
}

void CUpdateDialog::onAction()
{
    switch (m_state) {
    case State::Idle:
    case State::NoUpdate:
        startCheck();
        break;
    case State::UpdateAvailable:
        startDownload();
        break;
    case State::Downloading:
        m_download->stop();
        break;
    case State::Checking:
    case State::Done:
        break;
    }
}

// --- Check Now

void CUpdateDialog::startCheck()
{
    setMessage(QString::fromLatin1(kCheckingText));
    setState(State::Checking);
    const CUsageLog log(*m_env.settings);
    m_checker = std::make_unique<CSwUpdateThread>(*m_env.client, programVersion().build, log.bytes(), nullptr);
    connect(m_checker.get(), &QThread::finished, this, &CUpdateDialog::checkFinished);
    m_checker->start();
}

void CUpdateDialog::checkFinished()
{
    const UpdateCheckOutcome outcome = m_checker->outcome();
    m_checker.reset();
    if (!outcome.reached) {
        // Telling the user there is nothing new when the service could not
        // be asked would be wrong: say so instead.
        setMessage(m_env.catalogue->text(QStringLiteral("UpdateComProb")));
        setState(State::NoUpdate);
        return;
    }
    CUsageLog(*m_env.settings).forgetDelivered(outcome.deliveredLog);
    m_update = outcome.info;
    if (!m_update.available) {
        setMessage(m_update.message.isEmpty() ? m_env.catalogue->text(QStringLiteral("UpdateNone")) : m_update.message);
        setState(State::NoUpdate);
        return;
    }
    setMessage(m_update.message.isEmpty() ? m_env.catalogue->text(QStringLiteral("UpdateThere")) : m_update.message);
    setState(State::UpdateAvailable);
}

// --- Update Now

void CUpdateDialog::startDownload()
{
    if (m_state != State::UpdateAvailable)
        return;
    if (m_env.hasUnsavedChanges && m_env.hasUnsavedChanges()
        && showMessage("UpdateNoSave", MsgStyle::QuestionYesNoCancel) != MsgButton::Yes)
        return;
    // An update the updater would refuse is not worth downloading.
    if (!UpdaterHandOver::isAcceptable(m_update)) {
        showMessage("UpdateComProb", MsgStyle::WarningOk);
        return;
    }
    setState(State::Downloading);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_download = std::make_unique<CPatchDownload>();
    m_download->setProgress([this](CPatchDownload::Phase phase, qint64 received, qint64 expected) {
        QMetaObject::invokeMethod(
            this, [this, phase, received, expected] { downloadProgress(phase, received, expected); },
            Qt::QueuedConnection);
    });
    const QString url = m_update.patchUrl;
    const QString target = UpdaterHandOver::downloadPath(m_env.programFolder);
    CPatchDownload* download = m_download.get();
    m_downloader.reset(QThread::create([this, download, url, target] {
        const CPatchDownload::Result result = download->download(url, target);
        QMetaObject::invokeMethod(this, [this, result] { downloadFinished(result); }, Qt::QueuedConnection);
    }));
    m_downloader->start();
}

void CUpdateDialog::downloadProgress(CPatchDownload::Phase phase, qint64 received, qint64 expected)
{
    if (m_state != State::Downloading)
        return;
    if (phase == CPatchDownload::Phase::Connecting) {
        setMessage(QString::fromLatin1(kConnectingText));
        return;
    }
    const int expectedKiB = expected > 0 ? int(qMin<qint64>(expected / kBytesPerKiB, INT_MAX)) : 0;
    if (phase == CPatchDownload::Phase::Begun) {
        m_progress->setRange(0, qMax(expectedKiB, 1));
        return;
    }
    m_progress->setValue(qMin(int(qMin<qint64>(received / kBytesPerKiB, INT_MAX)), m_progress->maximum()));
    const int percent = expected > 0 ? int(qMin<qint64>(received * 100 / expected, 100)) : 100;
    setMessage(QString::fromLatin1(kProgressText).arg(percent));
}

void CUpdateDialog::downloadFinished(CPatchDownload::Result result)
{
    m_downloader->wait();
    m_downloader.reset();
    m_download.reset();
    if (result != CPatchDownload::Result::Done) {
        setState(State::UpdateAvailable);
        setMessage(m_update.message.isEmpty() ? m_env.catalogue->text(QStringLiteral("UpdateThere")) : m_update.message);
        m_progress->setValue(0);
        if (result == CPatchDownload::Result::Failed)
            showMessage("UpdateComProb", MsgStyle::WarningOk);
        return;
    }
    handOver();
}

void CUpdateDialog::handOver()
{
    m_env.settings->save(m_env.settingsFile);
    QDir::setCurrent(m_env.programFolder);
    if (!UpdaterHandOver::start(m_env.programFolder, m_update)) {
        showMessage("UpdateNoFile", MsgStyle::WarningOk);
        setState(State::UpdateAvailable);
        return;
    }
    setState(State::Done);
    // Posted: the editor closes once this dialog has gone.
    if (m_env.closeEditor)
        QMetaObject::invokeMethod(QCoreApplication::instance(), m_env.closeEditor, Qt::QueuedConnection);
    accept();
}
