#include <davrixdb/views/CVwFault.h>

#include "views/FaultViewColumns.h"

IMPLEMENT_DYNAMIC(CVwFault, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CVwFault>;

const Columns& ViewColumns() {
    static const Columns table(davrix::FaultViewColumns<CVwFault>());
    return table;
}

}  // namespace

CVwFault::CVwFault(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    ViewColumns().Initialize(*this);
    m_nFields = ViewColumns().Count();
    SetDefaultSQL("VIEW_FAULT");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CVwFault::~CVwFault() { Close(); }

void CVwFault::DoFieldExchange(CFieldExchange* pFX) { ViewColumns().Exchange(*this, pFX); }
