// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/common/UnitFamily.h"
#include "domain/modem/CommandResult.h"
#include "domain/modem/CommandTiming.h"
#include "domain/modem/ScanFacts.h"
#include "platform/SerialPort.h"

namespace Tormel::Domain::Modem {

// Direction of one traced line of the dialogue with the unit.
enum class TraceDirection : int32_t {
    Sent = 0,      // a request line written to the unit
    Received = 1,  // a reply line read from the unit
    Event = 2,     // a link event: port opened, closed, attempt abandoned, value not sent
};

// The event that a value was refused before anything was sent for it, followed by the request
// it would have made ("not sent: ~SLNT=101").
inline constexpr std::string_view kNotSentEvent = "not sent: ";
// The event that a stop was asked for (a cancel, Ctrl+C) and the operation ended before the
// request that follows, which was not sent.
inline constexpr std::string_view kStoppedEvent = "stopped before: ";
// The event that the port itself failed (the device went away: unplugged, powered off), with
// the system's reason.
inline constexpr std::string_view kPortFailedEvent = "port failed: ";

// Receives every traced line with the moment it passed the link.
using TraceSink = std::function<void(TraceDirection direction, std::string_view line,
                                     std::chrono::steady_clock::time_point when)>;

// How a confirmed line-setting change brings the PC side along. The RS485 serial-line
// commands use the defaults; the interface-port and flow-control commands neither compare
// nor make the 7-bit exception; the contact-I/O unit makes the exception at every version.
struct ResyncRule {
    bool CompareFirst = true;        // nothing to do when the value is unchanged
    bool SevenNoneException = true;  // 7 data bits with parity None: do not reopen
    bool VersionCondition = true;    // ... only on units at version 2.5 or later
};

// A listed port that exists but that this user may not open (on Linux: not in the dialout
// group). The window names it, since a scan that finds nothing says nothing of the cause.
struct RefusedPort {
    std::string PortName;
    std::string Reason;  // the system's text, e.g. "Permission denied"

    bool operator==(const RefusedPort&) const = default;
};

// What the replies on the port being scanned have shown so far; the scan decides the port's
// verdict from it.
struct ScanReplyNotes {
    bool Garbage = false;         // a first reply that was not the handshake's, no "ok" since
    bool AfterHandshake = false;  // a line other than "ok" came after the handshake
    bool OpenFailedAfterHandshake = false;
};

// Supplies the serial port names to scan, in the system's order.
using PortLister = std::function<std::vector<std::string>()>;

// The one command link of the process and the RS485 unit's command set. Every operation is
// class-level and works on the shared link state below; the contact-I/O classes derive from
// it and reuse the state and the primitives. The link state is not synchronised: one
// top-level operation runs at a time (the controllers see to that). The only cross-thread
// access is a close of the port (cancel) and RequestStop().
class Command {
  public:
    // ---- link state ----
    static inline Tormel::Platform::ISerialPort* m_port = nullptr;
    static inline std::string m_portName;
    static inline Common::Communication m_communication{};
    static inline Common::Communication m_current{};
    static inline Common::Nodeinfo m_nodeinfo{};
    static inline Common::Protocol m_protocol{};
    static inline Common::Binding m_binding{};
    static inline Common::NodeinfoAutoParamSyncEnable m_AutoParamSync{};
    static inline int32_t m_portIF = 0;  // 0 invalid, 1 UART, 2 USB
    static inline std::string m_NameSoft;
    static inline std::string m_result;
    // Ports the last scan could not open for lack of permission, in the order tried.
    static inline std::vector<RefusedPort> m_refusedPorts;

    // ---- accessors ----
    static void SerialPort(Tormel::Platform::ISerialPort* port) { m_port = port; }
    static Common::Communication CommunicationConfig() { return m_communication; }
    static void CommunicationConfig(const Common::Communication& value) { m_communication = value; }
    static Common::Nodeinfo NodeinfoConfig() { return m_nodeinfo; }
    static void NodeinfoConfig(const Common::Nodeinfo& value) { m_nodeinfo = value; }
    static Common::Protocol ProtocolConfig() { return m_protocol; }
    static void ProtocolConfig(const Common::Protocol& value) { m_protocol = value; }
    static Common::Binding BindingConfig() { return m_binding; }
    static void BindingConfig(const Common::Binding& value) { m_binding = value; }
    static Common::NodeinfoAutoParamSyncEnable AutoParamSyncConfig() { return m_AutoParamSync; }
    static void AutoParamSyncConfig(Common::NodeinfoAutoParamSyncEnable value) { m_AutoParamSync = value; }
    static std::string Result() { return m_result; }

    // ---- timing, port list, trace, stop request ----
    // The waits of the line protocol; tests shorten them.
    static CommandTiming& Timing();
    // Replaces the port lister (empty: the system's list of serial ports).
    static void SetPortLister(PortLister lister);
    static PortLister CurrentPortLister();
    static std::vector<std::string> ListPorts();
    // Opt-in trace of the dialogue (empty: off). Key bytes never reach it, nor m_result:
    // they are masked as Replies::MaskKeyMaterial does.
    static void SetTraceSink(TraceSink sink);
    // Asks a running scan to give up before its next attempt, and a running write not to
    // reopen a port that was closed under it (any thread). The request holds until its owner
    // clears it before starting the next operation: a scan that cleared it on entry could
    // lose a cancel that arrived just before.
    static void RequestStop() noexcept;
    static void ClearStopRequest() noexcept;
    static bool StopRequested() noexcept;

    // Searches a reply line for a pattern (anchored patterns match the whole line). Only the
    // first kMaxMatchedLength characters are looked at, so that a garbage line of any length
    // cannot exhaust the regex engine's stack.
    static constexpr std::size_t kMaxMatchedLength = 1024;
    static bool SearchReply(std::string_view line, const std::regex& pattern);

    // ---- primitives (errors raise CommandError) ----
    static void Open();         // with m_current; ErrConnect on failure
    static void OpenDefault();  // with 9600 8N1; ErrConnect on failure
    static void Close();        // if open; ErrConnect on failure
    static void Restart();      // Close, wait the reopen delay, Open
    // Sends one request line; a stop asked for ends the operation before the request instead
    // (kStoppedEvent), so that a write stopped on purpose ends between two requests.
    static void Send(const std::string& request);
    // Ends the operation with ErrOutOfRange for a value refused before anything was sent for
    // it; the trace names the request the value would have made (kNotSentEvent).
    [[noreturn]] static void RefuseUnsent(std::string_view request);
    // Reads one reply line with up to timeout_num read attempts; stores it in m_result.
    static std::string Receive(unsigned timeout_num);
    static std::string Receive() { return Receive(Timing().Tries); }
    // Waits the given time (the protocol's fixed pauses).
    static void Pause(std::chrono::milliseconds duration);

    // ---- handshake and identification ----
    static bool IsConnect();
    static bool GetSoftwareName();
    static bool IsSupportedVersion();
    static bool checkFirmWareName();

    static bool IsVersionOver2_1();
    static bool IsVersion2_1();
    static bool IsVersionOver2_2();
    static bool IsVersion2_2();
    static bool IsVersionOver2_4();
    static bool IsVersionUnder2_4();
    static bool IsVersion2_4();
    static bool IsVersionOver2_5();
    static bool IsVersion2_5();
    static bool IsVersionOver2_6();
    static bool IsVersion2_6();
    static bool IsFirmVersionOver1_4();
    static bool IsFirmForQRM500();
    static bool IsFirmVersionOverCheck(int threshold);
    static bool IsWhitening();

    // ---- top-level operations (never throw) ----
    static CommandResult Connect();
    static CommandResult ConnectAndRead();
    // Write, InitWrite and GetAllParam are defined with the RS485 parameter commands in
    // CommandRs485.cpp.
    static CommandResult Write();
    static CommandResult InitWrite();
    static bool GetAllParam();
    // Every parameter read again on the line already open, without a new scan: the read-back
    // after a write, from the unit that was written and no other.
    static CommandResult ReadAll();

    // ---- helpers for the command sets ----
    // Runs the command sequence of a Write/InitWrite: clears m_result, maps a CommandError
    // to its value and any other failure to ErrStatus.
    static CommandResult RunFrame(const std::function<void()>& sequence);

    // "~NAME?": the unit's name reply, also kept in m_nodeinfo.SoftwareName.
    static std::string AskSoftwareName();

    // The AES switch; then, with typeAndKey and encryption on, the key length and the key
    // action of AESEncryptKeySetting (Init: "~ENCREST=", the unit's own key).
    static void WriteAESEncryption(const Common::Nodeinfo& nodeinfo, bool typeAndKey);

    // After the unit confirmed a line setting: `confirmed` is m_current with the new value.
    // Stores it in m_current and reopens the port over UART where the rule calls for it.
    static void ApplyLineSetting(const Common::Communication& confirmed, ResyncRule rule = {});

    // One attempt's work once the port is open: a result ends the scan with the port left
    // open, nullopt means nobody answered (the port is closed and the scan goes on).
    using AttemptStep = std::function<std::optional<CommandResult>()>;
    // The port scan shared by every Connect/ConnectAndRead: clears m_result, copies
    // m_communication into m_current, then tries the first ports last to first, each at
    // 9600 8N1 and at m_current. Never throws.
    static CommandResult ScanPorts(const AttemptStep& step);
    // What the last scan found on each port. A copy: the next scan starts a new record.
    static ScanFacts LastScan();
    // Asks the one port whether a unit of `family` answers there, as that family's Connect
    // would, and puts the link state back as it was (the unit held, its records, the last
    // scan's facts); the port is left closed. The unit's name reply when one of that family
    // answered. Defined with the contact-I/O commands (FamilyProbe.cpp).
    static std::optional<std::string> ProbeFamilyOn(const std::string& port, Common::UnitFamily family);

    // ---- RS485 parameter commands (CommandRs485.cpp) ----
    // Each writer checks its value (ErrOutOfRange, nothing sent), sends it and requires the
    // unit's reply to confirm exactly that value (ErrCommand otherwise).

    // Reading
    static void GetCmdIF();  // sets m_portIF; UART without asking below version 2.5
    static uint8_t GetStx();
    static uint8_t GetStx2nd();
    static void GetEtx(uint8_t& etx, uint8_t& offset);
    static void GetEtx2nd(uint8_t& etx, uint8_t& offset);
    static void GetWhitening();
    // The bind listing into m_binding; each returns the line that followed the listing.
    static std::string GetBind();
    static std::string GetBindGroup(const std::string& first);
    static std::string GetBindEach(const std::string& first);

    // Line settings: confirmed, then the PC side follows (m_current, reopen over UART).
    static void SetBaudRate(int32_t baudRate);
    static void SetDataBits(int32_t dataBits);
    static void SetParity(Common::Parity parity);
    static void SetStopBits(Common::StopBits stopBits);
    static void SetIntfPort(int32_t intfPort);
    static void SetHandshake(Common::Handshake handshake);

    // Node and encryption
    static void SetIdOffset(uint32_t idOffset);
    static void SetAutoParamSync(Common::NodeinfoAutoParamSyncEnable value);
    static void SetExtendedGroup(Common::NodeinfoExtendedGroup value);
    static void SetAESEncryptEnable(Common::NodeinfoAESEncryptEnable value);
    static void SetAESEncryptType(Common::NodeinfoAESEncryptType value);
    static void SetAESEncryptKey(const Common::Nodeinfo& nodeinfo);
    // The two AES resets. Their names are the other way round in TX330Command, whose
    // SetAESEncryptInit sends "~NETENCENABLE=1" and whose SetAESEncInit sends "~ENCREST=":
    // read the request, not the name, before calling one through the other class.
    //   Command::SetAESEncryptInit: "~ENCREST=" -> "enc reset", back to the unit's own AES key.
    //   Command::SetAESEncInit: "~NETENCENABLE=1" -> "net encryption is disable", encryption
    //   off (ahead of a factory reset).
    // Tests: Tx330Link.TheAesResetNamesMeanOppositeRequestsInTheTwoClasses pins each name's
    // request; Rs485Command.FactoryResetPerGenerationAndReopenOverUart the reset sequence.
    static void SetAESEncryptInit();
    static void SetAESEncInit();
    static void SetEncryptEnable(Common::NodeinfoEncryptEnable value);
    static void SetEncryptKey(const Common::Nodeinfo& nodeinfo);
    static void SetWhitening(Common::NodeinfoWhiteningEnable value);
    // The switch; on the newer modules with encryption on, also the key length and the key
    // action of AESEncryptKeySetting.
    static void SetAESEncrypt(const Common::Nodeinfo& nodeinfo);
    static void SetEncrypt(const Common::Nodeinfo& nodeinfo);

    // Packet protocol
    static void SetThrough(Common::ProtocolThrough value);
    static void SetSilentChar(uint8_t silentChar);
    static void SetFmt2Enable(Common::ProtocolFmt2Enable value);
    static void SetDeviEnable(Common::ProtocolDeviEnable value);
    static void SetStx(uint8_t stx);
    static void SetEtx(uint8_t etx, uint8_t offset);
    static void SetStx2nd(uint8_t stx);
    static void SetEtx2nd(uint8_t etx, uint8_t offset);
    // Both marks of a format, in an order the unit accepts (it refuses equal marks).
    static void SetPacket(uint8_t stx, uint8_t etx, uint8_t offset);
    static void SetPacket2nd(Common::ProtocolFmt2Enable fmt2, uint8_t stx, uint8_t etx, uint8_t offset);
    static void SetDevice(uint8_t offset, uint8_t length, Common::ProtocolFormat format);
    static void SetDevice2nd(uint8_t offset, uint8_t length, Common::ProtocolFormat format);
    static void SetBcastAddr(uint32_t address);
    static void SetVerify(Common::ProtocolMethod method, Common::ProtocolCheckCode code, int32_t offset,
                          uint8_t length, Common::ProtocolFormat format);

    // Bindings
    static void SetBindType(Common::BindingType type);
    static void ClearBind();
    static void SetBindGroupEntry(uint8_t nodeId, uint8_t mask, uint8_t key);
    static void SetBindEachEntry(uint8_t unitId, uint8_t nodeId);
    static void SetBind(Common::BindingType type);  // clear, then the list of m_binding that fits
    static void SetBindGroup();
    static void SetBindEach();
    // ErrOutOfRange unless mask and key name one of the unit's groups.
    static void CheckMaskAndKey(uint8_t mask, uint8_t key);

    static void SetInit();  // factory reset of the unit itself

    // ---- end RS485 parameter commands ----

  protected:
    static void Trace(TraceDirection direction, std::string_view line);
    // Ends the operation with ErrConnect after a failed port call; a device that went away is
    // traced (kPortFailedEvent), so that a report can tell an unplug from a refusal.
    [[noreturn]] static void FailPort(const Tormel::Platform::SerialResult& result);

  private:
    static void OpenWith(const Tormel::Platform::SerialSettings& settings);
    static CommandResult ScanPortsOnce(const AttemptStep& step);
    // Both attempts on one port; a value ends the scan (a unit answered, or a stop request).
    static std::optional<CommandResult> ScanPort(const AttemptStep& step);
    static std::optional<CommandResult> RunAttempt(const AttemptStep& step, int attempt);
    // Notes a reply of the port being scanned in its facts.
    static void NoteReply(const std::string& line);
    static PortVerdict Decide(const PortFacts& facts);
    // Reads and drops whatever the unit still sends until the line stays quiet for one read.
    static void LetLineGoQuiet();
    // Set when a read attempt on the port being scanned ended without a line: a reply that
    // comes after that may answer an earlier request.
    static inline bool m_replyMissed = false;
    static inline ScanFacts m_lastScan;
    // The port the running scan is on (null outside a scan) and what its replies showed so far.
    static inline PortFacts* m_scanning = nullptr;
    static inline ScanReplyNotes m_notes;
    static inline std::atomic<bool> m_stopRequested{false};
};

}  // namespace Tormel::Domain::Modem
