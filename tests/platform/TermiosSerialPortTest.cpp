// SPDX-License-Identifier: MIT
// The termios port against a real pseudo-terminal; the test plays the device on the master.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "platform/PtyPair.h"
#include "platform/SerialPort.h"
#include "platform/TermiosLine.h"
#include "support/SimPty.h"

using namespace Tormel::Platform;
using Pelnix::Test::PtyPair;
using namespace std::chrono_literals;

namespace {

SerialSettings SettingsFor(const std::string& path, int readTimeoutMs = 300) {
    SerialSettings settings;
    settings.PortName = path;
    settings.ReadTimeoutMs = readTimeoutMs;
    settings.WriteTimeoutMs = 300;
    return settings;
}

struct OpenPort {
    PtyPair pty;
    std::unique_ptr<ISerialPort> port = CreateSerialPort();
    explicit OpenPort(int readTimeoutMs = 300) {
        const SerialResult opened = port->Open(SettingsFor(pty.SlavePath(), readTimeoutMs));
        if (!opened.ok()) throw std::runtime_error(opened.message);
    }
};

}  // namespace

TEST(TermiosSettings, EveryUnitBitRateAndStopBitsReachThePty) {
    PtyPair pty;
    auto port = CreateSerialPort();
    for (int rate : {2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200}) {
        for (StopBits stop : {StopBits::One, StopBits::Two}) {
            SerialSettings settings = SettingsFor(pty.SlavePath());
            settings.BaudRate = rate;
            settings.StopBits = stop;
            ASSERT_TRUE(port->Open(settings).ok()) << rate;
            LineReadback line;
            ASSERT_TRUE(ReadBackLineSettings(pty.Master(), line).ok());
            EXPECT_EQ(line.BaudRate, rate);
            EXPECT_EQ(line.StopBits, stop) << rate;
            ASSERT_TRUE(port->Close().ok());
        }
    }
}

TEST(TermiosSettings, RequestCarriesDataBitsAndParity) {
    SerialSettings settings;
    TermiosRequest request;
    settings.DataBits = 7;
    ASSERT_TRUE(BuildTermiosRequest(settings, request).ok());
    EXPECT_EQ(request.cflag & CSIZE, static_cast<uint32_t>(CS7));
    settings.DataBits = 8;
    ASSERT_TRUE(BuildTermiosRequest(settings, request).ok());
    EXPECT_EQ(request.cflag & CSIZE, static_cast<uint32_t>(CS8));

    struct Case {
        Parity parity;
        uint32_t bits;  // of PARENB | PARODD | CMSPAR
    };
    for (const Case& c :
         {Case{Parity::None, 0}, Case{Parity::Odd, PARENB | PARODD}, Case{Parity::Even, PARENB},
          Case{Parity::Mark, PARENB | PARODD | CMSPAR}, Case{Parity::Space, PARENB | CMSPAR}}) {
        settings.Parity = c.parity;
        ASSERT_TRUE(BuildTermiosRequest(settings, request).ok());
        EXPECT_EQ(request.cflag & (PARENB | PARODD | CMSPAR), c.bits) << static_cast<int>(c.parity);
    }
    // Raw line: receiver on, modem lines ignored, no flow control, no translation, no echo.
    EXPECT_TRUE(request.cflag & CREAD);
    EXPECT_TRUE(request.cflag & CLOCAL);
    EXPECT_FALSE(request.cflag & CRTSCTS);
    EXPECT_EQ(request.iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(request.lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(request.oflag & OPOST, 0u);
}

TEST(TermiosSettings, SettingsThePortCannotTakeAreRefusedBeforeOpening) {
    PtyPair pty;
    auto port = CreateSerialPort();
    auto refused = [&](auto change) {
        SerialSettings settings = SettingsFor(pty.SlavePath());
        change(settings);
        const SerialResult result = port->Open(settings);
        EXPECT_FALSE(port->IsOpen());
        EXPECT_FALSE(result.message.empty());
        return result.status;
    };
    EXPECT_EQ(refused([](SerialSettings& s) { s.BaudRate = 0; }), SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.DataBits = 5; }), SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.StopBits = StopBits::OnePointFive; }),
              SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.StopBits = StopBits::None; }), SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.Parity = static_cast<Parity>(9); }),
              SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.Handshake = Handshake::RequestToSend; }),
              SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.NewLine.clear(); }), SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.ReadTimeoutMs = -1; }), SerialStatus::InvalidSetting);
    EXPECT_EQ(refused([](SerialSettings& s) { s.PortName.clear(); }), SerialStatus::InvalidSetting);
}

TEST(TermiosOpen, FailuresKeepTheirReason) {
    Pelnix::Test::TempFolder folder;
    auto port = CreateSerialPort();

    SerialResult missing = port->Open(SettingsFor(folder.Path() + "/ttyNONE"));
    EXPECT_EQ(missing.status, SerialStatus::Error);
    EXPECT_EQ(missing.errorNumber, ENOENT);
    EXPECT_NE(missing.message.find("No such file"), std::string::npos) << missing.message;

    SerialResult directory = port->Open(SettingsFor(folder.Path()));
    EXPECT_EQ(directory.errorNumber, EISDIR);

    const std::string file = folder.Path() + "/plain";
    std::ofstream(file) << "not a tty";
    SerialResult plain = port->Open(SettingsFor(file));
    EXPECT_EQ(plain.errorNumber, ENOTTY);
    EXPECT_NE(plain.message.find("not a serial device"), std::string::npos) << plain.message;
    EXPECT_FALSE(port->IsOpen());
}

TEST(TermiosOpen, PermissionDeniedIsKeptForTheUser) {
    // Root opens anything, so the denial is checked in a child that gave up root first.
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0600), 0);
    const bool asRoot = ::geteuid() == 0;
    if (!asRoot) {
        ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0), 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        auto port = CreateSerialPort();
        const SerialResult denied = port->Open(SettingsFor(pty.SlavePath()));
        const bool good = denied.status == SerialStatus::Error && denied.errorNumber == EACCES &&
                          denied.message.find("Permission denied") != std::string::npos && !port->IsOpen();
        ::_exit(good ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(TermiosOpen, CallsOnAClosedPortSayNotOpen) {
    auto port = CreateSerialPort();
    std::string line;
    EXPECT_EQ(port->ReadLine(line).status, SerialStatus::NotOpen);
    EXPECT_EQ(port->WriteLine("~CONNECT?").status, SerialStatus::NotOpen);
    EXPECT_EQ(port->DiscardInBuffer().status, SerialStatus::NotOpen);
    EXPECT_EQ(port->DiscardOutBuffer().status, SerialStatus::NotOpen);
    EXPECT_TRUE(port->Close().ok());
}

TEST(TermiosLines, LinesAreCutAtCrLfWhateverTheWritesWere) {
    OpenPort p;
    std::string line;

    // One line in three writes.
    p.pty.Send("Tarvic2(92");
    p.pty.Send("0MHz) TX-910A Ver1.7\r");
    p.pty.Send("\n");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "Tarvic2(920MHz) TX-910A Ver1.7");

    // Two lines and the start of a third in one write: the rest stays for later reads.
    p.pty.Send("ok\r\n2.6\r\nbaud=");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "ok");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "2.6");
    EXPECT_EQ(p.port->ReadLine(line).status, SerialStatus::TimedOut);
    p.pty.Send("9600\r\n");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "baud=9600");

    // CR LF alone is an empty line.
    p.pty.Send("\r\n");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "");

    // Any byte passes through untouched; a lone CR or LF does not end a line.
    const std::string binary("a\0b\rc\nd\xff\x80\x1b[0m", 13);
    p.pty.Send(binary + "\r\n");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, binary);
}

TEST(TermiosLines, AnOverLongLineFailsAndTheNextLineIsRead) {
    OpenPort p(2000);
    std::string line;
    std::thread device([&] { p.pty.Send(std::string(std::size_t{200} * 1024, 'x') + "\r\nok\r\n"); });
    const SerialResult tooLong = p.port->ReadLine(line);
    EXPECT_EQ(tooLong.status, SerialStatus::Error);
    EXPECT_EQ(tooLong.errorNumber, EMSGSIZE);
    // The rest of the long line is dropped, not handed out as a line of its own.
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "ok");
    device.join();
}

TEST(TermiosLines, TimeOutWithoutDataAndDiscard) {
    OpenPort p(150);
    std::string line = "unchanged";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.port->ReadLine(line).status, SerialStatus::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    EXPECT_EQ(line, "unchanged");

    // A partial line and unread lines are gone after a discard.
    p.pty.Send("stale\r\npart");
    EXPECT_EQ(p.port->ReadLine(line).status, SerialStatus::Ok);
    ASSERT_TRUE(p.port->DiscardInBuffer().ok());
    p.pty.Send("fresh\r\n");
    ASSERT_TRUE(p.port->ReadLine(line).ok());
    EXPECT_EQ(line, "fresh");
}

TEST(TermiosLines, WriteLineAddsTheTerminatorAndHonoursTheTimeOut) {
    OpenPort p;
    ASSERT_TRUE(p.port->WriteLine("~BAUD=3").ok());
    EXPECT_EQ(p.pty.Receive(), "~BAUD=3\r\n");

    // Nobody reads the other side: the write gives up at its time-out instead of blocking.
    const SerialResult stuck = p.port->WriteLine(std::string(std::size_t{4} * 1024 * 1024, 'x'));
    EXPECT_EQ(stuck.status, SerialStatus::TimedOut);
    EXPECT_TRUE(p.port->DiscardOutBuffer().ok());
}

TEST(TermiosLines, DeviceGoneGivesHungUp) {
    OpenPort p(5000);
    std::string line;
    p.pty.Send("half a li");
    std::thread unplug([&] {
        std::this_thread::sleep_for(50ms);
        p.pty.CloseMaster();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(p.port->ReadLine(line).status, SerialStatus::HungUp);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    unplug.join();
    EXPECT_EQ(p.port->WriteLine("~CONNECT?").status, SerialStatus::HungUp);
    EXPECT_TRUE(p.port->Close().ok());
}
