#include "TestMain.h"

#include "StandInServer.h"
#include "TokenEndpoint.h"
#include "platform/SingleInstance.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

#include <sys/resource.h>

// Launches of the real application in this test's private home, against the stand-in.
class TestSingleInstance : public QObject {
    Q_OBJECT
    StandInServer m_server;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    // `fileLimit`: when above 0, the most files the process may hold open.
    QProcess *launch(const QStringList &arguments, rlim_t fileLimit = 0) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(QStringLiteral(QUAVELIN_BINARY));
        process->setArguments(arguments);
        if (fileLimit > 0)
            process->setChildProcessModifier([fileLimit] {
                const rlimit limit{fileLimit, fileLimit};
                setrlimit(RLIMIT_NOFILE, &limit);
            });
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }
    static bool ended(const QProcess *process) { return process->state() == QProcess::NotRunning; }
    // The running copy's look at its server, now rather than within the next second.
    static void runListenCheck(SingleInstance &instance) {
        auto *check = instance.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(check);
        QVERIFY(QMetaObject::invokeMethod(check, "timeout"));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE", "QUAVELIN_UPDATE_BASE"}));
        // The children inherit this test's private home and offscreen platform.
        m_server.route(TokenEndpoint::path,
                       StandInServer::Response::json(R"({"error": "invalid_grant"})"));
    }
    void cleanup() {
        for (const auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        m_processes.clear();
    }

    void laterLaunchesHandTheirRedirectToTheRunningCopy() {
        const QString socket = SingleInstance().socketPath();
        QVERIFY(!socket.isEmpty());
        QProcess *running = launch({});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        // Nobody but the user can reach the socket.
        QCOMPARE(QFileInfo(socket).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                      QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());

        QProcess *second = launch({QStringLiteral("quavelin://oauth?code=HANDED&state=x")});
        QTRY_VERIFY_WITH_TIMEOUT(ended(second), 10000);
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE(TokenEndpoint::exchangedCodes(m_server),
                     QStringList{QStringLiteral("HANDED")});

        // Without a redirect a later launch ends too, leaving the running copy alone.
        QProcess *third = launch({});
        QTRY_VERIFY_WITH_TIMEOUT(ended(third), 10000);
        QCOMPARE(third->exitCode(), 0);
        QCOMPARE(running->state(), QProcess::Running);

        // Whatever else reaches the socket is dropped, and the running copy carries on.
        for (const QByteArray &junk :
             {QByteArray("GET / HTTP/1.1\r\n\r\n"), QByteArray(200 * 1024, 'x'),
              QByteArray("\xff\xff\xff\xf0\x00\x01\n", 7)}) {
            QLocalSocket intruder;
            intruder.connectToServer(socket);
            QVERIFY(intruder.waitForConnected(5000));
            intruder.write(junk);
            QVERIFY(intruder.waitForBytesWritten(5000));
            QTRY_COMPARE(intruder.state(), QLocalSocket::UnconnectedState);
            QVERIFY(intruder.readAll().isEmpty());
        }
        QProcess *fourth = launch({QStringLiteral("quavelin://oauth?code=STILL")});
        QTRY_VERIFY_WITH_TIMEOUT(ended(fourth), 10000);
        QCOMPARE(fourth->exitCode(), 0);
        QTRY_COMPARE(TokenEndpoint::exchangedCodes(m_server),
                     (QStringList{QStringLiteral("HANDED"), QStringLiteral("STILL")}));
        QCOMPARE(running->state(), QProcess::Running);
    }

    void aLaunchAfterACrashTakesOverAndHandlesItsOwnRedirect() {
        const QString socket = SingleInstance().socketPath();
        QProcess *crashed = launch({});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        crashed->kill(); // leaves its socket file behind
        QVERIFY(crashed->waitForFinished());
        QVERIFY(QFileInfo::exists(socket));
        m_server.clearRequests();

        QProcess *first = launch({QStringLiteral("quavelin://oauth?code=FIRST")});
        QTRY_COMPARE_WITH_TIMEOUT(TokenEndpoint::exchangedCodes(m_server),
                                  QStringList{QStringLiteral("FIRST")}, 10000);
        QCOMPARE(first->state(), QProcess::Running);

        QProcess *later = launch({QStringLiteral("quavelin://oauth?code=LATER")});
        QTRY_VERIFY_WITH_TIMEOUT(ended(later), 10000);
        QCOMPARE(later->exitCode(), 0);
        QTRY_COMPARE(TokenEndpoint::exchangedCodes(m_server),
                     (QStringList{QStringLiteral("FIRST"), QStringLiteral("LATER")}));
    }

    // Connections held open by another process of the user cost the running copy nothing
    // beyond a few: it keeps listening, and the next launch hands its redirect over.
    void aFloodOfConnectionsLeavesTheSocketListening() {
        const QString socket = SingleInstance().socketPath();
        m_server.clearRequests();
        QLocalServer::removeServer(socket); // left by the copies of the tests before
        // Room for the application and a few connections, not for the whole flood.
        QProcess *running = launch({}, 96);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);

        std::vector<std::unique_ptr<QLocalSocket>> flood;
        for (int i = 0; i < 200; ++i) {
            flood.push_back(std::make_unique<QLocalSocket>());
            flood.back()->connectToServer(socket);
            flood.back()->waitForConnected(1000);
        }
        const auto closedByTheServer = [&flood] {
            return std::count_if(flood.cbegin(), flood.cend(), [](const auto &connection) {
                return connection->state() == QLocalSocket::UnconnectedState;
            });
        };
        // The newest few wait for their message; older ones are closed as new ones come.
        QTRY_VERIFY2(closedByTheServer() >= 200 - 16,
                     qPrintable(QString::number(closedByTheServer())));
        QCOMPARE(closedByTheServer(), 200 - 16);
        QVERIFY(flood.back()->state() == QLocalSocket::ConnectedState);
        QCOMPARE(running->state(), QProcess::Running);

        // With the connections still held, the address the service's own permission page
        // shows serves as a redirect.
        QProcess *later =
            launch({QStringLiteral("https://freesound.org/home/app_permissions/permission_granted/"
                                   "?code=XYZ")});
        QTRY_VERIFY_WITH_TIMEOUT(ended(later), 10000);
        QCOMPARE(later->exitCode(), 0);
        QTRY_COMPARE(TokenEndpoint::exchangedCodes(m_server), QStringList{QStringLiteral("XYZ")});
        QCOMPARE(running->state(), QProcess::Running);
        QCOMPARE(closedByTheServer(), 200 - 16 + 1);
    }

    // Qt closes a local server for good when accepting fails; the running copy listens again.
    void theSocketListensAgainAfterItClosed() {
        SingleInstance running;
        QCOMPARE(running.claim({}), SingleInstance::Role::Primary);
        QSignalSpy received(&running, &SingleInstance::argumentsReceived);
        auto *server = running.findChild<QLocalServer *>();
        QVERIFY(server);
        server->close();
        QVERIFY(!running.isListening());
        QTRY_VERIFY(running.isListening());

        const QString redirect = QStringLiteral("quavelin://oauth?code=AGAIN");
        QProcess *later = launch({redirect});
        QTRY_VERIFY_WITH_TIMEOUT(ended(later), 10000);
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), QStringList{redirect});
    }

    // While a launch holds the lock it is deciding whom to talk to: the socket is not taken
    // back under it, only once the lock is free.
    void aClosedServerListensAgainOnlyUnderTheLock() {
        SingleInstance running;
        QCOMPARE(running.claim({}), SingleInstance::Role::Primary);
        auto *server = running.findChild<QLocalServer *>();
        QVERIFY(server);
        server->close();
        {
            QLockFile deciding(running.socketPath() + QStringLiteral(".lock"));
            QVERIFY(deciding.tryLock(0));
            runListenCheck(running);
            QVERIFY(!running.isListening());
        }
        runListenCheck(running);
        QVERIFY(running.isListening());
    }

    // A launch that found nobody listening took the socket over meanwhile: it stays the copy
    // that later launches reach, and the one whose server closed leaves its socket alone.
    void aCopyThatTookTheSocketOverKeepsIt() {
        SingleInstance running;
        QCOMPARE(running.claim({}), SingleInstance::Role::Primary);
        auto *server = running.findChild<QLocalServer *>();
        QVERIFY(server);
        server->close();
        SingleInstance successor;
        QCOMPARE(successor.claim({}), SingleInstance::Role::Primary);
        QSignalSpy toRunning(&running, &SingleInstance::argumentsReceived);
        QSignalSpy toSuccessor(&successor, &SingleInstance::argumentsReceived);

        runListenCheck(running);
        QVERIFY(!running.isListening());
        const QString redirect = QStringLiteral("quavelin://oauth?code=TAKEN");
        QProcess *later = launch({redirect});
        QTRY_VERIFY_WITH_TIMEOUT(ended(later), 10000);
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(toSuccessor.size(), 1);
        QCOMPARE(toSuccessor.first().first().toStringList(), QStringList{redirect});
        QCOMPARE(toRunning.size(), 0);
    }

    // Arguments reach the running copy as they were given, whatever characters they hold.
    void argumentsArriveAsGiven() {
        SingleInstance running;
        QCOMPARE(running.claim({}), SingleInstance::Role::Primary);
        QSignalSpy received(&running, &SingleInstance::argumentsReceived);
        const QStringList arguments{QStringLiteral("quavelin://oauth?code=a%2Fb%26c&state=x"),
                                    QStringLiteral("two\nlines"), QString(),
                                    QStringLiteral(":marked"), QStringLiteral("caf\u00e9 \u2603")};
        QProcess *later = launch(arguments);
        QTRY_VERIFY_WITH_TIMEOUT(ended(later), 10000);
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toStringList(), arguments);
    }

    // The size cap holds for a message that is well formed and arrives whole at once, too.
    void aMessageBeyondTheSizeCapIsDropped_data() {
        QTest::addColumn<int>("lines"); // of 1 KiB each; the cap is 64 KiB
        QTest::addColumn<bool>("delivered");
        QTest::newRow("under the cap") << 60 << true;
        QTest::newRow("over the cap") << 70 << false;
    }
    void aMessageBeyondTheSizeCapIsDropped() {
        QFETCH(int, lines);
        QFETCH(bool, delivered);
        SingleInstance running;
        QCOMPARE(running.claim({}), SingleInstance::Role::Primary);
        QSignalSpy received(&running, &SingleInstance::argumentsReceived);

        QByteArray message;
        for (int i = 0; i < lines; ++i)
            message += ':' + QByteArray(1022, 'a') + '\n';
        message += '\n';
        QLocalSocket client;
        client.connectToServer(running.socketPath());
        QVERIFY(client.waitForConnected(5000));
        // All of it is on its way before the running copy reads any.
        client.write(message);
        QVERIFY(client.waitForBytesWritten(5000));
        if (delivered) {
            QTRY_COMPARE(received.size(), 1);
            QCOMPARE(received.first().first().toStringList().size(), lines);
            QTRY_COMPARE(client.bytesAvailable(), 1);
        } else {
            QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
            QCOMPARE(received.size(), 0);
            QVERIFY(client.readAll().isEmpty());
        }
    }
};

QUAVELIN_TEST_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
