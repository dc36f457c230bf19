#include "mailencode.h"

#include <QVector>

#include <cstdlib>

namespace MailEncode {

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kHex = "0123456789ABCDEF";
constexpr const char* kCharset = "utf-8";

// Q encoding below this share of unsafe characters, B at or above.
constexpr int kQuotedShareLimit = 17;
// An encoded word is at most 75 characters: "=?utf-8?Q?" and "?=" leave 63.
constexpr int kEncodedWordMax = 75;
constexpr int kMaxQuotedPrintableLine = 76;
// Attachment quoted-printable: literal blanks below this column, a soft
// break once the column has passed it.
constexpr int kAttachmentSoftColumn = 64;

void appendEscaped(QByteArray& out, quint8 byte)
{
    out += '=';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

bool isUnsafe(uint c)
{
    return c >= 0x7F || (c < 0x20 && c != '\t' && c != '\n' && c != '\r');
}

bool isQLiteral(quint8 byte, HeaderTextKind kind)
{
    if (kind == HeaderTextKind::Phrase) {
        // RFC 2047, 5 (3): only letters, digits and ! * + - / in a phrase.
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || byte == '!' || byte == '*' || byte == '+' || byte == '-' || byte == '/';
    }
    const bool printable = (byte >= '!' && byte <= '<') || (byte >= '>' && byte <= '~');
    return printable && byte != '?' && byte != '_';
}

QByteArray encodedWordPrefix(char form)
{
    return QByteArray("=?") + kCharset + '?' + form + '?';
}

// Encoded words of at most 75 characters, each holding whole characters.
QByteArray encodeWords(const QString& text, char form, HeaderTextKind kind)
{
    const QByteArray prefix = encodedWordPrefix(form);
    const int room = kEncodedWordMax - int(prefix.size()) - 2;
    // Base64 in groups of four characters for three bytes.
    const int byteRoom = room / 4 * 3;
    QVector<QByteArray> words;
    QByteArray current; // raw bytes (B) or encoded text (Q)
    for (const uint c : text.toUcs4()) {
        const char32_t code = c;
        const QByteArray bytes = QString::fromUcs4(&code, 1).toUtf8();
        QByteArray piece;
        if (form == 'Q') {
            for (const char byte : bytes) {
                if (isQLiteral(quint8(byte), kind))
                    piece += byte;
                else
                    appendEscaped(piece, quint8(byte));
            }
        } else {
            piece = bytes;
        }
        const int limit = form == 'Q' ? room : byteRoom;
        if (!current.isEmpty() && current.size() + piece.size() > limit) {
            words << current;
            current.clear();
        }
        current += piece;
    }
    if (!current.isEmpty())
        words << current;
    QByteArray out;
    for (const QByteArray& word : words) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += prefix + (form == 'Q' ? word : word.toBase64()) + "?=";
    }
    return out;
}

} // namespace

const char* encodingWord(MailEncoding encoding)
{
    switch (encoding) {
    case MailEncoding::Base64: return "base64";
    case MailEncoding::UUEncode: return "uuencode";
    case MailEncoding::QuotedPrintable: return "quoted-printable";
    }
    return nullptr;
}

int chunkSize(MailEncoding encoding)
{
    switch (encoding) {
    case MailEncoding::Base64: return kBase64Chunk;
    case MailEncoding::UUEncode: return kUuencodeChunk;
    case MailEncoding::QuotedPrintable: return kQuotedPrintableChunk;
    }
    return 0;
}

QByteArray dateLine(const QDateTime& local)
{
    const QDate date = local.date();
    const QTime time = local.time();
    const int dayOfWeek = date.dayOfWeek() % 7; // Qt counts Monday 1 … Sunday 7
    const int month = date.month();
    // The bias: minutes that UTC is ahead of local time.
    const int bias = -local.offsetFromUtc() / 60;
    const char sign = bias > 0 ? '-' : '+';
    const int magnitude = std::abs(bias);
    return QByteArray("Date: ") + kDayNames[dayOfWeek >= 0 && dayOfWeek < 7 ? dayOfWeek : 0] + ", "
        + QByteArray::number(date.day()) + ' ' + kMonthNames[month >= 1 && month <= 12 ? month - 1 : 0] + ' '
        + QByteArray::number(date.year()).rightJustified(4, '0') + ' '
        + QByteArray::number(time.hour()).rightJustified(2, '0') + ':'
        + QByteArray::number(time.minute()).rightJustified(2, '0') + ':'
        + QByteArray::number(time.second()).rightJustified(2, '0') + ' ' + sign
        + QByteArray::number(magnitude / 60).rightJustified(2, '0')
        + QByteArray::number(magnitude % 60).rightJustified(2, '0');
}

CEncodedHeaderText encodeHeaderText(const QString& text, HeaderTextKind kind)
{
    const QList<uint> characters = text.toUcs4();
    int unsafe = 0;
    for (const uint c : characters)
        unsafe += isUnsafe(c) ? 1 : 0;
    if (unsafe == 0)
        return {text.toUtf8(), false};
    const int share = unsafe * 100 / int(characters.size());
    return {encodeWords(text, share < kQuotedShareLimit ? 'Q' : 'B', kind), true};
}

QByteArray quotedPhrase(const QByteArray& plain)
{
    QByteArray out = "\"";
    for (const char c : plain) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

QByteArray foldHeaderValue(const QByteArray& value, int startColumn)
{
    QByteArray out;
    out.reserve(value.size());
    int column = startColumn;
    for (const char c : value) {
        if (c == '\n') {
            out += c;
            column = 0;
            continue;
        }
        if (column >= kHeaderFoldColumn) {
            // Always with a blank after the line end: a bare CR LF would end
            // the header there.
            out += "\r\n\t";
            column = 1;
        }
        out += c;
        ++column;
    }
    return out;
}

QByteArray quotedPrintableText(const QByteArray& text, unsigned flags)
{
    const bool smtp = (flags & MailWriteSmtp) != 0;
    QByteArray out;
    out.reserve(text.size() + text.size() / 8 + 16);
    QByteArray line;
    auto flush = [&](const char* ending) {
        if (smtp && line.startsWith('.'))
            out += '.';
        out += line;
        out += ending;
        line.clear();
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const quint8 byte = quint8(text[i]);
        if (byte == '\r' && i + 1 < n && text[i + 1] == '\n') {
            flush("\r\n");
            ++i;
            continue;
        }
        QByteArray token;
        const bool blank = byte == ' ' || byte == '\t';
        const bool beforeBreak = i + 2 < n && text[i + 1] == '\r' && text[i + 2] == '\n';
        if ((byte >= '!' && byte <= '~' && byte != '=') || (blank && !beforeBreak))
            token += char(byte);
        else
            appendEscaped(token, byte);
        // Room for the "=" of a soft break.
        if (line.size() + token.size() > kMaxQuotedPrintableLine - 1)
            flush("=\r\n");
        line += token;
    }
    flush("=");
    return out;
}

QByteArray quotedPrintableChunk(const QByteArray& chunk, bool last, unsigned flags)
{
    const bool smtp = (flags & MailWriteSmtp) != 0;
    QByteArray out;
    out.reserve(chunk.size() * 2);
    int column = 0;
    for (const char c : chunk) {
        const quint8 byte = quint8(c);
        if (byte == '.' && column == 0) {
            out += smtp ? ".." : ".";
            column += smtp ? 2 : 1;
        } else if ((byte >= '!' && byte <= '<') || (byte >= '>' && byte <= '~')) {
            out += char(byte);
            ++column;
        } else if ((byte == ' ' || byte == '\t') && column < kAttachmentSoftColumn) {
            out += char(byte);
            ++column;
        } else {
            appendEscaped(out, byte);
            column += 3;
        }
        if (column > kAttachmentSoftColumn) {
            out += "=\r\n";
            column = 0;
        }
    }
    if (!last) {
        out += "=\r\n";
    } else if (out.endsWith("=\r\n")) {
        out.chop(2); // the delimiter's CR LF completes this soft break
    } else {
        out += '=';
    }
    return out;
}

QByteArray base64Chunk(const QByteArray& chunk)
{
    const QByteArray encoded = chunk.toBase64();
    constexpr int kLine = kBase64LineInput / 3 * 4; // 76
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / kLine * 2 + 2);
    for (qsizetype at = 0; at < encoded.size(); at += kLine) {
        out += encoded.mid(at, kLine);
        out += "\r\n";
    }
    return out;
}

QByteArray uuencodeBegin(const QByteArray& name)
{
    return "begin 666 " + name + "\r\n";
}

QByteArray uuencodeChunk(const QByteArray& chunk, unsigned flags)
{
    const bool smtp = (flags & MailWriteSmtp) != 0;
    auto character = [](int value) { return char(value == 0 ? 0x60 : 0x20 + value); };
    QByteArray out;
    for (qsizetype at = 0; at < chunk.size(); at += kUuencodeLineInput) {
        const QByteArray line = chunk.mid(at, kUuencodeLineInput);
        const char length = char(0x20 + line.size());
        out += length;
        if (smtp && length == '.')
            out += '.';
        for (qsizetype i = 0; i < line.size(); i += 3) {
            const quint8 a = quint8(line[i]);
            const quint8 b = i + 1 < line.size() ? quint8(line[i + 1]) : quint8(' ');
            const quint8 c = i + 2 < line.size() ? quint8(line[i + 2]) : quint8(' ');
            out += character(a >> 2);
            out += character(((a & 0x03) << 4) | (b >> 4));
            out += character(((b & 0x0F) << 2) | (c >> 6));
            out += character(c & 0x3F);
        }
        out += "\r\n";
    }
    return out;
}

QByteArray uuencodeEnd()
{
    return "`\r\nend\r\n";
}

} // namespace MailEncode
