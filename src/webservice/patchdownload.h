#pragma once
// Downloads the update's patch into a file (the editor's "Temp.DAT") with
// libcurl, reporting progress and stopping when asked. The file appears
// only when the download is complete and sound: not empty, and exactly as
// long as the server announced; anything else leaves no file behind and
// any earlier file as it was.
//
// One object per download. download() blocks; it may run on a worker
// thread. stop() may be called from any thread, before or during the
// download; the progress function is called on the downloading thread.

#include <QString>

#include <atomic>
#include <functional>

class CPatchDownload
{
public:
    // No connection within this long, or no data for this long, fails.
    static constexpr int kConnectTimeoutMs = 20000;
    static constexpr int kStallTimeoutSeconds = 20;

    enum class Result { Done, Failed, Stopped };

    enum class Phase {
        Connecting, // before the request goes out
        Begun,      // the answer has come: `expected` is known (-1 when not announced)
        Receiving,  // data arrived; also once at the end
    };
    using ProgressFn = std::function<void(Phase phase, qint64 received, qint64 expected)>;

    void setProgress(ProgressFn progress) { m_progress = std::move(progress); }

    Result download(const QString& url, const QString& targetFile);

    // The size the server announces for `url` without sending it (a HEAD
    // request); -1 when it announces none or cannot be asked.
    static qint64 announcedSize(const QString& url);
    void stop() { m_stop = true; }

    // Why the last download failed, for logs and the command line.
    const QString& failure() const { return m_failure; }
    qint64 received() const { return m_received; }
    qint64 expected() const { return m_expected; }

private:
    static size_t onData(char* data, size_t size, size_t count, void* self);
    static int onProgress(void* self, qint64 totalDown, qint64 down, qint64 totalUp, qint64 up);
    bool begin();
    void report(Phase phase);

    ProgressFn m_progress;
    std::atomic<bool> m_stop = false;
    QString m_failure;
    qint64 m_received = 0;
    qint64 m_expected = -1;
    bool m_begun = false;
    void* m_curl = nullptr;
    class QSaveFile* m_file = nullptr;
};
