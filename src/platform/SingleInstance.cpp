#include "SingleInstance.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <algorithm>

// The hand-off is plain text: one line per argument, ":" and the argument percent-encoded (so it
// holds no line break), then an empty line; the running copy answers with one byte.
namespace {
// A launch passes a handful of short texts; anything longer is not one of ours.
constexpr qint64 maximumMessageSize = 64 * 1024;
constexpr char acknowledgement = 'A';
constexpr char argumentMark = ':';
constexpr int connectionLifetimeMs = 30 * 1000;
// Launches come one at a time and say their piece at once: more open connections than these
// are not launches, and holding them all would run the process out of file descriptors.
constexpr qsizetype maximumOpenConnections = 16;
// How often a server that closed itself is looked for.
constexpr int listenCheckIntervalMs = 1000;
} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath() const {
    // The runtime folder belongs to the user alone (mode 0700, checked by Qt); without one
    // there is no place that only this user can reach.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    return runtime + QLatin1Char('/') + m_name + QStringLiteral(".socket");
}

bool SingleInstance::isListening() const {
    return m_server && m_server->isListening();
}

SingleInstance::Role SingleInstance::claim(const QStringList &arguments, int timeoutMs) {
    const QString path = socketPath();
    if (path.isEmpty()) {
        qDebug() << "no private runtime folder; running without the single-instance socket";
        return Role::Standalone;
    }
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(timeoutMs)) {
        qDebug() << "cannot take the single-instance lock" << lock.fileName();
        return Role::Standalone;
    }
    bool delivered = false;
    if (handOff(arguments, timeoutMs, &delivered))
        return delivered ? Role::HandedOff : Role::HandOffFailed;
    return listen() ? Role::Primary : Role::Standalone;
}

bool SingleInstance::handOff(const QStringList &arguments, int timeoutMs, bool *delivered) {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false; // nobody listens (no socket file, or one left by a copy that crashed)

    QByteArray message;
    for (const QString &argument : arguments)
        message += argumentMark + QUrl::toPercentEncoding(argument) + '\n';
    message += '\n';
    socket.write(message);

    QElapsedTimer clock;
    clock.start();
    *delivered = false;
    while (!*delivered && clock.elapsed() < timeoutMs) {
        if (socket.bytesAvailable() > 0) {
            char reply = 0;
            *delivered = socket.getChar(&reply) && reply == acknowledgement;
            break;
        }
        if (!socket.waitForReadyRead(int(timeoutMs - clock.elapsed())))
            break;
    }
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen() {
    const QString path = socketPath();
    // Reached only when connecting failed under the lock, so a file left there is stale.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        qDebug() << "cannot listen on" << path << m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            if (m_messages.size() >= maximumOpenConnections) {
                // The oldest has had its chance to speak; the newest may be a launch that is
                // saying its piece right now, so a process holding connections open cannot
                // keep a redirect from getting through.
                const auto oldest = std::min_element(
                    m_messages.cbegin(), m_messages.cend(),
                    [](const Message &a, const Message &b) { return a.accepted < b.accepted; });
                QLocalSocket *dropped = oldest.key();
                m_messages.erase(oldest);
                dropped->disconnect(this);
                dropped->abort();
                dropped->deleteLater();
            }
            m_messages.insert(socket, {{}, 0, ++m_accepted});
            connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                m_messages.remove(socket);
                socket->deleteLater();
            });
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
            // A launch says what it has to say at once; a connection left open is dropped.
            QTimer::singleShot(connectionLifetimeMs, socket, &QLocalSocket::abort);
            readFrom(socket);
        }
    });
    // Qt closes the server for good when accepting a connection fails (out of file
    // descriptors, say); later launches would then start copies of their own.
    m_listenCheck = new QTimer(this);
    m_listenCheck->setTimerType(Qt::VeryCoarseTimer);
    connect(m_listenCheck, &QTimer::timeout, this, &SingleInstance::listenAgain);
    m_listenCheck->start(listenCheckIntervalMs);
    return true;
}

void SingleInstance::listenAgain() {
    if (m_server->isListening())
        return;
    const QString path = socketPath();
    // As when claiming: under the lock, so that a launch deciding right now is not cut off.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(0))
        return; // next time
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(100)) {
        // A launch found no one listening meanwhile and took over; it stays the one.
        probe.abort();
        m_listenCheck->stop();
        return;
    }
    QLocalServer::removeServer(path); // a file left there is stale
    if (!m_server->listen(path))
        qDebug() << "cannot listen again on" << path << m_server->errorString();
}

void SingleInstance::readFrom(QLocalSocket *socket) {
    const auto found = m_messages.find(socket);
    if (found == m_messages.end())
        return; // closed already
    Message &message = *found;
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine();
        message.size += line.size();
        line.chop(1);
        if (line.isEmpty()) {
            const QStringList arguments = std::exchange(message.arguments, {});
            message.size = 0;
            socket->putChar(acknowledgement);
            socket->flush();
            emit argumentsReceived(arguments);
            continue;
        }
        if (line.front() != argumentMark || message.size > maximumMessageSize) {
            socket->abort(); // not one of ours
            return;
        }
        message.arguments.append(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(1))));
    }
    if (message.size + socket->bytesAvailable() > maximumMessageSize)
        socket->abort();
}
