// SPDX-License-Identifier: MIT
#pragma once
// The interface language of the objects a test builds follows the culture set here (every
// StringTable reads it when it is built).

#include <QByteArray>
#include <QtGlobal>

namespace Tormel::Gui::Testing {

class ScopedCulture {
  public:
    explicit ScopedCulture(const char* locale)
        : m_old(qgetenv("LC_ALL")), m_had(qEnvironmentVariableIsSet("LC_ALL")) {
        qputenv("LC_ALL", locale);
    }
    ~ScopedCulture() {
        if (m_had) {
            qputenv("LC_ALL", m_old);
        } else {
            qunsetenv("LC_ALL");
        }
    }

  private:
    QByteArray m_old;
    bool m_had;
};

inline constexpr const char* kJapanese = "ja_JP.UTF-8";
inline constexpr const char* kEnglish = "en_US.UTF-8";

}  // namespace Tormel::Gui::Testing
