// SPDX-License-Identifier: MIT
#include "gui/LiveFilterWiring.h"

#include <QLineEdit>

namespace Tormel::Gui {

void attachLiveFilter(QLineEdit* box, ErrCheck& check, const LiveFilter& filter) {
    if (box == nullptr) {
        return;
    }
    box->setMaxLength(filter.width);
    const QString allowed = QString::fromLatin1(filter.allowed);
    const int slot = filter.slot;
    QObject::connect(box, &QLineEdit::textEdited, box, [box, &check, allowed, slot](const QString& text) {
        if (box->isModified()) {
            check.checkTextBox(box, text, allowed, slot);
        }
    });
    // setText clears the modified mark, so this sees only what the program put in.
    QObject::connect(box, &QLineEdit::textChanged, box, [box, &check, slot](const QString& text) {
        if (!box->isModified()) {
            check.setRememberedText(slot, text);
        }
    });
    check.setRememberedText(slot, box->text());
}

}  // namespace Tormel::Gui
