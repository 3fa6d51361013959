#include "TestMain.h"

#include "PreferencesTestKit.h"
#include "cache/CacheManager.h"
#include "models/SettingsKeys.h"
#include "preferences/DonationSection.h"
#include "preferences/StatsSection.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

using namespace PaneDriver;
namespace Keys = Defaults::Keys;
using SizeParts = StatsSection::SizeParts;

Q_DECLARE_METATYPE(StatsSection::SizeParts)

namespace {
void writeRandomFile(const QString &path, qint64 size) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(data.data()),
                                          data.size() / 4);
    f.write(data);
}
} // namespace

class TestStatsSection : public QObject {
    Q_OBJECT
private:
    static QLabel *figure(const QWidget *root, const char *name) {
        return root->findChild<QLabel *>(QLatin1String(name));
    }

private slots:
    void init() {
        QDir(CacheManager::cacheFolderPath()).removeRecursively();
        Keys::filesDownloaded.reset();
    }

    void splitsTheSizeText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<SizeParts>("parts");
        QTest::newRow("one space") << "1.5 MB" << SizeParts{"1.5", "MB"};
        QTest::newRow("bytes") << "0 bytes" << SizeParts{"0", "bytes"};
        QTest::newRow("several spaces: the last piece is the unit")
            << "1 234 567 bytes" << SizeParts{"1234567", "bytes"};
        QTest::newRow("runs of spaces are one gap") << "  1.5   MB " << SizeParts{"1.5", "MB"};
        QTest::newRow("no space: all unit") << "MB" << SizeParts{"", "MB"};
        QTest::newRow("empty") << "" << SizeParts{"...", ""};
        QTest::newRow("only spaces") << "   " << SizeParts{"...", ""};
    }
    void splitsTheSizeText() {
        QFETCH(QString, text);
        QFETCH(SizeParts, parts);
        QCOMPARE(StatsSection::splitSizeText(text), parts);
    }

    void donationThreshold_data() {
        QTest::addColumn<qint64>("filesDownloaded");
        QTest::addColumn<bool>("shown");
        QTest::newRow("none") << 0LL << false;
        QTest::newRow("100") << 100LL << false;
        QTest::newRow("101") << 101LL << true;
        QTest::newRow("many") << 5000LL << true;
        QTest::newRow("negative") << -200LL << false;
    }
    void donationThreshold() {
        QFETCH(qint64, filesDownloaded);
        QFETCH(bool, shown);
        StatsSection section(450);
        section.show();
        Keys::filesDownloaded.write(filesDownloaded);
        QCOMPARE(figure(&section, "filesDownloaded")->text(), QString::number(filesDownloaded));
        QCOMPARE(shows(section.findChild<DonationSection *>()), shown);
        QCOMPARE(shows(label(&section, QStringLiteral("You\u2019ve downloaded a lot of samples!"))),
                 shown);
    }

    void sizeOfAMissingFolderCannotBeTold() {
        StatsSection section(450);
        section.show();
        QVERIFY(shows(label(&section, QStringLiteral("Size on disk"))));
        QCOMPARE(figure(&section, "sizeNumber")->text(), QStringLiteral("..."));
        QCOMPARE(figure(&section, "sizeUnit")->text(), QStringLiteral(" "));
    }

    void sizeIsMeasuredWhenShownAndWhenTheCountChanges() {
        const QString folder = CacheManager::cacheFolderPath();
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/.hidden/deeper")));
        writeRandomFile(folder + QStringLiteral("/1_a_b.wav"), 1000 * 1000);
        writeRandomFile(folder + QStringLiteral("/.hidden/deeper/x"), 1000 * 1000);
        StatsSection section(450);
        section.show();
        QCOMPARE(figure(&section, "sizeNumber")->text(), QStringLiteral("2.0"));
        QCOMPARE(figure(&section, "sizeUnit")->text(), QStringLiteral(" MB"));

        writeRandomFile(folder + QStringLiteral("/2_a_b.wav"), 1500 * 1000);
        Keys::filesDownloaded.write(2);
        QCOMPARE(figure(&section, "sizeNumber")->text(), QStringLiteral("3.5"));

        writeRandomFile(folder + QStringLiteral("/3_a_b.wav"), 1000 * 1000);
        section.hide();
        section.show();
        QCOMPARE(figure(&section, "sizeNumber")->text(), QStringLiteral("4.5"));
    }

    void showInFileManagerOpensTheCacheFolder() {
        WorkspaceRecorder workspace;
        StatsSection section(450);
        section.show();
        click(button(&section, QStringLiteral("Show in File Manager...")));
        QCOMPARE(workspace.folders, QStringList{CacheManager::cacheFolderPath()});
        // Before the first download there is no folder yet; it is shown empty.
        QVERIFY(QFileInfo(CacheManager::cacheFolderPath()).isDir());
        QVERIFY(workspace.urls.isEmpty());
    }

    void donationLinkOpensTheServiceHomePage() {
        qputenv("QUAVELIN_API_BASE", "https://sounds.example.net");
        WorkspaceRecorder workspace;
        Keys::filesDownloaded.write(101);
        StatsSection section(450);
        section.show();
        QLabel *sentence = labelStartingWith(
            &section, QStringLiteral("It\u2019s free for you but not for Freesound.org!"));
        QVERIFY(shows(sentence));
        QCOMPARE(sentence->width(), 330);
        QVERIFY(
            sentence->text().endsWith(QStringLiteral("$5 to $10 is a good amount for starters.")));
        // The whole sentence fits in the box, however it wraps.
        QVERIFY(sentence->height() >= sentence->heightForWidth(330));
        QVERIFY(shows(label(&section, QStringLiteral("You can donate on their website:"))));
        QLabel *link = label(&section, QStringLiteral("https://sounds.example.net/"));
        QVERIFY(shows(link));
        click(link);
        QCOMPARE(workspace.urls, QList<QUrl>{QUrl(QStringLiteral("https://sounds.example.net/"))});
        qunsetenv("QUAVELIN_API_BASE");
    }
};

QUAVELIN_TEST_MAIN(TestStatsSection)
#include "tst_StatsSection.moc"
