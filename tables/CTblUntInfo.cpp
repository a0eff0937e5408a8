#include <davrixdb/tables/CTblUntInfo.h>

#include "tables/ColumnTable.h"
#include "tables/TableWrite.h"

IMPLEMENT_DYNAMIC(CTblUntInfo, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CTblUntInfo>;
using T = CTblUntInfo;

const Columns& UnitColumns() {
    static const Columns table{
        Columns::Key("[SID]", &T::m_SID, &T::m_valSID),
        Columns::Long("[DID]", &T::m_DID, &T::m_valDID),
        Columns::Text("[SNAME]", &T::m_SNAME, &T::m_valSNAME, 255),
    };
    return table;
}

}  // namespace

CTblUntInfo::CTblUntInfo(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    UnitColumns().Initialize(*this);
    m_nFields = UnitColumns().Count();
    SetDefaultSQL("TABLE_UNTINFO");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CTblUntInfo::~CTblUntInfo() { Close(); }

void CTblUntInfo::DoFieldExchange(CFieldExchange* pFX) { UnitColumns().Exchange(*this, pFX); }
void CTblUntInfo::ToVal() { UnitColumns().ToMirror(*this); }
void CTblUntInfo::AvilidData() { UnitColumns().FromMirror(*this); }
void CTblUntInfo::SetAllFieldNull() { UnitColumns().SetAllFieldNull(*this); }

int CTblUntInfo::AddOREdit() {
    CString filter;
    filter.Format("[SID]=%ld", (long)m_valSID);
    return davrix::EditOrAddNew(*this, filter);
}
