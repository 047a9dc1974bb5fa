#pragma once

#include "app/Colours.h"

#include <QColor>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QString>

// The design's colours in Qt's terms, and the shared artwork.
namespace Skin {

// A colour as the layout gives it. Linux has no system colours of that kind, so those take the fixed values that
// Colours chose for them: the same on every desktop, as the design was drawn.
inline QColor colour(Colours::Colour value) {
    const Colours::Colour fixed = Colours::fixed(value);
    return QColor(Colours::red(fixed), Colours::green(fixed), Colours::blue(fixed));
}

// A picture from the compiled-in resources, e.g. "start.gif"; on a dense screen its "@2x" drawing, which
// keeps the same logical size.
QPixmap picture(const QString& name);
const QCursor& handCursor(); // the pointing hand shared by every clickable picture and label
QString iconPath();

// A picture drawn for another ratio than the painter's (the 2x art on a 1.5x screen) is filtered when it is
// rescaled; at its own ratio it is copied pixel for pixel.
void smoothWhenRescaled(QPainter& painter, const QPixmap& picture);

} // namespace Skin
