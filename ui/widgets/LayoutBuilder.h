#pragma once

#include "app/Layout.h"

#include <QHash>
#include <QString>
#include <vector>

class QWidget;

// Makes a window's widgets from its layout table: each control of its kind, named, placed, with its picture,
// text, tool tip and look (colours, border, cursor, alignment, enabled), described for screen readers, and
// chained in the table's Tab order. No control takes the focus by a click of its own.
namespace LayoutBuilder {

// `window` stands for the table's window name; every other parent must come before its children.
QHash<QString, QWidget*> build(QWidget* window, const std::vector<Layout::Control>& table);

} // namespace LayoutBuilder
