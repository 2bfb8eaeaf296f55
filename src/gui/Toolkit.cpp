// SPDX-License-Identifier: MIT
#include "gui/Toolkit.h"

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <utility>

namespace Tormel::Gui {

namespace {

// Ends a nested event loop when the watched window is hidden (closing hides it) or destroyed.
// Minimising also sends a hide event, but the window stays visible in Qt's sense and is still
// open, so that one must not end the wait.
class CloseWatcher : public QObject {
  public:
    CloseWatcher(QWidget& window, QEventLoop& loop) : m_window(window), m_loop(loop) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Destroy || (event->type() == QEvent::Hide && !m_window.isVisible())) {
            m_loop.quit();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget& m_window;
    QEventLoop& m_loop;
};

// The first pattern of the first filter entry as a default suffix ("*.xml" -> "xml"), so that a
// name typed without extension still gets the type the dialog offers.
QString defaultSuffix(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) {
        return {};
    }
    const QString first = parts[1].split(QLatin1Char(';')).first().trimmed();
    if (!first.startsWith(QLatin1String("*."))) {
        return {};
    }
    QString suffix = first.mid(2);
    if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) {
        return {};
    }
    return suffix;
}

QMessageBox::Icon qtIcon(MessageBoxIcon icon) {
    static constexpr std::pair<MessageBoxIcon, QMessageBox::Icon> kIcons[] = {
        {MessageBoxIcon::Information, QMessageBox::Information},
        {MessageBoxIcon::Warning, QMessageBox::Warning},
        {MessageBoxIcon::Error, QMessageBox::Critical},
        {MessageBoxIcon::Question, QMessageBox::Question}};
    for (const auto& [ours, qt] : kIcons) {
        if (ours == icon) {
            return qt;
        }
    }
    return QMessageBox::NoIcon;
}

class QtToolkit final : public Toolkit {
  public:
    DialogResult messageBox(const QString& text, const QString& caption, MessageBoxButtons buttons,
                            MessageBoxIcon icon, QWidget* parent) override {
        return messageBoxWithDetails(text, QString(), caption, buttons, icon, parent);
    }

    DialogResult messageBoxWithDetails(const QString& text, const QString& details, const QString& caption,
                                       MessageBoxButtons buttons, MessageBoxIcon icon,
                                       QWidget* parent) override {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        if (!details.isEmpty()) {
            box.setDetailedText(details);
        }
        box.setIcon(qtIcon(icon));
        if (buttons == MessageBoxButtons::OKCancel) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
        }
        const int pressed = box.exec();
        if (buttons == MessageBoxButtons::OK) {
            return DialogResult::OK;
        }
        return pressed == QMessageBox::Ok ? DialogResult::OK : DialogResult::Cancel;
    }

    DialogResult openFileDialog(FileDialogOptions& options, QWidget* parent) override {
        return runFileDialog(options, parent, false);
    }

    DialogResult saveFileDialog(FileDialogOptions& options, QWidget* parent) override {
        return runFileDialog(options, parent, true);
    }

    DialogResult showModal(QWidget& window) override {
        if (auto* dialog = qobject_cast<QDialog*>(&window)) {
            return dialog->exec() == QDialog::Accepted ? DialogResult::OK : DialogResult::Cancel;
        }

        QEventLoop loop;
        QPointer<QWidget> guard(&window);
        CloseWatcher watcher(window, loop);
        window.setWindowModality(Qt::ApplicationModal);
        window.show();
        if (guard && guard->isVisible()) {
            loop.exec(QEventLoop::DialogExec);
        }
        if (guard) {
            guard->removeEventFilter(&watcher);
        }
        return DialogResult::Cancel;
    }

    bool isShiftKeyDown() const override {
        return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    }

  private:
    static DialogResult runFileDialog(FileDialogOptions& options, QWidget* parent, bool save) {
        QString folder = options.InitialDirectory;
        if (folder.isEmpty()) {
            const QFileInfo preset(options.FileName);
            folder =
                options.FileName.contains(QLatin1Char('/')) ? preset.absolutePath() : QDir::currentPath();
        }
        QFileDialog dialog(parent, options.Title, folder, toQtFileFilter(options.Filter));
        if (save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(defaultSuffix(options.Filter));
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (!options.FileName.isEmpty()) {
            dialog.selectFile(QFileInfo(options.FileName).fileName());
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return DialogResult::Cancel;
        }
        const QFileInfo chosen(dialog.selectedFiles().first());
        options.FileName = chosen.absoluteFilePath();
        if (!save) {
            QDir::setCurrent(chosen.absolutePath());
        }
        return DialogResult::OK;
    }
};

QtToolkit& qtToolkit() {
    static QtToolkit instance;
    return instance;
}

}  // namespace

void useQtToolkit() { setDefaultToolkit(qtToolkit()); }

QColor namedColor(NamedColor color) {
    // The fixed colours, as 0xRRGGBB; the system ones follow the palette.
    constexpr std::pair<NamedColor, QRgb> kFixed[] = {
        {NamedColor::Gainsboro, 0xDCDCDC}, {NamedColor::LightGoldenrodYellow, 0xFAFAD2},
        {NamedColor::Pink, 0xFFC0CB},      {NamedColor::PaleGreen, 0x98FB98},
        {NamedColor::White, 0xFFFFFF},     {NamedColor::Black, 0x000000}};
    for (const auto& [named, rgb] : kFixed) {
        if (named == color) return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
    }
    switch (color) {
        case NamedColor::Control:
            return QGuiApplication::palette().color(QPalette::Window);
        case NamedColor::ControlText:
            return QGuiApplication::palette().color(QPalette::WindowText);
        case NamedColor::Window:
            return QGuiApplication::palette().color(QPalette::Base);
        case NamedColor::WindowText:
            return QGuiApplication::palette().color(QPalette::Text);
        default:
            return {};
    }
}

QString toQtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (trimmed.isEmpty()) {
                continue;
            }
            // "*.*" means every file, as on the system the filters were written for; here it
            // would hide every name without a dot, firmware images among them.
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty()) {
            continue;
        }
        entries << parts[i].trimmed() + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QLatin1String(";;"));
}

}  // namespace Tormel::Gui
