#include "TestMain.h"
#include "platform/DirectorySize.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

namespace {
constexpr qint64 MB = 1000 * 1000;
// Generous room for block rounding and file-system overhead per file.
constexpr qint64 slackPerFile = 64 * 1024;

// Random content, so that a compressing file system cannot make it smaller than it is.
void writeFile(const QString &path, qint64 size) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(chunk.data()),
                                              chunk.size() / 4);
        f.write(chunk.constData(), std::min<qint64>(chunk.size(), size - written));
    }
}

void expectAbout(const std::optional<qint64> &size, qint64 bytes, int files) {
    QVERIFY(size.has_value());
    QVERIFY2(*size >= bytes && *size <= bytes + files * slackPerFile,
             qPrintable(QStringLiteral("measured %1 for %2 bytes in %3 files")
                            .arg(*size)
                            .arg(bytes)
                            .arg(files)));
}
} // namespace

class TestDirectorySize : public QObject {
    Q_OBJECT
private slots:
    void emptyFolderTakesNothing() {
        QTemporaryDir dir;
        QString error;
        QCOMPARE(DirectorySize::sizeOnDisk(dir.path(), &error), std::optional<qint64>(0));
        QVERIFY(error.isEmpty());
    }

    void countsHiddenEntriesAndEveryLevelOfSubfolders() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a.wav")), 1 * MB);
        writeFile(dir.filePath(QStringLiteral(".hidden")), 1 * MB);
        writeFile(dir.filePath(QStringLiteral("sub/b.wav")), 2 * MB);
        writeFile(dir.filePath(QStringLiteral(".hiddenFolder/deeper/c.wav")), 3 * MB);
        expectAbout(DirectorySize::sizeOnDisk(dir.path()), 7 * MB, 4);
    }

    void measuresAllocatedBlocksNotApparentSize() {
        QTemporaryDir dir;
        QFile sparse(dir.filePath(QStringLiteral("sparse")));
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QVERIFY(sparse.resize(500 * MB)); // a hole, no blocks
        sparse.close();
        writeFile(dir.filePath(QStringLiteral("dense")), 1 * MB);
        expectAbout(DirectorySize::sizeOnDisk(dir.path()), 1 * MB, 2);
    }

    void doesNotFollowLinksOutOfTheFolder() {
        QTemporaryDir outside;
        writeFile(outside.filePath(QStringLiteral("big")), 5 * MB);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("own")), 1 * MB);
        QVERIFY(QFile::link(outside.path(), dir.filePath(QStringLiteral("folderLink"))));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("big")),
                            dir.filePath(QStringLiteral("fileLink"))));
        QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("loop"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")),
                            dir.filePath(QStringLiteral("dangling"))));
        expectAbout(DirectorySize::sizeOnDisk(dir.path()), 1 * MB, 5);
    }

    // Large folders are measured on several threads; the sum must still be exact. find(1)
    // reports the same 512-byte blocks for every entry that is not a folder.
    void manyFilesSumExactlyToWhatFindReports() {
        QTemporaryDir dir;
        const QByteArray payload(700, 'x');
        for (int i = 0; i < 12000; ++i) {
            QFile f(dir.filePath(i < 9000 ? QStringLiteral("%1.wav").arg(i)
                                          : QStringLiteral("sub/%1.wav").arg(i)));
            if (i == 9000)
                QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("sub"))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(payload.left(i % 700 + 1));
        }
        writeFile(dir.filePath(QStringLiteral("sub/big")), 3 * MB);

        QProcess find;
        find.start(QStringLiteral("find"),
                   {dir.path(), QStringLiteral("-mindepth"), QStringLiteral("1"),
                    QStringLiteral("!"), QStringLiteral("-type"), QStringLiteral("d"),
                    QStringLiteral("-printf"), QStringLiteral("%b\\n")});
        QVERIFY(find.waitForFinished());
        qint64 blocks = 0;
        for (const QByteArray &line : find.readAllStandardOutput().split('\n'))
            blocks += line.toLongLong();
        QCOMPARE(DirectorySize::sizeOnDisk(dir.path()), std::optional<qint64>(blocks * 512));
    }

    void theFolderItselfMayBeReachedThroughALink() {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("real/a")), 1 * MB);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("real")),
                            dir.filePath(QStringLiteral("alias"))));
        expectAbout(DirectorySize::sizeOnDisk(dir.filePath(QStringLiteral("alias"))), 1 * MB, 1);
    }

    void deepTreesDoNotRunOutOfFileDescriptors() {
        QTemporaryDir dir;
        QString path = dir.path();
        for (int i = 0; i < 1500; ++i)
            path += QStringLiteral("/d");
        writeFile(path + QStringLiteral("/leaf"), 1 * MB);
        expectAbout(DirectorySize::sizeOnDisk(dir.path()), 1 * MB, 1);
    }

    void unreadableSubfoldersAreSkipped() {
        if (geteuid() == 0)
            QSKIP("permissions do not hold for root");
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a")), 1 * MB);
        writeFile(dir.filePath(QStringLiteral("locked/b")), 2 * MB);
        QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFileDevice::Permissions());
        QString error;
        const auto size = DirectorySize::sizeOnDisk(dir.path(), &error);
        QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFileDevice::ReadOwner |
                                                                          QFileDevice::WriteOwner |
                                                                          QFileDevice::ExeOwner);
        expectAbout(size, 1 * MB, 1);
        QVERIFY(error.isEmpty());
    }

    void notAFolderGivesNoCount_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("a plain file") << QStringLiteral("file");
        QTest::newRow("a link to a file") << QStringLiteral("fileLink");
    }
    void notAFolderGivesNoCount() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("file")), 10);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("file")),
                            dir.filePath(QStringLiteral("fileLink"))));
        QString error = QStringLiteral("stale");
        QCOMPARE(DirectorySize::sizeOnDisk(dir.filePath(name), &error), std::nullopt);
        QVERIFY(error.isEmpty());
    }

    void anUnreadableFolderGivesNoCountAndSaysWhy() {
        if (geteuid() == 0)
            QSKIP("permissions do not hold for root");
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        QString error;
        const auto size = DirectorySize::sizeOnDisk(locked, &error);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QCOMPARE(size, std::nullopt);
        QVERIFY(error.contains(locked));
    }
};

QUAVELIN_TEST_MAIN(TestDirectorySize)
#include "tst_DirectorySize.moc"
