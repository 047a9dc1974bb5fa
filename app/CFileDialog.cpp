#include "app/CFileDialog.h"

#include "app/FilterBlock.h"

#include <limits>
#include <new>
#include <utility>

namespace {

// Both name buffers have the platform's MAX_PATH size, whatever MaxFileSize holds.
constexpr std::size_t kNameBufferLength = 260;
constexpr std::uint32_t kRecordSize = 76;

// What the error box reports; thrown inside Show and caught there.
struct RunTimeError {
    int number;
    const char* description;
};

constexpr RunTimeError kInvalidArgument{5, "Invalid procedure call or argument"};
constexpr RunTimeError kOverflow{6, "Overflow"};
constexpr RunTimeError kOutOfMemory{7, "Out of memory"};
constexpr RunTimeError kInternalError{51, "Internal error"};

// Where no face handed in a dialog: every Show() ends as if the user cancelled.
class NoDialog : public FileDialogBackend {
public:
    std::int32_t run(DialogKind, OpenFileNameRecord&) override { return 0; }
    void showError(std::uintptr_t, const std::string&, const std::string&) override {}
};

// Positions inside the filter and the returned names are 16-bit counters; a text that needs a larger
// position is an overflow, reported like any other run-time error rather than wrapped round.
constexpr std::size_t kLargestPosition = std::numeric_limits<std::int16_t>::max();

} // namespace

CFileDialog::CFileDialog(std::shared_ptr<FileDialogBackend> backend) : m_backend(std::move(backend)) {
    if (!m_backend)
        m_backend = std::make_shared<NoDialog>();
}

std::u16string CFileDialog::DefaultExt() const {
    return m_defaultExt.value_or(std::u16string());
}
void CFileDialog::setDefaultExt(const std::u16string& value) {
    m_defaultExt = value;
}
std::u16string CFileDialog::DialogTitle() const {
    return m_dialogTitle.value_or(std::u16string());
}
void CFileDialog::setDialogTitle(const std::u16string& value) {
    m_dialogTitle = value;
}
std::u16string CFileDialog::FileName() const {
    return m_fileName.value_or(std::u16string());
}
void CFileDialog::setFileName(const std::u16string& value) {
    m_fileName = value;
}
std::u16string CFileDialog::FileTitle() const {
    return m_fileTitle.value_or(std::u16string());
}
void CFileDialog::setFileTitle(const std::u16string& value) {
    m_fileTitle = value;
}
std::u16string CFileDialog::Filter() const {
    return m_filter.value_or(std::u16string());
}
void CFileDialog::setFilter(const std::u16string& value) {
    m_filter = value;
}
std::int16_t CFileDialog::FilterIndex() const {
    return m_filterIndex;
}
void CFileDialog::setFilterIndex(std::int16_t value) {
    m_filterIndex = value;
}
std::int32_t CFileDialog::Flags() const {
    return m_flags;
}
void CFileDialog::setFlags(std::int32_t value) {
    m_flags = value;
}
std::uintptr_t CFileDialog::hWndParent() const {
    return m_hWndParent;
}
void CFileDialog::setHWndParent(std::uintptr_t value) {
    m_hWndParent = value;
}
std::u16string CFileDialog::InitialDir() const {
    return m_initialDir.value_or(std::u16string());
}
void CFileDialog::setInitialDir(const std::u16string& value) {
    m_initialDir = value;
}
std::int16_t CFileDialog::MaxFileSize() const {
    return m_maxFileSize;
}
void CFileDialog::setMaxFileSize(std::int16_t value) {
    m_maxFileSize = value;
}

bool CFileDialog::Show(bool open) {
    bool chosen = false;
    try {
        OpenFileNameRecord record = buildRecord();
        if (m_backend->run(open ? DialogKind::Open : DialogKind::Save, record) == 0)
            return false;
        const std::optional<std::u16string> path = TrimNulls(record.lpstrFile.value_or(std::u16string()));
        const std::optional<std::u16string> title = TrimNulls(record.lpstrFileTitle.value_or(std::u16string()));
        // A name that could not be read back is no choice: keep the earlier properties rather than
        // reporting success with an empty name.
        if (!path || !title)
            return false;
        m_fileName = *path;
        m_fileTitle = *title;
        chosen = true;
    } catch (const RunTimeError& error) {
        showError("Show", error.number, error.description);
    } catch (const DialogFailure& failure) {
        showError("Show", failure.number, failure.description.c_str());
    } catch (const std::bad_alloc&) {
        showError("Show", kOutOfMemory.number, kOutOfMemory.description);
    } catch (const std::exception&) {
        showError("Show", kInternalError.number, kInternalError.description);
    }
    return chosen;
}

OpenFileNameRecord CFileDialog::buildRecord() const {
    OpenFileNameRecord record;
    record.lpstrTitle = DialogTitle();
    record.Flags = static_cast<std::uint32_t>(m_flags);
    record.lpstrDefExt = DefaultExt();
    record.lStructSize = kRecordSize;
    record.lpstrFilter = filterBlock(Filter());
    record.nFilterIndex = m_filterIndex;
    record.lpstrFile = nameBuffer(FileName());
    record.nMaxFile = static_cast<std::uint32_t>(kNameBufferLength);
    record.lpstrFileTitle = nameBuffer(FileTitle());
    record.nMaxFileTitle = static_cast<std::uint32_t>(kNameBufferLength);
    record.lpstrInitialDir = m_initialDir;
    record.hwndOwner = m_hWndParent;
    return record;
}

std::u16string CFileDialog::filterBlock(const std::u16string& filter) {
    if (filter.size() >= kLargestPosition)
        throw kOverflow;
    return FilterBlock::build(filter);
}

std::u16string CFileDialog::nameBuffer(const std::u16string& name) {
    if (name.size() > kNameBufferLength)
        throw kInvalidArgument;
    return name + std::u16string(kNameBufferLength - name.size(), u'\0');
}

std::optional<std::u16string> CFileDialog::TrimNulls(const std::u16string& text) const {
    const std::size_t nul = text.find(u'\0');
    if (nul == std::u16string::npos)
        return text;
    if (nul + 1 > kLargestPosition) {
        showError("TrimNulls", kOverflow.number, kOverflow.description);
        return std::nullopt;
    }
    return FilterBlock::trimNulls(text);
}

void CFileDialog::showError(const char* routine, int number, const char* description) const {
    m_backend->showError(m_hWndParent, routine, "Error: " + std::to_string(number) + ". " + description);
}
