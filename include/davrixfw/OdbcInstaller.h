// The ODBC installer's data-source request, for system data sources, over unixODBC.
//
// unixODBC's own SQLConfigDataSource hands the request to the driver's setup routine, which
// none of the drivers packaged for Linux has, so it fails for every driver. This stand-in
// carries the two system requests out itself with unixODBC's installer calls; it writes
// only the system odbc.ini (in $ODBCSYSINI, else /etc).
#ifndef DAVRIXFW_ODBCINSTALLER_H
#define DAVRIXFW_ODBCINSTALLER_H

#include "WinTypes.h"

// Request codes (the same values as the installer header's).
#ifndef ODBC_ADD_DSN
#define ODBC_ADD_DSN 1
#define ODBC_CONFIG_DSN 2
#define ODBC_REMOVE_DSN 3
#endif
#ifndef ODBC_ADD_SYS_DSN
#define ODBC_ADD_SYS_DSN 4
#define ODBC_CONFIG_SYS_DSN 5
#define ODBC_REMOVE_SYS_DSN 6
#endif

// Adds (ODBC_ADD_SYS_DSN) or removes (ODBC_REMOVE_SYS_DSN) a system data source; every
// other request gives FALSE. hwndParent is ignored: nothing is ever shown.
//
// lpszDriver must name a driver registered in odbcinst.ini (letter case aside).
// lpszAttributes is a list of keyword=value entries, each ended by a zero byte, the list
// ended by an empty entry. Keywords are taken without leading blanks and compare without
// regard to case; an entry without a keyword is ignored, and so is a DRIVER entry (the
// driver is lpszDriver). The first DSN entry names the data source: it must be present and
// a valid data-source name (at most 32 characters, none of [ ] { } ( ) , ; ? * = ! @ \).
// A request with a line break in any text, or a keyword that odbc.ini cannot hold, is
// refused before anything is written.
//
// Add replaces a data source of that name with Driver=<driver> and the other entries, in
// order (another keyword given twice keeps its last value). If a write fails part-way, the
// data source is removed again: a data source it replaced is then gone.
// Remove gives TRUE only when a system data source of that name existed and was removed.
BOOL AfxConfigDataSource(HWND hwndParent, WORD fRequest, LPCSTR lpszDriver, LPCSTR lpszAttributes);

// Fault injection for tests: FALSE makes the installer unavailable (every request gives
// FALSE, as when the installer library cannot be loaded); TRUE restores it.
void AfxSetInstallerAvailable(BOOL bAvailable);

#endif
