// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

namespace Tormel::Gui {

enum class UnitFamily { RS485, ContactIO };

// TEMPORARY: stands in for a family's main window until that window exists. It carries the
// window title the real one will have and a Quit button, so that the chooser's workflow can be
// used and tested end to end.
class MainWindowPlaceholder : public QDialog {
    Q_OBJECT
  public:
    explicit MainWindowPlaceholder(UnitFamily family, QWidget* parent = nullptr);
    UnitFamily family() const { return m_family; }

  private:
    UnitFamily m_family;
};

}  // namespace Tormel::Gui
