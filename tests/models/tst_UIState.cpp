#include "TestMain.h"
#include "models/UIState.h"

#include <QSignalSpy>

class TestUIState : public QObject {
    Q_OBJECT
private slots:
    void startsEmpty() {
        const UIState state;
        QCOMPARE(state.downloadProgress(), 0.0);
        QCOMPARE(state.downloadingItemId(), std::nullopt);
        QCOMPARE(state.currentAudioItemId(), std::nullopt);
        QCOMPARE(state.isPlaying(), false);
        QCOMPARE(state.errorMessage(), std::nullopt);
        QCOMPARE(state.isUpdateAvailable(), false);
    }

    // Views redraw on every assignment, even of the value already held.
    void everyAssignmentAnnounces() {
        UIState state;
        QSignalSpy changes(&state, &UIState::changed);
        state.setDownloadProgress(0);
        state.setDownloadingItemId(std::nullopt);
        state.setCurrentAudioItemId(7);
        state.setIsPlaying(false);
        state.setErrorMessage(UIState::signInErrorText);
        state.setIsUpdateAvailable(false);
        QCOMPARE(changes.count(), 6);
        QCOMPARE(state.currentAudioItemId(), std::optional<qint64>(7));
        QCOMPARE(*state.errorMessage(),
                 QStringLiteral("Error loggin in...\nFreesound may have blocked this client."));
    }
};

QUAVELIN_TEST_MAIN(TestUIState)
#include "tst_UIState.moc"
