#include "QuavelinAPI.h"

#include "SettingsKeys.h"
#include "UIState.h"
#include "platform/ApplicationInfo.h"
#include "platform/Http.h"
#include "platform/ServiceConfig.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <cstdio>

namespace {
void writeLine(const QString &line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
} // namespace

void QuavelinAPI::checkUpdate(std::function<void(bool)> completion) {
    const std::optional<QString> build = ApplicationInfo::buildNumber();
    if (!build) {
        writeLine(QStringLiteral("missing build number"));
        completion(false);
        return;
    }
    // The build number goes in as it is, unescaped.
    const QUrl url(ServiceConfig::updateBase() + QStringLiteral("/api/checkupdate?build=") + *build,
                   QUrl::StrictMode);
    if (!url.isValid()) {
        // Reported like any other failure: later, on the main thread.
        QTimer::singleShot(0, [completion = std::move(completion), url] {
            handleCheckUpdateResponse(std::nullopt,
                                      QStringLiteral("invalid update URL: ") + url.errorString(),
                                      completion);
        });
        return;
    }
    QNetworkReply *reply = Http::get(url);
    QObject::connect(
        reply, &QNetworkReply::finished, reply, [reply, completion = std::move(completion)] {
            reply->deleteLater();
            QString failure;
            std::optional<QuavelinAPICheckUpdateResponse> answer;
            if (const std::optional<QByteArray> body = Http::answerBody(reply, &failure)) {
                answer = QuavelinAPICheckUpdateResponse::decode(*body, &failure);
                if (!answer && failure.isEmpty())
                    failure = QStringLiteral("undecodable answer");
            }
            handleCheckUpdateResponse(answer, failure, completion);
        });
}

void QuavelinAPI::handleCheckUpdateResponse(
    const std::optional<QuavelinAPICheckUpdateResponse> &answer, const QString &failure,
    const std::function<void(bool)> &completion) {
    if (!failure.isEmpty()) {
        writeLine(QStringLiteral("Update check failed: ") + failure);
        completion(false);
        return;
    }
    if (!answer) {
        writeLine(QStringLiteral("\"weird error happened... value is missing\""));
        completion(false);
        return;
    }
    // The completion sees the previous lastUpdateCheck.
    completion(answer->isUpdateAvailable);
    Defaults::Keys::lastUpdateCheck.write(QDateTime::currentDateTimeUtc());
}

bool QuavelinAPI::isUpdateCheckDue(const std::optional<QDateTime> &lastUpdateCheck,
                                   const QDateTime &now) {
    if (!lastUpdateCheck)
        return true;
    return qAbs(now.msecsTo(*lastUpdateCheck)) > updateCheckIntervalSeconds * 1000;
}

void QuavelinAPI::checkUpdateIfDue(UIState *uiState) {
    if (!Defaults::Keys::checkUpdatesAutomatically.read()) {
        uiState->setIsUpdateAvailable(false);
        return;
    }
    if (!isUpdateCheckDue(Defaults::Keys::lastUpdateCheck.read(),
                          QDateTime::currentDateTimeUtc())) {
        uiState->setIsUpdateAvailable(false);
        return;
    }
    // The state may be gone by the time the answer arrives.
    checkUpdate([state = QPointer<UIState>(uiState)](bool isUpdateAvailable) {
        if (state)
            state->setIsUpdateAvailable(isUpdateAvailable);
    });
}
