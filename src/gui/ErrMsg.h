// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "settings/StringTable.h"

namespace Tormel::Gui {

// Asks before a main window closes with settings that were not applied. Accepted (OK) means
// "quit and drop the changes", rejected (Cancel) means "stay". Escape and the close box keep the
// window open, and so does Enter, since dropping a technician's edits must be a deliberate choice.
class ErrMsg : public QDialog {
    Q_OBJECT
  public:
    // `caption` names the tool whose window asks (the RS485 tool unless a window says so).
    explicit ErrMsg(QWidget* parent = nullptr, Msg caption = Msg::Rs485ToolTitle);

    // Shows the question modally through toolkit(); true when the user chose to drop the changes.
    static bool confirmDiscard(QWidget* parent, Msg caption = Msg::Rs485ToolTitle);
};

}  // namespace Tormel::Gui
