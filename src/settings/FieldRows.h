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
#include <type_traits>

namespace Tormel::Gui::FieldRows {

// A document field filled from a holder getter. The getter's type may differ from the field's:
// the whitening switch is held unsigned and stored signed.
template <class Doc, class Holder, class T, class Got>
struct Held {
    using HolderType = Holder;
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
    using HolderType = Holder;
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

// Fills the document fields of `rows`, in table order, each from the one of `holders` its getter
// belongs to (the holders are of distinct types).
template <class D, class... Rows, class... Holders>
void copyFromHolders(D& doc, const std::tuple<Rows...>& rows, const Holders&... holders) {
    const auto from = std::tie(holders...);
    std::apply(
        [&](const Rows&... row) { (row.copy(std::get<const typename Rows::HolderType&>(from), doc), ...); },
        rows);
}

// A document field stored as a plain number that a holder getter fills and whose unit record
// field holds the same number as an enumeration. No range check either way: the document's
// record check does that.
template <class Doc, class Holder, class Record, class E>
struct HeldRecorded {
    using HolderType = Holder;
    using RecordType = Record;
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

// Walks the rows of `rows` that belong to `Record`: a document's table may list the fields of
// several unit records.
template <class Record, class... Rows, class Visit>
void forRecordRows(const std::tuple<Rows...>& rows, Visit visit) {
    const auto one = [&](const auto& row) {
        if constexpr (std::is_same_v<typename std::decay_t<decltype(row)>::RecordType, Record>) visit(row);
    };
    std::apply([&](const Rows&... row) { (one(row), ...); }, rows);
}

template <class Record, class D, class... Rows>
void toRecord(const D& doc, Record& record, const std::tuple<Rows...>& rows) {
    forRecordRows<Record>(rows, [&](const auto& row) { row.toRecord(doc, record); });
}

template <class Record, class D, class... Rows>
void fromRecord(const Record& record, D& doc, const std::tuple<Rows...>& rows) {
    forRecordRows<Record>(rows, [&](const auto& row) { row.fromRecord(record, doc); });
}

}  // namespace Tormel::Gui::FieldRows
