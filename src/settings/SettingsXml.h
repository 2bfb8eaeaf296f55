// SPDX-License-Identifier: MIT
#pragma once

// The settings documents are flat: every element is a direct child of the root and stands
// for one field of the settings object. One table per document type (element name, member,
// kind, default) drives the defaults of a new object, writing and reading, so the three can
// never disagree about an element.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include "settings/Holders.h"
#include "settings/StringTable.h"

namespace Tormel::Gui::SettingsXml {

enum class Kind { Int, Text, Bool, List };

// What a number field may hold, the names of its choices and the window's word for a refusal.
// The window's checks, the command line's refusals and its display all read it from the
// field's row, so a range or a choice is written once.
template <class Doc>
struct IntRule {
    int32_t lo = 0;
    int32_t hi = 0;
    QStringList names{};           // the choices lo, lo + 1, ... as the form names them; empty: a number
    std::optional<Msg> refusal{};  // the message of a window check that refuses the value
    bool zeroAlso = false;         // 0 (switched off) besides lo to hi
    bool onlyWithAes = false;      // checked only where the AES settings are (aesEnFlg)
    bool checked = true;           // false: the choices are named, but no check takes the field
    // A range that depends on other fields of the document (the bit rates of a module type,
    // the channels of a band) replaces lo and hi.
    std::function<std::pair<int32_t, int32_t>(const Doc&)> rangeIn{};
    QString allowed{};  // what a refusal says the field may hold; empty: "lo to hi"

    bool accepts(int32_t value, const Doc& doc) const {
        if (zeroAlso && value == 0) return true;
        const auto [low, high] = rangeIn ? rangeIn(doc) : std::pair{lo, hi};
        return value >= low && value <= high;
    }
    QString allowedText() const {
        return allowed.isEmpty() ? QStringLiteral("%1 to %2").arg(lo).arg(hi) : allowed;
    }
    // The choice's name, or nothing for a value without one.
    std::optional<QString> nameOf(int32_t value) const {
        const qsizetype at = static_cast<qsizetype>(value) - lo;
        if (at < 0 || at >= names.size()) return std::nullopt;
        return names[at];
    }
};

template <class Doc>
struct Field {
    QString name;
    Kind kind;
    std::function<int32_t&(Doc&)> intAt;
    std::function<QString&(Doc&)> textAt;
    std::function<bool&(Doc&)> boolAt;
    std::function<QStringList&(Doc&)> listAt;
    int32_t intDefault = 0;
    bool textAbsent = false;             // the default is a null text, which is not written
    std::optional<IntRule<Doc>> rule{};  // a number field's range and choices, where it has them
};

template <class Doc>
Field<Doc> intField(QString name, std::function<int32_t&(Doc&)> at, int32_t def = 0,
                    std::optional<IntRule<Doc>> rule = std::nullopt) {
    Field<Doc> f{std::move(name), Kind::Int, std::move(at), {}, {}, {}};
    f.intDefault = def;
    f.rule = std::move(rule);
    return f;
}

// The row of the element `name` in a document's table; the table must hold it.
template <class Doc>
const Field<Doc>& rowNamed(const std::vector<Field<Doc>>& table, QStringView name) {
    for (const Field<Doc>& f : table)
        if (f.name == name) return f;
    std::abort();  // a check names an element its own table does not have: a programming error
}

// Whether the document's value of the number field `name` is one its row's rule accepts.
template <class Doc>
bool fieldFits(const Doc& doc, QStringView name) {
    const Field<Doc>& f = rowNamed(Doc::xmlTable(), name);
    return f.rule->accepts(f.intAt(const_cast<Doc&>(doc)), doc);  // the accessor only reads here
}
template <class Doc>
Field<Doc> textField(QString name, std::function<QString&(Doc&)> at, bool absent = false) {
    Field<Doc> f{std::move(name), Kind::Text, {}, std::move(at), {}, {}};
    f.textAbsent = absent;
    return f;
}
template <class Doc>
Field<Doc> boolField(QString name, std::function<bool&(Doc&)> at) {
    return Field<Doc>{std::move(name), Kind::Bool, {}, {}, std::move(at), {}};
}
template <class Doc>
Field<Doc> listField(QString name, std::function<QStringList&(Doc&)> at) {
    return Field<Doc>{std::move(name), Kind::List, {}, {}, {}, std::move(at)};
}

// Element names of numbered fields: "MODEMID" + 7 -> "MODEMID7", width 2 -> "UNIT07".
inline QString numbered(const char* stem, int n, int width = 0) {
    return QString::fromLatin1(stem) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// The document layout written by both windows.
class Writer {
  public:
    explicit Writer(const QString& root);
    void intElement(const QString& name, int32_t value);
    void boolElement(const QString& name, bool value);
    void textElement(const QString& name, const QString& text);  // a null text writes nothing
    void listItem(const QString& name, const QString& text);
    // The finished document, or nothing when a text holds a character that XML cannot carry
    // (the file would not load again).
    std::optional<QByteArray> finish();

  private:
    void element(const QString& name, const QString& attributes, const QString& text);

    QString m_root;
    QByteArray m_out;
    bool m_ok = true;
};

// XML integers and booleans as the settings documents carry them: surrounding white space is
// allowed, an integer may carry a sign, a boolean is true/false/1/0.
std::optional<int32_t> parseInt32(QStringView text);
std::optional<bool> parseBool(QStringView text);

// Stores a parsed value; false, leaving the field as it was, when the text did not parse.
template <class T>
bool assignParsed(const std::optional<T>& parsed, T& field) {
    if (parsed) {
        field = *parsed;
    }
    return parsed.has_value();
}

// Settings files are a few kilobytes; anything far larger is not one.
inline constexpr qint64 kMaxDocumentBytes = 4 * 1024 * 1024;

template <class Doc>
void applyDefaults(Doc& doc, const std::vector<Field<Doc>>& table) {
    for (const auto& f : table) {
        switch (f.kind) {
            case Kind::Int:
                f.intAt(doc) = f.intDefault;
                break;
            case Kind::Text:
                f.textAt(doc) = f.textAbsent ? QString() : emptyText();
                break;
            case Kind::Bool:
                f.boolAt(doc) = false;
                break;
            case Kind::List:
                f.listAt(doc).clear();
                break;
        }
    }
}

template <class Doc>
std::optional<QByteArray> write(const Doc& constDoc, const QString& root,
                                const std::vector<Field<Doc>>& table) {
    Doc& doc = const_cast<Doc&>(constDoc);  // the accessors only read here
    Writer w(root);
    for (const auto& f : table) {
        switch (f.kind) {
            case Kind::Int:
                w.intElement(f.name, f.intAt(doc));
                break;
            case Kind::Text:
                w.textElement(f.name, f.textAt(doc));
                break;
            case Kind::Bool:
                w.boolElement(f.name, f.boolAt(doc));
                break;
            case Kind::List:
                for (const QString& item : f.listAt(doc)) {
                    w.listItem(f.name, item);
                }
                break;
        }
    }
    return w.finish();
}

// Reads a document into `doc`, which must hold the defaults. Elements may come in any order,
// unknown ones are skipped, list items are appended. False for another root element, a text
// that is no integer or boolean where one is expected, or a document that is not well-formed;
// `doc` may then be half filled, so read into a fresh object.
template <class Doc>
bool read(const QByteArray& bytes, const QString& root, const std::vector<Field<Doc>>& table, Doc& doc) {
    if (bytes.size() > kMaxDocumentBytes) {
        return false;
    }
    QHash<QString, const Field<Doc>*> byName;
    for (const auto& f : table) {
        byName.insert(f.name, &f);
    }

    QXmlStreamReader r(bytes);
    if (!r.readNextStartElement()) {
        return false;
    }
    if (r.name() != root || !r.namespaceUri().isEmpty()) {
        return false;
    }
    while (r.readNextStartElement()) {
        const Field<Doc>* f = r.namespaceUri().isEmpty() ? byName.value(r.name().toString()) : nullptr;
        if (f == nullptr) {
            r.skipCurrentElement();
            continue;
        }
        QString text = r.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (r.hasError()) {
            return false;
        }
        if (text.isNull()) {
            text = emptyText();
        }
        switch (f->kind) {
            case Kind::Int:
                if (!assignParsed(parseInt32(text), f->intAt(doc))) {
                    return false;
                }
                break;
            case Kind::Bool:
                if (!assignParsed(parseBool(text), f->boolAt(doc))) {
                    return false;
                }
                break;
            case Kind::Text:
                f->textAt(doc) = text;
                break;
            case Kind::List:
                f->listAt(doc).append(text);
                break;
        }
    }
    if (r.hasError()) {
        return false;
    }
    while (!r.atEnd()) {
        r.readNext();  // whatever follows the root must still be well-formed
    }
    return !r.hasError();
}

}  // namespace Tormel::Gui::SettingsXml
