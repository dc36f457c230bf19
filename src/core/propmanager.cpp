#include "propmanager.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

OMBRAVELLE_IMPLEMENT_SERIAL(CPropManager, CPropManager::kSchema)

namespace {

// A settings file is a few kilobytes; anything this large is not ours and
// is not worth reading into memory.
constexpr qint64 kMaxImageBytes = 64 * 1024 * 1024;

// Smallest pair in the record: a one-byte key length and a two-byte tag.
constexpr quint64 kMinPairBytes = 3;

// Earlier builds wrote the image as the store object, its class introduced
// first: the new-class tag, a schema word, then the class name.
constexpr quint16 kNewClassTag = 0xFFFF;
constexpr const char* kClassName = "CPropManager";

bool startsWithClassTag(const QByteArray& image)
{
    const QByteArray name(kClassName);
    if (image.size() < 6 + name.size())
        return false;
    const auto word = [&image](int at) { return quint16(quint8(image[at]) | quint8(image[at + 1]) << 8); };
    return word(0) == kNewClassTag && word(4) == name.size() && image.mid(6, name.size()) == name;
}

// A store record never holds another store. The archive builds and reads an
// object before it checks its class, so a crafted file that nests stores in
// place of settings would otherwise recurse until the stack runs out.
thread_local int t_storesBeingRead = 0;

class StoreReadGuard
{
public:
    StoreReadGuard()
    {
        if (t_storesBeingRead > 0)
            CArchive::fail("a settings store inside a settings store");
        ++t_storesBeingRead;
    }
    ~StoreReadGuard() { --t_storesBeingRead; }
    StoreReadGuard(const StoreReadGuard&) = delete;
    StoreReadGuard& operator=(const StoreReadGuard&) = delete;
};

} // namespace

CPropManager::CPropManager()
{
    CClassRegistry::add(CProp::classInfo);
    CClassRegistry::add(CPropManager::classInfo);
}

CPropManager::~CPropManager() = default;

const CProp* CPropManager::registerProp(const QString& name, const QString& description,
                                        bool flagBit0, const CPropValue& defaultValue,
                                        bool persistent)
{
    if (const CProp* existing = find(name))
        return existing;
    const quint32 flags = (flagBit0 ? CProp::kFlagBit0 : 0) | (persistent ? CProp::kFlagPersistent : 0);
    auto prop = std::make_unique<CProp>(name, description, defaultValue.type(), flags, defaultValue);
    const CProp* created = prop.get();
    insert(std::move(prop));
    m_changed = true;
    return created;
}

const CProp* CPropManager::find(const QString& name) const
{
    return findMutable(name);
}

CProp* CPropManager::findMutable(const QString& name) const
{
    return m_byName.value(CProp::keyFor(name), nullptr);
}

std::optional<CPropValue> CPropManager::getValue(const QString& name) const
{
    if (const CProp* prop = find(name))
        return prop->value();
    return std::nullopt;
}

void CPropManager::setValue(const QString& name, const CPropValue& value)
{
    if (CProp* prop = findMutable(name))
        prop->setValue(value);
    else
        insert(std::make_unique<CProp>(name, QString(), value.type(), CProp::kFlagPersistent, value));
    m_changed = true;
}

bool CPropManager::remove(const QString& name)
{
    CProp* prop = findMutable(name);
    if (!prop)
        return false;
    m_byName.remove(prop->name());
    std::erase_if(m_props, [prop](const std::unique_ptr<CProp>& p) { return p.get() == prop; });
    m_changed = true;
    return true;
}

QStringList CPropManager::names() const
{
    QStringList result;
    result.reserve(count());
    for (const auto& prop : m_props)
        result.append(prop->name());
    return result;
}

void CPropManager::insert(std::unique_ptr<CProp> prop)
{
    // A second record of the same name replaces the first.
    if (CProp* old = m_byName.value(prop->name(), nullptr))
        std::erase_if(m_props, [old](const std::unique_ptr<CProp>& p) { return p.get() == old; });
    m_byName.insert(prop->name(), prop.get());
    m_props.push_back(std::move(prop));
}

void CPropManager::clear()
{
    m_byName.clear();
    m_props.clear();
}

CPropManager::LoadResult CPropManager::load(const QString& path)
{
    clear();
    m_changed = false;
    m_savedImage.clear();

    QFile file(path);
    if (!file.exists())
        return LoadResult::NoFile;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxImageBytes)
        return LoadResult::Unreadable;
    QByteArray image = file.readAll();
    if (image.size() != file.size())
        return LoadResult::Unreadable;

    QBuffer buffer(&image);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<CPropManager> loaded;
    try {
        CArchive ar(&buffer, CArchive::Mode::Load);
        if (startsWithClassTag(image)) {
            loaded = ar.readObject<CPropManager>();
        } else {
            loaded = std::make_unique<CPropManager>();
            loaded->serialize(ar);
        }
        if (!loaded)
            CArchive::fail("the settings image holds no store");
        if (ar.remaining() != 0)
            CArchive::fail("bytes after the settings store");
    } catch (const std::exception&) { // CArchiveError, or no memory for a corrupt length
        return LoadResult::Unreadable;
    }

    m_props = std::move(loaded->m_props);
    m_byName = std::move(loaded->m_byName);
    for (const QString& name : names()) {
        if (!find(name)->isPersistent())
            remove(name);
    }
    m_changed = false;
    m_savedImage = image;
    return LoadResult::Loaded;
}

QByteArray CPropManager::toImage() const
{
    QByteArray image;
    QBuffer buffer(&image);
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::Mode::Store);
        writeRecord(ar);
        ar.flush();
    }
    return image;
}

CPropManager::SaveResult CPropManager::save(const QString& path)
{
    if (!m_changed)
        return SaveResult::Unchanged;

    QByteArray image;
    try {
        image = toImage();
    } catch (const std::exception&) {
        return SaveResult::Failed;
    }

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    // QSaveFile::commit does not notice a failed flush of its write buffer
    // and would put a cut-short file in place: flush first, commit only then.
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.flush() || !file.commit())
        return SaveResult::Failed;

    m_savedImage = image;
    m_changed = false;
    return SaveResult::Saved;
}

void CPropManager::writeRecord(CArchive& ar) const
{
    ar.writeCount(static_cast<quint32>(m_props.size()));
    for (const auto& prop : m_props) {
        ar.writeString(prop->name());
        ar.writeObject(prop.get());
    }
}

void CPropManager::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        writeRecord(ar);
        return;
    }

    const StoreReadGuard guard;
    clear();
    const quint32 pairs = ar.readCount();
    ar.checkCount(pairs, kMinPairBytes);
    // A second record of a name replaces the first, but the first lives on
    // until the whole store is read: a later record may name it by its
    // object index, and the archive must find an object there.
    std::vector<std::unique_ptr<CProp>> replaced;
    for (quint32 i = 0; i < pairs; ++i) {
        const QString key = ar.readString();
        std::unique_ptr<CProp> prop = ar.readObject<CProp>();
        if (!prop)
            CArchive::fail("a setting without a record");
        // The key is what lookups use; the record's own name follows it.
        prop->setName(key);
        if (CProp* old = m_byName.value(prop->name(), nullptr)) {
            const auto it = std::find_if(m_props.begin(), m_props.end(),
                                         [old](const std::unique_ptr<CProp>& p) { return p.get() == old; });
            replaced.push_back(std::move(*it));
            m_props.erase(it);
            m_byName.remove(prop->name());
        }
        insert(std::move(prop));
    }
}
