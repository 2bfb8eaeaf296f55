// SPDX-License-Identifier: MIT
#include "FirstPaint.h"

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long residentKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

class PaintWatcher : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow()) {
                m_seen = true;
                // Report after the paint has finished and the frame has been handed over.
                QTimer::singleShot(0, [] {
                    std::printf("%ld\n", residentKiB());
                    std::fflush(stdout);
                    ::_exit(0);
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool m_seen = false;
};

}  // namespace

void reportFirstPaint(QApplication& app) { app.installEventFilter(new PaintWatcher); }
