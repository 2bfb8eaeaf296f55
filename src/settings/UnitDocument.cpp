// SPDX-License-Identifier: MIT
#include "settings/UnitDocument.h"

#include <tuple>

#include "settings/ErrCheck.h"
#include "settings/FieldRows.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

UnitDocument::UnitDocument(Msg captionId, Msg fileVersionId)
    : m_com(std::make_shared<Communication>()),
      m_node(std::make_shared<Nodeinfo>()),
      m_captionId(captionId),
      m_fileVersionId(fileVersionId) {}

void UnitDocument::attachHolders(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node) {
    attach(m_com, std::move(com));
    attach(m_node, std::move(node));
}

namespace {

using FieldRows::Held;
using FieldRows::HeldNumbered;

// The fields both documents fill from the serial-line and node holders.
constexpr std::tuple kSharedRows{
    Held{&UnitDocument::m_version, &Communication::getVersion},
    Held{&UnitDocument::m_baudrate, &Communication::getBaudRate},
    Held{&UnitDocument::m_databits, &Communication::getDataBits},
    Held{&UnitDocument::m_parity, &Communication::getParity},
    Held{&UnitDocument::m_stopbits, &Communication::getStopBits},
    Held{&UnitDocument::m_awt, &Communication::getAwt},
    Held{&UnitDocument::m_intfport, &Communication::getIntfPort},
    Held{&UnitDocument::m_flowctrl, &Communication::getFlowControl},
    Held{&UnitDocument::m_extendedGroup, &Nodeinfo::getExtendedGroup},
    Held{&UnitDocument::m_aesEncryptEnable, &Nodeinfo::getAESEncryptEnable},
    Held{&UnitDocument::m_aesEncryptType, &Nodeinfo::getAESEncryptType},
    HeldNumbered{&UnitDocument::m_aesEncryptKey, &Nodeinfo::getAesEncryptKey},
};

}  // namespace

void UnitDocument::copySharedHolders(const QString& modelName) {
    FieldRows::copyFromHolders(*this, kSharedRows, *m_com, *m_node);

    m_model = modelName;
    m_fileVersion = m_st.getString(m_fileVersionId);
    if (m_fileVersion.isNull()) {
        m_fileVersion = emptyText();  // English: written as an empty element
    }
}

void UnitDocument::showError(Msg id, bool errMsgFlg, QWidget* parent) const {
    if (errMsgFlg) {
        toolkit().messageBox(m_st.getString(id), m_st.getString(m_captionId), MessageBoxButtons::OK,
                             MessageBoxIcon::Error, parent);
    }
}

bool UnitDocument::keyWordOk(const QString& word) {
    const QString& hex = ErrCheck::kHexDigits;
    return ErrCheck::checkStrFourth(word, hex, hex, hex, hex);
}

bool UnitDocument::aesKeyWordsOk() const {
    if (m_aesEncryptEnable != 2 || m_node->getASEKeySetEnable() != 2) {
        return true;
    }
    const int words = m_aesEncryptType == 2 ? 16 : 8;
    for (int i = 0; i < words; ++i) {
        if (!keyWordOk(m_aesEncryptKey[i])) {
            return false;
        }
    }
    return true;
}

bool UnitDocument::aesKeyWordsFitForm() const {
    for (const QString& word : m_aesEncryptKey) {
        if (word.size() > 4) {
            return false;
        }
    }
    return true;
}

void UnitDocument::putAesFields(int32_t keySetting, Domain::Common::Nodeinfo& node) const {
    namespace C = Domain::Common;
    node.AESEncryptEnable = static_cast<C::NodeinfoAESEncryptEnable>(m_aesEncryptEnable);
    node.AESEncryptType = static_cast<C::NodeinfoAESEncryptType>(m_aesEncryptType);
    node.AESEncryptKeySetting = keySetting == 2   ? C::NodeinfoAESEncryptKeySetting::Change
                                : keySetting == 3 ? C::NodeinfoAESEncryptKeySetting::Init
                                                  : C::NodeinfoAESEncryptKeySetting::NotChange;
    for (std::size_t i = 0; i < m_aesEncryptKey.size(); ++i) {
        node.*C::kAESEncryptKeyFields[i] = m_aesEncryptKey[i].toUInt(nullptr, 16);
    }
}

}  // namespace Tormel::Gui
