#pragma once
// Where the photo organizer sends the photos the user picked: the Pix
// Dropper's tray. The organizer knows only this interface; today the
// document's dropper model takes the photos, later the tray window.

#include <QString>
#include <QStringList>

class CPicDropper;

class CDropperHandOver
{
public:
    virtual ~CDropperHandOver() = default;
    // Adds the photos in list order as one batch and one undo step. Returns
    // an empty key when they went in, else the catalogue key that tells the
    // user why none did ("DropperTooManyFiles").
    virtual QString addPhotos(const QStringList& paths) = 0;
};

// The hand-over to the document's dropper: nothing is added when the tray
// would hold more than 200 photos; a photo already there is skipped.
class CPicDropperHandOver : public CDropperHandOver
{
public:
    explicit CPicDropperHandOver(CPicDropper& dropper);
    QString addPhotos(const QStringList& paths) override;

private:
    CPicDropper& m_dropper;
};
