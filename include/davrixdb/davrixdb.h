// DAVRIXDB: the one header a station application includes.
#ifndef DAVRIXDB_DAVRIXDB_H
#define DAVRIXDB_DAVRIXDB_H

#include <davrixfw/CByteArray.h>
#include <davrixfw/CDBException.h>
#include <davrixfw/CDatabase.h>
#include <davrixfw/CFile.h>
#include <davrixfw/CLongBinary.h>
#include <davrixfw/CRecordset.h>
#include <davrixfw/CString.h>
#include <davrixfw/CTime.h>
#include <davrixfw/GlobalMemory.h>

#include <davrixdb/data/CData.h>
#include <davrixdb/password/Password.h>
#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/product/DataSource.h>
#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/tables/CTblUntInfo.h>
#include <davrixdb/views/CVwAutoSend.h>
#include <davrixdb/views/CVwFault.h>
#include <davrixdb/views/CVwFaultEx.h>
#include <davrixdb/views/CVwRunLog.h>

#endif
