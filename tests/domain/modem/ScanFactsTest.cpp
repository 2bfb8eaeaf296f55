// SPDX-License-Identifier: MIT
// What a scan returns per port, decided from what happened on it: the opens with their errno,
// the first reply and the verdict. Scripted ports make each dialogue exact.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "domain/modem/Command.h"
#include "domain/modem/TX330Command.h"

namespace {

using Tormel::Domain::Common::UnitFamily;
using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::CommandTiming;
using Tormel::Domain::Modem::PortFacts;
using Tormel::Domain::Modem::PortVerdict;
using Tormel::Platform::SerialResult;
using Tormel::Platform::SerialSettings;
using Tormel::Platform::SerialStatus;
using Reads = std::vector<std::optional<std::string>>;  // nullopt: the read times out

// Each port answers its reads from a script, in order, then falls silent; its opens fail with
// the scripted errno values in order (0 opens), then succeed.
struct PortScript {
    std::vector<int> opens;
    Reads reads;
};

class ScriptedPorts : public Tormel::Platform::ISerialPort {
  public:
    explicit ScriptedPorts(std::map<std::string, PortScript> scripts) : m_scripts(std::move(scripts)) {}
    SerialResult Open(const SerialSettings& settings) override {
        PortScript& script = m_scripts[settings.PortName];
        const int error = script.opens.empty() ? 0 : script.opens.front();
        if (!script.opens.empty()) script.opens.erase(script.opens.begin());
        if (error != 0) return {SerialStatus::Error, error, std::strerror(error)};
        m_open = &script;
        return {};
    }
    SerialResult Close() override {
        m_open = nullptr;
        return {};
    }
    bool IsOpen() const override { return m_open != nullptr; }
    SerialResult DiscardInBuffer() override { return {}; }
    SerialResult DiscardOutBuffer() override { return {}; }
    SerialResult WriteLine(std::string_view) override { return {}; }
    SerialResult ReadLine(std::string& line) override {
        if (m_open == nullptr) return {SerialStatus::NotOpen, 0, "not open"};
        Reads& reads = m_open->reads;
        if (reads.empty()) return {SerialStatus::TimedOut, 0, "silent"};
        const std::optional<std::string> next = reads.front();
        reads.erase(reads.begin());
        if (!next) return {SerialStatus::TimedOut, 0, "silent"};
        line = *next;
        return {};
    }

  private:
    std::map<std::string, PortScript> m_scripts;
    PortScript* m_open = nullptr;
};

const std::string kName = "Tarvic2(920MHz) TX-910A Ver1.7";

class ScanFacts : public ::testing::Test {
  protected:
    void SetUp() override {
        CommandTiming timing;
        timing.Tries = 1;
        timing.LinePause = {};
        timing.ReopenDelay = {};
        Command::Timing() = timing;
        Command::ClearStopRequest();
    }
    void TearDown() override {
        Command::SerialPort(nullptr);
        Command::SetPortLister({});
        Command::Timing() = CommandTiming{};
    }
    // Scans ports "a" (listed first, so tried last) and "b" with the scripts given.
    static std::vector<PortFacts> Scan(ScriptedPorts& port) {
        Command::SerialPort(&port);
        Command::SetPortLister([] { return std::vector<std::string>{"a", "b"}; });
        Command::Connect();
        return Command::LastScan().Ports;
    }
};

TEST_F(ScanFacts, EachPortGetsTheVerdictOfWhatHappenedOnIt) {
    struct Case {
        const char* what;
        PortScript b;  // the port tried first; "a" stays silent
        PortVerdict verdict;
        std::string firstReply;
        int openErrno;
    };
    const Case cases[] = {
        {"nothing came back", {{}, {}}, PortVerdict::Silent, "", 0},
        {"a line that is not the handshake's", {{}, {"#?\x01x"}}, PortVerdict::Garbage, "#?\x01x", 0},
        {"stale bytes, then the handshake, then nothing", {{}, {"zz", "ok"}}, PortVerdict::Silent, "zz", 0},
        {"busy", {{EBUSY, EBUSY}, {}}, PortVerdict::OpenFailed, "", EBUSY},
        {"refused", {{EACCES, EACCES}, {}}, PortVerdict::OpenFailed, "", EACCES},
        {"silent at 9600, then no longer there", {{0, ENOENT}, {}}, PortVerdict::OpenFailed, "", ENOENT},
        // The name misses its wait; the second attempt then reads it where the handshake's
        // "ok" is awaited, and every later "ok" one request late: a unit, not garbage.
        {"the name answered late",
         {{}, {"ok", std::nullopt, kName, "ok", "ok"}},
         PortVerdict::Answered,
         kName,
         0},
        {"the handshake, then the port went away",
         {{0, ENODEV}, {"ok", std::nullopt}},
         PortVerdict::HungUp,
         "",
         ENODEV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPorts port({{"b", c.b}});
        const std::vector<PortFacts> facts = Scan(port);
        ASSERT_EQ(facts.size(), 2u);
        EXPECT_EQ(facts[0].PortName, "b");
        EXPECT_EQ(facts[0].Verdict, c.verdict);
        EXPECT_EQ(facts[0].FirstReply, c.firstReply);
        EXPECT_FALSE(facts[0].Result.has_value());
        const auto* failed = facts[0].FailedOpen();
        EXPECT_EQ(failed ? failed->ErrorNumber : 0, c.openErrno);
        if (failed) {
            EXPECT_EQ(failed->Error, std::strerror(c.openErrno));
        }
        // What was tried: 9600 8N1 first, then the caller's line.
        ASSERT_EQ(facts[0].Attempts.size(), 2u);
        EXPECT_EQ(facts[0].Attempts[0].Line.BaudRate, 9600);
        EXPECT_EQ(facts[1].PortName, "a");
        EXPECT_EQ(facts[1].Verdict, PortVerdict::Silent);
    }
}

TEST_F(ScanFacts, TheUnitFoundEndsTheScanAndLaterPortsAreNotTried) {
    ScriptedPorts port({{"b", {{}, {"ok", kName, "2.6"}}}});
    const std::vector<PortFacts> facts = Scan(port);
    ASSERT_EQ(facts.size(), 2u);
    EXPECT_EQ(facts[0].Verdict, PortVerdict::Answered);
    EXPECT_EQ(facts[0].Result, CommandResult::Success);
    EXPECT_EQ(facts[0].Name, kName);
    EXPECT_EQ(facts[0].Version, "2.6");
    EXPECT_EQ(facts[1].Verdict, PortVerdict::NotTried);
    EXPECT_TRUE(facts[1].Attempts.empty());

    // Probing a port for the other family leaves the held unit and these facts as they were.
    const std::string heldPort = Command::m_portName;
    EXPECT_FALSE(Command::ProbeFamilyOn("a", UnitFamily::Tx330).has_value());
    EXPECT_EQ(Command::m_portName, heldPort);
    EXPECT_EQ(Command::m_nodeinfo.SoftwareName, kName);
    EXPECT_EQ(Command::LastScan().Ports[0].Result, CommandResult::Success);
}

}  // namespace
