// SPDX-License-Identifier: MIT
// `firmware show` and `firmware patch`: a firmware image's parameters, and a settings file
// stored into an image with the window's atomic replace and backup, then checked by loading
// the written image again.
#include <QFileInfo>
#include <QJsonArray>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "cli/Commands.h"
#include "cli/SettingsDocument.h"
#include "domain/firmware/ElfEditor.h"
#include "domain/firmware/ElfEditor_TX330.h"
#include "domain/firmware/ImagePatch.h"
#include "settings/NameTable.h"
#include "settings/RecordConversion.h"

namespace Tormel::Cli {

using Domain::Firmware::ElfEditor;
using Domain::Firmware::ElfEditor_TX330;
using Domain::Firmware::ElfEditorResult;

namespace {

// Images carry no unit name; the parameter editor for the RS485 family is the TX-910A's.
constexpr int32_t kImageModuleType = 2;

using AnyRecords = std::variant<Gui::Rs485RecordSet, Gui::Tx330RecordSet>;

// Opens the image, lets `before` hand the editor records, loads the image (which overwrites only
// the fields the image holds), lets `after` take or set records and, with `store`, stores them.
// A store is always preceded by that load: it gives the editor the image's own values of what a
// settings file does not carry (the bind type above all), and the store writes them back as
// they were.
// `failed` gets the symbol a failed Load or Store stopped at.
template <class Editor, class Before, class After>
ElfEditorResult withImage(const std::string& path, bool store, Before&& before, After&& after,
                          std::string* failed = nullptr) {
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
        if (failed != nullptr) *failed = editor.FailedSymbol();
        const ElfEditorResult closed = editor.Close();
        if (result == ElfEditorResult::Success) result = closed;
    }
    editor.End();
    return result;
}

// The image's records, from a fresh editor: a field the image does not hold keeps its default.
template <class Editor, class RecordSet>
ElfEditorResult loadRecordSet(const std::string& path, AnyRecords& records, std::string& failed) {
    constexpr bool rs485 = std::is_same_v<RecordSet, Gui::Rs485RecordSet>;
    RecordSet r{};
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
        },
        &failed);
    records = r;
    return result;
}

// The image's records; `failed` names the symbol a failed load stopped at.
ElfEditorResult loadRecords(const std::string& path, UnitFamily family, AnyRecords& records,
                            std::string& failed) {
    return family == UnitFamily::Rs485
               ? loadRecordSet<ElfEditor, Gui::Rs485RecordSet>(path, records, failed)
               : loadRecordSet<ElfEditor_TX330, Gui::Tx330RecordSet>(path, records, failed);
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

void reportUnreadable(const QString& path, ElfEditorResult result, const std::string& failed, Output& out) {
    const QString symbol = QString::fromStdString(failed);
    const QString why =
        result == ElfEditorResult::ErrUnsupported
            ? QStringLiteral("not a firmware image of these units (a 32-bit AVR executable is needed)")
        : result == ElfEditorResult::ErrOutOfRange
            ? QStringLiteral(
                  "the parameter %1 in the image holds a value the editor cannot read (a damaged "
                  "image, or one for other units)")
                  .arg(symbol)
        : result == ElfEditorResult::ErrUnknownSymbol
            ? QStringLiteral("the image lacks the parameter %1 that the editor reads").arg(symbol)
            : QStringLiteral("the image could not be read");
    out.error(QStringLiteral("%1: %2").arg(path, why));
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

using Domain::Firmware::ImageSymbol;

// What a patch leaves untouched although the editor writes it on every store: the AES key
// words, unless the key is to be changed; and the contact-I/O unit's interface port, which its
// settings file does not carry and older images hold without the editor reading it.
std::vector<ImageSymbol> keptSymbols(UnitFamily family, Gui::AesKeyChoice choice) {
    std::vector<ImageSymbol> kept;
    if (choice != Gui::AesKeyChoice::Change) kept = Domain::Firmware::AesKeySymbols();
    if (family == UnitFamily::Tx330) kept.push_back({"TormelParamsM$intfport", 1, 0});
    return kept;
}

// What the family's editor stores of `records`: the RS485 image keeps its own bind type (the
// settings never carry one), and the contact-I/O store needs an interface port it can encode
// (the image's own byte is kept).
Domain::Firmware::ImageRecords imageRecords(const AnyRecords& records, const AnyRecords& image) {
    Domain::Firmware::ImageRecords stored;
    if (const auto* rs485 = std::get_if<Gui::Rs485RecordSet>(&records)) {
        stored.communication = rs485->communication;
        stored.nodeinfo = rs485->nodeinfo;
        stored.protocol = rs485->protocol;
        stored.binding = std::get<Gui::Rs485RecordSet>(image).binding;
        return stored;
    }
    const auto& tx330 = std::get<Gui::Tx330RecordSet>(records);
    stored.communication = tx330.communication;
    stored.nodeinfo = tx330.nodeinfo;
    if (stored.communication.IntfPort != 1 && stored.communication.IntfPort != 2)
        stored.communication.IntfPort = 1;
    return stored;
}

// Stores `records` into the image at `path` (the patch's work copy).
template <class Editor>
ElfEditorResult storeImage(const std::string& path, const Domain::Firmware::ImageRecords& records) {
    return withImage<Editor>(
        path, true, [](Editor&) {},
        [&](Editor& e) {
            e.CommunicationConfig(records.communication);
            e.NodeinfoConfig(records.nodeinfo);
            if constexpr (std::is_same_v<Editor, ElfEditor>) {
                e.ProtocolConfig(records.protocol);
                e.BindingConfig(records.binding);
            }
        });
}

// A symbol's bytes as a mismatch shows them; a key word's never.
QString shownBytes(const std::string& symbol, uint64_t bytes) {
    return Domain::Firmware::IsKeyWord(symbol) ? QStringLiteral("<key word>") : QString::number(bytes, 16);
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

const char* familyName(UnitFamily family) { return family == UnitFamily::Rs485 ? "rs485" : "tx330"; }
QString editorName(UnitFamily family) {
    return family == UnitFamily::Rs485 ? QStringLiteral("the RS485 editor (TX-910A/TX-710A, --family rs485)")
                                       : QStringLiteral("the contact-I/O editor (TX-330, --family tx330)");
}

// What an image holds for the two editors: its version byte, and the first parameter symbol
// each editor uses for that version that the image lacks (empty: it holds them all).
struct ImageFamilies {
    uint8_t version = 0;
    std::string missing[2];
    bool holds(UnitFamily family) const { return missing[family == UnitFamily::Rs485 ? 0 : 1].empty(); }
    const std::string& missingFor(UnitFamily family) const {
        return missing[family == UnitFamily::Rs485 ? 0 : 1];
    }
};

std::string firstMissing(const QString& image, UnitFamily family, uint8_t version) {
    const std::string path = image.toStdString();
    std::vector<ImageSymbol> symbols;
    for (const auto& use : ElfEditor::SymbolsUsed(family, version))
        symbols.push_back({use.symbol, use.width, 0});
    if (Domain::Firmware::ReadImageSymbols(path, symbols)) return {};
    for (const ImageSymbol& symbol : symbols) {
        std::vector<ImageSymbol> one{symbol};
        if (!Domain::Firmware::ReadImageSymbols(path, one)) return symbol.name;
    }
    return "?";
}

// Whether the file at `path` is a unit firmware image at all; false after a specific error
// (no such file, not readable, not an image of these units).
bool openableImage(const QString& path, Output& out) {
    const QFileInfo info(path);
    if (!info.exists()) {
        out.error(QStringLiteral("%1: no such file").arg(path));
        return false;
    }
    if (info.isDir()) {
        out.error(QStringLiteral("%1: is a folder, not a firmware image").arg(path));
        return false;
    }
    ElfEditor editor;
    ElfEditorResult result = editor.Init();
    if (result == ElfEditorResult::Success) {
        editor.FileName(path.toStdString());
        result = editor.Open();
        if (result == ElfEditorResult::Success) editor.Close();
    }
    editor.End();
    if (result == ElfEditorResult::Success) return true;
    if (result == ElfEditorResult::ErrUnsupported) {
        out.error(
            QStringLiteral("%1: not a firmware image of these units (a 32-bit AVR executable is needed)")
                .arg(path));
    } else if (!info.isReadable()) {
        out.error(QStringLiteral("%1: cannot be read (permission denied)").arg(path));
    } else if (result == ElfEditorResult::ErrFileOpen && !info.isWritable()) {
        // The editor opens an image for reading and writing, also only to show it.
        out.error(QStringLiteral("%1: cannot be opened for writing (permission denied); the editor needs "
                                 "write access to the image, also to show it")
                      .arg(path));
    } else {
        out.error(QStringLiteral("%1: not a firmware image (not an ELF file, or a damaged one)").arg(path));
    }
    return false;
}

// The editor to use on `path`: the one --family names, else `fileFamily` (a settings file's:
// it is written for one family), else the only one whose parameters the image holds. Both
// editors read the same parameter block, so an image alone does not always tell; then the user
// must. Reports and returns the exit
// code when there is no editor to use.
std::variant<UnitFamily, int> chooseEditor(const QCommandLineParser& parser, const QString& path,
                                           std::optional<UnitFamily> fileFamily, Output& out) {
    std::optional<UnitFamily> named;
    if (parser.isSet(QStringLiteral("family"))) {
        named = familyOption(parser, UnitFamily::Rs485, out);
        if (!named) return kExitUsage;
        if (fileFamily && *named != *fileFamily) {
            out.error(QStringLiteral("--family %1 does not fit the settings file, which is for %2 units")
                          .arg(QString::fromLatin1(familyName(*named)),
                               *fileFamily == UnitFamily::Rs485 ? QStringLiteral("RS485 (TX-910A/TX-710A)")
                                                                : QStringLiteral("contact-I/O (TX-330)")));
            return kExitUsage;
        }
    }
    if (!openableImage(path, out)) return kExitFileError;
    ImageFamilies image;
    std::vector<ImageSymbol> version{{"TormelParamsM$version", 1, 0}};
    if (!Domain::Firmware::ReadImageSymbols(path.toStdString(), version)) {
        out.error(QStringLiteral("%1: the image has no parameter block (no TormelParamsM$version); it is not "
                                 "an image this tool can read or patch")
                      .arg(path));
        return kExitUnsupported;
    }
    image.version = static_cast<uint8_t>(version[0].data);
    image.missing[0] = firstMissing(path, UnitFamily::Rs485, image.version);
    image.missing[1] = firstMissing(path, UnitFamily::Tx330, image.version);
    UnitFamily chosen = UnitFamily::Rs485;
    if (named) {
        chosen = *named;
    } else if (fileFamily) {
        chosen = *fileFamily;
    } else if (image.holds(UnitFamily::Rs485) && image.holds(UnitFamily::Tx330)) {
        out.error(
            QStringLiteral("%1 holds the parameters of both %2 and %3; say which with --family rs485 or "
                           "--family tx330")
                .arg(path, editorName(UnitFamily::Rs485), editorName(UnitFamily::Tx330)));
        return kExitUsage;
    } else if (image.holds(UnitFamily::Tx330)) {
        chosen = UnitFamily::Tx330;
    }
    if (!image.holds(chosen)) {
        out.error(QStringLiteral("%1 lacks the parameter %2 that %3 uses with image version %4, so that "
                                 "editor cannot work on it; nothing was written")
                      .arg(path, QString::fromStdString(image.missingFor(chosen)), editorName(chosen))
                      .arg(image.version));
        return kExitUnsupported;
    }
    out.doc.insert(QStringLiteral("editor"), QString::fromLatin1(familyName(chosen)));
    out.doc.insert(QStringLiteral("imageVersion"), image.version);
    return chosen;
}

template <class E>
QString named(E value, std::initializer_list<std::pair<E, const char*>> names) {
    for (const auto& [v, n] : names) {
        if (v == value) return QString::fromLatin1(n);
    }
    return QStringLiteral("unknown (%1)").arg(static_cast<int>(value));
}

QString onOff(int32_t value) {
    return value == 2 ? QStringLiteral("on") : value == 1 ? QStringLiteral("off") : QString::number(value);
}
QString hexByte(uint32_t value) { return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper(); }
QString format(Domain::Common::ProtocolFormat f) {
    using Domain::Common::ProtocolFormat;
    return named(f, {{ProtocolFormat::DecimalNumber, "decimal ASCII"},
                     {ProtocolFormat::HexadecimalNumber, "hexadecimal ASCII"},
                     {ProtocolFormat::LittleEndian, "binary little-endian"},
                     {ProtocolFormat::BigEndian, "binary big-endian"}});
}

// A loaded parameter as a person reads it, named as in a settings file where it has an element
// there; nothing for a symbol not listed here.
std::optional<std::pair<QString, QString>> shownValue(const std::string& symbol,
                                                      const Gui::Rs485RecordSet& r) {
    using namespace Domain::Common;
    const std::string name = symbol.substr(symbol.find('$') + 1);
    const Communication& c = r.communication;
    const Nodeinfo& n = r.nodeinfo;
    const Protocol& p = r.protocol;
    auto is = [&](const char* s) { return name == s; };
    if (is("baudrate")) return std::pair{QStringLiteral("BAUDRATE"), QString::number(c.BaudRate)};
    if (is("databit")) return std::pair{QStringLiteral("DATABITS"), QString::number(c.DataBits)};
    if (is("parity"))
        return std::pair{
            QStringLiteral("PARITY"),
            named(c.Parity, {{Parity::None, "none"}, {Parity::Odd, "odd"}, {Parity::Even, "even"}})};
    if (is("stopbit"))
        return std::pair{QStringLiteral("STOPBITS"),
                         named(c.StopBits, {{StopBits::One, "1"}, {StopBits::Two, "2"}})};
    if (is("awt")) return std::pair{QStringLiteral("AWT"), QStringLiteral("%1 ms").arg(c.Awt * 10)};
    if (is("intfport"))
        return std::pair{QStringLiteral("INTFPORT"), c.IntfPort == 2   ? QStringLiteral("USB")
                                                     : c.IntfPort == 1 ? QStringLiteral("RS485")
                                                                       : QString::number(c.IntfPort)};
    if (is("flowControl"))
        return std::pair{QStringLiteral("FLOWCTRL"),
                         named(c.FlowControl, {{Handshake::None, "none"},
                                               {Handshake::XOnXOff, "Xon/Xoff"},
                                               {Handshake::RequestToSend, "hardware"}})};
    if (is("hundredOrder")) return std::pair{QStringLiteral("IDOFFSET"), QString::number(n.IdOffset)};
    if (is("syncParams"))
        return std::pair{QStringLiteral("AUTOSYNC"), onOff(static_cast<int32_t>(n.AutoParamSyncEnable))};
    if (is("extendedGroup"))
        return std::pair{QStringLiteral("EXTENDEDGROUP"), onOff(static_cast<int32_t>(n.ExtendedGroup))};
    if (is("encryptAESEnbl"))
        return std::pair{QStringLiteral("AESENCRYPTENABLE"), onOff(static_cast<int32_t>(n.AESEncryptEnable))};
    if (is("Whitening"))
        return std::pair{QStringLiteral("WHITENING"),
                         n.WhiteningEnable == NodeinfoWhiteningEnable::Enable ? QStringLiteral("on") : "off"};
    if (is("encryptEnbl"))
        return std::pair{QStringLiteral("ENCRYPTENABLE"), onOff(static_cast<int32_t>(n.EncryptEnable))};
    if (name.rfind("encryptKey", 0) == 0) {
        const int word = std::stoi(name.substr(10));
        return std::pair{
            QStringLiteral("ENCRYPTKEY%1").arg(word),
            QStringLiteral("%1").arg(n.*kEncryptKeyFields[word - 1], 4, 16, QLatin1Char('0')).toUpper()};
    }
    if (is("throughMode"))
        return std::pair{QStringLiteral("THROUGH"),
                         named(p.ThroughMode, {{ProtocolThrough::Mark, "packet marks"},
                                               {ProtocolThrough::Time, "silent time"},
                                               {ProtocolThrough::Size, "packet size"}})};
    if (is("silentChar")) return std::pair{QStringLiteral("SILENTCHAR"), QString::number(p.SilentChar)};
    if (is("fmt2Enbl"))
        return std::pair{QStringLiteral("FMT2ENABLE"), onOff(static_cast<int32_t>(p.Fmt2Enable))};
    if (is("stxChar")) return std::pair{QStringLiteral("P-STARTCODE"), hexByte(p.PacketStartCode)};
    if (is("etxChar")) return std::pair{QStringLiteral("P-ENDCODE"), hexByte(p.PacketEndCode)};
    if (is("offsetAfterEtx")) return std::pair{QStringLiteral("P-OFFSET"), QString::number(p.PacketOffset)};
    if (is("stxChar2")) return std::pair{QStringLiteral("P-STARTCODE2ND"), hexByte(p.PacketStartCode2nd)};
    if (is("etxChar2")) return std::pair{QStringLiteral("P-ENDCODE2ND"), hexByte(p.PacketEndCode2nd)};
    if (is("offsetAfterEtx2"))
        return std::pair{QStringLiteral("P-OFFSET2ND"), QString::number(p.PacketOffset2nd)};
    if (is("devIdEnable"))
        return std::pair{QStringLiteral("S-DEVIENABLE"),
                         named(p.DeviEnable, {{ProtocolDeviEnable::Disable, "off"},
                                              {ProtocolDeviEnable::Enable, "from the packet"},
                                              {ProtocolDeviEnable::Fix, "fixed"}})};
    if (is("offsetToDevId")) return std::pair{QStringLiteral("S-OFFSET"), QString::number(p.AddressOffset)};
    if (is("devIdLen")) return std::pair{QStringLiteral("S-LENGTH"), QString::number(p.AddressLength)};
    if (is("devIdFormat")) return std::pair{QStringLiteral("S-FORM"), format(p.AddressFormat)};
    if (is("offsetToDevId2"))
        return std::pair{QStringLiteral("S-OFFSET2ND"), QString::number(p.AddressOffset2nd)};
    if (is("devIdLen2")) return std::pair{QStringLiteral("S-LENGTH2ND"), QString::number(p.AddressLength2nd)};
    if (is("devIdFormat2")) return std::pair{QStringLiteral("S-FORM2ND"), format(p.AddressFormat2nd)};
    if (is("bcastAddr"))
        return std::pair{QStringLiteral("S-BCASTADDR"),
                         QStringLiteral("%1").arg(p.BcastAddr, 4, 16, QLatin1Char('0')).toUpper()};
    if (is("chkType"))
        return std::pair{QStringLiteral("C-CHECK"), named(p.CheckMethod, {{ProtocolMethod::None, "none"},
                                                                          {ProtocolMethod::Bcc, "BCC"},
                                                                          {ProtocolMethod::Crc, "CRC"},
                                                                          {ProtocolMethod::Sum, "SUM"}})};
    if (is("chkIncludeStx"))
        return std::pair{QStringLiteral("C-STARTCODE"),
                         p.CheckCode == ProtocolCheckCode::StartCode ? QStringLiteral("true") : "false"};
    if (is("offsetToChkCode")) return std::pair{QStringLiteral("C-OFFSET"), QString::number(p.CheckOffset)};
    if (is("chkCodeLen")) return std::pair{QStringLiteral("C-LENGTH"), QString::number(p.CheckLength)};
    if (is("chkCodeFormat")) return std::pair{QStringLiteral("C-FORM"), format(p.CheckFormat)};
    if (is("bindType"))
        return std::pair{
            QStringLiteral("BINDTYPE"),
            named(r.binding.BindType, {{BindingType::Group, "group"}, {BindingType::Each, "each"}})};
    return std::nullopt;
}

int show(const QCommandLineParser& parser, Output& out) {
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 2 || pos[1].isEmpty()) {
        out.error(QStringLiteral("firmware show needs one image"));
        return out.finish(kExitUsage);
    }
    const auto editor = chooseEditor(parser, pos[1], std::nullopt, out);
    if (const int* code = std::get_if<int>(&editor)) return out.finish(*code);
    const UnitFamily family = std::get<UnitFamily>(editor);
    AnyRecords records;
    std::string failed;
    if (const ElfEditorResult r = loadRecords(pos[1].toStdString(), family, records, failed);
        r != ElfEditorResult::Success) {
        reportUnreadable(pos[1], r, failed, out);
        return out.finish(kExitFileError);
    }
    // What the chosen editor loaded, in the order it loads it, as values.
    Gui::Rs485RecordSet values;
    if (const auto* rs485 = std::get_if<Gui::Rs485RecordSet>(&records)) {
        values = *rs485;
    } else {
        const auto& tx330 = std::get<Gui::Tx330RecordSet>(records);
        values.communication = tx330.communication;
        values.nodeinfo = tx330.nodeinfo;
    }
    const int version = out.doc.value(QStringLiteral("imageVersion")).toInt();
    out.line(QStringLiteral("editor: %1").arg(editorName(family)));
    out.line(QStringLiteral("VERSION=%1").arg(version));
    QJsonObject fields;
    QJsonArray order;
    const auto domainFamily =
        family == UnitFamily::Rs485 ? UnitFamily::Rs485 : Domain::Firmware::UnitFamily::Tx330;
    for (const auto& use : ElfEditor::SymbolsUsed(domainFamily, static_cast<uint8_t>(version))) {
        if (!use.loaded) continue;
        const auto shown = shownValue(use.symbol, values);
        if (!shown || fields.contains(shown->first)) continue;
        fields.insert(shown->first, shown->second);
        order.append(shown->first);
        out.line(QStringLiteral("%1=%2").arg(shown->first, shown->second));
    }
    out.doc.insert(QStringLiteral("parameters"), fields);
    out.doc.insert(QStringLiteral("order"), order);
    return out.finish(kExitOk);
}

int patch(const QCommandLineParser& parser, Output& out) {
    const QStringList pos = parser.positionalArguments();
    if (pos.size() != 3 || pos[1].isEmpty() || pos[2].isEmpty()) {
        out.error(QStringLiteral("firmware patch needs an image and a settings file"));
        return out.finish(kExitUsage);
    }
    const QString keyOption = parser.value(QStringLiteral("aes-key")).toLower();
    if (keyOption != u"keep" && keyOption != u"change") {
        out.error(QStringLiteral("--aes-key must be keep or change"));
        return out.finish(kExitUsage);
    }
    const auto choice = keyOption == u"keep" ? Gui::AesKeyChoice::NotChange : Gui::AesKeyChoice::Change;
    const QString& imagePath = pos[1];
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
    const auto editor = chooseEditor(parser, imagePath, familyOf(*file), out);
    if (const int* code = std::get_if<int>(&editor)) return out.finish(*code);
    const UnitFamily family = std::get<UnitFamily>(editor);
    out.line(QStringLiteral("editor: %1").arg(editorName(family)));
    // The image must be one of this family, and readable, before anything is touched.
    AnyRecords original;
    std::string unreadableSymbol;
    if (const auto r = loadRecords(imagePath.toStdString(), family, original, unreadableSymbol);
        r != ElfEditorResult::Success) {
        reportUnreadable(imagePath, r, unreadableSymbol, out);
        return out.finish(kExitFileError);
    }
    if (!documentOf(original, imagePath, out)) return out.finish(kExitFileError);

    const Domain::Firmware::ImageRecords stored =
        imageRecords(recordsToStore(*file, choice, original), original);
    // Through a link the file behind it is patched; that is the one checked: it must hold what
    // the store wrote, byte for byte.
    std::vector<Domain::Firmware::PatchOutcome::Changed> changed;
    bool unreadable = false;
    Domain::Firmware::ImagePatch request;
    request.kept = keptSymbols(family, choice);
    request.store = [&](const std::string& workCopy) {
        return family == UnitFamily::Rs485 ? storeImage<ElfEditor>(workCopy, stored)
                                           : storeImage<ElfEditor_TX330>(workCopy, stored);
    };
    request.verify = [&](const std::string& target) {
        const bool holds = Domain::Firmware::HoldsStored(target, family, stored, request.kept, changed);
        unreadable = !holds && changed.empty();
        return holds;
    };
    const Domain::Firmware::PatchOutcome outcome =
        Domain::Firmware::PatchImage(imagePath.toStdString(), request);
    using Domain::Firmware::PatchResult;
    const QString bak = QString::fromStdString(outcome.backup);
    if (outcome.result != PatchResult::Success && outcome.result != PatchResult::Mismatch &&
        outcome.result != PatchResult::MismatchNotRestored) {
        const QString failed = texts().getString(Gui::Msg::FirmwareWriteFailed);
        const Domain::Firmware::ImageWorkFiles files = Domain::Firmware::WorkFilesOf(imagePath.toStdString());
        switch (outcome.result) {
            case PatchResult::NoImage:
                out.error(imagePath + QStringLiteral(": no such image"));
                return out.finish(kExitFileError);
            case PatchResult::RefusedName:
                out.error(failed +
                          QStringLiteral(" (%1 is named like a work copy or a backup; rename it first)")
                              .arg(imagePath));
                return out.finish(kExitFileError);
            case PatchResult::CopyFailed:
                out.error(failed + QStringLiteral(" (the work copy %1 could not be made)")
                                       .arg(QString::fromStdString(files.workCopy)));
                break;
            case PatchResult::StoreFailed:
                out.error(failed + QStringLiteral(" (the parameters could not be stored: %1)")
                                       .arg(storeFailureText(outcome.storeResult)));
                break;
            case PatchResult::BackupFailed:
                out.error(failed + QStringLiteral(" (the backup beside %1 could not be made)")
                                       .arg(QString::fromStdString(files.backup)));
                break;
            default:
                out.error(failed + QStringLiteral(" (the image could not be replaced)"));
                break;
        }
        out.error(imagePath + QStringLiteral(": the image was not changed"));
        return out.finish(kExitWriteFailed);
    }
    std::vector<FieldDifference> mismatches;
    if (unreadable) mismatches.push_back({QStringLiteral("image"), QStringLiteral("unreadable"), QString()});
    changed.insert(changed.end(), outcome.keptChanged.begin(), outcome.keptChanged.end());
    for (const auto& c : changed)
        mismatches.push_back(
            {QString::fromStdString(c.name), shownBytes(c.name, c.found), shownBytes(c.name, c.wanted)});
    const QString source = QStringLiteral("image");
    out.doc.insert(QStringLiteral("mismatches"), differencesJson(mismatches, source));
    if (outcome.result != PatchResult::Success) {
        for (const FieldDifference& d : mismatches) out.error(differenceText(d, source));
        out.error(outcome.result == PatchResult::MismatchNotRestored
                      ? QStringLiteral("the original could not be put back; it is in ") + bak
                      : QStringLiteral("verification failed; the original image was put back"));
        return out.finish(kExitWriteFailed);
    }
    out.line(texts().getString(Gui::Msg::SettingCompleted) +
             QStringLiteral(" (the original image is kept as ") + bak + QStringLiteral(")"));
    out.doc.insert(QStringLiteral("backup"), bak);
    return out.finish(kExitOk);
}

void addFirmwareOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("show|patch"), QStringLiteral("What to do."));
    parser.addOption(
        {QStringLiteral("family"),
         QStringLiteral("The editor: rs485 (TX-910A/TX-710A) or tx330 (TX-330). Without it, patch "
                        "uses the settings file's family, and show the only one whose parameters the "
                        "image holds (an image with both needs it)."),
         QStringLiteral("rs485|tx330")});
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
        "firmware show IMAGE [--family rs485|tx330]: the image's version and the parameters the editor "
        "loads, as values.\n"
        "firmware patch IMAGE FILE.xml [--family rs485|tx330] [--aes-key keep|change]: store a settings file "
        "into the image. The original is kept as IMAGE's name with .bak in place of its extension "
        "(image.elf: "
        "image.bak); an existing backup is never overwritten, the next one is image.1.bak, image.2.bak and "
        "so "
        "on. The image is then loaded again and every stored field compared; on a mismatch the original is "
        "put back.\n"
        "Exit codes: 0 success, 2 usage (also: show of an image that holds both editors' parameters without "
        "--family), "
        "4 the image lacks a parameter the editor needs, 5 the patch failed, 6 file error."),
    kNoSharedOptions, addFirmwareOptions, runFirmware};

}  // namespace Tormel::Cli
