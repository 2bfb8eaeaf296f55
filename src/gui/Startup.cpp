// SPDX-License-Identifier: MIT
#include "gui/Startup.h"

#include <QApplication>

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
