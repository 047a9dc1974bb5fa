#pragma once

#include "app/Layout.h"

#include <QWidget>

// A window's widget for one of its controls, found as outside tools find it: by the design name in its table.
template <typename Widget = QWidget, typename Id> Widget* widgetOf(const QWidget& window, Id control) {
    return window.findChild<Widget*>(QString::fromUtf8(Layout::of(control).name));
}
