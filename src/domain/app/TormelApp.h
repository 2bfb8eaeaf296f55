// SPDX-License-Identifier: MIT
#pragma once

#include "domain/app/Controller.h"
#include "domain/common/Binding.h"
#include "domain/common/Protocol.h"
#include "domain/firmware/ElfEditor.h"
#include "platform/BackgroundWorker.h"

namespace Tormel::Domain::App {

// The RS485 window's way to a unit or a firmware image (see Controller), with the packet and
// binding records, the RS485 command set and firmware editor. A connect-and-read takes back all
// four records; a firmware load the line, node and packet records, never the bindings.
class TormelApp final : public Controller {
  public:
    explicit TormelApp(Platform::BackgroundWorker::Dispatcher dispatcher);
    // Stops a running operation, closes the port and releases the firmware editor; never
    // waits long for a unit.
    ~TormelApp();

    Common::Protocol ProtocolConfig() const { return m_protocol; }
    void ProtocolConfig(const Common::Protocol& value) { m_protocol = value; }
    Common::Binding BindingConfig() const { return m_binding; }
    void BindingConfig(const Common::Binding& value) { m_binding = value; }

  private:
    void HandOverOwn() override;
    void TakeBackOwn() override;
    void GiveOwnToEditor() override;
    void TakeOwnFromEditor() override;

    Firmware::ElfEditor m_editor;
    Common::Protocol m_protocol{};
    Common::Binding m_binding{};
};

}  // namespace Tormel::Domain::App
