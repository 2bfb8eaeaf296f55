// SPDX-License-Identifier: MIT
#include "domain/app/Controller.h"

#include <memory>
#include <optional>
#include <utility>

#include "domain/modem/Command.h"

namespace Tormel::Domain::App {

using Firmware::ElfEditorResult;
using Modem::Command;

namespace {

// The window needs only three outcomes: not a firmware image, or the image did not do.
AppResult ImageResult(ElfEditorResult result, AppResult otherwise) {
    return result == ElfEditorResult::ErrUnsupported ? AppResult::ErrElfFormat : otherwise;
}

}  // namespace

Controller::Controller(Platform::BackgroundWorker::Dispatcher dispatcher, Firmware::ElfEditorBase& editor,
                       CommandSet commands)
    : m_core(std::move(dispatcher), std::shared_ptr<Platform::ISerialPort>(Platform::CreateSerialPort())),
      m_editor(editor),
      m_commands(commands) {}

Controller::~Controller() = default;

AppResult Controller::Init() {
    if (m_core.Status() != AppStatus::Invalid) {
        return AppResult::Success;
    }
    if (m_editor.Init() != ElfEditorResult::Success) {
        return AppResult::ErrStatus;
    }
    m_core.Initialised();
    return AppResult::Success;
}

AppResult Controller::End() {
    if (m_core.Status() == AppStatus::Invalid) {
        return AppResult::Success;
    }
    if (m_editor.End() != ElfEditorResult::Success) {
        return AppResult::ErrStatus;
    }
    m_core.Ended();
    return AppResult::Success;
}

// A connect gives the link only the line settings to try.
AppResult Controller::Connect(CompletedHandler handler) {
    return m_core.Start(
        Operation::Connecting, [this] { Command::m_communication = m_communication; }, m_commands.connect,
        std::move(handler));
}

AppResult Controller::ConnectAndRead(CompletedHandler handler) {
    return m_core.Start(
        Operation::ConnectingAndReading, [this] { Command::m_communication = m_communication; },
        m_commands.connectAndRead, std::move(handler));
}

AppResult Controller::Write(CompletedHandler handler) {
    return m_core.Start(
        Operation::Writing, [this] { HandOverAll(); }, m_commands.write, std::move(handler));
}

AppResult Controller::InitWrite(CompletedHandler handler) {
    return m_core.Start(
        Operation::InitWriting, [this] { HandOverAll(); }, m_commands.initWrite, std::move(handler));
}

AppResult Controller::ReadBack(CompletedHandler handler) {
    return m_core.Start(
        Operation::Reading, [] {}, m_commands.readAll, std::move(handler));
}

// A write and a factory reset give the link every record.
void Controller::HandOverAll() {
    Command::m_communication = m_communication;
    Command::m_nodeinfo = m_nodeinfo;
    HandOverOwn();
}

AppResult Controller::Disconnect() { return m_core.Disconnect(); }

// A successful connect-and-read or read-back takes back every record but the node's; every successful
// operation takes back the node record (the unit's name and version).
AppResult Controller::Completed(AppCompletedCode code) {
    const std::optional<Operation> succeeded = m_core.Completed(code);
    if (!succeeded) {
        return AppResult::Success;
    }
    if (*succeeded == Operation::ConnectingAndReading || *succeeded == Operation::Reading) {
        m_communication = Command::m_communication;
        TakeBackOwn();
    }
    m_nodeinfo = Command::m_nodeinfo;
    return AppResult::Success;
}

// Opens the image for a load or a store; nullopt when it is open, else the call's result.
std::optional<AppResult> Controller::OpenImage(const std::string& fileName, AppResult failure) {
    if (m_core.Status() != AppStatus::Idle) {
        return AppResult::ErrStatus;
    }
    m_editor.FileName(fileName);
    if (const ElfEditorResult opened = m_editor.Open(); opened != ElfEditorResult::Success) {
        return ImageResult(opened, failure);
    }
    return std::nullopt;
}

AppResult Controller::Load(const std::string& fileName) {
    if (const std::optional<AppResult> refused = OpenImage(fileName, AppResult::ErrElfLoad)) {
        return *refused;
    }
    // Each image is read as into a fresh editor: a field it does not carry (the interface
    // port up to version 36) is absent, never an earlier image's value.
    m_editor.ForgetRecords();
    const ElfEditorResult loaded = m_editor.Load();
    const ElfEditorResult closed = m_editor.Close();
    if (loaded != ElfEditorResult::Success) {
        return ImageResult(loaded, AppResult::ErrElfLoad);
    }
    // Only a load that ended cleanly replaces the records: after any failure the settings the
    // user had stay as they were.
    if (closed != ElfEditorResult::Success) {
        return AppResult::ErrElfLoad;
    }
    m_communication = m_editor.CommunicationConfig();
    m_nodeinfo = m_editor.NodeinfoConfig();
    TakeOwnFromEditor();
    return AppResult::Success;
}

AppResult Controller::Store(const std::string& fileName) {
    if (const std::optional<AppResult> refused = OpenImage(fileName, AppResult::ErrElfStore)) {
        return *refused;
    }
    m_editor.CommunicationConfig(m_communication);
    m_editor.NodeinfoConfig(m_nodeinfo);
    GiveOwnToEditor();
    const ElfEditorResult stored = m_editor.Store();
    const ElfEditorResult closed = m_editor.Close();
    if (stored != ElfEditorResult::Success || closed != ElfEditorResult::Success) {
        return AppResult::ErrElfStore;
    }
    return AppResult::Success;
}

}  // namespace Tormel::Domain::App
