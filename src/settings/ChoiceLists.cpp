// SPDX-License-Identifier: MIT
#include "settings/ChoiceLists.h"

#include <array>

#include "settings/NumRange.h"

namespace Tormel::Gui::ChoiceLists {

using Domain::Common::Handshake;
using Domain::Common::Parity;
using Domain::Common::StopBits;

namespace {

constexpr std::array<int32_t, 8> kBaudRates{2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200};
constexpr int32_t k76800 = 76800;

QStringList messages(const StringTable& st, std::initializer_list<Msg> ids) {
    QStringList items;
    for (Msg id : ids) {
        items.append(st.getString(id));
    }
    return items;
}

// "08 (33/34CH)": the position in hexadecimal, then the channel pair.
QString channelItem(int32_t index, int32_t channel) {
    return QStringLiteral("%1 (%2/%3CH)")
        .arg(QString::number(index, 16).toUpper().rightJustified(2, QLatin1Char('0')))
        .arg(channel)
        .arg(channel + 1);
}

constexpr int32_t kLoraLowCount = 13;
constexpr int32_t kHighCount = 28;

}  // namespace

QStringList setTargetItems(const StringTable& st) {
    return messages(st, {Msg::TargetUnit, Msg::TargetFirmware});
}

bool offers76800(int32_t moduleType) { return moduleType == 2; }

QStringList baudRateItems(bool with76800) {
    QStringList items;
    for (int32_t rate : kBaudRates) {
        if (with76800 || rate != k76800) {
            items.append(QString::number(rate) + QStringLiteral("bps"));
        }
    }
    return items;
}

std::optional<int32_t> baudRateAt(int32_t index, bool with76800) {
    int32_t position = 0;
    for (int32_t rate : kBaudRates) {
        if (!with76800 && rate == k76800) {
            continue;
        }
        if (position++ == index) {
            return rate;
        }
    }
    return std::nullopt;
}

std::optional<int32_t> baudRateIndex(int32_t bitsPerSecond, bool with76800) {
    for (int32_t index = 0; index < static_cast<int32_t>(kBaudRates.size()); ++index) {
        if (baudRateAt(index, with76800) == bitsPerSecond) {
            return index;
        }
    }
    return std::nullopt;
}

QStringList dataBitItems(const StringTable& st) { return messages(st, {Msg::DataBits8, Msg::DataBits7}); }
std::optional<int32_t> dataBitsAt(int32_t index) {
    if (index == 0) {
        return 8;
    }
    if (index == 1) {
        return 7;
    }
    return std::nullopt;
}

QStringList parityItems(const StringTable& st) {
    return messages(st, {Msg::None, Msg::ParityOdd, Msg::ParityEven});
}
std::optional<Parity> parityAt(int32_t index) {
    if (index < 0 || index > 2) {
        return std::nullopt;
    }
    return static_cast<Parity>(index);  // None 0, Odd 1, Even 2
}

QStringList stopBitItems(const StringTable& st) { return messages(st, {Msg::StopBits1, Msg::StopBits2}); }
std::optional<StopBits> stopBitsAt(int32_t index) {
    if (index == 0) {
        return StopBits::One;
    }
    if (index == 1) {
        return StopBits::Two;
    }
    return std::nullopt;
}

QStringList intfPortItems(const StringTable& st) {
    return messages(st, {Msg::InterfaceRs485, Msg::InterfaceUsb});
}
std::optional<int32_t> intfPortIndex(int32_t code, InterfacePort port) {
    if (code == 0 && port == InterfacePort::MayBeAbsent) {
        return 0;
    }
    if (code == 1 || code == 2) {
        return code - 1;
    }
    return std::nullopt;
}

QStringList flowCtrlItems(const StringTable& st) {
    return messages(st, {Msg::None, Msg::FlowXonXoff, Msg::FlowHardware});
}
std::optional<Handshake> flowControlAt(int32_t index) {
    switch (index) {
        case 0:
            return Handshake::None;
        case 1:
            return Handshake::XOnXOff;
        case 2:
            return Handshake::RequestToSend;
        default:
            return std::nullopt;
    }
}

namespace {
// Walks a list's positions, so that each list's order is written once, in its ...At function.
template <class T>
std::optional<int32_t> positionOf(std::optional<T> (*at)(int32_t), int32_t count, T value) {
    for (int32_t i = 0; i < count; ++i) {
        if (at(i) == value) {
            return i;
        }
    }
    return std::nullopt;
}
}  // namespace

std::optional<int32_t> dataBitsIndex(int32_t dataBits) { return positionOf(dataBitsAt, 2, dataBits); }
std::optional<int32_t> parityIndex(Parity parity) { return positionOf(parityAt, 3, parity); }
std::optional<int32_t> stopBitsIndex(StopBits stopBits) { return positionOf(stopBitsAt, 2, stopBits); }
std::optional<int32_t> flowControlIndex(Handshake handshake) {
    return positionOf(flowControlAt, 3, handshake);
}

QStringList pTypeItems(const StringTable& st) {
    return messages(st, {Msg::PacketTermMarker, Msg::PacketTermSilent});
}
QStringList sTypeItems(const StringTable& st) {
    return messages(st, {Msg::DestinationBroadcast, Msg::DestinationFromPacket, Msg::DestinationFixed});
}
QStringList bindTypeItems(const StringTable& st) {
    return messages(st, {Msg::BindTypeGroup, Msg::BindTypeEach});
}
QStringList formatItems(const StringTable& st) {
    return messages(st, {Msg::FormatAsciiDec, Msg::FormatAsciiHex, Msg::FormatLeBinary, Msg::FormatBeBinary});
}

QStringList cCheckItems(const StringTable& st) {
    return {st.getString(Msg::None), QStringLiteral("BCC"), QStringLiteral("CRC"), QStringLiteral("SUM")};
}

QStringList groupItems(const StringTable& st, bool withTwentyFiveGroups) {
    QStringList items =
        messages(st, {Msg::None, Msg::Groups2, Msg::Groups4, Msg::Groups7, Msg::Groups13, Msg::Groups25});
    if (!withTwentyFiveGroups) {
        items.removeLast();
    }
    return items;
}

QStringList numRangeItems(const StringTable& st, int32_t groupIdx) {
    QStringList items{st.getString(kNotUsedLabel)};
    if (const Grouping* g = groupingOf(groupIdx)) {
        for (int k = 0; k < g->groups; ++k) {
            items.append(st.getString(g->firstLabel + k));
        }
    }
    return items;
}

QStringList doBindItems() { return {QStringLiteral("DI1"), QStringLiteral("DI2"), QStringLiteral("DI3")}; }

QStringList grpIdItems() {
    QStringList items;
    for (int digit = 0; digit < 16; ++digit) {
        items.append(QString::number(digit, 16).toUpper());
    }
    return items;
}

QStringList loraLowChannelItems() {
    QStringList items;
    for (int32_t index = 0; index < kLoraLowCount; ++index) {
        items.append(channelItem(index, *loraLowChannelAt(index)));
    }
    return items;
}

std::optional<int32_t> loraLowChannelAt(int32_t index) {
    if (index < 0 || index >= kLoraLowCount) {
        return std::nullopt;
    }
    return index < 8 ? index + 24 : index + 25;
}

std::optional<int32_t> loraLowChannelIndex(int32_t channel) {
    for (int32_t index = 0; index < kLoraLowCount; ++index) {
        if (loraLowChannelAt(index) == channel) {
            return index;
        }
    }
    return std::nullopt;
}

QStringList highChannelItems() {
    QStringList items;
    for (int32_t index = 0; index < kHighCount; ++index) {
        items.append(channelItem(index, index + 33));
    }
    return items;
}

std::optional<int32_t> highChannelAt(int32_t index) {
    if (index < 0 || index >= kHighCount) {
        return std::nullopt;
    }
    return index + 33;
}

std::optional<int32_t> highChannelIndex(int32_t channel) {
    if (channel < 33 || channel > 60) {
        return std::nullopt;
    }
    return channel - 33;
}

}  // namespace Tormel::Gui::ChoiceLists
