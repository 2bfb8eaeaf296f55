// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include "settings/ErrCheck.h"

class QLineEdit;

namespace Tormel::Gui {

// Puts a live filter on a text box: its width becomes the box's maximum length, every user
// edit (typed or pasted) runs ErrCheck::checkTextBox with the box's allowed characters, and a
// text the program puts into the box becomes the text a rejected edit falls back to.
void attachLiveFilter(QLineEdit* box, ErrCheck& check, const LiveFilter& filter);

// One run of the live filter on a box the user has edited: a refused text gives way to the
// slot's remembered text with the caret at its end. The box's modified mark is reset either
// way so that the next edit is noticed again.
void filterUserEdit(QLineEdit& box, ErrCheck& check, const QString& allowed, int slot);

// Refuses every typed character except the digits as the key is pressed; Backspace, Delete,
// cursor keys and shortcuts pass. Pasted text is not seen here: the form's check must still
// refuse a box that holds no number.
class DigitKeyFilter : public QObject {
  public:
    using QObject::QObject;
    // Installs a filter owned by `box`.
    static void install(QLineEdit& box);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace Tormel::Gui
