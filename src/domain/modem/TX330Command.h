// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// The contact-input/output unit (TX-330) on the shared command link: its recognition, the
// full read, the full write and the factory reset, with its own versions of the serial-line
// and encryption writers. Its radio and contact blocks live in TX330WirelessCommand and
// TX330DidoCommand, its reply parsers with the RS485 unit's in Replies. The RS485 writers it
// shares with Command (whitening, interface port, flow control, ID offset, extended group,
// older encryption) are reached through the base class; none of the operations here calls
// them.
class TX330Command : public Command {
  public:
    // The name reply of the last handshake with this unit.
    static inline std::string m_NameSoft;

    // ---- top-level operations (never throw) ----
    static CommandResult Connect();
    static CommandResult ConnectAndRead();
    static CommandResult Write();
    static CommandResult InitWrite();
    // Every parameter read again on the line already open (see Command::ReadAll).
    static CommandResult ReadAll();

    // ---- identification ----
    // "~NAME?" into m_nodeinfo.SoftwareName and m_NameSoft.
    static bool GetSoftwareName();
    // The name must begin with the module family word.
    static bool checkFirmWareName();

    // ---- reading ----
    static bool GetAllParam();
    // Always asks the unit which interface the tool is talking through.
    static void GetCmdIF();

    // ---- serial line (confirmed; then the PC side follows, see ApplyLineSetting) ----
    static void SetBaudRate(int32_t baudRate);           // the eight speeds, 76800 included
    static void SetDataBits(int32_t dataBits);           // 7 or 8
    static void SetParity(Common::Parity parity);        // None, Even, Odd
    static void SetStopBits(Common::StopBits stopBits);  // One, Two
    static void SetAwt(int32_t awt);                     // answer wait time in 10 ms steps, 0 to 25
    // The same request and confirmation as the RS485 unit's.
    using Command::SetAutoParamSync;

    // ---- encryption ----
    // Enable switch; when enabled, the AES type and then the key action of AESEncryptKeySetting.
    static void SetAESEncrypt(const Common::Nodeinfo& node);
    // The same requests and confirmations as the RS485 unit's.
    using Command::SetAESEncryptEnable;
    using Command::SetAESEncryptKey;
    using Command::SetAESEncryptType;
    // The two AES resets. Their names are the other way round in Command, whose
    // SetAESEncryptInit sends "~ENCREST=" and whose SetAESEncInit sends "~NETENCENABLE=1":
    // read the request, not the name, before calling one through the other class.
    //   TX330Command::SetAESEncryptInit: "~NETENCENABLE=1" -> "net encryption is disable",
    //   encryption off (Command::SetAESEncInit).
    //   TX330Command::SetAESEncInit: "~ENCREST=" -> "enc reset", back to the unit's own AES
    //   key (Command::SetAESEncryptInit).
    // Tests: Tx330Link.TheAesResetNamesMeanOppositeRequestsInTheTwoClasses pins each name's
    // request; Tx330Link.InitWriteResetsTheUnitAndFollowsItOverTheUart the reset sequence.
    static void SetAESEncryptInit();
    static void SetAESEncInit();
    // "~INIT=", then the port follows the unit when the tool talks through its UART.
    static void SetInit();
};

}  // namespace Tormel::Domain::Modem
