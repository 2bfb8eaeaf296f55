// SPDX-License-Identifier: MIT
#include "domain/modem/TX330DidoCommand.h"

#include <string>

namespace Tormel::Domain::Modem {

using Common::DidoinfoDiDelay;
using Common::DidoinfoDoBind;
using Common::DidoinfoDoInvert;
using Common::DidoinfoDoKeepSignal;
using Common::DidoinfoDoKeepTime;
using Common::DidoinfoDoOffDelay;
using Common::DidoinfoDoOnDelay;

namespace {

[[noreturn]] void OutOfRange() { throw CommandError(CommandResult::ErrOutOfRange); }
[[noreturn]] void Mismatch() { throw CommandError(CommandResult::ErrCommand); }

int Code(std::optional<int> code) {
    if (!code) OutOfRange();
    return *code;
}

std::string Request(const char* command, int32_t value) {
    return std::string(command) + std::to_string(value);
}

}  // namespace

void TX330DidoCommand::SetDoBind(DidoinfoDoBind do1, DidoinfoDoBind do2, DidoinfoDoBind do3) {
    const int c1 = Code(DoBindCode(do1)), c2 = Code(DoBindCode(do2)), c3 = Code(DoBindCode(do3));
    Send("~BINDDO=" + std::to_string(c1) + "," + std::to_string(c2) + "," + std::to_string(c3));
    const auto echoed = ParseDoBind(Receive());
    if (echoed[0] != do1 || echoed[1] != do2 || echoed[2] != do3) Mismatch();
    m_didoinfo.Do1Bind = do1;
    m_didoinfo.Do2Bind = do2;
    m_didoinfo.Do3Bind = do3;
}

void TX330DidoCommand::SetDoInvert(DidoinfoDoInvert do1, DidoinfoDoInvert do2, DidoinfoDoInvert do3) {
    const int c1 = Code(DoInvertCode(do1)), c2 = Code(DoInvertCode(do2)), c3 = Code(DoInvertCode(do3));
    Send("~CONTACT=" + std::to_string(c1) + "," + std::to_string(c2) + "," + std::to_string(c3));
    const auto echoed = ParseDoInvert(Receive());
    if (echoed[0] != do1 || echoed[1] != do2 || echoed[2] != do3) Mismatch();
    m_didoinfo.Do1Invert = do1;
    m_didoinfo.Do2Invert = do2;
    m_didoinfo.Do3Invert = do3;
}

void TX330DidoCommand::SetDoOffDelay(DidoinfoDoOffDelay value) {
    Send(Request("~OFFDELAY=", static_cast<int32_t>(value)));
    if (ParseDoOffDelay(Receive()) != value) Mismatch();
    m_didoinfo.DoOffDelay = value;
}

void TX330DidoCommand::SetDoOnDelay(DidoinfoDoOnDelay value) {
    Send(Request("~ONDELAY=", static_cast<int32_t>(value)));
    if (ParseDoOnDelay(Receive()) != value) Mismatch();
    m_didoinfo.DoOnDelay = value;
}

void TX330DidoCommand::SetDoKeepTime(DidoinfoDoKeepTime value) {
    const auto v = static_cast<int32_t>(value);
    // 1 to 29 s is no keep time the unit knows; 0 switches keeping off.
    if (v != 0 && (v < 30 || v > 3600)) OutOfRange();
    Send(Request("~KEEP=", v));
    if (ParseDoKeepTime(Receive()) != value) Mismatch();
    m_didoinfo.DoKeepTime = value;
}

void TX330DidoCommand::SetDoKeepSignal(DidoinfoDoKeepSignal value) {
    Send(Request("~KEEPSIGNAL=", Code(DoKeepSignalCode(value))));
    if (ParseDoKeepSignal(Receive()) != value) Mismatch();
    m_didoinfo.DoKeepSignal = value;
}

void TX330DidoCommand::SetDiDelay(DidoinfoDiDelay value) {
    const auto v = static_cast<int32_t>(value);
    // A negative delay has no meaning on the unit; refuse it like one above the maximum.
    if (v < 0 || v > 100) OutOfRange();
    Send(Request("~DIDELAY=", v));
    if (ParseDiDelay(Receive()) != value) Mismatch();
    m_didoinfo.DiDelay = value;
}

}  // namespace Tormel::Domain::Modem
