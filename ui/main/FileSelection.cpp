#include "ui/main/FileSelection.h"

#include "app/CFileDialog.h"
#include "ui/filedialog/QtFileDialogBackend.h"

#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <cstdint>

namespace FileSelection {

void browseInto(QLineEdit* box, QWidget* owner, const CFileDialog::BackendFactory& dialogs) {
    // A new dialog per click, so nothing of an earlier choice (folder, name) is carried into this one.
    CFileDialog dialog((dialogs ? dialogs : QtFileDialogBackend::platformDialogs())());
    dialog.setDialogTitle(u"Open");
    dialog.setFilter(u"All Files (*.*)|*.*");
    dialog.setFilterIndex(0);
    dialog.setFlags(static_cast<std::int32_t>(OpenFileNameFlags::BrowseForFile));
    dialog.setHWndParent(static_cast<std::uintptr_t>(owner->winId()));
    if (dialog.Show(true))
        box->setText(QString::fromStdU16String(dialog.FileName()));
}

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
