#pragma once
// The export dialog: folder (with a folder browser), file name, file type,
// quality with its words, the picture's width, height and resolution kept
// in step with the canvas, open-afterwards and transparent canvas. OK checks
// the values in order, completes the extension, asks before replacing a
// file, stores the settings and exports; each refusal shows its message and
// keeps the dialog open.

#include "exportsettings.h"
#include "exportsize.h"
#include "imageexport.h"

#include <QDialog>

#include <functional>
#include <optional>

class CCollageRenderer;
class CMessageCatalogue;
class CProgress;
class CPropManager;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

class CExportDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Export Collage to Image File";
    static constexpr const char* kBrowseCaption = "Select a Folder:";
    // The resolution a new export starts with, in the "RenderDpi" setting.
    static constexpr int kDefaultResolution = 96;

    CExportDialog(CCollageRenderer& renderer, const CExportCanvas& canvas, CPropManager& settings,
                  CMessageCatalogue& catalogue, CProgress* progress, QWidget* parent = nullptr);

    // What OK does, leaving the dialog open: returns the catalogue key of
    // the message shown ("ExportSameName" when the user declined to replace
    // a file), or empty when the export succeeded or was cancelled.
    QString tryExport();
    // The file written by the last successful export.
    const QString& exportedPath() const { return m_exportedPath; }

    // How a finished export is opened when "open afterwards" is set; by
    // default the desktop's program for the file. Returns whether a program
    // took the file: when none did, the user is told once and the option is
    // turned off.
    void setOpener(std::function<bool(const QString&)> opener) { m_opener = std::move(opener); }
    // Asked with the low-resolution warning before exporting: true goes on.
    // By default a box with "Export Anyway" and "Cancel".
    void setLowResolutionQuestion(std::function<bool(const QString&)> ask) { m_askLowResolution = std::move(ask); }

    // The fields, for scripted use and tests.
    QLineEdit* folderField() const { return m_folder; }
    QLineEdit* nameField() const { return m_name; }
    QComboBox* typeField() const { return m_type; }
    QSpinBox* qualityField() const { return m_qualityBox; }
    QLabel* qualityLabel() const { return m_qualityLabel; }
    QLineEdit* widthField() const { return m_width; }
    QLineEdit* heightField() const { return m_height; }
    QLineEdit* resolutionField() const { return m_resolution; }
    QComboBox* resolutionUnitField() const { return m_unit; }
    QLabel* resolutionLabel() const { return m_resolutionLabel; }
    QCheckBox* transparentField() const { return m_transparent; }
    QCheckBox* autoViewField() const { return m_autoView; }

public slots:
    void accept() override;

private:
    void buildLayout();
    void loadSettings();
    void showSize();
    void commitWidth();
    void commitHeight();
    void commitResolution();
    void commitFocusedField();
    void qualityChanged(int quality);
    void typeChanged();
    void browse();
    // The encoder the type list and the name choose: the chosen type, or
    // with "All Image Types" the name's extension, else the last type used.
    std::optional<CImageEncoder> chosenEncoder() const;
    QString refuse(const QString& key, QWidget* field);

    CCollageRenderer& m_renderer;
    CExportCanvas m_canvas;
    CPropManager& m_store;
    CExportSettings m_settings;
    CMessageCatalogue& m_catalogue;
    CProgress* m_progress;
    CExportSize m_size;
    std::function<bool(const QString&)> m_opener;
    std::function<bool(const QString&)> m_askLowResolution;
    QString m_exportedPath;

    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QSlider* m_qualitySlider = nullptr;
    QSpinBox* m_qualityBox = nullptr;
    QLabel* m_qualityLabel = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLineEdit* m_resolution = nullptr;
    QComboBox* m_unit = nullptr;
    QLabel* m_resolutionLabel = nullptr;
    QCheckBox* m_autoView = nullptr;
    QCheckBox* m_transparent = nullptr;
};
