// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "gui/AboutSoft.h"
#include "gui/ChoseForm.h"
#include "gui/ErrMsg.h"
#include "gui/Startup.h"
#include "gui/support/ToolkitRecorder.h"

using namespace Tormel::Gui;
using Tormel::ChoseForm;

namespace {

// Every window and dialog reads the culture when it is built.
class Culture {
  public:
    explicit Culture(const char* locale) { ::setenv("LC_ALL", locale, 1); }
    ~Culture() { ::unsetenv("LC_ALL"); }
};

template <typename T>
T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString labelText(QObject& parent, const char* name) {
    auto* label = child<QLabel>(parent, name);
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

}  // namespace

TEST(ChoseForm, ShowsItsFixedJapaneseTextsInEveryLanguage) {
    Culture culture("en_US.UTF-8");
    ChoseForm form;
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Pelnixモデム設定"));
    EXPECT_EQ(child<QGroupBox>(form, "groupBox1")->title(), QStringLiteral("機器選択"));
    auto* rs485 = child<QRadioButton>(form, "radioButton1");
    EXPECT_EQ(rs485->text(), QStringLiteral("TX-710A/TX-910A"));
    EXPECT_TRUE(rs485->isChecked());
    EXPECT_EQ(child<QRadioButton>(form, "radioButton2")->text(), QStringLiteral("TX-330"));
    EXPECT_EQ(labelText(form, "label1"), QStringLiteral("・RS485無線化ユニット"));
    EXPECT_EQ(labelText(form, "label2"), QStringLiteral("・接点入出力無線化ユニット"));
    EXPECT_EQ(child<QPushButton>(form, "button1")->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(form, "button2")->text(), QStringLiteral("終了"));

    const auto menus = form.menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("ヘルプ"));
    auto* about = child<QAction>(form, "Version_MenuItem");
    EXPECT_EQ(about->text().remove(QLatin1Char('&')), QStringLiteral("バージョン情報(A)"));
    EXPECT_EQ(about->shortcut(), QKeySequence(Qt::ALT | Qt::Key_A));
}

TEST(ChoseForm, OkOpensTheChosenFamilyModallyThenEnds) {
    Culture culture("ja_JP.UTF-8");
    struct Case {
        bool contactIo;
        const char* objectName;
        QString title;
    };
    const Case cases[] = {
        {false, "MainGUI", QStringLiteral("RS485無線化ユニット設定ツール Ver.5.2.1")},
        {true, "MainGUI_TX_330", QStringLiteral("接点入出力無線化ユニット設定ツール Ver.5.2.1")},
    };
    for (const Case& c : cases) {
        RecordingToolkit recorder;
        ToolkitOverride use(recorder);
        ChoseForm form;
        QSignalSpy closed(&form, &ChoseForm::closed);
        form.show();
        if (c.contactIo) {
            child<QRadioButton>(form, "radioButton2")->click();
        }
        bool chooserHiddenMeanwhile = false;
        recorder.onModal = [&](QWidget&) {
            chooserHiddenMeanwhile = !form.isVisible();
            return DialogResult::OK;
        };
        child<QPushButton>(form, "button1")->click();

        ASSERT_EQ(recorder.windows.size(), 1u) << c.objectName;
        EXPECT_EQ(recorder.windows[0].ObjectName, QString::fromLatin1(c.objectName));
        EXPECT_EQ(recorder.windows[0].Title, c.title);
        EXPECT_TRUE(chooserHiddenMeanwhile);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(recorder.boxes.empty());
    }
}

TEST(ChoseForm, QuitEndsWithoutAnyWindowAndAboutStaysOpen) {
    Culture culture("ja_JP.UTF-8");
    RecordingToolkit recorder;
    ToolkitOverride use(recorder);
    ChoseForm form;
    QSignalSpy closed(&form, &ChoseForm::closed);
    form.show();

    child<QAction>(form, "Version_MenuItem")->trigger();
    ASSERT_EQ(recorder.windows.size(), 1u);
    EXPECT_EQ(recorder.windows[0].ObjectName, QStringLiteral("AboutSoft"));
    EXPECT_EQ(recorder.windows[0].Title, QStringLiteral("Pelnixモデム設定ツールについて"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(closed.count(), 0);

    // Alt+A works without opening the menu first.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(recorder.windows.size(), 2u);
    EXPECT_EQ(recorder.windows[1].ObjectName, QStringLiteral("AboutSoft"));

    child<QPushButton>(form, "button2")->click();
    EXPECT_EQ(recorder.windows.size(), 2u);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST(AboutSoft, EnglishShowsVersionWithoutModelOrDocumentNumber) {
    {
        Culture culture("en_US.UTF-8");
        AboutSoft about;
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About RS485 Wireless Units Config Tool"));
        EXPECT_EQ(labelText(about, "lblModem"), QString());
        EXPECT_EQ(labelText(about, "lblVer"), QStringLiteral("Version"));
        EXPECT_EQ(labelText(about, "lblVerNum"), QStringLiteral("5.2.1"));
        EXPECT_EQ(labelText(about, "lblEditNum"), QString());
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    }
    Culture culture("ja_JP.UTF-8");
    AboutSoft about;
    EXPECT_EQ(labelText(about, "lblModem"), QStringLiteral("Pelnixモデム設定ツール"));
    EXPECT_EQ(labelText(about, "lblEditNum"), QStringLiteral("9R-4410-0377"));
}

TEST(ErrMsg, OnlyTheDiscardButtonAccepts) {
    Culture culture("en_US.UTF-8");
    {
        ErrMsg dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("RS485 Wireless Units Config Tool"));
        EXPECT_EQ(labelText(dialog, "lblMsg"), QStringLiteral("Settings have not been saved. OK?"));
        EXPECT_EQ(child<QPushButton>(dialog, "btnOK")->text(), QStringLiteral("Quit without saving."));
        EXPECT_EQ(child<QPushButton>(dialog, "btnCancel")->text(), QStringLiteral("Do not quit."));
        EXPECT_TRUE(child<QPushButton>(dialog, "btnCancel")->isDefault());
    }
    RecordingToolkit recorder;
    const auto press = [&recorder](const char* button) {
        recorder.onModal = [button](QWidget& window) {
            window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
            return DialogResult::None;
        };
        ErrMsg dialog;
        return recorder.showModal(dialog);
    };
    EXPECT_EQ(press("btnOK"), DialogResult::OK);
    EXPECT_EQ(press("btnCancel"), DialogResult::Cancel);
    recorder.onModal = [](QWidget& window) {
        static_cast<QDialog&>(window).reject();  // Escape or the close box
        return DialogResult::None;
    };
    ErrMsg dialog;
    EXPECT_EQ(recorder.showModal(dialog), DialogResult::Cancel);

    ToolkitOverride use(recorder);
    recorder.onModal = nullptr;
    recorder.windowAnswers = {DialogResult::OK, DialogResult::Cancel};
    EXPECT_TRUE(ErrMsg::confirmDiscard(nullptr));
    EXPECT_FALSE(ErrMsg::confirmDiscard(nullptr));
    EXPECT_FALSE(ErrMsg::confirmDiscard(nullptr));  // closed without an answer
    EXPECT_EQ(recorder.windows.back().ObjectName, QStringLiteral("ErrMsg"));
}

TEST(Startup, SecondInstanceIsRefusedWithAWarning) {
    Culture culture("ja_JP.UTF-8");
    RecordingToolkit recorder;
    ToolkitOverride use(recorder);

    EXPECT_FALSE(refuseSecondInstance({"bash", "pelnix-config"}, "pelnix-config"));
    EXPECT_FALSE(refuseSecondInstance({"pelnix-config", "pelnix-config"}, ""));  // own name unknown
    EXPECT_FALSE(refuseSecondInstance({"pelnix-config-old", "pelnix-config"}, "pelnix-config"));
    EXPECT_TRUE(recorder.boxes.empty());

    // Any process of that name counts, whatever program it really is.
    EXPECT_TRUE(refuseSecondInstance({"pelnix-config", "bash", "pelnix-config"}, "pelnix-config"));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].Text, QStringLiteral("本ソフトウェアでは複数同時起動はできません。"));
    EXPECT_EQ(recorder.boxes[0].Caption, QStringLiteral("RS485無線化ユニット設定ツール"));
    EXPECT_EQ(recorder.boxes[0].Buttons, MessageBoxButtons::OK);
    EXPECT_EQ(recorder.boxes[0].Icon, MessageBoxIcon::Warning);
}
