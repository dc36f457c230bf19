#include "sharesheet.h"

#include "collagedoc.h"
#include "collageshare.h"
#include "infotiprequest.h"
#include "mailaccounts.h"
#include "messagecatalogue.h"
#include "passwords.h"
#include "propmanager.h"
#include "sharesettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int kMaxImageSide = 10000;
// Wide enough for the five page tabs.
constexpr QSize kInitialSize(640, 560);

QSpinBox* spinBox(int minimum, int maximum, int value)
{
    auto* box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QPushButton* button(const QString& text, QObject* receiver, void (CShareSheet::*slot)(), CShareSheet* sheet)
{
    auto* pushButton = new QPushButton(text);
    QObject::connect(pushButton, &QPushButton::clicked, receiver, [sheet, slot] { (sheet->*slot)(); });
    return pushButton;
}

QString smtpAccount(const QString& server, const QString& user)
{
    return user + QLatin1Char('@') + server;
}

} // namespace

CShareSheet::CShareSheet(CCollageDoc& doc, QWidget* parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_catalogue(doc.services().catalogue)
{
    setWindowTitle(tr("Share Your Collage"));
    m_share = std::make_unique<CCollageShare>(doc, [this](const QString& key, unsigned style) { return ask(key, style); });
    m_recipients = CRecipientList::fromStored(
        doc.services().settings.getValue(QStringLiteral("SMTPAddrBook")).value_or(CPropValue()).toString());

    m_pages = new QTabWidget;
    m_pages->addTab(makeRecipientsPage(), tr("E-Mail"));
    m_pages->addTab(makeImagePage(), tr("Image Size"));
    m_pages->addTab(makeServerPage(), tr("Mail Settings"));
    m_pages->addTab(makeWebPage(), tr("Publish to Web"));
    m_pages->addTab(makeDiskPage(), tr("Publish to Folder"));

    m_originals = new QCheckBox(tr("Inclu&de scaled-down original images"));
    m_originals->setChecked(m_share->settings().includeOriginals.get());
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(button(tr("Preview..."), this, &CShareSheet::preview, this), QDialogButtonBox::ActionRole);
    buttons->addButton(button(tr("Send"), this, &CShareSheet::send, this), QDialogButtonBox::ActionRole);
    buttons->addButton(button(tr("Publish"), this, &CShareSheet::publish, this), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(m_originals);
    layout->addWidget(buttons);
    fillRecipients();
    // Nobody to share with yet: where to add someone.
    if (m_recipients.entries().empty())
        InfoTips::request(m_doc.services().bus, QStringLiteral("Tip::NAMEShareAdd"), m_newAddress, kTipDelayMs);
    resize(kInitialSize);
    // Said once, when the sheet opens, rather than at every page it makes.
    if (m_share->droppedLinks() > 0)
        QMetaObject::invokeMethod(this, [this] { m_catalogue.show(QStringLiteral("SMTPLinkDropped"), MsgStyle::InfoOk); },
                                  Qt::QueuedConnection);
}

CShareSheet::~CShareSheet() = default;

QWidget* CShareSheet::makeRecipientsPage()
{
    CShareSettings& settings = m_share->settings();
    auto* page = new QWidget;
    m_subject = new QLineEdit(settings.subject.get());
    m_message = new QPlainTextEdit(settings.message.get());
    m_addressList = new QListWidget;
    m_addressList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addressList->setToolTip(m_catalogue.text(QStringLiteral("SMTPAddrBook")));
    connect(m_addressList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        m_recipients.setChecked(m_addressList->row(item), item->checkState() == Qt::Checked);
    });
    m_newAddress = new QLineEdit;
    m_newAddress->setPlaceholderText(tr("E-mail address"));
    m_newAddress->setToolTip(m_catalogue.text(QStringLiteral("SMTPNewID")));
    m_newName = new QLineEdit;
    m_newName->setPlaceholderText(tr("Name (optional)"));
    m_newName->setToolTip(m_catalogue.text(QStringLiteral("SMTPNewName")));
    auto* adding = new QHBoxLayout;
    adding->addWidget(m_newAddress, 2);
    adding->addWidget(m_newName, 1);
    QPushButton* insert = button(tr("&Insert"), this, &CShareSheet::insertRecipient, this);
    adding->addWidget(insert);
    // Typing an address the first time: it goes into the list with Insert.
    connect(m_newAddress, &QLineEdit::textEdited, insert, [this, insert] {
        if (!std::exchange(m_typingExplained, true))
            InfoTips::request(m_doc.services().bus, QStringLiteral("Tip::SMTPAddAddr"), insert);
    });
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(button(tr("&Remove"), this, &CShareSheet::removeRecipients, this));
    QPushButton* import = button(tr("I&mport..."), this, &CShareSheet::importVCards, this);
    import->setToolTip(m_catalogue.text(QStringLiteral("SMTPImport")));
    listButtons->addWidget(import);
    listButtons->addStretch();
    auto* layout = new QFormLayout(page);
    layout->addRow(tr("&Subject:"), m_subject);
    layout->addRow(tr("&Message:"), m_message);
    layout->addRow(tr("&Send to:"), m_addressList);
    layout->addRow(QString(), adding);
    layout->addRow(QString(), listButtons);
    return page;
}

QWidget* CShareSheet::makeImagePage()
{
    CShareSettings& settings = m_share->settings();
    auto* page = new QWidget;
    m_collageWidth = spinBox(10, kMaxImageSide, settings.collageWidth.get());
    m_collageHeight = spinBox(10, kMaxImageSide, settings.collageHeight.get());
    m_collageQuality = spinBox(0, 100, settings.collageQuality.get());
    m_originalWidth = spinBox(10, kMaxImageSide, settings.originalWidth.get());
    m_originalHeight = spinBox(10, kMaxImageSide, settings.originalHeight.get());
    m_originalQuality = spinBox(0, 100, settings.originalQuality.get());
    auto* layout = new QFormLayout(page);
    layout->addRow(tr("Collage width (pixels):"), m_collageWidth);
    layout->addRow(tr("Collage height (pixels):"), m_collageHeight);
    layout->addRow(tr("Collage quality:"), m_collageQuality);
    layout->addRow(tr("Photo width (pixels):"), m_originalWidth);
    layout->addRow(tr("Photo height (pixels):"), m_originalHeight);
    layout->addRow(tr("Photo quality:"), m_originalQuality);
    return page;
}

QWidget* CShareSheet::makeServerPage()
{
    CShareSettings& settings = m_share->settings();
    auto* page = new QWidget;
    m_server = new QLineEdit(settings.server.get());
    m_server->setPlaceholderText(tr("mail.example.com or mail.example.com:587"));
    m_security = new QComboBox;
    m_security->addItems({tr("Automatic"), tr("STARTTLS"), tr("TLS from the start")});
    // Stored as SmtpSecurity; "None" is not offered, the automatic choice
    // already speaks the classic way on port 25.
    const int stored = settings.security.get();
    m_security->setCurrentIndex(stored == int(SmtpSecurity::StartTls) ? 1 : stored == int(SmtpSecurity::Tls) ? 2 : 0);
    m_login = new QLineEdit(settings.login.get());
    m_password = new QLineEdit(Passwords::load(m_doc.services().settings, QString::fromLatin1(Passwords::kSmtpSetting),
                                               QStringLiteral("smtp"), smtpAccount(settings.server.get(), settings.login.get())));
    m_password->setEchoMode(QLineEdit::Password);
    m_userAddress = new QLineEdit(settings.userAddress.get());
    m_userName = new QLineEdit(settings.userName.get());
    auto* layout = new QFormLayout(page);
    layout->addRow(tr("Outgoing mail server:"), m_server);
    layout->addRow(tr("Secure connection:"), m_security);
    layout->addRow(tr("User name at the server:"), m_login);
    layout->addRow(tr("Password:"), m_password);
    if (!Passwords::keyringAvailable()) {
        auto* warning = new QLabel(m_catalogue.text(QStringLiteral("SMTPPasswordNoKeyring")));
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #a04000"));
        layout->addRow(QString(), warning);
    }
    layout->addRow(tr("Your e-mail address:"), m_userAddress);
    layout->addRow(tr("Your full name:"), m_userName);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(tr("&Test"), this, &CShareSheet::sendTestMessage, this));
    buttons->addWidget(button(tr("Import &Email Settings..."), this, &CShareSheet::importAccount, this));
    buttons->addStretch();
    layout->addRow(QString(), buttons);
    return page;
}

QWidget* CShareSheet::makeWebPage()
{
    CShareSettings& settings = m_share->settings();
    auto* page = new QWidget;
    m_webServer = new QLineEdit(settings.webServer.get());
    m_webServer->setPlaceholderText(QStringLiteral("ftp://ftp.example.com"));
    m_webFolder = new QLineEdit(settings.webFolder.get());
    m_webLogin = new QLineEdit(settings.webLogin.get());
    m_webPassword = new QLineEdit(Passwords::load(m_doc.services().settings, QString::fromLatin1(Passwords::kFtpSetting),
                                                  QStringLiteral("ftp"), smtpAccount(settings.webServer.get(), settings.webLogin.get())));
    m_webPassword->setEchoMode(QLineEdit::Password);
    m_webPage = new QLineEdit(QStringLiteral("MyCollage.htm"));
    m_published = new QListWidget;
    m_published->addItems(CShareSettings::listOf(settings.published));
    m_published->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_published->setToolTip(m_catalogue.text(QStringLiteral("Tip::RemoveWebPub")));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(tr("In&vite..."), this, &CShareSheet::invite, this));
    auto* remove = new QPushButton(tr("Remo&ve"));
    connect(remove, &QPushButton::clicked, this, [this] {
        for (QListWidgetItem* item : m_published->selectedItems()) {
            CShareSettings::removeFrom(m_share->settings().published, item->text());
            delete item;
        }
    });
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QFormLayout(page);
    layout->addRow(tr("FTP server:"), m_webServer);
    layout->addRow(tr("Folder on the server:"), m_webFolder);
    layout->addRow(tr("Login name:"), m_webLogin);
    layout->addRow(tr("Password:"), m_webPassword);
    layout->addRow(tr("Page name:"), m_webPage);
    layout->addRow(tr("Published collages:"), m_published);
    layout->addRow(QString(), buttons);
    return page;
}

QWidget* CShareSheet::makeDiskPage()
{
    CShareSettings& settings = m_share->settings();
    auto* page = new QWidget;
    m_diskFolder = new QComboBox;
    m_diskFolder->setEditable(true);
    m_diskFolder->addItems(CShareSettings::listOf(settings.diskFolders));
    m_diskFolder->setCurrentText(settings.diskFolder.get());
    m_diskFolder->setToolTip(m_catalogue.text(QStringLiteral("Tip::RemoveFilePub")));
    auto* browse = new QPushButton(tr("&Browse..."));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Select a Folder:"), m_diskFolder->currentText());
        if (!folder.isEmpty())
            m_diskFolder->setCurrentText(folder);
    });
    auto* remove = new QPushButton(tr("Remo&ve"));
    connect(remove, &QPushButton::clicked, this, [this] {
        CShareSettings::removeFrom(m_share->settings().diskFolders, m_diskFolder->currentText());
        m_diskFolder->removeItem(m_diskFolder->currentIndex());
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_diskFolder, 1);
    folderRow->addWidget(browse);
    folderRow->addWidget(remove);
    m_diskPage = new QLineEdit(QStringLiteral("MyCollage.htm"));
    auto* layout = new QFormLayout(page);
    layout->addRow(tr("Folder:"), folderRow);
    layout->addRow(tr("Page name:"), m_diskPage);
    return page;
}

void CShareSheet::fillRecipients()
{
    const QSignalBlocker quiet(m_addressList);
    m_addressList->clear();
    for (const CAddressEntry& entry : m_recipients.entries()) {
        auto* item = new QListWidgetItem(entry.text(), m_addressList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
    }
}

void CShareSheet::storeRecipients()
{
    m_doc.services().settings.setValue(QStringLiteral("SMTPAddrBook"), CPropValue::string(m_recipients.stored()));
}

void CShareSheet::storeFields()
{
    CShareSettings& settings = m_share->settings();
    settings.subject.set(m_subject->text());
    settings.message.set(m_message->toPlainText());
    settings.includeOriginals.set(m_originals->isChecked());
    settings.collageWidth.set(m_collageWidth->value());
    settings.collageHeight.set(m_collageHeight->value());
    settings.collageQuality.set(m_collageQuality->value());
    settings.originalWidth.set(m_originalWidth->value());
    settings.originalHeight.set(m_originalHeight->value());
    settings.originalQuality.set(m_originalQuality->value());
    settings.server.set(m_server->text().trimmed());
    const SmtpSecurity security[] = {SmtpSecurity::Automatic, SmtpSecurity::StartTls, SmtpSecurity::Tls};
    settings.security.set(int(security[m_security->currentIndex()]));
    settings.login.set(m_login->text().trimmed());
    settings.userAddress.set(m_userAddress->text().trimmed());
    settings.userName.set(m_userName->text().trimmed());
    settings.webServer.set(m_webServer->text().trimmed());
    settings.webFolder.set(m_webFolder->text().trimmed());
    settings.webLogin.set(m_webLogin->text().trimmed());
    CPropManager& store = m_doc.services().settings;
    Passwords::save(store, QString::fromLatin1(Passwords::kSmtpSetting), QStringLiteral("smtp"),
                    smtpAccount(settings.server.get(), settings.login.get()), m_password->text());
    Passwords::save(store, QString::fromLatin1(Passwords::kFtpSetting), QStringLiteral("ftp"),
                    smtpAccount(settings.webServer.get(), settings.webLogin.get()), m_webPassword->text());
    storeRecipients();
}

CSmtpOptions CShareSheet::smtpOptions() const
{
    CSmtpOptions options;
    const SmtpSecurity security[] = {SmtpSecurity::Automatic, SmtpSecurity::StartTls, SmtpSecurity::Tls};
    options.security = security[m_security->currentIndex()];
    options.user = m_login->text().trimmed();
    options.password = m_password->text();
    return options;
}

int CShareSheet::ask(const QString& key, unsigned style)
{
    return m_catalogue.show(key, style);
}

void CShareSheet::showResult(const CShareResult& result)
{
    if (result.cancelled || result.messageKey.isEmpty())
        return;
    const unsigned style = result.success ? MsgStyle::InfoOk : MsgStyle::ErrorOk;
    if (result.detail.isEmpty())
        m_catalogue.show(result.messageKey, style);
    else
        m_catalogue.showText(m_catalogue.text(result.messageKey) + QStringLiteral("\n\n") + result.detail, style);
}

void CShareSheet::preview()
{
    storeFields();
    const CShareResult result = m_share->preview(m_originals->isChecked(), m_message->toPlainText());
    if (result.success)
        QDesktopServices::openUrl(QUrl::fromLocalFile(result.output));
    else
        showResult(result);
}

void CShareSheet::send()
{
    storeFields();
    const CShareSettings& settings = m_share->settings();
    if (settings.server.get().isEmpty()) {
        if (m_catalogue.show(QStringLiteral("SMTPNoServer"), MsgStyle::QuestionYesNoCancel) == MsgButton::Yes)
            m_pages->setCurrentIndex(ServerPage);
        return;
    }
    // A typed address nobody inserted is what the user means to send to.
    if (m_recipients.checked().empty() && !m_newAddress->text().trimmed().isEmpty())
        insertRecipient();
    CMailRequest request;
    request.server = settings.server.get();
    request.smtp = smtpOptions();
    request.senderAddress = settings.userAddress.get();
    for (const CRecipient& recipient : m_recipients.checked())
        request.to.push_back(recipient);
    request.subject = m_subject->text();
    request.message = m_message->toPlainText();
    request.includeOriginals = m_originals->isChecked();
    const CShareResult result = m_share->send(request);
    showResult(result);
    if (result.success)
        accept();
}

void CShareSheet::publish()
{
    storeFields();
    CShareResult result;
    if (m_pages->currentIndex() == DiskPage) {
        result = m_share->publishToFolder({m_diskFolder->currentText(), m_diskPage->text().trimmed(), m_originals->isChecked()});
        if (result.messageKey == QLatin1String("SMTPBadFolder"))
            m_diskFolder->setFocus();
        if (result.success && m_diskFolder->findText(m_diskFolder->currentText()) < 0)
            m_diskFolder->addItem(m_diskFolder->currentText());
    } else if (m_pages->currentIndex() == WebPage) {
        CWebTarget target;
        target.server = m_webServer->text().trimmed();
        target.folder = m_webFolder->text().trimmed();
        target.user = m_webLogin->text().trimmed();
        target.password = m_webPassword->text();
        target.pageName = m_webPage->text().trimmed();
        target.includeOriginals = m_originals->isChecked();
        result = m_share->publishToWeb(target);
        if (result.success && m_published->findItems(result.output, Qt::MatchExactly).isEmpty())
            m_published->addItem(result.output);
    } else {
        m_catalogue.show(QStringLiteral("SMTPSelectPublishTab"), MsgStyle::InfoOk);
        return;
    }
    showResult(result);
}

void CShareSheet::invite()
{
    storeFields();
    QStringList sites;
    for (const QListWidgetItem* item : m_published->selectedItems())
        sites << item->text();
    std::vector<CRecipient> recipients;
    for (const QListWidgetItem* item : m_addressList->selectedItems())
        recipients.push_back({m_recipients.entries()[size_t(m_addressList->row(item))].name,
                              m_recipients.entries()[size_t(m_addressList->row(item))].address});
    const CShareSettings& settings = m_share->settings();
    const CShareResult result = ShareMail::sendInvitation(settings.server.get(), smtpOptions(), settings.userAddress.get(),
                                                          settings.userName.get(), sites, recipients,
                                                          &m_doc.services().progress);
    if (result.messageKey == QLatin1String("SMTPNeedUserName")) {
        m_pages->setCurrentIndex(ServerPage);
        m_userName->setFocus();
    }
    showResult(result);
}

void CShareSheet::sendTestMessage()
{
    storeFields();
    const QString server = m_server->text().trimmed();
    const QString address = m_userAddress->text().trimmed();
    if (server.isEmpty() || address.isEmpty()) {
        m_catalogue.show(QStringLiteral("SMTPTestServerID"), MsgStyle::WarningOk);
        return;
    }
    QString detail;
    switch (ShareMail::sendTestMessage(server, smtpOptions(), address, &detail)) {
    case ShareMail::TestOutcome::Sent: m_catalogue.show(QStringLiteral("SMTPSuccessTest"), MsgStyle::InfoOk); break;
    case ShareMail::TestOutcome::NoConnection:
        showResult({false, false, QStringLiteral("SMTPBadServer"), detail, {}});
        break;
    case ShareMail::TestOutcome::Refused: showResult({false, false, QStringLiteral("SMTPBadEmail"), detail, {}}); break;
    }
}

void CShareSheet::importAccount()
{
    const std::vector<CMailAccount> accounts = MailAccounts::discover(QDir::homePath());
    if (accounts.empty()) {
        m_catalogue.show(QStringLiteral("SMTPNoAccounts"), MsgStyle::InfoOk);
        return;
    }
    QStringList names;
    for (const CMailAccount& account : accounts)
        names << QStringLiteral("%1 (%2, %3)").arg(account.name, account.address, account.serverText());
    bool chosen = false;
    int index = int(names.indexOf(QInputDialog::getItem(this, tr("Import Email Settings"), tr("Account:"), names, 0,
                                                        false, &chosen)));
    while (chosen && index >= 0 && index < int(accounts.size())) {
        const CMailAccount& account = accounts[size_t(index)];
        CSmtpOptions options;
        options.security = account.security;
        options.user = account.user;
        options.password = m_password->text();
        const bool sent = ShareMail::sendTestMessage(account.serverText(), options, account.address)
            == ShareMail::TestOutcome::Sent;
        if (sent && m_catalogue.show(QStringLiteral("SMTPGoLook"), MsgStyle::InfoYesNo) == MsgButton::Yes) {
            m_server->setText(account.serverText());
            m_userAddress->setText(account.address);
            m_userName->setText(account.displayName);
            m_login->setText(account.user);
            m_security->setCurrentIndex(account.security == SmtpSecurity::StartTls ? 1
                                        : account.security == SmtpSecurity::Tls   ? 2
                                                                                   : 0);
            m_share->settings().accountConfirmed.set(true);
            storeFields();
            return;
        }
        m_catalogue.show(QStringLiteral("SMTPNotGood"), MsgStyle::WarningOk);
        if (++index >= int(accounts.size())) {
            m_catalogue.show(QStringLiteral("SMTPNoAccountsLeft"), MsgStyle::InfoOk);
            return;
        }
    }
}

void CShareSheet::insertRecipient()
{
    switch (m_recipients.add(m_newAddress->text(), m_newName->text())) {
    case CRecipientList::AddResult::NoAddress:
        m_catalogue.show(QStringLiteral("SMTPNewIDUsage"), MsgStyle::InfoOk);
        return;
    case CRecipientList::AddResult::Malformed: m_catalogue.show(QStringLiteral("BadEmail"), MsgStyle::WarningOk); return;
    case CRecipientList::AddResult::Added:
    case CRecipientList::AddResult::Updated: break;
    }
    m_newAddress->clear();
    m_newName->clear();
    fillRecipients();
    storeRecipients();
}

void CShareSheet::removeRecipients()
{
    std::vector<int> rows;
    for (const QListWidgetItem* item : m_addressList->selectedItems())
        rows.push_back(m_addressList->row(item));
    if (rows.empty() || m_catalogue.show(QStringLiteral("AskRemoveAddr"), MsgStyle::QuestionYesNo) != MsgButton::Yes)
        return;
    m_recipients.remove(rows);
    fillRecipients();
    storeRecipients();
}

void CShareSheet::importVCards()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Import Addresses"), QDir::homePath(),
                                                            tr("vCard files (*.vcf *.vcard);;All files (*)"));
    if (files.isEmpty())
        return;
    int added = 0;
    for (const QString& path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            added += m_recipients.importVCards(file.readAll());
    }
    if (added == 0) {
        m_catalogue.show(QStringLiteral("SMTPNoGoodAddr"), MsgStyle::InfoOk);
        return;
    }
    fillRecipients();
    storeRecipients();
}

void CShareSheet::done(int result)
{
    storeFields();
    QDialog::done(result);
}
