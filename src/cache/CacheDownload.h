#pragma once

#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>

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
        Failed,     // the transfer or the storing failed; nothing was stored
    };
    Q_ENUM(Result)

    // How much of the answer Qt may hold in memory before we have written it out.
    static constexpr qint64 readBufferSize = 1024 * 1024;

    // Starts the GET at once; `finished` follows later on this object's thread.
    CacheDownload(const QString &destination, const QNetworkRequest &request,
                  QObject *parent = nullptr);
    // A running transfer is aborted and its partial file removed, without `finished`.
    ~CacheDownload() override;

    // Aborts the transfer and removes the partial file; `finished` is not emitted. Does nothing
    // once the download has finished.
    void cancel();
    bool isRunning() const { return m_running; }
    QString destination() const { return m_destination; }

signals:
    // Emitted once, unless cancelled. `error` describes a failure.
    void finished(CacheDownload::Result result, const QString &error);

private:
    void onReadyRead();
    void onFinished();
    bool ensureFileOpen();
    void finish(Result result, const QString &error = {});
    void discard();

    QString m_destination;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    qint64 m_received = 0;
    QString m_storeError;
    bool m_running = true;
};
