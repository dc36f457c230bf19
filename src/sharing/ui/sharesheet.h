#pragma once
// The share sheet: five pages (recipients and message, image size and
// quality, mail server, publish to the web, publish to a folder) and the
// buttons Preview..., Send, Publish and Close. The work is done by
// CCollageShare; the sheet collects the fields, shows its messages and keeps
// the settings. Info-tips tell how to add someone to share with.

#include "recipientlist.h"

#include <QDialog>

#include <memory>

class CCollageDoc;
class CCollageShare;
class CMessageCatalogue;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;

class CShareSheet : public QDialog
{
    Q_OBJECT

public:
    enum Page { RecipientsPage, ImagePage, ServerPage, WebPage, DiskPage };
    static constexpr int kTipDelayMs = 600;

    explicit CShareSheet(CCollageDoc& doc, QWidget* parent = nullptr);
    ~CShareSheet() override;

    QTabWidget* pages() const { return m_pages; }

    void preview();
    void send();
    void publish();
    void invite();
    void sendTestMessage();
    void importAccount();
    void insertRecipient();
    void removeRecipients();
    void importVCards();

protected:
    void done(int result) override;

private:
    QWidget* makeRecipientsPage();
    QWidget* makeImagePage();
    QWidget* makeServerPage();
    QWidget* makeWebPage();
    QWidget* makeDiskPage();
    void fillRecipients();
    void storeFields();
    void storeRecipients();
    CSmtpOptions smtpOptions() const;
    // Shows a result's message with its detail; nothing after a cancel.
    void showResult(const CShareResult& result);
    int ask(const QString& key, unsigned style);

    CCollageDoc& m_doc;
    CMessageCatalogue& m_catalogue;
    std::unique_ptr<CCollageShare> m_share;
    CRecipientList m_recipients;

    QTabWidget* m_pages;
    QCheckBox* m_originals;
    // Recipients and message
    QLineEdit* m_subject;
    QPlainTextEdit* m_message;
    QListWidget* m_addressList;
    QLineEdit* m_newAddress;
    QLineEdit* m_newName;
    bool m_typingExplained = false;
    // Image size and quality
    QSpinBox* m_collageWidth;
    QSpinBox* m_collageHeight;
    QSpinBox* m_collageQuality;
    QSpinBox* m_originalWidth;
    QSpinBox* m_originalHeight;
    QSpinBox* m_originalQuality;
    // Mail server
    QLineEdit* m_server;
    QComboBox* m_security;
    QLineEdit* m_login;
    QLineEdit* m_password;
    QLineEdit* m_userAddress;
    QLineEdit* m_userName;
    // Web
    QLineEdit* m_webServer;
    QLineEdit* m_webFolder;
    QLineEdit* m_webLogin;
    QLineEdit* m_webPassword;
    QLineEdit* m_webPage;
    QListWidget* m_published;
    // Disk
    QComboBox* m_diskFolder;
    QLineEdit* m_diskPage;
};
