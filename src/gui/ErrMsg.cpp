// SPDX-License-Identifier: MIT
#include "gui/ErrMsg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/AboutSoft.h"
#include "gui/Toolkit.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

ErrMsg::ErrMsg(QWidget* parent, Msg caption) : QDialog(parent) {
    const StringTable strings;
    setObjectName(QStringLiteral("ErrMsg"));
    setWindowTitle(strings.getString(caption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    auto* lblMsg = new QLabel(strings.getString(Msg::UnsavedQuestion), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setMinimumWidth(320);
    layout->addWidget(lblMsg);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* btnOK = new QPushButton(strings.getString(Msg::QuitWithoutSaving), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    auto* btnCancel = new QPushButton(strings.getString(Msg::DoNotQuit), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setDefault(true);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    btnCancel->setFocus();

    applySmallDialogStyle(*this);
}

bool ErrMsg::confirmDiscard(QWidget* parent, Msg caption) {
    ErrMsg dialog(parent, caption);
    return toolkit().showModal(dialog) == DialogResult::OK;
}

}  // namespace Tormel::Gui
