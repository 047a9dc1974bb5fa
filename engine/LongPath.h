#pragma once

// Windows takes a name exactly as written only in a path's "\\?\" form: a plain path loses a trailing dot or
// blank ("dot." opens "dot"), turns "NUL.001" into the null device and stops at 260 characters unless the user
// changed a setting. The form is made here by text, since the system's own GetFullPathNameW strips the very dots
// and blanks that must stay. Plain text, so it is the same on every platform; only Windows calls it.

#include <string>
#include <string_view>

namespace modFHand {

// The "\\?\" form of a Windows path: "/" becomes "\", repeated separators one, "." and ".." are resolved by text
// (never above the drive or the share), trailing dots and blanks stay, and "\\server\share\..." becomes
// "\\?\UNC\server\share\...". A path relative to a folder or to the current drive is put under `currentFolder`
// (a full path) first. A path already in "\\?\" or "\\.\" form is the user's own and stays as it is.
std::wstring LongPathForm(std::wstring_view path, std::wstring_view currentFolder);

} // namespace modFHand
