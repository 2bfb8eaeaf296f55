// SPDX-License-Identifier: MIT
#include "gui/support/ToolkitRecorder.h"

#include <QDialog>
#include <QWidget>

namespace Tormel::Gui {

DialogResult RecordingToolkit::showModal(QWidget& window) {
    windows.push_back(
        {QString::fromLatin1(window.metaObject()->className()), window.objectName(), window.windowTitle()});
    if (onModal) {
        const DialogResult result = onModal(window);
        if (result != DialogResult::None) {
            return result;
        }
        // The handler may have pressed one of the dialog's own buttons instead of answering.
        if (auto* dialog = qobject_cast<QDialog*>(&window)) {
            return dialog->result() == QDialog::Accepted ? DialogResult::OK : DialogResult::Cancel;
        }
        return DialogResult::Cancel;
    }
    if (windowAnswers.empty()) {
        return DialogResult::Cancel;
    }
    const DialogResult answer = windowAnswers.front();
    windowAnswers.pop_front();
    return answer;
}

void RecordingToolkit::clear() {
    BoxRecordingToolkit::clear();
    windows.clear();
    windowAnswers.clear();
}

}  // namespace Tormel::Gui
