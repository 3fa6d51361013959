#pragma once

#include <functional>

class UIState;

// The maker's update service.
namespace QuavelinAPI {
// Asks whether a newer build exists; `completion` runs exactly once, with false on any
// failure.
void checkUpdate(std::function<void(bool isUpdateAvailable)> completion);
// Runs the check when it is switched on and due, copying the answer into
// `uiState->isUpdateAvailable`; otherwise sets that to false.
void checkUpdateIfDue(UIState *uiState);
} // namespace QuavelinAPI
