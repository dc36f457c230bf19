#include "services.h"

#include "collagedoc.h"
#include "collagerenderer.h"
#include "documentsettings.h"
#include "datapaths.h"
#include "macromanager.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "notificationbus.h"
#include "photoimage.h"
#include "picdropper.h"
#include "picinfomanager.h"
#include "printerchoice.h"
#include "progress.h"
#include "propmanager.h"
#include "selection.h"
#include "snapper.h"
#include "thumbnailcache.h"
#include "thumbstore.h"
#include "undo.h"

namespace {
CServices* s_current = nullptr;
}

// "ErrorMsg" lets code that cannot show a box itself (a load in progress, a
// worker) name a catalogue key: the event is the key, the parameter the box
// style. A broadcast without a style gets the information box, the one the
// program uses most.
class CErrorMsgListener : public CNotifyListener
{
public:
    CErrorMsgListener(CNotificationBus& bus, CMessageCatalogue& catalogue)
        : m_bus(bus)
        , m_catalogue(catalogue)
    {
        m_bus.Register(this, Channel::ErrorMsg);
    }
    ~CErrorMsgListener() override { m_bus.Unregister(this, Channel::ErrorMsg); }

    bool OnNotify(const CNotifyMessage& message) override
    {
        const quintptr style = message.parameterValue();
        m_catalogue.show(message.event, style != 0 ? unsigned(style) : MsgStyle::InfoOk);
        return true;
    }

private:
    CNotificationBus& m_bus;
    CMessageCatalogue& m_catalogue;
};

CServices::CServices(const QString& settingsFile, const QString& photoFolder)
    : m_settingsFile(settingsFile)
    , m_bus(std::make_unique<CNotificationBus>())
    , m_progress(std::make_unique<CProgress>())
    , m_settings(std::make_unique<CPropManager>())
{
    // A missing or unreadable file leaves the store empty; every setting then
    // takes its default when it is registered.
    m_settings->load(m_settingsFile);
    // The document's settings keep the order of their table in the file:
    // registered later, the grid spacing the snapper shares with them would
    // come first. The document counts the start when it registers them.
    registerDocumentSettings(*m_settings, false);
    m_thumbStore = std::make_unique<CThumbStore>(photoFolder.isEmpty() ? DataPaths::photoDatabaseFolder() : photoFolder);
    m_catalogue = std::make_unique<CMessageCatalogue>();
    m_errorListener = std::make_unique<CErrorMsgListener>(*m_bus, *m_catalogue);
    registerHistoryClasses();
    m_macros = std::make_unique<CMacroManager>();
    m_snapper = std::make_unique<CSnapper>(*m_settings);
    m_undo = std::make_unique<CUndo>();
    m_undo->setBus(m_bus.get());
    m_photos = std::make_unique<CMyPhotos>(*m_settings, *m_catalogue, *m_bus, nullptr, photoFolder);
    m_thumbnails = std::make_unique<CThumbnailCache>(*m_photos, *m_thumbStore, *m_bus, *m_settings);
    m_photos->setThumbnailCache(m_thumbnails.get());
    m_images = std::make_unique<CPhotoImage>(*m_photos);
    // The selection comes before the frame collection it refers to; it is
    // attached once the collection exists.
    m_selection = std::make_unique<CSelection>(*m_undo);
    m_dropper = std::make_unique<CPicDropper>(*m_photos, m_bus.get());
    m_dropper->setUndo(m_undo.get());
    registerFrameClasses();
    m_frames = std::make_unique<CPicInfoManager>(m_settings.get(), m_photos.get());
    m_frames->setUndo(m_undo.get());
    m_frames->setBus(m_bus.get());
    m_selection->attach(m_frames.get());
    m_renderer = std::make_unique<CCollageRenderer>(*m_frames, *m_images, m_progress.get());
    m_printer = std::make_unique<CPrinterChoice>();
    s_current = this;
}

CDocServices CServices::docServices() const
{
    return {*m_settings, *m_catalogue, *m_bus, *m_progress, *m_photos, *m_frames, *m_snapper,
            *m_undo,     *m_macros,    *m_dropper, *m_printer, *m_selection, *m_images, *m_renderer};
}

CServices::~CServices()
{
    // Nothing may be delivered to services that are going away, and no
    // worker may hold a photo while they go.
    m_bus->Close();
    m_thumbnails->StopWorker();
    // The renderer listens to the frames and draws through the progress.
    m_renderer.reset();
    m_errorListener.reset();
    m_progress.reset();
    m_catalogue.reset();
    m_macros.reset();
    m_snapper.reset();
    // Before the frames it listens to and the history it groups its changes in.
    m_selection.reset();
    m_frames->setUndo(nullptr);
    m_dropper->setUndo(nullptr);
    m_undo.reset();
    m_dropper.reset();
    // Nobody is left to report a failed save to; the previous file stays.
    m_settings->save(m_settingsFile);
    // Frames go before the photos they count themselves users of, and both
    // after the settings they no longer need.
    m_frames.reset();
    m_printer.reset();
    m_images.reset();
    m_photos->Save();
    m_photos->setThumbnailCache(nullptr);
    m_thumbnails.reset();
    m_photos.reset();
    m_thumbStore.reset();
    m_settings.reset();
    m_bus.reset();
    if (s_current == this)
        s_current = nullptr;
}

CServices* CServices::current() { return s_current; }
