#include <davrixfw/CFieldExchange.h>
#include <davrixfw/CRecordset.h>

namespace {
// Only output columns are exchanged; a set that never called SetFieldType names none.
bool Describing(CFieldExchange* pFX) {
    return pFX && pFX->m_prs && pFX->m_nOperation == CFieldExchange::Describe &&
           pFX->m_nFieldType == (UINT)CFieldExchange::outputColumn;
}
}  // namespace

void RFX_Long(CFieldExchange* pFX, LPCSTR szName, LONG& value) {
    if (Describing(pFX)) pFX->m_prs->AddField(CRecordset::kLong, szName, &value, 0);
}

void RFX_Text(CFieldExchange* pFX, LPCSTR szName, CString& value, int nMaxLength, int nColumnType, short nScale) {
    if (Describing(pFX)) pFX->m_prs->AddField(CRecordset::kText, szName, &value, nMaxLength);
}

void RFX_Double(CFieldExchange* pFX, LPCSTR szName, double& value) {
    if (Describing(pFX)) pFX->m_prs->AddField(CRecordset::kDouble, szName, &value, 0);
}

void RFX_Date(CFieldExchange* pFX, LPCSTR szName, TIMESTAMP_STRUCT& value) {
    if (Describing(pFX)) pFX->m_prs->AddField(CRecordset::kTimestamp, szName, &value, 0);
}

void RFX_Date(CFieldExchange* pFX, LPCSTR szName, CTime& value) {
    if (Describing(pFX)) pFX->m_prs->AddField(CRecordset::kTime, szName, &value, 0);
}
