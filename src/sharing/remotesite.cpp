#include "remotesite.h"

#include "progress.h"

#include <QDir>
#include <QFile>

#include <curl/curl.h>

#include <mutex>

struct CRemoteSite::Handle
{
    CURL* curl = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    curl_slist* quote = nullptr;
    QFile* upload = nullptr;
    qint64 uploadSize = 0;
};

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* handle = static_cast<CRemoteSite::Handle*>(user);
    const qint64 wanted = qint64(std::min<size_t>(size * count, CRemoteSite::kBlockSize));
    const qint64 got = handle->upload->read(buffer, wanted);
    return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
}

int uploadProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
{
    auto* progress = static_cast<CProgress*>(user);
    if (!progress)
        return 0;
    progress->setPosition(int(uploaded / 1024));
    return progress->step(0) ? 0 : 1;
}

// SSH host keys as ssh's "accept-new": a host seen before must show the
// key it showed then; a new one is remembered in ~/.ssh/known_hosts.
int checkHostKey(CURL*, const curl_khkey*, const curl_khkey*, enum curl_khmatch match, void*)
{
    switch (match) {
    case CURLKHMATCH_OK: return CURLKHSTAT_FINE;
    case CURLKHMATCH_MISSING: return CURLKHSTAT_FINE_ADD_TO_FILE;
    default: return CURLKHSTAT_REJECT;
    }
}

QString encodedSegment(const QString& segment)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(segment));
}

} // namespace

CRemoteSite::CRemoteSite(const QUrl& server, const QString& user, const QString& password, CProgress* progress)
    : m_handle(new Handle)
    , m_server(server)
    , m_user(user)
    , m_password(password)
    , m_progress(progress)
{
    initialiseCurl();
    m_handle->curl = curl_easy_init();
}

CRemoteSite::~CRemoteSite()
{
    if (m_handle->quote)
        curl_slist_free_all(m_handle->quote);
    if (m_handle->curl)
        curl_easy_cleanup(m_handle->curl);
    delete m_handle;
}

bool CRemoteSite::isSftp() const
{
    return m_server.scheme().compare(QLatin1String("sftp"), Qt::CaseInsensitive) == 0;
}

QString CRemoteSite::urlFor(const QStringList& folders, const QString& file) const
{
    QString url = m_server.scheme().toLower() + QStringLiteral("://");
    const QString host = m_server.host(QUrl::FullyEncoded);
    url += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (m_server.port() > 0)
        url += QLatin1Char(':') + QString::number(m_server.port());
    // SFTP paths are absolute; "~" is the user's home, where FTP starts.
    url += isSftp() ? QStringLiteral("/~/") : QStringLiteral("/");
    for (const QString& folder : folders)
        url += encodedSegment(folder) + QLatin1Char('/');
    url += encodedSegment(file);
    return url;
}

void CRemoteSite::prepare()
{
    CURL* curl = m_handle->curl;
    curl_easy_reset(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_handle->error);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(kConnectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(kStallSeconds));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(kStallSeconds));
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 1L); // passive
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    const QByteArray user = m_user.toUtf8();
    const QByteArray password = m_password.toUtf8();
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.isEmpty() ? "anonymous" : user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    if (isSftp()) {
        const QByteArray knownHosts = QDir::home().filePath(QStringLiteral(".ssh/known_hosts")).toUtf8();
        QDir::home().mkpath(QStringLiteral(".ssh"));
        curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS, knownHosts.constData());
        curl_easy_setopt(curl, CURLOPT_SSH_KEYFUNCTION, checkHostKey);
        curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    }
    if (m_handle->quote) {
        curl_slist_free_all(m_handle->quote);
        m_handle->quote = nullptr;
    }
    m_handle->error[0] = '\0';
}

int CRemoteSite::perform()
{
    const CURLcode code = curl_easy_perform(m_handle->curl);
    m_lastError = m_handle->error[0] ? QString::fromUtf8(m_handle->error) : QString::fromUtf8(curl_easy_strerror(code));
    return int(code);
}

CRemoteSite::Status CRemoteSite::logOn()
{
    prepare();
    const QByteArray url = urlFor({}, {}).toUtf8();
    curl_easy_setopt(m_handle->curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_handle->curl, CURLOPT_DIRLISTONLY, 1L);
    return perform() == CURLE_OK ? Status::Ok : Status::Login;
}

CRemoteSite::Status CRemoteSite::makePath(const QStringList& folders)
{
    prepare();
    if (isSftp()) {
        // SFTP has no "create missing folders" for a listing: make each
        // level, ignoring the ones that are there (the leading "*").
        QString path = QStringLiteral("/~");
        for (const QString& folder : folders) {
            path += QLatin1Char('/') + folder;
            m_handle->quote = curl_slist_append(m_handle->quote, ("*mkdir \"" + path.toUtf8() + "\"").constData());
        }
        curl_easy_setopt(m_handle->curl, CURLOPT_QUOTE, m_handle->quote);
    } else {
        curl_easy_setopt(m_handle->curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    }
    const QByteArray url = urlFor(folders, {}).toUtf8();
    curl_easy_setopt(m_handle->curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_handle->curl, CURLOPT_DIRLISTONLY, 1L);
    const int code = perform();
    if (code == CURLE_OK)
        return Status::Ok;
    return code == CURLE_LOGIN_DENIED || code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST
        ? Status::Login
        : Status::Folder;
}

std::optional<bool> CRemoteSite::exists(const QStringList& folders, const QString& file)
{
    prepare();
    const QByteArray url = urlFor(folders, file).toUtf8();
    curl_easy_setopt(m_handle->curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_handle->curl, CURLOPT_NOBODY, 1L);
    const int code = perform();
    if (code == CURLE_OK)
        return true;
    if (code == CURLE_REMOTE_FILE_NOT_FOUND)
        return false;
    return std::nullopt;
}

CRemoteSite::Status CRemoteSite::upload(const QString& localPath, const QStringList& folders, const QString& file)
{
    QFile local(localPath);
    if (!local.open(QIODevice::ReadOnly))
        return Status::Upload;
    prepare();
    m_handle->upload = &local;
    const QByteArray url = urlFor(folders, file).toUtf8();
    CURL* curl = m_handle->curl;
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, m_handle);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(local.size()));
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, long(kBlockSize * 4));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, uploadProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, m_progress);
    if (m_progress)
        m_progress->setRange(0, int(local.size() / 1024));
    const int code = perform();
    m_handle->upload = nullptr;
    if (code == CURLE_OK)
        return Status::Ok;
    return code == CURLE_ABORTED_BY_CALLBACK ? Status::Cancelled : Status::Upload;
}
