// SPDX-License-Identifier: MIT
// The live filter touches a text box, so it lives with the widgets; the rest of ErrCheck is
// shared with programs that have no windows.
#include <QLineEdit>

#include "settings/ErrCheck.h"

namespace Tormel::Gui {

void ErrCheck::checkTextBox(QLineEdit* textBox, const QString& text, const QString& aryCheck, int idx) {
    if (textBox == nullptr || idx < 0 || idx >= kSlots) {
        return;
    }
    if (allIn(text, aryCheck)) {
        m_oldStrList[idx] = text;
    } else {
        textBox->setText(m_oldStrList[idx]);
        textBox->deselect();
        textBox->setCursorPosition(static_cast<int>(m_oldStrList[idx].size()));
    }
    textBox->setModified(false);
}

}  // namespace Tormel::Gui
