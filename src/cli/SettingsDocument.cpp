// SPDX-License-Identifier: MIT
#include "cli/SettingsDocument.h"

#include <QFile>
#include <QJsonObject>

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

template <class Doc>
void compare(const Doc& unit, const Doc& file, std::vector<FieldDifference>& out) {
    for (const auto& f : Doc::xmlTable()) {
        if (!isUnitElement(f.name)) continue;
        const QString a = fieldText(f, unit);
        const QString b = fieldText(f, file);
        if (a != b) out.push_back({f.name, a, b});
    }
}

template <class Doc>
QJsonObject fields(const Doc& doc) {
    QJsonObject o;
    for (const auto& f : Doc::xmlTable()) {
        if (isUnitElement(f.name)) o.insert(f.name, fieldText(f, doc));
    }
    return o;
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
    return AnyConfig(doc);
}

}  // namespace

std::optional<AnyConfig> loadSettingsFile(const QString& path, Output& out) {
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
    out.error(QStringLiteral("%1: %2").arg(path, texts().getString(Gui::Msg::SettingsFileMismatch)));
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
                       familyOf(unit) == Family::Rs485 ? QStringLiteral("TX-910A") : "TX-330",
                       familyOf(file) == Family::Rs485 ? QStringLiteral("TX-910A") : "TX-330"});
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
