// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "settings/Toolkit.h"

namespace Tormel::Gui {

// A toolkit for programs without windows that never waits for a person: it records every
// message box and file dialog and answers from preset queues. Install it with ToolkitOverride.
// The window tests' RecordingToolkit adds the modal windows to it.
class BoxRecordingToolkit : public Toolkit {
  public:
    struct ShownBox {
        QString Text;
        QString Caption;
        MessageBoxButtons Buttons;
        MessageBoxIcon Icon;
        QString Details;  // empty for a box shown without details
    };
    struct ShownFileDialog {
        bool Save;                  // false: open dialog
        FileDialogOptions Options;  // as the program passed them in
    };

    // Everything shown so far, in order.
    std::vector<ShownBox> boxes;
    std::vector<ShownFileDialog> fileDialogs;

    // Answers, used front first. An empty queue answers a box with OK (Cancel for an OK/Cancel
    // box when defaultBoxAnswer says so), a file dialog with Cancel.
    std::deque<DialogResult> boxAnswers;
    DialogResult defaultBoxAnswer = DialogResult::OK;
    // A file name answers OK with that name (made absolute against the working folder);
    // std::nullopt answers Cancel.
    std::deque<std::optional<QString>> fileAnswers;
    // Called for each message box as it is shown, to look at the windows behind it.
    std::function<void(const ShownBox&)> onBox;

    bool shiftDown = false;

    DialogResult messageBox(const QString& text, const QString& caption, MessageBoxButtons buttons,
                            MessageBoxIcon icon, QWidget* parent = nullptr) override;
    DialogResult messageBoxWithDetails(const QString& text, const QString& details, const QString& caption,
                                       MessageBoxButtons buttons, MessageBoxIcon icon,
                                       QWidget* parent = nullptr) override;
    DialogResult openFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) override;
    DialogResult saveFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) override;
    // Without windows there is nothing a modal window could ask: it is cancelled.
    DialogResult showModal(QWidget& window) override;
    bool isShiftKeyDown() const override { return shiftDown; }

    // The texts of all boxes shown, in order (handy for assertions).
    std::vector<QString> boxTexts() const;
    virtual void clear();

  private:
    DialogResult answerFile(bool save, FileDialogOptions& options);
};

}  // namespace Tormel::Gui
