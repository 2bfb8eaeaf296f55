// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "domain/common/Didoinfo.h"
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

// The contact commands of the contact-I/O unit: which input drives each output, the contact
// forms, the output delays and keep time, the keep signal and the input delay. Their
// replies carry no pattern of their own: the values stand at fixed character positions of
// the unit's sentences, and the words around them are not compared.
class DidoCommand : public Command {
  public:
    static inline Common::Didoinfo m_didoinfo{};
    static Common::Didoinfo DidoinfoConfig() { return m_didoinfo; }
    static void DidoinfoConfig(const Common::Didoinfo& value) { m_didoinfo = value; }

    // This unit always carries the contact block.
    static bool IsDiDo() { return true; }

    static void GetDoBind();
    static void GetDoInvert();
    static void GetDoOffDelay();
    static void GetDoOnDelay();
    static void GetDoKeepTime();
    static void GetDoKeepSignal();
    static void GetDiDelay();

    // ---- wire codes: nullopt when the value has none (the writer refuses it) ----
    static std::optional<int> DoBindCode(Common::DidoinfoDoBind value);              // DI1..DI3 -> 1..3
    static std::optional<int> DoInvertCode(Common::DidoinfoDoInvert value);          // 0 / 1
    static std::optional<int> DoKeepSignalCode(Common::DidoinfoDoKeepSignal value);  // 0 / 1

    // ---- reply parsers: the value, or CommandError(ErrCommand) ----
    // The digits at positions 23, 29 and 35: the inputs driving outputs 1, 2 and 3.
    static std::array<Common::DidoinfoDoBind, 3> ParseDoBind(std::string_view line);
    // The letters at positions 15, 21 and 27: a (make) or b (break) contact.
    static std::array<Common::DidoinfoDoInvert, 3> ParseDoInvert(std::string_view line);
    static Common::DidoinfoDoOffDelay ParseDoOffDelay(std::string_view line);  // 0 to 1200
    static Common::DidoinfoDoOnDelay ParseDoOnDelay(std::string_view line);    // 0 to 1200
    static Common::DidoinfoDoKeepTime ParseDoKeepTime(std::string_view line);  // 0 or 30 to 3600
    static Common::DidoinfoDoKeepSignal ParseDoKeepSignal(std::string_view line);
    // The input delay in tenths, read digit by digit from the decimal the unit shows
    // ("2.3" is 23; further fraction digits are dropped), 0 to 100.
    static Common::DidoinfoDiDelay ParseDiDelay(std::string_view line);
};

}  // namespace Tormel::Domain::Modem
