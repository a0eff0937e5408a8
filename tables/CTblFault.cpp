#include <davrixdb/tables/CTblFault.h>

#include "tables/ColumnTable.h"
#include "tables/TableWrite.h"

IMPLEMENT_DYNAMIC(CTblFault, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CTblFault>;
using T = CTblFault;

const Columns& FaultColumns() {
    static const Columns table{
        Columns::Key("[SID]", &T::m_SID, &T::m_valSID),
        Columns::Long("[NID]", &T::m_NID, &T::m_valNID),
        Columns::Long("[FAN]", &T::m_FAN, &T::m_valFAN),
        Columns::Date("[FTIME]", &T::m_FTIME, &T::m_valFTIME),
        Columns::Long("[FMS]", &T::m_FMS, &T::m_valFMS),
        Columns::Long("[FTYPE]", &T::m_FTYPE, &T::m_valFTYPE),
        Columns::Long("[FJMP]", &T::m_FJMP, &T::m_valFJMP),
        Columns::Double("[FPOS]", &T::m_FPOS, &T::m_valFPOS),
        Columns::Text("[FFILE]", &T::m_FFILE, &T::m_valFFILE, 255),
        Columns::Long("[FCODE]", &T::m_FCODE, &T::m_valFCODE),
        Columns::Long("[FSIZE]", &T::m_FSIZE, &T::m_valFSIZE),
        Columns::Text("[FDESCR]", &T::m_FDESCR, &T::m_valFDESCR, 255),
        Columns::Text("[FAREA]", &T::m_FAREA, &T::m_valFAREA, 64),
        Columns::Double("[FREALPOS]", &T::m_FREALPOS, &T::m_valFREALPOS, -1.0),
        Columns::Long("[FAVFLAG]", &T::m_FAVFLAG, &T::m_valFAVFLAG),
        Columns::Text("[SUMMARY]", &T::m_SUMMARY, &T::m_valSUMMARY, 255),
    };
    return table;
}

}  // namespace

CTblFault::CTblFault(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    FaultColumns().Initialize(*this);
    m_nFields = FaultColumns().Count();
    SetDefaultSQL("TABLE_FAULT");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CTblFault::~CTblFault() { Close(); }

void CTblFault::DoFieldExchange(CFieldExchange* pFX) { FaultColumns().Exchange(*this, pFX); }
void CTblFault::ToVal() { FaultColumns().ToMirror(*this); }
void CTblFault::AvilidData() { FaultColumns().FromMirror(*this); }
void CTblFault::SetAllFieldNull() { FaultColumns().SetAllFieldNull(*this); }

// File names come from the recorders: their quotes are doubled so that a name can only
// ever select its own row.
int CTblFault::AddOREdit() {
    CString filter;
    filter.Format("[FFILE]='%s'", (LPCSTR)davrix::LiteralBody(m_valFFILE));
    return davrix::EditOrAddNew(*this, filter, [this](bool found) { m_valSID = found ? m_SID : 0; });
}

int CTblFault::GetRecord(LONG lSID) {
    m_strFilter.Format("[SID]=%ld", (long)lSID);
    return GetData(1);
}
