// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace Tormel::Gui {

// A menu of the menu bar that Alt+letter opens. Japanese titles carry no Latin letter, so the
// letter is shown in parentheses after them ("ファイル(F)"), as Japanese desktop programs do;
// an English title gets the letter marked where it occurs.
QMenu* addMnemonicMenu(QMenuBar& bar, const QString& title, QChar letter, const char* objectName);

// A menu of the menu bar without an Alt letter: its title is shown as it is.
QMenu* addPlainMenu(QMenuBar& bar, const QString& title, const char* objectName);

// A menu command whose shortcut also works while its menu is closed: the action is added to
// the window as well, so the window's shortcut map knows it. A text ending in a letter in
// brackets ("Set(Y)") gets that letter as its key inside the open menu.
QAction* addMenuCommand(QWidget& window, QMenu& menu, const QString& text, const char* objectName,
                        const QKeySequence& shortcut = {});

}  // namespace Tormel::Gui
