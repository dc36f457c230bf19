#pragma once
// The ZadeDudaziz Wizard: helps a user with an empty canvas pick photos for
// a ZadeDudaziz collage. Three pages: the welcome text; a folder of photos
// shown as tiles, the chosen ones going into the dropper (at least 3 to go
// on); the canvas size and the shadow, border and jumble switches. The
// dropper is emptied when the wizard opens and again when it is cancelled.
// On Finish the canvas size, shadows and borders are applied as one undo
// step; the caller then lays the dropper's photos out.

#include "propbinding.h"

#include <QSizeF>
#include <QWizard>
#include <QWizardPage>

class CPhotoTileWindow;
class CServices;
class CCollageDoc;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;

class CQuickWelcomePage : public QWizardPage
{
    Q_OBJECT
public:
    explicit CQuickWelcomePage(CServices& services, QWidget* parent = nullptr);
};

// The photo page: the folder's photos, and the dropper filling up.
class CQuickPhotosPage : public QWizardPage
{
    Q_OBJECT
public:
    static constexpr int kMinPhotos = 3;

    explicit CQuickPhotosPage(CServices& services, QWidget* parent = nullptr);

    void setFolder(const QString& folder);
    QString folder() const;
    CPhotoTileWindow& folderTiles() const { return *m_folderTiles; }
    CPhotoTileWindow& chosenTiles() const { return *m_chosenTiles; }
    // Puts the photos selected in the folder's list into the dropper.
    void addSelected();

    // Next: with fewer than 3 photos in the dropper the selected ones go in
    // first; still fewer says "QuickNoPics" and stays.
    bool validatePage() override;

private:
    void updateCount();

    CServices& m_services;
    CStringProp m_folderSetting;
    QLineEdit* m_folder;
    QLabel* m_count;
    CPhotoTileWindow* m_folderTiles;
    CPhotoTileWindow* m_chosenTiles;
};

// The options page: the canvas size and the switches.
class CShowMePage : public QWizardPage
{
    Q_OBJECT
public:
    CShowMePage(CServices& services, const QSizeF& canvas, QWidget* parent = nullptr);

    QSizeF canvasSize() const;
    bool shadows() const;
    bool borders() const;
    bool jumble() const;
    QComboBox* sizeChoice() const { return m_size; }
    QCheckBox* jumbleBox() const { return m_jumble; }

private:
    QComboBox* m_size;
    QDoubleSpinBox* m_width;
    QDoubleSpinBox* m_height;
    QCheckBox* m_shadows;
    QCheckBox* m_borders;
    QCheckBox* m_jumble;
};

class CZadeDudazizSheet : public QWizard
{
    Q_OBJECT
public:
    static constexpr const char* kTitle = "ZadeDudaziz Wizard";

    CZadeDudazizSheet(CCollageDoc& doc, CServices& services, QWidget* parent = nullptr);

    CQuickPhotosPage& photosPage() const { return *m_photos; }
    CShowMePage& optionsPage() const { return *m_options; }
    // The jumble switch as it was at Finish.
    bool jumbleChosen() const { return m_jumble; }

    void accept() override;
    void reject() override;

private:
    CCollageDoc& m_doc;
    CServices& m_services;
    CQuickPhotosPage* m_photos;
    CShowMePage* m_options;
    bool m_jumble = false;
};
