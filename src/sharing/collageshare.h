#pragma once
// The send and publish workflows of the share sheet, without a window: the
// collage e-mailed through the user's mail server, previewed as a page,
// published as a small site to a folder or to an FTP or SFTP server. The
// editor's share sheet and collage-cli drive the same object, so both send
// and write the same bytes.
//
// Each operation prepares the collage afresh in a private working folder
// (emptied first, removed with the object): the collage image, the scaled-
// down originals when asked for, the pages. Progress, status texts and
// cancel go through the progress service; the one question asked on the way
// ("SMTPOverwrite", "SMTPWebFolderExists") goes to the `ask` function. The
// result names the catalogue message to show; the caller shows it.
//
// User-interface thread only (it renders through the collage renderer).

#include "collagepages.h"
#include "smtplink.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

class CCollageDoc;
class CProgress;
class CShareSettings;

struct CShareResult
{
    bool success = false;
    bool cancelled = false;
    // The catalogue message to show (success or failure); empty after a cancel.
    QString messageKey;
    // What the server said, or what went wrong, to show below the message.
    QString detail;
    // The preview's page, the published page, or its web address.
    QString output;
};

struct CRecipient
{
    QString name;
    QString address;
};

struct CMailRequest
{
    QString server;              // "host" (port 25) or "host:port"
    CSmtpOptions smtp;
    QString senderAddress;
    QString senderName;          // none in the editor's e-mail
    std::vector<CRecipient> to;
    std::vector<CRecipient> cc;
    QString subject;
    QString message;
    bool includeOriginals = false;
    // Also keep a copy of the SMTP transaction file here (for scripts).
    QString transactionCopy;
};

struct CFolderTarget
{
    QString folder;
    QString pageName;            // "MyCollage.htm"
    bool includeOriginals = false;
};

struct CWebTarget
{
    QString server;              // "ftp://host[:port][/folder]" or "sftp://..."
    QString folder;              // the remote folder, below the server's path
    QString user;
    QString password;
    QString pageName;
    bool includeOriginals = false;
};

namespace ShareText {
inline constexpr const char* kSending = "Now sending your collage, please wait...";
inline constexpr const char* kCreatingFiles = "Creating temporary files...";
inline constexpr const char* kLoggingOn = "Logging onto server";
inline constexpr const char* kCreatingFolders = "Creating directory structure";
inline constexpr const char* kUploading = "Now sending your collage to the web server...";
inline constexpr const char* kFileOfFiles = "File %1 of %2...";
inline constexpr const char* kInviting = "Sending your Invitation...";
inline constexpr const char* kInvitationSubject = "Tessary: Invitation to View My Photo Collage...";
inline constexpr const char* kTestSubject = "Tessary Ombravelle - E-Mail Settings Test Message...";
inline constexpr const char* kTransactionPrefix = "mhtml";
inline constexpr const char* kImagesSuffix = "_images";
} // namespace ShareText

class CCollageShare
{
public:
    // Answers a question by its catalogue key and style with a MsgButton code.
    using Ask = std::function<int(const QString& key, unsigned style)>;

    explicit CCollageShare(CCollageDoc& doc, Ask ask = {});
    ~CCollageShare();
    CCollageShare(const CCollageShare&) = delete;
    CCollageShare& operator=(const CCollageShare&) = delete;

    CShareSettings& settings() { return *m_settings; }
    QString workingFolder() const { return m_work.path(); }
    // The page of the last preparation, as generated.
    const QString& html() const { return m_html; }

    // Writes the preview page and its images into the working folder; the
    // result's output is the page.
    CShareResult preview(bool includeOriginals, const QString& message);
    CShareResult send(const CMailRequest& request);
    CShareResult publishToFolder(const CFolderTarget& target);
    CShareResult publishToWeb(const CWebTarget& target);

    // The message of `send`, composed from a prepared working folder.
    bool composeMail(const CMailRequest& request, CMailMessage& message) const;

    // "ftp://ftp.example.com" + "albums" + "page.htm" ->
    // "http://www.example.com/albums/page.htm".
    static QString webAddress(const QUrl& server, const QStringList& folders, const QString& pageName);
    // A page name ends in ".htm" or ".html" and names no folder.
    static bool isPageName(const QString& name);
    // How many photo frames carry a link the pages leave out (not a web,
    // mail or FTP address): the caller says so with "SMTPLinkDropped".
    int droppedLinks() const;

private:
    bool prepare(PageMode mode, bool includeOriginals, const QString& message, const QString& sender,
                 CShareResult& result);
    bool emptyWorkingFolder();
    bool writeSiteFiles(const QString& pageName, CShareResult& result);
    int ask(const QString& key, unsigned style) const;

    CCollageDoc& m_doc;
    CProgress& m_progress;
    Ask m_ask;
    std::unique_ptr<CShareSettings> m_settings;
    QTemporaryDir m_work;
    CPageRequest m_request;
    QString m_html;
};

// The direct sends: the invitation and the settings test message.
namespace ShareMail {

QString invitationPage(const QStringList& sites, const QString& userName);
QString testMessagePage(const QString& server, const QString& address);

// Sends the invitation to the recipients: "SMTPInviteOk", or "SMTPInviteBad"
// with the server's words.
CShareResult sendInvitation(const QString& server, const CSmtpOptions& options, const QString& sender,
                            const QString& userName, const QStringList& sites,
                            const std::vector<CRecipient>& recipients, CProgress* progress);

enum class TestOutcome { Sent, NoConnection, Refused };
// Sends the test message to the user's own address.
TestOutcome sendTestMessage(const QString& server, const CSmtpOptions& options, const QString& address,
                            QString* detail = nullptr);

// What went wrong on the link, in words, with the server's reply.
QString describe(const CSmtpLink& link);

} // namespace ShareMail
