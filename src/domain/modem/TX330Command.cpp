// SPDX-License-Identifier: MIT
#include "domain/modem/TX330Command.h"

#include <regex>

#include "domain/modem/Exchange.h"
#include "domain/modem/Replies.h"
#include "domain/modem/TX330DidoCommand.h"
#include "domain/modem/TX330WirelessCommand.h"

namespace Tormel::Domain::Modem {

using Common::Communication;
using Common::Nodeinfo;
using Common::NodeinfoAutoParamSyncEnable;
using Common::Parity;
using Common::StopBits;
using namespace Exchange;

namespace {

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

        if (line.DataBits == 7 && line.Parity == Parity::None) Fail(CommandResult::Err7DataBitNonParity);

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

CommandResult TX330Command::ReadAll() {
    return RunFrame([] { GetAllParam(); });
}

CommandResult TX330Command::InitWrite() {
    return RunFrame([] {
        SetAESEncryptInit();  // "~NETENCENABLE=1" (Command calls this one SetAESEncInit)
        SetAESEncInit();      // "~ENCREST=" (Command calls this one SetAESEncryptInit)
        SetInit();
    });
}

// ---- identification ----

bool TX330Command::GetSoftwareName() {
    m_NameSoft = AskSoftwareName();
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

    m_nodeinfo.AESEncryptEnable = Replies::ParseAESEncryptEnable(Ask("~NETENCENABLE?"));
    m_communication.Awt = Replies::ParseAwt(Ask("~AWT?"));
    m_nodeinfo.AESEncryptType = Replies::ParseAESEncryptType(Ask("~AESMODE?"));

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

void TX330Command::GetCmdIF() { m_portIF = Replies::ParseCmdIF(Ask("~CMDIF?")); }

// ---- serial line ----

void TX330Command::SetBaudRate(int32_t baudRate) { WriteLineSetting(kBaudRate, baudRate, kLineRule); }
void TX330Command::SetDataBits(int32_t dataBits) { WriteLineSetting(kDataBits, dataBits, kLineRule); }
void TX330Command::SetParity(Parity parity) { WriteLineSetting(kParity, parity, kLineRule); }
void TX330Command::SetStopBits(StopBits stopBits) { WriteLineSetting(kStopBits, stopBits, kLineRule); }
// A negative wait cannot be meant; it is refused like one above 250 ms.
void TX330Command::SetAwt(int32_t awt) { WriteLineSetting(kAwt, awt, kLineRule); }

// ---- encryption ----

void TX330Command::SetAESEncrypt(const Nodeinfo& node) { WriteAESEncryption(node, true); }

void TX330Command::SetAESEncryptInit() { Command::SetAESEncInit(); }

void TX330Command::SetAESEncInit() { Command::SetAESEncryptInit(); }

void TX330Command::SetInit() {
    Command::SetInit();
    if (m_portIF == 1) Restart();
}

}  // namespace Tormel::Domain::Modem
