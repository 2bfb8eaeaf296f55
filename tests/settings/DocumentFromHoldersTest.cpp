// SPDX-License-Identifier: MIT
// What setConfigData takes from the form's holders: every holder field lands in its own
// document field. Each field gets a value no other field has, so a field filled from a
// neighbour's getter shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

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

// Value number n of a field's type; no two numbers give the same value.
template <class T>
T valueOf(int n);
template <>
int32_t valueOf<int32_t>(int n) {
    return n + 11;
}
template <>
QString valueOf<QString>(int n) {
    return QStringLiteral("t%1").arg(n);
}

// One document field: how the form stores value number n through a holder, and whether the
// document holds it.
template <class Doc>
struct Row {
    const char* name;
    std::function<void(Holders&, int)> set;
    std::function<bool(const Doc&, int)> holds;
};

template <class Doc, class T, class Set, class Get>
Row<Doc> makeRow(const char* name, Set set, Get get) {
    return {name, [set](Holders& h, int n) { set(h, valueOf<T>(n)); },
            [get](const Doc& d, int n) { return get(d) == valueOf<T>(n); }};
}

// A row for a document field that `setter` of the holder `holder` stores.
#define ROW(T, holder, setter, field) \
    makeRow<Doc, T>(                  \
        #field, [](Holders& h, const T& v) { h.holder->setter(v); }, [](const Doc& d) { return d.field; })

template <class Doc>
void expectEachRowLandsInItsField(const std::vector<Row<Doc>>& rows, Doc (*build)(Holders&)) {
    Holders h;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].set(h, static_cast<int>(i));
    }
    const Doc doc = build(h);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].holds(doc, static_cast<int>(i))) << rows[i].name;
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

}  // namespace

TEST(DocumentFromHolders, Rs485FieldsComeFromTheirOwnHolderFields) {
    using Doc = ApplicationConfig;
    std::vector<Row<Doc>> rows = {
        ROW(QString, com, setVersion, m_version),
        ROW(int32_t, com, setModuleType, m_moduletype),
        ROW(int32_t, com, setBaudRate, m_baudrate),
        ROW(int32_t, com, setDataBits, m_databits),
        ROW(int32_t, com, setParity, m_parity),
        ROW(int32_t, com, setStopBits, m_stopbits),
        ROW(int32_t, com, setAwt, m_awt),
        ROW(int32_t, com, setIntfPort, m_intfport),
        ROW(int32_t, com, setFlowControl, m_flowctrl),
        ROW(QString, node, setIdOffset, m_IdOffset),
        ROW(int32_t, node, setWhiteningEnable, m_WhiteningEnable),  // held unsigned, stored signed
        ROW(int32_t, node, setExtendedGroup, m_extendedGroup),
        ROW(int32_t, node, setAESEncryptEnable, m_aesEncryptEnable),
        ROW(int32_t, node, setAESEncryptType, m_aesEncryptType),
        ROW(int32_t, node, setEncryptEnable, m_encryptEnable),
        ROW(QString, node, setAesEncryptKey1, m_aesEncryptKey[0]),
        ROW(QString, node, setAesEncryptKey16, m_aesEncryptKey[15]),
        ROW(QString, node, setEncryptKey1, m_encryptKey[0]),
        ROW(QString, node, setEncryptKey8, m_encryptKey[7]),
        ROW(int32_t, prot, setThroughMode, m_throughMode),
        ROW(QString, prot, setSilentChar, m_silentChar),
        ROW(int32_t, prot, setFmt2Enable, m_fmt2Enable),
        ROW(QString, prot, setPStartCode, m_pStartCode),
        ROW(QString, prot, setPEndCode, m_pEndCode),
        ROW(QString, prot, setPOffset, m_pOffset),
        ROW(QString, prot, setPStartCode2nd, m_pStartCode2nd),
        ROW(QString, prot, setPEndCode2nd, m_pEndCode2nd),
        ROW(QString, prot, setPOffset2nd, m_pOffset2nd),
        ROW(int32_t, prot, setDeviEnable, m_deviEnable),
        ROW(QString, prot, setSOffset, m_sOffset),
        ROW(QString, prot, setSLength, m_sLength),
        ROW(int32_t, prot, setSForm, m_sForm),
        ROW(QString, prot, setSOffset2nd, m_sOffset2nd),
        ROW(QString, prot, setSLength2nd, m_sLength2nd),
        ROW(int32_t, prot, setSForm2nd, m_sForm2nd),
        ROW(QString, prot, setBcastAddr, m_bcastAddr),
        ROW(int32_t, prot, setCCheck, m_cCheck),
        ROW(QString, prot, setCOffset, m_cOffset),
        ROW(QString, prot, setCLength, m_cLength),
        ROW(int32_t, prot, setCForm, m_cForm),
        ROW(int32_t, range, setBindType, m_bindType),
        ROW(int32_t, range, setGroupIdx, m_group),
        ROW(int32_t, range, setSelectIdx1, m_selectIdx[0]),
        ROW(int32_t, range, setSelectIdx25, m_selectIdx[24]),
        ROW(QString, range, setUnit01, m_unit[0]),
        ROW(QString, range, setUnit99, m_unit[98]),
    };
    // Modem IDs are set by row number only: row n is element n - 1.
    for (int n : {1, kBindingRows}) {
        rows.push_back(makeRow<Doc, QString>(
            "m_modem", [n](Holders& h, const QString& v) { h.range->setModemID(n, v); },
            [n](const Doc& d) { return d.m_modem[n - 1]; }));
    }
    expectEachRowLandsInItsField<Doc>(rows, rs485);

    Holders h;
    for (bool check : {true, false}) {
        h.prot->setCStartCode(check);
        EXPECT_EQ(rs485(h).m_cStartCode, check);
    }
}

TEST(DocumentFromHolders, Tx330FieldsComeFromTheirOwnHolderFields) {
    using Doc = ApplicationConfig_TX330;
    const std::vector<Row<Doc>> rows = {
        ROW(QString, com, setVersion, m_version),
        ROW(int32_t, com, setBaudRate, m_baudrate),
        ROW(int32_t, com, setAwt, m_awt),
        ROW(int32_t, com, setFlowControl, m_flowctrl),
        ROW(int32_t, node, setAESEncryptType, m_aesEncryptType),
        ROW(QString, node, setAesEncryptKey16, m_aesEncryptKey[15]),
        ROW(int32_t, wireless, setChMode, m_ChMode),
        ROW(int32_t, wireless, setOpMode, m_OpMode),
        ROW(int32_t, wireless, setCh, m_Ch),
        ROW(int32_t, wireless, setNodeId, m_NodeId),
        ROW(int32_t, wireless, setGrpId, m_GrpId),
        ROW(int32_t, dido, setDo1Bind, m_Do1Bind),
        ROW(int32_t, dido, setDo2Bind, m_Do2Bind),
        ROW(int32_t, dido, setDo3Bind, m_Do3Bind),
        ROW(int32_t, dido, setDo1Invert, m_Do1Invert),
        ROW(int32_t, dido, setDo2Invert, m_Do2Invert),
        ROW(int32_t, dido, setDo3Invert, m_Do3Invert),
        ROW(int32_t, dido, setDoOffDelay, m_DoOffDelay),
        ROW(int32_t, dido, setDoOnDelay, m_DoOnDelay),
        ROW(int32_t, dido, setDoKeepTime, m_DoKeepTime),
        ROW(int32_t, dido, setDoKeepSignal, m_DoKeepSig),
        ROW(int32_t, dido, setDiDelay, m_DoDiDelay),
    };
    expectEachRowLandsInItsField<Doc>(rows, tx330);
    Holders h;
    EXPECT_EQ(tx330(h).m_model, Doc::kModelName);
}
