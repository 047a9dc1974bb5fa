#pragma once

#include <QColor>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>

// The window design is laid out in twips (15 to a pixel at 96 dots per inch); these helpers turn it into
// pixels and hand out the shared artwork.
namespace Skin {

constexpr int TwipsPerPixel = 15;

// To the nearest pixel: one design length (550) is not a whole number of pixels and rounds up.
constexpr int px(int twips) {
    return (twips >= 0 ? twips + TwipsPerPixel / 2 : twips - TwipsPerPixel / 2) / TwipsPerPixel;
}

inline QRect twips(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// Colours of the design, given as the platform's &HBBGGRR values.
inline QColor bgr(unsigned value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline const QColor Silver = bgr(0xC0C0C0);
inline const QColor LightGrey = bgr(0xE0E0E0);
inline const QColor MidGrey = bgr(0x808080);

// A picture from the compiled-in resources, e.g. "start.gif"; on a dense screen its "@2x" drawing, which
// keeps the same logical size.
QPixmap picture(const QString& name);
const QCursor& handCursor(); // the pointing hand shared by every clickable picture and label
QString iconPath();

// A picture drawn for another ratio than the painter's (the 2x art on a 1.5x screen) is filtered when it is
// rescaled; at its own ratio it is copied pixel for pixel.
void smoothWhenRescaled(QPainter& painter, const QPixmap& picture);

} // namespace Skin
