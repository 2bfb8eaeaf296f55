// SPDX-License-Identifier: MIT
#include "settings/Toolkit.h"

#include <cstdio>

namespace Tormel::Gui {

namespace {

// Programs without windows still run the record checks that report through message boxes; they
// see each box as a line on the standard error stream and never agree to a question.
class ConsoleToolkit final : public Toolkit {
  public:
    DialogResult messageBox(const QString& text, const QString& caption, MessageBoxButtons buttons,
                            MessageBoxIcon /*icon*/, QWidget* /*parent*/) override {
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
        return buttons == MessageBoxButtons::OK ? DialogResult::OK : DialogResult::Cancel;
    }
    DialogResult openFileDialog(FileDialogOptions& /*options*/, QWidget* /*parent*/) override {
        return DialogResult::Cancel;
    }
    DialogResult saveFileDialog(FileDialogOptions& /*options*/, QWidget* /*parent*/) override {
        return DialogResult::Cancel;
    }
    DialogResult showModal(QWidget& /*window*/) override { return DialogResult::Cancel; }
    bool isShiftKeyDown() const override { return false; }
};

ConsoleToolkit& consoleToolkit() {
    static ConsoleToolkit instance;
    return instance;
}

Toolkit* g_default = nullptr;
Toolkit* g_current = nullptr;

}  // namespace

Toolkit& toolkit() {
    if (g_current != nullptr) {
        return *g_current;
    }
    return g_default != nullptr ? *g_default : consoleToolkit();
}

void setDefaultToolkit(Toolkit& toolkit) { g_default = &toolkit; }

ToolkitOverride::ToolkitOverride(Toolkit& replacement) : m_previous(g_current) { g_current = &replacement; }

ToolkitOverride::~ToolkitOverride() { g_current = m_previous; }

}  // namespace Tormel::Gui
