// SPDX-License-Identifier: MIT
#include "gui/rs485/BindingsTab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "gui/LiveFilterWiring.h"
#include "gui/Toolkit.h"
#include "settings/ChoiceLists.h"
#include "settings/Rs485Records.h"

namespace Tormel::Gui {

namespace {

constexpr int kRowsPerColumn = 9;
constexpr int kUnitColumns = 9;

QString numbered(const char* stem, int n, int width = 0) {
    return QString::fromLatin1(stem) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// Header columns shown for a grouping: one per started column of nine rows.
int columnsFor(int rows) { return (rows + kRowsPerColumn - 1) / kRowsPerColumn; }

// A choice and its caption, the caption the choice's buddy so its mnemonic reaches it.
QLabel* captionedChoice(QWidget* parent, const QString& caption, const char* labelName, QComboBox*& combo,
                        const char* comboName, const QStringList& items) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(labelName));
    combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(comboName));
    combo->addItems(items);
    label->setBuddy(combo);
    return label;
}

}  // namespace

BindingsTab::BindingsTab(const StringTable& st, ErrCheck& check, std::shared_ptr<NumRange> select,
                         QWidget* parent)
    : QWidget(parent), m_st(st), m_select(std::move(select)) {
    setObjectName(QStringLiteral("tabPage3"));
    auto* outer = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* lblBindType = captionedChoice(this, m_st.getString(Msg::BindTypeLabel), "lblBindType", cmbBindType,
                                        "cmbBindType", ChoiceLists::bindTypeItems(m_st));
    top->addWidget(lblBindType);
    top->addWidget(cmbBindType);
    top->addStretch(1);
    outer->addLayout(top);

    grpBindGroup = new QGroupBox(this);
    grpBindGroup->setObjectName(QStringLiteral("grpBindGroup"));
    auto* groupGrid = new QGridLayout(grpBindGroup);
    auto* lblGroup = captionedChoice(grpBindGroup, m_st.getString(Msg::GroupCountLabel), "lblGroup", cmbGroup,
                                     "cmbGroup", ChoiceLists::groupItems(m_st));
    groupGrid->addWidget(lblGroup, 0, 0, 1, 2);
    groupGrid->addWidget(cmbGroup, 0, 2, 1, 2);
    for (int c = 0; c < 3; ++c) {
        lblModemID[c] = new QLabel(m_st.getString(Msg::TormelIdHeader), grpBindGroup);
        lblModemID[c]->setObjectName(numbered("lblModemID", c + 1));
        lblNumRange[c] = new QLabel(m_st.getString(Msg::RangeHeader), grpBindGroup);
        lblNumRange[c]->setObjectName(numbered("lblNumRange", c + 1));
        groupGrid->addWidget(lblModemID[c], 1, c * 2);
        groupGrid->addWidget(lblNumRange[c], 1, c * 2 + 1);
    }
    for (int row = 1; row <= kBindingRows; ++row) {
        const int column = (row - 1) / kRowsPerColumn;
        const int line = 2 + (row - 1) % kRowsPerColumn;
        auto* id = new QLineEdit(grpBindGroup);
        id->setObjectName(numbered("txtModemID", row));
        id->setFixedWidth(40);
        attachLiveFilter(id, check, LiveFilters::txtModemID(row));
        auto* range = new QComboBox(grpBindGroup);
        range->setObjectName(numbered("cmbNumRange", row));
        range->setMinimumWidth(130);
        groupGrid->addWidget(id, line, column * 2);
        groupGrid->addWidget(range, line, column * 2 + 1);
        txtModemID[row - 1] = id;
        cmbNumRange[row - 1] = range;
    }
    groupGrid->setRowStretch(2 + kRowsPerColumn, 1);
    groupGrid->setColumnStretch(6, 1);
    outer->addWidget(grpBindGroup, 1);

    grpBindEach = new QGroupBox(this);
    grpBindEach->setObjectName(QStringLiteral("grpBindEach"));
    auto* eachOuter = new QVBoxLayout(grpBindEach);
    auto* header = new QHBoxLayout;
    lblUnitModem = new QLabel(m_st.getString(Msg::UnitModemLabel), grpBindEach);
    lblUnitModem->setObjectName(QStringLiteral("lblUnitModem"));
    lblTormelID = new QLabel(m_st.getString(Msg::TormelIdHeader), grpBindEach);
    lblTormelID->setObjectName(QStringLiteral("lblTormelID"));
    auto* textBox1 = new QLineEdit(grpBindEach);
    textBox1->setObjectName(QStringLiteral("textBox1"));
    textBox1->setMaxLength(2);
    textBox1->setFixedWidth(30);
    textBox1->setEnabled(false);
    btnEachAllClear = new QPushButton(m_st.getString(Msg::ClearAll), grpBindEach);
    btnEachAllClear->setObjectName(QStringLiteral("btnEachAllClear"));
    btnEachAllClear->setAutoDefault(false);
    header->addWidget(lblUnitModem);
    header->addWidget(textBox1);
    header->addWidget(lblTormelID);
    header->addStretch(1);
    header->addWidget(btnEachAllClear);
    eachOuter->addLayout(header);
    auto* unitGrid = new QGridLayout;
    unitGrid->setHorizontalSpacing(4);
    unitGrid->setVerticalSpacing(2);
    const int unitRows = (kBindingUnits + kUnitColumns - 1) / kUnitColumns;
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        // Down the columns, so the numbers read like a table.
        const int column = (unit - 1) / unitRows;
        const int line = (unit - 1) % unitRows;
        auto* label = new QLabel(QString::number(unit) + QStringLiteral("："), grpBindEach);
        label->setObjectName(numbered("lblUnit", unit, 2));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(QString::number(unit), grpBindEach);
        box->setObjectName(numbered("txtUnit", unit, 2));
        box->setFixedWidth(34);
        attachLiveFilter(box, check, LiveFilters::txtUnit(unit));
        label->setBuddy(box);
        unitGrid->addWidget(label, line, column * 2);
        unitGrid->addWidget(box, line, column * 2 + 1);
        lblUnit[unit - 1] = label;
        txtUnit[unit - 1] = box;
    }
    eachOuter->addLayout(unitGrid);
    eachOuter->addStretch(1);
    outer->addWidget(grpBindEach, 1);

    connect(cmbBindType, &QComboBox::currentIndexChanged, this, [this] { bindTypeChanged(); });
    connect(cmbGroup, &QComboBox::currentIndexChanged, this, [this] { groupChanged(); });
    for (int row = 1; row <= kBindingRows; ++row) {
        connect(cmbNumRange[row - 1], &QComboBox::currentIndexChanged, this,
                [this, row] { rangeChanged(row); });
    }
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        connect(txtUnit[unit - 1], &QLineEdit::textChanged, this, [this, unit] { colourUnit(unit); });
    }
    connect(btnEachAllClear, &QPushButton::clicked, this, [this] { clearUnits(); });
    bindTypeChanged();
    showRows(0);
}

int BindingsTab::bindTypeIndex() const { return cmbBindType->currentIndex(); }
int BindingsTab::groupIndex() const { return cmbGroup->currentIndex(); }

void BindingsTab::bindTypeChanged() {
    // The unit boxes take input only while units are bound one by one.
    const bool each = cmbBindType->currentIndex() == 1;
    grpBindGroup->setVisible(!each);
    grpBindEach->setVisible(each);
    for (int u = 0; u < kBindingUnits; ++u) {
        txtUnit[u]->setEnabled(each);
        lblUnit[u]->setEnabled(each);
    }
    lblUnitModem->setEnabled(each);
    btnEachAllClear->setEnabled(each);
}

void BindingsTab::groupChanged() {
    if (m_rangeFlg) {
        return;
    }
    setGroupCount(cmbGroup->currentIndex());
}

void BindingsTab::setGroupCount(int32_t group) {
    // A new grouping starts empty: no node IDs, every row at Not Used.
    m_rangeFlg = true;
    {
        const QSignalBlocker blocker(cmbGroup);
        cmbGroup->setCurrentIndex(group);
    }
    const QString notUsed = m_st.getString(kNotUsedLabel);
    for (int row = 1; row <= kBindingRows; ++row) {
        m_select->setCmbText(row, notUsed);
        txtModemID[row - 1]->clear();
    }
    const Grouping* g = groupingOf(group);
    fillLists(group, std::vector<int>(g != nullptr ? static_cast<std::size_t>(g->groups) : 0U, -1));
    showRows(group);
    m_rangeFlg = false;
}

std::vector<int> BindingsTab::selections(int32_t group) const {
    std::vector<int> out;
    const Grouping* g = groupingOf(group);
    for (int row = 0; g != nullptr && row < g->groups; ++row) {
        const QVariant position = cmbNumRange[row]->currentData();
        out.push_back(position.isValid() ? position.toInt() : -1);
    }
    return out;
}

void BindingsTab::fillLists(int32_t group, const std::vector<int>& selected) {
    const Grouping* g = groupingOf(group);
    const int rows = g != nullptr ? g->groups : 0;
    for (int row = 0; row < kBindingRows; ++row) {
        QComboBox* range = cmbNumRange[row];
        const QSignalBlocker blocker(range);
        range->clear();
        if (row >= rows) {
            continue;
        }
        const int own =
            static_cast<std::size_t>(row) < selected.size() ? selected[static_cast<std::size_t>(row)] : -1;
        range->addItem(m_st.getString(kNotUsedLabel), -1);
        for (int k = 0; k < g->groups; ++k) {
            bool elsewhere = false;
            for (std::size_t other = 0; other < selected.size(); ++other) {
                elsewhere = elsewhere || (static_cast<int>(other) != row && selected[other] == k);
            }
            if (k == own || !elsewhere) {
                range->addItem(m_st.getString(g->firstLabel + k), k);
            }
        }
        range->setCurrentIndex(std::max(0, range->findData(own)));
    }
}

void BindingsTab::rangeChanged(int row) {
    QComboBox* range = cmbNumRange[row - 1];
    if (m_rangeFlg || range->isHidden() || range->currentIndex() < 0) {
        return;
    }
    // The range taken leaves the other rows, the one given up returns to them.
    m_rangeFlg = true;
    const int32_t group = cmbGroup->currentIndex();
    fillLists(group, selections(group));
    m_select->setCmbText(row, range->currentText());
    m_rangeFlg = false;
}

void BindingsTab::colourUnit(int unit) {
    QLineEdit* box = txtUnit[unit - 1];
    const QString text = box->text();
    QPalette palette = box->palette();
    const bool changed = !text.isEmpty() && text != QString::number(unit);
    palette.setColor(QPalette::Base, namedColor(changed ? NamedColor::PaleGreen : NamedColor::White));
    box->setPalette(palette);
}

void BindingsTab::clearUnits() {
    if (toolkit().messageBox(m_st.getString(Msg::ClearAllQuestion), m_st.getString(Msg::Rs485ToolTitle),
                             MessageBoxButtons::OKCancel, MessageBoxIcon::Question,
                             this) != DialogResult::OK) {
        return;
    }
    resetUnits();
}

void BindingsTab::showRows(int32_t group) {
    const Grouping* g = groupingOf(group);
    const int rows = g != nullptr ? g->groups : 0;
    for (int row = 0; row < kBindingRows; ++row) {
        txtModemID[row]->setVisible(row < rows);
        cmbNumRange[row]->setVisible(row < rows);
    }
    const int columns = columnsFor(rows);
    for (int c = 0; c < 3; ++c) {
        lblModemID[c]->setVisible(c < columns);
        lblNumRange[c]->setVisible(c < columns);
    }
}

void BindingsTab::setUnitText(int unit, const QString& text) {
    txtUnit[unit - 1]->setText(text);
    colourUnit(unit);
}

void BindingsTab::resetUnits() {
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        setUnitText(unit, QString::number(unit));
    }
}

void BindingsTab::store() const {
    NumRange& select = *m_select;
    select.setBindType(cmbBindType->currentIndex() == 1 ? 2 : 1);
    select.setGroupIdx(cmbGroup->currentIndex());
    select.clearNowList();
    for (int row = 1; row <= kBindingRows; ++row) {
        select.setModemID(row, txtModemID[row - 1]->text());
        QComboBox* range = cmbNumRange[row - 1];
        select.setSelectIdx(row, range->currentIndex());
        for (int i = 0; i < range->count(); ++i) {
            select.setNowList(row, range->itemText(i));
        }
    }
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        select.setUnit(unit, txtUnit[unit - 1]->text());
    }
}

void BindingsTab::load(const ApplicationConfig& config) {
    const int32_t type = config.m_bindType;
    if (type == 0 || type == 1 || type == 2) {
        cmbBindType->setCurrentIndex(type == 2 ? 1 : 0);
    }
    if (type == 2) {
        resetUnits();
        for (int unit = 1; unit <= kBindingUnits; ++unit) {
            const QString& text = config.m_unit[unit - 1];
            if (!text.isEmpty() && text != QString::number(unit)) {
                setUnitText(unit, text);
            }
        }
        setGroupCount(0);
        return;
    }
    if (type != 0 && type != 1) {
        return;
    }
    // The lists are rebuilt in this language from the positions the document selects, so a
    // file saved under the other language keeps its rows.
    const int32_t group = groupingOf(config.m_group) != nullptr ? config.m_group : 0;
    std::vector<int> selected;
    const Grouping* g = groupingOf(group);
    for (int row = 0; g != nullptr && row < g->groups; ++row) {
        const int32_t at = config.m_selectIdx[row];
        const QStringList* list = config.m_rangeList[row].get();
        std::optional<int> position;
        if (list != nullptr && at >= 0 && at < list->size()) {
            position = Rs485Records::rangePosition(list->at(at), group);
        }
        const bool taken =
            position && std::find(selected.begin(), selected.end(), *position) != selected.end();
        selected.push_back(position && !taken ? *position : -1);
    }
    m_rangeFlg = true;
    {
        const QSignalBlocker blocker(cmbGroup);
        cmbGroup->setCurrentIndex(group);
    }
    for (int row = 0; row < kBindingRows; ++row) {
        txtModemID[row]->setText(config.m_modem[row]);
    }
    fillLists(group, selected);
    for (int row = 1; row <= kBindingRows; ++row) {
        const bool shown = g != nullptr && row <= g->groups;
        m_select->setCmbText(row,
                             shown ? cmbNumRange[row - 1]->currentText() : m_st.getString(kNotUsedLabel));
    }
    m_rangeFlg = false;
    showRows(group);
    resetUnits();
}

void BindingsTab::loadDefaults() {
    cmbBindType->setCurrentIndex(0);
    setGroupCount(0);
    resetUnits();
}

void BindingsTab::applyCapability(bool veryOld) {
    const QString twentyFive = m_st.getString(Msg::Groups25);
    const int at = cmbGroup->findText(twentyFive);
    if (veryOld) {
        cmbBindType->setCurrentIndex(0);
        cmbBindType->setEnabled(false);
        if (cmbGroup->currentIndex() == 5) {
            setGroupCount(0);
        }
        if (at >= 0) {
            const QSignalBlocker blocker(cmbGroup);
            cmbGroup->removeItem(at);
        }
    } else {
        cmbBindType->setEnabled(true);
        if (at < 0) {
            const QSignalBlocker blocker(cmbGroup);
            cmbGroup->addItem(twentyFive);
        }
    }
}

bool BindingsTab::fitsUnit(const ApplicationConfig& config, bool veryOld) {
    return !veryOld || (config.m_bindType != 2 && config.m_group != 5);
}

}  // namespace Tormel::Gui
