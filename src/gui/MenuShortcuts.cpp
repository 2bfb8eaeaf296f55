// SPDX-License-Identifier: MIT
#include "gui/MenuShortcuts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QWidget>

#include "settings/StringTable.h"

namespace Tormel::Gui {

namespace {

// "Set(Y)" -> "Set(&Y)"; a text without a bracketed letter at its end only has its "&" doubled.
QString withMnemonic(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    static const QRegularExpression letterAtEnd(QStringLiteral("\\(([A-Za-z])\\)$"));
    return escaped.replace(letterAtEnd, QStringLiteral("(&\\1)"));
}

}  // namespace

QMenu* addMnemonicMenu(QMenuBar& bar, const QString& title, QChar letter, const StringTable& strings,
                       const QString& objectName) {
    QString text = title;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    const qsizetype at = text.indexOf(letter, 0, Qt::CaseInsensitive);
    if (strings.isJapanese() || at < 0) {
        text += QStringLiteral("(&") + letter + QLatin1Char(')');
    } else {
        text.insert(at, QLatin1Char('&'));
    }
    QMenu* menu = bar.addMenu(text);
    menu->setObjectName(objectName);
    menu->menuAction()->setObjectName(objectName);
    return menu;
}

QAction* addMenuItem(QWidget& window, QMenu& menu, const QString& text, const QString& objectName,
                     const QKeySequence& shortcut) {
    QAction* action = menu.addAction(withMnemonic(text));
    action->setObjectName(objectName);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    return action;
}

}  // namespace Tormel::Gui
