// SPDX-License-Identifier: MIT
// The parallel scan against the sequential one: the same verdict over random port orders,
// fault mixes and reply delays, and a reply that comes too late never makes a unit "not
// supported".
#include <random>

#include "cli/CliFixture.h"

namespace {

// What sits on one port, and what a scan must make of it.
enum class Kind { Unit, SlowUnit, Silent, Garbage, Unsupported, LateName, LateVersion, OtherFamily };
constexpr Kind kKinds[] = {Kind::Unit,        Kind::SlowUnit, Kind::Silent,      Kind::Garbage,
                           Kind::Unsupported, Kind::LateName, Kind::LateVersion, Kind::OtherFamily};

// The unit's replies come 1000 ms late where a reply wait is 2 x 400 ms.
constexpr int kLateMs = 1000;

void applyKind(SimPty& unit, Kind kind) {
    switch (kind) {
        case Kind::SlowUnit:
            unit.SlowReplyTo("~", 120);  // late, but well inside the wait
            break;
        case Kind::Silent:
            unit.SilentOn("~");
            break;
        case Kind::Garbage:
            unit.WrongReplyTo("~CONNECT", "#?garbage");
            break;
        case Kind::Unsupported:
            unit.WrongReplyTo("~NAME", "Other Maker Ver1.0");  // neither family
            break;
        case Kind::OtherFamily:  // answers as a contact-I/O unit does
            unit.WrongReplyTo("~NAME", "Brenlow TX-330 Ver1.2");
            break;
        case Kind::LateName:
            unit.SlowReplyTo("~NAME", kLateMs);
            break;
        case Kind::LateVersion:
            unit.SlowReplyTo("~VER", kLateMs);
            break;
        case Kind::Unit:
            break;
    }
}

struct Verdict {
    int code = -1;
    std::string port;
};

class ParallelScanTest : public CliTest {
  protected:
    Verdict Scan(bool parallel) {
        std::vector<std::string> args{"scan", "--json"};
        if (parallel) args.push_back("--parallel");
        const CliRun run = Cli(args);
        return {run.code, run.json().value("unit").toObject().value("port").toString().toStdString()};
    }
};

// A unit whose first reply misses the wait: the scan gives up on that attempt and asks again,
// and the late "ok" then answers the next request, so that the next "ok" arrives where the
// name is awaited. That must not read as a unit this tool does not support; the unit is found.
TEST_F(ParallelScanTest, ALateReplyNeverMakesAUnitUnsupported) {
    // The unit must be found here, so the waits leave a starved simulated unit (the stress
    // step runs this beside a build) 2 s a reply; its first reply comes later still.
    const std::string timing = m_timing;
    m_timing = "read=1000,tries=2,pause=0,reopen=20,radio=20,reset=20";
    for (const bool parallel : {false, true}) {
        SCOPED_TRACE(parallel ? "parallel" : "sequential");
        auto unit = Unit("late");
        unit->SlowReplyTo("~", 100);
        unit->LateFirstReply(2500);
        const Verdict verdict = Scan(parallel);
        EXPECT_EQ(verdict.code, 0);
        EXPECT_EQ(verdict.port, unit->PortPath());
    }
    // Replies that never come in time make no unit at all, and not an unsupported one.
    m_timing = timing;
    for (const Kind kind : {Kind::LateName, Kind::LateVersion}) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto unit = Unit("late");
        applyKind(*unit, kind);
        EXPECT_EQ(Scan(false).code, 3);
        EXPECT_EQ(Scan(true).code, 3);
    }
}

// Probes end at different moments, each closing its port; a probe that ends must not cut the
// read of another that is still waiting for its unit's reply.
TEST_F(ParallelScanTest, AProbeThatEndsDoesNotCutAnotherProbesWait) {
    std::vector<std::unique_ptr<SimPty>> ports;
    for (const char* name : {"g1", "g2", "g3", "g4"}) {
        ports.push_back(Unit(name));
        applyKind(*ports.back(), Kind::Garbage);
    }
    auto unit = Unit("z-unit");  // last in the list: the first the scan tries
    unit->SlowReplyTo("~", 300);
    for (int round = 0; round < 3; ++round) {
        const Verdict parallel = Scan(true);
        EXPECT_EQ(parallel.code, 0);
        EXPECT_EQ(parallel.port, unit->PortPath());
    }
}

// Property: whatever the ports hold and in whatever order, the parallel scan names the unit the
// sequential scan names, and both name the first port in scan order where a unit answered in
// time (the scan tries the listed ports from the last to the first).
TEST_F(ParallelScanTest, RandomPortOrdersFaultMixesAndDelaysGiveTheSequentialVerdict) {
    std::mt19937 random(20);
    for (int round = 0; round < 8; ++round) {
        const int count = 1 + static_cast<int>(random() % 3);
        std::map<std::string, Kind> ports;  // by name: the list's order
        while (static_cast<int>(ports.size()) < count) {
            std::string name;
            for (int i = 0; i < 4; ++i) name += static_cast<char>('a' + random() % 26);
            ports.emplace(name, kKinds[random() % std::size(kKinds)]);
        }
        std::vector<std::unique_ptr<SimPty>> units;
        std::string description;
        Verdict expected{3, {}};
        for (auto it = ports.rbegin(); it != ports.rend(); ++it) {
            units.push_back(Unit(it->first));
            applyKind(*units.back(), it->second);
            description += it->first + "=" + std::to_string(static_cast<int>(it->second)) + " ";
            if (expected.code != 3) continue;
            if (it->second == Kind::Unit || it->second == Kind::SlowUnit)
                expected = {0, units.back()->PortPath()};
            if (it->second == Kind::Unsupported) expected = {4, units.back()->PortPath()};
            if (it->second == Kind::OtherFamily) expected = {4, {}};  // named in the message, not as "unit"
        }
        SCOPED_TRACE("scan order: " + description);
        const Verdict sequential = Scan(false);
        const Verdict parallel = Scan(true);
        EXPECT_EQ(sequential.code, expected.code);
        EXPECT_EQ(sequential.port, expected.port);
        EXPECT_EQ(parallel.code, sequential.code);
        EXPECT_EQ(parallel.port, sequential.port);
    }
}

// A parallel scan ended by SIGTERM (or by anything else) takes its probes with it: the silent
// ports they were waiting on hear nothing more.
TEST_F(CliTest, AParallelScanEndedBySigtermLeavesNoProbeBehind) {
    std::vector<std::unique_ptr<SimPty>> silent;
    for (const char* name : {"s1", "s2", "s3"}) {
        silent.push_back(Unit(name));
        silent.back()->SilentOn("~");
    }
    const Running scan = Start({"scan", "--parallel"});
    ASSERT_TRUE(silent.back()->WaitForRequests(1, 10s));
    ::kill(scan.pid, SIGTERM);
    Finish(scan, 10s);
    ::poll(nullptr, 0, 200);
    std::size_t heard = 0;
    for (const auto& unit : silent) heard += unit->Requests().size();
    ::poll(nullptr, 0, 1500);  // a probe still alive would try again within this time
    std::size_t later = 0;
    for (const auto& unit : silent) later += unit->Requests().size();
    EXPECT_EQ(later, heard);
}

}  // namespace
