// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "settings/NumRange.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

// Puts the range labels of a binding row back into key order. The binding table lets each
// range be chosen by one row only, so ranges leave and return to the rows' lists in any
// order; passing a row's items through here restores the order of the grouping and drops
// whatever is no label of it. Rows are 1 to 25; other rows are ignored.
class CmbSort {
  public:
    CmbSort();

    void addList(int row, const QString& text);
    // Appends to the row's result, in master order, every label of the grouping that occurs
    // in the row's input (once per occurrence). Nothing for grouping indexes outside 1 to 5
    // or rows the grouping does not use.
    void serchList(int32_t groupIdx, int row);
    // Item `index` of the row's result; an empty text when there is no such item.
    QString retListText(int row, int index) const;
    // Number of items in the row's result (0 for rows outside 1 to 25).
    int retListCount(int row) const;
    void clearCmpList();
    void clearRetList();

    // Master lists, one per grouping, with its labels in key order.
    QStringList m_datListTwo;
    QStringList m_datListFour;
    QStringList m_datListSix;  // the 7-group grouping
    QStringList m_datListThirteen;
    QStringList m_datListTwentyfive;

    std::array<QStringList, kBindingRows> m_cmpList;  // per row: labels to be ordered
    std::array<QStringList, kBindingRows> m_retList;  // per row: the ordered result

  private:
    const QStringList* masterList(int32_t groupIdx) const;

    StringTable m_st;
};

}  // namespace Tormel::Gui
