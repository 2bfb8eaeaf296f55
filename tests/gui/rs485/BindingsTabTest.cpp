// SPDX-License-Identifier: MIT
// The bindings tab: the one-range-per-row lists under any sequence of choices, the binding
// record in both directions, labels of the other language, unit boxes and Clear.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <functional>
#include <random>
#include <set>

#include "gui/Toolkit.h"
#include "gui/rs485/BindingsTab.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"
#include "settings/Config.h"
#include "settings/Rs485Records.h"

namespace {

using Tormel::Gui::ApplicationConfig;
using Tormel::Gui::BindingsTab;
using Tormel::Gui::DialogResult;
using Tormel::Gui::MainGUI;
using Tormel::Gui::StringTable;
namespace Records = Tormel::Gui::Rs485Records;

QString name(const char* stem, int n) { return QString::fromLatin1(stem) + QString::number(n); }

class BindingsTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("LC_ALL", "en_US.UTF-8");
        m_select = std::make_shared<Tormel::Gui::NumRange>();
        m_tab = std::make_unique<BindingsTab>(m_st, m_check, m_select);
        m_tab->buildTable();
    }
    void TearDown() override { qunsetenv("LC_ALL"); }
    QComboBox* combo(const QString& n) { return m_tab->findChild<QComboBox*>(n); }

    // Every range at most once; each shown list = Not Used, then the canonical ranges that are
    // its own or nobody else's, in order; hidden rows are empty.
    void expectInvariant(const char* step) {
        SCOPED_TRACE(step);
        const int group = combo(QStringLiteral("cmbGroup"))->currentIndex();
        const Tormel::Gui::Grouping* g = Tormel::Gui::groupingOf(group);
        const int rows = g != nullptr ? g->groups : 0;
        std::set<QString> taken;
        std::vector<QString> own(rows);
        for (int row = 1; row <= rows; ++row) {
            QComboBox* c = combo(name("cmbNumRange", row));
            ASSERT_GE(c->currentIndex(), 0) << row;
            own[row - 1] = c->currentIndex() == 0 ? QString() : c->currentText();
            if (!own[row - 1].isEmpty()) {
                EXPECT_TRUE(taken.insert(own[row - 1]).second)
                    << "range twice: " << own[row - 1].toStdString();
            }
        }
        for (int row = 1; row <= Tormel::Gui::kBindingRows; ++row) {
            QComboBox* c = combo(name("cmbNumRange", row));
            if (row > rows) {
                EXPECT_EQ(c->count(), 0) << row;
                continue;
            }
            QStringList expected{m_st.getString(Tormel::Gui::kNotUsedLabel)};
            for (int k = 0; k < g->groups; ++k) {
                const QString label = m_st.getString(g->firstLabel + k);
                if (label == own[row - 1] || taken.count(label) == 0) {
                    expected << label;
                }
            }
            QStringList actual;
            for (int i = 0; i < c->count(); ++i) {
                actual << c->itemText(i);
            }
            EXPECT_EQ(actual, expected) << "row " << row;
        }
    }

    StringTable m_st;
    Tormel::Gui::ErrCheck m_check;
    std::shared_ptr<Tormel::Gui::NumRange> m_select;
    std::unique_ptr<BindingsTab> m_tab;
    Tormel::Gui::RecordingToolkit m_tk;
    Tormel::Gui::ToolkitOverride m_override{m_tk};
};

TEST_F(BindingsTabTest, RandomGroupCountsAndRangeChoicesKeepOneRangePerRow) {
    std::mt19937 random(20240611);
    QComboBox* group = combo(QStringLiteral("cmbGroup"));
    for (int step = 0; step < 400; ++step) {
        const int current = group->currentIndex();
        const Tormel::Gui::Grouping* g = Tormel::Gui::groupingOf(current);
        if (g == nullptr || random() % 8 == 0) {
            group->setCurrentIndex(static_cast<int>(random() % 6));
            expectInvariant("group count");
            for (int row = 1; row <= Tormel::Gui::kBindingRows; ++row) {
                EXPECT_TRUE(m_tab->findChild<QLineEdit*>(name("txtModemID", row))->text().isEmpty());
            }
            continue;
        }
        QComboBox* c = combo(name("cmbNumRange", 1 + static_cast<int>(random() % g->groups)));
        c->setCurrentIndex(static_cast<int>(random() % static_cast<unsigned>(c->count())));
        expectInvariant("range choice");
        if (HasFailure()) {
            FAIL() << "at step " << step;
        }
    }
}

TEST_F(BindingsTabTest, UnitBoxesColourAndClearAsksFirst) {
    QComboBox* type = combo(QStringLiteral("cmbBindType"));
    auto* unit7 = m_tab->findChild<QLineEdit*>(QStringLiteral("txtUnit07"));
    EXPECT_FALSE(unit7->isEnabled());  // only with one-by-one binding
    type->setCurrentIndex(1);
    EXPECT_TRUE(unit7->isEnabled());
    const QColor white = Tormel::Gui::namedColor(Tormel::Gui::NamedColor::White);
    const QColor green = Tormel::Gui::namedColor(Tormel::Gui::NamedColor::PaleGreen);
    unit7->setText(QStringLiteral("12"));
    EXPECT_EQ(unit7->palette().color(QPalette::Base), green);
    unit7->setText(QStringLiteral("7"));
    EXPECT_EQ(unit7->palette().color(QPalette::Base), white);
    unit7->setText(QStringLiteral("12"));

    auto* clear = m_tab->findChild<QPushButton*>(QStringLiteral("btnEachAllClear"));
    m_tk.boxAnswers.push_back(DialogResult::Cancel);
    clear->click();
    ASSERT_EQ(m_tk.boxes.size(), 1U);
    EXPECT_EQ(m_tk.boxes[0].Text, m_st.getString(Tormel::Gui::Msg::ClearAllQuestion));
    EXPECT_EQ(unit7->text(), QStringLiteral("12"));
    m_tk.boxAnswers.push_back(DialogResult::OK);
    clear->click();
    EXPECT_EQ(unit7->text(), QStringLiteral("7"));
    EXPECT_EQ(unit7->palette().color(QPalette::Base), white);
}

TEST_F(BindingsTabTest, AUnitBoxIsAChangeWheneverItDoesNotHoldItsOwnNumber) {
    combo(QStringLiteral("cmbBindType"))->setCurrentIndex(1);
    auto* unit7 = m_tab->findChild<QLineEdit*>(QStringLiteral("txtUnit07"));
    const QColor white = Tormel::Gui::namedColor(Tormel::Gui::NamedColor::White);
    const QColor green = Tormel::Gui::namedColor(Tormel::Gui::NamedColor::PaleGreen);
    const struct {
        const char* text;
        QColor colour;
    } cases[] = {{"12", green}, {"7", white}, {"", green}, {"07", green}, {"7", white}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        unit7->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(unit7->palette().color(QPalette::Base), c.colour);
    }
}

class BindingRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("LC_ALL", "en_US.UTF-8");
        ASSERT_TRUE(m_dir.isValid());
        Tormel::Gui::overrideDefaultSettingsFilePath(m_dir.filePath(QStringLiteral("config.xml")));
        m_window = std::make_unique<MainGUI>();
    }
    void TearDown() override {
        m_window.reset();
        Tormel::Gui::overrideDefaultSettingsFilePath({});
        qunsetenv("LC_ALL");
    }
    template <class T>
    T* child(const QString& n) {
        m_window->findChild<BindingsTab*>()->buildTable();  // as a first look at the tab would
        return m_window->findChild<T*>(n);
    }
    // The form after the record went to a unit and came back.
    Tormel::Domain::Common::Binding roundTrip() {
        Tormel::Domain::Common::Binding sent = Records::binding(m_window->storeForm());
        const Tormel::Domain::Common::Communication comm =
            Records::communication(m_window->storeForm(), true);
        const Tormel::Domain::Common::Nodeinfo node = Records::nodeinfo(m_window->storeForm(), 1, false, {});
        const auto prot = Records::protocol(m_window->storeForm());
        Records::FromRecords back =
            Records::configFromRecords(comm, node, prot, &sent, true, Tormel::Gui::Msg::ReadFailed);
        EXPECT_TRUE(back.config.has_value());
        if (back.config) {
            m_window->setApplication(*back.config, false);
        }
        return sent;
    }

    QTemporaryDir m_dir;
    Tormel::Gui::RecordingToolkit m_tk;
    Tormel::Gui::ToolkitOverride m_override{m_tk};
    std::unique_ptr<MainGUI> m_window;
};

TEST_F(BindingRecordTest, EveryGroupCountAndUnitBindingSurviveTheUnit) {
    for (int group = 1; group <= 5; ++group) {
        SCOPED_TRACE(group);
        child<QComboBox>(QStringLiteral("cmbGroup"))->setCurrentIndex(group);
        const int rows = Tormel::Gui::groupingOf(group)->groups;
        // Every other row bound, ranges picked from the end, so positions and rows differ.
        for (int row = 1; row <= rows; row += 2) {
            child<QLineEdit>(name("txtModemID", row))->setText(QString::number(row + 10));
            QComboBox* c = child<QComboBox>(name("cmbNumRange", row));
            c->setCurrentIndex(c->count() - 1);
        }
        const Tormel::Domain::Common::Binding sent = roundTrip();
        EXPECT_EQ(sent.Groups->size(), static_cast<std::size_t>((rows + 1) / 2));
        const Tormel::Domain::Common::Binding again = Records::binding(m_window->storeForm());
        EXPECT_EQ(*again.Groups, *sent.Groups);
        EXPECT_EQ(child<QComboBox>(QStringLiteral("cmbGroup"))->currentIndex(), group);
    }
    child<QComboBox>(QStringLiteral("cmbBindType"))->setCurrentIndex(1);
    child<QLineEdit>(QStringLiteral("txtUnit05"))->setText(QStringLiteral("40"));
    child<QLineEdit>(QStringLiteral("txtUnit99"))->setText(QStringLiteral("1"));
    const Tormel::Domain::Common::Binding sent = roundTrip();
    ASSERT_EQ(sent.Eachs->size(), 2U);
    EXPECT_EQ(child<QComboBox>(QStringLiteral("cmbBindType"))->currentIndex(), 1);
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("txtUnit05"))->text(), QStringLiteral("40"));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("txtUnit99"))->palette().color(QPalette::Base),
              Tormel::Gui::namedColor(Tormel::Gui::NamedColor::PaleGreen));
    EXPECT_EQ(*Records::binding(m_window->storeForm()).Eachs, *sent.Eachs);
}

TEST_F(BindingRecordTest, RangesSavedUnderTheOtherLanguageKeepTheirRows) {
    child<QComboBox>(QStringLiteral("cmbGroup"))->setCurrentIndex(2);  // 4 groups
    child<QLineEdit>(QStringLiteral("txtModemID1"))->setText(QStringLiteral("3"));
    child<QComboBox>(QStringLiteral("cmbNumRange1"))->setCurrentIndex(3);
    ApplicationConfig english = m_window->storeForm();
    const auto expected = *Records::binding(english).Groups;
    ASSERT_EQ(expected.size(), 1U);
    // The same document as the Japanese interface writes it.
    const StringTable ja(QStringLiteral("ja-JP"));
    const StringTable en(QStringLiteral("en-US"));
    for (auto& list : english.m_rangeList) {
        for (QString& item : *list) {
            for (int id = 68; id <= 119; ++id) {
                if (item == en.getString(id)) {
                    item = ja.getString(id);
                    break;
                }
            }
        }
    }
    EXPECT_EQ(*Records::binding(english).Groups, expected);
    m_window->setApplicationDefault();
    ASSERT_TRUE(m_window->setApplication(english, false));
    EXPECT_EQ(*Records::binding(m_window->storeForm()).Groups, expected);
    EXPECT_EQ(child<QComboBox>(QStringLiteral("cmbNumRange1"))->currentText(), en.getString(73));
}

TEST_F(BindingRecordTest, RangeListsThatBreakOneRangePerRowAreFoundOut) {
    child<QComboBox>(QStringLiteral("cmbGroup"))->setCurrentIndex(1);  // 2 groups
    ApplicationConfig config = m_window->storeForm();
    EXPECT_TRUE(Records::rangeSelections(config).has_value());
    struct Case {
        const char* what;
        std::function<void(ApplicationConfig&)> damage;
    };
    const Case cases[] = {
        {"same range twice",
         [](ApplicationConfig& c) {
             c.m_selectIdx[0] = 1;
             c.m_selectIdx[1] = 1;
         }},
        {"past the end", [](ApplicationConfig& c) { c.m_selectIdx[1] = 3; }},
        {"unknown label", [](ApplicationConfig& c) { (*c.m_rangeList[0])[0] = QStringLiteral("1-5"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ApplicationConfig damaged = m_window->storeForm();
        for (auto& list : damaged.m_rangeList) {
            list = std::make_shared<QStringList>(*list);
        }
        c.damage(damaged);
        EXPECT_FALSE(Records::rangeSelections(damaged).has_value());
    }
}

// The rows and unit boxes are built when the tab is first shown: what was loaded before must be
// what they show and what the window stores, before and after.
TEST_F(BindingRecordTest, ValuesLoadedBeforeTheTabIsShownSurviveItsBuilding) {
    struct Case {
        const char* what;
        std::function<void(MainGUI&)> edit;  // on a window whose table is built
    };
    const auto box = [](MainGUI& w, const QString& n) { return w.findChild<QLineEdit*>(n); };
    const auto list = [](MainGUI& w, const QString& n) { return w.findChild<QComboBox*>(n); };
    const Case cases[] = {
        {"4 groups, rows 1 and 3",
         [&](MainGUI& w) {
             list(w, QStringLiteral("cmbGroup"))->setCurrentIndex(2);
             box(w, QStringLiteral("txtModemID1"))->setText(QStringLiteral("11"));
             list(w, QStringLiteral("cmbNumRange1"))->setCurrentIndex(3);
             box(w, QStringLiteral("txtModemID3"))->setText(QStringLiteral("33"));
             list(w, QStringLiteral("cmbNumRange3"))->setCurrentIndex(1);
         }},
        {"25 groups, the last row",
         [&](MainGUI& w) {
             list(w, QStringLiteral("cmbGroup"))->setCurrentIndex(5);
             box(w, QStringLiteral("txtModemID25"))->setText(QStringLiteral("99"));
             QComboBox* last = list(w, QStringLiteral("cmbNumRange25"));
             last->setCurrentIndex(last->count() - 1);
         }},
        {"units one by one",
         [&](MainGUI& w) {
             list(w, QStringLiteral("cmbBindType"))->setCurrentIndex(1);
             box(w, QStringLiteral("txtUnit05"))->setText(QStringLiteral("40"));
             box(w, QStringLiteral("txtUnit99"))->setText(QStringLiteral("1"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainGUI source;
        source.findChild<BindingsTab*>()->buildTable();
        c.edit(source);
        const ApplicationConfig wanted = source.storeForm();
        const QByteArray wantedXml = Tormel::Gui::Config::toXml(wanted).value_or(QByteArray());

        m_window = std::make_unique<MainGUI>();
        auto* tab = m_window->findChild<BindingsTab*>();
        EXPECT_EQ(m_window->findChild<QLineEdit*>(QStringLiteral("txtUnit01")), nullptr);
        ASSERT_TRUE(m_window->setApplication(wanted, false));
        EXPECT_FALSE(tab->tableBuilt());
        EXPECT_EQ(Tormel::Gui::Config::toXml(m_window->storeForm()).value_or(QByteArray()), wantedXml);

        m_window->show();
        m_window->findChild<QTabWidget*>(QStringLiteral("tabConfig"))->setCurrentWidget(tab);
        ASSERT_TRUE(tab->tableBuilt());
        for (int row = 1; row <= Tormel::Gui::kBindingRows; ++row) {
            EXPECT_EQ(box(*m_window, name("txtModemID", row))->text(),
                      box(source, name("txtModemID", row))->text());
            EXPECT_EQ(list(*m_window, name("cmbNumRange", row))->currentText(),
                      list(source, name("cmbNumRange", row))->currentText());
        }
        const QWidget* eachGroup = m_window->findChild<QWidget*>(QStringLiteral("grpBindEach"));
        for (int unit = 1; unit <= Tormel::Gui::kBindingUnits; ++unit) {
            const QString n = QStringLiteral("txtUnit%1").arg(unit, 2, 10, QLatin1Char('0'));
            EXPECT_EQ(box(*m_window, n)->text(), box(source, n)->text()) << unit;
            // Built while the tab was coming on screen, the boxes must be on screen with it.
            EXPECT_EQ(box(*m_window, n)->isVisible(), eachGroup->isVisible()) << unit;
        }
        ApplicationConfig onBindings = wanted;
        onBindings.m_tabSelect = 3;  // the tab now shown
        EXPECT_EQ(Tormel::Gui::Config::toXml(m_window->storeForm()).value_or(QByteArray()).toStdString(),
                  Tormel::Gui::Config::toXml(onBindings).value_or(QByteArray()).toStdString());
    }
}

}  // namespace
