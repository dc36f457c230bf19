#pragma once
// Shared by the document tests: a fresh set of services and a document in
// a temporary home, message boxes answered and recorded, and helpers to
// take a project file apart into sections and put it back together.

#include "archive.h"
#include "collagedoc.h"
#include "crc32.h"
#include "messagecatalogue.h"
#include "projectfile.h"
#include "services.h"
#include "testhome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

struct RawSection
{
    QString name;
    quint32 version = 1;
    QByteArray content;
};

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The sections of a whole project file, up to "Done".
inline std::vector<RawSection> parseSections(QByteArray bytes)
{
    std::vector<RawSection> sections;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::Mode::Load);
    while (auto header = ar.readSectionHeader())
        sections.push_back({header->name, header->version, ar.readRaw(header->length)});
    return sections;
}

// A project file of these sections, with "Done" and a correct trailer.
inline QByteArray buildFile(const std::vector<RawSection>& sections)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::Mode::Store);
        for (const RawSection& s : sections) {
            ar.beginSection(s.name, s.version);
            ar.writeRaw(s.content.constData(), s.content.size());
            ar.endSection();
        }
        ar.writeEndMarker();
    }
    char trailer[4];
    qToLittleEndian(Crc32::update(0, bytes.constData(), bytes.size()), trailer);
    return bytes + QByteArray(trailer, 4);
}

// Makes a folder unwritable even for root (immutable attribute), when the
// file system allows it; unlocks on destruction.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(path + "/.probe");
        if (!probe.open(QIODevice::WriteOnly)) {
            m_locked = true;
            return;
        }
        probe.close();
        probe.remove();
        m_immutable = QProcess::execute("chattr", {"+i", path}) == 0;
        m_locked = m_immutable;
    }
    ~ReadOnlyFolder() { unlock(); }
    bool locked() const { return m_locked; }
    void unlock()
    {
        if (m_immutable)
            QProcess::execute("chattr", {"-i", m_path});
        m_immutable = false;
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_locked = false;
    }

private:
    QString m_path;
    bool m_locked = false;
    bool m_immutable = false;
};

class DocumentFixture : public ::testing::Test
{
protected:
    void SetUp() override { start(); }
    void TearDown() override
    {
        doc.reset();
        services.reset();
    }

    void start()
    {
        services = std::make_unique<CServices>(home.configHome() + "/Settings.DAT", home.path() + "/photodb");
        services->catalogue().setMessageBox([this](const QString&, const QString& text, unsigned style) {
            shown << text;
            styles << style;
            return answer;
        });
        doc = std::make_unique<CCollageDoc>(services->docServices());
        doc->releaseUpdates();
    }
    // A new start of the program: fresh services and document, same home.
    void restart()
    {
        doc.reset();
        services.reset();
        shown.clear();
        styles.clear();
        start();
    }

    QString path(const QString& name) const { return home.path() + '/' + name; }

    // Saves through the document (no message expected) and returns the bytes.
    QByteArray saveAndRead(const QString& name)
    {
        EXPECT_EQ(doc->saveDocument(path(name)), CCollageDoc::SaveResult::Saved);
        return readFile(path(name));
    }

    TestHome home;
    std::unique_ptr<CServices> services;
    std::unique_ptr<CCollageDoc> doc;
    QStringList shown;
    QList<unsigned> styles;
    int answer = MsgButton::Ok;
};
