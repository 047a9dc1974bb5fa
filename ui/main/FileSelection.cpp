#include "ui/main/FileSelection.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace FileSelection {

std::vector<std::u16string> droppedFiles(const QMimeData* data) {
    std::vector<std::u16string> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.push_back(QDir::toNativeSeparators(url.toLocalFile()).toStdU16String());
    }
    return files;
}

void answer(QDropEvent* event, bool taken) {
    if (!taken) {
        // Refused, so that a source offering to move its text does not delete it.
        event->ignore();
        return;
    }
    // Only the name is taken, never the file: answer with a copy where the source allows one, so that a
    // file manager asked to move does not remove the user's file.
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else
        event->setDropAction(event->proposedAction());
    event->accept();
}

} // namespace FileSelection
