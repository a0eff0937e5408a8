// ColumnTable: the one statement of a record class's columns, in exchange order. Field
// exchange, the copies between bound members and the value mirror, the null and dirty
// marks before a write and the initial values all follow from it, so a column is named
// in exactly one place. View records use it without mirror members. Internal to the module.
#ifndef DAVRIXDB_TABLES_COLUMNTABLE_H
#define DAVRIXDB_TABLES_COLUMNTABLE_H

#include <davrixdb/tables/TableRecord.h>
#include <davrixfw/CFieldExchange.h>
#include <davrixfw/CRecordset.h>

#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

namespace davrix {

template <class T>
class ColumnTable {
public:
    // A bound member, its mirror member (null in views) and the value both start with.
    template <class V>
    struct Members {
        V T::*bound;
        V T::*mirror;
        V initial;
        bool initialized;  // false: construction leaves the member as its type makes it
    };
    using AnyMembers = std::variant<Members<LONG>, Members<CString>, Members<double>, Members<TIMESTAMP_STRUCT>,
                                    Members<CTime>>;

    struct Column {
        const char* name;  // with its brackets, as exchanged: "[NID]"
        AnyMembers members;
        int maxLength;      // texts: bytes of the code page the binding admits
        bool nullableText;  // texts: an empty text is written as NULL
        bool key;           // numbered by the database, never written by the module
    };

    // Column kinds, with and without a mirror member.
    static Column Key(const char* name, LONG T::*bound, LONG T::*mirror) {
        return {name, Members<LONG>{bound, mirror, 0, true}, 0, false, true};
    }
    static Column Long(const char* name, LONG T::*bound, LONG T::*mirror = nullptr) {
        return {name, Members<LONG>{bound, mirror, 0, true}, 0, false, false};
    }
    static Column Text(const char* name, CString T::*bound, CString T::*mirror, int maxLength) {
        return {name, Members<CString>{bound, mirror, CString(), true}, maxLength, true, false};
    }
    static Column Text(const char* name, CString T::*bound, int maxLength) {
        return Text(name, bound, nullptr, maxLength);
    }
    static Column Double(const char* name, double T::*bound, double T::*mirror, double initial = 0.0) {
        return {name, Members<double>{bound, mirror, initial, true}, 0, false, false};
    }
    static Column Double(const char* name, double T::*bound, double initial = 0.0) {
        return Double(name, bound, nullptr, initial);
    }
    static Column Date(const char* name, TIMESTAMP_STRUCT T::*bound, TIMESTAMP_STRUCT T::*mirror = nullptr) {
        return {name, Members<TIMESTAMP_STRUCT>{bound, mirror, g_tsInitDate, true}, 0, false, false};
    }
    // A date exchanged as a time value; its member keeps what CTime's constructor gave it.
    static Column Time(const char* name, CTime T::*bound) {
        return {name, Members<CTime>{bound, nullptr, CTime(), false}, 0, false, false};
    }

    ColumnTable(std::initializer_list<Column> columns) : m_columns(columns) {}
    explicit ColumnTable(std::vector<Column> columns) : m_columns(std::move(columns)) {}

    UINT Count() const { return (UINT)m_columns.size(); }

    // Every bound and mirror member to its initial value.
    void Initialize(T& record) const {
        for (const Column& c : m_columns)
            std::visit(
                [&record](const auto& m) {
                    if (!m.initialized) return;
                    record.*m.bound = m.initial;
                    if (m.mirror) record.*m.mirror = m.initial;
                },
                c.members);
    }

    // Output columns, one exchange call per column in table order.
    void Exchange(T& record, CFieldExchange* pFX) const {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        for (const Column& c : m_columns)
            std::visit([&](const auto& m) { Rfx(pFX, c, record.*m.bound); }, c.members);
    }

    // Bound members into the mirror (after a fetch).
    void ToMirror(T& record) const {
        for (const Column& c : m_columns)
            std::visit(
                [&record](const auto& m) {
                    if (m.mirror) record.*m.mirror = record.*m.bound;
                },
                c.members);
    }

    // Mirror into the bound members (just before a write).
    void FromMirror(T& record) const {
        for (const Column& c : m_columns)
            std::visit(
                [&record](const auto& m) {
                    if (m.mirror) record.*m.bound = record.*m.mirror;
                },
                c.members);
    }

    // Marks for the Update that follows: the key null unless an existing row is being
    // edited (so an insert leaves it to the database), empty texts null, every column but
    // the key dirty, so the whole row is written and the key never is.
    void SetAllFieldNull(T& record) const {
        LONG* key = nullptr;
        for (const Column& c : m_columns)
            if (c.key) key = &(record.*std::get<Members<LONG>>(c.members).bound);
        if (key && record.m_nEditMode != CRecordset::edit) record.SetFieldNull(key, TRUE);
        for (const Column& c : m_columns) {
            if (!c.nullableText) continue;
            CString& text = record.*std::get<Members<CString>>(c.members).bound;
            record.SetFieldNull(&text, text.IsEmpty() ? TRUE : FALSE);
        }
        record.SetFieldDirty(nullptr, TRUE);
        if (key) record.SetFieldDirty(key, FALSE);
    }

private:
    static void Rfx(CFieldExchange* pFX, const Column& c, LONG& v) { RFX_Long(pFX, c.name, v); }
    static void Rfx(CFieldExchange* pFX, const Column& c, CString& v) {
        RFX_Text(pFX, c.name, v, c.maxLength, SQL_VARCHAR, 0);
    }
    static void Rfx(CFieldExchange* pFX, const Column& c, double& v) { RFX_Double(pFX, c.name, v); }
    static void Rfx(CFieldExchange* pFX, const Column& c, TIMESTAMP_STRUCT& v) { RFX_Date(pFX, c.name, v); }
    static void Rfx(CFieldExchange* pFX, const Column& c, CTime& v) { RFX_Date(pFX, c.name, v); }

    std::vector<Column> m_columns;
};

}  // namespace davrix

#endif
