// SPDX-License-Identifier: MIT
#pragma once

// The text shown for each value of a small enumeration, as one table per enumeration instead of
// one switch each; values the table leaves out get `otherwise`.

#include <QString>
#include <initializer_list>
#include <utility>

namespace Tormel::Gui {

template <class E>
QString nameIn(std::initializer_list<std::pair<E, QString>> names, E value, const QString& otherwise) {
    for (const auto& [named, name] : names) {
        if (named == value) return name;
    }
    return otherwise;
}

}  // namespace Tormel::Gui
