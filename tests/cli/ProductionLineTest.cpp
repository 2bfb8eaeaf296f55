// SPDX-License-Identifier: MIT
// write --each-unit as a production bench runs it: units plugged in while the program waits,
// with a silent port of the PC's own present all along; several units at once, the sequence
// of node numbers across restarts, the read-back after each write and the line's record.
#include <random>
#include <set>

#include "cli/CliFixture.h"

namespace {

class ProductionLineTest : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        m_file = File("line.xml");
        {
            auto probe = Unit("probe");
            ASSERT_EQ(Cli({"read", "-o", m_file}).code, 0);
        }
        m_dir = File("reports");
        // The PC's own serial port: listed first, so the scan order reaches it last; it never
        // answers.
        m_builtIn = Unit("0-builtin");
        m_builtIn->SilentOn("~");
    }

    std::vector<QJsonObject> Reports() const {
        std::vector<std::string> paths;
        std::error_code ec;
        for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".json" && it->path().filename() != "sequence.json")
                paths.push_back(it->path().string());
        std::sort(paths.begin(), paths.end());
        std::vector<QJsonObject> reports;
        reports.reserve(paths.size());
        for (const std::string& p : paths)
            reports.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(readFile(p))).object());
        return reports;
    }
    // The report of the unit on `port` (the last one, if it had several).
    QJsonObject ReportOf(const SimPty& unit) const {
        QJsonObject found;
        for (const QJsonObject& r : Reports())
            if (r.value("port").toString().toStdString() == unit.PortPath()) found = r;
        return found;
    }
    bool WaitForReports(std::size_t count) const {
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             std::chrono::steady_clock::now() < deadline;) {
            if (Reports().size() >= count) return true;
            ::poll(nullptr, 0, 20);
        }
        return Reports().size() >= count;
    }
    // The summary's rows, header first, read as a spreadsheet reads CSV: fields in double
    // quotes may hold commas, doubled quotes stand for one; each row ends in CR LF.
    std::vector<std::vector<std::string>> Summary() const {
        const std::string text = readFile(m_dir + "/summary.csv");
        std::vector<std::vector<std::string>> rows(1);
        std::string field;
        bool quoted = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && c == ',') {
                rows.back().push_back(std::exchange(field, {}));
            } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                rows.back().push_back(std::exchange(field, {}));
                rows.emplace_back();
                ++i;
            } else {
                EXPECT_FALSE(c == '\n' || c == '\r') << "a line break inside a row";
                field += c;
            }
        }
        EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last row does not end in CR LF";
        rows.pop_back();
        return rows;
    }
    Running Bench(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"write", m_file, "--each-unit", "--report-dir", m_dir};
        args.insert(args.end(), extra.begin(), extra.end());
        return Start(args);
    }
    static CliRun Stop(const Running& bench) {
        ::kill(bench.pid, SIGINT);
        return Finish(bench, 20s);
    }
    static bool WroteSomething(const SimPty& unit) {
        const auto requests = unit.Requests();
        return std::any_of(requests.begin(), requests.end(),
                           [](const std::string& r) { return r.find('=') != std::string::npos; });
    }

    std::string m_file;
    std::string m_dir;
    std::unique_ptr<SimPty> m_builtIn;
};

// Three units plugged at once: each is written by its own worker; one keeps a value it
// confirmed (the read-back fails it and names the value), one is unplugged in the middle of
// its write. The PC's silent port is never reported, the output stays one line per unit and
// the bench prints nothing per look for ports into a pipe.
TEST_F(ProductionLineTest, SeveralUnitsAtOnceEachWrittenVerifiedAndRecorded) {
    writeFile(m_file, replaced(readFile(m_file), "<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>42</IDOFFSET>"));
    const Running bench = Bench();
    ::poll(nullptr, 0, 300);
    auto good = Unit("hub1");
    auto keeps = Unit("hub2");
    keeps->KeepOn("~HODR");
    auto unplugged = Unit("hub3");
    unplugged->HangUpAfterLines(12);
    ASSERT_TRUE(WaitForReports(3));
    const CliRun run = Stop(bench);
    EXPECT_EQ(run.code, 5) << run.err;

    const QJsonObject ok = ReportOf(*good);
    EXPECT_EQ(ok.value("result").toString(), "written");
    EXPECT_TRUE(ok.value("verified").toBool());
    EXPECT_EQ(ok.value("readBack").toObject().value("IDOFFSET").toString(),
              ok.value("values").toObject().value("IDOFFSET").toString());
    const QJsonObject kept = ReportOf(*keeps);
    EXPECT_TRUE(kept.value("result").toString().startsWith("failed"))
        << kept.value("result").toString().toStdString();
    EXPECT_FALSE(kept.value("verified").toBool());
    const QJsonArray mismatches = kept.value("mismatches").toArray();
    ASSERT_EQ(mismatches.size(), 1);
    EXPECT_EQ(mismatches[0].toObject().value("element").toString(), "IDOFFSET");
    EXPECT_TRUE(ReportOf(*unplugged).value("result").toString().startsWith("failed"));
    EXPECT_EQ(Reports().size(), 3u);

    const auto summary = Summary();
    ASSERT_EQ(summary.size(), 4u) << readFile(m_dir + "/summary.csv");
    EXPECT_EQ(summary[0], (std::vector<std::string>{"time", "port", "usb serial", "unit name", "unit version",
                                                    "sequence value", "result", "verified", "report file"}));
    std::map<std::string, std::string> verified;
    for (std::size_t i = 1; i < summary.size(); ++i) {
        ASSERT_EQ(summary[i].size(), 9u);
        verified[summary[i][1]] = summary[i][7];
        EXPECT_TRUE(fs::exists(m_dir + "/" + summary[i][8])) << summary[i][8];
        EXPECT_EQ(summary[i][3], UnitState{}.name);
    }
    EXPECT_EQ(verified[good->PortPath()], "yes");
    EXPECT_EQ(verified[keeps->PortPath()], "no");

    EXPECT_NE(run.out.find(good->PortPath() + ": written, verified"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("read back: IDOFFSET"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("units written: 1, failed: 2"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(m_builtIn->PortPath()), std::string::npos) << run.out;
    EXPECT_LT(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
}

// A unit's name is the unit's to choose: with a separator, quotes and a leading "=" it stays
// one field of text in summary.csv, not a formula of the spreadsheet that opens it.
TEST_F(ProductionLineTest, AUnitsNameStaysOneFieldOfTextInTheSummary) {
    UnitState odd;
    odd.name = "=Tarvic2(920MHz) \"TX-910A\", Ver1.7";
    const Running bench = Bench({"--no-verify"});
    auto unit = Unit("odd", odd);
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(Stop(bench).code, 0);
    const auto summary = Summary();
    ASSERT_EQ(summary.size(), 2u);
    ASSERT_EQ(summary[1].size(), 9u);
    EXPECT_EQ(summary[1][3], "'" + odd.name);
    EXPECT_EQ(summary[1][7], "");  // not read back
}

// The next unit on the same adapter gets the same port name; swapped between two looks for
// ports, it is still a new unit and is written.
TEST_F(ProductionLineTest, TheNextUnitUnderTheSamePortNameIsWrittenToo) {
    const Running bench = Bench();
    auto unit = Unit("usb0");
    ASSERT_TRUE(WaitForReports(1));
    unit.reset();
    unit = Unit("usb0");
    EXPECT_TRUE(WaitForReports(2));
    const CliRun run = Stop(bench);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("units written: 2, failed: 0"), std::string::npos) << run.out;
}

// Each unit gets the next node-ID offset; a failed write gives its value to the next unit; a
// restart goes on from the folder; the value past the field's range ends the run before the
// unit behind it is written.
TEST_F(ProductionLineTest, SequenceGivesEachUnitItsOwnValueAcrossRestartsUpToTheRangesEnd) {
    Running bench = Bench({"--sequence", "IDOFFSET=9997"});
    auto first = Unit("a1");
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(first->State().rs485.idOffset, 9997);
    auto failing = Unit("a2");
    failing->KeepOn("~HODR");
    ASSERT_TRUE(WaitForReports(2));
    EXPECT_EQ(ReportOf(*failing).value("sequence").toObject().value("value").toInt(), 9998);
    CliRun run = Stop(bench);
    EXPECT_EQ(run.code, 5) << run.err;
    EXPECT_NE(run.out.find("IDOFFSET 9997"), std::string::npos) << run.out;
    first.reset();  // both unplugged
    failing.reset();

    // The next run, with the same rule: the value the failed unit did not keep comes first,
    // then the next one.
    bench = Bench({"--sequence", "IDOFFSET=9997"});
    auto second = Unit("a3");
    ASSERT_TRUE(WaitForReports(3));
    EXPECT_EQ(second->State().rs485.idOffset, 9998);
    second.reset();
    auto third = Unit("a4");
    ASSERT_TRUE(WaitForReports(4));
    EXPECT_EQ(third->State().rs485.idOffset, 9999);
    auto beyond = Unit("a5");
    run = Finish(bench, 20s);  // the sequence has ended: the run ends by itself
    EXPECT_EQ(run.code, 7) << run.out << run.err;
    EXPECT_NE(run.out.find("10000, outside 0 to 9999"), std::string::npos) << run.out;
    EXPECT_FALSE(WroteSomething(*beyond));
    EXPECT_EQ(beyond->State().rs485.idOffset, 0);
    EXPECT_EQ(Reports().size(), 4u);
    const QJsonObject state =
        QJsonDocument::fromJson(QByteArray::fromStdString(readFile(m_dir + "/sequence.json"))).object();
    EXPECT_EQ(state.value("last").toInt(), 9999);
    EXPECT_TRUE(state.value("unused").toArray().isEmpty());
    const auto summary = Summary();
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[1][5], "9997");
    EXPECT_EQ(summary[2][5], "9998");
    EXPECT_EQ(summary[3][5], "9998");
}

// Bad values end the run at once, before any unit is touched.
TEST_F(ProductionLineTest, BadOptionsAreRefusedBeforeAnyUnitIsTouched) {
    auto unit = Unit("u1");
    fs::create_directories(File("sequence-other"));
    writeFile(File("sequence-other/sequence.json"), "{\"field\":\"NODEID\",\"last\":3}");
    const struct Case {
        std::vector<std::string> args;
        int code;
        const char* text;
    } cases[] = {
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET"}, 2, "FIELD=START"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=x"}, 2, "FIELD=START"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=1:0"}, 2, "step other than 0"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=99999999999"}, 2, "FIELD=START"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "NODEID=1"}, 2, "numbered by IDOFFSET"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=10000"}, 2, "0 to 9999, not 10000"},
        {{"--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=-1:5"}, 2, "0 to 9999, not -1"},
        {{"--sequence", "IDOFFSET=1"}, 2, "needs --each-unit"},
        {{"--verify", "--no-verify"}, 2, "exclude each other"},
        {{"--each-unit", "--report-dir", File("sequence-other"), "--sequence", "IDOFFSET=1"},
         6,
         "no sequence of"},
        {{"--each-unit", "--report-dir", m_file + "/sub"}, 6, "cannot be created"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"write", m_file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = Cli(args, false, 10s);
        EXPECT_EQ(run.code, c.code) << c.args.back() << ": " << run.err;
        EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
    }
    EXPECT_FALSE(WroteSomething(*unit));
}

// A single write with --verify: a value the unit confirms but does not keep fails the write
// (exit 5) and the report holds the read-back. Without --verify the unit's confirmation is all
// there is to go by.
TEST_F(ProductionLineTest, VerifiedWriteCatchesAValueTheUnitDidNotKeep) {
    writeFile(m_file, replaced(readFile(m_file), "<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>42</IDOFFSET>"));
    auto unit = Unit("u1");
    unit->KeepOn("~HODR");
    const std::string report = File("r.json");
    const CliRun verified =
        Cli({"write", m_file, "--port", unit->PortPath(), "--verify", "--report", report});
    EXPECT_EQ(verified.code, 5) << verified.err;
    EXPECT_NE(verified.err.find("read back: IDOFFSET"), std::string::npos) << verified.err;
    const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report))).object();
    EXPECT_EQ(r.value("readBack").toObject().value("IDOFFSET").toString(), "0");
    EXPECT_EQ(r.value("values").toObject().value("IDOFFSET").toString(), "42");
    EXPECT_EQ(Cli({"write", m_file, "--port", unit->PortPath()}).code, 0);

    // A unit that falls silent during the read-back: the write fails and says why in words.
    unit->ClearFaults();
    unit->SilentOn("~ALLPARAM?");
    const CliRun unread = Cli({"write", m_file, "--port", unit->PortPath(), "--verify"});
    EXPECT_EQ(unread.code, 5) << unread.err;
    EXPECT_NE(unread.err.find("could not be read back: it stopped answering"), std::string::npos)
        << unread.err;

    unit->ClearFaults();
    EXPECT_EQ(Cli({"write", m_file, "--port", unit->PortPath(), "--verify"}).code, 0);
    EXPECT_EQ(unit->State().rs485.idOffset, 42);
}

// Ctrl+C while a unit is being written lets the write finish and starts no other; a second
// Ctrl+C cuts a write short and says so.
TEST_F(ProductionLineTest, CtrlCLetsARunningWriteFinishAndASecondOneCutsItShort) {
    for (const bool insist : {false, true}) {
        SCOPED_TRACE(insist ? "twice" : "once");
        const Running bench = Bench({"--no-verify"});
        auto slow = Unit(insist ? "slow2" : "slow1");
        slow->SlowReplyTo("~", 40);  // a write of about two seconds
        ASSERT_TRUE(slow->WaitForRequests(8, 10s));
        ::kill(bench.pid, SIGINT);
        if (insist) {
            ::poll(nullptr, 0, 200);
            ::kill(bench.pid, SIGINT);
        }
        auto late = Unit(insist ? "late2" : "late1");
        const CliRun run = Finish(bench, 20s);
        EXPECT_EQ(run.code, insist ? 5 : 0) << run.out << run.err;
        EXPECT_NE(run.out.find("stopping: 1 unit(s) being written"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(insist ? "cut short" : ": written"), std::string::npos) << run.out;
        EXPECT_FALSE(WroteSomething(*late));
    }
}

// The line's promise over random orders of events, checked against a small model: units
// plugged and unplugged, each with a fault (a value confirmed but not kept, a hang-up in the
// middle, slow replies), a permission change on a plugged unit, the bench stopped by Ctrl+C, a
// hang-up or SIGKILL and restarted (a restart with another rule is refused), and a second bench
// on the same folder (refused). Whatever the order: no node number is held by two units, every
// number sent to a unit has its row in summary.csv, a plugged unit is written once per bench
// run whatever happens to its device's mode, and every report is its owner's alone.
TEST_F(ProductionLineTest, NoNumberOnTwoUnitsAndEveryUnitRecordedWhateverTheOrderOfEvents) {
    struct Plugging {
        std::string port;
        std::unique_ptr<SimPty> unit;  // null once unplugged
        std::vector<std::string> requests;
        int held = 0;
        int runs = 0;  // bench runs that saw it plugged: each may write it once
    };
    const auto sentValues = [](const std::vector<std::string>& requests) {
        std::set<int> values;
        for (const std::string& r : requests)
            if (r.rfind("~HODR=", 0) == 0) values.insert(std::stoi(r.substr(6)));
        return values;
    };
    for (const unsigned seed : {7u, 11u, 23u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto chance = [&random](int percent) { return static_cast<int>(random() % 100) < percent; };
        m_dir = File("line-" + std::to_string(seed));
        const std::vector<std::string> rule{"--no-verify", "--sequence", "IDOFFSET=5:1"};
        std::vector<Plugging> pluggings;
        Running bench = Bench({"--sequence", "IDOFFSET=5:1"});
        const auto unplug = [](Plugging& p) {
            p.requests = p.unit->Requests();
            p.held = p.unit->State().rs485.idOffset;
            p.unit.reset();
        };
        const auto restart = [&](int signal) {
            ::kill(bench.pid, signal);
            const CliRun ended = Finish(bench, 30s);
            if (signal != SIGKILL) {
                EXPECT_TRUE(ended.code == 0 || ended.code == 5) << ended.out << ended.err;
            }
            if (chance(30)) {
                const CliRun other = Cli(
                    {"write", m_file, "--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=100:-1"});
                EXPECT_EQ(other.code, 6) << other.err;
                EXPECT_NE(other.err.find("Continue with --sequence IDOFFSET=5:1"), std::string::npos)
                    << other.err;
            }
            bench = Bench({"--sequence", "IDOFFSET=5:1"});
            for (Plugging& p : pluggings) p.runs += p.unit ? 1 : 0;
        };
        for (int step = 0; step < 14; ++step) {
            const int event = static_cast<int>(random() % 100);
            std::vector<Plugging*> present;
            for (Plugging& p : pluggings)
                if (p.unit) present.push_back(&p);
            if (event < 40 || present.empty()) {
                Plugging p;
                p.port = "u" + std::to_string(random() % 4);  // a name comes back now and then
                if (std::any_of(present.begin(), present.end(),
                                [&](Plugging* q) { return q->port.find("/" + p.port) != std::string::npos; }))
                    continue;
                p.unit = Unit(p.port);
                p.port = p.unit->PortPath();
                p.runs = 1;
                switch (random() % 5) {
                    case 0:
                        p.unit->KeepOn("~HODR");
                        break;
                    case 1:
                        p.unit->KeepOn("~SLNT");
                        break;
                    case 2:
                        p.unit->HangUpAfterLines(8 + static_cast<int>(random() % 30));
                        break;
                    case 3:
                        p.unit->SlowReplyTo("~", 15);
                        break;
                    default:
                        break;
                }
                pluggings.push_back(std::move(p));
            } else if (event < 60) {
                unplug(*present[random() % present.size()]);
            } else if (event < 70) {
                // What udev or a seat manager does to a unit still plugged.
                const std::string port = present[random() % present.size()]->port;
                ::chmod(port.c_str(), 0600);
                ::chmod(port.c_str(), 0666);
            } else if (event < 90) {
                restart(std::array{SIGINT, SIGHUP, SIGKILL, SIGTERM}[random() % 4]);
            } else {
                const CliRun second = Cli(
                    {"write", m_file, "--each-unit", "--report-dir", m_dir, "--sequence", "IDOFFSET=5:1"});
                EXPECT_EQ(second.code, 6) << second.err;
                EXPECT_NE(second.err.find("in use by another bench"), std::string::npos) << second.err;
            }
            ::poll(nullptr, 0, static_cast<int>(random() % 400));
        }
        // A last clean stop; a killed bench's units in flight are recorded by the next start.
        ::poll(nullptr, 0, 1500);
        ::kill(bench.pid, SIGINT);
        Finish(bench, 30s);
        for (Plugging& p : pluggings)
            if (p.unit) unplug(p);
        bench = Bench(rule);
        ::poll(nullptr, 0, 300);
        EXPECT_EQ(Stop(bench).code, 0);

        std::map<int, std::string> holder;
        std::set<std::pair<std::string, std::string>> rows;
        for (const auto& row : Summary())
            if (row.size() == 9) rows.insert({row[1], row[5]});
        for (const Plugging& p : pluggings) {
            const std::set<int> sent = sentValues(p.requests);
            EXPECT_LE(sent.size(), static_cast<std::size_t>(p.runs)) << p.port << " written again";
            for (const int v : sent)
                EXPECT_EQ(rows.count({p.port, std::to_string(v)}), 1u)
                    << p.port << " got " << v << " unrecorded";
            if (sent.count(p.held) == 0) continue;
            EXPECT_TRUE(holder.emplace(p.held, p.port).second)
                << p.held << " on " << p.port << " and on " << holder[p.held];
        }
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != ".json" && name != "summary.csv") continue;
            EXPECT_EQ(fs::status(entry.path()).permissions() & (fs::perms::group_all | fs::perms::others_all),
                      fs::perms::none)
                << name;
        }
    }
}

// What the line refuses before any unit is touched, what it says of the ports it skips and of
// units that are not what they seem, and a single write stopped by Ctrl+C.
TEST_F(ProductionLineTest, RefusalsSkipsAndStopsAreEachSaidPlainly) {
    auto unit = Unit("u1");
    fs::create_directories(File("csv-folder/summary.csv"));
    const std::string mixed = File("mixed.xml");
    writeFile(mixed, replaced(readFile(m_file), "<AESENCRYPTENABLE>1</AESENCRYPTENABLE>",
                              "<AESENCRYPTENABLE>2</AESENCRYPTENABLE>"));
    const struct Case {
        std::vector<std::string> args;
        int code;
        const char* text;
    } cases[] = {
        {{"write", m_file, "--each-unit", "--report-dir", m_dir, "--json"}, 2, "--json does not go with"},
        {{"write", m_file, "--each-unit", "--report-dir", m_dir, "--report", File("r.json")},
         2,
         "--report does"},
        {{"write", m_file, "--each-unit", "--report-dir", File("csv-folder")}, 6, "summary.csv"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.args, false, 3s);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
    }
    EXPECT_FALSE(WroteSomething(*unit));
    // A newer module has one encryption: a file with AES on and the older switch off is
    // written, read back and compared as the unit holds it.
    const CliRun verified = Cli({"write", mixed, "--verify"});
    EXPECT_EQ(verified.code, 0) << verified.err;
    EXPECT_EQ(Cli({"diff", mixed}).code, 0);

    // A single write stopped by Ctrl+C ends between two requests, says what the unit holds
    // and keeps its report, even with its output in a pipe.
    unit->ClearLog();
    unit->SlowReplyTo("~", 40);
    const std::string report = File("stopped.json");
    const Running write = Start({"write", m_file, "--report", report});
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         !WroteSomething(*unit) && std::chrono::steady_clock::now() < deadline;)
        ::poll(nullptr, 0, 10);
    ::kill(write.pid, SIGINT);
    const CliRun stopped = Finish(write, 20s);
    EXPECT_EQ(stopped.code, 130) << stopped.err;
    EXPECT_NE(stopped.out.find("unit: "), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.err.find("half-written"), std::string::npos) << stopped.err;
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report)))
                    .object()
                    .value("result")
                    .toString()
                    .startsWith("interrupted"))
        << readFile(report);
    EXPECT_EQ(fs::status(report).permissions() & fs::perms::others_all, fs::perms::none);
    unit.reset();

    // On the bench: a port another program holds is named once with why; a unit unplugged in
    // the middle and a unit of the other family are called what they are.
    auto held = Unit("held");
    held->SilentOn("~");
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(held->PortPath().c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::dup2(fd, 0) < 0) ::_exit(1);
        ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::poll(nullptr, 0, 300);
    m_dir = File("bench2");
    const Running bench = Bench({"--no-verify"});
    auto unplugged = Unit("gone");
    unplugged->HangUpAfterLines(12);
    auto other = Unit("other", Tx330());
    EXPECT_TRUE(WaitForReports(2));  // the bench is stopped below either way
    ::poll(nullptr, 0, 5000);        // the held port is busy once its scan has waited for a reply
    const CliRun run = Stop(bench);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(run.code, 5) << run.out << run.err;
    const std::string skipped = held->PortPath() + ": skipped, busy";
    EXPECT_NE(run.out.find(skipped), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(skipped), run.out.rfind(skipped)) << run.out;
    const std::string csv = readFile(m_dir + "/summary.csv");
    EXPECT_NE(csv.find("unplugged"), std::string::npos) << csv;
    EXPECT_NE(csv.find("other family"), std::string::npos) << csv;
    EXPECT_NE(csv.find("--family tx330"), std::string::npos) << csv;
}

}  // namespace
