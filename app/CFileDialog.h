#pragma once

#include "app/FileDialogBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// A small object around the platform's Open and Save dialogs: set the properties, call Show(), and
// read FileName/FileTitle when it returned true. Each instance carries its own settings. Its text is the
// program's UTF-16 (see app/WideText.h); a face converts at its edge.
class CFileDialog {
public:
    // Makes the backend for each new dialog; how the main window lets a caller choose its dialogs.
    using BackendFactory = std::function<std::shared_ptr<FileDialogBackend>()>;

    // Each face hands in its platform's dialog; without one Show() reports the dialog as cancelled.
    explicit CFileDialog(std::shared_ptr<FileDialogBackend> backend = nullptr);

    std::u16string DefaultExt() const;
    void setDefaultExt(const std::u16string& value);
    std::u16string DialogTitle() const;
    void setDialogTitle(const std::u16string& value);
    std::u16string FileName() const;
    void setFileName(const std::u16string& value);
    std::u16string FileTitle() const;
    void setFileTitle(const std::u16string& value);
    std::u16string Filter() const;
    void setFilter(const std::u16string& value);
    std::int16_t FilterIndex() const;
    void setFilterIndex(std::int16_t value);
    std::int32_t Flags() const;
    void setFlags(std::int32_t value);
    std::uintptr_t hWndParent() const;
    void setHWndParent(std::uintptr_t value);
    std::u16string InitialDir() const;
    void setInitialDir(const std::u16string& value);
    std::int16_t MaxFileSize() const;
    void setMaxFileSize(std::int16_t value);

    // true runs the Open dialog, false the Save dialog. Returns true when the user chose a file.
    // Never throws: its own errors are shown in a message box and end in false.
    bool Show(bool open);

private:
    OpenFileNameRecord buildRecord() const;
    static std::u16string filterBlock(const std::u16string& filter);
    static std::u16string nameBuffer(const std::u16string& name);
    std::optional<std::u16string> TrimNulls(const std::u16string& text) const;
    void showError(const char* routine, int number, const char* description) const;

    std::shared_ptr<FileDialogBackend> m_backend;

    std::optional<std::u16string> m_defaultExt;
    std::optional<std::u16string> m_dialogTitle;
    std::optional<std::u16string> m_fileName;
    std::optional<std::u16string> m_fileTitle;
    std::optional<std::u16string> m_initialDir;
    std::optional<std::u16string> m_filter;
    std::int16_t m_filterIndex = 0;
    std::int32_t m_flags = 0;
    std::int16_t m_maxFileSize = 0;
    std::uintptr_t m_hWndParent = 0;
};
