#include "soapclient.h"

#include "soapenvelope.h"

namespace {

constexpr quint16 kHttpPort = 80;
constexpr int kOk = 200;
constexpr int kAccepted = 202;
constexpr int kServerFault = 500;

QUrl configuredEndpoint()
{
    const QString fromEnvironment = qEnvironmentVariable(CSoapClient::kEndpointVariable);
    return QUrl(fromEnvironment.isEmpty() ? QString::fromLatin1(CSoapClient::kEndpoint) : fromEnvironment);
}

} // namespace

CSoapClient::CSoapClient(int timeoutMs)
    : CSoapClient(configuredEndpoint(), timeoutMs)
{
}

CSoapClient::CSoapClient(const QUrl& endpoint, int timeoutMs)
    : m_endpoint(endpoint)
    , m_http(timeoutMs)
{
}

CSoapClient& CSoapClient::shared()
{
    static CSoapClient client;
    return client;
}

QByteArray CSoapClient::httpRequest(const QByteArray& body) const
{
    QByteArray path = m_endpoint.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    if (m_endpoint.hasQuery())
        path += '?' + m_endpoint.query(QUrl::FullyEncoded).toUtf8();
    const QByteArray action = QByteArray(kServiceNamespace) + '/' + SoapEnvelope::kMethod;
    QByteArray request;
    request += "POST " + path + " HTTP/1.1\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    request += "Content-Type: text/xml\r\n";
    request += "SOAPAction: \"" + action + "\"\r\n";
    request += "Accept: text/xml\r\n";
    request += "Host: " + m_endpoint.host(QUrl::FullyEncoded).toUtf8() + "\r\n";
    request += "User-Agent: " + QByteArray(kUserAgent) + "\r\n";
    request += "\r\n";
    request += body;
    return request;
}

bool CSoapClient::isUpdate(AppVersion& record)
{
    m_faultText.clear();
    const QString ns = QString::fromLatin1(kServiceNamespace);
    if (!m_endpoint.isValid() || m_endpoint.host().isEmpty()
        || m_endpoint.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0) {
        m_lastError = Error::SendError;
        return false;
    }
    const QByteArray request = httpRequest(SoapEnvelope::isUpdateRequest(record, ns));
    const HttpAnswer answer = m_http.post(m_endpoint.host(), quint16(m_endpoint.port(kHttpPort)), request);

    switch (answer.outcome) {
    case HttpAnswer::Outcome::NotConnected:
        m_lastError = Error::SendError;
        return false;
    case HttpAnswer::Outcome::NoAnswer:
        m_lastError = Error::ServerError;
        return false;
    case HttpAnswer::Outcome::BadBody:
        m_lastError = Error::ReadError;
        return false;
    case HttpAnswer::Outcome::Answered:
        break;
    }
    if (answer.status == kOk) {
        const bool read = SoapEnvelope::readIsUpdateResponse(answer.body, ns, record);
        m_lastError = read ? Error::None : Error::ReadError;
        return read;
    }
    if (answer.status == kAccepted) {
        m_lastError = Error::None;
        return true;
    }
    if (answer.status == kServerFault) {
        SoapEnvelope::Fault fault;
        const bool read = SoapEnvelope::readFault(answer.body, fault);
        m_lastError = read ? Error::SoapFault : Error::FaultParseError;
        if (read)
            m_faultText = fault.code + QLatin1String(": ") + fault.text;
        return false;
    }
    m_lastError = Error::ServerError;
    return false;
}
