// SPDX-License-Identifier: MIT
#include "domain/app/TormelApp.h"

#include <utility>

#include "domain/modem/Command.h"

namespace Tormel::Domain::App {

using Modem::Command;

TormelApp::TormelApp(Platform::BackgroundWorker::Dispatcher dispatcher)
    : Controller(
          std::move(dispatcher), m_editor,
          {Command::Connect, Command::ConnectAndRead, Command::Write, Command::InitWrite, Command::ReadAll}) {
}

TormelApp::~TormelApp() = default;

void TormelApp::HandOverOwn() {
    Command::m_protocol = m_protocol;
    Command::m_binding = m_binding;
}

void TormelApp::TakeBackOwn() {
    m_protocol = Command::m_protocol;
    m_binding = Command::m_binding;
}

// The image keeps only the bind type, and that is the image's own: the bindings stay.
void TormelApp::GiveOwnToEditor() { m_editor.ProtocolConfig(m_protocol); }

void TormelApp::TakeOwnFromEditor() { m_protocol = m_editor.ProtocolConfig(); }

}  // namespace Tormel::Domain::App
