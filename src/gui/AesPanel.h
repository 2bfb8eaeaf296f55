// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <QString>
#include <array>
#include <cstdint>

#include "domain/common/Nodeinfo.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Tormel::Gui {

class ErrCheck;
class StringTable;

// The panel's choices as the node record carries them.
using AesType = Domain::Common::NodeinfoAESEncryptType;
using AesKeySetting = Domain::Common::NodeinfoAESEncryptKeySetting;

// The radio's AES encryption as both main windows offer it (the group grpAESSecure): on or off,
// AES128 or AES256, and whether the unit keeps its key, takes the sixteen words in the boxes, or
// resets it. The panel keeps its own rules (the key boxes follow the key choice and the key
// length); which choices a unit allows is the window's to say.
class AesPanel : public QGroupBox {
    Q_OBJECT
  public:
    // Type and key groups side by side (the RS485 window) or one under the other.
    enum class Arrangement { SideBySide, Stacked };
    struct Titles {
        QString typeGroup;
        QString keyGroup;
    };

    AesPanel(const StringTable& strings, ErrCheck& check, const Titles& titles, Arrangement arrangement,
             QWidget* parent);

    bool encryptionOn() const;
    void setEncryptionOn(bool on);
    AesType aesType() const;
    void setAesType(AesType type);
    // The key choice, whether or not it is usable.
    AesKeySetting keyChoice() const;
    void setKeyChoice(AesKeySetting choice);
    std::array<QString, 16> keyWords() const;
    void setKeyWords(const std::array<QString, 16>& words);

    // Whether the unit offers a choice of key length and key handling at all (the two inner
    // groups).
    void setChoicesOffered(bool offered);
    // The five choices are usable exactly when `usable`; while they are not, the key is to be
    // reset and no key word can be typed.
    void setChoicesUsable(bool usable);

  signals:
    void encryptionToggled(bool on);

  private:
    void updateKeyBoxes();

    QCheckBox* chkAESSecure = nullptr;
    QGroupBox* grpAESType = nullptr;
    QRadioButton* radAES128 = nullptr;
    QRadioButton* radAES256 = nullptr;
    QGroupBox* grpAESKey = nullptr;
    QRadioButton* radAESKeyNotChange = nullptr;
    QRadioButton* radAESKeyChange = nullptr;
    QRadioButton* radAESKeyInit = nullptr;
    std::array<QLineEdit*, 16> txtEncryptionKey{};
    std::array<QLabel*, 14> lblEncKey{};
};

}  // namespace Tormel::Gui
