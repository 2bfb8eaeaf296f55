// SPDX-License-Identifier: MIT
#include "domain/app/TormelApp_TX330.h"

#include <utility>

#include "domain/modem/DidoCommand.h"
#include "domain/modem/WirelessCommand.h"

namespace Tormel::Domain::App {

using Firmware::ElfEditorResult_TX330;
using Modem::DidoCommand;
using Modem::TX330Command;
using Modem::WirelessCommand;

namespace {

AppResult_TX330 ToTx330(AppResult result) {
    return static_cast<AppResult_TX330>(static_cast<int32_t>(result));
}

AppResult_TX330 ImageResult(ElfEditorResult_TX330 result, AppResult_TX330 otherwise) {
    return result == ElfEditorResult_TX330::ErrUnsupported ? AppResult_TX330::ErrElfFormat : otherwise;
}

}  // namespace

TormelApp_TX330::TormelApp_TX330(Platform::BackgroundWorker::Dispatcher dispatcher)
    : m_core(std::move(dispatcher), std::shared_ptr<Platform::ISerialPort>(Platform::CreateSerialPort())) {}

TormelApp_TX330::~TormelApp_TX330() = default;

AppResult_TX330 TormelApp_TX330::Init() {
    if (m_core.Status() != AppStatus::Invalid) {
        return AppResult_TX330::Success;
    }
    if (m_editor.Init() != ElfEditorResult_TX330::Success) {
        return AppResult_TX330::ErrStatus;
    }
    m_core.Initialised();
    return AppResult_TX330::Success;
}

AppResult_TX330 TormelApp_TX330::End() {
    if (m_core.Status() == AppStatus::Invalid) {
        return AppResult_TX330::Success;
    }
    if (m_editor.End() != ElfEditorResult_TX330::Success) {
        return AppResult_TX330::ErrStatus;
    }
    m_core.Ended();
    return AppResult_TX330::Success;
}

AppResult_TX330 TormelApp_TX330::Connect(CompletedHandler handler) {
    return ToTx330(m_core.Start(
        Operation::Connecting, [this] { TX330Command::m_communication = m_communication; },
        [] { return TX330Command::Connect(); }, std::move(handler)));
}

AppResult_TX330 TormelApp_TX330::ConnectAndRead(CompletedHandler handler) {
    return ToTx330(m_core.Start(
        Operation::ConnectingAndReading, [this] { TX330Command::m_communication = m_communication; },
        [] { return TX330Command::ConnectAndRead(); }, std::move(handler)));
}

AppResult_TX330 TormelApp_TX330::Write(CompletedHandler handler) {
    auto handOver = [this] {
        TX330Command::m_communication = m_communication;
        TX330Command::m_nodeinfo = m_nodeinfo;
        WirelessCommand::WirelessinfoConfig(m_wirelessinfo);
        DidoCommand::DidoinfoConfig(m_didoinfo);
    };
    return ToTx330(m_core.Start(
        Operation::Writing, handOver, [] { return TX330Command::Write(); }, std::move(handler)));
}

AppResult_TX330 TormelApp_TX330::InitWrite(CompletedHandler handler) {
    auto handOver = [this] {
        TX330Command::m_communication = m_communication;
        TX330Command::m_nodeinfo = m_nodeinfo;
        WirelessCommand::WirelessinfoConfig(m_wirelessinfo);
        DidoCommand::DidoinfoConfig(m_didoinfo);
    };
    return ToTx330(m_core.Start(
        Operation::InitWriting, handOver, [] { return TX330Command::InitWrite(); }, std::move(handler)));
}

AppResult_TX330 TormelApp_TX330::Disconnect() { return ToTx330(m_core.Disconnect()); }

AppResult_TX330 TormelApp_TX330::Completed(AppCompletedCode code) {
    const std::optional<Operation> succeeded = m_core.Completed(code);
    if (!succeeded) {
        return AppResult_TX330::Success;
    }
    if (*succeeded == Operation::ConnectingAndReading) {
        m_communication = TX330Command::m_communication;
        m_wirelessinfo = WirelessCommand::WirelessinfoConfig();
        m_didoinfo = DidoCommand::DidoinfoConfig();
    }
    m_nodeinfo = TX330Command::m_nodeinfo;
    return AppResult_TX330::Success;
}

AppResult_TX330 TormelApp_TX330::Load(const std::string& fileName) {
    if (m_core.Status() != AppStatus::Idle) {
        return AppResult_TX330::ErrStatus;
    }
    m_editor.FileName(fileName);
    if (const ElfEditorResult_TX330 opened = m_editor.Open(); opened != ElfEditorResult_TX330::Success) {
        return ImageResult(opened, AppResult_TX330::ErrElfLoad);
    }
    const ElfEditorResult_TX330 loaded = m_editor.Load();
    const ElfEditorResult_TX330 closed = m_editor.Close();
    if (loaded != ElfEditorResult_TX330::Success) {
        return ImageResult(loaded, AppResult_TX330::ErrElfLoad);
    }
    // As for the RS485 unit: the records change only after a load that ended cleanly.
    if (closed != ElfEditorResult_TX330::Success) {
        return AppResult_TX330::ErrElfLoad;
    }
    // The editor reads only the line and node settings from an image; the radio and contact
    // records come back as the editor holds them.
    m_communication = m_editor.CommunicationConfig();
    m_nodeinfo = m_editor.NodeinfoConfig();
    m_wirelessinfo = m_editor.WirelessinfoConfig();
    m_didoinfo = m_editor.DidoinfoConfig();
    return AppResult_TX330::Success;
}

AppResult_TX330 TormelApp_TX330::Store(const std::string& fileName) {
    if (m_core.Status() != AppStatus::Idle) {
        return AppResult_TX330::ErrStatus;
    }
    m_editor.FileName(fileName);
    if (const ElfEditorResult_TX330 opened = m_editor.Open(); opened != ElfEditorResult_TX330::Success) {
        return ImageResult(opened, AppResult_TX330::ErrElfStore);
    }
    m_editor.CommunicationConfig(m_communication);
    m_editor.NodeinfoConfig(m_nodeinfo);
    m_editor.WirelessinfoConfig(m_wirelessinfo);
    m_editor.DidoinfoConfig(m_didoinfo);
    const ElfEditorResult_TX330 stored = m_editor.Store();
    const ElfEditorResult_TX330 closed = m_editor.Close();
    if (stored != ElfEditorResult_TX330::Success || closed != ElfEditorResult_TX330::Success) {
        return AppResult_TX330::ErrElfStore;
    }
    return AppResult_TX330::Success;
}

}  // namespace Tormel::Domain::App
