#pragma once

#include "app/CFileDialog.h"

#include <QString>
#include <optional>

class QDropEvent;
class QLineEdit;
class QMimeData;
class QWidget;

// Filling a path box from the Open dialog or from files dropped onto it. Each way replaces the box's whole
// text and touches nothing else; the start action reads the box when it runs.
namespace FileSelection {

// Asks for one existing file with a fresh dialog owned by owner, behind a backend from `dialogs` (the
// platform's when empty); a cancelled or failed dialog leaves the box.
void browseInto(QLineEdit* box, QWidget* owner, const CFileDialog::BackendFactory& dialogs = {});

// The full path of the first local file that the dropped data names, if it names any.
std::optional<QString> firstDroppedFile(const QMimeData* data);

// Puts the first dropped file into the box; a drop without files (text, a web link) changes nothing.
void dropInto(QLineEdit* box, QDropEvent* event);

} // namespace FileSelection
