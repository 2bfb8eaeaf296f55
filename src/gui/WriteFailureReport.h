// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "domain/modem/TraceRecorder.h"

namespace Tormel::Gui {

class StringTable;

// Follows the dialogue with the unit during a write, so that a failed write can name the
// request the unit did not accept and what it answered to it. The controller's own failure
// text is only the last line read, which may belong to an earlier, successful request.
class WriteFailureReport {
    Q_DISABLE_COPY(WriteFailureReport)

  public:
    WriteFailureReport() = default;

    // Starts following the link (forgetting what was seen before); call before the write is
    // started. stop() ends it; call once the write's completion has arrived.
    void start();
    void stop();

    // "Writing the settings failed at the request: ~CH=61" and, when the unit answered it, its
    // answer on a second line; for a value refused before its request was sent, that value
    // ("... was not sent: ~SLNT=101"); empty when no request was sent.
    QString text(const StringTable& strings) const;

    // The settings the unit confirmed before the write stopped (the requests "~IDOFFSET=", ...,
    // in the order sent), which it keeps: nothing is rolled back.
    QStringList confirmedSettings() const;
    // "The unit is half-written: it confirmed 2 setting(s) ..." naming them; empty when the
    // unit confirmed none.
    QString halfWrittenText(const StringTable& strings) const;

  private:
    Domain::Modem::TraceRecorder m_trace;
};

}  // namespace Tormel::Gui
