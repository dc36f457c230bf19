#include "patchdownload.h"

#include <QSaveFile>

#include <curl/curl.h>

#include <mutex>

namespace {

constexpr long kMaxRedirects = 10;

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The options every request of the patch's server gets: HTTP only, the
// redirects a download site uses, and the time limits.
void setCommonOptions(CURL* curl, const QByteArray& address)
{
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(CPatchDownload::kConnectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(CPatchDownload::kStallTimeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

} // namespace

bool CPatchDownload::begin()
{
    if (m_begun)
        return true;
    m_begun = true;
    curl_off_t length = -1;
    curl_easy_getinfo(static_cast<CURL*>(m_curl), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    m_expected = length;
    report(Phase::Begun);
    return !m_stop;
}

void CPatchDownload::report(Phase phase)
{
    if (m_progress)
        m_progress(phase, m_received, m_expected);
}

size_t CPatchDownload::onData(char* data, size_t size, size_t count, void* self)
{
    auto* download = static_cast<CPatchDownload*>(self);
    const size_t bytes = size * count;
    if (!download->begin())
        return 0;
    if (download->m_file->write(data, qint64(bytes)) != qint64(bytes)) {
        download->m_failure = QStringLiteral("cannot write the file: %1").arg(download->m_file->errorString());
        return 0;
    }
    download->m_received += qint64(bytes);
    download->report(Phase::Receiving);
    return download->m_stop ? 0 : bytes;
}

int CPatchDownload::onProgress(void* self, qint64, qint64, qint64, qint64)
{
    return static_cast<CPatchDownload*>(self)->m_stop ? 1 : 0;
}

CPatchDownload::Result CPatchDownload::download(const QString& url, const QString& targetFile)
{
    m_failure.clear();
    m_received = 0;
    m_expected = -1;
    m_begun = false;
    report(Phase::Connecting);
    if (m_stop)
        return Result::Stopped;

    QSaveFile file(targetFile);
    if (!file.open(QIODevice::WriteOnly)) {
        m_failure = QStringLiteral("cannot write %1: %2").arg(targetFile, file.errorString());
        return Result::Failed;
    }
    initialiseCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        m_failure = QStringLiteral("no download library");
        return Result::Failed;
    }
    m_curl = curl;
    m_file = &file;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    setCommonOptions(curl, address);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CPatchDownload::onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CPatchDownload::onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_OK)
        begin(); // an empty answer never called onData
    curl_easy_cleanup(curl);
    m_curl = nullptr;
    m_file = nullptr;

    if (m_stop) {
        file.cancelWriting();
        return Result::Stopped;
    }
    if (code != CURLE_OK) {
        if (m_failure.isEmpty())
            m_failure = QString::fromUtf8(*error != '\0' ? error : curl_easy_strerror(code));
        file.cancelWriting();
        return Result::Failed;
    }
    report(Phase::Receiving);
    // What the server announced is what must have arrived; an empty patch
    // is no patch.
    if (m_received == 0 || (m_expected >= 0 && m_received != m_expected)) {
        m_failure = m_received == 0 ? QStringLiteral("the download is empty")
                                    : QStringLiteral("%1 bytes arrived of %2 announced").arg(m_received).arg(m_expected);
        file.cancelWriting();
        return Result::Failed;
    }
    // QSaveFile::commit does not notice a failed flush of its write buffer
    // and would put a cut-short patch in place.
    if (!file.flush() || !file.commit()) {
        m_failure = QStringLiteral("cannot write %1: %2").arg(targetFile, file.errorString());
        return Result::Failed;
    }
    return Result::Done;
}

qint64 CPatchDownload::announcedSize(const QString& url)
{
    initialiseCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return -1;
    setCommonOptions(curl, url.toUtf8());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_off_t length = -1;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_easy_cleanup(curl);
    return length;
}
