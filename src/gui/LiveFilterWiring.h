// SPDX-License-Identifier: MIT
#pragma once

#include "settings/ErrCheck.h"

class QLineEdit;

namespace Tormel::Gui {

// Puts a live filter on a text box: its width becomes the box's maximum length, every user
// edit (typed or pasted) runs ErrCheck::checkTextBox with the box's allowed characters, and a
// text the program puts into the box becomes the text a rejected edit falls back to.
void attachLiveFilter(QLineEdit* box, ErrCheck& check, const LiveFilter& filter);

}  // namespace Tormel::Gui
