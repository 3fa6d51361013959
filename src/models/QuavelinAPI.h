#pragma once

#include "QuavelinAPICheckUpdateResponse.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

class UIState;

// The maker's update service.
namespace QuavelinAPI {
// How far (either way) the last successful check may lie from now before the automatic
// check runs again: 72 minutes.
inline constexpr qint64 updateCheckIntervalSeconds = 4320;

// Asks whether a newer build exists; `completion` runs exactly once: on the main thread when
// the answer has been handled, or before this returns when there is no build number. It gets
// false on any failure. A valid answer stores `lastUpdateCheck`, after `completion` returns.
void checkUpdate(std::function<void(bool isUpdateAvailable)> completion);
// The answer handler of checkUpdate: `failure` is non-empty for a failed request; otherwise
// `answer` holds the decoded answer (its absence is reported as an error of its own).
void handleCheckUpdateResponse(const std::optional<QuavelinAPICheckUpdateResponse> &answer,
                               const QString &failure,
                               const std::function<void(bool isUpdateAvailable)> &completion);

// The automatic rule: due when there is no last check, or it lies more than 4320 seconds from
// `now`, in either direction.
bool isUpdateCheckDue(const std::optional<QDateTime> &lastUpdateCheck, const QDateTime &now);
// Runs the check when it is switched on and due, copying the answer into
// `uiState->isUpdateAvailable`; otherwise sets that to false at once.
void checkUpdateIfDue(UIState *uiState);
} // namespace QuavelinAPI
