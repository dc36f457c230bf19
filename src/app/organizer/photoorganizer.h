#pragma once
// The photo organizer: the collection by year, month and day, one of five
// view filters, the Photo Moments, and the photos as thumbnail tiles in a
// virtualised list (only the tiles on screen ask for thumbnails, so a
// collection of 100,000 photos scrolls as smoothly as one of 100). The
// selected photo shows in a 125 × 125 preview with its date, size and
// state. Spin turns the selected photos, Remove hides them (shows them
// again under "Removed Photos"), and the selection goes to the Pix Dropper
// through a CDropperHandOver.
//
// While it has the input: Left and Right scroll by one step, Up and Down
// change the thumbnail size by 2.5 (10 with Ctrl) between 1 and 55, the
// wheel scrolls and Ctrl+wheel changes the size by 2.5 (0.75 with Shift).
//
// Its view state lives in the settings "DropperYear", "DropperMonth",
// "DropperDay", "DropperShow", "DropperPhotoPos" and "DropperTopIndex", and
// the thumbnail size in "OrganizerThumbSize". A top-level window of its
// own; closing it saves the collection. Once it stands it asks for the
// info-tips a newcomer needs over it; adding photos to the Pix Dropper
// tells of ZadeDudaziz.

#include "notificationbus.h"
#include "photoviewfilter.h"
#include "propbinding.h"

#include <QWidget>

#include <functional>

class CDropperHandOver;
class CPhotoItem;
class CPhotoListModel;
class CPhotoTileDelegate;
class CServices;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class CPhotoOrganizer : public QWidget
{
    Q_OBJECT

public:
    // The tips wait this long after the window is shown, so that it is
    // active and laid out when they come.
    static constexpr int kTipDelayMs = 600;

    static constexpr float kMinThumbSize = 1.0f;
    static constexpr float kMaxThumbSize = 55.0f;
    static constexpr float kDefaultThumbSize = 40.0f;
    static constexpr float kKeySizeStep = 2.5f;
    static constexpr float kCtrlKeySizeStep = 10.0f;
    static constexpr float kWheelSizeStep = 2.5f;
    static constexpr float kFineWheelSizeStep = 0.75f;
    static constexpr int kPreviewSide = 125;
    // The pointer over the tiles, and with Ctrl held (adding to the selection).
    static constexpr Qt::CursorShape kTileCursor = Qt::PointingHandCursor;
    static constexpr Qt::CursorShape kCtrlTileCursor = Qt::DragCopyCursor;

    CPhotoOrganizer(CServices& services, CDropperHandOver& dropper, QWidget* parent = nullptr);
    ~CPhotoOrganizer() override;

    // The side in pixels a thumbnail is fitted into at a thumbnail size.
    static int imageSideFor(float thumbSize);
    float thumbSize() const { return m_thumbSize.get(); }
    // Clamped to 1 … 55; false when that changes nothing.
    bool setThumbSize(float size);

    // Lists the collection anew: dates, moments and photos.
    void reload();

    CPhotoViewFilter filter() const;
    void setFilter(CPhotoViewFilter filter);
    CDateSelection selectedDate() const;
    // As a click in the date list: "Only photos on selected date" lists the
    // date's photos, the other views scroll to its first photo.
    void selectDate(const CDateSelection& date);

    QList<CPhotoItem*> selectedPhotos() const;
    void selectPhotos(const QList<CPhotoItem*>& photos);

    // The buttons.
    void spinSelected(int quarterTurns);
    void removeSelected();
    void addSelectedToDropper();
    void addMoment(const QString& name);
    void removeMoment(const QString& name);
    void renameMoment(const QString& oldName, const QString& newName);
    // Selects the moment's photos.
    void showMoment(const QString& name);
    void openRefreshDialog();

    QListView* view() const { return m_view; }
    CPhotoListModel* model() const { return m_model; }
    CPhotoTileDelegate* delegate() const { return m_delegate; }
    QTreeWidget* dateList() const { return m_dates; }
    QComboBox* momentBox() const { return m_moments; }
    QLabel* previewLabel() const { return m_preview; }
    QLabel* stateLabel() const { return m_state; }
    QPushButton* refreshButton() const { return m_refresh; }
    QPushButton* dropperButton() const { return m_toDropper; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeDatePanel();
    QWidget* makeDetailPanel();
    void fillDates();
    void fillMoments();
    void listPhotos();
    void scheduleListing();
    void photoChanged(CPhotoItem* photo);
    void dateClicked(QTreeWidgetItem* item);
    void selectionChanged();
    void showDetails(CPhotoItem* photo, bool rebuildPreview);
    QImage previewOf(CPhotoItem& photo, bool rebuild);
    void applyThumbSize();
    // The cache keeps at least the thumbnails of a screenful in memory.
    void updateTilesOnScreen();
    // Keeps the render queue fed with the tiles on screen that still show
    // the placeholder: the queue drops requests beyond its cap, and a tile
    // already painted asks again only when it is painted again.
    void scheduleFeeding();
    void feedTilesOnScreen();
    QList<int> rowsOnScreen() const;
    void updateCursor(Qt::KeyboardModifiers modifiers);
    void scrollToRow(int row);
    bool handleKey(QKeyEvent* event);
    bool handleWheel(QWheelEvent* event);
    int tell(const QString& key, unsigned style);
    bool changeMoment(const std::function<QString(bool replaceExisting)>& change);
    void saveViewState();
    void requestTips();

    CServices& m_services;
    CDropperHandOver& m_dropper;

    CIntProp m_year;
    CIntProp m_month;
    CIntProp m_day;
    CIntProp m_show;
    CIntProp m_momentIndex;
    CIntProp m_topIndex;
    CFloatProp m_thumbSize;

    QComboBox* m_filter = nullptr;
    QTreeWidget* m_dates = nullptr;
    QComboBox* m_moments = nullptr;
    QListView* m_view = nullptr;
    CPhotoListModel* m_model = nullptr;
    CPhotoTileDelegate* m_delegate = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_state = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_toDropper = nullptr;
    bool m_listingScheduled = false;
    bool m_feedingScheduled = false;
    bool m_restoreTop = true;
};
