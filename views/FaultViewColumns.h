// The 18 columns that both fault-view records read from VIEW_FAULT, stated once for
// either class. Internal to the module.
#ifndef DAVRIXDB_VIEWS_FAULTVIEWCOLUMNS_H
#define DAVRIXDB_VIEWS_FAULTVIEWCOLUMNS_H

#include "tables/ColumnTable.h"

namespace davrix {

// Device columns are bound narrower here than in the device table: a longer text is cut.
template <class T>
std::vector<typename ColumnTable<T>::Column> FaultViewColumns() {
    using C = ColumnTable<T>;
    return {
        C::Long("[SID]", &T::m_SID),
        C::Long("[NID]", &T::m_NID),
        C::Long("[NMODEL]", &T::m_NMODEL),
        C::Text("[NNAME]", &T::m_NNAME, 64),
        C::Long("[FAN]", &T::m_FAN),
        C::Date("[FTIME]", &T::m_FTIME),
        C::Long("[FMS]", &T::m_FMS),
        C::Long("[FTYPE]", &T::m_FTYPE),
        C::Long("[FJMP]", &T::m_FJMP),
        C::Double("[FPOS]", &T::m_FPOS),
        C::Text("[FAREA]", &T::m_FAREA, 64),
        C::Text("[FFILE]", &T::m_FFILE, 255),
        C::Long("[FCODE]", &T::m_FCODE),
        C::Long("[FSIZE]", &T::m_FSIZE),
        C::Text("[FDESCR]", &T::m_FDESCR, 255),
        C::Double("[FREALPOS]", &T::m_FREALPOS, -1.0),
        C::Long("[FAVFLAG]", &T::m_FAVFLAG),
        C::Text("[SUMMARY]", &T::m_SUMMARY, 255),
    };
}

}  // namespace davrix

#endif
