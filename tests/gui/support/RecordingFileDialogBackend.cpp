#include "gui/support/RecordingFileDialogBackend.h"

namespace {

QString padded(const QString& text, std::uint32_t size) {
    QString buffer = text + QChar(u'\0');
    if (static_cast<std::uint32_t>(buffer.size()) < size)
        buffer += QString(static_cast<qsizetype>(size) - buffer.size(), QChar(u'\0'));
    return buffer;
}

} // namespace

std::int32_t RecordingFileDialogBackend::run(DialogKind kind, OpenFileNameRecord& record) {
    calls.append({kind, record});
    return reply ? reply(kind, record) : 0;
}

void RecordingFileDialogBackend::chooseFile(const QString& path, const QString& title) {
    reply = [path, title](DialogKind, OpenFileNameRecord& record) {
        record.lpstrFile = padded(path, record.nMaxFile);
        if (record.lpstrFileTitle)
            record.lpstrFileTitle = padded(title, record.nMaxFileTitle);
        return 1;
    };
}

void RecordingFileDialogBackend::cancel() {
    reply = [](DialogKind, OpenFileNameRecord&) { return 0; };
}

RecordingDialogs::RecordingDialogs() : m_backend(std::make_shared<RecordingFileDialogBackend>()) {}

CFileDialog::BackendFactory RecordingDialogs::factory() const {
    std::weak_ptr<RecordingFileDialogBackend> backend = m_backend;
    return [backend]() -> std::shared_ptr<FileDialogBackend> { return backend.lock(); };
}
