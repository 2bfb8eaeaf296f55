// SPDX-License-Identifier: MIT
#include "gui/WriteFailureReport.h"

#include <algorithm>
#include <string>

#include "domain/modem/Replies.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

namespace {

QString shown(const std::string& line) {
    return QString::fromStdString(Domain::Modem::Replies::MaskKeyMaterial(line));
}

}  // namespace

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
            .arg(shown(last->line.substr(Domain::Modem::kNotSentEvent.size())));
    }
    QString text = strings.getString(Msg::WriteRequestFailed).arg(shown(last->line));
    // The first line after a request is the unit's answer to it; an empty line says nothing.
    const auto reply = std::find_if(last.base(), dialogue.end(), [](const TraceEntry& e) {
        return e.direction == TraceDirection::Received && !e.line.empty();
    });
    if (reply != dialogue.end()) {
        text += QLatin1Char('\n') + strings.getString(Msg::WriteRequestReply).arg(shown(reply->line));
    }
    return text;
}

}  // namespace Tormel::Gui
