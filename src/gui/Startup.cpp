// SPDX-License-Identifier: MIT
#include "gui/Startup.h"

#include <QApplication>
#include <QFileInfo>

#include "gui/ChoseForm.h"
#include "gui/Toolkit.h"
#include "platform/ProcessList.h"
#include "settings/StringTable.h"

namespace Tormel::Gui {

bool refuseSecondInstance(const std::vector<std::string>& processNames, const std::string& ownName) {
    if (ownName.empty() || Platform::countProcessesNamed(processNames, ownName) <= 1) {
        return false;
    }
    const StringTable strings;
    toolkit().messageBox(strings.getString(Msg::SecondInstanceRefused),
                         strings.getString(Msg::Rs485ToolTitle), MessageBoxButtons::OK,
                         MessageBoxIcon::Warning);
    return true;
}

std::optional<int> answerCommandLine(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--help" && arg != "-h" && arg != "--version") {
            continue;
        }
        const StringTable strings;
        const QString name = argv[0] != nullptr && *argv[0] != 0
                                 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
                                 : QStringLiteral("pelnix-config");
        const QString text = arg == "--version" ? name + QLatin1Char(' ') +
                                                      strings.getString(Msg::ToolVersion) + QLatin1Char('\n')
                                                : strings.getString(Msg::CommandLineUsage).arg(name);
        out << text.toLocal8Bit().toStdString() << std::flush;
        return out ? 0 : 1;  // a closed or full output is a failure, as for any Unix tool
    }
    return std::nullopt;
}

int runChooser() {
    ChoseForm chooser;
    // The chooser may close while hidden (after a main window), which Qt does not count as the
    // last window closing; end the loop explicitly.
    QObject::connect(&chooser, &ChoseForm::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    chooser.show();
    QApplication::exec();
    return 0;
}

int runApplication() {
    useQtToolkit();
    if (refuseSecondInstance(Platform::runningProcessNames(), Platform::currentProcessName())) {
        return 0;
    }
    return runChooser();
}

}  // namespace Tormel::Gui
