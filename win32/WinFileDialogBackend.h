#pragma once

#include "app/FileDialogBackend.h"

// The record played through the common dialogs of comdlg32, in their wide-character form so that
// names outside the ANSI code page survive the round trip.
class WinFileDialogBackend : public FileDialogBackend {
public:
    std::int32_t run(DialogKind kind, OpenFileNameRecord& record) override;
    void showError(std::uintptr_t owner, const std::string& title, const std::string& text) override;
};
