// SPDX-License-Identifier: MIT
// pelnix-connect-demo: scans the serial ports for an RS485 wireless unit, identifies it and
// prints what it found. Useful without a display, and to check a cable and a port quickly.
//
//   pelnix-connect-demo [--trace] [--baud N]
//
// --trace prints the dialogue with the unit as it happens; --baud sets the bit rate of the
// second attempt on each port (the first is always 9600 8N1).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "domain/app/TormelApp.h"
#include "domain/modem/Command.h"
#include "domain/modem/Replies.h"
#include "platform/SerialPort.h"

using Tormel::Domain::App::AppCompletedCode;
using Tormel::Domain::App::AppResult;
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

    // The windows' controller runs the scan; its completion comes back through this queue.
    struct Queue {
        std::mutex mutex;
        std::condition_variable ready;
        std::deque<Tormel::Platform::BackgroundWorker::Task> tasks;
    };
    auto queue = std::make_shared<Queue>();
    Tormel::Domain::App::TormelApp app([queue](Tormel::Platform::BackgroundWorker::Task task) {
        {
            const std::lock_guard lock(queue->mutex);
            queue->tasks.push_back(std::move(task));
        }
        queue->ready.notify_one();
    });
    if (app.Init() != AppResult::Success) {
        std::printf("result:  the program could not set itself up\n");
        return 1;
    }
    Tormel::Domain::Common::Communication wanted{};
    wanted.BaudRate = baud;
    wanted.DataBits = 8;
    wanted.Parity = Tormel::Domain::Common::Parity::None;
    wanted.StopBits = Tormel::Domain::Common::StopBits::One;
    app.CommunicationConfig(wanted);

    std::printf("scanning (a port where nothing answers takes about 20 s)...\n");
    std::fflush(stdout);
    bool done = false;
    AppCompletedCode code = AppCompletedCode::ConnectError;
    if (app.Connect([&](AppCompletedCode completed) {
            code = completed;
            done = true;
        }) != AppResult::Pendding) {
        std::printf("result:  the scan could not start\n");
        return 1;
    }
    while (!done) {
        std::unique_lock lock(queue->mutex);
        queue->ready.wait(lock, [&] { return !queue->tasks.empty(); });
        auto task = std::move(queue->tasks.front());
        queue->tasks.pop_front();
        lock.unlock();
        task();
    }
    (void)app.Completed(code);
    const CommandResult result = app.LastCommandResult();
    // The port the scan ended on, with the name and version the unit gave there.
    for (const auto& facts : Command::LastScan().Ports) {
        if (!facts.Result) continue;
        std::printf("port:    %s\n", facts.PortName.c_str());
        std::printf("name:    %s\n", Printable(facts.Name).c_str());
        std::printf("version: %s\n", Printable(facts.Version).c_str());
    }
    if (result == CommandResult::Success)
        std::printf("whitening: %s\n", Command::IsWhitening() ? "available" : "not available");
    std::printf("result:  %s\n", Describe(result));
    if (result != CommandResult::Success && !app.Result().empty())
        std::printf("last reply: %s\n", Printable(app.Result()).c_str());

    for (const auto& refused : Command::m_refusedPorts) {
        std::printf("not allowed to open %s: %s (on Debian, add your user to the dialout group)\n",
                    refused.PortName.c_str(), refused.Reason.c_str());
    }
    (void)app.Disconnect();
    (void)app.End();
    return result == CommandResult::Success ? 0 : 1;
}
