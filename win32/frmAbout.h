#pragma once

#include <windows.h>

// The About window: the program's picture, the maker's address and OK, modal over the main window.
namespace frmAbout {

void registerClass(HINSTANCE instance);

// Shows the window centred over `owner`, which takes no input until OK closes it.
void showModal(HWND owner, UINT dpi);

// The open About window, or none; for tests, which close it by a message.
HWND current();

} // namespace frmAbout
