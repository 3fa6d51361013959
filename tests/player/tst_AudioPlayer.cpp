#include "TestMain.h"

#include "FakeMediaPlayer.h"
#include "StandInServer.h"
#include "cache/CacheManager.h"
#include "models/SettingsKeys.h"
#include "models/UIState.h"
#include "player/AudioPlayer.h"

#include <QRegularExpression>
#include <QThread>

#include <thread>

using Response = StandInServer::Response;
using Status = MediaPlayer::Status;

namespace {
// UIState as the rows see it.
QString snapshot(const UIState &s) {
    const auto id = [](std::optional<qint64> v) {
        return v ? QString::number(*v) : QStringLiteral("-");
    };
    return QStringLiteral("dl:%1 cur:%2 on:%3 err:%4 p:%5")
        .arg(id(s.downloadingItemId()), id(s.currentAudioItemId()),
             s.isPlaying() ? QStringLiteral("1") : QStringLiteral("0"),
             s.errorMessage().value_or(QStringLiteral("-")), QString::number(s.downloadProgress()));
}

const QString idle = QStringLiteral("dl:- cur:- on:0 err:- p:0");
QString downloading(qint64 id) {
    return QStringLiteral("dl:%1 cur:- on:0 err:- p:0").arg(id);
}
QString loaded(qint64 id) { // current item set, not (yet) playing
    return QStringLiteral("dl:- cur:%1 on:0 err:- p:0").arg(id);
}
QString playing(qint64 id) {
    return QStringLiteral("dl:- cur:%1 on:1 err:- p:0").arg(id);
}
const QString rateLimited =
    QStringLiteral("dl:- cur:- on:0 err:You hit the daily download ratelimit =( p:0");

SearchResultItem sound(qint64 id) {
    SearchResultItem item;
    item.id = id;
    item.name = QStringLiteral("Bell %1").arg(id);
    item.username = QStringLiteral("jo");
    item.type = QStringLiteral("wav");
    return item;
}

QString cachePath(const SearchResultItem &item) {
    return CacheManager::filePath(item);
}

QString downloadPath(const SearchResultItem &item) {
    return QStringLiteral("/apiv2/sounds/%1/download/").arg(item.id);
}

void putInCache(const SearchResultItem &item) {
    QDir().mkpath(CacheManager::cacheFolderPath());
    QFile f(cachePath(item));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("RIFF");
}

Response audio(const QByteArray &body, int delayMs = 0) {
    Response r;
    r.headers = {{"Content-Type", "audio/wav"}};
    r.body = body;
    r.delayMs = delayMs;
    return r;
}
} // namespace

class TestAudioPlayer : public QObject {
    Q_OBJECT

    StandInServer m_server;
    std::unique_ptr<UIState> m_ui;
    std::shared_ptr<QStringList> m_log; // calls on the media player
    FakeMediaPlayer *m_fake = nullptr;
    std::unique_ptr<AudioPlayer> m_player;
    QStringList m_writes; // UIState after each single write

    QString state() const { return snapshot(*m_ui); }
    void clearLogs() {
        m_writes.clear();
        m_log->clear();
    }
    void press(const SearchResultItem &item) { m_player->playOrStop(item); }
    // Presses a cached item and checks that it plays.
    void playCached(const SearchResultItem &item) {
        putInCache(item);
        press(item);
        QCOMPARE(state(), playing(item.id));
    }

private slots:
    void initTestCase() { QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"})); }

    void init() {
        QDir(CacheManager::cacheFolderPath()).removeRecursively();
        m_server.clearRequests();
        Defaults::Keys::filesDownloaded.write(-1);
        m_writes.clear();
        m_ui = std::make_unique<UIState>();
        connect(m_ui.get(), &UIState::changed, this, [this] { m_writes << snapshot(*m_ui); });
        m_log = std::make_shared<QStringList>();
        m_fake = new FakeMediaPlayer(m_log);
        m_player = std::make_unique<AudioPlayer>(m_ui.get(), m_fake);
    }

    void cleanup() {
        m_player.reset();
        m_ui.reset();
    }

    void pressOnCachedResultPlaysBeforeReturning() {
        const auto x = sound(10);
        putInCache(x);
        press(x);
        QCOMPARE(m_writes, QStringList({
                               idle,                                // error message cleared
                               idle, idle, idle, idle,              // stop
                               downloading(10),                     // looked up
                               idle, idle, loaded(10), playing(10), // file in hand, playing
                           }));
        QCOMPARE(*m_log, QStringList({"pause", "seek 0", "replace 10_Bell10_jo.wav", "volume 1",
                                      "seek 0", "add observer", "play"}));
        QVERIFY(m_server.requests().isEmpty());
    }

    void pressOnUncachedResultDownloadsThenPlays() {
        const auto y = sound(11);
        m_server.route(downloadPath(y), audio("RIFFdata", 100));
        Defaults::Keys::accessToken.write(QStringLiteral("tok"));
        press(y);
        QCOMPARE(m_writes, QStringList({idle, idle, idle, idle, idle, downloading(11)}));
        QCOMPARE(*m_log, QStringList({"pause", "seek 0"}));
        clearLogs();

        QTRY_COMPARE(state(), playing(11));
        QCOMPARE(m_writes, QStringList({idle, idle, loaded(11), playing(11)}));
        QCOMPARE(*m_log, QStringList({"replace 11_Bell11_jo.wav", "volume 1", "seek 0",
                                      "add observer", "play"}));
        const auto requests = m_server.requests(downloadPath(y));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].header("authorization"), QByteArray("Bearer tok"));
        QFile file(cachePath(y));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("RIFFdata"));
        QCOMPARE(Defaults::Keys::filesDownloaded.read(), qint64(1));
    }

    // First press downloads, second cancels (its answer never plays), third starts again.
    void secondPressCancelsThirdStartsAgain() {
        const auto y = sound(12);
        m_server.route(downloadPath(y), audio("RIFF", 300));
        press(y);
        QTRY_COMPARE(m_server.requests(downloadPath(y)).size(), 1);
        clearLogs();

        press(y);
        QCOMPARE(m_writes, QStringList({idle, idle})); // only the downloading mark and progress
        QVERIFY(m_log->isEmpty());
        QTest::qWait(500);
        QCOMPARE(state(), idle);
        QVERIFY(!QFileInfo::exists(cachePath(y)));
        QVERIFY(m_log->isEmpty());

        press(y);
        QCOMPARE(state(), downloading(12));
        QTRY_COMPARE(state(), playing(12));
        QCOMPARE(m_server.requests(downloadPath(y)).size(), 2);
    }

    void pressOnAnotherWhilePlayingStopsTheFirst() {
        const auto x = sound(10);
        const auto z = sound(20);
        playCached(x);
        putInCache(z);
        clearLogs();

        press(z);
        QCOMPARE(m_writes, QStringList({
                               playing(10), // error cleared
                               loaded(10),
                               idle,
                               idle,
                               idle, // x stopped
                               downloading(20),
                               idle,
                               idle,
                               loaded(20),
                               playing(20),
                           }));
        QCOMPARE(*m_log,
                 QStringList({"pause", "seek 0", "remove observer", "replace 20_Bell20_jo.wav",
                              "volume 1", "seek 0", "add observer", "play"}));
        QCOMPARE(m_fake->observerCount(), 1);
    }

    void pressOnAnotherWhileDownloadingCancelsTheDownload() {
        const auto a = sound(30);
        const auto b = sound(31);
        m_server.route(downloadPath(a), audio("RIFF", 300));
        press(a);
        QTRY_COMPARE(m_server.requests(downloadPath(a)).size(), 1);
        playCached(b);
        QTest::qWait(500); // the answer for a would have arrived by now
        QCOMPARE(state(), playing(31));
        QVERIFY(!m_log->contains(QStringLiteral("replace 30_Bell30_jo.wav")));
        QVERIFY(!QFileInfo::exists(cachePath(a)));
    }

    // A failed transfer must not leave the row spinning: it returns to idle, and the next
    // press starts a new download instead of merely clearing the mark.
    // So must an answer that is not the sound: nothing of it is kept under the cache name.
    void failedTransferReturnsToIdle_data() {
        QTest::addColumn<Response>("answer");
        Response dropped = audio({});
        dropped.generatedBodySize = 100000;
        dropped.dropAfterBytes = 1000;
        QTest::newRow("dropped connection") << dropped;
        Response portal;
        portal.headers = {{"Content-Type", "text/html; charset=utf-8"}};
        portal.body = "<html>Accept the terms of this network</html>";
        QTest::newRow("captive portal page") << portal;
        Response choices = portal;
        choices.status = 300;
        QTest::newRow("300 without Location") << choices;
        Response partial = audio("RIFF");
        partial.status = 206;
        partial.headers.append({QByteArray("Content-Range"), QByteArray("bytes 0-3/8")});
        QTest::newRow("206 part of the file") << partial;
        Response xhtml = portal;
        xhtml.headers = {{"Content-Type", "application/xhtml+xml"}};
        QTest::newRow("XHTML page") << xhtml;
        Response record = Response::json(R"({"detail":"Not found."})");
        record.headers = {{"Content-Type", "application/json; charset=utf-8"}};
        QTest::newRow("JSON error record with a charset") << record;
    }
    void failedTransferReturnsToIdle() {
        QFETCH(Response, answer);
        const auto f = sound(40);
        m_server.route(downloadPath(f), answer);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Download failed: ")));
        press(f);
        clearLogs();
        QTRY_COMPARE(state(), idle);
        QCOMPARE(m_writes, QStringList({idle, idle}));
        QVERIFY(m_log->isEmpty());
        QVERIFY(!QFileInfo::exists(cachePath(f)));

        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Download failed: ")));
        press(f);
        QCOMPARE(state(), downloading(40));
        QTRY_COMPARE(m_server.requests(downloadPath(f)).size(), 2);
        QTRY_COMPARE(state(), idle);
    }

    // A JSON refusal shows the message, returns to idle and is not kept: the result does not
    // count as cached and the next press asks the service again.
    void jsonAnswerShowsTheRateLimitMessage() {
        const auto j = sound(50);
        m_server.route(downloadPath(j), Response::json(R"({"detail":"Throttled"})", 429));
        QTest::ignoreMessage(QtDebugMsg, "RESPONSE CONTENT TYPE: application/json");
        press(j);
        clearLogs();
        QTRY_COMPARE(state(), rateLimited);
        QCOMPARE(m_writes, QStringList({idle, idle, rateLimited}));
        QVERIFY(m_log->isEmpty());
        QVERIFY(!QFileInfo::exists(cachePath(j)));
        QCOMPARE(Defaults::Keys::filesDownloaded.read(), qint64(-1));

        QTest::ignoreMessage(QtDebugMsg, "RESPONSE CONTENT TYPE: application/json");
        press(j); // clears the message and downloads again
        QCOMPARE(state(), downloading(50));
        QTRY_COMPARE(state(), rateLimited);
        QCOMPARE(m_server.requests(downloadPath(j)).size(), 2);
        QVERIFY(!m_log->join(QLatin1Char(' ')).contains(QStringLiteral("replace")));
    }

    // Only a press that starts a preview clears the message; stop and cancel leave it.
    void errorMessageSurvivesStopAndCancel() {
        const QString signInError = UIState::signInErrorText;
        const auto x = sound(10);
        const auto y = sound(60);
        m_server.route(downloadPath(y), audio("RIFF", 300));
        playCached(x);
        m_ui->setErrorMessage(signInError);
        press(x);
        QCOMPARE(m_ui->errorMessage(), std::optional<QString>(signInError));
        QCOMPARE(m_ui->isPlaying(), false);

        press(y);
        QCOMPARE(m_ui->errorMessage(), std::nullopt);
        m_ui->setErrorMessage(signInError);
        press(y);
        QCOMPARE(m_ui->errorMessage(), std::optional<QString>(signInError));
        QCOMPARE(m_ui->downloadingItemId(), std::nullopt);
    }

    void progressTicksUntilTheEnd() {
        const auto x = sound(10);
        m_fake->duration = 2.0;
        playCached(x);

        clearLogs();
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status changed to ready to play!");
        QTest::ignoreMessage(QtDebugMsg, "updateCurrentAudioDuration: 2.0");
        m_fake->setStatus(Status::ReadyToPlay);
        QTRY_COMPARE(*m_log, QStringList({"play"})); // resumes what is shown playing
        QVERIFY(m_writes.isEmpty());

        m_fake->time = 1.0;
        QTest::ignoreMessage(QtDebugMsg, "audio progress: 1.0");
        m_fake->tick();
        QCOMPARE(state(), playing(10));

        m_fake->time = 2.0;
        clearLogs();
        QTest::ignoreMessage(QtDebugMsg, "audio progress: 2.0");
        QTest::ignoreMessage(QtDebugMsg, "Played the file entirely!");
        m_fake->tick();
        QCOMPARE(state(), idle);
        QCOMPARE(m_writes, QStringList({loaded(10), idle, idle, idle}));
        QCOMPARE(*m_log, QStringList({"pause", "seek 0", "remove observer"}));
        QCOMPARE(m_fake->observerCount(), 0);
    }

    void playReadsTheDurationWhenAlreadyReady() {
        const auto x = sound(10);
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status changed to ready to play!");
        m_fake->setStatus(Status::ReadyToPlay); // no item yet: nothing to read
        m_fake->duration = 3.5;
        QTest::ignoreMessage(QtDebugMsg, "updateCurrentAudioDuration (play): 3.5");
        playCached(x);
        QTest::qWait(20);

        m_fake->time = 3.4;
        QTest::ignoreMessage(QtDebugMsg, "audio progress: 3.4");
        m_fake->tick();
        QCOMPARE(state(), playing(10));
        m_fake->time = 3.5;
        QTest::ignoreMessage(QtDebugMsg, "audio progress: 3.5");
        QTest::ignoreMessage(QtDebugMsg, "Played the file entirely!");
        m_fake->tick();
        QCOMPARE(state(), idle);
    }

    // After a stop nothing shows playback, so becoming ready must not start the sound.
    void readyToPlayAfterStopDoesNotPlay() {
        const auto x = sound(10);
        m_fake->duration = 2.0;
        playCached(x);
        press(x);
        QCOMPARE(state(), idle);
        clearLogs();
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status changed to ready to play!");
        QTest::ignoreMessage(QtDebugMsg, "updateCurrentAudioDuration: 2.0");
        m_fake->setStatus(Status::ReadyToPlay);
        QTest::qWait(20);
        QVERIFY(m_log->isEmpty());
        QVERIFY(m_writes.isEmpty());
    }

    void failedStatusClearsOnlyThePlayingMark() {
        const auto x = sound(10);
        playCached(x);
        clearLogs();
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status is failed!");
        m_fake->setStatus(Status::Failed);
        QCOMPARE(m_writes, QStringList({loaded(10)}));
        QCOMPARE(m_fake->observerCount(), 1);

        m_fake->time = 100; // a tick while not playing does nothing
        m_fake->tick();
        QCOMPARE(m_writes.size(), 1);

        press(x); // starts x again rather than stopping it
        QCOMPARE(state(), playing(10));
        QVERIFY(m_log->contains(QStringLiteral("replace 10_Bell10_jo.wav")));
        QCOMPARE(m_fake->observerCount(), 1);
    }

    void unknownStatusChangesNothing() {
        const auto x = sound(10);
        playCached(x);
        clearLogs();
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer in unknown state");
        m_fake->setStatus(Status::Unknown);
        QTest::qWait(10);
        QVERIFY(m_writes.isEmpty());
        QVERIFY(m_log->isEmpty());
    }

    void statusFromAnotherThreadIsHandledOnTheMainThread() {
        const auto x = sound(10);
        playCached(x);
        QThread *writer = nullptr;
        connect(m_ui.get(), &UIState::changed, this,
                [&writer] { writer = QThread::currentThread(); });
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status is failed!");
        std::thread media([this] { m_fake->setStatus(Status::Failed); });
        media.join();
        QTRY_COMPARE(m_ui->isPlaying(), false);
        QCOMPARE(writer, qApp->thread());
    }

    void destructionEndsTheDownloadAndPausesThePlayer() {
        const auto a = sound(70);
        m_server.route(downloadPath(a), audio("RIFF", 200));
        press(a);
        QTRY_COMPARE(m_server.requests(downloadPath(a)).size(), 1);
        m_log->clear();
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer deinit");
        m_player.reset();
        QCOMPARE(*m_log, QStringList({"pause", "destroyed"}));
        QTest::qWait(400);
        QVERIFY(!QFileInfo::exists(cachePath(a)));
    }
};

QUAVELIN_TEST_MAIN(TestAudioPlayer)
#include "tst_AudioPlayer.moc"
