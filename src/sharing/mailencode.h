#pragma once
// The byte-level encodings of an Internet mail message: the Date line, header
// texts as encoded words, header folding, and the three transfer encodings
// of the parts (Base64, uuencode, quoted-printable). Pure functions; the
// message composer strings them together.

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Transfer encodings of an attachment, with their stored numbers.
enum class MailEncoding { Base64 = 0, UUEncode = 1, QuotedPrintable = 2 };

// Write flag: the output travels inside an SMTP DATA section, so a "." that
// opens a line is doubled.
inline constexpr unsigned MailWriteSmtp = 8;

namespace MailEncode {

// Input bytes per encoded line, and the chunk read and encoded at once.
inline constexpr int kBase64LineInput = 57;
inline constexpr int kUuencodeLineInput = 45;
inline constexpr int kQuotedPrintableLineInput = 76;
inline constexpr int kLinesPerChunk = 100;
inline constexpr int kBase64Chunk = kBase64LineInput * kLinesPerChunk;                     // 5,700
inline constexpr int kUuencodeChunk = kUuencodeLineInput * kLinesPerChunk;                 // 4,500
inline constexpr int kQuotedPrintableChunk = kQuotedPrintableLineInput * kLinesPerChunk;   // 7,600

// The header word of an encoding ("base64", "uuencode", "quoted-printable").
const char* encodingWord(MailEncoding encoding);
int chunkSize(MailEncoding encoding);

// "Date: Tue, 8 Dec 2026 14:05:09 +0100" (no line end) from a local time.
// A time at UTC is "+0000": "-0000" would mean the zone is unknown.
QByteArray dateLine(const QDateTime& local);

// Where a header text goes: an unstructured field (Subject) or a phrase
// (a display name), in which RFC 5322 specials must not appear bare.
enum class HeaderTextKind { Unstructured, Phrase };

struct CEncodedHeaderText
{
    QByteArray bytes;
    bool encoded = false;
};

// The text as it goes into a header. Plain when no character is unsafe
// (0x7F and above, controls other than TAB, LF, CR); otherwise encoded words
// in UTF-8: Q when fewer than 17 % of the characters are unsafe, else B.
// Characters are counted, not bytes. Each encoded word stays within 75
// characters and holds whole characters; several are joined by CR LF SPACE.
CEncodedHeaderText encodeHeaderText(const QString& text, HeaderTextKind kind);

// A plain display name as a quoted string: backslashes doubled, double
// quotes escaped with a backslash.
QByteArray quotedPhrase(const QByteArray& plain);

// Folds a header value: when a line reaches 997 characters (the count starts
// at `startColumn`), CR LF TAB is inserted. A CR LF inside the value
// restarts the count.
inline constexpr int kHeaderFoldColumn = 997;
inline constexpr int kHeaderValueStartColumn = 9;
QByteArray foldHeaderValue(const QByteArray& value, int startColumn = kHeaderValueStartColumn);

// Quoted-printable text (the HTML part): CR LF pairs of the text are line
// breaks, every other byte outside the printable range (and "=") is
// escaped, white space before a line break is escaped, no line exceeds 76
// characters, and the result ends with a lone "=", a soft break that the CR
// LF opening the next delimiter completes, so that CR LF is not content.
QByteArray quotedPrintableText(const QByteArray& text, unsigned flags);

// One chunk of a quoted-printable attachment (at most 7,600 bytes): binary
// safe, CR and LF escaped, soft breaks after column 64. `last` marks the
// final chunk: the others end with an extra soft break, the final one ends
// with a lone "=" (see quotedPrintableText).
QByteArray quotedPrintableChunk(const QByteArray& chunk, bool last, unsigned flags);

// One chunk of a Base64 attachment: 76 characters a line, each line ended by
// CR LF.
QByteArray base64Chunk(const QByteArray& chunk);

// The uuencode "begin" line, one chunk of lines, and the ending.
QByteArray uuencodeBegin(const QByteArray& name);
QByteArray uuencodeChunk(const QByteArray& chunk, unsigned flags);
QByteArray uuencodeEnd();

} // namespace MailEncode
