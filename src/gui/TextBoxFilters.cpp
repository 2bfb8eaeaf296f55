// SPDX-License-Identifier: MIT
#include "gui/TextBoxFilters.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "settings/ErrCheck.h"

namespace Tormel::Gui {

void attachLiveFilter(QLineEdit& box, ErrCheck& check, const LiveFilter& filter) {
    box.setMaxLength(filter.width);
    const QString allowed = QString::fromLatin1(filter.allowed);
    const int slot = filter.slot;
    QLineEdit* target = &box;
    QObject::connect(&box, &QLineEdit::textEdited, &box,
                     [target, &check, allowed, slot](const QString& text) {
                         check.checkTextBox(target, text, allowed, slot);
                     });
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
