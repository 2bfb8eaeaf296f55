// SPDX-License-Identifier: MIT
#include "cli/SettingsDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QMap>
#include <QXmlStreamReader>
#include <functional>
#include <initializer_list>
#include <type_traits>

#include "settings/ChoiceLists.h"
#include "settings/Config.h"
#include "settings/Config_TX330.h"

namespace Tormel::Cli {

namespace {

// Elements that record the window's state or the file's own data rather than the unit's.
bool isUnitElement(const QString& name) {
    static const QStringList kSkipped{QStringLiteral("VERSION"),     QStringLiteral("TYPE"),
                                      QStringLiteral("TARGET"),      QStringLiteral("TABSELECT"),
                                      QStringLiteral("MODEL"),       QStringLiteral("FILE-VERSION"),
                                      QStringLiteral("DEVMODE"),     QStringLiteral("DEVMODE2"),
                                      QStringLiteral("PRE-STRLIST"), QStringLiteral("MODULETYPE")};
    if (kSkipped.contains(name)) return false;
    return !name.startsWith(QStringLiteral("AESENCRYPTKEY")) &&
           !name.startsWith(QStringLiteral("RANGE-LIST"));
}

// The encryption key words are the secret a unit holds: reports, differences and refusals name
// them, never with their values.
bool isKeyElement(const QString& name) {
    return name.startsWith(QStringLiteral("ENCRYPTKEY")) || name.startsWith(QStringLiteral("AESENCRYPTKEY"));
}
QString keySafe(const QString& name, const QString& text) {
    return isKeyElement(name) && !text.isEmpty() ? QStringLiteral("<key word>") : text;
}

template <class Doc>
QString fieldText(const Gui::SettingsXml::Field<Doc>& f, const Doc& constDoc) {
    Doc& doc = const_cast<Doc&>(constDoc);  // the accessors only read here
    switch (f.kind) {
        case Gui::SettingsXml::Kind::Int:
            return QString::number(f.intAt(doc));
        case Gui::SettingsXml::Kind::Bool:
            return f.boolAt(doc) ? QStringLiteral("true") : QStringLiteral("false");
        case Gui::SettingsXml::Kind::Text:
            return f.textAt(doc);
        case Gui::SettingsXml::Kind::List:
            return f.listAt(doc).join(QStringLiteral(", "));
    }
    return {};
}

// A value as the form shows it: a bit rate rather than its position in the list, the choice
// names of the field's row; texts (codes, offsets) stay as the file holds them.
template <class Doc>
QString shown(const Gui::SettingsXml::Field<Doc>& f, const QString& text, bool with76800) {
    constexpr bool tx330 = std::is_same_v<Doc, Gui::ApplicationConfig_TX330>;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok) return text;
    if (f.name == u"BAUDRATE") {
        const auto rate = Gui::ChoiceLists::baudRateAt(v, with76800);
        return rate ? QString::number(*rate) : text;
    }
    if (tx330 && f.name == u"AWT") return QStringLiteral("%1 ms").arg(v * 10);
    if (f.rule) {
        if (const std::optional<QString> name = f.rule->nameOf(v)) return *name;
    }
    return text;
}

template <class Doc>
void compare(const Doc& unit, const Doc& file, std::vector<FieldDifference>& out) {
    constexpr bool tx330 = std::is_same_v<Doc, Gui::ApplicationConfig_TX330>;
    bool with76800 = true;
    if constexpr (!tx330) with76800 = Gui::ChoiceLists::offers76800(unit.m_moduletype);
    for (const auto& f : Doc::xmlTable()) {
        if (!isUnitElement(f.name)) continue;
        const QString a = fieldText(f, unit);
        const QString b = fieldText(f, file);
        if (a != b)
            out.push_back(
                {f.name, keySafe(f.name, shown(f, a, with76800)), keySafe(f.name, shown(f, b, with76800))});
    }
}

template <class Doc>
QJsonObject fields(const Doc& doc) {
    QJsonObject o;
    for (const auto& f : Doc::xmlTable()) {
        if (isUnitElement(f.name)) o.insert(f.name, keySafe(f.name, fieldText(f, doc)));
    }
    return o;
}

// Every element of the document as name -> text, as the file holds it.
template <class Doc>
QMap<QString, QString> allFields(const Doc& doc) {
    QMap<QString, QString> values;
    for (const auto& f : Doc::xmlTable()) values.insert(f.name, fieldText(f, doc));
    return values;
}

std::optional<long long> number(const QString& text, int base) {
    if (text.isEmpty() || text.size() > 6 || text.startsWith(QLatin1Char('+'))) return std::nullopt;
    bool ok = false;
    const long long value = text.toLongLong(&ok, base);
    if (!ok) return std::nullopt;
    return value;
}

// What one element may hold, in the words a refusal shows after "ELEMENT value: ".
struct ValueRule {
    QString element;  // a trailing '#' stands for the numbers 1 to `count`
    int count;
    std::function<bool(const QString& text, const QMap<QString, QString>& doc)> ok;
    QString allowed;
};

ValueRule decimalRule(const QString& element, int lo, int hi, int count = 0, bool emptyOk = false) {
    return {element, count,
            [lo, hi, emptyOk](const QString& t, const QMap<QString, QString>&) {
                if (t.isEmpty()) return emptyOk;
                const auto v = number(t, 10);
                return v && *v >= lo && *v <= hi;
            },
            QStringLiteral("%1%2 to %3 (decimal)")
                .arg(emptyOk ? QStringLiteral("empty or ") : QString())
                .arg(lo)
                .arg(hi)};
}
ValueRule hexRule(const QString& element, int digits, int count = 0) {
    return {element, count,
            [digits](const QString& t, const QMap<QString, QString>&) {
                return t.size() >= 1 && t.size() <= digits && number(t, 16).has_value();
            },
            QStringLiteral("%1 to %2 (hexadecimal)")
                .arg(QString(digits, QLatin1Char('0')), QString(digits, QLatin1Char('F')))};
}
// A packet mark: two hexadecimal digits, neither 00 nor 7E (the unit's command character),
// and not the other mark of its format.
ValueRule markRule(const QString& element, const QString& other) {
    return {element, 0,
            [other](const QString& t, const QMap<QString, QString>& doc) {
                const auto v = number(t, 16);
                return t.size() == 2 && v && *v != 0 && *v != 0x7E &&
                       t.compare(doc.value(other), Qt::CaseInsensitive) != 0;
            },
            QStringLiteral("01 to FF (hexadecimal), not 7E, and not the same as %1").arg(other)};
}

// The rules of the RS485 text fields; the number fields' rules are their rows' in the table.
const std::vector<ValueRule>& rs485TextRules() {
    static const std::vector<ValueRule> rules{
        decimalRule(QStringLiteral("IDOFFSET"), 0, 9999),
        {QStringLiteral("ENCRYPTKEY#"), 8,
         [](const QString& t, const QMap<QString, QString>&) {
             return t.size() == 4 && number(t, 16).has_value();
         },
         QStringLiteral("four hexadecimal digits, 0000 to FFFF")},
        decimalRule(QStringLiteral("SILENTCHAR"), 4, 100),
        markRule(QStringLiteral("P-STARTCODE"), QStringLiteral("P-ENDCODE")),
        markRule(QStringLiteral("P-ENDCODE"), QStringLiteral("P-STARTCODE")),
        decimalRule(QStringLiteral("P-OFFSET"), 0, 9),
        markRule(QStringLiteral("P-STARTCODE2ND"), QStringLiteral("P-ENDCODE2ND")),
        markRule(QStringLiteral("P-ENDCODE2ND"), QStringLiteral("P-STARTCODE2ND")),
        decimalRule(QStringLiteral("P-OFFSET2ND"), 0, 9),
        decimalRule(QStringLiteral("S-OFFSET"), 0, 99),
        decimalRule(QStringLiteral("S-LENGTH"), 0, 6),
        decimalRule(QStringLiteral("S-OFFSET2ND"), 0, 99),
        decimalRule(QStringLiteral("S-LENGTH2ND"), 0, 6),
        hexRule(QStringLiteral("S-BCASTADDR"), 4),
        decimalRule(QStringLiteral("C-OFFSET"), -99, 99),
        decimalRule(QStringLiteral("C-LENGTH"), 0, 4),
        decimalRule(QStringLiteral("MODEMID#"), 0, 99, 25, true),
        decimalRule(QStringLiteral("UNIT#"), 0, 99, 99, true),
    };
    return rules;
}

// The text rule for the element `name`, if one covers it.
const ValueRule* textRuleFor(const QString& name, const std::vector<ValueRule>& rules) {
    for (const ValueRule& rule : rules) {
        if (rule.count == 0) {
            if (rule.element == name) return &rule;
            continue;
        }
        const QString stem = rule.element.chopped(1);
        if (!name.startsWith(stem)) continue;
        // Numbered elements are written with as many digits as their last number has.
        bool ok = false;
        const int n = name.mid(stem.size()).toInt(&ok);
        if (ok && n >= 1 && n <= rule.count) return &rule;
    }
    return nullptr;
}

// The first field, in `order`, whose value the unit cannot take: number fields by their row's
// rule (the ones the window checks without the AES settings), texts by `textRules`.
template <class Doc>
std::optional<QString> firstOutOfRange(const Doc& doc, const QStringList& order,
                                       const std::vector<ValueRule>& textRules) {
    const QMap<QString, QString> values = allFields(doc);
    for (const QString& name : order) {
        const auto& row = Gui::SettingsXml::rowNamed(Doc::xmlTable(), name);
        const QString text = values.value(name);
        if (row.rule) {
            if (!row.rule->checked || row.rule->onlyWithAes) continue;
            if (!row.rule->accepts(row.intAt(const_cast<Doc&>(doc)), doc))  // the accessor only reads
                return QStringLiteral("%1 %2: %3").arg(name, keySafe(name, text), row.rule->allowedText());
            continue;
        }
        const ValueRule* rule = textRuleFor(name, textRules);
        if (rule != nullptr && !rule->ok(text, values))
            return QStringLiteral("%1 %2: %3")
                .arg(name, text.isEmpty() ? QStringLiteral("(empty)") : keySafe(name, text), rule->allowed);
    }
    return std::nullopt;
}

// Every element of the table, in its order.
template <class Doc>
QStringList tableOrder() {
    QStringList names;
    for (const auto& f : Doc::xmlTable()) names.append(f.name);
    return names;
}

// The document as one family reads it, if it is that family's (`recognised`); empty when it is
// not, or when its values fail the window's checks, which are then reported for `path`.
template <class Reader, class Doc>
std::optional<AnyConfig> checkedDocument(const QString& path, const QByteArray& bytes, Output& out,
                                         bool& recognised) {
    Doc doc;
    recognised = Reader::fromXml(bytes, doc);
    if (!recognised) return std::nullopt;
    if (!doc.checkSettingToolData(true)) {
        for (const QString& m : messages().take()) out.error(QStringLiteral("%1: %2").arg(path, m));
        return std::nullopt;
    }
    // No form stands between a file and the unit here: every value is held to what the unit
    // can take, and a refusal names the element, its value and what it may hold.
    if (const auto wrong = valueOutOfRange(AnyConfig(doc))) {
        // The window's own words for the field, where it has them, follow.
        messages().take();
        doc.checkConfigData(true, false);
        const QStringList window = messages().take();
        out.error(QStringLiteral("%1: %2").arg(path, *wrong) +
                  (window.isEmpty() ? QString() : QStringLiteral(". ") + window.first()));
        return std::nullopt;
    }
    return AnyConfig(doc);
}

}  // namespace

std::optional<QString> valueOutOfRange(const AnyConfig& config) {
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&config)) {
        static const QStringList order = tableOrder<Gui::ApplicationConfig>();
        return firstOutOfRange(*rs485, order, rs485TextRules());
    }
    // The contact-I/O unit's fields are all numbers, checked in the window's order.
    return firstOutOfRange(std::get<Gui::ApplicationConfig_TX330>(config),
                           Gui::ApplicationConfig_TX330::checkedFields(), {});
}

// Why bytes that neither family reads are not a settings file, in a shell user's terms.
QString notASettingsFile(const QByteArray& bytes) {
    if (bytes.size() > Gui::SettingsXml::kMaxDocumentBytes)
        return QStringLiteral("too large for a settings file (more than %1 bytes)")
            .arg(Gui::SettingsXml::kMaxDocumentBytes);
    QXmlStreamReader xml(bytes);
    QString root;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && root.isEmpty()) root = xml.name().toString();
    }
    if (xml.hasError()) {
        QString why = xml.errorString();
        if (why.endsWith(QLatin1Char('.'))) why.chop(1);
        return QStringLiteral("damaged XML at line %1, column %2: %3; not a settings file")
            .arg(xml.lineNumber())
            .arg(xml.columnNumber())
            .arg(why);
    }
    return QStringLiteral(
               "not a settings file of these units (its root element is <%1>, not <ApplicationConfig> "
               "or <ApplicationConfig_TX330>); pelnix-cli read -o FILE.xml writes one")
        .arg(root);
}

std::optional<AnyConfig> loadSettingsFile(const QString& path, Output& out) {
    if (QFileInfo(path).isDir()) {
        out.error(QStringLiteral("%1: is a folder, not a settings file").arg(path));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(Gui::SettingsXml::kMaxDocumentBytes + 1);
    bool recognised = false;
    if (auto rs485 = checkedDocument<Gui::Config, Gui::ApplicationConfig>(path, bytes, out, recognised);
        recognised)
        return rs485;
    if (auto tx330 =
            checkedDocument<Gui::Config_TX330, Gui::ApplicationConfig_TX330>(path, bytes, out, recognised);
        recognised)
        return tx330;
    out.error(QStringLiteral("%1: %2").arg(path, notASettingsFile(bytes)));
    return std::nullopt;
}

bool saveSettingsFile(const QString& path, const AnyConfig& config, Output& out) {
    bool saved = false;
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&config)) {
        Gui::Config writer;
        saved = writer.fileCreateSpecify(path) && writer.saveXML(*rs485);
    } else {
        Gui::Config_TX330 writer;
        saved =
            writer.fileCreateSpecify(path) && writer.saveXML(std::get<Gui::ApplicationConfig_TX330>(config));
    }
    if (!saved) out.error(QStringLiteral("%1: the settings file could not be written").arg(path));
    return saved;
}

std::vector<FieldDifference> compareUnitFields(const AnyConfig& unit, const AnyConfig& file) {
    std::vector<FieldDifference> out;
    if (unit.index() != file.index()) {
        out.push_back({QStringLiteral("MODEL"),
                       familyOf(unit) == UnitFamily::Rs485 ? QStringLiteral("TX-910A") : "TX-330",
                       familyOf(file) == UnitFamily::Rs485 ? QStringLiteral("TX-910A") : "TX-330"});
        return out;
    }
    if (const auto* a = std::get_if<Gui::ApplicationConfig>(&unit)) {
        compare(*a, std::get<Gui::ApplicationConfig>(file), out);
    } else {
        compare(std::get<Gui::ApplicationConfig_TX330>(unit), std::get<Gui::ApplicationConfig_TX330>(file),
                out);
    }
    return out;
}

QJsonArray differencesJson(const std::vector<FieldDifference>& differences, const QString& source) {
    QJsonArray list;
    for (const FieldDifference& d : differences) {
        QJsonObject o;
        o.insert(QStringLiteral("element"), d.element);
        o.insert(source, d.unit);
        o.insert(QStringLiteral("file"), d.file);
        list.append(o);
    }
    return list;
}

QString differenceText(const FieldDifference& difference, const QString& source) {
    return QStringLiteral("%1: %2 \"%3\", file \"%4\"")
        .arg(difference.element, source, difference.unit, difference.file);
}

QJsonObject unitFieldsJson(const AnyConfig& config) {
    if (const auto* a = std::get_if<Gui::ApplicationConfig>(&config)) return fields(*a);
    return fields(std::get<Gui::ApplicationConfig_TX330>(config));
}

}  // namespace Tormel::Cli
