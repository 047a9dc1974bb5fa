#pragma once

#include <windows.h>

// Windows' own record of whether a window shows its focus frame and underlined letters, kept in step with the
// window's rules so that native controls (About's OK) draw what the skinned ones draw.
namespace UiState {

constexpr WORD Cues = UISF_HIDEFOCUS | UISF_HIDEACCEL;

// What the window answers to WM_QUERYUISTATE.
inline LRESULT query(bool shown) {
    return shown ? 0 : Cues;
}

// Tells the window and all its controls to show or hide the cues.
inline void apply(HWND window, bool shown) {
    SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, Cues), 0);
}

// The system asks to change the cues on its own (a control's default handling of a key): it may hide them, and
// show them only where the rules already do.
inline bool allows(WPARAM change, bool cuesShown) {
    return cuesShown || LOWORD(change) != UIS_CLEAR;
}

} // namespace UiState
