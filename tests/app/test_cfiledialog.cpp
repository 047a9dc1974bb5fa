#include "app/CFileDialog.h"
#include "app/support/RecordingFileDialogBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

using Text = std::u16string;
using OptionalText = std::optional<Text>;

Text nuls(std::size_t count) {
    return Text(count, u'\0');
}

// NUL written as "\0", so a failing comparison shows where the separators are.
std::string visible(const Text& text) {
    std::string out;
    for (char16_t c : text)
        out += c == u'\0' ? std::string("\\0") : c < 0x80 ? std::string(1, char(c)) : std::string("?");
    return out;
}

std::shared_ptr<RecordingFileDialogBackend> recording() {
    return std::make_shared<RecordingFileDialogBackend>();
}

TEST(CFileDialog, NewInstancePassesDefaults) {
    auto backend = recording();
    CFileDialog dialog(backend);
    EXPECT_FALSE(dialog.Show(true));
    ASSERT_EQ(backend->calls.size(), 1u);
    const OpenFileNameRecord& r = backend->calls.front().record;
    EXPECT_EQ(r.lStructSize, 76u);
    EXPECT_EQ(r.hwndOwner, 0u);
    EXPECT_EQ(r.hInstance, 0u);
    EXPECT_EQ(r.lpstrFilter, OptionalText(nuls(2)));
    EXPECT_FALSE(r.lpstrCustomFilter);
    EXPECT_EQ(r.nMaxCustFilter, 0u);
    EXPECT_EQ(r.nFilterIndex, 0);
    EXPECT_EQ(r.lpstrFile, OptionalText(nuls(260)));
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_EQ(r.lpstrFileTitle, OptionalText(nuls(260)));
    EXPECT_EQ(r.nMaxFileTitle, 260u);
    EXPECT_FALSE(r.lpstrInitialDir);
    EXPECT_EQ(r.lpstrTitle, OptionalText(Text()));
    EXPECT_EQ(r.Flags, 0u);
    EXPECT_EQ(r.nFileOffset, 0);
    EXPECT_EQ(r.nFileExtension, 0);
    EXPECT_EQ(r.lpstrDefExt, OptionalText(Text()));
    EXPECT_EQ(r.lCustData, 0);
    EXPECT_EQ(r.lpfnHook, 0u);
    EXPECT_FALSE(r.lpTemplateName);
}

TEST(CFileDialog, BrowsePropertiesReachTheRecord) {
    auto backend = recording();
    CFileDialog dialog(backend);
    dialog.setDialogTitle(u"Open");
    dialog.setFilter(u"All Files (*.*)|*.*");
    dialog.setFilterIndex(0);
    dialog.setFlags(OpenFileNameFlags::BrowseForFile);
    dialog.setHWndParent(0x5a17);
    dialog.setInitialDir(u"");
    dialog.Show(true);
    const OpenFileNameRecord& r = backend->calls.front().record;
    EXPECT_EQ(backend->calls.front().kind, DialogKind::Open);
    EXPECT_EQ(r.lpstrTitle, OptionalText(u"Open"));
    EXPECT_EQ(visible(*r.lpstrFilter), visible(u"All Files (*.*)" + nuls(1) + u"*.*" + nuls(2)));
    EXPECT_EQ(r.Flags, OpenFileNameFlags::BrowseForFile);
    EXPECT_EQ(r.hwndOwner, 0x5a17u);
    EXPECT_EQ(r.lpstrInitialDir, OptionalText(Text())); // set to empty is not null
}

TEST(CFileDialog, FilterBlock) {
    const struct {
        const char* name;
        Text filter;
        Text block;
    } rows[] = {
        {"all files", u"All Files (*.*)|*.*", u"All Files (*.*)" + nuls(1) + u"*.*" + nuls(2)},
        {"empty", u"", nuls(2)},
        {"ends with bar", u"Text|*.txt|", u"Text" + nuls(1) + u"*.txt" + nuls(3)},
        {"two bars", u"||", nuls(4)},
        {"two lines", u"Text|*.txt;*.doc|All|*.*",
         u"Text" + nuls(1) + u"*.txt;*.doc" + nuls(1) + u"All" + nuls(1) + u"*.*" + nuls(2)},
        {"longest allowed", Text(32766, u'x'), Text(32766, u'x') + nuls(2)},
    };
    for (const auto& row : rows) {
        auto backend = recording();
        CFileDialog dialog(backend);
        dialog.setFilter(row.filter);
        dialog.Show(true);
        ASSERT_EQ(backend->calls.size(), 1u) << row.name;
        EXPECT_EQ(visible(*backend->calls.front().record.lpstrFilter), visible(row.block)) << row.name;
    }
}

TEST(CFileDialog, OpenOrSave) {
    for (const bool open : {true, false}) {
        auto backend = recording();
        backend->chooseFile(u"C:\\a.txt", u"a.txt");
        CFileDialog dialog(backend);
        EXPECT_TRUE(dialog.Show(open));
        EXPECT_EQ(backend->calls.front().kind, open ? DialogKind::Open : DialogKind::Save);
        EXPECT_EQ(dialog.FileName(), u"C:\\a.txt");
    }
}

TEST(CFileDialog, CancelKeepsNames) {
    auto backend = recording();
    // A failed dialog may have scribbled on the buffers; none of it may be taken.
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = u"D:\\junk" + nuls(253);
        return 0;
    };
    CFileDialog dialog(backend);
    dialog.setFileName(u"typed by hand");
    dialog.setFileTitle(u"hand");
    EXPECT_FALSE(dialog.Show(true));
    EXPECT_EQ(dialog.FileName(), u"typed by hand");
    EXPECT_EQ(dialog.FileTitle(), u"hand");
    EXPECT_EQ(visible(*backend->calls.front().record.lpstrFile), visible(u"typed by hand" + nuls(247)));
}

TEST(CFileDialog, ChoiceIsTrimmedAndOnlyNamesReadBack) {
    auto backend = recording();
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = u"C:\\dir\\movie.avi.001" + nuls(240);
        r.lpstrFileTitle = u"movie.avi.001" + nuls(247);
        r.nFilterIndex = 3;
        r.Flags |= OpenFileNameFlags::Explorer;
        return 1;
    };
    CFileDialog dialog(backend);
    dialog.setFilterIndex(1);
    dialog.setFlags(OpenFileNameFlags::FileMustExist);
    EXPECT_TRUE(dialog.Show(true));
    EXPECT_EQ(dialog.FileName(), u"C:\\dir\\movie.avi.001");
    EXPECT_EQ(dialog.FileTitle(), u"movie.avi.001");
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_EQ(dialog.Flags(), std::int32_t(OpenFileNameFlags::FileMustExist));
}

TEST(CFileDialog, ReturnedBuffers) {
    const struct {
        const char* name;
        Text buffer;
        Text fileName;
    } rows[] = {
        {"no NUL", u"C:\\x\\abc", u"C:\\x\\abc"},
        {"NUL first", nuls(1) + u"abc", u""},
        {"two letters, NUL, letter", u"ab" + nuls(1) + u"c", u"ab"},
        {"multiple selection keeps the folder", u"C:\\dir" + nuls(1) + u"a" + nuls(1) + u"b" + nuls(2), u"C:\\dir"},
        {"longer than the buffer", Text(300, u'p') + nuls(1), Text(300, u'p')},
        {"unicode name", u"C:\\\u0641\u0627\u0626\u0644.txt" + nuls(5), u"C:\\\u0641\u0627\u0626\u0644.txt"},
    };
    for (const auto& row : rows) {
        auto backend = recording();
        backend->reply = [&row](DialogKind, OpenFileNameRecord& r) {
            r.lpstrFile = row.buffer;
            r.lpstrFileTitle = row.buffer;
            return 1;
        };
        CFileDialog dialog(backend);
        EXPECT_TRUE(dialog.Show(true)) << row.name;
        EXPECT_EQ(dialog.FileName(), row.fileName) << row.name;
        EXPECT_EQ(dialog.FileTitle(), row.fileName) << row.name;
    }
}

TEST(CFileDialog, NextShowStartsFromTheChoice) {
    auto backend = recording();
    backend->chooseFile(u"C:\\first.bin", u"first.bin");
    CFileDialog dialog(backend);
    EXPECT_TRUE(dialog.Show(true));
    backend->cancel();
    EXPECT_FALSE(dialog.Show(false));
    EXPECT_EQ(visible(*backend->calls.at(1).record.lpstrFile), visible(u"C:\\first.bin" + nuls(248)));
    EXPECT_EQ(visible(*backend->calls.at(1).record.lpstrFileTitle), visible(u"first.bin" + nuls(251)));
    EXPECT_EQ(dialog.FileName(), u"C:\\first.bin");
}

TEST(CFileDialog, NameOfExactly260GetsNoNul) {
    auto backend = recording();
    CFileDialog dialog(backend);
    dialog.setFileName(Text(260, u'n'));
    dialog.setFileTitle(Text(260, u't'));
    dialog.Show(true);
    EXPECT_TRUE(backend->errors.empty());
    ASSERT_EQ(backend->calls.size(), 1u);
    EXPECT_EQ(backend->calls.front().record.lpstrFile, OptionalText(Text(260, u'n')));
    EXPECT_EQ(backend->calls.front().record.lpstrFileTitle, OptionalText(Text(260, u't')));
}

TEST(CFileDialog, ErrorsShowABoxAndNoDialog) {
    const std::string invalid = "Error: 5. Invalid procedure call or argument";
    const std::string overflow = "Error: 6. Overflow";
    const struct {
        const char* name;
        Text fileName;
        Text fileTitle;
        Text filter;
        std::string text;
    } rows[] = {
        {"file name of 261", Text(261, u'n'), u"", u"", invalid},
        {"file title of 261", u"", Text(261, u't'), u"", invalid},
        {"filter of 32767", u"", u"", Text(32767, u'|'), overflow},
        {"filter of 40000", u"", u"", Text(40000, u'f'), overflow},
        {"filter checked first", Text(300, u'n'), u"", Text(32767, u'f'), overflow},
    };
    for (const auto& row : rows) {
        auto backend = recording();
        backend->chooseFile(u"C:\\never.txt", u"never.txt");
        CFileDialog dialog(backend);
        dialog.setFileName(row.fileName);
        dialog.setFileTitle(row.fileTitle);
        dialog.setFilter(row.filter);
        dialog.setHWndParent(0x77);
        EXPECT_FALSE(dialog.Show(true)) << row.name;
        EXPECT_TRUE(backend->calls.empty()) << row.name;
        ASSERT_EQ(backend->errors.size(), 1u) << row.name;
        EXPECT_EQ(backend->errors.front().title, "Show") << row.name;
        EXPECT_EQ(backend->errors.front().text, row.text) << row.name;
        EXPECT_EQ(backend->errors.front().owner, 0x77u) << row.name;
        EXPECT_EQ(dialog.FileName(), row.fileName) << row.name;
        EXPECT_EQ(dialog.FileTitle(), row.fileTitle) << row.name;
    }
}

TEST(CFileDialog, BackendFailureIsToldAndKeepsNames) {
    auto backend = recording();
    backend->reply = [](DialogKind, OpenFileNameRecord&) -> std::int32_t { throw DialogFailure{12291, "too long"}; };
    CFileDialog dialog(backend);
    dialog.setFileName(u"kept");
    EXPECT_FALSE(dialog.Show(true));
    ASSERT_EQ(backend->errors.size(), 1u);
    EXPECT_EQ(backend->errors.front().text, "Error: 12291. too long");
    EXPECT_EQ(dialog.FileName(), u"kept");
}

TEST(CFileDialog, UnreadableNameIsNoChoice) {
    // A name whose NUL lies beyond the 16-bit position cannot be trimmed; that must not pass for success.
    auto backend = recording();
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = Text(33000, u'z') + nuls(1);
        return 1;
    };
    CFileDialog dialog(backend);
    dialog.setFileName(u"before");
    EXPECT_FALSE(dialog.Show(true));
    ASSERT_EQ(backend->errors.size(), 1u);
    EXPECT_EQ(backend->errors.front().title, "TrimNulls");
    EXPECT_EQ(backend->errors.front().text, "Error: 6. Overflow");
    EXPECT_EQ(dialog.FileName(), u"before");

    backend->reply = [](DialogKind, OpenFileNameRecord&) -> std::int32_t { throw std::runtime_error("gone"); };
    EXPECT_FALSE(dialog.Show(true));
    ASSERT_EQ(backend->errors.size(), 2u);
    EXPECT_EQ(backend->errors.at(1).title, "Show");
    EXPECT_EQ(backend->errors.at(1).text, "Error: 51. Internal error");
}

TEST(CFileDialog, FactoryReachesNewInstances) {
    RecordingDialogs backend;
    backend->chooseFile(u"/tmp/piece.001", u"piece.001");
    for (int click = 0; click < 2; ++click) {
        CFileDialog dialog(backend.factory()());
        dialog.setDialogTitle(u"Open");
        EXPECT_TRUE(dialog.Show(true));
        EXPECT_EQ(dialog.FileName(), u"/tmp/piece.001");
    }
    ASSERT_EQ(backend->calls.size(), 2u);
    // Every fresh instance starts empty, whatever the previous one chose.
    EXPECT_EQ(backend->calls.at(1).record.lpstrFile, OptionalText(nuls(260)));
}

} // namespace
