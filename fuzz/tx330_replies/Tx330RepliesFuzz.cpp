// SPDX-License-Identifier: MIT
// Feeds arbitrary replies to the contact-I/O unit's commands. The input is a dialogue: its
// lines (split at "\n") are what the unit answers, one per read. Every reply parser sees
// each line on its own; then the full read and the full write run over a port that answers
// with the lines in order. The only acceptable outcomes are a value, ErrCommand,
// ErrOutOfRange, or ErrConnect when the unit falls silent; anything else aborts.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/Replies.h"
#include "domain/modem/TX330Command.h"
#include "domain/modem/TX330DidoCommand.h"
#include "domain/modem/TX330WirelessCommand.h"

namespace {

namespace Common = Tormel::Domain::Common;
namespace Modem = Tormel::Domain::Modem;
namespace Platform = Tormel::Platform;
using Modem::CommandError;
using Modem::CommandResult;
using Platform::SerialResult;
using Platform::SerialStatus;

// A port whose unit answers every read with the next scripted line, then falls silent.
class ScriptedPort : public Platform::ISerialPort {
  public:
    explicit ScriptedPort(std::vector<std::string> lines) : m_lines(std::move(lines)) {}
    SerialResult Open(const Platform::SerialSettings&) override {
        m_open = true;
        return {};
    }
    SerialResult Close() override {
        m_open = false;
        return {};
    }
    bool IsOpen() const override { return m_open; }
    SerialResult DiscardInBuffer() override { return {}; }
    SerialResult DiscardOutBuffer() override { return {}; }
    SerialResult WriteLine(std::string_view) override { return {}; }
    SerialResult ReadLine(std::string& line) override {
        if (m_next >= m_lines.size()) return {SerialStatus::TimedOut, 0, "silent"};
        line = m_lines[m_next++];
        return {};
    }

  private:
    std::vector<std::string> m_lines;
    size_t m_next = 0;
    bool m_open = false;
};

void Allowed(CommandResult result) {
    if (result != CommandResult::ErrCommand && result != CommandResult::ErrOutOfRange &&
        result != CommandResult::ErrConnect && result != CommandResult::Success)
        std::abort();
}

template <typename F>
void Parse(F&& parse, std::string_view line) {
    try {
        parse(line);
    } catch (const CommandError& error) {
        if (error.Result() != CommandResult::ErrCommand) std::abort();
    }
}

void EveryParser(std::string_view line) {
    namespace Replies = Modem::Replies;
    Parse(Replies::ParseDoBind, line);
    Parse(Replies::ParseDoInvert, line);
    Parse(Replies::ParseDoOffDelay, line);
    Parse(Replies::ParseDoOnDelay, line);
    Parse(
        [](std::string_view l) {
            const auto keep = static_cast<int32_t>(Replies::ParseDoKeepTime(l));
            if (keep != 0 && (keep < 30 || keep > 3600)) std::abort();
        },
        line);
    Parse(Replies::ParseDoKeepSignal, line);
    Parse(
        [](std::string_view l) {
            const auto delay = static_cast<int32_t>(Replies::ParseDiDelay(l));
            if (delay < 0 || delay > 100) std::abort();
        },
        line);
    Parse(Replies::ParseChMode, line);
    Parse(Replies::ParseOpMode, line);
    Parse(Replies::ParseCh, line);
    Parse(Replies::ParseNodeId, line);
    Parse(Replies::ParseGrpId, line);
    Parse(
        [](std::string_view l) {
            const int32_t awt = Replies::ParseAwt(l);
            if (awt < 0 || awt > 25) std::abort();
        },
        line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (size_t start = 0; start <= input.size() && lines.size() < 200;) {
        const size_t end = std::min(input.find('\n', start), input.size());
        lines.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (const auto& line : lines) EveryParser(line);

    Modem::CommandTiming& timing = Modem::Command::Timing();
    timing.Tries = 1;
    timing.ResetTries = 1;
    timing.LinePause = std::chrono::milliseconds(0);
    timing.ReopenDelay = std::chrono::milliseconds(0);
    timing.RadioChangeDelay = std::chrono::milliseconds(0);

    {
        ScriptedPort port(lines);
        port.Open({});
        Modem::Command::SerialPort(&port);
        try {
            Modem::TX330Command::GetAllParam();
        } catch (const CommandError& error) {
            Allowed(error.Result());
        }
        Modem::Command::SerialPort(nullptr);
    }
    {
        // The same dialogue as the unit's answers to a full write of valid settings.
        ScriptedPort port(lines);
        port.Open({});
        Modem::Command::SerialPort(&port);
        Modem::TX330Command::m_communication = {9600, 8, Common::Parity::Even,   Common::StopBits::One,
                                                3,    1, Common::Handshake::None};
        Modem::TX330Command::m_current = Modem::TX330Command::m_communication;
        Modem::TX330Command::m_nodeinfo.AESEncryptEnable = Common::NodeinfoAESEncryptEnable::Enable;
        Modem::TX330Command::m_nodeinfo.AESEncryptType = Common::NodeinfoAESEncryptType::AES128;
        Modem::TX330Command::m_nodeinfo.AESEncryptKeySetting = Common::NodeinfoAESEncryptKeySetting::Init;
        Modem::DidoCommand::m_didoinfo = {};
        Modem::WirelessCommand::m_wirelessinfo = {
            Common::WirelessinfoChMode::CH33to60, Common::WirelessinfoOpMode::FSK, Common::WirelessinfoCh{40},
            Common::WirelessinfoNodeId{1}, Common::WirelessinfoGrpId{2}};
        Allowed(Modem::TX330Command::Write());
        Allowed(Modem::TX330Command::InitWrite());
        Modem::Command::SerialPort(nullptr);
    }
    return 0;
}
