#pragma once

#include "app/CFileDialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A scripted stand-in for the platform dialog: it keeps a copy of every record it is handed and answers
// as it was told, so tests see exactly what CFileDialog passes and what it makes of the reply. Error boxes
// are recorded, or handed to `onError` where a face shows them.
class RecordingFileDialogBackend : public FileDialogBackend {
public:
    struct Call {
        DialogKind kind;
        OpenFileNameRecord record; // as it arrived, before the reply was written
    };
    struct Error {
        std::uintptr_t owner;
        std::string title;
        std::string text;
    };

    std::int32_t run(DialogKind kind, OpenFileNameRecord& record) override;
    void showError(std::uintptr_t owner, const std::string& title, const std::string& text) override;

    // The user picks path (whose bare name is title): both are written NUL-ended and padded to the
    // buffer sizes of the record, as the platform does.
    void chooseFile(const std::u16string& path, const std::u16string& title);
    // The user cancels.
    void cancel();
    // Full control over the reply, for buffers the platform would never write.
    std::function<std::int32_t(DialogKind, OpenFileNameRecord&)> reply;
    std::function<void(const Error&)> onError;

    std::vector<Call> calls;
    std::vector<Error> errors;
};

// One recording backend behind every CFileDialog made through factory(), such as those the main window
// makes on a browse click when it was given the factory.
class RecordingDialogs {
public:
    RecordingDialogs();

    CFileDialog::BackendFactory factory() const;

    RecordingFileDialogBackend& operator*() const { return *m_backend; }
    RecordingFileDialogBackend* operator->() const { return m_backend.get(); }
    std::shared_ptr<RecordingFileDialogBackend> get() const { return m_backend; }

private:
    std::shared_ptr<RecordingFileDialogBackend> m_backend;
};
