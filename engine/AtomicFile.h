#pragma once

// A file that appears under its name whole or not at all: written where nobody can take it for anything, named
// only when its writer says so, and gone again when the work fails.

#include "engine/RawFile.h"

#include <string>

namespace modFHand {

class AtomicFile {
public:
    AtomicFile() = default;
    // A new file in `folder`, which must outlive it: unnamed when `unnamed` asks for it and the file system and
    // the descriptors left allow it (a killed run then leaves nothing), otherwise under a fresh ".zarvel-*.tmp"
    // name that no join takes for a piece. Failures on it are reported under `shownName`, the name it is
    // written for.
    AtomicFile(const Folder& folder, bool unnamed, const PathString& shownName);
    ~AtomicFile();
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The open file to write; a file under a temporary name may be closed before it is published, to spare
    // descriptors, and is then no longer open.
    RawFile& File() { return file_; }
    bool IsUnnamed() const { return temporary_.empty(); }
    // Gives it the entry `name` in the folder only while that is free, and closes it. Throws otherwise, leaving
    // the file where it was.
    void Publish(const PathString& name);
    // Removes it under whichever name it has, even once published, but only while the name is still this file.
    void Withdraw() noexcept;

private:
    const Folder* folder_ = nullptr;
    RawFile file_;
    PathString temporary_; // empty for an unnamed file
    PathString published_; // empty until it is named
    FileId id_;
};

} // namespace modFHand
