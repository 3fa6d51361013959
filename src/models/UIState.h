#pragma once

#include <QObject>
#include <QString>

#include <optional>

// The one shared interface state through which playback, downloading, errors and updates
// reach the views. Every assignment announces `changed()`, even when the value is the same,
// and views redraw from the then-current values.
class UIState : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        double downloadProgress READ downloadProgress WRITE setDownloadProgress NOTIFY changed)
    Q_PROPERTY(bool isPlaying READ isPlaying WRITE setIsPlaying NOTIFY changed)
    Q_PROPERTY(
        bool isUpdateAvailable READ isUpdateAvailable WRITE setIsUpdateAvailable NOTIFY changed)
public:
    static inline const QString signInErrorText =
        QStringLiteral("Error loggin in...\nFreesound may have blocked this client.");

    explicit UIState(QObject *parent = nullptr);

    double downloadProgress() const { return m_downloadProgress; }
    std::optional<qint64> downloadingItemId() const { return m_downloadingItemId; }
    std::optional<qint64> currentAudioItemId() const { return m_currentAudioItemId; }
    bool isPlaying() const { return m_isPlaying; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    bool isUpdateAvailable() const { return m_isUpdateAvailable; }

    void setDownloadProgress(double value);
    void setDownloadingItemId(std::optional<qint64> value);
    void setCurrentAudioItemId(std::optional<qint64> value);
    void setIsPlaying(bool value);
    void setErrorMessage(std::optional<QString> value);
    void setIsUpdateAvailable(bool value);

signals:
    void changed();

private:
    double m_downloadProgress = 0;
    std::optional<qint64> m_downloadingItemId;
    std::optional<qint64> m_currentAudioItemId;
    bool m_isPlaying = false;
    std::optional<QString> m_errorMessage;
    bool m_isUpdateAvailable = false;
};
