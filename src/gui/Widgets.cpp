// SPDX-License-Identifier: MIT
#include "gui/Widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Tormel::Gui::Widgets {

QString indexedName(const char* stem, int n, int width) {
    return QString::fromLatin1(stem) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

QLabel* label(QWidget* parent, const char* objectName, const QString& text) {
    return named(new QLabel(text, parent), objectName);
}

QLineEdit* textBox(QWidget* parent, const char* objectName, int pixels) {
    auto* box = named(new QLineEdit(parent), objectName);
    box->setFixedWidth(pixels);
    return box;
}

QLineEdit* digitBox(QWidget* parent, const char* objectName, int digits) {
    auto* box = named(new QLineEdit(parent), objectName);
    const int charWidth = box->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    box->setFixedWidth(charWidth * (digits + 2) + 8);
    return box;
}

QComboBox* combo(QWidget* parent, const char* objectName, const QStringList& items) {
    auto* box = named(new QComboBox(parent), objectName);
    box->addItems(items);
    return box;
}

QPushButton* button(QWidget* parent, const char* objectName, const QString& text, int minimumWidth) {
    auto* b = named(new QPushButton(text, parent), objectName);
    b->setAutoDefault(false);
    if (minimumWidth > 0) {
        b->setMinimumWidth(minimumWidth);
    }
    return b;
}

}  // namespace Tormel::Gui::Widgets
