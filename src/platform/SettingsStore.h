#pragma once

#include <QObject>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

// The per-user key-value store under the typed settings keys. Every write goes to disk at
// once (the file holds tokens, so it is readable by its owner only), and every change is
// announced per key name on the main thread, whoever made it.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    // The store of the signed-in user: $XDG_CONFIG_HOME/Quavelin/Quavelin.conf.
    static SettingsStore &standard();

    explicit SettingsStore(const QString &filePath, QObject *parent = nullptr);
    ~SettingsStore() override;

    QString filePath() const;

    // The stored value, or the registered default when nothing is stored, or an invalid
    // QVariant.
    QVariant value(const QString &name) const;
    bool hasStoredValue(const QString &name) const;
    void setValue(const QString &name, const QVariant &value);
    void remove(const QString &name);

    // The registration domain: in memory only, consulted when nothing is stored, never
    // overwriting a stored value.
    void registerDefaults(const QVariantMap &defaults);
    QVariant registeredDefault(const QString &name) const;

signals:
    void valueChanged(const QString &name);

private:
    void announce(const QString &name);
    void persist();

    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};
