#include "engine/RawFile.h"

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

} // namespace modFHand
