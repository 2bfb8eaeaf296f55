// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the settings-document readers of both windows. A document is
// either refused, leaving the target object untouched, or read into an object that writes a
// document which reads back to the very same bytes; the record checks then run on it.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "settings/Config.h"
#include "settings/Config_TX330.h"

namespace {

template <class File, class Doc>
void exercise(const QByteArray& bytes) {
    Doc target;
    target.m_version = QStringLiteral("sentinel");
    const auto before = File::toXml(target);
    if (!before) {
        std::abort();
    }

    if (!File::fromXml(bytes, target)) {
        if (File::toXml(target) != before) {
            std::abort();  // a refused document changed the object
        }
        return;
    }
    const auto written = File::toXml(target);
    if (!written) {
        std::abort();  // everything read must be writable again
    }
    Doc again;
    if (!File::fromXml(*written, again)) {
        std::abort();
    }
    if (File::toXml(again) != written) {
        std::abort();
    }
    target.checkConfigData(false, true);
    target.checkConfigData(false, false);
    target.checkSettingToolData(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    exercise<Tormel::Gui::Config, Tormel::Gui::ApplicationConfig>(bytes);
    exercise<Tormel::Gui::Config_TX330, Tormel::Gui::ApplicationConfig_TX330>(bytes);
    return 0;
}
