// SPDX-License-Identifier: MIT
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include "platform/BackgroundWorker.h"

namespace Tormel::Gui {

// A worker dispatcher that runs each completion on the thread of `context` (a window) through
// its event loop. A completion posted after the window is gone is dropped with it.
inline Platform::BackgroundWorker::Dispatcher qtDispatcher(QObject* context) {
    return [guard = QPointer<QObject>(context)](Platform::BackgroundWorker::Task task) {
        if (guard.isNull()) {
            return;
        }
        QMetaObject::invokeMethod(guard.data(), std::move(task), Qt::QueuedConnection);
    };
}

}  // namespace Tormel::Gui
