// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/AppResult_TX330.h"
#include "domain/app/AppStatus.h"
#include "domain/app/ControllerCore.h"
#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/firmware/ElfEditor_TX330.h"
#include "domain/modem/TX330Command.h"
#include "platform/BackgroundWorker.h"
#include "platform/SerialPort.h"

namespace Tormel::Domain::App {

// The contact-input/output window's controller: the same states, threads and completion codes
// as TormelApp, with the radio and contact records in place of the packet and binding ones,
// and the contact-I/O command set and firmware editor.
class TormelApp_TX330 {
  public:
    explicit TormelApp_TX330(Platform::BackgroundWorker::Dispatcher dispatcher);
    ~TormelApp_TX330();

    TormelApp_TX330(const TormelApp_TX330&) = delete;
    TormelApp_TX330& operator=(const TormelApp_TX330&) = delete;

    AppResult_TX330 Init();
    AppResult_TX330 End();

    AppResult_TX330 Connect(CompletedHandler handler);
    AppResult_TX330 ConnectAndRead(CompletedHandler handler);
    AppResult_TX330 Write(CompletedHandler handler);
    AppResult_TX330 InitWrite(CompletedHandler handler);
    AppResult_TX330 Disconnect();
    AppResult_TX330 Completed(AppCompletedCode code);

    AppResult_TX330 Load(const std::string& fileName);
    AppResult_TX330 Store(const std::string& fileName);

    Common::Communication CommunicationConfig() const { return m_communication; }
    void CommunicationConfig(const Common::Communication& value) { m_communication = value; }
    Common::Nodeinfo NodeinfoConfig() const { return m_nodeinfo; }
    void NodeinfoConfig(const Common::Nodeinfo& value) { m_nodeinfo = value; }
    Common::Wirelessinfo WirelessConfig() const { return m_wirelessinfo; }
    void WirelessConfig(const Common::Wirelessinfo& value) { m_wirelessinfo = value; }
    Common::Didoinfo DidoConfig() const { return m_didoinfo; }
    void DidoConfig(const Common::Didoinfo& value) { m_didoinfo = value; }

    AppStatus Status() const { return m_core.Status(); }
    const std::string& Result() const { return m_core.Result(); }
    Platform::ISerialPort& port() const { return m_core.Port(); }
    std::string PortName() const { return Modem::Command::m_portName; }

  private:
    ControllerCore m_core;  // m_status, m_result, m_port, m_worker
    Firmware::ElfEditor_TX330 m_editor;
    Modem::TX330Command m_command;
    Common::Communication m_communication{};
    Common::Nodeinfo m_nodeinfo{};
    Common::Wirelessinfo m_wirelessinfo{};
    Common::Didoinfo m_didoinfo{};
};

}  // namespace Tormel::Domain::App
