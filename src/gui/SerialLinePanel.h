// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <cstdint>
#include <optional>

#include "domain/common/SerialLine.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

namespace Tormel::Gui {

class StringTable;

// The serial line as the panel shows it and a connect uses it: values, not list positions.
struct SerialLine {
    int32_t bitRate = 9600;  // 0 while the bit-rate list has no choice
    int32_t dataBits = 8;
    Domain::Common::Parity parity = Domain::Common::Parity::None;
    Domain::Common::StopBits stopBits = Domain::Common::StopBits::One;

    bool operator==(const SerialLine&) const = default;
};

// The serial line between a unit and the equipment it serves, as both main windows offer it:
// bit rate, data bits, parity and stop bits, each a caption and a list (cmbBaudrate, ...). The
// bit rate is kept as a rate when the list changes under it.
class SerialLinePanel {
  public:
    SerialLinePanel(const StringTable& strings, QWidget* parent, bool with76800);

    // Puts the four captions and lists on lines firstRow to firstRow + 3 of `grid`.
    void addRows(QGridLayout& grid, int firstRow, bool captionsRight);
    void setVisible(bool visible);

    bool offers76800() const;
    // Rebuilds the bit-rate list with or without 76800 bit/s, keeping the rate chosen; a line at
    // 76800 that is no longer offered becomes the next faster rate, never a slower one.
    void offer76800(bool with76800);
    std::optional<int32_t> bitRate() const;

    SerialLine line() const;
    // Shows `line`; a value its list does not offer leaves that list as it was.
    void setLine(const SerialLine& line);
    // 9600 bit/s, 8 data bits, no parity, 1 stop bit.
    void setDefaults();

  private:
    QComboBox* cmbBaudrate = nullptr;
    QComboBox* cmbDataBit = nullptr;
    QComboBox* cmbParity = nullptr;
    QComboBox* cmbStopBit = nullptr;
    QList<QLabel*> m_captions;
};

}  // namespace Tormel::Gui
