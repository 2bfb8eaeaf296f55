// SPDX-License-Identifier: MIT
// How much time the RS485 command set adds to the waits the line protocol demands: a full
// ConnectAndRead and then a full Write at the real timing against a simulated unit at 2.6
// (newer module, whitening) on a pseudo-terminal. The floor is what the tool must wait on
// the lines actually exchanged: the pause after each received line and the delay of each
// reopen of the port.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/Command.h"
#include "platform/SerialPort.h"
#include "sim/PtyServer.h"
#include "sim/Rs485Unit.h"

using namespace Tormel::Domain::Common;
using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::CommandTiming;
using Tormel::Domain::Modem::TraceDirection;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Communication Line(int baud, int dataBits, Parity parity, StopBits stopBits) {
    Communication line{};
    line.BaudRate = baud;
    line.DataBits = dataBits;
    line.Parity = parity;
    line.StopBits = stopBits;
    line.IntfPort = 1;
    return line;
}

// What a technician writes: every setting away from the unit's factory values, bindings for
// four groups, a new AES key, and the line moved to 19200 bit/s, parity Even, two stop bits.
void LoadSettings() {
    Command::m_communication = Line(19200, 8, Parity::Even, StopBits::Two);
    auto& node = Command::m_nodeinfo;
    node.IdOffset = 1234;
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES256;
    node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
    for (auto field : kAESEncryptKeyFields) node.*field = 0x5AA5;
    node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
    node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
    auto& p = Command::m_protocol;
    p.ThroughMode = ProtocolThrough::Mark;
    p.SilentChar = 20;
    p.DeviEnable = ProtocolDeviEnable::Enable;
    p.PacketStartCode = 0x03, p.PacketEndCode = 0x02, p.PacketOffset = 2;  // a swap of the factory marks
    p.Fmt2Enable = ProtocolFmt2Enable::Enable;
    p.PacketStartCode2nd = 0x0A, p.PacketEndCode2nd = 0x0D, p.PacketOffset2nd = 1;
    p.AddressOffset = 3, p.AddressLength = 2, p.AddressFormat = ProtocolFormat::HexadecimalNumber;
    p.AddressOffset2nd = 4, p.AddressLength2nd = 1, p.AddressFormat2nd = ProtocolFormat::BigEndian;
    p.BcastAddr = 0xFFFE;
    auto& b = Command::m_binding;
    b.BindType = BindingType::Group;
    b.Groups = std::vector<BindingGroup>{{1, 0xE0, 0x00}, {2, 0xE0, 0x20}, {3, 0xE0, 0x40}, {4, 0xE0, 0x60}};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("pelnix-bench-readwrite-" + std::to_string(getpid()));
    fs::create_directories(folder);

    auto port = Tormel::Platform::CreateSerialPort();
    Command::SerialPort(port.get());
    Command::Timing() = CommandTiming{};  // the real waits

    const Pelnix::Sim::UnitState factory = Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7");
    Pelnix::Sim::PtyServerOptions options;
    options.folder = folder.string();
    options.name = "unit0";
    Pelnix::Sim::PtyServer server(factory, options);
    const std::string path = server.PortPath();
    Command::SetPortLister([path] { return std::vector<std::string>{path}; });

    int received = 0;
    int opened = 0;
    Command::SetTraceSink([&](TraceDirection direction, std::string_view line, Clock::time_point) {
        if (direction == TraceDirection::Received) ++received;
        if (direction == TraceDirection::Event && line.starts_with("opened ")) ++opened;
    });

    std::vector<double> walls, floors, ratios;
    int lines = 0, reopens = 0;
    for (int round = 0; round < rounds; ++round) {
        server.ResetUnit(factory);
        Command::m_nodeinfo = {};
        Command::CommunicationConfig(Line(9600, 8, Parity::None, StopBits::One));
        received = 0;
        const auto start = Clock::now();
        if (Command::ConnectAndRead() != CommandResult::Success) {
            std::fprintf(stderr, "connect and read failed: %s\n", Command::Result().c_str());
            return 1;
        }
        opened = 0;  // the scan's own open is not a reopen
        LoadSettings();
        if (Command::Write() != CommandResult::Success) {
            std::fprintf(stderr, "write failed: %s\n", Command::Result().c_str());
            return 1;
        }
        const double wall = Ms(Clock::now() - start);
        Command::Close();
        const double floor =
            received * Ms(Command::Timing().LinePause) + opened * Ms(Command::Timing().ReopenDelay);
        lines = received;
        reopens = opened;
        walls.push_back(wall);
        floors.push_back(floor);
        ratios.push_back(wall / floor);
    }
    Command::SetTraceSink({});
    std::sort(walls.begin(), walls.end());
    std::sort(ratios.begin(), ratios.end());
    std::printf(
        "RS485 unit 2.6: ConnectAndRead + Write (%d rounds, %d lines received, %d reopens, floor %.0f ms)\n",
        rounds, lines, reopens, floors.back());
    std::printf("  wall time: median %.1f ms, worst %.1f ms\n", walls[walls.size() / 2], walls.back());
    std::printf("  measured/floor: median %.4f, worst %.4f (goal <= 1.05)\n", ratios[ratios.size() / 2],
                ratios.back());

    Command::SetPortLister({});
    Command::SerialPort(nullptr);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
