// The share sheet as a user drives it: a real dialog (offscreen or Xvfb),
// a real mail server, message boxes answered by the test.
#include "collageshare.h"
#include "sharefixture.h"
#include "sharesheet.h"
#include "smtptestsupport.h"
#include "propmanager.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {

template <class T>
T* named(QWidget& root, const QString& placeholderOrText)
{
    for (T* child : root.findChildren<T*>()) {
        if constexpr (std::is_same_v<T, QLineEdit>) {
            if (child->placeholderText() == placeholderOrText)
                return child;
        } else if (child->text() == placeholderOrText) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

class ShareSheetTest : public ShareFixture
{
protected:
    void SetUp() override
    {
        ShareFixture::SetUp();
        services->catalogue().setMessageBox([this](const QString&, const QString& text, unsigned) {
            shown << text;
            return MsgButton::Yes;
        });
    }
    QStringList shown;
};

TEST_F(ShareSheetTest, ATypedAddressIsInsertedAndTheCollageSentThroughTheServerOfTheSettings)
{
    MailServer server;
    ASSERT_TRUE(server.start());
    services->settings().setValue("SMTPServerOUT", CPropValue::string(server.address()));
    services->settings().setValue("SMTPUserID", CPropValue::string("me@example.com"));
    CShareSheet sheet(*doc);
    sheet.show();
    named<QLineEdit>(sheet, "E-mail address")->setText("ann@example.com");
    named<QLineEdit>(sheet, "Name (optional)")->setText("Ann");
    named<QPushButton>(sheet, "Send")->click();
    EXPECT_EQ(server.delivered(1)["rcptTos"].toArray(), QJsonArray({"ann@example.com"}));
    EXPECT_EQ(shown, QStringList({services->catalogue().text("SMTPSent")}));
    EXPECT_EQ(services->settings().getValue("SMTPAddrBook")->toString(), "1\tann@example.com\tAnn");
}

TEST_F(ShareSheetTest, WithoutAServerSendOffersTheMailSettings)
{
    services->settings().setValue("SMTPServerOUT", CPropValue::string(""));
    CShareSheet sheet(*doc);
    sheet.show();
    named<QPushButton>(sheet, "Send")->click();
    EXPECT_EQ(shown, QStringList({services->catalogue().text("SMTPNoServer")}));
    EXPECT_EQ(sheet.pages()->currentIndex(), CShareSheet::ServerPage);
}

TEST_F(ShareSheetTest, PublishesToTheFolderOfTheFolderPage)
{
    CShareSheet sheet(*doc);
    sheet.show();
    sheet.pages()->setCurrentIndex(CShareSheet::DiskPage);
    auto* folder = sheet.pages()->widget(CShareSheet::DiskPage)->findChild<QComboBox*>();
    ASSERT_NE(folder, nullptr);
    folder->setCurrentText(home.path() + "/published");
    named<QPushButton>(sheet, "Publish")->click();
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/published/MyCollage.htm"));
    EXPECT_EQ(shown, QStringList({services->catalogue().text("SMTPPublishSuccess")}));
    if (qEnvironmentVariableIsSet("OMBRAVELLE_SHEET_SHOT")) {
        sheet.pages()->setCurrentIndex(CShareSheet::RecipientsPage);
        sheet.grab().save(qEnvironmentVariable("OMBRAVELLE_SHEET_SHOT"));
    }
}
