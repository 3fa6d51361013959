#pragma once

#include <QDateTime>

#include <optional>

// The twelve-hour rule: a refresh of the access token is due when an expiry is stored and now
// is not earlier than twelve hours before it.
inline bool isTokenRefreshDue(const std::optional<QDateTime> &expiresIn, const QDateTime &now) {
    if (!expiresIn)
        return false;
    return now >= expiresIn->addSecs(-12 * 60 * 60);
}
