// SPDX-License-Identifier: MIT
#pragma once

// The steps every command writer of both unit families is made of: the refusal of a value
// before anything is sent, one request with its reply, and the confirmation that the unit
// took exactly what was sent. Internal to the command sets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "domain/common/Communication.h"
#include "domain/modem/Command.h"
#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem::Exchange {

// Refuses a value with ErrOutOfRange before anything is sent for it. The trace names the
// request the value would have made, so that a report of the failed write blames this value
// and not the last request the unit accepted.
[[noreturn]] inline void Refuse(std::string_view request) { Command::RefuseUnsent(request); }

// The request code of a value, or a refusal of "~NAME=value" before anything is sent.
inline int CodeOrRefuse(std::optional<int> code, std::string_view name, long long value) {
    if (!code) Refuse(Replies::SetRequest(name, value));
    return *code;
}

// A number the unit takes as it is ("~NAME=value") within its range, else refused unsent.
inline void RequireRange(int64_t value, int64_t lowest, int64_t highest, std::string_view name) {
    if (value < lowest || value > highest) Refuse(Replies::SetRequest(name, value));
}

// One exchange: the request, then its reply line.
inline std::string Ask(const std::string& request) {
    Command::Send(request);
    return Command::Receive();
}

// The unit's confirmation must give back exactly what was sent.
template <typename T>
void Confirm(const T& confirmed, const T& sent) {
    if (!(confirmed == sent)) Fail(CommandResult::ErrCommand);
}

// Sends "~NAME=code" and confirms the reply carries value back.
template <typename T, typename Parse>
void WriteSwitch(std::string_view name, T value, std::optional<int> code, Parse parse) {
    const int wire = CodeOrRefuse(code, name, static_cast<long long>(value));
    Confirm(parse(Ask(Replies::SetRequest(name, wire))), value);
}

// A switch whose request code is the enumeration's own value.
template <typename E>
std::optional<int> OwnCode(E value, int lowest, int highest) {
    return Replies::SwitchCode(static_cast<int32_t>(value), lowest, highest);
}

// A switch whose request code is the enumeration's own value, lowest to highest: "~NAME=code",
// confirmed.
template <typename E, typename Parse>
void WriteOwnSwitch(std::string_view name, E value, int lowest, int highest, Parse parse) {
    WriteSwitch(name, value, OwnCode(value, lowest, highest), parse);
}

// A number sent as it is ("~NAME=value") once it lies in the unit's range, and confirmed.
template <typename T, typename Parse>
void WriteNumber(std::string_view name, T value, int64_t lowest, int64_t highest, Parse parse) {
    RequireRange(value, lowest, highest, name);
    Confirm(parse(Ask(Replies::SetRequest(name, value))), value);
}

// A serial-line setting of the unit: its request name, request code, reply and record field.
template <typename T>
struct LineSetting {
    std::string_view name;
    std::optional<int> (*code)(T);
    T (*parse)(std::string_view);
    T Common::Communication::*field;
};

inline constexpr LineSetting<int32_t> kBaudRate{"BAUD", Replies::BaudRateCode, Replies::ParseBaudRate,
                                                &Common::Communication::BaudRate};
inline constexpr LineSetting<int32_t> kDataBits{"DBIT", Replies::DataBitsCode, Replies::ParseDataBits,
                                                &Common::Communication::DataBits};
inline constexpr LineSetting<Common::Parity> kParity{"PARI", Replies::ParityCode, Replies::ParseParity,
                                                     &Common::Communication::Parity};
inline constexpr LineSetting<Common::StopBits> kStopBits{
    "SBIT", Replies::StopBitsCode, Replies::ParseStopBits, &Common::Communication::StopBits};
inline constexpr LineSetting<int32_t> kIntfPort{"INTF", Replies::IntfPortCode, Replies::ParseIntfPort,
                                                &Common::Communication::IntfPort};
inline constexpr LineSetting<Common::Handshake> kFlowControl{
    "FLOW", Replies::FlowControlCode, Replies::ParseFlowControl, &Common::Communication::FlowControl};
inline constexpr LineSetting<int32_t> kAwt{"AWT", Replies::AwtCode, Replies::ParseAwt,
                                           &Common::Communication::Awt};

// Writes a serial-line setting as a switch; then the PC side follows the confirmed value
// (m_current, and a reopen over the UART where the rule calls for it).
template <typename T>
void WriteLineSetting(const LineSetting<T>& setting, T value, ResyncRule rule) {
    WriteSwitch(setting.name, value, setting.code(value), setting.parse);
    Common::Communication confirmed = Command::m_current;
    confirmed.*setting.field = value;
    Command::ApplyLineSetting(confirmed, rule);
}

// A number sent as it is ("~NAME=value"), confirmed, then kept in `kept`.
template <typename T, typename Parse>
void WriteKept(std::string_view name, T value, Parse parse, T& kept) {
    WriteSwitch(name, value, static_cast<int>(value), parse);
    kept = value;
}

}  // namespace Tormel::Domain::Modem::Exchange
