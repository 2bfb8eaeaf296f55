// SPDX-License-Identifier: MIT
#include "domain/modem/Command.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <regex>
#include <thread>
#include <utility>

#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {

using Common::Communication;
using Common::Parity;
using Common::StopBits;
using Platform::SerialSettings;
using Platform::SerialStatus;

namespace {

PortLister& PortListerSlot() {
    static PortLister lister;
    return lister;
}

TraceSink& TraceSinkSlot() {
    static TraceSink sink;
    return sink;
}

// The lines read now answer a key request: the unit may echo the key in them.
std::atomic<bool> g_answeringKeyRequest{false};

// Patterns are compiled once, on first use, and shared by every test that needs them.
#define PELNIX_PATTERN(name, text)                                      \
    const std::regex& name() {                                          \
        static const std::regex compiled(text, std::regex::ECMAScript); \
        return compiled;                                                \
    }

PELNIX_PATTERN(SupportedVersion, R"(^[2-3]\.[0-9]+$)")
PELNIX_PATTERN(MajorOver3, R"(^[3-9]\.[0-9]+$)")
PELNIX_PATTERN(Over2_1, R"(^[2]\.[1-9]+$)")
PELNIX_PATTERN(Is2_1, R"(^[2]\.[1]+$)")
PELNIX_PATTERN(Over2_2, R"(^[2]\.[2-9]+$)")
PELNIX_PATTERN(Is2_2, R"(^[2]\.[2]+$)")
PELNIX_PATTERN(Over2_4, R"(^[2]\.[4-9]+$)")
PELNIX_PATTERN(Under2_4, R"(^[2]\.[0-4]+$)")
PELNIX_PATTERN(Major1, R"(^[1]\.[0-9]+$)")
PELNIX_PATTERN(Is2_4, R"(^[2]\.[4]+$)")
PELNIX_PATTERN(Over2_5, R"(^[2]\.[5-9]+$)")
PELNIX_PATTERN(Is2_5, R"(^[2]\.[5]+$)")
PELNIX_PATTERN(Over2_6, R"(^[2]\.[6-9]+$)")
PELNIX_PATTERN(Is2_6, R"(^[2]\.[6]+$)")
PELNIX_PATTERN(FamilyWord, R"(Tarvic*)")
PELNIX_PATTERN(FirmOver1_4, R"(_*Ver[1]\.[^0-3])")
PELNIX_PATTERN(NewGeneration, R"(Tarvic2(920MHz)*)")

#undef PELNIX_PATTERN

bool Version(const std::regex& pattern) {
    return Command::SearchReply(Command::m_nodeinfo.SoftwareVersion, pattern);
}

bool Version(const std::regex& first, const std::regex& second) { return Version(first) || Version(second); }

void CloseQuietly() {
    try {
        Command::Close();
    } catch (...) {
        // The attempt is over either way; a port that will not close is tried again by the
        // next Open, which reports it.
    }
}

}  // namespace

// ---- timing, port list, trace, stop request ----

CommandTiming& Command::Timing() {
    static CommandTiming timing;
    return timing;
}

void Command::SetPortLister(PortLister lister) { PortListerSlot() = std::move(lister); }

PortLister Command::CurrentPortLister() { return PortListerSlot(); }

std::vector<std::string> Command::ListPorts() {
    if (const PortLister& lister = PortListerSlot()) return lister();
    return Platform::ListSerialPortNames();
}

void Command::SetTraceSink(TraceSink sink) { TraceSinkSlot() = std::move(sink); }

void Command::Trace(TraceDirection direction, std::string_view line) {
    const TraceSink& sink = TraceSinkSlot();
    if (sink) sink(direction, Replies::MaskKeyMaterial(line), std::chrono::steady_clock::now());
}

void Command::RefuseUnsent(std::string_view request) {
    Trace(TraceDirection::Event, std::string(kNotSentEvent) + std::string(request));
    Fail(CommandResult::ErrOutOfRange);
}

void Command::RequestStop() noexcept { m_stopRequested.store(true, std::memory_order_release); }

void Command::ClearStopRequest() noexcept { m_stopRequested.store(false, std::memory_order_release); }

bool Command::StopRequested() noexcept { return m_stopRequested.load(std::memory_order_acquire); }

bool Command::SearchReply(std::string_view line, const std::regex& pattern) {
    // The regex engine recurses per character; a garbage line tens of kilobytes long would
    // exhaust the stack. No name or version reply comes near this length.
    // The cut is not the end of the line, so "$" must not match there.
    if (line.size() > kMaxMatchedLength)
        return std::regex_search(line.begin(), line.begin() + kMaxMatchedLength, pattern,
                                 std::regex_constants::match_not_eol);
    return std::regex_search(line.begin(), line.end(), pattern);
}

// ---- primitives ----

void Command::OpenWith(const SerialSettings& settings) {
    if (m_port == nullptr) Fail(CommandResult::ErrConnect);
    const Platform::SerialResult opened = m_port->Open(settings);
    if (m_scanning != nullptr) {
        Communication line{};
        line.BaudRate = settings.BaudRate;
        line.DataBits = settings.DataBits;
        line.Parity = settings.Parity;
        line.StopBits = settings.StopBits;
        m_scanning->Attempts.push_back({line, opened.ok(), opened.errorNumber, opened.message});
        if (!opened.ok() && m_scanning->Handshake) m_notes.OpenFailedAfterHandshake = true;
    }
    if (!opened.ok()) {
        Trace(TraceDirection::Event, "open failed: " + settings.PortName + ": " + opened.message);
        if (opened.errorNumber == EACCES || opened.errorNumber == EPERM) {
            const RefusedPort refused{settings.PortName, opened.message};
            if (std::find(m_refusedPorts.begin(), m_refusedPorts.end(), refused) == m_refusedPorts.end())
                m_refusedPorts.push_back(refused);
        }
        Fail(CommandResult::ErrConnect);
    }
    Trace(TraceDirection::Event, "opened " + settings.PortName + " at " + std::to_string(settings.BaudRate));
}

namespace {

SerialSettings LineSettings(const std::string& portName, int32_t baudRate, int32_t dataBits, Parity parity,
                            StopBits stopBits) {
    const CommandTiming& timing = Command::Timing();
    SerialSettings settings;
    settings.PortName = portName;
    settings.BaudRate = baudRate;
    settings.DataBits = dataBits;
    settings.Parity = parity;
    settings.StopBits = stopBits;
    // The units have no flow control lines wired; whatever the record says, none is used.
    settings.Handshake = Common::Handshake::None;
    settings.ReadTimeoutMs = static_cast<int>(timing.ReadTimeout.count());
    settings.WriteTimeoutMs = static_cast<int>(timing.WriteTimeout.count());
    settings.NewLine = "\r\n";
    return settings;
}

}  // namespace

void Command::Open() {
    OpenWith(LineSettings(m_portName, m_current.BaudRate, m_current.DataBits, m_current.Parity,
                          m_current.StopBits));
}

void Command::OpenDefault() { OpenWith(LineSettings(m_portName, 9600, 8, Parity::None, StopBits::One)); }

void Command::Close() {
    if (m_port == nullptr || !m_port->IsOpen()) return;
    const Platform::SerialResult closed = m_port->Close();
    Trace(TraceDirection::Event, "closed " + m_portName);
    if (!closed.ok()) Fail(CommandResult::ErrConnect);
}

void Command::Restart() {
    Close();
    Pause(Timing().ReopenDelay);
    // A cancel (stop request, then the port closed) that lands in the pause or while the port
    // is being reopened must not be undone by this reopen: the write would go on talking to a
    // unit the user has let go of.
    if (StopRequested()) Fail(CommandResult::ErrConnect);
    Open();
    if (StopRequested()) {
        CloseQuietly();
        Fail(CommandResult::ErrConnect);
    }
}

void Command::FailPort(const Platform::SerialResult& result) {
    if (result.status == SerialStatus::HungUp || result.status == SerialStatus::Error)
        Trace(TraceDirection::Event, std::string(kPortFailedEvent) + result.message);
    Fail(CommandResult::ErrConnect);
}

void Command::Send(const std::string& request) {
    if (m_port == nullptr || !m_port->IsOpen()) Fail(CommandResult::ErrConnect);
    if (StopRequested()) {
        Trace(TraceDirection::Event, std::string(kStoppedEvent) + request);
        Fail(CommandResult::ErrConnect);
    }
    if (const auto r = m_port->DiscardInBuffer(); !r.ok()) FailPort(r);
    if (const auto r = m_port->DiscardOutBuffer(); !r.ok()) FailPort(r);
    g_answeringKeyRequest.store(Replies::KeyMaterialAt(request).has_value());
    Trace(TraceDirection::Sent, request);
    if (const auto r = m_port->WriteLine(request); !r.ok()) FailPort(r);
}

std::string Command::Receive(unsigned timeout_num) {
    if (m_port == nullptr || !m_port->IsOpen()) Fail(CommandResult::ErrConnect);
    Platform::SerialResult read;
    for (unsigned attempt = 0; attempt < timeout_num; ++attempt) {
        std::string line;
        read = m_port->ReadLine(line);
        if (read.ok()) {
            m_result = Replies::MaskKeyMaterial(line, g_answeringKeyRequest.load());
            if (m_scanning != nullptr) NoteReply(line);
            Trace(TraceDirection::Received, m_result);
            Pause(Timing().LinePause);
            if (line.empty()) Fail(CommandResult::ErrConnect);
            return line;
        }
        // A port closed under us (a cancel) cannot deliver anything more; the remaining
        // attempts would each fail at once, so stop here.
        if (read.status == SerialStatus::Closed || read.status == SerialStatus::NotOpen) break;
        // A device that went away will not come back within this request's tries.
        if (read.status == SerialStatus::HungUp) FailPort(read);
        m_replyMissed = true;
    }
    FailPort(read);
}

void Command::Pause(std::chrono::milliseconds duration) {
    if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

// ---- handshake and identification ----

bool Command::IsConnect() {
    Send("~CONNECT?");
    if (Receive() == "ok") return true;
    // A unit that has just been powered or switched may answer the first query with stale
    // bytes; one more query tells. What came first may also be a late reply to an earlier
    // request, and then this query's own "ok" is still on its way and would be read as the
    // answer to the next request: the replies may be out of step from here on.
    m_replyMissed = true;
    Send("~CONNECT?");
    return Receive() == "ok";
}

std::string Command::AskSoftwareName() {
    Send("~NAME?");
    m_nodeinfo.SoftwareName = Receive();
    return m_nodeinfo.SoftwareName;
}

bool Command::GetSoftwareName() {
    m_NameSoft = AskSoftwareName();
    return true;
}

bool Command::IsSupportedVersion() {
    Send("~VER?");
    m_nodeinfo.SoftwareVersion = Receive();
    return Version(SupportedVersion());
}

bool Command::checkFirmWareName() { return SearchReply(m_nodeinfo.SoftwareName, FamilyWord()); }

bool Command::IsVersionOver2_1() { return Version(Over2_1(), MajorOver3()); }
bool Command::IsVersion2_1() { return Version(Is2_1()); }
bool Command::IsVersionOver2_2() { return Version(Over2_2(), MajorOver3()); }
bool Command::IsVersion2_2() { return Version(Is2_2()); }
bool Command::IsVersionOver2_4() { return Version(Over2_4(), MajorOver3()); }
bool Command::IsVersionUnder2_4() { return Version(Under2_4(), Major1()); }
bool Command::IsVersion2_4() { return Version(Is2_4()); }
bool Command::IsVersionOver2_5() { return Version(Over2_5(), MajorOver3()); }
bool Command::IsVersion2_5() { return Version(Is2_5()); }
bool Command::IsVersionOver2_6() { return Version(Over2_6(), MajorOver3()); }
bool Command::IsVersion2_6() { return Version(Is2_6()); }

bool Command::IsFirmVersionOver1_4() { return SearchReply(m_NameSoft, FirmOver1_4()); }

bool Command::IsFirmForQRM500() {
    try {
        return SearchReply(m_NameSoft, NewGeneration());
    } catch (...) {
        return false;
    }
}

bool Command::IsFirmVersionOverCheck(int threshold) {
    const std::string& name = m_NameSoft;
    const std::size_t ver = name.find("Ver");
    if (ver == std::string::npos) return false;
    // The token after "Ver" runs to the next space; units keep it within 9 characters, and
    // bounding it keeps the number within range whatever a unit sends.
    constexpr std::size_t kMaxToken = 9;
    std::string_view token(name);
    token = token.substr(ver + 3);
    token = token.substr(0, std::min(token.find(' '), kMaxToken));
    long value = 0;
    for (const char c : token) {
        if (c == '.') continue;
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value >= threshold;
}

bool Command::IsWhitening() { return IsFirmForQRM500() && IsFirmVersionOverCheck(17); }

// ---- scan and top-level operations ----

CommandResult Command::ScanPorts(const AttemptStep& step) {
    try {
        return ScanPortsOnce(step);
    } catch (...) {
        // Only bookkeeping outside an attempt can get here (a trace sink that throws, memory
        // exhausted): the scan is over without a unit.
        m_scanning = nullptr;
        CloseQuietly();
        return CommandResult::ErrConnect;
    }
}

ScanFacts Command::LastScan() { return m_lastScan; }

CommandResult Command::ScanPortsOnce(const AttemptStep& step) {
    m_result.clear();
    m_refusedPorts.clear();
    m_current = m_communication;
    CloseQuietly();

    std::vector<std::string> ports;
    try {
        ports = ListPorts();
    } catch (...) {
        ports.clear();
    }
    const std::size_t count = std::min(ports.size(), Timing().MaxPorts);
    m_lastScan = ScanFacts{m_lastScan.Sequence + 1, {}};
    for (std::size_t index = count; index-- > 0;) {
        PortFacts facts;
        facts.PortName = ports[index];
        m_lastScan.Ports.push_back(std::move(facts));
    }

    for (PortFacts& facts : m_lastScan.Ports) {
        m_portName = facts.PortName;
        m_scanning = &facts;
        m_notes = {};
        const std::optional<CommandResult> result = ScanPort(step);
        m_scanning = nullptr;
        facts.Verdict = Decide(facts);
        if (result) return *result;
    }
    CloseQuietly();
    return CommandResult::ErrConnect;
}

std::optional<CommandResult> Command::ScanPort(const AttemptStep& step) {
    m_replyMissed = false;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        if (StopRequested()) {
            Trace(TraceDirection::Event, "scan stopped");
            CloseQuietly();
            return CommandResult::ErrConnect;
        }
        try {
            if (std::optional<CommandResult> result = RunAttempt(step, attempt)) return result;
            CloseQuietly();
        } catch (...) {
            Trace(TraceDirection::Event, "attempt abandoned on " + m_portName);
            CloseQuietly();
        }
    }
    return std::nullopt;
}

std::optional<CommandResult> Command::RunAttempt(const AttemptStep& step, int attempt) {
    if (attempt == 1)
        OpenDefault();
    else
        Open();
    // A cancel that closed the port while it was being opened would otherwise be undone by
    // this open, and the attempt would wait out all its tries.
    if (StopRequested()) {
        Trace(TraceDirection::Event, "scan stopped");
        CloseQuietly();
        return CommandResult::ErrConnect;
    }
    std::optional<CommandResult> result = step();
    if (result == CommandResult::ErrUnsupported && m_replyMissed) {
        // A unit that answered late has its later replies read as answers to the next
        // requests (its "ok" taken for its name): that proves nothing about the unit. Once
        // the line is quiet the same questions are asked again, and only a verdict reached
        // without a late reply stands.
        LetLineGoQuiet();
        m_replyMissed = false;
        result = step();
        if (result == CommandResult::ErrUnsupported && m_replyMissed) {
            Trace(TraceDirection::Event, "replies out of step on " + m_portName);
            result.reset();
        }
    }
    if (!result) return std::nullopt;
    if (attempt == 1) {
        // The port stays open at 9600 8N1, and that is where the unit answered: a later
        // reopen (after a line-setting change) must start from there, not from the settings
        // the caller guessed.
        m_current.BaudRate = 9600;
        m_current.DataBits = 8;
        m_current.Parity = Parity::None;
        m_current.StopBits = StopBits::One;
    }
    m_scanning->Result = *result;
    m_scanning->Name = m_nodeinfo.SoftwareName;
    m_scanning->Version = m_nodeinfo.SoftwareVersion;
    return result;
}

void Command::NoteReply(const std::string& line) {
    PortFacts& facts = *m_scanning;
    if (line == "ok") {
        // Stale bytes followed by the handshake: the line was only not yet quiet.
        facts.Handshake = true;
        m_notes.Garbage = false;
        return;
    }
    if (facts.Handshake) {
        // What a unit says after the handshake is its own, even when it comes late (its name
        // read where the next "ok" was awaited): it is not garbage.
        if (!m_notes.AfterHandshake) facts.FirstReply = line;
        m_notes.AfterHandshake = true;
        return;
    }
    if (!m_notes.Garbage) facts.FirstReply = line;
    m_notes.Garbage = true;
}

PortVerdict Command::Decide(const PortFacts& facts) {
    if (facts.Result) return PortVerdict::Answered;
    if (facts.Handshake && m_notes.OpenFailedAfterHandshake) return PortVerdict::HungUp;
    if (facts.Handshake && m_notes.AfterHandshake) return PortVerdict::Answered;
    if (m_notes.Garbage) return PortVerdict::Garbage;
    if (facts.FailedOpen() != nullptr) return PortVerdict::OpenFailed;
    return facts.Attempts.empty() ? PortVerdict::NotTried : PortVerdict::Silent;
}

void Command::LetLineGoQuiet() {
    for (int dropped = 0; dropped < 64; ++dropped) {
        std::string line;
        if (!m_port->ReadLine(line).ok()) return;
        Trace(TraceDirection::Event, "late reply dropped: " + line);
    }
}

CommandResult Command::Connect() {
    return ScanPorts([]() -> std::optional<CommandResult> {
        if (!IsConnect()) return std::nullopt;
        GetSoftwareName();
        if (!checkFirmWareName()) return CommandResult::ErrUnsupported;
        return IsSupportedVersion() ? CommandResult::Success : CommandResult::ErrUnsupported;
    });
}

CommandResult Command::ConnectAndRead() {
    return ScanPorts([]() -> std::optional<CommandResult> {
        if (!IsConnect()) return std::nullopt;
        IsSupportedVersion();
        GetSoftwareName();
        GetAllParam();
        if (!checkFirmWareName()) return CommandResult::ErrUnsupported;
        return IsSupportedVersion() ? CommandResult::Success : CommandResult::ErrUnsupported;
    });
}

// ---- helpers for the command sets ----

CommandResult Command::RunFrame(const std::function<void()>& sequence) {
    m_result.clear();
    try {
        sequence();
        return CommandResult::Success;
    } catch (const CommandError& error) {
        return error.Result();
    } catch (...) {
        return CommandResult::ErrStatus;
    }
}

void Command::ApplyLineSetting(const Communication& confirmed, ResyncRule rule) {
    if (rule.CompareFirst && confirmed == m_current) return;
    m_current = confirmed;
    if (rule.SevenNoneException && m_current.DataBits == 7 && m_current.Parity == Parity::None &&
        (!rule.VersionCondition || IsVersionOver2_5()))
        return;
    if (m_portIF == 1) Restart();
}

}  // namespace Tormel::Domain::Modem
