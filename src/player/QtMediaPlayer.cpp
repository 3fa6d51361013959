#include "QtMediaPlayer.h"

#include <QAudioOutput>
#include <QDebug>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace {
constexpr int warmUpDelay = 250; // ms
}

QtMediaPlayer::QtMediaPlayer(QObject *parent) : MediaPlayer(parent) {
    // Bringing up the media framework and the audio output takes tens of milliseconds. The main
    // view makes its player while the window is being shown, so that work is put off until the
    // window has had time to paint, or until a call needs the player, whichever comes first.
    QTimer::singleShot(warmUpDelay, this, [this] { ensurePlayer(); });
}

QtMediaPlayer::~QtMediaPlayer() {
    m_player.reset(); // before the audio output it uses
}

void QtMediaPlayer::ensurePlayer() const {
    if (!m_player)
        const_cast<QtMediaPlayer *>(this)->createPlayer();
}

void QtMediaPlayer::createPlayer() {
    if (!m_output) {
        m_output = new QAudioOutput(this);
        m_output->setVolume(m_volume);
    }
    m_player = std::make_unique<QMediaPlayer>();
    m_player->setAudioOutput(m_output);
    m_itemFailed = false;
    connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, this, &QtMediaPlayer::updateStatus);
    connect(m_player.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString &description) {
                if (error == QMediaPlayer::NoError)
                    return;
                qDebug().noquote() << "Media player error:" << description;
                m_itemFailed = true;
                updateStatus();
            });
}

void QtMediaPlayer::replaceCurrentItem(const QString &filePath) {
    // Any state change of a GStreamer pipeline that failed blocks for a second; a fresh
    // player is instant.
    if (m_itemFailed) {
        m_player.reset();
        createPlayer();
    }
    ensurePlayer();
    m_hasItem = true;
    m_player->setSource(QUrl::fromLocalFile(filePath));
    // Setting the same file again may leave Qt's status as it was, without a change signal.
    updateStatus();
}

void QtMediaPlayer::setVolume(float volume) {
    m_volume = volume;
    if (m_output)
        m_output->setVolume(volume);
}

void QtMediaPlayer::seekToZero() {
    if (m_player && !m_itemFailed)
        m_player->setPosition(0);
}

void QtMediaPlayer::play() {
    ensurePlayer();
    if (!m_itemFailed)
        m_player->play();
}

void QtMediaPlayer::pause() {
    if (m_player && !m_itemFailed)
        m_player->pause();
}

double QtMediaPlayer::currentTime() const {
    return m_player ? double(m_player->position()) / 1000.0 : 0.0;
}

std::optional<double> QtMediaPlayer::currentItemDuration() const {
    if (!m_hasItem)
        return std::nullopt;
    if (m_status != Status::ReadyToPlay)
        return std::nan("");
    return double(m_player->duration()) / 1000.0;
}

MediaPlayer::ObserverToken QtMediaPlayer::addPeriodicTimeObserver(std::function<void()> tick) {
    auto *timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, std::move(tick));
    timer->start();
    const ObserverToken token = m_nextToken++;
    m_observers.insert(token, timer);
    return token;
}

void QtMediaPlayer::removeTimeObserver(ObserverToken token) {
    // The observer may be removed from within its own tick.
    if (QTimer *timer = m_observers.take(token)) {
        timer->stop();
        timer->deleteLater();
    }
}

void QtMediaPlayer::updateStatus() {
    if (m_itemFailed) {
        setStatus(Status::Failed);
        return;
    }
    if (!m_player) {
        setStatus(Status::Unknown);
        return;
    }
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadingMedia:
        setStatus(Status::Unknown);
        return;
    case QMediaPlayer::InvalidMedia:
        m_itemFailed = true;
        setStatus(Status::Failed);
        return;
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
    case QMediaPlayer::EndOfMedia:
        setStatus(Status::ReadyToPlay);
        return;
    }
}

void QtMediaPlayer::setStatus(Status status) {
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged();
}
