// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "settings/ApplicationConfig.h"
#include "settings/ErrCheck.h"
#include "settings/NumRange.h"
#include "settings/StringTable.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Tormel::Gui {

// The Bindings tab of the RS485 window (tabPage3): which node serves which terminal device,
// by groups of device IDs or one by one. The window stores it into and loads it from its
// binding holder; the held text of each row (the range it gave up last) lives in that holder.
//
// The tab keeps its values itself (node IDs, the range each row holds, the unit texts) and
// builds the 25 rows and 99 unit boxes only when it is first shown or buildTable() is called:
// most sessions never open it, and those widgets were a sixth of the window's start. Loading
// and storing work the same before and after.
class BindingsTab : public QWidget {
    Q_OBJECT
  public:
    BindingsTab(const StringTable& st, ErrCheck& check, std::shared_ptr<NumRange> select,
                QWidget* parent = nullptr);

    // Bind type, group count, node IDs, selected ranges, unit texts and every range list into
    // the holder.
    void store() const;
    // The binding part of a whole configuration; the range lists are filled without the range
    // handlers seeing it.
    void load(const ApplicationConfig& config);
    // Group, no groups, every unit served by its own number.
    void loadDefaults();
    // Units at 2.0 and 2.1 bind by group only and know no 25-group table.
    void applyCapability(bool veryOld);
    // False when a very old unit could not take the document's binding (25 groups, or one
    // binding per unit).
    static bool fitsUnit(const ApplicationConfig& config, bool veryOld);

    int bindTypeIndex() const;
    int groupIndex() const;

    // Builds the rows and unit boxes now (once); the first showing of the tab does it too.
    void buildTable();
    bool tableBuilt() const { return m_built; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void bindTypeChanged();
    void groupChanged();
    void rangeChanged(int row);
    // The positions row `row` (0-based) offers within the grouping, given every row's
    // selection (-1 Not Used): Not Used, then the row's own range and every range no other
    // row holds, in canonical order. Empty for a row the grouping does not show.
    std::vector<int> rowChoices(int32_t group, int row) const;
    // Fills the shown rows' lists from the held selections; each row keeps its selection.
    void fillLists(int32_t group);
    void setGroupCount(int32_t group);
    void showRows(int32_t group);
    void resetUnits();
    void setUnitText(int unit, const QString& text);
    void colourUnit(int unit);
    void enableUnits();
    void clearUnits();

    const StringTable& m_st;
    ErrCheck& m_check;
    std::shared_ptr<NumRange> m_select;
    bool m_rangeFlg = false;
    bool m_built = false;

    // The values, whether or not the table is built.
    std::array<QString, kBindingRows> m_modemIds;
    std::vector<int> m_selected;  // range position per shown row, -1 Not Used
    std::array<QString, kBindingUnits> m_unitTexts;

    QComboBox* cmbBindType = nullptr;
    QGroupBox* grpBindGroup = nullptr;
    QGridLayout* m_groupGrid = nullptr;
    QComboBox* cmbGroup = nullptr;
    std::array<QLabel*, 3> lblModemID{};
    std::array<QLabel*, 3> lblNumRange{};
    std::array<QLineEdit*, kBindingRows> txtModemID{};
    std::array<QComboBox*, kBindingRows> cmbNumRange{};
    QGroupBox* grpBindEach = nullptr;
    QGridLayout* m_unitGrid = nullptr;
    QLabel* lblUnitModem = nullptr;
    QLabel* lblTormelID = nullptr;
    std::array<QLineEdit*, kBindingUnits> txtUnit{};
    std::array<QLabel*, kBindingUnits> lblUnit{};
    QPushButton* btnEachAllClear = nullptr;
};

}  // namespace Tormel::Gui
