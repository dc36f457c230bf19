#include "httpexchange.h"

#include <QTcpSocket>

namespace {

// Limits against a server that never stops talking.
constexpr qsizetype kMaxLine = 64 * 1024;
constexpr qint64 kMaxBody = 16 * 1024 * 1024;

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

HttpAnswer notConnected()
{
    HttpAnswer answer;
    answer.outcome = HttpAnswer::Outcome::NotConnected;
    return answer;
}

} // namespace

CHttpExchange::CHttpExchange(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
}

CHttpExchange::~CHttpExchange() = default;

bool CHttpExchange::hasOpenConnection() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void CHttpExchange::releaseConnection()
{
    if (m_socket)
        m_socket->abort();
    m_socket.reset();
    m_buffer.clear();
    m_peerClosed = false;
}

HttpAnswer CHttpExchange::post(const QString& host, quint16 port, const QByteArray& request)
{
    const bool reuse = hasOpenConnection() && host == m_host && port == m_port;
    if (!reuse) {
        releaseConnection();
        if (!connectTo(host, port))
            return notConnected();
    }
    HttpAnswer answer = send(request) ? receive() : notConnected();
    // A kept connection the server has dropped in the meantime gets one
    // more try on a fresh one.
    if (reuse && answer.outcome != HttpAnswer::Outcome::Answered && answer.outcome != HttpAnswer::Outcome::BadBody) {
        releaseConnection();
        if (!connectTo(host, port))
            return notConnected();
        answer = send(request) ? receive() : notConnected();
    }
    if (answer.outcome != HttpAnswer::Outcome::Answered)
        releaseConnection();
    return answer;
}

bool CHttpExchange::connectTo(const QString& host, quint16 port)
{
    m_socket = std::make_unique<QTcpSocket>();
    m_buffer.clear();
    m_peerClosed = false;
    m_socket->connectToHost(host, port);
    if (!m_socket->waitForConnected(m_timeoutMs)) {
        releaseConnection();
        return false;
    }
    m_host = host;
    m_port = port;
    return true;
}

bool CHttpExchange::send(const QByteArray& request)
{
    for (qint64 offset = 0; offset < request.size(); offset += kBlockSize) {
        const QByteArray block = request.mid(offset, kBlockSize);
        if (m_socket->write(block) != block.size())
            return false;
        while (m_socket->bytesToWrite() > 0) {
            if (!m_socket->waitForBytesWritten(m_timeoutMs))
                return false;
        }
    }
    return true;
}

bool CHttpExchange::fill()
{
    if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(m_timeoutMs)) {
        m_peerClosed = m_socket->state() != QAbstractSocket::ConnectedState
                       || m_socket->error() == QAbstractSocket::RemoteHostClosedError;
        return false;
    }
    const QByteArray block = m_socket->read(kBlockSize);
    m_buffer += block;
    return !block.isEmpty() || m_socket->bytesAvailable() > 0;
}

bool CHttpExchange::readLine(QByteArray& line)
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

bool CHttpExchange::readExactly(qint64 size, QByteArray& into)
{
    while (m_buffer.size() < size) {
        if (!fill())
            return false;
    }
    into += m_buffer.left(size);
    m_buffer.remove(0, size);
    return true;
}

bool CHttpExchange::readToEnd(QByteArray& into)
{
    while (fill()) {
        if (m_buffer.size() > kMaxBody)
            return false;
    }
    into += m_buffer;
    m_buffer.clear();
    return m_peerClosed;
}

HttpAnswer CHttpExchange::receive()
{
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
    if (toEnd || headers.close || (headers.http10 && !headers.keepAlive))
        releaseConnection();
    return answer;
}
