#include "ui/main/FileSelection.h"

#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace FileSelection {

std::optional<QString> firstDroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return QDir::toNativeSeparators(url.toLocalFile());
    }
    return std::nullopt;
}

void dropInto(QLineEdit* box, QDropEvent* event) {
    const std::optional<QString> file = firstDroppedFile(event->mimeData());
    if (!file) {
        // Refused, so that a source offering to move its text does not delete it.
        event->ignore();
        return;
    }
    box->setText(*file);
    // Only the name is taken, never the file: answer with a copy where the source allows one, so that a
    // file manager asked to move does not remove the user's file.
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else
        event->setDropAction(event->proposedAction());
    event->accept();
}

} // namespace FileSelection
