#include "engine/RawFile.h"

#include "engine/PieceNames.h"

#include <random>
#include <string>

// What an open file is, apart from the platform's calls: ownership of one handle that moves, never copies.

namespace modFHand {

IoFailure::IoFailure(std::error_code code, const std::string& operation, const PathString& path)
    : std::system_error(code, operation + " " + Quoted(path)),
      where_(std::make_shared<const std::string>(operation + " " + Quoted(path))) {}

std::string IoFailure::Line() const {
    return *where_ + ": " + SystemMessage(code());
}

namespace {

#ifdef _WIN32
// UTF-16 to UTF-8 by hand: the standard library's converters bring its locale machinery into the program.
// A surrogate without its partner becomes U+FFFD.
std::string Utf8(const PathString& wide) {
    std::string text;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(wide[++i]) - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}
#else
const std::string& Utf8(const PathString& bytes) {
    return bytes;
}
#endif

} // namespace

std::string Quoted(const PathString& path) {
    std::string text = Utf8(path);
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

PathString Folder::PathOf(const PathString& name) const {
    if (path_.empty() || IsSeparator(path_.back()))
        return path_ + name;
    return path_ + PathChar('/') + name;
}

RawFile Folder::CreateTemporary(PathString& name) const {
    constexpr int kTries = 16;
    std::mt19937_64 random(NameSeed());
    for (int attempt = 1;; ++attempt) {
        // Ends in ".tmp", so no join takes it for a piece, and holds no stem, so it is never anyone's output.
        const std::string ascii = ".zarvel-" + std::to_string(random() % 100000000000ULL) + ".tmp";
        const PathString candidate(ascii.begin(), ascii.end());
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
