// SPDX-License-Identifier: MIT
#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace Tormel::Platform {
namespace {

std::string Reason(int error) { return std::system_category().message(error); }

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FolderLock::~FolderLock() {
    if (m_fd >= 0) ::close(m_fd);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FolderLock FolderLock::Acquire(const std::string& path, const std::string& holder, Refusal& refusal) {
    FolderLock lock;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        refusal = Refusal{false, {}, Reason(errno)};
        return lock;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        std::string text;
        char chunk[512];
        for (ssize_t n; text.size() < 4096 &&
                        (n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0;)
            text.append(chunk, static_cast<std::size_t>(n));
        ::close(fd);
        refusal = error == EWOULDBLOCK ? Refusal{true, text, {}} : Refusal{false, {}, Reason(error)};
        return lock;
    }
    if (::ftruncate(fd, 0) != 0 || !WriteAll(fd, holder) || ::fdatasync(fd) != 0) {
        refusal = Refusal{false, {}, Reason(errno)};
        ::close(fd);
        return lock;
    }
    lock.m_fd = fd;
    return lock;
}

DurableAppender::~DurableAppender() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<std::string> DurableAppender::open(const std::string& path) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) return Reason(errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno != 0 ? errno : EINVAL;
        ::close(m_fd);
        m_fd = -1;
        return Reason(S_ISDIR(st.st_mode) ? EISDIR : error);
    }
    return std::nullopt;
}

bool DurableAppender::isEmpty() const {
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && st.st_size == 0;
}

bool DurableAppender::append(const std::string& bytes) {
    return m_fd >= 0 && WriteAll(m_fd, bytes) && ::fdatasync(m_fd) == 0;
}

}  // namespace Tormel::Platform
