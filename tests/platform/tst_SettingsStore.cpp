#include "TestMain.h"
#include "platform/Defaults.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void registrationDomainIsConsultedOnlyWhenNothingIsStored() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("s.conf")));
        store.registerDefaults({{QStringLiteral("k"), QStringLiteral("registered")}});
        QCOMPARE(store.value(QStringLiteral("k")).toString(), QStringLiteral("registered"));
        store.setValue(QStringLiteral("k"), QStringLiteral("stored"));
        store.registerDefaults({{QStringLiteral("k"), QStringLiteral("again")}});
        QCOMPARE(store.value(QStringLiteral("k")).toString(), QStringLiteral("stored"));
        store.remove(QStringLiteral("k"));
        QCOMPARE(store.value(QStringLiteral("k")).toString(), QStringLiteral("again"));
    }

    void everyWriteIsOnDiskAtOnceAndPrivate() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/s.conf"));
        SettingsStore store(path);
        store.setValue(QStringLiteral("accessToken"), QStringLiteral("secret"));
        QSettings reader(path, QSettings::IniFormat);
        QCOMPARE(reader.value(QStringLiteral("accessToken")).toString(), QStringLiteral("secret"));
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
        QVERIFY(QFile::permissions(path) & QFileDevice::ReadOwner);
    }

    // The file holds tokens: it is never readable by others, not even before the first save.
    void aNewStoreFileIsPrivateFromTheStart() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new/s.conf"));
        SettingsStore store(path);
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::Permissions());
    }

    void announcesEveryWriteResetAndRemoval() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("s.conf")));
        const Defaults::Key<QString> key(QStringLiteral("k"), QStringLiteral("d"), &store);
        int calls = 0;
        QObject context;
        key.observe(&context, [&] { ++calls; });
        key.write(QStringLiteral("a"));
        key.write(QStringLiteral("a")); // the same value still announces
        key.reset();
        key.reset(); // nothing stored: announces, changes nothing
        QCOMPARE(calls, 4);
        QCOMPARE(key.read(), QStringLiteral("d"));
        QSignalSpy spy(&store, &SettingsStore::valueChanged);
        Defaults::Key<QString>(QStringLiteral("other"), QString(), &store)
            .write(QStringLiteral("x"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(calls, 4);
    }

    void typedKeysReadWrongTypesAsTheDefault() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.conf"));
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue(QStringLiteral("b"), QStringLiteral("maybe"));
            raw.setValue(QStringLiteral("n"), QStringLiteral("12abc"));
            raw.setValue(QStringLiteral("d"), QStringLiteral("yesterday"));
            raw.setValue(QStringLiteral("s"),
                         QStringList{QStringLiteral("a"), QStringLiteral("b")});
            raw.setValue(QStringLiteral("goodN"), QStringLiteral("-42"));
        }
        SettingsStore store(path);
        QCOMPARE(Defaults::Key<bool>(QStringLiteral("b"), true, &store).read(), true);
        QCOMPARE(Defaults::Key<qint64>(QStringLiteral("n"), 7, &store).read(), 7);
        QCOMPARE(Defaults::Key<std::optional<QDateTime>>(QStringLiteral("d"), std::nullopt, &store)
                     .read(),
                 std::nullopt);
        QCOMPARE(Defaults::Key<QString>(QStringLiteral("s"), QStringLiteral("def"), &store).read(),
                 QStringLiteral("def"));
        QCOMPARE(Defaults::Key<qint64>(QStringLiteral("goodN"), 0, &store).read(), -42);
    }

    void valuesSurviveAReopenInTheirOwnTypes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.conf"));
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(1765312298123, QTimeZone::utc());
        {
            SettingsStore store(path);
            Defaults::Key<bool>(QStringLiteral("b"), true, &store).write(false);
            Defaults::Key<qint64>(QStringLiteral("n"), 0, &store).write(Q_INT64_C(5000000000));
            Defaults::Key<QString>(QStringLiteral("s"), QStringLiteral("x"), &store)
                .write(QString());
            Defaults::Key<std::optional<QDateTime>>(QStringLiteral("d"), std::nullopt, &store)
                .write(when);
        }
        SettingsStore store(path);
        QCOMPARE(Defaults::Key<bool>(QStringLiteral("b"), true, &store).read(), false);
        QCOMPARE(Defaults::Key<qint64>(QStringLiteral("n"), 0, &store).read(),
                 Q_INT64_C(5000000000));
        // An empty text is a value of its own, not the default.
        QCOMPARE(Defaults::Key<QString>(QStringLiteral("s"), QStringLiteral("x"), &store).read(),
                 QString());
        const Defaults::Key<std::optional<QDateTime>> date(QStringLiteral("d"), std::nullopt,
                                                           &store);
        QCOMPARE(date.read()->toMSecsSinceEpoch(), when.toMSecsSinceEpoch());
        // Dates lie in the file as UTC timestamps with milliseconds.
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("d")).toString(),
                 QStringLiteral("2025-12-09T20:31:38.123+00:00"));
        date.write(std::nullopt);
        QVERIFY(!store.hasStoredValue(QStringLiteral("d")));
        QCOMPARE(date.read(), std::nullopt);
    }
};

QUAVELIN_TEST_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
