#include "app/support/RecordingFileDialogBackend.h"

namespace {

std::u16string padded(const std::u16string& text, std::uint32_t size) {
    std::u16string buffer = text + u'\0';
    if (buffer.size() < size)
        buffer.append(size - buffer.size(), u'\0');
    return buffer;
}

} // namespace

std::int32_t RecordingFileDialogBackend::run(DialogKind kind, OpenFileNameRecord& record) {
    calls.push_back({kind, record});
    return reply ? reply(kind, record) : 0;
}

void RecordingFileDialogBackend::showError(std::uintptr_t owner, const std::string& title, const std::string& text) {
    errors.push_back({owner, title, text});
    if (onError)
        onError(errors.back());
}

void RecordingFileDialogBackend::chooseFile(const std::u16string& path, const std::u16string& title) {
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
