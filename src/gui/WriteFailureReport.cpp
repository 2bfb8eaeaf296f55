// SPDX-License-Identifier: MIT
#include "gui/WriteFailureReport.h"

#include <string>

#include "domain/modem/Replies.h"
#include "domain/modem/WriteFacts.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

namespace {

QString shown(const std::string& line) {
    return QString::fromStdString(Domain::Modem::Replies::MaskKeyMaterial(line));
}

}  // namespace

void WriteFailureReport::start() { m_trace.start(); }

void WriteFailureReport::stop() { m_trace.stop(); }

// Where the write stopped and what the unit confirmed are the domain's facts; this only puts
// them in the window's words.
QString WriteFailureReport::text(const StringTable& strings) const {
    using Domain::Modem::WriteStopKind;
    const Domain::Modem::WriteFacts facts = Domain::Modem::WriteFactsOf(m_trace.entries(), false);
    if (!facts.stop || facts.stop->kind == WriteStopKind::NothingSent) {
        return {};
    }
    // A value refused before its request went out: the requests before it were accepted.
    if (facts.stop->kind == WriteStopKind::NotSent) {
        return strings.getString(Msg::WriteValueRefused).arg(shown(facts.stop->request));
    }
    QString text = strings.getString(Msg::WriteRequestFailed).arg(shown(facts.stop->request));
    if (facts.stop->kind == WriteStopKind::Refused) {
        text += QLatin1Char('\n') + strings.getString(Msg::WriteRequestReply).arg(shown(facts.stop->reply));
    }
    return text;
}

QStringList WriteFailureReport::confirmedSettings() const {
    QStringList confirmed;
    for (const std::string& name : Domain::Modem::WriteFactsOf(m_trace.entries(), false).confirmed) {
        confirmed.append(QString::fromStdString(name));
    }
    return confirmed;
}

QString WriteFailureReport::halfWrittenText(const StringTable& strings) const {
    const QStringList confirmed = confirmedSettings();
    if (confirmed.isEmpty()) {
        return {};
    }
    return strings.getString(Msg::UnitHalfWritten)
        .arg(confirmed.size())
        .arg(confirmed.join(QStringLiteral(", ")));
}

}  // namespace Tormel::Gui
