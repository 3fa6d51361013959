#include "ContentView.h"

ContentView::ContentView(UIState *uiState, SearchResults *searchResultsModel,
                         std::function<void()> openPreferencesWindow, const QString &searchInput,
                         bool isLoading, QWidget *parent)
    : QWidget(parent), m_uiState(uiState), m_searchResultsModel(searchResultsModel),
      m_openPreferencesWindow(std::move(openPreferencesWindow)), m_searchInput(searchInput),
      m_isLoading(isLoading) {}
