// SPDX-License-Identifier: MIT
// Each number field's range and choices live in one row of its settings table: the window's
// check and the command line's refusal take every value the same way, for every field.
#include <gtest/gtest.h>

#include <QFile>
#include <type_traits>

#include "cli/SettingsDocument.h"
#include "settings/Config.h"
#include "settings/Config_TX330.h"

namespace {

using Tormel::Cli::AnyConfig;
using Tormel::Cli::valueOutOfRange;

template <class Reader, class Doc>
Doc golden(const char* name) {
    QFile file(QStringLiteral(PELNIX_GOLDEN "/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    Doc doc;
    EXPECT_TRUE(Reader::fromXml(file.readAll(), doc)) << name;
    return doc;
}

// Property: for every number field the window checks and every value around its range, the
// window's Set, the command line and the row agree whether the value is taken.
template <class Doc>
void windowAndCommandLineAgree(const Doc& valid) {
    ASSERT_TRUE(valid.checkConfigData(false, true));
    ASSERT_FALSE(valueOutOfRange(AnyConfig(valid)).has_value());
    int fieldsChecked = 0;
    for (const auto& row : Doc::xmlTable()) {
        if (!row.rule || !row.rule->checked) continue;
        ++fieldsChecked;
        for (int32_t value = row.rule->lo - 3; value <= row.rule->hi + 3; ++value) {
            SCOPED_TRACE(row.name.toStdString() + " = " + std::to_string(value));
            Doc doc = valid;
            row.intAt(doc) = value;
            const bool taken = row.rule->accepts(value, doc);
            // Only the RS485 module type 2 has an AES type to check.
            bool windowTakes = taken;
            if constexpr (std::is_same_v<Doc, Tormel::Gui::ApplicationConfig>)
                windowTakes = taken || (row.name == u"ENCRYPTTYPE" && doc.m_moduletype != 2);
            EXPECT_EQ(doc.checkConfigData(false, true), windowTakes);
            // The command line holds a file to the window's check without the AES settings.
            if (!row.rule->onlyWithAes) {
                const std::optional<QString> refused = valueOutOfRange(AnyConfig(doc));
                EXPECT_EQ(!refused.has_value(), taken);
                if (refused) {
                    EXPECT_TRUE(refused->startsWith(row.name + QStringLiteral(" ")));
                    EXPECT_TRUE(refused->endsWith(row.rule->allowedText()));
                }
            }
            // A choice has a name for each value it may take.
            if (!row.rule->names.isEmpty() && taken) {
                EXPECT_TRUE(row.rule->nameOf(value).has_value());
            }
        }
    }
    EXPECT_GT(fieldsChecked, 10);
}

TEST(FieldTable, Rs485WindowAndCommandLineTakeTheSameValuesForEveryField) {
    auto doc = golden<Tormel::Gui::Config, Tormel::Gui::ApplicationConfig>("rs485_en.xml");
    windowAndCommandLineAgree(doc);
    // The bit-rate list has 76800 for module type 2 only.
    doc.m_moduletype = 1;
    windowAndCommandLineAgree(doc);
}

TEST(FieldTable, Tx330WindowAndCommandLineTakeTheSameValuesForEveryField) {
    auto doc = golden<Tormel::Gui::Config_TX330, Tormel::Gui::ApplicationConfig_TX330>("tx330_en.xml");
    windowAndCommandLineAgree(doc);
    // The low band with LoRa moves the channel range.
    doc.m_ChMode = 0;
    doc.m_OpMode = 1;
    doc.m_Ch = 34;
    windowAndCommandLineAgree(doc);
}

}  // namespace
