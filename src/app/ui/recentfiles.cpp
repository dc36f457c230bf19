#include "recentfiles.h"

#include "propmanager.h"

#include <QFileInfo>

namespace {

constexpr QChar kSeparator = QLatin1Char('\n');
constexpr const char* kDescription = "Recently used collage projects";

QString canonical(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

CRecentFiles::CRecentFiles(CPropManager& store)
    : m_store(store)
{
    m_store.registerProp(QString::fromLatin1(kSettingName), QString::fromLatin1(kDescription), true,
                         CPropValue::string({}));
    const auto value = m_store.getValue(QString::fromLatin1(kSettingName));
    const QString text = value ? value->toString() : QString();
    for (const QString& path : text.split(kSeparator, Qt::SkipEmptyParts)) {
        if (!m_paths.contains(path) && m_paths.size() < kCapacity)
            m_paths << path;
    }
}

void CRecentFiles::add(const QString& path)
{
    if (path.isEmpty() || path.contains(kSeparator))
        return;
    const QString absolute = canonical(path);
    m_paths.removeAll(absolute);
    m_paths.prepend(absolute);
    while (m_paths.size() > kCapacity)
        m_paths.removeLast();
    store();
}

void CRecentFiles::remove(const QString& path)
{
    if (m_paths.removeAll(canonical(path)) > 0)
        store();
}

void CRecentFiles::store()
{
    m_store.setValue(QString::fromLatin1(kSettingName), CPropValue::string(m_paths.join(kSeparator)));
}
