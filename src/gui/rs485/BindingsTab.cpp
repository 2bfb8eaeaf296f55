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
#include <QShowEvent>
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

// What a text box would give back for a text: never a null text, so the document writes an
// empty element for an empty box as it does once the box exists.
QString boxText(const QString& text) { return text.isNull() ? emptyText() : text; }

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
    : QWidget(parent), m_st(st), m_check(check), m_select(std::move(select)) {
    setObjectName(QStringLiteral("tabPage3"));
    m_modemIds.fill(emptyText());
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        m_unitTexts[unit - 1] = QString::number(unit);
    }
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
    m_groupGrid = new QGridLayout(grpBindGroup);
    auto* lblGroup = captionedChoice(grpBindGroup, m_st.getString(Msg::GroupCountLabel), "lblGroup", cmbGroup,
                                     "cmbGroup", ChoiceLists::groupItems(m_st));
    m_groupGrid->addWidget(lblGroup, 0, 0, 1, 2);
    m_groupGrid->addWidget(cmbGroup, 0, 2, 1, 2);
    for (int c = 0; c < 3; ++c) {
        lblModemID[c] = new QLabel(m_st.getString(Msg::TormelIdHeader), grpBindGroup);
        lblModemID[c]->setObjectName(numbered("lblModemID", c + 1));
        lblNumRange[c] = new QLabel(m_st.getString(Msg::RangeHeader), grpBindGroup);
        lblNumRange[c]->setObjectName(numbered("lblNumRange", c + 1));
        m_groupGrid->addWidget(lblModemID[c], 1, c * 2);
        m_groupGrid->addWidget(lblNumRange[c], 1, c * 2 + 1);
    }
    m_groupGrid->setRowStretch(2 + kRowsPerColumn, 1);
    m_groupGrid->setColumnStretch(6, 1);
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
    m_unitGrid = new QGridLayout;
    m_unitGrid->setHorizontalSpacing(4);
    m_unitGrid->setVerticalSpacing(2);
    eachOuter->addLayout(m_unitGrid);
    eachOuter->addStretch(1);
    outer->addWidget(grpBindEach, 1);

    connect(cmbBindType, &QComboBox::currentIndexChanged, this, [this] { bindTypeChanged(); });
    connect(cmbGroup, &QComboBox::currentIndexChanged, this, [this] { groupChanged(); });
    connect(btnEachAllClear, &QPushButton::clicked, this, [this] { clearUnits(); });
    bindTypeChanged();
    showRows(0);
}

void BindingsTab::showEvent(QShowEvent* event) {
    buildTable();
    QWidget::showEvent(event);
}

void BindingsTab::buildTable() {
    if (m_built) {
        return;
    }
    m_built = true;
    for (int row = 1; row <= kBindingRows; ++row) {
        const int column = (row - 1) / kRowsPerColumn;
        const int line = 2 + (row - 1) % kRowsPerColumn;
        auto* id = new QLineEdit(grpBindGroup);
        id->setObjectName(numbered("txtModemID", row));
        id->setFixedWidth(40);
        id->setText(m_modemIds[row - 1]);
        attachLiveFilter(id, m_check, LiveFilters::txtModemID(row));
        auto* range = new QComboBox(grpBindGroup);
        range->setObjectName(numbered("cmbNumRange", row));
        range->setMinimumWidth(130);
        m_groupGrid->addWidget(id, line, column * 2);
        m_groupGrid->addWidget(range, line, column * 2 + 1);
        txtModemID[row - 1] = id;
        cmbNumRange[row - 1] = range;
        connect(id, &QLineEdit::textChanged, this,
                [this, row](const QString& text) { m_modemIds[row - 1] = boxText(text); });
        connect(range, &QComboBox::currentIndexChanged, this, [this, row] { rangeChanged(row); });
    }

    const int unitRows = (kBindingUnits + kUnitColumns - 1) / kUnitColumns;
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        // Down the columns, so the numbers read like a table.
        const int column = (unit - 1) / unitRows;
        const int line = (unit - 1) % unitRows;
        auto* label = new QLabel(QString::number(unit) + QStringLiteral("："), grpBindEach);
        label->setObjectName(numbered("lblUnit", unit, 2));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(m_unitTexts[unit - 1], grpBindEach);
        box->setObjectName(numbered("txtUnit", unit, 2));
        box->setFixedWidth(34);
        attachLiveFilter(box, m_check, LiveFilters::txtUnit(unit));
        label->setBuddy(box);
        m_unitGrid->addWidget(label, line, column * 2);
        m_unitGrid->addWidget(box, line, column * 2 + 1);
        // Children added to a tab already on screen are shown only when asked to.
        label->show();
        box->show();
        lblUnit[unit - 1] = label;
        txtUnit[unit - 1] = box;
        connect(box, &QLineEdit::textChanged, this, [this, unit](const QString& text) {
            m_unitTexts[unit - 1] = boxText(text);
            colourUnit(unit);
        });
        colourUnit(unit);
    }
    // Built after the rest of the window, the boxes keep the keyboard order they would have
    // had from the start: the rows after the group count, the units after Clear.
    QWidget* previous = cmbGroup;
    for (int row = 0; row < kBindingRows; ++row) {
        setTabOrder(previous, txtModemID[row]);
        setTabOrder(txtModemID[row], cmbNumRange[row]);
        previous = cmbNumRange[row];
    }
    previous = btnEachAllClear;
    for (QLineEdit* box : txtUnit) {
        setTabOrder(previous, box);
        previous = box;
    }
    const int32_t group = cmbGroup->currentIndex();
    m_rangeFlg = true;
    fillLists(group);
    m_rangeFlg = false;
    showRows(group);
    enableUnits();
}

int BindingsTab::bindTypeIndex() const { return cmbBindType->currentIndex(); }
int BindingsTab::groupIndex() const { return cmbGroup->currentIndex(); }

void BindingsTab::bindTypeChanged() {
    const bool each = cmbBindType->currentIndex() == 1;
    grpBindGroup->setVisible(!each);
    grpBindEach->setVisible(each);
    lblUnitModem->setEnabled(each);
    btnEachAllClear->setEnabled(each);
    enableUnits();
}

void BindingsTab::enableUnits() {
    // The unit boxes take input only while units are bound one by one.
    const bool each = cmbBindType->currentIndex() == 1;
    for (int u = 0; m_built && u < kBindingUnits; ++u) {
        txtUnit[u]->setEnabled(each);
        lblUnit[u]->setEnabled(each);
    }
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
        m_modemIds[row - 1] = emptyText();
        if (m_built) {
            txtModemID[row - 1]->clear();
        }
    }
    const Grouping* g = groupingOf(group);
    m_selected.assign(g != nullptr ? static_cast<std::size_t>(g->groups) : 0U, -1);
    fillLists(group);
    showRows(group);
    m_rangeFlg = false;
}

std::vector<int> BindingsTab::rowChoices(int32_t group, int row) const {
    const Grouping* g = groupingOf(group);
    if (g == nullptr || row >= g->groups) {
        return {};
    }
    const std::size_t at = static_cast<std::size_t>(row);
    const int own = at < m_selected.size() ? m_selected[at] : -1;
    std::vector<int> choices{-1};
    for (int k = 0; k < g->groups; ++k) {
        bool elsewhere = false;
        for (std::size_t other = 0; other < m_selected.size(); ++other) {
            elsewhere = elsewhere || (other != at && m_selected[other] == k);
        }
        if (k == own || !elsewhere) {
            choices.push_back(k);
        }
    }
    return choices;
}

void BindingsTab::fillLists(int32_t group) {
    if (!m_built) {
        return;
    }
    const Grouping* g = groupingOf(group);
    for (int row = 0; row < kBindingRows; ++row) {
        QComboBox* range = cmbNumRange[row];
        const QSignalBlocker blocker(range);
        range->clear();
        for (const int position : rowChoices(group, row)) {
            range->addItem(
                position < 0 ? m_st.getString(kNotUsedLabel) : m_st.getString(g->firstLabel + position),
                position);
        }
        const std::size_t at = static_cast<std::size_t>(row);
        const int own = at < m_selected.size() ? m_selected[at] : -1;
        range->setCurrentIndex(range->count() == 0 ? -1 : std::max(0, range->findData(own)));
    }
}

void BindingsTab::rangeChanged(int row) {
    QComboBox* range = cmbNumRange[row - 1];
    if (m_rangeFlg || range->isHidden() || range->currentIndex() < 0) {
        return;
    }
    // The range taken leaves the other rows, the one given up returns to them.
    m_rangeFlg = true;
    const std::size_t at = static_cast<std::size_t>(row - 1);
    if (at < m_selected.size()) {
        const QVariant position = range->currentData();
        m_selected[at] = position.isValid() ? position.toInt() : -1;
    }
    fillLists(cmbGroup->currentIndex());
    m_select->setCmbText(row, range->currentText());
    m_rangeFlg = false;
}

void BindingsTab::colourUnit(int unit) {
    if (!m_built) {
        return;
    }
    // Any text but the unit's own number is a change, an empty box too: it takes the unit's
    // binding away.
    QLineEdit* box = txtUnit[unit - 1];
    QPalette palette = box->palette();
    const bool changed = box->text() != QString::number(unit);
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
    for (int row = 0; m_built && row < kBindingRows; ++row) {
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
    m_unitTexts[unit - 1] = boxText(text);
    if (m_built) {
        txtUnit[unit - 1]->setText(text);
        colourUnit(unit);
    }
}

void BindingsTab::resetUnits() {
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        setUnitText(unit, QString::number(unit));
    }
}

void BindingsTab::store() const {
    NumRange& select = *m_select;
    const int32_t group = cmbGroup->currentIndex();
    const Grouping* g = groupingOf(group);
    select.setBindType(cmbBindType->currentIndex() == 1 ? 2 : 1);
    select.setGroupIdx(group);
    select.clearNowList();
    for (int row = 1; row <= kBindingRows; ++row) {
        select.setModemID(row, m_modemIds[row - 1]);
        // The row's list as it is (or would be) shown, and the place of its selection in it.
        const std::vector<int> choices = rowChoices(group, row - 1);
        const std::size_t at = static_cast<std::size_t>(row - 1);
        const int own = at < m_selected.size() ? m_selected[at] : -1;
        const auto found = std::find(choices.begin(), choices.end(), own);
        select.setSelectIdx(row, choices.empty() ? -1
                                 : found == choices.end()
                                     ? 0
                                     : static_cast<int32_t>(std::distance(choices.begin(), found)));
        for (const int position : choices) {
            select.setNowList(
                row, position < 0 ? m_st.getString(kNotUsedLabel) : m_st.getString(g->firstLabel + position));
        }
    }
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        select.setUnit(unit, m_unitTexts[unit - 1]);
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
        m_modemIds[row] = boxText(config.m_modem[row]);
        if (m_built) {
            txtModemID[row]->setText(config.m_modem[row]);
        }
    }
    m_selected = selected;
    fillLists(group);
    for (int row = 1; row <= kBindingRows; ++row) {
        const std::size_t at = static_cast<std::size_t>(row - 1);
        const int position = at < m_selected.size() ? m_selected[at] : -1;
        m_select->setCmbText(
            row, position < 0 ? m_st.getString(kNotUsedLabel) : m_st.getString(g->firstLabel + position));
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
