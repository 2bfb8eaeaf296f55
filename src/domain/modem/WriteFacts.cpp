// SPDX-License-Identifier: MIT
#include "domain/modem/WriteFacts.h"

#include <algorithm>
#include <iterator>

namespace Tormel::Domain::Modem {
namespace {

bool IsEvent(const TraceEntry& e, std::string_view kind) {
    return e.direction == TraceDirection::Event && e.line.rfind(kind, 0) == 0;
}

std::string AfterPrefix(const TraceEntry& e, std::string_view kind) { return e.line.substr(kind.size()); }

// "~HODR=" of a set request "~HODR=42"; empty for a query or a command without a value.
std::string SetRequestName(const std::string& request) {
    const auto eq = request.find('=');
    return eq == std::string::npos ? std::string() : request.substr(0, eq + 1);
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

// The stop at the last request the write made or meant to make.
WriteStop StopAt(const std::vector<TraceEntry>& dialogue, std::vector<TraceEntry>::const_iterator last) {
    WriteStop stop;
    if (IsEvent(*last, kNotSentEvent)) {
        stop.kind = WriteStopKind::NotSent;
        stop.request = AfterPrefix(*last, kNotSentEvent);
        return stop;
    }
    if (IsEvent(*last, kStoppedEvent)) {
        stop.kind = WriteStopKind::Stopped;
        stop.request = AfterPrefix(*last, kStoppedEvent);
        return stop;
    }
    stop.request = last->line;
    stop.kind = WriteStopKind::NoReply;
    for (auto it = std::next(last); it != dialogue.end(); ++it) {
        if (IsEvent(*it, kPortFailedEvent)) {
            stop.kind = WriteStopKind::HungUp;
            stop.reason = AfterPrefix(*it, kPortFailedEvent);
            return stop;
        }
        // The first non-empty line after a request is the unit's answer to it.
        if (it->direction == TraceDirection::Received && !it->line.empty() &&
            stop.kind == WriteStopKind::NoReply) {
            stop.kind = WriteStopKind::Refused;
            stop.reply = it->line;
        }
    }
    return stop;
}

}  // namespace

bool WriteFacts::wasConfirmed(std::string_view setRequest) const {
    return std::find(confirmed.begin(), confirmed.end(), setRequest) != confirmed.end();
}

bool WriteFacts::mayHaveTaken(std::string_view setRequest) const {
    if (wasConfirmed(setRequest)) return true;
    if (!stop || SetRequestName(stop->request) != setRequest) return false;
    return stop->kind == WriteStopKind::NoReply || stop->kind == WriteStopKind::HungUp;
}

WriteFacts WriteFactsOf(const std::vector<TraceEntry>& dialogue, bool completed) {
    WriteFacts facts;
    const auto isRequest = [](const TraceEntry& e) {
        return e.direction == TraceDirection::Sent || IsEvent(e, kNotSentEvent) || IsEvent(e, kStoppedEvent);
    };
    const auto lastRequest = std::find_if(dialogue.rbegin(), dialogue.rend(), isRequest);
    // Each set request answered and followed by a further request was confirmed: the write
    // goes on only past a confirmation. After a completed write, the last one was too.
    const auto end =
        lastRequest == dialogue.rend() || completed ? dialogue.end() : std::prev(lastRequest.base());
    for (auto it = dialogue.begin(); it != end; ++it) {
        if (it->direction != TraceDirection::Sent) continue;
        const auto next = std::next(it);
        if (next != dialogue.end() && next->direction == TraceDirection::Received)
            AddOnce(facts.confirmed, SetRequestName(it->line));
    }
    if (completed) return facts;
    facts.stop =
        lastRequest == dialogue.rend() ? WriteStop{} : StopAt(dialogue, std::prev(lastRequest.base()));
    return facts;
}

}  // namespace Tormel::Domain::Modem
