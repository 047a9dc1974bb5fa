#include "ui/filedialog/CFileDialog.h"

#include "ui/filedialog/FilterBlock.h"
#include "ui/filedialog/QtFileDialogBackend.h"
#ifdef _WIN32
#include "ui/filedialog/WinFileDialogBackend.h"
#endif

#include <QMessageBox>
#include <QWidget>
#include <limits>
#include <new>
#include <utility>

namespace {

// Both name buffers have the platform's MAX_PATH size, whatever MaxFileSize holds.
constexpr int kNameBufferLength = 260;
constexpr std::uint32_t kRecordSize = 76;

// What the error box reports; thrown inside Show and caught there.
struct RunTimeError {
    int number;
    QString description;
};

const RunTimeError kInvalidArgument{5, QStringLiteral("Invalid procedure call or argument")};
const RunTimeError kOverflow{6, QStringLiteral("Overflow")};
const RunTimeError kOutOfMemory{7, QStringLiteral("Out of memory")};
const RunTimeError kInternalError{51, QStringLiteral("Internal error")};

std::shared_ptr<FileDialogBackend> platformBackend() {
#ifdef _WIN32
    return std::make_shared<WinFileDialogBackend>();
#else
    return std::make_shared<QtFileDialogBackend>();
#endif
}

// Positions inside the filter and the returned names are 16-bit counters; a text that needs a larger
// position is an overflow, reported like any other run-time error rather than wrapped round.
constexpr int kLargestPosition = std::numeric_limits<std::int16_t>::max();

} // namespace

CFileDialog::CFileDialog(std::shared_ptr<FileDialogBackend> backend) : m_backend(std::move(backend)) {
    if (!m_backend)
        m_backend = platformBackend();
}

QString CFileDialog::DefaultExt() const {
    return m_defaultExt.value_or(QString());
}
void CFileDialog::setDefaultExt(const QString& value) {
    m_defaultExt = value;
}
QString CFileDialog::DialogTitle() const {
    return m_dialogTitle.value_or(QString());
}
void CFileDialog::setDialogTitle(const QString& value) {
    m_dialogTitle = value;
}
QString CFileDialog::FileName() const {
    return m_fileName.value_or(QString());
}
void CFileDialog::setFileName(const QString& value) {
    m_fileName = value;
}
QString CFileDialog::FileTitle() const {
    return m_fileTitle.value_or(QString());
}
void CFileDialog::setFileTitle(const QString& value) {
    m_fileTitle = value;
}
QString CFileDialog::Filter() const {
    return m_filter.value_or(QString());
}
void CFileDialog::setFilter(const QString& value) {
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
WId CFileDialog::hWndParent() const {
    return m_hWndParent;
}
void CFileDialog::setHWndParent(WId value) {
    m_hWndParent = value;
}
QString CFileDialog::InitialDir() const {
    return m_initialDir.value_or(QString());
}
void CFileDialog::setInitialDir(const QString& value) {
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
        const std::optional<QString> path = TrimNulls(record.lpstrFile.value_or(QString()));
        const std::optional<QString> title = TrimNulls(record.lpstrFileTitle.value_or(QString()));
        // A name that could not be read back is no choice: keep the earlier properties rather than
        // reporting success with an empty name.
        if (!path || !title)
            return false;
        m_fileName = *path;
        m_fileTitle = *title;
        chosen = true;
    } catch (const RunTimeError& error) {
        showError(QStringLiteral("Show"), error.number, error.description);
    } catch (const std::bad_alloc&) {
        showError(QStringLiteral("Show"), kOutOfMemory.number, kOutOfMemory.description);
    } catch (const std::exception&) {
        showError(QStringLiteral("Show"), kInternalError.number, kInternalError.description);
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
    record.nMaxFile = kNameBufferLength;
    record.lpstrFileTitle = nameBuffer(FileTitle());
    record.nMaxFileTitle = kNameBufferLength;
    record.lpstrInitialDir = m_initialDir;
    record.hwndOwner = static_cast<std::uintptr_t>(m_hWndParent);
    return record;
}

QString CFileDialog::filterBlock(const QString& filter) {
    if (filter.size() >= kLargestPosition)
        throw kOverflow;
    return FilterBlock::build(filter);
}

QString CFileDialog::nameBuffer(const QString& name) {
    if (name.size() > kNameBufferLength)
        throw kInvalidArgument;
    return name + QString(kNameBufferLength - name.size(), QChar(u'\0'));
}

std::optional<QString> CFileDialog::TrimNulls(const QString& text) const {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul < 0)
        return text;
    if (nul + 1 > kLargestPosition) {
        showError(QStringLiteral("TrimNulls"), kOverflow.number, kOverflow.description);
        return std::nullopt;
    }
    return FilterBlock::trimNulls(text);
}

void CFileDialog::showError(const QString& routine, int number, const QString& description) const {
    const QString text = QStringLiteral("Error: %1. %2").arg(number).arg(description);
    QMessageBox box(QMessageBox::NoIcon, routine, text, QMessageBox::Ok, QWidget::find(m_hWndParent));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
