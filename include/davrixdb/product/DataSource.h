// Administration of the machine's system ODBC data sources. Null texts count as empty.
#ifndef DAVRIXDB_PRODUCT_DATASOURCE_H
#define DAVRIXDB_PRODUCT_DATASOURCE_H

#include <davrixfw/WinTypes.h>

// 1 when a system data source of that name is registered (letter case aside), else 0.
// Names longer than 488 characters give 0.
int geIsDSNExist(LPCSTR lpszDSN);

// Removes the system data source through the installer, with the driver name the installer
// knows it by. Non-zero when it was removed; 0 otherwise (also when it did not exist, the
// driver is not registered, or the name is longer than 506 characters).
int geDSNRemove(LPCSTR lpszDSN, LPCSTR lpszDriver);

// Registers a system data source for a Microsoft Access database file with the driver
// "Microsoft Access Driver (*.mdb)". Non-zero when registered, 0 otherwise. A '?' in the
// description ends it there (the rest becomes an entry of its own, which the installer
// ignores unless it reads keyword=value). Refused with 0: name, description and path longer
// than 464 characters together, or a '?' in the name or the path.
int geCreateAccessDSN(LPCSTR lpszDSN, LPCSTR lpszPath, LPCSTR lpszDescription);

#endif
