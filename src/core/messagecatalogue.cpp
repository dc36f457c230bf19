#include "messagecatalogue.h"

#include <QFile>
#include <QMutexLocker>
#include <QRegularExpression>

#include <cstdio>

CMessageCatalogue::CMessageCatalogue() = default;

CMessageCatalogue::CMessageCatalogue(const QByteArray& source)
    : m_fromResource(false)
    , m_source(source)
{
}

QHash<QString, QString> CMessageCatalogue::parse(const QByteArray& source)
{
    QString text = QString::fromUtf8(source);
    // The catalogue may have been saved with either line end; messages carry "\n".
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    // Cutting at either marker gives the text before the first block, then
    // block and inter-block pieces in turn. A stray marker therefore shifts
    // the pairing, just as the markers say, rather than being guessed at.
    static const QRegularExpression marker(QStringLiteral("\\{BEGIN\\}|\\{END\\}"));
    const QStringList pieces = text.split(marker);

    QHash<QString, QString> messages;
    for (qsizetype i = 1; i < pieces.size(); i += 2) {
        const QString& block = pieces.at(i);
        const qsizetype lineEnd = block.indexOf(QLatin1Char('\n'));
        const QString key = (lineEnd < 0 ? block : block.left(lineEnd)).trimmed().toLower();
        const QString message = lineEnd < 0 ? QString() : block.mid(lineEnd + 1).trimmed();
        messages.insert(key, message); // a later block with the same key wins
    }
    return messages;
}

void CMessageCatalogue::loadLocked()
{
    m_loaded = true;
    if (!m_fromResource) {
        m_messages = parse(m_source);
        m_source.clear();
        return;
    }
    QFile resource(QString::fromLatin1(kResourcePath));
    if (!resource.open(QIODevice::ReadOnly))
        return; // without the catalogue every text is empty, and boxes still work
    m_messages = parse(resource.readAll());
}

QString CMessageCatalogue::text(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        loadLocked();
    return m_messages[key.toLower()]; // enters a missing key with an empty text
}

QStringList CMessageCatalogue::keys()
{
    QMutexLocker lock(&m_mutex);
    if (!m_loaded)
        loadLocked();
    return m_messages.keys();
}

void CMessageCatalogue::setMessageBox(MessageBoxFn box)
{
    QMutexLocker lock(&m_mutex);
    m_box = std::move(box);
}

int CMessageCatalogue::show(const QString& key, unsigned style) { return showText(text(key), style); }

int CMessageCatalogue::showText(const QString& message, unsigned style)
{
    MessageBoxFn box;
    {
        QMutexLocker lock(&m_mutex);
        box = m_box; // called unlocked: a modal box runs an event loop that may ask for texts
    }
    const QString caption = QString::fromLatin1(kApplicationTitle);
    if (box)
        return box(caption, message, style);

    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), message.toUtf8().constData());
    return headlessAnswer(style);
}

int CMessageCatalogue::headlessAnswer(unsigned style)
{
    switch (style & MsgStyle::ButtonMask) {
    case MsgStyle::ButtonsOkCancel:
    case MsgStyle::ButtonsYesNoCancel:
        return MsgButton::Cancel;
    case MsgStyle::ButtonsYesNo:
        return MsgButton::No;
    default:
        return MsgButton::Ok;
    }
}
