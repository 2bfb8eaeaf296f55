// SPDX-License-Identifier: MIT
#include "settings/SettingsXml.h"

namespace Tormel::Gui::SettingsXml {

namespace {

// Lines end in CR LF, as in the settings files technicians already exchange.
constexpr char kNewLine[] = "\r\n";

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The references written for characters that cannot stand in element text as they are. A raw
// CR would come back as LF; a character reference keeps it.
struct Entity {
    char16_t c;
    const char* ref;
};
constexpr Entity kEntities[] = {{u'&', "&amp;"}, {u'<', "&lt;"}, {u'>', "&gt;"}, {u'\r', "&#xD;"}};

const char* entityFor(char16_t c) {
    for (const Entity& e : kEntities) {
        if (e.c == c) {
            return e.ref;
        }
    }
    return nullptr;
}

// Escapes element text; false when the text holds a character XML 1.0 cannot carry at all
// (control characters, unpaired surrogates).
bool escape(const QString& text, QString& out) {
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        if (c.isSurrogate() || !isXmlChar(c.unicode())) {
            return false;
        }
        if (const char* ref = entityFor(c.unicode())) {
            out += QLatin1String(ref);
        } else {
            out += c;
        }
    }
    return true;
}

bool isXmlSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QStringView trimXml(QStringView text) {
    while (!text.isEmpty() && isXmlSpace(text.front())) {
        text = text.mid(1);
    }
    while (!text.isEmpty() && isXmlSpace(text.back())) {
        text.chop(1);
    }
    return text;
}

}  // namespace

Writer::Writer(const QString& root) : m_root(root) {
    m_out += "<?xml version=\"1.0\"?>";
    m_out += kNewLine;
    m_out += '<';
    m_out += root.toUtf8();
    m_out +=
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">";
    m_out += kNewLine;
}

void Writer::element(const QString& name, const QString& attributes, const QString& text) {
    QString escaped;
    if (!escape(text, escaped)) {
        m_ok = false;
    }
    m_out += "  <";
    m_out += name.toUtf8();
    m_out += attributes.toUtf8();
    if (escaped.isEmpty()) {
        m_out += " />";
    } else {
        m_out += '>';
        m_out += escaped.toUtf8();
        m_out += "</";
        m_out += name.toUtf8();
        m_out += '>';
    }
    m_out += kNewLine;
}

void Writer::intElement(const QString& name, int32_t value) { element(name, {}, QString::number(value)); }

void Writer::boolElement(const QString& name, bool value) {
    element(name, {}, value ? QStringLiteral("true") : QStringLiteral("false"));
}

void Writer::textElement(const QString& name, const QString& text) {
    if (!text.isNull()) {
        element(name, {}, text);
    }
}

void Writer::listItem(const QString& name, const QString& text) {
    element(name, QStringLiteral(" xsi:type=\"xsd:string\""), text);
}

std::optional<QByteArray> Writer::finish() {
    m_out += "</";
    m_out += m_root.toUtf8();
    m_out += '>';
    if (!m_ok) {
        return std::nullopt;
    }
    return m_out;
}

std::optional<int32_t> parseInt32(QStringView text) {
    text = trimXml(text);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > int64_t{INT32_MAX} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX || value < INT32_MIN) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

std::optional<bool> parseBool(QStringView text) {
    text = trimXml(text);
    if (text == u"true" || text == u"1") {
        return true;
    }
    if (text == u"false" || text == u"0") {
        return false;
    }
    return std::nullopt;
}

}  // namespace Tormel::Gui::SettingsXml
