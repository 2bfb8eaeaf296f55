// SPDX-License-Identifier: MIT
#pragma once

// A settings file's document and the records of a unit or a firmware image, for both families,
// for a program without windows: records from a document (what a write sends) and a document
// from records (what a read shows). A document's values first take the form they would take
// in the window's form (the choices a form can hold, the key choice it leaves); the conversion
// itself is the window's, so a program without windows writes exactly what a window would.

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

// All records of one RS485 unit or image.
struct Rs485RecordSet {
    Domain::Common::Communication communication{};
    Domain::Common::Nodeinfo nodeinfo{};
    Domain::Common::Protocol protocol{};
    Domain::Common::Binding binding{};
};

// All records of one contact-I/O unit or image.
struct Tx330RecordSet {
    Domain::Common::Communication communication{};
    Domain::Common::Nodeinfo nodeinfo{};
    Domain::Common::Wirelessinfo wireless{};
    Domain::Common::Didoinfo dido{};
};

// What a write does with the unit's AES key (the form's three key choices).
enum class AesKeyChoice : int32_t { NotChange = 1, Change = 2, Init = 3 };

// The RS485 module type of a unit by its name reply: 2 for the AES-capable TX-910A, else 1.
int32_t rs485ModuleType(const std::string& softwareName);
// An image names no module; it is read and written with the type whose lists hold every value an
// image can carry, so each value goes back into it as it came.
inline constexpr int32_t kImageModuleType = 2;
// Whether the AES part of the record check applies to this RS485 unit.
bool rs485AesEnabled(const std::string& softwareName, int32_t moduleType);
// The same for a contact-I/O unit.
bool tx330AesEnabled(const std::string& softwareName);

// The records a write sends for `config`. `unit` is the connected unit's Nodeinfo (its name
// and version go along). With AES off, or a module without AES, the key choice is initialise,
// and an initialised key is sent as zero words. Run only on a document that passed its check.
Rs485RecordSet rs485RecordsFromConfig(const ApplicationConfig& config, int32_t moduleType,
                                      const Domain::Common::Nodeinfo& unit, AesKeyChoice keyChoice);
Tx330RecordSet tx330RecordsFromConfig(const ApplicationConfig_TX330& config,
                                      const Domain::Common::Nodeinfo& unit, AesKeyChoice keyChoice);

// A document from records that a unit reported (withBinding) or that an image holds. At the
// first value a document cannot take, an error box is shown through toolkit() and nothing is
// returned: `failure`, or message 63 for a 76800 bit/s rate on a module that lacks it. The AES
// key texts, which no unit reports, come from `aesKeys`. A record set without an interface port
// (what older images and a contact-I/O document's own records carry) is taken as port 1.
std::optional<ApplicationConfig> rs485ConfigFromRecords(const Rs485RecordSet& records, int32_t moduleType,
                                                        Msg failure, bool withBinding,
                                                        const std::array<QString, 16>& aesKeys = {},
                                                        int32_t tabSelect = 0);
std::optional<ApplicationConfig_TX330> tx330ConfigFromRecords(const Tx330RecordSet& records, Msg failure,
                                                              const std::array<QString, 16>& aesKeys = {},
                                                              int32_t tabSelect = 0);

}  // namespace Tormel::Gui
