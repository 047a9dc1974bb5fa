#include "engine/LongPath.h"

#include <vector>

namespace modFHand {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool StartsWithDrive(std::wstring_view path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsUnc(std::wstring_view path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The end of "\\server\share" in a UNC path: past the second part after the leading separators.
std::size_t UncRootEnd(std::wstring_view path) {
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
        while (end < path.size() && IsSeparator(path[end]))
            ++end;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
    }
    return end;
}

// `root` followed by the parts of `rest`, with "." dropped and ".." taking back the part before it. A path that
// ended in a separator (a folder part) still does.
std::wstring Resolve(std::wstring root, std::wstring_view rest) {
    std::vector<std::wstring_view> parts;
    std::size_t begin = 0;
    while (begin <= rest.size()) {
        std::size_t end = begin;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        const std::wstring_view part = rest.substr(begin, end - begin);
        if (part == L"..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        begin = end + 1;
    }
    for (const std::wstring_view part : parts) {
        root += L'\\';
        root += part;
    }
    if (parts.empty() || (!rest.empty() && IsSeparator(rest.back())))
        root += L'\\';
    return root;
}

std::wstring UncForm(std::wstring_view path) {
    const std::size_t end = UncRootEnd(path);
    std::wstring root = L"\\\\?\\UNC\\";
    for (std::size_t i = 2; i < end; ++i) {
        if (!IsSeparator(path[i]))
            root += path[i];
        else if (!IsSeparator(path[i - 1]))
            root += L'\\';
    }
    return Resolve(root, path.substr(end));
}

} // namespace

std::wstring LongPathForm(std::wstring_view path, std::wstring_view currentFolder) {
    if (path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && (path[2] == L'?' || path[2] == L'.') &&
        path[3] == L'\\')
        return std::wstring(path);
    if (IsUnc(path))
        return UncForm(path);
    if (StartsWithDrive(path)) {
        const std::wstring root = L"\\\\?\\" + std::wstring(path.substr(0, 2));
        if (path.size() > 2 && IsSeparator(path[2]))
            return Resolve(root, path.substr(2));
        // "C:name" is relative to drive C's own current folder; only the process's current one is known, so
        // another drive's name goes under its root.
        if (StartsWithDrive(currentFolder) && (currentFolder[0] | 0x20) == (path[0] | 0x20))
            return LongPathForm(std::wstring(currentFolder) + L'\\' + std::wstring(path.substr(2)), {});
        return Resolve(root, path.substr(2));
    }
    if (currentFolder.empty())
        return std::wstring(path); // nothing to put it under: the system says what it makes of it
    if (!path.empty() && IsSeparator(path[0])) {
        // "\x" lies under the root of the current drive or share.
        const std::size_t rootEnd = IsUnc(currentFolder) ? UncRootEnd(currentFolder) : 2;
        return LongPathForm(std::wstring(currentFolder.substr(0, rootEnd)) + std::wstring(path), {});
    }
    return LongPathForm(std::wstring(currentFolder) + L'\\' + std::wstring(path), {});
}

} // namespace modFHand
