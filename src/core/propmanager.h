#pragma once
// The settings store: every user setting of the program, by name. Parts
// register the settings they need with a default and a description, read
// and write them by name; the store is loaded once at start-up, before
// anything registers, and saved by its users when it has changed. One
// instance per process, owned by the services; user-interface thread only.

#include "prop.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class CPropManager : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(CPropManager)

public:
    static constexpr quint16 kSchema = 1;

    enum class LoadResult { Loaded, NoFile, Unreadable };
    enum class SaveResult { Unchanged, Saved, Failed };

    CPropManager();
    ~CPropManager() override;
    CPropManager(const CPropManager&) = delete;
    CPropManager& operator=(const CPropManager&) = delete;

    // Returns the setting of that name if it exists, unchanged: a stored
    // value wins over the default, and description and flags stay as they
    // were. Otherwise creates it with the default, the default's type as
    // declared type and the given flags, and marks the store changed.
    const CProp* registerProp(const QString& name, const QString& description, bool flagBit0,
                              const CPropValue& defaultValue, bool persistent = true);

    // Names are compared without regard to case. Pointers stay valid until
    // the setting is removed or the store is loaded again.
    const CProp* find(const QString& name) const;
    // Nothing for an unknown name; readers then use 0, false or empty.
    std::optional<CPropValue> getValue(const QString& name) const;
    // Creates a missing setting (persistent, declared type from the value,
    // no description) so a value set is never silently dropped at the next
    // start. Marks the store changed.
    void setValue(const QString& name, const CPropValue& value);
    bool remove(const QString& name);

    // Lower-cased names in registration order (file order after a load).
    QStringList names() const;
    int count() const { return int(m_props.size()); }

    bool isChanged() const { return m_changed; }

    // Replaces the contents with the store saved at `path`, then drops every
    // setting that is not persistent. Any failure (no file, unreadable,
    // short, not a store image) leaves the store empty.
    LoadResult load(const QString& path);
    // Writes the store to `path` when it changed. The file is replaced
    // atomically: a failed save leaves the previous file as it was and the
    // store still marked changed.
    SaveResult save(const QString& path);
    // The image last read or written: exactly the bytes of the settings file.
    const QByteArray& savedImage() const { return m_savedImage; }

    // The store image: the store's record itself, as a project section
    // holds its owner's record: count, then pairs of (string key, CProp
    // through the class-tag scheme). Images of earlier builds, which put the
    // store's own class tag before the record, are read as well.
    QByteArray toImage() const;
    void serialize(CArchive& ar) override;

private:
    void writeRecord(CArchive& ar) const;
    CProp* findMutable(const QString& name) const;
    void insert(std::unique_ptr<CProp> prop);
    void clear();

    // Registration order is kept so the saved file is the same for the same
    // settings; the hash finds by lower-cased name.
    std::vector<std::unique_ptr<CProp>> m_props;
    QHash<QString, CProp*> m_byName;
    bool m_changed = false;
    QByteArray m_savedImage;
};
