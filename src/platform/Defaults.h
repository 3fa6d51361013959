#pragma once

#include "SettingsStore.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <mutex>
#include <optional>
#include <type_traits>

namespace Defaults {

namespace detail {
// Conversions between the store's native forms and the key's value type. A stored entry
// that does not convert reads as the default.
inline std::optional<QString> fromStored(const QVariant &v, std::type_identity<QString>) {
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return std::nullopt;
}
inline std::optional<bool> fromStored(const QVariant &v, std::type_identity<bool>) {
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (s == QLatin1String("true"))
            return true;
        if (s == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}
inline std::optional<qint64> fromStored(const QVariant &v, std::type_identity<qint64>) {
    bool ok = false;
    qint64 n = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        n = v.toLongLong(&ok);
        break;
    case QMetaType::QString:
        n = v.toString().toLongLong(&ok, 10);
        break;
    default:
        break;
    }
    if (!ok)
        return std::nullopt;
    return n;
}
// Dates are stored as UTC timestamps with milliseconds (ISO 8601).
inline std::optional<QDateTime> fromStored(const QVariant &v, std::type_identity<QDateTime>) {
    if (v.typeId() == QMetaType::QDateTime && v.toDateTime().isValid())
        return v.toDateTime();
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    const QDateTime d = QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

inline QVariant toStored(const QString &v) {
    return v;
}
inline QVariant toStored(bool v) {
    return v;
}
inline QVariant toStored(qint64 v) {
    return v;
}
inline QVariant toStored(const QDateTime &v) {
    return v.toTimeZone(QTimeZone::utc()).toString(Qt::ISODateWithMs);
}

template <typename T> struct Traits {
    using Value = T;
    static std::optional<T> read(const QVariant &v) {
        return fromStored(v, std::type_identity<T>{});
    }
    static bool registers() { return true; }
};
template <typename T> struct Traits<std::optional<T>> {
    using Value = T;
    static std::optional<T> read(const QVariant &v) {
        return fromStored(v, std::type_identity<T>{});
    }
    static bool registers() { return false; }
};
} // namespace detail

// A typed key over the settings store: its name, its default and its store.
template <typename T> class Key {
public:
    Key(QString name, T defaultValue, SettingsStore *store = nullptr)
        : m_name(std::move(name)), m_default(std::move(defaultValue)), m_store(store) {}

    const QString &name() const { return m_name; }
    const T &defaultValue() const { return m_default; }
    SettingsStore &store() const {
        SettingsStore &s = m_store ? *m_store : SettingsStore::standard();
        // Registration happens once, on first use, whoever uses the key first.
        std::call_once(m_registered, [&] {
            if constexpr (!isOptional)
                s.registerDefaults({{m_name, detail::toStored(m_default)}});
        });
        return s;
    }

    T read() const {
        const QVariant stored = store().value(m_name);
        if (!stored.isValid())
            return m_default;
        if (auto v = detail::Traits<T>::read(stored))
            return T(*v);
        return m_default;
    }

    void write(const T &value) const {
        if constexpr (isOptional) {
            if (!value.has_value()) {
                store().remove(m_name);
                return;
            }
            store().setValue(m_name, detail::toStored(*value));
        } else {
            store().setValue(m_name, detail::toStored(value));
        }
    }

    void reset() const { store().remove(m_name); }

    // Calls `f` after every change of the entry, on the main thread, until `context` dies or
    // the returned connection is disconnected.
    template <typename F> QMetaObject::Connection observe(const QObject *context, F &&f) const {
        SettingsStore &s = store();
        return QObject::connect(&s, &SettingsStore::valueChanged, context,
                                [name = m_name, f = std::forward<F>(f)](const QString &changed) {
                                    if (changed == name)
                                        f();
                                });
    }

private:
    static constexpr bool isOptional = !std::is_same_v<typename detail::Traits<T>::Value, T>;

    QString m_name;
    T m_default;
    SettingsStore *m_store;
    mutable std::once_flag m_registered;
};

} // namespace Defaults
