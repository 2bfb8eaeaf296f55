// SPDX-License-Identifier: MIT
#pragma once

// What the forms show, held between the controls and the settings files: list positions
// instead of bit rates, texts exactly as typed, the form's on/off codes (1 = off, 2 = on
// unless noted). These are not the unit records of Tormel::Domain::Common; the windows
// convert between the two when they talk to a unit or a firmware image.
//
// A text that was never set is a null QString: a settings file leaves it out entirely,
// whereas an empty (non-null) text is written as an empty element.

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

namespace Tormel::Gui {

// An empty text that is not null, so that it is written as an empty element.
inline QString emptyText() { return QString(QLatin1String("")); }

// Serial line of the unit as the form shows it.
class Communication {
  public:
    void setVersion(const QString& v) { m_version = v; }
    QString getVersion() const { return m_version; }
    void setModuleType(int32_t v) { m_moduletype = v; }
    int32_t getModuleType() const { return m_moduletype; }
    void setBaudRate(int32_t v) { m_baudRate = v; }
    int32_t getBaudRate() const { return m_baudRate; }
    void setDataBits(int32_t v) { m_dataBits = v; }
    int32_t getDataBits() const { return m_dataBits; }
    void setParity(int32_t v) { m_parity = v; }
    int32_t getParity() const { return m_parity; }
    void setStopBits(int32_t v) { m_stopBits = v; }
    int32_t getStopBits() const { return m_stopBits; }
    void setAwt(int32_t v) { m_awt = v; }
    int32_t getAwt() const { return m_awt; }
    void setIntfPort(int32_t v) { m_intfport = v; }
    int32_t getIntfPort() const { return m_intfport; }
    void setFlowControl(int32_t v) { m_flowControl = v; }
    int32_t getFlowControl() const { return m_flowControl; }

  private:
    QString m_version = emptyText();  // firmware version of the unit last read
    int32_t m_moduletype = 1;         // 2 = AES-capable module family, 1 = other
    int32_t m_baudRate = 0;           // index into the baud-rate list
    int32_t m_dataBits = 0;           // 0 = 8 bits, 1 = 7 bits
    int32_t m_parity = 0;             // 0 = none, 1 = odd, 2 = even
    int32_t m_stopBits = 0;           // 0 = 1 bit, 1 = 2 bits
    int32_t m_awt = 0;                // answer wait time in 10 ms steps (contact-I/O unit)
    int32_t m_intfport = 0;           // 0 = RS485, 1 = USB
    int32_t m_flowControl = 0;        // 0 = none, 1 = Xon/off, 2 = hardware
};

class NodeinfoWhiteningStructure {
  public:
    uint32_t m_whitening = 0;  // 0 = off, 1 = on
};

class NodeinfoIdOffsetStructure {
  public:
    QString m_idOffset = emptyText();
};

class NodeinfoExtendedGroupStructure {
  public:
    int32_t m_extendedGroup = 0;
};

class NodeinfoAESEncryptStructure {
  public:
    int32_t m_aesEncryptEnable = 0;
    int32_t m_aesEncryptType = 0;  // 1 = 128-bit key, 2 = 256-bit key
    // What a write does with the unit's key: 1 = keep, 2 = replace by the key words,
    // 3 = reset to the unit's default. 0 (never chosen) makes the record checks skip the words.
    int32_t m_aesEncryptKeySetting = 0;
    std::array<QString, 16> m_aesEncryptKey{emptyText(), emptyText(), emptyText(), emptyText(),
                                            emptyText(), emptyText(), emptyText(), emptyText(),
                                            emptyText(), emptyText(), emptyText(), emptyText(),
                                            emptyText(), emptyText(), emptyText(), emptyText()};
};

class NodeinfoEncryptStructure {
  public:
    int32_t m_encryptEnable = 0;
    std::array<QString, 8> m_encryptKey{emptyText(), emptyText(), emptyText(), emptyText(),
                                        emptyText(), emptyText(), emptyText(), emptyText()};
};

#define PELNIX_KEY_ACCESSORS(Set, Get, array, n)        \
    void Set##n(const QString& v) { array[n - 1] = v; } \
    QString Get##n() const { return array[n - 1]; }

// Node settings as the form shows them. Key words are addressed by word number 1 to 16
// (AES) or 1 to 8 (maker-specific); a word number outside that range reads as an empty text
// and is not stored.
class Nodeinfo {
  public:
    void setIdOffset(const QString& v) { m_idOffsetStructure.m_idOffset = v; }
    QString getIdOffset() const { return m_idOffsetStructure.m_idOffset; }
    void setWhiteningEnable(uint32_t v) { m_WhiteningStructure.m_whitening = v; }
    uint32_t getWhiteningEnable() const { return m_WhiteningStructure.m_whitening; }
    void setExtendedGroup(int32_t v) { m_extendedGroupStructure.m_extendedGroup = v; }
    int32_t getExtendedGroup() const { return m_extendedGroupStructure.m_extendedGroup; }
    void setAESEncryptEnable(int32_t v) { m_aesEncryptStructure.m_aesEncryptEnable = v; }
    int32_t getAESEncryptEnable() const { return m_aesEncryptStructure.m_aesEncryptEnable; }
    void setAESEncryptType(int32_t v) { m_aesEncryptStructure.m_aesEncryptType = v; }
    int32_t getAESEncryptType() const { return m_aesEncryptStructure.m_aesEncryptType; }
    // The key-setting choice; the pair keeps the names the windows call it by.
    void serAESEncryptKeySetting(int32_t v) { m_aesEncryptStructure.m_aesEncryptKeySetting = v; }
    int32_t getASEKeySetEnable() const { return m_aesEncryptStructure.m_aesEncryptKeySetting; }
    void setEncryptEnable(int32_t v) { m_encryptStructure.m_encryptEnable = v; }
    int32_t getEncryptEnable() const { return m_encryptStructure.m_encryptEnable; }

    void setAesEncryptKey(int word, const QString& v) {
        if (word >= 1 && word <= 16) {
            m_aesEncryptStructure.m_aesEncryptKey[static_cast<std::size_t>(word - 1)] = v;
        }
    }
    QString getAesEncryptKey(int word) const {
        return word >= 1 && word <= 16
                   ? m_aesEncryptStructure.m_aesEncryptKey[static_cast<std::size_t>(word - 1)]
                   : emptyText();
    }
    void setEncryptKey(int word, const QString& v) {
        if (word >= 1 && word <= 8) {
            m_encryptStructure.m_encryptKey[static_cast<std::size_t>(word - 1)] = v;
        }
    }
    QString getEncryptKey(int word) const {
        return word >= 1 && word <= 8 ? m_encryptStructure.m_encryptKey[static_cast<std::size_t>(word - 1)]
                                      : emptyText();
    }

    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 1)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 2)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 3)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 4)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 5)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 6)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 7)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 8)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 9)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 10)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 11)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 12)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 13)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 14)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 15)
    PELNIX_KEY_ACCESSORS(setAesEncryptKey, getAesEncryptKey, m_aesEncryptStructure.m_aesEncryptKey, 16)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 1)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 2)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 3)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 4)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 5)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 6)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 7)
    PELNIX_KEY_ACCESSORS(setEncryptKey, getEncryptKey, m_encryptStructure.m_encryptKey, 8)

    NodeinfoWhiteningStructure m_WhiteningStructure;
    NodeinfoIdOffsetStructure m_idOffsetStructure;
    NodeinfoExtendedGroupStructure m_extendedGroupStructure;
    NodeinfoAESEncryptStructure m_aesEncryptStructure;
    NodeinfoEncryptStructure m_encryptStructure;
};

#undef PELNIX_KEY_ACCESSORS

class ProtocolPacketStructure {
  public:
    int32_t m_throughMode = 0;  // 1 = packet end by a marker, 2 = by a silent interval
    QString m_silentChar;       // null until set
    int32_t m_fmt2Enable = 0;
    QString m_startCode = emptyText();
    QString m_endCode = emptyText();
    QString m_offset = emptyText();
    QString m_startCode2nd;
    QString m_endCode2nd;
    QString m_offset2nd;
};

class ProtocolDestinationAddress {
  public:
    int32_t m_deviEnable = 0;  // 1 = broadcast, 2 = read from the packet, 3 = fixed
    QString m_offset = emptyText();
    QString m_length = emptyText();
    int32_t m_format = 0;
    QString m_offset2nd;
    QString m_length2nd;
    int32_t m_format2nd = 0;
    QString m_bcastAddr;
};

class ProtocolConsistencyCheck {
  public:
    int32_t m_method = 0;
    bool m_startCodeCheck = false;
    QString m_offset = emptyText();
    QString m_length = emptyText();
    int32_t m_format = 0;
};

// Packet framing of the RS485 unit as the form shows it.
class Protocol {
  public:
    void setThroughMode(int32_t v) { m_packetStructure.m_throughMode = v; }
    int32_t getThroughMode() const { return m_packetStructure.m_throughMode; }
    void setSilentChar(const QString& v) { m_packetStructure.m_silentChar = v; }
    QString getSilentChar() const { return m_packetStructure.m_silentChar; }
    void setFmt2Enable(int32_t v) { m_packetStructure.m_fmt2Enable = v; }
    int32_t getFmt2Enable() const { return m_packetStructure.m_fmt2Enable; }
    void setPStartCode(const QString& v) { m_packetStructure.m_startCode = v; }
    QString getPStartCode() const { return m_packetStructure.m_startCode; }
    void setPEndCode(const QString& v) { m_packetStructure.m_endCode = v; }
    QString getPEndCode() const { return m_packetStructure.m_endCode; }
    void setPOffset(const QString& v) { m_packetStructure.m_offset = v; }
    QString getPOffset() const { return m_packetStructure.m_offset; }
    void setPStartCode2nd(const QString& v) { m_packetStructure.m_startCode2nd = v; }
    QString getPStartCode2nd() const { return m_packetStructure.m_startCode2nd; }
    void setPEndCode2nd(const QString& v) { m_packetStructure.m_endCode2nd = v; }
    QString getPEndCode2nd() const { return m_packetStructure.m_endCode2nd; }
    void setPOffset2nd(const QString& v) { m_packetStructure.m_offset2nd = v; }
    QString getPOffset2nd() const { return m_packetStructure.m_offset2nd; }

    void setDeviEnable(int32_t v) { m_destinationAddress.m_deviEnable = v; }
    int32_t getDeviEnable() const { return m_destinationAddress.m_deviEnable; }
    void setSOffset(const QString& v) { m_destinationAddress.m_offset = v; }
    QString getSOffset() const { return m_destinationAddress.m_offset; }
    void setSLength(const QString& v) { m_destinationAddress.m_length = v; }
    QString getSLength() const { return m_destinationAddress.m_length; }
    void setSForm(int32_t v) { m_destinationAddress.m_format = v; }
    int32_t getSForm() const { return m_destinationAddress.m_format; }
    void setSOffset2nd(const QString& v) { m_destinationAddress.m_offset2nd = v; }
    QString getSOffset2nd() const { return m_destinationAddress.m_offset2nd; }
    void setSLength2nd(const QString& v) { m_destinationAddress.m_length2nd = v; }
    QString getSLength2nd() const { return m_destinationAddress.m_length2nd; }
    void setSForm2nd(int32_t v) { m_destinationAddress.m_format2nd = v; }
    int32_t getSForm2nd() const { return m_destinationAddress.m_format2nd; }
    void setBcastAddr(const QString& v) { m_destinationAddress.m_bcastAddr = v; }
    QString getBcastAddr() const { return m_destinationAddress.m_bcastAddr; }

    void setCCheck(int32_t v) { m_consistencyCheck.m_method = v; }
    int32_t getCCheck() const { return m_consistencyCheck.m_method; }
    void setCStartCode(bool v) { m_consistencyCheck.m_startCodeCheck = v; }
    bool getCStartCode() const { return m_consistencyCheck.m_startCodeCheck; }
    void setCOffset(const QString& v) { m_consistencyCheck.m_offset = v; }
    QString getCOffset() const { return m_consistencyCheck.m_offset; }
    void setCLength(const QString& v) { m_consistencyCheck.m_length = v; }
    QString getCLength() const { return m_consistencyCheck.m_length; }
    void setCForm(int32_t v) { m_consistencyCheck.m_format = v; }
    int32_t getCForm() const { return m_consistencyCheck.m_format; }

    ProtocolPacketStructure m_packetStructure;
    ProtocolDestinationAddress m_destinationAddress;
    ProtocolConsistencyCheck m_consistencyCheck;
};

// Radio settings of the contact-I/O unit as the form shows them.
class Wirelessinfo {
  public:
    void setChMode(int32_t v) { m_ChMode = v; }
    int32_t getChMode() const { return m_ChMode; }
    void setOpMode(int32_t v) { m_OpMode = v; }
    int32_t getOpMode() const { return m_OpMode; }
    void setCh(int32_t v) { m_Ch = v; }
    int32_t getCh() const { return m_Ch; }
    void setNodeId(int32_t v) { m_NodeId = v; }
    int32_t getNodeId() const { return m_NodeId; }
    void setGrpId(int32_t v) { m_GrpId = v; }
    int32_t getGrpId() const { return m_GrpId; }

  private:
    int32_t m_ChMode = 1;  // 0 = channels 24 to 37, 1 = channels 33 to 60
    int32_t m_OpMode = 0;  // 0 = FSK, 1 = LoRa
    int32_t m_Ch = 33;
    int32_t m_NodeId = 0;   // 0 = base node, 1 to 99 = terminal or relay node
    int32_t m_GrpId = 100;  // 100 plus the group digit chosen in the form
};

// Contact input/output settings of the contact-I/O unit as the form shows them.
class Didoinfo {
  public:
    void setDo1Bind(int32_t v) { m_Do1Bind = v; }
    int32_t getDo1Bind() const { return m_Do1Bind; }
    void setDo2Bind(int32_t v) { m_Do2Bind = v; }
    int32_t getDo2Bind() const { return m_Do2Bind; }
    void setDo3Bind(int32_t v) { m_Do3Bind = v; }
    int32_t getDo3Bind() const { return m_Do3Bind; }
    void setDo1Invert(int32_t v) { m_Do1Invert = v; }
    int32_t getDo1Invert() const { return m_Do1Invert; }
    void setDo2Invert(int32_t v) { m_Do2Invert = v; }
    int32_t getDo2Invert() const { return m_Do2Invert; }
    void setDo3Invert(int32_t v) { m_Do3Invert = v; }
    int32_t getDo3Invert() const { return m_Do3Invert; }
    void setDoOffDelay(int32_t v) { m_DoOffDelay = v; }
    int32_t getOffDelay() const { return m_DoOffDelay; }
    void setDoOnDelay(int32_t v) { m_DoOnDelay = v; }
    int32_t getOnDelay() const { return m_DoOnDelay; }
    void setDoKeepTime(int32_t v) { m_DoKeepTime = v; }
    int32_t getDoKeepTime() const { return m_DoKeepTime; }
    void setDoKeepSignal(int32_t v) { m_DoKeepSig = v; }
    int32_t getDoKeepSignal() const { return m_DoKeepSig; }
    void setDiDelay(int32_t v) { m_DoDiDelay = v; }
    int32_t getDiDelay() const { return m_DoDiDelay; }

  private:
    int32_t m_Do1Bind = 0;  // 0 = DI1, 1 = DI2, 2 = DI3
    int32_t m_Do2Bind = 1;
    int32_t m_Do3Bind = 2;
    int32_t m_Do1Invert = 0;
    int32_t m_Do2Invert = 0;
    int32_t m_Do3Invert = 0;
    int32_t m_DoOffDelay = 0;
    int32_t m_DoOnDelay = 0;
    int32_t m_DoKeepTime = 0;  // seconds: 0, or 30 to 3600
    int32_t m_DoKeepSig = 0;   // 1 = signal on after the timer, 0 = off
    int32_t m_DoDiDelay = 0;   // tenths of a second
};

}  // namespace Tormel::Gui
