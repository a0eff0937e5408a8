#include <davrixfw/CRecordset.h>

#include "SqlBuilder.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CRecordset, CObject)

namespace {

using davrix::text::FromUtf8;
using davrix::text::ToUtf8;

// One column value, as fetched or as read from a member.
struct Value {
    bool isNull = true;
    LONG l = 0;
    double d = 0.0;
    TIMESTAMP_STRUCT ts{};
    int32_t t = 0;
    std::string text;  // application code page
};

struct Field {
    CRecordset::FieldKind kind;
    std::string name;  // as the field exchange gave it, e.g. "[NID]"
    void* pv;
    int maxLen;
    bool null = true;      // status of the current row
    int forcedNull = -1;   // SetFieldNull during AddNew/Edit: -1 none, 0, 1
    int forcedDirty = -1;  // SetFieldDirty during AddNew/Edit
    // Fetch buffers bound with SQLBindCol.
    std::vector<char> textBuf;
    SQLLEN ind = 0;
    LONG l = 0;
    double d = 0.0;
    TIMESTAMP_STRUCT ts{};
};

// A fetched row, kept for moving back. Its values are packed into one block, in field
// order: a null flag, then the value (a text as its length and code-page bytes), so a row
// costs one allocation however many columns it has.
struct Row {
    std::string blob;
    bool deleted = false;
};

template <class T>
void PutRaw(std::string& blob, const T& v) {
    blob.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <class T>
T GetRaw(const char*& p) {
    T v;
    memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

void PutText(std::string& blob, const char* text, size_t n) {
    PutRaw(blob, (uint32_t)n);
    blob.append(text, n);
}

void PutValue(std::string& blob, CRecordset::FieldKind kind, const Value& v) {
    blob += v.isNull ? '\1' : '\0';
    if (v.isNull) return;
    switch (kind) {
        case CRecordset::kLong: PutRaw(blob, v.l); break;
        case CRecordset::kDouble: PutRaw(blob, v.d); break;
        case CRecordset::kTimestamp: PutRaw(blob, v.ts); break;
        case CRecordset::kTime: PutRaw(blob, v.t); break;
        case CRecordset::kText: PutText(blob, v.text.data(), v.text.size()); break;
    }
}

// Reads one packed value; p moves past it.
Value GetValue(const char*& p, CRecordset::FieldKind kind) {
    Value v;
    v.isNull = *p++ != 0;
    if (v.isNull) return v;
    switch (kind) {
        case CRecordset::kLong: v.l = GetRaw<LONG>(p); break;
        case CRecordset::kDouble: v.d = GetRaw<double>(p); break;
        case CRecordset::kTimestamp: v.ts = GetRaw<TIMESTAMP_STRUCT>(p); break;
        case CRecordset::kTime: v.t = GetRaw<int32_t>(p); break;
        case CRecordset::kText: {
            uint32_t n = GetRaw<uint32_t>(p);
            v.text.assign(p, n);
            p += n;
            break;
        }
    }
    return v;
}

bool SameTimestamp(const TIMESTAMP_STRUCT& a, const TIMESTAMP_STRUCT& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.fraction == b.fraction;
}

bool SameValue(CRecordset::FieldKind kind, const Value& a, const Value& b) {
    switch (kind) {
        case CRecordset::kLong: return a.l == b.l;
        case CRecordset::kDouble: return a.d == b.d || (a.d != a.d && b.d != b.d);
        case CRecordset::kText: return a.text == b.text;
        case CRecordset::kTimestamp: return SameTimestamp(a.ts, b.ts);
        case CRecordset::kTime: return a.t == b.t;
    }
    return false;
}

Value ReadMember(const Field& f) {
    Value v;
    v.isNull = false;
    switch (f.kind) {
        case CRecordset::kLong: v.l = *static_cast<LONG*>(f.pv); break;
        case CRecordset::kDouble: v.d = *static_cast<double*>(f.pv); break;
        case CRecordset::kText: {
            const CString& s = *static_cast<CString*>(f.pv);
            v.text.assign(s.GetString(), s.GetLength());
            break;
        }
        case CRecordset::kTimestamp: v.ts = *static_cast<TIMESTAMP_STRUCT*>(f.pv); break;
        case CRecordset::kTime: v.t = static_cast<CTime*>(f.pv)->GetTime(); break;
    }
    return v;
}

// A null value leaves the member at its kind's empty value (0, "", all-zero timestamp).
void WriteMember(const Field& f, const Value& v) {
    switch (f.kind) {
        case CRecordset::kLong: *static_cast<LONG*>(f.pv) = v.isNull ? 0 : v.l; break;
        case CRecordset::kDouble: *static_cast<double*>(f.pv) = v.isNull ? 0.0 : v.d; break;
        case CRecordset::kText:
            if (v.isNull)
                static_cast<CString*>(f.pv)->Empty();
            else
                *static_cast<CString*>(f.pv) = CString(v.text.data(), (int)v.text.size());
            break;
        case CRecordset::kTimestamp: *static_cast<TIMESTAMP_STRUCT*>(f.pv) = v.isNull ? TIMESTAMP_STRUCT{} : v.ts; break;
        case CRecordset::kTime: *static_cast<CTime*>(f.pv) = CTime(v.isNull ? 0 : v.t); break;
    }
}

// Primary keys per connection string and table: a catalog query is costly and keys do
// not change while the process runs.
std::mutex g_keyMutex;
std::map<std::string, std::vector<std::string>> g_keyCache;

// Owns a statement handle for one write; frees it on every path.
struct Statement {
    SQLHSTMT h = SQL_NULL_HSTMT;
    ~Statement() {
        if (h != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

[[noreturn]] void ThrowFrom(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h) { AfxThrowDBException(rc, type, h); }

struct Param;

}  // namespace

struct CRecordset::Impl {
    std::vector<Field> fields;
    bool described = false;
    std::vector<Row> rows;
    long cur = -1;
    bool bof = true;
    bool eof = true;
    bool allFetched = true;
    bool open = false;
    long seen = 0;
    bool ownDb = false;
    bool fromStatement = false;
    CString source;        // table or view name, or the statement
    std::string selectSql; // UTF-8, as sent
    char quote = '"';
    std::vector<Value> before;    // members before AddNew/Edit
    std::vector<Value> snapshot;  // members right after AddNew/Edit
    std::vector<size_t> keys;
    bool keysKnown = false;
    bool stmtHealthy = false;  // the SELECT's statement may be reused when the set closes
    davrix::sql::FilterParam filterParam;  // a key filter's literal, bound while the SELECT runs
    SQLLEN filterParamInd = 0;

    // Raises unless the set is open on a table (a statement's rows cannot be written).
    void CheckWritable() const;
    // The row the set stands on; raises when there is none or it was deleted.
    Row& CurrentRow(const char* what);
    // Key columns and values that address the row; raises when the table has no primary
    // key among the bound fields or the row's key is NULL.
    void AddressRow(CDatabase* db, const Row& row, std::vector<std::string>& keyColumns, std::vector<Param>& params);
};

CRecordset::CRecordset(CDatabase* pDatabase)
    : m_nFields(0),
      m_nParams(0),
      m_nDefaultType(snapshot),
      m_nEditMode(noMode),
      m_pDatabase(pDatabase),
      m_hstmt(SQL_NULL_HSTMT),
      m_pImpl(new Impl) {}

CRecordset::~CRecordset() { CRecordset::Close(); }

void CRecordset::AddField(FieldKind kind, LPCSTR szName, void* pv, int nMaxLength) {
    Field f;
    f.kind = kind;
    f.name = szName ? szName : "";
    f.pv = pv;
    f.maxLen = nMaxLength > 0 ? nMaxLength : 255;
    m_pImpl->fields.push_back(std::move(f));
}

BOOL CRecordset::IsOpen() const { return m_pImpl->open; }
bool CRecordset::HasPendingResult() const { return m_pImpl->open && !m_pImpl->allFetched; }
BOOL CRecordset::IsBOF() const { return m_pImpl->bof; }
BOOL CRecordset::IsEOF() const { return m_pImpl->eof; }
long CRecordset::GetRecordCount() const { return m_pImpl->seen; }
BOOL CRecordset::CanUpdate() const { return m_pImpl->open && !m_pImpl->fromStatement; }
CString CRecordset::GetTableName() const { return m_pImpl->fromStatement ? CString() : m_pImpl->source; }

BOOL CRecordset::IsDeleted() const {
    const Impl& d = *m_pImpl;
    return d.open && d.cur >= 0 && d.cur < (long)d.rows.size() && d.rows[d.cur].deleted;
}

CString CRecordset::GetSQL() const {
    std::string acp;
    FromUtf8(m_pImpl->selectSql.data(), m_pImpl->selectSql.size(), acp);
    return CString(acp.data(), (int)acp.size());
}

CString CRecordset::GetDefaultConnect() { return CString("ODBC;"); }
CString CRecordset::GetDefaultSQL() { return CString(); }
void CRecordset::DoFieldExchange(CFieldExchange*) {}
void CRecordset::DoBulkFieldExchange(CFieldExchange*) {}
void CRecordset::SetRowsetSize(DWORD) {}
void CRecordset::CheckRowsetError(SQLRETURN nRetCode) {
    if (!Check(nRetCode)) ThrowDBException(nRetCode, m_hstmt);
}
BOOL CRecordset::Check(SQLRETURN nRetCode) const { return SQL_SUCCEEDED(nRetCode) || nRetCode == SQL_NO_DATA; }
void CRecordset::SetRowsetCurrencyStatus(SQLRETURN, UINT, long, DWORD) {}
void CRecordset::PreBindFields() {}
int CRecordset::GetLBFetchSize() { return 0x7fff; }
long CRecordset::GetLBReallocSize() { return 0x7fff; }

void CRecordset::OnSetOptions(SQLHSTMT hstmt) {
    if (m_pDatabase && m_pDatabase->GetQueryTimeout())
        SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, (SQLPOINTER)(uintptr_t)m_pDatabase->GetQueryTimeout(), 0);
}

void CRecordset::ThrowDBException(SQLRETURN nRetCode, SQLHSTMT hstmt) {
    if (hstmt != SQL_NULL_HSTMT) ThrowFrom(nRetCode, SQL_HANDLE_STMT, hstmt);
    if (m_pDatabase && m_pDatabase->m_hdbc) ThrowFrom(nRetCode, SQL_HANDLE_DBC, m_pDatabase->m_hdbc);
    ThrowFrom(nRetCode, SQL_HANDLE_STMT, SQL_NULL_HANDLE);
}

// Opens the set and stands on the first row. Returns FALSE when the connection was
// declined without an error; raises CDBException (the set closed) on a database error.
BOOL CRecordset::Open(UINT nOpenType, LPCSTR lpszSQL, DWORD dwOptions) {
    Close();
    Impl& d = *m_pImpl;
    try {
        if (m_pDatabase == nullptr) {
            m_pDatabase = new CDatabase;
            d.ownDb = true;
        }
        if (!m_pDatabase->IsOpen()) {
            CString connect = GetDefaultConnect();
            if (!m_pDatabase->OpenEx(connect, CDatabase::noOdbcDialog)) {
                Close();
                return FALSE;
            }
        }
        m_pDatabase->AddRecordset(this);
        if (!d.described) {
            d.fields.clear();
            CFieldExchange fx(this, CFieldExchange::Describe);
            DoFieldExchange(&fx);
            d.described = true;
            d.keysKnown = false;
        }
        d.source = lpszSQL ? CString(lpszSQL) : GetDefaultSQL();
        std::string sourceUtf8;
        if (!ToUtf8(d.source, d.source.GetLength(), sourceUtf8))
            AfxThrowDBException("22018", "the table name or statement is not valid text in the code page");
        d.fromStatement = davrix::sql::IsStatement(sourceUtf8);
        d.quote = m_pDatabase->GetIdentifierQuoteChar();
        d.open = true;
        Requery();
        return TRUE;
    } catch (CException*) {
        Close();
        throw;
    }
}

// Runs the SELECT again with the current filter and sort and stands on the first row.
BOOL CRecordset::Requery() {
    Impl& d = *m_pImpl;
    if (!d.open) AfxThrowDBException("HY010", "the record set is not open");
    if (m_nEditMode != noMode) CancelUpdate();
    if (m_hstmt != SQL_NULL_HSTMT) {
        m_pDatabase->GiveStatement(m_hstmt, d.stmtHealthy && d.allFetched);
        m_hstmt = SQL_NULL_HSTMT;
    }
    d.rows.clear();
    d.cur = -1;
    d.bof = d.eof = true;
    d.allFetched = true;
    d.seen = 0;

    std::vector<std::string> columns;
    std::string filter, sort, source, part;
    for (const Field& f : d.fields) {
        if (!ToUtf8(f.name.data(), f.name.size(), part))
            AfxThrowDBException("22018", "a column name is not valid text in the code page");
        columns.push_back(part);
    }
    if (!ToUtf8(d.source, d.source.GetLength(), source) || !ToUtf8(m_strFilter, m_strFilter.GetLength(), filter) ||
        !ToUtf8(m_strSort, m_strSort.GetLength(), sort))
        AfxThrowDBException("22018", "the filter or sort is not valid text in the code page");
    std::string keyFilter;
    bool parameterized = davrix::sql::ParameterizeKeyFilter(filter, &keyFilter, &d.filterParam);
    d.selectSql = davrix::sql::BuildSelect(columns, source, parameterized ? keyFilter : filter, sort, d.quote);

    d.stmtHealthy = false;
    m_hstmt = m_pDatabase->TakeStatement(d.selectSql);
    OnSetOptions(m_hstmt);
    SQLRETURN rc = SQL_SUCCESS;
    if (parameterized) {
        davrix::sql::FilterParam& p = d.filterParam;
        d.filterParamInd = p.isText ? (SQLLEN)p.text.size() : 0;
        rc = p.isText ? SQLBindParameter(m_hstmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                         p.text.empty() ? 1 : (SQLULEN)p.text.size(), 0, (SQLPOINTER)p.text.data(),
                                         (SQLLEN)p.text.size(), &d.filterParamInd)
                      : SQLBindParameter(m_hstmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &p.number, 0,
                                         &d.filterParamInd);
        if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc, m_hstmt);
    }
    rc = SQLExecute(m_hstmt);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) ThrowDBException(rc, m_hstmt);

    PreBindFields();
    for (size_t i = 0; i < d.fields.size(); ++i) {
        Field& f = d.fields[i];
        SQLUSMALLINT col = (SQLUSMALLINT)(i + 1);
        switch (f.kind) {
            case kLong: rc = SQLBindCol(m_hstmt, col, SQL_C_SLONG, &f.l, 0, &f.ind); break;
            case kDouble: rc = SQLBindCol(m_hstmt, col, SQL_C_DOUBLE, &f.d, 0, &f.ind); break;
            case kTimestamp:
            case kTime: rc = SQLBindCol(m_hstmt, col, SQL_C_TYPE_TIMESTAMP, &f.ts, sizeof f.ts, &f.ind); break;
            case kText:
                // Enough UTF-8 for maxLen code-page bytes: a character never takes more
                // than 4 bytes there and at least 1 here.
                f.textBuf.assign((size_t)f.maxLen * 4 + 8, '\0');
                rc = SQLBindCol(m_hstmt, col, SQL_C_CHAR, f.textBuf.data(), (SQLLEN)f.textBuf.size(), &f.ind);
                break;
        }
        if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc, m_hstmt);
    }
    d.allFetched = false;
    MoveFirst();
    return TRUE;
}

namespace {

std::vector<Value> Unpack(const Row& row, const std::vector<Field>& fields) {
    std::vector<Value> values;
    values.reserve(fields.size());
    const char* p = row.blob.data();
    for (const Field& f : fields) values.push_back(GetValue(p, f.kind));
    return values;
}

void Pack(Row& row, const std::vector<Value>& values, const std::vector<Field>& fields) {
    row.blob.clear();
    for (size_t i = 0; i < fields.size(); ++i) PutValue(row.blob, fields[i].kind, values[i]);
}

// The row into the bound members and their null flags. Texts reuse their members' storage.
void LoadRow(const Row& row, std::vector<Field>& fields) {
    const char* p = row.blob.data();
    for (Field& f : fields) {
        f.null = *p != 0;
        if (f.kind != CRecordset::kText || f.null) {
            WriteMember(f, GetValue(p, f.kind));
            continue;
        }
        ++p;
        uint32_t n = GetRaw<uint32_t>(p);
        CString& text = *static_cast<CString*>(f.pv);
        char* buf = text.GetBuffer((int)n);
        memcpy(buf, p, n);
        text.ReleaseBuffer((int)n);
        p += n;
    }
}

// Fetches the next row into the cache; false at the end of the result.
bool FetchRow(CRecordset* prs, SQLHSTMT hstmt, std::vector<Field>& fields, std::vector<Row>& rows, bool& allFetched) {
    if (allFetched) return false;
    SQLRETURN rc = SQLFetch(hstmt);
    if (rc == SQL_NO_DATA) {
        allFetched = true;
        return false;
    }
    if (!SQL_SUCCEEDED(rc)) prs->ThrowDBException(rc, hstmt);
    Row row;
    static thread_local std::string text;
    for (Field& f : fields) {
        bool isNull = f.ind == SQL_NULL_DATA;
        row.blob += isNull ? '\1' : '\0';
        if (isNull) continue;
        switch (f.kind) {
            case CRecordset::kLong: PutRaw(row.blob, f.l); break;
            case CRecordset::kDouble: PutRaw(row.blob, f.d); break;
            case CRecordset::kTimestamp: PutRaw(row.blob, f.ts); break;
            case CRecordset::kTime: PutRaw(row.blob, CTime(f.ts).GetTime()); break;
            case CRecordset::kText: {
                size_t cap = f.textBuf.size() - 1;
                size_t len = (f.ind == SQL_NO_TOTAL || f.ind < 0 || (size_t)f.ind > cap) ? cap : (size_t)f.ind;
                len = strnlen(f.textBuf.data(), len);
                FromUtf8(f.textBuf.data(), len, text, (size_t)f.maxLen);
                PutText(row.blob, text.data(), text.size());
                break;
            }
        }
    }
    rows.push_back(std::move(row));
    return true;
}

}  // namespace

void CRecordset::Move(long nRows, WORD wFetchType) {
    Impl& d = *m_pImpl;
    if (!d.open) AfxThrowDBException("HY010", "the record set is not open");
    if (m_nEditMode != noMode) CancelUpdate();
    d.stmtHealthy = false;  // until the fetches below have succeeded
    long target;
    switch (wFetchType) {
        case SQL_FETCH_NEXT:
            if (d.eof) AfxThrowDBException("HY109", "attempt to scroll past the end of the data");
            target = d.cur + 1;
            break;
        case SQL_FETCH_PRIOR:
            if (d.bof) AfxThrowDBException("HY109", "attempt to scroll before the beginning of the data");
            target = d.cur - 1;
            break;
        case SQL_FETCH_FIRST: target = 0; break;
        case SQL_FETCH_LAST:
            while (FetchRow(this, m_hstmt, d.fields, d.rows, d.allFetched)) {
            }
            target = (long)d.rows.size() - 1;
            break;
        case SQL_FETCH_ABSOLUTE:
            if (nRows < 0) {
                while (FetchRow(this, m_hstmt, d.fields, d.rows, d.allFetched)) {
                }
                target = (long)d.rows.size() + nRows;
            } else {
                target = nRows - 1;
            }
            break;
        default: target = d.cur + nRows; break;
    }
    d.stmtHealthy = true;
    if (target < 0) {
        d.cur = -1;
        d.bof = true;
        if (d.rows.empty()) d.eof = !FetchRow(this, m_hstmt, d.fields, d.rows, d.allFetched) && d.rows.empty();
        if (!d.rows.empty()) d.eof = false;
        return;
    }
    while ((size_t)target >= d.rows.size() && FetchRow(this, m_hstmt, d.fields, d.rows, d.allFetched)) {
    }
    if ((size_t)target >= d.rows.size()) {
        d.cur = (long)d.rows.size();
        d.eof = true;
        d.bof = d.rows.empty();
        return;
    }
    // Read one row ahead: a result that ends here is then finished at once, and SQLite
    // releases the snapshot a pending query holds (which would keep its WAL from being
    // checkpointed and make it grow with every write while the set stays open).
    if ((size_t)target + 1 >= d.rows.size()) FetchRow(this, m_hstmt, d.fields, d.rows, d.allFetched);
    d.cur = target;
    d.bof = d.eof = false;
    LoadRow(d.rows[(size_t)target], d.fields);
    if (d.seen < target + 1) d.seen = target + 1;
}

// Closes the set: frees the statement, ends a pending edit (members keep what they hold),
// forgets the rows and drops a connection of the set's own. Safe to call at any time, also
// from a destructor.
void CRecordset::Close() {
    Impl& d = *m_pImpl;
    // The pending edit ends without writing members back: Close also runs from base
    // destructors, after the members of a derived record set are gone.
    for (Field& f : d.fields) f.forcedNull = f.forcedDirty = -1;
    m_nEditMode = noMode;
    if (m_hstmt != SQL_NULL_HSTMT) {
        // A statement that failed is not reused: it may carry the error's state.
        if (m_pDatabase) m_pDatabase->GiveStatement(m_hstmt, d.stmtHealthy && d.allFetched);
        m_hstmt = SQL_NULL_HSTMT;
    }
    d.rows.clear();
    d.rows.shrink_to_fit();
    d.cur = -1;
    d.bof = d.eof = true;
    d.allFetched = true;
    d.open = false;
    d.seen = 0;
    if (m_pDatabase) {
        CDatabase* db = m_pDatabase;
        db->RemoveRecordset(this);
        if (d.ownDb) {
            m_pDatabase = nullptr;
            d.ownDb = false;
            db->ReleaseOwned();
        }
    }
}

void CRecordset::AddNew() {
    Impl& d = *m_pImpl;
    d.CheckWritable();
    if (m_nEditMode != noMode) CancelUpdate();
    d.before.clear();
    for (Field& f : d.fields) {
        d.before.push_back(ReadMember(f));
        WriteMember(f, Value());
        f.null = true;
        f.forcedNull = f.forcedDirty = -1;
    }
    d.snapshot.clear();
    for (Field& f : d.fields) d.snapshot.push_back(ReadMember(f));
    m_nEditMode = addnew;
}

void CRecordset::Edit() {
    Impl& d = *m_pImpl;
    d.CheckWritable();
    if (m_nEditMode != noMode) CancelUpdate();
    d.CurrentRow("no current record to edit");
    d.before.clear();
    for (Field& f : d.fields) {
        d.before.push_back(ReadMember(f));
        f.forcedNull = f.forcedDirty = -1;
    }
    d.snapshot = d.before;
    m_nEditMode = edit;
}

void CRecordset::CancelUpdate() {
    Impl& d = *m_pImpl;
    if (m_nEditMode == noMode) return;
    for (size_t i = 0; i < d.fields.size() && i < d.before.size(); ++i) WriteMember(d.fields[i], d.before[i]);
    if (d.cur >= 0 && d.cur < (long)d.rows.size()) {
        const char* p = d.rows[(size_t)d.cur].blob.data();
        for (Field& f : d.fields) f.null = GetValue(p, f.kind).isNull;
    }
    for (Field& f : d.fields) f.forcedNull = f.forcedDirty = -1;
    m_nEditMode = noMode;
}

namespace {

// Where a field stands during AddNew/Edit: whether Update writes it and whether as NULL.
struct Pending {
    bool dirty;
    bool null;
};

Pending Evaluate(int editMode, const Field& f, const Value& current, const Value& snapshot) {
    bool changed = !SameValue(f.kind, current, snapshot);
    Pending p;
    p.dirty = f.forcedDirty >= 0 ? f.forcedDirty == 1 : changed;
    if (f.forcedNull >= 0)
        p.null = f.forcedNull == 1;
    else if (editMode == CRecordset::addnew)
        p.null = !(changed || f.forcedDirty == 1);
    else
        p.null = changed ? false : f.null;
    return p;
}

// Parameter storage for one write; lives until the statement has executed.
struct Param {
    CRecordset::FieldKind kind;
    std::string text;
    LONG l = 0;
    double d = 0.0;
    TIMESTAMP_STRUCT ts{};
    SQLLEN ind = 0;
};

Param MakeParam(const Field& f, const Value& v, bool isNull) {
    Param p;
    p.kind = f.kind;
    if (isNull) {
        p.ind = SQL_NULL_DATA;
        return p;
    }
    switch (f.kind) {
        case CRecordset::kLong: p.l = v.l; break;
        case CRecordset::kDouble: p.d = v.d; break;
        case CRecordset::kTimestamp: p.ts = v.ts; break;
        case CRecordset::kTime: p.ts = CTime(v.t).GetAsTimestamp(); break;
        case CRecordset::kText: {
            if (v.text.size() > (size_t)f.maxLen) {
                CString msg;
                msg.Format("String data, right truncation: column %s holds at most %d bytes, the text has %d",
                           f.name.c_str(), f.maxLen, (int)v.text.size());
                AfxThrowDBException("22001", msg);
            }
            if (!ToUtf8(v.text.data(), v.text.size(), p.text)) {
                CString msg;
                msg.Format("Invalid character value: the text for column %s is not valid in the code page",
                           f.name.c_str());
                AfxThrowDBException("22018", msg);
            }
            p.ind = (SQLLEN)p.text.size();
            break;
        }
    }
    return p;
}

void BindParam(SQLHSTMT h, SQLUSMALLINT n, Param& p) {
    SQLRETURN rc = SQL_ERROR;
    switch (p.kind) {
        case CRecordset::kLong:
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &p.l, 0, &p.ind);
            break;
        case CRecordset::kDouble:
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &p.d, 0, &p.ind);
            break;
        case CRecordset::kTimestamp:
        case CRecordset::kTime:
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &p.ts,
                                  sizeof p.ts, &p.ind);
            break;
        case CRecordset::kText:
            rc = SQLBindParameter(h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  p.text.empty() ? 1 : (SQLULEN)p.text.size(), 0, (SQLPOINTER)p.text.data(),
                                  (SQLLEN)p.text.size(), &p.ind);
            break;
    }
    if (!SQL_SUCCEEDED(rc)) ThrowFrom(rc, SQL_HANDLE_STMT, h);
}

// Executes one write on a prepared statement of the connection and returns the number of
// rows it touched.
SQLLEN ExecuteWrite(CDatabase* db, const std::string& sql, std::vector<Param>& params) {
    SQLHSTMT h = db->TakeWriteStatement(sql, nullptr);
    bool ok = false;
    SQLLEN count = -1;
    try {
        for (size_t i = 0; i < params.size(); ++i) BindParam(h, (SQLUSMALLINT)(i + 1), params[i]);
        SQLRETURN rc = SQLExecute(h);
        if (rc == SQL_NO_DATA) {
            count = 0;
        } else {
            if (!SQL_SUCCEEDED(rc)) ThrowFrom(rc, SQL_HANDLE_STMT, h);
            SQLRowCount(h, &count);
        }
        ok = true;
    } catch (...) {
        db->GiveWriteStatement(h, false);
        throw;
    }
    db->GiveWriteStatement(h, ok);
    return count;
}

}  // namespace

// Finds the table's primary key among the bound fields (cached per connection and table).
static std::vector<size_t> FindKeys(CDatabase* db, const CString& table, const std::vector<Field>& fields) {
    std::string utf8;
    ToUtf8(table, table.GetLength(), utf8);
    std::string cacheKey = std::string(db->GetConnect()) + '\x1f' + utf8;
    std::vector<std::string> keyNames;
    bool cached = false;
    {
        std::lock_guard<std::mutex> lock(g_keyMutex);
        auto it = g_keyCache.find(cacheKey);
        if (it != g_keyCache.end()) {
            keyNames = it->second;
            cached = true;
        }
    }
    if (!cached) {
        std::string schema, name;
        davrix::sql::SplitObjectName(utf8, &schema, &name);
        for (int attempt = 0; attempt < 2 && keyNames.empty(); ++attempt) {
            if (attempt == 1 && schema.empty()) break;
            Statement st;
            SQLHDBC hdbc = db->WriteConnection();  // a catalog query must not end pending results either
            SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &st.h);
            if (!SQL_SUCCEEDED(rc)) {
                st.h = SQL_NULL_HSTMT;
                ThrowFrom(rc, SQL_HANDLE_DBC, hdbc);
            }
            bool withSchema = attempt == 0 && !schema.empty();
            rc = SQLPrimaryKeys(st.h, nullptr, 0, withSchema ? (SQLCHAR*)schema.c_str() : nullptr,
                                withSchema ? SQL_NTS : 0, (SQLCHAR*)name.c_str(), SQL_NTS);
            if (!SQL_SUCCEEDED(rc)) ThrowFrom(rc, SQL_HANDLE_STMT, st.h);
            std::vector<std::pair<int, std::string>> found;
            char col[256];
            SQLLEN colInd = 0, seqInd = 0;
            SQLSMALLINT seq = 0;
            SQLBindCol(st.h, 4, SQL_C_CHAR, col, sizeof col, &colInd);
            SQLBindCol(st.h, 5, SQL_C_SSHORT, &seq, 0, &seqInd);
            while (SQL_SUCCEEDED(SQLFetch(st.h))) found.emplace_back(seq, colInd == SQL_NULL_DATA ? "" : col);
            std::sort(found.begin(), found.end());
            for (auto& k : found) keyNames.push_back(k.second);
        }
        std::lock_guard<std::mutex> lock(g_keyMutex);
        g_keyCache[cacheKey] = keyNames;
    }
    std::vector<size_t> keys;
    for (const std::string& k : keyNames) {
        size_t match = fields.size();
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string bare;
            ToUtf8(fields[i].name.data(), fields[i].name.size(), bare);
            bare = davrix::sql::BareColumn(bare);
            if (strcasecmp(bare.c_str(), k.c_str()) == 0) {
                match = i;
                break;
            }
        }
        if (match == fields.size()) return {};
        keys.push_back(match);
    }
    return keys;
}

void CRecordset::Impl::CheckWritable() const {
    if (!open) AfxThrowDBException("HY010", "the record set is not open");
    if (fromStatement) AfxThrowDBException("HY092", "a record set opened on a statement cannot be written");
}

Row& CRecordset::Impl::CurrentRow(const char* what) {
    if (cur < 0 || cur >= (long)rows.size() || rows[(size_t)cur].deleted) AfxThrowDBException("HY109", what);
    return rows[(size_t)cur];
}

void CRecordset::Impl::AddressRow(CDatabase* db, const Row& row, std::vector<std::string>& keyColumns,
                                  std::vector<Param>& params) {
    if (!keysKnown) {
        keys = FindKeys(db, source, fields);
        keysKnown = true;
    }
    if (keys.empty())
        AfxThrowDBException("HY000", "the table has no primary key among the bound columns: the row cannot be addressed");
    std::vector<Value> values = Unpack(row, fields);
    for (size_t k : keys) {
        std::string name;
        ToUtf8(fields[k].name.data(), fields[k].name.size(), name);
        keyColumns.push_back(name);
        if (values[k].isNull) AfxThrowDBException("HY000", "the row's key is NULL: the row cannot be addressed");
        params.push_back(MakeParam(fields[k], values[k], false));
    }
}

BOOL CRecordset::Update() {
    Impl& d = *m_pImpl;
    if (!d.open || m_nEditMode == noMode) AfxThrowDBException("HY010", "Update without AddNew or Edit");
    const int mode = m_nEditMode;
    std::vector<size_t> dirty;
    std::vector<Value> current;
    std::vector<Pending> state;
    for (size_t i = 0; i < d.fields.size(); ++i) {
        current.push_back(ReadMember(d.fields[i]));
        state.push_back(Evaluate(mode, d.fields[i], current[i], d.snapshot[i]));
        if (state[i].dirty) dirty.push_back(i);
    }
    if (dirty.empty()) {
        CancelUpdate();
        return FALSE;
    }
    std::vector<Param> params;
    std::vector<std::string> columns;
    for (size_t i : dirty) {
        params.push_back(MakeParam(d.fields[i], current[i], state[i].null));
        std::string name;
        ToUtf8(d.fields[i].name.data(), d.fields[i].name.size(), name);
        columns.push_back(name);
    }
    std::string table;
    ToUtf8(d.source, d.source.GetLength(), table);

    if (mode == addnew) {
        std::string sql = davrix::sql::BuildInsert(table, columns, d.quote);
        SQLLEN n = ExecuteWrite(m_pDatabase, sql, params);
        if (n == 0) AfxThrowDBException("HY000", "the insert wrote no row");
        CancelUpdate();  // the new row is not part of the result: back to the row the set stood on
        return TRUE;
    } else {
        Row& row = d.rows[(size_t)d.cur];
        std::vector<std::string> keyColumns;
        d.AddressRow(m_pDatabase, row, keyColumns, params);
        std::string sql = davrix::sql::BuildUpdate(table, columns, keyColumns, d.quote);
        SQLLEN n = ExecuteWrite(m_pDatabase, sql, params);
        if (n == 0) AfxThrowDBException("HY000", "the row to update no longer exists");
        if (n > 1) AfxThrowDBException("HY000", "the update touched several rows");
        std::vector<Value> values = Unpack(row, d.fields);
        for (size_t i : dirty) {
            values[i] = current[i];
            values[i].isNull = state[i].null;
            d.fields[i].null = state[i].null;
        }
        Pack(row, values, d.fields);
    }
    for (Field& f : d.fields) f.forcedNull = f.forcedDirty = -1;
    m_nEditMode = noMode;
    return TRUE;
}

void CRecordset::Delete() {
    Impl& d = *m_pImpl;
    d.CheckWritable();
    if (m_nEditMode != noMode) CancelUpdate();
    Row& row = d.CurrentRow("no current record to delete");
    std::vector<Param> params;
    std::vector<std::string> keyColumns;
    d.AddressRow(m_pDatabase, row, keyColumns, params);
    std::string table;
    ToUtf8(d.source, d.source.GetLength(), table);
    SQLLEN n = ExecuteWrite(m_pDatabase, davrix::sql::BuildDelete(table, keyColumns, d.quote), params);
    if (n == 0) AfxThrowDBException("HY000", "the row to delete no longer exists");
    if (n > 1) AfxThrowDBException("HY000", "the delete touched several rows");
    row.deleted = true;
}

namespace {
template <class F>
void ForFields(std::vector<Field>& fields, void* pv, F fn) {
    for (Field& f : fields)
        if (pv == nullptr || f.pv == pv) fn(f);
}
}  // namespace

void CRecordset::SetFieldNull(void* pv, BOOL bNull) {
    Impl& d = *m_pImpl;
    ForFields(d.fields, pv, [&](Field& f) {
        if (m_nEditMode == noMode) {
            f.null = bNull != FALSE;
            return;
        }
        f.forcedNull = bNull ? 1 : 0;
        if (bNull) {
            f.forcedDirty = 1;
            WriteMember(f, Value());
        }
    });
}

void CRecordset::SetFieldDirty(void* pv, BOOL bDirty) {
    ForFields(m_pImpl->fields, pv, [&](Field& f) { f.forcedDirty = bDirty ? 1 : 0; });
}

BOOL CRecordset::IsFieldNull(void* pv) {
    Impl& d = *m_pImpl;
    for (size_t i = 0; i < d.fields.size(); ++i) {
        Field& f = d.fields[i];
        if (f.pv != pv) continue;
        if (m_nEditMode == noMode || i >= d.snapshot.size()) return f.null;
        return Evaluate(m_nEditMode, f, ReadMember(f), d.snapshot[i]).null;
    }
    return FALSE;
}

BOOL CRecordset::IsFieldDirty(void* pv) {
    Impl& d = *m_pImpl;
    if (m_nEditMode == noMode) return FALSE;
    for (size_t i = 0; i < d.fields.size(); ++i) {
        Field& f = d.fields[i];
        if (f.pv == pv) return Evaluate(m_nEditMode, f, ReadMember(f), d.snapshot[i]).dirty;
    }
    return FALSE;
}
