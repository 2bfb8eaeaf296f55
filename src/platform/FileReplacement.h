// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace Tormel::Platform {

// Outcome of a file operation, with errno and its text captured where the call failed.
struct FileResult {
    int errorNumber = 0;  // 0 on success
    std::string message;  // e.g. "/home/u/config.xml: File too large"

    bool ok() const { return errorNumber == 0; }
};

// Replaces a file atomically or not at all. The new content goes to a temporary file in the
// target's folder; commit() makes it the target only when every byte has been written and
// synced, so a full disk, a file-size limit or a crash leaves the previous file byte for
// byte. A replacement that is never committed (or that failed) is discarded on destruction.
// A target that is a symbolic link keeps the link: the file it points to is replaced.
class FileReplacement {
  public:
    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file. Fails when the folder cannot be written or the target
    // exists and is not a regular file. `ownerOnly`: the file is readable by its owner only,
    // whatever the umask or the mode of the file it replaces.
    FileResult begin(const std::string& path, bool ownerOnly = false);
    // Appends bytes; the first failure sticks and makes commit() fail.
    FileResult write(std::string_view bytes);
    // Syncs the temporary file and renames it over the target; on any failure removes it.
    FileResult commit();
    // Removes the temporary file, leaving the target as it was.
    void discard();

    bool isOpen() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
    std::string m_target;
    std::string m_temporary;
    FileResult m_failure;
};

// The whole replacement in one call.
FileResult ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly = false);

// Copies `from` to `to` (replacing it) with the source's permission bits, and forces the bytes
// to the disk before returning, so that a later rename cannot publish a file whose data was
// lost. A copy that fails is removed again.
FileResult CopyFileDurably(const std::string& from, const std::string& to);

// Whether this user may open an existing file for writing (errno 0) or the system's reason.
int WritableFileError(const std::string& path);
// Whether a new file can be made in `folder` now (errno 0): one is made and removed again.
int NewFileError(const std::string& folder, const std::string& stem);

// Forces a file's bytes to the disk; for a folder, the names in it, so that a rename into it
// survives a power cut.
FileResult SyncPath(const std::string& path);

// Renames `from` over `to` in one step (both in one folder); the folder is not synced.
FileResult RenameOver(const std::string& from, const std::string& to);

}  // namespace Tormel::Platform
