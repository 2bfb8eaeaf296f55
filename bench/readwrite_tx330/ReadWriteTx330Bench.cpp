// SPDX-License-Identifier: MIT
// A full read and a full write of a contact-I/O unit at the real timing, against the waits
// the line protocol demands for the lines actually exchanged:
//   100 ms after every line received, 500 ms after each channel-plan or modulation request,
//   500 ms between closing and reopening the port after each line-setting change.
// Each round starts from a unit at its factory values, so the write changes the bit rate,
// the parity and the answer wait time (three reopens) and every radio and contact setting.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/TX330Command.h"
#include "domain/modem/TX330DidoCommand.h"
#include "domain/modem/TX330WirelessCommand.h"
#include "platform/SerialPort.h"
#include "sim/PtyServer.h"
#include "sim/Tx330Unit.h"

using namespace Tormel::Domain::Common;
using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::CommandTiming;
using Tormel::Domain::Modem::DidoCommand;
using Tormel::Domain::Modem::TraceDirection;
using Tormel::Domain::Modem::TX330Command;
using Tormel::Domain::Modem::WirelessCommand;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Communication Line(int baud, Parity parity) {
    Communication line{};
    line.BaudRate = baud;
    line.DataBits = 8;
    line.Parity = parity;
    line.StopBits = StopBits::One;
    return line;
}

// What the protocol itself makes the tool wait for, counted from the trace.
struct Floor {
    int received = 0;
    int radioChanges = 0;
    int reopens = 0;
    double Ms(const CommandTiming& t) const {
        return received * ::Ms(t.LinePause) + radioChanges * ::Ms(t.RadioChangeDelay) +
               reopens * ::Ms(t.ReopenDelay);
    }
};

void LoadSettings() {
    Communication line = Line(19200, Parity::Even);
    line.Awt = 12;
    TX330Command::m_communication = line;
    TX330Command::m_nodeinfo.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    TX330Command::m_nodeinfo.AESEncryptType = NodeinfoAESEncryptType::AES256;
    TX330Command::m_nodeinfo.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
    for (int i = 0; i < 16; ++i) TX330Command::m_nodeinfo.*kAESEncryptKeyFields[i] = 0x1000u + 0x0101u * i;
    DidoCommand::DidoinfoConfig({DidoinfoDoBind::DI3, DidoinfoDoBind::DI1, DidoinfoDoBind::DI2,
                                 DidoinfoDoInvert::INVERT, DidoinfoDoInvert::NONINVERT,
                                 DidoinfoDoInvert::INVERT, DidoinfoDoOffDelay{1200}, DidoinfoDoOnDelay{7},
                                 DidoinfoDoKeepTime{30}, DidoinfoDoKeepSignal::ON, DidoinfoDiDelay{23}});
    WirelessCommand::WirelessinfoConfig({WirelessinfoChMode::CH24to37, WirelessinfoOpMode::LoRa,
                                         WirelessinfoCh{30}, WirelessinfoNodeId{99},
                                         WirelessinfoGrpId{65534}});
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("pelnix-bench-tx330-" + std::to_string(getpid()));
    fs::create_directories(folder);

    auto port = Tormel::Platform::CreateSerialPort();
    Command::SerialPort(port.get());
    Command::Timing() = CommandTiming{};  // the real waits

    Pelnix::Sim::PtyServerOptions options;
    options.folder = folder.string();
    options.name = "tx330";
    Pelnix::Sim::PtyServer server(Pelnix::Sim::Tx330FactoryState(), options);
    const std::string path = server.PortPath();
    Command::SetPortLister([path] { return std::vector<std::string>{path}; });

    Floor floor;
    bool counting = false;
    Command::SetTraceSink([&](TraceDirection direction, std::string_view line, Clock::time_point) {
        if (!counting) return;
        if (direction == TraceDirection::Received) ++floor.received;
        if (direction == TraceDirection::Sent &&
            (line.starts_with("~CHMODE=") || line.starts_with("~OPMODE=")))
            ++floor.radioChanges;
        if (direction == TraceDirection::Event && line.starts_with("opened ")) ++floor.reopens;
    });

    std::vector<double> walls, ratios;
    Floor last;
    for (int round = 0; round < rounds; ++round) {
        server.ResetUnit(Pelnix::Sim::Tx330FactoryState());
        Command::CommunicationConfig(Line(9600, Parity::None));
        floor = {};
        counting = true;
        const auto start = Clock::now();
        const CommandResult read = TX330Command::ConnectAndRead();
        // The scan's own open is not a reopen after a line-setting change.
        floor.reopens = 0;
        LoadSettings();
        const CommandResult write = read == CommandResult::Success ? TX330Command::Write() : read;
        const double wall = Ms(Clock::now() - start);
        counting = false;
        Command::Close();
        if (read != CommandResult::Success || write != CommandResult::Success) {
            std::fprintf(stderr, "round %d failed: read %d, write %d, last line \"%s\"\n", round,
                         static_cast<int>(read), static_cast<int>(write), Command::Result().c_str());
            return 1;
        }
        walls.push_back(wall);
        ratios.push_back(wall / floor.Ms(Command::Timing()));
        last = floor;
    }

    std::sort(walls.begin(), walls.end());
    std::sort(ratios.begin(), ratios.end());
    std::printf("Contact-I/O unit: ConnectAndRead + Write at real timing (%d rounds)\n", rounds);
    std::printf("  lines received %d, radio changes %d, reopens %d: floor %.0f ms\n", last.received,
                last.radioChanges, last.reopens, last.Ms(Command::Timing()));
    std::printf("  wall time: median %.1f ms, worst %.1f ms\n", walls[walls.size() / 2], walls.back());
    std::printf("  measured/floor: median %.4f, worst %.4f (goal <= 1.05)\n", ratios[ratios.size() / 2],
                ratios.back());

    Command::SetTraceSink({});
    Command::SetPortLister({});
    Command::SerialPort(nullptr);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
