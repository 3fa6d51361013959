#pragma once

#include <QColor>
#include <QPalette>

// The named colours of the interface, defined once, dark scheme throughout.
namespace Colors {
inline const QColor orange{255, 159, 10};
inline const QColor green{48, 209, 88};
inline const QColor white{255, 255, 255};
inline const QColor gray{142, 142, 147};
inline const QColor yellow{255, 214, 10};
inline const QColor blue{10, 132, 255};

// Greys given as a single sRGB component with full opacity.
inline QColor grey(double component) {
    return QColor::fromRgbF(component, component, component);
}

// The dark palette of every window and view, whatever the desktop's theme: light text on grey 0.12.
QPalette darkPalette();
} // namespace Colors
