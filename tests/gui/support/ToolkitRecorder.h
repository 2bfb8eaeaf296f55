// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "settings/support/BoxRecordingToolkit.h"

namespace Tormel::Gui {

// The recording toolkit of the window tests: boxes and file dialogs as BoxRecordingToolkit
// keeps them, plus every modal window, answered without showing it. Install it with
// ToolkitOverride.
class RecordingToolkit : public BoxRecordingToolkit {
  public:
    struct ShownWindow {
        QString ClassName;  // metaObject()->className(), e.g. "Tormel::Gui::ErrMsg"
        QString ObjectName;
        QString Title;
    };

    std::vector<ShownWindow> windows;

    // Called for each modal window while it is "open" (it is never really shown); its result is
    // the window's result. A handler that presses one of a dialog's own buttons instead may
    // return DialogResult::None: the dialog's accepted/rejected state then decides. Without a
    // handler the window is answered with windowAnswers, then Cancel.
    std::function<DialogResult(QWidget&)> onModal;
    std::deque<DialogResult> windowAnswers;

    DialogResult showModal(QWidget& window) override;
    void clear() override;
};

}  // namespace Tormel::Gui
