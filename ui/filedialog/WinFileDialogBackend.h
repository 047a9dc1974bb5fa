#pragma once

#ifdef _WIN32

#include "ui/filedialog/FileDialogBackend.h"

// The record played through the common dialogs of comdlg32, in their wide-character form so that
// names outside the ANSI code page survive the round trip.
class WinFileDialogBackend : public FileDialogBackend {
public:
    std::int32_t run(DialogKind kind, OpenFileNameRecord& record) override;
};

#endif
