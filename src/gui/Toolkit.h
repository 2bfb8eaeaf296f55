// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QString>

#include "settings/Toolkit.h"

class QWidget;

namespace Tormel::Gui {

// Installs the Qt message boxes and file dialogs as the default toolkit.
void useQtToolkit();

// Colours the windows use by name; Control and Window follow the desktop's palette (the face
// of buttons and dialogs, the background of text boxes).
enum class NamedColor {
    Gainsboro,
    LightGoldenrodYellow,
    Pink,
    PaleGreen,
    White,
    Black,
    Control,
    ControlText,
    Window,
    WindowText,
};

QColor namedColor(NamedColor color);

// "desc|*.a;*.b|desc2|*.c" -> "desc (*.a *.b);;desc2 (*.c)", the form Qt's file dialogs take.
// A "*.*" pattern becomes "*", so that it offers files without an extension too.
QString toQtFileFilter(const QString& filter);

}  // namespace Tormel::Gui
