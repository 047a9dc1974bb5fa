#include "engine/RawFile.h"

#include <random>
#include <string>

// What an open file is, apart from the platform's calls: ownership of one handle that moves, never copies.

namespace modFHand {

RawFile::~RawFile() {
    Release();
}

RawFile::RawFile(RawFile&& other) noexcept : handle_(other.handle_) {
    other.handle_ = Invalid();
}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        other.handle_ = Invalid();
    }
    return *this;
}

bool RawFile::IsOpen() const {
    return handle_ != Invalid();
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
