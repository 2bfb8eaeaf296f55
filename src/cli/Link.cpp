// SPDX-License-Identifier: MIT
// The command line drives the very controllers the windows use: the same hand-over of the
// records to the command link, the same states and the same background worker. Only the
// event loop differs: the completion comes through a queue this thread waits on.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "cli/CliSupport.h"

namespace Tormel::Cli {

using Domain::App::AppCompletedCode;
using Domain::App::AppResult;
using Domain::App::CompletedHandler;
using Domain::Modem::CommandResult;
using Platform::BackgroundWorker;

// The completions the worker hands back, waiting for this thread to run them.
struct Link::Queue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<BackgroundWorker::Task> tasks;

    void put(BackgroundWorker::Task task) {
        {
            const std::lock_guard lock(mutex);
            tasks.push_back(std::move(task));
        }
        ready.notify_one();
    }
    BackgroundWorker::Task take() {
        std::unique_lock lock(mutex);
        ready.wait(lock, [this] { return !tasks.empty(); });
        BackgroundWorker::Task task = std::move(tasks.front());
        tasks.pop_front();
        return task;
    }
};

Link::Link() : m_queue(std::make_shared<Queue>()) {}

Link::~Link() {
    closeQuietly();
    if (m_controller != nullptr) (void)m_controller->End();
}

void Link::settingsOf(const Link& configured) {
    m_line = configured.m_line;
    m_stopAsked = configured.m_stopAsked;
}

Domain::App::Controller& Link::controllerFor(UnitFamily family) {
    if (m_controller != nullptr) {
        const bool same =
            family == UnitFamily::Rs485 ? m_controller == m_rs485.get() : m_controller == m_tx330.get();
        if (same) return *m_controller;
        closeQuietly();
        (void)m_controller->End();
        m_rs485.reset();
        m_tx330.reset();
    }
    auto dispatch = [queue = m_queue](BackgroundWorker::Task task) { queue->put(std::move(task)); };
    if (family == UnitFamily::Rs485) {
        m_rs485 = std::make_unique<Domain::App::TormelApp>(dispatch);
        m_controller = m_rs485.get();
    } else {
        m_tx330 = std::make_unique<Domain::App::TormelApp_TX330>(dispatch);
        m_controller = m_tx330.get();
    }
    (void)m_controller->Init();
    return *m_controller;
}

CommandResult Link::run(const Start& start) {
    bool done = false;
    AppCompletedCode code = AppCompletedCode::ConnectError;
    const AppResult started = start([&](AppCompletedCode completed) {
        code = completed;
        done = true;
    });
    if (started != AppResult::Pendding) return CommandResult::ErrStatus;
    // The controller clears any stop request as the operation starts; one the user gave
    // before must not be lost with it.
    if (m_stopAsked && m_stopAsked()) Domain::Modem::Command::RequestStop();
    while (!done) m_queue->take()();
    (void)m_controller->Completed(code);
    return m_controller->LastCommandResult();
}

CommandResult Link::connect(UnitFamily family, bool read) {
    Domain::App::Controller& controller = controllerFor(family);
    closeQuietly();
    controller.CommunicationConfig(m_line);
    return run([&](CompletedHandler done) {
        return read ? controller.ConnectAndRead(std::move(done)) : controller.Connect(std::move(done));
    });
}

CommandResult Link::readBack() {
    if (m_controller == nullptr) return CommandResult::ErrConnect;
    return run([this](CompletedHandler done) { return m_controller->ReadBack(std::move(done)); });
}

CommandResult Link::write(const Gui::Rs485RecordSet& records) {
    if (m_rs485 == nullptr) return CommandResult::ErrConnect;
    m_rs485->CommunicationConfig(records.communication);
    m_rs485->NodeinfoConfig(records.nodeinfo);
    m_rs485->ProtocolConfig(records.protocol);
    m_rs485->BindingConfig(records.binding);
    return run([this](CompletedHandler done) { return m_rs485->Write(std::move(done)); });
}

CommandResult Link::write(const Gui::Tx330RecordSet& records) {
    if (m_tx330 == nullptr) return CommandResult::ErrConnect;
    m_tx330->CommunicationConfig(records.communication);
    m_tx330->NodeinfoConfig(records.nodeinfo);
    m_tx330->WirelessConfig(records.wireless);
    m_tx330->DidoConfig(records.dido);
    return run([this](CompletedHandler done) { return m_tx330->Write(std::move(done)); });
}

CommandResult Link::reset() {
    if (m_controller == nullptr) return CommandResult::ErrConnect;
    return run([this](CompletedHandler done) { return m_controller->InitWrite(std::move(done)); });
}

void Link::closeQuietly() {
    // Closing an idle controller's port is nothing to report either.
    if (m_controller != nullptr) (void)m_controller->Disconnect();
}

Domain::Common::Nodeinfo Link::node() const {
    return m_controller != nullptr ? m_controller->NodeinfoConfig() : Domain::Common::Nodeinfo{};
}

std::string Link::portName() const {
    return m_controller != nullptr ? m_controller->PortName() : std::string();
}

Gui::Rs485RecordSet Link::rs485Records() const {
    if (m_rs485 == nullptr) return {};
    return {m_rs485->CommunicationConfig(), m_rs485->NodeinfoConfig(), m_rs485->ProtocolConfig(),
            m_rs485->BindingConfig()};
}

Gui::Tx330RecordSet Link::tx330Records() const {
    if (m_tx330 == nullptr) return {};
    return {m_tx330->CommunicationConfig(), m_tx330->NodeinfoConfig(), m_tx330->WirelessConfig(),
            m_tx330->DidoConfig()};
}

}  // namespace Tormel::Cli
