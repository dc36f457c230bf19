#pragma once
// One session with an FTP or SFTP server through libcurl, for publishing:
// log on, make a folder path, ask whether a file is there, upload a file
// with progress and cancel. FTP is passive; the connection is kept between
// the calls. Every wait is bounded (10 s to connect, a minute without
// progress). The calls block, letting the progress window's input through
// while an upload runs.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class CProgress;

class CRemoteSite
{
public:
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kStallSeconds = 60;
    static constexpr int kBlockSize = 4096;

    enum class Status {
        Ok,
        Login,      // no connection, or the login was refused
        Folder,     // a folder could not be made or entered
        Upload,     // the remote file could not be written
        Cancelled,
    };

    // `server`: ftp:// or sftp:// with host and port; its path is ignored.
    CRemoteSite(const QUrl& server, const QString& user, const QString& password, CProgress* progress = nullptr);
    ~CRemoteSite();
    CRemoteSite(const CRemoteSite&) = delete;
    CRemoteSite& operator=(const CRemoteSite&) = delete;

    bool isSftp() const;

    // Logs on and lists the starting folder.
    Status logOn();
    // Enters each folder of the path in turn (relative to the starting
    // folder), making the ones that are missing.
    Status makePath(const QStringList& folders);
    // Whether the file is there; nothing when the server would not say.
    std::optional<bool> exists(const QStringList& folders, const QString& file);
    // Uploads the local file, replacing a remote one of that name.
    Status upload(const QString& localPath, const QStringList& folders, const QString& file);

    // libcurl's words for the last failure.
    const QString& lastError() const { return m_lastError; }

    // The libcurl handle and the transfer under way.
    struct Handle;

private:
    QString urlFor(const QStringList& folders, const QString& file) const;
    void prepare();
    int perform();

    Handle* m_handle;
    QUrl m_server;
    QString m_user;
    QString m_password;
    CProgress* m_progress;
    QString m_lastError;
};
