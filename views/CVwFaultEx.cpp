#include <davrixdb/views/CVwFaultEx.h>

#include "views/FaultViewColumns.h"

IMPLEMENT_DYNAMIC(CVwFaultEx, CDAVRIXRecordset)

namespace {

using Columns = davrix::ColumnTable<CVwFaultEx>;
using T = CVwFaultEx;

// The fault view's columns, then the device's office and station.
const Columns& FaultExColumns() {
    static const Columns table([] {
        std::vector<Columns::Column> columns = davrix::FaultViewColumns<T>();
        columns.push_back(Columns::Text("[OFFICE]", &T::m_OFFICE, 64));
        columns.push_back(Columns::Text("[STATION]", &T::m_STATION, 64));
        return columns;
    }());
    return table;
}

}  // namespace

CVwFaultEx::CVwFaultEx(CDatabase* pDatabase) : CDAVRIXRecordset(pDatabase) {
    FaultExColumns().Initialize(*this);
    m_nFields = FaultExColumns().Count();
    SetDefaultSQL("VIEW_FAULT");
}

// Closes first: ending a pending edit writes into the bound members, which must still exist.
CVwFaultEx::~CVwFaultEx() { Close(); }

void CVwFaultEx::DoFieldExchange(CFieldExchange* pFX) { FaultExColumns().Exchange(*this, pFX); }
