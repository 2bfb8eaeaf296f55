// SPDX-License-Identifier: MIT
// `firmware show` and `firmware patch`: a firmware image's parameters, and a settings file
// stored into an image with the window's atomic replace and backup, then checked by loading
// the written image again.
#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/SettingsDocument.h"
#include "domain/firmware/ElfEditor.h"
#include "domain/firmware/ElfEditor_TX330.h"
#include "settings/RecordConversion.h"

namespace Tormel::Cli {

using Domain::Firmware::ElfEditor;
using Domain::Firmware::ElfEditor_TX330;
using Domain::Firmware::ElfEditorResult;
namespace fs = std::filesystem;

// The file's values as the parameter editor takes them, back as a document.
std::optional<AnyConfig> asWrittenToImage(const AnyConfig& file, Family family);

namespace {

// Images carry no unit name; the parameter editor for the RS485 family is the TX-910A's.
constexpr int32_t kImageModuleType = 2;

template <class Editor, class Fill>
ElfEditorResult withImage(const std::string& path, bool store, Fill&& fill) {
    Editor editor;
    if (const auto r = editor.Init(); r != ElfEditorResult::Success) return r;
    editor.FileName(path);
    ElfEditorResult result = editor.Open();
    if (result == ElfEditorResult::Success) {
        if (store) fill(editor);
        result = store ? editor.Store() : editor.Load();
        if (!store && result == ElfEditorResult::Success) fill(editor);
        const ElfEditorResult closed = editor.Close();
        if (result == ElfEditorResult::Success) result = closed;
    }
    editor.End();
    return result;
}

// The image's parameters as a settings document; nothing (and the reason on `out`) when the
// image cannot be read or holds values a document cannot take.
std::optional<AnyConfig> loadImage(const std::string& path, Family family, Output& out) {
    if (family == Family::Rs485) {
        Gui::Rs485Records records;
        const ElfEditorResult r = withImage<ElfEditor>(path, false, [&](ElfEditor& e) {
            records.communication = e.CommunicationConfig();
            records.nodeinfo = e.NodeinfoConfig();
            records.protocol = e.ProtocolConfig();
        });
        if (r != ElfEditorResult::Success) {
            out.error(QStringLiteral("%1: %2").arg(
                QString::fromStdString(path),
                texts().getString(r == ElfEditorResult::ErrUnsupported ? Gui::Msg::FirmwareFileMismatch
                                                                       : Gui::Msg::FirmwareVersionMismatch)));
            return std::nullopt;
        }
        auto config =
            Gui::rs485ConfigFromRecords(records, kImageModuleType, Gui::Msg::FirmwareVersionMismatch, false);
        for (const QString& m : messages().take())
            out.error(QString::fromStdString(path) + QStringLiteral(": ") + m);
        if (!config) return std::nullopt;
        config->setModelName(Gui::ApplicationConfig::kModelName);
        return AnyConfig(*config);
    }
    Gui::Tx330Records records;
    const ElfEditorResult r = withImage<ElfEditor_TX330>(path, false, [&](ElfEditor_TX330& e) {
        records.communication = e.CommunicationConfig();
        records.nodeinfo = e.NodeinfoConfig();
        records.wireless = e.WirelessinfoConfig();
        records.dido = e.DidoinfoConfig();
    });
    if (r != ElfEditorResult::Success) {
        out.error(QStringLiteral("%1: %2").arg(
            QString::fromStdString(path),
            texts().getString(r == ElfEditorResult::ErrUnsupported ? Gui::Msg::FirmwareFileMismatch
                                                                   : Gui::Msg::FirmwareVersionMismatch)));
        return std::nullopt;
    }
    auto config = Gui::tx330ConfigFromRecords(records, Gui::Msg::FirmwareVersionMismatch);
    for (const QString& m : messages().take())
        out.error(QString::fromStdString(path) + QStringLiteral(": ") + m);
    if (!config) return std::nullopt;
    return AnyConfig(*config);
}

ElfEditorResult storeImage(const std::string& path, const AnyConfig& file, Gui::AesKeyChoice choice) {
    const Domain::Common::Nodeinfo noUnit{};
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file)) {
        const auto records = Gui::rs485RecordsFromConfig(*rs485, kImageModuleType, noUnit, choice);
        return withImage<ElfEditor>(path, true, [&](ElfEditor& e) {
            e.CommunicationConfig(records.communication);
            e.NodeinfoConfig(records.nodeinfo);
            e.ProtocolConfig(records.protocol);
        });
    }
    const auto records =
        Gui::tx330RecordsFromConfig(std::get<Gui::ApplicationConfig_TX330>(file), noUnit, choice);
    return withImage<ElfEditor_TX330>(path, true, [&](ElfEditor_TX330& e) {
        e.CommunicationConfig(records.communication);
        e.NodeinfoConfig(records.nodeinfo);
        e.WirelessinfoConfig(records.wireless);
        e.DidoinfoConfig(records.dido);
    });
}

int show(const QCommandLineParser& parser, Output& out) {
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2) {
        out.error(QStringLiteral("firmware show needs one image"));
        return out.finish(kExitUsage);
    }
    const auto family = familyOption(parser, Family::Rs485, out);
    if (!family) return out.finish(kExitUsage);
    const auto config = loadImage(pos[1].toStdString(), *family, out);
    if (!config) return out.finish(kExitFileError);
    const QJsonObject fields = unitFieldsJson(*config);
    for (auto it = fields.begin(); it != fields.end(); ++it)
        out.line(QStringLiteral("%1=%2").arg(it.key(), it.value().toString()));
    out.doc.insert(QStringLiteral("parameters"), fields);
    return out.finish(kExitOk);
}

int patch(const QCommandLineParser& parser, Output& out) {
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 3) {
        out.error(QStringLiteral("firmware patch needs an image and a settings file"));
        return out.finish(kExitUsage);
    }
    const QString keyOption = parser.value(QStringLiteral("aes-key")).toLower();
    if (keyOption != u"keep" && keyOption != u"change") {
        out.error(QStringLiteral("--aes-key must be keep or change"));
        return out.finish(kExitUsage);
    }
    const auto choice = keyOption == u"keep" ? Gui::AesKeyChoice::NotChange : Gui::AesKeyChoice::Change;
    const fs::path image = pos[1].toStdString();
    const auto file = loadSettingsFile(pos[2], out);
    if (!file) return out.finish(kExitFileError);
    // The record check the window's Set runs; no unit is connected, so not its AES part.
    const bool passed = std::holds_alternative<Gui::ApplicationConfig>(*file)
                            ? std::get<Gui::ApplicationConfig>(*file).checkConfigData(true, false)
                            : std::get<Gui::ApplicationConfig_TX330>(*file).checkConfigData(true, false);
    if (!passed) {
        for (const QString& m : messages().take()) out.error(pos[2] + QStringLiteral(": ") + m);
        return out.finish(kExitFileError);
    }
    const Family family = familyOf(*file);
    // The image must be one of this family before anything is touched.
    const auto before = loadImage(image.string(), family, out);
    if (!before) return out.finish(kExitFileError);
    if (image.extension() == ".tmp") {
        out.error(texts().getString(Gui::Msg::FirmwareWriteFailed));
        return out.finish(kExitFileError);
    }
    fs::path base = image;
    base.replace_extension();
    const fs::path tmp = base.string() + ".tmp";
    const fs::path bak = base.string() + ".bak";
    std::error_code ec;
    auto fail = [&](const QString& why) {
        fs::remove(tmp, ec);
        out.error(texts().getString(Gui::Msg::FirmwareWriteFailed) + QStringLiteral(" (") + why +
                  QStringLiteral(")"));
        return out.finish(kExitWriteFailed);
    };
    if (!fs::copy_file(image, tmp, fs::copy_options::overwrite_existing, ec))
        return fail(QString::fromStdString(tmp.string() + ": " + ec.message()));
    if (storeImage(tmp.string(), *file, choice) != ElfEditorResult::Success)
        return fail(QStringLiteral("the parameters could not be stored"));
    // What the patched image must hold: the file's values as the editor takes them.
    Output quiet;
    quiet.json = true;
    const auto expected = loadImage(tmp.string(), family, quiet);
    if (!fs::copy_file(image, bak, fs::copy_options::overwrite_existing, ec))
        return fail(QString::fromStdString(bak.string() + ": " + ec.message()));
    // A rename in the same folder replaces the image in one step: never half an image.
    fs::rename(tmp, image, ec);
    if (ec) return fail(QString::fromStdString(image.string() + ": " + ec.message()));

    const auto reloaded = loadImage(image.string(), family, quiet);
    const AnyConfig& file0 = *file;
    std::vector<FieldDifference> mismatches;
    if (!expected || !reloaded) {
        mismatches.push_back({QStringLiteral("image"), QStringLiteral("unreadable"), QString()});
    } else {
        // Every field the image stores must read back as the file gives it.
        const auto want = asWrittenToImage(file0, family);
        mismatches = compareUnitFields(*reloaded, want ? *want : *expected);
    }
    QJsonArray list;
    for (const FieldDifference& d : mismatches) {
        QJsonObject o;
        o.insert(QStringLiteral("element"), d.element);
        o.insert(QStringLiteral("image"), d.unit);
        o.insert(QStringLiteral("file"), d.file);
        list.append(o);
    }
    out.doc.insert(QStringLiteral("mismatches"), list);
    if (!mismatches.empty()) {
        for (const FieldDifference& d : mismatches)
            out.error(QStringLiteral("%1: image \"%2\", file \"%3\"").arg(d.element, d.unit, d.file));
        // Put the original back, in one step as well.
        const fs::path restore = base.string() + ".restore";
        if (fs::copy_file(bak, restore, fs::copy_options::overwrite_existing, ec))
            fs::rename(restore, image, ec);
        out.error(ec ? QStringLiteral("the original could not be put back; it is in ") +
                           QString::fromStdString(bak)
                     : QStringLiteral("verification failed; the original image was put back"));
        return out.finish(kExitWriteFailed);
    }
    out.line(texts().getString(Gui::Msg::SettingCompleted) + QStringLiteral(" (backup: ") +
             QString::fromStdString(bak.string()) + QStringLiteral(")"));
    out.doc.insert(QStringLiteral("backup"), QString::fromStdString(bak.string()));
    return out.finish(kExitOk);
}

}  // namespace

std::optional<AnyConfig> asWrittenToImage(const AnyConfig& file, Family family) {
    const Domain::Common::Nodeinfo noUnit{};
    if (family == Family::Rs485) {
        const auto records = Gui::rs485RecordsFromConfig(
            std::get<Gui::ApplicationConfig>(file), kImageModuleType, noUnit, Gui::AesKeyChoice::NotChange);
        auto back =
            Gui::rs485ConfigFromRecords(records, kImageModuleType, Gui::Msg::FirmwareVersionMismatch, false);
        messages().take();
        if (!back) return std::nullopt;
        back->setModelName(Gui::ApplicationConfig::kModelName);
        return AnyConfig(*back);
    }
    const auto records = Gui::tx330RecordsFromConfig(std::get<Gui::ApplicationConfig_TX330>(file), noUnit,
                                                     Gui::AesKeyChoice::NotChange);
    auto back = Gui::tx330ConfigFromRecords(records, Gui::Msg::FirmwareVersionMismatch);
    messages().take();
    if (!back) return std::nullopt;
    return AnyConfig(*back);
}

int runFirmware(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "firmware show IMAGE [--family rs485|tx330]: the parameters stored in a firmware image.\n"
        "firmware patch IMAGE FILE.xml [--aes-key keep|change]: store a settings file into the image (the "
        "original "
        "is kept as IMAGE.bak), then load the image again and compare every stored field; on a mismatch the "
        "original is put back.\n"
        "Exit codes: 0 success, 2 usage, 5 the patch failed, 6 file error."));
    addCommonOptions(parser, false, true, false);
    parser.addPositionalArgument(QStringLiteral("show|patch"), QStringLiteral("What to do."));
    parser.addOption({QStringLiteral("aes-key"), QStringLiteral("What to do with the image's AES key."),
                      QStringLiteral("keep|change"), QStringLiteral("keep")});
    if (auto done = parseOrExit(parser, args)) return *done;
    Output out;
    out.json = parser.isSet(QStringLiteral("json"));
    const QString action = parser.positionalArguments().value(0);
    if (action == u"show") return show(parser, out);
    if (action == u"patch") return patch(parser, out);
    out.error(QStringLiteral("firmware needs show or patch"));
    return out.finish(kExitUsage);
}

}  // namespace Tormel::Cli
