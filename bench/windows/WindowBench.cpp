// SPDX-License-Identifier: MIT
// The main windows as a technician drives them, at the real timing, against a simulated unit
// on a pseudo-terminal, each round paired with the same operation through the controller
// alone (completions delivered through the same Qt event loop):
//   rs485-read  Get Values on MainGUI, from the click until the form holds the unit's values,
//               against TormelApp::ConnectAndRead (RS485 unit at 2.6, newer module).
//   tx330-read  the same on MainGUI_TX_330 against TormelApp_TX330::ConnectAndRead.
//   tx330-set   Set on MainGUI_TX_330 after a read, every page edited, from the click until
//               the completion has been handled, against TormelApp_TX330::Write with the
//               same records. The requests the unit received must be the same in both.
// A 1 ms timer runs on the event loop during every timed operation, in both arms, and keeps
// its largest late firing: the longest time the loop could not answer.
//   rs485-set   Set on MainGUI after a read against TormelApp::Write with the records the
//               window handed its own controller; then the window's write of its default
//               settings file alone, which happens between the click and the first request.
//   rs485-firmware  Set on MainGUI into a 256 KiB firmware image (work copy, store, backup,
//               rename): the time and the bytes written, against a plain copy of the image.
// Usage: bench_windows [rounds, default 5]
//        [rs485-read|rs485-set|rs485-firmware|tx330-read|tx330-set ...]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domain/app/TormelApp.h"
#include "domain/app/TormelApp_TX330.h"
#include "gui/QtDispatcher.h"
#include "gui/rs485/MainGUI.h"
#include "gui/support/ToolkitRecorder.h"
#include "gui/tx330/MainGUI_TX_330.h"
#include "gui/tx330/Tx330Form.h"
#include "settings/Config.h"
#include "settings/SettingsFile.h"
#include "settings/StringTable.h"
#include "sim/PtyServer.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"

using namespace std::chrono_literals;
using namespace Tormel::Domain::Common;
using Clock = std::chrono::steady_clock;
using Tormel::Domain::App::AppCompletedCode;
using Tormel::Gui::Msg;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
double Worst(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_windows: %s\n", what.c_str());
    std::exit(1);
}

// Answers every box at once, and once the event that showed a box has been handled (the
// completion that filled the form, for example) calls afterBox.
class MarkingToolkit : public Tormel::Gui::RecordingToolkit {
  public:
    std::function<void()> afterBox;

    Tormel::Gui::DialogResult messageBox(const QString& text, const QString& caption,
                                         Tormel::Gui::MessageBoxButtons buttons,
                                         Tormel::Gui::MessageBoxIcon icon, QWidget* parent) override {
        const Tormel::Gui::DialogResult answer =
            RecordingToolkit::messageBox(text, caption, buttons, icon, parent);
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                if (afterBox) afterBox();
            },
            Qt::QueuedConnection);
        return answer;
    }
};

// The event loop until finish() is called (or two minutes pass), with the time of the call.
class Waiter {
  public:
    void finish() {
        m_end = Clock::now();
        m_done = true;
        m_loop.quit();
    }
    bool wait() {
        if (!m_done) {
            QTimer::singleShot(120s, &m_loop, &QEventLoop::quit);
            m_loop.exec();
        }
        return m_done;
    }
    Clock::time_point end() const { return m_end; }

  private:
    QEventLoop m_loop;
    bool m_done = false;
    Clock::time_point m_end;
};

// A 1 ms timer on the event loop; its largest lateness is the longest stall of the loop.
class StallProbe {
  public:
    StallProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        m_worst = 0;
        m_last = m_started = m_worstAt = Clock::now();
        m_timer.start();
    }
    // When the longest stall ended, from start().
    double worstAtMs() const { return Ms(m_worstAt - m_started); }
    double stop() {
        tick();
        m_timer.stop();
        return m_worst;
    }

  private:
    void tick() {
        const Clock::time_point now = Clock::now();
        if (Ms(now - m_last) - 1.0 > m_worst) {
            m_worst = Ms(now - m_last) - 1.0;
            m_worstAt = now;
        }
        m_last = now;
    }
    QTimer m_timer;
    Clock::time_point m_last, m_started, m_worstAt;
    double m_worst = 0;
};

template <class T>
T* child(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) Fail(std::string("no control named ") + name);
    return widget;
}

struct Timed {
    double ms = 0;
    double stallMs = 0;
    std::vector<std::string> requests;
    // From the click (or call) to the first request the unit received, and from the unit's
    // last reply to the end: the share of the time spent outside the dialogue with the unit.
    double headMs = 0;
    double tailMs = 0;
    double stallAtMs = 0;  // when the longest stall ended
};

// The unit's log times of its first request and last entry, against the operation's start and end.
void splitByUnitLog(Timed& timed, const Pelnix::Sim::PtyServer& unit, Clock::time_point start,
                    Clock::time_point end) {
    const std::vector<Pelnix::Sim::LogEntry> log = unit.Log();
    const auto first = std::find_if(log.begin(), log.end(),
                                    [](const auto& e) { return e.kind == Pelnix::Sim::LogKind::Request; });
    if (first == log.end()) return;
    timed.headMs = Ms(first->time - start);
    timed.tailMs = Ms(end - log.back().time);
}

// Bytes this process has handed to write() and its kind so far (cache writes included).
long long WrittenBytes() {
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (io == nullptr) Fail("/proc/self/io cannot be read");
    long long wchar = -1;
    char line[128];
    while (std::fgets(line, sizeof line, io) != nullptr) {
        if (std::sscanf(line, "wchar: %lld", &wchar) == 1) break;
    }
    std::fclose(io);
    return wchar;
}

struct Bench {
    MarkingToolkit toolkit;
    StallProbe stall;
    Pelnix::Sim::PtyServer* unit = nullptr;
    Pelnix::Sim::UnitState factory;

    void fresh() {
        unit->ResetUnit(factory);
        unit->ClearLog();
        toolkit.clear();
    }

    // Clicks `buttonName` and waits until the handler of the box that ends the operation has
    // returned. The box must say `expected`. With `mayDoNothing`, a click that shows nothing
    // and leaves the window idle (the command is not there yet) gives std::nullopt.
    std::optional<Timed> click(QWidget& window, const char* buttonName, Msg expected,
                               bool mayDoNothing = false) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(buttonName));
        if (button == nullptr || !button->isEnabled())
            Fail(std::string(buttonName) + " is not there or not enabled");
        auto* idle = child<QPushButton>(window, "btnConnectRead");
        toolkit.clear();
        if (unit != nullptr) unit->ClearLog();
        Waiter waiter;
        toolkit.afterBox = [&waiter] { waiter.finish(); };
        stall.start();
        const Clock::time_point start = Clock::now();
        QTest::mouseClick(button, Qt::LeftButton);
        if (mayDoNothing && toolkit.boxes.empty() && idle->isEnabled()) {
            stall.stop();
            toolkit.afterBox = {};
            return std::nullopt;
        }
        const bool done = waiter.wait();
        Timed timed{Ms(waiter.end() - start), stall.stop(), {}};
        timed.stallAtMs = stall.worstAtMs();
        if (unit != nullptr) {
            timed.requests = unit->Requests();
            splitByUnitLog(timed, *unit, start, waiter.end());
        }
        toolkit.afterBox = {};
        if (!done) Fail(std::string(buttonName) + ": no completion within two minutes");
        const QString want = Tormel::Gui::StringTable().getString(expected);
        if (toolkit.boxes.empty() || toolkit.boxes.back().Text != want) {
            Fail(std::string(buttonName) + ": the window said \"" +
                 (toolkit.boxes.empty() ? std::string() : toolkit.boxes.back().Text.toStdString()) + "\"");
        }
        return timed;
    }

    // Runs one controller operation started by `begin` (handed the completion) on the same
    // event loop and times it from the call to the handled completion.
    template <class App, class Begin>
    Timed controllerOperation(App& app, Begin begin) {
        unit->ClearLog();
        Waiter waiter;
        AppCompletedCode code = AppCompletedCode::Success;
        stall.start();
        const Clock::time_point start = Clock::now();
        begin([&](AppCompletedCode done) {
            app.Completed(done);
            code = done;
            waiter.finish();
        });
        const bool finished = waiter.wait();
        Timed timed{Ms(waiter.end() - start), stall.stop(), unit->Requests()};
        timed.stallAtMs = stall.worstAtMs();
        splitByUnitLog(timed, *unit, start, waiter.end());
        if (!finished || code != AppCompletedCode::Success) {
            Fail("controller operation failed: " + app.Result());
        }
        return timed;
    }
};

template <class Window>
void showWindow(Window& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) Fail("the window was not shown");
}

// The edits of a full Set on the contact-I/O window: a terminal node on LoRa channel 30, every
// contact setting away from the factory values, AES256 with a new key, and the line moved to
// 19200 bit/s, parity Even, response delay 120 ms.
void editTx330Form(QWidget& w) {
    auto* baud = child<QComboBox>(w, "cmbBaudrate");
    baud->setCurrentIndex(baud->findText(QStringLiteral("19200bps")));
    child<QComboBox>(w, "cmbParity")->setCurrentIndex(static_cast<int>(Parity::Even));
    child<QLineEdit>(w, "txtAwt")->setText(QStringLiteral("120"));
    child<QCheckBox>(w, "chkAESSecure")->setChecked(true);
    child<QRadioButton>(w, "radAES256")->setChecked(true);
    child<QRadioButton>(w, "radAESKeyChange")->setChecked(true);
    for (int i = 0; i < 16; ++i) {
        const QString name = QStringLiteral("txtEncryptionKey%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        child<QLineEdit>(w, name.toLatin1().constData())
            ->setText(QStringLiteral("%1").arg(0x1000 + 0x0101 * i, 4, 16, QLatin1Char('0')).toUpper());
    }
    child<QRadioButton>(w, "radioButton13")->click();
    child<QLineEdit>(w, "textBox4")->setText(QStringLiteral("99"));
    child<QRadioButton>(w, "radioButton1")->click();
    child<QComboBox>(w, "comboBox1")->setCurrentIndex(6);  // channel 30
    child<QComboBox>(w, "cmbGrpId")->setCurrentIndex(15);
    child<QComboBox>(w, "comboBox5")->setCurrentIndex(2);
    child<QComboBox>(w, "comboBox6")->setCurrentIndex(0);
    child<QComboBox>(w, "comboBox7")->setCurrentIndex(1);
    child<QRadioButton>(w, "radioButton5")->setChecked(true);
    child<QRadioButton>(w, "radioButton9")->setChecked(true);
    child<QRadioButton>(w, "radioButton10")->setChecked(true);
    child<QLineEdit>(w, "textBox1")->setText(QStringLiteral("1200"));
    child<QLineEdit>(w, "textBox5")->setText(QStringLiteral("7"));
    child<QLineEdit>(w, "textBox2")->setText(QStringLiteral("30"));
    child<QRadioButton>(w, "radioButton7")->setChecked(true);
    child<QLineEdit>(w, "txtDiFilt")->setText(QStringLiteral("2.3"));
}

// The edits of a full Set on the RS485 window: the line moved to 19200 bit/s, parity Even, two
// stop bits, a node-ID offset, whitening on and the Modbus ASCII protocol preset.
void editRs485Form(QWidget& w) {
    auto* baud = child<QComboBox>(w, "cmbBaudrate");
    baud->setCurrentIndex(baud->findText(QStringLiteral("19200bps")));
    child<QComboBox>(w, "cmbParity")->setCurrentIndex(static_cast<int>(Parity::Even));
    child<QComboBox>(w, "cmbStopBit")->setCurrentIndex(1);
    child<QLineEdit>(w, "txtNodeIDOffset")->setText(QStringLiteral("1234"));
    child<QCheckBox>(w, "chkWhitening")->setChecked(true);
    child<QPushButton>(w, "btnModbusASCII")->click();
}

// The same settings as records, on top of what the controller read.
void editTx330Records(Tormel::Domain::App::TormelApp_TX330& app) {
    Communication line = app.CommunicationConfig();
    line.BaudRate = 19200;
    line.Parity = Parity::Even;
    line.Awt = 12;
    app.CommunicationConfig(line);
    Nodeinfo node = app.NodeinfoConfig();
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES256;
    node.AESEncryptKeySetting = NodeinfoAESEncryptKeySetting::Change;
    for (int i = 0; i < 16; ++i) node.*kAESEncryptKeyFields[i] = static_cast<uint16_t>(0x1000 + 0x0101 * i);
    app.NodeinfoConfig(node);
    app.WirelessConfig({WirelessinfoChMode::CH24to37, WirelessinfoOpMode::LoRa, WirelessinfoCh{30},
                        WirelessinfoNodeId{99}, WirelessinfoGrpId{115}});
    app.DidoConfig({DidoinfoDoBind::DI3, DidoinfoDoBind::DI1, DidoinfoDoBind::DI2, DidoinfoDoInvert::INVERT,
                    DidoinfoDoInvert::NONINVERT, DidoinfoDoInvert::INVERT, DidoinfoDoOffDelay{1200},
                    DidoinfoDoOnDelay{7}, DidoinfoDoKeepTime{30}, DidoinfoDoKeepSignal::ON,
                    DidoinfoDiDelay{23}});
}

struct Pair {
    std::vector<double> window, controller, ratio, windowStall, controllerStall;
    std::vector<double> windowHead, controllerHead, windowTail, controllerTail;
    std::size_t requests = 0;

    void add(const Timed& w, const Timed& c, const char* what) {
        if (w.requests != c.requests) {
            std::size_t i = 0;
            while (i < w.requests.size() && i < c.requests.size() && w.requests[i] == c.requests[i]) ++i;
            Fail(std::string(what) + ": the window's requests differ from the controller's at request " +
                 std::to_string(i + 1) + ": \"" + (i < w.requests.size() ? w.requests[i] : "") +
                 "\" against \"" + (i < c.requests.size() ? c.requests[i] : "") + "\"");
        }
        requests = w.requests.size();
        window.push_back(w.ms);
        controller.push_back(c.ms);
        ratio.push_back(w.ms / c.ms);
        windowStall.push_back(w.stallMs);
        controllerStall.push_back(c.stallMs);
        windowHead.push_back(w.headMs);
        controllerHead.push_back(c.headMs);
        windowTail.push_back(w.tailMs);
        controllerTail.push_back(c.tailMs);
        std::printf(
            "  %-10s window %8.1f ms  controller %8.1f ms  ratio %.4f  stall %.1f / %.1f ms"
            " (ending %.0f / %.0f ms after the start)  to the first request %.1f / %.1f ms  after the last "
            "reply "
            "%.1f / %.1f ms\n",
            what, w.ms, c.ms, w.ms / c.ms, w.stallMs, c.stallMs, w.stallAtMs, c.stallAtMs, w.headMs, c.headMs,
            w.tailMs, c.tailMs);
        std::fflush(stdout);
    }
    void report(const char* title, double goal) const {
        std::printf("%s (%zu rounds, %zu requests each)\n", title, window.size(), requests);
        std::printf("  window %.1f ms, controller alone %.1f ms (medians)\n", Median(window),
                    Median(controller));
        std::printf("  window / controller: median %.4f, worst %.4f (goal <= %.2f: %s)\n", Median(ratio),
                    Worst(ratio), goal, Median(ratio) <= goal ? "met" : "missed");
        std::printf(
            "  longest event-loop stall: window median %.1f ms, worst %.1f ms (goal <= 50 ms: %s); "
            "controller alone median %.1f ms, worst %.1f ms\n",
            Median(windowStall), Worst(windowStall), Worst(windowStall) <= 50.0 ? "met" : "missed",
            Median(controllerStall), Worst(controllerStall));
        std::printf(
            "  from the start to the unit's first request: window %.1f ms, controller %.1f ms; from the "
            "unit's last reply to the end: window %.1f ms, controller %.1f ms (medians)\n",
            Median(windowHead), Median(controllerHead), Median(windowTail), Median(controllerTail));
    }
};

template <class Window>
Timed windowRead(Bench& bench, std::unique_ptr<Window>* keep = nullptr) {
    bench.fresh();
    auto window = std::make_unique<Window>();
    showWindow(*window);
    Timed timed = *bench.click(*window, "btnConnectRead", Msg::ConnectSucceeded);
    if (child<QLineEdit>(*window, "txtSoftwareName")->text().isEmpty()) Fail("the form was not filled");
    if (keep != nullptr) *keep = std::move(window);
    return timed;
}

template <class App>
Timed controllerRead(Bench& bench, App& app, const Communication& line) {
    app.Init();
    app.CommunicationConfig(line);
    return bench.controllerOperation(app, [&](auto handler) {
        if (app.ConnectAndRead(handler) != decltype(app.Init())::Pendding)
            Fail("ConnectAndRead did not start");
    });
}

// The probe must see a stall it is shown: block the loop for 30 ms once.
void checkStallProbe() {
    StallProbe probe;
    Waiter waiter;
    probe.start();
    QTimer::singleShot(20, [] {
        const Clock::time_point until = Clock::now() + 30ms;
        while (Clock::now() < until) {
        }
    });
    QTimer::singleShot(100, [&waiter] { waiter.finish(); });
    waiter.wait();
    std::printf("stall probe check: a 30 ms block of the loop reads as %.1f ms\n", probe.stop());
}

void benchRs485Read(Bench& bench, const Communication& line, int rounds) {
    Pair pair;
    std::printf("RS485 unit 2.6, Get Values:\n");
    for (int round = 0; round < rounds; ++round) {
        Timed w, c;
        // Alternate which arm goes first, so that a drift of the machine's load meets both.
        for (int arm = 0; arm < 2; ++arm) {
            if ((arm + round) % 2 == 0) {
                w = windowRead<Tormel::Gui::MainGUI>(bench);
            } else {
                bench.fresh();
                QObject context;
                Tormel::Domain::App::TormelApp app(Tormel::Gui::qtDispatcher(&context));
                c = controllerRead(bench, app, line);
                app.Disconnect();
                app.End();
            }
        }
        pair.add(w, c, "read");
    }
    pair.report("RS485 window, Get Values (click to form filled) against TormelApp::ConnectAndRead", 1.02);
}

void benchRs485Set(Bench& bench, const Communication& line, int rounds) {
    using Tormel::Domain::App::TormelApp;
    using Tormel::Gui::MainGUI;
    // What the window handed its controller for the write; the controller alone writes
    // the same records. The first round starts with the window for that reason.
    struct Records {
        Communication comm;
        Nodeinfo node;
        Protocol prot;
        Binding bind;
    };
    std::optional<Records> written;
    bool pending = false;
    Pair pair;
    std::printf("RS485 unit 2.6, full Set after a read:\n");
    for (int round = 0; round < rounds && !pending; ++round) {
        Timed w, c;
        for (int arm = 0; arm < 2 && !pending; ++arm) {
            if ((arm + round) % 2 == 0) {
                std::unique_ptr<MainGUI> window;
                windowRead<MainGUI>(bench, &window);
                editRs485Form(*window);
                const std::optional<Timed> timed =
                    bench.click(*window, "btnSetting", Msg::SettingCompleted, true);
                if (!timed) {
                    pending = true;
                    break;
                }
                w = *timed;
                TormelApp& inner = window->app();
                written = Records{inner.CommunicationConfig(), inner.NodeinfoConfig(), inner.ProtocolConfig(),
                                  inner.BindingConfig()};
            } else {
                bench.fresh();
                QObject context;
                TormelApp app(Tormel::Gui::qtDispatcher(&context));
                controllerRead(bench, app, line);
                app.CommunicationConfig(written->comm);
                app.NodeinfoConfig(written->node);
                app.ProtocolConfig(written->prot);
                app.BindingConfig(written->bind);
                c = bench.controllerOperation(app, [&](auto handler) {
                    if (app.Write(handler) != Tormel::Domain::App::AppResult::Pendding)
                        Fail("Write did not start");
                });
                app.Disconnect();
                app.End();
            }
        }
        if (!pending) pair.add(w, c, "set");
    }
    if (pending) {
        std::printf("RS485 window, Set: pending (Set on MainGUI starts no write yet)\n");
    } else {
        pair.report("RS485 window, Set (click to completion handled) against TormelApp::Write", 1.02);
        // The default settings file the window replaces before it starts the write, alone.
        const Tormel::Gui::ApplicationConfig defaults;
        std::vector<double> saves;
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point start = Clock::now();
            if (!Tormel::Gui::writeDefaultSettingsFile(defaults)) Fail("config.xml was not written");
            saves.push_back(Ms(Clock::now() - start));
        }
        std::printf(
            "  the window's default settings file (%s), written alone: median %.1f ms, worst %.1f ms"
            " (20 writes)\n",
            Tormel::Gui::defaultSettingsFilePath().toLocal8Bit().constData(), Median(saves), Worst(saves));
    }
}

void benchRs485Firmware(Bench& bench, const std::filesystem::path& folder, int rounds) {
    namespace fs = std::filesystem;
    // The image in a folder of its own, so that what appears there is the write's alone.
    const fs::path images = folder / "images";
    const fs::path source = fs::path(PELNIX_FIXTURE_DIR) / "rs485_v37_256k.elf";
    const fs::path image = images / "unit.elf";
    const fs::path copy = images / "copy.elf";
    const auto imageSize = static_cast<long long>(fs::file_size(source));
    std::vector<double> windowMs, plainMs, durableMs;
    long long windowBytes = 0, plainBytes = 0, folderBytes = 0, configBytes = 0;
    std::string created;
    std::printf("RS485 window, Set into a firmware image of %lld bytes:\n", imageSize);
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(images);
        fs::create_directories(images);
        fs::copy_file(source, image);

        // A plain copy of the image, then the same copy made durable (fsync) as the window's are.
        long long before = WrittenBytes();
        Clock::time_point start = Clock::now();
        fs::copy_file(source, copy);
        plainMs.push_back(Ms(Clock::now() - start));
        plainBytes = WrittenBytes() - before;
        fs::remove(copy);
        start = Clock::now();
        fs::copy_file(source, copy);
        const int fd = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) Fail("the copy cannot be synced");
        ::close(fd);
        durableMs.push_back(Ms(Clock::now() - start));
        fs::remove(copy);

        bench.toolkit.clear();
        Tormel::Gui::MainGUI window;
        showWindow(window);
        // The developer view (Ctrl+Shift+D) shows the target selector; choosing it works the same.
        QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        child<QComboBox>(window, "cmbSetTarget")->setCurrentIndex(1);
        bench.toolkit.fileAnswers.push_back(QString::fromStdString(image.string()));
        QTest::mouseClick(child<QPushButton>(window, "btnSelectFile"), Qt::LeftButton);
        if (!bench.toolkit.boxes.empty() || child<QLineEdit>(window, "txtSelectFile")->text().isEmpty())
            Fail("the image was not taken");

        std::map<std::string, long long> inFolder;
        for (const auto& entry : fs::directory_iterator(images))
            inFolder[entry.path().filename().string()] = static_cast<long long>(entry.file_size());
        struct stat imageStat {};
        ::stat(image.c_str(), &imageStat);
        const ino_t imageNode = imageStat.st_ino;
        before = WrittenBytes();
        const Timed timed = *bench.click(window, "btnSetting", Msg::SettingCompleted);
        windowBytes = WrittenBytes() - before;
        windowMs.push_back(timed.ms);
        // What the write left in the folder: every file that is new or was replaced.
        folderBytes = 0;
        created.clear();
        for (const auto& entry : fs::directory_iterator(images)) {
            const std::string name = entry.path().filename().string();
            struct stat st {};
            ::stat(entry.path().c_str(), &st);
            const bool replaced = name == image.filename().string() && st.st_ino != imageNode;
            if (inFolder.count(name) == 0 || replaced) {
                folderBytes += static_cast<long long>(st.st_size);
                created += (created.empty() ? "" : ", ") + name + (replaced ? " (replaced)" : " (new)") +
                           " " + std::to_string(st.st_size);
            }
        }
        configBytes =
            static_cast<long long>(fs::file_size(Tormel::Gui::defaultSettingsFilePath().toStdString()));
        if (fs::exists(images / "unit.tmp")) Fail("a work copy was left behind");
        std::printf(
            "  set %8.2f ms, %lld bytes written; plain copy %6.2f ms, %lld bytes; copy + fsync %6.2f "
            "ms\n",
            timed.ms, windowBytes, plainMs.back(), plainBytes, durableMs.back());
        std::fflush(stdout);
    }
    std::printf("RS485 window, Set into the firmware image (%d rounds, medians)\n", rounds);
    std::printf("  click to \"setting completed\" handled: %.2f ms (worst %.2f ms)\n", Median(windowMs),
                Worst(windowMs));
    std::printf("  plain copy of the image: %.2f ms; the same copy synced to the disk: %.2f ms\n",
                Median(plainMs), Median(durableMs));
    std::printf("  set / plain copy %.1f, set / synced copy %.1f\n", Median(windowMs) / Median(plainMs),
                Median(windowMs) / Median(durableMs));
    std::printf("  bytes written by the set (wchar): %lld = %.2f image sizes; a plain copy: %lld\n",
                windowBytes, static_cast<double>(windowBytes) / static_cast<double>(imageSize), plainBytes);
    std::printf(
        "  files the set left in the image's folder: %s (%lld bytes); default settings file %lld bytes\n",
        created.c_str(), folderBytes, configBytes);
}

void benchTx330Read(Bench& bench, const Communication& tx330Line, int rounds) {
    using Tormel::Domain::App::TormelApp_TX330;
    using Tormel::Gui::MainGUI_TX_330;
    Pair pair;
    std::printf("Contact-I/O unit, Get Values:\n");
    for (int round = 0; round < rounds; ++round) {
        Timed w, c;
        for (int arm = 0; arm < 2; ++arm) {
            if ((arm + round) % 2 == 0) {
                w = windowRead<MainGUI_TX_330>(bench);
            } else {
                bench.fresh();
                QObject context;
                TormelApp_TX330 app(Tormel::Gui::qtDispatcher(&context));
                c = controllerRead(bench, app, tx330Line);
                app.Disconnect();
                app.End();
            }
        }
        pair.add(w, c, "read");
    }
    pair.report(
        "Contact-I/O window, Get Values (click to form filled) against "
        "TormelApp_TX330::ConnectAndRead",
        1.02);
}

void benchTx330Set(Bench& bench, const Communication& tx330Line, int rounds) {
    using Tormel::Domain::App::TormelApp_TX330;
    using Tormel::Gui::MainGUI_TX_330;
    Pair pair;
    std::printf("Contact-I/O unit, full Set after a read:\n");
    for (int round = 0; round < rounds; ++round) {
        Timed w, c;
        for (int arm = 0; arm < 2; ++arm) {
            if ((arm + round) % 2 == 0) {
                std::unique_ptr<MainGUI_TX_330> window;
                windowRead<MainGUI_TX_330>(bench, &window);
                editTx330Form(*window);
                w = *bench.click(*window, "btnSetting", Msg::SettingCompleted);
            } else {
                bench.fresh();
                QObject context;
                TormelApp_TX330 app(Tormel::Gui::qtDispatcher(&context));
                controllerRead(bench, app, tx330Line);
                editTx330Records(app);
                c = bench.controllerOperation(app, [&](auto handler) {
                    if (app.Write(handler) != Tormel::Domain::App::AppResult_TX330::Pendding)
                        Fail("Write did not start");
                });
                app.Disconnect();
                app.End();
            }
        }
        pair.add(w, c, "set");
    }
    pair.report("Contact-I/O window, Set (click to completion handled) against TormelApp_TX330::Write", 1.02);
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qtApp(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<std::string> parts;
    for (int i = 2; i < argc; ++i) parts.emplace_back(argv[i]);
    if (parts.empty()) parts = {"rs485-read", "rs485-set", "rs485-firmware", "tx330-read", "tx330-set"};
    auto wanted = [&](const char* part) {
        return std::find(parts.begin(), parts.end(), part) != parts.end();
    };

    checkStallProbe();

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("pelnix-bench-windows-" + std::to_string(getpid()));
    fs::create_directories(folder);
    // The windows start from their defaults, whatever settings this user keeps.
    Tormel::Gui::overrideDefaultSettingsFilePath(QString::fromStdString((folder / "config.xml").string()));
    Bench bench;
    Tormel::Gui::ToolkitOverride useToolkit(bench.toolkit);
    Pelnix::Sim::PtyServerOptions options;
    options.folder = folder.string();

    if (wanted("rs485-read") || wanted("rs485-set")) {
        bench.factory = Pelnix::Sim::Rs485FactoryState("2.6", true, "1.7");
        options.name = "rs485";
        Pelnix::Sim::PtyServer server(bench.factory, options);
        bench.unit = &server;
        const std::string path = server.PortPath();
        Tormel::Domain::Modem::Command::SetPortLister([path] { return std::vector<std::string>{path}; });
        const Communication line = Tormel::Gui::MainGUI().getCommunicateConfigConvert();
        if (wanted("rs485-read")) benchRs485Read(bench, line, rounds);
        if (wanted("rs485-set")) benchRs485Set(bench, line, rounds);
        bench.unit = nullptr;
    }

    if (wanted("rs485-firmware")) benchRs485Firmware(bench, folder, rounds);

    const Communication tx330Line = [] {
        Tormel::Gui::ApplicationConfig_TX330 defaults;
        defaults.m_baudrate = 2;  // what the window's defaults show: 9600 bit/s, 8N1, no delay
        defaults.m_databits = 0;
        defaults.m_parity = 0;
        defaults.m_stopbits = 0;
        defaults.m_awt = 0;
        return Tormel::Gui::Tx330Records::communicationOf(defaults);
    }();

    if (wanted("tx330-read") || wanted("tx330-set")) {
        bench.factory = Pelnix::Sim::Tx330FactoryState();
        options.name = "tx330";
        Pelnix::Sim::PtyServer server(bench.factory, options);
        bench.unit = &server;
        const std::string path = server.PortPath();
        Tormel::Domain::Modem::Command::SetPortLister([path] { return std::vector<std::string>{path}; });
        if (wanted("tx330-read")) benchTx330Read(bench, tx330Line, rounds);
        if (wanted("tx330-set")) benchTx330Set(bench, tx330Line, rounds);
        bench.unit = nullptr;
    }

    Tormel::Domain::Modem::Command::SetPortLister({});
    Tormel::Gui::overrideDefaultSettingsFilePath({});
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
