#include "win32/Art.h"

#include <cwctype>

namespace Art {

std::wstring resourceName(std::string_view pictureFile, UINT dpi) {
    const std::string_view stem = pictureFile.substr(0, pictureFile.rfind('.'));
    std::wstring name;
    for (char c : stem)
        name += static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(c)));
    if (dpi >= DenseDpi)
        name += L"_2X";
    return name;
}

Gdi::Bitmap picture(HINSTANCE instance, std::string_view pictureFile, UINT dpi) {
    // Not a DIB section: the pictures are stored run-length coded, which only a device bitmap takes.
    const std::wstring name = resourceName(pictureFile, dpi);
    return Gdi::Bitmap(static_cast<HBITMAP>(LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, 0)));
}

HCURSOR handCursor(HINSTANCE instance, UINT dpi) {
    const std::wstring name = resourceName("hand.cur", dpi);
    return static_cast<HCURSOR>(LoadImageW(instance, name.c_str(), IMAGE_CURSOR, 0, 0, LR_SHARED));
}

} // namespace Art
