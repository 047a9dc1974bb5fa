#include "engine/RawFile.h"

#include <random>
#include <string>

// What an open file is, apart from the platform's calls: ownership of one handle that moves, never copies.

namespace modFHand {

IoFailure::IoFailure(std::error_code code, const std::string& operation, const std::filesystem::path& path)
    : std::system_error(code, operation + " " + Quoted(path)),
      where_(std::make_shared<const std::string>(operation + " " + Quoted(path))) {}

std::string IoFailure::Line() const {
    return *where_ + ": " + SystemMessage(code());
}

std::string Quoted(const std::filesystem::path& path) {
    const auto utf8 = path.u8string(); // a std::u8string from C++20 on
    std::string text(utf8.begin(), utf8.end());
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return "'" + text + "'";
}

RawFile::~RawFile() {
    Release();
}

RawFile::RawFile(RawFile&& other) noexcept
    : handle_(other.handle_), name_(std::move(other.name_)), written_(other.written_), sentUpTo_(other.sentUpTo_),
      writeBehind_(other.writeBehind_) {
    other.handle_ = Invalid();
}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        name_ = std::move(other.name_);
        written_ = other.written_;
        sentUpTo_ = other.sentUpTo_;
        writeBehind_ = other.writeBehind_;
        other.handle_ = Invalid();
    }
    return *this;
}

bool RawFile::IsOpen() const {
    return handle_ != Invalid();
}

void RawFile::Wrote(std::int64_t count) {
    written_ += count;
    while (writeBehind_ && written_ - sentUpTo_ >= kWriteBehindRange) {
        writeBehind_ = WriteBack(sentUpTo_, kWriteBehindRange, false) &&
                       (sentUpTo_ == 0 || WriteBack(sentUpTo_ - kWriteBehindRange, kWriteBehindRange, true));
        sentUpTo_ += kWriteBehindRange;
    }
}

void RawFile::AwaitWritten() {
    if (writeBehind_)
        writeBehind_ = WriteBack(0, 0, true);
}

RawFile Folder::CreateTemporary(std::filesystem::path& name) const {
    constexpr int kTries = 16;
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 1;; ++attempt) {
        // Ends in ".tmp", so no join takes it for a piece, and holds no stem, so it is never anyone's output.
        const std::filesystem::path candidate(".zarvel-" + std::to_string(random() % 100000000000ULL) + ".tmp");
        try {
            RawFile file = CreateNew(candidate);
            name = candidate;
            return file;
        } catch (const IoFailure&) {
            if (attempt == kTries)
                throw;
        }
    }
}

} // namespace modFHand
