// SPDX-License-Identifier: MIT
#include "gui/MainWindowPlaceholder.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/StringTable.h"

namespace Tormel::Gui {

MainWindowPlaceholder::MainWindowPlaceholder(UnitFamily family, QWidget* parent)
    : QDialog(parent), m_family(family) {
    const StringTable strings;
    const QString tool = strings.getString(family == UnitFamily::RS485 ? 1 : 2);
    setObjectName(family == UnitFamily::RS485 ? QStringLiteral("MainGUI") : QStringLiteral("MainGUI_TX_330"));
    setWindowTitle(tool + QStringLiteral(" Ver.") + strings.getString(3));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(windowTitle(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    layout->addWidget(title);
    auto* btnStop = new QPushButton(strings.getString(155), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    layout->addWidget(btnStop, 0, Qt::AlignRight);
    connect(btnStop, &QPushButton::clicked, this, &QDialog::accept);
    resize(480, 200);
}

}  // namespace Tormel::Gui
