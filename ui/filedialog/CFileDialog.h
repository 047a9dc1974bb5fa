#pragma once

#include "ui/filedialog/FileDialogBackend.h"

#include <QString>
#include <QtGui/qwindowdefs.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A small object around the platform's Open and Save dialogs: set the properties, call Show(), and
// read FileName/FileTitle when it returned true. Each instance carries its own settings.
class CFileDialog {
public:
    // Makes the backend for each new dialog; how the main window lets a caller choose its dialogs.
    using BackendFactory = std::function<std::shared_ptr<FileDialogBackend>()>;

    // Without a backend, the platform's dialog.
    explicit CFileDialog(std::shared_ptr<FileDialogBackend> backend = nullptr);

    QString DefaultExt() const;
    void setDefaultExt(const QString& value);
    QString DialogTitle() const;
    void setDialogTitle(const QString& value);
    QString FileName() const;
    void setFileName(const QString& value);
    QString FileTitle() const;
    void setFileTitle(const QString& value);
    QString Filter() const;
    void setFilter(const QString& value);
    std::int16_t FilterIndex() const;
    void setFilterIndex(std::int16_t value);
    std::int32_t Flags() const;
    void setFlags(std::int32_t value);
    WId hWndParent() const;
    void setHWndParent(WId value);
    QString InitialDir() const;
    void setInitialDir(const QString& value);
    std::int16_t MaxFileSize() const;
    void setMaxFileSize(std::int16_t value);

    // true runs the Open dialog, false the Save dialog. Returns true when the user chose a file.
    // Never throws: its own errors are shown in a message box and end in false.
    bool Show(bool open);

private:
    OpenFileNameRecord buildRecord() const;
    static QString filterBlock(const QString& filter);
    static QString nameBuffer(const QString& name);
    std::optional<QString> TrimNulls(const QString& text) const;
    void showError(const QString& routine, int number, const QString& description) const;

    std::shared_ptr<FileDialogBackend> m_backend;

    std::optional<QString> m_defaultExt;
    std::optional<QString> m_dialogTitle;
    std::optional<QString> m_fileName;
    std::optional<QString> m_fileTitle;
    std::optional<QString> m_initialDir;
    std::optional<QString> m_filter;
    std::int16_t m_filterIndex = 0;
    std::int32_t m_flags = 0;
    std::int16_t m_maxFileSize = 0;
    WId m_hWndParent = 0;
};
