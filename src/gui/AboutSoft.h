// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

namespace Tormel::Gui {

// The About dialog: tool name, version and document number in the user's language.
class AboutSoft : public QDialog {
    Q_OBJECT
  public:
    explicit AboutSoft(QWidget* parent = nullptr);
};

// The window style shared by the small dialogs: fixed size, a close box but no minimise or
// maximise box, no icon, centred on the parent.
void applySmallDialogStyle(QDialog& dialog);

}  // namespace Tormel::Gui
