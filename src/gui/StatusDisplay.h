// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace Tormel::Gui {

class StringTable;

enum class ConnectionState { Disconnected, Connecting, Writing, Connected };

// The connection state shown by text and background colour in a window's status box, with the
// software-name box beside it. Both main windows show their state through one of these.
class StatusDisplay {
  public:
    StatusDisplay(QLineEdit& stateBox, QLineEdit& softwareNameBox, const StringTable& strings);

    // Connected shows "Connected(ttyUSB0)": the port's short name, with the full path (device or
    // virtual-port link) in the box's tooltip. Disconnected also empties the software-name box.
    void show(ConnectionState state, const QString& portPath = {});
    ConnectionState state() const { return m_state; }

    // "/dev/ttyUSB0" -> "ttyUSB0"; a virtual port's link keeps its link name.
    static QString shortPortName(const QString& portPath);

  private:
    QLineEdit& m_stateBox;
    QLineEdit& m_softwareNameBox;
    const StringTable& m_strings;
    ConnectionState m_state = ConnectionState::Disconnected;
};

}  // namespace Tormel::Gui
