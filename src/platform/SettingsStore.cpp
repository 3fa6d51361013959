#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

SettingsStore &SettingsStore::standard() {
    static SettingsStore store(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Quavelin/Quavelin.conf"));
    return store;
}

SettingsStore::SettingsStore(const QString &filePath, QObject *parent) : QObject(parent) {
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    // Created private before the first write: a file made by the first save would be readable
    // by others until the permissions were narrowed, and later saves keep these permissions.
    QFile file(filePath);
    if (!file.exists() &&
        file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        file.close();
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::filePath() const {
    return m_settings->fileName();
}

QVariant SettingsStore::value(const QString &name) const {
    if (m_settings->contains(name))
        return m_settings->value(name);
    return m_registered.value(name);
}

bool SettingsStore::hasStoredValue(const QString &name) const {
    return m_settings->contains(name);
}

void SettingsStore::setValue(const QString &name, const QVariant &value) {
    m_settings->setValue(name, value);
    persist();
    announce(name);
}

void SettingsStore::remove(const QString &name) {
    const bool had = m_settings->contains(name);
    m_settings->remove(name);
    if (had)
        persist();
    announce(name);
}

void SettingsStore::registerDefaults(const QVariantMap &defaults) {
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant SettingsStore::registeredDefault(const QString &name) const {
    return m_registered.value(name);
}

void SettingsStore::persist() {
    m_settings->sync();
    // Tokens live here: keep the file to its owner.
    QFile::setPermissions(m_settings->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void SettingsStore::announce(const QString &name) {
    if (QThread::currentThread() == thread()) {
        emit valueChanged(name);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, name] { emit valueChanged(name); }, Qt::QueuedConnection);
}
