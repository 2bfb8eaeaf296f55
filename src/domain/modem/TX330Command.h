// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// The contact-input/output unit (TX-330) on the shared command link: its recognition, the
// full read, the full write and the factory reset, with its own versions of the serial-line
// and encryption writers. Its radio and contact blocks live in TX330WirelessCommand and
// TX330DidoCommand. The RS485 writers it shares with Command (whitening, interface port,
// flow control, ID offset, extended group, older encryption) are reached through the base
// class; none of the operations here calls them.
class TX330Command : public Command {
  public:
    // The name reply of the last handshake with this unit.
    static inline std::string m_NameSoft;

    // ---- top-level operations (never throw) ----
    static CommandResult Connect();
    static CommandResult ConnectAndRead();
    static CommandResult Write();
    static CommandResult InitWrite();

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
    static void SetAutoParamSync(Common::NodeinfoAutoParamSyncEnable value);

    // ---- encryption ----
    // Enable switch; when enabled, the AES type and then the key action of AESEncryptKeySetting.
    static void SetAESEncrypt(const Common::Nodeinfo& node);
    static void SetAESEncryptEnable(Common::NodeinfoAESEncryptEnable value);
    static void SetAESEncryptType(Common::NodeinfoAESEncryptType value);
    static void SetAESEncryptKey(const Common::Nodeinfo& node);
    // Switches encryption off: "~NETENCENABLE=1", "net encryption is disable".
    static void SetAESEncryptInit();
    // Returns the key to the unit's own: "~ENCREST=", "enc reset".
    static void SetAESEncInit();
    // "~INIT=", then the port follows the unit when the tool talks through its UART.
    static void SetInit();

    // ---- reply parser ----
    // "answer wait time is N ms ": N (1 to 3 digits) in ms, the value in 10 ms steps
    // (integer division), 0 to 25; anything else CommandError(ErrCommand).
    static int32_t ParseAwt(std::string_view line);
};

}  // namespace Tormel::Domain::Modem
