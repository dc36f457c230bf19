#include "dropperhandover.h"

#include "picdropper.h"

CPicDropperHandOver::CPicDropperHandOver(CPicDropper& dropper)
    : m_dropper(dropper)
{
}

QString CPicDropperHandOver::addPhotos(const QStringList& paths) { return m_dropper.AddPhotos(paths); }
