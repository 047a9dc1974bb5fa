#pragma once

#include "ui/filedialog/CFileDialog.h"

#include <QList>
#include <functional>
#include <memory>

// A scripted stand-in for the platform dialog: it keeps a copy of every record it is handed and answers
// as it was told, so tests see exactly what CFileDialog passes and what it makes of the reply.
class RecordingFileDialogBackend : public FileDialogBackend {
public:
    struct Call {
        DialogKind kind;
        OpenFileNameRecord record; // as it arrived, before the reply was written
    };

    std::int32_t run(DialogKind kind, OpenFileNameRecord& record) override;

    // The user picks path (whose bare name is title): both are written NUL-ended and padded to the
    // buffer sizes of the record, as the platform does.
    void chooseFile(const QString& path, const QString& title);
    // The user cancels.
    void cancel();
    // Full control over the reply, for buffers the platform would never write.
    std::function<std::int32_t(DialogKind, OpenFileNameRecord&)> reply;

    QList<Call> calls;
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
