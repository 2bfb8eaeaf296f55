// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/AppResult.h"
#include "domain/app/AppStatus.h"
#include "domain/app/ControllerCore.h"
#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/firmware/ElfEditor.h"
#include "domain/modem/Command.h"
#include "platform/BackgroundWorker.h"
#include "platform/SerialPort.h"

namespace Tormel::Domain::App {

// The RS485 window's way to a unit or a firmware image. It keeps the current settings
// records, runs connect, connect-and-read, write and factory reset on a background worker,
// and loads and stores firmware images synchronously. All calls come from the window's
// thread; it shows nothing itself.
//
// After a completion has reached the window's handler, the window calls Completed with its
// code before it reads any record or the state.
class TormelApp {
  public:
    // dispatcher puts a completion on the window's thread (the event loop, or a test's queue).
    explicit TormelApp(Platform::BackgroundWorker::Dispatcher dispatcher);
    // Stops a running operation, closes the port and releases the firmware editor; never
    // waits long for a unit.
    ~TormelApp();

    TormelApp(const TormelApp&) = delete;
    TormelApp& operator=(const TormelApp&) = delete;

    AppResult Init();
    AppResult End();

    AppResult Connect(CompletedHandler handler);
    AppResult ConnectAndRead(CompletedHandler handler);
    AppResult Write(CompletedHandler handler);
    AppResult InitWrite(CompletedHandler handler);
    AppResult Disconnect();
    AppResult Completed(AppCompletedCode code);

    AppResult Load(const std::string& fileName);
    AppResult Store(const std::string& fileName);

    Common::Communication CommunicationConfig() const { return m_communication; }
    void CommunicationConfig(const Common::Communication& value) { m_communication = value; }
    Common::Nodeinfo NodeinfoConfig() const { return m_nodeinfo; }
    void NodeinfoConfig(const Common::Nodeinfo& value) { m_nodeinfo = value; }
    Common::Protocol ProtocolConfig() const { return m_protocol; }
    void ProtocolConfig(const Common::Protocol& value) { m_protocol = value; }
    Common::Binding BindingConfig() const { return m_binding; }
    void BindingConfig(const Common::Binding& value) { m_binding = value; }

    AppStatus Status() const { return m_core.Status(); }
    // The unit's last reply during the last background operation.
    const std::string& Result() const { return m_core.Result(); }
    Platform::ISerialPort& port() const { return m_core.Port(); }
    // The port the link tried last or is connected on; read it only while no operation runs.
    std::string PortName() const { return Modem::Command::m_portName; }

  private:
    ControllerCore m_core;  // m_status, m_result, m_port, m_worker
    Firmware::ElfEditor m_editor;
    Modem::Command m_command;
    Common::Communication m_communication{};
    Common::Nodeinfo m_nodeinfo{};
    Common::Protocol m_protocol{};
    Common::Binding m_binding{};
};

}  // namespace Tormel::Domain::App
