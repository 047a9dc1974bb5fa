#include "engine/AtomicFile.h"

#include <utility>

namespace modFHand {

AtomicFile::AtomicFile(const Folder& folder, bool unnamed, const PathString& shownName) : folder_(&folder) {
    if (unnamed)
        file_ = folder.CreateUnnamed();
    if (!file_.IsOpen())
        file_ = folder.CreateTemporary(temporary_);
    file_.SetName(shownName);
    id_ = file_.Id();
}

AtomicFile::~AtomicFile() {
    if (published_.empty())
        Withdraw();
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : folder_(std::exchange(other.folder_, nullptr)), file_(std::move(other.file_)),
      temporary_(std::move(other.temporary_)), published_(std::move(other.published_)), id_(other.id_) {}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        if (published_.empty())
            Withdraw();
        folder_ = std::exchange(other.folder_, nullptr);
        file_ = std::move(other.file_);
        temporary_ = std::move(other.temporary_);
        published_ = std::move(other.published_);
        id_ = other.id_;
    }
    return *this;
}

void AtomicFile::Publish(const PathString& name) {
    if (IsUnnamed()) {
        folder_->LinkNoReplace(file_, name);
        published_ = name;
    } else {
        // A close that fails may have lost bytes: the name must not go to them.
        file_.Close();
        folder_->RenameNoReplace(temporary_, name);
        published_ = name;
    }
    file_.Close();
}

void AtomicFile::Withdraw() noexcept {
    file_.Discard(); // an unnamed file vanishes as it closes
    if (!folder_)
        return;
    if (!published_.empty())
        folder_->RemoveIfSame(published_, id_);
    else if (!temporary_.empty())
        folder_->RemoveIfSame(temporary_, id_);
    folder_ = nullptr;
}

} // namespace modFHand
