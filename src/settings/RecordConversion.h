// SPDX-License-Identifier: MIT
#pragma once

// The conversions between a settings document and the unit records that a unit or a firmware
// image holds, for both families, without a window: records from a document (what a write
// sends) and a document from records (what a read shows). A document's values go through the
// same steps as when it is loaded into a form and the form's records are taken, so a program
// without windows writes exactly what a window would.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/common/Wirelessinfo.h"
#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

struct Rs485Records {
    Domain::Common::Communication communication{};
    Domain::Common::Nodeinfo nodeinfo{};
    Domain::Common::Protocol protocol{};
    Domain::Common::Binding binding{};
};

struct Tx330Records {
    Domain::Common::Communication communication{};
    Domain::Common::Nodeinfo nodeinfo{};
    Domain::Common::Wirelessinfo wireless{};
    Domain::Common::Didoinfo dido{};
};

// What a write does with the unit's AES key (the form's three key choices).
enum class AesKeyChoice : int32_t { NotChange = 1, Change = 2, Init = 3 };

// The RS485 module type of a unit by its name reply: 2 for the AES-capable TX-910A, else 1.
int32_t rs485ModuleType(const std::string& softwareName);
// Whether the AES part of the record check applies to this RS485 unit.
bool rs485AesEnabled(const std::string& softwareName, int32_t moduleType);
// The same for a contact-I/O unit.
bool tx330AesEnabled(const std::string& softwareName);

// The records a write sends for `config`. `unit` is the connected unit's Nodeinfo (its name
// and version go along). With AES off, or a module without AES, the key choice is initialise,
// and an initialised key is sent as zero words. Run only on a document that passed its check.
Rs485Records rs485RecordsFromConfig(const ApplicationConfig& config, int32_t moduleType,
                                    const Domain::Common::Nodeinfo& unit, AesKeyChoice keyChoice);
Tx330Records tx330RecordsFromConfig(const ApplicationConfig_TX330& config,
                                    const Domain::Common::Nodeinfo& unit, AesKeyChoice keyChoice);

// A document from records that a unit reported (withBinding) or that an image holds. At the
// first value a document cannot take, an error box with `failure` is shown through toolkit()
// and nothing is returned. A 76800 bit/s rate on a module that lacks it shows message 63 and
// the rate index stays 0. The AES key texts, which no unit reports, come from `aesKeys`.
std::optional<ApplicationConfig> rs485ConfigFromRecords(const Rs485Records& records, int32_t moduleType,
                                                        Msg failure, bool withBinding,
                                                        const std::array<QString, 16>& aesKeys = {},
                                                        int32_t tabSelect = 0);
std::optional<ApplicationConfig_TX330> tx330ConfigFromRecords(const Tx330Records& records, Msg failure,
                                                              const std::array<QString, 16>& aesKeys = {},
                                                              int32_t tabSelect = 0);

}  // namespace Tormel::Gui
