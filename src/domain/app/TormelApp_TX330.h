// SPDX-License-Identifier: MIT
#pragma once

#include "domain/app/AppResult_TX330.h"
#include "domain/app/Controller.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/firmware/ElfEditor_TX330.h"
#include "platform/BackgroundWorker.h"

namespace Tormel::Domain::App {

// The contact-input/output window's controller: the same states, threads and completion codes
// as TormelApp (see Controller), with the radio and contact records in place of the packet and
// binding ones, and the contact-I/O command set and firmware editor. Its calls report
// AppResult_TX330, which is AppResult.
class TormelApp_TX330 final : public Controller {
  public:
    explicit TormelApp_TX330(Platform::BackgroundWorker::Dispatcher dispatcher);
    ~TormelApp_TX330();

    Common::Wirelessinfo WirelessConfig() const { return m_wirelessinfo; }
    void WirelessConfig(const Common::Wirelessinfo& value) { m_wirelessinfo = value; }
    Common::Didoinfo DidoConfig() const { return m_didoinfo; }
    void DidoConfig(const Common::Didoinfo& value) { m_didoinfo = value; }

  private:
    void HandOverOwn() override;
    void TakeBackOwn() override;
    void GiveOwnToEditor() override;
    void TakeOwnFromEditor() override;

    Firmware::ElfEditor_TX330 m_editor;
    Common::Wirelessinfo m_wirelessinfo{};
    Common::Didoinfo m_didoinfo{};
};

}  // namespace Tormel::Domain::App
