// SPDX-License-Identifier: MIT
#include "gui/AboutSoft.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPixmap>

#include "settings/StringTable.h"

namespace Tormel::Gui {

void applySmallDialogStyle(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    // An empty pixmap keeps the desktop from putting the application icon in the title bar.
    QPixmap blank(1, 1);
    blank.fill(Qt::transparent);
    dialog.setWindowIcon(QIcon(blank));
    dialog.setModal(true);
    if (dialog.layout() != nullptr) {
        dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
}

AboutSoft::AboutSoft(QWidget* parent) : QDialog(parent) {
    const StringTable strings;
    setObjectName(QStringLiteral("AboutSoft"));
    setWindowTitle(strings.getString(Msg::AboutTitle));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(8);

    const auto addLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    layout->addWidget(addLabel("lblModem", strings.getString(Msg::AboutProductName)), 0, 0, 1, 2);
    layout->addWidget(addLabel("lblVer", QStringLiteral("Version")), 1, 0);
    layout->addWidget(addLabel("lblVerNum", strings.getString(Msg::ToolVersion)), 1, 1);
    layout->addWidget(addLabel("lblEditNum", strings.getString(Msg::PartNumber)), 2, 0, 1, 2);
    layout->setColumnMinimumWidth(1, 120);

    applySmallDialogStyle(*this);
}

}  // namespace Tormel::Gui
