// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <map>

namespace Tormel::Gui {

// Every user-visible text that differs between the Japanese and the English interface, keyed by
// a small id. Each window, dialog and settings class keeps its own instance; the language is
// fixed when the instance is built and never changes afterwards.
class StringTable {
  public:
    // Picks the language from the user's culture (Tormel::Platform::currentCultureName()).
    StringTable();
    // Picks the language from the given culture name: exactly "ja-JP" gives Japanese, any other
    // name English.
    explicit StringTable(const QString& cultureName);

    // The text of `id` in this instance's language; an empty text for an id the language lacks.
    QString getString(int32_t id) const;

    // True when this instance holds the Japanese texts.
    bool isJapanese() const { return m_japanese; }

  private:
    std::map<int32_t, QString> m_strTable;
    bool m_japanese = false;
};

}  // namespace Tormel::Gui
