#include "mailmessage.h"

#include "mailaddress.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QMimeDatabase>
#include <QRandomGenerator>

#include <ctime>

namespace {

// Milliseconds since the system started, as the boundary's first number.
quint32 tickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return quint32(quint64(now.tv_sec) * 1000u + quint64(now.tv_nsec) / 1000000u);
}

} // namespace

bool CDeviceMailSink::write(const QByteArray& bytes)
{
    return m_device.write(bytes) == bytes.size();
}

// ---------------------------------------------------------------------------

bool CMailHtmlPart::write(CMailSink& sink, const QByteArray& opening, unsigned flags) const
{
    const QByteArray header = opening + "\r\nContent-Type: text/html;\r\n\tcharset=\"" + kCharset
        + "\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
    if (!sink.write(header))
        return false;
    const QByteArray body = MailEncode::quotedPrintableText(m_text, flags);
    for (qsizetype at = 0; at < body.size(); at += kWriteBlock) {
        if (!sink.write(body.mid(at, kWriteBlock)))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

CMailAttachment::CMailAttachment(const QString& displayName, const QByteArray& contentType, MailEncoding encoding)
    : m_displayName(displayName)
    , m_contentType(contentType)
    , m_encoding(encoding)
{
}

bool CMailAttachment::isValidDisplayName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char('"') || c == QLatin1Char('\\')
            || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return false;
    }
    return true;
}

bool CMailAttachment::writeEncoded(CMailSink& sink, const QByteArray& opening, unsigned flags, qint64 totalSize,
                                   const ChunkReader& next) const
{
    const char* word = MailEncode::encodingWord(m_encoding);
    if (!word)
        return false;
    const QByteArray name = m_displayName.toLatin1();
    if (m_encoding == MailEncoding::UUEncode && m_displayName.size() >= kMaxUuencodeName)
        return false;
    const QByteArray header = opening + "\r\nContent-Type: " + m_contentType + ";\r\n\tname=\"" + name
        + "\"\r\nContent-Transfer-Encoding: " + word + "\r\nContent-ID: <" + name + ">\r\n\r\n";
    if (!sink.write(header))
        return false;
    if (m_encoding == MailEncoding::UUEncode && !sink.write(MailEncode::uuencodeBegin(name)))
        return false;
    qint64 done = 0;
    bool wroteLast = false;
    while (true) {
        const std::optional<QByteArray> chunk = next();
        if (!chunk)
            return false;
        if (chunk->isEmpty())
            break;
        done += chunk->size();
        const bool last = done >= totalSize;
        QByteArray encoded;
        switch (m_encoding) {
        case MailEncoding::Base64: encoded = MailEncode::base64Chunk(*chunk); break;
        case MailEncoding::UUEncode: encoded = MailEncode::uuencodeChunk(*chunk, flags); break;
        case MailEncoding::QuotedPrintable: encoded = MailEncode::quotedPrintableChunk(*chunk, last, flags); break;
        }
        if (!sink.write(encoded))
            return false;
        wroteLast = last;
        if (last)
            break;
    }
    // An empty quoted-printable body still ends with its soft break.
    if (m_encoding == MailEncoding::QuotedPrintable && !wroteLast && !sink.write("="))
        return false;
    if (m_encoding == MailEncoding::UUEncode && !sink.write(MailEncode::uuencodeEnd()))
        return false;
    return true;
}

CMailFileAttachment::CMailFileAttachment(const QString& path, const QString& displayName,
                                         const QByteArray& contentType, MailEncoding encoding)
    : CMailAttachment(displayName, contentType, encoding)
    , m_path(path)
{
}

bool CMailFileAttachment::write(CMailSink& sink, const QByteArray& opening, unsigned flags) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const int chunk = MailEncode::chunkSize(encoding());
    const qint64 size = file.size();
    return writeEncoded(sink, opening, flags, size, [&]() -> std::optional<QByteArray> {
        QByteArray bytes(chunk, Qt::Uninitialized);
        qint64 filled = 0;
        // A short read is not the end of the file: fill the chunk.
        while (filled < chunk) {
            const qint64 got = file.read(bytes.data() + filled, chunk - filled);
            if (got < 0)
                return std::nullopt;
            if (got == 0)
                break;
            filled += got;
        }
        bytes.truncate(filled);
        return bytes;
    });
}

CMailDataAttachment::CMailDataAttachment(const QByteArray& data, const QString& displayName,
                                         const QByteArray& contentType, MailEncoding encoding)
    : CMailAttachment(displayName, contentType, encoding)
    , m_data(data)
{
}

bool CMailDataAttachment::write(CMailSink& sink, const QByteArray& opening, unsigned flags) const
{
    const int chunk = MailEncode::chunkSize(encoding());
    qsizetype at = 0;
    return writeEncoded(sink, opening, flags, m_data.size(), [&]() -> std::optional<QByteArray> {
        const QByteArray bytes = m_data.mid(at, chunk);
        at += bytes.size();
        return bytes;
    });
}

// ---------------------------------------------------------------------------

CMailMessage::CMailMessage() = default;
CMailMessage::~CMailMessage() = default;

bool CMailMessage::setSenderAddress(const QString& address)
{
    if (!MailAddress::isWellFormed(address))
        return false;
    m_senderAddress = address;
    return true;
}

bool CMailMessage::setSenderName(const QString& name)
{
    if (!MailAddress::isHeaderSafe(name))
        return false;
    m_senderName = name;
    return true;
}

bool CMailMessage::setSubject(const QString& subject)
{
    if (!MailAddress::isHeaderSafe(subject))
        return false;
    m_subject = subject;
    return true;
}

namespace {

QByteArray displayNameForHeader(const QString& name)
{
    const MailEncode::CEncodedHeaderText encoded =
        MailEncode::encodeHeaderText(name, MailEncode::HeaderTextKind::Phrase);
    return encoded.encoded ? encoded.bytes : MailEncode::quotedPhrase(encoded.bytes);
}

} // namespace

bool CMailMessage::addRecipient(List list, const QString& name, const QString& address)
{
    if (name.isEmpty() && address.isEmpty())
        return false;
    if (!MailAddress::isHeaderSafe(name) || (!address.isEmpty() && !MailAddress::isWellFormed(address)))
        return false;
    Recipient entry;
    if (!name.isEmpty())
        entry.formatted = displayNameForHeader(name);
    if (!address.isEmpty()) {
        if (!entry.formatted.isEmpty())
            entry.formatted += ' ';
        entry.formatted += '<' + address.toUtf8() + '>';
        entry.address = address;
    }
    switch (list) {
    case List::To: m_to.push_back(entry); break;
    case List::Cc: m_cc.push_back(entry); break;
    case List::Bcc: m_bcc.push_back(entry); break;
    }
    return true;
}

void CMailMessage::addHtmlText(const QString& html)
{
    m_parts.push_back(std::make_unique<CMailHtmlPart>(html));
}

bool CMailMessage::attachFile(const QString& path, const QString& displayName, const QByteArray& contentType,
                              MailEncoding encoding)
{
    if (path.isEmpty() || !CMailAttachment::isValidDisplayName(displayName))
        return false;
    QByteArray type = contentType;
    if (type.isEmpty()) {
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(QFileInfo(path), QMimeDatabase::MatchExtension);
        type = mime.isDefault() ? QByteArray(kDefaultContentType) : mime.name().toLatin1();
    }
    m_parts.push_back(std::make_unique<CMailFileAttachment>(path, displayName, type, encoding));
    return true;
}

bool CMailMessage::attachData(const QByteArray& data, const QString& displayName, const QByteArray& contentType,
                              MailEncoding encoding)
{
    if (!CMailAttachment::isValidDisplayName(displayName))
        return false;
    m_parts.push_back(std::make_unique<CMailDataAttachment>(
        data, displayName, contentType.isEmpty() ? QByteArray(kDefaultContentType) : contentType, encoding));
    return true;
}

const std::vector<CMailMessage::Recipient>& CMailMessage::recipients(List list) const
{
    switch (list) {
    case List::Cc: return m_cc;
    case List::Bcc: return m_bcc;
    case List::To: break;
    }
    return m_to;
}

QStringList CMailMessage::allRecipients() const
{
    QStringList addresses;
    for (const List list : {List::To, List::Cc, List::Bcc}) {
        for (const Recipient& entry : recipients(list)) {
            if (!entry.address.isEmpty())
                addresses << entry.address;
        }
    }
    return addresses;
}

QByteArray CMailMessage::formattedList(List list) const
{
    QByteArray joined;
    for (const Recipient& entry : recipients(list)) {
        if (!joined.isEmpty())
            joined += ", ";
        joined += entry.formatted;
    }
    return joined;
}

QByteArray CMailMessage::boundary() const
{
    const auto [tick, random] = m_boundaryNumbers.value_or(
        std::pair<quint32, quint32>(tickCount(), QRandomGenerator::global()->generate() % 1000u));
    return QByteArray("------=_Next_Part_") + QByteArray::number(tick).rightJustified(10, '0') + '.'
        + QByteArray::number(random % 1000u).rightJustified(3, '0');
}

QByteArray CMailMessage::headerBlock(const QByteArray& boundary) const
{
    QByteArray header = MailEncode::dateLine(m_date.value_or(QDateTime::currentDateTime())) + "\r\n";

    QByteArray from;
    if (!m_senderName.isEmpty())
        from = displayNameForHeader(m_senderName);
    if (!m_senderAddress.isEmpty()) {
        if (!from.isEmpty())
            from += ' ';
        from += '<' + m_senderAddress.toUtf8() + '>';
    }
    if (!from.isEmpty())
        header += "From: " + MailEncode::foldHeaderValue(from) + "\r\n";
    if (!m_subject.isEmpty()) {
        const MailEncode::CEncodedHeaderText subject =
            MailEncode::encodeHeaderText(m_subject, MailEncode::HeaderTextKind::Unstructured);
        header += "Subject: " + MailEncode::foldHeaderValue(subject.bytes) + "\r\n";
    }
    // Every recipient after the first on a continuation line of its own;
    // folded only between recipients, never inside a name.
    for (const auto& [list, label] : {std::pair{List::To, "To: "}, std::pair{List::Cc, "CC: "}}) {
        QByteArray value;
        for (const Recipient& entry : recipients(list)) {
            if (!value.isEmpty())
                value += ",\r\n\t";
            value += entry.formatted;
        }
        if (!value.isEmpty())
            header += label + MailEncode::foldHeaderValue(value) + "\r\n";
    }
    header += "X-Priority: " + QByteArray::number(m_priority) + "\r\n" + m_extraHeaders;
    if (!boundary.isEmpty())
        header += "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"" + boundary + "\"\r\n";
    return header;
}

bool CMailMessage::write(CMailSink& sink, unsigned flags) const
{
    if (m_parts.empty())
        return false;
    const QByteArray separator = m_parts.size() >= 2 ? boundary() : QByteArray();
    if (!sink.write(headerBlock(separator)))
        return false;
    const QByteArray opening = separator.isEmpty() ? QByteArray("MIME-Version: 1.0") : "\r\n\r\n--" + separator;
    for (const auto& part : m_parts) {
        if (!part->write(sink, opening, flags))
            return false;
    }
    if (!separator.isEmpty() && !sink.write("\r\n\r\n--" + separator + "--\r\n"))
        return false;
    return true;
}
