#include "dropperbar.h"

#include "messagecatalogue.h"
#include "photoitem.h"
#include "phototilewindow.h"
#include "picdropper.h"
#include "services.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

CDropperBar::CDropperBar(CServices& services, QWidget* parent)
    : QDockWidget(QString::fromLatin1(kCaption), parent)
    , m_services(services)
{
    setObjectName(QString::fromLatin1(kObjectName));
    CPicDropper& dropper = services.dropper();
    m_tiles = new CPhotoTileWindow(services.thumbnails(), services.bus(), [&dropper] {
        std::vector<CPhotoItem*> photos;
        for (const CDropperEntry& entry : dropper.entries())
            photos.push_back(entry.photo);
        return photos;
    });

    auto* add = new QToolButton;
    add->setObjectName(QStringLiteral("dropperAddFolder"));
    add->setText(tr("Add Folder..."));
    auto* empty = new QToolButton;
    empty->setObjectName(QStringLiteral("dropperEmpty"));
    empty->setText(tr("Empty"));
    m_count = new QLabel;
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 2, 4, 2);
    buttons->addWidget(add);
    buttons->addWidget(empty);
    buttons->addStretch(1);
    buttons->addWidget(m_count);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(buttons);
    layout->addWidget(m_tiles, 1);
    setWidget(body);

    connect(add, &QToolButton::clicked, this, &CDropperBar::addFolder);
    connect(empty, &QToolButton::clicked, this, [this] { m_services.dropper().EmptyDropper(); });
    connect(m_tiles, &CPhotoTileWindow::filesDropped, this, &CDropperBar::addFiles);
    connect(m_tiles, &CPhotoTileWindow::photoActivated, this, [this](CPhotoItem* photo) {
        CPicDropper& tray = m_services.dropper();
        for (int i = 0; i < tray.count(); ++i) {
            if (tray.entries()[i].photo == photo) {
                tray.setCurrentIndex(i);
                tray.SetToolMode(false); // the floating frame shows the photo clicked
                tray.SetToolMode(true);
                emit toolStarted(QString::fromLatin1(CPicDropper::kToolStatusText));
                return;
            }
        }
    });
    connect(m_tiles->model(), &QAbstractItemModel::modelReset, this, &CDropperBar::updateCount);
    updateCount();
}

int CDropperBar::addFiles(const QStringList& paths)
{
    CPicDropper& dropper = m_services.dropper();
    const int before = dropper.count();
    const QString refusal = dropper.AddPhotos(paths);
    const int added = dropper.count() - before;
    if (!refusal.isEmpty())
        showKey(refusal);
    else if (added == 0 && !paths.isEmpty() && std::none_of(paths.begin(), paths.end(), [&dropper](const QString& path) {
                 return dropper.indexOf(path) >= 0;
             }))
        showKey(QString::fromLatin1(CPicDropper::kNoValidPhoto));
    return added;
}

void CDropperBar::addFolder()
{
    const QString title = m_services.catalogue().text(QStringLiteral("MenuDropperBrowseTitle"));
    const QString start = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString folder = QFileDialog::getExistingDirectory(this, title, start);
    if (folder.isEmpty())
        return;
    const QString refusal = m_services.dropper().AddFolder(folder);
    if (!refusal.isEmpty())
        showKey(refusal);
}

void CDropperBar::updateCount() { m_count->setText(tr("Images: %1").arg(m_services.dropper().count())); }

void CDropperBar::showKey(const QString& key) { m_services.catalogue().show(key, MsgStyle::WarningOk); }
