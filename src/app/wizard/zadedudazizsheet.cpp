#include "zadedudazizsheet.h"

#include "collagedoc.h"
#include "imagetypes.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoitem.h"
#include "phototilewindow.h"
#include "picdropper.h"
#include "picinfomanager.h"
#include "services.h"
#include "undo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <iterator>

namespace {

QLabel* catalogueLabel(CServices& services, const char* key)
{
    auto* label = new QLabel(services.catalogue().text(QString::fromLatin1(key)));
    label->setWordWrap(true);
    return label;
}

struct CanvasPreset
{
    const char* name;
    double width;
    double height;
};
// Photo paper sizes, inches, landscape.
constexpr CanvasPreset kPresets[] = {{"6 x 4", 6, 4}, {"7 x 5", 7, 5}, {"10 x 8", 10, 8}, {"11 x 8.5", 11, 8.5},
                                     {"14 x 11", 14, 11}, {"20 x 16", 20, 16}};
constexpr double kMinSide = 0.5;
constexpr double kMaxSide = 1000.0;

} // namespace

CQuickWelcomePage::CQuickWelcomePage(CServices& services, QWidget* parent)
    : QWizardPage(parent)
{
    setTitle(QString::fromLatin1(CZadeDudazizSheet::kTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(catalogueLabel(services, "QuickWelcome"));
    layout->addStretch(1);
}

// ---------------------------------------------------------------------------

CQuickPhotosPage::CQuickPhotosPage(CServices& services, QWidget* parent)
    : QWizardPage(parent)
    , m_services(services)
    , m_folderSetting(services.settings(), QStringLiteral("QWizDir"), {},
                      QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
{
    setTitle(tr("Choose Your Photos"));
    m_folder = new QLineEdit(m_folderSetting.get());
    auto* browse = new QPushButton(tr("Browse..."));
    auto* add = new QPushButton(tr("Add to Collage"));
    add->setObjectName(QStringLiteral("quickAddSelected"));
    m_count = new QLabel;

    CMyPhotos& photos = services.photos();
    m_folderTiles = new CPhotoTileWindow(services.thumbnails(), services.bus(), [this, &photos] {
        std::vector<CPhotoItem*> listed;
        const QFileInfoList files =
            QDir(m_folder->text()).entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& file : files) {
            if (!ImageTypes::isImage(file.fileName()))
                continue;
            if (CPhotoItem* photo = photos.FindPhoto(file.absoluteFilePath(), true))
                listed.push_back(photo);
        }
        return listed;
    });
    m_folderTiles->setDragEnabled(false);
    CPicDropper& dropper = services.dropper();
    m_chosenTiles = new CPhotoTileWindow(services.thumbnails(), services.bus(), [&dropper] {
        std::vector<CPhotoItem*> chosen;
        for (const CDropperEntry& entry : dropper.entries())
            chosen.push_back(entry.photo);
        return chosen;
    });
    m_chosenTiles->setDragEnabled(false);
    m_chosenTiles->setMaximumHeight(120);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto* chosenRow = new QHBoxLayout;
    chosenRow->addWidget(add);
    chosenRow->addStretch(1);
    chosenRow->addWidget(m_count);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(catalogueLabel(services, "QuickChoose"));
    layout->addLayout(folderRow);
    layout->addWidget(m_folderTiles, 1);
    layout->addLayout(chosenRow);
    layout->addWidget(m_chosenTiles);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, tr("Select a Folder:"), m_folder->text());
        if (!chosen.isEmpty())
            setFolder(chosen);
    });
    connect(m_folder, &QLineEdit::editingFinished, this, [this] { setFolder(m_folder->text()); });
    connect(add, &QPushButton::clicked, this, &CQuickPhotosPage::addSelected);
    connect(m_folderTiles, &QAbstractItemView::doubleClicked, this, &CQuickPhotosPage::addSelected);
    connect(m_chosenTiles, &CPhotoTileWindow::photoActivated, this,
            [this](CPhotoItem* photo) { m_services.dropper().RemoveFromDropper(photo->path()); });
    connect(m_folderTiles->model(), &QAbstractItemModel::modelReset, this, &CQuickPhotosPage::updateCount);
    updateCount();
}

void CQuickPhotosPage::setFolder(const QString& folder)
{
    m_folder->setText(folder);
    m_folderSetting.set(folder);
    m_folderTiles->reload();
}

QString CQuickPhotosPage::folder() const { return m_folder->text(); }

void CQuickPhotosPage::addSelected()
{
    QStringList paths;
    const QModelIndexList rows = m_folderTiles->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : rows) {
        if (CPhotoItem* photo = m_folderTiles->photoAt(index.row()))
            paths << photo->path();
    }
    const QString refusal = m_services.dropper().AddPhotos(paths);
    if (!refusal.isEmpty())
        m_services.catalogue().show(refusal, MsgStyle::WarningOk);
}

bool CQuickPhotosPage::validatePage()
{
    CPicDropper& dropper = m_services.dropper();
    if (dropper.count() < kMinPhotos)
        addSelected();
    if (dropper.count() >= kMinPhotos)
        return true;
    m_services.catalogue().show(QStringLiteral("QuickNoPics"), MsgStyle::InfoOk);
    return false;
}

void CQuickPhotosPage::updateCount()
{
    m_count->setText(tr("Images: %1").arg(m_folderTiles->model()->rowCount()));
}

// ---------------------------------------------------------------------------

CShowMePage::CShowMePage(CServices& services, const QSizeF& canvas, QWidget* parent)
    : QWizardPage(parent)
{
    setTitle(tr("Canvas and Style"));
    m_size = new QComboBox;
    m_size->addItem(tr("Keep the current size"));
    for (const CanvasPreset& preset : kPresets)
        m_size->addItem(QString::fromLatin1(preset.name));
    m_size->addItem(tr("Custom size"));
    const auto side = [](double value) {
        auto* box = new QDoubleSpinBox;
        box->setRange(kMinSide, kMaxSide);
        box->setDecimals(2);
        box->setValue(value);
        return box;
    };
    m_width = side(canvas.width());
    m_height = side(canvas.height());
    m_shadows = new QCheckBox(tr("Shadows"));
    m_borders = new QCheckBox(tr("Borders"));
    m_jumble = new QCheckBox(tr("Jumble the photos after the layout (ZiraRadaru)"));
    CPicInfoManager& frames = services.frames();
    m_shadows->setChecked(frames.shadow().enabled);
    m_borders->setChecked(frames.border().enabled);

    auto* form = new QFormLayout;
    form->addRow(tr("Canvas size:"), m_size);
    form->addRow(tr("Width:"), m_width);
    form->addRow(tr("Height:"), m_height);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(catalogueLabel(services, "QuickShow"));
    layout->addLayout(form);
    layout->addWidget(m_shadows);
    layout->addWidget(m_borders);
    layout->addWidget(m_jumble);
    layout->addStretch(1);

    const QSizeF kept = canvas;
    const auto choose = [this, kept](int index) {
        const int presets = int(std::size(kPresets));
        const bool custom = index == presets + 1;
        m_width->setEnabled(custom);
        m_height->setEnabled(custom);
        if (index == 0) {
            m_width->setValue(kept.width());
            m_height->setValue(kept.height());
        } else if (!custom) {
            m_width->setValue(kPresets[index - 1].width);
            m_height->setValue(kPresets[index - 1].height);
        }
    };
    connect(m_size, &QComboBox::currentIndexChanged, this, choose);
    choose(0);
}

QSizeF CShowMePage::canvasSize() const { return QSizeF(m_width->value(), m_height->value()); }
bool CShowMePage::shadows() const { return m_shadows->isChecked(); }
bool CShowMePage::borders() const { return m_borders->isChecked(); }
bool CShowMePage::jumble() const { return m_jumble->isChecked(); }

// ---------------------------------------------------------------------------

CZadeDudazizSheet::CZadeDudazizSheet(CCollageDoc& doc, CServices& services, QWidget* parent)
    : QWizard(parent)
    , m_doc(doc)
    , m_services(services)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    setWizardStyle(QWizard::ClassicStyle);
    // The wizard picks its photos afresh.
    services.dropper().EmptyDropper();
    addPage(new CQuickWelcomePage(services));
    m_photos = new CQuickPhotosPage(services);
    addPage(m_photos);
    m_options = new CShowMePage(services, QSizeF(doc.canvasWidth(), doc.canvasHeight()));
    addPage(m_options);
    resize(720, 560);
}

void CZadeDudazizSheet::accept()
{
    {
        CUndoGroup group(&m_services.undo());
        const QSizeF size = m_options->canvasSize();
        m_doc.setCanvasSize(float(size.width()), float(size.height()));
        m_services.frames().setShadowEnabled(m_options->shadows());
        m_services.frames().setBorderEnabled(m_options->borders());
    }
    m_jumble = m_options->jumble();
    QWizard::accept();
}

void CZadeDudazizSheet::reject()
{
    m_services.dropper().EmptyDropper();
    QWizard::reject();
}
