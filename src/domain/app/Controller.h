// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/AppResult.h"
#include "domain/app/AppStatus.h"
#include "domain/app/ControllerCore.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/firmware/ElfEditorBase.h"
#include "domain/modem/CommandResult.h"
#include "platform/BackgroundWorker.h"
#include "platform/SerialPort.h"

namespace Tormel::Domain::App {

// What the windows' controllers of both unit families share. A controller keeps the current
// settings records, runs connect, connect-and-read, write and factory reset on a background
// worker, and loads and stores firmware images synchronously. All calls come from the window's
// thread; it shows nothing itself. A family adds its own records and says how they cross to and
// from the command link and the firmware editor; the serial-line and node records are here.
//
// After a completion has reached the window's handler, the window calls Completed with its
// code before it reads any record or the state.
class Controller {
  public:
    AppResult Init();
    AppResult End();

    AppResult Connect(CompletedHandler handler);
    AppResult ConnectAndRead(CompletedHandler handler);
    AppResult Write(CompletedHandler handler);
    AppResult InitWrite(CompletedHandler handler);
    // Every record read again from the connected unit, on its open line (no scan); its
    // success takes the records back as a connect-and-read does.
    AppResult ReadBack(CompletedHandler handler);
    AppResult Disconnect();
    AppResult Completed(AppCompletedCode code);

    // Replaces the line, node and own records with the image's. Each image is read as by a
    // fresh editor: a field its version lacks comes back zero (interface port 0 = absent).
    AppResult Load(const std::string& fileName);
    AppResult Store(const std::string& fileName);

    Common::Communication CommunicationConfig() const { return m_communication; }
    void CommunicationConfig(const Common::Communication& value) { m_communication = value; }
    Common::Nodeinfo NodeinfoConfig() const { return m_nodeinfo; }
    void NodeinfoConfig(const Common::Nodeinfo& value) { m_nodeinfo = value; }

    AppStatus Status() const { return m_core.Status(); }
    // The unit's last reply during the last background operation.
    const std::string& Result() const { return m_core.Result(); }
    Platform::ISerialPort& port() const { return m_core.Port(); }
    // The port the link tried last or is connected on, as of the last completion.
    std::string PortName() const { return m_core.PortName(); }
    // The link's own result of the last operation, as of its completion.
    Modem::CommandResult LastCommandResult() const { return m_core.LastCommandResult(); }

  protected:
    // The family's background operations on the command link.
    struct CommandSet {
        Modem::CommandResult (*connect)();
        Modem::CommandResult (*connectAndRead)();
        Modem::CommandResult (*write)();
        Modem::CommandResult (*initWrite)();
        Modem::CommandResult (*readAll)();
    };

    // dispatcher puts a completion on the window's thread (the event loop, or a test's queue).
    // The editor is the family's, a member of the derived class.
    Controller(Platform::BackgroundWorker::Dispatcher dispatcher, Firmware::ElfEditorBase& editor,
               CommandSet commands);
    // Stops a running operation and closes the port; never waits long for a unit.
    ~Controller();

    // The family's own records, beside the serial line and the node:
    virtual void HandOverOwn() = 0;        // to the command link, ahead of a write or a reset
    virtual void TakeBackOwn() = 0;        // from the command link, after a connect-and-read
    virtual void GiveOwnToEditor() = 0;    // to the editor, ahead of a store
    virtual void TakeOwnFromEditor() = 0;  // from the editor, after a clean load

  private:
    void HandOverAll();
    std::optional<AppResult> OpenImage(const std::string& fileName, AppResult failure);

    ControllerCore m_core;  // m_status, m_result, m_port, m_worker; not copyable, nor is a controller
    Firmware::ElfEditorBase& m_editor;
    CommandSet m_commands;
    Common::Communication m_communication{};
    Common::Nodeinfo m_nodeinfo{};
};

}  // namespace Tormel::Domain::App
