#pragma once

#include "app/CFileDialog.h"

#include <QStringList>

class QFileDialog;

// The dialog record played through Qt's own file dialog, for platforms without the common dialogs. The record's
// UTF-16 text becomes QString here and nowhere else.
class QtFileDialogBackend : public FileDialogBackend {
public:
    std::int32_t run(DialogKind kind, OpenFileNameRecord& record) override;
    // A QMessageBox over the widget whose window id is `owner`.
    void showError(std::uintptr_t owner, const std::string& title, const std::string& text) override;

    // The record's filter block ("Text", NUL, "*.txt;*.doc", NUL, ..., NUL, NUL) as Qt name filters.
    // "*.*" becomes "*" because on Windows it also matches names without an extension.
    static QStringList nameFilters(const QString& filterBlock);

    // What the dialog writes back: one full path, or for several files the folder, NUL, each name, NUL, NUL.
    static QString resultPath(const QStringList& selectedFiles);

    // The dialogs a window uses when it was given none: Qt's.
    static CFileDialog::BackendFactory platformDialogs();

private:
    static void configure(QFileDialog& dialog, DialogKind kind, const OpenFileNameRecord& record);
    static void applyFilters(QFileDialog& dialog, const OpenFileNameRecord& record);
    static void writeBack(OpenFileNameRecord& record, const QStringList& selectedFiles);
};
