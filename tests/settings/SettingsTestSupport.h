// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the settings tests: the culture switch and the golden documents.

#include <QByteArray>
#include <QFile>
#include <QString>

#include "support/ScopedCulture.h"

namespace Tormel::Gui::Testing {

inline QString goldenPath(const char* name) {
    return QStringLiteral(PELNIX_TEST_DIR "/golden/") + QLatin1String(name);
}

inline QByteArray readGolden(const char* name) {
    QFile f(goldenPath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace Tormel::Gui::Testing
