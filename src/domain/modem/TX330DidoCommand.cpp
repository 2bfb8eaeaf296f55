// SPDX-License-Identifier: MIT
#include "domain/modem/TX330DidoCommand.h"

#include <array>
#include <optional>
#include <string_view>

#include "domain/modem/Exchange.h"
#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {

using namespace Common;
using namespace Exchange;

namespace {

// One value per output in one request ("~NAME=c1,c2,c3"), confirmed together.
template <typename T>
void WriteOutputs(std::string_view name, const std::array<T, 3>& values, std::optional<int> (*code)(T),
                  std::array<T, 3> (*parse)(std::string_view)) {
    const std::optional<int> c1 = code(values[0]);
    const std::optional<int> c2 = code(values[1]);
    const std::optional<int> c3 = code(values[2]);
    if (!c1 || !c2 || !c3) {
        Refuse(
            Replies::SetRequest(name, {static_cast<long long>(values[0]), static_cast<long long>(values[1]),
                                       static_cast<long long>(values[2])}));
    }
    Confirm(parse(Ask(Replies::SetRequest(name, {*c1, *c2, *c3}))), values);
}

}  // namespace

void TX330DidoCommand::SetDoBind(DidoinfoDoBind do1, DidoinfoDoBind do2, DidoinfoDoBind do3) {
    WriteOutputs("BINDDO", {do1, do2, do3}, Replies::DoBindCode, Replies::ParseDoBind);
    m_didoinfo.Do1Bind = do1;
    m_didoinfo.Do2Bind = do2;
    m_didoinfo.Do3Bind = do3;
}

void TX330DidoCommand::SetDoInvert(DidoinfoDoInvert do1, DidoinfoDoInvert do2, DidoinfoDoInvert do3) {
    WriteOutputs("CONTACT", {do1, do2, do3}, Replies::DoInvertCode, Replies::ParseDoInvert);
    m_didoinfo.Do1Invert = do1;
    m_didoinfo.Do2Invert = do2;
    m_didoinfo.Do3Invert = do3;
}

void TX330DidoCommand::SetDoOffDelay(DidoinfoDoOffDelay value) {
    WriteKept("OFFDELAY", value, Replies::ParseDoOffDelay, m_didoinfo.DoOffDelay);
}

void TX330DidoCommand::SetDoOnDelay(DidoinfoDoOnDelay value) {
    WriteKept("ONDELAY", value, Replies::ParseDoOnDelay, m_didoinfo.DoOnDelay);
}

void TX330DidoCommand::SetDoKeepTime(DidoinfoDoKeepTime value) {
    const auto v = static_cast<int32_t>(value);
    // 1 to 29 s is no keep time the unit knows; 0 switches keeping off.
    if (v != 0) RequireRange(v, 30, 3600, "KEEP");
    WriteKept("KEEP", value, Replies::ParseDoKeepTime, m_didoinfo.DoKeepTime);
}

void TX330DidoCommand::SetDoKeepSignal(DidoinfoDoKeepSignal value) {
    WriteSwitch("KEEPSIGNAL", value, Replies::DoKeepSignalCode(value), Replies::ParseDoKeepSignal);
    m_didoinfo.DoKeepSignal = value;
}

void TX330DidoCommand::SetDiDelay(DidoinfoDiDelay value) {
    // A negative delay has no meaning on the unit; refuse it like one above the maximum.
    RequireRange(static_cast<int32_t>(value), 0, 100, "DIDELAY");
    WriteKept("DIDELAY", value, Replies::ParseDiDelay, m_didoinfo.DiDelay);
}

}  // namespace Tormel::Domain::Modem
