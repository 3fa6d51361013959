#pragma once

#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkReply;
class QSaveFile;

// One running download of the cache. The body is streamed into a temporary file next to the
// destination as it arrives and only replaces the destination once the whole answer is in, so a
// cancelled, failed or half-received transfer never leaves a file under the destination's name
// and never destroys a good file already there. Memory stays flat however large the body.
class CacheDownload : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Stored,     // the body now lies at the destination
        JsonAnswer, // the service answered with JSON instead of a sound; nothing was stored
        Failed,     // the transfer or the storing failed, or no sound came; nothing was stored
    };
    Q_ENUM(Result)

    // How much of the answer Qt may hold in memory before we have written it out.
    static constexpr qint64 readBufferSize = 1024 * 1024;

    // Redirects followed before the download counts as failed.
    static constexpr int maxRedirects = 10;

    // Starts the GET at once; `finished` follows later on this object's thread. Redirects are
    // followed here, hop by hop: the request's "Authorization" header goes only to hops on
    // `authorizedOrigin` (the same scheme, host and port), and a hop from https to anything
    // else is refused.
    CacheDownload(const QString &destination, const QNetworkRequest &request,
                  const QUrl &authorizedOrigin, QObject *parent = nullptr);
    // A running transfer is aborted and its partial file removed, without `finished`.
    ~CacheDownload() override;

    // Why a redirect from `from` to `to` is not followed (only to http or https, and never from
    // https to anything else), or empty when it is.
    static QString refusedRedirect(const QUrl &from, const QUrl &to);

    // Aborts the transfer and removes the partial file; `finished` is not emitted. Does nothing
    // once the download has finished.
    void cancel();
    bool isRunning() const { return m_running; }
    QString destination() const { return m_destination; }

signals:
    // Emitted once, unless cancelled. `error` describes a failure.
    void finished(CacheDownload::Result result, const QString &error);

private:
    void get(const QUrl &url);
    void followRedirect(const QUrl &target);
    void onReadyRead();
    void onFinished();
    bool ensureFileOpen();
    void finish(Result result, const QString &error = {});
    void discard();

    QString m_destination;
    QNetworkRequest m_request; // without the "Authorization" header
    QByteArray m_authorization;
    QUrl m_authorizedOrigin;
    int m_redirects = 0;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    qint64 m_received = 0;
    QString m_storeError;
    bool m_running = true;
};
