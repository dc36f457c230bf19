#include "soapenvelope.h"

#include <QXmlStreamReader>

#include <limits>

namespace SoapEnvelope {

namespace {

const QString kEnvelopeNs = QString::fromLatin1(kEnvelopeNamespace);
const QString kInstanceNs = QString::fromLatin1(kInstanceNamespace);

void appendField(QByteArray& xml, const char* name, const QString& value)
{
    if (value.isNull()) {
        xml += '<' + QByteArray(name) + " xsi:nil=\"1\"/>";
        return;
    }
    xml += '<' + QByteArray(name) + '>' + escapeText(value).toUtf8() + "</" + QByteArray(name) + '>';
}

void appendField(QByteArray& xml, const char* name, const QByteArray& value)
{
    xml += '<' + QByteArray(name) + '>' + value + "</" + QByteArray(name) + '>';
}

bool isTrue(QStringView value)
{
    return value == u"1" || value == u"true";
}

bool isNil(const QXmlStreamReader& xml)
{
    return isTrue(xml.attributes().value(kInstanceNs, QStringLiteral("nil")));
}

// Reads the current element's text (false for a nested element or a bad
// document). A nil element reads as a null string.
bool readText(QXmlStreamReader& xml, QString& text)
{
    if (isNil(xml)) {
        text = QString();
        xml.skipCurrentElement();
        return !xml.hasError();
    }
    text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (text.isNull())
        text = QString(QLatin1String(""));
    return !xml.hasError();
}

bool readBoolean(const QString& text, bool& value)
{
    const QString trimmed = text.trimmed();
    if (trimmed == u"true" || trimmed == u"1")
        value = true;
    else if (trimmed == u"false" || trimmed == u"0")
        value = false;
    else
        return false;
    return true;
}

bool readAppVersion(QXmlStreamReader& xml, const QString& ns, AppVersion& record)
{
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() != ns) {
            xml.skipCurrentElement();
            continue;
        }
        const QStringView name = xml.name();
        QString text;
        if (!readText(xml, text))
            return false;
        if (name == u"shBuild") {
            bool ok = false;
            const int build = text.trimmed().toInt(&ok);
            if (!ok || build < std::numeric_limits<qint16>::min() || build > std::numeric_limits<qint16>::max())
                return false;
            record.shBuild = qint16(build);
        } else if (name == u"bBytes") {
            const auto decoded = QByteArray::fromBase64Encoding(text.trimmed().toLatin1(),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return false;
            record.bBytes = decoded.decoded;
        } else if (name == u"fUpdate") {
            if (!readBoolean(text, record.fUpdate))
                return false;
        } else if (name == u"strPatchURL") {
            record.strPatchURL = text.isNull() ? QString(QLatin1String("")) : text;
        } else if (name == u"strLocalName") {
            record.strLocalName = text.isNull() ? QString(QLatin1String("")) : text;
        } else if (name == u"strPatchAppParams") {
            record.strPatchAppParams = text.isNull() ? QString(QLatin1String("")) : text;
        } else if (name == u"strUpdateMsg") {
            record.strUpdateMsg = text.isNull() ? QString(QLatin1String("")) : text;
        }
    }
    return !xml.hasError();
}

// Moves to the envelope's body, refusing headers that must be understood:
// this client understands none.
bool enterBody(QXmlStreamReader& xml)
{
    if (!xml.readNextStartElement() || xml.name() != u"Envelope" || xml.namespaceUri() != kEnvelopeNs)
        return false;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() != kEnvelopeNs)
            return false;
        if (xml.name() == u"Body")
            return true;
        if (xml.name() != u"Header")
            return false;
        while (xml.readNextStartElement()) {
            if (isTrue(xml.attributes().value(kEnvelopeNs, QStringLiteral("mustUnderstand"))))
                return false;
            xml.skipCurrentElement();
        }
        if (xml.hasError())
            return false;
    }
    return false;
}

// The document must end properly after what was read.
bool endsWell(QXmlStreamReader& xml)
{
    while (!xml.atEnd())
        xml.readNext();
    return !xml.hasError();
}

} // namespace

QString escapeText(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            escaped += QLatin1String("&amp;");
        else if (c == u'<')
            escaped += QLatin1String("&lt;");
        else if (c == u'>')
            escaped += QLatin1String("&gt;");
        else if (c.unicode() < 0x20 && c != u'\t' && c != u'\n')
            escaped += QStringLiteral("&#x%1;").arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
        else
            escaped += c;
    }
    return escaped;
}

QByteArray isUpdateRequest(const AppVersion& record, const QString& serviceNamespace)
{
    QByteArray xml =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>";
    xml += "<IsUpdate xmlns=\"" + escapeText(serviceNamespace).toUtf8() + "\"><out_vi>";
    appendField(xml, "shBuild", QByteArray::number(record.shBuild));
    appendField(xml, "bBytes", record.bBytes.toBase64());
    appendField(xml, "fUpdate", QByteArray(record.fUpdate ? "true" : "false"));
    appendField(xml, "strPatchURL", record.strPatchURL);
    appendField(xml, "strLocalName", record.strLocalName);
    appendField(xml, "strPatchAppParams", record.strPatchAppParams);
    appendField(xml, "strUpdateMsg", record.strUpdateMsg);
    xml += "</out_vi></IsUpdate></soap:Body></soap:Envelope>";
    return xml;
}

bool readIsUpdateResponse(const QByteArray& body, const QString& serviceNamespace, AppVersion& record)
{
    QXmlStreamReader xml(body);
    if (!enterBody(xml))
        return false;
    if (!xml.readNextStartElement() || xml.name() != u"IsUpdateResponse" || xml.namespaceUri() != serviceNamespace)
        return false;

    AppVersion answer = record;
    bool haveRecord = false;
    bool succeeded = false;
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == serviceNamespace && xml.name() == u"out_vi") {
            if (!readAppVersion(xml, serviceNamespace, answer))
                return false;
            haveRecord = true;
        } else if (xml.namespaceUri() == serviceNamespace && xml.name() == u"IsUpdateResult") {
            QString result;
            if (!readText(xml, result) || result.trimmed() != u"Success")
                return false;
            succeeded = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!haveRecord || !succeeded || !endsWell(xml))
        return false;
    record = answer;
    return true;
}

bool readFault(const QByteArray& body, Fault& fault)
{
    QXmlStreamReader xml(body);
    if (!enterBody(xml))
        return false;
    if (!xml.readNextStartElement() || xml.name() != u"Fault" || xml.namespaceUri() != kEnvelopeNs)
        return false;
    Fault read;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"faultcode")
            read.code = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (xml.name() == u"faultstring")
            read.text = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else
            xml.skipCurrentElement();
    }
    if (read.code.isEmpty() || !endsWell(xml))
        return false;
    fault = read;
    return true;
}

} // namespace SoapEnvelope
