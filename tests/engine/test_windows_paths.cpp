// Windows' own names, as a user types them, under Wine: what the engine must do with each, and that every name
// reached the system in its "\\?\" form (Wine would open most of them without it; Windows would not).

#include "engine/RawFile.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>

using namespace enginetest;

namespace {

constexpr std::int32_t kPieceSize = 4;
constexpr std::size_t kLength = 10; // three pieces

enum class Work { Split, Join };

struct Row {
    const char* row;
    std::vector<std::wstring> files; // made before the run, each with bytes of its own; "\\" at the end: a folder
    Work work;
    std::wstring input; // % the test's folder, ^ the same with "/", & the same on a share
    std::int16_t result;
    const char* line;               // a part of the failure line
    std::vector<std::wstring> made; // what a success adds: a split's pieces hold the last file, a join's output all
};

// Every name in the folder and below it, found through its long form, so that "dot." is seen as it is.
std::vector<std::string> Listed(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        names.push_back(Utf8(fs::path(entry.path().wstring().substr(dir.wstring().size() + 1))));
    std::sort(names.begin(), names.end());
    return names;
}

// "\\zarvel\c\..." for "C:\...": the Windows tests' run points that share of Wine's at drive C.
std::wstring Input(std::wstring text, const std::wstring& dir) {
    std::wstring forward = dir, share = L"\\\\zarvel\\c" + dir.substr(2);
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    const std::pair<wchar_t, const std::wstring*> marks[] = {{L'%', &dir}, {L'^', &forward}, {L'&', &share}};
    for (const auto& [mark, with] : marks) {
        if (text[0] == mark)
            text = *with + text.substr(1);
    }
    return text;
}

} // namespace

TEST(WindowsPaths, EachNameAsTheUserGaveIt) {
    const TempFolder base(fs::path(L"\\\\?\\" + fs::temp_directory_path().wstring()));
    const std::vector<std::wstring> f = {L"f.bin"}, pieces = {L"f.bin.001", L"f.bin.002", L"f.bin.003"};
    const std::wstring n(120, L'n'), longName = n + L"\\" + n; // over 259 characters with the folder
    const Row rows[] = {
        {"device as the source", {L"nul.txt"}, Work::Split, L"%\\nul.txt", 1, "is a device's name", {}},
        {"device with blanks", {L"Con .bin"}, Work::Split, L"%\\Con .bin", 1, "is a device's name", {}},
        {"device as a piece", {L"CONOUT$.001"}, Work::Join, L"%\\CONOUT$.001", 1, "is a device's name", {}},
        {"device as the output", {L"lpt9.bin.001"}, Work::Join, L"%\\lpt9.bin.001", 1, "device", {}},
        {"no device", {L"com10"}, Work::Split, L"%\\com10", 0, "", {L"com10.001", L"com10.002", L"com10.003"}},
        {"dot. beside dot", {L"dot", L"dot."}, Work::Split, L"%\\dot.", 0, "", {L"dot..001", L"dot..002", L"dot..003"}},
        {"trailing blank",
         {L"tail .bin.001", L"tail .bin.002"},
         Work::Join,
         L"%\\tail .bin.002",
         0,
         "",
         {L"tail .bin"}},
        {"held by another program", f, Work::Split, L"%\\f.bin", 4, "open for reading", {}},
        {"C:/x/y", f, Work::Split, L"^/f.bin", 0, "", pieces},
        {"C:\\x\\\\y", f, Work::Split, L"%\\\\f.bin", 0, "", pieces},
        {"C:\\x\\..\\y", f, Work::Split, L"%\\sub\\..\\f.bin", 0, "", pieces},
        {"UNC", f, Work::Split, L"&\\f.bin", 0, "", pieces},
        {"over 259 characters",
         {n + L"\\", longName},
         Work::Split,
         L"%\\" + longName,
         0,
         "",
         {longName + L".001", longName + L".002", longName + L".003"}},
    };
    unsigned seed = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.row);
        const TempFolder dir(base.path());
        const std::wstring plainDir = dir.path().wstring().substr(4);
        if (row.input[0] == L'&' && GetFileAttributesW(Input(L"&", plainDir).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("[ NOTE     ] %s: no share \\\\zarvel\\c here (tests/windows/run.sh makes it): skipped\n",
                        row.row);
            continue;
        }
        std::string whole;
        for (const std::wstring& name : row.files) {
            const fs::path path = dir.path() / name;
            if (name.back() == L'\\') {
                fs::create_directory(path);
                continue;
            }
            const std::string bytes = Pattern(kLength, ++seed);
            WriteFile(path, bytes);
            whole = row.work == Work::Join ? whole + bytes : bytes;
        }
        const std::vector<std::string> before = Listed(dir.path());
        const HANDLE held =
            std::string(row.row).rfind("held", 0) == 0
                ? CreateFileW((dir.path() / row.files[0]).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                : INVALID_HANDLE_VALUE;
        std::string line;
        modFHand::Hooks hooks;
        hooks.failed = [&](const std::string& told) { line = told; };
        std::int16_t count = kUntouched;
        const std::wstring input = Input(row.input, plainDir);
        seam::StartRecording();
        const std::int16_t result = row.work == Work::Split ? modFHand::SplitFileNative(input, kPieceSize, count, hooks)
                                                            : modFHand::JoinFileNative(input, count, hooks);
        const auto opened = seam::StopRecording();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(result, row.result) << line;
        EXPECT_NE(line.find(row.line), std::string::npos) << line;
        if (held != INVALID_HANDLE_VALUE) {
            EXPECT_NE(line.find(modFHand::SystemMessage({ERROR_SHARING_VIOLATION, std::system_category()})),
                      std::string::npos)
                << line;
        }
        for (const auto& call : opened)
            EXPECT_EQ(call.name.rfind("\\\\?\\", 0), 0u) << call.name;
        std::vector<std::string> after = before;
        std::string written;
        for (const std::wstring& name : row.made) {
            after.push_back(Utf8(fs::path(name)));
            written += ReadFile(dir.path() / name);
        }
        std::sort(after.begin(), after.end());
        EXPECT_EQ(Listed(dir.path()), after);
        if (result == modFHand::kSuccess) {
            EXPECT_EQ(written, whole);
        }
    }
}
