#include "TestMain.h"
#include "models/SettingsKeys.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace Defaults::Keys;

class TestSettingsKeys : public QObject {
    Q_OBJECT

    static SettingsStore &store() { return SettingsStore::standard(); }

private slots:
    // Runs first, on the untouched store of this test's private home.
    void freshStoreReadsTheDefaults() {
        QCOMPARE(refreshToken.read(), QString());
        QCOMPARE(accessToken.read(), QString());
        QCOMPARE(expiresIn.read(), std::nullopt);
        QCOMPARE(clientId.read(), QString::fromLatin1(BuildInfo::clientId));
        QCOMPARE(clientSecret.read(), QString::fromLatin1(BuildInfo::clientSecret));
        QCOMPARE(filesDownloaded.read(), 0);
        QCOMPARE(checkUpdatesAutomatically.read(), true);
        QCOMPARE(lastUpdateCheck.read(), std::nullopt);
        // The built-in credentials have the service's shape.
        static const QRegularExpression alnum(QStringLiteral("^[A-Za-z0-9]+$"));
        QCOMPARE(clientId.read().size(), 20);
        QCOMPARE(clientSecret.read().size(), 40);
        QVERIFY(alnum.match(clientId.read()).hasMatch());
        QVERIFY(alnum.match(clientSecret.read()).hasMatch());
    }

    void namesAndRegistrationDomain() {
        const QList<std::pair<QString, QString>> names{
            {refreshToken.name(), QStringLiteral("refreshToken")},
            {accessToken.name(), QStringLiteral("accessToken")},
            {expiresIn.name(), QStringLiteral("expiresIn")},
            {clientId.name(), QStringLiteral("clientId")},
            {clientSecret.name(), QStringLiteral("clientSecret")},
            {filesDownloaded.name(), QStringLiteral("filesDownloaded")},
            {checkUpdatesAutomatically.name(), QStringLiteral("checkUpdatesAutomatically")},
            {lastUpdateCheck.name(), QStringLiteral("lastUpdateCheck")},
        };
        for (const auto &[actual, expected] : names)
            QCOMPARE(actual, expected);
        // Keys with a value default register it (they have all been used above); the two
        // optional dates register nothing.
        QCOMPARE(store().registeredDefault(QStringLiteral("clientId")).toString(),
                 clientId.defaultValue());
        QCOMPARE(store().registeredDefault(QStringLiteral("checkUpdatesAutomatically")).toBool(),
                 true);
        QCOMPARE(store().registeredDefault(QStringLiteral("filesDownloaded")).toLongLong(), 0);
        QCOMPARE(store().registeredDefault(QStringLiteral("refreshToken")).toString(), QString());
        QVERIFY(!store().registeredDefault(QStringLiteral("expiresIn")).isValid());
        QVERIFY(!store().registeredDefault(QStringLiteral("lastUpdateCheck")).isValid());
        // Reading stores nothing.
        QVERIFY(!store().hasStoredValue(QStringLiteral("clientId")));
    }

    void theStoreIsTheUsersPrivateConfigFile() {
        const QString expected =
            qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quavelin/Quavelin.conf");
        QCOMPARE(store().filePath(), expected);
        accessToken.write(QStringLiteral("secret"));
        QCOMPARE(QFile::permissions(expected) &
                     ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                 QFileDevice::Permissions());
        accessToken.reset();
    }

    void emptyClientIdIsAValueUntilReset() {
        clientId.write(QString());
        QCOMPARE(clientId.read(), QString());
        clientId.reset();
        QCOMPARE(clientId.read(), clientId.defaultValue());
        QVERIFY(!store().hasStoredValue(QStringLiteral("clientId")));
    }

    void writingNoneRemovesAnOptionalDate() {
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(1700000000123, QTimeZone::utc());
        for (const auto *key : {&expiresIn, &lastUpdateCheck}) {
            key->write(when);
            QCOMPARE(key->read(), std::optional<QDateTime>(when));
            key->write(std::nullopt);
            QVERIFY(!store().hasStoredValue(key->name()));
            QCOMPARE(key->read(), std::nullopt);
        }
    }

    void aWriteIsSeenAtOnceByEveryObserverAndReader() {
        QObject first, second;
        int firstCalls = 0;
        qint64 seenBySecond = -1;
        filesDownloaded.observe(&first, [&] { ++firstCalls; });
        filesDownloaded.observe(&second, [&] { seenBySecond = filesDownloaded.read(); });
        QSignalSpy other(&store(), &SettingsStore::valueChanged);
        filesDownloaded.write(12);
        QCOMPARE(firstCalls, 1);
        QCOMPARE(seenBySecond, 12);
        QCOMPARE(other.count(), 1);
        QCOMPARE(other.at(0).at(0).toString(), QStringLiteral("filesDownloaded"));
        checkUpdatesAutomatically.write(false); // another key: not these observers
        QCOMPARE(firstCalls, 1);
        filesDownloaded.reset();
        checkUpdatesAutomatically.reset();
        QCOMPARE(firstCalls, 2);
        QCOMPARE(seenBySecond, 0);
    }
};

QUAVELIN_TEST_MAIN(TestSettingsKeys)
#include "tst_SettingsKeys.moc"
