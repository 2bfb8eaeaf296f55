// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace Tormel::Gui {

class StringTable;

// Menus of the main windows. Alt+letter opens a menu; Japanese titles carry no letter, so
// the letter is shown in brackets after them ("ファイル(F)"), as Japanese desktop programs do.
QMenu* addMnemonicMenu(QMenuBar& bar, const QString& title, QChar letter, const StringTable& strings,
                       const QString& objectName);

// A menu item whose text ends in its letter in brackets ("Set(Y)"): the letter becomes the
// mnemonic inside the open menu, `shortcut` (if any) works while the menus are closed, since
// the action also lives on `window`.
QAction* addMenuItem(QWidget& window, QMenu& menu, const QString& text, const QString& objectName,
                     const QKeySequence& shortcut = {});

}  // namespace Tormel::Gui
