// SPDX-License-Identifier: MIT
// What setConfigData takes from the form's holders: every holder field lands in its own
// document field. Each field gets a value no other field has, so a field filled from a
// neighbour's getter shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "settings/ApplicationConfig.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/Holders.h"
#include "settings/NumRange.h"

using namespace Tormel::Gui;

namespace {

struct Holders {
    std::shared_ptr<Communication> com = std::make_shared<Communication>();
    std::shared_ptr<Nodeinfo> node = std::make_shared<Nodeinfo>();
    std::shared_ptr<Protocol> prot = std::make_shared<Protocol>();
    std::shared_ptr<NumRange> range = std::make_shared<NumRange>();
    std::shared_ptr<Wirelessinfo> wireless = std::make_shared<Wirelessinfo>();
    std::shared_ptr<Didoinfo> dido = std::make_shared<Didoinfo>();
};

// One document field: how the form sets it through a holder, and where the document keeps it.
template <class Doc, class T>
struct Row {
    const char* name;
    std::function<void(Holders&, const T&)> set;
    std::function<T(const Doc&)> stored;
};

template <class Doc, class T, class Value>
void expectEachRowLandsInItsField(const std::vector<Row<Doc, T>>& rows, Value valueOf,
                                  const std::function<Doc(Holders&)>& build) {
    Holders h;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].set(h, valueOf(i));
    }
    const Doc doc = build(h);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].stored(doc), valueOf(i)) << rows[i].name;
    }
}

ApplicationConfig rs485(Holders& h) {
    ApplicationConfig doc;
    doc.setConfigInst(h.com, h.node, h.prot, h.range);
    doc.setConfigData();
    return doc;
}

ApplicationConfig_TX330 tx330(Holders& h) {
    ApplicationConfig_TX330 doc;
    doc.setConfigInst(h.com, h.node, h.wireless, h.dido);
    doc.setConfigData();
    return doc;
}

QString textOf(std::size_t i) { return QStringLiteral("t%1").arg(i); }
int32_t numberOf(std::size_t i) { return static_cast<int32_t>(i) + 11; }

#define INT_ROW(Doc, holder, setter, field)                                                                  \
    Row<Doc, int32_t> {                                                                                      \
#field,                                                                                              \
            [](Holders & h, const int32_t& v) { h.holder->setter(v); }, [](const Doc& d) { return d.field; } \
    }
#define TEXT_ROW(Doc, holder, setter, field)                                                                 \
    Row<Doc, QString> {                                                                                      \
#field,                                                                                              \
            [](Holders & h, const QString& v) { h.holder->setter(v); }, [](const Doc& d) { return d.field; } \
    }

}  // namespace

TEST(DocumentFromHolders, Rs485FieldsComeFromTheirOwnHolderFields) {
    using AC = ApplicationConfig;
    std::vector<Row<AC, int32_t>> numbers = {
        INT_ROW(AC, com, setModuleType, m_moduletype),
        INT_ROW(AC, com, setBaudRate, m_baudrate),
        INT_ROW(AC, com, setDataBits, m_databits),
        INT_ROW(AC, com, setParity, m_parity),
        INT_ROW(AC, com, setStopBits, m_stopbits),
        INT_ROW(AC, com, setAwt, m_awt),
        INT_ROW(AC, com, setIntfPort, m_intfport),
        INT_ROW(AC, com, setFlowControl, m_flowctrl),
        INT_ROW(AC, node, setExtendedGroup, m_extendedGroup),
        INT_ROW(AC, node, setAESEncryptEnable, m_aesEncryptEnable),
        INT_ROW(AC, node, setAESEncryptType, m_aesEncryptType),
        INT_ROW(AC, node, setEncryptEnable, m_encryptEnable),
        INT_ROW(AC, prot, setThroughMode, m_throughMode),
        INT_ROW(AC, prot, setFmt2Enable, m_fmt2Enable),
        INT_ROW(AC, prot, setDeviEnable, m_deviEnable),
        INT_ROW(AC, prot, setSForm, m_sForm),
        INT_ROW(AC, prot, setSForm2nd, m_sForm2nd),
        INT_ROW(AC, prot, setCCheck, m_cCheck),
        INT_ROW(AC, prot, setCForm, m_cForm),
        INT_ROW(AC, range, setBindType, m_bindType),
        INT_ROW(AC, range, setGroupIdx, m_group),
    };
    // The whitening switch is held unsigned and stored signed; the binding rows by number.
    numbers.push_back({"m_WhiteningEnable",
                       [](Holders& h, const int32_t& v) { h.node->setWhiteningEnable(v); },
                       [](const AC& d) { return d.m_WhiteningEnable; }});
    numbers.push_back({"m_selectIdx[4]", [](Holders& h, const int32_t& v) { h.range->setSelectIdx(5, v); },
                       [](const AC& d) { return d.m_selectIdx[4]; }});
    expectEachRowLandsInItsField<AC>(numbers, numberOf, rs485);

    std::vector<Row<AC, QString>> texts = {
        TEXT_ROW(AC, com, setVersion, m_version),
        TEXT_ROW(AC, node, setIdOffset, m_IdOffset),
        TEXT_ROW(AC, prot, setSilentChar, m_silentChar),
        TEXT_ROW(AC, prot, setPStartCode, m_pStartCode),
        TEXT_ROW(AC, prot, setPEndCode, m_pEndCode),
        TEXT_ROW(AC, prot, setPOffset, m_pOffset),
        TEXT_ROW(AC, prot, setPStartCode2nd, m_pStartCode2nd),
        TEXT_ROW(AC, prot, setPEndCode2nd, m_pEndCode2nd),
        TEXT_ROW(AC, prot, setPOffset2nd, m_pOffset2nd),
        TEXT_ROW(AC, prot, setSOffset, m_sOffset),
        TEXT_ROW(AC, prot, setSLength, m_sLength),
        TEXT_ROW(AC, prot, setSOffset2nd, m_sOffset2nd),
        TEXT_ROW(AC, prot, setSLength2nd, m_sLength2nd),
        TEXT_ROW(AC, prot, setBcastAddr, m_bcastAddr),
        TEXT_ROW(AC, prot, setCOffset, m_cOffset),
        TEXT_ROW(AC, prot, setCLength, m_cLength),
    };
    // Numbered fields: word or row n is element n - 1, first and last of each.
    for (int n : {1, 16}) {
        texts.push_back({"m_aesEncryptKey",
                         [n](Holders& h, const QString& v) { h.node->setAesEncryptKey(n, v); },
                         [n](const AC& d) { return d.m_aesEncryptKey[n - 1]; }});
    }
    for (int n : {1, 8}) {
        texts.push_back({"m_encryptKey", [n](Holders& h, const QString& v) { h.node->setEncryptKey(n, v); },
                         [n](const AC& d) { return d.m_encryptKey[n - 1]; }});
        texts.push_back({"m_modem", [n](Holders& h, const QString& v) { h.range->setModemID(n, v); },
                         [n](const AC& d) { return d.m_modem[n - 1]; }});
    }
    for (int n : {1, kBindingUnits}) {
        texts.push_back({"m_unit", [n](Holders& h, const QString& v) { h.range->setUnit(n, v); },
                         [n](const AC& d) { return d.m_unit[n - 1]; }});
    }
    expectEachRowLandsInItsField<AC>(texts, textOf, rs485);

    Holders h;
    h.prot->setCStartCode(true);
    EXPECT_TRUE(rs485(h).m_cStartCode);
    h.prot->setCStartCode(false);
    EXPECT_FALSE(rs485(h).m_cStartCode);
}

TEST(DocumentFromHolders, Tx330FieldsComeFromTheirOwnHolderFields) {
    using AC = ApplicationConfig_TX330;
    const std::vector<Row<AC, int32_t>> numbers = {
        INT_ROW(AC, com, setBaudRate, m_baudrate),
        INT_ROW(AC, com, setAwt, m_awt),
        INT_ROW(AC, com, setFlowControl, m_flowctrl),
        INT_ROW(AC, node, setAESEncryptType, m_aesEncryptType),
        INT_ROW(AC, wireless, setChMode, m_ChMode),
        INT_ROW(AC, wireless, setOpMode, m_OpMode),
        INT_ROW(AC, wireless, setCh, m_Ch),
        INT_ROW(AC, wireless, setNodeId, m_NodeId),
        INT_ROW(AC, wireless, setGrpId, m_GrpId),
        INT_ROW(AC, dido, setDo1Bind, m_Do1Bind),
        INT_ROW(AC, dido, setDo2Bind, m_Do2Bind),
        INT_ROW(AC, dido, setDo3Bind, m_Do3Bind),
        INT_ROW(AC, dido, setDo1Invert, m_Do1Invert),
        INT_ROW(AC, dido, setDo2Invert, m_Do2Invert),
        INT_ROW(AC, dido, setDo3Invert, m_Do3Invert),
        INT_ROW(AC, dido, setDoOffDelay, m_DoOffDelay),
        INT_ROW(AC, dido, setDoOnDelay, m_DoOnDelay),
        INT_ROW(AC, dido, setDoKeepTime, m_DoKeepTime),
        INT_ROW(AC, dido, setDoKeepSignal, m_DoKeepSig),
        INT_ROW(AC, dido, setDiDelay, m_DoDiDelay),
    };
    expectEachRowLandsInItsField<AC>(numbers, numberOf, tx330);

    Holders h;
    h.node->setAesEncryptKey(16, QStringLiteral("BEEF"));
    const AC doc = tx330(h);
    EXPECT_EQ(doc.m_aesEncryptKey[15], QStringLiteral("BEEF"));
    EXPECT_EQ(doc.m_model, AC::kModelName);
}
