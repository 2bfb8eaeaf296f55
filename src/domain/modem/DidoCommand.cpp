// SPDX-License-Identifier: MIT
#include "domain/modem/DidoCommand.h"

#include "domain/modem/Exchange.h"
#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {

using Exchange::Ask;

void DidoCommand::GetDoBind() {
    const auto binds = Replies::ParseDoBind(Ask("~BINDDO?"));
    m_didoinfo.Do1Bind = binds[0];
    m_didoinfo.Do2Bind = binds[1];
    m_didoinfo.Do3Bind = binds[2];
}

void DidoCommand::GetDoInvert() {
    const auto forms = Replies::ParseDoInvert(Ask("~CONTACT?"));
    m_didoinfo.Do1Invert = forms[0];
    m_didoinfo.Do2Invert = forms[1];
    m_didoinfo.Do3Invert = forms[2];
}

void DidoCommand::GetDoOffDelay() { m_didoinfo.DoOffDelay = Replies::ParseDoOffDelay(Ask("~OFFDELAY?")); }

void DidoCommand::GetDoOnDelay() { m_didoinfo.DoOnDelay = Replies::ParseDoOnDelay(Ask("~ONDELAY?")); }

void DidoCommand::GetDoKeepTime() { m_didoinfo.DoKeepTime = Replies::ParseDoKeepTime(Ask("~KEEP?")); }

void DidoCommand::GetDoKeepSignal() {
    m_didoinfo.DoKeepSignal = Replies::ParseDoKeepSignal(Ask("~KEEPSIGNAL?"));
}

void DidoCommand::GetDiDelay() { m_didoinfo.DiDelay = Replies::ParseDiDelay(Ask("~DIDELAY?")); }

}  // namespace Tormel::Domain::Modem
