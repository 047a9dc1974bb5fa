#include "ui/filedialog/QtFileDialogBackend.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>

namespace {

// The text up to the first NUL: what the platform would read from a NUL-ended buffer.
QString untilNul(const std::optional<std::u16string>& text) {
    if (!text)
        return {};
    return QString::fromStdU16String(text->substr(0, text->find(u'\0')));
}

QString qtPatterns(const QString& windowsPatterns) {
    QStringList patterns;
    for (QString pattern : windowsPatterns.split(QLatin1Char(';'))) {
        pattern = pattern.trimmed();
        if (pattern.isEmpty())
            continue;
        patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return patterns.join(QLatin1Char(' '));
}

// The result buffer keeps its NUL end and is padded to the size the caller gave, like the platform's
// own buffer; a longer result is kept whole rather than cut to a broken path.
std::u16string filledBuffer(const QString& text, std::uint32_t size) {
    std::u16string buffer = text.toStdU16String() + u'\0';
    if (buffer.size() < size)
        buffer.append(size - buffer.size(), u'\0');
    return buffer;
}

} // namespace

QStringList QtFileDialogBackend::nameFilters(const QString& filterBlock) {
    const QStringList parts = filterBlock.split(QChar(u'\0'));
    QStringList filters;
    // Pairs of description and patterns; an empty string ends the list, as the double NUL does.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString patterns = qtPatterns(parts.at(i + 1));
        if (description.isEmpty() || patterns.isEmpty())
            break;
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

QString QtFileDialogBackend::resultPath(const QStringList& selectedFiles) {
    if (selectedFiles.size() == 1)
        return QDir::toNativeSeparators(selectedFiles.first());
    QString result = QDir::toNativeSeparators(QFileInfo(selectedFiles.first()).absolutePath());
    for (const QString& file : selectedFiles)
        result += QChar(u'\0') + QFileInfo(file).fileName();
    return result + QChar(u'\0');
}

std::int32_t QtFileDialogBackend::run(DialogKind kind, OpenFileNameRecord& record) {
    QFileDialog dialog(QWidget::find(static_cast<WId>(record.hwndOwner)));
    configure(dialog, kind, record);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    writeBack(record, dialog.selectedFiles());
    return 1;
}

void QtFileDialogBackend::configure(QFileDialog& dialog, DialogKind kind, const OpenFileNameRecord& record) {
    using namespace OpenFileNameFlags;
    // An empty title leaves Qt's own "Open"/"Save As", as the platform does.
    if (const QString title = untilNul(record.lpstrTitle); !title.isEmpty())
        dialog.setWindowTitle(title);
    if (kind == DialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (record.Flags & AllowMultiSelect)
            dialog.setFileMode(QFileDialog::ExistingFiles);
        else
            dialog.setFileMode(record.Flags & FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(record.Flags & OverwritePrompt));
    }
    applyFilters(dialog, record);
    if (const QString dir = untilNul(record.lpstrInitialDir); !dir.isEmpty())
        dialog.setDirectory(dir);
    if (const QString file = untilNul(record.lpstrFile); !file.isEmpty())
        dialog.selectFile(file);
    if (const QString extension = untilNul(record.lpstrDefExt); !extension.isEmpty())
        dialog.setDefaultSuffix(extension);
}

void QtFileDialogBackend::applyFilters(QFileDialog& dialog, const OpenFileNameRecord& record) {
    const QStringList filters = nameFilters(QString::fromStdU16String(record.lpstrFilter.value_or(std::u16string())));
    if (filters.isEmpty())
        return;
    // Users see the descriptions alone, as the caller wrote them; the patterns stay behind the scenes.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (record.nFilterIndex >= 1 && record.nFilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(record.nFilterIndex - 1));
}

void QtFileDialogBackend::writeBack(OpenFileNameRecord& record, const QStringList& selectedFiles) {
    record.lpstrFile = filledBuffer(resultPath(selectedFiles), record.nMaxFile);
    if (record.lpstrFileTitle)
        record.lpstrFileTitle = filledBuffer(QFileInfo(selectedFiles.first()).fileName(), record.nMaxFileTitle);
}

void QtFileDialogBackend::showError(std::uintptr_t owner, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    QWidget::find(static_cast<WId>(owner)));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

CFileDialog::BackendFactory QtFileDialogBackend::platformDialogs() {
    return []() -> std::shared_ptr<FileDialogBackend> { return std::make_shared<QtFileDialogBackend>(); };
}
