// The reference for the engine under Windows: one file copied with plain ReadFile and WriteFile through a buffer
// of the engine's size, and flushed at its end as the engine flushes each file it writes. It is built with the
// engine's flags, so that the ratio between the two shows a change of the engine's speed and not of the build.
//
//   plain_copy FROM TO   (TO must not exist yet; exit status 0 on success)

#include <windows.h>

#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 64;
    const HANDLE from =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    const HANDLE to = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (from == INVALID_HANDLE_VALUE || to == INVALID_HANDLE_VALUE)
        return 1;
    std::vector<char> buffer(std::size_t(1) << 20);
    DWORD got = 0;
    while (ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) {
        DWORD put = 0;
        if (!WriteFile(to, buffer.data(), got, &put, nullptr) || put != got)
            return 1;
    }
    const bool flushed = FlushFileBuffers(to);
    CloseHandle(from);
    CloseHandle(to);
    return flushed ? 0 : 1;
}
