// SPDX-License-Identifier: MIT
// How much time the link adds to the waits the line protocol demands.
//
// 1. Connect to a simulated unit at the real timing, repeated: wall time against the floor,
//    the 100 ms pause after each line received (the dialogue itself is a few bytes).
// 2. The pass over listed ports that cannot be opened (missing device, a folder, a plain
//    file), with no unit anywhere: time per port, both attempts included.
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

using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::CommandTiming;
using Tormel::Domain::Modem::TraceDirection;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Tormel::Domain::Common::Communication Line9600() {
    Tormel::Domain::Common::Communication line{};
    line.BaudRate = 9600;
    line.DataBits = 8;
    line.Parity = Tormel::Domain::Common::Parity::None;
    line.StopBits = Tormel::Domain::Common::StopBits::One;
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("pelnix-bench-connect-" + std::to_string(getpid()));
    fs::create_directories(folder);

    auto port = Tormel::Platform::CreateSerialPort();
    Command::SerialPort(port.get());
    Command::Timing() = CommandTiming{};  // the real waits
    Command::CommunicationConfig(Line9600());

    // --- 1. Connect to a unit ---
    std::vector<double> ratios;
    std::vector<double> walls;
    {
        Pelnix::Sim::PtyServerOptions options;
        options.folder = folder.string();
        options.name = "unit0";
        Pelnix::Sim::PtyServer server(Pelnix::Sim::UnitState{}, options);
        const std::string& path = server.PortPath();
        Command::SetPortLister([path] { return std::vector<std::string>{path}; });

        int received = 0;
        Command::SetTraceSink([&received](TraceDirection direction, std::string_view, Clock::time_point) {
            if (direction == TraceDirection::Received) ++received;
        });
        // One round first, not counted: it compiles the patterns and warms the pty.
        if (Command::Connect() != CommandResult::Success) {
            std::fprintf(stderr, "no unit found on %s\n", path.c_str());
            return 1;
        }
        Command::Close();
        for (int round = 0; round < rounds; ++round) {
            received = 0;
            const auto start = Clock::now();
            const CommandResult result = Command::Connect();
            const double wall = Ms(Clock::now() - start);
            if (result != CommandResult::Success) {
                std::fprintf(stderr, "connect failed (%d) in round %d\n", static_cast<int>(result), round);
                return 1;
            }
            Command::Close();
            const double floor = received * Ms(Command::Timing().LinePause);
            walls.push_back(wall);
            ratios.push_back(wall / floor);
        }
        Command::SetTraceSink({});
        std::sort(ratios.begin(), ratios.end());
        std::sort(walls.begin(), walls.end());
        std::printf("Connect to the simulated unit (%d rounds, 3 lines received, floor %.0f ms)\n", rounds,
                    3 * Ms(Command::Timing().LinePause));
        std::printf("  wall time: median %.1f ms, worst %.1f ms\n", walls[walls.size() / 2], walls.back());
        std::printf("  measured/floor: median %.4f, worst %.4f (goal <= 1.05)\n", ratios[ratios.size() / 2],
                    ratios.back());
    }

    // --- 2. Ports that cannot be opened ---
    {
        const fs::path plainFile = folder / "not-a-tty";
        std::FILE* f = std::fopen(plainFile.c_str(), "w");
        if (f) std::fclose(f);
        const fs::path subFolder = folder / "a-folder";
        fs::create_directories(subFolder);

        std::vector<std::string> ports;
        ports.reserve(30);
        for (int i = 0; i < 28; ++i) ports.push_back((folder / ("missing" + std::to_string(i))).string());
        ports.push_back(plainFile.string());
        ports.push_back(subFolder.string());
        Command::SetPortLister([ports] { return ports; });

        const int repeats = 20;
        const auto start = Clock::now();
        for (int i = 0; i < repeats; ++i) {
            if (Command::Connect() != CommandResult::ErrConnect) {
                std::fprintf(stderr, "a port that cannot be opened answered\n");
                return 1;
            }
        }
        const double perPort = Ms(Clock::now() - start) / (repeats * static_cast<double>(ports.size()));
        std::printf("Passing over a listed port that cannot be opened (both attempts)\n");
        std::printf("  %.4f ms per port (goal < 1 ms), averaged over %d scans of %zu ports\n", perPort,
                    repeats, ports.size());
    }

    Command::SetPortLister({});
    Command::SerialPort(nullptr);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
