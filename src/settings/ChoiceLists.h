// SPDX-License-Identifier: MIT
#pragma once

// The fixed choice lists of both windows: their items in order and what a position stands
// for. Settings files store positions, so these orders are part of the file format. Items
// taken from the message table follow the language of the table passed in.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "domain/common/SerialLine.h"
#include "settings/StringTable.h"

namespace Tormel::Gui::ChoiceLists {

// cmbSetTarget: 0 = unit over the serial port, 1 = firmware image file.
QStringList setTargetItems(const StringTable& st);

// cmbBaudrate. "76800bps" sits at position 6 only when the unit supports it (RS485 module
// type 2, and always for the contact-I/O unit); otherwise "115200bps" is position 6.
bool offers76800(int32_t moduleType);
QStringList baudRateItems(bool with76800);
std::optional<int32_t> baudRateAt(int32_t index, bool with76800);  // bit/s
std::optional<int32_t> baudRateIndex(int32_t bitsPerSecond, bool with76800);

QStringList dataBitItems(const StringTable& st);  // 0 = 8 bits, 1 = 7 bits
std::optional<int32_t> dataBitsAt(int32_t index);
QStringList parityItems(const StringTable& st);  // none, odd, even
std::optional<Domain::Common::Parity> parityAt(int32_t index);
QStringList stopBitItems(const StringTable& st);  // 1, 2
std::optional<Domain::Common::StopBits> stopBitsAt(int32_t index);
QStringList intfPortItems(const StringTable& st);  // RS485, USB
// Whether a record without an interface port (code 0) is taken, as RS485. A unit always reports
// its port; records made from a settings document of the contact-I/O unit carry none, and older
// firmware images hold no port the image editor reads.
enum class InterfacePort { Required, MayBeAbsent };
std::optional<int32_t> intfPortIndex(int32_t code, InterfacePort port);  // 1 = RS485, 2 = USB
QStringList flowCtrlItems(const StringTable& st);                        // none, Xon/off, hardware
std::optional<Domain::Common::Handshake> flowControlAt(int32_t index);
// The list positions of record values; nothing for a value the lists do not offer.
std::optional<int32_t> dataBitsIndex(int32_t dataBits);
std::optional<int32_t> parityIndex(Domain::Common::Parity parity);
std::optional<int32_t> stopBitsIndex(Domain::Common::StopBits stopBits);
std::optional<int32_t> flowControlIndex(Domain::Common::Handshake handshake);

// cmbPType, cmbSType and cmbBindType store position + 1 (1 = marker / broadcast / group).
QStringList pTypeItems(const StringTable& st);
QStringList sTypeItems(const StringTable& st);
QStringList bindTypeItems(const StringTable& st);
// cmbSForm, cmbSForm2nd, cmbCForm: decimal ASCII, hexadecimal ASCII, LE binary, BE binary.
QStringList formatItems(const StringTable& st);
// cmbCCheck: none, BCC, CRC, SUM.
QStringList cCheckItems(const StringTable& st);
// cmbGroup: none, then 2, 4, 7, 13 and 25 groups; units at version 2.0 or 2.1 lack the last.
QStringList groupItems(const StringTable& st, bool withTwentyFiveGroups = true);
// cmbNumRange1 to 25 for grouping 1 to 5: "Not Used" and the grouping's range labels in key
// order; only "Not Used" for any other grouping index.
QStringList numRangeItems(const StringTable& st, int32_t groupIdx);

// Contact-I/O window.
QStringList doBindItems();  // comboBox5 to 7: "DI1", "DI2", "DI3"
QStringList grpIdItems();   // cmbGrpId: "0" to "F", stored as 100 + position
inline int32_t grpIdAt(int32_t index) { return 100 + index; }
// comboBox1: LoRa on channels 24 to 37 (channel 32 is not offered); comboBox2: channels 33 to 60.
QStringList loraLowChannelItems();
std::optional<int32_t> loraLowChannelAt(int32_t index);
std::optional<int32_t> loraLowChannelIndex(int32_t channel);
QStringList highChannelItems();
std::optional<int32_t> highChannelAt(int32_t index);
std::optional<int32_t> highChannelIndex(int32_t channel);

}  // namespace Tormel::Gui::ChoiceLists
