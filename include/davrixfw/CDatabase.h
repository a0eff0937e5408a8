// CDatabase: one ODBC connection. All connections share one process-wide ODBC 3
// environment, created once on first use (thread-safe).
//
// Traps worth knowing:
// - The connection never prompts: a connection string that names no reachable data
//   source fails at once with a CDBException (login timeout 15 s by default).
// - useCursorLib is accepted and ignored: unixODBC's cursor library returns wrong rows
//   when scrolling and crashes in SQLGetData with these drivers. Record sets keep the
//   rows they have fetched themselves, so they scroll without it.
// - With pooling on in the configuration ([ODBC] Pooling=Yes), Close() parks the physical
//   connection with its prepared statements and the next OpenEx with the same string takes
//   it back. It goes back with the session settings this layer found (autocommit on,
//   read-write); session state the application changed itself (temporary tables, a
//   transaction it left open) travels with it, as with any connection pool.
// - Waits for locks are bounded by the data source's settings (SQLite's busy Timeout, a
//   lock_timeout on PostgreSQL), not by a per-statement query timeout.
#ifndef DAVRIXFW_CDATABASE_H
#define DAVRIXFW_CDATABASE_H

#include "CObject.h"
#include "CString.h"
#include "CDBException.h"
#include <memory>
#include <string>

class CRecordset;

class CDatabase : public CObject {
    DECLARE_DYNAMIC(CDatabase)
public:
    enum DbOpenOptions {
        openExclusive = 0x0001,
        openReadOnly = 0x0002,
        useCursorLib = 0x0004,
        noOdbcDialog = 0x0008,
        forceOdbcDialog = 0x0010,
    };

    CDatabase();
    ~CDatabase() override;   // closes the connection (and the record sets on it)
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connects with an ODBC connection string; a leading "ODBC;" is dropped. Non-zero when
    // connected; raises CDBException when the driver manager or driver refuses.
    virtual BOOL OpenEx(LPCSTR lpszConnectString, DWORD dwOptions = 0);
    virtual BOOL Open(LPCSTR lpszDSN, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE,
                      LPCSTR lpszConnect = "ODBC;", BOOL bUseCursorLib = TRUE);
    // Closes every record set on the connection, then disconnects. Safe when not open.
    virtual void Close();
    BOOL IsOpen() const { return m_hdbc != SQL_NULL_HDBC; }

    // Executes one statement directly; result rows are discarded. Raises CDBException.
    void ExecuteSQL(LPCSTR lpszSQL);

    // "ODBC;" followed by the connection string in use.
    CString GetConnect() const;
    void SetLoginTimeout(DWORD dwSeconds) { m_dwLoginTimeout = dwSeconds; }
    // 0 (the default) leaves statements to the driver's and the data source's limits:
    // psqlODBC spends two round trips per statement on a query timeout.
    void SetQueryTimeout(DWORD dwSeconds) { m_dwQueryTimeout = dwSeconds; }
    DWORD GetQueryTimeout() const { return m_dwQueryTimeout; }

    // The driver's identifier quote (SQL_IDENTIFIER_QUOTE_CHAR), '"' when it reports none;
    // '[' on SQLite, which takes an unknown double-quoted name for a string literal.
    char GetIdentifierQuoteChar() const;
    // The driver's library file name (SQL_DRIVER_NAME).
    CString GetDriverName() const;

    // A statement of this connection prepared with sql (UTF-8), reused by text: nobody else
    // holds it until it is given back. Raises CDBException.
    SQLHSTMT TakeStatement(const std::string& sql);
    // Gives a taken statement back; bKeep false (after an error, or a query not read to
    // its end) frees it instead.
    void GiveStatement(SQLHSTMT hstmt, bool bKeep);
    // The same for writes: while a record set on this connection still has rows to fetch,
    // writes go to a second connection of the same data source, so that they commit at
    // once without ending the pending results (PostgreSQL would otherwise copy out a
    // pending cursor's whole remaining result at that commit).
    SQLHSTMT TakeWriteStatement(const std::string& sql, SQLHDBC* phdbc);
    // The connection such writes (and catalog queries) go to.
    SQLHDBC WriteConnection();
    void GiveWriteStatement(SQLHSTMT hstmt, bool bKeep);

    // The process-wide environment handle (created on first call).
    static SQLHENV GetEnvironment();

    SQLHDBC m_hdbc;

private:
    friend class CRecordset;
    void AddRecordset(CRecordset* prs);
    void RemoveRecordset(CRecordset* prs);
    // A record set that made this connection for itself lets it go: deleted at once, or
    // at the end of a Close() that is closing that record set.
    void ReleaseOwned();

    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    DWORD m_dwLoginTimeout;
    DWORD m_dwQueryTimeout;
};

// Fault injection for tests: after nSkip more successful connects, the next OpenEx is
// declined as a connect dialog cancelled by the user would be (FALSE, no exception).
// -1 turns it off.
void AfxInjectDeclinedConnect(int nSkip);

#endif
