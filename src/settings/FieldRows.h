// SPDX-License-Identifier: MIT
#pragma once

// Rows that tie a settings document's fields to where their values live elsewhere: the getter of
// a form holder and, for some fields, the field of a unit record. Each group of fields is listed
// once in a table that every copy walks, so a field is added or renamed in one row instead of in
// each hand-written copy.

#include <array>
#include <cstddef>
#include <cstdint>
#include <tuple>

namespace Tormel::Gui::FieldRows {

// A document field filled from a holder getter. The getter's type may differ from the field's:
// the whitening switch is held unsigned and stored signed.
template <class Doc, class Holder, class T, class Got>
struct Held {
    T Doc::*field;
    Got (Holder::*get)() const;

    template <class D>
    void copy(const Holder& holder, D& doc) const {
        doc.*field = static_cast<T>((holder.*get)());
    }
};
template <class Doc, class Holder, class T, class Got>
Held(T Doc::*, Got (Holder::*)() const) -> Held<Doc, Holder, T, Got>;

// An array of document fields filled from a holder getter that numbers them from 1 (key words,
// binding rows, units): element i takes the value of number i + 1.
template <class Doc, class Holder, class T, std::size_t N, class Got>
struct HeldNumbered {
    std::array<T, N> Doc::*field;
    Got (Holder::*get)(int) const;

    template <class D>
    void copy(const Holder& holder, D& doc) const {
        for (std::size_t i = 0; i < N; ++i) {
            (doc.*field)[i] = (holder.*get)(static_cast<int>(i) + 1);
        }
    }
};
template <class Doc, class Holder, class T, std::size_t N, class Got>
HeldNumbered(std::array<T, N> Doc::*, Got (Holder::*)(int) const) -> HeldNumbered<Doc, Holder, T, N, Got>;

// Fills the document fields of `rows` from `holder`, in table order.
template <class Holder, class D, class... Rows>
void copyFromHolder(const Holder& holder, D& doc, const std::tuple<Rows...>& rows) {
    std::apply([&](const Rows&... row) { (row.copy(holder, doc), ...); }, rows);
}

// A document field stored as a plain number that a holder getter fills and whose unit record
// field holds the same number as an enumeration. No range check either way: the document's
// record check does that.
template <class Doc, class Holder, class Record, class E>
struct HeldRecorded {
    int32_t Doc::*field;
    int32_t (Holder::*get)() const;
    E Record::*recordField;

    template <class D>
    void copy(const Holder& holder, D& doc) const {
        doc.*field = (holder.*get)();
    }
    template <class D>
    void toRecord(const D& doc, Record& record) const {
        record.*recordField = static_cast<E>(doc.*field);
    }
    template <class D>
    void fromRecord(const Record& record, D& doc) const {
        doc.*field = static_cast<int32_t>(record.*recordField);
    }
};
template <class Doc, class Holder, class Record, class E>
HeldRecorded(int32_t Doc::*, int32_t (Holder::*)() const, E Record::*)
    -> HeldRecorded<Doc, Holder, Record, E>;

template <class Record, class D, class... Rows>
void toRecord(const D& doc, Record& record, const std::tuple<Rows...>& rows) {
    std::apply([&](const Rows&... row) { (row.toRecord(doc, record), ...); }, rows);
}

template <class Record, class D, class... Rows>
void fromRecord(const Record& record, D& doc, const std::tuple<Rows...>& rows) {
    std::apply([&](const Rows&... row) { (row.fromRecord(record, doc), ...); }, rows);
}

}  // namespace Tormel::Gui::FieldRows
