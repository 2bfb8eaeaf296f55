// SPDX-License-Identifier: MIT
#include "gui/ChoseForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

#include "gui/AboutSoft.h"
#include "gui/Toolkit.h"
#include "gui/rs485/MainGUI.h"
#include "gui/tx330/MainGUI_TX_330.h"

namespace Tormel {

ChoseForm::ChoseForm(QWidget* parent)
    : QMainWindow(parent),
      m_createRs485([](QWidget* p) { return std::make_unique<Gui::MainGUI>(p); }),
      m_createContactIo([](QWidget* p) { return std::make_unique<Gui::MainGUI_TX_330>(p); }) {
    setObjectName(QStringLiteral("ChoseForm"));
    setWindowTitle(QStringLiteral("Pelnixモデム設定"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    // Every text here is Japanese. Naming a Japanese UI font first spares the font system a
    // per-character fallback search on a Latin default font, which is most of the start-up
    // time; without any of them the desktop's default font and its fallback still apply.
    QFont japanese = font();
    QStringList families{QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic"),
                         QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                         QStringLiteral("TakaoPGothic")};
    families << japanese.families();
    japanese.setFamilies(families);
    setFont(japanese);

    auto* help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    help->setObjectName(QStringLiteral("Help_MenuItem"));
    auto* version = help->addAction(QStringLiteral("バージョン情報(&A)"));
    version->setObjectName(QStringLiteral("Version_MenuItem"));
    version->setShortcut(QKeySequence(Qt::ALT | Qt::Key_A));
    version->setShortcutContext(Qt::WindowShortcut);
    // The shortcut must work while the menu is closed, so the action also lives on the window.
    addAction(version);
    connect(version, &QAction::triggered, this, &ChoseForm::Version_MenuItem_Click);

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(14, 10, 14, 12);

    auto* group = new QGroupBox(QStringLiteral("機器選択"), central);
    group->setObjectName(QStringLiteral("groupBox1"));
    auto* grid = new QGridLayout(group);
    radioButton1 = new QRadioButton(QStringLiteral("TX-710A/TX-910A"), group);
    radioButton1->setObjectName(QStringLiteral("radioButton1"));
    radioButton1->setChecked(true);
    auto* label1 = new QLabel(QStringLiteral("・RS485無線化ユニット"), group);
    label1->setObjectName(QStringLiteral("label1"));
    radioButton2 = new QRadioButton(QStringLiteral("TX-330"), group);
    radioButton2->setObjectName(QStringLiteral("radioButton2"));
    auto* label2 = new QLabel(QStringLiteral("・接点入出力無線化ユニット"), group);
    label2->setObjectName(QStringLiteral("label2"));
    grid->addWidget(radioButton1, 0, 0);
    grid->addWidget(label1, 0, 1);
    grid->addWidget(radioButton2, 1, 0);
    grid->addWidget(label2, 1, 1);
    grid->setColumnStretch(1, 1);
    outer->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* button1 = new QPushButton(QStringLiteral("OK"), central);
    button1->setObjectName(QStringLiteral("button1"));
    button1->setDefault(true);
    auto* button2 = new QPushButton(QStringLiteral("終了"), central);
    button2->setObjectName(QStringLiteral("button2"));
    buttons->addWidget(button1);
    buttons->addWidget(button2);
    outer->addLayout(buttons);
    connect(button1, &QPushButton::clicked, this, &ChoseForm::button1_Click);
    connect(button2, &QPushButton::clicked, this, &ChoseForm::button2_Click);

    setCentralWidget(central);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

ChoseForm::~ChoseForm() = default;

void ChoseForm::setMainWindowFactories(MainWindowFactory rs485, MainWindowFactory contactIo) {
    m_createRs485 = std::move(rs485);
    m_createContactIo = std::move(contactIo);
}

void ChoseForm::button1_Click() {
    const MainWindowFactory* create = nullptr;
    if (radioButton1->isChecked()) {
        create = &m_createRs485;
    } else if (radioButton2->isChecked()) {
        create = &m_createContactIo;
    }
    if (create == nullptr || !*create) {
        return;
    }

    hide();
    {
        std::unique_ptr<QWidget> window = (*create)(this);
        if (window) {
            Gui::toolkit().showModal(*window);
        }
    }
    close();
}

void ChoseForm::button2_Click() { close(); }

void ChoseForm::Version_MenuItem_Click() {
    Gui::AboutSoft about(this);
    Gui::toolkit().showModal(about);
}

void ChoseForm::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_closedSent) {
        m_closedSent = true;
        emit closed();
    }
}

}  // namespace Tormel
