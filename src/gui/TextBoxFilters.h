// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QLineEdit;

namespace Tormel::Gui {

class ErrCheck;
struct LiveFilter;

// Runs the live filter of `box` on every edit of the user (typed or pasted; text the program
// sets is not filtered) and limits the box to the filter's width.
void attachLiveFilter(QLineEdit& box, ErrCheck& check, const LiveFilter& filter);

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
