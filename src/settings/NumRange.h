// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "settings/StringTable.h"

namespace Tormel::Gui {

// A grouping divides the device IDs 1 to 99 into groups of equal size. The unit stores a
// group as a mask over the high bits of a device ID and a key, the first ID of the group with
// the low bits cleared; the k-th group's key is k times the group size.
struct Grouping {
    int groups;  // rows of the binding table that the grouping uses
    int size;    // device IDs per group
    uint8_t mask;
    int firstLabel;  // message id of the first group's range label
};

// Indexed by grouping index 1 to 5 minus one (2, 4, 7, 13, 25 groups).
inline constexpr std::array<Grouping, 5> kGroupings{{
    {2, 64, 0xC0, 69},
    {4, 32, 0xE0, 71},
    {7, 16, 0xF0, 75},
    {13, 8, 0xF8, 82},
    {25, 4, 0xFC, 95},
}};

// The grouping of index 1 to 5, or nullptr for any other index (0 = no grouping).
inline const Grouping* groupingOf(int32_t groupIdx) {
    return groupIdx >= 1 && groupIdx <= 5 ? &kGroupings[static_cast<std::size_t>(groupIdx - 1)] : nullptr;
}

inline constexpr Msg kNotUsedLabel = Msg::RangeNotUsed;  // first item of every range list
inline constexpr int kBindingRows = 25;
inline constexpr int kBindingUnits = 99;

// The binding table as the form shows it, and the conversion between range labels and the
// (mask, key) pairs the unit stores. Rows are 1 to 25 and units 1 to 99; operations given
// another row or unit number read an empty text (or 0) and change nothing.
//
// The range lists are held through shared pointers because a settings object built from
// this holder takes the very same lists over (it sees later changes). Copying a NumRange
// gives the copy lists of its own; assigning one copies the items into the existing lists.
class NumRange {
  public:
    NumRange();
    NumRange(const NumRange& other);
    NumRange& operator=(const NumRange& other);

    void setBindType(int32_t v) { m_selectBindType = v; }
    int32_t getBindType() const { return m_selectBindType; }
    void setGroupIdx(int32_t v) { m_selectGroup = v; }
    int32_t getGroupIdx() const { return m_selectGroup; }

    void setSelectIdx(int row, int32_t v);
    int32_t getSelectIdx(int row) const;
    void setUnit(int unit, const QString& v);
    QString getUnit(int unit) const;
    void setCmbText(int row, const QString& text);
    QString getCmbText(int row) const;
    void setModemID(int row, const QString& text);
    QString getModemID(int row) const;
    void setNowList(int row, const QString& text);  // appends one item to the row's list
    void clearNowList();

    // The range label of the group with this mask and key; a null text for any pair that is
    // not a group of one of the groupings.
    QString getStrRange(uint8_t mask, uint8_t key) const;
    // The key whose label (in the current language) is `text` within grouping 1 to 5; 255
    // when the text names no group of that grouping or the index is outside 1 to 5.
    uint8_t getRangeConvert(const QString& text, int32_t groupIdx) const;

    // clang-format off
#define PELNIX_ROW(n)                                               \
    void setSelectIdx##n(int32_t v) { setSelectIdx(n, v); }         \
    int32_t getSelectIdx##n() const { return getSelectIdx(n); }
    PELNIX_ROW(1) PELNIX_ROW(2) PELNIX_ROW(3) PELNIX_ROW(4) PELNIX_ROW(5) PELNIX_ROW(6) PELNIX_ROW(7)
    PELNIX_ROW(8) PELNIX_ROW(9) PELNIX_ROW(10) PELNIX_ROW(11) PELNIX_ROW(12) PELNIX_ROW(13)
    PELNIX_ROW(14) PELNIX_ROW(15) PELNIX_ROW(16) PELNIX_ROW(17) PELNIX_ROW(18) PELNIX_ROW(19)
    PELNIX_ROW(20) PELNIX_ROW(21) PELNIX_ROW(22) PELNIX_ROW(23) PELNIX_ROW(24) PELNIX_ROW(25)
#undef PELNIX_ROW
// Unit numbers are written with two digits (setUnit01); 1nn - 100 turns them into a number.
#define PELNIX_UNIT(nn)                                                      \
    void setUnit##nn(const QString& v) { setUnit(1##nn - 100, v); }           \
    QString getUnit##nn() const { return getUnit(1##nn - 100); }
#define PELNIX_UNITS10(d)                                                                     \
    PELNIX_UNIT(d##0) PELNIX_UNIT(d##1) PELNIX_UNIT(d##2) PELNIX_UNIT(d##3) PELNIX_UNIT(d##4) \
    PELNIX_UNIT(d##5) PELNIX_UNIT(d##6) PELNIX_UNIT(d##7) PELNIX_UNIT(d##8) PELNIX_UNIT(d##9)
    PELNIX_UNIT(01) PELNIX_UNIT(02) PELNIX_UNIT(03) PELNIX_UNIT(04) PELNIX_UNIT(05) PELNIX_UNIT(06)
    PELNIX_UNIT(07) PELNIX_UNIT(08) PELNIX_UNIT(09)
    PELNIX_UNITS10(1) PELNIX_UNITS10(2) PELNIX_UNITS10(3) PELNIX_UNITS10(4) PELNIX_UNITS10(5)
    PELNIX_UNITS10(6) PELNIX_UNITS10(7) PELNIX_UNITS10(8) PELNIX_UNITS10(9)
#undef PELNIX_UNITS10
#undef PELNIX_UNIT
        // clang-format on

        // The items that the range list of row 1 to 25 offers (index row - 1), in list order.
        std::array<std::shared_ptr<QStringList>, kBindingRows> m_nowList;

  private:
    StringTable m_st;
    int32_t m_selectBindType = 1;  // 1 = by group, 2 = individual
    int32_t m_selectGroup = 0;     // grouping index, 0 = none
    std::array<int32_t, kBindingRows> m_tmpSelectIdx{};
    std::array<QString, kBindingRows> m_preText;
    std::array<QString, kBindingRows> m_modemID;
    std::array<QString, kBindingUnits> m_selectUnit;  // null until set
};

}  // namespace Tormel::Gui
