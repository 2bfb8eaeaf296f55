// SPDX-License-Identifier: MIT
// The pelnix-unit-sim program as a user runs it: flags, the printed port, the log, the stop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/SerialPort.h"
#include "support/SimPty.h"

using namespace Tormel::Platform;
using namespace std::chrono_literals;

namespace {

// The program with its standard output on a pipe.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::dup2(out[1], 2);
            std::vector<char*> argv{const_cast<char*>(PELNIX_UNIT_SIM)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(PELNIX_UNIT_SIM, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
    }
    ~Program() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
    }
    // Reads output until it holds `text` or the time is up.
    bool WaitFor(const std::string& text, std::chrono::milliseconds within = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + within;
        while (m_output.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) return false;
            pollfd p{m_out, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
            char chunk[512];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0) return m_output.find(text) != std::string::npos;
            m_output.append(chunk, static_cast<std::size_t>(n));
        }
        return true;
    }
    int Stop(int sig) {
        ::kill(m_pid, sig);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Wait() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Output() const { return m_output; }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_output;
};

std::string Ask(ISerialPort& port, const std::string& request) {
    port.DiscardInBuffer();
    port.WriteLine(request);
    std::string line;
    return port.ReadLine(line).ok() ? line : "<none>";
}

}  // namespace

TEST(UnitSimProgram, ServesTheNamedPortLogsAndUnregistersOnStop) {
    Pelnix::Test::TempFolder folder;
    const std::string ports = folder.Path() + "/ports";
    Program sim({"--family", "tx330", "--folder", ports, "--name", "bench1", "--log", "--silent", "~VER",
                 "--wrong", "~NAME", "nobody"});
    ASSERT_TRUE(sim.WaitFor(ports + "/bench1\n")) << sim.Output();

    auto port = CreateSerialPort();
    SerialSettings settings;
    settings.PortName = ports + "/bench1";
    settings.ReadTimeoutMs = 300;
    ASSERT_TRUE(port->Open(settings).ok());
    EXPECT_EQ(Ask(*port, "~CONNECT?"), "ok");
    EXPECT_EQ(Ask(*port, "~VER?"), "<none>");
    EXPECT_EQ(Ask(*port, "~NAME?"), "nobody");
    EXPECT_TRUE(sim.WaitFor("reply    nobody")) << sim.Output();
    EXPECT_NE(sim.Output().find("request  ~VER?"), std::string::npos) << sim.Output();
    port->Close();

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports + "/bench1")));
}

TEST(UnitSimProgram, EndsWhenItHungUpAndRefusesBadFlags) {
    Pelnix::Test::TempFolder folder;
    Program sim({"--folder", folder.Path() + "/ports", "--name", "x", "--hangup-after", "1"});
    ASSERT_TRUE(sim.WaitFor("/x\n")) << sim.Output();
    auto port = CreateSerialPort();
    SerialSettings settings;
    settings.PortName = folder.Path() + "/ports/x";
    ASSERT_TRUE(port->Open(settings).ok());
    EXPECT_EQ(Ask(*port, "~CONNECT?"), "<none>");
    EXPECT_EQ(sim.Wait(), 0);

    for (std::vector<std::string> bad : {std::vector<std::string>{"--family", "rs232"},
                                         {"--hangup-after", "zero"},
                                         {"--state", folder.Path() + "/missing.txt"},
                                         {"--name"}}) {
        Program refused(bad);
        EXPECT_EQ(refused.Wait(), 2) << bad[0];
    }
}
