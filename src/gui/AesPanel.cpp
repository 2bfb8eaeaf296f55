// SPDX-License-Identifier: MIT
#include "gui/AesPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/LiveFilterWiring.h"
#include "gui/Widgets.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

using namespace Widgets;

AesPanel::AesPanel(const StringTable& strings, ErrCheck& check, const Titles& titles, Arrangement arrangement,
                   QWidget* parent)
    : QGroupBox(strings.getString(Msg::SecurityGroup), parent) {
    setObjectName(QStringLiteral("grpAESSecure"));
    chkAESSecure = named(new QCheckBox(QStringLiteral("暗号化"), this), "chkAESSecure");

    grpAESType = named(new QGroupBox(titles.typeGroup, this), "grpAESType");
    radAES128 = named(new QRadioButton(QStringLiteral("AES128"), grpAESType), "radAES128");
    radAES256 = named(new QRadioButton(QStringLiteral("AES256"), grpAESType), "radAES256");
    radAES128->setChecked(true);

    grpAESKey = named(new QGroupBox(titles.keyGroup, this), "grpAESKey");
    auto* keyGrid = new QGridLayout(grpAESKey);
    radAESKeyNotChange =
        named(new QRadioButton(QStringLiteral("AES暗号化キーを変更しない"), grpAESKey), "radAESKeyNotChange");
    radAESKeyChange =
        named(new QRadioButton(QStringLiteral("AES暗号化キーを変更する(設定値の書込みのみ)"), grpAESKey),
              "radAESKeyChange");
    radAESKeyInit =
        named(new QRadioButton(QStringLiteral("AES暗号化キー初期化"), grpAESKey), "radAESKeyInit");
    radAESKeyNotChange->setChecked(true);
    keyGrid->addWidget(radAESKeyNotChange, 0, 0, 1, 15);
    keyGrid->addWidget(radAESKeyChange, 1, 0, 1, 15);
    keyGrid->addWidget(radAESKeyInit, 2, 0, 1, 15);
    // Two lines of eight words: 1 to 8 are the AES128 key, 9 to 16 complete the AES256 key. The
    // fourteen separators sit between the words of a line.
    int separator = 0;
    for (int word = 1; word <= 16; ++word) {
        const int line = 3 + (word - 1) / 8;
        const int column = ((word - 1) % 8) * 2;
        QLineEdit* box = textBox(grpAESKey, "", 48);
        box->setObjectName(indexedName("txtEncryptionKey", word, 2));
        attachLiveFilter(box, check, LiveFilters::txtEncryptionKey(word));
        txtEncryptionKey[word - 1] = box;
        keyGrid->addWidget(box, line, column);
        if (word % 8 != 0) {
            QLabel* dash = label(grpAESKey, "", QStringLiteral("-"));
            dash->setObjectName(indexedName("lblEncKey", ++separator, 2));
            lblEncKey[separator - 1] = dash;
            keyGrid->addWidget(dash, line, column + 1);
        }
    }

    if (arrangement == Arrangement::SideBySide) {
        auto* typeColumn = new QVBoxLayout(grpAESType);
        typeColumn->addWidget(radAES128);
        typeColumn->addWidget(radAES256);
        auto* column = new QVBoxLayout(this);
        column->addWidget(chkAESSecure);
        auto* row = new QHBoxLayout;
        row->addWidget(grpAESType);
        row->addWidget(grpAESKey, 1);
        column->addLayout(row);
    } else {
        auto* typeRow = new QHBoxLayout(grpAESType);
        typeRow->addWidget(radAES128);
        typeRow->addWidget(radAES256);
        typeRow->addStretch(1);
        auto* grid = new QGridLayout(this);
        grid->addWidget(chkAESSecure, 0, 0);
        grid->addWidget(grpAESType, 1, 0);
        grid->addWidget(grpAESKey, 2, 0);
    }

    connect(chkAESSecure, &QCheckBox::toggled, this, &AesPanel::encryptionToggled);
    for (QRadioButton* r : {radAES128, radAES256, radAESKeyNotChange, radAESKeyChange, radAESKeyInit}) {
        connect(r, &QRadioButton::toggled, this, [this] { updateKeyBoxes(); });
    }
    setChoicesUsable(false);
}

bool AesPanel::encryptionOn() const { return chkAESSecure->isChecked(); }
void AesPanel::setEncryptionOn(bool on) { chkAESSecure->setChecked(on); }

AesType AesPanel::aesType() const { return radAES256->isChecked() ? AesType::AES256 : AesType::AES128; }
void AesPanel::setAesType(AesType type) {
    (type == AesType::AES256 ? radAES256 : radAES128)->setChecked(true);
}

AesKeySetting AesPanel::keyChoice() const {
    return radAESKeyInit->isChecked()     ? AesKeySetting::Init
           : radAESKeyChange->isChecked() ? AesKeySetting::Change
                                          : AesKeySetting::NotChange;
}

void AesPanel::setKeyChoice(AesKeySetting choice) {
    QRadioButton* button = choice == AesKeySetting::Init     ? radAESKeyInit
                           : choice == AesKeySetting::Change ? radAESKeyChange
                                                             : radAESKeyNotChange;
    button->setChecked(true);
}

std::array<QString, 16> AesPanel::keyWords() const {
    std::array<QString, 16> words;
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = txtEncryptionKey[i]->text();
    }
    return words;
}

void AesPanel::setKeyWords(const std::array<QString, 16>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        txtEncryptionKey[i]->setText(words[i]);
    }
}

void AesPanel::setChoicesOffered(bool offered) {
    grpAESType->setEnabled(offered);
    grpAESKey->setEnabled(offered);
}

void AesPanel::setChoicesUsable(bool usable) {
    for (QRadioButton* r : {radAES128, radAES256, radAESKeyNotChange, radAESKeyChange, radAESKeyInit}) {
        r->setEnabled(usable);
    }
    updateKeyBoxes();
}

void AesPanel::updateKeyBoxes() {
    // Key words are typed only for a key that is being changed: eight for AES128, sixteen for
    // AES256, with the separators between them.
    // The choice's own state counts, not its group's: the boxes are ready once the unit offers them.
    const bool change = radAESKeyChange->isChecked() && !radAESKeyChange->testAttribute(Qt::WA_ForceDisabled);
    const bool aes256 = radAES256->isChecked();
    for (std::size_t i = 0; i < txtEncryptionKey.size(); ++i) {
        txtEncryptionKey[i]->setEnabled(change && (i < 8 || aes256));
    }
    for (std::size_t i = 0; i < lblEncKey.size(); ++i) {
        lblEncKey[i]->setEnabled(change && (i < 7 || aes256));
    }
}

}  // namespace Tormel::Gui
