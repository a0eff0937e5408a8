#include <davrixdb/views/CVwAutoSend.h>

#include "tables/ColumnTable.h"

IMPLEMENT_DYNAMIC(CVwAutoSend, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CVwAutoSend>;
using T = CVwAutoSend;

const Columns& AutoSendViewColumns() {
    static const Columns table{
        Columns::Long("[SID]", &T::m_SID),
        Columns::Long("[FID]", &T::m_FID),
        Columns::Long("[NID]", &T::m_NID),
        Columns::Text("[NNAME]", &T::m_NNAME, 64),
        Columns::Long("[FAN]", &T::m_FAN),
        Columns::Time("[FTIME]", &T::m_FTIME),
        Columns::Long("[FMS]", &T::m_FMS),
        Columns::Long("[FTYPE]", &T::m_FTYPE),
        Columns::Long("[FJMP]", &T::m_FJMP),
        Columns::Double("[FPOS]", &T::m_FPOS),
        Columns::Text("[FFILE]", &T::m_FFILE, 255),
        Columns::Long("[FCODE]", &T::m_FCODE),
        Columns::Long("[FSIZE]", &T::m_FSIZE),
        Columns::Text("[FDESCR]", &T::m_FDESCR, 255),
        Columns::Text("[FAREA]", &T::m_FAREA, 64),
        Columns::Long("[COMTYPE]", &T::m_COMTYPE),
        Columns::Text("[RADDR]", &T::m_RADDR, 128),
        Columns::Text("[RADDREX]", &T::m_RADDREX, 255),
    };
    return table;
}

}  // namespace

CVwAutoSend::CVwAutoSend(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    AutoSendViewColumns().Initialize(*this);
    m_nFields = AutoSendViewColumns().Count();
    SetDefaultSQL("VIEW_AUTOSEND");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CVwAutoSend::~CVwAutoSend() { Close(); }

void CVwAutoSend::DoFieldExchange(CFieldExchange* pFX) { AutoSendViewColumns().Exchange(*this, pFX); }
