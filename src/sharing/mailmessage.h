#pragma once
// The Internet mail message a collage travels in: the header fields, and a
// multipart/related body of one HTML part and the images it refers to by
// Content-ID, each in its transfer encoding. Written as a byte stream to a
// sink: the SMTP transaction file of the collage e-mail, or the SMTP
// connection itself for the direct sends.
//
// Text is UTF-8 on this platform and declared as "utf-8". Every setter
// refuses what could break the header (a CR or LF in a subject or name, a
// malformed address) and leaves the message as it was.

#include "mailencode.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

// Where a message is written. A failed or short write fails the whole write.
class CMailSink
{
public:
    virtual ~CMailSink() = default;
    virtual bool write(const QByteArray& bytes) = 0;
};

// A sink over a file, a buffer or any other open device.
class CDeviceMailSink : public CMailSink
{
public:
    explicit CDeviceMailSink(QIODevice& device) : m_device(device) {}
    bool write(const QByteArray& bytes) override;

private:
    QIODevice& m_device;
};

// One part of the body: its header, opened by the boundary line (or by
// "MIME-Version: 1.0" in a single-part message), then its encoded body.
class CMailPart
{
public:
    virtual ~CMailPart() = default;
    virtual bool write(CMailSink& sink, const QByteArray& opening, unsigned flags) const = 0;
};

// The HTML text of the message, encoded as quoted-printable.
class CMailHtmlPart : public CMailPart
{
public:
    static constexpr const char* kCharset = "utf-8";
    // Written to the sink in pieces of this size.
    static constexpr int kWriteBlock = 4096;

    explicit CMailHtmlPart(const QString& html) : m_text(html.toUtf8()) {}
    const QByteArray& text() const { return m_text; }
    bool write(CMailSink& sink, const QByteArray& opening, unsigned flags) const override;

private:
    QByteArray m_text;
};

// An attachment: a display name (also its Content-ID), a content type and a
// transfer encoding; the bytes come from a file or from memory.
class CMailAttachment : public CMailPart
{
public:
    // The uuencode "begin" line takes names below this length.
    static constexpr int kMaxUuencodeName = 260;

    CMailAttachment(const QString& displayName, const QByteArray& contentType, MailEncoding encoding);
    const QString& displayName() const { return m_displayName; }
    const QByteArray& contentType() const { return m_contentType; }
    MailEncoding encoding() const { return m_encoding; }

    // A display name fit for the name parameter and the Content-ID: printable
    // ASCII without quotes, backslashes or angle brackets.
    static bool isValidDisplayName(const QString& name);

protected:
    // Writes the header, then the chunks `next` hands out (of the encoding's
    // chunk size) until it returns an empty chunk or fails.
    using ChunkReader = std::function<std::optional<QByteArray>()>;
    bool writeEncoded(CMailSink& sink, const QByteArray& opening, unsigned flags, qint64 totalSize,
                      const ChunkReader& next) const;

private:
    QString m_displayName;
    QByteArray m_contentType;
    MailEncoding m_encoding;
};

// A file read chunk by chunk while the part is written; the file is opened
// only then.
class CMailFileAttachment : public CMailAttachment
{
public:
    CMailFileAttachment(const QString& path, const QString& displayName, const QByteArray& contentType,
                        MailEncoding encoding);
    const QString& path() const { return m_path; }
    bool write(CMailSink& sink, const QByteArray& opening, unsigned flags) const override;

private:
    QString m_path;
};

class CMailDataAttachment : public CMailAttachment
{
public:
    CMailDataAttachment(const QByteArray& data, const QString& displayName, const QByteArray& contentType,
                        MailEncoding encoding);
    bool write(CMailSink& sink, const QByteArray& opening, unsigned flags) const override;

private:
    QByteArray m_data;
};

class CMailMessage
{
public:
    static constexpr int kDefaultPriority = 3;
    static constexpr const char* kDefaultContentType = "application/octet-stream";

    enum class List { To, Cc, Bcc };

    CMailMessage();
    ~CMailMessage();
    CMailMessage(const CMailMessage&) = delete;
    CMailMessage& operator=(const CMailMessage&) = delete;

    // A well-formed address, without angle brackets.
    bool setSenderAddress(const QString& address);
    bool setSenderName(const QString& name);
    bool setSubject(const QString& subject);
    // Appends one recipient to the list: a display name, an address, or
    // both; not neither. The address must be well formed.
    bool addRecipient(List list, const QString& name, const QString& address);
    void setPriority(int priority) { m_priority = priority; }
    // Inserted verbatim after the X-Priority line; each line ended by CR LF.
    void setExtraHeaders(const QByteArray& lines) { m_extraHeaders = lines; }

    void addHtmlText(const QString& html);
    // The content type, when not given, is looked up from the file's
    // extension ("application/octet-stream" when unknown).
    bool attachFile(const QString& path, const QString& displayName, const QByteArray& contentType = {},
                    MailEncoding encoding = MailEncoding::Base64);
    bool attachData(const QByteArray& data, const QString& displayName, const QByteArray& contentType,
                    MailEncoding encoding = MailEncoding::Base64);

    const QString& senderAddress() const { return m_senderAddress; }
    // Every recipient's bare address: To, then CC, then BCC. These are what
    // the RCPT TO commands carry.
    QStringList allRecipients() const;
    // The list as its header line carries it, recipients joined by ", ".
    QByteArray formattedList(List list) const;
    int partCount() const { return int(m_parts.size()); }
    const CMailPart& part(int index) const { return *m_parts[size_t(index)]; }

    // Writes the whole message. Fails for a message without parts.
    bool write(CMailSink& sink, unsigned flags = 0) const;

    // Fixed values for a reproducible message: the Date line's time, and
    // the two numbers of the boundary (tick count and random number).
    void setDate(const QDateTime& date) { m_date = date; }
    void setBoundaryNumbers(quint32 tick, quint32 random) { m_boundaryNumbers = {tick, random}; }
    QByteArray boundary() const;

private:
    struct Recipient
    {
        QByteArray formatted; // "\"Ann\" <ann@example.com>"
        QString address;      // empty for a name alone
    };

    QByteArray headerBlock(const QByteArray& boundary) const;
    const std::vector<Recipient>& recipients(List list) const;

    QString m_senderAddress;
    QString m_senderName;
    QString m_subject;
    std::vector<Recipient> m_to, m_cc, m_bcc;
    int m_priority = kDefaultPriority;
    QByteArray m_extraHeaders;
    std::vector<std::unique_ptr<CMailPart>> m_parts;
    std::optional<QDateTime> m_date;
    std::optional<std::pair<quint32, quint32>> m_boundaryNumbers;
};
