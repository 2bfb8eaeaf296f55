// SPDX-License-Identifier: MIT
#include "domain/app/ControllerCore.h"

#include <atomic>
#include <exception>
#include <utility>

#include "domain/modem/Command.h"

namespace Tormel::Domain::App {

using Modem::Command;
using Modem::CommandResult;

AppCompletedCode CompletedCodeFor(Operation operation, CommandResult result) {
    if (result == CommandResult::Success) {
        return AppCompletedCode::Success;
    }
    switch (operation) {
        case Operation::Connecting:
        case Operation::ConnectingAndReading:
            return result == CommandResult::ErrUnsupported ? AppCompletedCode::Unsupported
                                                           : AppCompletedCode::ConnectError;
        case Operation::Writing:
            if (result == CommandResult::ErrConnect) return AppCompletedCode::ConnectError;
            if (result == CommandResult::Err7DataBitNonParity)
                return AppCompletedCode::DataBit7NonParityError;
            return AppCompletedCode::CommandError;
        case Operation::InitWriting:
        case Operation::Reading:
            return result == CommandResult::ErrConnect ? AppCompletedCode::ConnectError
                                                       : AppCompletedCode::CommandError;
    }
    return AppCompletedCode::CommandError;
}

namespace {

// What the work function hands back across the threads, by value.
struct Outcome {
    AppCompletedCode code = AppCompletedCode::ConnectError;
    CommandResult result = CommandResult::ErrStatus;
    std::string reply;
    std::string portName;
};

bool IsBackgroundState(AppStatus status) {
    return status == AppStatus::Connecting || status == AppStatus::ConnectingAndReading ||
           status == AppStatus::Updating;
}

}  // namespace

ControllerCore::ControllerCore(Platform::BackgroundWorker::Dispatcher dispatcher,
                               std::shared_ptr<Platform::ISerialPort> port)
    : m_dispatcher(std::move(dispatcher)), m_port(std::move(port)) {
    Command::SerialPort(m_port.get());
}

ControllerCore::~ControllerCore() {
    bool joined = true;
    if (m_worker) {
        if (m_worker->IsRunning()) {
            StopRunning();
        }
        joined = m_worker->Release();
    }
    ClosePort();
    if (!joined) {
        // The worker did not end within its grace and may still reach the port through the
        // link: keep the port object alive for the rest of the process. Running out of memory
        // here ends the program, which is right: the port must not be freed under that worker.
        new std::shared_ptr<Platform::ISerialPort>(m_port);  // NOLINT(bugprone-unhandled-exception-at-new)
        return;
    }
    if (Command::m_port == m_port.get()) {
        Command::SerialPort(nullptr);
    }
}

void ControllerCore::Initialised() { m_status = AppStatus::Idle; }

void ControllerCore::Ended() {
    if (m_worker && m_worker->IsRunning()) {
        StopRunning();
    }
    ClosePort();
    m_status = AppStatus::Invalid;
}

AppResult ControllerCore::Start(Operation op, const std::function<void()>& handOver,
                                std::function<CommandResult()> run, CompletedHandler handler) {
    // A write, a factory reset and a read-back all need the unit a connect found.
    const bool onUnit = op == Operation::Writing || op == Operation::InitWriting || op == Operation::Reading;
    const bool allowed = onUnit ? m_status == AppStatus::Active
                                : (m_status == AppStatus::Idle || m_status == AppStatus::Active);
    if (!allowed) {
        return AppResult::ErrStatus;
    }
    // The previous operation's thread must be done with the link before another one starts.
    if (m_worker && m_worker->IsRunning()) {
        return AppResult::ErrStatus;
    }
    try {
        m_result.clear();
        m_commandResult = CommandResult::ErrStatus;
        m_worker.reset();
        // Cleared here, on the window's thread where Disconnect also runs, so that no cancel can
        // fall between clearing and the operation's start.
        Command::ClearStopRequest();
        m_worker = std::make_unique<Platform::BackgroundWorker>(m_dispatcher);
        handOver();

        auto outcome = std::make_shared<Outcome>();
        auto stop = std::make_shared<std::atomic<bool>>(false);
        auto work = [outcome, op, stop, run = std::move(run), port = m_port]() {
            CommandResult result = CommandResult::ErrStatus;
            try {
                // A stop that came before the operation got going ends it before any port opens.
                result = stop->load() ? CommandResult::ErrConnect : run();
            } catch (...) {
                result = CommandResult::ErrStatus;
            }
            outcome->code = CompletedCodeFor(op, result);
            outcome->result = result;
            outcome->reply = Command::m_result;
            outcome->portName = Command::m_portName;
        };
        auto completed = [this, outcome, handler = std::move(handler)]() {
            m_result = outcome->reply;
            m_portName = outcome->portName;
            m_commandResult = outcome->result;
            if (handler) {
                handler(outcome->code);
            } else {
                // Nobody listens: settle the state here rather than stay busy for ever.
                Completed(outcome->code);
            }
        };
        if (!m_worker->Start(std::move(work), std::move(completed))) {
            m_worker.reset();
            return AppResult::ErrStatus;
        }
        m_stop = std::move(stop);
    } catch (...) {
        return AppResult::ErrStatus;
    }
    m_running = op;
    switch (op) {
        case Operation::Connecting:
            m_status = AppStatus::Connecting;
            break;
        case Operation::ConnectingAndReading:
        case Operation::Reading:
            m_status = AppStatus::ConnectingAndReading;
            break;
        case Operation::Writing:
        case Operation::InitWriting:
            m_status = AppStatus::Updating;
            break;
    }
    return AppResult::Pendding;
}

AppResult ControllerCore::Disconnect() {
    if (IsBackgroundState(m_status)) {
        StopRunning();
        return AppResult::Pendding;
    }
    if (m_status == AppStatus::Active) {
        ClosePort();
        m_status = AppStatus::Idle;
        return AppResult::Success;
    }
    return AppResult::ErrStatus;
}

std::optional<Operation> ControllerCore::Completed(AppCompletedCode code) {
    // An acknowledgement before the operation has ended cannot be one of its completion: the
    // worker still uses the link, so neither the records nor the state may change under it.
    if (m_worker && m_worker->IsRunning()) {
        return std::nullopt;
    }
    if (IsBackgroundState(m_status)) {
        if (code == AppCompletedCode::Success) {
            m_status = AppStatus::Active;
            return m_running;
        }
        m_status = AppStatus::Idle;
        ClosePort();
    } else if (m_status == AppStatus::Canceling) {
        m_status = AppStatus::Idle;
        ClosePort();
    }
    return std::nullopt;
}

void ControllerCore::ClosePort() {
    // A port that fails to close is of no further use either; nothing to report.
    (void)m_port->Close();
}

void ControllerCore::StopRunning() {
    if (m_worker) {
        m_worker->RequestStop();
    }
    if (m_stop) {
        m_stop->store(true);
    }
    // A scan over many silent ports would otherwise go on for minutes after the user gave up;
    // the scan gives up before its next attempt. A write sees the closed port, and the stop
    // request keeps a line-setting change in progress from reopening it.
    // Harmless when nothing runs: every scan and every write starts with the request cleared.
    Command::RequestStop();
    if (IsBackgroundState(m_status)) {
        m_status = AppStatus::Canceling;
    }
    ClosePort();
}

}  // namespace Tormel::Domain::App
