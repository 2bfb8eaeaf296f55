// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/SerialPort.h"
#include "sim/PtyServer.h"
#include "sim/UnitState.h"

namespace Pelnix::Test {

// A folder of the test's own, removed with everything in it when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

// A simulated unit on a fresh pty, registered as a virtual port in a temporary folder of the
// fixture's own (or in a folder the test shares between several units). The unit runs on its
// own thread; everything here is safe to call from the test's thread while the tool talks.
class SimPty {
  public:
    explicit SimPty(Sim::UnitState state = {});
    // Registers the port as `name` in `folder`, so that several units can share one folder
    // (for example sim1 ... sim31 for a scan over many ports). The folder is not removed.
    SimPty(Sim::UnitState state, const std::string& folder, const std::string& name);
    ~SimPty();

    // What the tool opens (a symbolic link to the pty slave), and the folder it is in.
    const std::string& PortPath() const;
    const std::string& Folder() const;

    // Port list options that see this folder's ports and no real device; and the list itself.
    Tormel::Platform::PortListOptions PortListOptions() const;
    std::vector<std::string> ListPorts() const;
    static std::vector<std::string> ListPortsIn(const std::string& folder);

    // The request lines that arrived at the unit's line settings, silenced ones included, in
    // order (CR LF removed); and the full log with time stamps, ignored requests and replies.
    std::vector<std::string> Requests() const;
    std::vector<Sim::LogEntry> Log() const;
    void ClearLog();
    bool WaitForRequests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // The log after at least `count` entries arrived (the last reply the tool read may still
    // be on its way into the log); what there is after the time-out otherwise.
    std::vector<Sim::LogEntry> LogOf(std::size_t count,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // Fault switches; each call adds to the faults set so far. ClearFaults removes them all.
    void SilentOn(const std::string& requestPrefix);
    void EmptyReplyTo(const std::string& requestPrefix);
    void WrongReplyTo(const std::string& requestPrefix, const std::string& line);
    void GarbageOnFirstConnect();
    void KeepOn(const std::string& requestPrefix);
    void SlowReplyTo(const std::string& requestPrefix, int delayMs);
    void LateFirstReply(int delayMs);
    void HangUpAfterLines(int lines);
    void SetFaults(const Sim::Faults& faults);
    void ClearFaults();

    // The unit's state now (after the tool's writes), and a replacement of the whole unit.
    Sim::UnitState State() const;
    void ResetUnit(const Sim::UnitState& state);

    bool HungUp() const;
    Sim::PtyServer& Server() { return *m_server; }

  private:
    std::unique_ptr<TempFolder> m_ownFolder;
    std::string m_folder;
    std::unique_ptr<Sim::PtyServer> m_server;
};

}  // namespace Pelnix::Test
