// SPDX-License-Identifier: MIT
// The RS485 wireless unit's parameter commands: reading all parameters, writing them in
// the unit's order with every value confirmed, and the factory reset.
#include <optional>

#include "domain/modem/Command.h"
#include "domain/modem/Exchange.h"
#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {

using namespace Common;
using namespace Exchange;
using Replies::PacketFormat;

namespace {

// Packet marks: any byte but 0x00 and the command character "~".
bool IsMark(uint8_t mark) { return mark != 0x00 && mark != 0x7E; }

void WriteStx(PacketFormat which, uint8_t stx) {
    if (!IsMark(stx)) Refuse(Replies::StxRequest(which, stx));
    Confirm(Replies::ParseStx(Ask(Replies::StxRequest(which, stx)), which), stx);
}

void WriteEtx(PacketFormat which, uint8_t etx, uint8_t offset) {
    if (!IsMark(etx) || offset > 9) Refuse(Replies::EtxRequest(which, etx, offset));
    Confirm(Replies::ParseEtx(Ask(Replies::EtxRequest(which, etx, offset)), which),
            Replies::EndMark{etx, offset});
}

Replies::EndMark ReadEtx(PacketFormat which) {
    return Replies::ParseEtx(Ask(which == PacketFormat::First ? "~ETX?" : "~ETX2?"), which);
}

uint8_t ReadStx(PacketFormat which) {
    return Replies::ParseStx(Ask(which == PacketFormat::First ? "~STX?" : "~STX2?"), which);
}

// The unit refuses a start mark equal to its current end mark and the other way round, so
// the order of the two writes depends on what it holds now; a plain swap goes through a
// temporary end mark.
void WritePacket(PacketFormat which, uint8_t stx, uint8_t etx, uint8_t offset) {
    if (stx == etx || !IsMark(stx) || !IsMark(etx) || offset > 9) {
        Refuse(Replies::StxRequest(which, stx) + " " + Replies::EtxRequest(which, etx, offset));
    }
    const uint8_t currentStx = ReadStx(which);
    const Replies::EndMark current = ReadEtx(which);
    if (etx != currentStx) {
        WriteEtx(which, etx, offset);
        WriteStx(which, stx);
    } else if (stx != current.Mark) {
        WriteStx(which, stx);
        WriteEtx(which, etx, offset);
    } else {
        const uint8_t detour = (stx != 0xFF && etx != 0xFF)   ? 0xFF
                               : (stx != 0xFE && etx != 0xFE) ? 0xFE
                                                              : 0xFC;
        WriteEtx(which, detour, current.Offset);
        WriteStx(which, stx);
        WriteEtx(which, etx, offset);
    }
}

void WriteDevice(PacketFormat which, uint8_t offset, uint8_t length, ProtocolFormat format) {
    const std::optional<int> formatCode = Replies::FormatCode(format);
    if (offset > 99 || length > 6 || !formatCode) {
        Refuse(Replies::DeviceRequest(which, offset, length, formatCode.value_or(static_cast<int>(format))));
    }
    Confirm(Replies::ParseDevice(Ask(Replies::DeviceRequest(which, offset, length, *formatCode)), which),
            Replies::Device{offset, length, format});
}

Replies::ListingGates Gates() {
    Replies::ListingGates gates;
    gates.Over2_5 = Command::IsVersionOver2_5();
    gates.Under2_4 = Command::IsVersionUnder2_4();
    gates.Over2_2 = Command::IsVersionOver2_2();
    gates.Is2_1 = Command::IsVersion2_1();
    gates.NewerModule = Command::IsFirmForQRM500();
    return gates;
}

// Interface-port and flow-control changes always bring the PC side along over UART.
constexpr ResyncRule kAlwaysResync{false, false, false};

}  // namespace

// ---- Reading ----

void Command::GetCmdIF() {
    if (!IsVersionOver2_5()) {
        m_portIF = 1;  // older units are only reached over their UART
        return;
    }
    m_portIF = Replies::ParseCmdIF(Ask("~CMDIF?"));
}

uint8_t Command::GetStx() { return ReadStx(PacketFormat::First); }
uint8_t Command::GetStx2nd() { return ReadStx(PacketFormat::Second); }

void Command::GetEtx(uint8_t& etx, uint8_t& offset) {
    const auto end = ReadEtx(PacketFormat::First);
    etx = end.Mark;
    offset = end.Offset;
}

void Command::GetEtx2nd(uint8_t& etx, uint8_t& offset) {
    const auto end = ReadEtx(PacketFormat::Second);
    etx = end.Mark;
    offset = end.Offset;
}

void Command::GetWhitening() { m_nodeinfo.WhiteningEnable = Replies::ParseWhitening(Ask("~WHITE?")); }

std::string Command::GetBind() {
    return Replies::ParseBindListing(
        Receive(), [] { return Receive(); }, m_binding);
}

std::string Command::GetBindGroup(const std::string& first) {
    return Replies::ParseGroupListing(
        first, [] { return Receive(); }, m_binding);
}

std::string Command::GetBindEach(const std::string& first) {
    return Replies::ParseEachListing(
        first, [] { return Receive(); }, m_binding);
}

bool Command::GetAllParam() {
    Send("~ALLPARAM?");
    Replies::ParseAllParamListing([] { return Receive(); }, Gates(), m_communication, m_protocol, m_binding,
                                  m_nodeinfo);
    if (IsFirmVersionOver1_4() || IsFirmForQRM500())
        m_nodeinfo.AESEncryptEnable = Replies::ParseAESEncryptEnable(Ask("~NETENCENABLE?"));
    if (IsFirmForQRM500()) m_nodeinfo.AESEncryptType = Replies::ParseAESEncryptType(Ask("~AESMODE?"));
    if (IsWhitening()) GetWhitening();
    return true;
}

// ---- Line settings ----

void Command::SetBaudRate(int32_t baudRate) {
    // 76800 bit/s (code 7) is for the newer modules only.
    if (Replies::BaudRateCode(baudRate) == 7 && !IsFirmForQRM500())
        Refuse(Replies::SetRequest("BAUD", baudRate));
    WriteLineSetting(kBaudRate, baudRate, {});
}

void Command::SetDataBits(int32_t dataBits) { WriteLineSetting(kDataBits, dataBits, {}); }
void Command::SetParity(Parity parity) { WriteLineSetting(kParity, parity, {}); }
void Command::SetStopBits(StopBits stopBits) { WriteLineSetting(kStopBits, stopBits, {}); }
void Command::SetIntfPort(int32_t intfPort) { WriteLineSetting(kIntfPort, intfPort, kAlwaysResync); }
void Command::SetHandshake(Handshake handshake) { WriteLineSetting(kFlowControl, handshake, kAlwaysResync); }

// ---- Node and encryption ----

void Command::SetIdOffset(uint32_t idOffset) {
    WriteNumber("HODR", idOffset, 0, 9999, Replies::ParseIdOffset);
}

void Command::SetAutoParamSync(NodeinfoAutoParamSyncEnable value) {
    WriteOwnSwitch("SNCP", value, 1, 2, Replies::ParseAutoParamSync);
}

void Command::SetExtendedGroup(NodeinfoExtendedGroup value) {
    WriteOwnSwitch("EGRP", value, 1, 2, Replies::ParseExtendedGroup);
}

void Command::SetAESEncryptEnable(NodeinfoAESEncryptEnable value) {
    WriteOwnSwitch("NETENCENABLE", value, 1, 2, Replies::ParseAESEncryptEnable);
}

void Command::SetAESEncryptType(NodeinfoAESEncryptType value) {
    WriteOwnSwitch("AESMODE", value, 1, 2, Replies::ParseAESEncryptType);
}

void Command::SetAESEncryptKey(const Nodeinfo& nodeinfo) {
    const auto request = Replies::AESKeyRequest(nodeinfo);
    if (!request) Refuse("~ENCKEY");  // the key itself stays out of the trace
    Ask(*request);                    // the unit's answer carries nothing to compare
}

void Command::SetAESEncryptInit() { Replies::ExpectLine(Ask("~ENCREST="), "enc reset"); }

void Command::SetAESEncInit() { Replies::ExpectLine(Ask("~NETENCENABLE=1"), "net encryption is disable"); }

void Command::SetEncryptEnable(NodeinfoEncryptEnable value) {
    const bool newer = IsFirmForQRM500();
    WriteOwnSwitch("ENCE", value, 1, 2,
                   [newer](std::string_view line) { return Replies::ParseEncryptEnable(line, newer); });
}

void Command::SetEncryptKey(const Nodeinfo& nodeinfo) {
    const auto request = Replies::EncryptKeyRequest(nodeinfo);
    if (!request) Refuse("~ENCR");  // the key itself stays out of the trace
    Ask(*request);                  // the unit's answer carries nothing to compare
}

void Command::SetWhitening(NodeinfoWhiteningEnable value) {
    WriteOwnSwitch("WHITE", value, 0, 1, Replies::ParseWhitening);
    m_nodeinfo.WhiteningEnable = value;
}

void Command::SetAESEncrypt(const Nodeinfo& nodeinfo) { WriteAESEncryption(nodeinfo, IsFirmForQRM500()); }

void Command::WriteAESEncryption(const Nodeinfo& nodeinfo, bool typeAndKey) {
    SetAESEncryptEnable(nodeinfo.AESEncryptEnable);
    if (!typeAndKey || nodeinfo.AESEncryptEnable != NodeinfoAESEncryptEnable::Enable) return;
    SetAESEncryptType(nodeinfo.AESEncryptType);
    switch (nodeinfo.AESEncryptKeySetting) {
        case NodeinfoAESEncryptKeySetting::Change:
            SetAESEncryptKey(nodeinfo);
            break;
        case NodeinfoAESEncryptKeySetting::Init:
            Command::SetAESEncryptInit();  // "~ENCREST=" in both families
            break;
        default:
            break;  // the unit keeps its key
    }
}

void Command::SetEncrypt(const Nodeinfo& nodeinfo) {
    SetEncryptEnable(nodeinfo.EncryptEnable);
    SetEncryptKey(nodeinfo);
}

// ---- Packet protocol ----

void Command::SetThrough(ProtocolThrough value) {
    WriteOwnSwitch("THR", value, 1, 3, Replies::ParseThroughMode);
}

void Command::SetSilentChar(uint8_t silentChar) {
    WriteNumber("SLNT", silentChar, 4, 100, Replies::ParseSilentChar);
}

void Command::SetFmt2Enable(ProtocolFmt2Enable value) {
    WriteOwnSwitch("FMT2", value, 1, 2, Replies::ParseFmt2Enable);
}

void Command::SetDeviEnable(ProtocolDeviEnable value) {
    WriteOwnSwitch("DEVE", value, 1, 3, Replies::ParseDeviEnable);
}

void Command::SetStx(uint8_t stx) { WriteStx(PacketFormat::First, stx); }
void Command::SetEtx(uint8_t etx, uint8_t offset) { WriteEtx(PacketFormat::First, etx, offset); }
void Command::SetStx2nd(uint8_t stx) { WriteStx(PacketFormat::Second, stx); }
void Command::SetEtx2nd(uint8_t etx, uint8_t offset) { WriteEtx(PacketFormat::Second, etx, offset); }

void Command::SetPacket(uint8_t stx, uint8_t etx, uint8_t offset) {
    WritePacket(PacketFormat::First, stx, etx, offset);
}

void Command::SetPacket2nd(ProtocolFmt2Enable fmt2, uint8_t stx, uint8_t etx, uint8_t offset) {
    WritePacket(PacketFormat::Second, stx, etx, offset);
    SetFmt2Enable(fmt2);
}

void Command::SetDevice(uint8_t offset, uint8_t length, ProtocolFormat format) {
    WriteDevice(PacketFormat::First, offset, length, format);
}

void Command::SetDevice2nd(uint8_t offset, uint8_t length, ProtocolFormat format) {
    WriteDevice(PacketFormat::Second, offset, length, format);
}

void Command::SetBcastAddr(uint32_t address) {
    // Sent in decimal, shown by the unit in hexadecimal.
    WriteNumber("BCAD", address, 0, 0xFFFF, Replies::ParseBcastAddr);
}

void Command::SetVerify(ProtocolMethod method, ProtocolCheckCode code, int32_t offset, uint8_t length,
                        ProtocolFormat format) {
    const std::optional<int> methodCode = Replies::MethodCode(method);
    const std::optional<int> codeCode = Replies::CheckCodeCode(code);
    const std::optional<int> formatCode = Replies::FormatCode(format);
    if (!methodCode || !codeCode || !formatCode || offset < -99 || offset > 99 || length < 1 || length > 4) {
        Refuse(Replies::VerifyRequest(methodCode.value_or(static_cast<int>(method)),
                                      codeCode.value_or(static_cast<int>(code)), offset, length,
                                      formatCode.value_or(static_cast<int>(format))));
    }
    const Replies::Verify confirmed = Replies::ParseVerify(
        Ask(Replies::VerifyRequest(*methodCode, *codeCode, offset, length, *formatCode)));
    // Without a check code the unit answers "chk is disable" alone, whatever the other four
    // values were; that answer confirms the method and nothing else.
    if (method == ProtocolMethod::None) {
        Confirm(confirmed.Method, method);
        return;
    }
    Confirm(confirmed, Replies::Verify{method, code, offset, length, format});
}

// ---- Bindings ----

void Command::SetBindType(BindingType type) {
    const int code = CodeOrRefuse(OwnCode(type, 1, 2), "BTYP", static_cast<long long>(type));
    Replies::ParseBindType(Ask("~BTYP?"));  // the unit must know bind types at all
    Confirm(Replies::ParseBindType(Ask(Replies::SetRequest("BTYP", code))), type);
}

void Command::ClearBind() { Replies::ExpectLine(Ask("~BIND=%"), "all bind entries are cleared"); }

void Command::CheckMaskAndKey(uint8_t mask, uint8_t key) {
    if (!Replies::IsValidMaskAndKey(mask, key)) Fail(CommandResult::ErrOutOfRange);
}

void Command::SetBindGroupEntry(uint8_t nodeId, uint8_t mask, uint8_t key) {
    if (nodeId > 99 || !Replies::IsValidMaskAndKey(mask, key))
        Refuse(Replies::BindGroupRequest(nodeId, mask, key));
    Confirm(Replies::ParseBindGroupAdded(Ask(Replies::BindGroupRequest(nodeId, mask, key))),
            BindingGroup{nodeId, mask, key});
}

void Command::SetBindEachEntry(uint8_t unitId, uint8_t nodeId) {
    if (nodeId > 99 || unitId < 1 || unitId > 99) Refuse(Replies::BindEachRequest(nodeId, unitId));
    Confirm(Replies::ParseBindEachAdded(Ask(Replies::BindEachRequest(nodeId, unitId))),
            BindingEach{unitId, nodeId});
}

void Command::SetBindGroup() {
    if (!m_binding.Groups) return;
    for (const auto& group : *m_binding.Groups) SetBindGroupEntry(group.Id, group.Mask, group.Key);
}

void Command::SetBindEach() {
    if (!m_binding.Eachs) return;
    for (const auto& each : *m_binding.Eachs) SetBindEachEntry(each.UnitId, each.NodeId);
}

void Command::SetBind(BindingType type) {
    ClearBind();
    if (type == BindingType::Group || IsVersion2_1())
        SetBindGroup();
    else if (type == BindingType::Each)
        SetBindEach();
}

void Command::SetInit() {
    Send("~INIT=");
    Replies::ExpectLine(Receive(Timing().ResetTries), "node was initialized");
}

// ---- Top level ----

CommandResult Command::ReadAll() {
    return RunFrame([] { GetAllParam(); });
}

CommandResult Command::Write() {
    return RunFrame([] {
        if (IsVersionOver2_5() && m_communication.DataBits == 7 && m_communication.Parity == Parity::None)
            Fail(CommandResult::Err7DataBitNonParity);
        GetCmdIF();
        if (IsVersionOver2_5()) SetAutoParamSync(NodeinfoAutoParamSyncEnable::Disable);
        SetIdOffset(m_nodeinfo.IdOffset);
        if (IsFirmForQRM500())
            SetAESEncrypt(m_nodeinfo);
        else if (IsFirmVersionOver1_4())
            SetAESEncryptEnable(m_nodeinfo.AESEncryptEnable);
        if (IsWhitening()) SetWhitening(m_nodeinfo.WhiteningEnable);
        if (!IsFirmForQRM500()) SetEncrypt(m_nodeinfo);

        const Protocol p = m_protocol;
        SetThrough(p.ThroughMode);
        SetSilentChar(p.SilentChar);
        SetDeviEnable(p.DeviEnable);
        SetPacket(p.PacketStartCode, p.PacketEndCode, p.PacketOffset);
        SetPacket2nd(p.Fmt2Enable, p.PacketStartCode2nd, p.PacketEndCode2nd, p.PacketOffset2nd);
        SetDevice(p.AddressOffset, p.AddressLength, p.AddressFormat);
        SetDevice2nd(p.AddressOffset2nd, p.AddressLength2nd, p.AddressFormat2nd);
        SetBcastAddr(p.BcastAddr);

        if (IsVersionOver2_2()) {
            SetExtendedGroup(m_nodeinfo.ExtendedGroup);
            SetBindType(m_binding.BindType);
        }
        SetBind(m_binding.BindType);
        if (IsVersionUnder2_4())
            SetVerify(p.CheckMethod, p.CheckCode, p.CheckOffset, p.CheckLength, p.CheckFormat);

        // The unit's own line last: each change may move the PC side to the new settings.
        const Communication c = m_communication;
        SetBaudRate(c.BaudRate);
        SetDataBits(c.DataBits);
        SetStopBits(c.StopBits);
        SetParity(c.Parity);
        if (IsVersionOver2_5()) SetIntfPort(c.IntfPort);
    });
}

CommandResult Command::InitWrite() {
    return RunFrame([] {
        if (IsFirmVersionOver1_4() || IsFirmForQRM500()) SetAESEncInit();  // "~NETENCENABLE=1"
        if (IsFirmForQRM500()) SetAESEncryptInit();                        // "~ENCREST="
        SetInit();
        // Over the UART the unit restarts its line; the PC side reopens after it.
        if (m_portIF == 1) Restart();
    });
}

}  // namespace Tormel::Domain::Modem
