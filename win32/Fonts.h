#pragma once

#include <windows.h>

#include <string>

// The fonts of both windows, each made once per screen density and kept for the program's life.
namespace Fonts {

// The window's own font: the system's message font at the largest size, up to its own, at which the progress
// text and the size unit still fit their places. Windows 10 and 11 give a face a tenth wider and larger than
// the design was made for; taken unsized it would run into the bar.
HFONT window(UINT dpi);
// That size, in pixels at 96 dots per inch.
int windowPixels();
// The About window's link.
HFONT link(UINT dpi);

// The right-most column that the text's ink reaches when drawn from column 0 in this face at this height in
// pixels; -1 when it leaves no ink.
int inkRight(const LOGFONTW& face, const std::wstring& text, int pixels);

} // namespace Fonts
