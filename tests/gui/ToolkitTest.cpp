// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "gui/ChoseForm.h"
#include "gui/Toolkit.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"

using namespace Tormel::Gui;

namespace {

// Acts on the first modal window of type T as soon as it is up, the way a person would. Gives
// up after a few seconds and closes whatever is open, so a broken test fails instead of hanging.
template <typename T>
void whenModal(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    auto* tries = new int(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            act(*window);
            // A step that left its window open (or opened another box) fails instead of hanging.
            QTimer::singleShot(5000, [] {
                if (QWidget* left = QApplication::activeModalWidget()) {
                    ADD_FAILURE() << "a modal window stayed open: " << left->metaObject()->className();
                    left->close();
                }
            });
        } else if (++*tries > 1000) {
            timer->stop();
            ADD_FAILURE() << "no modal window appeared";
            if (QWidget* other = QApplication::activeModalWidget()) {
                other->close();
            }
        } else {
            return;
        }
        timer->deleteLater();
        delete tries;
    });
    timer->start();
}

// OK on a file dialog for the name now in its name box. The dialog's own OK also compares the
// name with the folder listing it fills in the background, which a loaded machine may not have
// finished; the toolkit's part (absolute name, suffix, working folder) is the same either way.
void acceptTyped(QFileDialog& dialog) { static_cast<QDialog&>(dialog).done(QDialog::Accepted); }

QAbstractButton* buttonOf(QMessageBox& box, QMessageBox::StandardButton which) { return box.button(which); }

}  // namespace

TEST(Toolkit, FileFiltersBecomeQtFilters) {
    EXPECT_EQ(toQtFileFilter(QStringLiteral("設定ファイル|*.xml")), QStringLiteral("設定ファイル (*.xml)"));
    EXPECT_EQ(toQtFileFilter(QStringLiteral("exe files(*.exe)|*.exe|all type of file(*.*)|*.*")),
              QStringLiteral("exe files(*.exe) (*.exe);;all type of file(*.*) (*)"));
    EXPECT_EQ(toQtFileFilter(QStringLiteral("images|*.elf;*.*")), QStringLiteral("images (*.elf *)"));
    EXPECT_EQ(toQtFileFilter(QStringLiteral("dotted|*.*.bak")), QStringLiteral("dotted (*.*.bak)"));
    EXPECT_EQ(toQtFileFilter(QStringLiteral("images|*.elf; *.hex;")), QStringLiteral("images (*.elf *.hex)"));
    // Nothing usable: no filter at all, so every file is offered.
    EXPECT_EQ(toQtFileFilter(QString()), QString());
    EXPECT_EQ(toQtFileFilter(QStringLiteral("only a description")), QString());
    EXPECT_EQ(toQtFileFilter(QStringLiteral("a|*.x|dangling")), QStringLiteral("a (*.x)"));
}

TEST(Toolkit, QtMessageBoxReportsTheButtonPressed) {
    whenModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("caption"));
        EXPECT_EQ(box.text(), QStringLiteral("question?"));
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        buttonOf(box, QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(toolkit().messageBox(QStringLiteral("question?"), QStringLiteral("caption"),
                                   MessageBoxButtons::OKCancel, MessageBoxIcon::Question),
              DialogResult::Cancel);

    whenModal<QMessageBox>([](QMessageBox& box) { buttonOf(box, QMessageBox::Ok)->click(); });
    EXPECT_EQ(toolkit().messageBox(QStringLiteral("q"), QStringLiteral("c"), MessageBoxButtons::OKCancel,
                                   MessageBoxIcon::Question),
              DialogResult::OK);

    // Closing a box that only has OK still means OK.
    whenModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(buttonOf(box, QMessageBox::Cancel), nullptr);
        box.reject();
    });
    EXPECT_EQ(toolkit().messageBox(QStringLiteral("bad"), QStringLiteral("c"), MessageBoxButtons::OK,
                                   MessageBoxIcon::Error),
              DialogResult::OK);

    // Details go behind the box's "Show Details" button; a plain box has none.
    whenModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.text(), QStringLiteral("no unit"));
        EXPECT_EQ(box.detailedText(), QStringLiteral("/dev/ttyS0: silent"));
        buttonOf(box, QMessageBox::Ok)->click();
    });
    EXPECT_EQ(
        toolkit().messageBoxWithDetails(QStringLiteral("no unit"), QStringLiteral("/dev/ttyS0: silent"),
                                        QStringLiteral("c"), MessageBoxButtons::OK, MessageBoxIcon::Error),
        DialogResult::OK);
    whenModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_TRUE(box.detailedText().isEmpty());
        buttonOf(box, QMessageBox::Ok)->click();
    });
    toolkit().messageBox(QStringLiteral("plain"), QStringLiteral("c"), MessageBoxButtons::OK,
                         MessageBoxIcon::Error);
}

TEST(Toolkit, QtModalWindowsReturnWhenClosed) {
    // The chooser's whole road with the real toolkit: OK, the family window, its Quit button.
    Tormel::ChoseForm form;
    form.show();
    whenModal<Tormel::Gui::MainGUI>([](Tormel::Gui::MainGUI& window) {
        EXPECT_EQ(window.objectName(), QStringLiteral("MainGUI"));
        window.findChild<QPushButton*>(QStringLiteral("btnStop"))->click();
    });
    form.findChild<QPushButton*>(QStringLiteral("button1"))->click();
    EXPECT_FALSE(form.isVisible());

    // A plain window (not a dialog) closed by its close box, and one that is destroyed.
    QWidget plain;
    QTimer::singleShot(20, &plain, &QWidget::close);
    EXPECT_EQ(toolkit().showModal(plain), DialogResult::Cancel);
    EXPECT_FALSE(plain.isVisible());

    auto* doomed = new QWidget;
    QTimer::singleShot(20, doomed, [doomed] { delete doomed; });
    EXPECT_EQ(toolkit().showModal(*doomed), DialogResult::Cancel);

    // Minimising hides a window on screen without closing it: the wait goes on until it closes.
    QWidget minimised;
    bool closedByUs = false;
    QTimer::singleShot(20, &minimised, &QWidget::showMinimized);
    QTimer::singleShot(100, &minimised, [&] {
        closedByUs = true;
        minimised.close();
    });
    EXPECT_EQ(toolkit().showModal(minimised), DialogResult::Cancel);
    EXPECT_TRUE(closedByUs);
    EXPECT_FALSE(minimised.isVisible());
}

TEST(Toolkit, QtFileDialogsGiveAbsoluteNamesAndOpenMovesTheWorkingFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString existing = folder.filePath(QStringLiteral("saved.xml"));
    QFile(existing).open(QIODevice::WriteOnly);
    const QString before = QDir::currentPath();

    FileDialogOptions open{QStringLiteral("Open"), QStringLiteral("設定ファイル|*.xml"), QString(),
                           folder.path()};
    whenModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Open"));
        EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("設定ファイル (*.xml)")});
        dialog.selectFile(existing);
        acceptTyped(dialog);
    });
    ASSERT_EQ(toolkit().openFileDialog(open), DialogResult::OK);
    EXPECT_EQ(open.FileName, existing);
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());

    // "All files" offers a firmware image without an extension, as the user sees the folder.
    const QString image = folder.filePath(QStringLiteral("firmware"));
    QFile(image).open(QIODevice::WriteOnly);
    FileDialogOptions firmware{QStringLiteral("Open"),
                               QStringLiteral("exe files(*.exe)|*.exe|all type of file(*.*)|*.*"), QString(),
                               folder.path()};
    whenModal<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectNameFilter(dialog.nameFilters().last());
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->nameFilters(), QStringList{QStringLiteral("*")});
        EXPECT_TRUE(QDir::match(model->nameFilters(), QStringLiteral("firmware")));
        dialog.selectFile(image);
        acceptTyped(dialog);
    });
    ASSERT_EQ(toolkit().openFileDialog(firmware), DialogResult::OK);
    EXPECT_EQ(firmware.FileName, image);

    // A name typed without extension gets the filter's; Cancel leaves the preset alone.
    FileDialogOptions save{QStringLiteral("Save"), QStringLiteral("設定ファイル|*.xml"),
                           QStringLiteral("config.xml"), folder.path()};
    whenModal<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(folder.filePath(QStringLiteral("site-b")));
        acceptTyped(dialog);
    });
    ASSERT_EQ(toolkit().saveFileDialog(save), DialogResult::OK);
    EXPECT_EQ(save.FileName, folder.filePath(QStringLiteral("site-b.xml")));

    FileDialogOptions cancelled = save;
    whenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(toolkit().saveFileDialog(cancelled), DialogResult::Cancel);
    EXPECT_EQ(cancelled.FileName, save.FileName);
    QDir::setCurrent(before);
}

TEST(RecordingToolkit, AnswersFromItsQueuesAndKeepsEveryBox) {
    RecordingToolkit recorder;
    ToolkitOverride use(recorder);
    recorder.boxAnswers = {DialogResult::Cancel, DialogResult::Cancel};

    // An OK-only box cannot answer Cancel, but it still takes its queued answer.
    EXPECT_EQ(toolkit().messageBox("a", "c", MessageBoxButtons::OK, MessageBoxIcon::Error), DialogResult::OK);
    EXPECT_EQ(toolkit().messageBox("b", "c", MessageBoxButtons::OKCancel, MessageBoxIcon::Question),
              DialogResult::Cancel);
    EXPECT_EQ(toolkit().messageBox("c", "c", MessageBoxButtons::OKCancel, MessageBoxIcon::Question),
              DialogResult::OK);
    EXPECT_EQ(recorder.boxTexts(), (std::vector<QString>{"a", "b", "c"}));
    EXPECT_EQ(recorder.boxes[1].Icon, MessageBoxIcon::Question);
    EXPECT_EQ(toolkit().messageBoxWithDetails("d", "why", "c", MessageBoxButtons::OK, MessageBoxIcon::Error),
              DialogResult::OK);
    EXPECT_EQ(recorder.boxes.back().Details, QStringLiteral("why"));
    EXPECT_TRUE(recorder.boxes[0].Details.isEmpty());

    QTemporaryDir folder;
    const QString before = QDir::currentPath();
    recorder.fileAnswers = {std::nullopt, folder.filePath(QStringLiteral("x.xml"))};
    FileDialogOptions options{
        QStringLiteral("t"), QStringLiteral("f|*.xml"), QStringLiteral("preset.xml"), {}};
    EXPECT_EQ(toolkit().openFileDialog(options), DialogResult::Cancel);
    EXPECT_EQ(options.FileName, QStringLiteral("preset.xml"));
    EXPECT_EQ(toolkit().openFileDialog(options), DialogResult::OK);
    EXPECT_EQ(options.FileName, folder.filePath(QStringLiteral("x.xml")));
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(toolkit().saveFileDialog(options), DialogResult::Cancel);  // queue empty
    ASSERT_EQ(recorder.fileDialogs.size(), 3u);
    EXPECT_EQ(recorder.fileDialogs[0].Options.FileName, QStringLiteral("preset.xml"));
    EXPECT_TRUE(recorder.fileDialogs[2].Save);
    QDir::setCurrent(before);
}
