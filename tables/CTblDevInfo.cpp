#include <davrixdb/tables/CTblDevInfo.h>

#include "tables/ColumnTable.h"
#include "tables/TableWrite.h"

IMPLEMENT_DYNAMIC(CTblDevInfo, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CTblDevInfo>;
using T = CTblDevInfo;

const Columns& DevInfoColumns() {
    static const Columns table{
        Columns::Key("[NID]", &T::m_NID, &T::m_valNID),
        Columns::Long("[NMODEL]", &T::m_NMODEL, &T::m_valNMODEL),
        Columns::Text("[NNAME]", &T::m_NNAME, &T::m_valNNAME, 255),
        Columns::Text("[IP_ADDR]", &T::m_IP_ADDR, &T::m_valIP_ADDR, 255),
        Columns::Long("[ND_ADDR]", &T::m_ND_ADDR, &T::m_valND_ADDR),
        Columns::Text("[LPATH]", &T::m_LPATH, &T::m_valLPATH, 255),
        Columns::Long("[COMTYPE]", &T::m_COMTYPE, &T::m_valCOMTYPE),
        Columns::Text("[RADDR]", &T::m_RADDR, &T::m_valRADDR, 255),
        Columns::Text("[RADDREX]", &T::m_RADDREX, &T::m_valRADDREX, 255),
        Columns::Long("[FLAG]", &T::m_FLAG, &T::m_valFLAG),
        Columns::Text("[CENTER]", &T::m_CENTER, &T::m_valCENTER, 255),
        Columns::Text("[OFFICE]", &T::m_OFFICE, &T::m_valOFFICE, 255),
        Columns::Text("[STATION]", &T::m_STATION, &T::m_valSTATION, 255),
        Columns::Text("[VMODEL]", &T::m_VMODEL, &T::m_valVMODEL, 64),
    };
    return table;
}

}  // namespace

CTblDevInfo::CTblDevInfo(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    DevInfoColumns().Initialize(*this);
    m_nFields = DevInfoColumns().Count();
    SetDefaultSQL("TABLE_DEVINFO");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CTblDevInfo::~CTblDevInfo() { Close(); }

void CTblDevInfo::DoFieldExchange(CFieldExchange* pFX) { DevInfoColumns().Exchange(*this, pFX); }
void CTblDevInfo::ToVal() { DevInfoColumns().ToMirror(*this); }
void CTblDevInfo::AvilidData() { DevInfoColumns().FromMirror(*this); }
void CTblDevInfo::SetAllFieldNull() { DevInfoColumns().SetAllFieldNull(*this); }

int CTblDevInfo::AddOREdit() {
    CString filter;
    filter.Format("[NID]=%ld", (long)m_valNID);
    return davrix::EditOrAddNew(*this, filter);
}
