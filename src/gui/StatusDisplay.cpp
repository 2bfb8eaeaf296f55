// SPDX-License-Identifier: MIT
#include "gui/StatusDisplay.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

#include "gui/Toolkit.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

StatusDisplay::StatusDisplay(QLineEdit& stateBox, QLineEdit& softwareNameBox, const StringTable& strings)
    : m_stateBox(stateBox), m_softwareNameBox(softwareNameBox), m_strings(strings) {}

QString StatusDisplay::shortPortName(const QString& portPath) { return QFileInfo(portPath).fileName(); }

void StatusDisplay::show(ConnectionState state, const QString& portPath) {
    m_state = state;
    QString text;
    NamedColor colour = NamedColor::Gainsboro;
    QString tooltip;
    switch (state) {
        case ConnectionState::Disconnected:
            text = m_strings.getString(Msg::StatusDisconnected);
            m_softwareNameBox.setText(m_strings.getString(Msg::Empty));
            break;
        case ConnectionState::Connecting:
            text = m_strings.getString(Msg::StatusConnecting);
            colour = NamedColor::LightGoldenrodYellow;
            break;
        case ConnectionState::Writing:
            text = m_strings.getString(Msg::StatusWriting);
            colour = NamedColor::Pink;
            break;
        case ConnectionState::Connected:
            text = m_strings.getString(Msg::StatusConnected) + QLatin1Char('(') + shortPortName(portPath) +
                   QLatin1Char(')');
            colour = NamedColor::PaleGreen;
            tooltip = portPath;
            break;
    }
    m_stateBox.setText(text);
    m_stateBox.setToolTip(tooltip);
    QPalette palette = m_stateBox.palette();
    palette.setColor(QPalette::Base, namedColor(colour));
    palette.setColor(QPalette::Text, namedColor(NamedColor::Black));
    m_stateBox.setPalette(palette);
}

}  // namespace Tormel::Gui
