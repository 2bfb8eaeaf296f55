// SPDX-License-Identifier: MIT
#include "platform/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace Tormel::Platform {
namespace {

FileResult Failure(int error, const std::string& path) {
    return FileResult{error, path + ": " + std::system_category().message(error)};
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a link points to, so that the link survives the rename; a dangling link is
// replaced by the new file itself.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

FileReplacement::~FileReplacement() { discard(); }

FileResult FileReplacement::begin(const std::string& path, bool ownerOnly) {
    discard();
    m_failure = {};
    if (path.empty()) return FileResult{ENOENT, "No file name given"};
    const std::string target = ResolveTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return Failure(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL, path);

    // O_EXCL with a fresh name each try: never write through a file somebody else placed.
    static std::atomic<unsigned> counter{0};
    const std::string stem = FolderOf(target) + "/." + NameOf(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            stem + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        // Mode 0666 lets the umask decide for a new file, as for any file the user creates.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR) continue;
            return Failure(errno, path);
        }
        // A replaced file keeps its permissions, unless its content is for its owner alone.
        if (ownerOnly) {
            if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
                const int error = errno;
                ::close(fd);
                ::unlink(candidate.c_str());
                return Failure(error, path);
            }
        } else if (exists) {
            (void)::fchmod(fd, existing.st_mode & 07777);
        }
        m_fd = fd;
        m_target = target;
        m_temporary = candidate;
        return {};
    }
    return Failure(EEXIST, stem);
}

FileResult FileReplacement::write(std::string_view bytes) {
    if (m_fd < 0) return FileResult{EBADF, "No replacement file is open"};
    while (m_failure.ok() && !bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            m_failure = Failure(errno, m_target);
        } else if (n == 0) {
            m_failure = Failure(EIO, m_target);
        } else {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    return m_failure;
}

FileResult FileReplacement::commit() {
    if (m_fd < 0) return FileResult{EBADF, "No replacement file is open"};
    // Writing, syncing and closing can each be where a full disk shows.
    if (m_failure.ok() && ::fsync(m_fd) != 0) m_failure = Failure(errno, m_target);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && m_failure.ok()) m_failure = Failure(errno, m_target);
    if (m_failure.ok() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        m_failure = Failure(errno, m_target);
    }
    if (!m_failure.ok()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        return m_failure;
    }
    m_temporary.clear();
    // Make the rename itself durable; the file is already complete either way.
    const int dir = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return {};
}

void FileReplacement::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

FileResult ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly) {
    FileReplacement file;
    if (FileResult r = file.begin(path, ownerOnly); !r.ok()) return r;
    if (FileResult r = file.write(bytes); !r.ok()) return r;
    return file.commit();
}

FileResult CopyFileDurably(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Failure(errno, from);
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        const int error = errno;
        ::close(in);
        return Failure(error, from);
    }
    ::unlink(to.c_str());
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return Failure(error, to);
    }
    FileResult result;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result = Failure(errno, from);
        if (got <= 0) break;
        for (ssize_t done = 0; done < got && result.ok();) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                result = Failure(put < 0 ? errno : ENOSPC, to);
                break;
            }
            done += put;
        }
        if (!result.ok()) break;
    }
    if (::fsync(out) != 0 && result.ok()) result = Failure(errno, to);
    if (::close(out) != 0 && result.ok()) result = Failure(errno, to);
    ::close(in);
    if (!result.ok()) ::unlink(to.c_str());
    return result;
}

FileResult SyncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failure(errno, path);
    FileResult result;
    if (::fsync(fd) != 0) result = Failure(errno, path);
    ::close(fd);
    return result;
}

FileResult RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Failure(errno, to);
    return {};
}

int WritableFileError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
}

int NewFileError(const std::string& folder, const std::string& stem) {
    std::string probe = folder + "/" + stem + ".XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return errno;
    ::close(fd);
    ::unlink(probe.c_str());
    return 0;
}

}  // namespace Tormel::Platform
