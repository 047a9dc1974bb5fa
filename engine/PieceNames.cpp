#include "engine/PieceNames.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace modFHand {

namespace {

PathString Widen(const std::string& ascii) {
    return PathString(ascii.begin(), ascii.end());
}

} // namespace

PathString CounterText(std::int32_t number) {
    const std::int64_t wide = number;
    std::string digits = std::to_string(wide < 0 ? -wide : wide);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return Widen(wide < 0 ? "-" + digits : digits);
}

bool IsSeparator(PathString::value_type c) {
#ifdef _WIN32
    return c == L'\\' || c == L'/';
#else
    return c == '/';
#endif
}

std::optional<std::size_t> LastSeparator(const PathString& text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        if (IsSeparator(text[i - 1]))
            return i - 1;
    }
    return std::nullopt;
}

fs::path PieceName(const fs::path& source, std::int32_t number) {
    PathString name = source.native();
    name += PathString::value_type('.');
    name += CounterText(number);
    return fs::path(name);
}

fs::path SeriesNames::Member(std::int32_t number) const {
    PathString name = folder + stem;
    name += PathString::value_type('.');
    name += CounterText(number);
    return fs::path(name);
}

fs::path SeriesNames::Output() const {
    return fs::path(folder + stem);
}

std::optional<SeriesNames> SeriesOf(const fs::path& picked) {
    const PathString& text = picked.native();
    const auto sep = LastSeparator(text);
    if (!sep)
        return std::nullopt;
    SeriesNames names;
    names.folder = text.substr(0, *sep + 1);
    PathString namePart = text.substr(*sep + 1);
    const auto dot = namePart.rfind(PathString::value_type('.'));
    names.stem = dot == PathString::npos ? namePart : namePart.substr(0, dot);
    return names;
}

bool IsPresent(const fs::path& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    if (!fs::is_regular_file(fs::status(path, ec)) || ec)
        return false;
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        return false;
#endif
    return true;
}

bool IsNameTaken(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return false;
    return true;
}

} // namespace modFHand
