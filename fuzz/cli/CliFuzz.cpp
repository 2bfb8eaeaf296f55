// SPDX-License-Identifier: MIT
// Runs pelnix-cli's whole argument handling on arbitrary argument lists, with an arbitrary
// settings file beside them. Every run must end with one of the documented exit codes, without
// a crash or a hang, and whatever it writes stays inside its scratch folder.
//
// Input: the arguments, one per line, up to the first empty line; what follows is the content
// of the file "s.xml" in the scratch folder. No unit is attached (the port list is empty), so
// a command that gets past its checks ends at "no unit found".
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "settings/Toolkit.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path folder;
    fs::path emptySysfs;
};

const Scratch& scratch() {
    static const Scratch made = [] {
        std::string pattern = (fs::temp_directory_path() / "pelnix-cli-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        Scratch s{fs::path(pattern) / "work", fs::path(pattern) / "sysfs"};
        // Nothing of the runs is left in the temporary folder once the fuzzer or replay ends.
        static const fs::path root(pattern);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(root, ec);
        });
        fs::create_directories(s.folder);
        fs::create_directories(s.emptySysfs);
        // No real port is ever tried, and every wait is short should a name open anyway.
        ::setenv("PELNIX_SYSFS_TTY", s.emptySysfs.c_str(), 1);
        ::setenv("PELNIX_TIMING", "read=5,tries=1,pause=0,reopen=0,radio=0,reset=1", 1);
        return s;
    }();
    return made;
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "pelnix-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Tormel::Gui::ToolkitOverride toolkit(Tormel::Cli::messages());
    return app;
}

// An argument may name files, but only inside the scratch folder: no folder separators and
// no way up. Options that never end on their own (--each-unit waits for units until Ctrl+C)
// or start other processes (--parallel) are left out.
bool keep(QString& arg) {
    arg.remove(QLatin1Char('/'));
    arg.replace(QStringLiteral(".."), QStringLiteral("__"));
    return !arg.startsWith(QStringLiteral("--each-unit")) && !arg.startsWith(QStringLiteral("--parallel"));
}

void clearFolder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Scratch& s = scratch();
    application();
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf("\n\n");
    const QByteArray head = split < 0 ? input : input.left(split);
    const QByteArray file = split < 0 ? QByteArray() : input.mid(split + 2);

    // The run's relative names land in the scratch folder; the fuzzer's own corpus paths are
    // relative to where it was started, so the folder is left again afterwards.
    const fs::path started = fs::current_path();
    fs::current_path(s.folder);
    clearFolder(s.folder);
    std::ofstream(s.folder / "s.xml", std::ios::binary).write(file.constData(), file.size());

    QStringList args{QStringLiteral("pelnix-cli")};
    for (const QByteArray& line : head.split('\n')) {
        QString arg = QString::fromUtf8(line);
        if (keep(arg)) args.append(arg);
    }
    const int code = Tormel::Cli::runCommandLine(args);
    Tormel::Cli::messages().take();
    fs::current_path(started);
    if (code < Tormel::Cli::kExitOk || code > Tormel::Cli::kExitFileError) std::abort();
    return 0;
}
