// SPDX-License-Identifier: MIT
#pragma once

// The report folder of a production line: what it keeps so that a node number belongs to one
// unit only and no unit goes unrecorded, across restarts, several benches and every fault.
//   bench.lock      held by the running bench (flock); names it to a second one
//   sequence.json   the sequence's rule (field, start, step), the last value handed out and
//                   the values handed back (their unit certainly does not hold them)
//   in-flight.log   a journal: a line when a unit begins (its report, port, adapter serial),
//                   when it is given a value, and when its record is complete; what a killed
//                   bench left begun is reported and recorded at the next start
//   summary.csv     one row per unit, appended and synced as each unit ends
//   *.json          one report per unit, owner-only

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "cli/CliSupport.h"
#include "platform/FolderLock.h"

namespace Tormel::Cli {

// --sequence FIELD=START[:STEP], checked against the field's range.
struct SequenceRule {
    QString field;
    int start = 0;
    int step = 1;
    int min = 0;
    int max = 0;
    QString text() const;  // as the option takes it: "IDOFFSET=5:1"
};

// Whether the unit a value was given to holds it: only a unit that certainly does not (its
// request never went out, was refused, or the read-back shows another value) gives it back.
enum class ValueHeld { Yes, No, Maybe };
QString heldName(ValueHeld held);
std::optional<ValueHeld> heldFromName(const QString& name);

// One unit's end as the line records it.
struct UnitRecord {
    QString port;
    QString usbSerial;
    QString reportName;  // the report's file name in the folder
    QJsonObject report;
    std::optional<int> value;
    ValueHeld held = ValueHeld::No;
};

class LineRecord {
  public:
    // Makes the folder ready for a run before any unit is touched: creates it, takes its lock,
    // checks that every file of the record can be written, loads the sequence (refusing
    // another rule) and records what a bench that ended early left in flight. Nothing (after
    // the error on `out`) and the exit code in `code` when the run cannot start.
    bool open(const QString& dir, const std::optional<SequenceRule>& rule, const QString& holder, Output& out,
              int& code);

    // A unit answered on `port`: in flight from now on, under the report name it will get.
    QString begin(const QString& port, const QString& usbSerial);
    // The next value for the unit in flight under `reportName`, recorded as handed out
    // before it is given; nothing when the sequence has ended (endedAt()) or the state
    // could not be saved (saveFailed()).
    std::optional<int> take(const QString& reportName);
    // A unit in flight that was not touched after all (no value was left for it): no longer
    // in flight, and no record of it.
    bool release(const QString& reportName);
    // The unit's record: its report, its row, its value settled; then it is no longer in
    // flight. False when part of the record could not be written (said on `out`);
    // `reportSaved` tells whether the report itself was.
    bool finish(UnitRecord unit, const QString& resultText, Output& out, bool& reportSaved);

    const std::optional<SequenceRule>& rule() const { return m_rule; }
    std::optional<long long> endedAt() const { return m_endedAt; }
    bool saveFailed() const { return m_saveFailed; }
    const QString& dir() const { return m_dir; }

  private:
    bool checkFiles(Output& out);
    bool loadSequence(const SequenceRule* rule, Output& out);
    bool recoverInFlight(Output& out);
    bool saveSequence();
    bool journal(const QJsonObject& entry);
    bool appendRow(const QStringList& fields);
    QString path(const QString& name) const;

    QString m_dir;
    Platform::FolderLock m_lock;
    Platform::DurableAppender m_summary;
    Platform::DurableAppender m_journal;
    std::optional<SequenceRule> m_rule;
    std::optional<int> m_last;
    std::vector<int> m_unused;
    std::optional<long long> m_endedAt;
    bool m_saveFailed = false;
};

// Saves a unit's report where only its owner may read it (it holds the unit's whole
// dialogue), whole or not at all; the reason on `out` when it cannot.
bool saveReport(const QString& path, const QJsonObject& report, Output& out);

}  // namespace Tormel::Cli
