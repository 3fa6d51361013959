#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QNetworkRequest>
#include <QPair>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// The one HTTP client of the application. Replies are handled on the main thread; every
// request carries a transfer timeout so that a dead server cannot hang a request for ever.
namespace Http {
inline constexpr std::chrono::milliseconds defaultTimeout{60000};
// The whole time an answer of get() or postForm() may take, however steadily it trickles in.
inline constexpr std::chrono::milliseconds defaultDeadline{60000};
// The largest answer of get() or postForm(); a page of 15 search results is a few KB.
inline constexpr qint64 maxAnswerSize = 16 * 1024 * 1024;

using Headers = QList<QPair<QByteArray, QByteArray>>;

QNetworkAccessManager &manager();

// A request with the client's default headers and the transfer timeout.
QNetworkRequest request(const QUrl &url, const Headers &headers = {});

// Answers read whole into memory: the reply is aborted once its answer is announced or
// received larger than maxAnswerSize, or has not wholly arrived within the deadline.
QNetworkReply *get(const QUrl &url, const Headers &headers = {});
// Redirects of postForm() followed before the request counts as failed.
inline constexpr int maxFormRedirects = 10;
// POSTs `fields` URL-form-encoded (see FormEncoder), bounded like get(), the deadline counting
// across redirects. The form holds credentials, so redirects are followed here, hop by hop:
// only within the scheme, host and port of `url`, and at most maxFormRedirects times; any other
// fails the request, and nothing is sent where it leads. A 307 or 308 sends the form again, a
// 301, 302 or 303 turns into a GET without it, and a 307 or 308 after that repeats the GET.
// `finished` runs once, on the main thread, with the last reply (read it with answerBody); the
// reply is deleted after it returns.
void postForm(const QUrl &url, const QMap<QString, QString> &fields,
              std::function<void(QNetworkReply *reply)> finished);

// Where a finished reply of a manual redirect policy leads: a 3xx with a Location, resolved
// against the reply's address. Nothing for any other answer, a 302 or 303 without Location
// included (Qt gives those an empty target, which leads nowhere).
std::optional<QUrl> redirectTarget(const QNetworkReply &reply);

// Whether `a` and `b` have the same scheme, host and port (the scheme's default port when
// none is given).
bool isSameOrigin(const QUrl &a, const QUrl &b);

// The body of the answer once `reply` has finished, whatever its HTTP status (the services'
// answers are judged by their body alone), or nothing when the transfer failed before a whole
// answer arrived (no connection, time-out, dropped connection, cancellation, an answer beyond
// the bounds of get() and postForm(), a redirect of postForm() not followed); `failure` then
// says why.
std::optional<QByteArray> answerBody(QNetworkReply *reply, QString *failure = nullptr);

// Tests shorten the transfer timeout; 0 restores the default.
void setTimeoutForTesting(std::chrono::milliseconds timeout);
// Tests shorten the deadline of get() and postForm(); 0 restores the default.
void setDeadlineForTesting(std::chrono::milliseconds deadline);
} // namespace Http
