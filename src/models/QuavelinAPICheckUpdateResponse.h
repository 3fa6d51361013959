#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The update service's answer: whether a newer build than the one asked about exists.
struct QuavelinAPICheckUpdateResponse {
    bool isUpdateAvailable = false;

    // Only a JSON Boolean counts; `error` says why decoding failed.
    static std::optional<QuavelinAPICheckUpdateResponse> decode(const QByteArray &json,
                                                                QString *error = nullptr);
};
