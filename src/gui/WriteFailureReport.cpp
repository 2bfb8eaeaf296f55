// SPDX-License-Identifier: MIT
#include "gui/WriteFailureReport.h"

#include "domain/modem/Command.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

using Domain::Modem::Command;
using Domain::Modem::TraceDirection;

WriteFailureReport::WriteFailureReport() : m_seen(std::make_shared<Seen>()) {}

WriteFailureReport::~WriteFailureReport() { stop(); }

void WriteFailureReport::start() {
    {
        std::lock_guard<std::mutex> guard(m_seen->lock);
        m_seen->request.clear();
        m_seen->reply.clear();
    }
    // The sink runs on the worker's thread; it holds the record, not this object.
    Command::SetTraceSink([seen = m_seen](TraceDirection direction, std::string_view line, auto) {
        std::lock_guard<std::mutex> guard(seen->lock);
        if (direction == TraceDirection::Sent) {
            seen->request.assign(line);
            seen->reply.clear();
        } else if (direction == TraceDirection::Received && seen->reply.empty()) {
            // The first line after a request is the unit's answer to it.
            seen->reply.assign(line);
        }
    });
    m_following = true;
}

void WriteFailureReport::stop() {
    if (m_following) {
        Command::SetTraceSink({});
        m_following = false;
    }
}

QString WriteFailureReport::text(const StringTable& strings) const {
    std::lock_guard<std::mutex> guard(m_seen->lock);
    if (m_seen->request.empty()) {
        return {};
    }
    QString text = strings.getString(Msg::WriteRequestFailed).arg(QString::fromStdString(m_seen->request));
    if (!m_seen->reply.empty()) {
        text += QLatin1Char('\n') +
                strings.getString(Msg::WriteRequestReply).arg(QString::fromStdString(m_seen->reply));
    }
    return text;
}

}  // namespace Tormel::Gui
