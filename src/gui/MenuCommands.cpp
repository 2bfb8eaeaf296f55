// SPDX-License-Identifier: MIT
#include "gui/MenuCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace Tormel::Gui {

QMenu* addMnemonicMenu(QMenuBar& bar, const QString& title, QChar letter, const char* objectName) {
    QString text = title;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const auto at = text.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0) {
        text.insert(at, QLatin1Char('&'));
    } else {
        text += QStringLiteral("(&") + letter.toUpper() + QLatin1Char(')');
    }
    QMenu* menu = bar.addMenu(text);
    menu->setObjectName(QString::fromLatin1(objectName));
    menu->menuAction()->setObjectName(QString::fromLatin1(objectName));
    return menu;
}

QAction* addMenuCommand(QWidget& window, QMenu& menu, const QString& text, const char* objectName,
                        const QKeySequence& shortcut) {
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* action = menu.addAction(shown);
    action->setObjectName(QString::fromLatin1(objectName));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    return action;
}

}  // namespace Tormel::Gui
