// Mail accounts from Thunderbird profiles, the recipient check-list and
// vCard import.
#include "mailaccounts.h"
#include "passwords.h"
#include "propmanager.h"
#include "recipientlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kPrefs = R"(// Mozilla User Preferences
user_pref("mail.account.account1.identities", "id1");
user_pref("mail.account.account1.server", "server1");
user_pref("mail.account.account2.identities", "id2");
user_pref("mail.account.account2.server", "server2");
user_pref("mail.account.account3.server", "server3");
user_pref("mail.account.account4.identities", "id4");
user_pref("mail.account.account4.server", "server4");
user_pref("mail.accountmanager.accounts", "account1,account2,account3,account4");
user_pref("mail.accountmanager.defaultaccount", "account2");
user_pref("mail.identity.id1.fullName", "Ann \"A.\" Smith");
user_pref("mail.identity.id1.useremail", "ann@example.com");
user_pref("mail.identity.id1.smtpServer", "smtp1");
user_pref("mail.identity.id2.fullName", "Ann at work");
user_pref("mail.identity.id2.useremail", "ann@work.example");
user_pref("mail.identity.id4.useremail", "nobody@example.com");
user_pref("mail.identity.id4.smtpServer", "smtp9");
user_pref("mail.server.server1.name", "Home");
user_pref("mail.server.server2.name", "Work");
user_pref("mail.server.server3.name", "Local Folders");
user_pref("mail.smtp.defaultserver", "smtp2");
user_pref("mail.smtpserver.smtp1.hostname", "mail.example.com");
user_pref("mail.smtpserver.smtp1.port", 587);
user_pref("mail.smtpserver.smtp1.try_ssl", 2);
user_pref("mail.smtpserver.smtp1.username", "ann");
user_pref("mail.smtpserver.smtp2.hostname", "smtp.work.example");
)";

} // namespace

TEST(MailAccounts, AccountsWithAnSmtpServerAreListedWithTheirIdentity)
{
    const std::vector<CMailAccount> accounts = MailAccounts::accountsOf(MailAccounts::readPrefs(kPrefs));
    ASSERT_EQ(accounts.size(), 2u) << "local folders and an account whose server is unknown are left out";
    EXPECT_EQ(accounts[0].name, "Home");
    EXPECT_EQ(accounts[0].displayName, "Ann \"A.\" Smith");
    EXPECT_EQ(accounts[0].serverText(), "mail.example.com:587");
    EXPECT_EQ(accounts[0].security, SmtpSecurity::StartTls);
    EXPECT_EQ(accounts[0].user, "ann");
    EXPECT_FALSE(accounts[0].isDefault);
    EXPECT_EQ(accounts[1].name, "Work");
    EXPECT_EQ(accounts[1].serverText(), "smtp.work.example") << "the default server, on port 25";
    EXPECT_TRUE(accounts[1].isDefault);
}

TEST(MailAccounts, DiscoversEveryProfileOfProfilesIniDefaultFirst)
{
    QTemporaryDir home;
    const QDir root(home.path() + "/.thunderbird");
    ASSERT_TRUE(root.mkpath("abc.default-release"));
    QFile ini(root.filePath("profiles.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\nDefault=1\n");
    ini.close();
    QFile prefs(root.filePath("abc.default-release/prefs.js"));
    ASSERT_TRUE(prefs.open(QIODevice::WriteOnly));
    prefs.write(kPrefs);
    prefs.close();
    const std::vector<CMailAccount> accounts = MailAccounts::discover(home.path());
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_TRUE(accounts[0].isDefault);
    EXPECT_TRUE(MailAccounts::discover(home.path() + "/nowhere").empty());
}

TEST(RecipientList, EntriesShowNameAndAddressUnlessTheNameIsTheAddress)
{
    EXPECT_EQ((CAddressEntry{"ann@example.com", "Ann", true}).text(), "Ann (ann@example.com)");
    EXPECT_EQ((CAddressEntry{"ann@example.com", "ANN@example.com", true}).text(), "ann@example.com");
    EXPECT_EQ((CAddressEntry{"ann@example.com", {}, true}).text(), "ann@example.com");
}

TEST(RecipientList, AddsChecksRemovesAndKeepsItselfInOneSetting)
{
    CRecipientList list;
    EXPECT_EQ(list.add("", "Nobody"), CRecipientList::AddResult::NoAddress);
    EXPECT_EQ(list.add("ann@", "Ann"), CRecipientList::AddResult::Malformed);
    EXPECT_EQ(list.add("ann@example.com", "Ann"), CRecipientList::AddResult::Added);
    EXPECT_EQ(list.add("bob@example.com", "Bob\tB."), CRecipientList::AddResult::Added);
    EXPECT_EQ(list.add("cy@example.com", {}), CRecipientList::AddResult::Added);
    list.setChecked(0, false);
    EXPECT_EQ(list.add("ANN@example.com", "Ann Smith"), CRecipientList::AddResult::Updated);
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_TRUE(list.entries()[0].checked);
    EXPECT_EQ(list.entries()[0].name, "Ann Smith");
    list.setChecked(2, false);
    const CRecipientList again = CRecipientList::fromStored(list.stored());
    ASSERT_EQ(again.entries().size(), 3u);
    EXPECT_EQ(again.entries()[1].name, "Bob B.");
    EXPECT_FALSE(again.entries()[2].checked);
    EXPECT_EQ(again.checked().size(), 2u);
    CRecipientList fewer = again;
    fewer.remove({0, 2, 2});
    ASSERT_EQ(fewer.entries().size(), 1u);
    EXPECT_EQ(fewer.entries()[0].address, "bob@example.com");
}

TEST(RecipientList, ImportsThePeopleOfVCardsThatHaveAnAddress)
{
    const QByteArray vcf = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n  Smith\r\nEMAIL;TYPE=HOME:ann@home.example\r\n"
                           "item1.EMAIL;TYPE=WORK,PREF:ann@work.example\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Mu=C3=\r\n=B1oz;Jos=C3=A9\r\n"
                           "EMAIL;INTERNET:jose@example.com\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:No Mail\r\nTEL:123\r\nEND:VCARD\r\n";
    const std::vector<CRecipient> people = VCard::read(vcf);
    ASSERT_EQ(people.size(), 2u);
    EXPECT_EQ(people[0].name, "Ann Smith");
    EXPECT_EQ(people[0].address, "ann@work.example");
    EXPECT_EQ(people[1].name, QString::fromUtf8("Jos\xc3\xa9 Mu\xc3\xb1oz"));
    CRecipientList list;
    EXPECT_EQ(list.importVCards(vcf), 2);
    EXPECT_EQ(list.importVCards("BEGIN:VCARD\r\nFN:No Mail\r\nEND:VCARD\r\n"), 0);
}

TEST(Passwords, WithoutAKeyringThePasswordStaysInTheSettings)
{
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    CPropManager settings;
    EXPECT_FALSE(Passwords::keyringAvailable());
    EXPECT_FALSE(Passwords::save(settings, Passwords::kSmtpSetting, "smtp", "ann@mail.example.com", "s3cret"));
    EXPECT_EQ(Passwords::load(settings, Passwords::kSmtpSetting, "smtp", "ann@mail.example.com"), "s3cret");
    if (!bus.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
}
