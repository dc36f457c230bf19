#pragma once
// The proxy of the vendor's update service: SOAP 1.1 over HTTP to the
// service's endpoint, one method, "IsUpdate". The endpoint is built in, or
// the complete URL in the environment variable "Tessary_server".
//
// One call at a time, from one thread; the connection is kept between calls
// (see CHttpExchange) and must be released by the thread that used it.

#include "appversion.h"
#include "httpexchange.h"

#include <QString>
#include <QUrl>

class CSoapClient
{
public:
    static constexpr const char* kEndpoint = "http://www.tessary.com/ws4/service.asmx";
    static constexpr const char* kServiceNamespace = "http://www.tessary.com";
    static constexpr const char* kEndpointVariable = "Tessary_server";
    static constexpr const char* kUserAgent = "Microsoft-ATL-Native/7.00";

    // How the last call went.
    enum class Error { None, SendError, ServerError, SoapFault, FaultParseError, ReadError };

    // The endpoint from the environment, else the built-in one.
    explicit CSoapClient(int timeoutMs = CHttpExchange::kDefaultTimeoutMs);
    CSoapClient(const QUrl& endpoint, int timeoutMs = CHttpExchange::kDefaultTimeoutMs);

    // The editor's proxy: one per process, made on first use and kept.
    static CSoapClient& shared();

    const QUrl& endpoint() const { return m_endpoint; }

    // Sends `record` and, on success, replaces it with the service's
    // record. On failure `record` is left exactly as it was.
    bool isUpdate(AppVersion& record);

    Error lastError() const { return m_lastError; }
    // The fault's code and text after Error::SoapFault.
    const QString& faultText() const { return m_faultText; }

    // The HTTP request for a body, exactly as sent.
    QByteArray httpRequest(const QByteArray& body) const;

    void releaseConnection() { m_http.releaseConnection(); }

private:
    QUrl m_endpoint;
    CHttpExchange m_http;
    Error m_lastError = Error::None;
    QString m_faultText;
};
