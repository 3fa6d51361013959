#include "TestMain.h"

#include "platform/ServiceConfig.h"

// The built-in addresses are checked at start like those from the environment: a build whose
// address slipped past the configure-time pattern says so at once, instead of failing at its
// first request.
class TestBuiltInServiceBase : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("QUAVELIN_API_BASE"); }

    void anUnusableBuiltInAddressIsRefused_data() {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("error");
        const QString refusal =
            QStringLiteral("quavelin: QUAVELIN_API_BASE is not an absolute http or https URL: "
                           "'https://freesound.org:99999'");
        QTest::newRow("unset: the built-in applies") << false << QByteArray() << refusal;
        QTest::newRow("empty: the built-in applies") << true << QByteArray() << refusal;
        QTest::newRow("set: the built-in is not used")
            << true << QByteArray("http://127.0.0.1:1") << QString();
    }
    void anUnusableBuiltInAddressIsRefused() {
        QFETCH(bool, set);
        QFETCH(QByteArray, value);
        QFETCH(QString, error);
        if (set)
            qputenv("QUAVELIN_API_BASE", value);
        QCOMPARE(ServiceConfig::environmentError(), error);
    }
};

QUAVELIN_TEST_MAIN(TestBuiltInServiceBase)
#include "tst_BuiltInServiceBase.moc"
