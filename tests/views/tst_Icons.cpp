#include "TestMain.h"
#include "views/Icons.h"

#include <malloc.h>

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void existsForTheArtworkOnly_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        for (const char *name :
             {"by", "nc", "sa", "nd", "zero", "sampling+", "playIcon", "stopIcon", "loadingSpinner",
              "searchIcon", "settingsIcon", "sampleIcon"})
            QTest::newRow(name) << name << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("unknown part") << "nc2" << false;
        QTest::newRow("other case") << "BY" << false;
        QTest::newRow("with its extension") << "by.svg" << false;
        QTest::newRow("through a folder") << "../icons/by" << false;
    }

    void existsForTheArtworkOnly() {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QCOMPARE(Icons::exists(name), exists);
        QCOMPARE(Icons::tinted(name, {16, 16}, Qt::gray).isNull(), !exists);
    }

    // Licence addresses come from the service, each page with new ones: asking about them
    // must not keep them.
    void askingAboutUnknownNamesKeepsNothing() {
        Icons::exists(QStringLiteral("by"));
        const size_t before = mallinfo2().uordblks;
        for (int i = 0; i < 100000; ++i) {
            QVERIFY(!Icons::exists(
                QStringLiteral("https://creativecommons.org/licenses/by-nc/4.0/deed.%1").arg(i)));
        }
        const size_t after = mallinfo2().uordblks;
        const qint64 growth = qint64(after) - qint64(before);
        QVERIFY2(growth < 1024 * 1024, qPrintable(QString::number(growth)));
    }
};

QUAVELIN_TEST_MAIN(TestIcons)
#include "tst_Icons.moc"
