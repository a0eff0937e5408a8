// A small table of the tests' own ("T_ITEM" and friends) and a record set over it, for
// exercising the record-set layer apart from the product tables.
#ifndef DAVRIX_TESTSUPPORT_ITEMTABLE_H
#define DAVRIX_TESTSUPPORT_ITEMTABLE_H

#include "TestOdbc.h"

#include <davrixfw/CRecordset.h>

namespace davrix {
namespace test {

// Creates (dropping first) a table NAME with a database-numbered key ID, NAME text(16),
// QTY integer, PRICE double and STAMP timestamp, upper-case names quoted on PostgreSQL.
inline void CreateItemTable(RawConnection& raw, Backend b, const std::string& name) {
    raw.Exec("DROP TABLE IF EXISTS \"" + name + "\"");
    if (b == Backend::SQLite)
        raw.Exec("CREATE TABLE \"" + name +
                 "\" (\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT, \"NAME\" VARCHAR(16), \"QTY\" INTEGER,"
                 " \"PRICE\" DOUBLE PRECISION, \"STAMP\" TIMESTAMP)");
    else
        raw.Exec("CREATE TABLE \"" + name +
                 "\" (\"ID\" SERIAL PRIMARY KEY, \"NAME\" VARCHAR(16), \"QTY\" INTEGER,"
                 " \"PRICE\" DOUBLE PRECISION, \"STAMP\" TIMESTAMP(3))");
}

// Inserts rows (name, qty) in order; NAME NULL when the text is "<NULL>".
inline void InsertItems(RawConnection& raw, const std::string& table,
                        const std::vector<std::pair<std::string, int>>& rows) {
    for (const auto& r : rows) {
        std::string nameSql = r.first == "<NULL>" ? "NULL" : "'" + r.first + "'";
        raw.Exec("INSERT INTO \"" + table + "\" (\"NAME\", \"QTY\", \"PRICE\") VALUES (" + nameSql + ", " +
                 std::to_string(r.second) + ", " + std::to_string(r.second) + ".5)");
    }
}

// A record set over an item table, connecting with its own connection string.
class CItemSet : public CRecordset {
public:
    CItemSet(CDatabase* pDatabase, const std::string& table, const std::string& dsn)
        : CRecordset(pDatabase), m_table(table.c_str()), m_connect(("ODBC;DSN=" + dsn).c_str()) {
        m_nFields = 5;
        m_nDefaultType = snapshot;
    }
    ~CItemSet() override { Close(); }
    CString GetDefaultConnect() override { return m_connect; }
    CString GetDefaultSQL() override { return m_table; }
    void DoFieldExchange(CFieldExchange* pFX) override {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        RFX_Long(pFX, "[ID]", m_ID);
        RFX_Text(pFX, "[NAME]", m_NAME, m_nNameWidth);
        RFX_Long(pFX, "[QTY]", m_QTY);
        RFX_Double(pFX, "[PRICE]", m_PRICE);
        RFX_Date(pFX, "[STAMP]", m_STAMP);
    }

    LONG m_ID = 0;
    CString m_NAME;
    LONG m_QTY = 0;
    double m_PRICE = 0.0;
    TIMESTAMP_STRUCT m_STAMP{};
    int m_nNameWidth = 16;
    CString m_table;
    CString m_connect;
};

}  // namespace test
}  // namespace davrix

#endif
