// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "settings/Toolkit.h"

namespace Tormel::Gui {

// A toolkit that never waits for a person: it records every box, file dialog and modal window
// and answers from preset queues. Install it with ToolkitOverride.
class RecordingToolkit : public Toolkit {
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
    struct ShownWindow {
        QString ClassName;  // metaObject()->className(), e.g. "Tormel::Gui::ErrMsg"
        QString ObjectName;
        QString Title;
    };

    // Everything shown so far, in order.
    std::vector<ShownBox> boxes;
    std::vector<ShownFileDialog> fileDialogs;
    std::vector<ShownWindow> windows;

    // Answers, used front first. An empty queue answers a box with OK (Cancel for an OK/Cancel
    // box when defaultBoxAnswer says so), a file dialog with Cancel.
    std::deque<DialogResult> boxAnswers;
    DialogResult defaultBoxAnswer = DialogResult::OK;
    // A file name answers OK with that name (made absolute against the working folder);
    // std::nullopt answers Cancel.
    std::deque<std::optional<QString>> fileAnswers;
    // Called for each modal window while it is "open" (it is never really shown); its result is
    // the window's result. A handler that presses one of a dialog's own buttons instead may
    // return DialogResult::None: the dialog's accepted/rejected state then decides. Without a
    // handler the window is answered with windowAnswers, then Cancel.
    std::function<DialogResult(QWidget&)> onModal;
    // Called for each message box as it is shown, to look at the windows behind it.
    std::function<void(const ShownBox&)> onBox;
    std::deque<DialogResult> windowAnswers;

    bool shiftDown = false;

    DialogResult messageBox(const QString& text, const QString& caption, MessageBoxButtons buttons,
                            MessageBoxIcon icon, QWidget* parent = nullptr) override;
    DialogResult messageBoxWithDetails(const QString& text, const QString& details, const QString& caption,
                                       MessageBoxButtons buttons, MessageBoxIcon icon,
                                       QWidget* parent = nullptr) override;
    DialogResult openFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) override;
    DialogResult saveFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) override;
    DialogResult showModal(QWidget& window) override;
    bool isShiftKeyDown() const override { return shiftDown; }

    // The texts of all boxes shown, in order (handy for assertions).
    std::vector<QString> boxTexts() const;
    void clear();

  private:
    DialogResult answerFile(bool save, FileDialogOptions& options);
};

}  // namespace Tormel::Gui
