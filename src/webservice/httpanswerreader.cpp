#include "httpanswerreader.h"

#include <QList>

namespace {

struct Headers
{
    int status = 0;
    bool http10 = false;
    bool chunked = false;
    qint64 contentLength = -1;
    bool close = false;
    bool keepAlive = false;
};

bool parseStatusLine(const QByteArray& line, Headers& headers)
{
    // "HTTP/1.1 200 OK"
    if (!line.startsWith("HTTP/1."))
        return false;
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() < 2)
        return false;
    bool ok = false;
    headers.status = parts[1].toInt(&ok);
    headers.http10 = line.startsWith("HTTP/1.0");
    return ok && headers.status >= 100 && headers.status <= 999;
}

bool parseHeader(const QByteArray& line, Headers& headers)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-length") {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        if (!ok || length < 0)
            return false;
        headers.contentLength = length;
    } else if (name == "transfer-encoding") {
        headers.chunked = value.toLower().contains("chunked");
    } else if (name == "connection") {
        const QByteArray tokens = value.toLower();
        headers.close = tokens.contains("close");
        headers.keepAlive = tokens.contains("keep-alive");
    }
    return true;
}

} // namespace

CHttpAnswerReader::CHttpAnswerReader(Source source)
    : m_source(std::move(source))
{
}

void CHttpAnswerReader::reset()
{
    m_buffer.clear();
    m_peerClosed = false;
}

bool CHttpAnswerReader::fill()
{
    const qsizetype before = m_buffer.size();
    const Fill outcome = m_source(m_buffer);
    if (outcome == Fill::Closed)
        m_peerClosed = true;
    return outcome == Fill::Data && m_buffer.size() > before;
}

bool CHttpAnswerReader::readLine(QByteArray& line)
{
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end >= 0) {
            line = m_buffer.left(end);
            if (line.endsWith('\r'))
                line.chop(1);
            m_buffer.remove(0, end + 1);
            return true;
        }
        if (m_buffer.size() > kMaxLine || !fill())
            return false;
    }
}

bool CHttpAnswerReader::readExactly(qint64 size, QByteArray& into)
{
    while (m_buffer.size() < size) {
        if (!fill())
            return false;
    }
    into += m_buffer.left(size);
    m_buffer.remove(0, size);
    return true;
}

bool CHttpAnswerReader::readToEnd(QByteArray& into)
{
    while (fill()) {
        if (m_buffer.size() > kMaxBody)
            return false;
    }
    into += m_buffer;
    m_buffer.clear();
    return m_peerClosed;
}

HttpAnswer CHttpAnswerReader::read(bool& keepOpen)
{
    keepOpen = false;
    HttpAnswer answer;
    Headers headers;
    QByteArray line;
    // Interim answers (100 Continue) come before the real one.
    do {
        headers = Headers();
        if (!readLine(line) || !parseStatusLine(line, headers))
            return answer; // no answer
        for (;;) {
            if (!readLine(line)) {
                answer.outcome = HttpAnswer::Outcome::BadBody;
                return answer;
            }
            if (line.isEmpty())
                break;
            if (!parseHeader(line, headers)) {
                answer.outcome = HttpAnswer::Outcome::BadBody;
                return answer;
            }
        }
    } while (headers.status >= 100 && headers.status < 200);

    answer.status = headers.status;
    answer.outcome = HttpAnswer::Outcome::BadBody;
    bool toEnd = false;
    if (headers.status == 204 || headers.status == 304) {
        // no body
    } else if (headers.chunked) {
        for (;;) {
            if (!readLine(line))
                return answer;
            bool ok = false;
            const qint64 size = line.split(';').first().trimmed().toLongLong(&ok, 16);
            if (!ok || size < 0 || answer.body.size() + size > kMaxBody)
                return answer;
            if (size == 0)
                break;
            QByteArray crlf;
            if (!readExactly(size, answer.body) || !readLine(crlf) || !crlf.isEmpty())
                return answer;
        }
        do { // trailer lines, up to the blank line
            if (!readLine(line))
                return answer;
        } while (!line.isEmpty());
    } else if (headers.contentLength >= 0) {
        if (headers.contentLength > kMaxBody || !readExactly(headers.contentLength, answer.body))
            return answer;
    } else {
        toEnd = true;
        if (!readToEnd(answer.body))
            return answer;
    }
    answer.outcome = HttpAnswer::Outcome::Answered;
    keepOpen = !(toEnd || headers.close || (headers.http10 && !headers.keepAlive));
    return answer;
}
