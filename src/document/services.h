#pragma once
// The process-wide services, created in the fixed start-up order and
// destroyed in the fixed shutdown order. The application owns one set; a
// test builds its own fresh set so no test sees another's leftovers. Code
// reaches the live set through CServices::current().

#include <QString>

#include <memory>

class CErrorMsgListener;
class CCollageRenderer;
class CMacroManager;
class CMessageCatalogue;
class CMyPhotos;
class CNotificationBus;
class CPhotoImage;
class CPicDropper;
class CPicInfoManager;
class CPrinterChoice;
class CProgress;
class CPropManager;
class CSelection;
class CSnapper;
class CThumbStore;
class CThumbnailCache;
class CUndo;
struct CDocServices;

class CServices
{
public:
    // Creates every service in start-up order; the settings store is loaded
    // from `settingsFile` at once. The photo collection keeps its files in
    // `photoFolder` (the user's photo database folder when empty).
    explicit CServices(const QString& settingsFile, const QString& photoFolder = {});
    // Closes the bus first, destroys the services in shutdown order (saving
    // the settings store if it changed) and the bus last.
    ~CServices();
    CServices(const CServices&) = delete;
    CServices& operator=(const CServices&) = delete;

    // The live set, or null before start-up and after shutdown.
    static CServices* current();

    CNotificationBus& bus() const { return *m_bus; }
    CProgress& progress() const { return *m_progress; }
    CPropManager& settings() const { return *m_settings; }
    CMessageCatalogue& catalogue() const { return *m_catalogue; }
    CMacroManager& macros() const { return *m_macros; }
    CSnapper& snapper() const { return *m_snapper; }
    CUndo& undo() const { return *m_undo; }
    CMyPhotos& photos() const { return *m_photos; }
    CThumbnailCache& thumbnails() const { return *m_thumbnails; }
    CSelection& selection() const { return *m_selection; }
    CPicDropper& dropper() const { return *m_dropper; }
    CPicInfoManager& frames() const { return *m_frames; }
    CPrinterChoice& printer() const { return *m_printer; }
    CPhotoImage& images() const { return *m_images; }
    CCollageRenderer& renderer() const { return *m_renderer; }
    const QString& settingsFile() const { return m_settingsFile; }

    // What the document coordinates, for constructing it.
    CDocServices docServices() const;

private:
    QString m_settingsFile;
    std::unique_ptr<CNotificationBus> m_bus;
    std::unique_ptr<CProgress> m_progress;
    std::unique_ptr<CPropManager> m_settings;
    std::unique_ptr<CThumbStore> m_thumbStore;
    std::unique_ptr<CMessageCatalogue> m_catalogue;
    std::unique_ptr<CErrorMsgListener> m_errorListener;
    std::unique_ptr<CMacroManager> m_macros;
    std::unique_ptr<CSnapper> m_snapper;
    std::unique_ptr<CUndo> m_undo;
    std::unique_ptr<CMyPhotos> m_photos;
    std::unique_ptr<CThumbnailCache> m_thumbnails;
    std::unique_ptr<CPhotoImage> m_images;
    std::unique_ptr<CSelection> m_selection;
    std::unique_ptr<CPicDropper> m_dropper;
    std::unique_ptr<CPicInfoManager> m_frames;
    std::unique_ptr<CCollageRenderer> m_renderer;
    std::unique_ptr<CPrinterChoice> m_printer;
};
