// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Didoinfo.h"
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// The contact commands of the contact-I/O unit: which input drives each output, the contact
// forms, the output delays and keep time, the keep signal and the input delay. The readers
// fill m_didoinfo; the replies are parsed in Replies (ParseDoBind and the rest).
class DidoCommand : public Command {
  public:
    static inline Common::Didoinfo m_didoinfo{};
    static Common::Didoinfo DidoinfoConfig() { return m_didoinfo; }
    static void DidoinfoConfig(const Common::Didoinfo& value) { m_didoinfo = value; }

    // This unit always carries the contact block.
    static bool IsDiDo() { return true; }

    static void GetDoBind();        // "~BINDDO?"
    static void GetDoInvert();      // "~CONTACT?"
    static void GetDoOffDelay();    // "~OFFDELAY?"
    static void GetDoOnDelay();     // "~ONDELAY?"
    static void GetDoKeepTime();    // "~KEEP?"
    static void GetDoKeepSignal();  // "~KEEPSIGNAL?"
    static void GetDiDelay();       // "~DIDELAY?"
};

}  // namespace Tormel::Domain::Modem
