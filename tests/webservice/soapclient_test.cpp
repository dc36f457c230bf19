// The SOAP client against a real SOAP 1.1 service (python3-spyne) on
// loopback, and the ways an answer can go wrong on the wire.

#include "programversion.h"
#include "soapclient.h"
#include "soapenvelope.h"
#include "updateserver.h"

#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

AppVersion request()
{
    AppVersion record;
    record.shBuild = 30;
    record.bBytes = "usage";
    return record;
}

} // namespace

class SoapClient : public ::testing::Test
{
protected:
    UpdateServer m_server;
};

TEST_F(SoapClient, SendsTheRequestExactlyToTheEndpointOfTessaryServer)
{
    qputenv("Tessary_server", m_server.url("/ws4/service.asmx").toUtf8());
    CSoapClient client;
    qunsetenv("Tessary_server");
    AppVersion record = request();

    ASSERT_TRUE(client.isUpdate(record));

    const QList<QByteArray> requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1);
    const QByteArray body = SoapEnvelope::isUpdateRequest(request(), "http://www.tessary.com");
    EXPECT_EQ(requests[0], "POST /ws4/service.asmx HTTP/1.1\r\n"
                           "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                           "Content-Type: text/xml\r\n"
                           "SOAPAction: \"http://www.tessary.com/IsUpdate\"\r\n"
                           "Accept: text/xml\r\n"
                           "Host: 127.0.0.1\r\n"
                           "User-Agent: Microsoft-ATL-Native/7.00\r\n"
                           "\r\n" + body);
    EXPECT_EQ(m_server.received().value("bBytes").toString(), "usage");
}

TEST_F(SoapClient, WithoutTessaryServerTheBuiltInEndpointIsUsed)
{
    qunsetenv("Tessary_server");
    EXPECT_EQ(CSoapClient().endpoint(), QUrl(CSoapClient::kEndpoint));
    EXPECT_EQ(CSoapClient().endpoint().path(), "/ws4/service.asmx");
}

TEST_F(SoapClient, TheServicesRecordReplacesTheCallersAndNilStringsReadEmpty)
{
    m_server.answer({{"shBuild", 31}, {"fUpdate", true}, {"strPatchURL", "http://h/patch2.exe"},
                     {"strLocalName", "collage"}, {"strPatchAppParams", QJsonValue::Null},
                     {"strUpdateMsg", QJsonValue::Null}});
    CSoapClient client(QUrl(m_server.url()));
    AppVersion record = request();
    record.strUpdateMsg = QStringLiteral("before");

    ASSERT_TRUE(client.isUpdate(record));

    EXPECT_EQ(client.lastError(), CSoapClient::Error::None);
    EXPECT_EQ(record.shBuild, 31);
    EXPECT_TRUE(record.fUpdate);
    EXPECT_EQ(record.strPatchURL, "http://h/patch2.exe");
    EXPECT_EQ(record.strLocalName, "collage");
    EXPECT_TRUE(record.strPatchAppParams.isEmpty());
    EXPECT_TRUE(record.strUpdateMsg.isEmpty());
}

struct WireCase
{
    const char* mode;
    bool succeeds;
    CSoapClient::Error error;
};

class AnswersOnTheWire : public SoapClient, public ::testing::WithParamInterface<WireCase>
{
};

TEST_P(AnswersOnTheWire, EndAsSpecifiedAndAFailureLeavesTheRecord)
{
    const WireCase& c = GetParam();
    m_server.answer({{"mode", c.mode}, {"shBuild", 99}, {"strUpdateMsg", "New!"}});
    CSoapClient client(QUrl(m_server.url()));
    AppVersion record = request();

    EXPECT_EQ(client.isUpdate(record), c.succeeds);

    EXPECT_EQ(client.lastError(), c.error);
    if (c.succeeds && QByteArray(c.mode) != "accepted") {
        EXPECT_EQ(record.shBuild, 99);
        EXPECT_EQ(record.strUpdateMsg, "New!");
    } else {
        EXPECT_EQ(record, request());
    }
}

INSTANTIATE_TEST_SUITE_P(
    SoapClient, AnswersOnTheWire,
    ::testing::Values(WireCase{"chunked", true, CSoapClient::Error::None},
                      WireCase{"to-close", true, CSoapClient::Error::None},
                      WireCase{"header", true, CSoapClient::Error::None},
                      WireCase{"accepted", true, CSoapClient::Error::None},
                      WireCase{"fault", false, CSoapClient::Error::SoapFault},
                      WireCase{"fault-garbage", false, CSoapClient::Error::FaultParseError},
                      WireCase{"truncated", false, CSoapClient::Error::ReadError},
                      WireCase{"garbage", false, CSoapClient::Error::ReadError},
                      WireCase{"must-understand", false, CSoapClient::Error::ReadError},
                      WireCase{"not-found", false, CSoapClient::Error::ServerError}),
    [](const auto& info) {
        std::string name = info.param.mode;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(SoapClient, AFaultNamesItsCodeAndText)
{
    m_server.answer({{"mode", "fault"}});
    CSoapClient client(QUrl(m_server.url()));
    AppVersion record = request();
    EXPECT_FALSE(client.isUpdate(record));
    EXPECT_EQ(client.faultText(), "soap11env:Server: The update service is resting");
}

TEST_F(SoapClient, KeepsTheConnectionForTheNextCallUnlessTheServerClosesIt)
{
    CSoapClient client(QUrl(m_server.url()));
    AppVersion record = request();
    m_server.answer({{"mode", "close"}});
    ASSERT_TRUE(client.isUpdate(record));
    ASSERT_TRUE(client.isUpdate(record));
    EXPECT_EQ(m_server.connections(), 2);

    m_server.answer({});
    ASSERT_TRUE(client.isUpdate(record));
    ASSERT_TRUE(client.isUpdate(record));
    ASSERT_TRUE(client.isUpdate(record));
    EXPECT_EQ(m_server.connections(), 3);
}

TEST_F(SoapClient, AKeptConnectionTheServerDroppedIsOpenedAfresh)
{
    CSoapClient client(QUrl(m_server.url()));
    AppVersion record = request();
    ASSERT_TRUE(client.isUpdate(record));
    client.releaseConnection();
    ASSERT_TRUE(client.isUpdate(record));
    EXPECT_EQ(m_server.connections(), 2);
}

TEST(SoapClientOffline, NoServerIsASendErrorAndABadEndpointToo)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();

    AppVersion record = request();
    CSoapClient client(QUrl(QStringLiteral("http://127.0.0.1:%1/ws4/service.asmx").arg(port)));
    EXPECT_FALSE(client.isUpdate(record));
    EXPECT_EQ(client.lastError(), CSoapClient::Error::SendError);

    CSoapClient ftp(QUrl(QStringLiteral("ftp://127.0.0.1/ws4/service.asmx")));
    EXPECT_FALSE(ftp.isUpdate(record));
    EXPECT_EQ(ftp.lastError(), CSoapClient::Error::SendError);
    EXPECT_EQ(record, request());
}
