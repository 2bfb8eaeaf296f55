// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/AppResult.h"
#include "domain/app/AppStatus.h"
#include "domain/modem/CommandResult.h"
#include "platform/BackgroundWorker.h"
#include "platform/SerialPort.h"

namespace Tormel::Domain::App {

// The window's completion callback: called once per started operation, on the window's thread.
using CompletedHandler = std::function<void(AppCompletedCode)>;

// The background operations of both controllers. Reading reads every parameter again on the
// line a connect opened (the read-back after a write); the windows do not use it.
enum class Operation { Connecting, ConnectingAndReading, Writing, InitWriting, Reading };

// What a unit's answer to an operation means for the window. A scan that found nothing and a
// broken line both read as a connection error; a write distinguishes the refusal of 7 data
// bits without parity; a factory reset knows only the line and the unit's refusal.
AppCompletedCode CompletedCodeFor(Operation operation, Modem::CommandResult result);

// The status machine and the background worker that both controllers share. Every call comes
// from the window's thread. The worker thread touches only the command link and the copies
// its work function owns; the state changes only here, on the window's thread, and what the
// window reads of the link's last operation (its last reply, its port name) is copied at the
// operation's end and handed over with its completion.
class ControllerCore {
  public:
    // The controller's own serial port; the core hands it to the command link.
    ControllerCore(Platform::BackgroundWorker::Dispatcher dispatcher,
                   std::shared_ptr<Platform::ISerialPort> port);
    ~ControllerCore();

    ControllerCore(const ControllerCore&) = delete;
    ControllerCore& operator=(const ControllerCore&) = delete;

    AppStatus Status() const { return m_status; }
    const std::string& Result() const { return m_result; }
    // The port the link tried last or is connected on, as the last operation left it.
    const std::string& PortName() const { return m_portName; }
    // The link's own result of the last operation, finer than its completion code (which unit
    // refused, which line failed): the command line reports it as it stands.
    Modem::CommandResult LastCommandResult() const { return m_commandResult; }
    Platform::ISerialPort& Port() const { return *m_port; }

    // Invalid -> Idle after the editor was set up.
    void Initialised();
    // -> Invalid. An operation still running is told to stop and the port is closed, so the
    // program never ends with a unit's port held open.
    void Ended();

    // Starts op on a new worker when the state allows it: handOver gives the command link
    // its records, run is the command operation (on the worker thread). Pendding on start.
    AppResult Start(Operation op, const std::function<void()>& handOver,
                    std::function<Modem::CommandResult()> run, CompletedHandler handler);

    AppResult Disconnect();

    // The window's acknowledgement of a completion. Applies the transition and returns the
    // operation whose success the caller must take the records back for. Ignored while the
    // operation is still running.
    std::optional<Operation> Completed(AppCompletedCode code);

  private:
    void ClosePort();
    // Tells the running operation to stop and closes the port under it.
    void StopRunning();

    Platform::BackgroundWorker::Dispatcher m_dispatcher;
    AppStatus m_status = AppStatus::Invalid;
    // Copies of the link's last reply and port name, handed over with each completion.
    std::string m_result;
    std::string m_portName;
    Modem::CommandResult m_commandResult = Modem::CommandResult::ErrStatus;
    std::shared_ptr<Platform::ISerialPort> m_port;
    std::unique_ptr<Platform::BackgroundWorker> m_worker;
    Operation m_running = Operation::Connecting;  // the operation of the last start
    std::shared_ptr<std::atomic<bool>> m_stop;    // the stop request of the last start
};

}  // namespace Tormel::Domain::App
