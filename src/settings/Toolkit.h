// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace Tormel::Gui {

// The few window-toolkit operations that decide a workflow: modal message boxes, file dialogs,
// modal windows and the Shift-key state. Windows reach them through toolkit() so that tests can
// install a RecordingToolkit (ToolkitRecorder.h) that answers instead of a person and keeps every
// box that was shown.

enum class DialogResult { None, OK, Cancel };

enum class MessageBoxButtons { OK, OKCancel };

enum class MessageBoxIcon { None, Information, Warning, Error, Question };

// One open-file or save-file dialog. `Filter` is a list of description|pattern pairs separated by
// "|" ("設定ファイル|*.xml"); several patterns of one entry are separated by ";".
// `FileName` is the preset name on entry and the chosen path (absolute) after OK.
struct FileDialogOptions {
    QString Title;
    QString Filter;
    QString FileName;
    QString InitialDirectory;
};

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // A modal box; returns the button pressed (OK or Cancel). Closing an OK-only box counts as
    // OK, closing an OK/Cancel box counts as Cancel.
    virtual DialogResult messageBox(const QString& text, const QString& caption, MessageBoxButtons buttons,
                                    MessageBoxIcon icon, QWidget* parent = nullptr) = 0;

    // The same box with `details` that the person can unfold (the report behind the message).
    // A toolkit that has no place for them shows the plain box.
    virtual DialogResult messageBoxWithDetails(const QString& text, const QString& details,
                                               const QString& caption, MessageBoxButtons buttons,
                                               MessageBoxIcon icon, QWidget* parent = nullptr) {
        (void)details;
        return messageBox(text, caption, buttons, icon, parent);
    }

    // On OK, options.FileName holds the chosen file. A successful open also makes the chosen
    // file's folder the process's working folder, as later steps look for files there.
    virtual DialogResult openFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) = 0;
    virtual DialogResult saveFileDialog(FileDialogOptions& options, QWidget* parent = nullptr) = 0;

    // Shows `window` modally and returns when it has closed. A QDialog gives OK for accept() and
    // Cancel for reject(); any other window gives Cancel.
    virtual DialogResult showModal(QWidget& window) = 0;

    // Whether the Shift key is held down right now.
    virtual bool isShiftKeyDown() const = 0;
};

// The toolkit in use: one installed by a test, else the program's default (the Qt one once a
// window program called useQtToolkit(); before that, and in programs without windows, one that
// writes each box to the standard error stream and answers Cancel to every question).
Toolkit& toolkit();

// Makes `toolkit` the default that toolkit() returns when no override is installed.
void setDefaultToolkit(Toolkit& toolkit);

// Installs `replacement` as toolkit() for the lifetime of this object (tests).
class ToolkitOverride {
  public:
    explicit ToolkitOverride(Toolkit& replacement);
    ~ToolkitOverride();
    ToolkitOverride(const ToolkitOverride&) = delete;
    ToolkitOverride& operator=(const ToolkitOverride&) = delete;

  private:
    Toolkit* m_previous;
};

}  // namespace Tormel::Gui
