// SPDX-License-Identifier: MIT
#pragma once

// A folder held by one process at a time: a lock file in it, locked with flock(), that names
// its holder. The system lets the lock go when the holder ends, however it ends (a crash, a
// kill, a power cut), so a lock is never left behind; the name in the file is only what the
// next one to try is told.

#include <optional>
#include <string>

namespace Tormel::Platform {

class FolderLock {
  public:
    // What a refused lock tells: the holder's own words as it wrote them when it took the
    // lock, or the system's reason when the lock file could not be opened or locked at all.
    struct Refusal {
        bool heldByAnother = false;  // false: the file could not be used (see reason)
        std::string holder;          // what the holder wrote (heldByAnother)
        std::string reason;          // the system's text (not heldByAnother)
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Locks `path` (created owner-only where missing) and writes `holder` into it; nothing is
    // waited for. The lock is kept across fork(): children share it and it goes with the last.
    static FolderLock Acquire(const std::string& path, const std::string& holder, Refusal& refusal);

    bool held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

// A line appended to a file and forced to the disk before this returns, so that a record a
// line ends survives a crash or a power cut. The file is created owner-only.
class DurableAppender {
  public:
    DurableAppender() = default;
    ~DurableAppender();
    DurableAppender(const DurableAppender&) = delete;
    DurableAppender& operator=(const DurableAppender&) = delete;

    // Opens (creating) `path` for appending; the system's reason when it cannot be.
    std::optional<std::string> open(const std::string& path);
    bool isEmpty() const;
    // Appends every byte and syncs; false on any failure.
    bool append(const std::string& bytes);

  private:
    int m_fd = -1;
};

}  // namespace Tormel::Platform
