// SPDX-License-Identifier: MIT
#include "domain/app/TormelApp_TX330.h"

#include <utility>

#include "domain/modem/DidoCommand.h"
#include "domain/modem/TX330Command.h"
#include "domain/modem/WirelessCommand.h"

namespace Tormel::Domain::App {

using Modem::DidoCommand;
using Modem::TX330Command;
using Modem::WirelessCommand;

TormelApp_TX330::TormelApp_TX330(Platform::BackgroundWorker::Dispatcher dispatcher)
    : Controller(std::move(dispatcher), m_editor,
                 {TX330Command::Connect, TX330Command::ConnectAndRead, TX330Command::Write,
                  TX330Command::InitWrite, TX330Command::ReadAll}) {}

TormelApp_TX330::~TormelApp_TX330() = default;

void TormelApp_TX330::HandOverOwn() {
    WirelessCommand::WirelessinfoConfig(m_wirelessinfo);
    DidoCommand::DidoinfoConfig(m_didoinfo);
}

void TormelApp_TX330::TakeBackOwn() {
    m_wirelessinfo = WirelessCommand::WirelessinfoConfig();
    m_didoinfo = DidoCommand::DidoinfoConfig();
}

void TormelApp_TX330::GiveOwnToEditor() {
    m_editor.WirelessinfoConfig(m_wirelessinfo);
    m_editor.DidoinfoConfig(m_didoinfo);
}

// The editor reads only the line and node settings from an image; the radio and contact
// records come back as the editor holds them.
void TormelApp_TX330::TakeOwnFromEditor() {
    m_wirelessinfo = m_editor.WirelessinfoConfig();
    m_didoinfo = m_editor.DidoinfoConfig();
}

}  // namespace Tormel::Domain::App
