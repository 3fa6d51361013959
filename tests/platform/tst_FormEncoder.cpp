#include "TestMain.h"
#include "platform/FormEncoder.h"

class TestFormEncoder : public QObject {
    Q_OBJECT
private slots:
    void escapesExactlyTheReservedBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("plain set") << QStringLiteral("AZaz09-._~/?") << QByteArray("AZaz09-._~/?");
        QTest::newRow("space") << QStringLiteral("a b") << QByteArray("a%20b");
        QTest::newRow("form marks") << QStringLiteral("&=+:") << QByteArray("%26%3D%2B%3A");
        QTest::newRow("other marks") << QStringLiteral("!*'();@$,#[]%")
                                     << QByteArray("%21%2A%27%28%29%3B%40%24%2C%23%5B%5D%25");
        QTest::newRow("utf-8, upper-case hex")
            << QStringLiteral("é€") << QByteArray("%C3%A9%E2%82%AC");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void escapesExactlyTheReservedBytes() {
        QFETCH(QString, text);
        QFETCH(QByteArray, escaped);
        QCOMPARE(FormEncoder::escape(text), escaped);
    }

    void sortsPairsAndKeepsEmptyValues() {
        const QMap<QString, QString> fields{
            {QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
            {QStringLiteral("client_id"), QStringLiteral("id")},
            {QStringLiteral("refresh_token"), QString()},
            {QStringLiteral("client_secret"), QStringLiteral("s e")}};
        QCOMPARE(
            FormEncoder::encode(fields),
            QByteArray("client_id=id&client_secret=s%20e&grant_type=refresh_token&refresh_token="));
        QCOMPARE(QByteArray(FormEncoder::contentType),
                 QByteArray("application/x-www-form-urlencoded; charset=utf-8"));
    }
};

QUAVELIN_TEST_MAIN(TestFormEncoder)
#include "tst_FormEncoder.moc"
