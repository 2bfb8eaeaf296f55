// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <cstdint>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;

namespace Tormel::Gui {

class StringTable;

// The list positions a settings document keeps for the serial line. The bit rate's position
// means a rate only together with the list it was taken from (with or without 76800 bit/s).
struct LinePositions {
    int32_t baudrate = 2;  // 9600 bit/s in either list
    int32_t databits = 0;
    int32_t parity = 0;
    int32_t stopbits = 0;
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

    LinePositions positions() const;
    // Positions outside their list leave that list as it was.
    void setPositions(const LinePositions& line);
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
