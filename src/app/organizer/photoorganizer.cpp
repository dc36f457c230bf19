#include "photoorganizer.h"

#include "dropperhandover.h"
#include "frameops.h"
#include "infotiprequest.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "photoimage.h"
#include "photoitem.h"
#include "photolistmodel.h"
#include "phototiledelegate.h"
#include "photopos.h"
#include "picinfomanager.h"
#include "refreshdialog.h"
#include "renderqueue.h"
#include "services.h"
#include "thumbnailcache.h"
#include "undo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// A thumbnail size of 1 shows 34-pixel pictures, 55 the full 128 pixels.
constexpr int kSmallestImageSide = 32;
constexpr float kPixelsPerSizeStep = 1.75f;
constexpr int kDateRole = Qt::UserRole + 1;
constexpr int kDatePanelWidth = 190;
constexpr int kDetailPanelWidth = 170;
constexpr int kDayPacking = 100;

const QString kSpinSelect = QStringLiteral("DropperSpinSelect");
const QString kRemoveSelect = QStringLiteral("DropperRemoveSelect");
const QString kPhotoPosExists = QStringLiteral("PhotoPosExists");
const QString kPhotoPosRemoveNoName = QStringLiteral("PhotoPosRemoveNoName");
const QString kWrongPhotoPosName = QStringLiteral("WrongPhotoPosName");
const QString kAskRemovePhotoPos = QStringLiteral("AskRemovePhotoPos");
const QString kPhotoPosRename = QStringLiteral("PhotoPosRename");
const QString kPhotoPosRangeError = QStringLiteral("PhotoPosRangeError");
const QString kFlipImageName = QStringLiteral("Flip Image");
const QString kOrganizerTip = QStringLiteral("Tip::PhotoOrganizer");
const QString kFilterTip = QStringLiteral("Tip::DropperShow");
const QString kTileMarksTip = QStringLiteral("Tip::PhotoSymbols");
const QString kEmptyCollectionTip = QStringLiteral("Tip::RefreshPhotos");
const QString kMissingFilesTip = QStringLiteral("Tip::StalePhotos");
const QString kLayoutTip = QStringLiteral("Tip::QuickCollage");

int packDate(const CDateSelection& date) { return (date.year * kDayPacking + date.month) * kDayPacking + date.day; }

CDateSelection unpackDate(int packed)
{
    return {packed / (kDayPacking * kDayPacking), packed / kDayPacking % kDayPacking, packed % kDayPacking};
}

QDate firstDayOf(const CDateSelection& date)
{
    return QDate(date.year, qMax(1, date.month), qMax(1, date.day));
}

} // namespace

CPhotoOrganizer::CPhotoOrganizer(CServices& services, CDropperHandOver& dropper, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_services(services)
    , m_dropper(dropper)
    , m_year(services.settings(), QStringLiteral("DropperYear"), {}, 0)
    , m_month(services.settings(), QStringLiteral("DropperMonth"), {}, 0)
    , m_day(services.settings(), QStringLiteral("DropperDay"), {}, 0)
    , m_show(services.settings(), QStringLiteral("DropperShow"), {}, 0)
    , m_momentIndex(services.settings(), QStringLiteral("DropperPhotoPos"), {}, 0)
    , m_topIndex(services.settings(), QStringLiteral("DropperTopIndex"), {}, 0)
    , m_thumbSize(services.settings(), QStringLiteral("OrganizerThumbSize"),
                  QStringLiteral("Size of the photo organizer's thumbnails (1 to 55)"), kDefaultThumbSize)
{
    setWindowTitle(tr("Photo Organizer"));
    resize(1000, 680);

    m_model = new CPhotoListModel(services.thumbnails(), services.bus(), this);
    m_delegate = new CPhotoTileDelegate(this);
    m_view = new QListView(this);
    m_view->setModel(m_model);
    m_view->setItemDelegate(m_delegate);
    m_view->setViewMode(QListView::ListMode);
    m_view->setFlow(QListView::LeftToRight);
    m_view->setWrapping(true);
    m_view->setResizeMode(QListView::Adjust);
    m_view->setMovement(QListView::Static);
    m_view->setUniformItemSizes(true);
    m_view->setLayoutMode(QListView::Batched);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setStyleSheet(QStringLiteral("QListView { background: #1F2124; }"));
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Show:"), this));
    m_filter = new QComboBox(this);
    m_filter->addItems(PhotoView::filterNames());
    m_filter->setCurrentIndex(int(PhotoView::filterFromSetting(m_show.get())));
    top->addWidget(m_filter);
    top->addStretch(1);
    m_count = new QLabel(this);
    top->addWidget(m_count);
    m_refresh = new QPushButton(tr("Refresh Collection..."), this);
    top->addWidget(m_refresh);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(makeDatePanel());
    splitter->addWidget(m_view);
    splitter->addWidget(makeDetailPanel());
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);

    connect(m_filter, &QComboBox::activated, this, [this](int index) { setFilter(CPhotoViewFilter(index)); });
    connect(m_refresh, &QPushButton::clicked, this, &CPhotoOrganizer::openRefreshDialog);
    connect(m_model, &CPhotoListModel::photoChanged, this, &CPhotoOrganizer::photoChanged);
    connect(m_model, &CPhotoListModel::collectionCleared, this, [this] { reload(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CPhotoOrganizer::selectionChanged);
    applyThumbSize();
    updateCursor(Qt::NoModifier);
}

CPhotoOrganizer::~CPhotoOrganizer() = default;

QWidget* CPhotoOrganizer::makeDatePanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_dates = new QTreeWidget(panel);
    m_dates->setHeaderHidden(true);
    m_dates->setColumnCount(1);
    layout->addWidget(m_dates, 1);
    connect(m_dates, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { dateClicked(item); });

    layout->addWidget(new QLabel(tr("Photo Moments:"), panel));
    m_moments = new QComboBox(panel);
    m_moments->setEditable(true);
    m_moments->setInsertPolicy(QComboBox::NoInsert);
    layout->addWidget(m_moments);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(tr("Add/Update"), panel);
    auto* remove = new QPushButton(tr("Remove"), panel);
    auto* rename = new QPushButton(tr("Rename"), panel);
    for (QPushButton* button : {add, remove, rename})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(m_moments, &QComboBox::activated, this, [this](int index) {
        m_momentIndex.set(index);
        showMoment(m_moments->itemText(index));
    });
    connect(add, &QPushButton::clicked, this, [this] { addMoment(m_moments->currentText()); });
    connect(remove, &QPushButton::clicked, this, [this] { removeMoment(m_moments->currentText()); });
    connect(rename, &QPushButton::clicked, this, [this] {
        const QString old = m_moments->currentIndex() >= 0 ? m_moments->itemText(m_moments->currentIndex()) : QString();
        if (old.isEmpty()) {
            tell(kPhotoPosRename, MsgStyle::WarningOk);
            return;
        }
        bool ok = false;
        const QString name = QInputDialog::getText(this, tr("Rename Photo Moment"), tr("New name:"),
                                                   QLineEdit::Normal, old, &ok);
        if (ok)
            renameMoment(old, name);
    });
    panel->setMinimumWidth(kDatePanelWidth);
    return panel;
}

QWidget* CPhotoOrganizer::makeDetailPanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_preview = new QLabel(panel);
    m_preview->setFixedSize(kPreviewSide, kPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_preview, 0, Qt::AlignHCenter);
    m_date = new QLabel(panel);
    m_size = new QLabel(panel);
    m_state = new QLabel(panel);
    for (QLabel* label : {m_date, m_size, m_state}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
        // Two lines each whatever they say, so the buttons below stay where
        // the pointer left them when the selection changes.
        label->setMinimumHeight(2 * label->fontMetrics().lineSpacing());
        layout->addWidget(label);
    }
    auto* spinLeft = new QPushButton(tr("Spin Left"), panel);
    auto* spinRight = new QPushButton(tr("Spin Right"), panel);
    m_remove = new QPushButton(tr("Remove"), panel);
    m_toDropper = new QPushButton(tr("Add to Pix Dropper"), panel);
    // Clicking them leaves the keyboard with the tiles, where the arrow keys
    // change the thumbnail size.
    for (QPushButton* button : {spinLeft, spinRight, m_remove, m_toDropper})
        button->setFocusPolicy(Qt::TabFocus);
    auto* spins = new QHBoxLayout;
    spins->addWidget(spinLeft);
    spins->addWidget(spinRight);
    layout->addLayout(spins);
    layout->addWidget(m_remove);
    layout->addWidget(m_toDropper);
    layout->addStretch(1);
    connect(spinLeft, &QPushButton::clicked, this, [this] { spinSelected(-1); });
    connect(spinRight, &QPushButton::clicked, this, [this] { spinSelected(1); });
    connect(m_remove, &QPushButton::clicked, this, &CPhotoOrganizer::removeSelected);
    connect(m_toDropper, &QPushButton::clicked, this, &CPhotoOrganizer::addSelectedToDropper);
    panel->setFixedWidth(kDetailPanelWidth);
    return panel;
}

int CPhotoOrganizer::tell(const QString& key, unsigned style) { return m_services.catalogue().show(key, style); }

// ---------------------------------------------------------------------------
// Listing

void CPhotoOrganizer::reload()
{
    fillDates();
    fillMoments();
    listPhotos();
}

void CPhotoOrganizer::fillDates()
{
    m_dates->clear();
    const CDateSelection selected = selectedDate();
    QTreeWidgetItem* yearItem = nullptr;
    QTreeWidgetItem* monthItem = nullptr;
    QTreeWidgetItem* current = nullptr;
    const QLocale english(QLocale::English);
    for (const CDayCount& day : PhotoView::days(m_services.photos().ByDate())) {
        const int year = day.day.year();
        const int month = day.day.month();
        if (!yearItem || unpackDate(yearItem->data(0, kDateRole).toInt()).year != year) {
            yearItem = new QTreeWidgetItem(m_dates, {QString::number(year)});
            yearItem->setData(0, kDateRole, packDate({year, 0, 0}));
            monthItem = nullptr;
        }
        if (!monthItem || unpackDate(monthItem->data(0, kDateRole).toInt()).month != month) {
            monthItem = new QTreeWidgetItem(yearItem, {english.standaloneMonthName(month)});
            monthItem->setData(0, kDateRole, packDate({year, month, 0}));
        }
        auto* dayItem = new QTreeWidgetItem(
            monthItem, {QStringLiteral("%1 (%2)").arg(english.toString(day.day, QStringLiteral("ddd d"))).arg(day.count)});
        const CDateSelection date{year, month, day.day.day()};
        dayItem->setData(0, kDateRole, packDate(date));
        if (date == selected)
            current = dayItem;
        else if (!current && selected == CDateSelection{year, month, 0})
            current = monthItem;
        else if (!current && selected == CDateSelection{year, 0, 0})
            current = yearItem;
    }
    if (current) {
        m_dates->setCurrentItem(current);
        m_dates->scrollToItem(current);
    }
}

void CPhotoOrganizer::fillMoments()
{
    const QString typed = m_moments->currentText();
    m_moments->clear();
    m_moments->addItems(m_services.photos().MomentNames());
    const int index = m_momentIndex.get();
    if (index >= 0 && index < m_moments->count())
        m_moments->setCurrentIndex(index);
    else
        m_moments->setEditText(typed);
}

void CPhotoOrganizer::listPhotos()
{
    m_listingScheduled = false;
    const QList<CPhotoItem*> keep = selectedPhotos();
    m_model->setPhotos(PhotoView::select(m_services.photos().ByDate(), filter(), selectedDate(),
                                         QDate::currentDate()));
    m_count->setText(tr("%n photo(s)", nullptr, m_model->rowCount()));
    m_remove->setText(filter() == CPhotoViewFilter::RemovedPhotos ? tr("Show Again") : tr("Remove"));
    selectPhotos(keep);
    if (std::exchange(m_restoreTop, false))
        scrollToRow(m_topIndex.get());
    if (keep.isEmpty())
        showDetails(nullptr, false);
}

void CPhotoOrganizer::scheduleListing()
{
    if (std::exchange(m_listingScheduled, true))
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_listingScheduled)
            listPhotos();
    });
}

void CPhotoOrganizer::photoChanged(CPhotoItem* photo)
{
    scheduleFeeding();
    // Hidden or shown again: it leaves or joins this view.
    if (!PhotoView::matches(*photo, filter(), selectedDate(), QDate::currentDate()))
        scheduleListing();
    const QList<CPhotoItem*> selected = selectedPhotos();
    if (!selected.isEmpty() && selected.first() == photo)
        showDetails(photo, false);
}

void CPhotoOrganizer::scheduleFeeding()
{
    if (std::exchange(m_feedingScheduled, true))
        return;
    QTimer::singleShot(0, this, [this] {
        m_feedingScheduled = false;
        feedTilesOnScreen();
    });
}

QList<int> CPhotoOrganizer::rowsOnScreen() const
{
    QList<int> rows;
    const QRect visible = m_view->viewport()->rect();
    const QModelIndex first = m_view->indexAt(visible.topLeft() + QPoint(CPhotoTileDelegate::kMargin, 1));
    for (int row = first.isValid() ? first.row() : 0; row < m_model->rowCount(); ++row) {
        const QRect tile = m_view->visualRect(m_model->index(row));
        if (tile.top() > visible.bottom())
            break;
        if (tile.intersects(visible))
            rows << row;
    }
    return rows;
}

void CPhotoOrganizer::feedTilesOnScreen()
{
    CThumbnailCache& cache = m_services.thumbnails();
    for (int row : rowsOnScreen()) {
        if (cache.queuedCount() >= CRenderQueue::kCap)
            return;
        CPhotoItem* photo = m_model->photoAt(row);
        if (photo->thumbnail().isNull())
            cache.QueueRender(*photo);
    }
}

CPhotoViewFilter CPhotoOrganizer::filter() const { return PhotoView::filterFromSetting(m_show.get()); }

void CPhotoOrganizer::setFilter(CPhotoViewFilter filter)
{
    m_show.set(int(filter));
    m_filter->setCurrentIndex(int(filter));
    listPhotos();
}

CDateSelection CPhotoOrganizer::selectedDate() const { return {m_year.get(), m_month.get(), m_day.get()}; }

void CPhotoOrganizer::selectDate(const CDateSelection& date)
{
    m_year.set(date.year);
    m_month.set(date.month);
    m_day.set(date.day);
    if (filter() == CPhotoViewFilter::SelectedDate) {
        listPhotos();
        scrollToRow(0);
        return;
    }
    scrollToRow(PhotoView::firstRowOn(m_model->photos(), date));
}

void CPhotoOrganizer::dateClicked(QTreeWidgetItem* item)
{
    if (item)
        selectDate(unpackDate(item->data(0, kDateRole).toInt()));
}

void CPhotoOrganizer::scrollToRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_view->scrollTo(m_model->index(row), QAbstractItemView::PositionAtTop);
}

// ---------------------------------------------------------------------------
// Selection and details

QList<CPhotoItem*> CPhotoOrganizer::selectedPhotos() const
{
    QModelIndexList rows = m_view->selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<CPhotoItem*> photos;
    for (const QModelIndex& index : rows) {
        if (CPhotoItem* photo = m_model->photoAt(index.row()))
            photos << photo;
    }
    return photos;
}

void CPhotoOrganizer::selectPhotos(const QList<CPhotoItem*>& photos)
{
    QItemSelection selection;
    int first = -1;
    for (CPhotoItem* photo : photos) {
        const int row = m_model->rowOf(photo);
        if (row < 0)
            continue;
        selection.select(m_model->index(row), m_model->index(row));
        first = first < 0 ? row : qMin(first, row);
    }
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first >= 0)
        m_view->selectionModel()->setCurrentIndex(m_model->index(first), QItemSelectionModel::NoUpdate);
}

void CPhotoOrganizer::selectionChanged()
{
    const QList<CPhotoItem*> selected = selectedPhotos();
    showDetails(selected.isEmpty() ? nullptr : selected.first(), false);
}

void CPhotoOrganizer::showDetails(CPhotoItem* photo, bool rebuildPreview)
{
    if (!photo) {
        m_preview->clear();
        for (QLabel* label : {m_date, m_size, m_state})
            label->clear();
        return;
    }
    m_preview->setPixmap(QPixmap::fromImage(previewOf(*photo, rebuildPreview)));
    m_date->setText(photo->dateText());
    m_size->setText(tr("%1 × %2 pixels\n%3 bytes")
                        .arg(photo->pixelWidth())
                        .arg(photo->pixelHeight())
                        .arg(photo->sizeText()));
    m_state->setText(photo->stateText());
}

QImage CPhotoOrganizer::previewOf(CPhotoItem& photo, bool rebuild)
{
    if (!photo.preview().isNull() && !rebuild)
        return photo.preview();
    const bool hadCopy = !photo.workingCopy().isNull();
    const QImage copy = m_services.images().GetWorkingCopy(photo);
    photo.setPreview(copy.isNull() ? copy
                                   : copy.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio,
                                                 Qt::SmoothTransformation));
    // A working copy made only for the preview is not kept.
    if (!hadCopy && !photo.isInUse())
        photo.releaseImages();
    return photo.preview();
}

// ---------------------------------------------------------------------------
// Buttons

void CPhotoOrganizer::spinSelected(int quarterTurns)
{
    const QList<CPhotoItem*> photos = selectedPhotos();
    if (photos.isEmpty()) {
        tell(kSpinSelect, MsgStyle::WarningOk);
        return;
    }
    CFrameOps operations(m_services.frames());
    m_services.undo().Begin(kFlipImageName);
    for (CPhotoItem* photo : photos)
        operations.spinImage(*photo, photo->quarterTurns() + quarterTurns);
    m_services.undo().Term();
    showDetails(photos.first(), true);
}

void CPhotoOrganizer::removeSelected()
{
    const QList<CPhotoItem*> photos = selectedPhotos();
    if (photos.isEmpty()) {
        tell(kRemoveSelect, MsgStyle::WarningOk);
        return;
    }
    const bool showAgain = filter() == CPhotoViewFilter::RemovedPhotos;
    for (CPhotoItem* photo : photos) {
        if (showAgain)
            m_services.photos().SetHidden(*photo, false);
        else
            m_services.photos().RemovePhoto(photo->path(), false);
    }
    fillDates();
    listPhotos();
}

void CPhotoOrganizer::addSelectedToDropper()
{
    QStringList paths;
    for (const CPhotoItem* photo : selectedPhotos())
        paths << photo->path();
    if (paths.isEmpty())
        return;
    const QString refusal = m_dropper.addPhotos(paths);
    if (!refusal.isEmpty())
        tell(refusal, MsgStyle::WarningOk);
    else
        InfoTips::request(m_services.bus(), kLayoutTip, m_toDropper);
}

void CPhotoOrganizer::addMoment(const QString& name)
{
    QStringList paths;
    const QList<CPhotoItem*> photos = selectedPhotos();
    for (const CPhotoItem* photo : photos)
        paths << photo->path();
    // The moment belongs to the date picked, else to its first photo's day.
    const CDateSelection picked = selectedDate();
    const QDate day = !picked.isEmpty() ? firstDayOf(picked)
                                        : (photos.isEmpty() ? QDate() : photos.first()->dateParts().date());
    const COleDate date = day.isValid() ? COleDate::fromDateTime(day.startOfDay()) : COleDate();
    CMyPhotos& collection = m_services.photos();
    if (!changeMoment([&](bool replace) { return collection.AddMoment(name, paths, date, replace); }))
        return;
    m_momentIndex.set(int(collection.MomentNames().indexOf(name.trimmed())));
    fillMoments();
}

void CPhotoOrganizer::removeMoment(const QString& name)
{
    CMyPhotos& collection = m_services.photos();
    if (name.trimmed().isEmpty()) {
        tell(kPhotoPosRemoveNoName, MsgStyle::WarningOk);
        return;
    }
    if (!collection.FindMoment(name)) {
        tell(kWrongPhotoPosName, MsgStyle::WarningOk);
        return;
    }
    if (tell(kAskRemovePhotoPos, MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return;
    collection.RemoveMoment(name);
    m_momentIndex.set(-1);
    m_moments->setEditText({});
    fillMoments();
}

void CPhotoOrganizer::renameMoment(const QString& oldName, const QString& newName)
{
    CMyPhotos& collection = m_services.photos();
    if (!changeMoment([&](bool replace) { return collection.RenameMoment(oldName, newName, replace); }))
        return;
    m_momentIndex.set(int(collection.MomentNames().indexOf(newName.trimmed())));
    fillMoments();
}

// A name another moment already has asks whether to replace that moment;
// any other refusal is said. True when the change was made.
bool CPhotoOrganizer::changeMoment(const std::function<QString(bool replaceExisting)>& change)
{
    QString refusal = change(false);
    if (refusal == kPhotoPosExists && tell(refusal, MsgStyle::QuestionYesNo) == MsgButton::Yes)
        refusal = change(true);
    else if (!refusal.isEmpty() && refusal != kPhotoPosExists)
        tell(refusal, MsgStyle::WarningOk);
    return refusal.isEmpty();
}

void CPhotoOrganizer::showMoment(const QString& name)
{
    const CPhotoPos* moment = m_services.photos().FindMoment(name);
    if (!moment)
        return;
    QList<CPhotoItem*> photos;
    bool outside = false;
    for (const QString& path : moment->photos()) {
        CPhotoItem* photo = m_services.photos().FindPhoto(path);
        if (!photo)
            continue; // gone from the collection since
        photos << photo;
        outside = outside || m_model->rowOf(photo) < 0;
    }
    if (outside && filter() != CPhotoViewFilter::AllPhotos) {
        setFilter(CPhotoViewFilter::AllPhotos);
        tell(kPhotoPosRangeError, MsgStyle::InfoOk);
    }
    selectPhotos(photos);
    if (!photos.isEmpty())
        m_view->scrollTo(m_view->selectionModel()->currentIndex(), QAbstractItemView::PositionAtTop);
}

void CPhotoOrganizer::openRefreshDialog()
{
    CRefreshDialog dialog(m_services.photos(), m_services.catalogue(), this);
    dialog.requestTip(m_services.bus());
    connect(&dialog, &CRefreshDialog::refreshed, this, &CPhotoOrganizer::reload);
    dialog.exec();
}

// ---------------------------------------------------------------------------
// Thumbnail size, keys, wheel and cursor

int CPhotoOrganizer::imageSideFor(float thumbSize)
{
    const float size = std::clamp(thumbSize, kMinThumbSize, kMaxThumbSize);
    return kSmallestImageSide + int(std::lround(size * kPixelsPerSizeStep));
}

bool CPhotoOrganizer::setThumbSize(float size)
{
    const float clamped = std::clamp(size, kMinThumbSize, kMaxThumbSize);
    if (clamped == m_thumbSize.get())
        return false;
    m_thumbSize.set(clamped);
    applyThumbSize();
    return true;
}

void CPhotoOrganizer::applyThumbSize()
{
    m_delegate->setImageSide(imageSideFor(m_thumbSize.get()));
    const int tile = m_delegate->imageSide() + 2 * CPhotoTileDelegate::kMargin;
    m_view->setGridSize(QSize(tile, tile)); // lays the tiles out again
    m_view->verticalScrollBar()->setSingleStep(tile);
    updateTilesOnScreen();
}

void CPhotoOrganizer::updateTilesOnScreen()
{
    const int tile = m_delegate->imageSide() + 2 * CPhotoTileDelegate::kMargin;
    const QSize area = m_view->viewport()->size();
    m_services.thumbnails().setTilesOnScreen((area.width() / tile + 1) * (area.height() / tile + 2));
}

void CPhotoOrganizer::updateCursor(Qt::KeyboardModifiers modifiers)
{
    m_view->viewport()->setCursor(modifiers.testFlag(Qt::ControlModifier) ? kCtrlTileCursor : kTileCursor);
}

bool CPhotoOrganizer::handleKey(QKeyEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Left:
        m_view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Right:
        m_view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const float step = (ctrl ? kCtrlKeySizeStep : kKeySizeStep) * (event->key() == Qt::Key_Up ? 1.0f : -1.0f);
        // At the end of the range the key does what it does in any list.
        return setThumbSize(m_thumbSize.get() + step);
    }
    default:
        return false;
    }
}

bool CPhotoOrganizer::handleWheel(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier))
        return false; // the list scrolls
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return true;
    const float step = event->modifiers().testFlag(Qt::ShiftModifier) ? kFineWheelSizeStep : kWheelSizeStep;
    setThumbSize(m_thumbSize.get() + (delta > 0 ? step : -step));
    return true;
}

bool CPhotoOrganizer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view || watched == m_view->viewport()) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            updateCursor(key->modifiers() | (key->key() == Qt::Key_Control ? Qt::ControlModifier : Qt::NoModifier));
            if (handleKey(key))
                return true;
            break;
        }
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            updateCursor(key->key() == Qt::Key_Control ? Qt::NoModifier : key->modifiers());
            break;
        }
        case QEvent::Wheel:
            if (handleWheel(static_cast<QWheelEvent*>(event)))
                return true;
            break;
        case QEvent::Enter:
            updateCursor(QGuiApplication::queryKeyboardModifiers());
            break;
        case QEvent::Resize:
            if (watched == m_view->viewport())
                updateTilesOnScreen();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Opening and closing

void CPhotoOrganizer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Scrolling requests what comes into view; the latest wants rendering
    // first, and a camera's own preview can stand in at once meanwhile.
    m_services.thumbnails().setNewestFirst(true);
    m_services.thumbnails().setEmbeddedPreviews(true);
    m_restoreTop = true;
    reload();
    QTimer::singleShot(kTipDelayMs, this, &CPhotoOrganizer::requestTips);
}

// What the organizer is for and how to choose what it lists; the marks on
// the tiles once there are tiles; a refresh when the collection is empty
// or knows photos whose files have gone.
void CPhotoOrganizer::requestTips()
{
    if (!isVisible())
        return;
    CNotificationBus& bus = m_services.bus();
    InfoTips::request(bus, kOrganizerTip, m_view);
    InfoTips::request(bus, kFilterTip, m_filter);
    if (m_model->rowCount() > 0)
        InfoTips::request(bus, kTileMarksTip, m_view);
    const std::vector<CPhotoItem*>& photos = m_services.photos().ByDate();
    if (photos.empty()) {
        InfoTips::request(bus, kEmptyCollectionTip, m_refresh);
        return;
    }
    const bool missing = std::any_of(photos.begin(), photos.end(),
                                     [](const CPhotoItem* photo) { return photo->isMissing() && !photo->isHidden(); });
    if (missing)
        InfoTips::request(bus, kMissingFilesTip, m_refresh);
}

void CPhotoOrganizer::saveViewState()
{
    const QModelIndex top = m_view->indexAt(QPoint(CPhotoTileDelegate::kMargin, CPhotoTileDelegate::kMargin));
    m_topIndex.set(top.isValid() ? top.row() : 0);
}

void CPhotoOrganizer::closeEvent(QCloseEvent* event)
{
    saveViewState();
    m_services.thumbnails().setNewestFirst(false);
    m_services.thumbnails().setEmbeddedPreviews(false);
    // Saving lets go of hidden photos: nothing may list them any more.
    m_model->setPhotos({});
    m_services.photos().Save();
    QWidget::closeEvent(event);
}
