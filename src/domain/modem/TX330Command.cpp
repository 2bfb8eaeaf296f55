// SPDX-License-Identifier: MIT
#include "domain/modem/TX330Command.h"

#include <regex>

#include "domain/modem/Replies.h"
#include "domain/modem/TX330DidoCommand.h"
#include "domain/modem/TX330WirelessCommand.h"

namespace Tormel::Domain::Modem {

using Common::Communication;
using Common::Nodeinfo;
using Common::NodeinfoAESEncryptEnable;
using Common::NodeinfoAESEncryptKeySetting;
using Common::NodeinfoAESEncryptType;
using Common::NodeinfoAutoParamSyncEnable;
using Common::Parity;
using Common::StopBits;

namespace {

[[noreturn]] void OutOfRange() { throw CommandError(CommandResult::ErrOutOfRange); }
[[noreturn]] void Mismatch() { throw CommandError(CommandResult::ErrCommand); }

int Code(std::optional<int> code) {
    if (!code) OutOfRange();
    return *code;
}

// This unit keeps its UART at 7 data bits with no parity without a reopen of the PC side,
// whatever its version; every other confirmed change is followed over the UART.
constexpr ResyncRule kLineRule{true, true, false};

// The contact-I/O module family's names begin with this word.
const std::regex& FamilyName() {
    static const std::regex pattern("^Brenlow*", std::regex::ECMAScript | std::regex::optimize);
    return pattern;
}

// After a live unit answered: identify it, optionally read it whole.
std::optional<CommandResult> Identify(bool readAll) {
    if (!TX330Command::IsConnect()) return std::nullopt;
    TX330Command::GetSoftwareName();
    if (readAll) TX330Command::GetAllParam();
    return TX330Command::checkFirmWareName() ? CommandResult::Success : CommandResult::ErrUnsupported;
}

}  // namespace

// ---- top-level operations ----

CommandResult TX330Command::Connect() {
    return ScanPorts([] { return Identify(false); });
}

CommandResult TX330Command::ConnectAndRead() {
    return ScanPorts([] { return Identify(true); });
}

CommandResult TX330Command::Write() {
    return RunFrame([] {
        const Communication line = m_communication;
        const Nodeinfo node = m_nodeinfo;
        const Common::Didoinfo dido = DidoCommand::m_didoinfo;
        const Common::Wirelessinfo radio = WirelessCommand::m_wirelessinfo;

        if (line.DataBits == 7 && line.Parity == Parity::None)
            throw CommandError(CommandResult::Err7DataBitNonParity);

        GetCmdIF();
        SetAutoParamSync(NodeinfoAutoParamSyncEnable::Disable);
        SetAESEncrypt(node);

        TX330DidoCommand::SetDoBind(dido.Do1Bind, dido.Do2Bind, dido.Do3Bind);
        TX330DidoCommand::SetDoInvert(dido.Do1Invert, dido.Do2Invert, dido.Do3Invert);
        TX330DidoCommand::SetDoOffDelay(dido.DoOffDelay);
        TX330DidoCommand::SetDoOnDelay(dido.DoOnDelay);
        TX330DidoCommand::SetDoKeepTime(dido.DoKeepTime);
        TX330DidoCommand::SetDoKeepSignal(dido.DoKeepSignal);
        TX330DidoCommand::SetDiDelay(dido.DiDelay);

        TX330WirelessCommand::SetChMode(radio.ChMode);
        TX330WirelessCommand::SetOpMode(radio.OpMode);
        TX330WirelessCommand::SetCh(radio.Ch);
        TX330WirelessCommand::SetGrpId(radio.GrpId);
        TX330WirelessCommand::SetNodeId(radio.NodeId);

        // The line settings go last: each may move the PC side to the new settings.
        SetBaudRate(line.BaudRate);
        SetDataBits(line.DataBits);
        SetStopBits(line.StopBits);
        SetParity(line.Parity);
        SetAwt(line.Awt);
    });
}

CommandResult TX330Command::InitWrite() {
    return RunFrame([] {
        SetAESEncryptInit();
        SetAESEncInit();
        SetInit();
    });
}

// ---- identification ----

bool TX330Command::GetSoftwareName() {
    Send("~NAME?");
    const std::string name = Receive();
    m_NameSoft = name;
    m_nodeinfo.SoftwareName = name;
    return true;
}

bool TX330Command::checkFirmWareName() {
    // Through the bounded search: a long run of w after "Brenlo" would otherwise recurse once
    // per character in the regex engine and overflow the worker's stack.
    return SearchReply(m_nodeinfo.SoftwareName, FamilyName());
}

// ---- reading ----

bool TX330Command::GetAllParam() {
    Send("~ALLPARAM?");
    m_communication.BaudRate = Replies::ParseBaudRate(Receive());
    m_communication.StopBits = Replies::ParseStopBits(Receive());
    m_communication.Parity = Replies::ParseParity(Receive());
    m_communication.DataBits = Replies::ParseDataBits(Receive());
    m_communication.IntfPort = Replies::ParseIntfPort(Receive());
    Receive();  // the listing's last line carries nothing this unit uses

    Send("~NETENCENABLE?");
    m_nodeinfo.AESEncryptEnable = Replies::ParseAESEncryptEnable(Receive());
    Send("~AWT?");
    m_communication.Awt = ParseAwt(Receive());
    Send("~AESMODE?");
    m_nodeinfo.AESEncryptType = Replies::ParseAESEncryptType(Receive());

    if (DidoCommand::IsDiDo()) {
        TX330DidoCommand::GetDoBind();
        TX330DidoCommand::GetDoInvert();
        TX330DidoCommand::GetDoOffDelay();
        TX330DidoCommand::GetDoOnDelay();
        TX330DidoCommand::GetDoKeepTime();
        TX330DidoCommand::GetDoKeepSignal();
        TX330DidoCommand::GetDiDelay();
    }
    if (WirelessCommand::IsSwitchParam()) {
        TX330WirelessCommand::GetChMode();
        TX330WirelessCommand::GetOpMode();
        TX330WirelessCommand::GetCh();
        TX330WirelessCommand::GetNodeId();
        TX330WirelessCommand::GetGrpId();
    }
    return true;
}

void TX330Command::GetCmdIF() {
    Send("~CMDIF?");
    m_portIF = Replies::ParseCmdIF(Receive());
}

int32_t TX330Command::ParseAwt(std::string_view line) {
    static constexpr std::string_view head = "answer wait time is ";
    static constexpr std::string_view tail = " ms ";
    // One to three digits between the fixed words; the line's length tells how many.
    if (line.size() < head.size() + tail.size() + 1 || line.size() > head.size() + tail.size() + 3)
        Mismatch();
    if (line.substr(0, head.size()) != head || line.substr(line.size() - tail.size()) != tail) Mismatch();
    const std::string_view digits = line.substr(head.size(), line.size() - head.size() - tail.size());
    int32_t ms = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') Mismatch();
        ms = ms * 10 + (c - '0');
    }
    // The unit counts in ms; the setting is in 10 ms steps, so 250 to 259 ms read as 25.
    const int32_t value = ms / 10;
    if (value > 25) Mismatch();
    return value;
}

// ---- serial line ----

void TX330Command::SetBaudRate(int32_t baudRate) {
    Send(Replies::SetRequest("BAUD", Code(Replies::BaudRateCode(baudRate))));
    const int32_t confirmed = Replies::ParseBaudRate(Receive());
    if (confirmed != baudRate) Mismatch();
    Communication next = m_current;
    next.BaudRate = confirmed;
    ApplyLineSetting(next, kLineRule);
}

void TX330Command::SetDataBits(int32_t dataBits) {
    Send(Replies::SetRequest("DBIT", Code(Replies::DataBitsCode(dataBits))));
    const int32_t confirmed = Replies::ParseDataBits(Receive());
    if (confirmed != dataBits) Mismatch();
    Communication next = m_current;
    next.DataBits = confirmed;
    ApplyLineSetting(next, kLineRule);
}

void TX330Command::SetParity(Parity parity) {
    Send(Replies::SetRequest("PARI", Code(Replies::ParityCode(parity))));
    const Parity confirmed = Replies::ParseParity(Receive());
    if (confirmed != parity) Mismatch();
    Communication next = m_current;
    next.Parity = confirmed;
    ApplyLineSetting(next, kLineRule);
}

void TX330Command::SetStopBits(StopBits stopBits) {
    Send(Replies::SetRequest("SBIT", Code(Replies::StopBitsCode(stopBits))));
    const StopBits confirmed = Replies::ParseStopBits(Receive());
    if (confirmed != stopBits) Mismatch();
    Communication next = m_current;
    next.StopBits = confirmed;
    ApplyLineSetting(next, kLineRule);
}

void TX330Command::SetAwt(int32_t awt) {
    // A negative wait cannot be meant; it is refused like one above 250 ms.
    if (awt < 0 || awt > 25) OutOfRange();
    Send(Replies::SetRequest("AWT", awt));
    const int32_t confirmed = ParseAwt(Receive());
    if (confirmed != awt) Mismatch();
    Communication next = m_current;
    next.Awt = confirmed;
    ApplyLineSetting(next, kLineRule);
}

void TX330Command::SetAutoParamSync(NodeinfoAutoParamSyncEnable value) {
    Send(Replies::SetRequest("SNCP", Code(Replies::SwitchCode(static_cast<int32_t>(value), 1, 2))));
    if (Replies::ParseAutoParamSync(Receive()) != value) Mismatch();
}

// ---- encryption ----

void TX330Command::SetAESEncrypt(const Nodeinfo& node) {
    SetAESEncryptEnable(node.AESEncryptEnable);
    if (node.AESEncryptEnable != NodeinfoAESEncryptEnable::Enable) return;
    SetAESEncryptType(node.AESEncryptType);
    switch (node.AESEncryptKeySetting) {
        case NodeinfoAESEncryptKeySetting::Change:
            SetAESEncryptKey(node);
            break;
        case NodeinfoAESEncryptKeySetting::Init:
            SetAESEncInit();
            break;
        default:
            break;  // NotChange: the unit keeps its key
    }
}

void TX330Command::SetAESEncryptEnable(NodeinfoAESEncryptEnable value) {
    Send(Replies::SetRequest("NETENCENABLE", Code(Replies::SwitchCode(static_cast<int32_t>(value), 1, 2))));
    if (Replies::ParseAESEncryptEnable(Receive()) != value) Mismatch();
}

void TX330Command::SetAESEncryptType(NodeinfoAESEncryptType value) {
    Send(Replies::SetRequest("AESMODE", Code(Replies::SwitchCode(static_cast<int32_t>(value), 1, 2))));
    if (Replies::ParseAESEncryptType(Receive()) != value) Mismatch();
}

void TX330Command::SetAESEncryptKey(const Nodeinfo& node) {
    const std::optional<std::string> request = Replies::AESKeyRequest(node);
    if (!request) OutOfRange();
    Send(*request);
    Receive();  // the unit acknowledges the key with a line of its own; it is not compared
}

void TX330Command::SetAESEncryptInit() {
    Send("~NETENCENABLE=1");
    Replies::ExpectLine(Receive(), "net encryption is disable");
}

void TX330Command::SetAESEncInit() {
    Send("~ENCREST=");
    Replies::ExpectLine(Receive(), "enc reset");
}

void TX330Command::SetInit() {
    Send("~INIT=");
    // The unit answers only when its reset is done, which can take a long time.
    Replies::ExpectLine(Receive(Timing().ResetTries), "node was initialized");
    if (m_portIF == 1) Restart();
}

}  // namespace Tormel::Domain::Modem
