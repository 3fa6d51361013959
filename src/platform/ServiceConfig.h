#pragma once

#include <QString>

// Where the two web services live. Built in at configure time; the environment variables
// QUAVELIN_API_BASE and QUAVELIN_UPDATE_BASE replace them at run time (tests, demos).
namespace ServiceConfig {
// The sound service, for example "https://freesound.org" (no trailing slash).
QString apiBase();
// The maker's update service and web site, for example "https://quavelin.example".
QString updateBase();
} // namespace ServiceConfig
