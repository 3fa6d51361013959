#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;
class QTimer;

// One running copy of the application per user. The first launch listens on a local socket
// that only its user can reach; a later launch hands its arguments over that socket to the
// running copy and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        // This process listens; later launches reach it through `argumentsReceived`.
        Primary,
        // Another copy runs and has taken the arguments; this process is to end.
        HandedOff,
        // Another copy runs but did not take the arguments in time.
        HandOffFailed,
        // The socket cannot be used here; this process runs on its own.
        Standalone,
    };

    // `name` names the socket file in the user's runtime folder.
    explicit SingleInstance(const QString &name = QStringLiteral("quavelin"),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Decides which copy this process is. Two launches at the same moment are serialised by a
    // lock file, so exactly one of them becomes the primary.
    Role claim(const QStringList &arguments, int timeoutMs = 5000);

    // The socket's path; empty when the user has no private runtime folder.
    QString socketPath() const;
    bool isListening() const;

signals:
    // The arguments of a later launch, on this object's thread.
    void argumentsReceived(const QStringList &arguments);

private:
    bool handOff(const QStringList &arguments, int timeoutMs, bool *delivered);
    bool listen();
    void listenAgain();
    void readFrom(QLocalSocket *socket);

    // What a connection has sent of its message so far.
    struct Message {
        QStringList arguments;
        qint64 size = 0;
        quint64 accepted = 0; // the order in which connections came
    };

    QString m_name;
    QLocalServer *m_server = nullptr;
    QTimer *m_listenCheck = nullptr;
    QHash<QLocalSocket *, Message> m_messages;
    quint64 m_accepted = 0;
};
