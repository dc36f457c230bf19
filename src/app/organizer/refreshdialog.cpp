#include "refreshdialog.h"

#include "infotiprequest.h"
#include "messagecatalogue.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr QChar kSeparator = u';';
const QString kStartText = QStringLiteral("&Refresh");
const QString kStopText = QStringLiteral("&Stop!");
} // namespace

CRefreshDialog::CRefreshDialog(CMyPhotos& photos, CMessageCatalogue& catalogue, QWidget* parent)
    : QDialog(parent)
    , m_photos(photos)
    , m_catalogue(catalogue)
{
    setWindowTitle(tr("Refresh Photo Collection"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Search these folders for photos (separate folders with \";\"):"), this));

    auto* folderRow = new QHBoxLayout;
    m_folders = new QLineEdit(m_photos.refreshSearchFolders().join(kSeparator), this);
    m_folders->setMinimumWidth(420);
    folderRow->addWidget(m_folders, 1);
    m_folderMenu = makeFolderMenu();
    folderRow->addWidget(m_folderMenu);
    layout->addLayout(folderRow);

    m_skipHidden = new QCheckBox(tr("Skip hidden files and folders"), this);
    m_skipHidden->setChecked(m_photos.refreshSkipsHidden());
    layout->addWidget(m_skipHidden);

    auto* counters = new QFormLayout;
    m_filesSeen = new QLabel(QStringLiteral("0"), this);
    m_imagesFound = new QLabel(QStringLiteral("0"), this);
    m_photosRemoved = new QLabel(QStringLiteral("0"), this);
    counters->addRow(tr("Files searched:"), m_filesSeen);
    counters->addRow(tr("Photos found:"), m_imagesFound);
    counters->addRow(tr("Photos removed:"), m_photosRemoved);
    layout->addLayout(counters);
    m_current = new QLabel(this);
    m_current->setTextFormat(Qt::PlainText);
    m_current->setMinimumWidth(420);
    layout->addWidget(m_current);

    auto* buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(kStartText, QDialogButtonBox::ActionRole);
    m_start->setDefault(true);
    m_close = buttons->addButton(QDialogButtonBox::Close);
    connect(m_start, &QPushButton::clicked, this, &CRefreshDialog::startOrStop);
    connect(m_close, &QPushButton::clicked, this, &CRefreshDialog::reject);
    layout->addWidget(buttons);
}

CRefreshDialog::~CRefreshDialog() = default;

QToolButton* CRefreshDialog::makeFolderMenu()
{
    auto* button = new QToolButton(this);
    button->setText(tr("Folders"));
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    const struct
    {
        const char* text;
        QStandardPaths::StandardLocation location;
    } places[] = {
        {"My Pictures", QStandardPaths::PicturesLocation},
        {"My Documents", QStandardPaths::DocumentsLocation},
        {"My Shared Documents", QStandardPaths::PublicShareLocation},
    };
    for (const auto& place : places) {
        const QString folder = QStandardPaths::writableLocation(place.location);
        QAction* action = menu->addAction(tr(place.text), this, [this, folder] { addFolder(folder); });
        action->setEnabled(!folder.isEmpty());
    }
    menu->addSeparator();
    menu->addAction(tr("Browse..."), this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Search Folder"));
        if (!folder.isEmpty())
            addFolder(folder);
    });
    button->setMenu(menu);
    return button;
}

void CRefreshDialog::requestTip(CNotificationBus& bus)
{
    InfoTips::request(bus, QString::fromLatin1(kFileTypesTip), m_folders, kTipDelayMs);
}

void CRefreshDialog::addFolder(const QString& folder)
{
    QStringList folders = m_folders->text().split(kSeparator, Qt::SkipEmptyParts);
    for (QString& existing : folders)
        existing = existing.trimmed();
    if (!folders.contains(folder))
        folders.append(folder);
    m_folders->setText(folders.join(kSeparator));
}

void CRefreshDialog::startOrStop()
{
    if (m_running) {
        m_stop = true;
        return;
    }
    run();
}

void CRefreshDialog::reject()
{
    // Closing asks the scan to stop; the dialog closes once it has.
    if (m_running) {
        m_stop = true;
        return;
    }
    QDialog::reject();
}

void CRefreshDialog::setRunning(bool running)
{
    m_running = running;
    m_folders->setEnabled(!running);
    m_folderMenu->setEnabled(!running);
    m_skipHidden->setEnabled(!running);
    m_close->setEnabled(!running);
    m_start->setText(running ? kStopText : kStartText);
}

void CRefreshDialog::showCounters(const CRefreshCounters& counters, const QString& path)
{
    m_filesSeen->setNum(counters.filesSeen);
    m_imagesFound->setNum(counters.imagesFound);
    m_photosRemoved->setNum(counters.photosRemoved);
    m_current->setText(fontMetrics().elidedText(path, Qt::ElideMiddle, m_current->width()));
}

void CRefreshDialog::run()
{
    CRefreshRequest request;
    request.folders = {m_folders->text()};
    request.skipHidden = m_skipHidden->isChecked();
    request.stop = &m_stop;
    request.onEntry = [this](const CRefreshCounters& counters, const QString& path) {
        if (m_pump.elapsed() < kPumpIntervalMs)
            return;
        showCounters(counters, path);
        QCoreApplication::processEvents();
        m_pump.restart();
    };

    m_stop = false;
    setRunning(true);
    m_pump.start();
    m_result = m_photos.Refresh(request);
    setRunning(false);
    showCounters(m_result.counters, {});

    switch (m_result.outcome) {
    case CRefreshResult::Outcome::FolderNotFound:
        m_current->setText(m_result.missingFolder);
        m_catalogue.show(m_result.messageKey, MsgStyle::WarningOk);
        return;
    case CRefreshResult::Outcome::Stopped:
        emit refreshed();
        return;
    case CRefreshResult::Outcome::Completed:
        emit refreshed();
        m_catalogue.show(m_result.messageKey, MsgStyle::InfoOk);
        return;
    }
}
