#pragma once

// Stands in for the generated BuildInfo.h: a build whose built-in sound service address got
// past the configure-time pattern (which lets any port through) and is no usable URL.
namespace BuildInfo {
inline constexpr const char *shortVersion = "0.0.0";
inline constexpr const char *buildNumber = "0";
inline constexpr const char *clientId = "";
inline constexpr const char *clientSecret = "";
inline constexpr const char *apiBase = "https://freesound.org:99999";
inline constexpr const char *updateBase = "https://quavelin.example";
} // namespace BuildInfo
