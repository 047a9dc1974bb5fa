#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The Open/Save dialog record in its 76-byte form, held as the program's UTF-16 text. An absent optional is a
// null string pointer; an empty string is a pointer to an empty string: the platform treats them differently.
struct OpenFileNameRecord {
    std::uint32_t lStructSize = 0;
    std::uintptr_t hwndOwner = 0;
    std::uintptr_t hInstance = 0;
    std::optional<std::u16string> lpstrFilter;
    std::optional<std::u16string> lpstrCustomFilter;
    std::uint32_t nMaxCustFilter = 0;
    std::int32_t nFilterIndex = 0;
    std::optional<std::u16string> lpstrFile;
    std::uint32_t nMaxFile = 0;
    std::optional<std::u16string> lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    std::optional<std::u16string> lpstrInitialDir;
    std::optional<std::u16string> lpstrTitle;
    std::uint32_t Flags = 0;
    std::uint16_t nFileOffset = 0;
    std::uint16_t nFileExtension = 0;
    std::optional<std::u16string> lpstrDefExt;
    std::intptr_t lCustData = 0;
    std::uintptr_t lpfnHook = 0;
    std::optional<std::u16string> lpTemplateName;
};

// The dialog flags this program sets or reads, with the platform's values; the one place they are spelt out.
// The non-Windows backend acts on OverwritePrompt, AllowMultiSelect and FileMustExist and ignores the rest.
namespace OpenFileNameFlags {
constexpr std::uint32_t OverwritePrompt = 0x2;
constexpr std::uint32_t HideReadOnly = 0x4;
constexpr std::uint32_t AllowMultiSelect = 0x200;
constexpr std::uint32_t FileMustExist = 0x1000;
constexpr std::uint32_t CreatePrompt = 0x2000;
constexpr std::uint32_t Explorer = 0x80000; // set by the platform in its reply

// The browse labels' dialog: the file must exist, a missing name offers to create it, no read-only box.
constexpr std::uint32_t BrowseForFile = FileMustExist | CreatePrompt | HideReadOnly;
} // namespace OpenFileNameFlags

enum class DialogKind { Open, Save };

// Thrown by a backend whose dialog failed in a way the user must hear of (a name picked that does not fit the
// record's buffer); CFileDialog shows it in its own error box, and Show() returns false.
struct DialogFailure {
    int number;
    std::string description;
};

// The one platform call behind CFileDialog. Like the system call it stands for, run() returns nonzero
// when the user chose a file, having written the full path into lpstrFile and the bare name into
// lpstrFileTitle (each ended by NUL), and 0 on cancel or failure.
//
// showError() shows CFileDialog's own error box (no icon, one OK button) modally over the window `owner`,
// whose handle is the record's hwndOwner; title and text are UTF-8.
class FileDialogBackend {
public:
    virtual ~FileDialogBackend() = default;
    virtual std::int32_t run(DialogKind kind, OpenFileNameRecord& record) = 0;
    virtual void showError(std::uintptr_t owner, const std::string& title, const std::string& text) = 0;
};
