// SPDX-License-Identifier: MIT
#include "gui/MenuCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QWidget>

namespace Tormel::Gui {

namespace {

// "Set(Y)" -> "Set(&Y)": the letter in brackets at the end of a command's text also works
// inside the open menu. Any other "&" is shown as it is.
QString withMnemonic(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    static const QRegularExpression letterAtEnd(QStringLiteral("\\(([A-Za-z])\\)$"));
    return escaped.replace(letterAtEnd, QStringLiteral("(&\\1)"));
}

}  // namespace

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
    menu->setObjectName(QString::fromUtf8(objectName));
    menu->menuAction()->setObjectName(QString::fromUtf8(objectName));
    return menu;
}

QMenu* addPlainMenu(QMenuBar& bar, const QString& title, const char* objectName) {
    QString text = title;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QMenu* menu = bar.addMenu(text);
    menu->setObjectName(QString::fromUtf8(objectName));
    menu->menuAction()->setObjectName(QString::fromUtf8(objectName));
    return menu;
}

QAction* addMenuCommand(QWidget& window, QMenu& menu, const QString& text, const char* objectName,
                        const QKeySequence& shortcut) {
    QAction* action = menu.addAction(withMnemonic(text));
    action->setObjectName(QString::fromUtf8(objectName));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    return action;
}

}  // namespace Tormel::Gui
