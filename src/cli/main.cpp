// SPDX-License-Identifier: MIT
// pelnix-cli: the unit configuration without a window, for production benches, SSH sessions
// and scripts. One subcommand per run; each has --help.
#include <QCoreApplication>

#include "cli/CliSupport.h"
#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelnix-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELNIX_VERSION));
    Tormel::Gui::ToolkitOverride toolkit(Tormel::Cli::messages());

    return Tormel::Cli::runCommandLine(QCoreApplication::arguments());
}
