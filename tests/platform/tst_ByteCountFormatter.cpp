#include "TestMain.h"
#include "platform/ByteCountFormatter.h"

#include <limits>

class TestByteCountFormatter : public QObject {
    Q_OBJECT
private slots:
    void sizes_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing") << 0LL << "0 bytes";
        QTest::newRow("one byte") << 1LL << "1 byte";
        QTest::newRow("bytes") << 842LL << "842 bytes";
        QTest::newRow("last figure in bytes") << 999LL << "999 bytes";
        QTest::newRow("one kB, decimal") << 1000LL << "1.0 kB";
        QTest::newRow("1024 is not a round kB") << 1024LL << "1.0 kB";
        QTest::newRow("kB") << 1500LL << "1.5 kB";
        QTest::newRow("rounds to 1000 kB: shown as MB") << 999950LL << "1.0 MB";
        QTest::newRow("just below the rounding") << 999949LL << "999.9 kB";
        QTest::newRow("MB") << 1500000LL << "1.5 MB";
        QTest::newRow("MB rounded") << 1549999LL << "1.5 MB";
        QTest::newRow("GB") << 2400000000LL << "2.4 GB";
        QTest::newRow("TB") << 3210000000000LL << "3.2 TB";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "9.2 EB";
        QTest::newRow("negative") << -1500000LL << "-1.5 MB";
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-9.2 EB";
    }
    void sizes() {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(ByteCountFormatter::string(bytes), expected);
    }
};

QUAVELIN_TEST_MAIN(TestByteCountFormatter)
#include "tst_ByteCountFormatter.moc"
