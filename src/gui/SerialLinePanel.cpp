// SPDX-License-Identifier: MIT
#include "gui/SerialLinePanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "gui/Widgets.h"
#include "settings/ChoiceLists.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

using namespace Widgets;

namespace {

const QString k76800 = QStringLiteral("76800bps");

void select(QComboBox* box, std::optional<int32_t> index) {
    if (index && *index >= 0 && *index < box->count()) {
        box->setCurrentIndex(*index);
    }
}

}  // namespace

SerialLinePanel::SerialLinePanel(const StringTable& strings, QWidget* parent, bool with76800)
    : cmbBaudrate(combo(parent, "cmbBaudrate", ChoiceLists::baudRateItems(with76800))),
      cmbDataBit(combo(parent, "cmbDataBit", ChoiceLists::dataBitItems(strings))),
      cmbParity(combo(parent, "cmbParity", ChoiceLists::parityItems(strings))),
      cmbStopBit(combo(parent, "cmbStopBit", ChoiceLists::stopBitItems(strings))) {
    const struct {
        const char* name;
        Msg text;
        QComboBox* box;
    } captions[] = {{"lblBaudrate", Msg::BaudRateLabel, cmbBaudrate},
                    {"lblDataBit", Msg::DataBitsLabel, cmbDataBit},
                    {"lblParity", Msg::ParityLabel, cmbParity},
                    {"lblStopBit", Msg::StopBitsLabel, cmbStopBit}};
    for (const auto& c : captions) {
        QLabel* caption = label(parent, c.name, strings.getString(c.text));
        caption->setBuddy(c.box);
        m_captions.append(caption);
        c.box->setMinimumWidth(140);
    }
}

void SerialLinePanel::addRows(QGridLayout& grid, int firstRow, bool captionsRight) {
    QComboBox* const boxes[] = {cmbBaudrate, cmbDataBit, cmbParity, cmbStopBit};
    for (int i = 0; i < 4; ++i) {
        grid.addWidget(m_captions[i], firstRow + i, 0, captionsRight ? Qt::AlignRight : Qt::Alignment());
        grid.addWidget(boxes[i], firstRow + i, 1);
    }
}

void SerialLinePanel::setVisible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{cmbBaudrate, cmbDataBit, cmbParity, cmbStopBit}) {
        w->setVisible(visible);
    }
    for (QLabel* caption : m_captions) {
        caption->setVisible(visible);
    }
}

bool SerialLinePanel::offers76800() const { return cmbBaudrate->findText(k76800) >= 0; }

void SerialLinePanel::offer76800(bool with76800) {
    if (offers76800() == with76800 && cmbBaudrate->count() > 0) {
        return;
    }
    const std::optional<int32_t> rate = bitRate();
    const QSignalBlocker blocker(cmbBaudrate);
    cmbBaudrate->clear();
    cmbBaudrate->addItems(ChoiceLists::baudRateItems(with76800));
    std::optional<int32_t> index = rate ? ChoiceLists::baudRateIndex(*rate, with76800) : std::nullopt;
    if (!index && rate == 76800) {
        index = ChoiceLists::baudRateIndex(115200, with76800);
    }
    cmbBaudrate->setCurrentIndex(index.value_or(-1));
}

std::optional<int32_t> SerialLinePanel::bitRate() const {
    return ChoiceLists::baudRateAt(cmbBaudrate->currentIndex(), offers76800());
}

SerialLine SerialLinePanel::line() const {
    const SerialLine defaults;
    return {bitRate().value_or(0),
            ChoiceLists::dataBitsAt(cmbDataBit->currentIndex()).value_or(defaults.dataBits),
            ChoiceLists::parityAt(cmbParity->currentIndex()).value_or(defaults.parity),
            ChoiceLists::stopBitsAt(cmbStopBit->currentIndex()).value_or(defaults.stopBits)};
}

void SerialLinePanel::setLine(const SerialLine& line) {
    select(cmbBaudrate, ChoiceLists::baudRateIndex(line.bitRate, offers76800()));
    select(cmbDataBit, ChoiceLists::dataBitsIndex(line.dataBits));
    select(cmbParity, ChoiceLists::parityIndex(line.parity));
    select(cmbStopBit, ChoiceLists::stopBitsIndex(line.stopBits));
}

void SerialLinePanel::setDefaults() { setLine(SerialLine{}); }

}  // namespace Tormel::Gui
