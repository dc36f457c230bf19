// The composer's bytes: header block, boundary, parts and their encodings.
#include "mailaddress.h"
#include "mailencode.h"
#include "mailmessage.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QByteArray written(const CMailMessage& message, unsigned flags = 0)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CDeviceMailSink sink(buffer);
    EXPECT_TRUE(message.write(sink, flags));
    return bytes;
}

// 2026-12-08 14:05:09 in a zone `offsetSeconds` east of UTC.
QDateTime sampleTime(int offsetSeconds)
{
    return QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9), QTimeZone(offsetSeconds));
}

// Quoted-printable decoding as RFC 2045 reads it.
QByteArray decodeQuotedPrintable(QByteArray encoded)
{
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out += encoded[i];
        } else if (encoded.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else if (i + 1 == encoded.size()) {
            break;
        } else {
            out += char(encoded.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

QList<QByteArray> lines(const QByteArray& bytes)
{
    return bytes.split('\n');
}

} // namespace

TEST(MailMessage, SinglePartMessageHasNoBoundaryAndOpensItsPartWithTheMimeVersion)
{
    CMailMessage message;
    message.setDate(sampleTime(0));
    ASSERT_TRUE(message.setSenderAddress("me@example.com"));
    ASSERT_TRUE(message.setSubject("Hi"));
    ASSERT_TRUE(message.addRecipient(CMailMessage::List::To, "Ann", "ann@example.com"));
    message.addHtmlText("<p>a=b</p>");
    EXPECT_EQ(written(message),
              QByteArray("Date: Tue, 8 Dec 2026 14:05:09 +0000\r\n"
                         "From: <me@example.com>\r\n"
                         "Subject: Hi\r\n"
                         "To: \"Ann\" <ann@example.com>\r\n"
                         "X-Priority: 3\r\n"
                         "MIME-Version: 1.0\r\n"
                         "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
                         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                         "<p>a=3Db</p>="));
}

TEST(MailMessage, HtmlAndImageAreRelatedPartsAndTheImageIsReferredToByItsName)
{
    CMailMessage message;
    message.setDate(sampleTime(3600));
    message.setBoundaryNumbers(1234567, 42);
    message.setSenderAddress("me@example.com");
    message.addHtmlText("<img src=\"cid:Collage.jpg\">");
    ASSERT_TRUE(message.attachData("JPEG", "Collage.jpg", "image/jpeg"));
    const QByteArray boundary = "------=_Next_Part_0001234567.042";
    EXPECT_EQ(message.boundary(), boundary);
    EXPECT_EQ(written(message),
              "Date: Tue, 8 Dec 2026 14:05:09 +0100\r\n"
              "From: <me@example.com>\r\n"
              "X-Priority: 3\r\n"
              "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"" + boundary + "\"\r\n"
              "\r\n\r\n--" + boundary + "\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
              "<img src=3D\"cid:Collage.jpg\">="
              "\r\n\r\n--" + boundary + "\r\nContent-Type: image/jpeg;\r\n\tname=\"Collage.jpg\"\r\n"
              "Content-Transfer-Encoding: base64\r\nContent-ID: <Collage.jpg>\r\n\r\n"
              "SlBFRw==\r\n"
              "\r\n\r\n--" + boundary + "--\r\n");
}

struct ZoneCase
{
    int offsetSeconds;
    const char* ending;
};

class DateLineZone : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(DateLineZone, WritesTheOffsetWithItsSign)
{
    const QByteArray line = MailEncode::dateLine(sampleTime(GetParam().offsetSeconds));
    EXPECT_TRUE(line.endsWith(GetParam().ending)) << line.constData();
}

INSTANTIATE_TEST_SUITE_P(Zones, DateLineZone,
                         ::testing::Values(ZoneCase{0, " +0000"}, ZoneCase{3600, " +0100"},
                                           ZoneCase{-5 * 3600, " -0500"}, ZoneCase{19800, " +0530"},
                                           ZoneCase{-(3 * 3600 + 1800), " -0330"}));

TEST(MailMessage, DateLineNamesDayAndMonthWithoutLeadingZeroOnTheDay)
{
    const QDateTime sunday(QDate(2027, 1, 3), QTime(7, 8, 9), QTimeZone(0));
    EXPECT_EQ(MailEncode::dateLine(sunday), "Date: Sun, 3 Jan 2027 07:08:09 +0000");
}

struct HeaderTextCase
{
    const char* text; // UTF-8
    MailEncode::HeaderTextKind kind;
    const char* expected;
};

class HeaderText : public ::testing::TestWithParam<HeaderTextCase> {};

TEST_P(HeaderText, IsPlainQOrBByTheShareOfUnsafeCharacters)
{
    const auto encoded = MailEncode::encodeHeaderText(QString::fromUtf8(GetParam().text), GetParam().kind);
    EXPECT_EQ(encoded.bytes, QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeaderText,
    ::testing::Values(
        HeaderTextCase{"Plain subject", MailEncode::HeaderTextKind::Unstructured, "Plain subject"},
        // One accented letter in ten characters is 10 % although it takes two bytes.
        HeaderTextCase{"Caf\xc3\xa9 noir!", MailEncode::HeaderTextKind::Unstructured,
                       "=?utf-8?Q?Caf=C3=A9=20noir!?="},
        HeaderTextCase{"\xc3\xa9t\xc3\xa9 2024!", MailEncode::HeaderTextKind::Unstructured,
                       "=?utf-8?B?w6l0w6kgMjAyNCE=?="},
        // In a display name the specials are encoded too.
        HeaderTextCase{"Zo\xc3\xab, (Smith) & co", MailEncode::HeaderTextKind::Phrase,
                       "=?utf-8?Q?Zo=C3=AB=2C=20=28Smith=29=20=26=20co?="},
        HeaderTextCase{"a?b_c\xc3\xa9 d e f g h i j", MailEncode::HeaderTextKind::Unstructured,
                       "=?utf-8?Q?a=3Fb=5Fc=C3=A9=20d=20e=20f=20g=20h=20i=20j?="}));

TEST(MailMessage, LongEncodedTextIsSplitIntoWordsOfAtMost75CharactersHoldingWholeCharacters)
{
    const QString text = QString::fromUtf8("\xc3\xa9\xe2\x82\xac").repeated(40);
    for (const char* form : {"Q", "B"}) {
        const QString input = form == QByteArray("Q") ? text + QString(2000, QLatin1Char('x')) : text;
        const QByteArray bytes =
            MailEncode::encodeHeaderText(input, MailEncode::HeaderTextKind::Unstructured).bytes;
        QByteArray decoded;
        for (const QByteArray& word : bytes.split('\n')) {
            const QByteArray trimmed = word.trimmed();
            EXPECT_LE(trimmed.size(), 75);
            ASSERT_TRUE(trimmed.startsWith("=?utf-8?") && trimmed.endsWith("?=")) << trimmed.constData();
            const QByteArray payload = trimmed.mid(10, trimmed.size() - 12);
            const QByteArray piece = trimmed[8] == 'B' ? QByteArray::fromBase64(payload)
                                                       : decodeQuotedPrintable(payload);
            EXPECT_FALSE(QString::fromUtf8(piece).contains(QChar::ReplacementCharacter)) << "split inside a character";
            decoded += piece;
        }
        EXPECT_EQ(QString::fromUtf8(decoded), input);
    }
}

TEST(MailMessage, RecipientsAreFoldedBetweenEntriesOnlyAndBccStaysOutOfTheHeader)
{
    CMailMessage message;
    message.setDate(sampleTime(0));
    ASSERT_TRUE(message.addRecipient(CMailMessage::List::To, "Smith, \"Ann\"", "ann@example.com"));
    ASSERT_TRUE(message.addRecipient(CMailMessage::List::To, {}, "bob@example.com"));
    ASSERT_TRUE(message.addRecipient(CMailMessage::List::Cc, QString::fromUtf8("Zo\xc3\xab Adams"), "zoe@example.com"));
    ASSERT_TRUE(message.addRecipient(CMailMessage::List::Bcc, "Hidden", "hidden@example.com"));
    message.addHtmlText("x");
    const QByteArray bytes = written(message);
    EXPECT_TRUE(bytes.contains("To: \"Smith, \\\"Ann\\\"\" <ann@example.com>,\r\n\t<bob@example.com>\r\n"));
    EXPECT_TRUE(bytes.contains("CC: =?utf-8?Q?Zo=C3=AB=20Adams?= <zoe@example.com>\r\n"));
    EXPECT_FALSE(bytes.contains("hidden"));
    EXPECT_EQ(message.allRecipients(),
              QStringList({"ann@example.com", "bob@example.com", "zoe@example.com", "hidden@example.com"}));
}

TEST(MailMessage, SenderDisplayNameIsQuotedLikeARecipients)
{
    CMailMessage message;
    message.setDate(sampleTime(0));
    message.setSenderAddress("me@example.com");
    ASSERT_TRUE(message.setSenderName("Doe, Jane"));
    message.addHtmlText("x");
    EXPECT_TRUE(written(message).contains("From: \"Doe, Jane\" <me@example.com>\r\n"));
}

TEST(MailMessage, RefusesWhatWouldBreakTheHeader)
{
    CMailMessage message;
    EXPECT_FALSE(message.setSubject("Hi\r\nBcc: victim@example.com"));
    EXPECT_FALSE(message.setSubject("Hi\nthere"));
    EXPECT_FALSE(message.setSenderName("Ann\r\nX: y"));
    EXPECT_FALSE(message.setSenderAddress("me@example.com>\r\nRCPT TO:<x@y.z"));
    EXPECT_FALSE(message.addRecipient(CMailMessage::List::To, {}, {}));
    EXPECT_FALSE(message.addRecipient(CMailMessage::List::To, "Ann", "ann@"));
    EXPECT_FALSE(message.addRecipient(CMailMessage::List::To, "Ann", "\"Ann>@example.com"));
    EXPECT_FALSE(message.attachData("x", "a\"b.jpg", "image/jpeg"));
    EXPECT_TRUE(message.allRecipients().isEmpty());
}

TEST(MailAddress, WellFormedAddressesHaveALocalPartAndADomain)
{
    for (const char* good : {"ann@example.com", "a.b+c@mail.example.org", "x@localhost"})
        EXPECT_TRUE(MailAddress::isWellFormed(good)) << good;
    for (const char* bad : {"", "@example.com", "ann@", "ann", "ann@@example.com", "an n@example.com",
                            "ann@example..com", "<ann@example.com>", "ann@example.com\r\n", ".ann@example.com"})
        EXPECT_FALSE(MailAddress::isWellFormed(bad)) << bad;
}

TEST(MailAddress, ATypedListSplitsAtCommasSemicolonsAndBlanks)
{
    EXPECT_EQ(MailAddress::splitList("a@x.org, b@x.org;c@x.org"), QStringList({"a@x.org", "b@x.org", "c@x.org"}));
}

TEST(QuotedPrintableText, KeepsLinesWithin76CharactersAndDecodesToTheSameBytes)
{
    QByteArray html = "<p>" + QByteArray(2000, 'a') + "\r\n=41 \xc3\xa9</p> \r\n" + ".dot\r\n\r\nend\tx";
    const QByteArray encoded = MailEncode::quotedPrintableText(html, 0);
    for (const QByteArray& line : lines(encoded))
        EXPECT_LE(line.trimmed().size(), 76);
    EXPECT_TRUE(encoded.endsWith('='));
    EXPECT_TRUE(encoded.endsWith("\r\n=3D41 =C3=A9</p>=20\r\n.dot\r\n\r\nend\tx="));
    EXPECT_EQ(decodeQuotedPrintable(encoded), html);
}

TEST(QuotedPrintableText, DoublesALeadingDotOnlyForSmtp)
{
    const QByteArray html = "a\r\n.b\r\n" + QByteArray(75, 'x') + ".y";
    EXPECT_EQ(MailEncode::quotedPrintableText(html, 0), "a\r\n.b\r\n" + QByteArray(75, 'x') + "=\r\n.y=");
    EXPECT_EQ(MailEncode::quotedPrintableText(html, MailWriteSmtp),
              "a\r\n..b\r\n" + QByteArray(75, 'x') + "=\r\n..y=");
}

TEST(QuotedPrintableAttachment, AChunkOf7600BytesHasNoExtraSoftBreakAndOneMoreByteMakesTwoChunks)
{
    for (const int size : {7600, 7601}) {
        CMailMessage message;
        message.setDate(sampleTime(0));
        message.addHtmlText("x");
        message.attachData(QByteArray(size, 'a'), "a.txt", "text/plain", MailEncoding::QuotedPrintable);
        const QByteArray bytes = written(message);
        const qsizetype start = bytes.indexOf("<a.txt>\r\n\r\n") + 11;
        const QByteArray body = bytes.mid(start, bytes.indexOf("\r\n\r\n--", start) - start);
        // 65 characters a line, then a soft break: 7600 / 65 = 116 full lines and 60 left.
        const int softBreaks = int(body.count("=\r\n"));
        EXPECT_EQ(softBreaks, size == 7600 ? 116 : 117) << size;
        EXPECT_TRUE(body.endsWith('='));
        EXPECT_EQ(decodeQuotedPrintable(body), QByteArray(size, 'a'));
    }
}

TEST(QuotedPrintableAttachment, EscapesLineBreaksAndBlanksFromColumn64)
{
    const QByteArray data = "a=b\r\n" + QByteArray(60, 'x') + "    .";
    const QByteArray encoded = MailEncode::quotedPrintableChunk(data, true, 0);
    EXPECT_TRUE(encoded.startsWith("a=3Db=0D=0A"));
    EXPECT_EQ(decodeQuotedPrintable(encoded), data);
    EXPECT_TRUE(MailEncode::quotedPrintableChunk(".x", true, MailWriteSmtp).startsWith("..x"));
}

TEST(Base64Attachment, AFullChunkIsExactlyAHundredLinesOf76Characters)
{
    QByteArray data(5700, Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    const QByteArray encoded = MailEncode::base64Chunk(data);
    const QList<QByteArray> parts = encoded.split('\n');
    ASSERT_EQ(parts.size(), 101);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(parts[i].size(), 77) << i; // 76 and the CR
    EXPECT_EQ(QByteArray::fromBase64(encoded), data);
}

TEST(UuencodeAttachment, EncodesLinesOf45BytesWithTheGraveAccentForZero)
{
    EXPECT_EQ(MailEncode::uuencodeChunk("Cat", 0), "#0V%T\r\n");
    const QByteArray full = MailEncode::uuencodeChunk(QByteArray(45, '\0'), 0);
    EXPECT_EQ(full, "M" + QByteArray(60, '`') + "\r\n");
    // A line of 14 bytes has the length character "."; doubled inside DATA.
    EXPECT_TRUE(MailEncode::uuencodeChunk(QByteArray(14, 'a'), MailWriteSmtp).startsWith(".."));

    CMailMessage message;
    message.setDate(sampleTime(0));
    message.addHtmlText("x");
    message.attachData("Cat", "cat.txt", "text/plain", MailEncoding::UUEncode);
    EXPECT_TRUE(written(message).contains("uuencode\r\nContent-ID: <cat.txt>\r\n\r\nbegin 666 cat.txt\r\n#0V%T\r\n`\r\nend\r\n"));
}

TEST(MailMessage, FileAttachmentTakesItsContentTypeFromTheExtensionAndFailsWhenTheFileIsGone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.png");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(12000, 'p'));
    file.close();
    CMailMessage message;
    message.addHtmlText("x");
    ASSERT_TRUE(message.attachFile(path, "photo.png"));
    ASSERT_TRUE(message.attachFile(dir.filePath("notes.unknownext"), "notes.unknownext"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CDeviceMailSink sink(buffer);
    EXPECT_FALSE(message.write(sink)) << "the second file does not exist";
    EXPECT_TRUE(bytes.contains("Content-Type: image/png;\r\n\tname=\"photo.png\""));
    const qsizetype start = bytes.indexOf("<photo.png>\r\n\r\n") + 15;
    EXPECT_EQ(QByteArray::fromBase64(bytes.mid(start, bytes.indexOf("\r\n\r\n--", start) - start)),
              QByteArray(12000, 'p'));
}

TEST(MailMessage, LongHeaderValuesAreFoldedWithABlankAfterTheLineEnd)
{
    const QByteArray folded = MailEncode::foldHeaderValue(QByteArray(2000, 's'));
    const QList<QByteArray> parts = folded.split('\n');
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0].size(), 997 - 9 + 1); // with its CR
    EXPECT_TRUE(parts[1].startsWith('\t'));
}
