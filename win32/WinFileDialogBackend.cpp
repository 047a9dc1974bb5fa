#include "win32/WinFileDialogBackend.h"

#include "app/WideText.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// One string member as a NUL-ended wide buffer of at least minimumLength characters, plus one spare
// NUL so that a name filling the whole buffer is still ended for the system; absent stays null.
class WideBuffer {
public:
    explicit WideBuffer(const std::optional<std::u16string>& text, std::uint32_t minimumLength = 0)
        : m_set(text.has_value()) {
        if (!m_set)
            return;
        const std::size_t length = text->size();
        m_chars.assign(std::max<std::size_t>(length, minimumLength) + 1, L'\0');
        std::copy(text->begin(), text->end(), m_chars.begin());
    }

    wchar_t* data() { return m_set ? m_chars.data() : nullptr; }

    // The buffer as the system left it, at the record's length; absent when it was null.
    std::optional<std::u16string> read(std::uint32_t length) const {
        if (!m_set)
            return std::nullopt;
        const std::size_t size = std::min<std::size_t>(length, m_chars.size() - 1);
        return std::u16string(m_chars.begin(), m_chars.begin() + static_cast<std::ptrdiff_t>(size));
    }

private:
    bool m_set;
    std::vector<wchar_t> m_chars;
};

constexpr const char* NameTooLong =
    "Chuni hui file ka rasta 259 huroof se lamba hai. Rasta khane main likhen, ya file ko khane per chhoren";

DWORD structSize(std::uint32_t recordSize) {
    // The 76-byte record is the layout without the reserved tail; on 64-bit Windows that layout is
    // larger, so ask the system's own constant for it.
#ifdef OPENFILENAME_SIZE_VERSION_400W
    if (recordSize == 76)
        return OPENFILENAME_SIZE_VERSION_400W;
#endif
    (void)recordSize;
    return sizeof(OPENFILENAMEW);
}

} // namespace

std::int32_t WinFileDialogBackend::run(DialogKind kind, OpenFileNameRecord& record) {
    WideBuffer filter(record.lpstrFilter);
    WideBuffer customFilter(record.lpstrCustomFilter, record.nMaxCustFilter);
    WideBuffer file(record.lpstrFile, record.nMaxFile);
    WideBuffer fileTitle(record.lpstrFileTitle, record.nMaxFileTitle);
    WideBuffer initialDir(record.lpstrInitialDir);
    WideBuffer title(record.lpstrTitle);
    WideBuffer defExt(record.lpstrDefExt);
    WideBuffer templateName(record.lpTemplateName);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = structSize(record.lStructSize);
    ofn.hwndOwner = reinterpret_cast<HWND>(record.hwndOwner);
    ofn.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
    ofn.lpstrFilter = filter.data();
    ofn.lpstrCustomFilter = customFilter.data();
    ofn.nMaxCustFilter = record.nMaxCustFilter;
    ofn.nFilterIndex = static_cast<DWORD>(record.nFilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = record.nMaxFile;
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = record.nMaxFileTitle;
    ofn.lpstrInitialDir = initialDir.data();
    ofn.lpstrTitle = title.data();
    ofn.Flags = record.Flags;
    ofn.lpstrDefExt = defExt.data();
    ofn.lCustData = static_cast<LPARAM>(record.lCustData);
    ofn.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(record.lpfnHook);
    ofn.lpTemplateName = templateName.data();

    const BOOL chosen = kind == DialogKind::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    // The record's name buffer holds 259 characters. A longer name picked there must not end like a cancel,
    // with the box silently left as it was: the user is told, and can type the name or drop the file instead,
    // which take names of any length.
    if (!chosen && CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        throw DialogFailure{FNERR_BUFFERTOOSMALL, NameTooLong};

    record.nFilterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    record.Flags = ofn.Flags;
    record.nFileOffset = ofn.nFileOffset;
    record.nFileExtension = ofn.nFileExtension;
    record.lpstrCustomFilter = customFilter.read(record.nMaxCustFilter);
    record.lpstrFile = file.read(record.nMaxFile);
    record.lpstrFileTitle = fileTitle.read(record.nMaxFileTitle);
    return chosen ? 1 : 0;
}

void WinFileDialogBackend::showError(std::uintptr_t owner, const std::string& title, const std::string& text) {
    const std::u16string wideTitle = WideText::fromUtf8(title);
    const std::u16string wideText = WideText::fromUtf8(text);
    MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(wideText.c_str()),
                reinterpret_cast<const wchar_t*>(wideTitle.c_str()), MB_OK);
}
