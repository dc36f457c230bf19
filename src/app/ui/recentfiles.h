#pragma once
// The File menu's list of recently used projects: newest first, each path
// once, at most kCapacity entries. Kept in the settings store as one string
// setting, one path per line, so it travels with the user's other settings.

#include <QString>
#include <QStringList>

class CPropManager;

class CRecentFiles
{
public:
    static constexpr int kCapacity = 14;
    static constexpr const char* kSettingName = "RecentFiles";

    // Reads the list from the store (registering the setting if missing).
    explicit CRecentFiles(CPropManager& store);

    const QStringList& paths() const { return m_paths; }
    // Puts the path (made absolute) at the top; an older entry of the same
    // file moves up instead of appearing twice; the oldest entry beyond the
    // capacity falls off. A path with a line break cannot be stored and is
    // ignored.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store();

    CPropManager& m_store;
    QStringList m_paths;
};
