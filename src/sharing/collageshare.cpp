#include "collageshare.h"

#include "collagedoc.h"
#include "collagerenderer.h"
#include "mailaddress.h"
#include "mailmessage.h"
#include "messagecatalogue.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "progress.h"
#include "propmanager.h"
#include "remotesite.h"
#include "shareimages.h"
#include "sharesettings.h"
#include "usagelog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

namespace {

// The events the update service hears of with its next check.
constexpr const char* kUsageEmail = "e-mail";
constexpr const char* kUsageDiskPublish = "DiskPublish";
constexpr const char* kUsageWebPublish = "web_publish";

const QString kCollageFile = QStringLiteral("Collage.jpg");

// Runs the progress window for the length of a scope.
class ProgressRun
{
public:
    ProgressRun(CProgress& progress, const char* text) : m_progress(progress)
    {
        m_progress.reset();
        m_progress.begin();
        m_progress.setText(QString::fromLatin1(text));
    }
    ~ProgressRun() { m_progress.end(); }

private:
    CProgress& m_progress;
};

CShareResult failure(const QString& key, const QString& detail = {})
{
    CShareResult result;
    result.messageKey = key;
    result.detail = detail;
    return result;
}

CShareResult cancelled()
{
    CShareResult result;
    result.cancelled = true;
    return result;
}

// Replaces the file at `to` by the one at `from` (a rename, or a copy when
// they lie on different file systems).
bool moveReplacing(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return false;
    if (QFile::rename(from, to))
        return true;
    return QFile::copy(from, to) && QFile::remove(from);
}

QStringList folderPath(const QString& path)
{
    QString normalised = path;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return normalised.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

bool validRecipients(const std::vector<CRecipient>& recipients)
{
    for (const CRecipient& recipient : recipients) {
        if (!MailAddress::isWellFormed(recipient.address) || !MailAddress::isHeaderSafe(recipient.name))
            return false;
    }
    return true;
}

QString readResource(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

CCollageShare::CCollageShare(CCollageDoc& doc, Ask ask)
    : m_doc(doc)
    , m_progress(doc.services().progress)
    , m_ask(std::move(ask))
    , m_settings(std::make_unique<CShareSettings>(doc.services().settings, doc.services().catalogue))
    , m_work(QDir::tempPath() + QStringLiteral("/ombravelle-share-XXXXXX"))
{
}

CCollageShare::~CCollageShare() = default;

int CCollageShare::ask(const QString& key, unsigned style) const
{
    return m_ask ? m_ask(key, style) : CMessageCatalogue::headlessAnswer(style);
}

bool CCollageShare::isPageName(const QString& name)
{
    return (name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
            || name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
        && QFileInfo(name).completeBaseName().size() > 0 && !name.contains(QLatin1Char('/'))
        && !name.contains(QLatin1Char('\\'));
}

int CCollageShare::droppedLinks() const
{
    int dropped = 0;
    for (const CPicInfo* frame : ShareImages::photoFrames(m_doc.services().frames)) {
        const QString& link = frame->attributes().link();
        dropped += !link.trimmed().isEmpty() && !PageLinks::isAllowed(link) ? 1 : 0;
    }
    return dropped;
}

bool CCollageShare::emptyWorkingFolder()
{
    if (!m_work.isValid())
        return false;
    QDir folder(m_work.path());
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!QFile::remove(entry.absoluteFilePath()))
            return false;
    }
    return true;
}

bool CCollageShare::prepare(PageMode mode, bool includeOriginals, const QString& message, const QString& sender,
                            CShareResult& result)
{
    if (!emptyWorkingFolder()) {
        result = failure(QStringLiteral("SMTPFileWriteError"));
        return false;
    }
    const CDocServices& services = m_doc.services();
    const QSizeF canvasSize(m_doc.canvasWidth(), m_doc.canvasHeight());
    CExportCanvas canvas;
    canvas.width = m_doc.canvasWidth();
    canvas.height = m_doc.canvasHeight();
    canvas.colour = services.frames.canvasColour();
    const QSize size = ShareImages::fittedSize(
        canvasSize, QSize(m_settings->collageWidth.get(), m_settings->collageHeight.get()));
    const QDir work(m_work.path());
    const CExportResult rendered = ShareImages::renderCollage(services.renderer, canvas, size,
                                                             m_settings->collageQuality.get(),
                                                             work.filePath(kCollageFile));
    if (!rendered.ok()) {
        result = failure(rendered.messageKey.isEmpty() ? QStringLiteral("SMTPFileWriteError") : rendered.messageKey);
        return false;
    }

    const std::vector<const CPicInfo*> frames = ShareImages::photoFrames(services.frames);
    m_request = CPageRequest();
    m_request.mode = mode;
    m_request.includeOriginals = includeOriginals;
    m_request.message = message;
    m_request.senderAddress = sender;
    m_request.collageFile = kCollageFile;
    m_request.areas = ShareImages::mapAreas(frames, canvasSize, size);
    if (includeOriginals) {
        m_progress.setText(QString::fromLatin1(ShareText::kCreatingFiles));
        m_progress.setRange(0, int(frames.size()));
        m_progress.setPosition(0);
        const QSize box(m_settings->originalWidth.get(), m_settings->originalHeight.get());
        for (size_t i = 0; i < frames.size(); ++i) {
            if (!m_progress.step(0)) {
                result = cancelled();
                return false;
            }
            CPagePhoto photo;
            photo.number = int(i) + 1;
            photo.description = frames[i]->attributes().description();
            photo.link = frames[i]->attributes().link();
            photo.fileName = QStringLiteral("%1.jpg").arg(photo.number);
            const std::optional<QSize> written = ShareImages::writeOriginal(
                services.images, *frames[i], box, m_settings->originalQuality.get(), work.filePath(photo.fileName));
            if (!written) {
                result = failure(QStringLiteral("SMTPFileWriteError"));
                return false;
            }
            photo.size = *written;
            m_request.photos.push_back(photo);
            m_progress.step(1);
        }
    }
    m_html = CCollagePages::fromResources(services.catalogue).mainPage(m_request);
    return true;
}

CShareResult CCollageShare::preview(bool includeOriginals, const QString& message)
{
    ProgressRun run(m_progress, ShareText::kCreatingFiles);
    CShareResult result;
    if (!prepare(PageMode::Preview, includeOriginals, message, m_settings->userAddress.get(), result))
        return result;
    const QDir work(m_work.path());
    QFile page(work.filePath(QString::fromLatin1(CollagePageText::kMainPageFile)));
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) || page.write(m_html.toUtf8()) < 0
        || !ShareImages::writeNavigationImage(work.filePath(QString::fromLatin1(CollagePageText::kNavigationFile))))
        return failure(QStringLiteral("SMTPFileWriteError"));
    result.success = true;
    result.output = page.fileName();
    return result;
}

bool CCollageShare::composeMail(const CMailRequest& request, CMailMessage& message) const
{
    const QDir work(m_work.path());
    bool ok = message.setSenderAddress(request.senderAddress) && message.setSenderName(request.senderName)
        && (request.subject.isEmpty() || message.setSubject(request.subject));
    for (const CRecipient& recipient : request.to)
        ok = ok && message.addRecipient(CMailMessage::List::To, recipient.name, recipient.address);
    for (const CRecipient& recipient : request.cc)
        ok = ok && message.addRecipient(CMailMessage::List::Cc, recipient.name, recipient.address);
    message.addHtmlText(m_html);
    ok = ok && message.attachFile(work.filePath(kCollageFile), kCollageFile, "image/jpeg");
    if (m_request.includeOriginals) {
        for (const CPagePhoto& photo : m_request.photos)
            ok = ok && message.attachFile(work.filePath(photo.fileName), photo.fileName, "image/jpeg");
        const QString navigation = QString::fromLatin1(CollagePageText::kNavigationFile);
        ok = ok && ShareImages::writeNavigationImage(work.filePath(navigation))
            && message.attachFile(work.filePath(navigation), navigation, "image/jpeg");
    }
    return ok;
}

CShareResult CCollageShare::send(const CMailRequest& request)
{
    if (request.server.trimmed().isEmpty())
        return failure(QStringLiteral("SMTPNoServer"));
    if (!CSmtpServer::parse(request.server))
        return failure(QStringLiteral("SMTPBadServer"));
    if (request.senderAddress.isEmpty())
        return failure(QStringLiteral("SMTPNoUserID"));
    if (!MailAddress::isWellFormed(request.senderAddress) || !MailAddress::isHeaderSafe(request.senderName))
        return failure(QStringLiteral("BadEmail"));
    if (request.to.empty() && request.cc.empty())
        return failure(QStringLiteral("SendAddrWarn"));
    if (!validRecipients(request.to) || !validRecipients(request.cc))
        return failure(QStringLiteral("BadEmail"));
    if (!MailAddress::isHeaderSafe(request.subject))
        return failure(QStringLiteral("SMTPBadSubject"));

    ProgressRun run(m_progress, ShareText::kSending);
    CShareResult result;
    if (!prepare(PageMode::Email, request.includeOriginals, request.message, request.senderAddress, result))
        return result;
    CMailMessage message;
    if (!composeMail(request, message))
        return failure(QStringLiteral("SMTPFileWriteError"));

    CSmtpLink link(request.smtp);
    if (!link.connect(request.server))
        return failure(QStringLiteral("SMTPCantSend"), ShareMail::describe(link));
    QTemporaryFile transaction(QDir::tempPath() + QLatin1Char('/') + ShareText::kTransactionPrefix
                               + QStringLiteral("XXXXXX"));
    if (!transaction.open()) {
        link.disconnect();
        return failure(QStringLiteral("SMTPFileWriteError"));
    }
    CDeviceMailSink sink(transaction);
    if (!CSmtpLink::writeTransaction(sink, message) || !transaction.flush()) {
        link.disconnect();
        return failure(QStringLiteral("SMTPFileWriteError"));
    }
    transaction.close();
    if (!request.transactionCopy.isEmpty()) {
        QFile::remove(request.transactionCopy);
        QFile::copy(transaction.fileName(), request.transactionCopy);
    }
    const bool sent = link.sendPreparedFile(transaction.fileName(), &m_progress);
    const QString detail = sent ? QString() : ShareMail::describe(link);
    const bool userCancelled = !sent && link.lastError() == CSmtpLink::Error::Cancelled;
    link.disconnect();
    if (userCancelled)
        return cancelled();
    if (!sent)
        return failure(QStringLiteral("SMTPCantSend"), detail);

    const int recipients = int(request.to.size() + request.cc.size());
    CUsageLog(m_doc.services().settings).record(QString::fromLatin1(kUsageEmail),
                     QStringLiteral("%1, %2").arg(request.includeOriginals ? "true" : "false").arg(recipients));
    result.success = true;
    result.messageKey = QStringLiteral("SMTPSent");
    return result;
}

bool CCollageShare::writeSiteFiles(const QString& pageName, CShareResult& result)
{
    const QString imagesFolder = QFileInfo(pageName).completeBaseName() + ShareText::kImagesSuffix;
    QString page = m_html;
    page.replace(QString::fromLatin1(CollagePageText::kImageDirMarker), imagesFolder + QLatin1Char('/'));
    const QDir work(m_work.path());
    const CCollagePages pages = CCollagePages::fromResources(m_doc.services().catalogue);
    bool ok = true;
    if (m_request.includeOriginals) {
        for (int i = 0; i < int(m_request.photos.size()); ++i) {
            QFile photoPage(work.filePath(QStringLiteral("%1.htm").arg(m_request.photos[size_t(i)].number)));
            ok = ok && photoPage.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && photoPage.write(pages.photoPage(m_request, i, pageName).toUtf8()) >= 0;
        }
    }
    QFile main(work.filePath(QString::fromLatin1(CollagePageText::kMainPageFile)));
    ok = ok && main.open(QIODevice::WriteOnly | QIODevice::Truncate) && main.write(page.toUtf8()) >= 0;
    main.close();
    ok = ok && ShareImages::writeNavigationImage(work.filePath(QString::fromLatin1(CollagePageText::kNavigationFile)));
    if (!ok)
        result = failure(QStringLiteral("SMTPFileWriteError"));
    return ok;
}

CShareResult CCollageShare::publishToFolder(const CFolderTarget& target)
{
    if (!isPageName(target.pageName))
        return failure(QStringLiteral("SMTPPublishFolder"));
    const QString folder = QDir::cleanPath(target.folder);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return failure(QStringLiteral("SMTPBadFolder"));

    ProgressRun run(m_progress, ShareText::kCreatingFiles);
    CShareResult result;
    if (!prepare(PageMode::Publish, target.includeOriginals, {}, m_settings->userAddress.get(), result)
        || !writeSiteFiles(target.pageName, result))
        return result;
    const QDir destination(folder);
    const QString imagesName = QFileInfo(target.pageName).completeBaseName() + ShareText::kImagesSuffix;
    if (!destination.mkpath(imagesName))
        return failure(QStringLiteral("SMTPBadFolder"));
    const QDir images(destination.filePath(imagesName));
    const QString mainPage = QString::fromLatin1(CollagePageText::kMainPageFile);
    bool asked = false;
    for (const QFileInfo& file : QDir(m_work.path()).entryInfoList(QDir::Files)) {
        if (file.fileName() == mainPage)
            continue;
        const QString to = images.filePath(file.fileName());
        if (QFileInfo::exists(to) && !asked) {
            asked = true;
            if (ask(QStringLiteral("SMTPOverwrite"), MsgStyle::QuestionYesNoCancel) != MsgButton::Yes)
                return cancelled();
        }
        if (!moveReplacing(file.absoluteFilePath(), to))
            return failure(QStringLiteral("SMTPBadMoveDest"));
    }
    const QString pagePath = destination.filePath(target.pageName);
    if (!moveReplacing(QDir(m_work.path()).filePath(mainPage), pagePath))
        return failure(QStringLiteral("SMTPBadMoveDest"));

    CShareSettings::addTo(m_settings->diskFolders, folder);
    m_settings->diskFolder.set(folder);
    CUsageLog(m_doc.services().settings).record(QString::fromLatin1(kUsageDiskPublish), QString());
    result.success = true;
    result.messageKey = QStringLiteral("SMTPPublishSuccess");
    result.output = pagePath;
    return result;
}

QString CCollageShare::webAddress(const QUrl& server, const QStringList& folders, const QString& pageName)
{
    QString address = server.scheme().toLower() + QStringLiteral("://") + server.host();
    address.replace(QLatin1String("ftp://"), QLatin1String("http://"));
    address.replace(QLatin1String("sftp://"), QLatin1String("http://"));
    address.replace(QLatin1String("//ftp."), QLatin1String("//www."));
    for (const QString& folder : folders)
        address += QLatin1Char('/') + folder;
    return address + QLatin1Char('/') + pageName;
}

CShareResult CCollageShare::publishToWeb(const CWebTarget& target)
{
    const QUrl server(target.server.trimmed(), QUrl::StrictMode);
    if (target.server.trimmed().isEmpty() || !server.isValid() || server.scheme().isEmpty())
        return failure(QStringLiteral("SMTPBadURL"));
    const QString scheme = server.scheme().toLower();
    if (scheme != QLatin1String("ftp") && scheme != QLatin1String("sftp"))
        return failure(QStringLiteral("SMTPFtpOnlySupport"));
    if (server.host().isEmpty())
        return failure(QStringLiteral("SMTPNoServerName"));
    if (!isPageName(target.pageName))
        return failure(QStringLiteral("SMTPPublishFolder"));

    ProgressRun run(m_progress, ShareText::kCreatingFiles);
    CShareResult result;
    if (!prepare(PageMode::Publish, target.includeOriginals, {}, m_settings->userAddress.get(), result)
        || !writeSiteFiles(target.pageName, result))
        return result;

    const QStringList folders = folderPath(server.path()) + folderPath(target.folder);
    QStringList imagesFolders = folders;
    imagesFolders << QFileInfo(target.pageName).completeBaseName() + ShareText::kImagesSuffix;
    const QString user = target.user.isEmpty() ? server.userName() : target.user;
    const QString password = target.password.isEmpty() ? server.password() : target.password;
    CRemoteSite site(server, user, password, &m_progress);

    m_progress.setText(QString::fromLatin1(ShareText::kLoggingOn));
    if (site.logOn() != CRemoteSite::Status::Ok)
        return failure(QStringLiteral("SMTPBadServerLogin"), site.lastError());
    m_progress.setText(QString::fromLatin1(ShareText::kCreatingFolders));
    if (const CRemoteSite::Status made = site.makePath(imagesFolders); made != CRemoteSite::Status::Ok) {
        return failure(made == CRemoteSite::Status::Login ? QStringLiteral("SMTPBadServerLogin")
                                                          : QStringLiteral("SMTPBadServerDir"),
                       site.lastError());
    }
    if (site.exists(folders, target.pageName).value_or(false)
        && ask(QStringLiteral("SMTPWebFolderExists"), MsgStyle::QuestionYesNoCancel) != MsgButton::Yes)
        return cancelled();

    m_progress.setText(QString::fromLatin1(ShareText::kUploading));
    const QString mainPage = QString::fromLatin1(CollagePageText::kMainPageFile);
    QFileInfoList files;
    for (const QFileInfo& file : QDir(m_work.path()).entryInfoList(QDir::Files, QDir::Name)) {
        if (file.fileName() != mainPage)
            files << file;
    }
    auto uploaded = [&](CRemoteSite::Status status) -> std::optional<CShareResult> {
        if (status == CRemoteSite::Status::Cancelled)
            return cancelled();
        if (status != CRemoteSite::Status::Ok)
            return failure(QStringLiteral("SMTPServerFileMove"), site.lastError());
        return std::nullopt;
    };
    for (int i = 0; i < int(files.size()); ++i) {
        m_progress.setText(QString::fromLatin1(ShareText::kFileOfFiles).arg(i + 1).arg(files.size()));
        if (auto stop = uploaded(site.upload(files[i].absoluteFilePath(), imagesFolders, files[i].fileName())))
            return *stop;
    }
    if (auto stop = uploaded(site.upload(QDir(m_work.path()).filePath(mainPage), folders, target.pageName)))
        return *stop;

    const QString address = webAddress(server, folders, target.pageName);
    CShareSettings::addTo(m_settings->published, address);
    CUsageLog(m_doc.services().settings).record(QString::fromLatin1(kUsageWebPublish), QString());
    result.success = true;
    result.messageKey = QStringLiteral("SMTPPublishSuccess");
    result.output = address;
    return result;
}

// ---------------------------------------------------------------------------

namespace ShareMail {

QString describe(const CSmtpLink& link)
{
    QString what;
    switch (link.lastError()) {
    case CSmtpLink::Error::None: break;
    case CSmtpLink::Error::AlreadyConnected:
    case CSmtpLink::Error::NotConnected: what = QStringLiteral("The connection was not in order."); break;
    case CSmtpLink::Error::BadServer: what = QStringLiteral("The server name is not valid."); break;
    case CSmtpLink::Error::Connect: what = QStringLiteral("The mail server could not be reached."); break;
    case CSmtpLink::Error::Greeting: what = QStringLiteral("The mail server refused the connection."); break;
    case CSmtpLink::Error::Hello: what = QStringLiteral("The mail server refused the greeting."); break;
    case CSmtpLink::Error::Tls: what = QStringLiteral("A secure connection could not be made."); break;
    case CSmtpLink::Error::AuthNeedsTls:
        what = QStringLiteral("The mail server offers no secure connection, so your password was not sent.");
        break;
    case CSmtpLink::Error::Auth: what = QStringLiteral("The mail server refused your user name or password."); break;
    case CSmtpLink::Error::Sender: what = QStringLiteral("The mail server refused the sender's address."); break;
    case CSmtpLink::Error::Recipient: what = QStringLiteral("The mail server refused a recipient's address."); break;
    case CSmtpLink::Error::Data: what = QStringLiteral("The mail server refused the message."); break;
    case CSmtpLink::Error::Timeout: what = QStringLiteral("The mail server stopped answering."); break;
    case CSmtpLink::Error::Closed: what = QStringLiteral("The mail server closed the connection."); break;
    case CSmtpLink::Error::Cancelled: what = QStringLiteral("Cancelled."); break;
    case CSmtpLink::Error::File: what = QStringLiteral("The message file could not be read."); break;
    }
    const QString reply = QString::fromUtf8(link.lastReply()).trimmed();
    return reply.isEmpty() ? what : what + QStringLiteral("\nThe server said: ") + reply;
}

QString invitationPage(const QStringList& sites, const QString& userName)
{
    QStringList lines;
    for (const QString& site : sites) {
        const QString escaped = escapeHtml(site, false);
        lines << QStringLiteral("<P><STRONG><FONT face=\"Arial\" color=\"#666666\"><A href=\"%1\">%1</A></FONT></STRONG></P>")
                     .arg(escaped);
    }
    QString page = readResource(QStringLiteral(":/sharing/invitation.htm"));
    page.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    page.replace(QLatin1String("<theInvites />"), lines.join(QLatin1String("\r\n")));
    page.replace(QLatin1String("{theUserName}"), escapeHtml(userName, true));
    return page;
}

QString testMessagePage(const QString& server, const QString& address)
{
    QString page = readResource(QStringLiteral(":/sharing/testmessage.htm"));
    page.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    page.replace(QLatin1String("{theServer}"), escapeHtml(server, false));
    page.replace(QLatin1String("{theAddr}"), escapeHtml(address, false));
    return page;
}

CShareResult sendInvitation(const QString& server, const CSmtpOptions& options, const QString& sender,
                            const QString& userName, const QStringList& sites,
                            const std::vector<CRecipient>& recipients, CProgress* progress)
{
    if (sites.isEmpty())
        return failure(QStringLiteral("SMTPInviteNeed"));
    if (recipients.empty())
        return failure(QStringLiteral("SMTPInviteAddrNeed"));
    if (userName.trimmed().isEmpty())
        return failure(QStringLiteral("SMTPNeedUserName"));
    if (!MailAddress::isWellFormed(sender) || !validRecipients(recipients))
        return failure(QStringLiteral("BadEmail"));
    std::optional<ProgressRun> run;
    if (progress)
        run.emplace(*progress, ShareText::kInviting);

    CMailMessage message;
    message.setSubject(QString::fromLatin1(ShareText::kInvitationSubject));
    message.setSenderAddress(sender);
    for (const CRecipient& recipient : recipients)
        message.addRecipient(CMailMessage::List::To, recipient.name, recipient.address);
    message.addHtmlText(invitationPage(sites, userName));
    CSmtpLink link(options);
    const bool sent = link.connect(server) && link.sendMessage(message);
    const QString detail = sent ? QString() : describe(link);
    link.disconnect();
    if (!sent)
        return failure(QStringLiteral("SMTPInviteBad"), detail);
    CShareResult result;
    result.success = true;
    result.messageKey = QStringLiteral("SMTPInviteOk");
    return result;
}

TestOutcome sendTestMessage(const QString& server, const CSmtpOptions& options, const QString& address,
                            QString* detail)
{
    CSmtpLink link(options);
    if (!link.connect(server)) {
        if (detail)
            *detail = describe(link);
        return TestOutcome::NoConnection;
    }
    CMailMessage message;
    message.setSubject(QString::fromLatin1(ShareText::kTestSubject));
    const bool composed = message.setSenderAddress(address)
        && message.addRecipient(CMailMessage::List::To, {}, address);
    message.addHtmlText(testMessagePage(server, address));
    const bool sent = composed && link.sendMessage(message);
    if (!sent && detail)
        *detail = describe(link);
    link.disconnect();
    return sent ? TestOutcome::Sent : TestOutcome::Refused;
}

} // namespace ShareMail
