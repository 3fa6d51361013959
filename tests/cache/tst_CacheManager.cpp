#include "TestMain.h"

#include "StandInServer.h"
#include "cache/CacheDownload.h"
#include "cache/CacheManager.h"
#include "models/SearchResultItem.h"
#include "models/SettingsKeys.h"
#include "platform/Http.h"
#include "platform/ServiceConfig.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <memory>

using Response = StandInServer::Response;

namespace {
const QString soundPath = QStringLiteral("/apiv2/sounds/42/download/");

Response answer(int status, const QByteArray &contentType, const QByteArray &body) {
    Response r;
    r.status = status;
    if (!contentType.isEmpty())
        r.headers = {{"Content-Type", contentType}};
    r.body = body;
    return r;
}

Response delayed(Response r, int ms) {
    r.delayMs = ms;
    return r;
}

enum Interruption { None, Drop, Stall };

// A generated body of `size` bytes, optionally dropped or stalled after `after` bytes.
Response generated(int status, const QByteArray &contentType, qint64 size,
                   Interruption interruption = None, qint64 after = 0) {
    Response r = answer(status, contentType, {});
    r.generatedBodySize = size;
    if (interruption == Drop)
        r.dropAfterBytes = after;
    if (interruption == Stall)
        r.stallAfterBytes = after;
    return r;
}

// What a download reported back, and on which thread.
struct Outcome {
    int completions = 0;
    std::optional<QString> completedWith;
    qint64 filesDownloadedDuringCompletion = 0;
    int failures = 0;
    QString error;
    bool onMainThread = true;
};

std::shared_ptr<Outcome> startDownload(CacheManager &cache, const QString &to, const QUrl &from) {
    auto outcome = std::make_shared<Outcome>();
    cache.download(
        to, from,
        [outcome](const std::optional<QString> &path) {
            ++outcome->completions;
            outcome->completedWith = path;
            outcome->filesDownloadedDuringCompletion = Defaults::Keys::filesDownloaded.read();
            outcome->onMainThread &= QThread::currentThread() == qApp->thread();
        },
        [outcome](const QString &error) {
            ++outcome->failures;
            outcome->error = error;
            outcome->onMainThread &= QThread::currentThread() == qApp->thread();
        });
    return outcome;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QStringList folderEntries() {
    return QDir(CacheManager::cacheFolderPath())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

SearchResultItem item(qint64 id, const QString &name, const QString &username,
                      const QString &type) {
    SearchResultItem i;
    i.id = id;
    i.name = name;
    i.username = username;
    i.type = type;
    return i;
}
} // namespace

class TestCacheManager : public QObject {
    Q_OBJECT

    StandInServer m_server;
    QString m_destination;

    QUrl soundUrl() const { return QUrl(m_server.baseUrl() + soundPath); }

private slots:
    void initTestCase() {
        // The token goes only to the service's own address: the stand-in is that service.
        QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE"}));
        m_destination = CacheManager::cacheFolderPath() + QStringLiteral("/42_Bell_jo.wav");
    }

    void init() {
        QDir(CacheManager::cacheFolderPath()).removeRecursively();
        m_server.clearRequests();
        Defaults::Keys::accessToken.write(QStringLiteral("token-1"));
        Defaults::Keys::filesDownloaded.write(-1);
        Http::setTimeoutForTesting(std::chrono::milliseconds(0));
    }

    void cacheFolderIsInsideDocuments() {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(CacheManager::cacheFolderPath(), documents + QStringLiteral("/Quavelin"));
        QVERIFY(documents.startsWith(QDir::homePath()));
    }

    void cacheFileName_data() {
        QTest::addColumn<qint64>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");

        QTest::newRow("spaces go, parentheses and dots stay")
            << qint64(1234) << "Piano C4 (soft).wav"
            << "jo_doe"
            << "wav"
            << "1234_PianoC4(soft).wav_jo_doe.wav";
        QTest::newRow("slash, hash, space and non-ASCII letters go")
            << qint64(77) << QStringLiteral("Café/Straße #2") << QStringLiteral("müller") << "mp3"
            << "77_CafStrae2_mller.mp3";
        QTest::newRow("empty name") << qint64(5) << ""
                                    << "jo"
                                    << "wav"
                                    << "5__jo.wav";
        QTest::newRow("name of deleted characters only")
            << qint64(5) << QStringLiteral(" /?#é") << "jo"
            << "wav"
            << "5__jo.wav";
        QTest::newRow("all fifteen marks stay") << qint64(9) << "-._~!$&'()*+,;="
                                                << "u"
                                                << "aif"
                                                << "9_-._~!$&'()*+,;=_u.aif";
        QTest::newRow("other ASCII marks go")
            << qint64(9) << "a:b@c%d\"e<f>g[h]i{j}k|l\\m^n`o\tp\nq"
            << "u"
            << "flac"
            << "9_abcdefghijklmnopq_u.flac";
        QTest::newRow("combining accent keeps its base letter")
            << qint64(3) << QStringLiteral("e\u0301te\u0301") << "u"
            << "ogg"
            << "3_ete_u.ogg";
        QTest::newRow("emoji goes") << qint64(3) << QStringLiteral("hi\U0001F3B5!") << "u"
                                    << "ogg"
                                    << "3_hi!_u.ogg";
        QTest::newRow("negative id") << qint64(-12) << "a"
                                     << "b"
                                     << "wav"
                                     << "-12_a_b.wav";
        // A type the service might send must not lead out of the cache folder.
        QTest::newRow("type with slashes stays in the folder") << qint64(1) << "a"
                                                               << "b"
                                                               << "../../x"
                                                               << "1_a_b.....x";
        QTest::newRow("type with a space and a slash") << qint64(1) << "a"
                                                       << "b"
                                                       << "w av/"
                                                       << "1_a_b.wav";
        const QString fits = QString(255 - QStringLiteral("1_x_jo.wav").size() + 1, 'n');
        QTest::newRow("255 bytes exactly is unchanged")
            << qint64(1) << fits << "jo"
            << "wav" << QStringLiteral("1_%1_jo.wav").arg(fits);
        QTest::newRow("too long: the name is shortened, id, user and type kept")
            << qint64(123456789) << QString(300, 'n') + QStringLiteral(" (end)") << "jo_doe"
            << "wav"
            << QStringLiteral("123456789_%1_jo_doe.wav")
                   .arg(QString(255 - QStringLiteral("123456789__jo_doe.wav").size(), 'n'));
        QTest::newRow("user name alone too long: name dropped, user name shortened")
            << qint64(1) << "Bell" << QString(300, 'u') << "wav"
            << QStringLiteral("1__%1.wav")
                   .arg(QString(255 - QStringLiteral("1__.wav").size(), 'u'));
        QTest::newRow("type too long: name and user name dropped, type shortened last")
            << qint64(1) << "Bell"
            << "jo" << QString(300, 't')
            << QStringLiteral("1__.%1").arg(QString(255 - QStringLiteral("1__.").size(), 't'));
        QTest::newRow("every field too long")
            << qint64(-9223372036854775807LL - 1) << QString(300, 'n') << QString(300, 'u')
            << QString(300, 't')
            << QStringLiteral("-9223372036854775808__.%1")
                   .arg(QString(255 - QStringLiteral("-9223372036854775808__.").size(), 't'));
        QTest::newRow("too long after filtering only counts kept characters")
            << qint64(7) << QString(300, ' ') + QStringLiteral("ok") << "jo"
            << "wav"
            << "7_ok_jo.wav";
    }

    void cacheFileName() {
        QFETCH(qint64, id);
        QFETCH(QString, name);
        QFETCH(QString, username);
        QFETCH(QString, type);
        QFETCH(QString, expected);

        const QString fileName = item(id, name, username, type).cacheFileName();
        QCOMPARE(fileName, expected);
        QVERIFY(fileName.toUtf8().size() <= 255);
        QVERIFY(!fileName.contains(QLatin1Char('/')));
    }

    void isCachedAsAFileUnderItsNameOnly_data() {
        QTest::addColumn<QString>("inFolder");
        QTest::addColumn<bool>("cached");
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("its file") << "42_Bell_jo.wav" << true;
        QTest::newRow("another result's file") << "43_Bell_jo.wav" << false;
        QTest::newRow("a folder under its name") << "42_Bell_jo.wav/" << false;
    }

    void isCachedAsAFileUnderItsNameOnly() {
        QFETCH(QString, inFolder);
        QFETCH(bool, cached);
        const SearchResultItem bell = item(42, "Bell", "jo", "wav");
        QCOMPARE(CacheManager::filePath(bell), m_destination);
        const QString path = CacheManager::cacheFolderPath() + QLatin1Char('/') + inFolder;
        if (inFolder.endsWith(QLatin1Char('/')))
            QVERIFY(QDir().mkpath(path));
        else if (!inFolder.isEmpty())
            writeFile(path, "RIFF");
        QCOMPARE(CacheManager::cachedFilePath(bell).has_value(), cached);
    }

    void aResultWithAnOverlongTypeIsStored() {
        m_server.route(soundPath, answer(200, "audio/wav", "RIFF"));
        const QString to = CacheManager::filePath(item(42, "Bell", "jo", QString(300, 'w')));
        CacheManager cache;
        auto outcome = startDownload(cache, to, soundUrl());
        QTRY_COMPARE(outcome->completions + outcome->failures, 1);
        QCOMPARE(outcome->error, QString());
        QCOMPARE(readFile(to), QByteArray("RIFF"));
    }

    void downloadUrl() {
        QCOMPARE(item(42, "a", "b", "wav").downloadURL().path(), soundPath);
        QCOMPARE(item(42, "a", "b", "wav").downloadURL().host(),
                 QUrl(ServiceConfig::apiBase()).host());
        QCOMPARE(item(-7, "a", "b", "wav").downloadURL(),
                 QUrl(m_server.baseUrl() + QStringLiteral("/apiv2/sounds/-7/download/")));
    }

    void requestCarriesTheToken_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<QByteArray>("headerLine");
        QTest::newRow("token") << "abc-123" << QByteArray("Authorization: Bearer abc-123");
        QTest::newRow("no token still goes out")
            << "" << QByteArray("Authorization: Bearer "); // trailing space kept
        // Stored by an older build or by hand: it counts as absent rather than forge a header.
        QTest::newRow("stored token with a line break")
            << "AT-1\r\nX-Injected: yes" << QByteArray("Authorization: Bearer ");
        QTest::newRow("stored token with a space")
            << "AT 1" << QByteArray("Authorization: Bearer ");
    }

    void requestCarriesTheToken() {
        QFETCH(QString, token);
        QFETCH(QByteArray, headerLine);
        Defaults::Keys::accessToken.write(token);
        m_server.route(soundPath, answer(200, {}, "RIFF"));

        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions, 1);
        const auto requests = m_server.requests(soundPath);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].method, QByteArray("GET"));
        QVERIFY(requests[0].rawHead.split('\n').contains(headerLine + '\r') ||
                requests[0].rawHead.endsWith("\r\n" + headerLine));
        QVERIFY(!requests[0].rawHead.contains("X-Injected"));
        QCOMPARE(requests[0].rawHead.count("Authorization"), 1);
    }

    // Which answers are sounds, which are the service's JSON refusal, and which are failures.
    void answerClassification_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("headers"); // one "Name: value" per line
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected"); // "sound", "json" or "failed"

        const QByteArray json = R"({"detail":"Request was throttled."})";
        QTest::newRow("exact JSON type")
            << 200 << QByteArray("Content-Type: application/json") << json << "json";
        QTest::newRow("lower-case header name")
            << 200 << QByteArray("content-type: application/json") << json << "json";
        QTest::newRow("JSON refusal with 429")
            << 429 << QByteArray("Content-Type: application/json") << json << "json";
        QTest::newRow("JSON refusal asking for a token")
            << 401
            << QByteArray("WWW-Authenticate: Bearer realm=\"api\"\n"
                          "Content-Type: application/json")
            << json << "json";
        // Not the exact type of the refusal, yet no sound: an error record.
        QTest::newRow("JSON with a charset fails")
            << 200 << QByteArray("Content-Type: application/json; charset=utf-8") << json
            << "failed";
        QTest::newRow("JSON type in upper case fails")
            << 200 << QByteArray("Content-Type: APPLICATION/JSON") << json << "failed";
        QTest::newRow("JSON type in mixed case fails")
            << 200 << QByteArray("Content-Type: Application/JSON") << json << "failed";
        // Half the file, though no range was asked for.
        QTest::newRow("206 part of the file fails")
            << 206 << QByteArray("Content-Type: audio/wav\nContent-Range: bytes 0-3/8")
            << QByteArray("RIFF") << "failed";
        QTest::newRow("XHTML page fails")
            << 200 << QByteArray("Content-Type: application/xhtml+xml; charset=utf-8")
            << QByteArray("<html xmlns=\"http://www.w3.org/1999/xhtml\"></html>") << "failed";
        // A web page is never the sound, whatever its status: a captive portal answers 200.
        QTest::newRow("HTML page fails") << 200 << QByteArray("Content-Type: text/html")
                                         << QByteArray("<html></html>") << "failed";
        QTest::newRow("captive portal page fails")
            << 200 << QByteArray("Content-Type: text/html; charset=UTF-8")
            << QByteArray("<html>Sign in to the network</html>") << "failed";
        QTest::newRow("HTML type in other case fails")
            << 200 << QByteArray("Content-Type: Text/HTML ;charset=utf-8")
            << QByteArray("<html></html>") << "failed";
        QTest::newRow("plain text is a sound")
            << 200 << QByteArray("Content-Type: text/plain") << QByteArray("RIFF") << "sound";
        // Not 2xx and no redirect that can be followed.
        QTest::newRow("300 without Location fails") << 300 << QByteArray("Content-Type: text/html")
                                                    << QByteArray("<a>choices</a>") << "failed";
        QTest::newRow("302 without Location fails")
            << 302 << QByteArray("Content-Type: audio/wav") << QByteArray("RIFF") << "failed";
        QTest::newRow("304 fails") << 304 << QByteArray() << QByteArray("RIFF") << "failed";
        QTest::newRow("HTML error page fails") << 404 << QByteArray("Content-Type: text/html")
                                               << QByteArray("<h1>Not found</h1>") << "failed";
        QTest::newRow("503 page fails") << 503 << QByteArray("Content-Type: text/html")
                                        << QByteArray("<h1>Try later</h1>") << "failed";
        QTest::newRow("500 text fails") << 500 << QByteArray("Content-Type: text/plain")
                                        << QByteArray("Server Error") << "failed";
        QTest::newRow("JSON with a charset and an error status fails")
            << 503 << QByteArray("Content-Type: application/json; charset=utf-8") << json
            << "failed";
        QTest::newRow("any 2xx with a body is a sound")
            << 203 << QByteArray("Content-Type: audio/wav") << QByteArray("RIFF") << "sound";
        QTest::newRow("audio") << 200 << QByteArray("Content-Type: audio/wav")
                               << QByteArray("RIFF....") << "sound";
        QTest::newRow("no content type") << 200 << QByteArray() << QByteArray("RIFF") << "sound";
        QTest::newRow("two content types, JSON first")
            << 200 << QByteArray("Content-Type: application/json\nContent-Type: text/html") << json
            << "json";
        QTest::newRow("empty 200 fails")
            << 200 << QByteArray("Content-Type: audio/wav") << QByteArray() << "failed";
        QTest::newRow("empty 404 fails") << 404 << QByteArray() << QByteArray() << "failed";
        QTest::newRow("empty 204 fails") << 204 << QByteArray() << QByteArray() << "failed";
        QTest::newRow("empty 205 fails") << 205 << QByteArray() << QByteArray() << "failed";
    }

    void answerClassification() {
        QFETCH(int, status);
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        Response response = answer(status, {}, body);
        for (const QByteArray &line : headers.split('\n')) {
            if (const qsizetype colon = line.indexOf(':'); colon > 0)
                response.headers.append({line.left(colon), line.mid(colon + 2)});
        }
        m_server.route(soundPath, response);
        writeFile(CacheManager::cacheFolderPath() + QStringLiteral("/other.wav"), "x");

        CacheManager cache;
        if (expected == QLatin1String("json"))
            QTest::ignoreMessage(QtDebugMsg, "RESPONSE CONTENT TYPE: application/json");
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions + outcome->failures, 1);
        QTest::qWait(50); // nothing arrives a second time
        QCOMPARE(outcome->completions + outcome->failures, 1);
        QVERIFY(outcome->onMainThread);
        QVERIFY(!cache.hasCurrentDownload());

        if (expected == QLatin1String("sound")) {
            QCOMPARE(outcome->completions, 1);
            QCOMPARE(outcome->completedWith, std::optional<QString>(m_destination));
            QCOMPARE(readFile(m_destination), body);
            QVERIFY(QFileInfo::exists(m_destination));
            // The count is stored after the completion has run, and includes the new file.
            QCOMPARE(outcome->filesDownloadedDuringCompletion, qint64(-1));
            QCOMPARE(Defaults::Keys::filesDownloaded.read(), qint64(2));
        } else {
            if (expected == QLatin1String("json")) {
                QCOMPARE(outcome->completions, 1);
                QCOMPARE(outcome->completedWith, std::nullopt);
            } else {
                QCOMPARE(outcome->failures, 1);
                QVERIFY2(outcome->error.contains(QStringLiteral("HTTP status %1").arg(status)),
                         qPrintable(outcome->error));
            }
            QVERIFY(!QFileInfo::exists(m_destination));
            QCOMPARE(Defaults::Keys::filesDownloaded.read(), qint64(-1));
        }
        QCOMPARE(folderEntries().size(), expected == QLatin1String("sound") ? 2 : 1);
    }

    // Nothing but a complete answer ever lands under the cache name, and a good file already
    // there survives everything else.
    void unfinishedDownloadsLeaveNoFile_data() {
        QTest::addColumn<Response>("response");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("refusedConnection");
        QTest::addColumn<bool>("earlierFile");
        QTest::addColumn<QString>("expected"); // "failed", "cancelled" or "json"

        const Response delayedAnswer = delayed(answer(200, "audio/wav", "RIFF"), 300);
        const Response stalled = generated(200, "audio/wav", 200000, Stall, 1000);
        const Response dropped = generated(200, "audio/wav", 200000, Drop, 1000);
        const Response droppedError = generated(404, "text/html", 200000, Drop, 1000);
        const Response empty = answer(200, "audio/wav", {});
        const Response json = Response::json(R"({"detail":"Throttled"})", 429);
        const Response errorPage = answer(503, "text/html", "<h1>Service Unavailable</h1>");
        const Response noContent = answer(204, {}, {});
        const Response portal = answer(200, "text/html; charset=utf-8", "<html>Log in</html>");
        const Response noLocation = answer(300, "text/html", "<a href=x>x</a>");
        Response partial = answer(206, "audio/wav", "RIFF");
        partial.headers.append({QByteArray("Content-Range"), QByteArray("bytes 0-3/8")});
        const Response xhtml = answer(200, "application/xhtml+xml", "<html/>");
        const Response jsonRecord =
            answer(200, "application/json; charset=utf-8", R"({"detail":"Not found."})");
        for (const bool earlier : {false, true}) {
            const char *suffix = earlier ? ", earlier file" : "";
            const auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(QLatin1String(name) + QLatin1String(suffix)));
            };
            row("cancel before the answer")
                << delayedAnswer << true << false << earlier << "cancelled";
            row("cancel in the middle of the body")
                << stalled << true << false << earlier << "cancelled";
            row("dropped connection") << dropped << false << false << earlier << "failed";
            row("dropped connection, error status")
                << droppedError << false << false << earlier << "failed";
            row("stalled until the transfer timeout")
                << stalled << false << false << earlier << "failed";
            row("refused connection") << Response() << false << true << earlier << "failed";
            row("empty answer") << empty << false << false << earlier << "failed";
            row("error page") << errorPage << false << false << earlier << "failed";
            row("empty 204") << noContent << false << false << earlier << "failed";
            row("captive portal page") << portal << false << false << earlier << "failed";
            row("300 without Location") << noLocation << false << false << earlier << "failed";
            row("206 part of the file") << partial << false << false << earlier << "failed";
            row("XHTML page") << xhtml << false << false << earlier << "failed";
            row("JSON error record") << jsonRecord << false << false << earlier << "failed";
            row("JSON refusal") << json << false << false << earlier << "json";
        }
    }

    void unfinishedDownloadsLeaveNoFile() {
        QFETCH(Response, response);
        QFETCH(bool, cancel);
        QFETCH(bool, refusedConnection);
        QFETCH(bool, earlierFile);
        QFETCH(QString, expected);
        m_server.route(soundPath, response);
        Http::setTimeoutForTesting(std::chrono::milliseconds(400));
        if (earlierFile)
            writeFile(m_destination, "GOOD");
        QUrl url = soundUrl();
        if (refusedConnection) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url.setPort(closed.serverPort());
        }
        if (expected == QLatin1String("json"))
            QTest::ignoreMessage(QtDebugMsg, "RESPONSE CONTENT TYPE: application/json");

        CacheManager cache;
        QSignalSpy received(&m_server, &StandInServer::requestReceived);
        auto outcome = startDownload(cache, m_destination, url);
        QVERIFY(cache.hasCurrentDownload());
        if (cancel) {
            QTRY_COMPARE(received.size(), 1);
            QTest::qWait(100); // let part of the body arrive
            cache.cancelCurrentDownload();
            QVERIFY(!cache.hasCurrentDownload());
            QTest::qWait(600); // past the delay and the timeout: still nothing
            QCOMPARE(outcome->completions, 0);
            QCOMPARE(outcome->failures, 0);
        } else if (expected == QLatin1String("json")) {
            QTRY_COMPARE(outcome->completions, 1);
            QCOMPARE(outcome->completedWith, std::nullopt);
            QCOMPARE(outcome->failures, 0);
        } else {
            QTRY_COMPARE(outcome->failures, 1);
            QCOMPARE(outcome->completions, 0);
        }
        QVERIFY(!cache.hasCurrentDownload());
        QCOMPARE(Defaults::Keys::filesDownloaded.read(), qint64(-1));
        QTRY_COMPARE(folderEntries(), earlierFile ? QStringList{QFileInfo(m_destination).fileName()}
                                                  : QStringList());
        if (earlierFile)
            QCOMPARE(readFile(m_destination), QByteArray("GOOD"));
    }

    // The service hands the file out through a redirect to where it is stored.
    void followsARedirectToTheFile() {
        Response redirect = answer(302, {}, "moved");
        redirect.headers = {{"Location", "/files/42.wav"}};
        m_server.route(soundPath, redirect);
        m_server.route(QStringLiteral("/files/42.wav"), answer(200, "audio/wav", "RIFFfile"));

        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions, 1);
        QCOMPARE(readFile(m_destination), QByteArray("RIFFfile"));
        QCOMPARE(m_server.requests(QStringLiteral("/files/42.wav")).size(), 1);
    }

    // Each hop of a redirect is decided on its own: the token goes only to the service's own
    // scheme, host and port (the stand-in under 127.0.0.1); the file arrives whoever serves it.
    void redirectsCarryTheTokenOnlyToTheService_data() {
        QTest::addColumn<QStringList>("hops");      // where each redirect leads, in order
        QTest::addColumn<QList<bool>>("tokenSent"); // per request; empty: not looked at
        QTest::addColumn<bool>("stored");

        QTest::newRow("relative location")
            << QStringList{"relative"} << QList<bool>{true, true} << true;
        QTest::newRow("the service's own address")
            << QStringList{"service"} << QList<bool>{true, true} << true;
        QTest::newRow("another host name")
            << QStringList{"other host"} << QList<bool>{true, false} << true;
        QTest::newRow("another port")
            << QStringList{"other port"} << QList<bool>{true, false} << true;
        QTest::newRow("another host, then relative there")
            << QStringList{"other host", "relative"} << QList<bool>{true, false, false} << true;
        QTest::newRow("another host, then back to the service")
            << QStringList{"other host", "service"} << QList<bool>{true, false, true} << true;
        QTest::newRow("303 to another host")
            << QStringList{"other host 303"} << QList<bool>{true, false} << true;
        QTest::newRow("ten redirects are followed")
            << QStringList(10, "relative") << QList<bool>{} << true;
        QTest::newRow("the eleventh is not")
            << QStringList(11, "relative") << QList<bool>{} << false;
        QTest::newRow("no redirect to a local file")
            << QStringList{"file"} << QList<bool>{} << false;
    }

    void redirectsCarryTheTokenOnlyToTheService() {
        QFETCH(QStringList, hops);
        QFETCH(QList<bool>, tokenSent);
        QFETCH(bool, stored);
        StandInServer otherPort;
        QVERIFY(otherPort.listen());
        const auto hopPath = [](qsizetype i) {
            return i == 0 ? soundPath : QStringLiteral("/hop/%1").arg(i);
        };
        // Hop i redirects to hop i + 1; the last one serves the file. Every server serves all.
        for (qsizetype i = 0; i <= hops.size(); ++i) {
            Response r = answer(200, "audio/wav", "RIFFfile");
            if (i < hops.size()) {
                const QString &to = hops[i];
                const QString base = to.startsWith(QLatin1String("other host"))
                                         ? m_server.otherHostBaseUrl()
                                     : to == QLatin1String("other port") ? otherPort.baseUrl()
                                     : to == QLatin1String("service")    ? m_server.baseUrl()
                                     : to == QLatin1String("file")       ? QStringLiteral("file://")
                                                                         : QString();
                r = Response::redirect((base + hopPath(i + 1)).toUtf8(),
                                       to.endsWith(QLatin1String("303")) ? 303 : 302);
            }
            m_server.route(hopPath(i), r);
            otherPort.route(hopPath(i), r);
        }
        writeFile(m_destination, "GOOD");

        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions + outcome->failures, 1);
        QCOMPARE(outcome->completions, stored ? 1 : 0);
        QCOMPARE(readFile(m_destination), stored ? QByteArray("RIFFfile") : QByteArray("GOOD"));
        QCOMPARE(folderEntries().size(), 1);

        for (qsizetype i = 0; i < tokenSent.size(); ++i) {
            const auto requests = m_server.requests(hopPath(i)) + otherPort.requests(hopPath(i));
            QCOMPARE(requests.size(), 1);
            QCOMPARE(requests[0].header("authorization"),
                     tokenSent[i] ? QByteArray("Bearer token-1") : QByteArray());
            if (i > 0 && hops[i - 1].startsWith(QLatin1String("other host")))
                QVERIFY(requests[0].header("host").startsWith("localhost:"));
        }
        // Not one request more than the hops that were followed.
        const qsizetype followed = qMin<qsizetype>(hops.size(), CacheDownload::maxRedirects);
        QCOMPARE(m_server.requests().size() + otherPort.requests().size(),
                 hops.contains(QStringLiteral("file")) ? 1 : 1 + followed);
    }

    // Once on https, the download stays on it: a redirect to http is not followed at all.
    void redirectsFromHttpsStayOnHttps_data() {
        QTest::addColumn<bool>("toHttps");
        QTest::newRow("https to https") << true;
        QTest::newRow("https to http") << false;
    }
    void redirectsFromHttpsStayOnHttps() {
        QFETCH(bool, toHttps);
        StandInServer secure;
        QVERIFY(secure.listenSecurely());
        const QString filePath = QStringLiteral("/files/42.wav");
        secure.route(soundPath, Response::redirect(
                                    ((toHttps ? secure : m_server).baseUrl() + filePath).toUtf8()));
        for (StandInServer *server : {&secure, &m_server})
            server->route(filePath, answer(200, "audio/wav", "RIFFfile"));
        writeFile(m_destination, "GOOD");

        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, QUrl(secure.baseUrl() + soundPath));
        QTRY_COMPARE(outcome->completions + outcome->failures, 1);
        QCOMPARE(outcome->completions, toHttps ? 1 : 0);
        QCOMPARE(readFile(m_destination), toHttps ? QByteArray("RIFFfile") : QByteArray("GOOD"));
        QCOMPARE(secure.requests(filePath).size(), toHttps ? 1 : 0);
        QCOMPARE(m_server.requests().size(), 0);
    }

    void redirectRules_data() {
        QTest::addColumn<QUrl>("from");
        QTest::addColumn<QUrl>("to");
        QTest::addColumn<bool>("refused");
        const QUrl https("https://freesound.org/apiv2/sounds/1/download/");
        const QUrl http("http://freesound.org/apiv2/sounds/1/download/");
        QTest::newRow("https to https") << https << QUrl("https://cdn.example/1.wav") << false;
        QTest::newRow("https to http") << https << QUrl("http://cdn.example/1.wav") << true;
        QTest::newRow("https to http on the same host")
            << https << QUrl("http://freesound.org/1.wav") << true;
        QTest::newRow("http to https") << http << QUrl("https://cdn.example/1.wav") << false;
        QTest::newRow("http to http") << http << QUrl("http://cdn.example/1.wav") << false;
        QTest::newRow("https to ftp") << https << QUrl("ftp://cdn.example/1.wav") << true;
        QTest::newRow("http to a file") << http << QUrl("file:///etc/passwd") << true;
    }

    void redirectRules() {
        QFETCH(QUrl, from);
        QFETCH(QUrl, to);
        QFETCH(bool, refused);
        QCOMPARE(!CacheDownload::refusedRedirect(from, to).isEmpty(), refused);
    }

    // Where the token may go: the service's scheme, host and port, a port left out counting as
    // the scheme's own. No stand-in serves http and https on one port: a change of scheme
    // alone shows only here.
    void theServiceOrigin_data() {
        QTest::addColumn<QUrl>("a");
        QTest::addColumn<QUrl>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("another path") << QUrl("https://h/a") << QUrl("https://h/b?x") << true;
        QTest::newRow("https port given and not")
            << QUrl("https://h") << QUrl("https://h:443") << true;
        QTest::newRow("http port given and not") << QUrl("http://h:80") << QUrl("http://h") << true;
        QTest::newRow("scheme alone differs")
            << QUrl("https://h:8443") << QUrl("http://h:8443") << false;
        QTest::newRow("http on the https port")
            << QUrl("https://h") << QUrl("http://h:443") << false;
        QTest::newRow("another port") << QUrl("http://h:1") << QUrl("http://h:2") << false;
        QTest::newRow("another host") << QUrl("http://h") << QUrl("http://h2") << false;
    }
    void theServiceOrigin() {
        QFETCH(QUrl, a);
        QFETCH(QUrl, b);
        QFETCH(bool, same);
        QCOMPARE(Http::isSameOrigin(a, b), same);
        QCOMPARE(Http::isSameOrigin(b, a), same);
    }

    void failureToStoreIsAFailure() {
        m_server.route(soundPath, answer(200, {}, "RIFF"));
        const QString blocker = CacheManager::cacheFolderPath() + QStringLiteral("/file");
        writeFile(blocker, "x");

        CacheManager cache;
        auto outcome = startDownload(cache, blocker + QStringLiteral("/sub/1_a_b.wav"), soundUrl());
        QTRY_COMPARE(outcome->failures, 1);
        QVERIFY(outcome->error.contains(QStringLiteral("1_a_b.wav")));
        QTest::qWait(50);
        QCOMPARE(outcome->completions, 0);
    }

    void cancelAfterTheEndDoesNothing() {
        m_server.route(soundPath, answer(200, {}, "RIFF"));
        CacheManager cache;
        cache.cancelCurrentDownload(); // nothing started yet
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions, 1);
        cache.cancelCurrentDownload();
        QCOMPARE(readFile(m_destination), QByteArray("RIFF"));
    }

    // A new download replaces the current one without cancelling it; cancel then reaches only
    // the newer one.
    void newDownloadReplacesTheCurrentOne() {
        m_server.route(soundPath, delayed(answer(200, {}, "FIRST"), 200));
        m_server.route(QStringLiteral("/apiv2/sounds/43/download/"),
                       delayed(answer(200, {}, "SECOND"), 200));
        const QString second = CacheManager::cacheFolderPath() + QStringLiteral("/43_x_y.wav");

        CacheManager cache;
        auto first = startDownload(cache, m_destination, soundUrl());
        auto newer = startDownload(
            cache, second, QUrl(m_server.baseUrl() + QStringLiteral("/apiv2/sounds/43/download/")));
        cache.cancelCurrentDownload();
        QTRY_COMPARE(first->completions, 1);
        QTest::qWait(300);
        QCOMPARE(newer->completions + newer->failures, 0);
        QCOMPARE(readFile(m_destination), QByteArray("FIRST"));
        QVERIFY(!QFileInfo::exists(second));
    }

    void largeBodyArrivesWhole() {
        const qint64 size = 64 * 1024 * 1024 + 123;
        m_server.route(soundPath, generated(200, "audio/wav", size));
        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE_WITH_TIMEOUT(outcome->completions, 1, 20000);
        QCOMPARE(QFileInfo(m_destination).size(), size);
        QFile f(m_destination);
        QVERIFY(f.open(QIODevice::ReadOnly));
        f.seek(size - 4);
        QCOMPARE(f.read(4), QByteArray("qqqq"));
    }

    // Large files take long: a download that keeps arriving is never cut short, whatever the
    // deadline of the other requests.
    void aSlowDownloadHasNoDeadline() {
        Response slow = answer(200, "audio/wav", "RIFF....slow");
        slow.trickleMs = 40;
        m_server.route(soundPath, slow);
        Http::setDeadlineForTesting(std::chrono::milliseconds(100));
        CacheManager cache;
        auto outcome = startDownload(cache, m_destination, soundUrl());
        QTRY_COMPARE(outcome->completions + outcome->failures, 1);
        Http::setDeadlineForTesting(std::chrono::milliseconds(0));
        QCOMPARE(readFile(m_destination), QByteArray("RIFF....slow"));
    }

    void countCachedFiles() {
        QCOMPARE(CacheManager::countCachedFiles(), qint64(0)); // no folder yet
        const QString folder = CacheManager::cacheFolderPath();
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(CacheManager::countCachedFiles(), qint64(0));
        for (const char *name : {"1_a_b.wav", "2_c_d.mp3", "3_e_f.flac", ".hidden"})
            writeFile(folder + QLatin1Char('/') + QLatin1String(name), "x");
        writeFile(folder + QStringLiteral("/sub/inside.wav"), "x"); // not counted itself
        QCOMPARE(CacheManager::countCachedFiles(), qint64(5));
    }

    void countOfAnUnreadableFolderIsZero() {
        const QString folder = CacheManager::cacheFolderPath();
        QDir(QFileInfo(folder).absolutePath()).mkpath(QStringLiteral("."));
        writeFile(folder, "a file where the folder should be");
        QTest::ignoreMessage(QtDebugMsg, "error reading file contents file");
        QCOMPARE(CacheManager::countCachedFiles(), qint64(0));
        QFile::remove(folder);
    }
};

QUAVELIN_TEST_MAIN(TestCacheManager)
#include "tst_CacheManager.moc"
