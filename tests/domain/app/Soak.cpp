// SPDX-License-Identifier: MIT
#include "domain/app/Soak.h"

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>
#include <utility>

#include "domain/app/TaskQueue.h"
#include "domain/app/TormelApp.h"
#include "domain/app/TormelApp_TX330.h"
#include "domain/modem/Command.h"
#include "platform/SerialPort.h"
#include "sim/PtyServer.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"

namespace Tormel::Testing::Soak {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Domain::App::AppCompletedCode;
using Domain::App::AppResult;
using Domain::App::AppStatus;
using Domain::Modem::Command;
using Domain::Modem::TraceDirection;
using Pelnix::Sim::PtyServer;
using Pelnix::Sim::UnitState;

const char* CodeName(AppCompletedCode code) {
    switch (code) {
        case AppCompletedCode::Success:
            return "Success";
        case AppCompletedCode::ConnectError:
            return "ConnectError";
        case AppCompletedCode::CommandError:
            return "CommandError";
        case AppCompletedCode::DataBit7NonParityError:
            return "DataBit7NonParityError";
        case AppCompletedCode::Unsupported:
            return "Unsupported";
        case AppCompletedCode::Max:
            break;
    }
    return "?";
}

int CountEntries(const char* folder) {
    int count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

// The link's dialogue as the tool sees it, counted on the worker thread.
struct DialogueCounts {
    std::atomic<int> received{0};
    std::atomic<int> abandoned{0};
    std::atomic<int> opened{0};
    std::atomic<int> radioChanges{0};

    void Reset() {
        received = 0;
        abandoned = 0;
        opened = 0;
        radioChanges = 0;
    }
};

// The RS485 unit's id offset and the contact-I/O unit's group id: the value each write changes.
struct Rs485Family {
    using App = Domain::App::TormelApp;
    static UnitState Factory() { return Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7"); }
    static constexpr const char* kKeptRequest = "~HODR=";
    // A version this tool does not support; the unit's commands stay those of a 2.6 unit.
    static constexpr const char* kUnsupportedQuery = "~VER?";
    static constexpr const char* kUnsupportedReply = "4.0";
    static int Range() { return 10000; }
    static int Value(const App& app) { return static_cast<int>(app.NodeinfoConfig().IdOffset); }
    static void SetValue(App& app, int value) {
        auto node = app.NodeinfoConfig();
        node.IdOffset = static_cast<uint32_t>(value);
        app.NodeinfoConfig(node);
    }
    static int UnitValue(const UnitState& state) { return state.rs485.idOffset; }
};

struct Tx330Family {
    using App = Domain::App::TormelApp_TX330;
    static UnitState Factory() { return Pelnix::Sim::Tx330FactoryState(); }
    static constexpr const char* kKeptRequest = "~GRP=";
    // An RS485 unit answering the contact-I/O window.
    static constexpr const char* kUnsupportedQuery = "~NAME?";
    static constexpr const char* kUnsupportedReply = "Tarvic2(920MHz) TX-910A Ver1.7";
    static int Range() { return 65535; }
    static int Value(const App& app) { return static_cast<int>(app.WirelessConfig().GrpId); }
    static void SetValue(App& app, int value) {
        auto radio = app.WirelessConfig();
        radio.GrpId = static_cast<Domain::Common::WirelessinfoGrpId>(value);
        app.WirelessConfig(radio);
    }
    static int UnitValue(const UnitState& state) { return state.tx330.grpId; }
};

// "~BAUD=3" -> "~BAUD=": a fault prefix that matches one setter whatever its value.
std::string SetterPrefix(const std::string& request) { return request.substr(0, request.find('=') + 1); }

template <class F>
class Soaker {
  public:
    using App = typename F::App;

    explicit Soaker(const Options& options)
        : m_options(options), m_rng(options.seed), m_app(m_queue.Dispatcher()) {
        char pattern[] = "/tmp/pelnix-soak-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
        m_folder = pattern;
        m_savedTiming = Command::Timing();
        Command::Timing() = options.timing;
        PlugIn(F::Factory());
        const std::string folder = m_folder;
        const std::string unitPort = m_unit->PortPath();
        if (options.machinePorts) {
            // The machine's own ports and this folder's unit, as the program lists them.
            Command::SetPortLister([folder] {
                Platform::PortListOptions list;
                list.VirtualPortFolder = folder;
                return Platform::ListSerialPortNames(list);
            });
        } else {
            Command::SetPortLister([unitPort] { return std::vector<std::string>{unitPort}; });
        }
        Command::SetTraceSink([this](TraceDirection direction, std::string_view line, Clock::time_point) {
            if (direction == TraceDirection::Received) ++m_counts.received;
            if (direction == TraceDirection::Event && line.starts_with("attempt abandoned"))
                ++m_counts.abandoned;
            if (direction == TraceDirection::Event && line.starts_with("opened ")) ++m_counts.opened;
            if (direction == TraceDirection::Sent &&
                (line.starts_with("~CHMODE=") || line.starts_with("~OPMODE=")))
                ++m_counts.radioChanges;
        });
        m_app.Init();
    }

    ~Soaker() {
        m_app.End();
        m_queue.PumpPending();
        Command::SetTraceSink({});
        Command::SetPortLister({});
        Command::Timing() = m_savedTiming;
        m_unit.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    Soaker(const Soaker&) = delete;
    Soaker& operator=(const Soaker&) = delete;

    Report Run() {
        Report report;
        report.ports = Command::ListPorts();
        // Reserved ahead, so that the report's own growth does not count as the program's.
        report.cycles.reserve(static_cast<std::size_t>(m_options.cycles));
        report.start = Measure();
        for (int index = 0; index < m_options.cycles && !report.aborted; ++index) {
            Fault fault = static_cast<Fault>(m_rng() % kFaultCount);
            // The faults aimed at one request need a read and a write seen without faults first.
            if (m_readRequests.empty() || m_setters.empty()) fault = Fault::None;
            Cycle cycle = RunCycle(index, fault);
            cycle.after = Settled(report.start);
            report.aborted = m_aborted;
            if (m_options.onCycle) m_options.onCycle(cycle);
            report.cycles.push_back(std::move(cycle));
        }
        report.end = Settled(report.start);
        return report;
    }

  private:
    void PlugIn(UnitState state) {
        m_unit.reset();
        Pelnix::Sim::PtyServerOptions options;
        options.folder = m_folder;
        options.name = "unit";
        m_unit = std::make_unique<PtyServer>(std::move(state), options);
    }

    // A worker thread that has handed over its completion may take a moment to end.
    static Resources Settled(const Resources& start) {
        Resources now = Measure();
        for (int i = 0; i < 50 && now.threads > start.threads; ++i) {
            std::this_thread::sleep_for(10ms);
            now = Measure();
        }
        return now;
    }

    // An operation that failed on the line may have waited out one more read than the
    // attempts it gave up; a refusal or an unsupported unit was answered.
    double Waits(AppCompletedCode code) const {
        const auto& t = m_options.timing;
        const double read = static_cast<double>(t.ReadTimeout.count()) * t.Tries;
        const int failedReads = m_counts.abandoned + (code == AppCompletedCode::ConnectError ? 1 : 0);
        return static_cast<double>(m_counts.received * t.LinePause.count()) + failedReads * read +
               static_cast<double>(m_counts.radioChanges * t.RadioChangeDelay.count());
    }

    // Runs one background operation to its handled completion; nullopt when it hung. With
    // stopAfter, the user presses Disconnect that long after the start, unless it ended first.
    template <class Start>
    std::optional<AppCompletedCode> Operate(
        Cycle& cycle, bool writing, Start start,
        std::optional<std::chrono::milliseconds> stopAfter = std::nullopt) {
        m_counts.Reset();
        std::optional<AppCompletedCode> code;
        const AppResult started = start([&code](AppCompletedCode c) { code = c; });
        if (started != AppResult::Pendding) {
            cycle.failures.push_back("the operation did not start");
            return std::nullopt;
        }
        ++cycle.operations;
        if (stopAfter && !m_queue.PumpUntil([&] { return code.has_value(); }, *stopAfter)) {
            if (m_app.Disconnect() != AppResult::Pendding || m_app.Status() != AppStatus::Canceling ||
                m_app.port().IsOpen())
                cycle.failures.push_back("Disconnect did not stop the running operation");
        }
        if (!m_queue.PumpUntil([&] { return code.has_value(); }, m_options.hangLimit)) {
            cycle.failures.push_back("no completion within the hang limit");
            m_app.Disconnect();
            if (!m_queue.PumpUntil([&] { return code.has_value(); }, m_options.hangLimit)) m_aborted = true;
            if (code) m_app.Completed(*code);
            return std::nullopt;
        }
        m_app.Completed(*code);
        cycle.waitsMs += Waits(*code);
        // Every open in a write is a reopen after a line-setting change, after its delay.
        if (writing)
            cycle.waitsMs += static_cast<double>(m_counts.opened * m_options.timing.ReopenDelay.count());
        return code;
    }

    bool Expect(Cycle& cycle, const char* what, std::optional<AppCompletedCode> got,
                AppCompletedCode wanted) {
        if (!got) return false;
        if (*got == wanted) return true;
        cycle.failures.push_back(std::string(what) + ": " + CodeName(*got) + " instead of " +
                                 CodeName(wanted) + " (last reply \"" + m_app.Result() + "\")");
        return false;
    }

    void ExpectState(Cycle& cycle, const char* what, AppStatus wanted, bool portOpen) {
        if (m_app.Status() != wanted || m_app.port().IsOpen() != portOpen)
            cycle.failures.push_back(std::string(what) + ": state " +
                                     std::to_string(static_cast<int>(m_app.Status())) +
                                     (m_app.port().IsOpen() ? ", port open" : ", port closed"));
    }

    std::string Pick(const std::vector<std::string>& from) { return from[m_rng() % from.size()]; }

    Pelnix::Sim::Faults ReadFaults(Fault fault) {
        Pelnix::Sim::Faults faults;
        switch (fault) {
            case Fault::GarbageOnConnect:
                faults.garbageFirstConnect = true;
                break;
            case Fault::SilentUnit:
                faults.silentOn = {"~"};
                break;
            case Fault::EmptyReplyInRead:
                faults.emptyReplyOn = {Pick(m_readRequests)};
                break;
            case Fault::UnsupportedReply:
                faults.wrongReply = {{F::kUnsupportedQuery, F::kUnsupportedReply}};
                break;
            case Fault::HangUpInRead:
                faults.hangUpAfterLines = 1 + static_cast<int>(m_rng() % m_readRequests.size());
                break;
            default:
                break;
        }
        return faults;
    }

    Pelnix::Sim::Faults WriteFaults(Fault fault) {
        Pelnix::Sim::Faults faults;
        switch (fault) {
            case Fault::SilentInWrite:
                faults.silentOn = {Pick(m_setters)};
                break;
            case Fault::EmptyReplyInWrite:
                faults.emptyReplyOn = {Pick(m_setters)};
                break;
            case Fault::RefusalInWrite:
                faults.wrongReply = {{Pick(m_setters), "invalid parameter"}};
                break;
            case Fault::HangUpInWrite:
                faults.hangUpAfterLines = 1 + static_cast<int>(m_rng() % m_writeRequests);
                break;
            case Fault::KeepsOldValue:
                faults.keepOn = {F::kKeptRequest};
                break;
            default:
                break;
        }
        return faults;
    }

    static AppCompletedCode ReadCode(Fault fault) {
        switch (fault) {
            case Fault::SilentUnit:
            case Fault::EmptyReplyInRead:
            case Fault::HangUpInRead:
                return AppCompletedCode::ConnectError;
            case Fault::UnsupportedReply:
                return AppCompletedCode::Unsupported;
            default:
                return AppCompletedCode::Success;
        }
    }

    static AppCompletedCode WriteCode(Fault fault) {
        switch (fault) {
            case Fault::SilentInWrite:
            case Fault::EmptyReplyInWrite:
            case Fault::HangUpInWrite:
                return AppCompletedCode::ConnectError;
            case Fault::RefusalInWrite:
                return AppCompletedCode::CommandError;
            default:
                return AppCompletedCode::Success;
        }
    }

    Cycle RunCycle(int index, Fault fault) {
        Cycle cycle;
        cycle.index = index;
        cycle.fault = fault;
        const auto start = Clock::now();
        // The form holds the unit's own bit rate, as after the window's last read.
        auto line = m_app.CommunicationConfig();
        line.BaudRate = m_unit->State().line.BaudRate;
        m_app.CommunicationConfig(line);

        m_unit->ClearLog();
        m_unit->SetFaults(ReadFaults(fault));
        const auto read =
            Operate(cycle, false, [this](auto handler) { return m_app.ConnectAndRead(handler); });
        m_unit->SetFaults({});
        const bool readOk = Expect(cycle, "connect-and-read", read, ReadCode(fault));
        if (readOk && *read != AppCompletedCode::Success)
            ExpectState(cycle, "after the failed read", AppStatus::Idle, false);
        if (readOk && *read == AppCompletedCode::Success) {
            if (fault == Fault::None) m_readRequests = m_unit->Requests();
            WriteStep(cycle, fault);
        }
        if (m_unit->HungUp()) PlugIn(m_unit->State());
        if (m_app.Status() == AppStatus::Active) m_app.Disconnect();
        ExpectState(cycle, "at the end of the cycle", AppStatus::Idle, false);
        cycle.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        return cycle;
    }

    void WriteStep(Cycle& cycle, Fault fault) {
        const int before = F::Value(m_app);
        const int wanted =
            (before + 1 + static_cast<int>(m_rng() % static_cast<unsigned>(F::Range() - 1))) % F::Range();
        F::SetValue(m_app, wanted);
        auto line = m_app.CommunicationConfig();
        line.BaudRate = line.BaudRate == 9600 ? 19200 : 9600;
        m_app.CommunicationConfig(line);

        m_unit->ClearLog();
        m_unit->SetFaults(WriteFaults(fault));
        std::optional<std::chrono::milliseconds> stopAfter;
        if (fault == Fault::StoppedInWrite) stopAfter = std::chrono::milliseconds(m_rng() % 300);
        const auto written = Operate(
            cycle, true, [this](auto handler) { return m_app.Write(handler); }, stopAfter);
        m_unit->SetFaults({});
        if (fault == Fault::StoppedInWrite) {
            // Stopped or not, the write ends with its completion, and the cycle with the
            // controller idle and the port closed.
            return;
        }
        if (!Expect(cycle, "write", written, WriteCode(fault))) return;
        if (fault == Fault::None) {
            const auto requests = m_unit->Requests();
            m_writeRequests = requests.size();
            m_setters.clear();
            for (const auto& request : requests)
                if (request.find('=') != std::string::npos) m_setters.push_back(SetterPrefix(request));
        }
        if (*written != AppCompletedCode::Success) {
            ExpectState(cycle, "after the failed write", AppStatus::Idle, false);
            if (fault == Fault::RefusalInWrite && m_app.Result() != "invalid parameter")
                cycle.failures.push_back("the refused write reports \"" + m_app.Result() + "\"");
            return;
        }
        ExpectState(cycle, "after the write", AppStatus::Active, true);
        const UnitState unit = m_unit->State();
        const int kept = fault == Fault::KeepsOldValue ? before : wanted;
        if (F::UnitValue(unit) != kept || unit.line.BaudRate != line.BaudRate)
            cycle.failures.push_back("the unit holds " + std::to_string(F::UnitValue(unit)) + " at " +
                                     std::to_string(unit.line.BaudRate) + " bit/s after writing " +
                                     std::to_string(wanted) + " at " + std::to_string(line.BaudRate));
        if (fault != Fault::KeepsOldValue) return;
        // The unit confirmed what it did not keep; a read shows what it holds.
        const auto again =
            Operate(cycle, false, [this](auto handler) { return m_app.ConnectAndRead(handler); });
        if (Expect(cycle, "read after the kept write", again, AppCompletedCode::Success) &&
            F::Value(m_app) != before)
            cycle.failures.push_back("the read shows " + std::to_string(F::Value(m_app)) +
                                     ", the unit keeps " + std::to_string(before));
    }

    Options m_options;
    std::mt19937 m_rng;
    std::string m_folder;
    Domain::Modem::CommandTiming m_savedTiming;
    TaskQueue m_queue;
    std::unique_ptr<PtyServer> m_unit;
    App m_app;  // the window's controller, kept for all cycles
    DialogueCounts m_counts;
    bool m_aborted = false;
    // Learned from the last cycle without faults: what a read asks and what a write sends.
    std::vector<std::string> m_readRequests;
    std::vector<std::string> m_setters;
    std::size_t m_writeRequests = 0;
};

}  // namespace

const char* Name(Fault fault) {
    static const char* const names[kFaultCount] = {
        "none",
        "garbage on connect",
        "silent unit",
        "empty reply in read",
        "unsupported",
        "hang-up in read",
        "silent in write",
        "empty reply in write",
        "refusal in write",
        "hang-up in write",
        "keeps old value",
        "stopped in write",
    };
    return names[static_cast<int>(fault)];
}

const char* Name(UnitFamily family) { return family == UnitFamily::Rs485 ? "RS485" : "TX-330"; }

Resources Measure() {
    Resources now;
    now.fds = CountEntries("/proc/self/fd") - 1;  // the listing's own descriptor
    now.threads = CountEntries("/proc/self/task");
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> now.rssKiB;
            break;
        }
        status.ignore(1 << 16, '\n');
    }
    now.heapKiB = static_cast<long>(::mallinfo2().uordblks / 1024);
    return now;
}

Report RunCycles(const Options& options) {
    if (options.family == UnitFamily::Rs485) return Soaker<Rs485Family>(options).Run();
    return Soaker<Tx330Family>(options).Run();
}

}  // namespace Tormel::Testing::Soak
