#include "engine/PieceNames.h"

#include "engine/RawFile.h"

#include <algorithm>
#include <array>

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

std::optional<std::int32_t> CounterNumber(const PathString& text) {
    constexpr std::size_t kLongest = 9; // beyond any count a join can reach, and still within 32 bits
    if (text.size() < 3 || text.size() > kLongest)
        return std::nullopt;
    std::int32_t number = 0;
    for (const PathChar c : text) {
        if (c < PathChar('0') || c > PathChar('9'))
            return std::nullopt;
        number = number * 10 + static_cast<std::int32_t>(c - PathChar('0'));
    }
    if (number == 0 || CounterText(number) != text)
        return std::nullopt;
    return number;
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

bool IsDeviceName(const PathString& path) {
#ifdef _WIN32
    const auto separator = LastSeparator(path);
    PathString base = path.substr(separator ? *separator + 1 : 0);
    base = base.substr(0, base.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (wchar_t& c : base)
        c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    static constexpr std::array<const wchar_t*, 6> kDevices = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end())
        return true;
    return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
           base[3] >= L'1' && base[3] <= L'9';
#else
    static_cast<void>(path);
    return false;
#endif
}

PathString PieceName(const PathString& source, std::int32_t number) {
    return source + PathChar('.') + CounterText(number);
}

PathString SeriesNames::Member(std::int32_t number) const {
    return PieceName(folder + stem, number);
}

PathString SeriesNames::Output() const {
    return folder + stem;
}

std::optional<SeriesNames> SeriesOf(const PathString& picked) {
    const auto sep = LastSeparator(picked);
    if (!sep)
        return std::nullopt;
    SeriesNames names;
    names.folder = picked.substr(0, *sep + 1);
    const PathString namePart = picked.substr(*sep + 1);
    const auto dot = namePart.rfind(PathChar('.'));
    names.stem = dot == PathString::npos ? namePart : namePart.substr(0, dot);
    return names;
}

bool IsPresent(const PathString& path) {
    return !path.empty() && LookUp(path).kind == Lookup::Kind::File;
}

bool IsNameTaken(const PathString& path) {
    return LookUp(path).kind != Lookup::Kind::Absent;
}

} // namespace modFHand
