// SPDX-License-Identifier: MIT
#include "gui/LiveFilterWiring.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace Tormel::Gui {

void attachLiveFilter(QLineEdit* box, ErrCheck& check, const LiveFilter& filter) {
    if (box == nullptr) {
        return;
    }
    box->setMaxLength(filter.width);
    const QString allowed = QString::fromLatin1(filter.allowed);
    const int slot = filter.slot;
    QObject::connect(box, &QLineEdit::textEdited, box, [box, &check, allowed, slot] {
        if (box->isModified()) {
            filterUserEdit(*box, check, allowed, slot);
        }
    });
    // setText clears the modified mark, so this sees only what the program put in. The box's
    // own text is remembered, not the signal's: a refused edit is undone by a setText inside
    // textEdited, and the edit's own textChanged still follows with the refused text, which
    // would otherwise become the text the next refusal brings back.
    QObject::connect(box, &QLineEdit::textChanged, box, [box, &check, slot] {
        if (!box->isModified()) {
            check.setRememberedText(slot, box->text());
        }
    });
    check.setRememberedText(slot, box->text());
}

void filterUserEdit(QLineEdit& box, ErrCheck& check, const QString& allowed, int slot) {
    if (!check.checkTextBox(box.text(), allowed, slot)) {
        const QString kept = check.rememberedText(slot);
        box.setText(kept);
        box.deselect();
        box.setCursorPosition(static_cast<int>(kept.size()));
    }
    box.setModified(false);
}

void DigitKeyFilter::install(QLineEdit& box) { box.installEventFilter(new DigitKeyFilter(&box)); }

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const QString text = key->text();
        if (!command && !text.isEmpty() && text.at(0).isPrint()) {
            for (QChar c : text) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                    return true;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace Tormel::Gui
