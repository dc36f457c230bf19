#include "photomoments.h"

namespace {

// The least an entry can take in the file: a one-byte string length and a
// two-byte object tag.
constexpr quint64 kMinEntryBytes = 3;

const QString kPhotoPosSelection = QStringLiteral("PhotoPosSelection");
const QString kPhotoPosNoName = QStringLiteral("PhotoPosNoName");
const QString kPhotoPosExists = QStringLiteral("PhotoPosExists");
const QString kPhotoPosRemoveNoName = QStringLiteral("PhotoPosRemoveNoName");
const QString kWrongPhotoPosName = QStringLiteral("WrongPhotoPosName");
const QString kPhotoPosRename = QStringLiteral("PhotoPosRename");

} // namespace

CPhotoMoments::CPhotoMoments(std::function<void()> changed)
    : m_changed(std::move(changed))
{
}

QString CPhotoMoments::add(const QString& name, const QStringList& photos, const COleDate& date, bool replaceExisting)
{
    if (photos.isEmpty())
        return kPhotoPosSelection;
    const QString key = name.trimmed();
    if (key.isEmpty())
        return kPhotoPosNoName;
    auto& moment = m_moments[key];
    if (moment && !replaceExisting)
        return kPhotoPosExists;
    moment = std::make_unique<CPhotoPos>(key, date, photos);
    m_changed();
    return {};
}

QString CPhotoMoments::remove(const QString& name)
{
    const QString key = name.trimmed();
    if (key.isEmpty())
        return kPhotoPosRemoveNoName;
    if (m_moments.erase(key) == 0)
        return kWrongPhotoPosName;
    m_changed();
    return {};
}

QString CPhotoMoments::rename(const QString& oldName, const QString& newName, bool replaceExisting)
{
    const QString oldKey = oldName.trimmed();
    const QString newKey = newName.trimmed();
    if (oldKey.isEmpty())
        return kPhotoPosRename;
    const auto it = m_moments.find(oldKey);
    if (it == m_moments.end())
        return kWrongPhotoPosName;
    if (newKey.isEmpty())
        return kPhotoPosNoName;
    if (newKey == oldKey)
        return {};
    if (m_moments.count(newKey) != 0 && !replaceExisting)
        return kPhotoPosExists;
    std::unique_ptr<CPhotoPos> moment = std::move(it->second);
    m_moments.erase(it);
    moment->setName(newKey);
    m_moments[newKey] = std::move(moment);
    m_changed();
    return {};
}

const CPhotoPos* CPhotoMoments::find(const QString& name) const
{
    const auto it = m_moments.find(name.trimmed());
    return it == m_moments.end() ? nullptr : it->second.get();
}

QStringList CPhotoMoments::names() const
{
    QStringList names;
    for (const auto& [name, moment] : m_moments)
        names.append(name);
    return names;
}

void CPhotoMoments::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        ar.writeCount(quint32(m_moments.size()));
        for (const auto& [name, moment] : m_moments) {
            ar.writeString(name);
            ar.writeObject(moment.get());
        }
        return;
    }
    // Read into a local map, so a damaged file leaves nothing half-loaded.
    std::map<QString, std::unique_ptr<CPhotoPos>> moments;
    const quint32 count = ar.readCount();
    ar.checkCount(count, kMinEntryBytes);
    for (quint32 i = 0; i < count; ++i) {
        // Names are looked up trimmed, as the editor stores them; one the
        // file holds otherwise could never be found again.
        QString name = ar.readString().trimmed();
        std::unique_ptr<CPhotoPos> moment = ar.readObject<CPhotoPos>();
        if (moment && !name.isEmpty())
            moments[std::move(name)] = std::move(moment);
    }
    m_moments = std::move(moments);
}
