#pragma once
// One HTTP/1.1 POST and its answer over a kept TCP connection, with a time
// limit on every connect, send and receive. The connection stays open for
// the next exchange unless the server says "Connection: close" (or answers
// HTTP/1.0 without keep-alive).
//
// Blocking; lives on and is used from one thread. Not a QObject owner:
// the socket it keeps is created in the thread that first exchanges, and
// releaseConnection() must run in that thread.

#include "httpanswerreader.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QTcpSocket;

class CHttpExchange
{
public:
    static constexpr int kDefaultTimeoutMs = 20000;
    static constexpr qint64 kBlockSize = 4096;

    explicit CHttpExchange(int timeoutMs = kDefaultTimeoutMs);
    ~CHttpExchange();
    CHttpExchange(const CHttpExchange&) = delete;
    CHttpExchange& operator=(const CHttpExchange&) = delete;

    // Sends `request` (request line, headers, blank line and body, exactly
    // as given) to host:port, reusing the open connection when it leads
    // there, and reads the answer.
    HttpAnswer post(const QString& host, quint16 port, const QByteArray& request);

    // Closes the kept connection; call from the thread that used it.
    void releaseConnection();
    bool hasOpenConnection() const;

private:
    bool connectTo(const QString& host, quint16 port);
    bool send(const QByteArray& request);
    HttpAnswer receive();
    CHttpAnswerReader::Fill fill(QByteArray& into);

    int m_timeoutMs;
    std::unique_ptr<QTcpSocket> m_socket;
    QString m_host;
    quint16 m_port = 0;
    CHttpAnswerReader m_reader;
};
