#pragma once

#include "app/WideText.h"

#include <string>
#include <string_view>

// The rules' UTF-16 and Windows' wide text are the same units under two types; the fixed UTF-8 texts are
// converted once at this edge.
namespace Text {

inline std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::wstring wide(std::string_view utf8) {
    return wide(WideText::fromUtf8(utf8));
}

inline std::u16string rules(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

} // namespace Text
