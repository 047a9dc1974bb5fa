#pragma once

#include "win32/Gdi.h"

#include <windows.h>

#include <string>
#include <string_view>

// The pictures and the hand cursor compiled into the program, each at the density of the screen it goes to.
namespace Art {

// From this density on, the twice-as-dense art is shown at the same logical size.
constexpr UINT DenseDpi = 192;

// The resource that holds a picture file of resources/ ("title.gif") at that density: "TITLE" or "TITLE_2X".
std::wstring resourceName(std::string_view pictureFile, UINT dpi);

// The picture, or none when the program holds no picture of that name.
Gdi::Bitmap picture(HINSTANCE instance, std::string_view pictureFile, UINT dpi);

// The pointing hand for clickable controls; shared, never destroyed.
HCURSOR handCursor(HINSTANCE instance, UINT dpi);

} // namespace Art
