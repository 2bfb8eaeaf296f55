// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Binding.h"
#include "domain/common/Protocol.h"
#include "domain/firmware/ElfEditorBase.h"

namespace Tormel::Domain::Firmware {

// Reads the factory settings of an RS485 wireless unit from its firmware image into the
// settings records, and writes the records back into the image in place. The version byte of
// the image decides which parameters it carries.
//
// Use: Init once; per image FileName, Open, then Load (and take the records) or set the records
// and Store, then Close; End once. A Store is not atomic: store into a copy of the user's image.
class ElfEditor : public ElfEditorBase {
  public:
    ElfEditor() : ElfEditorBase(UnitFamily::Rs485) {}

    // Load, Store and the serial-line and node records are the base's.
    Common::Protocol ProtocolConfig() const { return m_records.protocol; }
    void ProtocolConfig(const Common::Protocol& config) { m_records.protocol = config; }
    // Only BindType is kept in the image; Load fills it, Store writes it back.
    Common::Binding BindingConfig() const { return m_records.binding; }
    void BindingConfig(const Common::Binding& config) { m_records.binding = config; }
};

}  // namespace Tormel::Domain::Firmware
