// SPDX-License-Identifier: MIT
#pragma once
// Form states of both windows, as the windows would store them into their holders, that the
// document and check tests start from. Both pass their record checks.

#include <memory>

#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/Holders.h"
#include "settings/NumRange.h"
#include "settings/StringTable.h"

namespace Tormel::Gui::Testing {

struct Rs485Form {
    std::shared_ptr<Communication> com = std::make_shared<Communication>();
    std::shared_ptr<Nodeinfo> node = std::make_shared<Nodeinfo>();
    std::shared_ptr<Protocol> prot = std::make_shared<Protocol>();
    std::shared_ptr<NumRange> range = std::make_shared<NumRange>();

    Rs485Form() {
        StringTable st;
        com->setVersion(QStringLiteral("2.6"));
        com->setModuleType(2);
        com->setBaudRate(6);
        com->setParity(2);
        com->setStopBits(1);
        com->setIntfPort(1);

        node->setIdOffset(QStringLiteral("12"));
        node->setWhiteningEnable(1);
        node->setExtendedGroup(1);
        node->setAESEncryptEnable(2);
        node->setAESEncryptType(1);
        const char* aes[] = {"0123", "4567", "89AB", "cdef", "0000", "1111", "2222", "3333"};
        for (int i = 0; i < 8; ++i) {
            node->setAesEncryptKey(i + 1, QString::fromLatin1(aes[i]));
        }
        node->setEncryptEnable(1);
        for (int i = 0; i < 8; ++i) {
            node->setEncryptKey(i + 1, st.getString(122 + i));
        }

        prot->setThroughMode(1);
        prot->setSilentChar(QStringLiteral("4"));
        prot->setFmt2Enable(1);
        prot->setPStartCode(QStringLiteral("02"));
        prot->setPEndCode(QStringLiteral("03"));
        prot->setPOffset(QStringLiteral("0"));
        prot->setPStartCode2nd(QStringLiteral("04"));
        prot->setPEndCode2nd(QStringLiteral("05"));
        prot->setPOffset2nd(QStringLiteral("0"));
        prot->setDeviEnable(2);
        prot->setSOffset(QStringLiteral("0"));
        prot->setSLength(QStringLiteral("1"));
        prot->setSForm(0);
        prot->setSOffset2nd(QStringLiteral("1"));
        prot->setSLength2nd(QStringLiteral("2"));
        prot->setSForm2nd(1);
        prot->setBcastAddr(QStringLiteral("FFFF"));
        prot->setCCheck(2);
        prot->setCStartCode(true);
        prot->setCOffset(QStringLiteral("-5"));
        prot->setCLength(QStringLiteral("2"));
        prot->setCForm(3);

        range->setBindType(1);
        range->setGroupIdx(2);
        range->setModemID(1, QStringLiteral("1"));
        range->setModemID(2, QStringLiteral("2"));
        range->setSelectIdx1(1);
        range->setSelectIdx2(2);
        for (int row = 1; row <= 4; ++row) {
            range->setNowList(row, st.getString(68));
            for (int label = 71; label <= 74; ++label) {
                range->setNowList(row, st.getString(label));
            }
        }
        range->setCmbText(1, st.getString(71));
        range->setCmbText(2, st.getString(72));
        range->setUnit01(QStringLiteral("5"));
        range->setUnit02(emptyText());
    }

    // A candidate object built from the form, as the window builds one.
    ApplicationConfig build() const {
        ApplicationConfig config;
        config.setConfigInst(com, node, prot, range);
        config.setConfigData();
        config.setTabSelect(2);
        config.m_devMode = 1;
        return config;
    }
};

struct Tx330Form {
    std::shared_ptr<Communication> com = std::make_shared<Communication>();
    std::shared_ptr<Nodeinfo> node = std::make_shared<Nodeinfo>();
    std::shared_ptr<Wirelessinfo> wireless = std::make_shared<Wirelessinfo>();
    std::shared_ptr<Didoinfo> dido = std::make_shared<Didoinfo>();

    Tx330Form() {
        com->setVersion(QStringLiteral("1.3"));
        com->setBaudRate(6);
        com->setDataBits(1);
        com->setParity(1);
        com->setAwt(25);
        node->setAESEncryptEnable(2);
        node->setAESEncryptType(2);
        for (int i = 1; i <= 15; ++i) {
            node->setAesEncryptKey(i, QStringLiteral("A1B2"));
        }
        wireless->setChMode(0);
        wireless->setOpMode(1);
        wireless->setCh(37);
        wireless->setNodeId(99);
        wireless->setGrpId(115);
        dido->setDo1Bind(2);
        dido->setDo2Bind(1);
        dido->setDo3Bind(0);
        dido->setDo1Invert(1);
        dido->setDo3Invert(1);
        dido->setDoOffDelay(1200);
        dido->setDoOnDelay(15);
        dido->setDoKeepTime(3600);
        dido->setDoKeepSignal(1);
        dido->setDiDelay(25);
    }

    ApplicationConfig_TX330 build() const {
        ApplicationConfig_TX330 config;
        config.setConfigInst(com, node, wireless, dido);
        config.setConfigData();
        config.setTabSelect(1);
        return config;
    }
};

}  // namespace Tormel::Gui::Testing
