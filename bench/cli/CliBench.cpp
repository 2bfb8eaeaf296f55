// SPDX-License-Identifier: MIT
// pelnix-cli as a technician runs it, timed as a whole process against simulated units on
// pseudo-terminals, with the machine's own serial ports in the list as on a bench PC (where the
// machine has none, one simulated port that never answers stands in for it). The scan: eight
// silent ports ahead of one unit, sequential against parallel, both against one silent port
// alone; and the PC alone (its own ports and the unit) at the real timing. read, write, a
// verified write and diff at the real timing against the protocol's floor on the lines
// actually exchanged: the pause after each received line and the delay of each reopen of the
// port. write --each-unit as a production bench runs it: a unit's port appears while the
// program waits, timed until that unit's report is there; and eight units plugged at once.
// Usage: bench_cli [rounds, default 3] [scan|pc-scan|read-write|each-unit|eight-units ...]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/SerialPort.h"
#include "sim/PtyServer.h"
#include "sim/Rs485Unit.h"

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using Pelnix::Sim::LogKind;
using Pelnix::Sim::PtyServer;
using Pelnix::Sim::PtyServerOptions;

namespace {

// The protocol's waits at the real timing.
constexpr double kLinePauseMs = 100.0;
constexpr double kReopenMs = 500.0;
// The shortened waits of the scan runs: a silent port costs its read attempts, not seconds.
constexpr const char* kScanTiming = "read=150,tries=2,pause=0,reopen=20,radio=20,reset=20";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Starts pelnix-cli and leaves it running, its output thrown away; `timing`, when given, is its
// PELNIX_TIMING.
pid_t Start(std::vector<std::string> args, const char* timing = nullptr) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (timing != nullptr) ::setenv("PELNIX_TIMING", timing, 1);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv{const_cast<char*>(PELNIX_CLI)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(PELNIX_CLI, argv.data());
        ::_exit(127);
    }
    return pid;
}

// Runs pelnix-cli to its end with its output thrown away; returns the exit code and the time.
int Run(std::vector<std::string> args, const char* timing, double& ms) {
    const auto start = Clock::now();
    const pid_t pid = Start(std::move(args), timing);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ms = Ms(Clock::now() - start);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The protocol's floor of a write from its report: the pause after every reply line and the
// delay of every reopen (each "opened" event after the first).
double WriteFloor(const std::string& reportPath) {
    const QJsonArray dialogue = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(reportPath)))
                                    .object()
                                    .value("dialogue")
                                    .toArray();
    int replies = 0, opened = 0;
    for (const auto& e : dialogue) {
        const QJsonObject o = e.toObject();
        replies += o.value("kind") == QStringLiteral("reply");
        opened +=
            o.value("kind") == QStringLiteral("event") && o.value("line").toString().startsWith("opened ");
    }
    return replies * kLinePauseMs + std::max(0, opened - 1) * kReopenMs;
}

// The settings file the write benchmarks write: the unit's own values with the node-ID offset
// and the bit rate changed (one reopen of the port).
bool EditForWrite(const std::string& file) {
    std::string text = ReadFile(file);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"<IDOFFSET>0<", "<IDOFFSET>77<"},
                                   {"<BAUDRATE>2<", "<BAUDRATE>3<"}}) {
        const auto at = text.find(from);
        if (at == std::string::npos) return false;
        text.replace(at, from.size(), to);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    return true;
}

// The report files in `dir` not in `seen`.
std::vector<std::string> NewReports(const std::string& dir, const std::set<std::string>& seen) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().string();
        if (entry.path().extension() == ".json" && entry.path().filename() != "sequence.json" &&
            seen.count(name) == 0)
            found.push_back(name);
    }
    return found;
}

std::unique_ptr<PtyServer> SilentPort(const std::string& folder, const std::string& name) {
    auto port = std::make_unique<PtyServer>(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"),
                                            PtyServerOptions{folder, name, {}});
    Pelnix::Sim::Faults faults;
    faults.silentOn.push_back("~");
    port->SetFaults(faults);
    return port;
}

int ReplyCount(const PtyServer& unit) {
    const auto log = unit.Log();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [](const auto& e) { return e.kind == LogKind::Reply; }));
}

// The scan with eight silent ports ahead of the unit, one silent port alone, sequential and
// parallel. 0, or the bench's exit code for a run that failed.
int BenchScan(const std::string& ports, int rounds) {
    std::vector<std::unique_ptr<PtyServer>> silent;
    for (int i = 1; i <= 8; ++i) silent.push_back(SilentPort(ports, "s" + std::to_string(i)));

    std::vector<double> one, sequential, parallel;
    for (int round = 0; round < rounds; ++round) {
        double ms = 0;
        if (Run({"scan", "--port", silent[0]->PortPath()}, kScanTiming, ms) != 3) return 2;
        one.push_back(ms);
        if (Run({"scan"}, kScanTiming, ms) != 0) return 2;
        sequential.push_back(ms);
        if (Run({"scan", "--parallel"}, kScanTiming, ms) != 0) return 2;
        parallel.push_back(ms);
    }
    std::printf("scan, 8 silent ports ahead of one unit, the machine's ports after it (%d rounds, %s)\n",
                rounds, kScanTiming);
    std::printf("  one silent port alone   %8.1f ms\n", Median(one));
    std::printf("  sequential scan         %8.1f ms\n", Median(sequential));
    std::printf(
        "  parallel scan           %8.1f ms  = %.2f x one silent port, %.1f x faster than sequential\n",
        Median(parallel), Median(parallel) / Median(one), Median(sequential) / Median(parallel));
    return 0;
}

// The PC alone at the real timing: its own ports and the unit, which the scan reaches first.
int BenchPcScan(int rounds) {
    std::vector<double> pcSequential, pcParallel, pcRatio;
    for (int round = 0; round < rounds; ++round) {
        double seqMs = 0;
        double parMs = 0;
        if (Run({"scan"}, nullptr, seqMs) != 0) return 2;
        if (Run({"scan", "--parallel"}, nullptr, parMs) != 0) return 2;
        pcSequential.push_back(seqMs);
        pcParallel.push_back(parMs);
        pcRatio.push_back(parMs / seqMs);
    }
    std::printf("scan of the PC alone (its own ports and the unit), real timing (%d rounds)\n", rounds);
    std::printf("  sequential %8.1f ms, parallel %8.1f ms: parallel / sequential median %.3f, worst %.3f\n",
                Median(pcSequential), Median(pcParallel), Median(pcRatio),
                *std::max_element(pcRatio.begin(), pcRatio.end()));
    return 0;
}

// read, write, a verified write and diff at the real timing, on the unit's port only.
int BenchReadWrite(PtyServer& unit, const std::string& file, const std::string& root, int rounds) {
    const std::string report = root + "/report.json";
    std::vector<double> readRatio, writeRatio, verifyRatio, diffRatio, readMs, writeMs, verifyMs, diffMs,
        verifyOver;
    double readFloor = 0, writeFloor = 0, verifyFloor = 0, diffFloor = 0;
    for (int round = 0; round < rounds; ++round) {
        unit.ResetUnit(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"));
        double ms = 0;
        unit.ClearLog();
        if (Run({"read", "--port", unit.PortPath(), "-o", file}, nullptr, ms) != 0) return 3;
        readFloor = ReplyCount(unit) * kLinePauseMs;
        readMs.push_back(ms);
        readRatio.push_back(ms / readFloor);

        unit.ClearLog();
        if (Run({"diff", file, "--port", unit.PortPath()}, nullptr, ms) != 0) return 6;
        diffFloor = ReplyCount(unit) * kLinePauseMs;
        diffMs.push_back(ms);
        diffRatio.push_back(ms / diffFloor);

        // A file that changes settings, the line among them (a reopen of the port).
        if (!EditForWrite(file)) return 4;
        if (Run({"write", file, "--port", unit.PortPath(), "--report", report}, nullptr, ms) != 0) return 5;
        writeFloor = WriteFloor(report);
        writeMs.push_back(ms);
        writeRatio.push_back(ms / writeFloor);

        // The same write verified, from the factory values again: the write's floor and the
        // read-back's, both in the report's dialogue.
        unit.ResetUnit(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"));
        if (Run({"write", file, "--port", unit.PortPath(), "--verify", "--report", report}, nullptr, ms) != 0)
            return 5;
        verifyFloor = WriteFloor(report);
        verifyMs.push_back(ms);
        verifyRatio.push_back(ms / verifyFloor);
        verifyOver.push_back(ms - verifyFloor);
    }
    auto show = [](const char* what, const std::vector<double>& wall, double floor,
                   const std::vector<double>& ratio) {
        std::printf("  %-14s %8.1f ms, floor %6.0f ms, ratio median %.4f, worst %.4f\n", what, Median(wall),
                    floor, Median(ratio), *std::max_element(ratio.begin(), ratio.end()));
    };
    std::printf("read, write and diff of an RS485 unit at the real timing (%d rounds)\n", rounds);
    show("read", readMs, readFloor, readRatio);
    show("write", writeMs, writeFloor, writeRatio);
    show("write --verify", verifyMs, verifyFloor, verifyRatio);
    std::printf("  %-14s over the write and read floors: median %.1f ms, worst %.1f ms (goal <= 100 ms)\n",
                "", Median(verifyOver), *std::max_element(verifyOver.begin(), verifyOver.end()));
    show("diff", diffMs, diffFloor, diffRatio);
    return 0;
}

// write --each-unit: units plugged in one after the other, each timed from its port to its report.
int BenchEachUnit(const std::string& file, const std::string& root, const std::string& ports, int rounds) {
    const std::string reports = root + "/reports";
    const pid_t bench = Start({"write", file, "--each-unit", "--no-verify", "--report-dir", reports});
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the program is waiting for a unit
    std::vector<double> total, floors, overhead, detect;
    std::set<std::string> seen;
    for (int round = 0; round < rounds; ++round) {
        // Each unit appears fresh, under a name of its own, as the next one plugged in.
        const auto start = Clock::now();
        auto next = std::make_unique<PtyServer>(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"),
                                                PtyServerOptions{ports, "bench" + std::to_string(round), {}});
        std::string found;
        while (found.empty() && Clock::now() - start < std::chrono::seconds(60)) {
            const auto fresh = NewReports(reports, seen);
            if (!fresh.empty()) found = fresh.front();
            if (found.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto end = Clock::now();
        if (found.empty()) {
            ::kill(bench, SIGINT);
            ::waitpid(bench, nullptr, 0);
            return 7;
        }
        seen.insert(found);
        const auto log = next->Log();
        const auto first =
            std::find_if(log.begin(), log.end(), [](const auto& e) { return e.kind == LogKind::Request; });
        const double floor = WriteFloor(found);
        total.push_back(Ms(end - start));
        floors.push_back(floor);
        overhead.push_back(Ms(end - start) - floor);
        detect.push_back(first == log.end() ? 0.0 : Ms(first->time - start));
        std::printf(
            "  unit %d: port to report %8.1f ms, floor %6.0f ms, over the floor %6.1f ms, "
            "port to the first request %5.1f ms\n",
            round + 1, total.back(), floor, overhead.back(), detect.back());
        next.reset();  // unplugged
        // The next unit comes at another moment of the program's 50 ms look for ports each
        // time, so that the rounds do not all meet the same phase of it.
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + (round * 37) % 50));
    }
    ::kill(bench, SIGINT);
    int status = 0;
    ::waitpid(bench, &status, 0);
    std::printf("write --each-unit, %d units one after the other (program exit %d)\n", rounds,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf(
        "  port appears -> report written: median %.1f ms, floor %.0f ms, over the floor median %.1f ms, "
        "worst %.1f ms (goal <= 1000 ms)\n",
        Median(total), Median(floors), Median(overhead), *std::max_element(overhead.begin(), overhead.end()));
    std::printf("  port appears -> the unit's first request: median %.1f ms\n", Median(detect));
    return 0;
}

// write --each-unit, verified: one unit alone, then eight plugged at once.
int BenchEightUnits(const std::string& file, const std::string& root, const std::string& ports, int rounds) {
    // Verified writes (the default), one unit alone and then eight plugged at once, in the
    // same program run; each round with fresh units under names of their own.
    const std::string reports = root + "/reports8";
    const pid_t bench = Start({"write", file, "--each-unit", "--report-dir", reports});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::set<std::string> seen;
    int serial = 0;
    // Plugs `count` units at once; the time from the first port to the last report.
    auto plug = [&](int count) -> double {
        const auto start = Clock::now();
        std::vector<std::unique_ptr<PtyServer>> units;
        units.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            units.push_back(
                std::make_unique<PtyServer>(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"),
                                            PtyServerOptions{ports, "hub" + std::to_string(++serial), {}}));
        std::vector<std::string> found;
        while (static_cast<int>(found.size()) < count && Clock::now() - start < std::chrono::seconds(60)) {
            for (const auto& r : NewReports(reports, seen)) {
                seen.insert(r);
                found.push_back(r);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const double took = Ms(Clock::now() - start);
        for (const auto& r : found) {
            const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(ReadFile(r))).object();
            if (o.value("result").toString() != QStringLiteral("written") || !o.value("verified").toBool())
                return -1;
        }
        units.clear();  // all unplugged
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return static_cast<int>(found.size()) == count ? took : -1;
    };
    std::vector<double> alone, eight, ratio;
    for (int round = 0; round < rounds; ++round) {
        const double a = plug(1);
        const double e = plug(8);
        if (a < 0 || e < 0) {
            ::kill(bench, SIGINT);
            ::waitpid(bench, nullptr, 0);
            return 8;
        }
        alone.push_back(a);
        eight.push_back(e);
        ratio.push_back(e / a);
        std::printf("  round %d: one unit %8.1f ms, eight at once %8.1f ms, ratio %.3f\n", round + 1, a, e,
                    e / a);
    }
    ::kill(bench, SIGINT);
    int status = 0;
    ::waitpid(bench, &status, 0);
    std::printf("write --each-unit, verified, eight units plugged at once (%d rounds, program exit %d)\n",
                rounds, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf(
        "  one unit: median %.1f ms; eight: median %.1f ms; eight / one median %.3f, worst %.3f "
        "(goal <= 1.1)\n",
        Median(alone), Median(eight), Median(ratio), *std::max_element(ratio.begin(), ratio.end()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::set<std::string> parts(argv + std::min(argc, 2), argv + argc);
    if (parts.empty()) parts = {"scan", "pc-scan", "read-write", "each-unit", "eight-units"};
    char pattern[] = "/tmp/pelnix-bench-cli-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const std::string root = pattern;
    const std::string ports = root + "/rt/pelnix-config/ports";
    fs::create_directories(ports);
    for (const std::string& d : {root + "/rt", root + "/rt/pelnix-config", ports})
        fs::permissions(d, fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", (root + "/rt").c_str(), 1);
    ::unsetenv("PELNIX_SYSFS_TTY");  // the machine's own serial ports stay in the list
    ::setenv("LANG", "C", 1);

    // The machine's own ports, as a bench PC has them; where it has none, one port that never
    // answers, first in the list (the scan reaches it last), stands in for a built-in one.
    const std::vector<std::string> machinePorts = Tormel::Platform::ListSerialPortNames();
    std::unique_ptr<PtyServer> builtIn;
    if (machinePorts.empty()) builtIn = SilentPort(ports, "0-builtin");
    std::printf("the machine's own serial ports: ");
    for (const auto& p : machinePorts) std::printf("%s ", p.c_str());
    std::printf("%s\n", machinePorts.empty() ? "none (a simulated silent port stands in)" : "");

    // The unit after the machine's ports in the list (the scan reaches it before them), eight
    // silent ports after it (the scan reaches them first).
    auto unit = std::make_unique<PtyServer>(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"),
                                            PtyServerOptions{ports, "a-unit", {}});

    if (parts.count("scan") != 0) {
        if (const int code = BenchScan(ports, rounds)) return code;
    }
    if (parts.count("pc-scan") != 0) {
        if (const int code = BenchPcScan(rounds)) return code;
    }

    const std::string file = root + "/unit.xml";
    if (parts.count("read-write") != 0) {
        if (const int code = BenchReadWrite(*unit, file, root, rounds)) return code;
    }

    if (parts.count("each-unit") != 0 || parts.count("eight-units") != 0) {
        // The file to write: read from the unit, then edited as for write above.
        unit->ResetUnit(Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"));
        double ms = 0;
        if (Run({"read", "--port", unit->PortPath(), "-o", file}, nullptr, ms) != 0) return 3;
        if (!EditForWrite(file)) return 4;
    }
    unit.reset();  // the bench is empty when the program starts

    if (parts.count("each-unit") != 0) {
        if (const int code = BenchEachUnit(file, root, ports, rounds)) return code;
    }

    if (parts.count("eight-units") != 0) {
        if (const int code = BenchEightUnits(file, root, ports, rounds)) return code;
    }
    builtIn.reset();
    fs::remove_all(root);
    return 0;
}
