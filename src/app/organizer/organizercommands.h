#pragma once
// The main window's photo commands: Photo Organizer opens (or brings to the
// front) the organizer window, Refresh Photo Collection opens the refresh
// dialog. Owns the organizer, made on first use, and its hand-over to the
// document's dropper.

#include "commandtarget.h"

#include <QObject>

#include <memory>

class CDropperHandOver;
class CPhotoOrganizer;
class CServices;
class QWidget;

class COrganizerCommands : public QObject, public CCommandTarget
{
public:
    // `window` parents the organizer and the dialog.
    COrganizerCommands(CServices& services, QWidget* window);
    ~COrganizerCommands() override;

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

    // Null until the organizer was first opened.
    CPhotoOrganizer* organizer() const { return m_organizer; }
    CPhotoOrganizer* openOrganizer();

private:
    void refreshCollection();

    CServices& m_services;
    QWidget* m_window;
    std::unique_ptr<CDropperHandOver> m_dropper;
    CPhotoOrganizer* m_organizer = nullptr; // a child of m_window
};
