// SPDX-License-Identifier: MIT
#pragma once

// A bare pseudo-terminal for the port tests: the test plays the device on the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace Pelnix::Test {

class PtyPair {
  public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            throw std::runtime_error("no pty");
        }
        char name[128];
        ::ptsname_r(m_master, name, sizeof name);
        m_slavePath = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    void Send(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("pty write failed");
            done += static_cast<std::size_t>(n);
        }
    }

    // Everything the port wrote within the time given.
    std::string Receive(std::chrono::milliseconds within = std::chrono::milliseconds(500)) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + within;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) return got;
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0 || !(p.revents & POLLIN)) return got;
            char chunk[1024];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n <= 0) return got;
            got.append(chunk, static_cast<std::size_t>(n));
            if (got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0) return got;
        }
    }

    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

  private:
    int m_master = -1;
    std::string m_slavePath;
};

}  // namespace Pelnix::Test
