// SPDX-License-Identifier: MIT
// `firmware show` and `firmware patch`: a firmware image's parameters, and a settings file
// stored into an image with the window's atomic replace and backup, then checked by loading
// the written image again.
#include <QFileInfo>
#include <cstdio>
#include <filesystem>
#include <type_traits>
#include <variant>
#include <vector>

#include "cli/Commands.h"
#include "cli/SettingsDocument.h"
#include "domain/firmware/ElfEditor.h"
#include "domain/firmware/ElfEditor_TX330.h"
#include "domain/firmware/SymbolData.h"
#include "settings/FirmwareImageFile.h"
#include "settings/NameTable.h"
#include "settings/RecordConversion.h"

namespace Tormel::Cli {

using Domain::Firmware::ElfEditor;
using Domain::Firmware::ElfEditor_TX330;
using Domain::Firmware::ElfEditorResult;
namespace fs = std::filesystem;

namespace {

// Images carry no unit name; the parameter editor for the RS485 family is the TX-910A's.
constexpr int32_t kImageModuleType = 2;

using AnyRecords = std::variant<Gui::Rs485RecordSet, Gui::Tx330RecordSet>;

// Opens the image, lets `before` hand the editor records, loads the image (which overwrites only
// the fields the image holds), lets `after` take or set records and, with `store`, stores them.
// A store is always preceded by that load: it gives the editor the image's own values of what a
// settings file does not carry (the bind type above all), and the store writes them back as
// they were.
template <class Editor, class Before, class After>
ElfEditorResult withImage(const std::string& path, bool store, Before&& before, After&& after) {
    Editor editor;
    if (const auto r = editor.Init(); r != ElfEditorResult::Success) return r;
    editor.FileName(path);
    ElfEditorResult result = editor.Open();
    if (result == ElfEditorResult::Success) {
        before(editor);
        result = editor.Load();
        if (result == ElfEditorResult::Success) {
            after(editor);
            if (store) result = editor.Store();
        }
        const ElfEditorResult closed = editor.Close();
        if (result == ElfEditorResult::Success) result = closed;
    }
    editor.End();
    return result;
}

// The image's records. With `base` the editor starts from those, so every field the image does
// not hold (for its family and version) keeps base's value.
template <class Editor, class RecordSet>
ElfEditorResult loadRecordSet(const std::string& path, AnyRecords& records, const AnyRecords* base) {
    constexpr bool rs485 = std::is_same_v<RecordSet, Gui::Rs485RecordSet>;
    RecordSet r = base ? std::get<RecordSet>(*base) : RecordSet{};
    const ElfEditorResult result = withImage<Editor>(
        path, false,
        [&](Editor& e) {
            e.CommunicationConfig(r.communication);
            e.NodeinfoConfig(r.nodeinfo);
            if constexpr (rs485) e.ProtocolConfig(r.protocol);
        },
        [&](Editor& e) {
            r.communication = e.CommunicationConfig();
            r.nodeinfo = e.NodeinfoConfig();
            if constexpr (rs485) {
                r.protocol = e.ProtocolConfig();
                r.binding = e.BindingConfig();
            }
        });
    records = r;
    return result;
}

ElfEditorResult loadRecords(const std::string& path, Family family, AnyRecords& records,
                            const AnyRecords* base = nullptr) {
    return family == Family::Rs485 ? loadRecordSet<ElfEditor, Gui::Rs485RecordSet>(path, records, base)
                                   : loadRecordSet<ElfEditor_TX330, Gui::Tx330RecordSet>(path, records, base);
}

// Records as a settings document; nothing (and the reason on `out`) when a value does not fit.
std::optional<AnyConfig> documentOf(const AnyRecords& records, const QString& path, Output& out) {
    std::optional<AnyConfig> document;
    if (const auto* rs485 = std::get_if<Gui::Rs485RecordSet>(&records)) {
        auto config =
            Gui::rs485ConfigFromRecords(*rs485, kImageModuleType, Gui::Msg::FirmwareVersionMismatch, false);
        if (config) {
            config->setModelName(Gui::ApplicationConfig::kModelName);
            document = AnyConfig(*config);
        }
    } else {
        auto config = Gui::tx330ConfigFromRecords(std::get<Gui::Tx330RecordSet>(records),
                                                  Gui::Msg::FirmwareVersionMismatch);
        if (config) document = AnyConfig(*config);
    }
    for (const QString& m : messages().take()) out.error(path + QStringLiteral(": ") + m);
    return document;
}

void reportUnreadable(const QString& path, ElfEditorResult result, Output& out) {
    out.error(QStringLiteral("%1: %2").arg(path, texts().getString(result == ElfEditorResult::ErrUnsupported
                                                                       ? Gui::Msg::FirmwareFileMismatch
                                                                       : Gui::Msg::FirmwareVersionMismatch)));
}

// The image's parameters as a settings document; nothing (and the reason on `out`) when the
// image cannot be read or holds values a document cannot take.
std::optional<AnyConfig> loadImage(const QString& path, Family family, Output& out) {
    AnyRecords records;
    const ElfEditorResult result = loadRecords(path.toStdString(), family, records);
    if (result != ElfEditorResult::Success) {
        reportUnreadable(path, result, out);
        return std::nullopt;
    }
    return documentOf(records, path, out);
}

// What the patch stores: the file's records as a write to a unit of the family would send them,
// with what the contact-I/O unit's settings file does not decide taken from the image itself.
AnyRecords recordsToStore(const AnyConfig& file, Gui::AesKeyChoice choice, const AnyRecords& image) {
    const Domain::Common::Nodeinfo noUnit{};
    if (const auto* rs485 = std::get_if<Gui::ApplicationConfig>(&file))
        return Gui::rs485RecordsFromConfig(*rs485, kImageModuleType, noUnit, choice);
    const auto& config = std::get<Gui::ApplicationConfig_TX330>(file);
    Gui::Tx330RecordSet r = Gui::tx330RecordsFromConfig(config, noUnit, choice);
    const Gui::Tx330RecordSet& own = std::get<Gui::Tx330RecordSet>(image);
    // A write to the unit never sends these; the image holds them all the same.
    r.communication.IntfPort = own.communication.IntfPort;
    r.nodeinfo.AutoParamSyncEnable = own.nodeinfo.AutoParamSyncEnable;
    r.nodeinfo.ExtendedGroup =
        config.m_extendedGroup == 1 || config.m_extendedGroup == 2
            ? static_cast<Domain::Common::NodeinfoExtendedGroup>(config.m_extendedGroup)
            : own.nodeinfo.ExtendedGroup;
    return r;
}

// The raw value of a parameter symbol that a patch must leave as the image had it.
using KeptSymbol = Gui::ImageSymbol;

bool accessSymbols(const std::string& path, std::vector<KeptSymbol>& symbols, bool write) {
    const QString image = QString::fromStdString(path);
    return write ? Gui::writeImageSymbols(image, symbols) : Gui::readImageSymbols(image, symbols);
}

// What a patch leaves untouched although the editor writes it on every store: the AES key
// words, unless the key is to be changed; and the contact-I/O unit's interface port, which its
// settings file does not carry and older images hold without the editor reading it.
std::vector<KeptSymbol> keptSymbols(Family family, Gui::AesKeyChoice choice) {
    std::vector<KeptSymbol> kept;
    if (choice != Gui::AesKeyChoice::Change) kept = Gui::aesKeySymbols();
    if (family == Family::Tx330) kept.push_back({"TormelParamsM$intfport", 1, 0});
    return kept;
}

// Stores `records` into the image at `path` (a work copy) and puts the kept symbols back.
ElfEditorResult storeImage(const std::string& path, const AnyRecords& records,
                           std::vector<KeptSymbol>& kept) {
    if (!accessSymbols(path, kept, false)) return ElfEditorResult::ErrUnknownSymbol;
    ElfEditorResult result;
    if (const auto* rs485 = std::get_if<Gui::Rs485RecordSet>(&records)) {
        // Not the binding record: the image's own bind type (from the load) is written back.
        result = withImage<ElfEditor>(
            path, true, [](ElfEditor&) {},
            [&](ElfEditor& e) {
                e.CommunicationConfig(rs485->communication);
                e.NodeinfoConfig(rs485->nodeinfo);
                e.ProtocolConfig(rs485->protocol);
            });
    } else {
        const auto& tx330 = std::get<Gui::Tx330RecordSet>(records);
        result = withImage<ElfEditor_TX330>(
            path, true, [](ElfEditor_TX330&) {},
            [&](ElfEditor_TX330& e) {
                auto communication = tx330.communication;
                // The store needs an interface port it can encode; the image's own byte is put
                // back below.
                if (communication.IntfPort != 1 && communication.IntfPort != 2) communication.IntfPort = 1;
                e.CommunicationConfig(communication);
                e.NodeinfoConfig(tx330.nodeinfo);
                e.WirelessinfoConfig(tx330.wireless);
                e.DidoinfoConfig(tx330.dido);
            });
    }
    if (result != ElfEditorResult::Success) return result;
    return accessSymbols(path, kept, true) ? ElfEditorResult::Success : ElfEditorResult::ErrFileWrite;
}

// The firmware reports its AES switch from another symbol than the one it is set by, so a load
// never shows what a store wrote there; the written symbol itself is read into `records`.
bool readAesSwitch(const std::string& path, AnyRecords& records) {
    std::vector<KeptSymbol> written{{"TormelParamsM$aesEncryptEnbl", 1, 0}};
    if (!accessSymbols(path, written, false)) return false;
    const auto value = Domain::Firmware::SymbolDataToAESEncryptEnable(written[0].data);
    if (!value) return false;
    std::visit([&](auto& r) { r.nodeinfo.AESEncryptEnable = *value; }, records);
    return true;
}

QString storeFailureText(ElfEditorResult result) {
    const QString fileTrouble = QStringLiteral("the work copy could not be read or written");
    return Gui::nameIn<ElfEditorResult>(
        {{ElfEditorResult::ErrUnknownSymbol,
          QStringLiteral("the image lacks a parameter these settings need")},
         {ElfEditorResult::ErrOutOfRange, QStringLiteral("a value has no encoding in this image")},
         {ElfEditorResult::ErrUnsupported, texts().getString(Gui::Msg::FirmwareFileMismatch)},
         {ElfEditorResult::ErrFileOpen, fileTrouble},
         {ElfEditorResult::ErrFileRead, fileTrouble},
         {ElfEditorResult::ErrFileWrite, fileTrouble},
         {ElfEditorResult::ErrFileClose, fileTrouble}},
        result, QStringLiteral("editor result %1").arg(static_cast<int>(result)));
}

int show(const QCommandLineParser& parser, Output& out) {
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2) {
        out.error(QStringLiteral("firmware show needs one image"));
        return out.finish(kExitUsage);
    }
    const auto family = familyOption(parser, Family::Rs485, out);
    if (!family) return out.finish(kExitUsage);
    const auto config = loadImage(pos[1], *family, out);
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
    const QString imagePath = pos[1];
    const auto file = loadSettingsFile(pos[2], out);
    if (!file) return out.finish(kExitFileError);
    // The record check the window's Set runs; its AES part only when the file's key goes in.
    const bool withKey = choice == Gui::AesKeyChoice::Change;
    const bool passed = std::holds_alternative<Gui::ApplicationConfig>(*file)
                            ? std::get<Gui::ApplicationConfig>(*file).checkConfigData(true, withKey)
                            : std::get<Gui::ApplicationConfig_TX330>(*file).checkConfigData(true, withKey);
    if (!passed) {
        for (const QString& m : messages().take()) out.error(pos[2] + QStringLiteral(": ") + m);
        return out.finish(kExitFileError);
    }
    const Family family = familyOf(*file);
    // The image must be one of this family, and readable, before anything is touched.
    AnyRecords original;
    if (const auto r = loadRecords(imagePath.toStdString(), family, original);
        r != ElfEditorResult::Success) {
        reportUnreadable(imagePath, r, out);
        return out.finish(kExitFileError);
    }
    if (!documentOf(original, imagePath, out)) return out.finish(kExitFileError);

    const AnyRecords records = recordsToStore(*file, choice, original);
    std::vector<KeptSymbol> kept = keptSymbols(family, choice);
    ElfEditorResult stored = ElfEditorResult::Success;
    const Gui::FirmwareReplaceResult replaced =
        Gui::replaceFirmwareImage(imagePath, [&](const QString& workCopy) {
            stored = storeImage(workCopy.toStdString(), records, kept);
            return stored == ElfEditorResult::Success;
        });
    if (replaced != Gui::FirmwareReplaceResult::Success) {
        const QString failed = texts().getString(Gui::Msg::FirmwareWriteFailed);
        const Gui::FirmwareWorkFiles files = Gui::firmwareWorkFiles(imagePath);
        switch (replaced) {
            case Gui::FirmwareReplaceResult::NoImage:
                out.error(imagePath + QStringLiteral(": no such image"));
                return out.finish(kExitFileError);
            case Gui::FirmwareReplaceResult::RefusedName:
                out.error(failed +
                          QStringLiteral(" (%1 is named like a work copy or a backup; rename it first)")
                              .arg(imagePath));
                return out.finish(kExitFileError);
            case Gui::FirmwareReplaceResult::CopyFailed:
                out.error(failed +
                          QStringLiteral(" (the work copy %1 could not be made)").arg(files.workCopy));
                break;
            case Gui::FirmwareReplaceResult::StoreFailed:
                out.error(failed + QStringLiteral(" (the parameters could not be stored: %1)")
                                       .arg(storeFailureText(stored)));
                break;
            case Gui::FirmwareReplaceResult::BackupFailed:
                out.error(failed + QStringLiteral(" (the backup %1 could not be made)").arg(files.backup));
                break;
            default:
                out.error(failed + QStringLiteral(" (the image could not be replaced)"));
                break;
        }
        out.error(imagePath + QStringLiteral(": the image was not changed"));
        return out.finish(kExitWriteFailed);
    }

    // Through a link the file behind it was patched; that is the one to check. Loaded over the
    // stored records, every field the image holds must come back as it was stored, and the kept
    // symbols must hold what they held before.
    const QString target = QFileInfo(imagePath).canonicalFilePath();
    const fs::path bak = Gui::firmwareWorkFiles(target).backup.toStdString();
    Output quiet;
    quiet.json = true;
    std::vector<FieldDifference> mismatches;
    AnyRecords reloaded;
    std::vector<KeptSymbol> keptNow = kept;
    const auto want = documentOf(records, target, quiet);
    std::optional<AnyConfig> got;
    if (loadRecords(target.toStdString(), family, reloaded, &records) == ElfEditorResult::Success &&
        readAesSwitch(target.toStdString(), reloaded))
        got = documentOf(reloaded, target, quiet);
    if (!want || !got || !accessSymbols(target.toStdString(), keptNow, false)) {
        mismatches.push_back({QStringLiteral("image"), QStringLiteral("unreadable"), QString()});
    } else {
        mismatches = compareUnitFields(*got, *want);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (keptNow[i].data != kept[i].data)
                mismatches.push_back({QString::fromStdString(kept[i].name),
                                      QString::number(keptNow[i].data, 16),
                                      QString::number(kept[i].data, 16)});
        }
    }
    const QString source = QStringLiteral("image");
    out.doc.insert(QStringLiteral("mismatches"), differencesJson(mismatches, source));
    if (!mismatches.empty()) {
        for (const FieldDifference& d : mismatches) out.error(differenceText(d, source));
        // Put the original back, in one step as well.
        std::error_code ec;
        const fs::path image = target.toStdString();
        fs::path restore = image;
        restore += ".restore";
        bool putBack = fs::copy_file(bak, restore, fs::copy_options::overwrite_existing, ec);
        if (putBack) {
            fs::rename(restore, image, ec);
            putBack = !ec;
        }
        if (!putBack) fs::remove(restore, ec);
        out.error(!putBack ? QStringLiteral("the original could not be put back; it is in ") +
                                 QString::fromStdString(bak.string())
                           : QStringLiteral("verification failed; the original image was put back"));
        return out.finish(kExitWriteFailed);
    }
    out.line(texts().getString(Gui::Msg::SettingCompleted) + QStringLiteral(" (backup: ") +
             QString::fromStdString(bak.string()) + QStringLiteral(")"));
    out.doc.insert(QStringLiteral("backup"), QString::fromStdString(bak.string()));
    return out.finish(kExitOk);
}

void addFirmwareOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("show|patch"), QStringLiteral("What to do."));
    parser.addOption({QStringLiteral("aes-key"), QStringLiteral("What to do with the image's AES key."),
                      QStringLiteral("keep|change"), QStringLiteral("keep")});
}

int runFirmware(const QCommandLineParser& parser, Output& out) {
    const QString action = parser.positionalArguments().value(0);
    if (action == u"show") return show(parser, out);
    if (action == u"patch") return patch(parser, out);
    out.error(QStringLiteral("firmware needs show or patch"));
    return out.finish(kExitUsage);
}

}  // namespace

const Subcommand kFirmwareCommand{
    "firmware",
    QStringLiteral(
        "firmware show IMAGE [--family rs485|tx330]: the parameters stored in a firmware image.\n"
        "firmware patch IMAGE FILE.xml [--aes-key keep|change]: store a settings file into the image (the "
        "original "
        "is kept as IMAGE.bak), then load the image again and compare every stored field; on a mismatch the "
        "original is put back.\n"
        "Exit codes: 0 success, 2 usage, 5 the patch failed, 6 file error."),
    kFamilyOption, addFirmwareOptions, runFirmware};

}  // namespace Tormel::Cli
