#include "TestMain.h"

#include "SineWav.h"
#include "cache/CacheManager.h"
#include "models/UIState.h"
#include "player/AudioPlayer.h"
#include "player/QtMediaPlayer.h"

#include <QMediaPlayer>
#include <QSignalSpy>

#include <cmath>

// Real playback through Qt Multimedia (GStreamer; a silent output when there is no audio server).
class TestQtMediaPlayer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

    // A result whose cache file is a copy of `source`.
    static SearchResultItem cachedResult(qint64 id, const QString &source) {
        SearchResultItem item;
        item.id = id;
        item.name = QFileInfo(source).baseName();
        item.username = QStringLiteral("jo");
        item.type = QStringLiteral("wav");
        const QString path = CacheManager::filePath(item);
        QDir().mkpath(CacheManager::cacheFolderPath());
        QFile::remove(path);
        if (!QFile::copy(source, path))
            qFatal("cannot put %s in the cache", qPrintable(source));
        return item;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeSineWav(file(QStringLiteral("tone.wav")), 0.5));
        QFile json(file(QStringLiteral("refusal.wav")));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write(R"({"detail":"Request was throttled."})");
    }

    void loadsPlaysAndStaysAtTheEnd() {
        QtMediaPlayer player;
        QSignalSpy statusChanges(&player, &MediaPlayer::statusChanged);
        QCOMPARE(player.status(), MediaPlayer::Status::Unknown);
        QCOMPARE(player.currentItemDuration(), std::nullopt);

        player.replaceCurrentItem(file(QStringLiteral("tone.wav")));
        QVERIFY(player.hasCurrentItem());
        QTRY_COMPARE(player.status(), MediaPlayer::Status::ReadyToPlay);
        QCOMPARE(statusChanges.size(), 1);
        QVERIFY(qAbs(*player.currentItemDuration() - 0.5) < 0.01);

        QSignalSpy mediaStatus(player.qtPlayer(), &QMediaPlayer::mediaStatusChanged);
        player.setVolume(1.0f);
        player.seekToZero();
        player.play();
        QTRY_VERIFY(mediaStatus.contains({QVariant::fromValue(QMediaPlayer::EndOfMedia)}));
        // Like the platform's players, the position stays at the end, so a progress check
        // that compares it with the duration sees the end.
        QCOMPARE(player.currentTime(), *player.currentItemDuration());
        QCOMPARE(player.status(), MediaPlayer::Status::ReadyToPlay);
    }

    void notAudioFails() {
        QtMediaPlayer player;
        player.replaceCurrentItem(file(QStringLiteral("refusal.wav")));
        player.play();
        QTRY_COMPARE(player.status(), MediaPlayer::Status::Failed);
        QVERIFY(std::isnan(*player.currentItemDuration()));

        // Stopping and replacing a failed item work and the next item plays.
        player.pause();
        player.seekToZero();
        player.replaceCurrentItem(file(QStringLiteral("tone.wav")));
        QTRY_COMPARE(player.status(), MediaPlayer::Status::ReadyToPlay);
        player.play();
        QSignalSpy mediaStatus(player.qtPlayer(), &QMediaPlayer::mediaStatusChanged);
        QTRY_VERIFY(mediaStatus.contains({QVariant::fromValue(QMediaPlayer::EndOfMedia)}));
    }

    void periodicObserverTicksOnTheMainThreadUntilRemoved() {
        QtMediaPlayer player;
        int ticks = 0;
        const auto token = player.addPeriodicTimeObserver([&] {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            ++ticks;
        });
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 3000);
        player.removeTimeObserver(token);
        QTest::qWait(1200);
        QCOMPARE(ticks, 1);
    }

    // The whole road: a press on a cached result plays it to the end, the one-second check
    // sees the end and the row returns to idle; a second press plays the same file again.
    void previewPlaysACachedFileToTheEnd() {
        const SearchResultItem item = cachedResult(7, file(QStringLiteral("tone.wav")));

        UIState ui;
        auto *media = new QtMediaPlayer;
        AudioPlayer player(&ui, media);
        for (int round = 0; round < 2; ++round) {
            QSignalSpy mediaStatus(media->qtPlayer(), &QMediaPlayer::mediaStatusChanged);
            player.playOrStop(item);
            QCOMPARE(ui.isPlaying(), true);
            QCOMPARE(ui.currentAudioItemId(), std::optional<qint64>(7));
            QTRY_VERIFY(mediaStatus.contains({QVariant::fromValue(QMediaPlayer::EndOfMedia)}));
            QTRY_COMPARE_WITH_TIMEOUT(ui.isPlaying(), false, 3000);
            QCOMPARE(ui.currentAudioItemId(), std::nullopt);
            QCOMPARE(media->qtPlayer()->playbackState(), QMediaPlayer::PausedState);
        }
    }

    void previewOfAFileThatIsNotAudioClearsThePlayingMark() {
        const SearchResultItem item = cachedResult(8, file(QStringLiteral("refusal.wav")));

        UIState ui;
        AudioPlayer player(&ui);
        QTest::ignoreMessage(QtDebugMsg, "AudioPlayer status is failed!");
        player.playOrStop(item);
        QTRY_COMPARE(ui.isPlaying(), false);
        QCOMPARE(ui.currentAudioItemId(), std::optional<qint64>(8));
    }
};

QUAVELIN_TEST_MAIN(TestQtMediaPlayer)
#include "tst_QtMediaPlayer.moc"
