#include <davrixdb/views/CVwRunLog.h>

#include "tables/ColumnTable.h"

IMPLEMENT_DYNAMIC(CVwRunLog, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CVwRunLog>;
using T = CVwRunLog;

const Columns& RunLogViewColumns() {
    static const Columns table{
        Columns::Long("[SID]", &T::m_SID),
        Columns::Long("[NID]", &T::m_NID),
        Columns::Long("[NMODEL]", &T::m_NMODEL),
        Columns::Text("[NNAME]", &T::m_NNAME, 64),
        Columns::Long("[FLAG]", &T::m_FLAG),
        Columns::Text("[DESCR]", &T::m_DESCR, 255),
        Columns::Date("[STIME]", &T::m_STIME),
    };
    return table;
}

}  // namespace

CVwRunLog::CVwRunLog(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    RunLogViewColumns().Initialize(*this);
    m_nFields = RunLogViewColumns().Count();
    SetDefaultSQL("VIEW_RUNLOG");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CVwRunLog::~CVwRunLog() { Close(); }

void CVwRunLog::DoFieldExchange(CFieldExchange* pFX) { RunLogViewColumns().Exchange(*this, pFX); }
