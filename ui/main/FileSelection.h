#pragma once

#include <QString>
#include <optional>

class QDropEvent;
class QLineEdit;
class QMimeData;

// Filling a path box from files dropped onto it: the drop replaces the box's whole text and touches nothing else.
namespace FileSelection {

// The full path of the first local file that the dropped data names, if it names any.
std::optional<QString> firstDroppedFile(const QMimeData* data);

// Puts the first dropped file into the box; a drop without files (text, a web link) changes nothing.
void dropInto(QLineEdit* box, QDropEvent* event);

} // namespace FileSelection
