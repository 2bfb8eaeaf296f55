// SPDX-License-Identifier: MIT
#pragma once

// The fixture of the tests that run pelnix-cli as a user does: a process against simulated
// units on ptys, in a private runtime folder with no real device, with shortened waits.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "support/SimPty.h"

using namespace std::chrono_literals;
using Pelnix::Sim::UnitFamily;
using Pelnix::Sim::UnitState;
using Pelnix::Test::SimPty;
using Pelnix::Test::TempFolder;
namespace fs = std::filesystem;

namespace {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
    QJsonObject json() const { return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object(); }
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// A private runtime folder whose port folder the program scans, and no real device.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_ports = m_root.Path() + "/rt/pelnix-config/ports";
        fs::create_directories(m_ports);
        for (const std::string& d : {m_root.Path() + "/rt", m_root.Path() + "/rt/pelnix-config", m_ports})
            ::chmod(d.c_str(), 0700);
        fs::create_directories(m_root.Path() + "/nosys");
    }

    std::unique_ptr<SimPty> Unit(const std::string& name, UnitState state = {}) {
        return std::make_unique<SimPty>(std::move(state), m_ports, name);
    }
    static UnitState Tx330() {
        UnitState s;
        s.family = UnitFamily::Tx330;
        s.name = "Brenlow TX-330 Ver1.0";
        s.version = "1.0";
        return s;
    }
    std::string File(const std::string& name) const { return m_root.Path() + "/" + name; }

    // A started run: its PID and the read ends of its stdout and stderr.
    struct Running {
        pid_t pid = -1;
        int out = -1;
        int err = -1;
    };

    // Starts the program with the shortened protocol waits.
    Running Start(std::vector<std::string> args, bool asNobody = false) {
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
        const std::string rt = m_root.Path() + "/rt";
        const std::string sys = m_root.Path() + "/nosys";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::setenv("XDG_RUNTIME_DIR", rt.c_str(), 1);
            ::setenv("PELNIX_SYSFS_TTY", sys.c_str(), 1);
            ::setenv("PELNIX_TIMING", m_timing.c_str(), 1);
            // A careless umask must not widen what the program protects.
            ::umask(0);
            ::setenv("LANG", "C", 1);
            if (asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
            std::vector<char*> argv{const_cast<char*>(PELNIX_CLI)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(PELNIX_CLI, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        return {pid, out[0], err[0]};
    }

    // Collects a started run's output until it ends; a run that outlives `within` is killed.
    static CliRun Finish(const Running& running, std::chrono::milliseconds within = 60s) {
        CliRun run;
        const auto deadline = std::chrono::steady_clock::now() + within;
        pollfd fds[2] = {{running.out, POLLIN, 0}, {running.err, POLLIN, 0}};
        int open = 2;
        while (open > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0) {
                ::kill(running.pid, SIGKILL);
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
                char chunk[4096];
                const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
                if (n <= 0) {
                    fds[i].fd = -1;
                    --open;
                } else {
                    (i == 0 ? run.out : run.err).append(chunk, static_cast<std::size_t>(n));
                }
            }
        }
        ::close(running.out);
        ::close(running.err);
        int status = 0;
        ::waitpid(running.pid, &status, 0);
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    CliRun Cli(std::vector<std::string> args, bool asNobody = false, std::chrono::milliseconds within = 60s) {
        const Running running = Start(std::move(args), asNobody);
        if (running.pid < 0) return {};
        return Finish(running, within);
    }

    TempFolder m_root;
    std::string m_ports;
    // Short enough for silent ports to pass quickly, long enough that a loaded machine (sanitizer
    // builds, parallel tests) still answers in time.
    std::string m_timing = "read=400,tries=2,pause=0,reopen=20,radio=20,reset=20";
};

}  // namespace
