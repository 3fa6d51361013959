#include "QuavelinAPI.h"

// Placeholder so that dependants link; replaced by the real client.
void QuavelinAPI::checkUpdate(std::function<void(bool)> completion) {
    completion(false);
}
void QuavelinAPI::checkUpdateIfDue(UIState *) {}
