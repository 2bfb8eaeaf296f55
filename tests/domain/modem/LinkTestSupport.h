// SPDX-License-Identifier: MIT
// What the link's tests share: a real termios port handed to the link, a shortened timing
// record, an injected port list, and a thread-safe record of the link's trace.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/Command.h"
#include "platform/SerialPort.h"
#include "support/SimPty.h"

namespace Pelnix::Test {

using Tormel::Domain::Common::Communication;
using Tormel::Domain::Common::Parity;
using Tormel::Domain::Common::StopBits;
using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandError;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::CommandTiming;
using Tormel::Domain::Modem::TraceDirection;

inline Communication Line(int baud, int dataBits = 8, Parity parity = Parity::None,
                          StopBits stop = StopBits::One) {
    Communication line{};
    line.BaudRate = baud;
    line.DataBits = dataBits;
    line.Parity = parity;
    line.StopBits = stop;
    return line;
}

// Short waits: a silent line costs 5 x 40 ms instead of 5 x 2000 ms.
inline CommandTiming ShortTiming() {
    CommandTiming timing;
    timing.ReadTimeout = std::chrono::milliseconds(40);
    timing.WriteTimeout = std::chrono::milliseconds(200);
    timing.LinePause = std::chrono::milliseconds(1);
    timing.ReopenDelay = std::chrono::milliseconds(5);
    timing.RadioChangeDelay = std::chrono::milliseconds(5);
    return timing;
}

// Runs a call and gives the CommandResult it raised (Success if it returned).
template <class F>
CommandResult Raised(F&& call) {
    try {
        call();
    } catch (const CommandError& error) {
        return error.Result();
    }
    return CommandResult::Success;
}

// Collects the trace from whatever thread the link runs on.
class TraceRecord {
  public:
    struct Entry {
        TraceDirection direction;
        std::string line;
    };

    TraceRecord() = default;
    TraceRecord(const TraceRecord&) = delete;
    TraceRecord& operator=(const TraceRecord&) = delete;
    ~TraceRecord() { Command::SetTraceSink({}); }

    void Attach() {
        Command::SetTraceSink(
            [this](TraceDirection direction, std::string_view line, std::chrono::steady_clock::time_point) {
                std::lock_guard lock(m_mutex);
                m_entries.push_back({direction, std::string(line)});
            });
    }
    std::vector<Entry> Entries() const {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    // Event lines that start with the prefix ("opened ", "closed ").
    std::vector<std::string> Events(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const Entry& entry : Entries())
            if (entry.direction == TraceDirection::Event && entry.line.starts_with(prefix))
                found.push_back(entry.line);
        return found;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

// Every link test starts from a closed port, empty records and the short timing.
class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Command::Timing() = ShortTiming();
        Command::SerialPort(m_port.get());
        Command::CommunicationConfig(Line(9600));
        Command::m_current = Line(9600);
        Command::m_nodeinfo = {};
        Command::m_NameSoft.clear();
        Command::m_portName.clear();
        Command::m_portIF = 0;
        Command::m_result.clear();
        Command::ClearStopRequest();
    }

    void TearDown() override {
        try {
            Command::Close();
        } catch (...) {
        }
        Command::SetTraceSink({});
        Command::SetPortLister({});
        Command::SerialPort(nullptr);
        Command::Timing() = CommandTiming{};
    }

    static void UsePorts(std::vector<std::string> ports) {
        Command::SetPortLister([ports = std::move(ports)] { return ports; });
    }

    // Opens the link on one port at the given settings, as a finished scan leaves it.
    static void OpenOn(const std::string& path, const Communication& line) {
        Command::m_portName = path;
        Command::m_current = line;
        Command::Open();
    }

    std::unique_ptr<Tormel::Platform::ISerialPort> m_port = Tormel::Platform::CreateSerialPort();
};

}  // namespace Pelnix::Test
