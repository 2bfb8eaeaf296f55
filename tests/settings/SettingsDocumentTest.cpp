// SPDX-License-Identifier: MIT
// The settings documents of both windows: the bytes written, the documents accepted and
// refused on reading, and the files themselves (atomic replacement, default location).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "SettingsScenarios.h"
#include "SettingsTestSupport.h"
#include "settings/Config.h"
#include "settings/Config_TX330.h"
#include "support/FileSizeLimit.h"

using namespace Tormel::Gui;
using namespace Tormel::Gui::Testing;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray rs485Doc(const QByteArray& body) {
    return "<?xml version=\"1.0\"?>\n<ApplicationConfig "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n" +
           body + "\n</ApplicationConfig>";
}

}  // namespace

TEST(SettingsDocumentWrite, BytesMatchTheHandMadeDocumentsInBothLanguages) {
    struct Case {
        const char* locale;
        const char* rs485;
        const char* tx330;
    };
    for (const Case& c :
         {Case{kJapanese, "rs485_ja.xml", "tx330_ja.xml"}, Case{kEnglish, "rs485_en.xml", "tx330_en.xml"}}) {
        ScopedCulture culture(c.locale);
        const auto rs485 = Config::toXml(Rs485Form().build());
        ASSERT_TRUE(rs485.has_value());
        EXPECT_EQ(rs485->toStdString(), readGolden(c.rs485).toStdString()) << c.rs485;
        const auto tx330 = Config_TX330::toXml(Tx330Form().build());
        ASSERT_TRUE(tx330.has_value());
        EXPECT_EQ(tx330->toStdString(), readGolden(c.tx330).toStdString()) << c.tx330;
    }
}

TEST(SettingsDocumentWrite, ReadingTheHandMadeDocumentsGivesTheSameObjects) {
    ScopedCulture en(kEnglish);
    for (const char* name : {"rs485_ja.xml", "rs485_en.xml"}) {
        ApplicationConfig config;
        ASSERT_TRUE(Config::fromXml(readGolden(name), config)) << name;
        EXPECT_TRUE(config.checkConfigData(false, true)) << name;
        // Units 03 to 99 are left out of the document and read back as their default, an
        // empty text; apart from them the object writes the same document again.
        QByteArray expected = readGolden(name);
        for (int unit = 3; unit <= 99; ++unit) {
            const QByteArray element =
                "  <UNIT" + QByteArray::number(unit).rightJustified(2, '0') + " />\r\n";
            expected.insert(expected.indexOf("  <DEV-MODE>"), element);
        }
        EXPECT_EQ(Config::toXml(config)->toStdString(), expected.toStdString()) << name;
    }
    for (const char* name : {"tx330_ja.xml", "tx330_en.xml"}) {
        ApplicationConfig_TX330 config;
        ASSERT_TRUE(Config_TX330::fromXml(readGolden(name), config)) << name;
        EXPECT_EQ(Config_TX330::toXml(config)->toStdString(), readGolden(name).toStdString()) << name;
        EXPECT_TRUE(config.checkConfigData(false, true)) << name;
    }
    // A file written under ja-JP keeps its Japanese range texts when read under en-US.
    ApplicationConfig ja;
    ASSERT_TRUE(Config::fromXml(readGolden("rs485_ja.xml"), ja));
    EXPECT_EQ(ja.m_rangeList[3]->at(4), QStringLiteral("96～99"));
    EXPECT_EQ(ja.m_preText.at(1), QStringLiteral("32～63"));
    EXPECT_EQ(ja.m_fileVersion, QStringLiteral("1"));
    ApplicationConfig en2;
    ASSERT_TRUE(Config::fromXml(readGolden("rs485_en.xml"), en2));
    EXPECT_TRUE(en2.m_fileVersion.isEmpty());
    EXPECT_FALSE(en2.m_fileVersion.isNull());
    EXPECT_TRUE(en2.m_unit[2].isEmpty());
    EXPECT_EQ(en2.m_unit[0], QStringLiteral("5"));
    EXPECT_EQ(en2.m_selectIdx[24], 0);
    EXPECT_EQ(en2.m_cOffset, QStringLiteral("-5"));
    EXPECT_TRUE(en2.m_cStartCode);
    ApplicationConfig noVersion;
    ASSERT_TRUE(Config::fromXml("<ApplicationConfig><TYPE>2</TYPE></ApplicationConfig>", noVersion));
    EXPECT_TRUE(noVersion.m_version.isNull());  // an absent VERSION stays absent
    EXPECT_TRUE(noVersion.m_fileVersion.isNull());
    ApplicationConfig emptyVersion;
    ASSERT_TRUE(Config::fromXml("<ApplicationConfig><VERSION/></ApplicationConfig>", emptyVersion));
    EXPECT_FALSE(emptyVersion.m_version.isNull());
    EXPECT_TRUE(emptyVersion.m_version.isEmpty());
}

TEST(SettingsDocumentRead, HandWrittenFilesLoadAndPassTheirChecks) {
    ScopedCulture en(kEnglish);
    ApplicationConfig rs;
    ASSERT_TRUE(Config::fromXml(readGolden("handwritten_rs485_ja.xml"), rs));
    EXPECT_TRUE(rs.m_version.isNull());
    EXPECT_EQ(rs.m_moduletype, 1);
    EXPECT_EQ(rs.m_IdOffset, QStringLiteral("100"));
    EXPECT_TRUE(rs.m_cStartCode);
    EXPECT_EQ(*rs.m_rangeList[0],
              (QStringList{QStringLiteral("使用しない"), QStringLiteral("1～63"), QStringLiteral("64～99")}));
    EXPECT_EQ(rs.m_rangeList[1]->size(), 2);  // items without the type attribute count too
    EXPECT_EQ(rs.m_selectIdx[2], -1);         // missing elements keep their defaults
    EXPECT_EQ(rs.m_extendedGroup, 1);
    EXPECT_EQ(rs.m_unit[4], QStringLiteral("7"));
    EXPECT_EQ(rs.m_devMode, 5);
    EXPECT_TRUE(rs.checkSettingToolData(false));
    EXPECT_TRUE(rs.checkConfigData(false, true));  // IDs "0" and "00" pass without a VERSION

    ApplicationConfig_TX330 tx;
    ASSERT_TRUE(Config_TX330::fromXml(readGolden("handwritten_tx330_en.xml"), tx));
    EXPECT_EQ(tx.m_Ch, 32);
    EXPECT_TRUE(tx.m_fileVersion.isEmpty());
    EXPECT_TRUE(tx.checkSettingToolData(false));
    EXPECT_TRUE(tx.checkConfigData(false, true));  // channel 32 on LoRa 24-37, though no list offers it
}

TEST(SettingsDocumentRead, AcceptsVariantsAndRefusesWhatCannotBeRead) {
    struct Case {
        const char* what;
        QByteArray doc;
        bool loads;
    };
    const Case cases[] = {
        {"CR LF",
         "<?xml version=\"1.0\"?>\r\n<ApplicationConfig>\r\n  <TYPE>2</TYPE>\r\n</ApplicationConfig>", true},
        {"no declaration", "<ApplicationConfig><TYPE>2</TYPE></ApplicationConfig>", true},
        {"spaces and sign around a number", rs485Doc("<TYPE> +2 </TYPE>"), true},
        {"boolean as 0", rs485Doc("<C-STARTCODE>0</C-STARTCODE>"), true},
        {"unknown nested element", rs485Doc("<X><TYPE>bad</TYPE></X>"), true},
        {"contact-I/O root", "<ApplicationConfig_TX330><TYPE>2</TYPE></ApplicationConfig_TX330>", false},
        {"root in a namespace", "<ApplicationConfig xmlns=\"urn:x\"><TYPE>2</TYPE></ApplicationConfig>",
         false},
        {"number not a number", rs485Doc("<TYPE>two</TYPE>"), false},
        {"empty number", rs485Doc("<TYPE />"), false},
        {"number too large", rs485Doc("<TYPE>2147483648</TYPE>"), false},
        {"hexadecimal number", rs485Doc("<TYPE>0x2</TYPE>"), false},
        {"boolean in capitals", rs485Doc("<C-STARTCODE>True</C-STARTCODE>"), false},
        {"element inside a known one", rs485Doc("<IDOFFSET><b>1</b></IDOFFSET>"), false},
        {"not well-formed", rs485Doc("<IDOFFSET>1</IDOFSET>"), false},
        {"cut short", "<?xml version=\"1.0\"?>\n<ApplicationConfig>\n  <TYPE>2</TYPE>", false},
        {"garbage after the root", rs485Doc("<TYPE>2</TYPE>") + "<more/>", false},
        {"empty file", "", false},
        {"not XML", "\x00\x01\x02 binary", false},
    };
    for (const Case& c : cases) {
        ApplicationConfig config;
        config.m_moduletype = 9;
        config.m_IdOffset = QStringLiteral("keep");
        EXPECT_EQ(Config::fromXml(c.doc, config), c.loads) << c.what;
        if (!c.loads) {
            EXPECT_EQ(config.m_moduletype, 9) << c.what;
            EXPECT_EQ(config.m_IdOffset, QStringLiteral("keep")) << c.what;
        }
    }
    ApplicationConfig_TX330 tx;
    tx.m_Ch = 50;
    EXPECT_FALSE(Config_TX330::fromXml(rs485Doc("<CH>40</CH>"), tx));
    EXPECT_EQ(tx.m_Ch, 50);
}

TEST(SettingsDocumentRead, TextsSurviveARoundTripAndUnwritableTextsAreRefused) {
    ApplicationConfig config;
    config.m_version = QStringLiteral("a&b <c> \"d\" 'e'\r\nf");
    config.m_IdOffset = QStringLiteral("  ");
    config.m_preText = {QString(), QStringLiteral("x")};  // a null item is written as an empty one
    const auto bytes = Config::toXml(config);
    ASSERT_TRUE(bytes.has_value());
    ApplicationConfig back;
    ASSERT_TRUE(Config::fromXml(*bytes, back));
    EXPECT_EQ(back.m_version, config.m_version);
    EXPECT_EQ(back.m_IdOffset, config.m_IdOffset);
    EXPECT_EQ(back.m_preText, (QStringList{QString(), QStringLiteral("x")}));

    config.m_silentChar = QStringLiteral("4\x01");
    EXPECT_FALSE(Config::toXml(config).has_value());
}

TEST(SettingsFiles, SaveReplacesTheFileOnlyWhenTheWholeDocumentIsWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("saved.xml"));
    writeFile(path, "previous");

    ApplicationConfig bad;
    bad.m_IdOffset = QStringLiteral("\x02");
    Config writer;
    ASSERT_TRUE(writer.fileCreateSpecify(path));
    EXPECT_FALSE(writer.saveXML(bad));
    EXPECT_EQ(readFile(path), QByteArray("previous"));

    // A created file that is never saved leaves the previous content too.
    {
        Config abandoned;
        ASSERT_TRUE(abandoned.fileCreateSpecify(path));
    }
    EXPECT_EQ(readFile(path), QByteArray("previous"));

    ASSERT_TRUE(writer.fileCreateSpecify(path));
    EXPECT_TRUE(writer.saveXML(ApplicationConfig()));
    EXPECT_EQ(readFile(path), *Config::toXml(ApplicationConfig()));
    EXPECT_FALSE(writer.saveXML(ApplicationConfig())) << "the stream is closed by the save";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("saved.xml")});

    // Loading closes the read stream; a second load has nothing to read.
    Config reader;
    ApplicationConfig loaded;
    loaded.m_moduletype = 7;
    ASSERT_TRUE(reader.fileOpenSpecify(path));
    EXPECT_TRUE(reader.loadXML(loaded));
    EXPECT_EQ(loaded.m_moduletype, 0);
    loaded.m_moduletype = 7;
    EXPECT_FALSE(reader.loadXML(loaded));
    EXPECT_EQ(loaded.m_moduletype, 7);

    // Folders, missing files and unwritable places are failures, never exceptions.
    EXPECT_FALSE(reader.fileOpenSpecify(dir.path()));
    EXPECT_FALSE(reader.fileOpenSpecify(dir.filePath(QStringLiteral("missing.xml"))));
    EXPECT_FALSE(reader.fileOpenSpecify(QString()));
    EXPECT_FALSE(writer.fileCreateSpecify(dir.path()));
    EXPECT_FALSE(writer.fileCreateSpecify(dir.filePath(QStringLiteral("no/such/folder/x.xml"))));
    EXPECT_FALSE(writer.fileDeleteSpecify(dir.filePath(QStringLiteral("missing.xml"))));
    EXPECT_TRUE(writer.fileDeleteSpecify(path));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(SettingsFiles, AFailedWriteIsReportedAndKeepsThePreviousFile) {
    // No byte can be written (as on a full disk), or the limit cuts the document in the middle.
    ScopedCulture en(kEnglish);
    const QByteArray previous = readGolden("rs485_ja.xml");
    const std::function<bool(const QString&)> saves[] = {
        [](const QString& path) { return writeSettingsFile(path, ApplicationConfig()); },
        [](const QString& path) {
            Config_TX330 file;
            return file.fileCreateSpecify(path) && file.saveXML(ApplicationConfig_TX330());
        },
        [](const QString&) { return writeDefaultSettingsFile(ApplicationConfig()); },
        // What the windows show: the file and the system's reason.
        [](const QString& path) {
            const SettingsFileWrite written = writeSettingsDocument(path, ApplicationConfig_TX330());
            return written.ok() || written.failure != path + QStringLiteral(": File too large");
        },
        [](const QString& path) {
            const SettingsFileWrite written = writeDefaultSettingsDocument(ApplicationConfig());
            return written.ok() || written.path != path ||
                   written.failure != path + QStringLiteral(": File too large");
        },
    };
    for (rlim_t limit : {rlim_t{0}, rlim_t{1000}}) {
        for (std::size_t i = 0; i < std::size(saves); ++i) {
            QTemporaryDir dir;
            ASSERT_TRUE(dir.isValid());
            const QString path = dir.filePath(QStringLiteral("config.xml"));
            writeFile(path, previous);
            overrideDefaultSettingsFilePath(path);
            const int code =
                Pelnix::Test::RunWithFileSizeLimit(limit, [&] { return saves[i](path) ? 1 : 0; });
            overrideDefaultSettingsFilePath(QString());
            EXPECT_EQ(code, 0) << "save " << i << ", limit " << limit << ": the failure must be reported";
            EXPECT_EQ(readFile(path), previous) << "save " << i << ", limit " << limit;
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                      QStringList{QStringLiteral("config.xml")});
        }
    }
}

TEST(SettingsFiles, DefaultFileLivesBesideTheProgramOrInTheUsersConfigFolder) {
    const QString name = QStringLiteral("config.xml");
    EXPECT_EQ(chooseDefaultSettingsPath(QStringLiteral("/opt/tool"), true, QStringLiteral("/x"),
                                        QStringLiteral("/home/u"), name),
              QStringLiteral("/opt/tool/config.xml"));
    EXPECT_EQ(chooseDefaultSettingsPath(QStringLiteral("/usr/bin"), false, QStringLiteral("/x/cfg"),
                                        QStringLiteral("/home/u"), name),
              QStringLiteral("/x/cfg/pelnix-config/config.xml"));
    EXPECT_EQ(chooseDefaultSettingsPath(QStringLiteral("/usr/bin"), false, QString(),
                                        QStringLiteral("/home/u"), name),
              QStringLiteral("/home/u/.config/pelnix-config/config.xml"));
    EXPECT_EQ(chooseDefaultSettingsPath(QStringLiteral("/usr/bin"), false, QStringLiteral("rel"),
                                        QStringLiteral("/home/u"), name),
              QStringLiteral("/home/u/.config/pelnix-config/config.xml"));

    // Creating the default file also creates the per-user folder it lives in.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cfg/pelnix-config/config.xml"));
    overrideDefaultSettingsFilePath(path);
    Config file;
    EXPECT_FALSE(file.fileOpen());
    ASSERT_TRUE(file.fileCreate());
    EXPECT_TRUE(file.saveXML(ApplicationConfig()));
    EXPECT_TRUE(file.fileOpen());
    EXPECT_TRUE(file.fileDelete());
    EXPECT_FALSE(QFileInfo::exists(path));
    overrideDefaultSettingsFilePath(QString());
    EXPECT_TRUE(defaultSettingsFilePath().endsWith(QStringLiteral("/config.xml")));
}
