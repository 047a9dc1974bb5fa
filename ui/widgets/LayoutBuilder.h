#pragma once

#include "app/Layout.h"

#include <QWidget>
#include <algorithm>
#include <optional>
#include <vector>

// Makes a window's widgets from its layout table: each control of its kind, named, placed, with its picture,
// text, tool tip and look (colours, border, cursor, alignment, enabled), and described for screen readers. Only
// the controls with a Tab place take the focus, and none by a click of its own; where Tab goes is the window's.
namespace LayoutBuilder {

// The widgets in the table's rows; every parent must come before its children.
std::vector<QWidget*> build(QWidget* window, const std::vector<Layout::Control>& table);

// A window's widgets by their controls.
template <typename Id> class Widgets {
public:
    Widgets() = default;
    explicit Widgets(QWidget* window) : m_rows(build(window, Layout::table<Id>())) {}

    QWidget* operator[](Id control) const { return m_rows[Layout::rowOf(control)]; }
    // The control a widget stands for; none for the window or anything else.
    std::optional<Id> controlOf(const QObject* widget) const {
        const auto at = std::find(m_rows.begin(), m_rows.end(), widget);
        return at == m_rows.end() ? std::nullopt : Layout::controlAt<Id>(std::size_t(at - m_rows.begin()));
    }
    const std::vector<QWidget*>& all() const { return m_rows; }

private:
    std::vector<QWidget*> m_rows;
};

} // namespace LayoutBuilder
