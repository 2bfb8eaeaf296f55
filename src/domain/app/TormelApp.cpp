// SPDX-License-Identifier: MIT
#include "domain/app/TormelApp.h"

#include <utility>

namespace Tormel::Domain::App {

using Firmware::ElfEditorResult;
using Modem::Command;

TormelApp::TormelApp(Platform::BackgroundWorker::Dispatcher dispatcher)
    : m_core(std::move(dispatcher), std::shared_ptr<Platform::ISerialPort>(Platform::CreateSerialPort())) {}

TormelApp::~TormelApp() = default;

AppResult TormelApp::Init() {
    if (m_core.Status() != AppStatus::Invalid) {
        return AppResult::Success;
    }
    if (m_editor.Init() != ElfEditorResult::Success) {
        return AppResult::ErrStatus;
    }
    m_core.Initialised();
    return AppResult::Success;
}

AppResult TormelApp::End() {
    if (m_core.Status() == AppStatus::Invalid) {
        return AppResult::Success;
    }
    if (m_editor.End() != ElfEditorResult::Success) {
        return AppResult::ErrStatus;
    }
    m_core.Ended();
    return AppResult::Success;
}

AppResult TormelApp::Connect(CompletedHandler handler) {
    return m_core.Start(
        Operation::Connecting, [this] { Command::m_communication = m_communication; },
        [] { return Command::Connect(); }, std::move(handler));
}

AppResult TormelApp::ConnectAndRead(CompletedHandler handler) {
    return m_core.Start(
        Operation::ConnectingAndReading, [this] { Command::m_communication = m_communication; },
        [] { return Command::ConnectAndRead(); }, std::move(handler));
}

namespace {

void HandOverAll(const Common::Communication& communication, const Common::Nodeinfo& nodeinfo,
                 const Common::Protocol& protocol, const Common::Binding& binding) {
    Command::m_communication = communication;
    Command::m_nodeinfo = nodeinfo;
    Command::m_protocol = protocol;
    Command::m_binding = binding;
}

}  // namespace

AppResult TormelApp::Write(CompletedHandler handler) {
    return m_core.Start(
        Operation::Writing, [this] { HandOverAll(m_communication, m_nodeinfo, m_protocol, m_binding); },
        [] { return Command::Write(); }, std::move(handler));
}

AppResult TormelApp::InitWrite(CompletedHandler handler) {
    return m_core.Start(
        Operation::InitWriting, [this] { HandOverAll(m_communication, m_nodeinfo, m_protocol, m_binding); },
        [] { return Command::InitWrite(); }, std::move(handler));
}

AppResult TormelApp::Disconnect() { return m_core.Disconnect(); }

AppResult TormelApp::Completed(AppCompletedCode code) {
    const std::optional<Operation> succeeded = m_core.Completed(code);
    if (!succeeded) {
        return AppResult::Success;
    }
    if (*succeeded == Operation::ConnectingAndReading) {
        m_communication = Command::m_communication;
        m_protocol = Command::m_protocol;
        m_binding = Command::m_binding;
    }
    m_nodeinfo = Command::m_nodeinfo;
    return AppResult::Success;
}

namespace {

// The window needs only three outcomes: not a firmware image, or the image did not do.
AppResult ImageResult(ElfEditorResult result, AppResult otherwise) {
    return result == ElfEditorResult::ErrUnsupported ? AppResult::ErrElfFormat : otherwise;
}

}  // namespace

AppResult TormelApp::Load(const std::string& fileName) {
    if (m_core.Status() != AppStatus::Idle) {
        return AppResult::ErrStatus;
    }
    m_editor.FileName(fileName);
    if (const ElfEditorResult opened = m_editor.Open(); opened != ElfEditorResult::Success) {
        return ImageResult(opened, AppResult::ErrElfLoad);
    }
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
    m_protocol = m_editor.ProtocolConfig();
    return AppResult::Success;
}

AppResult TormelApp::Store(const std::string& fileName) {
    if (m_core.Status() != AppStatus::Idle) {
        return AppResult::ErrStatus;
    }
    m_editor.FileName(fileName);
    if (const ElfEditorResult opened = m_editor.Open(); opened != ElfEditorResult::Success) {
        return ImageResult(opened, AppResult::ErrElfStore);
    }
    m_editor.CommunicationConfig(m_communication);
    m_editor.NodeinfoConfig(m_nodeinfo);
    m_editor.ProtocolConfig(m_protocol);
    const ElfEditorResult stored = m_editor.Store();
    const ElfEditorResult closed = m_editor.Close();
    if (stored != ElfEditorResult::Success || closed != ElfEditorResult::Success) {
        return AppResult::ErrElfStore;
    }
    return AppResult::Success;
}

}  // namespace Tormel::Domain::App
