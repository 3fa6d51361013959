#include "SearchPageJson.h"
#include "StandInServer.h"
#include "TestMain.h"
#include "models/FreeSoundAPI.h"
#include "models/QuavelinAPI.h"
#include "models/SearchResults.h"
#include "models/SettingsKeys.h"
#include "platform/Http.h"

#include <memory>

using namespace std::chrono_literals;
using namespace Defaults::Keys;
using Response = StandInServer::Response;

namespace {
const QString searchPath = QStringLiteral("/apiv2/search/text/");
const QString tokenPath = QStringLiteral("/apiv2/oauth2/access_token/");
const QString checkPath = QStringLiteral("/api/checkupdate");
const QByteArray tokenAnswer = R"({"access_token": "new-access", "scope": "read write",
    "expires_in": 86399, "refresh_token": "new-refresh"})";
const QDateTime earlierCheck = QDateTime::fromMSecsSinceEpoch(1600000000000, QTimeZone::utc());
// Far beyond the bound, so that reading it whole would show in the bytes the stand-in sent.
constexpr qint64 hugeSize = 64 * 1024 * 1024;

// How each caller's answer should arrive when it is a good one.
QByteArray goodBody(const QString &caller) {
    if (caller == QLatin1String("search"))
        return searchPageJson(15);
    if (caller == QLatin1String("token"))
        return tokenAnswer;
    return R"({"isUpdateAvailable": true})";
}
} // namespace

// Search, token and update answers are read whole: each is bounded in size and in time, and a
// request beyond the bounds ends on its caller's own failure path.
class TestBoundedAnswers : public QObject {
    Q_OBJECT
    StandInServer m_server;

private slots:
    void initTestCase() {
        QVERIFY(m_server.listenAs({"QUAVELIN_API_BASE", "QUAVELIN_UPDATE_BASE"}));
    }
    void cleanupTestCase() { Http::setDeadlineForTesting(0ms); }
    void init() {
        m_server.clearRequests();
        accessToken.write(QStringLiteral("old-access"));
        expiresIn.reset();
        lastUpdateCheck.write(earlierCheck);
    }

    void answersBeyondTheBoundsFail_data() {
        QTest::addColumn<QString>("caller");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("succeeds");

        for (const char *caller : {"search", "token", "update"}) {
            const auto row = [caller](const char *kind, bool succeeds) {
                QTest::addRow("%s, %s", caller, kind) << caller << kind << succeeds;
            };
            row("good answer", true);
            row("good answer padded to the bound", true);
            row("trickling", false);
            row("announced too large", false);
            row("too large, length not announced", false);
        }
    }

    void answersBeyondTheBoundsFail() {
        QFETCH(QString, caller);
        QFETCH(QString, kind);
        QFETCH(bool, succeeds);

        const QByteArray body = goodBody(caller);
        Response response = Response::json(body);
        // Short for the trickle, long enough elsewhere that only the size bound can end it.
        Http::setDeadlineForTesting(kind == QLatin1String("trickling") ? 300ms : 5s);
        if (kind == QLatin1String("good answer padded to the bound")) {
            response.body += QByteArray(Http::maxAnswerSize - body.size(), ' ');
        } else if (kind == QLatin1String("trickling")) {
            response.trickleMs = 40; // a good answer, but whole only after several seconds
        } else if (kind != QLatin1String("good answer")) {
            response.generatedBodySize = hugeSize;
            response.announceLength = kind == QLatin1String("announced too large");
            // Time to refuse it on its announced length alone, before the body flows.
            if (response.announceLength)
                response.bodyAfterMs = 300;
        }
        for (const QString &path : {searchPath, tokenPath, checkPath})
            m_server.route(path, response);

        // Each caller as the application uses it, and what its failure path leaves behind.
        bool done = false;
        bool succeeded = false;
        std::unique_ptr<SearchResults> model;
        QObject observer;
        if (caller == QLatin1String("search")) {
            model = std::make_unique<SearchResults>();
            model->setThrottleInterval(10ms);
            connect(model.get(), &SearchResults::stateChanged, this, [&] {
                done = !model->state().canLoadNextPage || model->state().items.size() == 15;
                succeeded = model->state().items.size() == 15;
            });
            model->fetchNextPageIfPossible();
        } else if (caller == QLatin1String("token")) {
            FreeSoundAPI::requestAccessToken(QStringLiteral("code"),
                                             [&](const FreeSoundAPI::Failure &) { done = true; });
            // The expiry is stored last.
            expiresIn.observe(&observer, [&] { done = succeeded = true; });
        } else {
            QuavelinAPI::checkUpdate([&](bool available) {
                done = true;
                succeeded = available;
            });
        }
        QVERIFY(QTest::qWaitFor([&] { return done; }, 5000));
        QCOMPARE(succeeded, succeeds);
        if (caller == QLatin1String("search")) {
            QCOMPARE(model->state().canLoadNextPage, succeeds);
        } else if (caller == QLatin1String("token")) {
            QCOMPARE(accessToken.read(),
                     succeeds ? QStringLiteral("new-access") : QStringLiteral("old-access"));
        } else {
            QCOMPARE(lastUpdateCheck.read() != earlierCheck, succeeds);
        }
        // Not read whole first: the stand-in got to send little more than the bound, and of an
        // answer announced too large, a small part at most (it is refused on its headers).
        if (response.generatedBodySize > 0) {
            QTest::qWait(response.bodyAfterMs + 100);
            QVERIFY2(m_server.bodyBytesSent() < (response.announceLength ? Http::maxAnswerSize / 4
                                                                         : 2 * Http::maxAnswerSize),
                     qPrintable(QString::number(m_server.bodyBytesSent())));
        }
        QCOMPARE(m_server.requests().size(), 1);
    }
};

QUAVELIN_TEST_MAIN(TestBoundedAnswers)
#include "tst_BoundedAnswers.moc"
