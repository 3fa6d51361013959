#pragma once

#include <QString>

// Where the two web services live. Built in at configure time; the environment variables
// QUAVELIN_API_BASE and QUAVELIN_UPDATE_BASE replace them at run time (tests, demos).
namespace ServiceConfig {
// The sound service, for example "https://freesound.org" (no trailing slash).
QString apiBase();
// The maker's update service and web site, for example "https://quavelin.example".
QString updateBase();

// Whether `text` can serve as a base address: an absolute http or https URL with a host and
// at most a path after it (no user info, no query, no fragment).
bool isUsableBase(const QString &text);
// `text` fit for one line of output: backslashes and control characters escaped ("\\", "\n",
// "\t", "\u001b").
QString escapedForOneLine(const QString &text);
// A line naming the first of QUAVELIN_API_BASE and QUAVELIN_UPDATE_BASE whose value is no
// usable base address, and the value; empty when both are usable or unset.
QString environmentError();
} // namespace ServiceConfig
