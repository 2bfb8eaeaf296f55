// SPDX-License-Identifier: MIT
// pelnix-cli as a user runs it: a process against simulated units on ptys, judged by its exit
// codes, its output, the files it writes and what the units hold afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "cli/CliFixture.h"
#include "fixtures/FixtureImage.h"
#include "sim/Rs485Unit.h"
#include "support/SimPty.h"

namespace {

TEST_F(CliTest, ExitCodesOfUsageAndFileErrors) {
    writeFile(File("broken.xml"), "<ApplicationConfig><BAUDRATE>x</BAUDRATE>");
    writeFile(File("other.xml"),
              "<?xml version=\"1.0\"?>\n<ApplicationConfig><MODEL>TX-999</MODEL></ApplicationConfig>");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* text;  // expected on stderr
    } cases[] = {
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"read"}, 2, "-o FILE.xml"},
        {{"scan", "--family", "modbus"}, 2, "--family"},
        {{"write", File("missing.xml")}, 6, "missing.xml"},
        {{"diff", File("broken.xml")}, 6, "damaged XML at line 1, column"},
        {{"write", File("other.xml")}, 6, "different format"},
        {{"reset"}, 2, "--yes"},
        {{"scan"}, 3, ""},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.size() << " " << run.err;
        EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
    }
    // A scan that found nothing says so once, on stderr.
    const CliRun scan = Cli({"scan"});
    const std::string failed = "Either the modem is not connected";
    EXPECT_EQ(scan.out.find(failed), std::string::npos) << scan.out;
    EXPECT_NE(scan.err.find(failed), std::string::npos) << scan.err;
    EXPECT_EQ(scan.err.find(failed), scan.err.rfind(failed)) << scan.err;
    const CliRun version = Cli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(std::regex_search(version.out, std::regex("^pelnix-cli [0-9]+\\.[0-9]+"))) << version.out;
    const CliRun help = Cli({"write", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--report"), std::string::npos);
    EXPECT_NE(help.out.find("5 write or reset failed"), std::string::npos);
    // The usage line names the subcommand, so that it can be copied and run.
    EXPECT_EQ(help.out.rfind("Usage: pelnix-cli write [options] FILE.xml\n", 0), 0u) << help.out;
}

// read, then diff gives nothing; an edited file differs in exactly the edited element; write
// it, and the unit holds it and diff is quiet again. For both families.
TEST_F(CliTest, ReadDiffWriteRoundTripOnBothFamilies) {
    struct Case {
        const char* family;
        UnitState state;
        std::string from, to, element;
        std::function<int(const UnitState&)> held;
        int expected;
    };
    const Case cases[] = {
        {"rs485", UnitState{}, "<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>12</IDOFFSET>", "IDOFFSET",
         [](const UnitState& s) { return s.rs485.idOffset; }, 12},
        {"tx330", Tx330(), "<OFFDELAY>0</OFFDELAY>", "<OFFDELAY>30</OFFDELAY>", "OFFDELAY",
         [](const UnitState& s) { return s.tx330.offDelay; }, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        auto unit = Unit(std::string("u-") + c.family, c.state);
        const std::string file = File(std::string(c.family) + ".xml");
        const CliRun readRun = Cli({"read", "--family", c.family, "-o", file});
        ASSERT_EQ(readRun.code, 0) << readRun.err;
        const std::string written = readFile(file);
        EXPECT_EQ(written.rfind("<?xml version=\"1.0\"?>\r\n", 0), 0u) << written.substr(0, 40);

        EXPECT_EQ(Cli({"diff", file}).code, 0);
        writeFile(file, replaced(written, c.from, c.to));
        const CliRun diff = Cli({"diff", file, "--json"});
        ASSERT_EQ(diff.code, 1) << diff.err;
        const QJsonArray differences = diff.json().value("differences").toArray();
        ASSERT_EQ(differences.size(), 1) << diff.out;
        EXPECT_EQ(differences[0].toObject().value("element").toString().toStdString(), c.element);

        const std::string report = File(std::string(c.family) + "-report.json");
        const CliRun write = Cli({"write", file, "--report", report});
        ASSERT_EQ(write.code, 0) << write.err;
        EXPECT_EQ(c.held(unit->State()), c.expected);
        EXPECT_EQ(Cli({"diff", file}).code, 0);

        const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report))).object();
        EXPECT_EQ(r.value("result").toString(), "written");
        // The quality record names the tool and the very file that was written.
        EXPECT_FALSE(r.value("toolVersion").toString().isEmpty());
        EXPECT_EQ(r.value("fileAbsolutePath").toString().toStdString(), fs::absolute(file).string());
        EXPECT_EQ(
            r.value("fileSha256").toString(),
            QCryptographicHash::hash(QByteArray::fromStdString(readFile(file)), QCryptographicHash::Sha256)
                .toHex());
        EXPECT_EQ(r.value("port").toString().toStdString(), unit->PortPath());
        EXPECT_EQ(r.value("unitName").toString().toStdString(), c.state.name);
        EXPECT_EQ(r.value("values").toObject().value(QString::fromStdString(c.element)).toString(),
                  QString::number(c.expected));
        int requests = 0;
        int replies = 0;
        for (const auto& e : r.value("dialogue").toArray()) {
            requests += e.toObject().value("kind") == "request";
            replies += e.toObject().value("kind") == "reply";
        }
        EXPECT_GT(requests, 10);
        EXPECT_GE(replies, requests);
    }
}

TEST_F(CliTest, AWriteCutByAHangUpFailsAndTheReportSaysWhere) {
    auto unit = Unit("u1");
    const std::string file = File("a.xml");
    ASSERT_EQ(Cli({"read", "-o", file}).code, 0);
    unit->HangUpAfterLines(12);  // the handshake and a few settings, then the line drops
    const std::string report = File("r.json");
    const CliRun write = Cli({"write", file, "--report", report});
    EXPECT_EQ(write.code, 5) << write.err;
    EXPECT_NE(write.err.find("the write stopped at"), std::string::npos) << write.err;
    const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report))).object();
    EXPECT_TRUE(r.value("result").toString().startsWith("failed")) << readFile(report);
    EXPECT_FALSE(r.value("stoppedAt").toObject().value("request").toString().isEmpty());
    EXPECT_EQ(r.value("exitCode").toInt(), 5);
}

// A Ctrl+C at any moment of a single write ends it at the next request and says where it
// was: while the unit is looked for nothing is written; while it is written the unit is
// half-written; while it is read back the write stands, unverified. The report is kept each time.
TEST_F(CliTest, ACtrlCAtAnyMomentOfAWriteEndsItAndSaysWhatTheUnitHolds) {
    struct Moment {
        const char* what;
        // The requests the unit answers late (within the read time-out); the Ctrl+C comes once
        // the first has reached it, and is heard while the unit takes its time over the rest.
        std::vector<std::string> slow;
        int code;
        const char* result;  // how the report's result begins
        bool written;        // set requests reached the unit
    };
    const Moment moments[] = {
        {"looking for the unit",
         {"~CONNECT", "~NAME", "~VER"},
         130,
         "interrupted before a unit was found",
         false},
        {"writing", {"~SLNT=", "~DEVE=", "~STX", "~ETX"}, 130, "interrupted: cut short by a stop", true},
        {"reading back",
         {"~ALLPARAM", "~NETENCENABLE?", "~AESMODE?", "~WHITE?"},
         5,
         "failed: written and confirmed, but not read back (stopped)",
         true},
    };
    auto unit = Unit("u1");
    const std::string file = File("a.xml");
    ASSERT_EQ(Cli({"read", "-o", file}).code, 0);
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.what);
        unit->ClearFaults();
        unit->ClearLog();
        for (const std::string& request : m.slow) unit->SlowReplyTo(request, 200);
        const std::string report = File("stopped.json");
        const Running write = Start({"write", file, "--verify", "--report", report});
        const auto reached = [&] {
            const auto requests = unit->Requests();
            return std::any_of(requests.begin(), requests.end(),
                               [&](const std::string& r) { return r.rfind(m.slow.front(), 0) == 0; });
        };
        for (auto deadline = std::chrono::steady_clock::now() + 10s;
             !reached() && std::chrono::steady_clock::now() < deadline;)
            ::poll(nullptr, 0, 5);
        ::kill(write.pid, SIGINT);
        const CliRun run = Finish(write, 20s);
        EXPECT_EQ(run.code, m.code) << run.err;
        const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(report))).object();
        EXPECT_TRUE(r.value("result").toString().startsWith(QString::fromLatin1(m.result)))
            << readFile(report);
        const auto requests = unit->Requests();
        EXPECT_EQ(std::any_of(requests.begin(), requests.end(),
                              [](const std::string& q) { return q.find('=') != std::string::npos; }),
                  m.written);
    }
}

TEST_F(CliTest, AFileThatFailsTheChecksIsRefusedWithTheFieldsMessageAndNothingIsWritten) {
    auto unit = Unit("u1");
    const std::string file = File("a.xml");
    ASSERT_EQ(Cli({"read", "-o", file}).code, 0);
    writeFile(file, replaced(readFile(file), "<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>9x</IDOFFSET>"));
    unit->ClearLog();
    const CliRun write = Cli({"write", file});
    EXPECT_EQ(write.code, 6);
    EXPECT_NE(write.err.find("Offset of NodeId"), std::string::npos) << write.err;
    for (const std::string& request : unit->Requests())
        EXPECT_EQ(request.find('='), std::string::npos) << request;
}

TEST_F(CliTest, ScanTellsEachPortsOutcomeAndParallelPicksTheSameUnit) {
    // The stress step repeats this test beside others: a reply wait of 2 s in all lets a
    // starved simulated unit still answer in time.
    m_timing = "read=500,tries=4,pause=0,reopen=20,radio=20,reset=20";
    std::vector<std::unique_ptr<SimPty>> units;
    units.push_back(Unit("p1"));  // the unit, first in the list: the scan reaches it last
    for (const char* name : {"p2", "p3", "p4"}) {
        units.push_back(Unit(name));
        units.back()->SilentOn("~");
    }
    units[2]->ClearFaults();
    units[2]->WrongReplyTo("~CONNECT", "#?garbage");

    const CliRun sequential = Cli({"scan", "--json"});
    const CliRun parallel = Cli({"scan", "--parallel", "--json"});
    ASSERT_EQ(sequential.code, 0) << sequential.err;
    EXPECT_EQ(parallel.code, 0) << parallel.err;
    EXPECT_EQ(parallel.json().value("unit").toObject().value("port"),
              sequential.json().value("unit").toObject().value("port"));
    EXPECT_EQ(sequential.json().value("unit").toObject().value("port").toString().toStdString(),
              units[0]->PortPath());
    QStringList outcomes;
    for (const auto& p : sequential.json().value("ports").toArray())
        outcomes << p.toObject().value("outcome").toString();
    EXPECT_EQ(outcomes.join(","), "silent,garbage,silent,answered");
}

// A production bench: each unit that appears is written and gets its own report; the next one
// is taken only after the first's port has gone; Ctrl+C while waiting ends the run cleanly.
TEST_F(CliTest, EachUnitWritesEveryUnitThatAppearsUntilInterrupted) {
    const std::string file = File("bench.xml");
    {
        auto probe = Unit("probe");
        ASSERT_EQ(Cli({"read", "-o", file}).code, 0);
    }
    writeFile(file, replaced(readFile(file), "<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>42</IDOFFSET>"));
    const std::string dir = File("reports");
    auto reports = [&] {
        std::vector<std::string> found;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".json") found.push_back(it->path().string());
        std::sort(found.begin(), found.end());
        return found;
    };
    auto waitFor = [](const std::function<bool()>& condition) {
        for (auto deadline = std::chrono::steady_clock::now() + 20s;
             std::chrono::steady_clock::now() < deadline;) {
            if (condition()) return true;
            ::poll(nullptr, 0, 20);
        }
        return condition();
    };

    auto first = Unit("bench1");
    const std::string firstPort = first->PortPath();
    const Running bench = Start({"write", file, "--each-unit", "--report-dir", dir});
    ASSERT_GT(bench.pid, 0);
    const bool firstWritten = waitFor([&] { return reports().size() == 1; });
    EXPECT_TRUE(firstWritten);
    if (firstWritten) {
        EXPECT_EQ(first->State().rs485.idOffset, 42);
    }
    first.reset();  // unplugged: its port disappears
    auto second = Unit("bench2");
    EXPECT_TRUE(waitFor([&] { return reports().size() == 2; }));
    EXPECT_EQ(second->State().rs485.idOffset, 42);

    ::kill(bench.pid, SIGINT);
    const CliRun run = Finish(bench, 20s);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("units written: 2, failed: 0"), std::string::npos) << run.out;
    std::vector<std::string> ports;
    for (const std::string& path : reports()) {
        const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(readFile(path))).object();
        EXPECT_EQ(r.value("result").toString(), "written") << path;
        ports.push_back(r.value("port").toString().toStdString());
    }
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(ports, (std::vector<std::string>{firstPort, second->PortPath()}));
}

TEST_F(CliTest, AnUnsupportedUnitGivesExitFour) {
    UnitState odd;
    odd.name = "SomethingElse 1.0";
    auto unit = Unit("u1", odd);
    const CliRun scan = Cli({"scan"});
    EXPECT_EQ(scan.code, 4) << scan.out;
    EXPECT_NE(scan.out.find("not supported"), std::string::npos) << scan.out;
}

TEST_F(CliTest, PortsNamesAPortThisUserMayNotOpenWithTheFix) {
    auto unit = Unit("locked");
    const std::string device = fs::canonical(unit->PortPath()).string();
    if (::geteuid() == 0) {
        // The child runs as nobody; the folders must be its own to be trusted.
        for (const auto& d : {m_root.Path() + "/rt", m_root.Path() + "/rt/pelnix-config", m_ports})
            ASSERT_EQ(::chown(d.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::lchown(unit->PortPath().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(m_root.Path().c_str(), 0755), 0);
    }
    ASSERT_EQ(::chmod(device.c_str(), ::geteuid() == 0 ? 0600 : 0), 0);
    const CliRun ports = Cli({"ports", "--json"}, true);
    ASSERT_EQ(ports.code, 0) << ports.err;
    const QJsonArray list = ports.json().value("ports").toArray();
    ASSERT_EQ(list.size(), 1) << ports.out;
    const QJsonObject p = list[0].toObject();
    EXPECT_EQ(p.value("access").toString(), "permission denied");
    EXPECT_TRUE(p.value("virtual").toBool());
    // Only the owner may open it: joining a group would not help, a udev rule would.
    const QString fix = p.value("fix").toString();
    EXPECT_TRUE(fix.contains("udev rule") && !fix.contains("usermod")) << fix.toStdString();
}

// Another program holding a port open (here `sleep` with the pty as its input) makes it busy,
// named with its PID, in `ports` and in the scan; the simulated unit on the other end of each
// pty does not count as a holder.
TEST_F(CliTest, APortHeldByAnotherProgramIsBusyWithItsPid) {
    auto held = Unit("held");
    held->SilentOn("~");
    auto free = Unit("free");
    free->SilentOn("~");
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(held->PortPath().c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0 || ::dup2(fd, 0) < 0) ::_exit(1);
        ::execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(holder, 0);
    const std::string device = fs::canonical(held->PortPath()).string();
    // Wait until the child has the port open and is the program it execs.
    bool holding = false;
    for (auto deadline = std::chrono::steady_clock::now() + 5s;
         !holding && std::chrono::steady_clock::now() < deadline;) {
        std::error_code ec;
        holding = fs::read_symlink("/proc/" + std::to_string(holder) + "/fd/0", ec) == device &&
                  readFile("/proc/" + std::to_string(holder) + "/comm").rfind("sleep", 0) == 0;
        if (!holding) ::poll(nullptr, 0, 10);
    }
    ASSERT_TRUE(holding);
    const std::string pid = "pid " + std::to_string(holder);

    const CliRun ports = Cli({"ports", "--json"});
    const CliRun scan = Cli({"scan", "--json"});
    const CliRun parallel = Cli({"scan", "--parallel", "--json"});
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    ASSERT_EQ(ports.code, 0) << ports.err;
    std::map<std::string, QJsonObject> byPort;
    for (const auto& p : ports.json().value("ports").toArray())
        byPort[p.toObject().value("path").toString().toStdString()] = p.toObject();
    EXPECT_EQ(byPort[held->PortPath()].value("access").toString(), "busy");
    EXPECT_TRUE(byPort[held->PortPath()].value("fix").toString().contains(QString::fromStdString(pid)))
        << ports.out;
    EXPECT_EQ(byPort[free->PortPath()].value("access").toString(), "ok");
    for (const CliRun* run : {&scan, &parallel}) {
        EXPECT_EQ(run->code, 3) << run->err;
        std::map<std::string, QJsonObject> outcomes;
        for (const auto& p : run->json().value("ports").toArray())
            outcomes[p.toObject().value("port").toString().toStdString()] = p.toObject();
        EXPECT_EQ(outcomes[held->PortPath()].value("outcome").toString(), "busy") << run->out;
        EXPECT_TRUE(
            outcomes[held->PortPath()].value("reason").toString().contains(QString::fromStdString(pid)));
        EXPECT_EQ(outcomes[free->PortPath()].value("outcome").toString(), "silent");
    }
}

// What a bad input or a fault must leave as it was.
enum Kept : unsigned {
    kNothing = 0,
    kUnitNotAsked = 1,    // not a single request reached the unit
    kUnitNotWritten = 2,  // no set request reached the unit
    kNoKeyBytes = 4,      // the key's bytes nowhere: output, report; the report for its owner only
};
struct Row {
    const char* what;
    std::vector<std::string> args;  // "PORT": the row's unit
    std::function<void(SimPty&)> fault;
    int code;
    std::string phrase;  // in the output (stderr and stdout)
    unsigned kept;
    std::vector<std::string> sameFiles = {};  // files whose bytes must stay (or stay absent)
    UnitState unit = {};
    std::string secret = {};  // kNoKeyBytes: the key's first bytes as the request carries them
};

// The files and unit states the rows name, made by the test before the rows are built; `in`
// gives a path in the test's folder.
struct RowFiles {
    std::function<std::string(const std::string&)> in;
    std::string file, changed, keyed, badOffset, bigSilent, bigOffset, fast, both, rs485Only, patched, report,
        olderKeyed;
    UnitState at19200, twoStopBits, tx330, older;
};

// Help, reports and output files, the firmware image commands and a second patch.
std::vector<Row> FileAndImageRows(const RowFiles& f) {
    const auto none = [](SimPty&) {};
    return {
        {"--help-all never writes",
         {"write", f.changed, "--port", "PORT", "--help-all"},
         none,
         0,
         "Usage: pelnix-cli write",
         kUnitNotAsked},
        {"--help-all never resets",
         {"reset", "--yes", "--port", "PORT", "--help-all"},
         none,
         0,
         "Usage: pelnix-cli reset",
         kUnitNotAsked},
        {"the AES key stays out of the report",
         {"write", f.keyed, "--aes-key", "change", "--report", f.report, "--port", "PORT"},
         none,
         0,
         "Completed",
         kNoKeyBytes},
        {"the older encryption's key stays out of a write that stops at it",
         {"write", f.olderKeyed, "--report", f.report, "--json", "--port", "PORT"},
         [](SimPty& u) { u.SilentOn("~ENCR"); },
         5,
         "~ENCR=<16 key bytes>",
         kNoKeyBytes,
         {},
         f.older,
         "0xC1,0xA1"},
        {"a unit that echoes the older key",
         {"write", f.olderKeyed, "--report", f.report, "--port", "PORT"},
         [](SimPty& u) { u.WrongReplyTo("~ENCR", "0xC1,0xA1,0xC1,0xA2"); },
         0,
         "Completed",
         kNoKeyBytes,
         {},
         f.older,
         "0xC1,0xA1"},
        {"a report in a missing folder",
         {"write", f.changed, "--report", f.in("missing/r.json"), "--port", "PORT"},
         none,
         6,
         "does not exist",
         kUnitNotAsked},
        {"a report that is a folder",
         {"write", f.changed, "--report", f.in("folder"), "--port", "PORT"},
         none,
         6,
         "Is a directory",
         kUnitNotAsked},
        {"-o in a missing folder",
         {"read", "-o", f.in("missing/x.xml"), "--port", "PORT"},
         none,
         6,
         "does not exist",
         kUnitNotAsked},
        {"an image with both editors' parameters",
         {"firmware", "show", f.both},
         none,
         2,
         "--family rs485 or --family tx330",
         kUnitNotAsked,
         {f.both}},
        {"an image without the editor's parameters",
         {"firmware", "patch", f.rs485Only, f.in("tx330.xml")},
         none,
         4,
         "lacks the parameter TormelParamsM$awt",
         kUnitNotAsked,
         {f.rs485Only}},
        {"show with the wrong editor",
         {"firmware", "show", f.rs485Only, "--family", "tx330"},
         none,
         4,
         "lacks the parameter",
         kUnitNotAsked,
         {f.rs485Only}},
        {"a second patch keeps the first original",
         {"firmware", "patch", f.patched, f.file, "--family", "rs485"},
         none,
         0,
         "patched.1.bak",
         kUnitNotAsked,
         {f.in("patched.bak")}},
    };
}

// A factory reset the unit does not confirm, each way it can fail.
std::vector<Row> ResetRows() {
    return {
        {"a reset without an answer",
         {"reset", "--yes", "--port", "PORT"},
         [](SimPty& u) { u.SilentOn("~INIT"); },
         5,
         "did not answer \"~INIT=\" in time",
         kNothing},
        {"a reset the unit refuses",
         {"reset", "--yes", "--port", "PORT"},
         [](SimPty& u) { u.WrongReplyTo("~INIT", "~ERR"); },
         5,
         "refused \"~INIT=\" (it answered \"~ERR\")",
         kNothing},
        {"a unit unplugged during its reset",
         {"reset", "--yes", "--port", "PORT"},
         [](SimPty& u) { u.HangUpAfterLines(5); },
         5,
         "went away after",
         kNothing},
    };
}

// Units that fall silent, hang up or are of the other family, refused files and arguments.
std::vector<Row> UnitAndArgumentRows(const RowFiles& f) {
    const auto none = [](SimPty&) {};
    return {
        {"diff refuses what write refuses",
         {"diff", f.badOffset, "--port", "PORT"},
         none,
         6,
         "Offset of NodeId",
         kUnitNotWritten},
        {"diff refuses a value out of range",
         {"diff", f.bigSilent, "--port", "PORT"},
         none,
         6,
         "big-silent.xml",
         kUnitNotWritten},
        {"the file's own line is the second attempt",
         {"diff", f.fast, "--port", "PORT"},
         none,
         0,
         "no differences",
         kUnitNotWritten,
         {},
         f.at19200},
        {"--stopbits alone is honoured",
         {"read", "--stopbits", "2", "-o", f.in("two-stop.xml"), "--port", "PORT"},
         none,
         0,
         "written",
         kUnitNotWritten,
         {},
         f.twoStopBits},
        {"a bad --parity names its value",
         {"scan", "--parity", "evn", "--port", "PORT"},
         none,
         2,
         "--parity evn: must be",
         kUnitNotAsked},
        {"a bit rate no unit has is refused with the rates",
         {"scan", "--baud", "12", "--port", "PORT"},
         none,
         2,
         "--baud 12: the units take 2400, 4800",
         kUnitNotAsked},
        {"a write cut short names what the unit confirmed",
         {"write", f.changed, "--port", "PORT"},
         [](SimPty& u) { u.HangUpAfterLines(12); },
         5,
         "half-written",
         kNothing},
        {"--port \"\"", {"scan", "--port", ""}, none, 2, "--port needs a port", kUnitNotAsked},
        {"a usage error under --json",
         {"diff", "--json", "--bogus"},
         none,
         2,
         "\"exitCode\": 2",
         kUnitNotAsked},
        {"reset without --yes asks nothing",
         {"reset", "--port", "PORT"},
         none,
         2,
         "confirm it with --yes",
         kUnitNotAsked},
        {"a unit of the other family is named",
         {"read", "-o", f.in("x.xml"), "--port", "PORT"},
         none,
         4,
         "a contact-I/O unit (TX-330) answered on",
         kUnitNotWritten,
         {f.in("x.xml")},
         f.tx330},
        {"scan names it in the same words",
         {"scan", "--port", "PORT"},
         none,
         4,
         "a contact-I/O unit (TX-330) answered on",
         kUnitNotWritten,
         {},
         f.tx330},
        {"a unit that hangs up mid-read",
         {"read", "-o", f.in("x.xml"), "--port", "PORT"},
         [](SimPty& u) { u.HangUpAfterLines(6); },
         3,
         "hung up",
         kUnitNotWritten,
         {f.in("x.xml")}},
        {"a damaged settings file",
         {"diff", f.in("damaged.xml"), "--port", "PORT"},
         none,
         6,
         "damaged XML at line 2, column",
         kUnitNotAsked},
        {"-o that is a folder",
         {"read", "-o", f.in("folder"), "--port", "PORT"},
         none,
         6,
         "Is a directory",
         kUnitNotAsked},
        {"-o that is a pipe",
         {"read", "-o", f.in("pipe"), "--port", "PORT"},
         none,
         6,
         "not a plain file",
         kUnitNotAsked},
        {"the report over the settings file",
         {"write", f.changed, "--report", f.changed, "--port", "PORT"},
         none,
         2,
         "is the settings file itself",
         kUnitNotAsked,
         {f.changed}},
        {"diff shows values as the form does",
         {"diff", f.fast, "--port", "PORT"},
         none,
         1,
         "BAUDRATE: unit \"9600\", file \"19200\"",
         kUnitNotWritten},
        {"a refusal names element, value and range",
         {"write", f.bigOffset, "--port", "PORT"},
         none,
         6,
         "IDOFFSET 99999: 0 to 9999",
         kUnitNotAsked},
        {"a missing image",
         {"firmware", "show", f.in("nothere.elf")},
         none,
         6,
         "no such file",
         kUnitNotAsked},
        {"a settings file as the image",
         {"firmware", "show", f.file},
         none,
         6,
         "not a firmware image",
         kUnitNotAsked},
    };
}

// One row per bad input or fault: the arguments (with the row's own unit on PORT), the fault of
// the simulated unit, the exit code, a phrase of the message, and what must stay as it was.
TEST_F(CliTest, EveryBadInputIsRefusedWithItsReasonAndLeavesEverythingAsItWas) {
    const std::string file = File("a.xml");
    {
        auto probe = Unit("probe");
        ASSERT_EQ(Cli({"read", "-o", file}).code, 0);
    }
    const std::string text = readFile(file);
    const auto edited = [&](const std::string& name,
                            const std::vector<std::pair<std::string, std::string>>& edits) {
        std::string t = text;
        for (const auto& [from, to] : edits) t = replaced(t, from, to);
        writeFile(File(name), t);
        return File(name);
    };
    const std::string changed = edited("changed.xml", {{"<IDOFFSET>0<", "<IDOFFSET>12<"}});
    std::vector<std::pair<std::string, std::string>> keyEdits{
        {"<AESENCRYPTENABLE>1<", "<AESENCRYPTENABLE>2<"}};
    for (int i = 1; i <= 16; ++i)
        keyEdits.push_back(
            {"<AESENCRYPTKEY" + std::to_string(i) + " />",
             "<AESENCRYPTKEY" + std::to_string(i) + ">A1B2</AESENCRYPTKEY" + std::to_string(i) + ">"});
    const std::string keyed = edited("keyed.xml", keyEdits);
    std::vector<std::pair<std::string, std::string>> olderKeyEdits{
        {"<ENCRYPTENABLE>1<", "<ENCRYPTENABLE>2<"}};
    for (int i = 1; i <= 8; ++i)
        olderKeyEdits.push_back({"<ENCRYPTKEY" + std::to_string(i) + ">0000<",
                                 "<ENCRYPTKEY" + std::to_string(i) + ">C1A" + std::to_string(i) + "<"});
    const std::string olderKeyed = edited("older-keyed.xml", olderKeyEdits);
    const std::string badOffset = edited("bad-offset.xml", {{"<IDOFFSET>0<", "<IDOFFSET>9x<"}});
    const std::string bigSilent = edited("big-silent.xml", {{"<SILENTCHAR>10<", "<SILENTCHAR>9999<"}});
    const std::string fast = edited("fast.xml", {{"<BAUDRATE>2<", "<BAUDRATE>3<"}});
    {
        auto probe = Unit("probe330", Tx330());
        ASSERT_EQ(Cli({"read", "--family", "tx330", "-o", File("tx330.xml")}).code, 0);
    }
    fs::create_directory(File("folder"));
    ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0600), 0);
    writeFile(File("damaged.xml"), "<?xml version=\"1.0\"?>\n<ApplicationConfig><IDOFFSET>1</IDOFF");
    const std::string both = File("both.elf");
    fs::copy_file(pelnix::test::FixturePath("rs485_v37.elf"), both);
    const std::string rs485Only = File("rs485only.elf");
    fs::copy_file(pelnix::test::FixturePath("rs485_only_v37.elf"), rs485Only);
    const std::string patched = File("patched.elf");
    fs::copy_file(pelnix::test::FixturePath("rs485_v37.elf"), patched);
    writeFile(File("patched.bak"), "the first original");
    UnitState at19200;
    at19200.line.BaudRate = 19200;
    UnitState twoStopBits;  // the simulated line tells bit rate and stop bits apart
    twoStopBits.line.StopBits = Tormel::Domain::Common::StopBits::Two;
    const std::string report = File("r.json");
    const RowFiles files{[this](const std::string& name) { return File(name); },
                         file,
                         changed,
                         keyed,
                         badOffset,
                         bigSilent,
                         edited("big-offset.xml", {{"<IDOFFSET>0<", "<IDOFFSET>99999<"}}),
                         fast,
                         both,
                         rs485Only,
                         patched,
                         report,
                         olderKeyed,
                         at19200,
                         twoStopBits,
                         Tx330(),
                         Pelnix::Sim::Rs485FactoryState("2.6", false, "1.7")};
    std::vector<Row> rows = FileAndImageRows(files);
    for (Row& row : UnitAndArgumentRows(files)) rows.push_back(std::move(row));
    for (Row& row : ResetRows()) rows.push_back(std::move(row));
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto unit = Unit("row" + std::to_string(++n), row.unit);
        row.fault(*unit);
        std::vector<std::string> args = row.args;
        for (std::string& a : args)
            if (a == "PORT") a = unit->PortPath();
        std::map<std::string, std::string> before;
        for (const std::string& f : row.sameFiles) before[f] = fs::exists(f) ? readFile(f) : "(absent)";
        const CliRun run = Cli(args);
        const std::string said = run.err + run.out;
        EXPECT_EQ(run.code, row.code) << said;
        EXPECT_NE(said.find(row.phrase), std::string::npos) << said;
        if (row.code != 0 && args.back() == "--bogus") {
            EXPECT_EQ(run.json().value("exitCode").toInt(), 2) << run.out;
        }
        const std::vector<std::string> requests = unit->Requests();
        if (row.kept & kUnitNotAsked) {
            EXPECT_TRUE(requests.empty()) << requests.size();
        }
        for (const std::string& r : requests) {
            EXPECT_TRUE(!(row.kept & kUnitNotWritten) || r.find('=') == std::string::npos) << r;
        }
        if (row.kept & kNoKeyBytes) {
            // As the request carried it; the older key also as the file's words.
            const std::string key = row.secret.empty() ? unit->State().rs485.aesKey : row.secret;
            ASSERT_GE(key.size(), 9u);
            const std::string saved = readFile(report);
            EXPECT_NE(saved.find(row.secret.empty() ? "~ENCKEY=<32 key bytes>" : "~ENCR=<16 key bytes>"),
                      std::string::npos);
            for (const std::string* where : {&said, &saved}) {
                EXPECT_EQ(where->find(key.substr(0, 9)), std::string::npos) << *where;
                EXPECT_EQ(where->find("C1A1"), std::string::npos) << *where;
            }
            struct stat st {};
            ASSERT_EQ(::stat(report.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
        for (const std::string& f : row.sameFiles)
            EXPECT_EQ(fs::exists(f) ? readFile(f) : "(absent)", before[f]) << f;
    }
}

// A settings file read from a simulated unit of the family, with `edits` applied.
class CliFirmwareTest : public CliTest {
  protected:
    std::string SettingsFile(const char* family,
                             const std::vector<std::pair<std::string, std::string>>& edits) {
        auto unit = Unit(std::string("fw-") + family, std::string(family) == "tx330" ? Tx330() : UnitState{});
        std::string file = File(std::string(family) + "-fw.xml");
        EXPECT_EQ(Cli({"read", "--family", family, "-o", file}).code, 0);
        std::string text = readFile(file);
        for (const auto& [from, to] : edits) text = replaced(text, from, to);
        writeFile(file, text);
        return file;
    }
    std::string Image(const std::string& fixture, const std::string& name) {
        std::string path = File(name);
        fs::copy_file(pelnix::test::FixturePath(fixture), path);
        return path;
    }
    static uint64_t Symbol(const std::string& image, const std::string& name, int width) {
        return pelnix::test::Peek(pelnix::test::ReadBytes(image), "TormelParamsM$" + name, width);
    }
};

// Patch, then show: the image holds the file's values, the bind type and the AES key words are
// the image's own unless the key is to be changed, and the original is kept as ".bak".
TEST_F(CliFirmwareTest, PatchThenShowGivesTheFilesValuesAndKeepsWhatTheFileDoesNotDecide) {
    const std::string rs485 = SettingsFile("rs485", {{"<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>77</IDOFFSET>"},
                                                     {"<BAUDRATE>2</BAUDRATE>", "<BAUDRATE>4</BAUDRATE>"}});
    std::string keyed = replaced(readFile(rs485), "<AESENCRYPTENABLE>1<", "<AESENCRYPTENABLE>2<");
    for (int i = 1; i <= 16; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "C0%02X", i);
        keyed = replaced(
            keyed, "<AESENCRYPTKEY" + std::to_string(i) + " />",
            "<AESENCRYPTKEY" + std::to_string(i) + ">" + key + "</AESENCRYPTKEY" + std::to_string(i) + ">");
    }
    writeFile(File("keyed.xml"), keyed);
    const std::string tx330 = SettingsFile(
        "tx330", {{"<AWT>0</AWT>", "<AWT>12</AWT>"}, {"<BAUDRATE>2</BAUDRATE>", "<BAUDRATE>5</BAUDRATE>"}});

    struct Case {
        const char* fixture;
        std::string file;
        const char* family;
        const char* aesKey;
        std::vector<std::pair<const char*, const char*>> shown;
        uint64_t key1;            // the first AES key word afterwards
        bool named = true;        // --family given; else the settings file decides
        uint8_t flowControl = 0;  // the image's own, when set: the contact-I/O store keeps it
    } cases[] = {
        {"rs485_v37.elf",
         rs485,
         "rs485",
         "keep",
         {{"IDOFFSET", "77"}, {"BAUDRATE", "38400"}, {"BINDTYPE", "group"}},
         0x0101},
        {"rs485_v36.elf", rs485, "rs485", "keep", {{"IDOFFSET", "77"}, {"BAUDRATE", "38400"}}, 0x0101},
        {"rs485_v37.elf", File("keyed.xml"), "rs485", "change", {{"IDOFFSET", "77"}}, 0xC001},
        {"rs485_v37.elf",
         tx330,
         "tx330",
         "keep",
         {{"AWT", "120 ms"}, {"BAUDRATE", "57600"}, {"INTFPORT", "RS485"}},
         0x0101},
        {"rs485_v36.elf", tx330, "tx330", "keep", {{"AWT", "120 ms"}, {"BAUDRATE", "57600"}}, 0x0101},
        {"rs485_v37.elf", tx330, "tx330", "keep", {{"AWT", "120 ms"}}, 0x0101, false},
        {"rs485_v37.elf", rs485, "rs485", "keep", {{"IDOFFSET", "77"}}, 0x0101, false},
        {"rs485_v36.elf",
         tx330,
         "tx330",
         "keep",
         {{"AWT", "120 ms"}, {"FLOWCTRL", "Xon/Xoff"}},
         0x0101,
         true,
         2},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.family + " " + c.aesKey + (c.named ? "" : " unnamed"));
        const std::string image = Image(c.fixture, "image" + std::to_string(++n) + ".elf");
        const uint8_t bindType =
            static_cast<uint8_t>(Symbol(image, "version", 1) >= 34 ? Symbol(image, "bindType", 1) : 0);
        if (c.flowControl != 0) pelnix::test::PokeFile(image, "TormelParamsM$flowControl", 1, c.flowControl);
        const std::string original = readFile(image);
        // The test images hold both editors' parameters: show needs the family named.
        std::vector<std::string> args{"firmware", "patch", image, c.file, "--aes-key", c.aesKey, "--json"};
        if (c.named) args.insert(args.end(), {"--family", c.family});
        const CliRun patch = Cli(args);
        EXPECT_EQ(patch.code, 0) << patch.err;
        if (patch.code != 0) continue;
        EXPECT_TRUE(patch.json().value("mismatches").toArray().isEmpty()) << patch.out;
        EXPECT_EQ(readFile(File("image" + std::to_string(n) + ".bak")), original);
        EXPECT_FALSE(fs::exists(File("image" + std::to_string(n) + ".tmp")));

        const CliRun show = Cli({"firmware", "show", image, "--family", c.family, "--json"});
        ASSERT_EQ(show.code, 0) << show.err;
        const QJsonObject shown = show.json().value("parameters").toObject();
        for (const auto& [element, value] : c.shown)
            EXPECT_EQ(shown.value(element).toString().toStdString(), value) << element;
        EXPECT_EQ(Symbol(image, "AESencryptKey1", 2), c.key1);
        // The switch is set through a symbol the firmware never reports back.
        EXPECT_EQ(Symbol(image, "aesEncryptEnbl", 1), c.key1 == 0x0101 ? 1u : 2u);
        EXPECT_EQ(Symbol(image, "AESencryptKey16", 2), c.key1 == 0x0101 ? 0x1010u : 0xC010u);
        if (bindType != 0) {
            EXPECT_EQ(Symbol(image, "bindType", 1), bindType);
        }
        EXPECT_EQ(Symbol(image, "intfport", 1), 1u);
    }
}

// Whatever stops a patch, the image stays byte for byte as it was and no work copy is left.
TEST_F(CliFirmwareTest, AFailedPatchLeavesTheImageAsItWas) {
    const std::string file = SettingsFile("rs485", {{"<IDOFFSET>0</IDOFFSET>", "<IDOFFSET>5</IDOFFSET>"}});
    struct Case {
        const char* name;
        std::function<std::string()> prepare;  // returns the image path
        int code;
        const char* text;
    } cases[] = {
        {"damaged ELF",
         [&] {
             std::string image = Image("rs485_v37.elf", "damaged.elf");
             std::string bytes = readFile(image);
             bytes.resize(bytes.size() / 3);
             writeFile(image, bytes);
             return image;
         },
         6, "damaged.elf"},
        {"no interface port", [&] { return Image("rs485_v36_nointfport.elf", "nointf.elf"); }, 4,
         "lacks the parameter TormelParamsM$intfport"},
        {"named like a backup", [&] { return Image("rs485_v37.elf", "named.bak"); }, 6,
         "work copy or a backup"},
        {"a value the editor cannot read",
         [&] {
             std::string image = Image("rs485_v37.elf", "unreadable.elf");
             pelnix::test::PokeFile(image, "TormelParamsM$baudrate", 2, 0x7777);
             return image;
         },
         6, "the parameter TormelParamsM$baudrate in the image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string image = c.prepare();
        const std::string before = readFile(image);
        const CliRun patch = Cli({"firmware", "patch", image, file, "--family", "rs485"});
        EXPECT_EQ(patch.code, c.code) << patch.err;
        EXPECT_NE(patch.err.find(c.text), std::string::npos) << patch.err;
        EXPECT_EQ(readFile(image), before);
        fs::path tmp = image;
        EXPECT_FALSE(fs::exists(tmp.replace_extension(".tmp")));
    }
}

}  // namespace
