#include <davrixdb/tables/CTblRunLog.h>

#include "tables/ColumnTable.h"
#include "tables/TableWrite.h"

IMPLEMENT_DYNAMIC(CTblRunLog, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CTblRunLog>;
using T = CTblRunLog;

const Columns& RunLogColumns() {
    static const Columns table{
        Columns::Key("[SID]", &T::m_SID, &T::m_valSID),
        Columns::Long("[NID]", &T::m_NID, &T::m_valNID),
        Columns::Long("[FLAG]", &T::m_FLAG, &T::m_valFLAG),
        Columns::Text("[DESCR]", &T::m_DESCR, &T::m_valDESCR, 255),
        Columns::Date("[STIME]", &T::m_STIME, &T::m_valSTIME),
    };
    return table;
}

}  // namespace

CTblRunLog::CTblRunLog(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    RunLogColumns().Initialize(*this);
    m_nFields = RunLogColumns().Count();
    SetDefaultSQL("TABLE_RUNLOG");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CTblRunLog::~CTblRunLog() { Close(); }

void CTblRunLog::DoFieldExchange(CFieldExchange* pFX) { RunLogColumns().Exchange(*this, pFX); }
void CTblRunLog::ToVal() { RunLogColumns().ToMirror(*this); }
void CTblRunLog::AvilidData() { RunLogColumns().FromMirror(*this); }
void CTblRunLog::SetAllFieldNull() { RunLogColumns().SetAllFieldNull(*this); }
int CTblRunLog::AddOREdit() { return davrix::AddNewOnOpenSet(*this); }
