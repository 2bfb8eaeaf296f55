// SPDX-License-Identifier: MIT
#include "gui/support/ToolkitRecorder.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace Tormel::Gui {

DialogResult RecordingToolkit::messageBox(const QString& text, const QString& caption,
                                          MessageBoxButtons buttons, MessageBoxIcon icon, QWidget* parent) {
    return messageBoxWithDetails(text, QString(), caption, buttons, icon, parent);
}

DialogResult RecordingToolkit::messageBoxWithDetails(const QString& text, const QString& details,
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

DialogResult RecordingToolkit::openFileDialog(FileDialogOptions& options, QWidget*) {
    return answerFile(false, options);
}

DialogResult RecordingToolkit::saveFileDialog(FileDialogOptions& options, QWidget*) {
    return answerFile(true, options);
}

DialogResult RecordingToolkit::answerFile(bool save, FileDialogOptions& options) {
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

std::vector<QString> RecordingToolkit::boxTexts() const {
    std::vector<QString> texts;
    texts.reserve(boxes.size());
    for (const ShownBox& box : boxes) {
        texts.push_back(box.Text);
    }
    return texts;
}

void RecordingToolkit::clear() {
    boxes.clear();
    fileDialogs.clear();
    windows.clear();
    boxAnswers.clear();
    fileAnswers.clear();
    windowAnswers.clear();
}

}  // namespace Tormel::Gui
