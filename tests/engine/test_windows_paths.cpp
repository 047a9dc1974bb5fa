// Windows' own names, as a user types them, under Wine: what the engine must do with each, and that every name
// reached the system in its "\\?\" form (Wine would open most of them without it; Windows would not).

#include "engine/PieceNames.h"
#include "engine/RawFile.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>

using namespace enginetest;

namespace {

constexpr std::int32_t kPieceSize = 4;
constexpr std::size_t kLength = 10; // three pieces
const std::wstring kLongName(120, L'n');

enum class Work { Split, Join };

struct Row {
    const char* row;
    std::vector<std::wstring> files; // made before the run, each with bytes of its own; "\" makes a folder
    Work work;
    std::function<std::wstring(const std::wstring& dir)> input;
    std::int16_t result;
    const char* line;               // a part of the failure line; "" for a success
    std::vector<std::wstring> made; // what a success adds to the folder
    std::wstring whole;             // a split's source, whose bytes the pieces hold; a join's output holds the files
};

std::wstring Under(const std::wstring& dir, const std::wstring& name) {
    return dir + L"\\" + name;
}

// Every name in the folder and below it, found through its long form, so that "dot." is seen as it is.
std::vector<std::string> Listed(const TempFolder& dir) {
    std::vector<std::string> names;
    const std::size_t skip = dir.path().wstring().size() + 1;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        names.push_back(fs::path(entry.path().wstring().substr(skip)).u8string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Bytes(const std::wstring& path) {
    return ReadFile(fs::path(L"\\\\?\\" + path));
}

// "\\zarvel\c\..." for "C:\...", where the Windows tests' run has pointed Wine's share at drive C.
std::wstring OnShare(const std::wstring& dir) {
    return L"\\\\zarvel\\c" + dir.substr(2);
}

} // namespace

TEST(WindowsPaths, EachNameAsTheUserGaveIt) {
    const TempFolder base(fs::path(L"\\\\?\\" + fs::temp_directory_path().wstring()));
    const std::wstring splitFile = L"f.bin";
    const std::vector<std::wstring> pieces = {L"f.bin.001", L"f.bin.002", L"f.bin.003"};
    const auto plain = [&](const wchar_t* name) {
        return [name](const std::wstring& dir) { return Under(dir, name); };
    };
    const Row rows[] = {
        {"device as the source", {L"nul.txt"}, Work::Split, plain(L"nul.txt"), 1, "is a device's name", {}, L""},
        {"device with blanks", {L"Con .bin"}, Work::Split, plain(L"Con .bin"), 1, "is a device's name", {}, L""},
        {"device as a piece", {L"CONOUT$.001"}, Work::Join, plain(L"CONOUT$.001"), 1, "is a device's name", {}, L""},
        {"device as the output", {L"lpt9.bin.001"}, Work::Join, plain(L"lpt9.bin.001"), 1, "device", {}, L""},
        {"not a device",
         {L"com10"},
         Work::Split,
         plain(L"com10"),
         0,
         "",
         {L"com10.001", L"com10.002", L"com10.003"},
         L"com10"},
        {"dot. beside dot",
         {L"dot", L"dot."},
         Work::Split,
         plain(L"dot."),
         0,
         "",
         {L"dot..001", L"dot..002", L"dot..003"},
         L"dot."},
        {"trailing blank",
         {L"tail .bin.001", L"tail .bin.002"},
         Work::Join,
         plain(L"tail .bin.002"),
         0,
         "",
         {L"tail .bin"},
         L""},
        {"held by another program", {splitFile}, Work::Split, plain(L"f.bin"), 4, "open for reading", {}, L""},
        {"C:/x/y",
         {splitFile},
         Work::Split,
         [](const std::wstring& dir) {
             std::wstring path = Under(dir, L"f.bin");
             std::replace(path.begin(), path.end(), L'\\', L'/');
             return path;
         },
         0,
         "",
         pieces,
         L"f.bin"},
        {"C:\\x\\\\y", {splitFile}, Work::Split, plain(L"\\f.bin"), 0, "", pieces, L"f.bin"},
        {"C:\\x\\..\\y", {splitFile}, Work::Split, plain(L"sub\\..\\f.bin"), 0, "", pieces, L"f.bin"},
        {"UNC",
         {splitFile},
         Work::Split,
         [](const std::wstring& dir) { return OnShare(Under(dir, L"f.bin")); },
         0,
         "",
         pieces,
         L"f.bin"},
        {"over 259 characters",
         {kLongName + L"\\", kLongName + L"\\" + kLongName},
         Work::Split,
         [](const std::wstring& dir) { return Under(dir, kLongName + L"\\" + kLongName); },
         0,
         "",
         {kLongName + L"\\" + kLongName + L".001", kLongName + L"\\" + kLongName + L".002",
          kLongName + L"\\" + kLongName + L".003"},
         kLongName + L"\\" + kLongName},
    };
    unsigned seed = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.row);
        const TempFolder dir(base.path());
        const std::wstring plainDir = dir.path().wstring().substr(4);
        if (row.input(plainDir).rfind(L"\\\\zarvel", 0) == 0 &&
            GetFileAttributesW(OnShare(plainDir).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("[ NOTE     ] %s: no share \\\\zarvel\\c here (tests/windows/run.sh makes it): skipped\n",
                        row.row);
            continue;
        }
        std::string whole;
        for (const std::wstring& name : row.files) {
            if (name.back() == L'\\') {
                ASSERT_TRUE(CreateDirectoryW(Under(dir.path().wstring(), name).c_str(), nullptr));
                continue;
            }
            const std::string bytes = Pattern(kLength, ++seed);
            WriteFile(fs::path(Under(dir.path().wstring(), name)), bytes);
            if (name == row.whole)
                whole = bytes;
            if (row.work == Work::Join)
                whole += bytes;
        }
        const std::vector<std::string> before = Listed(dir);
        const HANDLE held = std::string(row.row).rfind("held", 0) == 0
                                ? CreateFileW(Under(dir.path().wstring(), row.files[0]).c_str(), GENERIC_READ, 0,
                                              nullptr, OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
        std::string line;
        modFHand::Hooks hooks;
        hooks.failed = [&](const std::string& told) { line = told; };
        std::int16_t count = kUntouched;
        seam::StartRecording();
        const std::int16_t result = row.work == Work::Split
                                        ? modFHand::SplitFileNative(row.input(plainDir), kPieceSize, count, hooks)
                                        : modFHand::JoinFileNative(row.input(plainDir), count, hooks);
        const auto opened = seam::StopRecording();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);

        EXPECT_EQ(result, row.result) << line;
        EXPECT_NE(line.find(row.line), std::string::npos) << line;
        if (held != INVALID_HANDLE_VALUE)
            EXPECT_NE(
                line.find(modFHand::SystemMessage(std::error_code(ERROR_SHARING_VIOLATION, std::system_category()))),
                std::string::npos)
                << line;
        for (const auto& call : opened)
            EXPECT_EQ(call.name.rfind("\\\\?\\", 0), 0u) << call.name;
        std::vector<std::string> after = before;
        for (const std::wstring& name : row.made)
            after.push_back(fs::path(name).u8string());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(Listed(dir), after);
        std::string joined;
        for (const std::wstring& name : row.made)
            joined += Bytes(Under(plainDir, name));
        if (row.result == modFHand::kSuccess)
            EXPECT_EQ(joined, whole);
    }
}
