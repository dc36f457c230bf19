#pragma once
// One HTTP/1.x answer read from bytes as they arrive. The body is taken by
// its Content-Length, chunk by chunk when chunked (trailers read and
// dropped), or to the end of the connection when it has neither. Apart
// from the connection that brings the bytes, so that what a server may
// send can be tried without one.

#include <QByteArray>

#include <functional>

struct HttpAnswer
{
    enum class Outcome {
        Answered,     // status, headers and the whole body arrived
        NotConnected, // no connection, or the request could not be sent
        NoAnswer,     // sent, but no status line came back
        BadBody,      // the answer broke off or its framing was wrong
    };
    Outcome outcome = Outcome::NoAnswer;
    int status = 0;
    QByteArray body;
};

class CHttpAnswerReader
{
public:
    // What asking the connection for more bytes gave.
    enum class Fill { Data, Closed, Silent };
    // Appends what has arrived to `into`, waiting for it as long as the
    // connection allows.
    using Source = std::function<Fill(QByteArray& into)>;

    static constexpr qsizetype kMaxLine = 64 * 1024;
    static constexpr qint64 kMaxBody = 16 * 1024 * 1024;

    explicit CHttpAnswerReader(Source source);

    // The next answer. `keepOpen` says whether the connection may carry
    // another exchange after it.
    HttpAnswer read(bool& keepOpen);
    // Forgets bytes already received: the next answer comes on a new
    // connection.
    void reset();

private:
    bool fill();
    bool readLine(QByteArray& line);
    bool readExactly(qint64 size, QByteArray& into);
    bool readToEnd(QByteArray& into);

    Source m_source;
    QByteArray m_buffer; // received, not yet consumed
    bool m_peerClosed = false;
};
