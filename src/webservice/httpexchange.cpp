#include "httpexchange.h"

#include <QTcpSocket>

namespace {

HttpAnswer notConnected()
{
    HttpAnswer answer;
    answer.outcome = HttpAnswer::Outcome::NotConnected;
    return answer;
}

} // namespace

CHttpExchange::CHttpExchange(int timeoutMs)
    : m_timeoutMs(timeoutMs)
    , m_reader([this](QByteArray& into) { return fill(into); })
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
    m_reader.reset();
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
    m_reader.reset();
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

CHttpAnswerReader::Fill CHttpExchange::fill(QByteArray& into)
{
    if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(m_timeoutMs)) {
        const bool closed = m_socket->state() != QAbstractSocket::ConnectedState
                            || m_socket->error() == QAbstractSocket::RemoteHostClosedError;
        return closed ? CHttpAnswerReader::Fill::Closed : CHttpAnswerReader::Fill::Silent;
    }
    into += m_socket->read(kBlockSize);
    return CHttpAnswerReader::Fill::Data;
}

HttpAnswer CHttpExchange::receive()
{
    bool keepOpen = false;
    HttpAnswer answer = m_reader.read(keepOpen);
    if (!keepOpen)
        releaseConnection();
    return answer;
}
