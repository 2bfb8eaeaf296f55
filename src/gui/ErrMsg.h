// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

namespace Tormel::Gui {

// Asks before a main window closes with settings that were not applied. Accepted (OK) means
// "quit and drop the changes", rejected (Cancel) means "stay". Escape and the close box keep the
// window open, and so does Enter, since dropping a technician's edits must be a deliberate choice.
class ErrMsg : public QDialog {
    Q_OBJECT
  public:
    explicit ErrMsg(QWidget* parent = nullptr);

    // Shows the question modally through toolkit(); true when the user chose to drop the changes.
    static bool confirmDiscard(QWidget* parent);
};

}  // namespace Tormel::Gui
