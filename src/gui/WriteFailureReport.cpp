// SPDX-License-Identifier: MIT
#include "gui/WriteFailureReport.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "settings/StringTable.h"

namespace Tormel::Gui {

using Domain::Modem::TraceDirection;
using Domain::Modem::TraceEntry;

void WriteFailureReport::start() { m_trace.start(); }

void WriteFailureReport::stop() { m_trace.stop(); }

QString WriteFailureReport::text(const StringTable& strings) const {
    const std::vector<TraceEntry> dialogue = m_trace.entries();
    const auto refusal = [](const TraceEntry& e) {
        return e.direction == TraceDirection::Event && e.line.rfind(Domain::Modem::kNotSentEvent, 0) == 0;
    };
    const auto isRequest = [&](const TraceEntry& e) {
        return e.direction == TraceDirection::Sent || refusal(e);
    };
    const auto last = std::find_if(dialogue.rbegin(), dialogue.rend(), isRequest);
    if (last == dialogue.rend()) {
        return {};
    }
    // A value refused before its request went out: the requests before it were accepted.
    if (refusal(*last)) {
        return strings.getString(Msg::WriteValueRefused)
            .arg(QString::fromStdString(last->line.substr(Domain::Modem::kNotSentEvent.size())));
    }
    QString text = strings.getString(Msg::WriteRequestFailed).arg(QString::fromStdString(last->line));
    // The first line after a request is the unit's answer to it; an empty line says nothing.
    const auto reply = std::find_if(last.base(), dialogue.end(), [](const TraceEntry& e) {
        return e.direction == TraceDirection::Received && !e.line.empty();
    });
    if (reply != dialogue.end()) {
        text += QLatin1Char('\n') +
                strings.getString(Msg::WriteRequestReply).arg(QString::fromStdString(reply->line));
    }
    return text;
}

QStringList WriteFailureReport::confirmedSettings() const {
    const std::vector<TraceEntry> dialogue = m_trace.entries();
    const auto lastSent = std::find_if(dialogue.rbegin(), dialogue.rend(), [](const TraceEntry& e) {
        return e.direction == TraceDirection::Sent;
    });
    QStringList confirmed;
    if (lastSent == dialogue.rend()) {
        return confirmed;
    }
    // Every request before the last one was answered, or the write would have stopped there.
    const auto end = std::prev(lastSent.base());
    for (auto it = dialogue.begin(); it != end; ++it) {
        const std::size_t eq = it->line.find('=');
        const auto next = std::next(it);
        if (it->direction != TraceDirection::Sent || eq == std::string::npos ||
            next->direction != TraceDirection::Received) {
            continue;
        }
        const QString name = QString::fromStdString(it->line.substr(0, eq + 1));
        if (!confirmed.contains(name)) {
            confirmed.append(name);
        }
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
