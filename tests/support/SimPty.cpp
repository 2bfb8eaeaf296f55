// SPDX-License-Identifier: MIT
#include "support/SimPty.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace Pelnix::Test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelnix-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

SimPty::SimPty(Sim::UnitState state) : m_ownFolder(std::make_unique<TempFolder>()) {
    m_folder = m_ownFolder->Path() + "/ports";
    Sim::PtyServerOptions options;
    options.folder = m_folder;
    options.name = "sim0";
    m_server = std::make_unique<Sim::PtyServer>(std::move(state), std::move(options));
}

SimPty::SimPty(Sim::UnitState state, const std::string& folder, const std::string& name) : m_folder(folder) {
    Sim::PtyServerOptions options;
    options.folder = folder;
    options.name = name;
    m_server = std::make_unique<Sim::PtyServer>(std::move(state), std::move(options));
}

SimPty::~SimPty() {
    m_server.reset();  // unregister before the folder goes
}

const std::string& SimPty::PortPath() const { return m_server->PortPath(); }
const std::string& SimPty::Folder() const { return m_folder; }

Tormel::Platform::PortListOptions SimPty::PortListOptions() const {
    Tormel::Platform::PortListOptions options;
    options.SysfsTtyRoot = m_folder + "/no-sysfs";  // no real devices
    options.VirtualPortFolder = m_folder;
    return options;
}

std::vector<std::string> SimPty::ListPorts() const {
    return Tormel::Platform::ListSerialPortNames(PortListOptions());
}

std::vector<std::string> SimPty::ListPortsIn(const std::string& folder) {
    Tormel::Platform::PortListOptions options;
    options.SysfsTtyRoot = folder + "/no-sysfs";
    options.VirtualPortFolder = folder;
    return Tormel::Platform::ListSerialPortNames(options);
}

std::vector<std::string> SimPty::Requests() const { return m_server->Requests(); }
std::vector<Sim::LogEntry> SimPty::Log() const { return m_server->Log(); }
void SimPty::ClearLog() { m_server->ClearLog(); }

bool SimPty::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    return m_server->WaitForRequests(count, timeout);
}

std::vector<Sim::LogEntry> SimPty::LogOf(std::size_t count, std::chrono::milliseconds timeout) const {
    m_server->WaitForLogEntries(count, timeout);
    return m_server->Log();
}

void SimPty::SilentOn(const std::string& requestPrefix) {
    auto faults = m_server->GetFaults();
    faults.silentOn.push_back(requestPrefix);
    m_server->SetFaults(std::move(faults));
}

void SimPty::EmptyReplyTo(const std::string& requestPrefix) {
    auto faults = m_server->GetFaults();
    faults.emptyReplyOn.push_back(requestPrefix);
    m_server->SetFaults(std::move(faults));
}

void SimPty::WrongReplyTo(const std::string& requestPrefix, const std::string& line) {
    auto faults = m_server->GetFaults();
    faults.wrongReply.emplace_back(requestPrefix, line);
    m_server->SetFaults(std::move(faults));
}

void SimPty::KeepOn(const std::string& requestPrefix) {
    auto faults = m_server->GetFaults();
    faults.keepOn.push_back(requestPrefix);
    m_server->SetFaults(std::move(faults));
}

void SimPty::SlowReplyTo(const std::string& requestPrefix, int delayMs) {
    auto faults = m_server->GetFaults();
    faults.slowReply.emplace_back(requestPrefix, delayMs);
    m_server->SetFaults(std::move(faults));
}

void SimPty::LateFirstReply(int delayMs) {
    auto faults = m_server->GetFaults();
    faults.lateFirstReplyMs = delayMs;
    m_server->SetFaults(std::move(faults));
}

void SimPty::GarbageOnFirstConnect() {
    auto faults = m_server->GetFaults();
    faults.garbageFirstConnect = true;
    m_server->SetFaults(std::move(faults));
}

void SimPty::HangUpAfterLines(int lines) {
    auto faults = m_server->GetFaults();
    faults.hangUpAfterLines = lines;
    m_server->SetFaults(std::move(faults));
}

void SimPty::SetFaults(const Sim::Faults& faults) { m_server->SetFaults(faults); }
void SimPty::ClearFaults() { m_server->SetFaults({}); }

Sim::UnitState SimPty::State() const { return m_server->State(); }
void SimPty::ResetUnit(const Sim::UnitState& state) { m_server->ResetUnit(state); }
bool SimPty::HungUp() const { return m_server->HungUp(); }

}  // namespace Pelnix::Test
