#include "UIState.h"

UIState::UIState(QObject *parent) : QObject(parent) {}

void UIState::setDownloadProgress(double value) {
    m_downloadProgress = value;
    emit changed();
}

void UIState::setDownloadingItemId(std::optional<qint64> value) {
    m_downloadingItemId = value;
    emit changed();
}

void UIState::setCurrentAudioItemId(std::optional<qint64> value) {
    m_currentAudioItemId = value;
    emit changed();
}

void UIState::setIsPlaying(bool value) {
    m_isPlaying = value;
    emit changed();
}

void UIState::setErrorMessage(std::optional<QString> value) {
    m_errorMessage = std::move(value);
    emit changed();
}

void UIState::setIsUpdateAvailable(bool value) {
    m_isUpdateAvailable = value;
    emit changed();
}
