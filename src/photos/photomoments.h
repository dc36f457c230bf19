#pragma once
// The Photo Moments of the collection, keyed by name (surrounding blanks
// trimmed). Stored in "Moments.DAT". Owned by the photo collection, which
// loads and saves them with its photos and learns of every change through
// the callback it gives.

#include "photopos.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

class CArchive;

class CPhotoMoments
{
public:
    explicit CPhotoMoments(std::function<void()> changed);

    // Each returns an empty key on success, else the catalogue key that
    // tells the user why not ("PhotoPosSelection", "PhotoPosNoName",
    // "PhotoPosExists", "PhotoPosRemoveNoName", "WrongPhotoPosName",
    // "PhotoPosRename"). "PhotoPosExists" is a question: on Yes, call again
    // with `replaceExisting`.
    QString add(const QString& name, const QStringList& photos, const COleDate& date, bool replaceExisting);
    QString remove(const QString& name);
    QString rename(const QString& oldName, const QString& newName, bool replaceExisting);

    const CPhotoPos* find(const QString& name) const;
    // In name order.
    QStringList names() const;
    // Forgets every moment; tells nobody.
    void clear() { m_moments.clear(); }

    // The map alone: a count, then each name with its moment's object
    // record. Loading replaces the moments only when the whole map was read.
    void serialize(CArchive& ar);

private:
    std::function<void()> m_changed;
    std::map<QString, std::unique_ptr<CPhotoPos>> m_moments;
};
