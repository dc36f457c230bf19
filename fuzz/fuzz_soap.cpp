// The update service's answers: the "IsUpdate" response and a fault. A
// refused response leaves the record as it was.
#include "appversion.h"
#include "fuzzsupport.h"
#include "soapclient.h"
#include "soapenvelope.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::startQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = Fuzz::bytes(data, size);
    AppVersion record;
    record.strUpdateMsg = QStringLiteral("untouched");
    record.bBytes = "log";
    const AppVersion before = record;
    if (!SoapEnvelope::readIsUpdateResponse(body, QString::fromLatin1(CSoapClient::kServiceNamespace), record))
        Fuzz::require(record == before);
    SoapEnvelope::Fault fault;
    SoapEnvelope::readFault(body, fault);
    return 0;
}
