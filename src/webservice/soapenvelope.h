#pragma once
// The SOAP 1.1 envelopes of the update service's "IsUpdate" method in the
// document/literal wrapped style: the request body the client sends, and
// the readers of the two answers it can get, the method's response (HTTP
// 200) and a fault (HTTP 500). Pure functions on bytes.

#include "appversion.h"

#include <QByteArray>
#include <QString>

namespace SoapEnvelope {

inline constexpr const char* kEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* kMethod = "IsUpdate";

// The request body: UTF-8, no XML declaration, no line breaks; the method
// element carries `serviceNamespace` as its default namespace.
QByteArray isUpdateRequest(const AppVersion& record, const QString& serviceNamespace);

// Text escaped for an XML element: the three entities, and CR and the other
// control characters as numeric references so they survive the reader.
QString escapeText(const QString& text);

// Reads an "IsUpdateResponse" envelope. On success replaces `record` with
// the returned record (fields the answer leaves out keep their values) and
// returns true; on any error (not well-formed, wrong elements or
// namespaces, a header that must be understood, a value that does not
// parse, a result other than "Success") returns false and leaves `record`
// as it was.
bool readIsUpdateResponse(const QByteArray& body, const QString& serviceNamespace, AppVersion& record);

struct Fault
{
    QString code;
    QString text;
};

// Reads a SOAP fault envelope; false when the body is not one.
bool readFault(const QByteArray& body, Fault& fault);

} // namespace SoapEnvelope
