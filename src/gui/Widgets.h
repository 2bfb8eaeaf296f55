// SPDX-License-Identifier: MIT
#pragma once

// The few ways the windows make their controls. Every control carries the object name the
// manuals and the tests know it by; parent first, then the name, then what it shows.

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Tormel::Gui::Widgets {

template <class W>
W* named(W* widget, const QString& objectName) {
    widget->setObjectName(objectName);
    return widget;
}
template <class W>
W* named(W* widget, const char* objectName) {
    return named(widget, QString::fromLatin1(objectName));
}

// "txtEncryptionKey", 3, 2 -> "txtEncryptionKey03".
QString indexedName(const char* stem, int n, int width = 0);

QLabel* label(QWidget* parent, const char* objectName, const QString& text);
// A text box `pixels` wide.
QLineEdit* textBox(QWidget* parent, const char* objectName, int pixels);
// A text box wide enough for `digits` digits.
QLineEdit* digitBox(QWidget* parent, const char* objectName, int digits);
QComboBox* combo(QWidget* parent, const char* objectName, const QStringList& items);
// A button that Enter in a text box never presses.
QPushButton* button(QWidget* parent, const char* objectName, const QString& text, int minimumWidth = 0);

}  // namespace Tormel::Gui::Widgets
