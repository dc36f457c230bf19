#pragma once
// The Pix Dropper bar: a dockable window showing the dropper's photos as
// tiles, with buttons to add a folder of photos and to empty the tray.
// Clicking a tile starts the dropper tool with that photo; a tile dragged
// onto the canvas is dropped there; image files dragged in from the file
// manager are added. The window caption is "Pix Dropper"; its object name
// is the toolbar name "Image Palette", under which its docking is saved.

#include <QDockWidget>

class CPhotoTileWindow;
class CServices;
class QLabel;

class CDropperBar : public QDockWidget
{
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Pix Dropper";
    static constexpr const char* kObjectName = "Image Palette";

    explicit CDropperBar(CServices& services, QWidget* parent = nullptr);

    CPhotoTileWindow& tiles() const { return *m_tiles; }
    // Adds files, telling the user when none was a usable photo or the tray
    // would overflow. Returns how many went in.
    int addFiles(const QStringList& paths);
    // Asks for a folder ("MenuDropperBrowseTitle") and adds its photos.
    void addFolder();

signals:
    // The dropper tool was started from a tile; the text is for the status bar.
    void toolStarted(const QString& statusText);

private:
    void updateCount();
    void showKey(const QString& key);

    CServices& m_services;
    CPhotoTileWindow* m_tiles;
    QLabel* m_count;
};
