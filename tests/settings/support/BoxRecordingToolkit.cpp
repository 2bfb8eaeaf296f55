// SPDX-License-Identifier: MIT
#include "settings/support/BoxRecordingToolkit.h"

#include <QDir>
#include <QFileInfo>

namespace Tormel::Gui {

DialogResult BoxRecordingToolkit::messageBox(const QString& text, const QString& caption,
                                             MessageBoxButtons buttons, MessageBoxIcon icon,
                                             QWidget* parent) {
    return messageBoxWithDetails(text, QString(), caption, buttons, icon, parent);
}

DialogResult BoxRecordingToolkit::messageBoxWithDetails(const QString& text, const QString& details,
                                                        const QString& caption, MessageBoxButtons buttons,
                                                        MessageBoxIcon icon, QWidget*) {
    boxes.push_back({text, caption, buttons, icon, details});
    if (onBox) {
        onBox(boxes.back());
    }
    DialogResult answer = defaultBoxAnswer;
    if (!boxAnswers.empty()) {
        answer = boxAnswers.front();
        boxAnswers.pop_front();
    }
    // A box with only OK can give nothing else, whatever was queued.
    if (buttons == MessageBoxButtons::OK) {
        return DialogResult::OK;
    }
    return answer == DialogResult::OK ? DialogResult::OK : DialogResult::Cancel;
}

DialogResult BoxRecordingToolkit::openFileDialog(FileDialogOptions& options, QWidget*) {
    return answerFile(false, options);
}

DialogResult BoxRecordingToolkit::saveFileDialog(FileDialogOptions& options, QWidget*) {
    return answerFile(true, options);
}

DialogResult BoxRecordingToolkit::answerFile(bool save, FileDialogOptions& options) {
    fileDialogs.push_back({save, options});
    if (fileAnswers.empty()) {
        return DialogResult::Cancel;
    }
    const std::optional<QString> answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (!answer) {
        return DialogResult::Cancel;
    }
    const QFileInfo chosen(*answer);
    options.FileName = chosen.absoluteFilePath();
    // Same as the real open dialog: the chosen folder becomes the working folder.
    if (!save) {
        QDir::setCurrent(chosen.absolutePath());
    }
    return DialogResult::OK;
}

DialogResult BoxRecordingToolkit::showModal(QWidget&) { return DialogResult::Cancel; }

std::vector<QString> BoxRecordingToolkit::boxTexts() const {
    std::vector<QString> texts;
    texts.reserve(boxes.size());
    for (const ShownBox& box : boxes) {
        texts.push_back(box.Text);
    }
    return texts;
}

void BoxRecordingToolkit::clear() {
    boxes.clear();
    fileDialogs.clear();
    boxAnswers.clear();
    fileAnswers.clear();
}

}  // namespace Tormel::Gui
