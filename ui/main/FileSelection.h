#pragma once

#include <string>
#include <vector>

class QDropEvent;
class QMimeData;

// Qt's drops in the window's terms: what is dropped on a path box, and the answer to the source.
namespace FileSelection {

// The full paths of the local files that the dropped data names, in its order; nothing else it carries.
std::vector<std::u16string> droppedFiles(const QMimeData* data);

// Tells the source whether the window took the drop.
void answer(QDropEvent* event, bool taken);

} // namespace FileSelection
