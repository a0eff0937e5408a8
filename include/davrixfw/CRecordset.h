// CRecordset: a result set over one table or view, exchanged with member variables.
//
// Open selects the columns that DoFieldExchange names from the table or view that
// GetDefaultSQL names (or runs the full SELECT given), WHERE m_strFilter, ORDER BY
// m_strSort, and stands on the first row. Rows are fetched as the caller moves and kept
// for moving back, so opening costs the same whatever the size of the result.
//
// Identifiers in square brackets ("[NID]", "[OWNER].[TABLE]") reach the database in the
// driver's own identifier quote; brackets inside string literals are left alone.
//
// Writes: AddNew or Edit, change members, Update. Update names the dirty fields only and
// addresses the row by the table's primary key; it returns non-zero when one row was
// written and 0 when nothing was dirty, and raises CDBException when the change would
// touch no row or the database refuses it. A write reported done is committed at once.
//
// Field states during AddNew/Edit: a member whose value changes becomes dirty and not
// null; SetFieldDirty and SetFieldNull override that (SetFieldNull(TRUE) also marks the
// field dirty). After AddNew every field is null until it is set or marked dirty; a dirty
// field is written as NULL only when it is null.
#ifndef DAVRIXFW_CRECORDSET_H
#define DAVRIXFW_CRECORDSET_H

#include "CDatabase.h"
#include "CFieldExchange.h"
#include <memory>

#define AFX_DB_USE_DEFAULT_TYPE (0xFFFFFFFF)

class CRecordset : public CObject {
    DECLARE_DYNAMIC(CRecordset)
public:
    enum OpenType { dynaset = 0, snapshot = 1, forwardOnly = 2, dynamic = 3 };
    enum OpenOptions {
        none = 0x0000,
        readOnly = 0x0004,
        appendOnly = 0x0008,
        skipDeletedRecords = 0x0010,
        noDirtyFieldCheck = 0x0020,
        executeDirect = 0x2000,
    };
    enum EditMode { noMode = 0, edit = 1, addnew = 2 };

    // A null connection: Open makes one of the set's own from GetDefaultConnect, Close drops it.
    explicit CRecordset(CDatabase* pDatabase = nullptr);
    ~CRecordset() override;
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Non-zero when open; 0 when no connection could be made without an error; raises
    // CDBException on a database error, the set then closed.
    virtual BOOL Open(UINT nOpenType = AFX_DB_USE_DEFAULT_TYPE, LPCSTR lpszSQL = nullptr, DWORD dwOptions = none);
    // Frees the statement, ends a pending AddNew or Edit, drops a connection of the set's own.
    virtual void Close();
    virtual void Move(long nRows, WORD wFetchType = SQL_FETCH_RELATIVE);
    virtual void SetRowsetSize(DWORD dwNewRowsetSize);
    virtual void CheckRowsetError(SQLRETURN nRetCode);
    virtual void AddNew();
    virtual void Edit();
    virtual BOOL Update();
    virtual void Delete();
    virtual BOOL Requery();
    virtual CString GetDefaultConnect();
    virtual CString GetDefaultSQL();
    virtual void OnSetOptions(SQLHSTMT hstmt);
    virtual void DoFieldExchange(CFieldExchange* pFX);
    virtual void DoBulkFieldExchange(CFieldExchange* pFX);
    virtual BOOL Check(SQLRETURN nRetCode) const;
    virtual void SetRowsetCurrencyStatus(SQLRETURN nRetCode, UINT wFetchType, long nRows, DWORD dwRowsFetched);
    virtual void PreBindFields();
    virtual void ThrowDBException(SQLRETURN nRetCode, SQLHSTMT hstmt = SQL_NULL_HSTMT);
    virtual int GetLBFetchSize();
    virtual long GetLBReallocSize();

    BOOL IsOpen() const;
    BOOL IsBOF() const;
    BOOL IsEOF() const;
    BOOL IsDeleted() const;
    // The count of records seen so far (a high-water mark of the rows visited).
    long GetRecordCount() const;
    void MoveNext() { Move(1, SQL_FETCH_NEXT); }
    void MovePrev() { Move(-1, SQL_FETCH_PRIOR); }
    void MoveFirst() { Move(0, SQL_FETCH_FIRST); }
    void MoveLast() { Move(0, SQL_FETCH_LAST); }
    void CancelUpdate();
    BOOL CanUpdate() const;

    // pv is a bound member, or null for every field.
    void SetFieldNull(void* pv, BOOL bNull = TRUE);
    void SetFieldDirty(void* pv, BOOL bDirty = TRUE);
    BOOL IsFieldNull(void* pv);
    BOOL IsFieldDirty(void* pv);
    // The SELECT last executed, as the database received it.
    CString GetSQL() const;
    CString GetTableName() const;

    CString m_strFilter;
    CString m_strSort;
    UINT m_nFields;
    UINT m_nParams;
    UINT m_nDefaultType;
    int m_nEditMode;
    CDatabase* m_pDatabase;
    SQLHSTMT m_hstmt;

    // Used by the RFX_ calls while DoFieldExchange describes the columns.
    enum FieldKind { kLong, kText, kDouble, kTimestamp, kTime };
    void AddField(FieldKind kind, LPCSTR szName, void* pv, int nMaxLength);

private:
    friend class CDatabase;
    // True while the result has rows not fetched yet.
    bool HasPendingResult() const;
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#endif
