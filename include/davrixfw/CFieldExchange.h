// CFieldExchange and the RFX_ calls: a record set's DoFieldExchange names its columns, in
// order, with the member each one is exchanged with. The record set asks once and keeps
// the list; members are then filled from every fetched row and written from on Update.
#ifndef DAVRIXFW_CFIELDEXCHANGE_H
#define DAVRIXFW_CFIELDEXCHANGE_H

#include "CString.h"
#include "CTime.h"

class CRecordset;

class CFieldExchange {
public:
    enum FieldType { noFieldType = -1, outputColumn = 0, param = 1 };
    enum RFX_Operation { Describe = 0 };

    explicit CFieldExchange(CRecordset* prs, UINT nOperation = Describe)
        : m_nOperation(nOperation), m_nFieldType(noFieldType), m_prs(prs) {}
    // Columns named before the first SetFieldType(outputColumn) are ignored, as are params.
    void SetFieldType(UINT nFieldType) { m_nFieldType = nFieldType; }

    UINT m_nOperation;
    UINT m_nFieldType;
    CRecordset* m_prs;
};

void RFX_Long(CFieldExchange* pFX, LPCSTR szName, LONG& value);
// nMaxLength counts bytes of the application's code page: a longer fetched text is cut on a
// character boundary; a longer text to be written makes Update raise (SQLSTATE 22001).
void RFX_Text(CFieldExchange* pFX, LPCSTR szName, CString& value, int nMaxLength = 255,
              int nColumnType = SQL_VARCHAR, short nScale = 0);
void RFX_Double(CFieldExchange* pFX, LPCSTR szName, double& value);
void RFX_Date(CFieldExchange* pFX, LPCSTR szName, TIMESTAMP_STRUCT& value);
// The time-value form: a stored moment that 32 bits of seconds cannot hold reads as CTime(-1).
void RFX_Date(CFieldExchange* pFX, LPCSTR szName, CTime& value);

#endif
