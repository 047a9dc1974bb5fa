#pragma once

#include <QColor>
#include <QCursor>
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

QPixmap picture(const QString& name); // a picture from the compiled-in resources, e.g. "start.gif"
const QCursor& handCursor();          // the pointing hand shared by every clickable picture and label
QString iconPath();

} // namespace Skin
