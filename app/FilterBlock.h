#pragma once

#include <string>

// The two text conversions around the platform dialog, kept free of any dialog so that they can be driven
// with arbitrary text on their own. Length limits and error boxes stay with CFileDialog.
namespace FilterBlock {

// "Text|*.txt|All|*.*" becomes the platform's list of NUL-separated strings ended by a double NUL: every "|"
// by itself gives one NUL, so adjacent bars give empty strings rather than being merged.
inline std::u16string build(const std::u16string& filter) {
    std::u16string block = filter;
    for (char16_t& c : block) {
        if (c == u'|')
            c = u'\0';
    }
    block.append(2, u'\0');
    return block;
}

// What the dialog wrote into a fixed-size buffer: everything before the first NUL, or the whole text.
inline std::u16string trimNulls(const std::u16string& text) {
    return text.substr(0, text.find(u'\0'));
}

} // namespace FilterBlock
