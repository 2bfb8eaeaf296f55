// SPDX-License-Identifier: MIT
// pelnix-unit-sim: a simulated unit on a pseudo-terminal, registered as a virtual port.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>

#include "domain/modem/Replies.h"
#include "sim/PtyServer.h"
#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"
#include "sim/UnitStateFile.h"

namespace {

using namespace Pelnix::Sim;

const char kUsage[] =
    "usage: pelnix-unit-sim [options]\n"
    "  --family rs485|tx330     which unit to play (default rs485)\n"
    "  --state FILE             the unit's state from a key=value file\n"
    "  --name NAME              port name in the virtual-port folder (default unit-<pty>)\n"
    "  --folder DIR             register the port in DIR instead of the virtual-port folder\n"
    "  --log                    print every request and reply with its time\n"
    "faults:\n"
    "  --silent PREFIX          do not answer requests starting with PREFIX (repeatable)\n"
    "  --empty PREFIX           answer requests starting with PREFIX with an empty line\n"
    "  --wrong PREFIX LINE      answer requests starting with PREFIX with LINE\n"
    "  --garbage-connect        answer the first ~CONNECT? with garbage\n"
    "  --keep PREFIX            confirm requests starting with PREFIX but keep the old value\n"
    "  --slow PREFIX MS         answer requests starting with PREFIX MS milliseconds late\n"
    "  --late-first MS          send the first reply MS milliseconds late\n"
    "  --hangup-after N         hang up after N received lines (the program ends then)\n";

// Shows control bytes of a logged line, so garbage on the line stays readable.
std::string Printable(const std::string& line) {
    std::string out;
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

// The log may be kept or shown around: a key the tool sent, the unit's key line and the answer
// to a key request appear as the tool's own trace shows them.
std::string KeySafe(const LogEntry& entry, bool& answeringKey) {
    namespace Replies = Tormel::Domain::Modem::Replies;
    if (entry.kind == LogKind::Request) answeringKey = Replies::KeyMaterialAt(entry.line).has_value();
    return Replies::MaskKeyMaterial(entry.line, entry.kind == LogKind::Reply && answeringKey);
}

int Fail(const std::string& message) {
    std::cerr << "pelnix-unit-sim: " << message << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string family;
    std::string stateFile;
    PtyServerOptions options;
    Faults faults;
    bool log = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            (void)what;
            return std::string(argv[++i]);
        };
        std::optional<std::string> v;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--log") {
            log = true;
        } else if (arg == "--garbage-connect") {
            faults.garbageFirstConnect = true;
        } else if (arg == "--family" && (v = value("family"))) {
            family = *v;
        } else if (arg == "--state" && (v = value("file"))) {
            stateFile = *v;
        } else if (arg == "--name" && (v = value("name"))) {
            options.name = *v;
        } else if (arg == "--folder" && (v = value("folder"))) {
            options.folder = *v;
        } else if (arg == "--silent" && (v = value("prefix"))) {
            faults.silentOn.push_back(*v);
        } else if (arg == "--empty" && (v = value("prefix"))) {
            faults.emptyReplyOn.push_back(*v);
        } else if (arg == "--wrong" && i + 2 < argc) {
            faults.wrongReply.emplace_back(argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (arg == "--keep" && (v = value("prefix"))) {
            faults.keepOn.push_back(*v);
        } else if (arg == "--slow" && i + 2 < argc) {
            char* end = nullptr;
            const long ms = std::strtol(argv[i + 2], &end, 10);
            if (end == argv[i + 2] || *end != '\0' || ms < 0 || ms > 600000)
                return Fail("--slow needs a delay from 0 to 600000 ms");
            faults.slowReply.emplace_back(argv[i + 1], static_cast<int>(ms));
            i += 2;
        } else if (arg == "--late-first" && (v = value("ms"))) {
            char* end = nullptr;
            const long ms = std::strtol(v->c_str(), &end, 10);
            if (end == v->c_str() || *end != '\0' || ms < 0 || ms > 600000)
                return Fail("--late-first needs a delay from 0 to 600000 ms");
            faults.lateFirstReplyMs = static_cast<int>(ms);
        } else if (arg == "--hangup-after" && (v = value("count"))) {
            char* end = nullptr;
            const long n = std::strtol(v->c_str(), &end, 10);
            if (end == v->c_str() || *end != '\0' || n < 1 || n > 1000000) {
                return Fail("--hangup-after needs a count of lines from 1");
            }
            faults.hangUpAfterLines = static_cast<int>(n);
        } else {
            std::cerr << kUsage;
            return Fail("unknown option or missing value: " + arg);
        }
    }

    UnitState state;
    if (!stateFile.empty()) {
        std::string error;
        auto loaded = LoadUnitStateFile(stateFile, error);
        if (!loaded) return Fail(error);
        state = *loaded;
        const bool tx330 = state.family == UnitFamily::Tx330;
        if ((family == "tx330" && !tx330) || (family == "rs485" && tx330)) {
            return Fail("--family " + family + " differs from the family in " + stateFile);
        }
    } else if (family.empty() || family == "rs485") {
        state = Rs485FactoryState();
    } else if (family == "tx330") {
        state = Tx330FactoryState();
    } else {
        return Fail("--family must be rs485 or tx330");
    }
    if (!family.empty() && family != "rs485" && family != "tx330")
        return Fail("--family must be rs485 or tx330");

    // Signals are taken by sigtimedwait below; blocked before the server's thread starts so
    // that thread inherits the mask and never takes them itself.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const auto start = std::chrono::steady_clock::now();
    std::mutex printLock;
    bool answeringKey = false;  // guarded by printLock
    if (log) {
        options.onLog = [&](const LogEntry& entry) {
            const double seconds = std::chrono::duration<double>(entry.time - start).count();
            std::lock_guard lock(printLock);
            std::printf("%10.3f %-8s %s\n", seconds, ToString(entry.kind),
                        Printable(KeySafe(entry, answeringKey)).c_str());
            std::fflush(stdout);
        };
    }

    std::optional<PtyServer> server;
    try {
        server.emplace(state, options);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    server->SetFaults(faults);
    {
        std::lock_guard lock(printLock);
        std::printf("%s\n", server->PortPath().c_str());
        std::fflush(stdout);
    }

    // Run until told to stop, or until the unit hung up (nothing is left to serve then).
    const timespec tick{0, 200L * 1000 * 1000};
    while (!server->HungUp()) {
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig > 0) break;
    }
    server.reset();  // stops the thread and removes the link
    return 0;
}
