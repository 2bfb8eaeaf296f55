// SPDX-License-Identifier: MIT
// pelnix-connect-demo: scans the serial ports for an RS485 wireless unit, identifies it and
// prints what it found. Useful without a display, and to check a cable and a port quickly.
//
//   pelnix-connect-demo [--trace] [--baud N]
//
// --trace prints the dialogue with the unit as it happens; --baud sets the bit rate of the
// second attempt on each port (the first is always 9600 8N1).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "domain/modem/Command.h"
#include "domain/modem/Replies.h"
#include "platform/SerialPort.h"

using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::TraceDirection;

namespace {

const char* Describe(CommandResult result) {
    switch (result) {
        case CommandResult::Success:
            return "connected to a supported unit";
        case CommandResult::ErrUnsupported:
            return "a device answered, but it is not a supported unit";
        case CommandResult::ErrConnect:
            return "no unit answered on any port";
        default:
            return "the scan failed";
    }
}

std::string Printable(std::string_view line) {
    std::string out;
    for (const unsigned char c : line) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    bool trace = false;
    int baud = 9600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--trace") == 0) {
            trace = true;
        } else if (std::strcmp(argv[i], "--baud") == 0 && i + 1 < argc) {
            baud = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--trace] [--baud N]\n", argv[0]);
            return 2;
        }
    }

    const auto ports = Tormel::Platform::ListSerialPortNames();
    std::printf("serial ports found: %zu\n", ports.size());
    for (const auto& name : ports) std::printf("  %s\n", name.c_str());
    if (ports.empty()) {
        std::printf("result: no serial port to scan\n");
        return 1;
    }
    std::fflush(stdout);

    if (trace) {
        const auto start = std::chrono::steady_clock::now();
        Command::SetTraceSink([start](TraceDirection direction, std::string_view line,
                                      std::chrono::steady_clock::time_point when) {
            const double ms = std::chrono::duration<double, std::milli>(when - start).count();
            const char* arrow = direction == TraceDirection::Sent       ? "->"
                                : direction == TraceDirection::Received ? "<-"
                                                                        : "..";
            std::printf("%9.1f ms %s %s\n", ms, arrow,
                        Printable(Tormel::Domain::Modem::Replies::MaskKeyMaterial(line)).c_str());
            std::fflush(stdout);
        });
    }

    auto port = Tormel::Platform::CreateSerialPort();
    Command::SerialPort(port.get());
    Tormel::Domain::Common::Communication wanted{};
    wanted.BaudRate = baud;
    wanted.DataBits = 8;
    wanted.Parity = Tormel::Domain::Common::Parity::None;
    wanted.StopBits = Tormel::Domain::Common::StopBits::One;
    Command::CommunicationConfig(wanted);

    std::printf("scanning (a port where nothing answers takes about 20 s)...\n");
    std::fflush(stdout);
    const CommandResult result = Command::Connect();

    if (result != CommandResult::ErrConnect) {
        std::printf("port:    %s\n", Command::m_portName.c_str());
        std::printf("name:    %s\n", Printable(Command::m_nodeinfo.SoftwareName).c_str());
        std::printf("version: %s\n", Printable(Command::m_nodeinfo.SoftwareVersion).c_str());
        if (result == CommandResult::Success) {
            std::printf("whitening: %s\n", Command::IsWhitening() ? "available" : "not available");
        }
    }
    std::printf("result:  %s\n", Describe(result));
    if (result != CommandResult::Success && !Command::Result().empty())
        std::printf("last reply: %s\n", Printable(Command::Result()).c_str());

    for (const auto& refused : Command::m_refusedPorts) {
        std::printf("not allowed to open %s: %s (on Debian, add your user to the dialout group)\n",
                    refused.PortName.c_str(), refused.Reason.c_str());
    }

    try {
        Command::Close();
    } catch (...) {
    }
    Command::SerialPort(nullptr);
    return result == CommandResult::Success ? 0 : 1;
}
