// The "IsUpdate" envelopes as bytes: the request exactly, and the readers of
// answers written the ways servers write them.

#include "soapenvelope.h"

#include <gtest/gtest.h>

namespace {

const QString kNs = QStringLiteral("http://www.tessary.com");

// An answer envelope around `inside` (the children of IsUpdateResponse).
QByteArray response(const QByteArray& inside, const QByteArray& header = {})
{
    return "<?xml version='1.0' encoding='UTF-8'?>"
           "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:t=\"http://www.tessary.com\">"
        + header + "<e:Body><t:IsUpdateResponse>" + inside + "</t:IsUpdateResponse></e:Body></e:Envelope>";
}

const QByteArray kFullRecord = "<t:out_vi><t:shBuild>42</t:shBuild><t:bBytes>bG9n</t:bBytes><t:fUpdate>true</t:fUpdate>"
                               "<t:strPatchURL>http://h/p/patch2.exe</t:strPatchURL><t:strLocalName>collage</t:strLocalName>"
                               "<t:strPatchAppParams>-q &amp; -v</t:strPatchAppParams>"
                               "<t:strUpdateMsg i:nil=\"true\"/></t:out_vi>"
                               "<t:IsUpdateResult>Success</t:IsUpdateResult>";

AppVersion before()
{
    AppVersion record;
    record.shBuild = 7;
    record.bBytes = "usage";
    record.strUpdateMsg = QStringLiteral("unchanged");
    return record;
}

} // namespace

TEST(SoapEnvelope, TheRequestIsOneLineWithTheMethodInTheServiceNamespaceAndNilStrings)
{
    AppVersion record;
    record.shBuild = 12;
    record.bBytes = "2024-5-1 9:7, 0.1.1, 3, \"e-mail\", \"true, 2\"";
    record.strLocalName = QStringLiteral("a<b>&c\rd"); // one string given, the rest nil

    EXPECT_EQ(SoapEnvelope::isUpdateRequest(record, kNs),
              "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
              "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
              "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>"
              "<IsUpdate xmlns=\"http://www.tessary.com\"><out_vi><shBuild>12</shBuild>"
              "<bBytes>MjAyNC01LTEgOTo3LCAwLjEuMSwgMywgImUtbWFpbCIsICJ0cnVlLCAyIg==</bBytes>"
              "<fUpdate>false</fUpdate><strPatchURL xsi:nil=\"1\"/>"
              "<strLocalName>a&lt;b&gt;&amp;c&#x000D;d</strLocalName>"
              "<strPatchAppParams xsi:nil=\"1\"/><strUpdateMsg xsi:nil=\"1\"/></out_vi></IsUpdate>"
              "</soap:Body></soap:Envelope>");
}

TEST(SoapEnvelope, AnAnswerReplacesTheRecordAndANilStringReadsAsEmpty)
{
    AppVersion record = before();

    ASSERT_TRUE(SoapEnvelope::readIsUpdateResponse(response(kFullRecord), kNs, record));

    EXPECT_EQ(record.shBuild, 42);
    EXPECT_EQ(record.bBytes, "log");
    EXPECT_TRUE(record.fUpdate);
    EXPECT_EQ(record.strPatchURL, "http://h/p/patch2.exe");
    EXPECT_EQ(record.strLocalName, "collage");
    EXPECT_EQ(record.strPatchAppParams, "-q & -v");
    EXPECT_TRUE(record.strUpdateMsg.isEmpty());
}

TEST(SoapEnvelope, NamespacesCountNotPrefixes)
{
    // The same answer with default namespaces instead of prefixes.
    const QByteArray body =
        "<Envelope xmlns=\"http://schemas.xmlsoap.org/soap/envelope/\"><Body>"
        "<IsUpdateResponse xmlns=\"http://www.tessary.com\"><IsUpdateResult>Success</IsUpdateResult>"
        "<out_vi><shBuild>9</shBuild><fUpdate>1</fUpdate><strUpdateMsg>Hi</strUpdateMsg></out_vi>"
        "</IsUpdateResponse></Body></Envelope>";
    AppVersion record = before();

    ASSERT_TRUE(SoapEnvelope::readIsUpdateResponse(body, kNs, record));
    EXPECT_EQ(record.shBuild, 9);
    EXPECT_TRUE(record.fUpdate);
    EXPECT_EQ(record.strUpdateMsg, "Hi");
    EXPECT_EQ(record.bBytes, "usage") << "a field the answer leaves out keeps its value";
}

struct BadAnswer
{
    const char* name;
    QByteArray body;
};

class BadAnswers : public ::testing::TestWithParam<BadAnswer>
{
};

TEST_P(BadAnswers, FailAndLeaveTheRecordAsItWas)
{
    AppVersion record = before();
    EXPECT_FALSE(SoapEnvelope::readIsUpdateResponse(GetParam().body, kNs, record));
    EXPECT_EQ(record, before());
}

INSTANTIATE_TEST_SUITE_P(
    SoapEnvelope, BadAnswers,
    ::testing::Values(
        BadAnswer{"empty", ""}, BadAnswer{"garbage", "<this is not xml"},
        BadAnswer{"cut_off", response(kFullRecord).left(300)},
        BadAnswer{"header_that_must_be_understood",
                  response(kFullRecord, "<e:Header><s:Session xmlns:s=\"urn:s\" e:mustUnderstand=\"1\">7</s:Session>"
                                        "</e:Header>")},
        BadAnswer{"method_in_another_namespace",
                  "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body>"
                  "<IsUpdateResponse xmlns=\"http://elsewhere\"><IsUpdateResult>Success</IsUpdateResult>"
                  "<out_vi><shBuild>9</shBuild></out_vi></IsUpdateResponse></e:Body></e:Envelope>"},
        BadAnswer{"envelope_of_soap_1_2",
                  "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>"},
        BadAnswer{"no_result", response("<t:out_vi><t:shBuild>42</t:shBuild></t:out_vi>")},
        BadAnswer{"no_record", response("<t:IsUpdateResult>Success</t:IsUpdateResult>")},
        BadAnswer{"unknown_result", response("<t:out_vi/><t:IsUpdateResult>Failure</t:IsUpdateResult>")},
        BadAnswer{"build_out_of_range",
                  response("<t:out_vi><t:shBuild>40000</t:shBuild></t:out_vi><t:IsUpdateResult>Success</t:IsUpdateResult>")},
        BadAnswer{"nil_build", response("<t:out_vi><t:shBuild i:nil=\"1\"/></t:out_vi>"
                                        "<t:IsUpdateResult>Success</t:IsUpdateResult>")},
        BadAnswer{"not_a_boolean", response("<t:out_vi><t:fUpdate>yes</t:fUpdate></t:out_vi>"
                                            "<t:IsUpdateResult>Success</t:IsUpdateResult>")},
        BadAnswer{"bad_base64", response("<t:out_vi><t:bBytes>#!</t:bBytes></t:out_vi>"
                                         "<t:IsUpdateResult>Success</t:IsUpdateResult>")},
        BadAnswer{"element_inside_a_string",
                  response("<t:out_vi><t:strUpdateMsg><b>bold</b></t:strUpdateMsg></t:out_vi>"
                           "<t:IsUpdateResult>Success</t:IsUpdateResult>")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SoapEnvelope, AHeaderThatNeedNotBeUnderstoodIsPassedOver)
{
    AppVersion record = before();
    EXPECT_TRUE(SoapEnvelope::readIsUpdateResponse(
        response(kFullRecord, "<e:Header><s:Session xmlns:s=\"urn:s\" e:mustUnderstand=\"0\">7</s:Session></e:Header>"),
        kNs, record));
    EXPECT_EQ(record.shBuild, 42);
}

TEST(SoapEnvelope, AFaultGivesItsCodeAndTextAndAnythingElseIsNoFault)
{
    SoapEnvelope::Fault fault;
    ASSERT_TRUE(SoapEnvelope::readFault(
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><s:Fault>"
        "<faultcode>s:Server</faultcode><faultstring>Resting</faultstring><detail><x>1</x></detail>"
        "</s:Fault></s:Body></s:Envelope>",
        fault));
    EXPECT_EQ(fault.code, "s:Server");
    EXPECT_EQ(fault.text, "Resting");

    EXPECT_FALSE(SoapEnvelope::readFault("Internal Server Error", fault));
    EXPECT_FALSE(SoapEnvelope::readFault(response(kFullRecord), fault));
}
