#include "organizercommands.h"

#include "commandids.h"
#include "dropperhandover.h"
#include "photoorganizer.h"
#include "refreshdialog.h"
#include "services.h"

#include <QWidget>

COrganizerCommands::COrganizerCommands(CServices& services, QWidget* window)
    : QObject(window)
    , m_services(services)
    , m_window(window)
    , m_dropper(std::make_unique<CPicDropperHandOver>(services.dropper()))
{
}

COrganizerCommands::~COrganizerCommands() = default;

bool COrganizerCommands::onCommand(int id)
{
    switch (id) {
    case CommandId::PhotoOrganizer:
        openOrganizer();
        return true;
    case CommandId::RefreshPhotos:
        refreshCollection();
        return true;
    default:
        return false;
    }
}

std::optional<CCommandState> COrganizerCommands::commandState(int id) const
{
    if (id == CommandId::PhotoOrganizer || id == CommandId::RefreshPhotos)
        return CCommandState{};
    return std::nullopt;
}

CPhotoOrganizer* COrganizerCommands::openOrganizer()
{
    if (!m_organizer)
        m_organizer = new CPhotoOrganizer(m_services, *m_dropper, m_window);
    m_organizer->show();
    m_organizer->raise();
    m_organizer->activateWindow();
    return m_organizer;
}

void COrganizerCommands::refreshCollection()
{
    CRefreshDialog dialog(m_services.photos(), m_services.catalogue(), m_window);
    dialog.requestTip(m_services.bus());
    QObject::connect(&dialog, &CRefreshDialog::refreshed, this, [this] {
        if (m_organizer && m_organizer->isVisible())
            m_organizer->reload();
    });
    dialog.exec();
}
