// The settings store: value streams and records byte for byte, registration
// rules, real restarts through the settings file, damaged files, failed
// saves, the document's settings table and the typed bindings.

#include "archive.h"
#include "datapaths.h"
#include "documentsettings.h"
#include "prop.h"
#include "propbinding.h"
#include "propmanager.h"
#include "testhome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <limits>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QByteArray bytesFromHex(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray storeObject(const CSerializable& object)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::Mode::Store);
        ar.writeObject(&object);
    }
    return bytes;
}

CPropValue valueOf(const CPropManager& store, const QString& name)
{
    const auto value = store.getValue(name);
    EXPECT_TRUE(value.has_value()) << name.toStdString();
    return value.value_or(CPropValue());
}

// Makes a folder unwritable for the test's lifetime. Permission bits do not
// stop root, so where they are not enough the folder is also made immutable.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (isWritable())
            m_immutable = setImmutable(true);
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            setImmutable(false);
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner);
    }
    bool isWritable() const
    {
        QFile probe(m_path + "/probe");
        if (!probe.open(QIODevice::WriteOnly))
            return false;
        probe.remove();
        return true;
    }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QString m_path;
    bool m_immutable = false;
};

class SettingsStore : public ::testing::Test
{
protected:
    QString settingsPath() const { return DataPaths::settingsFile(); }

    // One run of the program as far as the store is concerned: load, let the
    // document register, save.
    CPropManager::SaveResult runProgramOnce(qint32* timesRun)
    {
        CPropManager store;
        store.load(settingsPath());
        registerDocumentSettings(store);
        *timesRun = valueOf(store, "TimesRun").toInt();
        return store.save(settingsPath());
    }

    TestHome m_home;
};

} // namespace

// --- Value streams ---------------------------------------------------------

TEST(PropValueStream, EachTypeIsWrittenAsHandComputedBytesAndReadBack)
{
    const struct {
        CPropValue value;
        const char* stream;
    } cases[] = {
        {CPropValue(), "0000"},
        {CPropValue::missing(), "0a00"},
        {CPropValue::i16(-2), "0200 feff"},
        {CPropValue::i32(300), "0300 2c010000"},
        {CPropValue::f32(0.05f), "0400 cdcc4c3d"},
        {CPropValue::string(QString::fromUtf8("A\u00e9")), "0800 04000000 4100 e900"},
        {CPropValue::string(QString()), "0800 00000000"},
        {CPropValue::boolean(true), "0b00 ffff"},
        {CPropValue::boolean(false), "0b00 0000"},
        {CPropValue::byte(234), "1100 ea"},
        {CPropValue::bytes(QByteArray("\x01\x00\xff", 3)), "1120 03000000 00000000 0100ff"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        EXPECT_EQ(c.value.toStream().toHex(' '), bytesFromHex(c.stream).toHex(' '));
        const CPropValue back = CPropValue::fromStream(bytesFromHex(c.stream));
        EXPECT_FALSE(back.isOpaque());
        EXPECT_EQ(back, c.value);
    }
}

TEST(PropValueStream, UnknownOrMalformedStreamsAreKeptByteForByte)
{
    const char* streams[] = {
        "0500 000000000000f03f",        // a double: a type this build does not know
        "0c00 0300 0000 2a000000",      // a nested variant
        "0300 2c01",                    // i32 cut short
        "0200 0100 ff",                 // i16 with a byte too many
        "0800 03000000 410042",         // odd string byte length
        "0800 08000000 4100",           // string longer than the stream
        "1120 02000000 01000000 0102",  // byte array with lower bound 1
        "1120 05000000 00000000 0102",  // byte array shorter than its count
        "03",                           // not even a type word
        "",                             // nothing at all
    };
    for (const char* hex : streams) {
        SCOPED_TRACE(hex);
        const CPropValue value = CPropValue::fromStream(bytesFromHex(hex));
        EXPECT_TRUE(value.isOpaque());
        EXPECT_EQ(value.toStream(), bytesFromHex(hex));
        EXPECT_EQ(value.toInt(), 0);
        EXPECT_FALSE(value.toBool());
        EXPECT_TRUE(value.toString().isEmpty());
    }
    EXPECT_EQ(CPropValue::fromStream(bytesFromHex("0500 000000000000f03f")).type(), 5);
}

TEST(PropValue, ReadersConvertBetweenNumbersAndSaturate)
{
    EXPECT_EQ(CPropValue::f32(2.6f).toInt(), 3);
    EXPECT_EQ(CPropValue::f32(1e20f).toInt(), std::numeric_limits<qint32>::max());
    EXPECT_EQ(CPropValue::boolean(true).toInt(), -1);
    EXPECT_EQ(CPropValue::boolean(true).toByte(), 255);
    EXPECT_EQ(CPropValue::i32(300).toByte(), 255);
    EXPECT_EQ(CPropValue::i32(-5).toByte(), 0);
    EXPECT_FLOAT_EQ(CPropValue::i16(-7).toFloat(), -7.0f);
    EXPECT_TRUE(CPropValue::byte(1).toBool());
    EXPECT_EQ(CPropValue::string("12").toInt(), 0);
    EXPECT_TRUE(CPropValue::i32(12).toString().isEmpty());
}

TEST(PropValue, BooleansReadFromAStreamAreNormalisedToAllBitsSet)
{
    const CPropValue value = CPropValue::fromStream(bytesFromHex("0b00 0100"));
    EXPECT_TRUE(value.toBool());
    EXPECT_EQ(value, CPropValue::boolean(true));
}

// --- Records ---------------------------------------------------------------

TEST(PropRecord, MatchesHandComputedBytes)
{
    const CProp prop("Tip::Splitter", "Ab", PropType::kBool, CProp::kFlagBit0 | CProp::kFlagPersistent,
                     CPropValue::boolean(true));
    const QByteArray expected = bytesFromHex(
        "ffff 0100 0500 4350726f70"                                                   // new class CProp, schema 1
        "fffeff 0d 7400 6900 7000 3a00 3a00 7300 7000 6c00 6900 7400 7400 6500 7200" // "tip::splitter"
        "fffeff 02 4100 6200"                                                         // "Ab"
        "0b00"                                                                        // declared type bool
        "03000000"                                                                    // flags
        "04000000 0b00 ffff");                                                        // value blob
    EXPECT_EQ(storeObject(prop).toHex(' '), expected.toHex(' '));

    CPropManager registersClasses;
    QByteArray bytes = expected;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::Mode::Load);
    const std::unique_ptr<CProp> back = ar.readObject<CProp>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name(), "tip::splitter");
    EXPECT_EQ(back->description(), "Ab");
    EXPECT_EQ(back->declaredType(), PropType::kBool);
    EXPECT_EQ(back->flags(), 3u);
    EXPECT_EQ(back->value(), CPropValue::boolean(true));
}

// The image of a store holding "GridWidth" (f32 1.0, "G", flags 3) and "b"
// (i16 7, persistent only): the store's record, as this build writes it, or
// with the store's own class tag first, as earlier builds wrote it.
QByteArray handComputedImage(bool withStoreClassTag)
{
    // Classes and objects share one index counter: with the store's class
    // and the store itself first, CProp is class 3, else class 1.
    QByteArray image = withStoreClassTag ? bytesFromHex("ffff 0100 0c00") + QByteArray("CPropManager") : QByteArray();
    image += bytesFromHex("0200"); // two pairs
    const QByteArray gridWidth = bytesFromHex("fffeff 09 6700 7200 6900 6400 7700 6900 6400 7400 6800");
    image += gridWidth;                                            // key
    image += bytesFromHex("ffff 0100 0500") + QByteArray("CProp"); // new class CProp, schema 1
    image += gridWidth + bytesFromHex("fffeff 01 4700");           // name, description
    image += bytesFromHex("0400 03000000 06000000 0400 0000803f"); // f32, flags 3, blob
    image += bytesFromHex("fffeff 01 6200");                       // key "b"
    image += bytesFromHex(withStoreClassTag ? "0380" : "0180");    // CProp again, by its class index
    image += bytesFromHex("fffeff 01 6200 fffeff 00");             // name, empty description
    image += bytesFromHex("0200 02000000 04000000 0200 0700");     // i16, persistent only, blob
    return image;
}

TEST_F(SettingsStore, SavedFileIsTheStoresRecordItself)
{
    CPropManager store;
    store.registerProp("GridWidth", "G", true, CPropValue::f32(1.0f));
    store.registerProp("b", "", false, CPropValue::i16(7));
    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);

    const QByteArray image = handComputedImage(false);
    EXPECT_EQ(readFile(settingsPath()).toHex(' '), image.toHex(' '));
    EXPECT_EQ(store.savedImage(), image);
}

TEST_F(SettingsStore, BothFormsOfTheImageAreRead)
{
    for (const bool withStoreClassTag : {false, true}) {
        SCOPED_TRACE(withStoreClassTag ? "class tag first" : "record only");
        writeFile(settingsPath(), handComputedImage(withStoreClassTag));
        CPropManager store;
        ASSERT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Loaded);
        EXPECT_EQ(store.names(), QStringList({"gridwidth", "b"}));
        EXPECT_EQ(valueOf(store, "GridWidth"), CPropValue::f32(1.0f));
        EXPECT_EQ(store.find("GridWidth")->description(), "G");
        EXPECT_EQ(valueOf(store, "b"), CPropValue::i16(7));
        EXPECT_EQ(store.savedImage(), handComputedImage(withStoreClassTag));
    }
}

// --- Round trips through the file --------------------------------------------

TEST_F(SettingsStore, EveryValueTypeSurvivesARestartByteForByte)
{
    const QString text = QString::fromUtf8("Gr\u00fc\u00dfe aus K\u00f6ln, \u5199\u771f \U0001F600");
    const QByteArray blob("\x00\x01\xfe\xff", 4);
    const QByteArray unknown = bytesFromHex("0500 000000000000f03f");
    {
        CPropManager store;
        EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::NoFile);
        store.registerProp("Short", "i16", true, CPropValue::i16(-32768));
        store.registerProp("Long", "i32", true, CPropValue::i32(-123456789));
        store.registerProp("Float", "f32", false, CPropValue::f32(-0.0f));
        store.registerProp("Text", text, true, CPropValue::string(text));
        store.registerProp("Flag", "bool", true, CPropValue::boolean(true));
        store.registerProp("Colour", "byte", true, CPropValue::byte(216));
        store.registerProp("Blob", "bytes", true, CPropValue::bytes(blob));
        store.registerProp("Nothing", "missing", false, CPropValue::missing());
        store.setValue("FromNewerBuild", CPropValue::fromStream(unknown));
        ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    }
    const QByteArray firstImage = readFile(settingsPath());

    CPropManager store;
    ASSERT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Loaded);
    EXPECT_FALSE(store.isChanged());
    EXPECT_EQ(store.names(), QStringList({"short", "long", "float", "text", "flag", "colour", "blob",
                                          "nothing", "fromnewerbuild"}));
    EXPECT_EQ(valueOf(store, "Short"), CPropValue::i16(-32768));
    EXPECT_EQ(valueOf(store, "Long"), CPropValue::i32(-123456789));
    EXPECT_EQ(valueOf(store, "Float"), CPropValue::f32(-0.0f));
    EXPECT_EQ(valueOf(store, "Text").toString(), text);
    EXPECT_EQ(valueOf(store, "Flag"), CPropValue::boolean(true));
    EXPECT_EQ(valueOf(store, "Colour"), CPropValue::byte(216));
    EXPECT_EQ(valueOf(store, "Blob").toBytes(), blob);
    EXPECT_EQ(valueOf(store, "Nothing").type(), PropType::kMissing);
    EXPECT_EQ(valueOf(store, "FromNewerBuild").toStream(), unknown);

    const CProp* textProp = store.find("text");
    ASSERT_TRUE(textProp);
    EXPECT_EQ(textProp->description(), text);
    EXPECT_EQ(textProp->declaredType(), PropType::kString);
    EXPECT_EQ(textProp->flags(), CProp::kFlagBit0 | CProp::kFlagPersistent);
    EXPECT_EQ(store.find("float")->flags(), CProp::kFlagPersistent);

    // Nothing changed, so nothing is written; the image it would write is the file.
    EXPECT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Unchanged);
    EXPECT_EQ(store.toImage(), firstImage);
    EXPECT_EQ(store.savedImage(), firstImage);
}

// --- Registration rules ------------------------------------------------------

TEST_F(SettingsStore, RegisteringTwiceKeepsTheFirstValueDescriptionAndFlags)
{
    CPropManager store;
    const CProp* first = store.registerProp("GridWidth", "first", true, CPropValue::f32(1.0f));
    const CProp* second = store.registerProp("GridWidth", "second", false, CPropValue::f32(4.0f), false);
    EXPECT_EQ(first, second);
    EXPECT_EQ(valueOf(store, "GridWidth"), CPropValue::f32(1.0f));
    EXPECT_EQ(second->description(), "first");
    EXPECT_EQ(second->flags(), CProp::kFlagBit0 | CProp::kFlagPersistent);
    EXPECT_EQ(store.count(), 1);
}

TEST_F(SettingsStore, NamesInAnyCaseAreOneSetting)
{
    CPropManager store;
    store.registerProp("TIP::SPLITTER", "", true, CPropValue::boolean(true));
    store.registerProp("tip::splitter", "", true, CPropValue::boolean(false));
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(store.names(), QStringList({"tip::splitter"}));
    EXPECT_EQ(store.find("Tip::Splitter"), store.find("TIP::SPLITTER"));

    store.setValue("Tip::Splitter", CPropValue::boolean(false));
    EXPECT_FALSE(valueOf(store, "TIP::SPLITTER").toBool());
    EXPECT_EQ(store.count(), 1);

    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    CPropManager reloaded;
    reloaded.load(settingsPath());
    EXPECT_FALSE(valueOf(reloaded, "tip::splitter").toBool());
    EXPECT_TRUE(reloaded.remove("TIP::Splitter"));
    EXPECT_EQ(reloaded.count(), 0);
}

TEST_F(SettingsStore, ChangedMarkFollowsCreationSettingRemovalAndSaving)
{
    CPropManager store;
    EXPECT_FALSE(store.isChanged());
    EXPECT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Unchanged);
    EXPECT_FALSE(QFile::exists(settingsPath()));

    store.registerProp("A", "", true, CPropValue::i32(1));
    EXPECT_TRUE(store.isChanged());
    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    EXPECT_FALSE(store.isChanged());

    store.registerProp("A", "", true, CPropValue::i32(2));
    EXPECT_FALSE(store.isChanged());

    store.setValue("A", CPropValue::i32(3));
    EXPECT_TRUE(store.isChanged());
    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);

    store.remove("A");
    EXPECT_TRUE(store.isChanged());
}

TEST_F(SettingsStore, NonPersistentSettingIsGoneAfterARestartUntilRegisteredAgain)
{
    {
        CPropManager store;
        store.registerProp("Scratch", "", true, CPropValue::i32(5), /*persistent=*/false);
        store.registerProp("Kept", "", true, CPropValue::i32(5));
        store.setValue("Scratch", CPropValue::i32(9));
        store.setValue("Kept", CPropValue::i32(9));
        ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    }
    CPropManager store;
    ASSERT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Loaded);
    EXPECT_EQ(store.find("Scratch"), nullptr);
    EXPECT_EQ(valueOf(store, "Kept").toInt(), 9);

    store.registerProp("Scratch", "", true, CPropValue::i32(5), false);
    EXPECT_EQ(valueOf(store, "Scratch").toInt(), 5);
}

// --- Start counter and the document's table ----------------------------------

TEST_F(SettingsStore, TimesRunCountsRealRestarts)
{
    qint32 timesRun = 0;
    ASSERT_EQ(runProgramOnce(&timesRun), CPropManager::SaveResult::Saved);
    EXPECT_EQ(timesRun, 1);
    ASSERT_EQ(runProgramOnce(&timesRun), CPropManager::SaveResult::Saved);
    EXPECT_EQ(timesRun, 2);
    ASSERT_EQ(runProgramOnce(&timesRun), CPropManager::SaveResult::Saved);
    EXPECT_EQ(timesRun, 3);

    CPropManager store;
    store.load(settingsPath());
    EXPECT_EQ(valueOf(store, "timesrun"), CPropValue::i32(3));
}

TEST_F(SettingsStore, TimesRunStopsAtItsLimitInsteadOfWrapping)
{
    CPropManager store;
    store.setValue("TimesRun", CPropValue::i32(std::numeric_limits<qint32>::max()));
    EXPECT_EQ(countProgramStart(store), std::numeric_limits<qint32>::max());
}

// --- Damaged files -------------------------------------------------------------

TEST_F(SettingsStore, EveryTruncationOfTheFileLeavesTheStoreEmpty)
{
    qint32 timesRun = 0;
    ASSERT_EQ(runProgramOnce(&timesRun), CPropManager::SaveResult::Saved);
    const QByteArray image = readFile(settingsPath());
    ASSERT_GT(image.size(), 100);

    // Fresh files rather than one rewritten file: rewriting a file in place
    // makes some file systems flush it to disk on every close.
    for (qsizetype length = 0; length < image.size(); ++length) {
        const QString cut = m_home.path() + QString("/cut-%1.DAT").arg(length);
        writeFile(cut, image.left(length));
        CPropManager store;
        ASSERT_EQ(store.load(cut), CPropManager::LoadResult::Unreadable) << length;
        ASSERT_EQ(store.count(), 0) << length;
    }

    writeFile(settingsPath(), image.left(image.size() / 2));
    CPropManager store;
    store.load(settingsPath());
    registerDocumentSettings(store);
    EXPECT_EQ(valueOf(store, "TimesRun").toInt(), 1);
    EXPECT_EQ(valueOf(store, "CanvasR").toByte(), 234);
}

TEST_F(SettingsStore, RandomBytesLeaveTheStoreEmptyAndRegistrationGivesDefaults)
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(random.bounded(1, 4096), Qt::Uninitialized);
        for (char& c : noise)
            c = static_cast<char>(random.bounded(256));
        const QString path = m_home.path() + QString("/noise-%1.DAT").arg(round);
        writeFile(path, noise);
        CPropManager store;
        ASSERT_NE(store.load(path), CPropManager::LoadResult::Loaded) << round;
        ASSERT_EQ(store.count(), 0) << round;
    }
    writeFile(settingsPath(), QByteArray("\xff\xff\x01\x00\x0c\x00CPropManager\x05", 19));
    CPropManager store;
    EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Unreadable);
    store.registerProp("GridWidth", "", true, CPropValue::f32(1.0f));
    EXPECT_EQ(valueOf(store, "GridWidth"), CPropValue::f32(1.0f));
}

// Found by fuzzing: a second record of a name replaced the first, and a
// later record naming the first by its object index reached freed memory.
TEST_F(SettingsStore, ARecordNamingAReplacedSettingByItsIndexIsRefused)
{
    CPropManager store;
    store.registerProp("A", "", true, CPropValue::i32(1));
    store.registerProp("B", "", true, CPropValue::i32(2));
    QByteArray image = store.toImage();
    // The image is the store's record itself: class CProp is index 1, "A" 2.
    constexpr int kCountAt = 0;
    ASSERT_EQ(qFromLittleEndian<quint16>(image.constData() + kCountAt), 2);
    const qsizetype recordA = image.indexOf("CProp", kCountAt) + 5;
    const qsizetype keyB = image.indexOf(QByteArray("\xff\xfe\xff\x01" "b" "\0", 6), recordA);
    ASSERT_GT(keyB, recordA);

    QByteArray more;
    {
        QBuffer buffer(&more);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        ar.writeString("a"); // "a" again, a new record: replaces the first
        ar.writeU16(0x8001);
        ar.writeRaw(image.constData() + recordA, keyB - recordA);
        ar.writeString("z"); // names the first "a" by its index
        ar.writeU16(2);
    }
    qToLittleEndian<quint16>(4, image.data() + kCountAt);
    writeFile(settingsPath(), image + more);
    EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Unreadable);
    EXPECT_EQ(store.count(), 0);
}

TEST_F(SettingsStore, AValidImageFollowedByMoreBytesIsNotAccepted)
{
    CPropManager store;
    store.registerProp("A", "", true, CPropValue::i32(1));
    writeFile(settingsPath(), store.toImage() + QByteArray(1, '\0'));
    EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Unreadable);
    EXPECT_EQ(store.count(), 0);
}

TEST_F(SettingsStore, StoresNestedInPlaceOfSettingsAreRefusedWithoutExhaustingTheStack)
{
    // Each level claims one pair whose record is another store (class 1).
    const QByteArray level = bytesFromHex("0100 fffeff00 0180");
    QByteArray image = bytesFromHex("ffff 0100 0c00") + QByteArray("CPropManager");
    image += level.left(level.size() - 2);
    image += bytesFromHex("ffff 0100 0c00") + QByteArray("CPropManager");
    for (int i = 0; i < 200000; ++i)
        image += level;
    writeFile(settingsPath(), image);

    CPropManager store;
    EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Unreadable);
    EXPECT_EQ(store.count(), 0);
}

TEST_F(SettingsStore, AFolderWhereTheFileShouldBeIsUnreadable)
{
    QDir().mkpath(settingsPath());
    CPropManager store;
    EXPECT_EQ(store.load(settingsPath()), CPropManager::LoadResult::Unreadable);
    EXPECT_EQ(store.count(), 0);
}

// --- Failed saves ----------------------------------------------------------------

TEST_F(SettingsStore, FailedSaveKeepsTheOldFileAndReportsFailure)
{
    CPropManager store;
    store.registerProp("GridWidth", "", true, CPropValue::f32(1.0f));
    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    const QByteArray oldImage = readFile(settingsPath());

    store.setValue("GridWidth", CPropValue::f32(2.0f));
    {
        const UnwritableFolder folder(DataPaths::configFolder());
        if (folder.isWritable())
            GTEST_SKIP() << "cannot make a folder unwritable here";
        EXPECT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Failed);
        EXPECT_EQ(readFile(settingsPath()), oldImage);
        EXPECT_EQ(QDir(DataPaths::configFolder()).entryList(QDir::Files), QStringList({"Settings.DAT"}));
        EXPECT_TRUE(store.isChanged());
        EXPECT_EQ(store.savedImage(), oldImage);
    }
    EXPECT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);
    CPropManager reloaded;
    reloaded.load(settingsPath());
    EXPECT_EQ(valueOf(reloaded, "GridWidth"), CPropValue::f32(2.0f));
}

// --- Typed bindings ----------------------------------------------------------------

TEST_F(SettingsStore, BindingsRegisterTheirSettingAndCacheItsValue)
{
    CPropManager store;
    store.setValue("CanvasR", CPropValue::byte(10));

    const CByteProp canvasR(store, "CanvasR", "Red value of Canvas color", 234);
    EXPECT_EQ(canvasR.get(), 10); // the stored value wins over the default

    const CFloatProp gridWidth(store, "GridWidth", "Horizontal grid marker spacing", 1.0f);
    EXPECT_FLOAT_EQ(gridWidth.get(), 1.0f);
    const CProp* prop = store.find("gridwidth");
    ASSERT_TRUE(prop);
    EXPECT_EQ(prop->declaredType(), PropType::kF32);
    EXPECT_EQ(prop->description(), "Horizontal grid marker spacing");

    const CIntProp dpi(store, "RenderDpi", "", 96, /*flagBit0=*/false, /*persistent=*/false);
    EXPECT_EQ(dpi.get(), 96);
    EXPECT_EQ(store.find("renderdpi")->flags(), 0u);
}

TEST_F(SettingsStore, SettingThroughABindingWritesTheStoreAndTheCache)
{
    CPropManager store;
    CBoolProp helpTips(store, "HelpTipsOn", "", true);
    CStringProp prevCanvas(store, "PrevCanvas", "", QString(), false);
    CIntProp quality(store, "PreviewQuality", "", 1);
    ASSERT_EQ(store.save(settingsPath()), CPropManager::SaveResult::Saved);

    helpTips.set(false);
    prevCanvas.set(QString::fromUtf8("Poster 20\u00d730"));
    quality.set(2);
    EXPECT_FALSE(helpTips.get());
    EXPECT_EQ(valueOf(store, "helptipson"), CPropValue::boolean(false));
    EXPECT_EQ(valueOf(store, "prevcanvas").toString(), QString::fromUtf8("Poster 20\u00d730"));
    EXPECT_EQ(valueOf(store, "previewquality"), CPropValue::i32(2));
    EXPECT_TRUE(store.isChanged());
}

TEST_F(SettingsStore, ABindingSeesWritesByNameOnlyAfterARefresh)
{
    CPropManager store;
    CFloatProp gridWidth(store, "GridWidth", "", 1.0f);
    store.setValue("GRIDWIDTH", CPropValue::f32(3.0f));
    EXPECT_FLOAT_EQ(gridWidth.get(), 1.0f);
    EXPECT_FLOAT_EQ(gridWidth.refresh(), 3.0f);

    store.remove("GridWidth");
    EXPECT_FLOAT_EQ(gridWidth.refresh(), 0.0f);
}

TEST_F(SettingsStore, ABindingReadsAValueStoredAsAnotherNumberType)
{
    CPropManager store;
    registerDocumentSettings(store); // WheelRev is a 16-bit integer
    store.setValue("WheelRev", CPropValue::i16(1));
    const CIntProp wheelRev(store, "WheelRev", "", 0);
    EXPECT_EQ(wheelRev.get(), 1);
    EXPECT_EQ(store.find("wheelrev")->declaredType(), PropType::kI16);
}
