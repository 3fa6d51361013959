#include "Colors.h"

QPalette Colors::darkPalette() {
    const QColor window = grey(0.12);
    const QColor base = grey(0.16);
    const QColor button = grey(0.24);
    const QColor text = white;
    const QColor disabledText = grey(0.45);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, grey(0.14));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::PlaceholderText, grey(0.5));
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, white);
    p.setColor(QPalette::Light, grey(0.34));
    p.setColor(QPalette::Midlight, grey(0.28));
    p.setColor(QPalette::Mid, grey(0.2));
    p.setColor(QPalette::Dark, grey(0.08));
    p.setColor(QPalette::Shadow, grey(0.02));
    p.setColor(QPalette::Highlight, blue);
    p.setColor(QPalette::HighlightedText, white);
    p.setColor(QPalette::Link, blue);
    p.setColor(QPalette::ToolTipBase, grey(0.2));
    p.setColor(QPalette::ToolTipText, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    return p;
}
