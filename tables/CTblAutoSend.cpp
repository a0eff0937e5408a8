#include <davrixdb/tables/CTblAutoSend.h>

#include "tables/ColumnTable.h"
#include "tables/TableWrite.h"

IMPLEMENT_DYNAMIC(CTblAutoSend, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CTblAutoSend>;
using T = CTblAutoSend;

const Columns& AutoSendColumns() {
    static const Columns table{
        Columns::Key("[SID]", &T::m_SID, &T::m_valSID),
        Columns::Long("[FID]", &T::m_FID, &T::m_valFID),
    };
    return table;
}

}  // namespace

CTblAutoSend::CTblAutoSend(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    AutoSendColumns().Initialize(*this);
    m_nFields = AutoSendColumns().Count();
    SetDefaultSQL("TABLE_AUTOSEND");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CTblAutoSend::~CTblAutoSend() { Close(); }

void CTblAutoSend::DoFieldExchange(CFieldExchange* pFX) { AutoSendColumns().Exchange(*this, pFX); }
void CTblAutoSend::ToVal() { AutoSendColumns().ToMirror(*this); }
void CTblAutoSend::AvilidData() { AutoSendColumns().FromMirror(*this); }
void CTblAutoSend::SetAllFieldNull() { AutoSendColumns().SetAllFieldNull(*this); }
int CTblAutoSend::AddOREdit() { return davrix::AddNewOnOpenSet(*this); }
