#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class UIState;
class SearchResults;

// The main window's content: the loading, sign-in or search screen, chosen afresh on every
// change of what it observes.
class ContentView : public QWidget {
    Q_OBJECT
public:
    ContentView(UIState *uiState, SearchResults *searchResultsModel,
                std::function<void()> openPreferencesWindow,
                const QString &searchInput = QStringLiteral("Piano"), bool isLoading = true,
                QWidget *parent = nullptr);

private:
    UIState *m_uiState;
    SearchResults *m_searchResultsModel;
    std::function<void()> m_openPreferencesWindow;
    QString m_searchInput;
    bool m_isLoading;
};
