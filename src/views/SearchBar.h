#pragma once

#include <QWidget>

#include <functional>

class HorizontalLine;
class QLineEdit;
class SettingsButton;
class TintedImage;

// The top bar of the search screen: the search icon, the search field and the settings
// button, over a line along its bottom edge.
class SearchBar : public QWidget {
    Q_OBJECT
public:
    SearchBar(const QString &text, std::function<void()> openPreferencesWindow,
              QWidget *parent = nullptr);

    QLineEdit *searchField() const { return m_field; }
    SettingsButton *settingsButton() const { return m_settingsButton; }

signals:
    // Return was pressed in the search field.
    void submitted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    HorizontalLine *m_line;
    TintedImage *m_icon;
    QLineEdit *m_field;
    SettingsButton *m_settingsButton;
};
